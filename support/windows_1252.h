// How Windows tells two names apart in the Windows-1252 code page when letter
// case does not count, for the Linux build, which has no system comparison
// of Windows names to ask.
//
// vornak-pack runs on Linux and must agree with the installer on which entry
// names are the same (two that the installer cannot tell apart would leave
// one of them unreachable). It takes entry names as bytes of the code page
// Western Windows uses, Windows-1252. What follows is what lstrcmpiA answers
// there (observed under Wine in the en-US locale, and checked against it by
// the Windows tests):
// - letters pair with their other case: A-Z with a-z, and the accented pairs
//   \xC0-\xDE with \xE0-\xFE (except \xD7 and \xF7, the multiplication and
//   division signs), \x8A/\x9A, \x8E/\x9E and \x9F/\xFF;
// - some letters equal two: \xC6 and \xE6 "ae", \x8C and \x9C "oe", \xDE and
//   \xFE "th", \xDF "ss";
// - the modifier circumflex \x88 equals "^", and the soft hyphen \xAD is not
//   counted at all.
// Every other byte equals only itself. Built for both platforms, so that
// the Windows tests can hold the system's comparison against it.
#pragma once

namespace support {

// The comparison form of one byte into form (room for 2 bytes): the bytes it
// counts as. Returns how many: 0 for a byte that is not counted.
int Windows1252ComparisonForm(unsigned char byte, char* form);

// Whether a and b name the same thing to Windows in Windows-1252, letter
// case aside: their comparison forms are equal.
bool EqualsIgnoringCaseWindows1252(const char* a, const char* b);

}  // namespace support

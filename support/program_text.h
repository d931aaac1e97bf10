// Program text: the encoding of every name and message inside the installer,
// and the one place where package text of another encoding is turned into it.
//
// The stub's manifest asks Windows for UTF-8 as the program's ANSI code page
// (activeCodePage), which Windows 10 version 1903 and later and Wine honour:
// then every -A call takes UTF-8 and any name a user can have is program
// text. Older Windows ignores the setting, and program text is the system's
// ANSI code page, as it always was. On Linux program text is UTF-8.
//
// Packages and uninstall records say which text they hold: a script or
// record that begins with the UTF-8 signature (EF BB BF) is UTF-8, one
// without is the system's ANSI code page, as every package made before the
// signature was.
#pragma once

#include <cstddef>

namespace support {

// The UTF-8 signature that marks a UTF-8 script or record.
constexpr char kUtf8Signature[] = "\xEF\xBB\xBF";

// Whether program text is UTF-8.
bool ProgramTextIsUtf8();

// Converts text in the system's ANSI code page (from_utf8 false) or in
// UTF-8 (from_utf8 true) into program text in out, which holds capacity
// bytes. Text already in program text is copied. Returns false, with out
// empty, when the result does not fit or a character has no form in
// program text (UTF-8 on an older Windows); bytes that are not text in the
// source encoding pass as the system would have read them.
bool ToProgramText(const char* text, bool from_utf8, char* out, size_t capacity);

// The reverse for one name: program text into the system's ANSI code page
// (to_utf8 false) or UTF-8. False when a character cannot be written there
// or the result does not fit.
bool FromProgramText(const char* text, bool to_utf8, char* out, size_t capacity);

// How many bytes program text may take for text that took count bytes in
// a package's encoding: three to one when a byte of the system's code page
// becomes a UTF-8 character.
constexpr size_t ProgramTextCapacity(size_t count) {
    return 3 * count + 1;
}

}  // namespace support

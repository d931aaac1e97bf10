// UTF-8 as vornak-pack checks, counts and compares it.
//
// A package's text is UTF-8 when its setup.dat begins with the UTF-8
// signature (support/program_text.h): then its script and every entry name
// are UTF-8, and the installer counts a script line's limit in characters.
// vornak-pack decides whether a package must be UTF-8, refuses text that
// is not, and compares UTF-8 names as Windows compares Unicode names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vornak_pack {

// The length of the valid UTF-8 sequence at text[at], or 0 when the bytes
// there are not one (overlong forms, surrogates and values past U+10FFFF
// included); *code_point gets its value.
size_t Utf8SequenceLength(const std::string& text, size_t at, uint32_t* code_point);

bool IsValidUtf8(const std::string& text);

// Whether text holds a byte above 0x7F and, all of it, is valid UTF-8: the
// sign that its author wrote UTF-8 rather than a code page.
bool IsUtf8NotAscii(const std::string& text);

// Whether bytes begin with the UTF-8 signature EF BB BF.
bool BeginsWithUtf8Signature(const std::string& bytes);

// The characters of a line as the installer counts them in a UTF-8 script
// (support::DiskFile::ReadUtf8Line): every byte that does not continue a
// character (10xxxxxx) starts one.
size_t ScriptCharacters(const std::string& text);

// Whether two UTF-8 names are one name to Windows, letter case aside.
// Windows compares Unicode names by upper-casing each character on its own
// (simple mappings, no "ß" = "ss"); here glibc's towupper_l in the C.UTF-8
// locale does that, whose table is Unicode's simple upper-case mapping. Text
// that is not valid UTF-8 is compared byte for byte.
bool Utf8NamesEqualIgnoringCase(const std::string& a, const std::string& b);

// The form of a UTF-8 name that Utf8NamesEqualIgnoringCase compares: equal
// keys for equal names, so that many names are checked in one pass.
std::string Utf8NameKey(const std::string& name);

}  // namespace vornak_pack

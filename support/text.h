// Bounded text operations on fixed-size, NUL-terminated buffers.
//
// Every copy into a fixed buffer in the system goes through these, so that a
// text that does not fit is cut at the buffer's end instead of running past it.
#pragma once

#include <cstddef>

namespace support {

// Copies source into destination (capacity bytes, NUL included), cutting it
// when it does not fit. Returns false when it was cut.
bool CopyText(char* destination, size_t capacity, const char* source);

// Appends source to the text already in destination, cutting when needed.
// Returns false when it was cut.
bool AppendText(char* destination, size_t capacity, const char* source);

// The length of text, looking at no more than capacity bytes: capacity when
// no NUL is among them. (The stub's own, so that it needs no runtime helper.)
size_t BoundedLength(const char* text, size_t capacity);

// Whole-text comparison without regard to letter case, the one comparison
// for entry names, extensions, App Paths names and paths. Windows answers
// through the system's own comparison (name_compare_win.cpp), so that a
// name matches wherever the system would match it; the Linux build answers
// as Windows does in the Windows-1252 code page (name_compare_posix.cpp).
bool EqualsIgnoringCase(const char* a, const char* b);

template <size_t N>
bool CopyText(char (&destination)[N], const char* source) {
    return CopyText(destination, N, source);
}

template <size_t N>
bool AppendText(char (&destination)[N], const char* source) {
    return AppendText(destination, N, source);
}

}  // namespace support

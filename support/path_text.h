// Text operations that split a Windows path into folder, name and extension.
//
// Paths use the backslash as their only separator. Every result is written
// into a caller's buffer of kMaxPath bytes (or the capacity given) and is cut
// rather than overrun when it would not fit.
#pragma once

#include <cstddef>

#include "support/win32_values.h"

namespace support {

// Text after the last backslash; the whole text when there is none.
void FileNamePart(const char* path, char* out, size_t capacity = kMaxPath);
// Text up to and including the last backslash; the whole text when none.
void FolderPart(const char* path, char* out, size_t capacity = kMaxPath);
// From the last dot to the end when that dot follows the last backslash;
// otherwise the single character ".", never the empty text.
void ExtensionPart(const char* path, char* out, size_t capacity = kMaxPath);
// Cut at the last dot when it follows the last backslash (or there is none).
void StripExtension(const char* path, char* out, size_t capacity = kMaxPath);
// StripExtension, then FileNamePart.
void FileTitle(const char* path, char* out, size_t capacity = kMaxPath);
// Appends a backslash unless the text is empty or already ends in one.
// Returns false (text unchanged) when the buffer has no room for it.
bool AddTrailingBackslash(char* text, size_t capacity = kMaxPath);

// Whether path names one place whatever the current drive and folder: a
// drive letter, a colon and a backslash (C:\x), or a network share
// (\\server\share, then more). A relative path, a drive-relative one (\x,
// C:x) and the device forms (\\.\ and \\?\) are not: the program runs
// elevated, and such a path would be resolved against whatever folder it
// happens to stand in.
bool IsAbsolutePath(const char* path);

// Whether path is folder itself or lies somewhere below it, compared
// without regard to ASCII letter case; folder may end in a backslash.
bool IsAtOrBelowFolder(const char* path, const char* folder);

}  // namespace support

// Folder placeholders: "<System>", "<Destination>" and the rest, replaced in
// place in a path just before the path is used.
#pragma once

namespace script {

// Expands every placeholder in text, a writable 260-byte path buffer. The
// result never goes past 259 characters.
void ExpandFolderPlaceholders(char* text);

// Replaces the first occurrence of token in text (260 bytes) by value, a
// writable 260-byte buffer that may be changed. Returns whether a
// replacement was made.
bool ReplaceFirst(char* text, const char* token, char* value);

}  // namespace script

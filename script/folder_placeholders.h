// Folder placeholders: "<System>", "<Destination>" and the rest, replaced in
// place in a path just before the path is used.
//
// The replacing itself is portable and works on a table of values; only
// where the system folders come from differs by platform (folder_values.h).
#pragma once

#include <cstddef>

#include "support/win32_values.h"

namespace script {

// Expands every placeholder in text, a writable 260-byte path buffer. The
// result never goes past 259 characters.
void ExpandFolderPlaceholders(char* text);
// The same for a longer buffer of capacity bytes, such as a [Registry]
// string datum; the result stays below capacity.
void ExpandFolderPlaceholders(char* text, size_t capacity);

constexpr int kPlaceholderCount = 8;

// The tokens, in the order in which they are replaced.
extern const char* const kPlaceholderTokens[kPlaceholderCount];

// What each token of kPlaceholderTokens stands for at the moment. A row that
// is not present is skipped and its token stays as written.
struct PlaceholderValues {
    char text[kPlaceholderCount][support::kMaxPath];
    bool present[kPlaceholderCount];
};

// Asks the system and the install state for every value afresh.
void ReadPlaceholderValues(PlaceholderValues* values);

// Replaces every occurrence of every token by its value (a backslash is
// appended to each non-empty value), then merges doubled backslashes. Text
// is a buffer of capacity bytes; a replacement that would not fit is not
// made, so the path keeps its token rather than being cut short.
void ExpandWithValues(char* text, size_t capacity, PlaceholderValues* values);

// From the third character on, every pair of adjacent backslashes loses its
// second one (a run of k becomes ceil(k/2)); the first two characters are
// never merged, which keeps the "\\" of a network path.
void MergeDoubledBackslashes(char* text);

}  // namespace script

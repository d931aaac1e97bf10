// Folder placeholders: the replacing, the backslash merge and the table of
// values, independent of where the system folders come from.
#include "script/folder_placeholders.h"

#include <cstring>

#include "session/install_session.h"
#include "session/install_job.h"
#include "script/folder_values.h"
#include "support/path_text.h"
#include "support/text.h"

namespace script {

const char* const kPlaceholderTokens[kPlaceholderCount] = {
    "<System>",  "<Windows>",        "<Destination>", "<Program Files>",
    "<Startup>", "<Start Programs>", "<DeskTop>",     "<Source>",
};

namespace {

// The rows of kPlaceholderTokens.
enum Row {
    kSystemRow,
    kWindowsRow,
    kDestinationRow,
    kProgramFilesRow,
    kStartupRow,
    kStartProgramsRow,
    kDesktopRow,
    kSourceRow,
};

// Replaces the first token found at or after start. On success *next is the
// position just after the inserted value, where the search goes on: a value
// holding its own token (a typed folder "C:\<Destination>") is then not
// expanded again and again. A result that would not fit capacity is refused.
bool ReplaceFrom(char* text, size_t capacity, size_t start, const char* token, const char* value,
                 size_t* next) {
    char* found = std::strstr(text + start, token);
    if (found == nullptr) {
        return false;
    }
    size_t before = static_cast<size_t>(found - text);
    size_t token_length = std::strlen(token);
    size_t value_length = std::strlen(value);
    size_t after_length = std::strlen(found + token_length);
    if (before + value_length + after_length >= capacity) {
        return false;
    }
    std::memmove(text + before + value_length, found + token_length, after_length + 1);
    std::memcpy(text + before, value, value_length);
    *next = before + value_length;
    return true;
}

}  // namespace

void MergeDoubledBackslashes(char* text) {
    if (std::strlen(text) <= 2) {
        return;
    }
    char* out = text + 2;
    for (const char* in = text + 2; *in != '\0'; ++out) {
        bool doubled = in[0] == '\\' && in[1] == '\\';
        *out = *in;
        in += doubled ? 2 : 1;
    }
    *out = '\0';
}

namespace {

void ExpandRow(char* text, size_t capacity, int row, PlaceholderValues* values) {
    if (!values->present[row]) {
        return;
    }
    support::AddTrailingBackslash(values->text[row]);
    size_t next = 0;
    while (ReplaceFrom(text, capacity, next, kPlaceholderTokens[row], values->text[row], &next)) {
    }
}

}  // namespace

void ExpandWithValues(char* text, size_t capacity, PlaceholderValues* values) {
    for (int row = 0; row < kPlaceholderCount; ++row) {
        ExpandRow(text, capacity, row, values);
    }
    MergeDoubledBackslashes(text);
}

namespace {

// Fills one row's value; false when the token is not to be replaced now.
bool ReadPlaceholderValue(int row, char* value) {
    value[0] = '\0';
    switch (row) {
        case kSystemRow:
            ReadSystemFolder(SystemFolder::kSystem, value);
            break;
        case kWindowsRow:
            ReadSystemFolder(SystemFolder::kWindows, value);
            break;
        case kDestinationRow:
            support::CopyText(value, support::kMaxPath, session::Current().destination_folder);
            break;
        case kProgramFilesRow:
            // An install for the current user puts its programs where the
            // system keeps each user's own: %LOCALAPPDATA%\Programs.
            if (session::Current().per_user) {
                ReadLocalAppDataFolder("\\Programs", value);
            } else {
                ReadSystemFolder(SystemFolder::kProgramFiles, value);
            }
            break;
        case kStartupRow:
            ReadSystemFolder(SystemFolder::kStartup, value);
            break;
        case kStartProgramsRow:
            ReadSystemFolder(SystemFolder::kStartPrograms, value);
            break;
        case kDesktopRow:
            ReadSystemFolder(SystemFolder::kDesktop, value);
            break;
        case kSourceRow:
            // Outside install mode there is no job folder: the token stays.
            if (session::Current().job == nullptr) {
                return false;
            }
            session::Current().job->FolderPath(value);
            break;
    }
    return true;
}

}  // namespace

void ReadPlaceholderValues(PlaceholderValues* values) {
    for (int row = 0; row < kPlaceholderCount; ++row) {
        values->present[row] = ReadPlaceholderValue(row, values->text[row]);
    }
}

void ExpandFolderPlaceholders(char* text, size_t capacity) {
    // The same rows in the same order as ExpandWithValues, but a value is
    // asked for only when its token is in the text at its row's turn (a
    // value inserted earlier may bring one in). Asking the shell for its
    // folders costs milliseconds, and most paths hold one token or none.
    PlaceholderValues values;
    for (int row = 0; row < kPlaceholderCount; ++row) {
        values.present[row] = false;
        if (std::strstr(text, kPlaceholderTokens[row]) != nullptr) {
            values.present[row] = ReadPlaceholderValue(row, values.text[row]);
            ExpandRow(text, capacity, row, &values);
        }
    }
    MergeDoubledBackslashes(text);
}

void ExpandFolderPlaceholders(char* text) {
    ExpandFolderPlaceholders(text, support::kMaxPath);
}

}  // namespace script

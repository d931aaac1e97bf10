// The uninstaller's command line: "<uninstall>" followed directly by the path
// of an uninstall record, as the "UninstallString" of the record names it.
//
// Everything after the marker is the record path, unchanged (no quotes
// removed, no spaces trimmed), so another marker such as "<Silent>" must come
// before it. The project name and the banner's path are derived from the
// record's name, which the record writer built from the project name.
#pragma once

#include <cstddef>

#include "support/win32_values.h"

namespace uninstall {

constexpr char kUninstallMarker[] = "<uninstall>";

struct UninstallCommand {
    char record_path[support::kMaxPath];
    // The record path with its extension replaced by ".bmp".
    char bitmap_path[support::kMaxPath];
    // The record's file title after its first "-", or the whole title.
    char project_name[support::kMaxPath];
    // "<Silent>" anywhere on the command line: no question, and a message
    // only when a restart is needed.
    bool silent;
};

enum class UninstallCommandResult {
    kParsed,
    kNoMarker,
    // The record path, or the banner path made from it, does not fit a path
    // buffer. Cutting it would name another file (and another project), so
    // such a command line is refused as a whole.
    kPathTooLong,
};

UninstallCommandResult ParseUninstallCommandLine(const char* command_line,
                                                 UninstallCommand* command);

// The project name a record's file title stands for: the text after the
// first "-" ("VornakUninstall-My-App" gives "My-App"), or the whole title.
void ProjectNameFromTitle(const char* title, char* name, size_t capacity);

}  // namespace uninstall

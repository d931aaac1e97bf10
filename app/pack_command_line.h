// Parsing of the pack-mode command line.
//
//   ... <packthis>"C:\path\file" <packto>"C:\path\package.exe"
//
// Each marker is directly followed by its opening quote, which is skipped
// without being looked at; each path ends at the next double quote.
#pragma once

#include "support/win32_values.h"

namespace app {

// The four fixed buffers pack mode works in.
struct PackCommand {
    char command_line[2 * support::kMaxPath + 64];
    char file_path[support::kMaxPath];
    char archive_path[support::kMaxPath];
    char entry_name[support::kMaxPath];
};

// Fills command with the two paths. Returns false, leaving nothing to pack,
// for a command line of 1000 characters or more, a missing marker or closing
// quote, or a path of 260 characters or more.
bool ParsePackCommandLine(const char* command_line, PackCommand* command);

}  // namespace app

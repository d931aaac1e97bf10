// The choice of mode from the raw command line.
#pragma once

namespace app {

enum class Mode { kUninstall, kPack, kInstall };

// Markers are plain, case-sensitive substrings anywhere in the full command
// line, tested in this order: "<uninstall>", then "<packthis>".
Mode ChooseMode(const char* command_line);

}  // namespace app

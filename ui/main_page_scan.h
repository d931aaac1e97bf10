// What the main page learns from the script before it shows itself: the
// project's name, the proposed folder and how much space the files need.
// Portable, so that the scan runs in the native tests and under the fuzzer.
#pragma once

#include <cstdint>

namespace ui {

// Resolves a shortcut file (placeholders not yet expanded) to its target;
// false when it cannot be read.
using ShortcutResolver = bool (*)(const char* link_path, char* target);

// Reads [Project Name], [Install To] and [LocateInstall] in file order into
// the session's project_name, the session's destination_folder (expanded) and install_to_template
// (as written, 260 bytes). Returns whether a [LocateInstall] shortcut gave the folder, which then
// outranks the previous installation's record.
bool ScanMainPageScript(const char* script_path, ShortcutResolver resolve,
                        char* install_to_template);

// "%d MB Disk Space Required" above 10000 KB, else "%d KB Disk Space Required".
void FormatRequiredSpace(int64_t kilobytes, char* text, unsigned capacity);

// The chosen parent folder plus the product folder name of the template
// (the part after its last backslash), as the Change button composes it;
// chosen is changed in place (260 bytes) and cut rather than overrun.
void AppendProductFolder(char* chosen, const char* install_to_template);

}  // namespace ui

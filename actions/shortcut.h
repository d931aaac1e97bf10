// Shell shortcuts (.lnk files), written for [CreateIcon] and read back for
// [LocateInstall], through the shell's ShellLink object.
#pragma once

#include <cstdint>

namespace actions {

// Which optional fields of a ShortcutSpec are set.
constexpr uint32_t kShortcutDescription = 0x1;
constexpr uint32_t kShortcutArguments = 0x2;
constexpr uint32_t kShortcutIcon = 0x4;
constexpr uint32_t kShortcutWorkingFolder = 0x8;
constexpr uint32_t kShortcutHotKey = 0x10;
constexpr uint32_t kShortcutShowCommand = 0x20;

// What a shortcut should hold. The texts belong to the caller; target_path
// and arguments are writable 260-byte buffers (or null), because
// CreateShortcut expands their placeholders in place.
struct ShortcutSpec {
    char* target_path;
    uint32_t flags;
    const char* description;     // kShortcutDescription
    char* arguments;             // kShortcutArguments
    const char* icon_path;       // kShortcutIcon
    int32_t icon_index;          // kShortcutIcon
    const char* working_folder;  // kShortcutWorkingFolder
    int32_t show_command;        // kShortcutShowCommand
    uint16_t hot_key;            // kShortcutHotKey
};

// Writes the shortcut at link_path (a writable 260-byte buffer, expanded in
// place), creating its folder chain and overwriting an existing file.
// Returns the COM status (an HRESULT) of the last step taken; every success
// code means the shortcut was saved.
int32_t CreateShortcut(char* link_path, const ShortcutSpec& spec);

// Reads the target of the shortcut at link_path (placeholders allowed) into
// target (260 bytes). Returns false, with target empty, when the file does
// not exist (without touching COM) or the ShellLink object is not available.
// On true the target may still be empty when it could not be resolved.
bool ReadShortcutTarget(const char* link_path, char* target);

}  // namespace actions

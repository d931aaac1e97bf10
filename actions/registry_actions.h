// Registry writes made on the script's behalf: the values of [Registry]
// sections, and the App Paths entry of every installed program file.
//
// Failures are silent: a key that cannot be created or a value that cannot
// be set is skipped and the installation goes on.
#pragma once

#include "script/setup_script.h"

namespace actions {

// Writes the value one [Registry] section describes, read with
// ReadRegistryItem. Expands the key path and a string datum in place.
void WriteRegistryItem(script::RegistryItem* item);

// Registers an installed file, by its already expanded target path, under
// "App Paths" in the install's own root (own_keys_win.h) when it is a program (".exe" in any
// letter case), so that the system can start it by its file name alone.
void RegisterAppPath(const char* target);

// The key below HKEY_LOCAL_MACHINE that holds every App Paths entry.
constexpr char kAppPathsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";

// Whether an (expanded) path is a program with an App Paths entry, which
// is named by its file name: name (260 bytes) gets that name. The
// uninstaller removes the same entries that installation writes.
bool AppPathsEntryName(const char* path, char* name);

}  // namespace actions

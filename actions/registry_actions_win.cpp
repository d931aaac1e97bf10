// Registry writes for [Registry] sections and App Paths entries.
#include "actions/registry_actions.h"

#include <windows.h>

#include <cstring>

#include "actions/own_keys_win.h"
#include "script/folder_placeholders.h"
#include "support/path_text.h"
#include "support/registry_values.h"
#include "support/run_log.h"
#include "support/text.h"
#include "support/text_format.h"
#include "support/win32_values.h"

namespace actions {

namespace {

// The predefined key a root word names, compared case-sensitively; null,
// which makes the write do nothing, for any other word.
HKEY RegistryRoot(const char* word) {
    static const struct {
        const char* word;
        HKEY root;
    } kRoots[] = {
        {"HKCR", HKEY_CLASSES_ROOT}, {"HKCU", HKEY_CURRENT_USER},   {"HKLM", HKEY_LOCAL_MACHINE},
        {"HKU", HKEY_USERS},         {"HKCC", HKEY_CURRENT_CONFIG},
    };
    for (const auto& row : kRoots) {
        if (std::strcmp(word, row.word) == 0) {
            return row.root;
        }
    }
    return nullptr;
}

}  // namespace

void WriteRegistryItem(script::RegistryItem* item) {
    HKEY root = RegistryRoot(item->root);
    script::ExpandFolderPlaceholders(item->key, sizeof item->key);
    bool written = false;
    if (std::strcmp(item->type, "DWORD") == 0) {
        // Numbers are never expanded: a placeholder has no meaning there.
        written = support::WriteRegistryDword(script::RegistryNumber(item->data), item->name, root,
                                              item->key);
    } else {
        script::ExpandFolderPlaceholders(item->data, sizeof item->data);
        written = support::WriteRegistryString(item->data, item->name, root, item->key);
    }
    support::LogLine("registry value %s: %s\\%s, \"%s\"", written ? "written" : "not written",
                     item->root, item->key, item->name);
}

bool AppPathsEntryName(const char* path, char* name) {
    char extension[support::kMaxPath];
    support::ExtensionPart(path, extension);
    if (!support::EqualsIgnoringCase(extension, ".EXE")) {
        return false;
    }
    support::FileNamePart(path, name);
    return true;
}

void RegisterAppPath(const char* target) {
    char path[support::kMaxPath];
    support::CopyText(path, target);
    script::ExpandFolderPlaceholders(path);

    char name[support::kMaxPath];
    if (!AppPathsEntryName(path, name)) {
        return;
    }
    char key[support::kMaxPath + 64];
    support::FormatText(key, sizeof key, "%s\\%s", kAppPathsKey, name);
    char folder[support::kMaxPath];
    support::FolderPart(path, folder);
    HKEY root = OwnKeysRoot(session::Current());
    bool written = support::WriteRegistryString(path, "", root, key) &&
                   support::WriteRegistryString(folder, "Path", root, key);
    support::LogLine("App Paths entry %s: %s", written ? "written" : "not written", name);
}

}  // namespace actions

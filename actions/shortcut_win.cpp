// Shortcuts through IShellLinkA and IPersistFile, with COM initialised around
// each call on the calling thread, so that any thread may use them.
#include "actions/shortcut.h"

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include <cstring>

#include "script/folder_placeholders.h"
#include "support/folders.h"
#include "support/path_text.h"
#include "support/run_log.h"
#include "support/text.h"
#include "support/win32_values.h"

namespace actions {

namespace {

// Holds COM initialised on this thread for the object's lifetime.
class ComScope {
  public:
    ComScope() { CoInitialize(nullptr); }
    ~ComScope() { CoUninitialize(); }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
};

IShellLinkA* NewShellLink(HRESULT* status) {
    void* link = nullptr;
    *status =
        CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, &link);
    return SUCCEEDED(*status) ? static_cast<IShellLinkA*>(link) : nullptr;
}

IPersistFile* PersistFileOf(IShellLinkA* link, HRESULT* status) {
    void* file = nullptr;
    *status = link->QueryInterface(IID_IPersistFile, &file);
    return SUCCEEDED(*status) ? static_cast<IPersistFile*>(file) : nullptr;
}

// IPersistFile takes UTF-16 file names. The last slot stays zero, so the
// result is terminated whatever the conversion gives.
void WidePath(const char* path, wchar_t (&wide)[support::kMaxPath]) {
    std::memset(wide, 0, sizeof wide);
    MultiByteToWideChar(CP_ACP, 0, path, static_cast<int>(std::strlen(path)), wide,
                        support::kMaxPath - 1);
}

void ExpandIfGiven(char* text) {
    if (text != nullptr) {
        script::ExpandFolderPlaceholders(text);
    }
}

// Sets the fields the shortcut asks for; their results do not matter, and SetPath
// reports S_FALSE on some systems for a target that does not exist yet.
void FillShellLink(IShellLinkA* link, const ShortcutSpec& spec) {
    link->SetPath(spec.target_path != nullptr ? spec.target_path : "");
    if ((spec.flags & kShortcutArguments) != 0 && spec.arguments != nullptr) {
        link->SetArguments(spec.arguments);
    }
    if ((spec.flags & kShortcutDescription) != 0 && spec.description != nullptr) {
        link->SetDescription(spec.description);
    }
    if ((spec.flags & kShortcutIcon) != 0 && spec.icon_path != nullptr) {
        link->SetIconLocation(spec.icon_path, spec.icon_index);
    }
    if ((spec.flags & kShortcutWorkingFolder) != 0 && spec.working_folder != nullptr) {
        link->SetWorkingDirectory(spec.working_folder);
    }
    if ((spec.flags & kShortcutShowCommand) != 0) {
        link->SetShowCmd(spec.show_command);
    }
    if ((spec.flags & kShortcutHotKey) != 0) {
        link->SetHotkey(spec.hot_key);
    }
}

}  // namespace

int32_t CreateShortcut(char* link_path, const ShortcutSpec& spec) {
    script::ExpandFolderPlaceholders(link_path);
    ExpandIfGiven(spec.target_path);
    ExpandIfGiven(spec.arguments);
    char folder[support::kMaxPath];
    support::FolderPart(link_path, folder);
    support::CreateFolderPath(folder);

    ComScope com;
    HRESULT status = S_OK;
    IShellLinkA* link = NewShellLink(&status);
    if (link == nullptr) {
        support::LogLine("shortcut not created: %s", link_path);
        return status;
    }
    FillShellLink(link, spec);
    IPersistFile* file = PersistFileOf(link, &status);
    if (file != nullptr) {
        wchar_t wide[support::kMaxPath];
        WidePath(link_path, wide);
        status = file->Save(wide, TRUE);
        file->Release();
    }
    link->Release();
    support::LogLine("shortcut %s: %s", SUCCEEDED(status) ? "created" : "not created", link_path);
    return status;
}

bool ReadShortcutTarget(const char* link_path, char* target) {
    target[0] = '\0';
    char path[support::kMaxPath];
    support::CopyText(path, link_path);
    script::ExpandFolderPlaceholders(path);
    if (!support::PathExists(path)) {
        return false;
    }
    ComScope com;
    HRESULT status = S_OK;
    IShellLinkA* link = NewShellLink(&status);
    if (link == nullptr) {
        return false;
    }
    IPersistFile* file = PersistFileOf(link, &status);
    if (file == nullptr) {
        link->Release();
        return false;
    }
    wchar_t wide[support::kMaxPath];
    WidePath(path, wide);
    file->Load(wide, STGM_WRITE);
    WIN32_FIND_DATAA unused;
    link->GetPath(target, support::kMaxPath, &unused, 0);
    file->Release();
    link->Release();
    return true;
}

}  // namespace actions

// Holding a folder open, reached without links inside the install folder.
#include "actions/held_folder.h"

#include <winternl.h>

#include <cstring>

#include "actions/folder_relative_files.h"
#include "support/path_text.h"
#include "support/text.h"

namespace actions {

namespace {

// What the folder handle may do: list, pass through, and read attributes.
constexpr ACCESS_MASK kFolderAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES;
// Others may read and write in it, but not rename or remove it.
constexpr ULONG kFolderShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
// A folder outside the install folder (the system folder, a user's
// desktop) is only used, not held against others.
constexpr ULONG kOpenShare = kFolderShare | FILE_SHARE_DELETE;

// Whether the folder open as handle, reached as path, is a link (or not a
// folder at all). The handle says it on Windows, where it is the link itself
// and cannot be swapped; Wine opens what a link points at and tells the link
// only by its path, so both are asked.
bool IsLink(HANDLE handle, const char* path) {
    BY_HANDLE_FILE_INFORMATION info = {};
    DWORD by_path = GetFileAttributesA(path);
    return !GetFileInformationByHandle(handle, &info) ||
           (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
           (by_path != INVALID_FILE_ATTRIBUTES && (by_path & FILE_ATTRIBUTE_REPARSE_POINT) != 0);
}

}  // namespace

HeldFolder::HeldFolder(const char* folder, const char* install_folder) {
    if (!FolderRelativeCallsAvailable()) {
        return;
    }
    if (install_folder[0] == '\0' || !support::IsAbsolutePath(install_folder) ||
        !support::IsAtOrBelowFolder(folder, install_folder)) {
        handle_ = OpenByPath(folder, false);
        return;
    }
    char root[support::kMaxPath];
    support::CopyText(root, install_folder);
    size_t root_length = std::strlen(root);
    while (root_length > 3 && root[root_length - 1] == '\\') {
        root[--root_length] = '\0';
    }
    handle_ = OpenByPath(root, true);
    // Below the install folder, one name at a time through its parent.
    char path[support::kMaxPath];
    support::CopyText(path, root);
    const char* rest = folder + root_length;
    while (handle_ != nullptr && *rest != '\0') {
        while (*rest == '\\') {
            ++rest;
        }
        const char* end = std::strchr(rest, '\\');
        size_t length = end != nullptr ? static_cast<size_t>(end - rest) : std::strlen(rest);
        if (length == 0) {
            break;
        }
        char name[support::kMaxPath];
        support::CopyText(name, length + 1, rest);
        support::AddTrailingBackslash(path);
        support::AppendText(path, name);
        if (!Descend(name, path)) {
            break;
        }
        rest += length;
    }
}

HeldFolder::~HeldFolder() {
    if (handle_ != nullptr) {
        CloseHandle(handle_);
    }
}

HANDLE HeldFolder::OpenByPath(const char* path, bool refuse_link) {
    DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (refuse_link ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
    HANDLE handle = CreateFileA(path, kFolderAccess, refuse_link ? kFolderShare : kOpenShare,
                                nullptr, OPEN_EXISTING, flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    if (refuse_link && IsLink(handle, path)) {
        CloseHandle(handle);
        Refuse(path);
        return nullptr;
    }
    return handle;
}

bool HeldFolder::Descend(const char* name, const char* path) {
    HANDLE child = nullptr;
    DWORD error = OpenInFolder(handle_, name, kFolderAccess, kFolderShare, FILE_OPEN,
                               FILE_DIRECTORY_FILE, &child);
    CloseHandle(handle_);
    handle_ = nullptr;
    if (error == ERROR_SUCCESS && IsLink(child, path)) {
        CloseHandle(child);
        Refuse(path);
        return false;
    }
    handle_ = error == ERROR_SUCCESS ? child : nullptr;
    return handle_ != nullptr;
}

void HeldFolder::Refuse(const char* path) {
    support::CopyText(refused_link_, path);
}

}  // namespace actions

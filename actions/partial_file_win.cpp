// The partial file, made and renamed through its folder's handle.
#include "actions/partial_file.h"

#include <winternl.h>

#include "actions/folder_relative_files.h"
#include "support/path_text.h"
#include "support/temp_path.h"
#include "support/text.h"
#include "support/text_format.h"

namespace actions {

namespace {

constexpr int kAttempts = 100;
constexpr ACCESS_MASK kAccess = GENERIC_READ | GENERIC_WRITE | DELETE;

void DrawName(char* name, size_t capacity) {
    support::FormatText(name, capacity, "%s%04X%04X.tmp", support::kPartialFilePrefix,
                        static_cast<unsigned>(support::RandomBelow(0x10000)),
                        static_cast<unsigned>(support::RandomBelow(0x10000)));
}

void ComposePath(const char* folder_path, const char* name, char* path, size_t capacity) {
    support::CopyText(path, capacity, folder_path);
    support::AddTrailingBackslash(path, capacity);
    support::AppendText(path, capacity, name);
}

}  // namespace

PartialFile::PartialFile(const HeldFolder& folder, const char* folder_path) {
    bool made = FolderRelativeCallsAvailable() ? MakeThroughFolder(folder.Handle(), folder_path)
                                               : MakeByPath(folder_path);
    if (made) {
        file_ = std::make_unique<support::DiskFile>(handle_, path_, 0);
    }
}

PartialFile::~PartialFile() {
    file_.reset();
    if (handle_ == nullptr) {
        return;
    }
    if (!done_ && !DeleteWhenClosed(handle_)) {
        CloseHandle(handle_);
        handle_ = nullptr;
        DeleteFileA(path_);
        return;
    }
    CloseHandle(handle_);
}

bool PartialFile::MakeThroughFolder(HANDLE folder, const char* folder_path) {
    if (folder == nullptr) {
        return false;
    }
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        char name[32];
        DrawName(name, sizeof name);
        HANDLE handle = nullptr;
        DWORD error = OpenInFolder(folder, name, kAccess, FILE_SHARE_READ, FILE_CREATE,
                                   FILE_NON_DIRECTORY_FILE, &handle);
        if (error == ERROR_SUCCESS) {
            handle_ = handle;
            folder_ = folder;
            ComposePath(folder_path, name, path_, sizeof path_);
            return true;
        }
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            return false;
        }
    }
    return false;
}

bool PartialFile::MakeByPath(const char* folder_path) {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        char name[32];
        DrawName(name, sizeof name);
        ComposePath(folder_path, name, path_, sizeof path_);
        HANDLE handle = CreateFileA(path_, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            handle_ = handle;
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) {
            break;
        }
    }
    path_[0] = '\0';
    return false;
}

DWORD PartialFile::FlushAndRenameOver(const char* target_path) {
    // Without the flush, a power cut could keep the rename but not the
    // bytes: zeros where the old file was whole.
    if (!FlushFileBuffers(handle_)) {
        return GetLastError();
    }
    DWORD error = ERROR_SUCCESS;
    if (folder_ != nullptr) {
        char name[support::kMaxPath];
        support::FileNamePart(target_path, name);
        error = RenameInFolder(handle_, folder_, name);
    } else {
        // The consumer family: no file can be renamed while it is open.
        file_.reset();
        CloseHandle(handle_);
        handle_ = nullptr;
        if (!MoveFileExA(path_, target_path, MOVEFILE_REPLACE_EXISTING)) {
            error = GetLastError();
            DeleteFileA(path_);
        }
    }
    if (error == ERROR_SUCCESS) {
        done_ = true;
    }
    return error;
}

void PartialFile::Keep() {
    done_ = true;
}

}  // namespace actions

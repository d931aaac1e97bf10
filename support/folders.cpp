// Folder operations over the file-system layer.
#include "support/folders.h"

#include <cstring>

#include "support/path_text.h"
#include "support/temp_path.h"
#include "support/text.h"

namespace support {

FileFinder::FileFinder(const char* pattern, const char* folder) {
    item_path_[0] = '\0';
    CopyText(folder_, folder);
    AddTrailingBackslash(folder_, sizeof folder_);
    CopyText(search_spec_, folder_);
    AppendText(search_spec_, pattern);
}

bool FileFinder::Next() {
    for (;;) {
        item_ = fs::FindItem{};
        if (handle_ == nullptr) {
            handle_ = fs::FindFirst(search_spec_, &item_);
            if (handle_ == nullptr) {
                return false;
            }
        } else if (!fs::FindNext(handle_, &item_)) {
            return false;
        }
        if (item_.name[0] == '\0') {
            return false;
        }
        if (std::strcmp(item_.name, ".") != 0 && std::strcmp(item_.name, "..") != 0) {
            break;
        }
    }
    CopyText(item_path_, folder_);
    AppendText(item_path_, item_.name);
    return true;
}

void FileFinder::Close() {
    if (handle_ != nullptr) {
        fs::FindEnd(handle_);
        handle_ = nullptr;
    }
}

namespace {

void CreateFolderFromPrefix(const char* path, size_t length) {
    char part[kMaxPath];
    std::memcpy(part, path, length);
    part[length] = '\0';
    fs::CreateFolder(part);
}

}  // namespace

void CreateFolderPath(const char* path) {
    char work[kMaxPath];
    CopyText(work, path);
    size_t length = std::strlen(work);
    if (length > 0 && work[length - 1] == '\\') {
        work[--length] = '\0';
    }
    // Where the search for the first creatable level starts: after the
    // server name of a network path, after the first character otherwise.
    const char* search_from = work + 1;
    if (work[0] == '\\' && work[1] == '\\') {
        const char* after_server = std::strchr(work + 2, '\\');
        if (after_server == nullptr) {
            return;
        }
        search_from = after_server + 1;
    }
    if (*search_from == '\0') {
        return;
    }
    const char* root_end = std::strchr(search_from, '\\');
    if (root_end == nullptr || root_end[1] == '\0') {
        return;
    }
    for (const char* level = std::strchr(root_end + 1, '\\'); level != nullptr;
         level = std::strchr(level + 1, '\\')) {
        CreateFolderFromPrefix(work, static_cast<size_t>(level - work));
    }
    fs::CreateFolder(work);
}

void DeleteFolderContents(const char* folder) {
    if (std::strlen(folder) < 4) {
        return;
    }
    FileFinder finder("*.*", folder);
    while (finder.Next()) {
        if (finder.IsLink()) {
            fs::RemoveLink(finder.ItemPath(), finder.IsFolder());
        } else if (finder.IsFolder()) {
            DeleteFolderContents(finder.ItemPath());
            fs::RemoveFolder(finder.ItemPath());
        } else {
            fs::DeleteFileAt(finder.ItemPath());
        }
    }
    finder.Close();
}

namespace {

bool IsPartialFileName(const char* name) {
    size_t prefix = std::strlen(kPartialFilePrefix);
    if (std::strlen(name) != prefix + 12 || std::strncmp(name, kPartialFilePrefix, prefix) != 0 ||
        std::strcmp(name + prefix + 8, ".tmp") != 0) {
        return false;
    }
    for (size_t i = prefix; i < prefix + 8; ++i) {
        char c = name[i];
        bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!hex) {
            return false;
        }
    }
    return true;
}

}  // namespace

int DeletePartialFiles(const char* folder, bool (*keep)(const char* path)) {
    int deleted = 0;
    char pattern[32];
    CopyText(pattern, kPartialFilePrefix);
    AppendText(pattern, "*.tmp");
    FileFinder finder(pattern, folder);
    while (finder.Next()) {
        char name[kMaxPath];
        FileNamePart(finder.ItemPath(), name);
        if (!finder.IsFolder() && !finder.IsLink() && IsPartialFileName(name) &&
            !keep(finder.ItemPath()) && fs::DeleteFileAt(finder.ItemPath())) {
            ++deleted;
        }
    }
    return deleted;
}

bool PathExists(const char* path, bool* is_folder) {
    if (is_folder != nullptr) {
        *is_folder = false;
    }
    char folder[kMaxPath];
    char name[kMaxPath];
    FolderPart(path, folder);
    FileNamePart(path, name);
    FileFinder finder(name, folder);
    bool found = finder.Next();
    if (found && is_folder != nullptr) {
        *is_folder = finder.IsFolder();
    }
    finder.Close();
    return found;
}

}  // namespace support

// The system-folder path tests of the uninstaller.
#include "uninstall/system_folder_paths.h"

#include <cstring>

#include "support/path_text.h"
#include "support/text.h"
#include "support/win32_values.h"

namespace uninstall {

namespace {

// The length of folder without its trailing backslashes.
size_t FolderLength(const char* folder) {
    size_t length = std::strlen(folder);
    while (length > 0 && folder[length - 1] == '\\') {
        --length;
    }
    return length;
}

}  // namespace

bool LiesDirectlyIn(const char* path, const char* folder) {
    size_t length = FolderLength(folder);
    if (length == 0 || !support::IsAtOrBelowFolder(path, folder) || path[length] != '\\') {
        return false;
    }
    const char* name = path + length + 1;
    return name[0] != '\0' && std::strchr(name, '\\') == nullptr;
}

bool RespellFolder(const char* path, const char* from, const char* to, char* out, size_t capacity) {
    size_t length = FolderLength(from);
    if (length > 0 && support::IsAtOrBelowFolder(path, from) && FolderLength(to) > 0) {
        char respelt[support::kMaxPath * 2];
        support::CopyText(respelt, sizeof respelt, to);
        respelt[FolderLength(to)] = '\0';
        if (support::AppendText(respelt, sizeof respelt, path + length) &&
            support::CopyText(out, capacity, respelt)) {
            return true;
        }
    }
    support::CopyText(out, capacity, path);
    return false;
}

}  // namespace uninstall

// Folder links on Linux: a symbolic link.
#include "tests/support_lib/folder_link.h"

#include <unistd.h>

#include <algorithm>

namespace testing_support {

bool MakeFolderLink(const std::string& link, const std::string& target) {
    std::string from = link;
    std::string to = target;
    std::replace(from.begin(), from.end(), '\\', '/');
    std::replace(to.begin(), to.end(), '\\', '/');
    return symlink(to.c_str(), from.c_str()) == 0;
}

bool SystemRemovesFolderLinks() {
    return true;
}

}  // namespace testing_support

// Finding where a project's files really are.
#include "packer/build/project_links.h"

#include <climits>
#include <cstdlib>

#include "packer/common/host_path.h"
#include "packer/common/tool_messages.h"

namespace vornak_pack {

namespace {

// The path with every symbolic link resolved; empty when it cannot be.
std::string RealPath(const std::string& path) {
    char* resolved = realpath(path.c_str(), nullptr);
    if (resolved == nullptr) {
        return "";
    }
    std::string result(resolved);
    std::free(resolved);
    return result;
}

bool IsInside(const std::string& path, const std::string& folder) {
    if (folder == "/") {
        return true;
    }
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
           path[folder.size()] == '/';
}

}  // namespace

bool CheckLinksStayInside(const std::vector<PackInput>& inputs, bool strict) {
    bool ok = true;
    for (const PackInput& input : inputs) {
        std::string folder = HostFolderOf(input.path);
        std::string real_folder = RealPath(folder);
        std::string real_file = RealPath(input.path);
        if (real_folder.empty() || real_file.empty() || IsInside(real_file, real_folder)) {
            continue;
        }
        std::string text = input.path + " is a symbolic link out of " + folder + ", to " +
                           real_file + (strict ? " (--strict: not packed)" : "; it is packed");
        if (strict) {
            ReportError(text);
            ok = false;
        } else {
            ReportWarning(text);
        }
    }
    return ok;
}

}  // namespace vornak_pack

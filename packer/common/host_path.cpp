// Linux path to core path conversion.
#include "packer/common/host_path.h"

#include <unistd.h>

#include <string>

#include "packer/common/tool_messages.h"

namespace vornak_pack {

bool ToCorePath(const std::string& host_path, char (&out)[support::kMaxPath]) {
    out[0] = '\0';
    if (host_path.empty()) {
        ReportError("an empty path was given");
        return false;
    }
    if (host_path.find('\\') != std::string::npos) {
        ReportError("'" + host_path + "': paths with a backslash cannot be used (the installer's " +
                    "code reads it as a folder separator)");
        return false;
    }
    if (host_path.size() >= support::kMaxPath) {
        ReportError("'" + host_path + "': paths are limited to " +
                    std::to_string(support::kMaxPath - 1) + " bytes; use a shorter one");
        return false;
    }
    for (size_t i = 0; i < host_path.size(); ++i) {
        out[i] = host_path[i] == '/' ? '\\' : host_path[i];
    }
    out[host_path.size()] = '\0';
    return true;
}

std::string HostFileName(const std::string& host_path) {
    size_t slash = host_path.rfind('/');
    return slash == std::string::npos ? host_path : host_path.substr(slash + 1);
}

std::string HostFolderOf(const std::string& host_path) {
    size_t slash = host_path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : host_path.substr(0, slash);
}

std::string StubBesideProgram(bool sixty_four_bit) {
    const char* name = sixty_four_bit ? "VornakSetup64.exe" : "VornakSetup.exe";
    char self[4096];
    ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        return name;
    }
    self[length] = '\0';
    return HostFolderOf(self) + "/" + name;
}

}  // namespace vornak_pack

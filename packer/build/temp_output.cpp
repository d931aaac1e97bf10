// A temporary output file, committed by rename.
#include "packer/build/temp_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "packer/common/host_path.h"
#include "packer/common/tool_messages.h"

namespace vornak_pack {

TempOutput::~TempOutput() {
    if (!path_.empty() && !committed_) {
        unlink(path_.c_str());
    }
}

bool TempOutput::Create(const std::string& output) {
    std::string folder = HostFolderOf(output);
    std::string pattern = (folder == "/" ? "" : folder) + "/.vornak-pack-XXXXXX";
    int fd = mkstemp(pattern.data());
    if (fd < 0) {
        ReportError("cannot create a file in " + folder + ": " + std::strerror(errno));
        return false;
    }
    close(fd);
    path_ = pattern;
    return true;
}

bool TempOutput::Commit(const std::string& output, mode_t mode) {
    int fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    bool ok = fd >= 0 && fchmod(fd, mode) == 0 && fsync(fd) == 0;
    if (fd >= 0) {
        close(fd);
    }
    if (!ok || rename(path_.c_str(), output.c_str()) != 0) {
        ReportError("cannot write " + output + ": " + std::strerror(errno));
        return false;
    }
    committed_ = true;
    return true;
}

mode_t NewFileMode() {
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

}  // namespace vornak_pack

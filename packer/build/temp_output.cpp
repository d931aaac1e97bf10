// A temporary output file, committed by rename.
#include "packer/build/temp_output.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "packer/common/host_path.h"
#include "packer/common/tool_messages.h"

namespace vornak_pack {

namespace {

// A hidden name in folder, for mkstemp and mkdtemp to fill in.
std::string NameBeside(const std::string& folder) {
    return (folder == "/" ? "" : folder) + "/.vornak-pack-XXXXXX";
}

}  // namespace

TempOutput::~TempOutput() {
    if (!path_.empty() && !committed_) {
        unlink(path_.c_str());
    }
    RemovePrivateFolder();
}

bool TempOutput::Create(const std::string& output) {
    std::string folder = HostFolderOf(output);
    std::string pattern = NameBeside(folder);
    int fd = mkstemp(pattern.data());
    if (fd < 0) {
        ReportError("cannot create a file in " + folder + ": " + std::strerror(errno));
        return false;
    }
    close(fd);
    path_ = pattern;
    return true;
}

bool TempOutput::CreateInPrivateFolder(const std::string& output, const char* name) {
    std::string folder = HostFolderOf(output);
    std::string pattern = NameBeside(folder);
    if (mkdtemp(pattern.data()) == nullptr) {
        ReportError("cannot create a folder in " + folder + ": " + std::strerror(errno));
        return false;
    }
    folder_ = pattern;
    // Without O_CLOEXEC: the program started is to write through it. The
    // folder opened must still be the one just made, ours and closed to
    // everyone else; the name could have been swapped in between.
    folder_fd_ = open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    struct stat info;
    if (folder_fd_ < 0 || fstat(folder_fd_, &info) != 0 || info.st_uid != geteuid() ||
        (info.st_mode & 077) != 0) {
        ReportError(folder_ + " was replaced by another folder as it was made; nothing written");
        if (folder_fd_ >= 0) {
            close(folder_fd_);
            folder_fd_ = -1;
        }
        return false;
    }
    folder_device_ = info.st_dev;
    folder_inode_ = info.st_ino;
    path_ = "/proc/self/fd/" + std::to_string(folder_fd_) + "/" + name;
    return true;
}

void TempOutput::RemovePrivateFolder() {
    if (folder_fd_ < 0) {
        return;
    }
    // Whatever the program left in it, then the folder itself, if its name
    // still leads to it.
    int listing = dup(folder_fd_);
    DIR* dir = listing >= 0 ? fdopendir(listing) : nullptr;
    while (dirent* entry = dir != nullptr ? readdir(dir) : nullptr) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            unlinkat(folder_fd_, entry->d_name, 0);
        }
    }
    if (dir != nullptr) {
        closedir(dir);
    } else if (listing >= 0) {
        close(listing);
    }
    close(folder_fd_);
    struct stat info;
    if (folder_inode_ != 0 && lstat(folder_.c_str(), &info) == 0 && info.st_dev == folder_device_ &&
        info.st_ino == folder_inode_) {
        rmdir(folder_.c_str());
    }
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

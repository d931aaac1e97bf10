// A temporary file beside the target, renamed over it when complete.
#include "packer/examine/replacing_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace vornak_pack {

namespace {

// A name no other run or thread picks: the process id and a counter. The
// file is created exclusively, so a name that exists anyway is skipped.
std::string TemporaryName(const std::string& folder) {
    static std::atomic<unsigned> counter{0};
    return folder + "/.vornak-pack-" + std::to_string(getpid()) + "-" + std::to_string(counter++) +
           ".part";
}

// O_EXCL refuses any name that exists, a symbolic link included, and
// O_NOFOLLOW says so twice: nothing is opened that another hand put there.
int CreateExclusively(const std::string& folder, std::string* path) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        *path = TemporaryName(folder);
        int fd = open(path->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

bool WriteAll(int fd, const uint8_t* data, size_t length) {
    while (length > 0) {
        ssize_t written = write(fd, data, length);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            errno = written == 0 ? EIO : errno;
            return false;
        }
        data += written;
        length -= static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

bool ReplaceFile(const std::string& folder, const std::string& target, const uint8_t* data,
                 size_t length, std::string* error) {
    std::string temporary;
    int fd = CreateExclusively(folder, &temporary);
    if (fd < 0) {
        *error = "cannot create a file in " + folder + ": " + std::strerror(errno);
        return false;
    }
    bool ok = WriteAll(fd, data, length);
    int saved = ok ? 0 : errno;
    // close reports a write that failed late (a full disk over NFS, say).
    if (close(fd) != 0 && ok) {
        ok = false;
        saved = errno;
    }
    if (ok && rename(temporary.c_str(), target.c_str()) != 0) {
        ok = false;
        saved = errno;
    }
    if (!ok) {
        unlink(temporary.c_str());
        *error = "cannot write " + target + ": " + std::strerror(saved);
        return false;
    }
    return true;
}

}  // namespace vornak_pack

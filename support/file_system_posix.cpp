// Linux file-system layer for the native tools and host tests.
//
// The core hands us Windows-style paths; a backslash becomes a slash here and
// nowhere else. Semantics follow the Win32 calls the core was written for:
// opening a folder as a file fails, a short read at end of file succeeds.
#include "support/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "support/text.h"
#include "support/win32_values.h"

namespace support::fs {

namespace {

std::string ToPosix(const char* path) {
    std::string result(path);
    for (char& c : result) {
        if (c == '\\') {
            c = '/';
        }
    }
    return result;
}

int ToFd(NativeHandle handle) {
    return static_cast<int>(reinterpret_cast<intptr_t>(handle)) - 1;
}

NativeHandle FromFd(int fd) {
    return reinterpret_cast<NativeHandle>(static_cast<intptr_t>(fd) + 1);
}

}  // namespace

NativeHandle OpenFile(const char* path, uint32_t access, uint32_t creation, bool /*share*/) {
    int flags = O_RDONLY;
    bool reads = (access & kGenericRead) != 0;
    bool writes = (access & kGenericWrite) != 0;
    if (reads && writes) {
        flags = O_RDWR;
    } else if (writes) {
        flags = O_WRONLY;
    }
    if (creation == kCreateNew) {
        // Like CREATE_NEW: a name that exists, even as a dangling link, is
        // refused rather than followed.
        flags |= O_CREAT | O_EXCL;
    } else if (creation == kCreateAlways) {
        flags |= O_CREAT | O_TRUNC;
    } else if (creation == kOpenAlways) {
        flags |= O_CREAT;
    }
    std::string posix_path = ToPosix(path);
    struct stat info;
    if (stat(posix_path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        return nullptr;
    }
    int fd = open(posix_path.c_str(), flags | O_CLOEXEC, 0644);
    return fd < 0 ? nullptr : FromFd(fd);
}

bool ReadBytes(NativeHandle handle, void* buffer, uint32_t count, uint32_t* delivered,
               uint32_t* error) {
    uint32_t total = 0;
    *error = 0;
    while (total < count) {
        ssize_t got = read(ToFd(handle), static_cast<char*>(buffer) + total, count - total);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            *delivered = total;
            *error = static_cast<uint32_t>(errno);
            return false;
        }
        if (got == 0) {
            break;
        }
        total += static_cast<uint32_t>(got);
    }
    *delivered = total;
    return true;
}

bool WriteBytes(NativeHandle handle, const void* buffer, uint32_t count, uint32_t* written) {
    uint32_t total = 0;
    while (total < count) {
        ssize_t put = write(ToFd(handle), static_cast<const char*>(buffer) + total, count - total);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            break;
        }
        total += static_cast<uint32_t>(put);
    }
    *written = total;
    return total == count;
}

void SeekTo(NativeHandle handle, int32_t offset) {
    if (offset >= 0) {
        lseek(ToFd(handle), offset, SEEK_SET);
    }
}

void SeekBy(NativeHandle handle, int32_t delta) {
    lseek(ToFd(handle), delta, SEEK_CUR);
}

bool QuerySize(NativeHandle handle, uint64_t* size) {
    struct stat info;
    if (fstat(ToFd(handle), &info) != 0) {
        *size = 0;
        return false;
    }
    *size = static_cast<uint64_t>(info.st_size);
    return true;
}

bool CloseFile(NativeHandle handle) {
    return close(ToFd(handle)) == 0;
}

bool FlushFile(NativeHandle handle) {
    return fsync(ToFd(handle)) == 0;
}

bool DeleteFileAt(const char* path) {
    std::string posix_path = ToPosix(path);
    struct stat info;
    if (lstat(posix_path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) {
        return false;
    }
    return unlink(posix_path.c_str()) == 0;
}

bool CreateFolder(const char* path) {
    return mkdir(ToPosix(path).c_str(), 0755) == 0;
}

bool RemoveFolder(const char* path) {
    return rmdir(ToPosix(path).c_str()) == 0;
}

bool RemoveLink(const char* path, bool /*is_folder*/) {
    return unlink(ToPosix(path).c_str()) == 0;
}

bool CreatePrivateFolder(const char* path) {
    return mkdir(ToPosix(path).c_str(), 0700) == 0;
}

bool CreateAdministratorsFolder(const char* path) {
    return CreatePrivateFolder(path);
}

uint32_t TempFolderPath(char* buffer, uint32_t capacity) {
    const char* folder = std::getenv("TMPDIR");
    if (folder == nullptr || folder[0] == '\0') {
        folder = "/tmp";
    }
    std::string result(folder);
    for (char& c : result) {
        if (c == '/') {
            c = '\\';
        }
    }
    if (result.back() != '\\') {
        result += '\\';
    }
    if (result.size() >= capacity) {
        buffer[0] = '\0';
        return 0;
    }
    CopyText(buffer, capacity, result.c_str());
    return static_cast<uint32_t>(result.size());
}

uint32_t MakeTempFileName(const char* folder, const char* prefix, char* out_path) {
    static unsigned counter =
        static_cast<unsigned>(getpid()) ^ static_cast<unsigned>(time(nullptr));
    char short_prefix[4] = {};
    std::strncpy(short_prefix, prefix, 3);
    std::string base(folder);
    if (!base.empty() && base.back() != '\\') {
        base += '\\';
    }
    // Like GetTempFileNameA: up to 65535 hexadecimal numbers are tried.
    for (unsigned attempt = 0; attempt < 0xFFFF; ++attempt) {
        unsigned unique = (__atomic_add_fetch(&counter, 1, __ATOMIC_RELAXED) % 0xFFFF) + 1;
        char name[32];
        std::snprintf(name, sizeof name, "%s%X.tmp", short_prefix, unique);
        std::string candidate = base + name;
        if (candidate.size() >= kMaxPath) {
            return 0;
        }
        int fd =
            open(ToPosix(candidate.c_str()).c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
        if (fd >= 0) {
            close(fd);
            CopyText(out_path, kMaxPath, candidate.c_str());
            return unique;
        }
        if (errno != EEXIST) {
            return 0;
        }
    }
    return 0;
}

namespace {

struct PosixFind {
    DIR* dir;
    std::string folder;
    std::string pattern;
};

bool NextMatch(PosixFind* find, FindItem* item) {
    while (dirent* entry = readdir(find->dir)) {
        if (fnmatch(find->pattern.c_str(), entry->d_name, 0) != 0) {
            continue;
        }
        if (std::strlen(entry->d_name) >= sizeof item->name) {
            continue;  // cannot be named in a Windows path buffer
        }
        CopyText(item->name, entry->d_name);
        struct stat info;
        std::string full = find->folder + "/" + entry->d_name;
        item->is_link = lstat(full.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
        item->is_folder = stat(full.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        return true;
    }
    return false;
}

}  // namespace

FindHandle FindFirst(const char* search_spec, FindItem* item) {
    std::string spec = ToPosix(search_spec);
    size_t slash = spec.rfind('/');
    auto* find = new PosixFind{nullptr, slash == std::string::npos ? "." : spec.substr(0, slash),
                               slash == std::string::npos ? spec : spec.substr(slash + 1)};
    if (find->folder.empty()) {
        find->folder = "/";
    }
    // "*.*" means every name on Windows, dotted or not.
    if (find->pattern == "*.*") {
        find->pattern = "*";
    }
    find->dir = opendir(find->folder.c_str());
    if (find->dir == nullptr || !NextMatch(find, item)) {
        FindEnd(find);
        return nullptr;
    }
    return find;
}

bool FindNext(FindHandle handle, FindItem* item) {
    return NextMatch(static_cast<PosixFind*>(handle), item);
}

void FindEnd(FindHandle handle) {
    auto* find = static_cast<PosixFind*>(handle);
    if (find->dir != nullptr) {
        closedir(find->dir);
    }
    delete find;
}

uint32_t TickCount() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint32_t>(now.tv_sec * 1000u + now.tv_nsec / 1000000u);
}

}  // namespace support::fs

// Entry name rules and opening the files to pack.
#include "packer/common/pack_input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "archive/package_format.h"
#include "packer/common/utf8_text.h"
#include "support/text.h"

namespace vornak_pack {

std::string EntryNameProblem(const std::string& name) {
    if (name.empty()) {
        return "an entry name cannot be empty";
    }
    if (name.size() > archive::kMaxEntryNameLength) {
        return "'" + name + "' is too long: entry names are limited to 254 characters";
    }
    if (name == "." || name == "..") {
        return "'" + name + "' cannot be an entry name";
    }
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || std::strchr("\\/:*?\"<>|", c) != nullptr) {
            return "'" + name + "' cannot be an entry name: Windows file names cannot hold " +
                   (static_cast<unsigned char>(c) < 0x20 ? std::string("control characters")
                                                         : "'" + std::string(1, c) + "'");
        }
    }
    return "";
}

bool SameEntryName(const std::string& a, const std::string& b) {
    return IsUtf8NotAscii(a) || IsUtf8NotAscii(b)
               ? Utf8NamesEqualIgnoringCase(a, b)
               : support::EqualsIgnoringCase(a.c_str(), b.c_str());
}

bool IsAsciiName(const std::string& name) {
    for (char c : name) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

bool ReadListFile(const std::string& path, std::vector<std::string>* files, std::string* error) {
    std::ifstream list(path);
    if (!list) {
        *error = "cannot open the list " + path + ": " + std::strerror(errno);
        return false;
    }
    std::string line;
    while (std::getline(list, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty() && line[0] != '#') {
            files->push_back(line);
        }
    }
    if (list.bad()) {
        *error = "cannot read the list " + path;
        return false;
    }
    return true;
}

namespace {

bool CheckOpenFile(int fd, const std::string& path, uint64_t* size, std::string* error) {
    struct stat info;
    if (fstat(fd, &info) != 0) {
        *error = "cannot read '" + path + "': " + std::strerror(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        *error = "'" + path + "' is not a regular file";
        return false;
    }
    if (static_cast<uint64_t>(info.st_size) > kLargestInput) {
        *error = "'" + path + "' is too large: packages end below 2 GiB";
        return false;
    }
    *size = static_cast<uint64_t>(info.st_size);
    return true;
}

}  // namespace

int OpenInputFile(const std::string& path, uint64_t* size, std::string* error) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *error = "cannot open '" + path + "': " + std::strerror(errno);
        return -1;
    }
    if (!CheckOpenFile(fd, path, size, error)) {
        close(fd);
        return -1;
    }
    return fd;
}

}  // namespace vornak_pack

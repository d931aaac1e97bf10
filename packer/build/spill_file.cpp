// Unnamed temporary files for streams waiting to be appended.
#include "packer/build/spill_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

namespace vornak_pack {

SpillFile::~SpillFile() {
    if (fd_ >= 0) {
        close(fd_);
    }
}

SpillFile::SpillFile(SpillFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), size_(std::exchange(other.size_, 0)) {}

SpillFile& SpillFile::operator=(SpillFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) {
            close(fd_);
        }
        fd_ = std::exchange(other.fd_, -1);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

bool SpillFile::Create(const std::string& folder, std::string* error) {
    std::string place = folder;
    if (place.empty()) {
        const char* temporary = getenv("TMPDIR");
        place = temporary != nullptr && temporary[0] != '\0' ? temporary : "/tmp";
    }
    std::string pattern = place + "/.vornak-pack-spill-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd_ = mkostemp(name.data(), O_CLOEXEC);
    if (fd_ < 0) {
        *error = "cannot make a temporary file in " + place + ": " + std::strerror(errno);
        return false;
    }
    unlink(name.data());
    return true;
}

bool SpillFile::Append(const uint8_t* data, size_t length, std::string* error) {
    while (length > 0) {
        ssize_t written = write(fd_, data, length);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            *error = std::string("cannot write a temporary file: ") + std::strerror(errno);
            return false;
        }
        data += written;
        length -= static_cast<size_t>(written);
        size_ += static_cast<uint64_t>(written);
    }
    return true;
}

size_t SpillFile::ReadAt(uint64_t offset, uint8_t* buffer, size_t capacity) const {
    for (;;) {
        ssize_t got = pread(fd_, buffer, capacity, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        return got > 0 ? static_cast<size_t>(got) : 0;
    }
}

}  // namespace vornak_pack

// SpillFile: an unnamed temporary file for bytes that are too many to keep in
// memory while they wait their turn.
//
// The compressor's threads finish files out of order and the package takes
// them in order, so a finished stream may wait; a large one waits here
// rather than in memory. The file is unlinked as soon as it is made, so it
// goes away with the descriptor whatever happens to the process.
#pragma once

#include <cstdint>
#include <string>

namespace vornak_pack {

class SpillFile {
  public:
    SpillFile() = default;
    ~SpillFile();
    SpillFile(SpillFile&& other) noexcept;
    SpillFile& operator=(SpillFile&& other) noexcept;
    SpillFile(const SpillFile&) = delete;
    SpillFile& operator=(const SpillFile&) = delete;

    // Makes the file in folder (the system's temporary folder when empty);
    // false with the reason in error.
    bool Create(const std::string& folder, std::string* error);
    bool IsOpen() const { return fd_ >= 0; }
    // Appends all length bytes; false with the reason in error.
    bool Append(const uint8_t* data, size_t length, std::string* error);
    // Reads up to capacity bytes at offset; returns how many, 0 at the end
    // or on a failure.
    size_t ReadAt(uint64_t offset, uint8_t* buffer, size_t capacity) const;
    uint64_t Size() const { return size_; }

  private:
    int fd_ = -1;
    uint64_t size_ = 0;
};

}  // namespace vornak_pack

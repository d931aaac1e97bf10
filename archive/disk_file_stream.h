// DiskFile as either end of a stream: a sink that writes to it, and a source
// that reads a stated number of bytes from its current position.
#pragma once

#include <cstdint>

#include "archive/byte_stream.h"
#include "support/disk_file.h"

namespace archive {

class DiskFileSink final : public ByteSink {
  public:
    explicit DiskFileSink(support::DiskFile* file) : file_(file) {}
    bool Write(const uint8_t* data, uint32_t length) override { return file_->Write(data, length); }

  private:
    support::DiskFile* file_;
};

// Hands out exactly length bytes, then reports the end. A read that brings
// less than asked ends the source early; Short() then tells it apart from
// the end of what was stated. Sum() is the data sum of the bytes handed out.
class DiskFileSource final : public ByteSource {
  public:
    DiskFileSource(support::DiskFile* file, uint32_t length) : file_(file), remaining_(length) {}
    uint32_t Read(uint8_t* buffer, uint32_t capacity) override {
        uint32_t want = remaining_ < capacity ? remaining_ : capacity;
        uint32_t got = want > 0 ? file_->Read(buffer, want) : 0;
        if (got != want) {
            short_ = true;
            remaining_ = 0;
            return 0;
        }
        remaining_ -= got;
        for (uint32_t i = 0; i < got; ++i) {
            sum_ += buffer[i];
        }
        return got;
    }
    bool Short() const { return short_; }
    uint32_t Sum() const { return sum_; }

  private:
    support::DiskFile* file_;
    uint32_t remaining_;
    uint32_t sum_ = 0;
    bool short_ = false;
};

}  // namespace archive

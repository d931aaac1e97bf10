// The two ends a streaming codec or copy works between: a sink that takes
// bytes piece by piece and a source that hands them out piece by piece.
// Entries are moved through these in fixed-size pieces, so no caller ever
// holds a whole entry in memory.
#pragma once

#include <cstdint>

namespace archive {

class ByteSink {
  public:
    // Takes all length bytes; false when they could not be stored.
    virtual bool Write(const uint8_t* data, uint32_t length) = 0;

  protected:
    ~ByteSink() = default;
};

class ByteSource {
  public:
    // Stores up to capacity bytes; returns how many, 0 at the end or on a
    // failure.
    virtual uint32_t Read(uint8_t* buffer, uint32_t capacity) = 0;

  protected:
    ~ByteSource() = default;
};

// The size of the pieces entries are read, decoded, encoded and copied in:
// large enough that a piece costs few system calls, small enough that a
// piece in and a piece out stay far below what any entry may be.
constexpr uint32_t kStreamPieceSize = 256 * 1024;

}  // namespace archive

// EntryDecoder: one entry's bzip2 stream decoded piece by piece.
//
// The stream is fed in pieces of any size; what they decode to goes to a
// sink through a fixed output buffer, so memory does not grow with the
// entry. The directory states how long the decoded file is, and that is
// enforced as the bytes come: a stream that would decode to more stops
// before the excess reaches the sink, so a small stream claiming or
// expanding to gigabytes costs one buffer, not gigabytes written.
#pragma once

#include <cstdint>

#include "archive/byte_stream.h"

namespace archive {

class EntryDecoder {
  public:
    // Decodes into sink a stream that must come to exactly expected_size
    // bytes. A decoder that cannot get its state or buffer has failed.
    EntryDecoder(uint32_t expected_size, ByteSink* sink);
    ~EntryDecoder();
    EntryDecoder(const EntryDecoder&) = delete;
    EntryDecoder& operator=(const EntryDecoder&) = delete;

    // Decodes the next length bytes of the stream. Returns false from the
    // first damaged byte, decoded byte beyond expected_size or refused write
    // on; bytes after the end of the stream are ignored, as the one-shot
    // decoder ignores them.
    bool Feed(const uint8_t* data, uint32_t length);
    // Whether the stream has ended, whole, at exactly expected_size bytes.
    bool Complete() const { return !failed_ && ended_ && produced_ == expected_size_; }
    bool Ended() const { return ended_ || failed_; }
    bool Failed() const { return failed_; }

  private:
    // One call of the library: decodes into the output buffer and passes
    // what came out on. Returns false when nothing more can come now.
    bool DecodeStep();

    void* stream_ = nullptr;  // the library's bz_stream
    uint8_t* output_ = nullptr;
    ByteSink* sink_;
    uint32_t expected_size_;
    uint32_t produced_ = 0;
    bool ended_ = false;
    bool failed_ = false;
};

}  // namespace archive

// EntryEncoder: a file's bytes encoded piece by piece into one bzip2 stream.
//
// Block size 9 and work factor 30, as the one-shot call is made, so the
// stream is byte for byte the one that call writes for the same bytes:
// bzip2 cuts its blocks by count of input, not by how the input arrives,
// with one exception. The one-shot call knows from the start where the
// input ends, and when a block fills up with the very last byte it closes
// that block with the last pending run still in it; a run call that ends
// on a full block closes it at once, and the run goes to a block of its
// own. So the encoder always holds back the last byte fed and gives it to
// the library only with the finishing call. Memory is the library's block
// state and one fixed output buffer, whatever the file's size.
#pragma once

#include <cstdint>

#include "archive/byte_stream.h"

namespace archive {

class EntryEncoder {
  public:
    explicit EntryEncoder(ByteSink* sink);
    ~EntryEncoder();
    EntryEncoder(const EntryEncoder&) = delete;
    EntryEncoder& operator=(const EntryEncoder&) = delete;

    // Encodes the next length bytes of the file (all but the last byte fed
    // so far); false once the library or the sink has failed.
    bool Feed(const uint8_t* data, uint32_t length);
    // Encodes the byte held back, ends the stream and passes its last bytes
    // on; false on a failure.
    bool Finish();
    bool Failed() const { return failed_; }

  private:
    // Runs the library with action over length bytes at data until it
    // reports done; false on failure.
    bool Drive(const uint8_t* data, uint32_t length, int action);

    void* stream_ = nullptr;  // the library's bz_stream
    uint8_t* output_ = nullptr;
    ByteSink* sink_;
    uint8_t held_ = 0;
    bool holding_ = false;
    bool failed_ = false;
};

}  // namespace archive

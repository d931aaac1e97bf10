// Streaming bzip2 encoding, the same bytes as the one-shot call.
#include "archive/entry_encoder.h"

#include <bzlib.h>

#include <cstdlib>

namespace archive {

EntryEncoder::EntryEncoder(ByteSink* sink) : sink_(sink) {
    auto* stream = static_cast<bz_stream*>(std::calloc(1, sizeof(bz_stream)));
    output_ = static_cast<uint8_t*>(std::malloc(kStreamPieceSize));
    if (stream == nullptr || output_ == nullptr || BZ2_bzCompressInit(stream, 9, 0, 30) != BZ_OK) {
        std::free(stream);
        failed_ = true;
        return;
    }
    stream_ = stream;
}

EntryEncoder::~EntryEncoder() {
    if (stream_ != nullptr) {
        BZ2_bzCompressEnd(static_cast<bz_stream*>(stream_));
        std::free(stream_);
    }
    std::free(output_);
}

bool EntryEncoder::Feed(const uint8_t* data, uint32_t length) {
    // The library counts a run call without input as a misuse.
    if (failed_ || length == 0) {
        return !failed_;
    }
    if (holding_ && !Drive(&held_, 1, BZ_RUN)) {
        return false;
    }
    held_ = data[length - 1];
    holding_ = true;
    return length == 1 || Drive(data, length - 1, BZ_RUN);
}

bool EntryEncoder::Finish() {
    if (failed_) {
        return false;
    }
    bool finished = Drive(holding_ ? &held_ : nullptr, holding_ ? 1 : 0, BZ_FINISH);
    holding_ = false;
    return finished;
}

bool EntryEncoder::Drive(const uint8_t* data, uint32_t length, int action) {
    auto* stream = static_cast<bz_stream*>(stream_);
    stream->next_in = const_cast<char*>(reinterpret_cast<const char*>(data));
    stream->avail_in = length;
    for (;;) {
        stream->next_out = reinterpret_cast<char*>(output_);
        stream->avail_out = kStreamPieceSize;
        int result = BZ2_bzCompress(stream, action);
        uint32_t produced = kStreamPieceSize - stream->avail_out;
        bool understood = action == BZ_RUN ? result == BZ_RUN_OK
                                           : result == BZ_FINISH_OK || result == BZ_STREAM_END;
        if (!understood || (produced > 0 && !sink_->Write(output_, produced))) {
            failed_ = true;
            return false;
        }
        // Running, the call is done once all input is taken: output still
        // waiting in the library goes out at the next call, which must not
        // be a run call without input. Finishing, the library says when the
        // stream is closed.
        bool done = action == BZ_RUN ? stream->avail_in == 0 : result == BZ_STREAM_END;
        if (done) {
            return true;
        }
    }
}

}  // namespace archive

// Streaming bzip2 decoding with the stated size enforced as bytes come.
#include "archive/entry_decoder.h"

#include <bzlib.h>

#include <cstdlib>

namespace archive {

EntryDecoder::EntryDecoder(uint32_t expected_size, ByteSink* sink)
    : sink_(sink), expected_size_(expected_size) {
    auto* stream = static_cast<bz_stream*>(std::calloc(1, sizeof(bz_stream)));
    output_ = static_cast<uint8_t*>(std::malloc(kStreamPieceSize));
    // Small 0 and verbosity 0, as the one-shot decoder is called: the same
    // streams decode, at the same speed.
    if (stream == nullptr || output_ == nullptr || BZ2_bzDecompressInit(stream, 0, 0) != BZ_OK) {
        std::free(stream);
        failed_ = true;
        return;
    }
    stream_ = stream;
}

EntryDecoder::~EntryDecoder() {
    if (stream_ != nullptr) {
        BZ2_bzDecompressEnd(static_cast<bz_stream*>(stream_));
        std::free(stream_);
    }
    std::free(output_);
}

bool EntryDecoder::Feed(const uint8_t* data, uint32_t length) {
    if (failed_ || ended_) {
        return !failed_;
    }
    auto* stream = static_cast<bz_stream*>(stream_);
    stream->next_in = const_cast<char*>(reinterpret_cast<const char*>(data));
    stream->avail_in = length;
    while (DecodeStep()) {
    }
    stream->next_in = nullptr;
    stream->avail_in = 0;
    return !failed_;
}

bool EntryDecoder::DecodeStep() {
    auto* stream = static_cast<bz_stream*>(stream_);
    unsigned int input_before = stream->avail_in;
    stream->next_out = reinterpret_cast<char*>(output_);
    stream->avail_out = kStreamPieceSize;
    int result = BZ2_bzDecompress(stream);
    uint32_t produced = kStreamPieceSize - stream->avail_out;
    if (result != BZ_OK && result != BZ_STREAM_END) {
        failed_ = true;
        return false;
    }
    // Checked before the sink sees them: bytes beyond the stated size are
    // never written anywhere.
    if (produced > expected_size_ - produced_ ||
        (produced > 0 && !sink_->Write(output_, produced))) {
        failed_ = true;
        return false;
    }
    produced_ += produced;
    if (result == BZ_STREAM_END) {
        ended_ = true;
        return false;
    }
    // A full buffer may leave decoded bytes waiting; otherwise the decoder
    // stopped because this piece of input is used up (or, defensively,
    // because it could do nothing with it).
    bool buffer_was_full = stream->avail_out == 0;
    bool made_progress = produced > 0 || stream->avail_in != input_before;
    return made_progress && (buffer_was_full || stream->avail_in > 0);
}

}  // namespace archive

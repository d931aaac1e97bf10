// The entry codec: whole files in, whole files out, coded piece by piece.
#include "archive/entry_codec.h"

#include <bzlib.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "archive/disk_file_stream.h"
#include "archive/entry_decoder.h"
#include "archive/entry_encoder.h"
#include "support/disk_file.h"
#include "support/message_box.h"
#include "support/text_format.h"
#include "support/win32_values.h"

namespace archive {

namespace {

using support::DiskFile;

enum class Outcome { kSuccess, kReadFailure, kWriteFailure };

// The one-shot decoder needed room for the stated size plus this much, and
// could address no more than 4 GiB of it. A claim it could not have met is
// still refused before anything is decoded; no entry can honestly make it.
constexpr uint32_t kDecodeSlack = 5000;

void ReportFailure(bool compressing, Outcome outcome, const char* source, const char* destination) {
    const char* format = nullptr;
    if (compressing) {
        format = outcome == Outcome::kReadFailure
                     ? "Error whilst compressing '%s', unable to read from '%s'"
                     : "Error whilst compressing '%s', unable to write to '%s'";
    } else {
        format = outcome == Outcome::kReadFailure
                     ? "Error whilst uncompressing '%s', unable to read from '%s'"
                     : "Error whilst uncompressing '%s', unable to write to '%s'";
    }
    const char* failed = outcome == Outcome::kReadFailure ? source : destination;
    char text[1000];
    support::FormatText(text, sizeof text, format, destination, failed);
    support::ShowMessage(text, "Install", support::kMbTopmost | support::kMbIconError);
}

// One piece of input at a time, from a heap buffer: worker threads have
// small stacks.
class PieceBuffer {
  public:
    PieceBuffer() : bytes_(static_cast<uint8_t*>(std::malloc(kStreamPieceSize))) {}
    ~PieceBuffer() { std::free(bytes_); }
    PieceBuffer(const PieceBuffer&) = delete;
    PieceBuffer& operator=(const PieceBuffer&) = delete;
    uint8_t* Bytes() const { return bytes_; }

  private:
    uint8_t* bytes_;
};

Outcome CompressOpenFiles(DiskFile& source, DiskFile& destination, uint32_t* uncompressed_size) {
    uint64_t size = source.Size();
    *uncompressed_size = static_cast<uint32_t>(size);
    PieceBuffer piece;
    if (size > UINT32_MAX || piece.Bytes() == nullptr) {
        return Outcome::kReadFailure;
    }
    DiskFileSink sink(&destination);
    EntryEncoder encoder(&sink);
    DiskFileSource input(&source, static_cast<uint32_t>(size));
    while (uint32_t got = input.Read(piece.Bytes(), kStreamPieceSize)) {
        if (!encoder.Feed(piece.Bytes(), got)) {
            return Outcome::kWriteFailure;
        }
    }
    if (input.Short()) {
        return Outcome::kReadFailure;
    }
    return encoder.Finish() ? Outcome::kSuccess : Outcome::kWriteFailure;
}

// Feeds what source holds to decoder until the stream ends or the source
// does. A source that stops short of what it stated is a read failure; so
// is one whose bytes, all of them, do not add up to expected_sum when that
// is given.
Outcome DecodeFrom(DiskFileSource& source, EntryDecoder& decoder, const uint32_t* expected_sum,
                   const std::atomic<bool>* stop = nullptr) {
    PieceBuffer piece;
    if (piece.Bytes() == nullptr) {
        return Outcome::kReadFailure;
    }
    while (!decoder.Ended()) {
        if (stop != nullptr && *stop) {
            return Outcome::kReadFailure;
        }
        uint32_t got = source.Read(piece.Bytes(), kStreamPieceSize);
        if (got == 0) {
            break;
        }
        decoder.Feed(piece.Bytes(), got);
    }
    // Whatever follows the end of the stream counts in the sum.
    while (expected_sum != nullptr && source.Read(piece.Bytes(), kStreamPieceSize) > 0) {
    }
    if (source.Short() || (expected_sum != nullptr && source.Sum() != *expected_sum)) {
        return Outcome::kReadFailure;
    }
    // A stream that decodes to another length than the directory gives is
    // damaged as surely as one that does not decode: a short file written
    // as a success would be installed as if it were whole.
    return decoder.Complete() ? Outcome::kSuccess : Outcome::kWriteFailure;
}

bool IsDecodableClaim(uint32_t expected_size) {
    return static_cast<uint64_t>(expected_size) + kDecodeSlack <= UINT32_MAX;
}

// Stores what the decoder passes on at the front of a buffer the decoder
// never lets it overrun: the decoder stops at the stated size, which is the
// buffer's.
class MemorySink final : public ByteSink {
  public:
    explicit MemorySink(uint8_t* buffer) : next_(buffer) {}
    bool Write(const uint8_t* data, uint32_t length) override {
        std::memcpy(next_, data, length);
        next_ += length;
        return true;
    }

  private:
    uint8_t* next_;
};

// Truncates destination: a decode that failed half-way must leave the
// target empty, as one that never wrote would.
void Empty(const char* destination) {
    DiskFile again(destination, DiskFile::kWrite | DiskFile::kCreateEmpty);
}

}  // namespace

uint64_t CompressionBound(uint64_t size) {
    return size * 101 / 100 + 600;
}

bool CompressBuffer(const uint8_t* input, uint32_t length, uint8_t* output, uint32_t* out_length) {
    unsigned int produced = *out_length;
    int result = BZ2_bzBuffToBuffCompress(reinterpret_cast<char*>(output), &produced,
                                          const_cast<char*>(reinterpret_cast<const char*>(input)),
                                          length, 9, 0, 30);
    *out_length = produced;
    return result == BZ_OK;
}

bool DecompressBuffer(const uint8_t* input, uint32_t length, uint8_t* output,
                      uint32_t* out_length) {
    unsigned int produced = *out_length;
    int result = BZ2_bzBuffToBuffDecompress(reinterpret_cast<char*>(output), &produced,
                                            const_cast<char*>(reinterpret_cast<const char*>(input)),
                                            length, 0, 0);
    *out_length = produced;
    return result == BZ_OK;
}

bool CompressFile(const char* source_path, const char* destination_path, bool report,
                  uint32_t* uncompressed_size) {
    *uncompressed_size = 0;
    Outcome outcome = Outcome::kReadFailure;
    DiskFile source(source_path, DiskFile::kRead);
    if (source.IsOpen()) {
        DiskFile destination(destination_path, DiskFile::kWrite | DiskFile::kCreateEmpty);
        if (destination.IsOpen()) {
            outcome = CompressOpenFiles(source, destination, uncompressed_size);
        }
    }
    if (report && outcome != Outcome::kSuccess) {
        ReportFailure(true, outcome, source_path, destination_path);
    }
    return outcome == Outcome::kSuccess;
}

namespace {

Outcome DecodeInto(DiskFile* source, uint32_t length, DiskFile& destination, uint32_t expected_size,
                   const uint32_t* expected_sum) {
    if (!destination.IsOpen()) {
        return Outcome::kReadFailure;
    }
    if (expected_size == 0) {
        return Outcome::kSuccess;
    }
    if (!IsDecodableClaim(expected_size)) {
        return Outcome::kReadFailure;
    }
    DiskFileSink sink(&destination);
    EntryDecoder decoder(expected_size, &sink);
    DiskFileSource input(source, length);
    return DecodeFrom(input, decoder, expected_sum);
}

}  // namespace

bool DecompressFromFile(DiskFile* source, const char* source_path, uint32_t length,
                        const char* destination_path, bool report, uint32_t expected_size,
                        const uint32_t* expected_sum) {
    Outcome outcome = Outcome::kReadFailure;
    {
        DiskFile destination(destination_path, DiskFile::kWrite | DiskFile::kCreateEmpty);
        outcome = DecodeInto(source, length, destination, expected_size, expected_sum);
    }
    if (outcome != Outcome::kSuccess) {
        Empty(destination_path);
    }
    if (report && outcome != Outcome::kSuccess) {
        ReportFailure(false, outcome, source_path, destination_path);
    }
    return outcome == Outcome::kSuccess;
}

bool DecompressFromFileInto(DiskFile* source, const char* source_path, uint32_t length,
                            DiskFile* destination, const char* destination_path, bool report,
                            uint32_t expected_size, const uint32_t* expected_sum) {
    Outcome outcome = DecodeInto(source, length, *destination, expected_size, expected_sum);
    if (report && outcome != Outcome::kSuccess) {
        ReportFailure(false, outcome, source_path, destination_path);
    }
    return outcome == Outcome::kSuccess;
}

bool DecompressData(const uint8_t* data, uint32_t length, const char* destination_path, bool report,
                    uint32_t expected_size) {
    bool decoded = false;
    {
        DiskFile destination(destination_path, DiskFile::kWrite | DiskFile::kCreateEmpty);
        if (destination.IsOpen()) {
            DiskFileSink sink(&destination);
            EntryDecoder decoder(expected_size, &sink);
            decoded = expected_size == 0 || (IsDecodableClaim(expected_size) &&
                                             decoder.Feed(data, length) && decoder.Complete());
        }
    }
    if (!decoded) {
        Empty(destination_path);
    }
    // The data is already in memory: whatever failed, failed on the way to
    // the destination.
    if (report && !decoded) {
        ReportFailure(false, Outcome::kWriteFailure, destination_path, destination_path);
    }
    return decoded;
}

bool DecodeToMemory(support::DiskFile* source, uint32_t length, uint32_t expected_sum,
                    uint8_t* output, uint32_t expected_size, const std::atomic<bool>* stop) {
    if (expected_size == 0 || !IsDecodableClaim(expected_size)) {
        return false;
    }
    MemorySink sink(output);
    EntryDecoder decoder(expected_size, &sink);
    DiskFileSource input(source, length);
    return DecodeFrom(input, decoder, &expected_sum, stop) == Outcome::kSuccess;
}

bool WriteDecodedEntry(const uint8_t* bytes, uint32_t size, const char* destination_path,
                       bool report) {
    bool written = false;
    {
        DiskFile destination(destination_path, DiskFile::kWrite | DiskFile::kCreateEmpty);
        written = destination.IsOpen() && (size == 0 || destination.Write(bytes, size));
    }
    if (!written) {
        Empty(destination_path);
        if (report) {
            ReportFailure(false, Outcome::kWriteFailure, destination_path, destination_path);
        }
    }
    return written;
}

bool WriteDecodedEntryInto(const uint8_t* bytes, uint32_t size, DiskFile* destination,
                           const char* destination_path, bool report) {
    bool written = destination->IsOpen() && (size == 0 || destination->Write(bytes, size));
    if (!written && report) {
        ReportFailure(false, Outcome::kWriteFailure, destination_path, destination_path);
    }
    return written;
}

}  // namespace archive

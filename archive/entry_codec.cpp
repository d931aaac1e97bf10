// The entry codec over libbz2's one-shot buffer calls.
#include "archive/entry_codec.h"

#include <bzlib.h>

#include <cstdlib>

#include "support/disk_file.h"
#include "support/message_box.h"
#include "support/text_format.h"
#include "support/win32_values.h"

namespace archive {

namespace {

using support::DiskFile;

enum class Outcome { kSuccess, kReadFailure, kWriteFailure };

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

// Owns the two whole-file buffers of one call; allocation failures come back
// as null rather than as exceptions.
struct Buffers {
    uint8_t* input = nullptr;
    uint8_t* output = nullptr;
    ~Buffers() {
        std::free(input);
        std::free(output);
    }
    bool Allocate(uint64_t input_size, uint64_t output_size) {
        if (input_size > UINT32_MAX || output_size > UINT32_MAX) {
            return false;
        }
        input = static_cast<uint8_t*>(std::malloc(input_size ? input_size : 1));
        output = static_cast<uint8_t*>(std::malloc(output_size ? output_size : 1));
        return input != nullptr && output != nullptr;
    }
};

Outcome CompressOpenFiles(DiskFile& source, DiskFile& destination, uint32_t* uncompressed_size) {
    uint64_t size = source.Size();
    *uncompressed_size = static_cast<uint32_t>(size);
    if (size > UINT32_MAX) {
        return Outcome::kReadFailure;
    }
    Buffers buffers;
    uint64_t bound = CompressionBound(size);
    if (!buffers.Allocate(size, bound)) {
        return Outcome::kReadFailure;
    }
    uint32_t length = static_cast<uint32_t>(size);
    if (source.Read(buffers.input, length) != length) {
        return Outcome::kReadFailure;
    }
    uint32_t out_length = static_cast<uint32_t>(bound);
    if (!CompressBuffer(buffers.input, length, buffers.output, &out_length)) {
        return Outcome::kWriteFailure;
    }
    return destination.Write(buffers.output, out_length) ? Outcome::kSuccess
                                                         : Outcome::kWriteFailure;
}

// Decodes a whole stream into one buffer of expected_size plus the slack and
// writes it to destination when it is exactly expected_size bytes long.
Outcome DecodeInto(const uint8_t* input, uint32_t length, DiskFile& destination,
                   uint32_t expected_size) {
    // The bound is computed in 64 bits: a claimed size near 4 GiB must not
    // wrap into a small buffer. What libbz2 cannot address cannot be decoded.
    uint64_t output_size = static_cast<uint64_t>(expected_size) + kDecodeSlack;
    auto* output = output_size <= UINT32_MAX
                       ? static_cast<uint8_t*>(std::malloc(static_cast<size_t>(output_size)))
                       : nullptr;
    if (output == nullptr) {
        return Outcome::kReadFailure;
    }
    uint32_t out_length = static_cast<uint32_t>(output_size);
    Outcome outcome = Outcome::kWriteFailure;
    // A stream that decodes to another length than the directory gives is
    // damaged as surely as one that does not decode: a short file written
    // as a success would be installed as if it were whole.
    if (DecompressBuffer(input, length, output, &out_length) && out_length == expected_size &&
        destination.Write(output, out_length)) {
        outcome = Outcome::kSuccess;
    }
    std::free(output);
    return outcome;
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

bool DecompressData(const uint8_t* data, uint32_t length, const char* destination_path, bool report,
                    uint32_t expected_size) {
    DiskFile destination(destination_path, DiskFile::kWrite | DiskFile::kCreateEmpty);
    Outcome outcome = Outcome::kWriteFailure;
    if (destination.IsOpen()) {
        outcome = expected_size == 0 ? Outcome::kSuccess
                                     : DecodeInto(data, length, destination, expected_size);
    }
    // The data is already in memory: whatever failed, failed on the way to
    // the destination.
    if (report && outcome != Outcome::kSuccess) {
        ReportFailure(false, Outcome::kWriteFailure, destination_path, destination_path);
    }
    return outcome == Outcome::kSuccess;
}

}  // namespace archive

// The entry codec: a whole file to one bzip2 stream and back.
//
// Both directions code piece by piece (EntryEncoder, EntryDecoder), so
// memory stays the same for any size of file; the stream is the one the
// one-shot libbz2 call writes, block size 9, so every entry's data starts
// "BZh9". A decode that fails leaves its destination empty.
// With report set, a failure shows one box with caption "Install":
//   "Error whilst compressing '<destination>', unable to read from '<source>'"
// and the like (see the formats in entry_codec.cpp).
#pragma once

#include <atomic>
#include <cstdint>

namespace support {
class DiskFile;
}

namespace archive {

// Writes the bzip2 form of source to destination. uncompressed_size gets the
// low 32 bits of the source size (0 when a file cannot be opened).
bool CompressFile(const char* source, const char* destination, bool report,
                  uint32_t* uncompressed_size);

// Writes the decoded content of a stream in memory (length bytes at data),
// as the installer has it after checking an entry's data sum. An expected
// size of 0 gives an empty destination and success, provided the destination
// could be made. A stream that decodes to any other length than
// expected_size fails as a corrupt one does, and leaves the destination
// empty. A failure, reported, names the destination as the file that could
// not be written, since nothing is read from disk here.
bool DecompressData(const uint8_t* data, uint32_t length, const char* destination, bool report,
                    uint32_t expected_size);

// Decodes the length bytes at source's current position into destination,
// with DecompressData's rules on sizes: how the installer decodes an entry
// straight from the package once its data sum has been checked. A read that stops short is a
// read failure naming source_path. With expected_sum given, all length
// bytes must add up to it as they are read here: bytes that changed since
// they were checked are a read failure too, and the destination is emptied.
bool DecompressFromFile(support::DiskFile* source, const char* source_path, uint32_t length,
                        const char* destination, bool report, uint32_t expected_size,
                        const uint32_t* expected_sum = nullptr);

// The same into a file already open for writing (at its start, empty),
// which a failure leaves as it is: its owner deletes it.
bool DecompressFromFileInto(support::DiskFile* source, const char* source_path, uint32_t length,
                            support::DiskFile* destination, const char* destination_path,
                            bool report, uint32_t expected_size,
                            const uint32_t* expected_sum = nullptr);

// Decodes the length bytes at source's current position into output, which
// holds exactly expected_size bytes: how the install's look-ahead decodes an
// entry before anyone asked for it. True only when every byte was read, they
// add up to expected_sum, and the stream decodes to exactly expected_size
// bytes; an empty entry is not decoded here, so it gives false. Reports
// nothing; a set stop ends the decoding early, as a failure.
bool DecodeToMemory(support::DiskFile* source, uint32_t length, uint32_t expected_sum,
                    uint8_t* output, uint32_t expected_size, const std::atomic<bool>* stop);

// Writes an entry decoded and checked already (by DecodeToMemory) to
// destination, with DecompressFromFile's rules on failure: the destination
// is left empty and, with report, the write failure is shown.
bool WriteDecodedEntry(const uint8_t* bytes, uint32_t size, const char* destination, bool report);
// The same into a file already open for writing, left as it is on failure.
bool WriteDecodedEntryInto(const uint8_t* bytes, uint32_t size, support::DiskFile* destination,
                           const char* destination_path, bool report);

// The compression output bound: size * 101 / 100 + 600, the worst case bzip2
// documents, so compression never runs out of space.
uint64_t CompressionBound(uint64_t size);

// One-shot compression of a buffer into a caller's buffer (the reference the
// streaming encoder is held to) of *out_length
// bytes; *out_length gets the stream length. Returns false when libbz2 fails.
bool CompressBuffer(const uint8_t* input, uint32_t length, uint8_t* output, uint32_t* out_length);

// One-shot decoding of a whole bzip2 stream into a caller's buffer of
// *out_length bytes; *out_length gets the decoded length. Returns false for a
// corrupt stream or one that decodes to more than the buffer holds.
bool DecompressBuffer(const uint8_t* input, uint32_t length, uint8_t* output, uint32_t* out_length);

}  // namespace archive

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

#include <cstdint>

namespace support {
class DiskFile;
}

namespace archive {

// Writes the bzip2 form of source to destination. uncompressed_size gets the
// low 32 bits of the source size (0 when a file cannot be opened).
bool CompressFile(const char* source, const char* destination, bool report,
                  uint32_t* uncompressed_size);

// Writes the decoded content of the bzip2 file at source to destination.
// An expected size of 0 gives an empty destination and success, provided the
// destination could be made. A stream that decodes to any other length than
// expected_size fails as a corrupt one does, and leaves the destination
// empty; an empty source decodes to nothing, a missing one cannot be read.
bool DecompressFile(const char* source, const char* destination, bool report,
                    uint32_t expected_size);

// The same decoding for a stream already in memory (length bytes at data).
// The rules are
// DecompressFile's: an expected size of 0 gives an empty destination, and
// anything else must decode to exactly expected_size bytes.
// A failure, reported, names the destination as the file that could not be
// written, since nothing is read from disk here.
bool DecompressData(const uint8_t* data, uint32_t length, const char* destination, bool report,
                    uint32_t expected_size);

// Decodes the length bytes at source's current position, as DecompressFile
// decodes a whole file: how the installer decodes an entry straight from the
// package once its data sum has been checked. A read that stops short is a
// read failure naming source_path. With expected_sum given, all length
// bytes must add up to it as they are read here: bytes that changed since
// they were checked are a read failure too, and the destination is emptied.
bool DecompressFromFile(support::DiskFile* source, const char* source_path, uint32_t length,
                        const char* destination, bool report, uint32_t expected_size,
                        const uint32_t* expected_sum = nullptr);

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

// The package archive format: what follows the stub in an installer.
//
//   stub | entry data ... | directory (17-byte header + name per entry) | trailer
//
// All integers are little-endian and unaligned. The trailer is the last 24
// bytes of the file and locates everything else, so the stub is never parsed.
// This file holds the records, their encoding, both checksums and the
// reader's validation; PackageArchive (package_archive.h) builds on it.
#pragma once

#include <cstdint>

#include "archive/certificate_table.h"
#include "support/disk_file.h"

namespace archive {

constexpr uint32_t kFirstMagic = 0x03345283u;
constexpr uint32_t kSecondMagic = 0x0EFFF343u;
constexpr uint32_t kEntryHeaderSize = 17;
constexpr uint32_t kTrailerSize = 24;
// The stored name length counts the NUL and must fit in one byte.
constexpr uint32_t kMaxEntryNameLength = 254;

// One directory record. In memory the name is a zero-filled 260-byte buffer,
// so a name read from a file is terminated even when its NUL is missing.
struct ArchiveEntry {
    uint32_t data_offset;
    uint32_t compressed_size;
    uint32_t uncompressed_size;
    uint32_t data_sum;
    uint8_t name_length;  // not maintained in memory; recomputed on write
    char name[260];
};

struct ArchiveTrailer {
    uint32_t file_checksum;
    uint32_t trailer_checksum;
    uint32_t directory_offset;
    uint32_t entry_count;
    uint32_t first_magic;
    uint32_t second_magic;
};

uint32_t ReadLittleEndian32(const uint8_t* bytes);
void WriteLittleEndian32(uint8_t* bytes, uint32_t value);

// The 17 header bytes of a record; the name length is (strlen + 1) mod 256.
void EncodeEntryHeader(const ArchiveEntry& entry, uint8_t out[kEntryHeaderSize]);
void DecodeEntryHeader(const uint8_t bytes[kEntryHeaderSize], ArchiveEntry* entry);

void EncodeTrailer(const ArchiveTrailer& trailer, uint8_t out[kTrailerSize]);
void DecodeTrailer(const uint8_t bytes[kTrailerSize], ArchiveTrailer* trailer);

// Signed byte sum of trailer bytes 8..23 (directory offset, entry count and
// both magics, as stored).
uint32_t ComputeTrailerChecksum(const uint8_t trailer_bytes[kTrailerSize]);

// Adds one chunk of covered bytes to a running file checksum: each complete
// little-endian word, then the 0..3 trailing bytes singly. Chunks other than
// the last must be a multiple of 4 bytes long.
uint32_t AddChecksumChunk(uint32_t sum, const uint8_t* bytes, uint32_t length);

// The file checksum over everything but the trailer: 0 on a read failure,
// 1 when the work buffer cannot be had, and never 0 otherwise.
uint32_t ComputeFileChecksum(support::DiskFile& file);

// Where the archive lies in a file. An unsigned package's trailer ends at
// the end of the file. A signed one's ends where its certificate table
// begins, less the signer's zero padding; its checksum then reads the two
// header fields the signer rewrote as zeros.
struct PackageLayout {
    uint64_t archive_end;
    bool is_signed;             // the file carries a certificate table at its end
    uint32_t padding;           // zero bytes between the archive and the table
    SignatureFields signature;  // valid when is_signed
};

// The layout by which the file is judged: signed when it carries a
// certificate table, and as today otherwise.
void FindPackageLayout(support::DiskFile& file, PackageLayout* layout);

// The file checksum of the bytes before the layout's trailer, with the
// signature fields read as zeros in a signed file.
uint32_t ComputeFileChecksum(support::DiskFile& file, const PackageLayout& layout);

// The reader's tests, in the order they are applied; the first that fails
// names the result.
enum class Validation {
    kValid,
    kNotOpen,
    kTooShort,  // fewer than 24 bytes at file size - 24
    kBadFirstMagic,
    kBadSecondMagic,
    kBadTrailerChecksum,
    kBadFileChecksum,
};

// Runs the reader's validation on an open file; fills trailer whenever 24
// bytes could be read, and layout, when given, with where they were read.
Validation ValidatePackage(support::DiskFile& file, ArchiveTrailer* trailer,
                           PackageLayout* layout = nullptr);

const char* DescribeValidation(Validation result);

}  // namespace archive

// Records, checksums and validation of the package archive format.
#include "archive/package_format.h"

#include <cstdlib>
#include <cstring>

namespace archive {

uint32_t ReadLittleEndian32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
           (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

void WriteLittleEndian32(uint8_t* bytes, uint32_t value) {
    bytes[0] = static_cast<uint8_t>(value);
    bytes[1] = static_cast<uint8_t>(value >> 8);
    bytes[2] = static_cast<uint8_t>(value >> 16);
    bytes[3] = static_cast<uint8_t>(value >> 24);
}

void EncodeEntryHeader(const ArchiveEntry& entry, uint8_t out[kEntryHeaderSize]) {
    WriteLittleEndian32(out + 0, entry.data_offset);
    WriteLittleEndian32(out + 4, entry.compressed_size);
    WriteLittleEndian32(out + 8, entry.uncompressed_size);
    WriteLittleEndian32(out + 12, entry.data_sum);
    out[16] = static_cast<uint8_t>((strnlen(entry.name, sizeof entry.name) + 1) % 256);
}

void DecodeEntryHeader(const uint8_t bytes[kEntryHeaderSize], ArchiveEntry* entry) {
    entry->data_offset = ReadLittleEndian32(bytes + 0);
    entry->compressed_size = ReadLittleEndian32(bytes + 4);
    entry->uncompressed_size = ReadLittleEndian32(bytes + 8);
    entry->data_sum = ReadLittleEndian32(bytes + 12);
    entry->name_length = bytes[16];
}

void EncodeTrailer(const ArchiveTrailer& trailer, uint8_t out[kTrailerSize]) {
    WriteLittleEndian32(out + 0, trailer.file_checksum);
    WriteLittleEndian32(out + 4, trailer.trailer_checksum);
    WriteLittleEndian32(out + 8, trailer.directory_offset);
    WriteLittleEndian32(out + 12, trailer.entry_count);
    WriteLittleEndian32(out + 16, trailer.first_magic);
    WriteLittleEndian32(out + 20, trailer.second_magic);
}

void DecodeTrailer(const uint8_t bytes[kTrailerSize], ArchiveTrailer* trailer) {
    trailer->file_checksum = ReadLittleEndian32(bytes + 0);
    trailer->trailer_checksum = ReadLittleEndian32(bytes + 4);
    trailer->directory_offset = ReadLittleEndian32(bytes + 8);
    trailer->entry_count = ReadLittleEndian32(bytes + 12);
    trailer->first_magic = ReadLittleEndian32(bytes + 16);
    trailer->second_magic = ReadLittleEndian32(bytes + 20);
}

uint32_t ComputeTrailerChecksum(const uint8_t trailer_bytes[kTrailerSize]) {
    int32_t sum = 0;
    for (uint32_t i = 8; i < kTrailerSize; ++i) {
        sum += static_cast<int8_t>(trailer_bytes[i]);
    }
    return static_cast<uint32_t>(sum);
}

uint32_t AddChecksumChunk(uint32_t sum, const uint8_t* bytes, uint32_t length) {
    uint32_t whole_words = length / 4;
    for (uint32_t i = 0; i < whole_words; ++i) {
        sum += ReadLittleEndian32(bytes + i * 4);
    }
    for (uint32_t i = whole_words * 4; i < length; ++i) {
        sum += bytes[i];
    }
    return sum;
}

uint32_t ComputeFileChecksum(support::DiskFile& file) {
    constexpr uint64_t kChunk = 65536;
    uint64_t size = file.Size();
    uint64_t remaining = size >= kTrailerSize ? size - kTrailerSize : 0;
    file.Seek(0);
    uint64_t buffer_size = remaining < kChunk ? remaining : kChunk;
    auto* buffer = static_cast<uint8_t*>(std::malloc(buffer_size ? buffer_size : 1));
    if (buffer == nullptr) {
        return 1;
    }
    uint32_t sum = 0;
    bool read_failed = false;
    while (remaining > 0) {
        uint32_t want = static_cast<uint32_t>(remaining < kChunk ? remaining : kChunk);
        if (file.Read(buffer, want) != want) {
            read_failed = true;
            break;
        }
        sum = AddChecksumChunk(sum, buffer, want);
        remaining -= want;
    }
    std::free(buffer);
    if (read_failed) {
        return 0;
    }
    return sum == 0 ? 1 : sum;
}

Validation ValidatePackage(support::DiskFile& file, ArchiveTrailer* trailer) {
    std::memset(trailer, 0, sizeof *trailer);
    if (!file.IsOpen()) {
        return Validation::kNotOpen;
    }
    uint64_t size = file.Size();
    // Offsets are 32-bit: a trailer beyond 4 GiB cannot be addressed by Seek.
    if (size < kTrailerSize || size - kTrailerSize > 0x7FFFFFFFu) {
        return Validation::kTooShort;
    }
    uint8_t bytes[kTrailerSize];
    file.Seek(static_cast<int32_t>(size - kTrailerSize));
    if (file.Read(bytes, kTrailerSize) != kTrailerSize) {
        return Validation::kTooShort;
    }
    DecodeTrailer(bytes, trailer);
    if (trailer->first_magic != kFirstMagic) {
        return Validation::kBadFirstMagic;
    }
    if (trailer->second_magic != kSecondMagic) {
        return Validation::kBadSecondMagic;
    }
    if (trailer->trailer_checksum != ComputeTrailerChecksum(bytes)) {
        return Validation::kBadTrailerChecksum;
    }
    if (trailer->file_checksum != ComputeFileChecksum(file)) {
        return Validation::kBadFileChecksum;
    }
    return Validation::kValid;
}

const char* DescribeValidation(Validation result) {
    switch (result) {
        case Validation::kValid:
            return "valid";
        case Validation::kNotOpen:
            return "the file cannot be opened";
        case Validation::kTooShort:
            return "the file is too short to hold a trailer";
        case Validation::kBadFirstMagic:
        case Validation::kBadSecondMagic:
            return "no package trailer (bad magic)";
        case Validation::kBadTrailerChecksum:
            return "the trailer checksum does not match";
        case Validation::kBadFileChecksum:
            return "the file checksum does not match";
    }
    return "unknown";
}

}  // namespace archive

// Records, checksums and validation of the package archive format.
#include "archive/package_format.h"

#include <cstdlib>
#include <cstring>

#include "support/text.h"

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
    out[16] =
        static_cast<uint8_t>((support::BoundedLength(entry.name, sizeof entry.name) + 1) % 256);
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

namespace {

// Zeroes the bytes of a chunk read at position that fall into the field of
// length bytes at field_offset.
void MaskField(uint8_t* chunk, uint64_t position, uint32_t length, uint64_t field_offset,
               uint32_t field_length) {
    uint64_t start = field_offset > position ? field_offset : position;
    uint64_t end = field_offset + field_length;
    uint64_t chunk_end = position + length;
    for (uint64_t at = start; at < end && at < chunk_end; ++at) {
        chunk[at - position] = 0;
    }
}

// The sum of the first covered bytes of the file; with masked given, its
// CheckSum and Security entry count as zeros.
uint32_t SumCoveredBytes(support::DiskFile& file, uint64_t covered, const SignatureFields* masked) {
    constexpr uint64_t kChunk = 65536;
    uint64_t remaining = covered;
    file.Seek(0);
    uint64_t buffer_size = remaining < kChunk ? remaining : kChunk;
    auto* buffer = static_cast<uint8_t*>(std::malloc(buffer_size ? buffer_size : 1));
    if (buffer == nullptr) {
        return 1;
    }
    uint32_t sum = 0;
    bool read_failed = false;
    uint64_t position = 0;
    while (remaining > 0) {
        uint32_t want = static_cast<uint32_t>(remaining < kChunk ? remaining : kChunk);
        if (file.Read(buffer, want) != want) {
            read_failed = true;
            break;
        }
        if (masked != nullptr) {
            MaskField(buffer, position, want, masked->checksum_offset, kCheckSumFieldSize);
            MaskField(buffer, position, want, masked->security_offset, kSecurityEntrySize);
        }
        sum = AddChecksumChunk(sum, buffer, want);
        remaining -= want;
        position += want;
    }
    std::free(buffer);
    if (read_failed) {
        return 0;
    }
    return sum == 0 ? 1 : sum;
}

// The signer's padding is zeros and a trailer always ends in the second
// magic's top byte, 0x0E: so the one place a trailer can end is after the
// last non-zero byte of the (at most 7) bytes in front of the table.
uint32_t CountPadding(support::DiskFile& file, uint32_t table_offset) {
    uint32_t span = table_offset < kMostSignaturePadding ? table_offset : kMostSignaturePadding;
    uint8_t bytes[kMostSignaturePadding];
    file.Seek(static_cast<int32_t>(table_offset - span));
    if (file.Read(bytes, span) != span) {
        return 0;
    }
    uint32_t padding = 0;
    while (padding < span && bytes[span - 1 - padding] == 0) {
        ++padding;
    }
    return padding;
}

}  // namespace

uint32_t ComputeFileChecksum(support::DiskFile& file) {
    uint64_t size = file.Size();
    return SumCoveredBytes(file, size >= kTrailerSize ? size - kTrailerSize : 0, nullptr);
}

uint32_t ComputeFileChecksum(support::DiskFile& file, const PackageLayout& layout) {
    uint64_t end = layout.archive_end;
    return SumCoveredBytes(file, end >= kTrailerSize ? end - kTrailerSize : 0,
                           layout.is_signed ? &layout.signature : nullptr);
}

void FindPackageLayout(support::DiskFile& file, PackageLayout* layout) {
    std::memset(layout, 0, sizeof *layout);
    layout->archive_end = file.Size();
    SignatureFields fields;
    // A Security entry that leads anywhere but the end of the file is no
    // signature of this file: it is read as an unsigned one.
    if (!ReadSignatureFields(file, &fields) ||
        !CarriesCertificateTable(fields, layout->archive_end) ||
        fields.table_offset > 0x7FFFFFFFu) {
        return;
    }
    layout->is_signed = true;
    layout->signature = fields;
    layout->padding = CountPadding(file, fields.table_offset);
    layout->archive_end = fields.table_offset - layout->padding;
}

Validation ValidatePackage(support::DiskFile& file, ArchiveTrailer* trailer,
                           PackageLayout* layout) {
    std::memset(trailer, 0, sizeof *trailer);
    PackageLayout found;
    PackageLayout& where = layout != nullptr ? *layout : found;
    std::memset(&where, 0, sizeof where);
    if (!file.IsOpen()) {
        return Validation::kNotOpen;
    }
    FindPackageLayout(file, &where);
    uint64_t end = where.archive_end;
    // Offsets are 32-bit: a trailer beyond 4 GiB cannot be addressed by Seek.
    if (end < kTrailerSize || end - kTrailerSize > 0x7FFFFFFFu) {
        return Validation::kTooShort;
    }
    uint8_t bytes[kTrailerSize];
    file.Seek(static_cast<int32_t>(end - kTrailerSize));
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
    if (trailer->file_checksum != ComputeFileChecksum(file, where)) {
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

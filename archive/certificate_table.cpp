// Finding the CheckSum and Security fields of a PE image, bounds-checked.
#include "archive/certificate_table.h"

#include <cstring>

#include "archive/package_format.h"
#include "support/win32_values.h"

namespace archive {

namespace {

constexpr uint32_t kDosHeaderSize = 64;
constexpr uint32_t kNewHeaderPointer = 0x3C;
constexpr uint32_t kSignatureAndFileHeader = 24;  // "PE\0\0" and the 20-byte COFF header
constexpr uint32_t kOptionalHeaderSizeField = 20;
constexpr uint32_t kCheckSumInOptional = 64;
constexpr uint32_t kSecurityDirectoryIndex = 4;
// Enough of the headers for either kind of image: the signature, the file
// header and a PE32+ optional header up to its fifth directory entry.
constexpr uint32_t kHeaderBytes = kSignatureAndFileHeader + 112 + 5 * 8;

uint16_t ReadLittleEndian16(const uint8_t* bytes) {
    return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

// Where the optional header's directory count and directory lie, by its
// magic; false for a magic that is neither PE32 nor PE32+.
bool DirectoryLayout(uint16_t magic, uint32_t* count_at, uint32_t* directory_at) {
    if (magic == 0x10B) {
        *count_at = 92;
        *directory_at = 96;
        return true;
    }
    if (magic == 0x20B) {
        *count_at = 108;
        *directory_at = 112;
        return true;
    }
    return false;
}

// Reads the bytes of the headers at pe_offset; the offset came from the
// file, so it is checked against the file's size before it is sought.
bool ReadHeaders(support::DiskFile& file, uint32_t pe_offset, uint8_t* headers) {
    uint64_t size = file.Size();
    if (pe_offset > 0x7FFFFFFFu || static_cast<uint64_t>(pe_offset) + kHeaderBytes > size) {
        return false;
    }
    file.Seek(static_cast<int32_t>(pe_offset));
    return file.Read(headers, kHeaderBytes) == kHeaderBytes;
}

bool ParseHeaders(const uint8_t* headers, uint32_t pe_offset, SignatureFields* fields) {
    if (std::memcmp(headers, "PE\0\0", 4) != 0) {
        return false;
    }
    uint32_t optional_size = ReadLittleEndian16(headers + kOptionalHeaderSizeField);
    const uint8_t* optional = headers + kSignatureAndFileHeader;
    uint32_t count_at = 0;
    uint32_t directory_at = 0;
    if (!DirectoryLayout(ReadLittleEndian16(optional), &count_at, &directory_at)) {
        return false;
    }
    uint32_t security_at = directory_at + kSecurityDirectoryIndex * kSecurityEntrySize;
    // The entry must exist by the directory's own count and lie inside the
    // optional header the file header declares.
    if (ReadLittleEndian32(optional + count_at) <= kSecurityDirectoryIndex ||
        optional_size < security_at + kSecurityEntrySize) {
        return false;
    }
    fields->checksum_offset = pe_offset + kSignatureAndFileHeader + kCheckSumInOptional;
    fields->security_offset = pe_offset + kSignatureAndFileHeader + security_at;
    fields->checksum = ReadLittleEndian32(optional + kCheckSumInOptional);
    fields->table_offset = ReadLittleEndian32(optional + security_at);
    fields->table_size = ReadLittleEndian32(optional + security_at + 4);
    return true;
}

}  // namespace

bool ReadSignatureFields(support::DiskFile& file, SignatureFields* fields) {
    std::memset(fields, 0, sizeof *fields);
    if (!file.IsOpen() || file.Size() < kDosHeaderSize) {
        return false;
    }
    uint8_t dos_header[kDosHeaderSize];
    file.Seek(0);
    if (file.Read(dos_header, kDosHeaderSize) != kDosHeaderSize || dos_header[0] != 'M' ||
        dos_header[1] != 'Z') {
        return false;
    }
    uint32_t pe_offset = ReadLittleEndian32(dos_header + kNewHeaderPointer);
    uint8_t headers[kHeaderBytes];
    if (!ReadHeaders(file, pe_offset, headers) || !ParseHeaders(headers, pe_offset, fields)) {
        std::memset(fields, 0, sizeof *fields);
        return false;
    }
    return true;
}

bool CarriesCertificateTable(const SignatureFields& fields, uint64_t file_size) {
    return fields.table_size > 0 &&
           static_cast<uint64_t>(fields.table_offset) + fields.table_size == file_size;
}

bool ClearSignatureFields(const char* path) {
    support::DiskFile file(path, support::DiskFile::kRead | support::DiskFile::kWrite);
    SignatureFields fields;
    if (!ReadSignatureFields(file, &fields)) {
        return false;
    }
    const uint8_t zeros[kSecurityEntrySize] = {};
    file.Seek(static_cast<int32_t>(fields.checksum_offset));
    bool cleared = file.Write(zeros, kCheckSumFieldSize);
    file.Seek(static_cast<int32_t>(fields.security_offset));
    return file.Write(zeros, kSecurityEntrySize) && cleared;
}

}  // namespace archive

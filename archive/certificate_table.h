// The two PE header fields that code signing rewrites, and the certificate
// table they lead to.
//
// A signing tool pads a program to a multiple of 8 bytes, appends its
// certificate table and then rewrites the optional header's CheckSum and the
// Security entry of the data directory. The table must stay last in the
// file, so the package reader looks for a signed installer's archive in
// front of it, and reads those two fields as the zeros they held when the
// package was written. Every offset here comes from the file and is checked
// against it before use.
#pragma once

#include <cstdint>

#include "support/disk_file.h"

namespace archive {

// The byte widths of the two fields the signer rewrites.
constexpr uint32_t kCheckSumFieldSize = 4;
constexpr uint32_t kSecurityEntrySize = 8;
// The most zero bytes a signer puts between the program and its table.
constexpr uint32_t kMostSignaturePadding = 7;

struct SignatureFields {
    uint32_t checksum_offset;  // file offset of the optional header's CheckSum
    uint32_t security_offset;  // file offset of the Security data-directory entry
    uint32_t checksum;         // the values the file holds there
    uint32_t table_offset;     // the Security entry: a file offset, not an address
    uint32_t table_size;
};

// Reads the fields of a PE32 or PE32+ image. False, with fields zeroed, for
// anything that is not one, or whose headers run past the end of the file.
bool ReadSignatureFields(support::DiskFile& file, SignatureFields* fields);

// True when the Security entry names a certificate table that ends exactly
// at the end of the file: a signed file, to which nothing may be appended.
bool CarriesCertificateTable(const SignatureFields& fields, uint64_t file_size);

// Opens path for writing and zeroes its CheckSum and Security entry, so that
// a copy of a signed program's image does not claim a certificate table past
// its own end. False when path is no PE image or cannot be written.
bool ClearSignatureFields(const char* path);

}  // namespace archive

// Test images for the signing rules: a minimal PE header to stand as a
// stub, and what a signing tool does to a finished file, done by hand so
// that the core tests need no certificate and no external tool.
#pragma once

#include <cstdint>
#include <string>

namespace testing_support {

// length bytes (at least 512) that begin with the headers of a PE32 image,
// or of a PE32+ image, whose CheckSum and Security entry are 0.
std::string PeStub(size_t length, bool pe32_plus = false);

// File offsets of the two fields in a PeStub image.
size_t PeCheckSumOffset();
size_t PeSecurityEntryOffset(bool pe32_plus = false);

// Signs as the tool does: zero padding to a multiple of 8, a certificate
// table of table_size bytes (a multiple of 8) appended, then the CheckSum
// and Security entry rewritten where the image's own headers place them
// (a PeStub, or a real PE32 or PE32+ program).
std::string SignLikeATool(const std::string& image, uint32_t table_size);

// Stores value at offset in bytes, little-endian.
void PutLe32(std::string& bytes, size_t offset, uint32_t value);

}  // namespace testing_support

// Hand-made PE headers and hand-made signatures for tests.
#include "tests/support_lib/signed_image.h"

namespace testing_support {

namespace {

constexpr size_t kPeOffset = 0x80;
constexpr size_t kOptionalHeader = kPeOffset + 24;

void PutLe16(std::string& bytes, size_t offset, uint16_t value) {
    bytes[offset] = static_cast<char>(value & 0xFF);
    bytes[offset + 1] = static_cast<char>(value >> 8);
}

}  // namespace

void PutLe32(std::string& bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

size_t PeCheckSumOffset() {
    return kOptionalHeader + 64;
}

size_t PeSecurityEntryOffset(bool pe32_plus) {
    return kOptionalHeader + (pe32_plus ? 112 : 96) + 4 * 8;
}

std::string PeStub(size_t length, bool pe32_plus) {
    std::string image(length < 512 ? 512 : length, '\0');
    for (size_t i = 512; i < image.size(); ++i) {
        image[i] = static_cast<char>('a' + i % 23);  // stands for code and data
    }
    image[0] = 'M';
    image[1] = 'Z';
    PutLe32(image, 0x3C, kPeOffset);
    image.replace(kPeOffset, 4, std::string("PE\0\0", 4));
    PutLe16(image, kPeOffset + 4, pe32_plus ? 0x8664 : 0x14C);
    PutLe16(image, kPeOffset + 20, pe32_plus ? 0xF0 : 0xE0);
    PutLe16(image, kOptionalHeader, pe32_plus ? 0x20B : 0x10B);
    PutLe32(image, kOptionalHeader + (pe32_plus ? 108 : 92), 16);
    return image;
}

std::string SignLikeATool(const std::string& image, uint32_t table_size) {
    auto byte = [&](size_t at) { return static_cast<uint32_t>(static_cast<uint8_t>(image[at])); };
    size_t pe = byte(0x3C) | byte(0x3D) << 8 | byte(0x3E) << 16 | byte(0x3F) << 24;
    bool pe32_plus = (byte(pe + 24) | byte(pe + 25) << 8) == 0x20B;
    size_t checksum_at = pe + 24 + 64;
    size_t security_at = pe + 24 + (pe32_plus ? 112 : 96) + 4 * 8;
    std::string out = image + std::string((8 - image.size() % 8) % 8, '\0');
    uint32_t table_offset = static_cast<uint32_t>(out.size());
    std::string table(table_size, '\0');
    PutLe32(table, 0, table_size);
    for (uint32_t i = 8; i < table_size; ++i) {
        table[i] = static_cast<char>(i * 7 + 3);
    }
    out += table;
    PutLe32(out, checksum_at, 0x0004A1B3);
    PutLe32(out, security_at, table_offset);
    PutLe32(out, security_at + 4, table_size);
    return out;
}

}  // namespace testing_support

// Reading, checking and decoding one entry in memory.
#include "packer/examine/entry_decoding.h"

#include <cinttypes>
#include <cstdio>
#include <new>
#include <vector>

#include "archive/entry_codec.h"

namespace vornak_pack {

namespace {

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08" PRIX32, value);
    return text;
}

// The entry's compressed bytes, checked against its data sum; the reason
// when they cannot be had or do not hold.
std::string ReadCheckedData(const archive::ArchiveEntry& entry, support::DiskFile& file,
                            std::vector<uint8_t>* data) {
    try {
        data->resize(entry.compressed_size);
    } catch (const std::bad_alloc&) {
        return "not enough memory to check it";
    }
    // An empty block has nothing to read (and no buffer to read into).
    if (entry.compressed_size == 0) {
        return entry.data_sum == 0
                   ? ""
                   : "data sum 0x00000000 where the directory says " + Hex(entry.data_sum);
    }
    file.Seek(static_cast<int32_t>(entry.data_offset));
    if (file.Read(data->data(), entry.compressed_size) != entry.compressed_size) {
        return "its data cannot be read";
    }
    uint32_t sum = 0;
    for (uint8_t byte : *data) {
        sum += byte;
    }
    if (sum != entry.data_sum) {
        return "data sum " + Hex(sum) + " where the directory says " + Hex(entry.data_sum);
    }
    return "";
}

}  // namespace

std::string DecodeEntry(const archive::PackageArchive& package, support::DiskFile& file,
                        int32_t index, DecodedEntry* decoded) {
    const archive::ArchiveEntry& entry = package.EntryAt(index);
    uint64_t end = static_cast<uint64_t>(entry.data_offset) + entry.compressed_size;
    if (end > package.DirectoryOffset()) {
        return "its data runs past the start of the directory";
    }
    // The decode buffer is sized by the directory's claim, which may be up to
    // 4 GiB: it is not filled in advance, so only what decodes is touched.
    // The slack is the installer's, so that a longer stream is told apart.
    uint64_t bound = static_cast<uint64_t>(entry.uncompressed_size) + 5000;
    if (bound > UINT32_MAX) {
        return "its size is more than the installer can decode";
    }
    decoded->bytes.reset(new (std::nothrow) uint8_t[bound]);
    decoded->length = 0;
    if (decoded->bytes == nullptr) {
        return "not enough memory to check it";
    }
    std::vector<uint8_t> data;
    std::string damage = ReadCheckedData(entry, file, &data);
    if (!damage.empty()) {
        return damage;
    }
    // An empty data block is what the installer writes out as an empty file.
    uint32_t length = static_cast<uint32_t>(bound);
    if (entry.compressed_size == 0) {
        length = 0;
    } else if (!archive::DecompressBuffer(data.data(), entry.compressed_size, decoded->bytes.get(),
                                          &length)) {
        return "its bzip2 stream does not decode within the size the directory gives";
    }
    if (length != entry.uncompressed_size) {
        return "it decodes to " + std::to_string(length) + " bytes where the directory says " +
               std::to_string(entry.uncompressed_size);
    }
    decoded->length = length;
    return "";
}

}  // namespace vornak_pack

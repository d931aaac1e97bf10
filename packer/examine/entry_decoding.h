// One entry's data read, checked and decoded in memory, by the rules the
// installer applies when it extracts it: the data lies before the directory,
// its sum matches, and its bzip2 stream decodes to exactly the size the
// directory gives. verify reports what fails; extract writes what holds.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "archive/package_archive.h"
#include "support/disk_file.h"

namespace vornak_pack {

struct DecodedEntry {
    std::unique_ptr<uint8_t[]> bytes;
    uint32_t length = 0;
};

// Why entry index of package (whose file is open as file) would not extract
// as the directory describes it, or the empty text when it would; then
// decoded holds its content.
std::string DecodeEntry(const archive::PackageArchive& package, support::DiskFile& file,
                        int32_t index, DecodedEntry* decoded);

}  // namespace vornak_pack

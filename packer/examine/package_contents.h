// Looking into a package: its directory, a check of everything the installer
// relies on, and extraction. Each reads the package exactly as the installer
// does, through the same archive code, and never writes to it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "archive/package_archive.h"
#include "support/disk_file.h"
#include "packer/common/progress_bar.h"

namespace vornak_pack {

// Opens path read-only, without creating it as the archive would. Null, with
// a message, when it is not there; with require_package, also when it is not
// a package.
std::unique_ptr<archive::PackageArchive> OpenPackage(const std::string& path, bool require_package);

// A package opened for reading its entries: the archive, the file beneath
// it for the entries' data (by its path in the archive code's form), and
// whether its names are UTF-8.
struct ReadablePackage {
    std::string core_path;
    std::unique_ptr<archive::PackageArchive> archive;
    std::unique_ptr<support::DiskFile> file;
    bool utf8_names = false;
};

// OpenPackage(path, true), then its file and its names' encoding; false,
// with a message, when any of them cannot be had.
bool OpenReadablePackage(const std::string& path, ReadablePackage* opened);

// Prints the stub size, then one line per entry: name, data offset,
// compressed size, uncompressed size and ratio, and last whether the
// installer is signed. False, with a message, when the file is not a
// package.
bool ListPackage(const std::string& path, std::FILE* out);

// The ratio column: the compressed size as a share of the uncompressed one.
std::string RatioText(uint32_t compressed, uint32_t uncompressed);

// Extracts the entries called names (all when empty) into folder, which is
// created when missing. Entries of the same name are extracted in directory
// order, so the last one wins, as in the installer. A name that would land
// outside folder, or on a symbolic link in it, is refused. Each entry is
// decoded whole before it replaces its target, so a damaged one leaves an
// existing file untouched. Extraction stops before the total written would
// pass the sum of the entries' sizes, the free space in folder, or max_size
// when that is not 0, whichever is least.
bool ExtractPackage(const std::string& path, const std::string& folder,
                    const std::vector<std::string>& names, std::FILE* out,
                    ProgressBar* progress = nullptr, uint64_t max_size = 0);

}  // namespace vornak_pack

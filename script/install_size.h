// The space an installation needs: the uncompressed sizes of the package
// entries that the script's [CopyFile] sections name.
#pragma once

#include <cstdint>

#include "archive/package_archive.h"

namespace script {

// Bytes of every entry a [CopyFile] names, counted once per section; names
// the package lacks add nothing. A missing script gives 0.
uint64_t CopyFileBytes(const char* script_path, const archive::PackageArchive& package);

}  // namespace script

// Entries whose data ranges overlap.
//
// A packer writes each entry's data once, one after another, so no two
// entries ever share a byte. A crafted directory can point many entries at
// the same small stream and so claim gigabytes of output from a package of
// a few hundred bytes; every entry then checks out on its own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/package_archive.h"

namespace vornak_pack {

// For each entry, the index of an entry whose data overlaps its own, or -1
// when none does. Empty data blocks overlap nothing. O(n log n).
std::vector<int32_t> OverlappingEntries(const archive::PackageArchive& package);

// What verify says of entry index: the empty text when its data overlaps no
// other's, given overlaps from OverlappingEntries.
std::string OverlapProblem(const archive::PackageArchive& package,
                           const std::vector<int32_t>& overlaps, int32_t index);

}  // namespace vornak_pack

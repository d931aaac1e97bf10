// Overlapping data ranges, found by one sweep in order of offset.
#include "packer/examine/data_ranges.h"

#include <algorithm>

#include "packer/common/printable_text.h"

namespace vornak_pack {

std::vector<int32_t> OverlappingEntries(const archive::PackageArchive& package) {
    std::vector<int32_t> overlaps(static_cast<size_t>(package.EntryCount()), -1);
    std::vector<int32_t> order;
    for (int32_t i = 0; i < package.EntryCount(); ++i) {
        if (package.EntryAt(i).compressed_size > 0) {
            order.push_back(i);
        }
    }
    // Ties go by directory order, so that the first of several entries at
    // one offset is the one the others are said to overlap.
    std::sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
        uint32_t first = package.EntryAt(a).data_offset;
        uint32_t second = package.EntryAt(b).data_offset;
        return first != second ? first < second : a < b;
    });
    // The entry reaching furthest so far: any later range that starts before
    // its end shares bytes with it.
    int32_t furthest = -1;
    uint64_t furthest_end = 0;
    for (int32_t index : order) {
        const archive::ArchiveEntry& entry = package.EntryAt(index);
        uint64_t end = static_cast<uint64_t>(entry.data_offset) + entry.compressed_size;
        if (furthest >= 0 && entry.data_offset < furthest_end) {
            overlaps[static_cast<size_t>(index)] = furthest;
            if (overlaps[static_cast<size_t>(furthest)] < 0) {
                overlaps[static_cast<size_t>(furthest)] = index;
            }
        }
        if (end > furthest_end) {
            furthest = index;
            furthest_end = end;
        }
    }
    return overlaps;
}

std::string OverlapProblem(const archive::PackageArchive& package,
                           const std::vector<int32_t>& overlaps, int32_t index) {
    int32_t other = overlaps[static_cast<size_t>(index)];
    if (other < 0) {
        return "";
    }
    return "its data overlaps that of '" + Printable(package.EntryAt(other).name) +
           "': a packer never writes that, and the sizes claimed come from the same bytes";
}

}  // namespace vornak_pack

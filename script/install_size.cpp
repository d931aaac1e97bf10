// Adding up the [CopyFile] entry sizes.
#include "script/install_size.h"

#include "script/setup_script.h"

namespace script {

uint64_t CopyFileBytes(const char* script_path, const archive::PackageArchive& package) {
    SetupScript script(script_path);
    uint64_t total = 0;
    SectionValues values;
    while (script.NextLine()) {
        if (!script.ReadSectionAt(kCopyFileHead, &values)) {
            continue;
        }
        archive::ArchiveEntry entry;
        if (package.FindEntry(values.Line(0), &entry)) {
            total += entry.uncompressed_size;
        }
    }
    return total;
}

}  // namespace script

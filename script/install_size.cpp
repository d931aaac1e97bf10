// Adding up the [CopyFile] entry sizes.
#include "script/install_size.h"

#include "script/setup_script.h"

namespace script {

uint64_t CopyFileBytes(const char* script_path, const archive::PackageArchive& package) {
    SetupScript script(script_path);
    uint64_t total = 0;
    while (script.NextLine()) {
        if (!script.AtHead(kCopyFileHead)) {
            continue;
        }
        char entry_name[kValueLineLimit + 1];
        char target[kValueLineLimit + 1];
        script.ReadValue(entry_name, kValueLineLimit);
        script.ReadValue(target, kValueLineLimit);
        archive::ArchiveEntry entry;
        if (package.FindEntry(entry_name, &entry)) {
            total += entry.uncompressed_size;
        }
    }
    return total;
}

}  // namespace script

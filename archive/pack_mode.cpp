// Pack mode: open, add, close.
#include "archive/pack_mode.h"

#include "archive/package_archive.h"

namespace archive {

bool PackFile(const char* file_path, const char* archive_path, char* entry_name) {
    PackageArchive package(archive_path, true);
    return package.AddFile(file_path, entry_name);
}

}  // namespace archive

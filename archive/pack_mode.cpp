// Pack mode: open, add, close.
#include "archive/pack_mode.h"

#include "archive/package_archive.h"

namespace archive {

bool PackFile(const char* file_path, const char* archive_path, char* entry_name) {
    PackageArchive package(archive_path, true);
    bool added = package.AddFile(file_path, entry_name);
    // Closed even after a failed addition: a data write that failed part-way
    // has the old directory and trailer written back.
    bool closed = package.Close();
    return added && closed;
}

}  // namespace archive

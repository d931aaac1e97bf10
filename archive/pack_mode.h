// Pack mode: append one file to a package.
#pragma once

namespace archive {

// Opens the package writable (creating it when missing), appends the file as
// a compressed entry named after its file-name part (written into
// entry_name, 260 bytes), and closes it, which writes the new directory and
// trailer. Failures are shown in message boxes by the archive operations.
// Returns whether the file was added and the package closed whole.
bool PackFile(const char* file_path, const char* archive_path, char* entry_name);

}  // namespace archive

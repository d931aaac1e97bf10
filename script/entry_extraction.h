// Unpacking one entry of the install job's package to a file, for the actions
// that need it (installed files, programs run straight from the package).
#pragma once

namespace support {
class DiskFile;
}

namespace script {

// Extracts the entry from the package of the session's job over target. On
// failure, with no job, or with the entry missing or damaged, shows
// "This installation appears to be corrupted. Error whilst installing '%s'."
// naming the entry, and returns false.
bool ExtractJobEntry(const char* entry_name, const char* target);

// The same into a new file open for writing (target_path names it), which
// the caller deletes when this fails.
bool ExtractJobEntryInto(const char* entry_name, support::DiskFile* target,
                         const char* target_path);

}  // namespace script

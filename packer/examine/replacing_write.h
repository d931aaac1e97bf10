// Writing a file so that it is either whole or not there at all.
//
// The bytes go to a new file beside the target, created exclusively and
// never through a symbolic link, and are renamed over the target only once
// they are all written. A failure removes the new file and leaves the
// target as it was. Since the target is replaced rather than opened, no
// write can reach another file through a symbolic or a hard link to it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vornak_pack {

// Writes length bytes at data as the file target in folder (which holds
// target). False, with the reason in error, when that could not be done.
bool ReplaceFile(const std::string& folder, const std::string& target, const uint8_t* data,
                 size_t length, std::string* error);

}  // namespace vornak_pack

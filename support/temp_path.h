// Unique temporary files and folders that delete themselves.
//
// Prefixes in use: "Ext" (pack mode's compressed entry in transit), "QZT"
// (the job folder), and kPartialFilePrefix for a file being written beside
// the file it will replace.
#pragma once

#include "support/win32_values.h"

#include <cstdint>

namespace support {

// A fresh, unique, existing and empty file in the user's temporary folder,
// deleted again when the object goes.
// Names a new file written in the folder of its final place, renamed over it
// only once whole: an interrupted install leaves at worst such a file beside
// the target, never a half-written target. A later install or uninstall
// recognises its leftovers by this prefix.
constexpr char kPartialFilePrefix[] = "~vornak";

class TempPath {
  public:
    explicit TempPath(const char* prefix);
    // A fresh, unique, empty file in folder (ending in a backslash), named
    // prefix, eight hexadecimal digits and ".tmp", created only if the name
    // was free. Path() is empty when none could be made.
    TempPath(const char* prefix, const char* folder);
    ~TempPath();
    TempPath(const TempPath&) = delete;
    TempPath& operator=(const TempPath&) = delete;

    const char* Path() const { return path_; }
    // Leaves the file behind when the object goes, for a file handed on to
    // someone else (a replacement that the next restart moves into place).
    void Keep() { keep_ = true; }

  private:
    char path_[kMaxPath];
    bool keep_ = false;
};

// A fresh empty folder in the user's temporary folder, made by us and for us
// alone (fs::CreatePrivateFolder: a name that already exists is never
// taken over), deleted with everything in it when the object goes; links
// inside are removed, never followed. Path() is empty when no folder could
// be made.
class TempFolder {
  public:
    explicit TempFolder(const char* prefix);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder path, ending in a backslash.
    const char* Path() const { return folder_; }

  private:
    char folder_[kMaxPath];
};

// A pseudo-random number in 0 .. n - 1 (n must not be 0).
uint32_t RandomBelow(uint32_t n);

}  // namespace support

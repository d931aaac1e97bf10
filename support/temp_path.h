// Unique temporary files and folders that delete themselves.
//
// Prefixes in use: "Ext" (archive entries in transit), "Ins" (file
// installation, running programs, uninstall record), "QZT" (the job folder).
#pragma once

#include <cstdint>

namespace support {

// A fresh, unique, existing and empty file in the user's temporary folder,
// deleted again when the object goes.
class TempPath {
public:
    explicit TempPath(const char* prefix);
    ~TempPath();
    TempPath(const TempPath&) = delete;
    TempPath& operator=(const TempPath&) = delete;

    const char* Path() const { return path_; }
    // Leaves the file behind when the object goes, for a file handed on to
    // someone else (a replacement that the next restart moves into place).
    void Keep() { keep_ = true; }

private:
    char path_[260];
    bool keep_ = false;
};

// A fresh empty folder, deleted with everything in it when the object goes.
class TempFolder {
public:
    explicit TempFolder(const char* prefix);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder path, ending in a backslash.
    const char* Path() const { return folder_; }

private:
    TempPath* name_;
    char folder_[260];
};

// A pseudo-random number in 0 .. n - 1 (n must not be 0).
uint32_t RandomBelow(uint32_t n);

}  // namespace support

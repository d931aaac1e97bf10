// Folder operations: a folder iterator, level-by-level creation of a folder
// path, recursive deletion of a folder's contents and an existence test.
#pragma once

#include "support/win32_values.h"

#include "support/file_system.h"

namespace support {

// Iterates the items of one folder that match a pattern, skipping "." and "..".
class FileFinder {
  public:
    FileFinder(const char* pattern, const char* folder);
    ~FileFinder() { Close(); }
    FileFinder(const FileFinder&) = delete;
    FileFinder& operator=(const FileFinder&) = delete;

    bool Next();
    // The folder followed by the current item's name.
    const char* ItemPath() const { return item_path_; }
    bool IsFolder() const { return handle_ != nullptr && item_.is_folder; }
    bool IsLink() const { return handle_ != nullptr && item_.is_link; }
    void Close();

  private:
    fs::FindHandle handle_ = nullptr;
    fs::FindItem item_ = {};
    char item_path_[kMaxPath];
    char search_spec_[kMaxPath];
    char folder_[kMaxPath];
};

// Creates every missing folder of path, from the top down. The root (a
// drive, a server and share, or the first component of a relative path) is
// taken to exist. Failures are ignored.
void CreateFolderPath(const char* path);
// Deletes everything inside folder, recursively; the folder itself stays.
// Texts shorter than 4 characters are refused, which protects drive roots.
// A symbolic link or junction inside is removed as a link and never entered:
// whatever it points at survives.
void DeleteFolderContents(const char* folder);
// Deletes the partial files an interrupted install left in folder: files
// named exactly kPartialFilePrefix, eight hexadecimal digits and ".tmp"
// (temp_path.h), except those keep() names (the new files that wait for
// the next restart). Nothing else is touched. Returns how many were deleted.
int DeletePartialFiles(const char* folder, bool (*keep)(const char* path));
// Whether a file or folder exists at path; is_folder may be null.
bool PathExists(const char* path, bool* is_folder = nullptr);

}  // namespace support

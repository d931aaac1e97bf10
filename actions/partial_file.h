// The new file an install writes beside its target: made only under a name
// that was free, written, checked, flushed and renamed over the target
// through the one handle its making gave, never opened again by its name.
//
// Named kPartialFilePrefix, eight hexadecimal digits and ".tmp" (so that a
// later install or uninstall recognises what a killed one left), it is made
// through the handle of its held folder: its name does not need to fit a
// path together with the folder's, so a file goes wherever its target may
// go. Where the system has no calls for that (the consumer family), the
// file is made and renamed by its path instead.
// Only Windows code includes this header.
#pragma once

#include <windows.h>

#include <memory>

#include "actions/held_folder.h"
#include "support/disk_file.h"
#include "support/win32_values.h"

namespace actions {

class PartialFile {
  public:
    // A new file in folder_path, held open as folder. Reading is shared,
    // writing and deleting are not.
    PartialFile(const HeldFolder& folder, const char* folder_path);
    // Deletes the file, unless it was renamed or kept.
    ~PartialFile();
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;

    bool IsOpen() const { return handle_ != nullptr; }
    HANDLE Handle() const { return handle_; }
    // Writing from its start; the handle stays this object's.
    support::DiskFile* File() { return file_.get(); }
    // The folder and the name: for messages and the restart-time move. It
    // may be longer than a path buffer.
    const char* Path() const { return path_; }

    // Puts what was written on the disk, then renames the file over the
    // file of that name in its folder. Returns the Win32 error (0 when it
    // is in place).
    DWORD FlushAndRenameOver(const char* target_path);
    // Leaves the file where it is (a restart moves it into place later).
    void Keep();

  private:
    bool MakeThroughFolder(HANDLE folder, const char* folder_path);
    bool MakeByPath(const char* folder_path);

    HANDLE handle_ = nullptr;
    HANDLE folder_ = nullptr;
    char path_[support::kMaxPath + 32] = "";
    std::unique_ptr<support::DiskFile> file_;
    bool done_ = false;
};

}  // namespace actions

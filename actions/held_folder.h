// A folder held open, without delete sharing, while a file is made and
// renamed in it: for as long as it is held the folder can be neither renamed
// nor removed, so what is made in it through its handle lands there.
//
// Inside the install folder every folder is reached through its parent's
// handle, and none through a link: other users may be able to change the
// install folder (one made under a drive's root inherits rights that let
// every signed-in user change what is in it), and a link planted there would
// send the elevated installer's files wherever it points. Such a link, the
// install folder itself included, is refused. Folders elsewhere (the system
// folder, the user's desktop) are opened as the system finds them, and not
// held against being renamed: only administrators, or the user alone, can
// change them.
// Only Windows code includes this header.
#pragma once

#include <windows.h>

#include "support/win32_values.h"

namespace actions {

class HeldFolder {
  public:
    // folder and install_folder are full paths; install_folder may be empty.
    HeldFolder(const char* folder, const char* install_folder);
    ~HeldFolder();
    HeldFolder(const HeldFolder&) = delete;
    HeldFolder& operator=(const HeldFolder&) = delete;

    // Null when the folder could not be opened, was refused, or the system
    // has no calls to open files through it (then names are used).
    HANDLE Handle() const { return handle_; }
    // The path of the link refused, or the empty text.
    const char* RefusedLink() const { return refused_link_; }

  private:
    // Opens path itself; with refuse_link set, a link there is refused.
    HANDLE OpenByPath(const char* path, bool refuse_link);
    // Replaces handle_ by the folder name inside it.
    bool Descend(const char* name, const char* path);
    void Refuse(const char* path);

    HANDLE handle_ = nullptr;
    char refused_link_[support::kMaxPath] = "";
};

}  // namespace actions

// A file beside the output that becomes the output only once it is whole.
//
// build, append and sign write into it and rename it over the output, so a
// failure at any step leaves the output exactly as it was.
#pragma once

#include <sys/types.h>

#include <string>

namespace vornak_pack {

class TempOutput {
  public:
    TempOutput() = default;
    // Removes the file unless it was committed, and the private folder.
    ~TempOutput();
    TempOutput(const TempOutput&) = delete;
    TempOutput& operator=(const TempOutput&) = delete;

    // Creates an empty file in the output's folder; false, with a message,
    // when it cannot.
    bool Create(const std::string& output);
    // Makes a folder beside the output that only this user may enter, and
    // names a file called name in it without creating it: for a program
    // that creates the file itself and follows a symbolic link at the name
    // it is given. Path() reaches the folder through its open descriptor
    // (/proc/self/fd), which the started program inherits, so that a
    // folder renamed and replaced by someone else's is never written into.
    bool CreateInPrivateFolder(const std::string& output, const char* name);
    // Gives the file mode, flushes it to disk and renames it over output.
    bool Commit(const std::string& output, mode_t mode);
    const std::string& Path() const { return path_; }

  private:
    void RemovePrivateFolder();

    std::string path_;
    bool committed_ = false;
    std::string folder_;  // the private folder, by name, when there is one
    int folder_fd_ = -1;
    dev_t folder_device_ = 0;
    ino_t folder_inode_ = 0;
};

// The mode a new file gets under the current umask.
mode_t NewFileMode();

}  // namespace vornak_pack

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
    // Removes the file unless it was committed.
    ~TempOutput();
    TempOutput(const TempOutput&) = delete;
    TempOutput& operator=(const TempOutput&) = delete;

    // Creates an empty file in the output's folder; false, with a message,
    // when it cannot.
    bool Create(const std::string& output);
    // Gives the file mode, flushes it to disk and renames it over output.
    bool Commit(const std::string& output, mode_t mode);
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
    bool committed_ = false;
};

// The mode a new file gets under the current umask.
mode_t NewFileMode();

}  // namespace vornak_pack

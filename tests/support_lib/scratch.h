// A scratch folder per test, and whole-file helpers, in the core's own
// Windows-style paths so the same tests run natively and under Wine.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "support/temp_path.h"

namespace testing_support {

class Scratch {
  public:
    Scratch();
    // Folder path ending in a backslash.
    std::string Folder() const { return folder_->Path(); }
    std::string PathOf(const std::string& name) const { return Folder() + name; }

  private:
    std::unique_ptr<support::TempFolder> folder_;
};

std::string ReadAll(const std::string& path);
bool WriteAll(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
// Deterministic bytes that compress somewhat, like real program files.
std::string SampleBytes(size_t size, uint32_t seed);

}  // namespace testing_support

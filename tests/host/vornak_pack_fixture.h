// Test helpers for vornak-pack: a scratch folder spoken of in both forms,
// the Linux paths the tool takes and the core paths the test helpers use.
#pragma once

#include <cstdio>
#include <string>

#include "tests/support_lib/scratch.h"
#include "packer/examine/package_verify.h"

namespace vornak_pack_testing {

inline std::string HostForm(std::string core_path) {
    for (char& c : core_path) {
        if (c == '\\') {
            c = '/';
        }
    }
    return core_path;
}

class HostScratch {
  public:
    // Linux path of name in the scratch folder.
    std::string Path(const std::string& name) const { return HostForm(scratch_.PathOf(name)); }
    // The same file as the core names it.
    std::string CorePath(const std::string& name) const { return scratch_.PathOf(name); }
    std::string Folder() const { return HostForm(scratch_.Folder()); }

  private:
    testing_support::Scratch scratch_;
};

// Everything written to out (a std::tmpfile()), which is closed.
inline std::string Captured(std::FILE* out) {
    std::rewind(out);
    std::string text;
    char line[512];
    while (std::fgets(line, sizeof line, out) != nullptr) {
        text += line;
    }
    std::fclose(out);
    return text;
}

// What call(out) printed; its result goes to *result.
template <typename Call>
std::string Printed(Call call, bool* result) {
    std::FILE* out = std::tmpfile();
    *result = call(out);
    return Captured(out);
}

// What `vornak-pack verify` prints for the package at path.
inline std::string Verified(const std::string& path, bool* result) {
    return Printed([&](std::FILE* out) { return vornak_pack::VerifyPackage(path, out); }, result);
}

}  // namespace vornak_pack_testing

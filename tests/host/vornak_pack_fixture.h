// Test helpers for vornak-pack: a scratch folder spoken of in both forms,
// the Linux paths the tool takes and the core paths the test helpers use.
#pragma once

#include <string>

#include "tests/support_lib/scratch.h"

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

}  // namespace vornak_pack_testing

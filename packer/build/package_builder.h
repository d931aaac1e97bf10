// Building a package: a stub (or an existing package) with files appended.
//
// The package is built in a temporary file beside the output and renamed
// over it only once its directory and trailer have been written whole, so a
// failure leaves the output as it was. Appending all files through one archive
// writes the directory and trailer once, and gives the same bytes as the
// installer's pack mode run once per file in the same order.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "packer/common/pack_input.h"

namespace vornak_pack {

struct BuildRequest {
    std::string output;   // the package to write
    bool append = false;  // extend the existing output instead of starting anew
    std::string stub;     // when starting anew: the file to start from; empty for none
    std::vector<PackInput> inputs;
    unsigned jobs = 1;  // compression threads
    bool utf8 = false;  // --utf8: the package's text is UTF-8 (see package_text.h)
    // Told of each entry once it is in the package, in order, with the size
    // of its file.
    std::function<void(const PackInput& input, uint64_t size)> on_entry;
};

struct BuildSummary {
    uint32_t entry_count = 0;
    uint32_t stub_length = 0;
    uint64_t package_size = 0;
};

// Returns false, with messages, and leaves the output untouched when the
// package could not be built. Appending a name the package already holds is
// allowed, as in pack mode, with a warning: the installer then extracts the
// later entry but counts the size of the first.
bool BuildPackage(const BuildRequest& request, BuildSummary* summary);

}  // namespace vornak_pack

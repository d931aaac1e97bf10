// Fuzzes the package reader: open, list, extract every entry, then take its
// names as the installer does.
#include <cstdint>
#include <string>

#include "support/win32_values.h"
#include "archive/package_archive.h"
#include "tests/fuzz/fuzz_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 20) {
        return 0;
    }
    fuzzing::SilenceMessages();
    std::string package = fuzzing::WriteInput("package.exe", data, size);
    std::string target = fuzzing::ScratchFolder() + "entry.out";
    archive::PackageArchive archive(package.c_str(), false);
    char name[support::kMaxPath];
    for (uint32_t index = 0;; ++index) {
        archive.GetEntryName(index, name);
        if (name[0] == '\0' && index >= static_cast<uint32_t>(archive.EntryCount())) {
            break;
        }
        archive.FindEntry(name);
        archive.ExtractEntry(static_cast<int32_t>(index), target.c_str());
    }
    archive.CopyStub(target.c_str());
    // The installer's names: a legacy package's converted from the code
    // page, each grown up to three times, then looked up again.
    archive.UseProgramTextNames(false);
    archive.GetEntryName(0, name);
    archive.FindEntry(name);
    return 0;
}

// Fuzzes the line reader over arbitrary bytes with every limit the readers
// use, mixing Seek back to the start as the two-pass readers do.
#include <cstdint>
#include <string>

#include "support/disk_file.h"
#include "support/win32_values.h"
#include "tests/fuzz/fuzz_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 16) {
        return 0;
    }
    fuzzing::SilenceMessages();
    std::string path = fuzzing::WriteInput("setup.dat", data, size);
    support::DiskFile file(path.c_str(), support::DiskFile::kRead);
    static char line[1001];
    const uint32_t limits[] = {1000, 520, 260, 3, 0};
    for (uint32_t limit : limits) {
        file.Seek(0);
        int lines = 0;
        while (file.ReadLine(line, limit) && lines < 100000) {
            ++lines;
        }
    }
    return 0;
}

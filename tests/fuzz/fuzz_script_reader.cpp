// Fuzzes the line readers over arbitrary bytes with every limit the readers
// use, bytes and UTF-8 characters, mixing Seek back to the start as the
// two-pass readers do.
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
    static char line[4001];
    const uint32_t limits[] = {1000, 520, 260, 3, 0};
    for (uint32_t limit : limits) {
        file.Seek(0);
        int lines = 0;
        while (file.ReadLine(line, limit) && lines < 100000) {
            ++lines;
        }
        // A UTF-8 script's lines, limits counting characters, past the
        // signature as its readers skip it; and a buffer that ends first.
        for (uint32_t capacity : {4 * limit + 1, limit + 1}) {
            file.SkipUtf8Signature();
            lines = 0;
            while (file.ReadUtf8Line(line, limit, capacity) && lines < 100000) {
                ++lines;
            }
        }
    }
    return 0;
}

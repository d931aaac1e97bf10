#include "tests/support_lib/scratch.h"

#include "support/disk_file.h"
#include "support/folders.h"
#include "support/win32_values.h"

namespace testing_support {

Scratch::Scratch() : folder_(new support::TempFolder("Tst")) {}

std::string ReadAll(const std::string& path) {
    support::DiskFile file(path.c_str(), support::DiskFile::kRead);
    std::string bytes(static_cast<size_t>(file.Size()), '\0');
    uint32_t got = file.Read(bytes.data(), static_cast<uint32_t>(bytes.size()));
    bytes.resize(got);
    return bytes;
}

bool WriteAll(const std::string& path, const std::string& bytes) {
    support::DiskFile file(path.c_str(),
                           support::DiskFile::kWrite | support::DiskFile::kCreateEmpty);
    return file.IsOpen() && file.Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

bool FileExists(const std::string& path) {
    bool is_folder = false;
    return support::PathExists(path.c_str(), &is_folder) && !is_folder;
}

std::string SampleBytes(size_t size, uint32_t seed) {
    std::string bytes(size, '\0');
    uint32_t state = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        // A small alphabet with runs: compressible, but not trivially.
        bytes[i] = static_cast<char>("abcdefgh\r\n  0123"[(state >> 16) % 17]);
    }
    return bytes;
}

}  // namespace testing_support

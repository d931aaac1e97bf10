// Memory while a large entry is packed, built and installed: it must stay
// flat however large the entry, since the installer runs in a 32-bit
// process and a whole-file buffer of a large file does not fit there.
// Measured as the peak resident size, reset before each step (Linux keeps
// it per process; /proc/self/clear_refs resets it).
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "archive/package_archive.h"
#include "tests/host/vornak_pack_fixture.h"
#include "packer/build/parallel_compressor.h"

namespace {

// Resets the peak resident size to the current one; false where the
// system does not let us.
bool ResetPeakResident() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.close();
    return static_cast<bool>(clear);
}

// The peak resident size since the last reset, in kB.
long PeakResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmHWM:") {
            long kb = 0;
            status >> kb;
            return kb;
        }
    }
    return -1;
}

// Bytes that do not compress, written a megabyte at a time.
void WriteNoise(const std::string& path, size_t megabytes) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, out);
    std::vector<unsigned char> piece(1 << 20);
    uint32_t state = 99;
    for (size_t i = 0; i < megabytes; ++i) {
        for (unsigned char& byte : piece) {
            state = state * 1103515245u + 12345u;
            byte = static_cast<unsigned char>(state >> 23);
        }
        std::fwrite(piece.data(), 1, piece.size(), out);
    }
    std::fclose(out);
}

// What a step may add to the peak: the library's block state (about 8 MB
// to encode, 4 MB to decode) and a few fixed buffers, never the entry.
constexpr long kStepAllowanceKb = 16 * 1024;
constexpr size_t kEntryMegabytes = 24;

}  // namespace

TEST(EntryMemory, PackingBuildingAndExtractingALargeEntryKeepMemoryFlat) {
    if (!ResetPeakResident() || PeakResidentKb() < 0) {
        GTEST_SKIP() << "the peak resident size cannot be reset here";
    }
    vornak_pack_testing::HostScratch scratch;
    WriteNoise(scratch.Path("large.bin"), kEntryMegabytes);
    char name[support::kMaxPath];
    auto growth_of = [](auto step) {
        ResetPeakResident();
        long before = PeakResidentKb();
        step();
        return PeakResidentKb() - before;
    };
    // Pack mode's way in, the installer's way out, vornak-pack build's.
    long packing = growth_of([&] {
        archive::PackageArchive package(scratch.CorePath("setup.exe").c_str(), true);
        ASSERT_TRUE(package.AddFile(scratch.CorePath("large.bin").c_str(), name));
        ASSERT_TRUE(package.Close());
    });
    long extracting = growth_of([&] {
        archive::PackageArchive package(scratch.CorePath("setup.exe").c_str(), false);
        ASSERT_TRUE(package.Extract("large.bin", scratch.CorePath("out.bin").c_str()));
    });
    long building = growth_of([&] {
        std::vector<vornak_pack::PackInput> inputs = {{scratch.Path("large.bin"), "large.bin"}};
        ASSERT_TRUE(vornak_pack::CompressInOrder(
            inputs, 1, [](size_t, const vornak_pack::CompressedEntry& entry) {
                return entry.Size() > (kEntryMegabytes << 20);
            }));
    });
    EXPECT_LT(packing, kStepAllowanceKb);
    EXPECT_LT(extracting, kStepAllowanceKb);
    EXPECT_LT(building, kStepAllowanceKb);
    EXPECT_EQ(testing_support::ReadAll(scratch.CorePath("large.bin")),
              testing_support::ReadAll(scratch.CorePath("out.bin")));
}

// The install's look-ahead against a real package: what it hands over is
// each entry's own bytes, in the order asked, and whatever it cannot vouch
// for (too large for its budget, damaged, not in its order) is left to the
// caller's ordinary extraction, which still refuses a damaged entry.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "support/win32_values.h"
#include "archive/entry_look_ahead.h"
#include "archive/pack_mode.h"
#include "archive/package_archive.h"
#include "script/install_look_ahead.h"
#include "support/disk_file.h"
#include "tests/support_lib/message_capture.h"
#include "tests/support_lib/scratch.h"

using testing_support::ReadAll;
using testing_support::SampleBytes;
using testing_support::Scratch;
using testing_support::WriteAll;

TEST(EntryLookAhead, HandsOverEachEntryInOrderAndLeavesWhatItCannotVouchForToTheCaller) {
    Scratch scratch;
    testing_support::MessageCapture capture;
    std::string package = scratch.PathOf("setup.exe");
    WriteAll(package, "MZ-stub");
    const std::vector<std::pair<std::string, size_t>> files = {
        {"first.bin", 300000},   {"second.bin", 250000}, {"large.bin", 800000},
        {"damaged.bin", 120000}, {"passed.bin", 90000},  {"last.bin", 310000}};
    for (size_t i = 0; i < files.size(); ++i) {
        WriteAll(scratch.PathOf(files[i].first), SampleBytes(files[i].second, static_cast<int>(i)));
        char name[support::kMaxPath];
        ASSERT_TRUE(
            archive::PackFile(scratch.PathOf(files[i].first).c_str(), package.c_str(), name));
    }
    archive::PackageArchive archive(package.c_str(), false);
    ASSERT_EQ(6, archive.EntryCount());
    {
        // One byte of an entry's data changes after the package was opened,
        // which only the entry's data sum can tell.
        std::string bytes = ReadAll(package);
        bytes[archive.EntryAt(3).data_offset + 40] ^= 0x20;
        support::DiskFile file(package.c_str(), support::DiskFile::kWrite);
        file.Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
    }
    // A budget of 700,000 bytes: two entries held or decoding at most, so
    // both threads wait for room; the large one never fits.
    const int32_t order[] = {0, 1, 2, 3, 4, 5};
    archive::EntryLookAhead look_ahead(archive, order, 6, 700000);
    ASSERT_TRUE(look_ahead.Start());
    auto take = [&](int32_t index) {
        uint32_t size = 0;
        const uint8_t* bytes = look_ahead.Take(index, &size);
        return bytes == nullptr ? std::string("(caller's)")
                                : std::string(reinterpret_cast<const char*>(bytes), size);
    };
    EXPECT_EQ(SampleBytes(300000, 0), take(0));
    EXPECT_EQ(SampleBytes(250000, 1), take(1));
    EXPECT_EQ("(caller's)", take(2));
    EXPECT_EQ("(caller's)", take(3));
    // Asked past an entry of the order, and then for one it never planned.
    EXPECT_EQ(SampleBytes(310000, 5), take(5));
    EXPECT_EQ("(caller's)", take(4));

    // Through the archive, the damaged entry fails as without a look-ahead
    // and leaves nothing; the others extract whole either way.
    archive.UseLookAhead(&look_ahead);
    std::string target = scratch.PathOf("out.bin");
    EXPECT_FALSE(archive.ExtractEntry(3, target.c_str(), false));
    EXPECT_FALSE(testing_support::FileExists(target));
    EXPECT_TRUE(archive.ExtractEntry(2, target.c_str(), false));
    EXPECT_EQ(SampleBytes(800000, 2), ReadAll(target));
    archive.UseLookAhead(nullptr);
}

TEST(EntryLookAhead, EndsCleanlyWithEntriesStillAheadOrBeingDecoded) {
    Scratch scratch;
    std::string package = scratch.PathOf("setup.exe");
    WriteAll(package, "MZ-stub");
    for (int i = 0; i < 4; ++i) {
        std::string file = scratch.PathOf("file" + std::to_string(i));
        WriteAll(file, SampleBytes(400000, i));
        char name[support::kMaxPath];
        ASSERT_TRUE(archive::PackFile(file.c_str(), package.c_str(), name));
    }
    archive::PackageArchive archive(package.c_str(), false);
    const int32_t order[] = {0, 1, 2, 3, 0, 1, 2, 3};
    for (int taken = 0; taken < 3; ++taken) {
        archive::EntryLookAhead look_ahead(archive, order, 8, 1000000);
        ASSERT_TRUE(look_ahead.Start());
        for (int i = 0; i < taken; ++i) {
            uint32_t size = 0;
            const uint8_t* bytes = look_ahead.Take(i, &size);
            ASSERT_NE(nullptr, bytes);
            EXPECT_EQ(SampleBytes(400000, i),
                      std::string(reinterpret_cast<const char*>(bytes), size));
        }
    }
}

TEST(InstallLookAhead, AStopBeforeThePlanLeavesExtractionToTheCaller) {
    Scratch scratch;
    std::string package = scratch.PathOf("setup.exe");
    WriteAll(package, "MZ-stub");
    WriteAll(scratch.PathOf("big.bin"), SampleBytes(200000, 1));
    char name[support::kMaxPath];
    ASSERT_TRUE(archive::PackFile(scratch.PathOf("big.bin").c_str(), package.c_str(), name));
    std::string script = scratch.PathOf("setup.dat");
    WriteAll(script, "[CopyFile]\r\nbig.bin\r\nC:\\App\\big.bin\r\n");
    archive::PackageArchive archive(package.c_str(), false);
    std::atomic<bool> stop{false};
    EXPECT_TRUE(script::InstallLookAhead(script.c_str(), &archive, stop).Active());
    stop = true;
    EXPECT_FALSE(script::InstallLookAhead(script.c_str(), &archive, stop).Active());
}

// Hostile packages: every one must end in a clean failure (an empty archive,
// or false from the operation), within bounded memory and time.
#include <gtest/gtest.h>

#include <string>

#include "support/win32_values.h"
#include "session/install_job.h"
#include "archive/entry_codec.h"
#include "archive/package_archive.h"
#include "archive/package_format.h"
#include "tests/support_lib/message_capture.h"
#include "tests/support_lib/scratch.h"

using archive::PackageArchive;
using testing_support::ReadAll;
using testing_support::Scratch;
using testing_support::WriteAll;

namespace {

class HostilePackage : public ::testing::Test {
  protected:
    void SetUp() override {
        package_ = scratch_.PathOf("setup.exe");
        WriteAll(scratch_.PathOf("setup.dat"), "[Project Name]\r\nHostile\r\n");
        WriteAll(scratch_.PathOf("payload.bin"), testing_support::SampleBytes(50000, 3));
        WriteAll(package_, "MZ stub of the installer");
        {
            char name[support::kMaxPath];
            PackageArchive archive(package_.c_str(), true);
            archive.AddFile(scratch_.PathOf("setup.dat").c_str(), name);
            archive.AddFile(scratch_.PathOf("payload.bin").c_str(), name);
            ASSERT_TRUE(archive.Close());
        }
        good_ = ReadAll(package_);
    }

    // Rewrites entry index's header fields and the trailer so that the
    // package validates: only the claims are hostile.
    void RewriteEntry(int index, uint32_t offset, uint32_t compressed, uint32_t uncompressed) {
        PackageArchive archive(package_.c_str(), true);
        auto& entry = const_cast<archive::ArchiveEntry&>(archive.EntryAt(index));
        entry.data_offset = offset;
        entry.compressed_size = compressed;
        entry.uncompressed_size = uncompressed;
        const uint8_t data[] = {'B', 'Z', 'h', '9'};
        archive.AppendEntryData("padding", data, sizeof data, 0);  // forces the rewrite
        ASSERT_TRUE(archive.Close());
    }
    bool ExtractPayload() {
        PackageArchive archive(package_.c_str(), false);
        return archive.Extract("payload.bin", scratch_.PathOf("out.bin").c_str());
    }

    Scratch scratch_;
    testing_support::MessageCapture capture_;
    std::string package_;
    std::string good_;
};

}  // namespace

TEST_F(HostilePackage, TruncatedAnywhereReadsAsEmpty) {
    for (size_t keep : {size_t{10}, size_t{30}, good_.size() / 2, good_.size() - 40,
                        good_.size() - 10, good_.size() - 1}) {
        WriteAll(package_, good_.substr(0, keep));
        PackageArchive archive(package_.c_str(), false);
        EXPECT_EQ(0, archive.EntryCount()) << keep;
    }
    session::InstallJob job(package_.c_str());
    EXPECT_TRUE(job.Corrupted());
}

TEST_F(HostilePackage, EntryClaimsBeyondTheFileFailCleanly) {
    RewriteEntry(1, 0x7FFFFF00u, 100, 50000);
    EXPECT_FALSE(ExtractPayload());
    RewriteEntry(1, 24, 0xFFFFFFFFu, 50000);
    EXPECT_FALSE(ExtractPayload());
    EXPECT_FALSE(testing_support::FileExists(scratch_.PathOf("out.bin")));
}

TEST_F(HostilePackage, HugeUncompressedClaimIsRefusedNotAllocated) {
    PackageArchive archive(package_.c_str(), false);
    archive::ArchiveEntry entry;
    ASSERT_TRUE(archive.FindEntry("payload.bin", &entry));
    RewriteEntry(1, entry.data_offset, entry.compressed_size, 0xFFFFFFFFu);
    EXPECT_FALSE(ExtractPayload());
}

TEST_F(HostilePackage, AStreamThatExpandsBeyondItsClaimFails) {
    // 20 MB of zeros compress to a few dozen bytes: a bomb against a claim
    // of 100 bytes must stop at the claim plus the decoder's slack.
    WriteAll(scratch_.PathOf("zeros.bin"), std::string(20 << 20, '\0'));
    {
        char name[support::kMaxPath];
        PackageArchive archive(package_.c_str(), true);
        archive.AddFile(scratch_.PathOf("zeros.bin").c_str(), name);
        ASSERT_TRUE(archive.Close());
    }
    PackageArchive archive(package_.c_str(), false);
    archive::ArchiveEntry entry;
    ASSERT_TRUE(archive.FindEntry("zeros.bin", &entry));
    ASSERT_LT(entry.compressed_size, 1000u);
    {
        PackageArchive writable(package_.c_str(), true);
        const_cast<archive::ArchiveEntry&>(writable.EntryAt(2)).uncompressed_size = 100;
        const uint8_t data[] = {'B', 'Z', 'h', '9'};
        writable.AppendEntryData("padding", data, sizeof data, 0);
        ASSERT_TRUE(writable.Close());
    }
    PackageArchive bombed(package_.c_str(), false);
    EXPECT_FALSE(bombed.Extract("zeros.bin", scratch_.PathOf("out.bin").c_str()));
    EXPECT_EQ(0u, ReadAll(scratch_.PathOf("out.bin")).size());
}

TEST_F(HostilePackage, TensOfThousandsOfEntriesAreWrittenAndReadInFull) {
    // Growing the directory by a fixed step, or adding up its size on every
    // append, made this quadratic: seconds here, minutes at 400,000.
    WriteAll(package_, "MZ");
    {
        PackageArchive archive(package_.c_str(), true);
        const uint8_t data[] = {'B', 'Z', 'h', '9'};
        for (int i = 0; i < 40000; ++i) {
            ASSERT_TRUE(archive.AppendEntryData(("entry" + std::to_string(i)).c_str(), data,
                                                sizeof data, 0));
        }
        ASSERT_TRUE(archive.Close());
    }
    PackageArchive archive(package_.c_str(), false);
    EXPECT_EQ(40000, archive.EntryCount());
    EXPECT_TRUE(archive.FindEntry("ENTRY39999"));
}

TEST_F(HostilePackage, NonsenseDirectoryWithAMatchingChecksum) {
    // The directory region is replaced by random bytes and the checksums are
    // made to match: the records read are nonsense, extraction still fails.
    uint32_t directory = 0;
    {
        PackageArchive archive(package_.c_str(), false);
        ASSERT_EQ(2, archive.EntryCount());
        directory = archive.DirectoryOffset();
    }
    std::string bytes = good_;
    ASSERT_LT(directory + 24, bytes.size());
    std::string noise = testing_support::SampleBytes(bytes.size() - 24 - directory, 9);
    for (char& c : noise) {
        c = static_cast<char>(c * 37 + 11);
    }
    bytes.replace(directory, noise.size(), noise);
    uint32_t sum = archive::AddChecksumChunk(0, reinterpret_cast<const uint8_t*>(bytes.data()),
                                             static_cast<uint32_t>(bytes.size() - 24));
    archive::WriteLittleEndian32(reinterpret_cast<uint8_t*>(&bytes[bytes.size() - 24]),
                                 sum == 0 ? 1 : sum);
    WriteAll(package_, bytes);
    PackageArchive archive(package_.c_str(), false);
    for (int32_t i = 0; i < archive.EntryCount(); ++i) {
        EXPECT_FALSE(archive.ExtractEntry(i, scratch_.PathOf("out.bin").c_str()));
    }
}

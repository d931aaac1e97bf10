// The package format: record and trailer encoding, both checksums, and the
// reader's validation against corrupted and hostile files.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "archive/package_archive.h"
#include "archive/package_format.h"
#include "support/disk_file.h"
#include "support/win32_values.h"
#include "tests/support_lib/message_capture.h"
#include "tests/support_lib/scratch.h"

using archive::ArchiveEntry;
using archive::ArchiveTrailer;
using archive::PackageArchive;
using archive::Validation;
using testing_support::MessageCapture;
using testing_support::ReadAll;
using testing_support::Scratch;
using testing_support::WriteAll;

namespace {

std::string Le32(uint32_t value) {
    uint8_t bytes[4];
    archive::WriteLittleEndian32(bytes, value);
    return std::string(reinterpret_cast<char*>(bytes), 4);
}

std::string EncodeTrailer(uint32_t file_checksum, uint32_t directory_offset, uint32_t count) {
    ArchiveTrailer trailer = {
        file_checksum, 0, directory_offset, count, archive::kFirstMagic, archive::kSecondMagic};
    uint8_t bytes[archive::kTrailerSize];
    archive::EncodeTrailer(trailer, bytes);
    trailer.trailer_checksum = archive::ComputeTrailerChecksum(bytes);
    archive::EncodeTrailer(trailer, bytes);
    return std::string(reinterpret_cast<char*>(bytes), sizeof bytes);
}

uint32_t ChecksumOf(const std::string& covered) {
    uint32_t sum = archive::AddChecksumChunk(0, reinterpret_cast<const uint8_t*>(covered.data()),
                                             static_cast<uint32_t>(covered.size()));
    return sum == 0 ? 1 : sum;
}

// A package assembled byte by byte: stub, raw "data", directory, trailer.
// The data is not bzip2; these tests only read the directory.
std::string HandMadePackage(const std::string& stub, const std::string& directory, uint32_t count,
                            uint32_t directory_offset) {
    std::string covered = stub + directory;
    return covered + EncodeTrailer(ChecksumOf(covered), directory_offset, count);
}

std::string Record(uint32_t offset, uint32_t size, const std::string& name, int name_length = -1) {
    uint8_t length = static_cast<uint8_t>(name_length < 0 ? name.size() + 1 : name_length);
    std::string stored = (name + std::string(1, '\0')).substr(0, length);
    return Le32(offset) + Le32(size) + Le32(0) + Le32(0) + std::string(1, char(length)) + stored;
}

}  // namespace

TEST(PackageFormat, WorkedExampleRecordEncodes) {
    ArchiveEntry entry = {};
    entry.data_offset = 0x37816;
    entry.compressed_size = 505;
    entry.uncompressed_size = 1685;
    entry.data_sum = 0xE15F;
    std::strcpy(entry.name, "Setup.dat");
    uint8_t header[archive::kEntryHeaderSize];
    archive::EncodeEntryHeader(entry, header);
    const uint8_t expected[] = {0x16, 0x78, 0x03, 0x00, 0xF9, 0x01, 0x00, 0x00, 0x95,
                                0x06, 0x00, 0x00, 0x5F, 0xE1, 0x00, 0x00, 0x0A};
    EXPECT_EQ(0, std::memcmp(header, expected, sizeof expected));

    ArchiveEntry decoded = {};
    archive::DecodeEntryHeader(header, &decoded);
    EXPECT_EQ(0x37816u, decoded.data_offset);
    EXPECT_EQ(0xE15Fu, decoded.data_sum);
    EXPECT_EQ(10, decoded.name_length);
}

TEST(PackageFormat, TrailerChecksumIsSignedByteSum) {
    std::string trailer = EncodeTrailer(0, 0x37A0F, 17);
    EXPECT_EQ(236u,
              archive::ReadLittleEndian32(reinterpret_cast<const uint8_t*>(trailer.data()) + 4));

    // The magics alone: 79 as signed bytes, where an unsigned sum gives 847.
    uint8_t only_magics[archive::kTrailerSize] = {};
    archive::WriteLittleEndian32(only_magics + 16, archive::kFirstMagic);
    archive::WriteLittleEndian32(only_magics + 20, archive::kSecondMagic);
    EXPECT_EQ(79u, archive::ComputeTrailerChecksum(only_magics));

    // A negative sum is stored as its two's complement.
    uint8_t negative[archive::kTrailerSize] = {};
    negative[8] = 0xFF;
    EXPECT_EQ(0xFFFFFFFFu, archive::ComputeTrailerChecksum(negative));
}

TEST(PackageFormat, FileChecksumAddsTrailingBytesSingly) {
    // Words 0x04030201, then the leftover bytes one by one as unsigned values.
    const std::string words = "\x01\x02\x03\x04";
    EXPECT_EQ(0x04030201u + 0xFF, ChecksumOf(words + "\xFF"));
    EXPECT_EQ(0x04030201u + 0xFF + 0x80, ChecksumOf(words + "\xFF\x80"));
    EXPECT_EQ(0x04030201u + 0xFF + 0x80 + 0x01, ChecksumOf(words + "\xFF\x80\x01"));
}

TEST(PackageFormat, FileChecksumOverRealFiles) {
    Scratch scratch;
    MessageCapture capture;
    // Exactly a trailer: nothing covered, checksum 1.
    std::string path = scratch.PathOf("t24");
    WriteAll(path, std::string(24, 'x'));
    {
        support::DiskFile file(path.c_str(),
                               support::DiskFile::kRead | support::DiskFile::kReportErrors);
        EXPECT_EQ(1u, archive::ComputeFileChecksum(file));
    }
    // Several 64 KiB chunks and an unaligned tail agree with one pass in memory.
    std::string big = testing_support::SampleBytes(3 * 65536 + 7, 5);
    WriteAll(path, big + std::string(24, 't'));
    {
        support::DiskFile file(path.c_str(),
                               support::DiskFile::kRead | support::DiskFile::kReportErrors);
        EXPECT_EQ(ChecksumOf(big), archive::ComputeFileChecksum(file));
    }
    EXPECT_TRUE(capture.Messages().empty());
}

TEST(PackageFormat, StoredZeroFileChecksumNeverValidates) {
    Scratch scratch;
    // Covered bytes that sum to 0 compute as 1, so a stored 0 cannot match.
    std::string covered = Le32(0x80000000u) + Le32(0x80000000u);
    std::string path = scratch.PathOf("zero");
    WriteAll(path, covered + EncodeTrailer(0, 8, 0));
    support::DiskFile file(path.c_str(),
                           support::DiskFile::kRead | support::DiskFile::kReportErrors);
    ArchiveTrailer trailer;
    EXPECT_EQ(Validation::kBadFileChecksum, archive::ValidatePackage(file, &trailer));
    WriteAll(path, covered + EncodeTrailer(1, 8, 0));
    support::DiskFile again(path.c_str(),
                            support::DiskFile::kRead | support::DiskFile::kReportErrors);
    EXPECT_EQ(Validation::kValid, archive::ValidatePackage(again, &trailer));
}

TEST(PackageFormat, ValidationFailsInOrder) {
    Scratch scratch;
    std::string path = scratch.PathOf("v");
    auto validate = [&](const std::string& bytes) {
        WriteAll(path, bytes);
        support::DiskFile file(path.c_str(), support::DiskFile::kRead);
        ArchiveTrailer trailer;
        return archive::ValidatePackage(file, &trailer);
    };
    std::string good = HandMadePackage("stub", "", 0, 4);
    EXPECT_EQ(Validation::kValid, validate(good));
    EXPECT_EQ(Validation::kTooShort, validate(std::string(23, 'x')));
    std::string bad = good;
    bad[bad.size() - 8] ^= 1;
    EXPECT_EQ(Validation::kBadFirstMagic, validate(bad));
    bad = good;
    bad[bad.size() - 1] ^= 1;
    EXPECT_EQ(Validation::kBadSecondMagic, validate(bad));
    bad = good;
    bad[bad.size() - 12] ^= 1;  // entry count, checksum not updated
    EXPECT_EQ(Validation::kBadTrailerChecksum, validate(bad));
    bad = good;
    bad[0] ^= 1;
    EXPECT_EQ(Validation::kBadFileChecksum, validate(bad));
}

TEST(PackageFormat, NotAPackageReadsAsEmptyAtItsEnd) {
    Scratch scratch;
    std::string path = scratch.PathOf("plain.exe");
    WriteAll(path, std::string(1000, 'M'));
    PackageArchive package(path.c_str(), false);
    EXPECT_EQ(0, package.EntryCount());
    EXPECT_EQ(1000u, package.DirectoryOffset());
}

TEST(PackageFormat, FlippingAnyByteMakesThePackageReadAsEmpty) {
    Scratch scratch;
    MessageCapture capture;
    std::string path = scratch.PathOf("pkg.exe");
    std::string payload = scratch.PathOf("a.txt");
    WriteAll(path, "STUB-BYTES");
    WriteAll(payload, "hello, hello, hello");
    {
        PackageArchive package(path.c_str(), true);
        char name[support::kMaxPath];
        package.AddFile(payload.c_str(), name);
        package.AddFile(payload.c_str(), name);
        ASSERT_TRUE(package.Close());
    }
    const std::string original = ReadAll(path);
    {
        PackageArchive package(path.c_str(), false);
        ASSERT_EQ(2, package.EntryCount());
    }
    for (size_t i = 0; i < original.size(); ++i) {
        std::string damaged = original;
        damaged[i] = static_cast<char>(damaged[i] ^ 0xFF);
        WriteAll(path, damaged);
        PackageArchive package(path.c_str(), false);
        EXPECT_EQ(0, package.EntryCount()) << "byte " << i;
        EXPECT_EQ(original.size(), package.DirectoryOffset()) << "byte " << i;
    }
    EXPECT_TRUE(capture.Messages().empty());
}

TEST(PackageFormat, DirectoryRecordsAreReadDefensively) {
    Scratch scratch;
    std::string path = scratch.PathOf("dir.exe");
    const std::string stub = "0123456789";

    // Names up to the 255-byte length field, and one with no NUL at all.
    std::string long_name(254, 'n');
    std::string directory =
        Record(0, 10, long_name) + Record(0, 10, "", 0) + Record(0, 10, std::string(255, 'z'), 255);
    WriteAll(path, HandMadePackage(stub, directory, 3, 10));
    {
        PackageArchive package(path.c_str(), false);
        ASSERT_EQ(3, package.EntryCount());
        EXPECT_EQ(long_name, package.EntryAt(0).name);
        EXPECT_STREQ("", package.EntryAt(1).name);
        EXPECT_EQ(std::string(255, 'z'), package.EntryAt(2).name);
    }

    // A record whose name would run past the end of the file is dropped, and
    // reading stops there.
    std::string cut = Record(0, 10, "whole.txt") + Record(0, 10, "cut-off", 200).substr(0, 20);
    WriteAll(path, HandMadePackage(stub, cut, 2, 10));
    {
        PackageArchive package(path.c_str(), false);
        ASSERT_EQ(1, package.EntryCount());
        EXPECT_STREQ("whole.txt", package.EntryAt(0).name);
    }

    // A directory that claims four billion records ends at the first short read.
    WriteAll(path, HandMadePackage(stub, Record(0, 10, "only.txt"), 0xFFFFFFF0u, 10));
    {
        PackageArchive package(path.c_str(), false);
        EXPECT_EQ(1, package.EntryCount());
    }
}

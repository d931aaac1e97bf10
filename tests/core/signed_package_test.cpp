// Signed packages: the archive is read in front of the certificate table
// with the signed-over header fields counted as zeros, anything else is
// judged as an unsigned file, nothing is added to a signed file, and the
// uninstaller's copy of the stub claims no table.
#include <gtest/gtest.h>

#include <string>

#include "archive/certificate_table.h"
#include "archive/pack_mode.h"
#include "archive/package_archive.h"
#include "archive/package_format.h"
#include "support/disk_file.h"
#include "support/win32_values.h"
#include "tests/support_lib/message_capture.h"
#include "tests/support_lib/scratch.h"
#include "tests/support_lib/signed_image.h"

using archive::PackageArchive;
using archive::Validation;
using testing_support::MessageCapture;
using testing_support::ReadAll;
using testing_support::Scratch;
using testing_support::WriteAll;

namespace {

class SignedPackage : public ::testing::Test {
  protected:
    // An unsigned package on a PE stub of stub_length bytes: setup.dat and
    // a payload named so that the package's length varies with name_extra.
    std::string Build(size_t stub_length, bool pe32_plus = false, size_t name_extra = 0) {
        WriteAll(Path("setup.dat"), "[Project Name]\r\nSigned\r\n");
        std::string payload = "payload" + std::string(name_extra, 'x') + ".bin";
        WriteAll(Path(payload), testing_support::SampleBytes(20000, 5));
        std::string package = Path("setup.exe");
        WriteAll(package, testing_support::PeStub(stub_length, pe32_plus));
        char name[support::kMaxPath];
        PackageArchive archive(package.c_str(), true);
        archive.AddFile(Path("setup.dat").c_str(), name);
        archive.AddFile(Path(payload.c_str()).c_str(), name);
        EXPECT_TRUE(archive.Close());
        return package;
    }
    std::string Path(const std::string& name) const { return scratch_.PathOf(name); }
    Validation Judge(const std::string& bytes, archive::PackageLayout* layout = nullptr) {
        WriteAll(Path("judged.exe"), bytes);
        support::DiskFile file(Path("judged.exe").c_str(), support::DiskFile::kRead);
        archive::ArchiveTrailer trailer;
        archive::PackageLayout unused;
        return archive::ValidatePackage(file, &trailer, layout != nullptr ? layout : &unused);
    }

    Scratch scratch_;
};

}  // namespace

TEST_F(SignedPackage, ReadsInFrontOfTheTableForEveryPaddingAndBothImageKinds) {
    for (bool pe32_plus : {false, true}) {
        for (size_t extra = 0; extra < 8; ++extra) {
            std::string unsigned_bytes = ReadAll(Build(3000, pe32_plus, extra));
            uint32_t padding = static_cast<uint32_t>((8 - unsigned_bytes.size() % 8) % 8);
            WriteAll(Path("setup.exe"), testing_support::SignLikeATool(unsigned_bytes, 1536));
            PackageArchive archive(Path("setup.exe").c_str(), false);
            ASSERT_EQ(Validation::kValid, archive.ValidationResult()) << extra;
            EXPECT_TRUE(archive.IsSigned());
            EXPECT_EQ(padding, archive.Layout().padding);
            EXPECT_EQ(unsigned_bytes.size(), archive.Layout().archive_end);
            EXPECT_EQ(1536u, archive.Layout().signature.table_size);
            EXPECT_EQ(3000u, archive.StubLength());
            ASSERT_TRUE(archive.Extract("setup.dat", Path("back.dat").c_str()));
            EXPECT_EQ("[Project Name]\r\nSigned\r\n", ReadAll(Path("back.dat")));
        }
    }
}

TEST_F(SignedPackage, DataIsCheckedButTheTableAndTheSignedOverFieldsAreNot) {
    std::string signed_bytes = testing_support::SignLikeATool(ReadAll(Build(3001)), 1024);
    ASSERT_EQ(Validation::kValid, Judge(signed_bytes));

    std::string damaged = signed_bytes;
    damaged[3500] ^= 0x01;  // entry data
    EXPECT_EQ(Validation::kBadFileChecksum, Judge(damaged));
    damaged = signed_bytes;
    damaged[100] ^= 0x01;  // a header byte the signer does not touch
    EXPECT_EQ(Validation::kBadFileChecksum, Judge(damaged));

    // Re-signing rewrites the table and both fields: still the same package.
    damaged = signed_bytes;
    damaged[damaged.size() - 100] ^= 0x01;
    damaged[testing_support::PeCheckSumOffset()] ^= 0x5A;
    EXPECT_EQ(Validation::kValid, Judge(damaged));
}

TEST_F(SignedPackage, ASecurityEntryNotEndingAtTheEndIsJudgedAsToday) {
    std::string unsigned_bytes = ReadAll(Build(3000));
    std::string signed_bytes = testing_support::SignLikeATool(unsigned_bytes, 1024);
    size_t entry = testing_support::PeSecurityEntryOffset();
    struct Case {
        uint32_t offset;
        uint32_t size;
    };
    uint32_t table = static_cast<uint32_t>(signed_bytes.size() - 1024);
    const Case elsewhere[] = {
        {table, 1023},                                                      // ends before the end
        {table, 1025},                                                      // past the end
        {static_cast<uint32_t>(signed_bytes.size()), 0},                    // empty, at the end
        {0xFFFFFF00u, static_cast<uint32_t>(signed_bytes.size() + 0x100)},  // wraps to the end
    };
    for (const Case& c : elsewhere) {
        // A signed file whose entry leads elsewhere has no trailer at its end.
        std::string bytes = signed_bytes;
        testing_support::PutLe32(bytes, entry, c.offset);
        testing_support::PutLe32(bytes, entry + 4, c.size);
        archive::PackageLayout layout;
        EXPECT_EQ(Validation::kBadFirstMagic, Judge(bytes, &layout)) << c.offset << " " << c.size;
        EXPECT_FALSE(layout.is_signed);
    }
    // More than seven zero bytes in front of the table are no padding.
    std::string padded =
        testing_support::SignLikeATool(unsigned_bytes + std::string(8, '\0'), 1024);
    EXPECT_EQ(Validation::kBadFirstMagic, Judge(padded));
    // The unsigned package itself keeps today's rules, bytes and all.
    EXPECT_EQ(Validation::kValid, Judge(unsigned_bytes));
}

TEST_F(SignedPackage, HostileHeadersAreNoSignature) {
    std::string image = testing_support::PeStub(600);
    auto no_fields = [&](std::string bytes) {
        WriteAll(Path("hostile.exe"), bytes);
        support::DiskFile file(Path("hostile.exe").c_str(), support::DiskFile::kRead);
        archive::SignatureFields fields;
        return !archive::ReadSignatureFields(file, &fields) && fields.table_size == 0;
    };
    EXPECT_FALSE(no_fields(image));
    std::string bytes = image;
    testing_support::PutLe32(bytes, 0x3C, 0xFFFFFFF0u);  // header pointer far past the end
    EXPECT_TRUE(no_fields(bytes));
    bytes = image;
    testing_support::PutLe32(bytes, 0x3C, 600 - 100);  // headers run past the end
    EXPECT_TRUE(no_fields(bytes));
    bytes = image;
    bytes[0x80 + 20] = 0x60;  // optional header too short for the Security entry
    EXPECT_TRUE(no_fields(bytes));
    bytes = image;
    testing_support::PutLe32(bytes, 0x80 + 24 + 92, 4);  // directory without a Security entry
    EXPECT_TRUE(no_fields(bytes));
    bytes = image;
    bytes[0x80 + 24] = 0x0C;  // neither PE32 nor PE32+
    EXPECT_TRUE(no_fields(bytes));
    EXPECT_TRUE(no_fields(image.substr(0, 63)));
}

TEST_F(SignedPackage, NothingIsAddedToASignedFile) {
    std::string package = Build(3000);
    std::string signed_bytes = testing_support::SignLikeATool(ReadAll(package), 1024);
    WriteAll(package, signed_bytes);
    MessageCapture capture;
    char name[support::kMaxPath];
    EXPECT_FALSE(archive::PackFile(Path("setup.dat").c_str(), package.c_str(), name));
    {
        PackageArchive archive(package.c_str(), true);
        const uint8_t data[] = {'B', 'Z', 'h', '9'};
        EXPECT_FALSE(archive.AppendEntryData("more.bin", data, sizeof data, 0));
    }
    EXPECT_EQ(signed_bytes, ReadAll(package));
    ASSERT_EQ(2u, capture.Messages().size());
    EXPECT_NE(std::string::npos, capture.Messages()[0].text.find("is signed"));
    EXPECT_EQ("Install", capture.Messages()[0].caption);

    // A signed program that is no package yet takes nothing either.
    std::string signed_stub = testing_support::SignLikeATool(testing_support::PeStub(4000), 512);
    WriteAll(Path("stub.exe"), signed_stub);
    EXPECT_FALSE(archive::PackFile(Path("setup.dat").c_str(), Path("stub.exe").c_str(), name));
    EXPECT_EQ(signed_stub, ReadAll(Path("stub.exe")));
    EXPECT_EQ(3u, capture.Messages().size());
}

TEST_F(SignedPackage, TheUninstallerCopyClaimsNoTable) {
    WriteAll(Path("setup.exe"), testing_support::SignLikeATool(ReadAll(Build(3000)), 1024));
    PackageArchive archive(Path("setup.exe").c_str(), false);
    archive.CopyStub(Path("copy.exe").c_str());
    std::string before = ReadAll(Path("copy.exe"));
    ASSERT_TRUE(archive::ClearSignatureFields(Path("copy.exe").c_str()));
    std::string after = ReadAll(Path("copy.exe"));
    ASSERT_EQ(3000u, after.size());
    support::DiskFile copy(Path("copy.exe").c_str(), support::DiskFile::kRead);
    archive::SignatureFields fields;
    ASSERT_TRUE(archive::ReadSignatureFields(copy, &fields));
    EXPECT_EQ(0u, fields.checksum);
    EXPECT_EQ(0u, fields.table_offset);
    EXPECT_EQ(0u, fields.table_size);
    // Only those twelve bytes changed.
    EXPECT_EQ(testing_support::PeStub(3000), after);
    EXPECT_NE(before, after);
    EXPECT_FALSE(archive::ClearSignatureFields(Path("setup.dat").c_str()));
}

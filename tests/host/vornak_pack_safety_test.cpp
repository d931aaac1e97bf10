// vornak-pack against packages made to hurt: extraction that never destroys
// a file the user had, entries that share their data, a total past a limit,
// and names that would drive the terminal.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "archive/package_archive.h"
#include "archive/package_format.h"
#include "support/win32_values.h"
#include "tests/host/vornak_pack_fixture.h"
#include "tests/support_lib/message_capture.h"
#include "tests/support_lib/scratch.h"
#include "packer/build/package_builder.h"
#include "packer/examine/package_contents.h"
#include "packer/examine/package_verify.h"
#include "packer/common/printable_text.h"
#include "packer/common/tool_messages.h"

using testing_support::MessageCapture;
using testing_support::ReadAll;
using testing_support::SampleBytes;
using testing_support::WriteAll;
using vornak_pack_testing::Captured;
using vornak_pack_testing::HostScratch;
using vornak_pack_testing::Printed;
using vornak_pack_testing::Verified;

namespace {

// Builds package from (name, content) pairs with vornak-pack's own builder.
void Build(const HostScratch& scratch, const std::string& package,
           const std::vector<std::pair<std::string, std::string>>& files) {
    WriteAll(scratch.CorePath("stub.exe"), "MZ stub");
    vornak_pack::BuildRequest request;
    request.output = scratch.Path(package);
    request.stub = scratch.Path("stub.exe");
    request.jobs = 1;
    for (const auto& file : files) {
        WriteAll(scratch.CorePath("src-" + file.first), file.second);
        request.inputs.push_back({scratch.Path("src-" + file.first), file.first});
    }
    vornak_pack::BuildSummary summary;
    ASSERT_TRUE(vornak_pack::BuildPackage(request, &summary));
}

// Makes the file checksum right again after the bytes were changed.
void Reseal(const std::string& core_path, std::string bytes) {
    size_t covered = bytes.size() - archive::kTrailerSize;
    uint32_t sum = archive::AddChecksumChunk(0, reinterpret_cast<const uint8_t*>(bytes.data()),
                                             static_cast<uint32_t>(covered));
    archive::WriteLittleEndian32(reinterpret_cast<uint8_t*>(&bytes[covered]), sum == 0 ? 1 : sum);
    WriteAll(core_path, bytes);
}

std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    while (dirent* entry = dir != nullptr ? readdir(dir) : nullptr) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    if (dir != nullptr) {
        closedir(dir);
    }
    return names;
}

}  // namespace

TEST(VornakPackSafety, ExtractNeverDestroysOrWritesThroughAFile) {
    HostScratch scratch;
    std::string content = SampleBytes(20000, 5);
    Build(scratch, "p.exe", {{"data.txt", content}, {"linked.txt", "new"}});
    std::string core = scratch.CorePath("p.exe");
    uint32_t offset = 0;
    {
        archive::PackageArchive package(core.c_str(), false);
        offset = package.EntryAt(0).data_offset;
    }
    // Two bytes of the stream swapped: the data sum still holds, the stream
    // does not decode.
    std::string bytes = ReadAll(core);
    size_t at = offset + 40;
    while (bytes[at] == bytes[at + 1]) {
        ++at;
    }
    std::swap(bytes[at], bytes[at + 1]);
    Reseal(core, bytes);

    ASSERT_EQ(0, mkdir(scratch.Path("out").c_str(), 0777));
    WriteAll(scratch.CorePath("out\\data.txt"), "precious");
    // A hard link to a file outside the folder: replacing the target must
    // not change the file it shares its data with.
    WriteAll(scratch.CorePath("outside.txt"), "outside");
    ASSERT_EQ(0, link(scratch.Path("outside.txt").c_str(), scratch.Path("out/linked.txt").c_str()));

    MessageCapture capture;
    std::FILE* out = std::tmpfile();
    EXPECT_FALSE(vornak_pack::ExtractPackage(scratch.Path("p.exe"), scratch.Path("out"), {}, out));
    std::fclose(out);
    EXPECT_EQ("precious", ReadAll(scratch.CorePath("out\\data.txt")));
    EXPECT_EQ("new", ReadAll(scratch.CorePath("out\\linked.txt")));
    EXPECT_EQ("outside", ReadAll(scratch.CorePath("outside.txt")));
    ASSERT_EQ(1u, capture.Messages().size());
    EXPECT_NE(std::string::npos, capture.Messages()[0].text.find("'data.txt' is not extracted"));
    // Nothing half-written is left behind.
    std::vector<std::string> names = FolderNames(scratch.Path("out"));
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{"data.txt", "linked.txt"}), names);
}

TEST(VornakPackSafety, SharedDataFailsVerifyAndExtractStopsAtItsLimit) {
    HostScratch scratch;
    Build(scratch, "p.exe",
          {{"setup.dat", "[Project Name]\r\nX\r\n"}, {"zeros.bin", std::string(1 << 20, '\0')}});
    std::string core = scratch.CorePath("p.exe");
    {
        // Eight more entries, all pointing at the one stream of zeros.
        archive::PackageArchive package(core.c_str(), true);
        archive::ArchiveEntry zeros;
        ASSERT_TRUE(package.FindEntry("zeros.bin", &zeros));
        std::string stream = ReadAll(core).substr(zeros.data_offset, zeros.compressed_size);
        for (int i = 0; i < 8; ++i) {
            ASSERT_TRUE(package.AppendEntryData(("copy" + std::to_string(i)).c_str(),
                                                reinterpret_cast<const uint8_t*>(stream.data()),
                                                zeros.compressed_size, zeros.uncompressed_size));
            const_cast<archive::ArchiveEntry&>(package.EntryAt(package.EntryCount() - 1))
                .data_offset = zeros.data_offset;
        }
        ASSERT_TRUE(package.Close());
    }
    std::FILE* report = std::tmpfile();
    MessageCapture capture;
    EXPECT_FALSE(vornak_pack::VerifyPackage(scratch.Path("p.exe"), report));
    std::string text = Captured(report);
    EXPECT_NE(std::string::npos, text.find("ok      setup.dat\n"));
    EXPECT_NE(std::string::npos, text.find("FAILED  zeros.bin: its data overlaps that of 'copy"));
    EXPECT_NE(std::string::npos, text.find("FAILED  copy7: its data overlaps that of 'zeros.bin'"));
    EXPECT_EQ(std::string::npos, text.find("all hold"));

    // 3 MiB and a little allow setup.dat, zeros.bin and two copies.
    capture.Clear();
    std::FILE* out = std::tmpfile();
    EXPECT_FALSE(vornak_pack::ExtractPackage(scratch.Path("p.exe"), scratch.Path("out"), {}, out,
                                             nullptr, (3 << 20) + 100));
    std::fclose(out);
    EXPECT_EQ(4u, FolderNames(scratch.Path("out")).size());
    ASSERT_EQ(1u, capture.Messages().size());
    EXPECT_NE(std::string::npos, capture.Messages()[0].text.find(
                                     "extraction stops before 'copy2': its 1048576 bytes would "
                                     "bring the total past 3145828 bytes, the limit set by "
                                     "--max-size"));
}

TEST(VornakPackSafety, NamesReachTheTerminalWithTheirControlsEscaped) {
    using vornak_pack::Printable;
    EXPECT_EQ("plain name.txt", Printable("plain name.txt"));
    EXPECT_EQ("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80",
              Printable("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"));
    EXPECT_EQ("a\\x1B[2Jb\\x07\\x7F", Printable("a\x1B[2Jb\x07\x7F"));
    // C1 controls, in UTF-8 and as the lone byte an 8-bit terminal obeys;
    // bytes that are no UTF-8 (cut, overlong, a surrogate) come out as hex.
    EXPECT_EQ("\\u009B\\x9B", Printable("\xC2\x9B\x9B"));
    EXPECT_EQ("\\xE2\\x82 \\xC0\\xAF \\xED\\xA0\\x80", Printable("\xE2\x82 \xC0\xAF \xED\xA0\x80"));

    HostScratch scratch;
    std::string evil = "evil\x1B]0;owned\x07.txt";
    {
        archive::PackageArchive package(scratch.CorePath("p.exe").c_str(), true);
        const uint8_t empty_stream[] = {'B',  'Z',  'h',  '9', 0x17, 0x72, 0x45,
                                        0x38, 0x50, 0x90, 0,   0,    0,    0};
        ASSERT_TRUE(package.AppendEntryData(evil.c_str(), empty_stream, 14, 0));
        ASSERT_TRUE(package.Close());
    }
    MessageCapture capture;
    std::FILE* listing = std::tmpfile();
    ASSERT_TRUE(vornak_pack::ListPackage(scratch.Path("p.exe"), listing));
    std::FILE* report = std::tmpfile();
    vornak_pack::VerifyPackage(scratch.Path("p.exe"), report);
    std::string printed = Captured(listing) + Captured(report);
    for (const auto& message : capture.Messages()) {
        printed +=
            vornak_pack::ConsoleLine(message.text.c_str(), message.caption.c_str(), message.flags);
    }
    EXPECT_NE(std::string::npos, printed.find("evil\\x1B]0;owned\\x07.txt"));
    EXPECT_EQ(std::string::npos, printed.find('\x1B'));
    EXPECT_EQ(std::string::npos, printed.find('\x07'));
}

TEST(VornakPackSafety, AnEmptyDataBlockIsAnEmptyFileAndNothingMore) {
    HostScratch scratch;
    {
        archive::PackageArchive package(scratch.CorePath("p.exe").c_str(), true);
        const uint8_t none[1] = {0};
        ASSERT_TRUE(package.AppendEntryData("setup.dat", none, 0, 0));
        ASSERT_TRUE(package.AppendEntryData("claims.txt", none, 0, 5));
        ASSERT_TRUE(package.Close());
    }
    MessageCapture capture;
    std::FILE* report = std::tmpfile();
    EXPECT_FALSE(vornak_pack::VerifyPackage(scratch.Path("p.exe"), report));
    std::string text = Captured(report);
    EXPECT_NE(std::string::npos, text.find("ok      setup.dat\n"));
    EXPECT_NE(std::string::npos,
              text.find("FAILED  claims.txt: it decodes to 0 bytes where the directory says 5"));
    std::FILE* out = std::tmpfile();
    EXPECT_TRUE(vornak_pack::ExtractPackage(scratch.Path("p.exe"), scratch.Path("out"),
                                            {"setup.dat"}, out));
    std::fclose(out);
    EXPECT_TRUE(testing_support::FileExists(scratch.CorePath("out\\setup.dat")));
    EXPECT_EQ("", ReadAll(scratch.CorePath("out\\setup.dat")));
}

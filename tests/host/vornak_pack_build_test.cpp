// vornak-pack building and examining: the same bytes as pack mode, the same
// package for every thread count, a failed build that leaves the output as
// it was, and list, verify and extract against good and damaged packages.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "archive/pack_mode.h"
#include "archive/package_archive.h"
#include "archive/package_format.h"
#include "tests/host/vornak_pack_fixture.h"
#include "tests/support_lib/message_capture.h"
#include "tests/support_lib/scratch.h"
#include "tests/support_lib/write_barrier.h"
#include "packer/build/package_builder.h"
#include "packer/common/pack_input.h"
#include "packer/examine/package_contents.h"
#include "packer/examine/package_verify.h"

using testing_support::MessageCapture;
using testing_support::ReadAll;
using testing_support::SampleBytes;
using testing_support::WriteAll;
using vornak_pack::BuildPackage;
using vornak_pack::BuildRequest;
using vornak_pack::BuildSummary;
using vornak_pack::PackInput;
using vornak_pack_testing::Captured;
using vornak_pack_testing::HostScratch;
using vornak_pack_testing::Printed;
using vornak_pack_testing::Verified;

namespace {

// A stub, a script, an empty file and one larger than a 900 kB bzip2 block.
struct Sample {
    HostScratch scratch;
    std::vector<PackInput> inputs;
    std::string stub_bytes = "MZ" + SampleBytes(3000, 99);

    Sample() {
        WriteAll(scratch.CorePath("stub.exe"), stub_bytes);
        Add("Setup.dat", "[Project Name]\r\nSample\r\n");
        Add("empty.txt", "");
        Add("big.bin", SampleBytes(1000000, 7));
        Add("readme.txt", SampleBytes(5000, 3));
    }
    void Add(const std::string& name, const std::string& bytes) {
        WriteAll(scratch.CorePath(name), bytes);
        inputs.push_back({scratch.Path(name), name});
    }
    BuildRequest Request(const std::string& output, unsigned jobs) const {
        BuildRequest request;
        request.output = scratch.Path(output);
        request.stub = scratch.Path("stub.exe");
        request.inputs = inputs;
        request.jobs = jobs;
        return request;
    }
    // The package as the installer's pack mode makes it: one run per file
    // against a copy of the stub.
    std::string PackedByPackMode(const std::string& output) const {
        WriteAll(scratch.CorePath(output), stub_bytes);
        for (const PackInput& input : inputs) {
            char name[support::kMaxPath];
            archive::PackFile(scratch.CorePath(input.name).c_str(),
                              scratch.CorePath(output).c_str(), name);
        }
        return ReadAll(scratch.CorePath(output));
    }
};

std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    while (dirent* entry = dir != nullptr ? readdir(dir) : nullptr) {
        if (entry->d_name[0] != '.' || std::string(entry->d_name).size() > 2) {
            names.push_back(entry->d_name);
        }
    }
    if (dir != nullptr) {
        closedir(dir);
    }
    return names;
}

// Changes one byte of a package and makes the file checksum right again, so
// the package still opens and only its entry is damaged.
void DamageAndReseal(const std::string& core_path, size_t offset, char value) {
    std::string bytes = ReadAll(core_path);
    bytes[offset] = value;
    size_t covered = bytes.size() - archive::kTrailerSize;
    uint32_t sum = archive::AddChecksumChunk(0, reinterpret_cast<const uint8_t*>(bytes.data()),
                                             static_cast<uint32_t>(covered));
    archive::WriteLittleEndian32(reinterpret_cast<uint8_t*>(&bytes[covered]), sum == 0 ? 1 : sum);
    WriteAll(core_path, bytes);
}

}  // namespace

TEST(VornakPackBuild, WritesTheSameBytesAsPackModeForEveryThreadCount) {
    Sample sample;
    std::string expected = sample.PackedByPackMode("reference.exe");
    for (unsigned jobs : {1u, 2u, 3u}) {
        std::string name = "built" + std::to_string(jobs) + ".exe";
        BuildSummary summary;
        ASSERT_TRUE(BuildPackage(sample.Request(name, jobs), &summary));
        EXPECT_EQ(expected, ReadAll(sample.scratch.CorePath(name))) << jobs << " threads";
        EXPECT_EQ(4u, summary.entry_count);
        EXPECT_EQ(sample.stub_bytes.size(), summary.stub_length);
        EXPECT_EQ(expected.size(), summary.package_size);
    }
}

TEST(VornakPackBuild, AddingLaterGivesTheSamePackageAsAddingAtOnce) {
    Sample sample;
    BuildSummary summary;
    ASSERT_TRUE(BuildPackage(sample.Request("once.exe", 2), &summary));
    BuildRequest first = sample.Request("twice.exe", 2);
    first.inputs.resize(2);
    ASSERT_TRUE(BuildPackage(first, &summary));
    BuildRequest rest = sample.Request("twice.exe", 1);
    rest.append = true;
    rest.stub.clear();
    rest.inputs.erase(rest.inputs.begin(), rest.inputs.begin() + 2);
    ASSERT_TRUE(BuildPackage(rest, &summary));
    EXPECT_EQ(ReadAll(sample.scratch.CorePath("once.exe")),
              ReadAll(sample.scratch.CorePath("twice.exe")));
}

TEST(VornakPackBuild, WithoutAStubTheFirstEntryStartsAtZero) {
    Sample sample;
    BuildRequest request = sample.Request("bare.pkg", 2);
    request.stub.clear();
    BuildSummary summary;
    ASSERT_TRUE(BuildPackage(request, &summary));
    archive::PackageArchive package(sample.scratch.CorePath("bare.pkg").c_str(), false);
    ASSERT_EQ(4, package.EntryCount());
    EXPECT_EQ(0u, package.EntryAt(0).data_offset);
    EXPECT_EQ(0u, summary.stub_length);
}

TEST(VornakPackBuild, AFailedBuildLeavesTheOutputAsItWasAndNothingBeside) {
    Sample sample;
    sample.PackedByPackMode("reference.exe");
    uint32_t data_end =
        archive::PackageArchive(sample.scratch.CorePath("reference.exe").c_str(), false)
            .DirectoryOffset();
    WriteAll(sample.scratch.CorePath("out.exe"), "old content");
    std::vector<std::string> before = FolderNames(sample.scratch.Folder());
    BuildRequest request = sample.Request("out.exe", 2);
    request.inputs.push_back({sample.scratch.Path("missing.bin"), "missing.bin"});
    MessageCapture capture;
    BuildSummary summary;
    EXPECT_FALSE(BuildPackage(request, &summary));
    EXPECT_EQ("old content", ReadAll(sample.scratch.CorePath("out.exe")));
    EXPECT_EQ(before, FolderNames(sample.scratch.Folder()));
    ASSERT_EQ(1u, capture.Messages().size());
    EXPECT_NE(std::string::npos, capture.Messages()[0].text.find("missing.bin"));

    // Every entry's data written, but not the directory and trailer.
    capture.Clear();
    {
        testing_support::WriteBarrier barrier(sample.scratch.CorePath("out.exe"), data_end);
        ASSERT_TRUE(barrier.Active());
        EXPECT_FALSE(BuildPackage(sample.Request("out.exe", 2), &summary));
    }
    EXPECT_EQ("old content", ReadAll(sample.scratch.CorePath("out.exe")));
    EXPECT_EQ(before, FolderNames(sample.scratch.Folder()));
    ASSERT_FALSE(capture.Messages().empty());
    EXPECT_NE(std::string::npos,
              capture.Messages().back().text.find("cannot write the package's directory"));
}

TEST(VornakPackBuild, RefusesNamesTheInstallerCouldNotTellApart) {
    Sample sample;
    BuildRequest request = sample.Request("out.exe", 1);
    request.inputs.push_back({sample.scratch.Path("readme.txt"), "README.TXT"});
    MessageCapture capture;
    BuildSummary summary;
    EXPECT_FALSE(BuildPackage(request, &summary));
    EXPECT_FALSE(testing_support::FileExists(sample.scratch.CorePath("out.exe")));
    ASSERT_EQ(1u, capture.Messages().size());
    EXPECT_NE(std::string::npos, capture.Messages()[0].text.find("README.TXT"));
}

TEST(VornakPackBuild, AppendingANameAgainWarnsAndAddsItAsPackModeDoes) {
    Sample sample;
    BuildSummary summary;
    ASSERT_TRUE(BuildPackage(sample.Request("out.exe", 1), &summary));
    BuildRequest again = sample.Request("out.exe", 1);
    again.append = true;
    again.stub.clear();
    again.inputs = {{sample.scratch.Path("readme.txt"), "readme.txt"}};
    MessageCapture capture;
    ASSERT_TRUE(BuildPackage(again, &summary));
    EXPECT_EQ(5u, summary.entry_count);
    ASSERT_EQ(1u, capture.Messages().size());
    EXPECT_NE(std::string::npos, capture.Messages()[0].text.find("already holds"));

    char name[support::kMaxPath];
    sample.PackedByPackMode("reference.exe");
    archive::PackFile(sample.scratch.CorePath("readme.txt").c_str(),
                      sample.scratch.CorePath("reference.exe").c_str(), name);
    EXPECT_EQ(ReadAll(sample.scratch.CorePath("reference.exe")),
              ReadAll(sample.scratch.CorePath("out.exe")));
}

TEST(VornakPackBuild, ANameOf255CharactersIsRefusedNamingTheFile) {
    Sample sample;
    std::string long_name(255, 'n');
    sample.Add(long_name, "x");
    MessageCapture capture;
    BuildSummary summary;
    EXPECT_FALSE(BuildPackage(sample.Request("out.exe", 2), &summary));
    EXPECT_FALSE(testing_support::FileExists(sample.scratch.CorePath("out.exe")));
    ASSERT_EQ(1u, capture.Messages().size());
    EXPECT_NE(std::string::npos, capture.Messages()[0].text.find(sample.scratch.Path(long_name)));
    EXPECT_NE(std::string::npos, capture.Messages()[0].text.find("254 characters"));
}

TEST(VornakPackBuild, AListFileNamesFilesLineByLine) {
    HostScratch scratch;
    WriteAll(scratch.CorePath("files.txt"), "# the payload\r\na.txt\r\n\r\ndir/b c.bin\nlast");
    std::vector<std::string> files;
    std::string error;
    ASSERT_TRUE(vornak_pack::ReadListFile(scratch.Path("files.txt"), &files, &error));
    EXPECT_EQ((std::vector<std::string>{"a.txt", "dir/b c.bin", "last"}), files);
    EXPECT_FALSE(vornak_pack::ReadListFile(scratch.Path("none.txt"), &files, &error));
    EXPECT_NE(std::string::npos, error.find("none.txt"));
}

TEST(VornakPackBuild, AStubThatIsAlreadyAPackageIsRefused) {
    Sample sample;
    BuildSummary summary;
    ASSERT_TRUE(BuildPackage(sample.Request("first.exe", 1), &summary));
    BuildRequest request = sample.Request("second.exe", 1);
    request.stub = sample.scratch.Path("first.exe");
    MessageCapture capture;
    EXPECT_FALSE(BuildPackage(request, &summary));
    ASSERT_EQ(1u, capture.Messages().size());
    EXPECT_NE(std::string::npos, capture.Messages()[0].text.find("already a package"));
}

TEST(VornakPackBuild, AddingToAPlainFileMakesAllOfItTheStub) {
    Sample sample;
    BuildRequest request = sample.Request("stub.exe", 1);
    request.append = true;
    request.stub.clear();
    MessageCapture capture;
    BuildSummary summary;
    ASSERT_TRUE(BuildPackage(request, &summary));
    EXPECT_EQ(sample.stub_bytes.size(), summary.stub_length);
    ASSERT_EQ(1u, capture.Messages().size());
    EXPECT_NE(std::string::npos, capture.Messages()[0].text.find("become the stub"));

    request.output = sample.scratch.Path("nothing-here.exe");
    EXPECT_FALSE(BuildPackage(request, &summary));
    EXPECT_FALSE(testing_support::FileExists(sample.scratch.CorePath("nothing-here.exe")));
}

TEST(VornakPackInspect, VerifyPassesAGoodPackageAndNamesEachDamage) {
    Sample sample;
    BuildSummary summary;
    ASSERT_TRUE(BuildPackage(sample.Request("p.exe", 2), &summary));
    std::string path = sample.scratch.Path("p.exe");
    std::string core = sample.scratch.CorePath("p.exe");
    bool result = false;
    EXPECT_NE(std::string::npos, Verified(path, &result).find("4 entries, all hold"));
    EXPECT_TRUE(result);

    archive::ArchiveEntry readme;
    {
        archive::PackageArchive package(core.c_str(), false);
        ASSERT_TRUE(package.FindEntry("readme.txt", &readme));
    }
    // One byte of the last entry's data: the data sum no longer matches.
    DamageAndReseal(core, readme.data_offset + 100, 'x');
    std::string report = Verified(path, &result);
    EXPECT_FALSE(result);
    EXPECT_NE(std::string::npos, report.find("FAILED  readme.txt: data sum"));
    EXPECT_NE(std::string::npos, report.find("ok      big.bin"));
}

TEST(VornakPackInspect, VerifyCatchesASizeTheDataDoesNotHave) {
    Sample sample;
    BuildSummary summary;
    ASSERT_TRUE(BuildPackage(sample.Request("p.exe", 1), &summary));
    std::string core = sample.scratch.CorePath("p.exe");
    uint32_t directory = 0;
    {
        archive::PackageArchive package(core.c_str(), false);
        directory = package.DirectoryOffset();
    }
    // The first record's uncompressed size, low byte: 24 claimed as 25.
    std::string bytes = ReadAll(core);
    DamageAndReseal(core, directory + 8, static_cast<char>(bytes[directory + 8] + 1));
    bool result = true;
    std::string report = Verified(sample.scratch.Path("p.exe"), &result);
    EXPECT_FALSE(result);
    EXPECT_NE(std::string::npos, report.find("Setup.dat: it decodes to 24 bytes"));
}

TEST(VornakPackInspect, VerifyNamesTheFirstReaderStepThatFails) {
    Sample sample;
    BuildSummary summary;
    ASSERT_TRUE(BuildPackage(sample.Request("p.exe", 2), &summary));
    std::string good = ReadAll(sample.scratch.CorePath("p.exe"));
    struct Case {
        std::string bytes;
        const char* failure;
    };
    // Cut out 1000 bytes of entry data: the trailer is whole, the file is not.
    std::string spliced = good.substr(0, 4000) + good.substr(5000);
    std::string bad_trailer_sum = good;
    bad_trailer_sum[good.size() - 24 + 4] ^= 1;
    std::string changed = good;
    changed[4100] ^= 0x55;
    const Case cases[] = {
        {"short", "FAILED  too short: 5 bytes"},
        {sample.stub_bytes, "FAILED  bad magic"},
        {bad_trailer_sum, "FAILED  trailer checksum: stored"},
        {spliced, "the file looks truncated"},
        {changed, "the file does not look truncated"},
    };
    MessageCapture capture;
    for (const Case& c : cases) {
        WriteAll(sample.scratch.CorePath("v.exe"), c.bytes);
        bool result = true;
        std::string report = Verified(sample.scratch.Path("v.exe"), &result);
        EXPECT_FALSE(result) << c.failure;
        EXPECT_NE(std::string::npos, report.find(c.failure)) << report;
    }
    EXPECT_EQ(5u, capture.Messages().size());
    WriteAll(sample.scratch.CorePath("v.exe"), good);
    bool result = false;
    std::string report = Verified(sample.scratch.Path("v.exe"), &result);
    EXPECT_TRUE(result);
    EXPECT_NE(std::string::npos, report.find("ok      length\nok      magic\nok      trailer "
                                             "checksum\nok      file checksum\n"));
}

TEST(VornakPackInspect, ListGivesTheStubThenOneLinePerEntryThenTheSignature) {
    Sample sample;
    BuildSummary summary;
    ASSERT_TRUE(BuildPackage(sample.Request("p.exe", 1), &summary));
    std::FILE* out = std::tmpfile();
    ASSERT_TRUE(vornak_pack::ListPackage(sample.scratch.Path("p.exe"), out));
    std::rewind(out);
    std::vector<std::string> lines;
    char line[512];
    while (std::fgets(line, sizeof line, out) != nullptr) {
        lines.push_back(line);
    }
    std::fclose(out);
    ASSERT_EQ(7u, lines.size());
    EXPECT_EQ("stub 3002 bytes\n", lines[0]);
    EXPECT_EQ("unsigned\n", lines[6]);
    archive::PackageArchive package(sample.scratch.CorePath("p.exe").c_str(), false);
    const archive::ArchiveEntry& setup = package.EntryAt(0);
    char expected[200];
    std::snprintf(expected, sizeof expected, "Setup.dat  %10u %10u %12u %7s\n", setup.data_offset,
                  setup.compressed_size, 24u,
                  vornak_pack::RatioText(setup.compressed_size, 24).c_str());
    EXPECT_EQ(expected, lines[2]);
    EXPECT_NE(std::string::npos, lines[3].find("empty.txt"));
    EXPECT_EQ("-\n", lines[3].substr(lines[3].size() - 2));
    EXPECT_EQ("50.0%", vornak_pack::RatioText(50, 100));

    MessageCapture capture;
    EXPECT_FALSE(vornak_pack::ListPackage(sample.scratch.Path("stub.exe"), stdout));
    EXPECT_FALSE(vornak_pack::ListPackage(sample.scratch.Path("absent.exe"), stdout));
    // Looking must not create the file, as opening an archive would.
    EXPECT_FALSE(testing_support::FileExists(sample.scratch.CorePath("absent.exe")));
    ASSERT_EQ(2u, capture.Messages().size());
    EXPECT_NE(std::string::npos, capture.Messages()[0].text.find("is not a package"));
}

TEST(VornakPackInspect, ExtractWritesEntriesBackByNameOrAll) {
    Sample sample;
    BuildSummary summary;
    ASSERT_TRUE(BuildPackage(sample.Request("p.exe", 2), &summary));
    std::string path = sample.scratch.Path("p.exe");
    std::FILE* out = std::tmpfile();
    ASSERT_TRUE(
        vornak_pack::ExtractPackage(path, sample.scratch.Path("one/two"), {"setup.DAT"}, out));
    EXPECT_EQ("[Project Name]\r\nSample\r\n",
              ReadAll(sample.scratch.CorePath("one\\two\\Setup.dat")));
    EXPECT_FALSE(testing_support::FileExists(sample.scratch.CorePath("one\\two\\big.bin")));

    ASSERT_TRUE(vornak_pack::ExtractPackage(path, sample.scratch.Path("all"), {}, out));
    for (const PackInput& input : sample.inputs) {
        EXPECT_EQ(ReadAll(sample.scratch.CorePath(input.name)),
                  ReadAll(sample.scratch.CorePath("all\\" + input.name)))
            << input.name;
    }
    MessageCapture capture;
    EXPECT_FALSE(vornak_pack::ExtractPackage(path, sample.scratch.Path("x"), {"nope.txt"}, out));
    ASSERT_EQ(1u, capture.Messages().size());
    EXPECT_NE(std::string::npos, capture.Messages()[0].text.find("no entry 'nope.txt'"));
    std::fclose(out);
}

TEST(VornakPackInspect, ExtractRefusesNamesThatWouldLeaveTheFolder) {
    HostScratch scratch;
    std::string core = scratch.CorePath("hostile.pkg");
    const char* const hostile[] = {"../escape.txt", "..", "C:escape.txt", "sub\\..\\..\\x",
                                   "linked.txt"};
    {
        archive::PackageArchive package(core.c_str(), true);
        const uint8_t empty_stream[] = {'B',  'Z',  'h',  '9', 0x17, 0x72, 0x45,
                                        0x38, 0x50, 0x90, 0,   0,    0,    0};
        for (const char* name : hostile) {
            ASSERT_TRUE(package.AppendEntryData(name, empty_stream, 14, 0));
        }
        ASSERT_TRUE(package.Close());
    }
    ASSERT_EQ(0, mkdir(scratch.Path("in").c_str(), 0777));
    WriteAll(scratch.CorePath("target.txt"), "keep");
    ASSERT_EQ(0,
              symlink(scratch.Path("target.txt").c_str(), scratch.Path("in/linked.txt").c_str()));
    MessageCapture capture;
    std::FILE* out = std::tmpfile();
    EXPECT_FALSE(
        vornak_pack::ExtractPackage(scratch.Path("hostile.pkg"), scratch.Path("in"), {}, out));
    std::fclose(out);
    EXPECT_FALSE(testing_support::FileExists(scratch.CorePath("escape.txt")));
    EXPECT_EQ("keep", ReadAll(scratch.CorePath("target.txt")));
    ASSERT_EQ(5u, capture.Messages().size());
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_NE(std::string::npos, capture.Messages()[i].text.find("outside")) << i;
    }
    EXPECT_NE(std::string::npos, capture.Messages()[4].text.find("symbolic link"));
}

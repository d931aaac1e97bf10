// vornak-pack: command line, name rules, paths, messages, the progress bar
// and the parallel compressor.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "archive/pack_mode.h"
#include "archive/package_archive.h"
#include "archive/package_format.h"
#include "support/folders.h"
#include "support/win32_values.h"
#include "tests/host/vornak_pack_fixture.h"
#include "tests/support_lib/message_capture.h"
#include "tests/support_lib/scratch.h"
#include "packer/common/command_line.h"
#include "packer/common/host_path.h"
#include "packer/build/parallel_compressor.h"
#include "packer/common/progress_bar.h"
#include "packer/common/tool_messages.h"

using testing_support::MessageCapture;
using testing_support::ReadAll;
using testing_support::SampleBytes;
using testing_support::WriteAll;
using vornak_pack::Action;
using vornak_pack::Command;
using vornak_pack::PackInput;
using vornak_pack::ParseCommandLine;
using vornak_pack_testing::HostScratch;

namespace {

bool Parse(const std::vector<std::string>& args, Command* command, std::string* error = nullptr) {
    std::string ignored;
    return ParseCommandLine(args, command, error != nullptr ? error : &ignored);
}

std::string ParseError(const std::vector<std::string>& args) {
    Command command;
    std::string error;
    EXPECT_FALSE(ParseCommandLine(args, &command, &error));
    return error;
}

}  // namespace

TEST(VornakPackCommandLine, BuildTakesOutputStubJobsAndFilesInOrder) {
    Command command;
    ASSERT_TRUE(Parse({"build", "-o", "out.exe", "--stub", "s.exe", "dir/setup.dat", "-j", "3",
                       "--list", "more.txt", "b.bin"},
                      &command));
    EXPECT_EQ(Action::kBuild, command.action);
    EXPECT_EQ("out.exe", command.output);
    EXPECT_EQ("s.exe", command.stub);
    EXPECT_EQ(3u, command.jobs);
    // Options come first in the list as they are met; operands keep their order.
    ASSERT_EQ(3u, command.sources.size());
    EXPECT_EQ("more.txt", command.sources[0].path);
    EXPECT_TRUE(command.sources[0].is_list);
    EXPECT_EQ("dir/setup.dat", command.sources[1].path);
    EXPECT_FALSE(command.sources[1].is_list);
    EXPECT_EQ("b.bin", command.sources[2].path);
}

TEST(VornakPackCommandLine, ProjectBuildsTakeSearchFoldersAndLintSwitches) {
    Command command;
    ASSERT_TRUE(Parse({"build", "--project", "proj", "-o", "out.exe", "--files", "a", "--files=b",
                       "--no-lint", "--strict"},
                      &command));
    EXPECT_EQ("proj", command.project);
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), command.search_folders);
    EXPECT_FALSE(command.lint);
    EXPECT_TRUE(command.strict);
    EXPECT_TRUE(command.stub.empty());

    ASSERT_TRUE(Parse({"lint", "setup.dat", "--files", "payload"}, &command));
    EXPECT_EQ(Action::kLint, command.action);
    EXPECT_EQ("setup.dat", command.script);
    EXPECT_TRUE(command.lint);
}

TEST(VornakPackCommandLine, EachCommandTakesItsOwnOperands) {
    Command command;
    ASSERT_TRUE(Parse({"extract", "p.exe", "setup.dat", "a.txt", "-d", "out"}, &command));
    EXPECT_EQ(Action::kExtract, command.action);
    EXPECT_EQ("p.exe", command.package);
    EXPECT_EQ("out", command.folder);
    EXPECT_EQ((std::vector<std::string>{"setup.dat", "a.txt"}), command.names);
    ASSERT_TRUE(Parse({"extract", "p.exe"}, &command));
    EXPECT_EQ(".", command.folder);
    EXPECT_EQ(0u, command.max_size);
    ASSERT_TRUE(Parse({"extract", "p.exe", "--max-size", "3M"}, &command));
    EXPECT_EQ(uint64_t{3} << 20, command.max_size);
    ASSERT_TRUE(Parse({"extract", "p.exe", "--max-size=4096"}, &command));
    EXPECT_EQ(4096u, command.max_size);
    ASSERT_TRUE(Parse({"append", "-j1", "p.exe", "x", "--", "-y"}, &command));
    EXPECT_EQ(Action::kAppend, command.action);
    EXPECT_EQ("p.exe", command.package);
    ASSERT_EQ(2u, command.sources.size());
    EXPECT_EQ("-y", command.sources[1].path);
    ASSERT_TRUE(Parse({"verify", "p.exe"}, &command));
    EXPECT_EQ(Action::kVerify, command.action);
    ASSERT_TRUE(Parse({"list", "p.exe"}, &command));
    EXPECT_EQ(Action::kList, command.action);
    ASSERT_TRUE(Parse({"--version"}, &command));
    EXPECT_EQ(Action::kVersion, command.action);
    ASSERT_TRUE(Parse({"build", "--help"}, &command));
    EXPECT_EQ(Action::kHelp, command.action);
}

TEST(VornakPackCommandLine, RefusesWhatMakesNoSense) {
    EXPECT_EQ("no command given", ParseError({}));
    EXPECT_EQ("unknown command 'create'", ParseError({"create", "x"}));
    EXPECT_EQ("unknown option '--fast'", ParseError({"build", "--fast", "-o", "o", "f"}));
    EXPECT_EQ("'--stub' does not go with 'append'",
              ParseError({"append", "--stub", "s", "o", "f"}));
    EXPECT_EQ("'-j' does not go with 'list'", ParseError({"list", "-j", "2", "p"}));
    EXPECT_EQ("'--stub' needs a value", ParseError({"build", "-o", "o", "f", "--stub"}));
    EXPECT_NE(std::string::npos, ParseError({"build", "f"}).find("needs -o OUT"));
    EXPECT_NE(std::string::npos, ParseError({"build", "-o", "o"}).find("needs the files"));
    EXPECT_NE(std::string::npos,
              ParseError({"build", "--project", "p", "-o", "o", "f"}).find("give no files"));
    EXPECT_NE(std::string::npos,
              ParseError({"build", "-o", "o", "--strict", "f"}).find("--project"));
    EXPECT_EQ("wrong number of arguments", ParseError({"append", "p"}));
    EXPECT_EQ("wrong number of arguments", ParseError({"list", "a", "b"}));
    EXPECT_EQ("wrong number of arguments", ParseError({"lint"}));
    EXPECT_NE(std::string::npos, ParseError({"build", "-j0", "-o", "o", "f"}).find("1 to 64"));
    for (const char* size : {"0", "-1", "5X", "2MB", "K", "99999999999G"}) {
        EXPECT_NE(std::string::npos,
                  ParseError({"extract", "p", "--max-size", size}).find("number of bytes"))
            << size;
    }
    EXPECT_EQ("'--max-size' does not go with 'list'", ParseError({"list", "--max-size", "1", "p"}));
}

TEST(VornakPackNames, EntryNamesMustBeWindowsFileNamesThatFitTheDirectory) {
    EXPECT_EQ("", vornak_pack::EntryNameProblem("Setup.dat"));
    EXPECT_EQ("", vornak_pack::EntryNameProblem(std::string(254, 'a')));
    EXPECT_NE("", vornak_pack::EntryNameProblem(std::string(255, 'a')));
    EXPECT_NE("", vornak_pack::EntryNameProblem(""));
    EXPECT_NE("", vornak_pack::EntryNameProblem(".."));
    for (const char* bad : {"a\\b", "a/b", "c:x", "a*", "q?", "say\"", "<x>", "a|b", "tab\there"}) {
        EXPECT_NE("", vornak_pack::EntryNameProblem(bad)) << bad;
    }
    EXPECT_TRUE(vornak_pack::IsAsciiName("plain name.txt"));
    EXPECT_FALSE(vornak_pack::IsAsciiName("caf\xC3\xA9.txt"));
}

TEST(VornakPackPaths, LinuxPathsReachTheCoreWithBackslashes) {
    char core[support::kMaxPath];
    ASSERT_TRUE(vornak_pack::ToCorePath("/tmp/a b/c.exe", core));
    EXPECT_STREQ("\\tmp\\a b\\c.exe", core);

    MessageCapture capture;
    EXPECT_FALSE(vornak_pack::ToCorePath("/tmp/odd\\name", core));
    EXPECT_FALSE(vornak_pack::ToCorePath("/" + std::string(support::kMaxPath - 1, 'x'), core));
    EXPECT_FALSE(vornak_pack::ToCorePath("", core));
    ASSERT_EQ(3u, capture.Messages().size());
    EXPECT_NE(std::string::npos, capture.Messages()[0].text.find("backslash"));
    EXPECT_NE(std::string::npos, capture.Messages()[1].text.find("bytes; use a shorter"));
    EXPECT_EQ(vornak_pack::kToolCaption, capture.Messages()[0].caption);
    EXPECT_EQ(support::kMbIconError, capture.Messages()[0].flags);

    EXPECT_EQ("c.exe", vornak_pack::HostFileName("/tmp/c.exe"));
    EXPECT_EQ("c.exe", vornak_pack::HostFileName("c.exe"));
    EXPECT_EQ("/tmp", vornak_pack::HostFolderOf("/tmp/c.exe"));
    EXPECT_EQ("/", vornak_pack::HostFolderOf("/c.exe"));
    EXPECT_EQ(".", vornak_pack::HostFolderOf("c.exe"));
}

TEST(VornakPackMessages, ConsoleLinesSpeakLinuxPaths) {
    EXPECT_EQ("vornak-pack: error: no files to pack",
              vornak_pack::ConsoleLine("no files to pack", "vornak-pack", support::kMbIconError));
    EXPECT_EQ("vornak-pack: warning: odd",
              vornak_pack::ConsoleLine("odd", "vornak-pack", support::kMbIconWarning));
    EXPECT_EQ("vornak-pack: Disk Write Error: Unable to write to '/tmp/x.exe'",
              vornak_pack::ConsoleLine("Unable to write to '\\tmp\\x.exe'", "Disk Write Error",
                                       support::kMbIconInformation));
}

TEST(VornakPackProgress, TheBarFillsWithTheBytesDone) {
    using vornak_pack::ProgressBar;
    EXPECT_EQ("building [------------------------------]   0% a.txt",
              ProgressBar::Line("building", 0, 200, "a.txt"));
    EXPECT_EQ("building [###############---------------]  50% b.txt",
              ProgressBar::Line("building", 100, 200, "b.txt"));
    EXPECT_EQ("extracting [##############################] 100% c",
              ProgressBar::Line("extracting", 0, 0, "c"));
    std::string name = std::string(40, 'x') + ".bin";
    std::string line = ProgressBar::Line("building", 200, 200, name);
    EXPECT_EQ("...", line.substr(line.size() - 32, 3));
}

TEST(VornakPackCompressor, DeliversInInputOrderWhateverTheThreadCount) {
    HostScratch scratch;
    std::vector<PackInput> inputs;
    for (int i = 0; i < 12; ++i) {
        std::string name = "f" + std::to_string(i);
        // Sizes that finish out of order: large ones first.
        WriteAll(scratch.CorePath(name), SampleBytes(static_cast<size_t>(60000 - 5000 * i), i));
        inputs.push_back({scratch.Path(name), name});
    }
    for (unsigned jobs : {1u, 2u, 3u, 8u}) {
        std::vector<size_t> order;
        std::vector<uint32_t> sizes;
        ASSERT_TRUE(vornak_pack::CompressInOrder(
            inputs, jobs, [&](size_t index, const vornak_pack::CompressedEntry& entry) {
                order.push_back(index);
                sizes.push_back(entry.uncompressed_size);
                return true;
            }));
        ASSERT_EQ(12u, order.size()) << jobs;
        for (size_t i = 0; i < order.size(); ++i) {
            EXPECT_EQ(i, order[i]);
            EXPECT_EQ(60000u - 5000u * i, sizes[i]);
        }
    }
}

TEST(VornakPackCompressor, AFreeThreadTakesTheLargestFileWithinItsWindow) {
    using vornak_pack::ChooseNextInput;
    using vornak_pack::kNoInput;
    std::vector<uint64_t> sizes = {10, 70, 30, 70, 90, 5};
    std::vector<bool> taken(sizes.size(), false);
    // The largest of the first four; of equal ones the earlier; the 90 beyond
    // the window waits, however large.
    EXPECT_EQ(1u, ChooseNextInput(sizes, taken, 0, 4));
    taken[1] = true;
    EXPECT_EQ(3u, ChooseNextInput(sizes, taken, 0, 4));
    taken[3] = true;
    EXPECT_EQ(2u, ChooseNextInput(sizes, taken, 0, 4));
    // The window moves with delivery and stops at the end of the list.
    EXPECT_EQ(4u, ChooseNextInput(sizes, taken, 2, 4));
    taken[2] = taken[4] = true;
    EXPECT_EQ(5u, ChooseNextInput(sizes, taken, 3, 4));
    taken[5] = true;
    EXPECT_EQ(kNoInput, ChooseNextInput(sizes, taken, 3, 4));
    EXPECT_EQ(0u, ChooseNextInput(sizes, taken, 0, 4));
    EXPECT_EQ(kNoInput, ChooseNextInput(sizes, taken, 6, 4));
}

TEST(VornakPackCompressor, StopsAtAMissingFileAndWhenTheSinkSaysSo) {
    HostScratch scratch;
    WriteAll(scratch.CorePath("a"), "aaa");
    std::vector<PackInput> inputs = {{scratch.Path("a"), "a"},
                                     {scratch.Path("missing"), "missing"},
                                     {scratch.Path("a"), "again"}};
    MessageCapture capture;
    size_t delivered = 0;
    auto count = [&](size_t, const vornak_pack::CompressedEntry&) { return ++delivered > 0; };
    EXPECT_FALSE(vornak_pack::CompressInOrder(inputs, 2, count));
    EXPECT_EQ(1u, delivered);
    ASSERT_EQ(1u, capture.Messages().size());
    EXPECT_NE(std::string::npos, capture.Messages()[0].text.find("missing"));

    delivered = 0;
    inputs[1] = inputs[0];
    EXPECT_FALSE(vornak_pack::CompressInOrder(
        inputs, 2, [&](size_t, const vornak_pack::CompressedEntry&) { return ++delivered < 2; }));
    EXPECT_EQ(2u, delivered);
}

TEST(VornakPackCompressor, AnEmptyFileBecomesTheEmptyStream) {
    HostScratch scratch;
    WriteAll(scratch.CorePath("empty"), "");
    vornak_pack::CompressedEntry entry = vornak_pack::CompressInput({scratch.Path("empty"), "e"});
    EXPECT_EQ("", entry.error);
    EXPECT_EQ(14u, entry.data.size());
    EXPECT_EQ(0u, entry.uncompressed_size);
    EXPECT_EQ("BZh9", std::string(entry.data.begin(), entry.data.begin() + 4));
}

// build --project: which files a project's script names, in which order,
// found without regard to case; a missing one stops the build with its line;
// the result is byte for byte what pack mode writes, file by file; a link out
// of the project folder is never followed in silence.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "archive/pack_mode.h"
#include "support/win32_values.h"
#include "tests/host/vornak_pack_fixture.h"
#include "tests/support_lib/message_capture.h"
#include "tests/support_lib/scratch.h"
#include "packer/build/package_builder.h"
#include "packer/build/project_build.h"
#include "packer/lint/project_files.h"

using testing_support::MessageCapture;
using testing_support::ReadAll;
using testing_support::WriteAll;
using vornak_pack::PackInput;
using vornak_pack_testing::HostScratch;

namespace {

const char kScript[] =
    "[Project Name]\r\nDemo\r\n\r\n[Install To]\r\n<Program Files>\\Demo\r\n\r\n"
    "[CopyFile]\r\nTool.exe\r\n<Destination>\\tool.exe\r\n\r\n"
    "[RunAndWaitFile]\r\n<TempInstall>\\prepare.exe\r\n\r\n\r\n\r\n"
    "[CopyFile]\r\nreadme.txt\r\n<Destination>\\readme.txt\r\n\r\n"
    "[CopyFile]\r\nTOOL.EXE\r\n<Destination>\\copy\\tool.exe\r\n\r\n"
    "[CopyFile]\r\nsetup.lic\r\n<Destination>\\licence.txt\r\n";

// A project folder "p" with its script, licence and program, and the
// read-me and helper in a second folder "more".
struct Project {
    HostScratch scratch;
    Project() {
        mkdir(scratch.Path("p").c_str(), 0777);
        mkdir(scratch.Path("more").c_str(), 0777);
        WriteAll(scratch.CorePath("p\\Setup.dat"), kScript);
        WriteAll(scratch.CorePath("p\\setup.lic"), "licence");
        WriteAll(scratch.CorePath("p\\tool.exe"), "MZ tool");
        WriteAll(scratch.CorePath("more\\ReadMe.TXT"), "read me");
        WriteAll(scratch.CorePath("more\\prepare.exe"), "MZ prepare");
        WriteAll(scratch.CorePath("more\\setup.bmp"), "BM");
        WriteAll(scratch.CorePath("stub.exe"), "MZ stub");
    }
    vornak_pack::ProjectRequest Request() const {
        return {scratch.Path("p"), {scratch.Path("more")}, true, false};
    }
};

std::vector<std::string> Names(const std::vector<PackInput>& inputs) {
    std::vector<std::string> names;
    for (const PackInput& input : inputs) {
        names.push_back(input.name);
    }
    return names;
}

}  // namespace

TEST(VornakPackProject, PacksTheSetupFilesThenEachNamedFileOnceInOrder) {
    Project project;
    std::vector<PackInput> inputs;
    MessageCapture capture;
    ASSERT_TRUE(vornak_pack::GatherProject(project.Request(), &inputs));
    EXPECT_EQ((std::vector<std::string>{"Setup.dat", "setup.bmp", "setup.lic", "tool.exe",
                                        "prepare.exe", "ReadMe.TXT"}),
              Names(inputs));
    EXPECT_EQ(project.scratch.Path("more/ReadMe.TXT"), inputs[5].path);
    EXPECT_TRUE(capture.Messages().empty());
}

TEST(VornakPackProject, TheBuildIsWhatPackModeWritesFileByFile) {
    Project project;
    std::vector<PackInput> inputs;
    ASSERT_TRUE(vornak_pack::GatherProject(project.Request(), &inputs));
    vornak_pack::BuildRequest request;
    request.output = project.scratch.Path("built.exe");
    request.stub = project.scratch.Path("stub.exe");
    request.inputs = inputs;
    request.jobs = 2;
    vornak_pack::BuildSummary summary;
    ASSERT_TRUE(vornak_pack::BuildPackage(request, &summary));

    WriteAll(project.scratch.CorePath("reference.exe"), "MZ stub");
    for (const PackInput& input : inputs) {
        std::string core = input.path;
        for (char& c : core) {
            c = c == '/' ? '\\' : c;
        }
        char name[support::kMaxPath];
        archive::PackFile(core.c_str(), project.scratch.CorePath("reference.exe").c_str(), name);
    }
    EXPECT_EQ(ReadAll(project.scratch.CorePath("reference.exe")),
              ReadAll(project.scratch.CorePath("built.exe")));
}

TEST(VornakPackProject, AMissingFileStopsTheBuildWithItsLine) {
    Project project;
    unlink(project.scratch.Path("more/prepare.exe").c_str());
    std::vector<PackInput> inputs;
    vornak_pack::ProjectRequest request = project.Request();
    request.lint = false;
    MessageCapture capture;
    EXPECT_FALSE(vornak_pack::GatherProject(request, &inputs));
    ASSERT_EQ(1u, capture.Messages().size());
    EXPECT_NE(std::string::npos, capture.Messages()[0].text.find("Setup.dat:12: 'prepare.exe', "
                                                                 "named by <TempInstall>, is in "
                                                                 "none of"));
}

TEST(VornakPackProject, TheLinterStopsABrokenScriptUnlessToldNotTo) {
    Project project;
    WriteAll(project.scratch.CorePath("p\\Setup.dat"),
             std::string(kScript) + "\r\n[Registry]\r\nhkcu\r\nKey\r\nSTRING\r\nName\r\nx\r\n");
    std::vector<PackInput> inputs;
    MessageCapture capture;
    EXPECT_FALSE(vornak_pack::GatherProject(project.Request(), &inputs));
    ASSERT_EQ(1u, capture.Messages().size());
    EXPECT_NE(std::string::npos, capture.Messages()[0].text.find("--no-lint"));

    vornak_pack::ProjectRequest request = project.Request();
    request.lint = false;
    EXPECT_TRUE(vornak_pack::GatherProject(request, &inputs));

    // A warning only (a shortcut without .lnk) builds, unless strict.
    WriteAll(project.scratch.CorePath("p\\Setup.dat"),
             std::string(kScript) + "\r\n[CreateIcon]\r\nC:\\a.exe\r\nC:\\a\r\n\r\n\r\n");
    capture.Clear();
    EXPECT_TRUE(vornak_pack::GatherProject(project.Request(), &inputs));
    request = project.Request();
    request.strict = true;
    EXPECT_FALSE(vornak_pack::GatherProject(request, &inputs));
}

TEST(VornakPackProject, AFolderWithoutSetupDatIsNoProject) {
    Project project;
    vornak_pack::ProjectRequest request = project.Request();
    request.folder = project.scratch.Path("more");
    std::vector<PackInput> inputs;
    MessageCapture capture;
    EXPECT_FALSE(vornak_pack::GatherProject(request, &inputs));
    ASSERT_EQ(1u, capture.Messages().size());
    EXPECT_NE(std::string::npos, capture.Messages()[0].text.find("holds no setup.dat"));
}

TEST(VornakPackProject, FilesAreFoundWithoutRegardToCaseExactSpellingFirst) {
    HostScratch scratch;
    WriteAll(scratch.CorePath("DATA.BIN"), "upper");
    WriteAll(scratch.CorePath("data.bin"), "lower");
    WriteAll(scratch.CorePath("Other.Txt"), "other");
    std::vector<std::string> folders = {scratch.Folder()};
    EXPECT_EQ(scratch.Path("data.bin"), vornak_pack::FindInFolders(folders, "data.bin"));
    EXPECT_EQ(scratch.Path("DATA.BIN"), vornak_pack::FindInFolders(folders, "Data.bin"));
    EXPECT_EQ(scratch.Path("Other.Txt"), vornak_pack::FindInFolders(folders, "OTHER.TXT"));
    EXPECT_EQ("", vornak_pack::FindInFolders(folders, "missing.txt"));
    EXPECT_EQ("", vornak_pack::FindInFolders(folders, "sub\\data.bin"));
    EXPECT_STREQ("x.exe", vornak_pack::TempInstallEntry("<TempInstall>\\x.exe"));
    EXPECT_STREQ("x.exe", vornak_pack::TempInstallEntry("<TempInstall>x.exe"));
    EXPECT_EQ(nullptr, vornak_pack::TempInstallEntry("<Destination>\\x.exe"));
}

TEST(VornakPackProject, ALinkOutOfTheFolderIsNamedAndRefusedWhenStrict) {
    Project project;
    mkdir(project.scratch.Path("elsewhere").c_str(), 0777);
    WriteAll(project.scratch.CorePath("elsewhere\\secret.exe"), "MZ secret");
    std::string tool = project.scratch.Path("p/tool.exe");
    unlink(tool.c_str());
    ASSERT_EQ(0, symlink("../elsewhere/secret.exe", tool.c_str()));
    // A link that stays in its folder is no one's business.
    unlink(project.scratch.Path("p/setup.lic").c_str());
    WriteAll(project.scratch.CorePath("p\\licence.txt"), "licence");
    ASSERT_EQ(0, symlink("licence.txt", project.scratch.Path("p/setup.lic").c_str()));

    std::vector<PackInput> inputs;
    MessageCapture capture;
    ASSERT_TRUE(vornak_pack::GatherProject(project.Request(), &inputs));
    ASSERT_EQ(1u, capture.Messages().size());
    EXPECT_EQ(support::kMbIconWarning, capture.Messages()[0].flags);
    EXPECT_NE(std::string::npos, capture.Messages()[0].text.find(tool + " is a symbolic link out"));

    capture.Clear();
    vornak_pack::ProjectRequest strict = project.Request();
    strict.lint = false;
    strict.strict = true;
    EXPECT_FALSE(vornak_pack::GatherProject(strict, &inputs));
    ASSERT_EQ(1u, capture.Messages().size());
    EXPECT_EQ(support::kMbIconError, capture.Messages()[0].flags);
    EXPECT_NE(std::string::npos, capture.Messages()[0].text.find("secret.exe"));
}

// The install job: setup files into a fresh folder, the corrupted-package
// message, and the folder gone at the end.
#include <gtest/gtest.h>

#include <string>

#include "support/win32_values.h"
#include "session/install_job.h"
#include "archive/pack_mode.h"
#include "support/folders.h"
#include "tests/support_lib/message_capture.h"
#include "tests/support_lib/scratch.h"

using testing_support::FileExists;
using testing_support::MessageCapture;
using testing_support::ReadAll;
using testing_support::Scratch;
using testing_support::WriteAll;

namespace {

std::string MakePackage(const Scratch& scratch, std::initializer_list<const char*> names) {
    std::string package = scratch.PathOf("package.exe");
    WriteAll(package, "MZ stub");
    for (const char* name : names) {
        WriteAll(scratch.PathOf(name), std::string("content of ") + name);
        char entry[support::kMaxPath];
        archive::PackFile(scratch.PathOf(name).c_str(), package.c_str(), entry);
    }
    return package;
}

std::string JobFolder(const session::InstallJob& job) {
    char folder[support::kMaxPath];
    job.FolderPath(folder);
    return folder;
}

}  // namespace

TEST(InstallJob, ExtractsTheSetupFilesAndRemovesThemAtTheEnd) {
    Scratch scratch;
    MessageCapture capture;
    std::string package = MakePackage(scratch, {"Setup.dat", "Setup.bmp", "Setup.lic", "app.exe"});
    std::string folder;
    {
        session::InstallJob job(package.c_str());
        EXPECT_FALSE(job.Corrupted());
        folder = JobFolder(job);
        ASSERT_EQ('\\', folder.back());
        EXPECT_EQ("content of Setup.dat", ReadAll(folder + "setup.dat"));
        EXPECT_TRUE(FileExists(folder + "setup.bmp"));
        EXPECT_TRUE(FileExists(folder + "setup.lic"));
        EXPECT_FALSE(FileExists(folder + "app.exe"));
        EXPECT_EQ(4, job.Archive().EntryCount());
    }
    folder.pop_back();
    EXPECT_FALSE(support::PathExists(folder.c_str()));
    EXPECT_TRUE(capture.Messages().empty());
}

TEST(InstallJob, OptionalFilesMayBeMissing) {
    Scratch scratch;
    MessageCapture capture;
    std::string package = MakePackage(scratch, {"setup.dat"});
    session::InstallJob job(package.c_str());
    EXPECT_FALSE(job.Corrupted());
    EXPECT_FALSE(FileExists(JobFolder(job) + "setup.lic"));
    EXPECT_FALSE(FileExists(JobFolder(job) + "setup.bmp"));
}

TEST(InstallJob, APlainProgramIsACorruptedInstallation) {
    Scratch scratch;
    MessageCapture capture;
    std::string program = scratch.PathOf("bare.exe");
    WriteAll(program, "MZ nothing appended");
    std::string folder;
    {
        session::InstallJob job(program.c_str());
        EXPECT_TRUE(job.Corrupted());
        folder = JobFolder(job);
    }
    ASSERT_EQ(1u, capture.Messages().size());
    EXPECT_EQ("This installation is corrupted please obtain a new install.",
              capture.Messages()[0].text);
    EXPECT_EQ("Installer", capture.Messages()[0].caption);
    EXPECT_EQ(0x10u, capture.Messages()[0].flags);
    folder.pop_back();
    EXPECT_FALSE(support::PathExists(folder.c_str()));
}

TEST(InstallJob, DamagedScriptIsReportedOnceWithoutCodecMessage) {
    Scratch scratch;
    MessageCapture capture;
    std::string package = MakePackage(scratch, {"setup.dat"});
    // A wrong data sum in an otherwise valid package: rewriting the
    // directory (by adding an entry) keeps the file checksum right.
    {
        archive::PackageArchive archive(package.c_str(), true);
        const_cast<archive::ArchiveEntry&>(archive.EntryAt(0)).data_sum ^= 1;
        const uint8_t data[] = {'B', 'Z', 'h', '9'};
        archive.AppendEntryData("padding", data, sizeof data, 0);
        ASSERT_TRUE(archive.Close());
    }
    session::InstallJob job(package.c_str());
    EXPECT_TRUE(job.Corrupted());
    ASSERT_EQ(1u, capture.Messages().size());
    EXPECT_EQ("Installer", capture.Messages()[0].caption);
}

// File installation against real files: the version rule, targets in use,
// damaged entries, the disk-full box, links in the install folder and
// self-registration of the very file installed.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session/install_session.h"
#include "archive/package_archive.h"
#include "actions/file_version.h"
#include "actions/self_registration.h"
#include "support/message_box.h"
#include "support/text.h"
#include "support/win32_values.h"
#include "tests/support_lib/message_capture.h"
#include "tests/support_lib/scratch.h"
#include "tests/support_lib/destination_folder.h"
#include "tests/support_lib/folder_link.h"
#include "tests/support_lib/lent_session.h"
#include "tests/windows/action_fixtures.h"

using testing_support::CopyFixture;
using testing_support::CountPartialFiles;
using testing_support::CurrentTestJob;
using testing_support::FileExists;
using testing_support::FixturePath;
using testing_support::HeldFile;
using testing_support::Install;
using testing_support::InstallResult;
using testing_support::MessageCapture;
using testing_support::ReadAll;
using testing_support::Scratch;
using testing_support::WriteAll;

namespace {

class FileInstall : public ::testing::Test {
  protected:
    FileInstall()
        : job_({FixturePath("app_v150.exe"), FixturePath("app_v200.exe"),
                FixturePath("app_plain.exe"), FixturePath("self_register.dll")}) {
        actions::ForgetQueuedLibraries();
    }
    ~FileInstall() override { actions::ForgetQueuedLibraries(); }

    testing_support::LentSession session_;
    Scratch scratch_;
    MessageCapture capture_;
    CurrentTestJob job_;
};

TEST(FileVersion, ReadsTheFixedVersionOrZero) {
    uint32_t ms = 7;
    uint32_t ls = 7;
    actions::ReadFileVersion(FixturePath("app_v150.exe").c_str(), &ms, &ls);
    EXPECT_EQ(0x00010005u, ms);
    EXPECT_EQ(0u, ls);
    actions::ReadFileVersion(FixturePath("app_plain.exe").c_str(), &ms, &ls);
    EXPECT_EQ(0u, ms + ls);
    ms = ls = 7;
    actions::ReadFileVersion(FixturePath("missing.exe").c_str(), &ms, &ls);
    EXPECT_EQ(0u, ms + ls);
    // Fixed file information shorter than its structure: no version, rather
    // than whatever bytes follow it.
    ms = ls = 7;
    actions::ReadFileVersion(FixturePath("app_short_version.exe").c_str(), &ms, &ls);
    EXPECT_EQ(0u, ms + ls);

    EXPECT_TRUE(actions::DeclaresSelfRegistration(FixturePath("self_register.dll").c_str()));
    EXPECT_FALSE(actions::DeclaresSelfRegistration(FixturePath("app_v200.exe").c_str()));
    EXPECT_FALSE(actions::DeclaresSelfRegistration(FixturePath("missing.dll").c_str()));
    // A translation table of 2 bytes has a language and no code page.
    EXPECT_TRUE(
        actions::DeclaresSelfRegistration(FixturePath("app_translation_whole.exe").c_str()));
    EXPECT_FALSE(
        actions::DeclaresSelfRegistration(FixturePath("app_translation_short.exe").c_str()));
}

// One row of the version rule: what is at the target beforehand ("" for
// nothing, "text" for a file without a version resource), what the package
// brings, and whether the target ends up holding the package's file.
struct VersionCase {
    const char* existing;
    const char* incoming;
    bool replaced;
};

TEST_F(FileInstall, VersionRuleDecidesWhetherTheTargetIsReplaced) {
    const VersionCase cases[] = {
        {"", "app_v150.exe", true},                // nothing there yet
        {"app_v200.exe", "app_v150.exe", false},   // newer file kept
        {"app_v150.exe", "app_v200.exe", true},    // older file replaced
        {"app_v150.exe", "app_plain.exe", false},  // no version counts as 0/0
        {"text", "app_plain.exe", true},           // neither has a version
    };
    int index = 0;
    for (const VersionCase& row : cases) {
        SCOPED_TRACE(std::string(row.existing) + " <- " + row.incoming);
        std::string target = scratch_.PathOf("case" + std::to_string(index++) + "\\app.exe");
        if (row.existing[0] != '\0') {
            CreateDirectoryA(target.substr(0, target.rfind('\\')).c_str(), nullptr);
        }
        if (std::string(row.existing) == "text") {
            WriteAll(target, "old unversioned bytes");
        } else if (row.existing[0] != '\0') {
            ASSERT_TRUE(CopyFixture(row.existing, target));
        }
        std::string before = ReadAll(target);

        InstallResult result = Install(row.incoming, target);
        EXPECT_FALSE(result.abort);
        EXPECT_EQ(row.replaced ? ReadAll(FixturePath(row.incoming)) : before, ReadAll(target));
        EXPECT_EQ(0, CountPartialFiles(target.substr(0, target.rfind('\\'))));
    }
    EXPECT_TRUE(capture_.Messages().empty());
    EXPECT_FALSE(session::Current().reboot_needed);
}

// Windows refuses to copy over a read-only file; Wine does not, so there this
// only shows that the outcome is right.
TEST_F(FileInstall, ReadOnlyOlderTargetIsMadeWritableAndReplaced) {
    std::string target = scratch_.PathOf("app.exe");
    ASSERT_TRUE(CopyFixture("app_v150.exe", target));
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY);

    EXPECT_FALSE(Install("app_v200.exe", target).abort);
    EXPECT_EQ(ReadAll(FixturePath("app_v200.exe")), ReadAll(target));
    EXPECT_EQ(0u, GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(capture_.Messages().empty());
}

TEST_F(FileInstall, ExpandsTheTargetAndCreatesItsFolders) {
    support::CopyText(session::Current().destination_folder, scratch_.Folder().c_str());
    InstallResult result = Install("app_v150.exe", "<Destination>\\bin\\tools\\app.exe");
    EXPECT_FALSE(result.abort);
    EXPECT_EQ(scratch_.PathOf("bin\\tools\\app.exe"), result.target);
    EXPECT_EQ(ReadAll(FixturePath("app_v150.exe")), ReadAll(result.target));
}

// A partial file left by a killed install goes the first time the run
// installs into its folder; the folder is then remembered, so one left there
// later (by another writer) stays for the next run.
TEST_F(FileInstall, LeftoverPartialFilesGoOncePerFolderAndRun) {
    const std::string first = scratch_.PathOf("~vornak0123ABCD.tmp");
    const std::string later = scratch_.PathOf("~vornak4567CDEF.tmp");
    WriteAll(first, "left by a kill");
    EXPECT_FALSE(Install("app_v150.exe", scratch_.PathOf("a.exe")).abort);
    EXPECT_FALSE(FileExists(first));
    WriteAll(later, "left by a kill");
    EXPECT_FALSE(Install("app_v200.exe", scratch_.PathOf("b.exe")).abort);
    EXPECT_TRUE(FileExists(later));
    EXPECT_EQ(ReadAll(FixturePath("app_v200.exe")), ReadAll(scratch_.PathOf("b.exe")));
}

TEST_F(FileInstall, DamagedOrMissingEntryAbortsWithItsMessage) {
    std::string target = scratch_.PathOf("gone.exe");
    EXPECT_TRUE(Install("not_in_package.exe", target).abort);
    ASSERT_EQ(1u, capture_.Messages().size());
    EXPECT_EQ(
        "This installation appears to be corrupted. Error whilst installing "
        "'not_in_package.exe'.",
        capture_.Messages()[0].text);
    EXPECT_EQ("Installer", capture_.Messages()[0].caption);
    EXPECT_EQ(support::kMbIconError, capture_.Messages()[0].flags);
    EXPECT_FALSE(FileExists(target));
}

// A stream that will not decode leaves neither the target nor the partial
// file beside it, and is reported as a damaged entry.
TEST(FileInstallNewTarget, StreamThatWillNotDecodeLeavesNoTargetAndReportsOnce) {
    Scratch scratch;
    MessageCapture capture;
    std::string package = scratch.PathOf("package.exe");
    WriteAll(package, "MZ stub");
    {
        archive::PackageArchive archive(package.c_str(), true);
        const uint8_t garbage[] = "BZh9 not a stream at all";
        ASSERT_TRUE(archive.AppendEntryData("broken.bin", garbage, sizeof garbage - 1, 100));
        ASSERT_TRUE(archive.AppendEntryData("setup.dat", garbage, sizeof garbage - 1, 0));
        ASSERT_TRUE(archive.Close());
    }
    testing_support::LentSession session;
    session->job = std::make_unique<session::InstallJob>(package.c_str());
    std::string target = scratch.PathOf("new\\broken.bin");
    InstallResult result = Install("broken.bin", target);
    session->job.reset();

    EXPECT_TRUE(result.abort);
    EXPECT_FALSE(FileExists(target));
    EXPECT_EQ(0, CountPartialFiles(scratch.PathOf("new")));
    ASSERT_EQ(2u, capture.Messages().size());
    EXPECT_EQ(0u, capture.Messages()[0].text.find("Error whilst uncompressing '"));
    EXPECT_EQ(std::string::npos, capture.Messages()[0].text.find(target));
    EXPECT_EQ("This installation appears to be corrupted. Error whilst installing 'broken.bin'.",
              capture.Messages()[1].text);
}

TEST_F(FileInstall, TargetInUseWithTheSameVersionIsLeftAlone) {
    std::string target = scratch_.PathOf("app.exe");
    ASSERT_TRUE(CopyFixture("app_v150.exe", target));
    HeldFile held(target);
    ASSERT_TRUE(held.Holding());

    EXPECT_FALSE(Install("app_v150.exe", target).abort);
    EXPECT_FALSE(session::Current().reboot_needed);
    EXPECT_TRUE(capture_.Messages().empty());
    EXPECT_EQ(0, CountPartialFiles(scratch_.Folder()));
}

// The box of a failed copy, answered by a test: the first answer may first
// remove what made the copy fail.
struct DiskFullScript {
    static std::vector<std::string> texts;
    static std::vector<unsigned> flags;
    static std::string blocking_folder;
    static int Answer(const char* text, const char* caption, unsigned box_flags) {
        EXPECT_STREQ("Installer", caption);
        texts.push_back(text);
        flags.push_back(box_flags);
        if (blocking_folder.empty()) {
            return support::kIdCancel;
        }
        RemoveDirectoryA(blocking_folder.c_str());
        blocking_folder.clear();
        return support::kIdRetry;
    }
};
std::vector<std::string> DiskFullScript::texts;
std::vector<unsigned> DiskFullScript::flags;
std::string DiskFullScript::blocking_folder;

TEST_F(FileInstall, FailedCopyAsksRetryOrCancelWithCancelAsDefault) {
    // A folder where the file should go refuses the file as access denied:
    // a failure, not a file in use to replace at the restart, and the
    // folder keeps its attributes.
    std::string target = scratch_.PathOf("blocked.exe");
    ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr));
    const DWORD folder_attributes = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN;
    ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_HIDDEN));
    DiskFullScript::texts.clear();
    DiskFullScript::flags.clear();
    support::MessagePresenter previous = support::SetMessagePresenter(&DiskFullScript::Answer);

    DiskFullScript::blocking_folder.clear();
    InstallResult cancelled = Install("app_v150.exe", target);
    EXPECT_EQ(folder_attributes, GetFileAttributesA(target.c_str()));
    EXPECT_FALSE(session::Current().reboot_needed);
    DiskFullScript::blocking_folder = target;
    InstallResult retried = Install("app_v150.exe", target);
    support::SetMessagePresenter(previous);

    EXPECT_TRUE(cancelled.abort);
    EXPECT_FALSE(retried.abort);
    EXPECT_EQ(ReadAll(FixturePath("app_v150.exe")), ReadAll(target));
    ASSERT_EQ(2u, DiskFullScript::texts.size());
    EXPECT_EQ("Cannot install '" + target + "': access to it is denied.", DiskFullScript::texts[0]);
    EXPECT_EQ(0x115u, DiskFullScript::flags[0]);
    EXPECT_EQ(DiskFullScript::texts[0], DiskFullScript::texts[1]);
}

// Each call of the fixture library's exports appends a byte beside it.
size_t RegisterCalls(const std::string& library) {
    return ReadAll(library + ".register").size();
}

TEST_F(FileInstall, SelfRegistrationRunsOncePerQueuedFileEvenAfterAnAbort) {
    std::string first = scratch_.PathOf("first.dll");
    std::string second = scratch_.PathOf("sub\\second.dll");
    EXPECT_FALSE(Install("self_register.dll", first).abort);
    EXPECT_FALSE(Install("app_v150.exe", scratch_.PathOf("app.exe")).abort);
    EXPECT_FALSE(Install("self_register.dll", second).abort);
    EXPECT_TRUE(Install("not_in_package.dll", scratch_.PathOf("third.dll")).abort);

    ASSERT_EQ(2, actions::SelfRegisterList.Count());
    EXPECT_EQ(first, actions::SelfRegisterList.At(0));
    EXPECT_EQ(second, actions::SelfRegisterList.At(1));
    // Nothing is registered before the end of the install.
    EXPECT_EQ(0u, RegisterCalls(first));

    actions::RegisterQueuedDlls();
    EXPECT_EQ(1u, RegisterCalls(first));
    EXPECT_EQ(1u, RegisterCalls(second));
    EXPECT_EQ(0, actions::SelfRegisterList.Count());
    actions::RegisterQueuedDlls();
    EXPECT_EQ(1u, RegisterCalls(first));
}

TEST_F(FileInstall, KeptNewerLibraryIsStillQueued) {
    std::string target = scratch_.PathOf("lib.dll");
    ASSERT_TRUE(CopyFixture("self_register.dll", target));
    // The package's file has no version, so the library stays.
    EXPECT_FALSE(Install("app_plain.exe", target).abort);
    EXPECT_EQ(ReadAll(FixturePath("self_register.dll")), ReadAll(target));
    EXPECT_EQ(1, actions::SelfRegisterList.Count());
}

TEST_F(FileInstall, QueuedFileThatCannotLoadIsSkipped) {
    std::string fake = scratch_.PathOf("fake.dll");
    WriteAll(fake, "not a library");
    actions::SelfRegisterList.AppendCopy(fake.c_str());
    actions::RegisterQueuedDlls();
    EXPECT_EQ(0, actions::SelfRegisterList.Count());
    EXPECT_TRUE(capture_.Messages().empty());
}

}  // namespace

namespace {

TEST_F(FileInstall, ALinkInTheInstallFolderIsNotFollowed) {
    std::string product = scratch_.PathOf("Product");
    std::string elsewhere = scratch_.PathOf("Elsewhere");
    ASSERT_TRUE(CreateDirectoryA(product.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(elsewhere.c_str(), nullptr));
    testing_support::DestinationFolderSwap destination(product.c_str());
    // A link below the install folder, and the install folder made a link.
    ASSERT_TRUE(testing_support::MakeFolderLink(product + "\\sub", elsewhere));
    EXPECT_TRUE(Install("app_v150.exe", product + "\\sub\\app.exe").abort);
    testing_support::DestinationFolderSwap linked((product + "\\sub").c_str());
    EXPECT_TRUE(Install("app_v150.exe", product + "\\sub\\app.exe").abort);
    EXPECT_FALSE(FileExists(elsewhere + "\\app.exe"));
    ASSERT_EQ(2u, capture_.Messages().size());
    EXPECT_EQ("Cannot install '" + product + "\\sub\\app.exe': '" + product +
                  "\\sub' is a link, and an install does not follow links in its folder.",
              capture_.Messages()[0].text);
    EXPECT_TRUE(session::Current().install_failed);
    // Outside the install folder the system's own links still lead.
    EXPECT_FALSE(Install("app_v150.exe", elsewhere + "\\plain.exe").abort);
}

TEST_F(FileInstall, ALibraryChangedAfterItsInstallIsNotRegistered) {
    std::string target = scratch_.PathOf("lib.dll");
    EXPECT_FALSE(Install("self_register.dll", target).abort);
    ASSERT_EQ(1, actions::SelfRegisterList.Count());
    // The same library, one byte of its DOS stub's text changed: it still
    // loads and registers, but it is not the file installed.
    std::string changed = ReadAll(target);
    size_t text = changed.find("DOS mode");
    ASSERT_NE(std::string::npos, text);
    changed[text] = 'd';
    ASSERT_TRUE(WriteAll(target, changed));
    actions::RegisterQueuedDlls();
    EXPECT_EQ(0u, RegisterCalls(target));
    ASSERT_EQ(1u, capture_.Messages().size());
    EXPECT_EQ("'" + target + "' was changed after it was installed, so it was not registered.",
              capture_.Messages()[0].text);
    EXPECT_TRUE(session::Current().install_failed);
}

}  // namespace

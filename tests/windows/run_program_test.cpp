// Running programs for real: the command line a program receives, waiting,
// documents handed to the shell, start failures, and programs run straight
// from the package. The recorder fixture writes down how it was started.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "session/install_session.h"
#include "actions/run_program.h"
#include "support/text.h"
#include "support/win32_values.h"
#include "tests/support_lib/message_capture.h"
#include "tests/support_lib/scratch.h"
#include "tests/support_lib/lent_session.h"
#include "tests/windows/action_fixtures.h"
#include "tests/windows/registry_test_key.h"

using testing_support::AwaitFile;
using testing_support::CopyFixture;
using testing_support::CurrentTestJob;
using testing_support::DeleteRegistryTree;
using testing_support::FileExists;
using testing_support::FixturePath;
using testing_support::MessageCapture;
using testing_support::ReadAll;
using testing_support::Scratch;

namespace {

class RunProgram : public ::testing::Test {
  protected:
    RunProgram() {
        CreateDirectoryA(scratch_.PathOf("with space").c_str(), nullptr);
        recorder_ = scratch_.PathOf("with space\\recorder.exe");
        CopyFixture("command_recorder.exe", recorder_);
        SetEnvironmentVariableA("VORNAK_RECORD_FILE", Log().c_str());
        SetDelay(0);
    }
    ~RunProgram() override {
        SetEnvironmentVariableA("VORNAK_RECORD_FILE", nullptr);
        SetEnvironmentVariableA("VORNAK_RECORD_DELAY_MS", nullptr);
    }

    void SetDelay(int milliseconds) {
        SetEnvironmentVariableA("VORNAK_RECORD_DELAY_MS", std::to_string(milliseconds).c_str());
    }
    std::string Log() const { return scratch_.PathOf("record.txt"); }
    // The recorded line that starts with label ("command=", ...), or
    // "<none>".
    std::string Recorded(const std::string& label) const {
        std::string log = ReadAll(Log());
        size_t at = log.find(label);
        if (at == std::string::npos) {
            return "<none>";
        }
        at += label.size();
        return log.substr(at, log.find("\r\n", at) - at);
    }
    bool Exited() const { return ReadAll(Log()).find("exited") != std::string::npos; }
    // Waits up to about ten seconds for the recorder to end.
    bool AwaitExit() const {
        for (int i = 0; i < 1000 && !Exited(); ++i) {
            Sleep(10);
        }
        return Exited();
    }

    void Launch(const std::string& program, const char* arguments, bool wait) {
        char path[support::kMaxPath];
        support::CopyText(path, program.c_str());
        actions::LaunchFile(path, arguments, wait);
    }

    Scratch scratch_;
    MessageCapture capture_;
    std::string recorder_;
};

TEST_F(RunProgram, ProgramPathIsQuotedEvenWithoutArguments) {
    std::string plain = scratch_.PathOf("recorder.exe");
    CopyFixture("command_recorder.exe", plain);
    SetDelay(300);
    Launch(plain, "", true);
    EXPECT_TRUE(Exited()) << "waited for";
    EXPECT_EQ("\"" + plain + "\"", Recorded("command="));
    char folder[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, folder);
    EXPECT_EQ(folder, Recorded("folder="));
    EXPECT_TRUE(capture_.Messages().empty());
}

TEST_F(RunProgram, PathWithSpacesStartsThatProgramAndNoDecoy) {
    // "...\with space\recorder.exe" unquoted would first be tried as
    // "...\with.exe": a decoy there that records itself must not run.
    std::string decoy = scratch_.PathOf("with.exe");
    CopyFixture("command_recorder.exe", decoy);
    Launch(recorder_, "", true);
    EXPECT_TRUE(Exited());
    EXPECT_EQ(recorder_, Recorded("program="));
    EXPECT_EQ("\"" + recorder_ + "\"", Recorded("command="));
    EXPECT_TRUE(capture_.Messages().empty());
}

TEST_F(RunProgram, ArgumentsQuoteThePathAndAreNotExpanded) {
    testing_support::LentSession session;
    support::CopyText(session->destination_folder, "C:\\Somewhere\\");
    Launch(recorder_, "<Destination> /x \"two words\"", true);
    EXPECT_EQ("\"" + recorder_ + "\" <Destination> /x \"two words\"", Recorded("command="));
}

TEST_F(RunProgram, UpperCaseExeIsStartedAsAProgram) {
    std::string upper = scratch_.PathOf("RECORD.EXE");
    CopyFixture("command_recorder.exe", upper);
    Launch(upper, "", true);
    EXPECT_EQ("\"" + upper + "\"", Recorded("command="));
}

TEST_F(RunProgram, ProgramNotWaitedForRunsOnAfterTheCall) {
    SetDelay(1500);
    Launch(recorder_, "", false);
    EXPECT_FALSE(Exited());
    EXPECT_TRUE(AwaitExit());
}

TEST_F(RunProgram, StartFailuresAreReportedWithThePath) {
    std::string missing = scratch_.PathOf("missing.exe");
    Launch(missing, "", true);
    // A document with arguments is started as a program, which fails.
    std::string notes = scratch_.PathOf("notes.txt");
    testing_support::WriteAll(notes, "text");
    Launch(notes, "x", true);

    ASSERT_EQ(2u, capture_.Messages().size());
    EXPECT_EQ("Error whilst running '" + missing + "'.", capture_.Messages()[0].text);
    EXPECT_EQ("Installer", capture_.Messages()[0].caption);
    EXPECT_EQ(support::kMbIconError, capture_.Messages()[0].flags);
    EXPECT_EQ("Error whilst running '" + notes + "'.", capture_.Messages()[1].text);
}

TEST_F(RunProgram, RunProgramTellsWhetherTheProcessStarted) {
    EXPECT_FALSE(actions::RunProgram(scratch_.PathOf("missing.exe").c_str(), "", true));
    EXPECT_TRUE(actions::RunProgram(recorder_.c_str(), "a b", true));
    EXPECT_TRUE(Exited());
    EXPECT_EQ("\"" + recorder_ + "\" a b", Recorded("command="));
}

// Documents of an extension of our own open with the recorder, so that the
// shell's "open" can be watched without starting any real application. The
// type goes to the user's classes, which Windows merges into the shell's view,
// and to the machine's, which is where Wine looks.
class DocumentType {
  public:
    explicit DocumentType(const std::string& program) {
        for (HKEY root : kRoots) {
            Set(root, kExtensionKey, "VornakTests.Document");
            Set(root, kCommandKey, "\"" + program + "\" \"%1\"");
        }
    }
    ~DocumentType() {
        for (HKEY root : kRoots) {
            DeleteRegistryTree(root, kExtensionKey);
            DeleteRegistryTree(root, kTypeKey);
        }
    }

  private:
    static void Set(HKEY root, const char* key_path, const std::string& value) {
        HKEY key = nullptr;
        if (RegCreateKeyExA(root, key_path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) == ERROR_SUCCESS) {
            RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>(value.size() + 1));
            RegCloseKey(key);
        }
    }
    const HKEY kRoots[2] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};
    static constexpr const char* kExtensionKey = "Software\\Classes\\.vornakdoc";
    static constexpr const char* kTypeKey = "Software\\Classes\\VornakTests.Document";
    static constexpr const char* kCommandKey =
        "Software\\Classes\\VornakTests.Document\\shell\\open\\command";
};

TEST_F(RunProgram, DocumentIsOpenedByTheShellAndNeverWaitedFor) {
    DocumentType type(recorder_);
    std::string document = scratch_.PathOf("readme.vornakdoc");
    testing_support::WriteAll(document, "text");
    SetDelay(1500);
    Launch(document, "", true);
    EXPECT_FALSE(Exited());
    ASSERT_TRUE(AwaitExit());
    EXPECT_NE(std::string::npos, Recorded("command=").find(document)) << Recorded("command=");
    EXPECT_TRUE(capture_.Messages().empty());
}

// Programs run from the package are unpacked inside the job folder, which is
// the installer's alone, under the entry's own name, extension or none, and
// are gone with their folder afterwards. A token that does not start the
// path still names the entry after it.
TEST_F(RunProgram, TempInstallEntryRunsFromTheJobFolderUnderItsOwnName) {
    std::string bare = scratch_.PathOf("recorder");
    CopyFixture("command_recorder.exe", bare);
    CurrentTestJob job({FixturePath("command_recorder.exe"), bare});
    char job_folder[support::kMaxPath];
    session::Current().job->FolderPath(job_folder);
    const char* runs[][2] = {{"<TempInstall>\\command_recorder.exe", "command_recorder.exe"},
                             {"<TempInstall>\\recorder", "recorder"},
                             {"<Destination>\\<TempInstall>recorder", "recorder"}};
    for (const auto& run : runs) {
        std::string entry = run[1];
        SCOPED_TRACE(run[0]);
        DeleteFileA(Log().c_str());
        Launch(run[0], "", true);
        ASSERT_TRUE(Exited());
        std::string program = Recorded("program=");
        std::string folder = program.substr(0, program.rfind('\\') + 1);
        EXPECT_EQ(0, lstrcmpiA(job_folder, program.substr(0, std::strlen(job_folder)).c_str()))
            << program;
        EXPECT_EQ(entry, program.substr(folder.size()));
        EXPECT_FALSE(FileExists(program));
        EXPECT_FALSE(FileExists(folder.substr(0, folder.size() - 1)));
    }
    EXPECT_TRUE(capture_.Messages().empty());
}

TEST_F(RunProgram, TempInstallEntryMissingFromThePackageRunsNothing) {
    CurrentTestJob job({});
    Launch("<TempInstall>\\absent.exe", "", true);
    ASSERT_EQ(1u, capture_.Messages().size());
    EXPECT_EQ("This installation appears to be corrupted. Error whilst installing 'absent.exe'.",
              capture_.Messages()[0].text);
    EXPECT_FALSE(Exited());
}

}  // namespace

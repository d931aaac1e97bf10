// The install worker on a real package, with the real actions, on its own
// thread: every effect on the system is read back through the Win32 API.
// Then a cancel while a program runs, an abort on a damaged entry, and the
// record written once.
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "support/win32_values.h"
#include "session/install_session.h"
#include "session/install_job.h"
#include "archive/package_archive.h"
#include "actions/install_worker.h"
#include "script/optional_items.h"
#include "actions/self_registration.h"
#include "actions/file_install.h"
#include "support/registry_values.h"
#include "support/worker_thread.h"
#include "support/text.h"
#include "tests/support_lib/message_capture.h"
#include "tests/support_lib/scratch.h"
#include "tests/support_lib/lent_session.h"
#include "actions/uninstall_record_writer.h"
#include "uninstall/uninstall_record.h"

using testing_support::FileExists;
using testing_support::ReadAll;
using testing_support::Scratch;
using testing_support::WriteAll;

namespace {

const char kProject[] = "Vornak Worker Sample";
const char kUninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vornak Worker Sample";

std::string Fixture(const char* name) {
    return std::string(VORNAK_FIXTURE_DIR) + name;
}

std::string Lines(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

std::string SystemFolder() {
    char folder[MAX_PATH];
    GetSystemDirectoryA(folder, MAX_PATH);
    return folder;
}

// The folder the uninstall entry's command lines name: under WoW64 the one
// that 64-bit programs (the list of programs) find under that name too.
std::string RegisteredSystemFolder() {
    BOOL wow64 = FALSE;
    char folder[MAX_PATH];
    if (IsWow64Process(GetCurrentProcess(), &wow64) && wow64 &&
        GetSystemWow64DirectoryA(folder, MAX_PATH) != 0) {
        return folder;
    }
    return SystemFolder();
}

std::string ShortcutArguments(const std::string& link) {
    std::string arguments;
    IShellLinkA* shell_link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&shell_link)))) {
        return "<no shell link>";
    }
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shell_link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH);
        char text[MAX_PATH] = "";
        if (SUCCEEDED(file->Load(wide, STGM_READ)) &&
            SUCCEEDED(shell_link->GetArguments(text, MAX_PATH))) {
            arguments = text;
        }
        file->Release();
    }
    shell_link->Release();
    return arguments;
}

class InstallWorkerSample : public ::testing::Test {
  protected:
    void SetUp() override {
        CoInitialize(nullptr);
        folder_ = scratch_.PathOf("Product");
        support::CopyText(session_->project_name, kProject);
        support::CopyText(session_->destination_folder, folder_.c_str());
        script::ReleaseOptionalItems();
        actions::ForgetQueuedLibraries();
        actions::ForgetRecordWritten();
        SetEnvironmentVariableA("VORNAK_RECORD_FILE", scratch_.PathOf("runs.txt").c_str());
        SetEnvironmentVariableA("VORNAK_RECORD_DELAY_MS", "0");
    }
    void TearDown() override {
        session_->job.reset();
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\VornakTests\\WorkerSample");
        RegDeleteKeyA(HKEY_LOCAL_MACHINE,
                      "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\app_v200.exe");
        for (const char* suffix : {".dat", ".bmp"}) {
            DeleteFileA((SystemFolder() + "\\VornakUninstall-" + kProject + suffix).c_str());
        }
        script::ReleaseOptionalItems();
        CoUninitialize();
    }

    // Packs files (entry name, source path) behind the real stub and opens
    // the install job on it.
    void OpenJob(const std::string& script,
                 std::initializer_list<std::pair<std::string, std::string>> files) {
        std::string package = scratch_.PathOf("setup.exe");
        ASSERT_TRUE(CopyFileA(VORNAK_STUB_PATH, package.c_str(), FALSE));
        WriteAll(scratch_.PathOf("setup.dat"), script);
        WriteAll(scratch_.PathOf("setup.bmp"), "BM banner bytes");
        {
            archive::PackageArchive archive(package.c_str(), true);
            char name[support::kMaxPath];
            archive.AddFile(scratch_.PathOf("setup.dat").c_str(), name);
            archive.AddFile(scratch_.PathOf("setup.bmp").c_str(), name);
            for (const auto& file : files) {
                archive.AddFile(file.second.c_str(), name);
            }
            ASSERT_TRUE(archive.Close());
        }
        session_->job = std::make_unique<session::InstallJob>(package.c_str());
        ASSERT_FALSE(session_->job->Corrupted());
    }

    void RunWorker() {
        support::WorkerThread worker(&actions::InstallWorkerBody, nullptr);
        for (int i = 0; i < 600 && !session::Current().worker_done; ++i) {
            Sleep(50);
        }
        ASSERT_TRUE(session::Current().worker_done);
    }

    testing_support::LentSession session_;
    Scratch scratch_;
    testing_support::MessageCapture capture_;
    std::string folder_;
};

}  // namespace

TEST_F(InstallWorkerSample, InstallsEverySection) {
    std::string link = scratch_.PathOf("Start Menu\\Worker Sample\\App.lnk");
    std::string script = Lines({
        "[Project Name]",
        kProject,
        "[Install To]",
        "<Program Files>\\Proposed",
        "",
        "[Action]",
        "Installing files",
        "",
        "[CopyFile]",
        "app_v200.exe",
        "<Destination>\\bin\\app_v200.exe",
        "[CopyFile]",
        "self_register.dll",
        "<Destination>\\lib\\deep\\self_register.dll",
        "[Registry]",
        "HKCU",
        "Software\\VornakTests\\WorkerSample",
        "DWORD",
        "Count",
        "-1",
        "[Registry]",
        "HKCU",
        "Software\\VornakTests\\WorkerSample",
        "STRING",
        "Home",
        "<Destination>",
        "[CreateIcon]",
        "<Destination>\\bin\\app_v200.exe",
        link,
        "--from <Destination>",
        "",
        "[RunAndWaitFile]",
        Fixture("command_recorder.exe"),
        "--first-run",
        "",
        "[RunFile]",
        "<Destination>\\bin\\app_v200.exe",
        "",
        "Optional - Start the app",
        "[Message]",
        "Done.\\nThanks.",
        "Information",
    });
    OpenJob(script, {{"app_v200.exe", Fixture("app_v200.exe")},
                     {"self_register.dll", Fixture("self_register.dll")}});
    RunWorker();

    // Files, in nested folders, the program at its version.
    EXPECT_EQ(ReadAll(Fixture("app_v200.exe")), ReadAll(folder_ + "\\bin\\app_v200.exe"));
    std::string dll = folder_ + "\\lib\\deep\\self_register.dll";
    EXPECT_TRUE(FileExists(dll));
    EXPECT_EQ(1u, ReadAll(dll + ".register").size()) << "registered once, at the end";

    // Registry values, read back.
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\VornakTests\\WorkerSample",
                                           0, KEY_QUERY_VALUE, &key));
    DWORD number = 0;
    DWORD size = sizeof number;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "Count", nullptr, nullptr,
                                              reinterpret_cast<BYTE*>(&number), &size));
    EXPECT_EQ(0xFFFFFFFFu, number);
    RegCloseKey(key);
    char text[MAX_PATH];
    support::ReadRegistryString(text, sizeof text, "Home", HKEY_CURRENT_USER,
                                "Software\\VornakTests\\WorkerSample");
    EXPECT_EQ(folder_ + "\\", text);

    // App Paths for the program.
    support::ReadRegistryString(
        text, sizeof text, "", HKEY_LOCAL_MACHINE,
        "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\app_v200.exe");
    EXPECT_EQ(folder_ + "\\bin\\app_v200.exe", text);

    // The shortcut, its folder made, its arguments expanded.
    EXPECT_TRUE(FileExists(link));
    EXPECT_EQ("--from " + folder_ + "\\", ShortcutArguments(link));

    // The program ran and was waited for; the message was shown.
    std::string runs = ReadAll(scratch_.PathOf("runs.txt"));
    EXPECT_NE(std::string::npos, runs.find("--first-run"));
    EXPECT_NE(std::string::npos, runs.find("exited"));
    ASSERT_EQ(1u, capture_.Messages().size());
    EXPECT_EQ("Done.\r\nThanks.", capture_.Messages()[0].text);
    EXPECT_EQ(0x40040u, capture_.Messages()[0].flags);

    // The optional run was set aside.
    ASSERT_EQ(1, script::OptionalRuns.Count());
    EXPECT_STREQ("Start the app",
                 static_cast<script::OptionalRun*>(script::OptionalRuns.GetAt(0))->caption);

    // The record, written before the program ran: the script with the chosen
    // folder, the banner, the uninstaller stub and the Uninstall key.
    std::string system = SystemFolder() + "\\";
    std::string record = ReadAll(system + "VornakUninstall-" + kProject + ".dat");
    EXPECT_NE(std::string::npos, record.find("[Install To]\r\n" + folder_ + "\r\n"));
    EXPECT_EQ(std::string::npos, record.find("Proposed"));
    EXPECT_EQ("BM banner bytes", ReadAll(system + "VornakUninstall-" + kProject + ".bmp"));
    EXPECT_EQ(ReadAll(VORNAK_STUB_PATH), ReadAll(system + "VornakUninstall.exe"));
    std::string registered = RegisteredSystemFolder() + "\\";
    std::string stub = registered + "VornakUninstall.exe";
    std::string record_path = registered + "VornakUninstall-" + kProject + ".dat";
    auto value = [&](const char* name) {
        support::ReadRegistryString(text, sizeof text, name, HKEY_LOCAL_MACHINE, kUninstallKey);
        return std::string(text);
    };
    EXPECT_EQ(kProject, value("DisplayName"));
    EXPECT_EQ("\"" + stub + "\" <uninstall>" + record_path, value("UninstallString"));
    EXPECT_EQ("\"" + stub + "\" <Silent><uninstall>" + record_path, value("QuietUninstallString"));
    EXPECT_EQ("\"" + stub + "\"", value("DisplayIcon"));
    EXPECT_EQ(folder_, value("InstallTo"));

    // Reinstalling proposes the folder chosen the first time.
    support::CopyText(session::Current().destination_folder, "C:\\Somewhere Else");
    uninstall::ReadPreviousInstallFolder();
    EXPECT_EQ(folder_, session::Current().destination_folder);
}

TEST_F(InstallWorkerSample, CancelWaitsForTheProgramThenStops) {
    SetEnvironmentVariableA("VORNAK_RECORD_DELAY_MS", "1500");
    OpenJob(Lines({"[CopyFile]", "self_register.dll", "<Destination>\\self_register.dll",
                   "[RunAndWaitFile]", Fixture("command_recorder.exe"), "slow", "", "[CopyFile]",
                   "app_v200.exe", "<Destination>\\app_v200.exe"}),
            {{"self_register.dll", Fixture("self_register.dll")},
             {"app_v200.exe", Fixture("app_v200.exe")}});
    support::WorkerThread worker(&actions::InstallWorkerBody, nullptr);
    // Cancel while the program runs.
    for (int i = 0;
         i < 200 && ReadAll(scratch_.PathOf("runs.txt")).find("command=") == std::string::npos;
         ++i) {
        Sleep(25);
    }
    session::Current().stop_requested = true;
    for (int i = 0; i < 200 && !session::Current().worker_done; ++i) {
        Sleep(50);
    }
    ASSERT_TRUE(session::Current().worker_done);
    EXPECT_NE(std::string::npos, ReadAll(scratch_.PathOf("runs.txt")).find("exited"));
    EXPECT_FALSE(FileExists(folder_ + "\\app_v200.exe"));
    EXPECT_EQ(1u, ReadAll(folder_ + "\\self_register.dll.register").size());
}

TEST_F(InstallWorkerSample, ADamagedEntryAbortsTheRest) {
    WriteAll(scratch_.PathOf("two.txt"), "two");
    WriteAll(scratch_.PathOf("three.txt"), "three");
    OpenJob(Lines({"[CopyFile]",
                   "self_register.dll",
                   "<Destination>\\one.dll",
                   "[CopyFile]",
                   "two.txt",
                   "<Destination>\\two.txt",
                   "[CopyFile]",
                   "three.txt",
                   "<Destination>\\three.txt",
                   "[CreateIcon]",
                   "<Destination>\\two.txt",
                   "<Destination>\\two.lnk",
                   "",
                   "Optional - Icon",
                   "[CopyFile]",
                   "two.txt",
                   "<Destination>\\four.txt",
                   "[CopyFile]",
                   "two.txt",
                   "<Destination>\\five.txt"}),
            {{"self_register.dll", Fixture("self_register.dll")},
             {"two.txt", scratch_.PathOf("two.txt")},
             {"three.txt", scratch_.PathOf("three.txt")}});
    // Damage the third entry's data sum in the open job's directory.
    for (int32_t i = 0; i < session_->job->Archive().EntryCount(); ++i) {
        if (std::string(session_->job->Archive().EntryAt(i).name) == "three.txt") {
            const_cast<archive::ArchiveEntry&>(session_->job->Archive().EntryAt(i)).data_sum ^= 1;
        }
    }
    RunWorker();
    EXPECT_TRUE(FileExists(folder_ + "\\two.txt"));
    EXPECT_FALSE(FileExists(folder_ + "\\three.txt"));
    EXPECT_FALSE(FileExists(folder_ + "\\four.txt"));
    EXPECT_EQ(0, script::OptionalIcons.Count());
    EXPECT_EQ(1u, ReadAll(folder_ + "\\one.dll.register").size());
    ASSERT_EQ(1u, capture_.Messages().size());
    EXPECT_NE(std::string::npos, capture_.Messages()[0].text.find("corrupted"));
}

TEST_F(InstallWorkerSample, TheRecordIsWrittenOnce) {
    OpenJob(Lines({"[Project Name]", kProject, "[CopyFile]", "app_v200.exe",
                   "<Destination>\\app_v200.exe"}),
            {{"app_v200.exe", Fixture("app_v200.exe")}});
    actions::RunRecord run_record;
    actions::WriteUninstallRecord(&run_record);
    std::string record = SystemFolder() + "\\VornakUninstall-" + kProject + ".dat";
    ASSERT_TRUE(FileExists(record));
    DeleteFileA(record.c_str());
    actions::WriteUninstallRecord(&run_record);
    EXPECT_FALSE(FileExists(record));
}

namespace {

// Takes the values as a registry whose writes fail from the one numbered
// fail_at on (0 the first) would take them.
class FailingEntryWriter final : public actions::EntryValueWriter {
  public:
    explicit FailingEntryWriter(size_t fail_at) : fail_at_(fail_at) {}
    bool WriteString(const char* name, const char* /*data*/) override { return Write(name); }
    bool WriteNumber(const char* name, uint32_t /*number*/) override { return Write(name); }

    std::vector<std::string> written;
    size_t tried = 0;

  private:
    bool Write(const char* name) {
        if (tried++ >= fail_at_) {
            return false;
        }
        written.push_back(name);
        return true;
    }
    size_t fail_at_;
};

}  // namespace

TEST(UninstallEntry, AnEntryCutShortIsNeverListed) {
    const actions::UninstallEntry entry = {
        "Demo", "C:\\Demo", "C:\\W\\VornakUninstall.exe", "C:\\W\\VornakUninstall-Demo.dat",
        12,     false};
    FailingEntryWriter whole(100);
    ASSERT_TRUE(actions::WriteUninstallEntryValues(entry, whole));
    ASSERT_EQ("DisplayName", whole.written.back());
    for (size_t fail_at = 0; fail_at < whole.written.size(); ++fail_at) {
        FailingEntryWriter cut(fail_at);
        EXPECT_FALSE(actions::WriteUninstallEntryValues(entry, cut)) << fail_at;
        EXPECT_EQ(fail_at + 1, cut.tried) << "nothing is written after a failure";
        for (const std::string& name : cut.written) {
            EXPECT_NE("DisplayName", name) << "listed after " << fail_at << " writes";
        }
    }
}

// What the install-action tests share: the fixture programs built from
// tests/fixtures, a package opened as the current install job, a file held
// open by another process, and a look at the temporary folder.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>

#include "support/win32_values.h"
#include "session/install_session.h"
#include "archive/pack_mode.h"
#include "actions/file_install.h"
#include "script/folder_placeholders.h"
#include "support/folders.h"
#include "support/temp_path.h"
#include "support/text.h"
#include "tests/support_lib/scratch.h"

namespace testing_support {

inline std::string FixturePath(const std::string& name) {
    return VORNAK_FIXTURE_DIR + name;
}

inline bool CopyFixture(const std::string& fixture, const std::string& to) {
    return CopyFileA(FixturePath(fixture).c_str(), to.c_str(), FALSE) != 0;
}

inline bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// A package holding setup.dat and the given files (each entry named after
// its file), open as the session's job while the object lives.
class CurrentTestJob {
  public:
    explicit CurrentTestJob(std::initializer_list<std::string> files) {
        std::string package = scratch_.PathOf("package.exe");
        WriteAll(package, "MZ stub");
        WriteAll(scratch_.PathOf("setup.dat"), "[Project Name]\r\nTest\r\n");
        Pack(scratch_.PathOf("setup.dat"), package);
        for (const std::string& file : files) {
            Pack(file, package);
        }
        session::Current().job = std::make_unique<session::InstallJob>(package.c_str());
        EXPECT_FALSE(session::Current().job->Corrupted());
    }
    ~CurrentTestJob() { session::Current().job.reset(); }
    CurrentTestJob(const CurrentTestJob&) = delete;
    CurrentTestJob& operator=(const CurrentTestJob&) = delete;

  private:
    static void Pack(const std::string& file, const std::string& package) {
        char entry[support::kMaxPath];
        archive::PackFile(file.c_str(), package.c_str(), entry);
    }

    Scratch scratch_;
};

struct InstallResult {
    bool abort;
    std::string target;  // expanded, as the install worker expands it
};

inline InstallResult Install(const std::string& entry, const std::string& target) {
    char entry_buffer[support::kMaxPath];
    char target_buffer[support::kMaxPath];
    support::CopyText(entry_buffer, entry.c_str());
    support::CopyText(target_buffer, target.c_str());
    script::ExpandFolderPlaceholders(entry_buffer);
    script::ExpandFolderPlaceholders(target_buffer);
    InstallResult result = {true, ""};
    actions::InstallFile(entry_buffer, target_buffer, session::Current().destination_folder,
                         &result.abort);
    result.target = target_buffer;
    return result;
}

// Starts a program and waits for it when wait is set; false when it cannot
// be started.
inline bool StartAndMaybeWait(const std::string& command, HANDLE* process, bool wait) {
    std::string writable = command;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, &writable[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        return false;
    }
    CloseHandle(info.hThread);
    if (wait) {
        WaitForSingleObject(info.hProcess, 30000);
    }
    *process = info.hProcess;
    return true;
}

// Waits up to about ten seconds for a file to appear.
inline bool AwaitFile(const std::string& path) {
    for (int i = 0; i < 1000; ++i) {
        if (FileExists(path)) {
            return true;
        }
        Sleep(10);
    }
    return false;
}

// The file at path, held open by the holder program without write sharing
// (so a copy over it fails as over a file in use) until Release or the end.
class HeldFile {
  public:
    explicit HeldFile(const std::string& path) : path_(path) {
        std::string command = "\"" + FixturePath("file_holder.exe") + "\" \"" + path + "\"";
        holding_ = StartAndMaybeWait(command, &process_, false) && AwaitFile(path + ".held");
    }
    ~HeldFile() { Release(); }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    bool Holding() const { return holding_; }
    void Release() {
        if (process_ == nullptr) {
            return;
        }
        WriteAll(path_ + ".stop", "");
        WaitForSingleObject(process_, 30000);
        CloseHandle(process_);
        process_ = nullptr;
        holding_ = false;
    }

  private:
    std::string path_;
    HANDLE process_ = nullptr;
    bool holding_ = false;
};

// The user's temporary folder, with a trailing backslash.
inline std::string TempFolder() {
    char folder[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, folder);
    return folder;
}

// How many of file installation's partial files are in folder: the new
// files written beside their targets before the rename.
inline int CountPartialFiles(const std::string& folder) {
    int count = 0;
    support::FileFinder finder((std::string(support::kPartialFilePrefix) + "*").c_str(),
                               folder.c_str());
    while (finder.Next()) {
        ++count;
    }
    return count;
}

}  // namespace testing_support

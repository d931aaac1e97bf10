// Unattended runs, as deployment tools start them: nobody answers a box, so
// none may wait; every run can leave a log; two runs of one project never
// work at once; and the install folder can come from the command line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/installer_driver.h"
#include "tests/e2e/uninstall_project.h"
#include "tests/support_lib/scratch.h"

using e2e::RunningProgram;
using testing_support::ReadAll;

namespace {

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Every place that would show a box, reached under "<Silent>": the run ends
// by itself with its code, shows nothing, and its log holds the box's text.
TEST(Unattended, NoBoxWaitsAndEachSiteEndsWithItsCodeAndItsLog) {
    testing_support::Scratch scratch;
    const std::string blocked = "C:\\VornakE2E\\E2E Blocked";
    CreateDirectoryA("C:\\VornakE2E", nullptr);
    ASSERT_TRUE(testing_support::WriteAll(blocked, "a file where the folder would be"));
    struct Site {
        const char* name;
        std::string script;  // empty: the bare stub, a corrupted package
        std::string markers;
        DWORD exit_code;
        const char* logged;
    } sites[] = {
        {"corrupted package", "", "", 1603, "This installation is corrupted"},
        {"target folder taken by a file",
         e2e::Script({"[Project Name]", "E2E Blocked", "", "[Install To]", blocked.c_str(), "",
                      "[CopyFile]", "readme.txt", "<Destination>\\readme.txt"}),
         "", 1603,
         "Cannot install 'C:\\VornakE2E\\E2E Blocked\\readme.txt': 'C:\\VornakE2E\\E2E Blocked' is "
         "a "
         "file where a folder should be."},
        {"no install folder",
         e2e::Script({"[Project Name]", "E2E No Folder", "", "[CopyFile]", "readme.txt",
                      "<Destination>\\readme.txt"}),
         "", 1603, "Please set a valid install location."},
        {"relative folder given",
         e2e::Script({"[Project Name]", "E2E Relative", "", "[CopyFile]", "readme.txt",
                      "<Destination>\\readme.txt"}),
         "<InstallTo>\"VornakE2E\\Relative\"", 1639, "Please set a full install location"},
        {"unfit project name",
         e2e::Script({"[Project Name]", "..\\E2E Evil", "", "[Install To]",
                      "C:\\VornakE2E\\E2E Evil", "", "[CopyFile]", "readme.txt",
                      "<Destination>\\readme.txt"}),
         "", 1603, "holds \\, /, : or .."},
        {"program that cannot start",
         e2e::Script({"[Project Name]", "E2E No Program", "", "[Install To]",
                      "C:\\VornakE2E\\E2E No Program", "", "[RunFile]",
                      "C:\\VornakE2E\\missing.exe", ""}),
         "", 0, "Error whilst running 'C:\\VornakE2E\\missing.exe'."},
        {"malformed log marker", "", "<Log>\"C:\\unterminated", 1639, ""},
    };
    for (const Site& site : sites) {
        std::string package = scratch.PathOf("setup.exe");
        std::vector<e2e::PackageFile> files;
        if (!site.script.empty()) {
            files = {{"setup.dat", site.script}, {"readme.txt", "read me"}};
        }
        ASSERT_TRUE(e2e::BuildPackage(package, files)) << site.name;
        std::string log = scratch.PathOf("site.log");
        DeleteFileA(log.c_str());
        std::string markers = Contains(site.markers, "<Log>")
                                  ? site.markers
                                  : "<Log>" + Quoted(log) + " " + site.markers;
        RunningProgram installer(Quoted(package) + " <Silent> " + markers);
        std::string box;
        ASSERT_TRUE(installer.WaitForExitWatchingForBoxes(60000, &box)) << site.name;
        EXPECT_EQ("", box) << site.name;
        EXPECT_EQ(site.exit_code, installer.ExitCode()) << site.name;
        if (site.logged[0] != '\0') {
            std::string text = ReadAll(log);
            EXPECT_TRUE(Contains(text, site.logged)) << site.name << ":\n" << text;
            EXPECT_TRUE(Contains(text, "exit code " + std::to_string(site.exit_code)))
                << site.name << ":\n"
                << text;
        }
    }
    DeleteFileA(blocked.c_str());
    for (const std::string name : {"E2E Blocked", "E2E No Program"}) {
        e2e::RemoveTree("C:\\VornakE2E\\" + name);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE,
                      ("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + name).c_str());
        for (const char* extension : {".dat", ".kept", ".bmp"}) {
            DeleteFileA((e2e::SystemFolder() + "VornakUninstall-" + name + extension).c_str());
        }
    }

    // The uninstaller refuses a record it did not write, silently and logged.
    std::string log = scratch.PathOf("uninstall.log");
    RunningProgram uninstaller(Quoted(e2e::StubPath()) + " <Silent> <Log>" + Quoted(log) +
                               " <uninstall>C:\\VornakE2E\\VornakUninstall-X.dat");
    std::string box;
    ASSERT_TRUE(uninstaller.WaitForExitWatchingForBoxes(60000, &box));
    EXPECT_EQ("", box);
    EXPECT_EQ(1639u, uninstaller.ExitCode());
    EXPECT_TRUE(Contains(ReadAll(log), "is not in the system folder")) << ReadAll(log);
}

// A whole install into a folder the command line gives, and its uninstall,
// each with a log that names what it did.
TEST(Unattended, InstallToAndTheLogsOfAnInstallAndItsUninstall) {
    e2e::InstalledProject project("Logged");
    project.Build(e2e::Script({"[CopyFile]", "a.txt", "<Destination>\\a.txt", "", "[CopyFile]",
                               "b.txt", "<Destination>\\sub\\b.txt", "", "[Registry]", "HKLM",
                               "Software\\VornakE2E\\Logged", "String", "Where", "<Destination>"}),
                  {{"a.txt", "a"}, {"b.txt", "b"}});
    const std::string chosen = "C:\\VornakE2E\\Chosen Folder";
    testing_support::Scratch scratch;
    std::string log = scratch.PathOf("install.log");
    RunningProgram installer(project.InstallCommand() + " <Silent> <Log>" + Quoted(log) +
                             " <InstallTo>" + Quoted(chosen));
    ASSERT_TRUE(installer.WaitForExit(60000));
    EXPECT_EQ(0u, installer.ExitCode());
    EXPECT_TRUE(e2e::FileExists(chosen + "\\a.txt"));
    EXPECT_TRUE(e2e::FileExists(chosen + "\\sub\\b.txt"));
    EXPECT_FALSE(e2e::FolderExists(project.Folder()));
    EXPECT_EQ(chosen,
              e2e::ReadRegistryText(HKEY_LOCAL_MACHINE, project.UninstallKey(), "InstallTo"));
    EXPECT_TRUE(Contains(ReadAll(project.RecordPath()), chosen));
    std::string text = ReadAll(log);
    for (const std::string& line : std::vector<std::string>{
             "mode: install, silent", "project: " + project.Name(), "install folder: " + chosen,
             "file installed: " + chosen + "\\a.txt", "file installed: " + chosen + "\\sub\\b.txt",
             std::string("registry value written: HKLM\\Software\\VornakE2E\\Logged"),
             "uninstall record written: ", "exit code 0: success"}) {
        EXPECT_TRUE(Contains(text, line)) << line << " in\n" << text;
    }

    std::string quiet = project.UninstallCommand("QuietUninstallString");
    std::string uninstall_log = scratch.PathOf("uninstall.log");
    quiet.replace(quiet.find("<uninstall>"), 0, " <Log>" + Quoted(uninstall_log) + " ");
    RunningProgram uninstaller(quiet);
    ASSERT_TRUE(uninstaller.WaitForExit(60000));
    EXPECT_EQ(0u, uninstaller.ExitCode());
    EXPECT_FALSE(e2e::FileExists(chosen + "\\a.txt"));
    text = ReadAll(uninstall_log);
    for (const std::string& line : std::vector<std::string>{
             "mode: uninstall, silent", "file removed: " + chosen + "\\a.txt",
             "file removed: " + chosen + "\\sub\\b.txt",
             "uninstall entry removed: " + project.Name(), std::string("exit code 0: success")}) {
        EXPECT_TRUE(Contains(text, line)) << line << " in\n" << text;
    }
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\VornakE2E\\Logged");
    e2e::RemoveTree(chosen);
}

// "<Log>" alone: a new file in the temporary folder, named after the project,
// never over an earlier one.
TEST(Unattended, ALogWithoutAPathGoesToTheTemporaryFolderUnderANewName) {
    e2e::InstalledProject project("Temp Log");
    project.Build(e2e::Script({"[CopyFile]", "a.txt", "<Destination>\\a.txt"}), {{"a.txt", "a"}});
    std::vector<std::string> logs;
    for (int run = 0; run < 2; ++run) {
        RunningProgram installer(project.InstallCommand() + " <Silent> <Log>");
        ASSERT_TRUE(installer.WaitForExit(60000));
        EXPECT_EQ(0u, installer.ExitCode());
        logs.push_back(e2e::TempFolderPath() + project.Name() + "-install-" +
                       std::to_string(run + 1) + ".log");
    }
    for (const std::string& log : logs) {
        EXPECT_TRUE(Contains(ReadAll(log), "exit code 0")) << log;
        DeleteFileA(log.c_str());
    }
}

// While one run of a project works, another of the same project ends at once
// with 1618; a run of another project is not held up.
TEST(Unattended, ASecondRunOfTheSameProjectEndsWithAnotherInstallationInProgress) {
    testing_support::Scratch scratch;
    SetEnvironmentVariableA("VORNAK_RECORD_FILE", scratch.PathOf("runs.txt").c_str());
    SetEnvironmentVariableA("VORNAK_RECORD_DELAY_MS", "8000");
    e2e::InstalledProject slow("Slow");
    slow.Build(e2e::Script({"[CopyFile]", "a.txt", "<Destination>\\a.txt", "", "[RunAndWaitFile]",
                            e2e::FixturePath("command_recorder.exe").c_str(), "waiting"}),
               {{"a.txt", "a"}});
    e2e::InstalledProject other("Other");
    other.Build(e2e::Script({"[CopyFile]", "a.txt", "<Destination>\\a.txt"}), {{"a.txt", "a"}});

    RunningProgram first(slow.InstallCommand() + " <Silent>");
    ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::FileExists(scratch.PathOf("runs.txt")); }));
    RunningProgram second(slow.InstallCommand() + " <Silent>");
    ASSERT_TRUE(second.WaitForExit(10000));
    EXPECT_EQ(1618u, second.ExitCode());
    RunningProgram uninstaller(Quoted(e2e::StubPath()) + " <Silent><uninstall>" +
                               slow.RecordPath());
    ASSERT_TRUE(uninstaller.WaitForExit(10000));
    EXPECT_EQ(1618u, uninstaller.ExitCode());
    other.InstallSilently();

    ASSERT_TRUE(first.WaitForExit(60000));
    EXPECT_EQ(0u, first.ExitCode());
    EXPECT_TRUE(e2e::FileExists(slow.RecordPath()));
    SetEnvironmentVariableA("VORNAK_RECORD_DELAY_MS", "0");
}

}  // namespace

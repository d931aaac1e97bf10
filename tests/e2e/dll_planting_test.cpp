// A DLL planted beside the installer, named like the version library the
// installer uses: a program that searches its own folder loads it, the
// installer does not.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/installer_driver.h"
#include "tests/support_lib/scratch.h"

using e2e::RunningProgram;

TEST(DllPlanting, TheInstallerDoesNotLoadADllFromItsOwnFolder) {
    testing_support::Scratch scratch;
    std::string planted = scratch.PathOf("version.dll");
    std::string marker = planted + ".loaded";
    ASSERT_TRUE(CopyFileA(e2e::FixturePath("planted_library.dll").c_str(), planted.c_str(), FALSE));
    std::string probe = scratch.PathOf("library_probe.exe");
    ASSERT_TRUE(CopyFileA(e2e::FixturePath("library_probe.exe").c_str(), probe.c_str(), FALSE));
    // Wine prefers its own built-in DLLs; ctest runs this test with
    // WINEDLLOVERRIDES=version=n,b, which makes Wine search a program's folder
    // first, as Windows does for DLLs outside its known list.

    // First: would the planted DLL be loaded from there at all?
    {
        RunningProgram control("\"" + probe + "\" version.dll");
        ASSERT_TRUE(control.WaitForExit(20000));
    }
    if (!e2e::FileExists(marker)) {
        GTEST_SKIP() << "this system does not load a DLL from a program's folder at all";
    }
    DeleteFileA(marker.c_str());

    // The installer, beside the same DLL, installs a versioned program over
    // an older one: it reads version information on the way.
    std::string folder = scratch.PathOf("Product");
    std::string package = scratch.PathOf("setup.exe");
    std::string program = testing_support::ReadAll(e2e::FixturePath("app_v200.exe"));
    ASSERT_TRUE(e2e::BuildPackage(
        package, {{"setup.dat", e2e::Script({"[Install To]", folder.c_str(), "[CopyFile]",
                                             "app_v200.exe", "<Destination>\\app.exe", "[CopyFile]",
                                             "app_v200.exe", "<Destination>\\app.exe"})},
                  {"app_v200.exe", program}}));
    {
        RunningProgram installer("\"" + package + "\" <Silent>");
        ASSERT_TRUE(installer.WaitForExit(30000));
    }
    EXPECT_EQ(program, testing_support::ReadAll(folder + "\\app.exe"));
    EXPECT_FALSE(e2e::FileExists(marker)) << "the installer loaded the planted DLL";
}

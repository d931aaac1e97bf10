// Pack mode as a build pipeline sees it: a file that could not be added is
// reported in a box and ends the run with the failure code, and the package
// stays as it was.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/installer_driver.h"
#include "tests/support_lib/scratch.h"

TEST(PackModeExit, AFileThatWasNotAddedEndsWithTheFailureCode) {
    testing_support::Scratch scratch;
    std::string package = scratch.PathOf("pkg.exe");
    ASSERT_TRUE(CopyFileA(e2e::StubPath().c_str(), package.c_str(), FALSE));
    std::string before = testing_support::ReadAll(package);
    e2e::RunningProgram packer("\"" + e2e::StubPath() + "\" <packthis>\"" +
                               scratch.PathOf("missing.txt") + "\" <packto>\"" + package + "\"");
    HWND box = packer.WaitForMessageBox("Install");
    ASSERT_NE(nullptr, box);
    e2e::Click(box, IDOK);
    ASSERT_TRUE(packer.WaitForExit(20000));
    EXPECT_EQ(1603u, packer.ExitCode());
    EXPECT_EQ(before, testing_support::ReadAll(package));
}

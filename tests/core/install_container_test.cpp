// Which entries of a container are embedded installers.
#include <gtest/gtest.h>

#include "ui/install_container.h"

TEST(InstallContainer, InstallerEntriesEndInExeInAnyCase) {
    EXPECT_TRUE(ui::IsInstallerEntryName("one.exe"));
    EXPECT_TRUE(ui::IsInstallerEntryName("two.EXE"));
    EXPECT_TRUE(ui::IsInstallerEntryName("three.Exe"));
    EXPECT_TRUE(ui::IsInstallerEntryName("setup.v2.exe"));
    EXPECT_FALSE(ui::IsInstallerEntryName("setup.dat"));
    EXPECT_FALSE(ui::IsInstallerEntryName("noextension"));
    EXPECT_FALSE(ui::IsInstallerEntryName("tool.exe.bak"));
    EXPECT_FALSE(ui::IsInstallerEntryName("folder.exe\\name"));
    EXPECT_FALSE(ui::IsInstallerEntryName(""));
}

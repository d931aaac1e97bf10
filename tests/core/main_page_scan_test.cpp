// The main page's script scan and the texts it composes: the folder
// precedence, the disk-space figure and the Change button's folder.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/win32_values.h"
#include "session/install_session.h"
#include "archive/package_archive.h"
#include "script/install_size.h"
#include "tests/support_lib/message_capture.h"
#include "tests/support_lib/scratch.h"
#include "ui/main_page_scan.h"
#include "tests/support_lib/lent_session.h"

using testing_support::Scratch;
using testing_support::WriteAll;

namespace {

bool ResolveToToolFolder(const char* link_path, char* target) {
    if (std::strcmp(link_path, "found.lnk") != 0) {
        return false;
    }
    std::strcpy(target, "D:\\Found\\Tool\\tool.exe");
    return true;
}

std::string Space(int64_t kilobytes) {
    char text[100];
    ui::FormatRequiredSpace(kilobytes, text, sizeof text);
    return text;
}

}  // namespace

TEST(MainPageScan, LaterSectionsWinAndAResolvedShortcutGivesTheFolder) {
    testing_support::LentSession session;
    Scratch scratch;
    std::string script = scratch.PathOf("setup.dat");
    WriteAll(script,
             "[Project Name]\r\nFirst\r\n[Install To]\r\nC:\\One\r\n[Project Name]\r\nSecond\r\n"
             "[LocateInstall]\r\nmissing.lnk\r\n[Install To]\r\nC:\\Two\\Tool\r\n");
    char install_to[support::kMaxPath];
    EXPECT_FALSE(ui::ScanMainPageScript(script.c_str(), &ResolveToToolFolder, install_to));
    EXPECT_STREQ("Second", session->project_name);
    EXPECT_STREQ("C:\\Two\\Tool", session->destination_folder);
    EXPECT_STREQ("C:\\Two\\Tool", install_to);

    WriteAll(script, "[Install To]\r\nC:\\One\r\n[LocateInstall]\r\nfound.lnk\r\n");
    EXPECT_TRUE(ui::ScanMainPageScript(script.c_str(), &ResolveToToolFolder, install_to));
    EXPECT_STREQ("D:\\Found\\Tool\\", session->destination_folder);
}

TEST(MainPageScan, RequiredSpaceSwitchesToMegabytesAbove10000Kilobytes) {
    EXPECT_EQ("10000 KB Disk Space Required", Space(10240000 / 1024));
    EXPECT_EQ("9 MB Disk Space Required", Space(10241024 / 1024));
    EXPECT_EQ("0 KB Disk Space Required", Space(1023 / 1024));
}

TEST(MainPageScan, RequiredBytesCountEveryNamedEntry) {
    testing_support::LentSession session;
    Scratch scratch;
    testing_support::MessageCapture capture;
    std::string package = scratch.PathOf("p.exe");
    WriteAll(package, "stub");
    WriteAll(scratch.PathOf("big.bin"), std::string(10240000 - 1000, 'b'));
    WriteAll(scratch.PathOf("small.txt"), std::string(1000, 's'));
    {
        archive::PackageArchive archive(package.c_str(), true);
        char name[support::kMaxPath];
        archive.AddFile(scratch.PathOf("big.bin").c_str(), name);
        archive.AddFile(scratch.PathOf("small.txt").c_str(), name);
        ASSERT_TRUE(archive.Close());
    }
    // The page reads the script twice, the sizes apart from the name and
    // folder; between them they see every section of one mixed script.
    std::string script = scratch.PathOf("setup.dat");
    WriteAll(script,
             "[CopyFile]\r\nBIG.BIN\r\nx\r\n[Project Name]\r\nMixed\r\n[CopyFile]\r\n"
             "small.txt\r\ny\r\n[Install To]\r\nC:\\Mixed\r\n[CopyFile]\r\nabsent.txt\r\nz\r\n");
    archive::PackageArchive archive(package.c_str(), false);
    EXPECT_EQ(10240000u, script::CopyFileBytes(script.c_str(), archive));
    EXPECT_EQ("10000 KB Disk Space Required",
              Space(script::CopyFileBytes(script.c_str(), archive) / 1024));
    char install_to[support::kMaxPath];
    EXPECT_FALSE(ui::ScanMainPageScript(script.c_str(), nullptr, install_to));
    EXPECT_STREQ("Mixed", session->project_name);
    EXPECT_STREQ("C:\\Mixed", session->destination_folder);
}

TEST(MainPageScan, ChangeKeepsTheProductFolderName) {
    char chosen[support::kMaxPath] = "D:\\Apps";
    ui::AppendProductFolder(chosen, "<Program Files>\\Acme\\Tool");
    EXPECT_STREQ("D:\\Apps\\Tool", chosen);
    char root[support::kMaxPath] = "D:\\";
    ui::AppendProductFolder(root, "C:\\Tool");
    EXPECT_STREQ("D:\\Tool", root);
    char unchanged[support::kMaxPath] = "D:\\Apps";
    ui::AppendProductFolder(unchanged, "NoBackslash");
    EXPECT_STREQ("D:\\Apps", unchanged);
    char full[support::kMaxPath];
    std::memset(full, 'x', support::kMaxPath - 2);
    full[support::kMaxPath - 2] = '\0';
    ui::AppendProductFolder(full, "C:\\Tool");
    EXPECT_EQ(support::kMaxPath - 1, std::strlen(full));
}

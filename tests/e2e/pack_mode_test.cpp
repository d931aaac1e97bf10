// Pack mode as a build pipeline sees it: a file that could not be added is
// reported in a box and ends the run with the failure code, and the package
// stays as it was.
#include <gtest/gtest.h>

#include <string>

#include "archive/package_archive.h"
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

// Pack mode on Windows names an entry as the file is named, in the
// package's text: UTF-8 once its setup.dat has the signature.
TEST(PackModeExit, AUnicodeFileNameGoesIntoAUtf8PackageWhole) {
    testing_support::Scratch scratch;
    std::string package = scratch.PathOf("pkg.exe");
    ASSERT_TRUE(CopyFileA(e2e::StubPath().c_str(), package.c_str(), FALSE));
    testing_support::WriteAll(scratch.PathOf("setup.dat"), "\xEF\xBB\xBF[Project Name]\r\nP\r\n");
    wchar_t folder[MAX_PATH] = L"";
    MultiByteToWideChar(CP_ACP, 0, scratch.PathOf("").c_str(), -1, folder, MAX_PATH);
    const std::wstring omega = std::wstring(folder) + L"\u03A9mega \u738B\u82B3.txt";
    HANDLE file = CreateFileW(omega.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);
    for (const std::wstring& source : {std::wstring(folder) + L"setup.dat", omega}) {
        wchar_t command[2048] = L"";
        MultiByteToWideChar(CP_ACP, 0, ("\"" + e2e::StubPath() + "\" <packthis>\"").c_str(), -1,
                            command, 2048);
        std::wstring line =
            command + source + L"\" <packto>\"" + std::wstring(folder) + L"pkg.exe\"";
        e2e::RunningProgram packer(line);
        ASSERT_TRUE(packer.WaitForExit(e2e::ScaledLimit(20000)));
        EXPECT_EQ(0u, packer.ExitCode());
    }
    archive::PackageArchive packed(package.c_str(), false);
    ASSERT_EQ(2, packed.EntryCount());
    EXPECT_STREQ("\xCE\xA9mega \xE7\x8E\x8B\xE8\x8A\xB3.txt", packed.EntryAt(1).name);
    DeleteFileW(omega.c_str());
}

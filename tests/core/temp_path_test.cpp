// Temporary files and folders: unique, existing, empty, and gone afterwards.
#include <gtest/gtest.h>

#include <string>

#include "support/win32_values.h"
#include "support/folders.h"
#include "support/path_text.h"
#include "support/temp_path.h"
#include "tests/support_lib/folder_link.h"
#include "tests/support_lib/scratch.h"

using testing_support::FileExists;
using testing_support::ReadAll;
using testing_support::WriteAll;

TEST(TempPath, GivesAUniqueEmptyFileThatGoesAway) {
    std::string first_path;
    {
        support::TempPath first("Ext");
        support::TempPath second("Ext");
        first_path = first.Path();
        EXPECT_NE(first_path, second.Path());
        EXPECT_TRUE(FileExists(first_path));
        EXPECT_EQ("", ReadAll(first_path));

        char name[support::kMaxPath];
        support::FileNamePart(first.Path(), name);
        EXPECT_EQ(0, std::string(name).rfind("Ext", 0)) << name;
        char extension[support::kMaxPath];
        support::ExtensionPart(first.Path(), extension);
        EXPECT_STRCASEEQ(".tmp", extension);
        // Callers may write and reopen the file by its path.
        WriteAll(first_path, "data");
    }
    EXPECT_FALSE(FileExists(first_path));
}

TEST(TempFolder, IsRemovedWithNestedContent) {
    std::string folder;
    {
        support::TempFolder temp("QZT");
        folder = temp.Path();
        ASSERT_EQ('\\', folder.back());
        support::CreateFolderPath((folder + "a\\b").c_str());
        WriteAll(folder + "setup.dat", "x");
        WriteAll(folder + "a\\b\\deep.bin", "y");
    }
    folder.pop_back();
    EXPECT_FALSE(support::PathExists(folder.c_str()));
}

// A link inside the job folder, planted by someone who could write there or
// made by a program the installer ran, must go as a link: the folder it
// points at, and everything in it, survives.
TEST(TempFolder, RemovesLinksInsideWithoutFollowingThem) {
    testing_support::Scratch outside;
    WriteAll(outside.PathOf("precious.txt"), "keep me");
    std::string folder;
    {
        support::TempFolder temp("QZT");
        folder = temp.Path();
        support::CreateFolderPath((folder + "nested").c_str());
        ASSERT_TRUE(testing_support::MakeFolderLink(folder + "link", outside.Folder()));
        ASSERT_TRUE(testing_support::MakeFolderLink(folder + "nested\\link", outside.Folder()));
        ASSERT_TRUE(FileExists(folder + "link\\precious.txt"));
    }
    EXPECT_EQ("keep me", ReadAll(outside.PathOf("precious.txt")));
    if (testing_support::SystemRemovesFolderLinks()) {
        folder.pop_back();
        EXPECT_FALSE(support::PathExists(folder.c_str()));
    } else {
        // Wine: the links stay, and only they and the folders holding them.
        EXPECT_TRUE(support::PathExists((folder + "link").c_str()));
        EXPECT_TRUE(support::PathExists((folder + "nested\\link").c_str()));
        support::FileFinder finder("*", folder.c_str());
        int items = 0;
        while (finder.Next()) {
            ++items;
        }
        EXPECT_EQ(2, items);
        // Left for the system's own clean-up of the temporary folder.
    }
}

TEST(TempPath, FileBesideItsTargetIsNewAndUnique) {
    testing_support::Scratch scratch;
    support::TempPath first(support::kPartialFilePrefix, scratch.Folder().c_str());
    support::TempPath second(support::kPartialFilePrefix, scratch.Folder().c_str());
    std::string path = first.Path();
    EXPECT_EQ(scratch.PathOf(support::kPartialFilePrefix), path.substr(0, path.size() - 12));
    EXPECT_EQ(".tmp", path.substr(path.size() - 4));
    EXPECT_NE(path, second.Path());
    EXPECT_EQ("", ReadAll(path));
    // No name fits a folder path that is already as long as a path may be.
    support::TempPath none("~", (std::string(250, 'x') + "\\").c_str());
    EXPECT_STREQ("", none.Path());
}

// Only the exact names of partial files go, and not those that wait for the
// restart: a user's file that merely looks alike stays.
TEST(TempPath, LeftoverPartialFilesAndNothingElseAreDeleted) {
    testing_support::Scratch scratch;
    const std::string leftover = scratch.PathOf("~vornak0123abCD.tmp");
    const std::string waiting = scratch.PathOf("~vornakFFFF0000.tmp");
    const char* survivors[] = {"~vornak-notes.tmp", "~vornak0123ABCDE.tmp", "~vornak0123ABCG.tmp",
                               "~vornak0123ABCD.txt", "other.tmp"};
    WriteAll(leftover, "partial");
    WriteAll(waiting, "new file for the restart");
    for (const char* name : survivors) {
        WriteAll(scratch.PathOf(name), "user's");
    }
    support::CreateFolderPath(scratch.PathOf("~vornak89ABCDEF.tmp\\").c_str());
    static std::string kept;
    kept = waiting;
    auto keep = [](const char* path) { return kept == path; };
    EXPECT_EQ(1, support::DeletePartialFiles(scratch.Folder().c_str(), keep));
    EXPECT_FALSE(FileExists(leftover));
    EXPECT_TRUE(FileExists(waiting));
    for (const char* name : survivors) {
        EXPECT_TRUE(FileExists(scratch.PathOf(name))) << name;
    }
    EXPECT_TRUE(support::PathExists(scratch.PathOf("~vornak89ABCDEF.tmp").c_str()));
}

TEST(TempPath, RandomBelowStaysInRange) {
    for (int i = 0; i < 1000; ++i) {
        EXPECT_LT(support::RandomBelow(9999), 9999u);
    }
    EXPECT_EQ(0u, support::RandomBelow(1));
}

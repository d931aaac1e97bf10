// Temporary files and folders: unique, existing, empty, and gone afterwards.
#include <gtest/gtest.h>

#include <string>

#include "support/folders.h"
#include "support/path_text.h"
#include "support/temp_path.h"
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

        char name[260];
        support::FileNamePart(first.Path(), name);
        EXPECT_EQ(0, std::string(name).rfind("Ext", 0)) << name;
        char extension[260];
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

TEST(TempPath, RandomBelowStaysInRange) {
    for (int i = 0; i < 1000; ++i) {
        EXPECT_LT(support::RandomBelow(9999), 9999u);
    }
    EXPECT_EQ(0u, support::RandomBelow(1));
}

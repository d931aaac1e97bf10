// Path text operations and folder operations on real folders.
#include <gtest/gtest.h>

#include <string>

#include "support/win32_values.h"
#include "support/folders.h"
#include "support/path_text.h"
#include "tests/support_lib/scratch.h"

using testing_support::FileExists;
using testing_support::Scratch;
using testing_support::WriteAll;

namespace {

template <void (*Operation)(const char*, char*, size_t)>
std::string Apply(const char* path) {
    char out[support::kMaxPath];
    Operation(path, out, sizeof out);
    return out;
}

bool IsFolder(const std::string& path) {
    bool is_folder = false;
    return support::PathExists(path.c_str(), &is_folder) && is_folder;
}

}  // namespace

TEST(PathText, ExampleTable) {
    EXPECT_EQ("b.txt", Apply<support::FileNamePart>("C:\\a\\b.txt"));
    EXPECT_EQ("C:\\a\\", Apply<support::FolderPart>("C:\\a\\b.txt"));
    EXPECT_EQ(".txt", Apply<support::ExtensionPart>("C:\\a\\b.txt"));
    EXPECT_EQ(".", Apply<support::ExtensionPart>("C:\\a.d\\b"));
    EXPECT_EQ("C:\\a\\b", Apply<support::StripExtension>("C:\\a\\b.txt"));
    EXPECT_EQ("b", Apply<support::FileTitle>("C:\\a\\b.txt"));
}

TEST(PathText, EdgeCases) {
    EXPECT_EQ("plain", Apply<support::FileNamePart>("plain"));
    EXPECT_EQ("plain", Apply<support::FolderPart>("plain"));
    EXPECT_EQ(".", Apply<support::ExtensionPart>("C:\\a\\b"));
    EXPECT_EQ(".", Apply<support::ExtensionPart>("C:\\a\\b."));
    EXPECT_EQ("C:\\a.d\\b", Apply<support::StripExtension>("C:\\a.d\\b"));
    EXPECT_EQ("name", Apply<support::StripExtension>("name.ext"));
    EXPECT_EQ("", Apply<support::FileNamePart>("C:\\a\\"));
    EXPECT_EQ("VornakUninstall-Tool", Apply<support::FileTitle>("C:\\w\\VornakUninstall-Tool.dat"));
}

TEST(PathText, AddTrailingBackslashNeverOverruns) {
    char text[support::kMaxPath] = "C:\\a";
    support::AddTrailingBackslash(text);
    EXPECT_STREQ("C:\\a\\", text);
    support::AddTrailingBackslash(text);
    EXPECT_STREQ("C:\\a\\", text);
    char empty[support::kMaxPath] = "";
    support::AddTrailingBackslash(empty);
    EXPECT_STREQ("", empty);

    char full[8] = "1234567";  // no room for one more character
    EXPECT_FALSE(support::AddTrailingBackslash(full, sizeof full));
    EXPECT_STREQ("1234567", full);
}

TEST(PathText, ResultsAreCutToTheBuffer) {
    std::string long_name(support::kMaxPath + 100, 'x');
    char out[support::kMaxPath];
    support::FileNamePart(("C:\\" + long_name).c_str(), out);
    EXPECT_EQ(support::kMaxPath - 1, std::string(out).size());
}

TEST(PathText, OnlyDrivePathsAndSharesAreAbsolute) {
    for (const char* path : {"C:\\", "c:\\Apps\\Demo", "Z:\\x.dll", "\\\\server\\share",
                             "\\\\server\\share\\App\\x.dll"}) {
        EXPECT_TRUE(support::IsAbsolutePath(path)) << path;
    }
    // What the current drive or folder would complete, and device paths.
    for (const char* path : {"", "Apps\\Demo", "\\bin\\x.dll", "C:x.dll", "C:", ":\\x", "1:\\x",
                             "\\\\", "\\\\server", "\\\\server\\", "\\\\\\share\\x",
                             "\\\\.\\PhysicalDrive0", "\\\\?\\C:\\x", ".\\x", "..\\x"}) {
        EXPECT_FALSE(support::IsAbsolutePath(path)) << path;
    }
}

TEST(PathText, AtOrBelowComparesWholeComponents) {
    EXPECT_TRUE(support::IsAtOrBelowFolder("C:\\Apps\\Demo", "c:\\apps\\demo\\"));
    EXPECT_TRUE(support::IsAtOrBelowFolder("C:\\Apps\\Demo\\bin\\x.dll", "C:\\Apps\\Demo"));
    EXPECT_FALSE(support::IsAtOrBelowFolder("C:\\Apps\\Demo2\\x.dll", "C:\\Apps\\Demo"));
    EXPECT_FALSE(support::IsAtOrBelowFolder("C:\\Apps", "C:\\Apps\\Demo"));
    EXPECT_FALSE(support::IsAtOrBelowFolder("C:\\Apps", ""));
}

TEST(Folders, CreateFolderPathMakesEveryLevel) {
    Scratch scratch;
    std::string deep = scratch.PathOf("a\\b\\c");
    support::CreateFolderPath(deep.c_str());
    EXPECT_TRUE(IsFolder(scratch.PathOf("a\\b\\c")));

    // A trailing backslash changes nothing; existing levels are fine.
    support::CreateFolderPath((scratch.PathOf("a\\b\\d") + "\\").c_str());
    EXPECT_TRUE(IsFolder(scratch.PathOf("a\\b\\d")));
}

TEST(Folders, PathExistsTellsFilesFromFolders) {
    Scratch scratch;
    WriteAll(scratch.PathOf("file.txt"), "x");
    bool is_folder = true;
    EXPECT_TRUE(support::PathExists(scratch.PathOf("file.txt").c_str(), &is_folder));
    EXPECT_FALSE(is_folder);
    std::string folder = scratch.Folder();
    folder.pop_back();
    EXPECT_TRUE(support::PathExists(folder.c_str(), &is_folder));
    EXPECT_TRUE(is_folder);
    EXPECT_FALSE(support::PathExists(scratch.PathOf("missing").c_str(), &is_folder));
    EXPECT_FALSE(is_folder);
    // A path ending in a backslash is reported as not existing.
    EXPECT_FALSE(support::PathExists(scratch.Folder().c_str()));
}

TEST(Folders, DeleteFolderContentsLeavesOnlyTheFolder) {
    Scratch scratch;
    support::CreateFolderPath(scratch.PathOf("x\\y\\z").c_str());
    WriteAll(scratch.PathOf("x\\top.txt"), "1");
    WriteAll(scratch.PathOf("x\\y\\mid.txt"), "2");
    WriteAll(scratch.PathOf("x\\y\\z\\deep.txt"), "3");
    support::DeleteFolderContents(scratch.PathOf("x").c_str());
    EXPECT_TRUE(IsFolder(scratch.PathOf("x")));
    support::FileFinder finder("*.*", scratch.PathOf("x").c_str());
    EXPECT_FALSE(finder.Next());
}

TEST(Folders, DeleteFolderContentsRefusesShortTexts) {
    Scratch scratch;
    WriteAll(scratch.PathOf("keep.txt"), "k");
    // "." and short relative texts would otherwise mean "here".
    support::DeleteFolderContents(".");
    support::DeleteFolderContents("C:\\");
    EXPECT_TRUE(FileExists(scratch.PathOf("keep.txt")));
}

TEST(Folders, FinderSkipsDotEntriesAndFindsEverything) {
    Scratch scratch;
    WriteAll(scratch.PathOf("one.txt"), "1");
    WriteAll(scratch.PathOf("noext"), "2");
    support::CreateFolderPath(scratch.PathOf("sub").c_str());
    support::FileFinder finder("*.*", scratch.Folder().c_str());
    int files = 0;
    int folders = 0;
    while (finder.Next()) {
        (finder.IsFolder() ? folders : files)++;
        EXPECT_EQ(0u, std::string(finder.ItemPath()).find(scratch.Folder()));
    }
    EXPECT_EQ(2, files);
    EXPECT_EQ(1, folders);
}

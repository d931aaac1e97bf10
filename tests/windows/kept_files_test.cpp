// What an install about to start lists as found in place, read from the
// records beside its own: a project's earlier list carries over, another
// project's files are that project's own unless its list keeps them, and
// only an earlier install that kept a list counted its shared files.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support_lib/scratch.h"
#include "support/win32_values.h"
#include "uninstall/kept_files.h"

using testing_support::Scratch;
using testing_support::WriteAll;

namespace {

std::vector<std::string> Items(const support::StringList& list) {
    std::vector<std::string> items;
    for (int32_t i = 0; i < list.Count(); ++i) {
        items.push_back(list.At(i));
    }
    return items;
}

std::string CopyFiles(const std::vector<std::string>& targets) {
    std::string text;
    for (const std::string& target : targets) {
        text += "[CopyFile]\r\nentry\r\n" + target + "\r\n";
    }
    return text;
}

class KeptFiles : public ::testing::Test {
  protected:
    std::string File(const char* name) const { return files_.PathOf(name); }
    std::string Record(const char* project) const {
        return records_.PathOf(std::string("VornakUninstall-") + project + ".dat");
    }
    std::string List(const char* project) const {
        return records_.PathOf(std::string("VornakUninstall-") + project + ".kept");
    }
    void Read(uninstall::InstallOwnership* ownership) const {
        uninstall::ReadInstallOwnership(script_.c_str(), Record("Demo").c_str(), ownership);
    }

    Scratch records_;
    Scratch files_;
    std::string script_ = records_.PathOf("setup.dat");
};

}  // namespace

TEST_F(KeptFiles, AReinstallKeepsWhatItKeptAndOwnsWhatItInstalled) {
    for (const char* name : {"own", "kept", "theirs", "theirs-kept", "stranger"}) {
        ASSERT_TRUE(WriteAll(File(name), name));
    }
    ASSERT_TRUE(WriteAll(Record("Demo"), CopyFiles({File("own"), File("kept"), File("gone")})));
    ASSERT_TRUE(WriteAll(List("Demo"), File("KEPT") + "\r\n"));
    ASSERT_TRUE(WriteAll(Record("Other"), CopyFiles({File("theirs"), File("theirs-kept")})));
    ASSERT_TRUE(WriteAll(List("Other"), File("theirs-kept") + "\r\n"));
    ASSERT_TRUE(
        WriteAll(script_, CopyFiles({File("own"), File("kept"), File("theirs"), File("theirs-kept"),
                                     File("stranger"), File("absent"), File("stranger")})));

    uninstall::InstallOwnership ownership;
    Read(&ownership);
    EXPECT_EQ(7, ownership.targets.Count());
    EXPECT_EQ((std::vector<std::string>{File("kept"), File("theirs-kept"), File("stranger")}),
              Items(ownership.kept));
    EXPECT_EQ((std::vector<std::string>{File("own"), File("kept"), File("gone")}),
              Items(ownership.counted_before));

    // An earlier install without a list owned all it listed and counted none.
    ASSERT_TRUE(DeleteFileA(List("Demo").c_str()));
    uninstall::InstallOwnership older;
    Read(&older);
    EXPECT_EQ((std::vector<std::string>{File("theirs-kept"), File("stranger")}), Items(older.kept));
    EXPECT_EQ(0, older.counted_before.Count());
}

TEST(KeptFilesPath, TakesThePlaceOfTheRecordsSuffix) {
    char path[support::kMaxPath];
    ASSERT_TRUE(uninstall::KeptFilesPath("C:\\W\\VornakUninstall-A.DAT", path));
    EXPECT_STREQ("C:\\W\\VornakUninstall-A.kept", path);
    EXPECT_FALSE(uninstall::KeptFilesPath("C:\\W\\VornakUninstall-A.bmp", path));
    EXPECT_FALSE(uninstall::KeptFilesPath("at", path));
}

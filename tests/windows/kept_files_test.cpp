// What an install about to start notes as found in place, read from the
// records beside its own: what a project's earlier install kept stays kept,
// another project's files are that project's own unless its notes keep
// them, the counts the earlier install still holds carry over, and a target
// that appears after the record was written is noted when it is met.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support_lib/scratch.h"
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
    const std::string notes = "\r\n\r\n\r\n\r\n\r\n[Install Notes]\r\n";
    ASSERT_TRUE(WriteAll(Record("Demo"), CopyFiles({File("own"), File("kept"), File("gone")}) +
                                             notes + "Kept " + File("KEPT") + "\r\nCounted " +
                                             File("own") + "\r\nCounted " + File("gone") +
                                             "\r\nReleased " + File("gone") + "\r\n"));
    ASSERT_TRUE(WriteAll(Record("Other"), CopyFiles({File("theirs"), File("theirs-kept")}) + notes +
                                              "Kept " + File("theirs-kept") + "\r\n"));
    ASSERT_TRUE(
        WriteAll(script_, CopyFiles({File("own"), File("kept"), File("theirs"), File("theirs-kept"),
                                     File("stranger"), File("absent"), File("stranger")})));

    uninstall::InstallOwnership ownership;
    Read(&ownership);
    EXPECT_EQ(7, ownership.targets.Count());
    EXPECT_EQ((std::vector<std::string>{File("kept"), File("theirs-kept"), File("stranger")}),
              Items(ownership.notes.kept));
    EXPECT_EQ((std::vector<std::string>{File("own")}), Items(ownership.notes.counted));

    // The target that was absent is put there by a program the script runs
    // before its [CopyFile]: it is not ours. What this run writes is.
    EXPECT_FALSE(uninstall::IsFoundInPlace(ownership, File("absent").c_str()));
    ASSERT_TRUE(WriteAll(File("absent"), "a redistributable's"));
    EXPECT_TRUE(uninstall::IsFoundInPlace(ownership, File("absent").c_str()));
    ownership.own.AppendCopy(File("absent").c_str());
    EXPECT_FALSE(uninstall::IsFoundInPlace(ownership, File("ABSENT").c_str()));

    // An earlier install without notes owned all it listed and counted none.
    ASSERT_TRUE(WriteAll(Record("Demo"), CopyFiles({File("own"), File("kept"), File("gone")})));
    uninstall::InstallOwnership older;
    Read(&older);
    EXPECT_EQ((std::vector<std::string>{File("theirs-kept"), File("stranger"), File("absent")}),
              Items(older.notes.kept));
    EXPECT_EQ(0, older.notes.counted.Count());
}

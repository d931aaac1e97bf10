// The uninstall record's copy of the script: every line as read, with the
// folder actually used in place of the proposed one.
#include <gtest/gtest.h>

#include <string>

#include "tests/support_lib/scratch.h"
#include "uninstall/uninstall_record.h"

using testing_support::ReadAll;
using testing_support::Scratch;
using testing_support::WriteAll;

namespace {

std::string Copy(const std::string& script, const char* folder) {
    Scratch scratch;
    WriteAll(scratch.PathOf("setup.dat"), script);
    EXPECT_TRUE(uninstall::CopyScriptIntoRecord(scratch.PathOf("setup.dat").c_str(),
                                                scratch.PathOf("record.dat").c_str(), folder));
    return ReadAll(scratch.PathOf("record.dat"));
}

}  // namespace

TEST(UninstallRecordCopy, ChosenFolderReplacesTheProposedOne) {
    EXPECT_EQ("[Project Name]\r\nDemo\r\n\r\n[Install To]\r\nD:\\Apps\\Demo\r\n\r\n[CopyFile]\r\n",
              Copy("[Project Name]\r\nDemo\r\n\r\n[Install To]\r\n<Program Files>\\Demo\r\n\r\n"
                   "[CopyFile]",
                   "D:\\Apps\\Demo"));
}

TEST(UninstallRecordCopy, ScriptWithoutInstallToIsCopiedLineByLine) {
    // A lone LF is part of its line; the last line gains its CR LF.
    EXPECT_EQ("a\r\n\r\nb\nc\r\n", Copy("a\r\n\r\nb\nc", "X"));
}

TEST(UninstallRecordCopy, EveryInstallToGetsTheFolder) {
    EXPECT_EQ("[Install To]\r\nF\r\n[Install To]\r\nF\r\n",
              Copy("[Install To]\r\none\r\n[Install To]\r\n", "F"));
}

TEST(UninstallRecordCopy, MissingScriptWritesNothing) {
    Scratch scratch;
    EXPECT_FALSE(uninstall::CopyScriptIntoRecord(scratch.PathOf("absent.dat").c_str(),
                                                 scratch.PathOf("record.dat").c_str(), "F"));
    EXPECT_FALSE(testing_support::FileExists(scratch.PathOf("record.dat")));
}

TEST(UninstallRecordName, NamesThatLeaveTheSystemFolderDoNotFit) {
    for (const char* name : {"Demo", "My App 2.0", "a.b", "", "Tool."}) {
        EXPECT_TRUE(uninstall::ProjectNameFitsRecord(name)) << name;
    }
    for (const char* name : {"..", "..\\..\\Users\\Evil", "a\\b", "a/b", "C:x", "Demo..2"}) {
        EXPECT_FALSE(uninstall::ProjectNameFitsRecord(name)) << name;
    }
}

// The uninstall record's copy of the script: every line as read, with the
// folder actually used in place of the proposed one, and the install's notes
// after it, read back whatever the script holds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/setup_script.h"
#include "support/text.h"
#include "tests/support_lib/scratch.h"
#include "support/program_text.h"
#include "uninstall/install_notes.h"
#include "uninstall/uninstall_record.h"

using testing_support::ReadAll;
using testing_support::Scratch;
using testing_support::WriteAll;

namespace {

// What a record without notes ends with.
const std::string kNoNotes = "\r\n\r\n\r\n\r\n\r\n[Install Notes]\r\n";

std::string Copy(const std::string& script, const char* folder) {
    Scratch scratch;
    WriteAll(scratch.PathOf("setup.dat"), script);
    uninstall::InstallNotes none;
    EXPECT_TRUE(uninstall::CopyScriptIntoRecord(
        scratch.PathOf("setup.dat").c_str(), scratch.PathOf("record.dat").c_str(), folder, none));
    // A record of UTF-8 program text begins with the signature; one of the
    // system's code page (a Windows test program has no UTF-8 manifest)
    // has none, as before.
    std::string record = ReadAll(scratch.PathOf("record.dat"));
    if (!support::ProgramTextIsUtf8()) {
        return record;
    }
    EXPECT_EQ(support::kUtf8Signature, record.substr(0, 3));
    return record.substr(3);
}

std::vector<std::string> Items(const support::StringList& list) {
    std::vector<std::string> items;
    for (int32_t i = 0; i < list.Count(); ++i) {
        items.push_back(list.At(i));
    }
    return items;
}

}  // namespace

TEST(UninstallRecordCopy, ChosenFolderReplacesTheProposedOne) {
    EXPECT_EQ("[Project Name]\r\nDemo\r\n\r\n[Install To]\r\nD:\\Apps\\Demo\r\n\r\n[CopyFile]\r\n" +
                  kNoNotes,
              Copy("[Project Name]\r\nDemo\r\n\r\n[Install To]\r\n<Program Files>\\Demo\r\n\r\n"
                   "[CopyFile]",
                   "D:\\Apps\\Demo"));
}

TEST(UninstallRecordCopy, ScriptWithoutInstallToIsCopiedLineByLine) {
    // A lone LF is part of its line; the last line gains its CR LF.
    EXPECT_EQ("a\r\n\r\nb\nc\r\n" + kNoNotes, Copy("a\r\n\r\nb\nc", "X"));
}

TEST(UninstallRecordCopy, EveryInstallToGetsTheFolder) {
    EXPECT_EQ("[Install To]\r\nF\r\n[Install To]\r\nF\r\n" + kNoNotes,
              Copy("[Install To]\r\none\r\n[Install To]\r\n", "F"));
}

TEST(UninstallRecordCopy, MissingScriptWritesNothing) {
    Scratch scratch;
    uninstall::InstallNotes none;
    EXPECT_FALSE(uninstall::CopyScriptIntoRecord(scratch.PathOf("absent.dat").c_str(),
                                                 scratch.PathOf("record.dat").c_str(), "F", none));
    EXPECT_FALSE(testing_support::FileExists(scratch.PathOf("record.dat")));
}

TEST(UninstallRecordCopy, NotesComeBackAsWrittenAndAppendedWhateverTheScriptHolds) {
    // A script that notes a file of its own, and whose last section is
    // unfinished: neither may change what the notes say or what the
    // record's sections read.
    Scratch scratch;
    WriteAll(scratch.PathOf("setup.dat"),
             "[Install Notes]\r\nKept C:\\Windows\\evil.dll\r\n[CopyFile]\r\nlast.txt");
    uninstall::InstallNotes notes;
    support::CopyText(notes.user_folders[0], "C:\\Users\\Ann\\Desktop");
    notes.kept.AppendCopy("C:\\App\\kept.dll");
    notes.counted.AppendCopy("C:\\Windows\\System32\\shared.dll");
    std::string record = scratch.PathOf("record.dat");
    ASSERT_TRUE(uninstall::CopyScriptIntoRecord(scratch.PathOf("setup.dat").c_str(), record.c_str(),
                                                "F", notes));
    ASSERT_TRUE(uninstall::AppendNote(record.c_str(), uninstall::kKeptNote, "C:\\App\\late.txt"));
    ASSERT_TRUE(uninstall::AppendNote(record.c_str(), uninstall::kReleasedNote,
                                      "C:\\Windows\\System32\\shared.dll"));

    uninstall::InstallNotes read;
    ASSERT_TRUE(uninstall::ReadInstallNotes(record.c_str(), &read));
    EXPECT_STREQ("C:\\Users\\Ann\\Desktop", read.user_folders[0]);
    EXPECT_STREQ("", read.user_folders[1]);
    EXPECT_EQ((std::vector<std::string>{"C:\\App\\kept.dll", "C:\\App\\late.txt"}),
              Items(read.kept));
    EXPECT_FALSE(uninstall::HoldsCount(read, "C:\\Windows\\System32\\shared.dll"));
    script::SetupScript sections(record.c_str());
    script::SectionValues values;
    while (sections.NextLine()) {
        if (sections.ReadSectionAt(script::kCopyFileHead, &values)) {
            EXPECT_STREQ("", values.Line(1)) << "the unfinished section reads no note";
        }
    }
    // A record from before there were notes.
    WriteAll(record, "[CopyFile]\r\na\r\nC:\\A\\a.txt\r\n");
    EXPECT_FALSE(uninstall::ReadInstallNotes(record.c_str(), &read));
}

TEST(UninstallRecordName, NamesThatLeaveTheSystemFolderDoNotFit) {
    for (const char* name : {"Demo", "My App 2.0", "a.b", "", "Tool."}) {
        EXPECT_TRUE(uninstall::ProjectNameFitsRecord(name)) << name;
    }
    for (const char* name : {"..", "..\\..\\Users\\Evil", "a\\b", "a/b", "C:x", "Demo..2"}) {
        EXPECT_FALSE(uninstall::ProjectNameFitsRecord(name)) << name;
    }
}

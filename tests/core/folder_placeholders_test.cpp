// Folder placeholders: every token and occurrence, the trailing backslash of
// values, the doubled-backslash merge, values that hold their own token,
// results that would not fit, and "<Source>" only inside an install job.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/win32_values.h"
#include "session/install_session.h"
#include "session/install_job.h"
#include "archive/pack_mode.h"
#include "script/folder_placeholders.h"
#include "support/text.h"
#include "tests/support_lib/destination_folder.h"
#include "tests/support_lib/lent_session.h"
#include "tests/support_lib/message_capture.h"
#include "tests/support_lib/scratch.h"

using script::ExpandWithValues;
using script::kPlaceholderCount;
using script::PlaceholderValues;
using testing_support::DestinationFolderSwap;
using testing_support::Scratch;
using testing_support::WriteAll;

namespace {

const char* const kSampleFolders[kPlaceholderCount] = {
    "C:\\WINDOWS\\SYSTEM32", "C:\\WINDOWS",  "D:\\Apps\\Tool", "C:\\Program Files",
    "S:\\Startup",           "P:\\Programs", "K:\\Desk",       "T:\\QZT1\\",
};

PlaceholderValues SampleValues() {
    PlaceholderValues values;
    for (int row = 0; row < kPlaceholderCount; ++row) {
        support::CopyText(values.text[row], kSampleFolders[row]);
        values.present[row] = true;
    }
    return values;
}

// Expands text in a buffer of capacity bytes inside a guarded block, and
// checks that nothing past the buffer was touched.
std::string Expand(const std::string& text, PlaceholderValues values = SampleValues(),
                   size_t capacity = 260) {
    std::vector<char> block(capacity + 32, '#');
    support::CopyText(block.data(), capacity, text.c_str());
    ExpandWithValues(block.data(), capacity, &values);
    EXPECT_EQ(std::string(32, '#'), std::string(block.begin() + capacity, block.end()));
    return block.data();
}

std::string Merge(std::string text) {
    script::MergeDoubledBackslashes(&text[0]);
    return text.c_str();
}

}  // namespace

TEST(FolderPlaceholders, EveryTokenTakesItsRowValueWithABackslash) {
    for (int row = 0; row < kPlaceholderCount; ++row) {
        std::string folder = kSampleFolders[row];
        if (folder.back() != '\\') {
            folder += '\\';
        }
        EXPECT_EQ(folder + "name", Expand(std::string(script::kPlaceholderTokens[row]) + "\\name"));
        EXPECT_EQ(folder, Expand(script::kPlaceholderTokens[row]));
    }
}

TEST(FolderPlaceholders, EveryOccurrenceIsReplaced) {
    EXPECT_EQ("D:\\Apps\\Tool\\a;D:\\Apps\\Tool\\b;C:\\WINDOWS\\c",
              Expand("<Destination>\\a;<Destination>\\b;<Windows>\\c"));
}

TEST(FolderPlaceholders, OnlyExactTokensAreReplaced) {
    for (const char* text : {"<Desktop>\\a", "<destination>\\a", "<TempInstall>\\a",
                             "<Destination\\a", "Destination>\\a", "plain text"}) {
        EXPECT_EQ(text, Expand(text));
    }
}

TEST(FolderPlaceholders, AnEmptyValueRemovesItsToken) {
    PlaceholderValues values = SampleValues();
    values.text[3][0] = '\0';
    EXPECT_EQ("\\X", Expand("<Program Files>\\X", values));
}

TEST(FolderPlaceholders, AnAbsentRowLeavesItsTokenAsWritten) {
    PlaceholderValues values = SampleValues();
    values.present[7] = false;
    EXPECT_EQ("<Source>\\setup.exe", Expand("<Source>\\setup.exe", values));
}

TEST(FolderPlaceholders, AValueHoldingItsOwnTokenIsInsertedOnce) {
    PlaceholderValues values = SampleValues();
    support::CopyText(values.text[2], "C:\\<Destination>");
    EXPECT_EQ("C:\\<Destination>\\a;C:\\<Destination>\\b",
              Expand("<Destination>\\a;<Destination>\\b", values));
    support::CopyText(values.text[2], "<Destination>");
    EXPECT_EQ("<Destination>\\a", Expand("<Destination>\\a", values));
}

TEST(FolderPlaceholders, AReplacementThatWouldNotFitIsNotMade) {
    PlaceholderValues values = SampleValues();
    std::string long_folder(245, 'f');
    support::CopyText(values.text[2], long_folder.c_str());
    // 246 + 13 = 259 characters fit exactly; one more does not.
    EXPECT_EQ(long_folder + "\\" + std::string(13, 'n'),
              Expand("<Destination>" + std::string(13, 'n'), values));
    EXPECT_EQ("<Destination>" + std::string(14, 'n'),
              Expand("<Destination>" + std::string(14, 'n'), values));
    // The first occurrence fits, the second is left.
    support::CopyText(values.text[2], std::string(230, 'f').c_str());
    EXPECT_EQ(std::string(230, 'f') + "\\<Destination>",
              Expand("<Destination>\\<Destination>", values));
}

TEST(FolderPlaceholders, ALargerBufferTakesALongerResult) {
    std::string text = std::string(600, 'x') + "<Destination>";
    EXPECT_EQ(std::string(600, 'x') + "D:\\Apps\\Tool\\", Expand(text, SampleValues(), 1001));
}

TEST(FolderPlaceholders, MergeHalvesBackslashRunsFromTheThirdCharacter) {
    EXPECT_EQ("ab\\c", Merge("ab\\\\c"));
    EXPECT_EQ("ab\\\\c", Merge("ab\\\\\\c"));
    EXPECT_EQ("ab\\\\c", Merge("ab\\\\\\\\c"));
    EXPECT_EQ("ab\\\\\\c", Merge("ab\\\\\\\\\\c"));
    EXPECT_EQ("abc\\", Merge("abc\\\\"));
}

TEST(FolderPlaceholders, MergeLeavesTheFirstTwoCharactersAlone) {
    EXPECT_EQ("\\\\server\\share\\x", Merge("\\\\server\\share\\\\x"));
    EXPECT_EQ("\\\\", Merge("\\\\"));
    EXPECT_EQ("a\\\\b", Merge("a\\\\b"));
    EXPECT_EQ("\\\\\\x", Merge("\\\\\\x"));
    EXPECT_EQ("", Merge(""));
}

TEST(FolderPlaceholders, TextWithoutTokensIsOnlyMerged) {
    EXPECT_EQ("C:\\a\\b", Expand("C:\\a\\\\b"));
    EXPECT_EQ("\\\\server\\share", Expand("\\\\server\\share"));
}

TEST(FolderPlaceholders, DestinationComesFromTheInstallFolder) {
    DestinationFolderSwap destination("D:\\Apps\\Tool");
    char text[support::kMaxPath] = "<Destination>\\Images\\a.gif";
    script::ExpandFolderPlaceholders(text);
    EXPECT_STREQ("D:\\Apps\\Tool\\Images\\a.gif", text);
}

// The expansion asks only for the values whose token it meets; the result
// must be what expanding with every value read up front gives, including a
// token that an earlier value brings into the text.
TEST(FolderPlaceholders, AskingOnlyForTokensMetGivesTheSameAsReadingEveryValue) {
    const char* const destinations[] = {"D:\\Apps\\Tool", "D:\\<DeskTop>\\Tool", "<System>",
                                        "E:\\<Destination>"};
    const char* const texts[] = {"<Destination>\\a.gif", "<System>\\<Destination>\\b",
                                 "<DeskTop><Destination><Source>", "plain\\\\path", ""};
    for (const char* destination : destinations) {
        DestinationFolderSwap swap(destination);
        for (const char* text : texts) {
            char lazily[support::kMaxPath];
            char eagerly[support::kMaxPath];
            support::CopyText(lazily, text);
            support::CopyText(eagerly, text);
            script::ExpandFolderPlaceholders(lazily);
            PlaceholderValues values;
            script::ReadPlaceholderValues(&values);
            script::ExpandWithValues(eagerly, sizeof eagerly, &values);
            EXPECT_STREQ(eagerly, lazily) << destination << " / " << text;
        }
    }
}

TEST(FolderPlaceholders, SourceIsTheJobFolderOnlyWhileAJobExists) {
    testing_support::LentSession session;
    char text[support::kMaxPath] = "<Source>\\setup.exe";
    script::ExpandFolderPlaceholders(text);
    EXPECT_STREQ("<Source>\\setup.exe", text);

    Scratch scratch;
    testing_support::MessageCapture capture;
    std::string package = scratch.PathOf("package.exe");
    WriteAll(package, "MZ stub");
    WriteAll(scratch.PathOf("setup.dat"), "[Project Name]\r\nx\r\n");
    char entry[support::kMaxPath];
    archive::PackFile(scratch.PathOf("setup.dat").c_str(), package.c_str(), entry);
    session->job = std::make_unique<session::InstallJob>(package.c_str());
    ASSERT_FALSE(session->job->Corrupted());
    char folder[support::kMaxPath];
    session->job->FolderPath(folder);

    script::ExpandFolderPlaceholders(text);
    EXPECT_EQ(std::string(folder) + "setup.exe", text);
}

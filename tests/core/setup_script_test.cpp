// The shared reading rules of the setup script: whole-line heads, values
// read unconditionally with their limits, the optional-item prefix,
// [Message] texts and kinds, and [Registry] numbers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/setup_script.h"
#include "support/program_text.h"
#include "support/win32_values.h"
#include "tests/support_lib/message_capture.h"
#include "tests/support_lib/scratch.h"

using script::SetupScript;
using testing_support::MessageCapture;
using testing_support::Scratch;
using testing_support::WriteAll;

namespace {

// Writes content as a script and keeps it for the test's lifetime.
class ScriptFile {
  public:
    explicit ScriptFile(const std::string& content) : path_(scratch_.PathOf("setup.dat")) {
        WriteAll(path_, content);
    }
    const char* Path() const { return path_.c_str(); }

  private:
    Scratch scratch_;
    std::string path_;
};

// Every line NextLine yields, in order.
std::vector<std::string> AllLines(SetupScript& script) {
    std::vector<std::string> lines;
    while (script.NextLine()) {
        lines.push_back(script.Line());
    }
    return lines;
}

std::string Unescape(std::string text) {
    script::UnescapeMessageText(&text[0]);
    return text;
}

}  // namespace

TEST(SetupScript, HeadsAreWholeLinesInTheirOwnLetterCase) {
    ScriptFile file("[CopyFile] \r\n[copyfile]\r\n [CopyFile]\r\n[CopyFile]\r\nx\r\n[CopyFile]");
    SetupScript script(file.Path());
    EXPECT_EQ(2, script.CountHeads(script::kCopyFileHead));
    // Counting starts the script again from its first line.
    ASSERT_TRUE(script.NextLine());
    EXPECT_STREQ("[CopyFile] ", script.Line());
    EXPECT_FALSE(script.AtHead(script::kCopyFileHead));
}

TEST(SetupScript, AScriptWithLfLineEndsHasNoHeads) {
    ScriptFile lf("[Project Name]\nA\n[InstallContainer]\n");
    EXPECT_FALSE(script::ScriptHasHead(lf.Path(), script::kInstallContainerHead));
    ScriptFile crlf("[Project Name]\r\nA\r\n[InstallContainer]\r\n");
    EXPECT_TRUE(script::ScriptHasHead(crlf.Path(), script::kInstallContainerHead));
}

TEST(SetupScript, ValueLinesAreReadWhateverTheyHold) {
    ScriptFile file("[Action]\r\n[CopyFile]\r\n[CopyFile]\r\n\r\nb\r\n");
    SetupScript script(file.Path());
    ASSERT_TRUE(script.NextLine());
    ASSERT_TRUE(script.AtHead(script::kActionHead));
    char value[script::kValueLineLimit + 1];
    script.ReadValue(value, script::kValueLineLimit);
    EXPECT_STREQ("[CopyFile]", value);
    ASSERT_TRUE(script.NextLine());
    ASSERT_TRUE(script.AtHead(script::kCopyFileHead));
    script.ReadValue(value, script::kValueLineLimit);
    EXPECT_STREQ("", value);
    script.ReadValue(value, script::kValueLineLimit);
    EXPECT_STREQ("b", value);
    // Past the end a value is empty.
    script.ReadValue(value, script::kValueLineLimit);
    EXPECT_STREQ("", value);
    EXPECT_FALSE(script.NextLine());
}

TEST(SetupScript, HeadLinesTakeAThousandCharactersAndTheRestIsTheNextLine) {
    std::string long_line(1005, 'h');
    ScriptFile file(long_line + "\r\n[Message]\r\n");
    SetupScript script(file.Path());
    EXPECT_EQ((std::vector<std::string>{std::string(1000, 'h'), "hhhhh", "[Message]"}),
              AllLines(script));
}

// What the signature changes: the script is UTF-8, its limits count
// characters (a line never ends inside one), and CountHeads starts again
// past the signature. Without it the bytes are the system's code page,
// Windows-1252 here, and reach the program as UTF-8 of the same letters.
TEST(SetupScript, TheSignatureMakesAScriptUtf8AndItsLimitsCountCharacters) {
    if (!support::ProgramTextIsUtf8()) {
        GTEST_SKIP() << "this test program's text is the system's code page";
    }
    const std::string omega = "\xCE\xA9";         // two bytes
    const std::string grin = "\xF0\x9F\x98\x80";  // four bytes
    ScriptFile utf8("\xEF\xBB\xBF[Project Name]\r\n" + std::string(999, 'a') + grin + omega +
                    "\r\n[Project Name]\r\n");
    SetupScript script(utf8.Path());
    EXPECT_TRUE(script.IsUtf8());
    EXPECT_EQ(2, script.CountHeads("[Project Name]"));
    EXPECT_EQ((std::vector<std::string>{"[Project Name]", std::string(999, 'a') + grin, omega,
                                        "[Project Name]"}),
              AllLines(script));

    ScriptFile legacy("Caf\xE9 \x80\r\n\xEF\xBB\xBF\r\n");
    SetupScript old(legacy.Path());
    EXPECT_FALSE(old.IsUtf8());
    EXPECT_EQ((std::vector<std::string>{"Caf\xC3\xA9 \xE2\x82\xAC", "\xC3\xAF\xC2\xBB\xC2\xBF"}),
              AllLines(old));
}

TEST(SetupScript, RegistryLinesTakeTheirOwnLimits) {
    // Each line in turn is made two characters too long: the field keeps
    // exactly its limit and the two characters become the next field.
    const uint32_t limits[] = {1000, 260, 1000, 260, 1000};
    for (int longer = 0; longer < 5; ++longer) {
        std::string content = "[Registry]\r\n";
        for (int line = 0; line < 5; ++line) {
            content += line == longer ? std::string(limits[line], 'x') + "yy" : "v";
            content += "\r\n";
        }
        ScriptFile file(content);
        SetupScript script(file.Path());
        ASSERT_TRUE(script.NextLine());
        script::RegistryItem item;
        script::ReadRegistryItem(script, &item);
        const char* fields[] = {item.root, item.key, item.type, item.name, item.data};
        EXPECT_EQ(std::string(limits[longer], 'x'), fields[longer]) << "line " << longer;
        if (longer < 4) {
            EXPECT_STREQ("yy", fields[longer + 1]) << "line " << longer;
        }
    }
}

TEST(SetupScript, AValueLineTooLongShiftsTheLaterLinesOfItsSection) {
    ScriptFile file("[Registry]\r\nHKCU\r\n" + std::string(263, 'k') +
                    "\r\nSTRING\r\nname\r\ndata\r\n");
    SetupScript script(file.Path());
    ASSERT_TRUE(script.NextLine());
    script::RegistryItem item;
    script::ReadRegistryItem(script, &item);
    EXPECT_EQ(std::string(260, 'k'), item.key);
    EXPECT_STREQ("kkk", item.type);
    EXPECT_STREQ("STRING", item.name);
    EXPECT_STREQ("name", item.data);
    ASSERT_TRUE(script.NextLine());
    EXPECT_STREQ("data", script.Line());
}

TEST(SetupScript, AMissingScriptReadsAsEmptyWithoutAMessage) {
    MessageCapture capture;
    Scratch scratch;
    SetupScript script(scratch.PathOf("missing.dat").c_str());
    EXPECT_FALSE(script.IsOpen());
    EXPECT_EQ(0, script.CountHeads(script::kCopyFileHead));
    EXPECT_FALSE(script.NextLine());
    EXPECT_FALSE(script::ScriptHasHead(scratch.PathOf("missing.dat").c_str(),
                                       script::kInstallContainerHead));
    EXPECT_TRUE(capture.Messages().empty());
}

TEST(SetupScript, OnlyTheExactPrefixMarksAnOptionalItem) {
    EXPECT_STREQ("Start Sample Tool now",
                 script::OptionalCaption("Optional - Start Sample Tool now"));
    EXPECT_STREQ("", script::OptionalCaption("Optional - "));
    EXPECT_EQ(nullptr, script::OptionalCaption("Optional -"));
    EXPECT_EQ(nullptr, script::OptionalCaption("Optional -Start"));
    EXPECT_EQ(nullptr, script::OptionalCaption("optional - Start"));
    EXPECT_EQ(nullptr, script::OptionalCaption(" Optional - Start"));
    EXPECT_EQ(nullptr, script::OptionalCaption(""));
}

TEST(SetupScript, OnlyBackslashLowerNIsAnEscape) {
    EXPECT_EQ("Setup is complete.\r\nThank you.", Unescape("Setup is complete.\\nThank you."));
    EXPECT_EQ("a\\tb\\Nc\\", Unescape("a\\tb\\Nc\\"));
    EXPECT_EQ("\\\r\n", Unescape("\\\\n"));
    EXPECT_EQ("\r\n\r\n", Unescape("\\n\\n"));
}

TEST(SetupScript, MessageKindsChooseTheIcon) {
    EXPECT_EQ(support::kMbIconError, script::MessageIconFlag("Error"));
    EXPECT_EQ(support::kMbIconQuestion, script::MessageIconFlag("Question"));
    EXPECT_EQ(support::kMbIconWarning, script::MessageIconFlag("Warning"));
    EXPECT_EQ(support::kMbIconInformation, script::MessageIconFlag("Information"));
    EXPECT_EQ(0u, script::MessageIconFlag("error"));
    EXPECT_EQ(0u, script::MessageIconFlag("Information "));
    EXPECT_EQ(0u, script::MessageIconFlag(""));
}

TEST(SetupScript, AMessageIsShownTopMostWithTheInstallerTitle) {
    MessageCapture capture;
    char text[] = "Done.\\nBye.";
    script::ShowScriptMessage(text, "Question");
    ASSERT_EQ(1u, capture.Messages().size());
    EXPECT_EQ("Done.\r\nBye.", capture.Messages()[0].text);
    EXPECT_EQ("Installer", capture.Messages()[0].caption);
    EXPECT_EQ(support::kMbOk | support::kMbIconQuestion | support::kMbTopmost,
              capture.Messages()[0].flags);
}

TEST(SetupScript, RegistryNumbersAreSignedDecimalsClampedToThirtyTwoBits) {
    struct Case {
        const char* data;
        uint32_t number;
    };
    const Case cases[] = {
        {"1", 1u},
        {"0x10", 0u},
        {"-1", 0xFFFFFFFFu},
        {"12abc", 12u},
        {"", 0u},
        {"-", 0u},
        {"abc", 0u},
        {" \t+42 ", 42u},
        {"2147483647", 0x7FFFFFFFu},
        {"4294967295", 0x7FFFFFFFu},
        {"99999999999999999999999999", 0x7FFFFFFFu},
        {"-2147483648", 0x80000000u},
        {"-2147483649", 0x80000000u},
        {"-99999999999999999999999999", 0x80000000u},
        {"1 2", 1u},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.number, script::RegistryNumber(c.data)) << '"' << c.data << '"';
    }
}

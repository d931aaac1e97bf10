// Names compared as the system compares them: a [CopyFile] name finds the
// entry packed with its accented letters in the other case, and the rules
// the Linux build uses for Windows-1252 give the system's answers.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/text.h"
#include "support/windows_1252.h"
#include "tests/support_lib/message_capture.h"
#include "tests/support_lib/scratch.h"
#include "tests/windows/action_fixtures.h"

namespace {

// The pairs below are letters of Windows-1252; another code page pairs
// other bytes.
bool RunsInWindows1252() {
    return GetACP() == 1252;
}

std::string Hex(const std::string& text) {
    std::string hex;
    for (unsigned char byte : text) {
        char digits[4];
        wsprintfA(digits, "%02X ", byte);
        hex += digits;
    }
    return hex;
}

// Both comparisons of the Windows build's code against lstrcmpiA itself.
void ExpectTheSystemsAnswer(const std::string& a, const std::string& b) {
    bool system = lstrcmpiA(a.c_str(), b.c_str()) == 0;
    EXPECT_EQ(system, support::EqualsIgnoringCase(a.c_str(), b.c_str()))
        << Hex(a) << "| " << Hex(b);
    EXPECT_EQ(system, support::EqualsIgnoringCaseWindows1252(a.c_str(), b.c_str()))
        << Hex(a) << "| " << Hex(b);
}

}  // namespace

TEST(NameCompare, ACopyFileNameFindsItsEntryWhateverTheCaseOfItsAccentedLetters) {
    if (!RunsInWindows1252()) {
        GTEST_SKIP() << "code page " << GetACP();
    }
    testing_support::Scratch scratch;
    testing_support::MessageCapture capture;
    std::string packed = scratch.PathOf("R\xC9SUM\xC9.TXT");
    ASSERT_TRUE(testing_support::WriteAll(packed, "curriculum"));
    testing_support::CurrentTestJob job({packed});
    testing_support::InstallResult result =
        testing_support::Install("r\xE9sum\xE9.txt", scratch.PathOf("out\\r\xE9sum\xE9.txt"));
    EXPECT_FALSE(result.abort);
    EXPECT_EQ("curriculum", testing_support::ReadAll(result.target));
    EXPECT_TRUE(capture.Messages().empty());
}

TEST(NameCompare, TheLinuxRulesForWindows1252AreTheSystemsAnswers) {
    if (!RunsInWindows1252()) {
        GTEST_SKIP() << "code page " << GetACP();
    }
    for (int a = 1; a < 256; ++a) {
        for (int b = 1; b < 256; ++b) {
            ExpectTheSystemsAnswer(std::string(1, static_cast<char>(a)),
                                   std::string(1, static_cast<char>(b)));
        }
        ExpectTheSystemsAnswer(std::string(1, static_cast<char>(a)), "");
    }
    // The letters that count as two, and nothing else that does.
    for (int byte = 0x80; byte < 256; ++byte) {
        std::string letter(1, static_cast<char>(byte));
        for (char first = 0x20; first < 0x7F; ++first) {
            for (char second = 0x20; second < 0x7F; ++second) {
                std::string pair = {first, second};
                ASSERT_EQ(lstrcmpiA(letter.c_str(), pair.c_str()) == 0,
                          support::EqualsIgnoringCaseWindows1252(letter.c_str(), pair.c_str()))
                    << Hex(letter) << "| " << pair;
            }
        }
    }
    for (const char* name : {"Stra\xDF"
                             "e.txt",
                             "STRASSE.TXT", "r\xE9sum\xE9.doc", "R\xC9SUM\xC9.DOC", "resume.doc",
                             "co-op.txt", "coop.txt", "soft\xADhyphen.txt", "SOFTHYPHEN.TXT",
                             "\xC6on.dll", "AEON.DLL", "setup.dat", "Setup.DAT"}) {
        for (const char* other : {"Stra\xDF"
                                  "e.txt",
                                  "STRASSE.TXT", "R\xC9SUM\xC9.DOC", "resume.doc", "coop.txt",
                                  "SOFTHYPHEN.TXT", "aeon.dll", "SETUP.DAT"}) {
            ExpectTheSystemsAnswer(name, other);
        }
    }
}

// The setup script linter: every rule against a script that breaks it and
// one that keeps it, with the line, the severity and the fix it reports.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/host/vornak_pack_fixture.h"
#include "tests/support_lib/scratch.h"
#include "packer/lint/script_lint.h"
#include "packer/lint/script_text.h"

using vornak_pack::Finding;
using vornak_pack::Severity;
using vornak_pack_testing::HostScratch;

namespace {

// A script that every rule passes, to which each test adds its lines.
const std::vector<std::string> kGood = {"[Project Name]",        "Demo", "", "[Install To]",
                                        "<Program Files>\\Demo", ""};

std::string Join(const std::vector<std::string>& lines, const char* end = "\r\n") {
    std::string text;
    for (const std::string& line : lines) {
        text += line + end;
    }
    return text;
}

std::vector<Finding> LintText(const std::string& bytes,
                              const std::vector<std::string>& folders = {}) {
    vornak_pack::ScriptText script;
    script.Parse(bytes);
    return vornak_pack::LintScript(script, folders);
}

// The findings for kGood followed by more lines (numbered from 7).
std::vector<Finding> LintWith(const std::vector<std::string>& more,
                              const std::vector<std::string>& folders = {}) {
    std::vector<std::string> lines = kGood;
    lines.insert(lines.end(), more.begin(), more.end());
    return LintText(Join(lines), folders);
}

std::string Describe(const std::vector<Finding>& findings) {
    std::string text;
    for (const Finding& finding : findings) {
        text += vornak_pack::FormatFinding("setup.dat", finding) + "\n";
    }
    return text;
}

// Exactly one finding, at line, of severity, whose text holds fix.
void ExpectOne(const std::vector<Finding>& findings, int line, Severity severity,
               const std::string& fix) {
    ASSERT_EQ(1u, findings.size()) << Describe(findings);
    EXPECT_EQ(line, findings[0].line) << Describe(findings);
    EXPECT_EQ(severity, findings[0].severity) << Describe(findings);
    EXPECT_NE(std::string::npos, findings[0].text.find(fix)) << Describe(findings);
}

void ExpectClean(const std::vector<Finding>& findings) {
    EXPECT_TRUE(findings.empty()) << Describe(findings);
}

constexpr Severity kError = Severity::kError;
constexpr Severity kWarning = Severity::kWarning;

}  // namespace

TEST(ScriptLint, LineEnds) {
    ExpectClean(LintText(Join(kGood)));
    std::string mixed = Join(kGood) + "[Action]\nInstalling\r\n";
    ExpectOne(LintText(mixed), 7, kError, "end it with CR LF");
    ExpectOne(LintText(Join(kGood, "\n")), 0, kError, "no CR LF line ends at all");
    ExpectOne(LintText(Join(kGood) + "[Action]\r\nInstal\rling\r\n"), 8, kError,
              "a CR inside the line");
    // The last line may end without CR LF.
    ExpectClean(LintText(Join(kGood) + "[Action]\r\nInstalling"));
}

TEST(ScriptLint, HeadsThatAreHeadsButForCaseOrSpaces) {
    ExpectOne(LintWith({"[copyfile]", "a.txt", "<Destination>\\a.txt"}), 7, kError,
              "write [CopyFile]");
    ExpectOne(LintWith({"[Action] ", "Installing"}), 7, kError, "write [Action]");
    ExpectOne(LintWith({" [Install  To]"}), 7, kError, "write [Install To]");
    ExpectClean(LintWith({"[Action]", "Installing"}));
}

TEST(ScriptLint, BracketedLinesNoReaderKnows) {
    ExpectOne(LintWith({"[Registy]"}), 7, kError, "write [Registry]");
    ExpectOne(LintWith({"[Shortcuts]"}), 7, kWarning, "no reader knows '[Shortcuts]'");
    ExpectOne(LintWith({"stray words"}), 7, kWarning, "belongs to no section");
}

TEST(ScriptLint, RegistryRootWords) {
    auto registry = [](const std::string& root) {
        return LintWith({"[Registry]", root, "Software\\Demo", "STRING", "Name", "x"});
    };
    ExpectClean(registry("HKLM"));
    ExpectOne(registry("hklm"), 8, kError, "write HKLM");
    ExpectOne(registry("HKEY_CURRENT_USER"), 8, kError, "write HKCU");
    ExpectOne(registry("HKXQ"), 8, kError, "HKCR, HKCU, HKLM, HKU or HKCC");
}

TEST(ScriptLint, RegistryTypeWordsAndNumbers) {
    auto number = [](const std::string& type, const std::string& data) {
        return LintWith({"[Registry]", "HKCU", "Software\\Demo", type, "Count", data});
    };
    ExpectClean(number("DWORD", "-5"));
    ExpectClean(number("DWORD", "2147483647"));
    ExpectOne(number("dword", "5"), 10, kError, "write DWORD");
    ExpectOne(number("NUMBER", "5"), 10, kWarning, "makes a string value");
    ExpectOne(number("DWORD", "0x10"), 12, kError, "stores 0 (0x00000000); write 16");
    ExpectOne(number("DWORD", "4294967295"), 12, kError,
              "stores 2147483647 (0x7FFFFFFF); write -1");
    ExpectOne(number("DWORD", "12abc"), 12, kError, "stores 12");
    ExpectOne(number("DWORD", ""), 12, kError, "a whole number from -2147483648");
    // A string datum is not a number, and is expanded.
    ExpectClean(number("STRING", "0x10 <Destination>"));
}

TEST(ScriptLint, FolderTokens) {
    auto icon = [](const std::string& link) {
        return LintWith({"[CreateIcon]", "<Destination>\\a.exe", link, "", ""});
    };
    ExpectClean(icon("<DeskTop>\\A.lnk"));
    ExpectOne(icon("<Desktop>\\A.lnk"), 9, kError, "write <DeskTop>");
    ExpectOne(icon("<ProgramFiles>\\A.lnk"), 9, kError, "write <Program Files>");
    ExpectOne(icon("<Home>\\A.lnk"), 9, kError, "unknown token <Home>");
    ExpectOne(LintWith({"[Action]", "Installing into <Destination>"}), 8, kWarning,
              "not replaced in this line");
    // Outside a path, angle brackets are only text.
    ExpectClean(LintWith({"[Message]", "Press <Enter> to go on.", "Information"}));
}

TEST(ScriptLint, TempInstallOnlyStartsAProgramLine) {
    HostScratch scratch;
    testing_support::WriteAll(scratch.CorePath("Helper.exe"), "MZ");
    std::vector<std::string> folders = {scratch.Folder()};
    ExpectClean(LintWith({"[RunAndWaitFile]", "<TempInstall>\\helper.EXE", "", ""}, folders));
    ExpectOne(LintWith({"[RunFile]", "C:\\<TempInstall>\\Helper.exe", "", ""}, folders), 8, kError,
              "<TempInstall>\\NAME");
    ExpectOne(LintWith({"[UninstallAction]", "<TempInstall>\\Helper.exe", ""}, folders), 8, kError,
              "works only in the program line");
    ExpectOne(LintWith({"[RunFile]", "<TempInstall>\\gone.exe", "", ""}, folders), 8, kError,
              "no file 'gone.exe' for this <TempInstall>");
}

TEST(ScriptLint, OptionalLines) {
    auto run = [](const std::string& optional) {
        return LintWith({"[RunFile]", "<Destination>\\a.exe", "", optional});
    };
    ExpectClean(run(""));
    ExpectClean(run("Optional - Start Demo"));
    ExpectOne(run("optional - Start Demo"), 10, kError, "write \"Optional - Start Demo\"");
    ExpectOne(run("Optional -Start Demo"), 10, kError, "write \"Optional - Start Demo\"");
    ExpectOne(run("Optional: Start Demo"), 10, kError, "write \"Optional - Start Demo\"");
    ExpectOne(run("Start Demo"), 10, kWarning, "carried out at once");
    ExpectOne(run("Optional - "), 10, kWarning, "no caption");
}

TEST(ScriptLint, MessageKindsAndQuestions) {
    auto message = [](const std::string& text, const std::string& kind) {
        return LintWith({"[Message]", text, kind});
    };
    ExpectClean(message("Demo is installed.", "Information"));
    ExpectOne(message("Demo is installed.", "information"), 9, kWarning, "write Information");
    ExpectOne(message("Demo is installed.", "Notice"), 9, kWarning, "Error, Question, Warning");
    ExpectOne(message("Start Demo now?", "Information"), 8, kWarning, "OK only");
    std::vector<Finding> question = message("Demo is installed.", "Question");
    ExpectOne(question, 8, kWarning, "silent install skips it");
}

TEST(ScriptLint, LinesLongerThanTheirReadLimit) {
    std::string target = "<Destination>\\" + std::string(246, 'a');
    ASSERT_EQ(260u, target.size());
    ExpectClean(LintWith({"[Action]", std::string(260, 'a')}));
    ExpectOne(LintWith({"[Action]", std::string(261, 'a')}), 8, kError, "read only to 260");
    ExpectClean(LintWith({"[Message]", std::string(1000, 'a'), "Information"}));
    ExpectOne(LintWith({"[Message]", std::string(1001, 'a'), "Information"}), 8, kError,
              "read only to 1000");
    ExpectOne(
        LintWith({"[RunFile]", "<Destination>\\a.exe", "", "Optional - " + std::string(520, 'c')}),
        10, kError, "read only to 520");
    ExpectOne(LintWith({std::string(1001, ' ')}), 7, kError, "read only to 1000");
}

TEST(ScriptLint, AValueThatIsAHead) {
    ExpectOne(LintWith({"[Action]", "[CopyFile]"}), 8, kError, "this value is the head [CopyFile]");
    ExpectOne(LintWith({"[CopyFile]"}), 7, kError, "ends before the 2 value lines");
}

TEST(ScriptLint, FilesTheScriptNames) {
    HostScratch scratch;
    testing_support::WriteAll(scratch.CorePath("Tool.EXE"), "MZ");
    std::vector<std::string> folders = {scratch.Path("nowhere"), scratch.Folder()};
    auto copy = [&](const std::string& entry) {
        return LintWith({"[CopyFile]", entry, "<Destination>\\tool.exe"}, folders);
    };
    ExpectClean(copy("tool.exe"));
    ExpectOne(copy("tool2.exe"), 8, kError, "no file 'tool2.exe' for this [CopyFile]");
    ExpectOne(copy("bin\\tool.exe"), 8, kError, "plain file names");
    // Without folders there is nothing to look in.
    ExpectClean(LintWith({"[CopyFile]", "tool2.exe", "<Destination>\\tool.exe"}));
}

TEST(ScriptLint, FilesInstalledIntoSharedPlaces) {
    auto copy = [](const std::string& target) { return LintWith({"[CopyFile]", "x.dll", target}); };
    ExpectOne(copy("<System>\\x.dll"), 9, kWarning, "the system folder, a place shared");
    ExpectOne(copy("<Program Files>\\common files\\Demo\\x.dll"), 9, kWarning, "Common Files");
    ExpectClean(copy("<Program Files>\\Demo\\x.dll"));
    ExpectClean(copy("<Destination>\\System\\x.dll"));
}

TEST(ScriptLint, InstallScopes) {
    auto scoped = [](const char* scope, const char* root) {
        return LintWith({"[Install Scope]", scope, "", "[Registry]", root, "Software\\Demo",
                         "STRING", "Folder", "<Destination>"});
    };
    ExpectClean(scoped("CurrentUser", "HKCU"));
    ExpectClean(scoped("AllUsers", "HKLM"));
    // The installer refuses an install for the user that writes the machine.
    ExpectOne(scoped("CurrentUser", "HKLM"), 10, kError, "[Registry] under HKLM");
    ExpectOne(scoped("Both", "HKCR"), 10, kError, "write AllUsers in [Install Scope]");
    ExpectOne(LintWith({"[Install Scope]", "Everyone"}), 8, kError,
              "write AllUsers, CurrentUser or Both");
    ExpectOne(LintWith({"[Install Scope]", "Both", "", "[Install Scope]", "CurrentUser"}), 10,
              kWarning, "the last one counts");
}

TEST(ScriptLint, ProjectNameAndInstallFolder) {
    ExpectOne(LintText(Join({"[Install To]", "C:\\Demo"})), 0, kWarning, "no uninstall record");
    ExpectOne(LintText(Join({"[Project Name]", "", "[Install To]", "C:\\Demo"})), 2, kWarning,
              "empty project name");
    ExpectOne(LintText(Join({"[Project Name]", "Demo"})), 0, kWarning, "no [Install To]");
    ExpectOne(LintText(Join({"[Project Name]", "Demo: Pro", "[Install To]", "C:\\Demo"})), 2,
              kError, "cannot hold ':'");
    // Each of these would take the record out of the system folder.
    ExpectOne(LintText(Join({"[Project Name]", "..\\Evil", "[Install To]", "C:\\Demo"})), 2, kError,
              "cannot hold '\\'");
    ExpectOne(LintText(Join({"[Project Name]", "a/b", "[Install To]", "C:\\Demo"})), 2, kError,
              "cannot hold '/'");
    ExpectOne(LintText(Join({"[Project Name]", "Demo..2", "[Install To]", "C:\\Demo"})), 2, kError,
              "cannot hold '..'");
    // A container needs neither.
    ExpectClean(LintText(Join({"[InstallContainer]"})));
}

TEST(ScriptLint, ShortcutFilesEndInLnk) {
    auto icon = [](const std::string& link) {
        return LintWith({"[CreateIcon]", "<Destination>\\a.exe", link, "", ""});
    };
    ExpectClean(icon("<Start Programs>\\Demo\\Demo.LNK"));
    ExpectOne(icon("<Start Programs>\\Demo\\Demo"), 9, kWarning, "add .lnk");
}

TEST(ScriptLint, FindingsComeInLineOrderWithTheirSeverity) {
    std::vector<Finding> findings = LintText(Join({"[Registry]", "hkcu", "Key", "DWORD", "Name",
                                                   "0x1", "[Message]", "Done?", "Information"}));
    ASSERT_EQ(5u, findings.size()) << Describe(findings);
    EXPECT_EQ(0, findings[1].line);
    EXPECT_EQ(2, findings[2].line);
    EXPECT_EQ(
        "setup.dat:2: error: 'hkcu' is no root word, so this value is never written; "
        "write HKCU",
        vornak_pack::FormatFinding("setup.dat", findings[2]));
    EXPECT_EQ(6, findings[3].line);
    EXPECT_EQ(8, findings[4].line);
    EXPECT_EQ(2, vornak_pack::CountFindings(findings, kError));
    EXPECT_EQ(3, vornak_pack::CountFindings(findings, kWarning));
}

TEST(ScriptLint, TheSharedSectionTableHoldsEveryHeadExactly) {
    const script::SectionLayout* registry = script::FindSectionLayout("[Registry]");
    ASSERT_NE(nullptr, registry);
    EXPECT_EQ(5, registry->value_count);
    EXPECT_EQ(1000u, registry->limits[4]);
    EXPECT_EQ(520u, script::FindSectionLayout("[CreateIcon]")->limits[3]);
    EXPECT_EQ(0, script::FindSectionLayout("[InstallContainer]")->value_count);
    EXPECT_EQ(nullptr, script::FindSectionLayout("[registry]"));
    EXPECT_EQ(nullptr, script::FindSectionLayout("[Registry] "));
    EXPECT_EQ(13, script::kSectionLayoutCount);
}

// [Registry] sections and App Paths entries, read back through the Win32 API:
// root and type words, number conversion, expansion of key and string data,
// and which installed files count as programs.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "actions/registry_actions.h"
#include "script/setup_script.h"
#include "support/text.h"
#include "tests/support_lib/destination_folder.h"
#include "tests/windows/registry_test_key.h"

using testing_support::DestinationFolderSwap;
using testing_support::QueryRegistryString;
using testing_support::QueryRegistryValue;
using testing_support::RegistryKeyExists;
using testing_support::RegistryValue;
using testing_support::TestRegistryKey;

namespace {

void WriteItem(const char* root, const std::string& key, const char* type, const char* name,
               const char* data) {
    script::RegistryItem item;
    support::CopyText(item.root, root);
    support::CopyText(item.key, key.c_str());
    support::CopyText(item.type, type);
    support::CopyText(item.name, name);
    support::CopyText(item.data, data);
    actions::WriteRegistryItem(&item);
}

// The 32-bit number a DWORD item stores, or a marker when it is not one.
uint32_t StoredNumber(const TestRegistryKey& key, const char* data) {
    WriteItem("HKCU", key.Path(), "DWORD", "n", data);
    RegistryValue value = QueryRegistryValue(HKEY_CURRENT_USER, key.Path(), "n");
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), value.type) << data;
    EXPECT_EQ(4u, value.data.size()) << data;
    uint32_t number = 0xDEADBEEF;
    if (value.data.size() == 4) {
        std::memcpy(&number, value.data.data(), 4);
    }
    return number;
}

const char kAppPaths[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

// Removes an App Paths key of a test program at both ends of a test.
class AppPathKey {
  public:
    explicit AppPathKey(const char* file_name) : path_(std::string(kAppPaths) + file_name) {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, path_.c_str());
    }
    ~AppPathKey() { RegDeleteKeyA(HKEY_LOCAL_MACHINE, path_.c_str()); }
    std::string Value(const char* name) const {
        return QueryRegistryString(HKEY_LOCAL_MACHINE, path_, name);
    }
    bool Exists() const { return RegistryKeyExists(HKEY_LOCAL_MACHINE, path_); }

  private:
    std::string path_;
};

}  // namespace

TEST(RegistryActions, RootWordsAreCaseSensitive) {
    TestRegistryKey key;
    WriteItem("hkcu", key.Path(), "STRING", "lower", "x");
    WriteItem("HKCU ", key.Path(), "STRING", "spaced", "x");
    WriteItem("", key.Path(), "DWORD", "empty", "1");
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, key.Path()));

    WriteItem("HKCU", key.Path(), "STRING", "upper", "x");
    EXPECT_EQ("x", QueryRegistryString(HKEY_CURRENT_USER, key.Path(), "upper"));
}

TEST(RegistryActions, NumbersConvertLikeSignedDecimals) {
    TestRegistryKey key;
    EXPECT_EQ(1u, StoredNumber(key, "1"));
    EXPECT_EQ(0u, StoredNumber(key, "0x10"));
    EXPECT_EQ(0xFFFFFFFFu, StoredNumber(key, "-1"));
    EXPECT_EQ(12u, StoredNumber(key, "12abc"));
    EXPECT_EQ(0u, StoredNumber(key, ""));
    EXPECT_EQ(0x7FFFFFFFu, StoredNumber(key, "4294967295"));
}

TEST(RegistryActions, EveryOtherTypeWordWritesAString) {
    TestRegistryKey key;
    WriteItem("HKCU", key.Path(), "string", "lower", "12");
    WriteItem("HKCU", key.Path(), "", "empty", "13");
    WriteItem("HKCU", key.Path(), "dword", "dword", "14");
    WriteItem("HKCU", key.Path(), "STRING", "", "default");
    EXPECT_EQ("12", QueryRegistryString(HKEY_CURRENT_USER, key.Path(), "lower"));
    EXPECT_EQ("13", QueryRegistryString(HKEY_CURRENT_USER, key.Path(), "empty"));
    EXPECT_EQ("14", QueryRegistryString(HKEY_CURRENT_USER, key.Path(), "dword"));
    EXPECT_EQ("default", QueryRegistryString(HKEY_CURRENT_USER, key.Path(), ""));
}

TEST(RegistryActions, KeyPathAndStringDataAreExpandedButNumbersAreNot) {
    TestRegistryKey key;
    DestinationFolderSwap destination("D:\\Apps\\Tool");
    WriteItem("HKCU", key.Path() + "\\<Destination>", "STRING", "folder", "<Destination>");
    WriteItem("HKCU", key.Path(), "STRING", "doubled", "ab\\\\cd");
    WriteItem("HKCU", key.Path(), "DWORD", "number", "<Destination>");

    // The expanded key path is "...\D:\Apps\Tool\": one key per folder level.
    std::string expanded_key = key.Below("D:\\Apps\\Tool");
    EXPECT_EQ("D:\\Apps\\Tool\\", QueryRegistryString(HKEY_CURRENT_USER, expanded_key, "folder"));
    EXPECT_EQ("ab\\cd", QueryRegistryString(HKEY_CURRENT_USER, key.Path(), "doubled"));
    RegistryValue number = QueryRegistryValue(HKEY_CURRENT_USER, key.Path(), "number");
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), number.type);
    EXPECT_EQ(std::string(4, '\0'), number.data);
}

TEST(RegistryActions, LongStringDataIsKeptWhole) {
    TestRegistryKey key;
    DestinationFolderSwap destination("D:\\Apps");
    std::string data = std::string(600, 'x') + "<Destination>";
    WriteItem("HKCU", key.Path(), "STRING", "long", data.c_str());
    EXPECT_EQ(std::string(600, 'x') + "D:\\Apps\\",
              QueryRegistryString(HKEY_CURRENT_USER, key.Path(), "long"));
}

TEST(RegistryActions, ProgramsAreRegisteredUnderTheirNameAsWritten) {
    AppPathKey upper("VornakActionsTool.EXE");
    AppPathKey lower("vornakactionstool.exe");
    actions::RegisterAppPath("C:\\Vornak Tests\\VornakActionsTool.EXE");
    EXPECT_EQ("C:\\Vornak Tests\\VornakActionsTool.EXE", upper.Value(""));
    EXPECT_EQ("C:\\Vornak Tests\\", upper.Value("Path"));

    // Installed again elsewhere: the same key takes the new place.
    actions::RegisterAppPath("C:\\Elsewhere\\vornakactionstool.exe");
    EXPECT_EQ("C:\\Elsewhere\\vornakactionstool.exe", lower.Value(""));
    EXPECT_EQ("C:\\Elsewhere\\", lower.Value("Path"));
}

TEST(RegistryActions, OtherFilesAreNotRegistered) {
    AppPathKey backup("VornakActionsTool.exe.bak");
    AppPathKey text("VornakActionsTool.txt");
    AppPathKey dotted("vornak_actions_tool");
    actions::RegisterAppPath("C:\\Vornak Tests\\VornakActionsTool.exe.bak");
    actions::RegisterAppPath("C:\\Vornak Tests\\VornakActionsTool.txt");
    // The dot of ".exe" is in a folder name, not in the file name.
    actions::RegisterAppPath("C:\\VornakActions.exe\\vornak_actions_tool");
    EXPECT_FALSE(backup.Exists());
    EXPECT_FALSE(text.Exists());
    EXPECT_FALSE(dotted.Exists());
}

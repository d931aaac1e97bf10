// Registry value helpers: key chains created on write, the empty text for
// every failed read (which never creates a key), the delete's status code and a missing root, all
// read back through the Win32 API.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/registry_values.h"
#include "tests/windows/registry_test_key.h"

using testing_support::QueryRegistryString;
using testing_support::QueryRegistryValue;
using testing_support::RegistryKeyExists;
using testing_support::RegistryValue;
using testing_support::TestRegistryKey;

namespace {

void SetRawValue(const std::string& path, const char* name, DWORD type, const std::string& bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0,
                                             KEY_WRITE, nullptr, &key, nullptr));
    RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                   static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
}

// Reads through the helper into a buffer of size bytes, guarded on both
// sides so that a write outside it shows.
std::string ReadThroughHelper(const std::string& path, const char* name, DWORD size,
                              HKEY root = HKEY_CURRENT_USER) {
    std::string guarded(size + 16, '#');
    support::ReadRegistryString(&guarded[8], size, name, root, path.c_str());
    EXPECT_EQ(std::string(8, '#'), guarded.substr(0, 8));
    EXPECT_EQ(std::string(8, '#'), guarded.substr(8 + size));
    return std::string(&guarded[8], strnlen(&guarded[8], size));
}

}  // namespace

TEST(RegistryValues, StringWriteCreatesTheWholeKeyChain) {
    TestRegistryKey test_key;
    std::string deep = test_key.Below("one\\two\\three");
    support::WriteRegistryString("hello", "Greeting", HKEY_CURRENT_USER, deep.c_str());
    support::WriteRegistryString("default", "", HKEY_CURRENT_USER, deep.c_str());

    RegistryValue value = QueryRegistryValue(HKEY_CURRENT_USER, deep, "Greeting");
    ASSERT_TRUE(value.found);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), value.type);
    EXPECT_EQ(std::string("hello\0", 6), value.data);
    EXPECT_EQ("default", QueryRegistryString(HKEY_CURRENT_USER, deep, ""));
}

TEST(RegistryValues, DwordWriteStoresFourBytes) {
    TestRegistryKey test_key;
    support::WriteRegistryDword(0xFFFFFFFFu, "Number", HKEY_CURRENT_USER, test_key.Path().c_str());
    support::WriteRegistryDword(7, "Number", HKEY_CURRENT_USER, test_key.Path().c_str());

    RegistryValue value = QueryRegistryValue(HKEY_CURRENT_USER, test_key.Path(), "Number");
    ASSERT_TRUE(value.found);
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), value.type);
    EXPECT_EQ(std::string("\x07\0\0\0", 4), value.data);
}

TEST(RegistryValues, ReadGivesTheStringWhenItFits) {
    TestRegistryKey test_key;
    support::WriteRegistryString("abcdef", "Six", HKEY_CURRENT_USER, test_key.Path().c_str());
    EXPECT_EQ("abcdef", ReadThroughHelper(test_key.Path(), "Six", 7));
    EXPECT_EQ("abcdef", ReadThroughHelper(test_key.Path(), "Six", 260));
}

TEST(RegistryValues, ReadOfAValueTooLongForTheBufferIsEmpty) {
    TestRegistryKey test_key;
    support::WriteRegistryString("abcdef", "Six", HKEY_CURRENT_USER, test_key.Path().c_str());
    EXPECT_EQ("", ReadThroughHelper(test_key.Path(), "Six", 6));
    EXPECT_EQ("", ReadThroughHelper(test_key.Path(), "Six", 1));
}

TEST(RegistryValues, ReadOfDataWithoutItsNulStaysInsideTheBuffer) {
    TestRegistryKey test_key;
    SetRawValue(test_key.Path(), "Bare", REG_SZ, "abc");
    SetRawValue(test_key.Path(), "Binary", REG_BINARY, "xyz");
    // Exactly filling the buffer without a NUL would leave it unterminated.
    EXPECT_EQ("", ReadThroughHelper(test_key.Path(), "Bare", 3));
    EXPECT_EQ("abc", ReadThroughHelper(test_key.Path(), "Bare", 10));
    EXPECT_EQ("xyz", ReadThroughHelper(test_key.Path(), "Binary", 10));
}

TEST(RegistryValues, ReadOfAMissingKeyIsEmptyAndLeavesNoKey) {
    TestRegistryKey test_key;
    std::string missing = test_key.Below("not\\there");
    ASSERT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, missing));
    EXPECT_EQ("", ReadThroughHelper(missing, "Anything", 260));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, missing));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, test_key.Below("not")));
}

TEST(RegistryValues, DeleteRemovesOneSubkeyAndKeepsItsParent) {
    TestRegistryKey test_key;
    support::WriteRegistryString("x", "v", HKEY_CURRENT_USER, test_key.Below("child").c_str());
    EXPECT_EQ(ERROR_SUCCESS,
              support::DeleteRegistryKey(HKEY_CURRENT_USER, test_key.Path().c_str(), "child"));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, test_key.Below("child")));
    EXPECT_TRUE(RegistryKeyExists(HKEY_CURRENT_USER, test_key.Path()));
}

TEST(RegistryValues, DeleteUnderAMissingParentReportsFileNotFound) {
    TestRegistryKey test_key;
    std::string parent = test_key.Below("absent");
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              support::DeleteRegistryKey(HKEY_CURRENT_USER, parent.c_str(), "child"));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, parent));
}

TEST(RegistryValues, NoRootChangesNothing) {
    TestRegistryKey test_key;
    support::WriteRegistryString("x", "s", nullptr, test_key.Path().c_str());
    support::WriteRegistryDword(1, "d", nullptr, test_key.Path().c_str());
    EXPECT_EQ("", ReadThroughHelper(test_key.Path(), "s", 260, nullptr));
    EXPECT_NE(ERROR_SUCCESS, support::DeleteRegistryKey(nullptr, "Software", "VornakTests"));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, test_key.Path()));
}

// A private registry key for one test, under
// HKEY_CURRENT_USER\Software\VornakTests, removed with everything below it
// at both ends of the test; and values read back through the Win32 API
// itself rather than through the code under test.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace testing_support {

inline void DeleteRegistryTree(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
        return;
    }
    char child[256];
    DWORD length = sizeof child;
    while (RegEnumKeyExA(key, 0, child, &length, nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS) {
        DeleteRegistryTree(key, child);
        length = sizeof child;
    }
    RegCloseKey(key);
    RegDeleteKeyA(root, path.c_str());
}

inline bool RegistryKeyExists(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

struct RegistryValue {
    bool found = false;
    DWORD type = REG_NONE;
    std::string data;  // the raw bytes, NUL included for strings
};

inline RegistryValue QueryRegistryValue(HKEY root, const std::string& path, const char* name) {
    RegistryValue value;
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return value;
    }
    char data[2048];
    DWORD size = sizeof data;
    if (RegQueryValueExA(key, name, nullptr, &value.type, reinterpret_cast<BYTE*>(data), &size) ==
        ERROR_SUCCESS) {
        value.found = true;
        value.data.assign(data, size);
    }
    RegCloseKey(key);
    return value;
}

// The string a REG_SZ value holds, or "<missing>" / "<not REG_SZ>".
inline std::string QueryRegistryString(HKEY root, const std::string& path, const char* name) {
    RegistryValue value = QueryRegistryValue(root, path, name);
    if (!value.found) {
        return "<missing>";
    }
    if (value.type != REG_SZ || value.data.empty() || value.data.back() != '\0') {
        return "<not REG_SZ>";
    }
    return value.data.substr(0, value.data.size() - 1);
}

class TestRegistryKey {
  public:
    TestRegistryKey() {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::string(kParent) + "\\" + test->test_suite_name() + "." + test->name();
        DeleteRegistryTree(HKEY_CURRENT_USER, path_);
    }
    ~TestRegistryKey() {
        DeleteRegistryTree(HKEY_CURRENT_USER, path_);
        // Only goes when no other test's key is left in it.
        RegDeleteKeyA(HKEY_CURRENT_USER, kParent);
    }
    TestRegistryKey(const TestRegistryKey&) = delete;
    TestRegistryKey& operator=(const TestRegistryKey&) = delete;

    const std::string& Path() const { return path_; }
    std::string Below(const std::string& relative) const { return path_ + "\\" + relative; }

  private:
    static constexpr const char* kParent = "Software\\VornakTests";
    std::string path_;
};

}  // namespace testing_support

// Registry value helpers over the Win32 registry functions.
#include "support/registry_values.h"

namespace support {

namespace {

// Opens root\path through the creating call, so that missing keys (parents
// included) come into being. The class string is stored with a new key only.
HKEY CreateKey(HKEY root, const char* path, const char* key_class, REGSAM access) {
    if (root == nullptr) {
        return nullptr;
    }
    HKEY key = nullptr;
    DWORD disposition = 0;
    LONG status = RegCreateKeyExA(root, path, 0, const_cast<char*>(key_class),
                                  REG_OPTION_NON_VOLATILE, access, nullptr, &key, &disposition);
    return status == ERROR_SUCCESS ? key : nullptr;
}

}  // namespace

bool WriteRegistryDword(DWORD number, const char* name, HKEY root, const char* path) {
    HKEY key = CreateKey(root, path, "REG_DWORD", KEY_WRITE);
    if (key == nullptr) {
        return false;
    }
    LONG status = RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                                 sizeof number);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool WriteRegistryString(const char* data, const char* name, HKEY root, const char* path) {
    HKEY key = CreateKey(root, path, "REG_SZ", KEY_WRITE);
    if (key == nullptr) {
        return false;
    }
    LONG status = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                                 static_cast<DWORD>(lstrlenA(data) + 1));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

void ReadRegistryString(char* buffer, DWORD size, const char* name, HKEY root, const char* path) {
    if (size == 0) {
        return;
    }
    buffer[0] = '\0';
    // Opened, never created: reading "InstallTo" of a project that is not
    // installed must not leave an empty Uninstall key behind, which the list
    // of installed programs would then show.
    HKEY key = nullptr;
    if (root == nullptr || RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return;
    }
    DWORD length = size;
    LONG status =
        RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &length);
    // The type is not examined, so the data may lack its NUL (a string stored
    // without one, or a number). A value that fills the buffer without a NUL
    // did not fit and reads as empty like any other that does not fit.
    if (status != ERROR_SUCCESS || length > size || (length == size && buffer[size - 1] != '\0')) {
        buffer[0] = '\0';
    } else if (length < size) {
        buffer[length] = '\0';
    }
    RegCloseKey(key);
}

LONG DeleteRegistryKey(HKEY root, const char* parent, const char* name) {
    if (root == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    HKEY key = nullptr;
    LONG status = RegOpenKeyExA(root, parent, 0, KEY_ALL_ACCESS, &key);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    RegDeleteKeyA(key, name);
    return RegCloseKey(key);
}

}  // namespace support

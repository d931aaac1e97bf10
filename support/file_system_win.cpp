// Windows file-system layer: the Win32 calls themselves.
#include "support/file_system.h"

#include <windows.h>

#include <sddl.h>

#include "support/elevation.h"
#include "support/text.h"
#include "support/win32_values.h"

static_assert(support::kGenericRead == GENERIC_READ, "access values match Win32");
static_assert(support::kGenericWrite == GENERIC_WRITE, "access values match Win32");
static_assert(support::kCreateNew == CREATE_NEW, "creation values match Win32");
static_assert(support::kCreateAlways == CREATE_ALWAYS, "creation values match Win32");
static_assert(support::kOpenExisting == OPEN_EXISTING, "creation values match Win32");
static_assert(support::kOpenAlways == OPEN_ALWAYS, "creation values match Win32");
static_assert(support::kMbTopmost == MB_TOPMOST, "message-box flags match Win32");
static_assert(support::kMbIconError == MB_ICONERROR, "message-box flags match Win32");
static_assert(support::kMbIconInformation == MB_ICONINFORMATION, "message-box flags match Win32");
static_assert(support::kMbDefButton2 == MB_DEFBUTTON2, "message-box flags match Win32");

namespace support::fs {

NativeHandle OpenFile(const char* path, uint32_t access, uint32_t creation, bool share) {
    DWORD share_mode = share ? (FILE_SHARE_READ | FILE_SHARE_WRITE) : 0;
    HANDLE handle =
        CreateFileA(path, access, share_mode, nullptr, creation, FILE_ATTRIBUTE_NORMAL, nullptr);
    return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

bool ReadBytes(NativeHandle handle, void* buffer, uint32_t count, uint32_t* delivered,
               uint32_t* error) {
    DWORD got = 0;
    // A short read at the end of a file succeeds without touching the last
    // error, so a stale value from an earlier call must not be mistaken for a
    // read failure.
    SetLastError(0);
    BOOL ok = ReadFile(static_cast<HANDLE>(handle), buffer, count, &got, nullptr);
    *delivered = got;
    *error = ok ? 0 : GetLastError();
    return ok != 0;
}

bool WriteBytes(NativeHandle handle, const void* buffer, uint32_t count, uint32_t* written) {
    DWORD put = 0;
    BOOL ok = WriteFile(static_cast<HANDLE>(handle), buffer, count, &put, nullptr);
    *written = put;
    return ok != 0;
}

void SeekTo(NativeHandle handle, int32_t offset) {
    SetFilePointer(static_cast<HANDLE>(handle), offset, nullptr, FILE_BEGIN);
}

void SeekBy(NativeHandle handle, int32_t delta) {
    SetFilePointer(static_cast<HANDLE>(handle), delta, nullptr, FILE_CURRENT);
}

bool QuerySize(NativeHandle handle, uint64_t* size) {
    DWORD high = 0;
    SetLastError(0);
    DWORD low = GetFileSize(static_cast<HANDLE>(handle), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != 0) {
        *size = 0;
        return false;
    }
    *size = (static_cast<uint64_t>(high) << 32) | low;
    return true;
}

bool CloseFile(NativeHandle handle) {
    return CloseHandle(static_cast<HANDLE>(handle)) != 0;
}

bool FlushFile(NativeHandle handle) {
    return FlushFileBuffers(static_cast<HANDLE>(handle)) != 0;
}

bool DeleteFileAt(const char* path) {
    return DeleteFileA(path) != 0;
}

bool CreateFolder(const char* path) {
    return CreateDirectoryA(path, nullptr) != 0;
}

bool RemoveFolder(const char* path) {
    return RemoveDirectoryA(path) != 0;
}

bool RemoveLink(const char* path, bool is_folder) {
    // Windows removes a junction or a folder symlink as the empty folder it
    // looks like, never what it points at. (Wine, which shows a Unix link as
    // such a reparse point, cannot remove the link itself.)
    return is_folder ? RemoveDirectoryA(path) != 0 : DeleteFileA(path) != 0;
}

namespace {

// P: protected, inherits nothing from the temporary folder. Administrators
// (S-1-5-32-544) and SYSTEM (S-1-5-18): full control, passed on to files and
// folders within. OWNER RIGHTS (S-1-3-4): read the access list only, which
// takes away the owner's implicit right to change it.
constexpr char kPrivateFolderAccess[] =
    "D:P(A;OICI;FA;;;S-1-5-32-544)(A;OICI;FA;;;S-1-5-18)(A;;RC;;;S-1-3-4)";

}  // namespace

bool CreatePrivateFolder(const char* path) {
    return RunsElevated() ? CreateAdministratorsFolder(path) : CreateDirectoryA(path, nullptr) != 0;
}

bool CreateAdministratorsFolder(const char* path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kPrivateFolderAccess, SDDL_REVISION_1,
                                                              &descriptor, nullptr)) {
        return false;
    }
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    BOOL created = CreateDirectoryA(path, &attributes);
    LocalFree(descriptor);
    return created != 0;
}

uint32_t TempFolderPath(char* buffer, uint32_t capacity) {
    DWORD length = GetTempPathA(capacity, buffer);
    // A result as long as the buffer or longer means it did not fit.
    if (length >= capacity) {
        buffer[0] = '\0';
        return 0;
    }
    return length;
}

uint32_t MakeTempFileName(const char* folder, const char* prefix, char* out_path) {
    return GetTempFileNameA(folder, prefix, 0, out_path);
}

static void FillItem(const WIN32_FIND_DATAA& data, FindItem* item) {
    CopyText(item->name, data.cFileName);
    item->is_folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    item->is_link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

FindHandle FindFirst(const char* search_spec, FindItem* item) {
    WIN32_FIND_DATAA data = {};
    HANDLE handle = FindFirstFileA(search_spec, &data);
    if (handle == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    FillItem(data, item);
    return handle;
}

bool FindNext(FindHandle handle, FindItem* item) {
    WIN32_FIND_DATAA data = {};
    if (!FindNextFileA(static_cast<HANDLE>(handle), &data)) {
        return false;
    }
    FillItem(data, item);
    return true;
}

void FindEnd(FindHandle handle) {
    FindClose(static_cast<HANDLE>(handle));
}

uint32_t TickCount() {
    return GetTickCount();
}

}  // namespace support::fs

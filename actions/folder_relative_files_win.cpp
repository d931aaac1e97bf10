// Folder-relative file calls through ntdll.
#include "actions/folder_relative_files.h"

#include <winternl.h>

#include <cstddef>
#include <cstring>

#include "support/win32_values.h"

namespace actions {

namespace {

using CreateFileCall = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK,
                                        PLARGE_INTEGER, ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
using SetInformationCall = NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG,
                                            FILE_INFORMATION_CLASS);
using StatusToErrorCall = ULONG(NTAPI*)(NTSTATUS);

// Looked up at every call, never kept in a function-local static: its
// thread-safe initialisation guard brings the C++ runtime's exception and
// thread machinery into the stub (some 150 KB).
template <typename Call>
Call NtCall(const char* name) {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll == nullptr
               ? nullptr
               : reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(ntdll, name)));
}

DWORD ErrorOf(NTSTATUS status) {
    const auto to_error = NtCall<StatusToErrorCall>("RtlNtStatusToDosError");
    if (status >= 0) {
        return ERROR_SUCCESS;
    }
    return to_error != nullptr ? to_error(status) : ERROR_ACCESS_DENIED;
}

// A single name, in UTF-16: no backslash, nothing that climbs out.
bool WideName(const char* name, WCHAR* wide, int capacity) {
    if (name[0] == '\0' || std::strchr(name, '\\') != nullptr ||
        std::strchr(name, '/') != nullptr || std::strcmp(name, ".") == 0 ||
        std::strcmp(name, "..") == 0) {
        return false;
    }
    return MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name, -1, wide, capacity) > 0;
}

}  // namespace

bool FolderRelativeCallsAvailable() {
    return NtCall<CreateFileCall>("NtCreateFile") != nullptr &&
           NtCall<SetInformationCall>("NtSetInformationFile") != nullptr;
}

DWORD OpenInFolder(HANDLE folder, const char* name, ACCESS_MASK access, ULONG share,
                   ULONG disposition, ULONG options, HANDLE* opened) {
    *opened = nullptr;
    const auto create_file = NtCall<CreateFileCall>("NtCreateFile");
    WCHAR wide[support::kMaxPath];
    if (create_file == nullptr) {
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
    if (!WideName(name, wide, support::kMaxPath)) {
        return ERROR_INVALID_NAME;
    }
    UNICODE_STRING object_name;
    object_name.Buffer = wide;
    object_name.Length = static_cast<USHORT>(lstrlenW(wide) * sizeof(WCHAR));
    object_name.MaximumLength = object_name.Length;
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &object_name, OBJ_CASE_INSENSITIVE, folder, nullptr);
    IO_STATUS_BLOCK io = {};
    HANDLE handle = nullptr;
    NTSTATUS status = create_file(
        &handle, access | SYNCHRONIZE, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL, share,
        disposition, options | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
    if (status < 0) {
        return ErrorOf(status);
    }
    *opened = handle;
    return ERROR_SUCCESS;
}

DWORD RenameInFolder(HANDLE file, HANDLE folder, const char* name) {
    const auto set_information = NtCall<SetInformationCall>("NtSetInformationFile");
    if (set_information == nullptr) {
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
    // The structure ends in the name; room for the longest one.
    union {
        FILE_RENAME_INFORMATION info;
        char bytes[sizeof(FILE_RENAME_INFORMATION) + support::kMaxPath * sizeof(WCHAR)];
    } block = {};
    if (!WideName(name, block.info.FileName, support::kMaxPath)) {
        return ERROR_INVALID_NAME;
    }
    block.info.ReplaceIfExists = TRUE;
    block.info.RootDirectory = folder;
    block.info.FileNameLength = static_cast<ULONG>(lstrlenW(block.info.FileName) * sizeof(WCHAR));
    IO_STATUS_BLOCK io = {};
    ULONG length =
        static_cast<ULONG>(offsetof(FILE_RENAME_INFORMATION, FileName)) + block.info.FileNameLength;
    return ErrorOf(set_information(file, &io, &block.info, length, FileRenameInformation));
}

bool DeleteWhenClosed(HANDLE file) {
    const auto set_information = NtCall<SetInformationCall>("NtSetInformationFile");
    // FILE_DISPOSITION_INFORMATION: one BOOLEAN.
    BOOLEAN delete_file = TRUE;
    IO_STATUS_BLOCK io = {};
    return set_information != nullptr &&
           set_information(file, &io, &delete_file, sizeof delete_file,
                           FileDispositionInformation) >= 0;
}

}  // namespace actions

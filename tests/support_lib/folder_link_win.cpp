// Folder links on Windows: a junction (a mount-point reparse point), which
// any user may make in a folder they can write, unlike a symbolic link.
// Wine cannot make junctions (the request is "not supported"), but shows a
// Unix symbolic link to a folder as a folder reparse point, just as Windows
// shows a junction; under Wine the link is therefore made by the system's
// own ln, which Wine starts like any program.
#include "tests/support_lib/folder_link.h"

#include <windows.h>

#include <winioctl.h>

#include <cstddef>
#include <cstring>
#include <vector>

namespace testing_support {

namespace {

// The mount-point form of REPARSE_DATA_BUFFER, which mingw's headers keep
// for the driver kit.
struct MountPointReparseBuffer {
    DWORD tag;
    WORD data_length;
    WORD reserved;
    WORD substitute_offset;
    WORD substitute_length;
    WORD print_offset;
    WORD print_length;
    WCHAR paths[1];
};

std::wstring Wide(const std::string& text) {
    std::wstring wide(text.size() + 1, L'\0');
    int length =
        MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
    wide.resize(length > 0 ? length - 1 : 0);
    return wide;
}

using UnixFileName = char*(CDECL*)(LPCWSTR);

UnixFileName WineUnixFileName() {
    return reinterpret_cast<UnixFileName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
}

bool MakeUnixLinkUnderWine(const std::string& link, const std::string& target) {
    UnixFileName unix_name = WineUnixFileName();
    if (unix_name == nullptr) {
        return false;  // real Windows: the junction is the only way
    }
    char* unix_target = unix_name(Wide(target).c_str());
    char* unix_link = unix_name(Wide(link).c_str());
    if (unix_target == nullptr || unix_link == nullptr) {
        return false;
    }
    std::string command = "/bin/ln -s \"" + std::string(unix_target) + "\" \"" + unix_link + "\"";
    HeapFree(GetProcessHeap(), 0, unix_target);
    HeapFree(GetProcessHeap(), 0, unix_link);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA("Z:\\bin\\ln", &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    // Wine cannot follow a Unix process to its end: the handle is signalled
    // at once. The link is waited for instead.
    for (int waited = 0; waited < 10000; waited += 20) {
        DWORD attributes = GetFileAttributesA(link.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        }
        Sleep(20);
    }
    return false;
}

bool MakeJunction(const std::string& link, const std::string& target) {
    if (!CreateDirectoryA(link.c_str(), nullptr)) {
        return false;
    }
    std::wstring substitute = L"\\??\\" + Wide(target);
    std::wstring print = Wide(target);
    size_t path_bytes = (substitute.size() + 1 + print.size() + 1) * sizeof(WCHAR);
    std::vector<char> block(offsetof(MountPointReparseBuffer, paths) + path_bytes, 0);
    auto* buffer = reinterpret_cast<MountPointReparseBuffer*>(block.data());
    buffer->tag = IO_REPARSE_TAG_MOUNT_POINT;
    buffer->data_length = static_cast<WORD>(8 + path_bytes);
    buffer->substitute_offset = 0;
    buffer->substitute_length = static_cast<WORD>(substitute.size() * sizeof(WCHAR));
    buffer->print_offset = static_cast<WORD>((substitute.size() + 1) * sizeof(WCHAR));
    buffer->print_length = static_cast<WORD>(print.size() * sizeof(WCHAR));
    std::memcpy(buffer->paths, substitute.c_str(), (substitute.size() + 1) * sizeof(WCHAR));
    std::memcpy(buffer->paths + substitute.size() + 1, print.c_str(),
                (print.size() + 1) * sizeof(WCHAR));

    HANDLE handle = CreateFileA(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        RemoveDirectoryA(link.c_str());
        return false;
    }
    DWORD returned = 0;
    BOOL made = DeviceIoControl(handle, FSCTL_SET_REPARSE_POINT, block.data(),
                                static_cast<DWORD>(block.size()), nullptr, 0, &returned, nullptr);
    CloseHandle(handle);
    if (!made) {
        RemoveDirectoryA(link.c_str());
    }
    return made != 0;
}

}  // namespace

bool MakeFolderLink(const std::string& link, const std::string& target) {
    std::string folder = target;
    if (!folder.empty() && folder.back() == '\\') {
        folder.pop_back();
    }
    return MakeJunction(link, folder) || MakeUnixLinkUnderWine(link, folder);
}

bool SystemRemovesFolderLinks() {
    return WineUnixFileName() == nullptr;
}

}  // namespace testing_support

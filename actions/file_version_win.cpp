// Version resources read through the version library, which is loaded from
// the system folder at run time rather than imported (see
// support/system_libraries.h for why), or found through an open handle.
#include "actions/file_version.h"

#include <windows.h>

#include <cstddef>
#include <cstring>
#include <new>

#include "support/system_libraries.h"
#include "support/text_format.h"
#include "support/win32_values.h"

namespace actions {

namespace {

using InfoSizeFunction = DWORD(WINAPI*)(const wchar_t*, DWORD*);
using InfoFunction = BOOL(WINAPI*)(const wchar_t*, DWORD, DWORD, void*);
using QueryFunction = BOOL(WINAPI*)(const void*, const wchar_t*, void**, UINT*);

template <typename Function>
Function VersionProcedure(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(support::SystemProcedure("version.dll", name)));
}

// A version resource larger than this is no version resource.
constexpr uint32_t kLargestVersionResource = 1u << 20;
constexpr uint16_t kVersionType = 16;  // RT_VERSION
constexpr uint16_t kVersionName = 1;   // VS_VERSION_INFO

template <typename Value>
bool ReadAt(HANDLE file, uint32_t offset, Value* value, uint32_t size = sizeof(Value)) {
    OVERLAPPED at = {};
    at.Offset = offset;
    DWORD got = 0;
    return ReadFile(file, value, size, &got, &at) && got == size;
}

// Where the data at rva lies in the file, by the image's section table.
bool FileOffsetOf(HANDLE file, uint32_t sections, uint16_t count, uint32_t rva, uint32_t* offset) {
    for (uint16_t i = 0; i < count; ++i) {
        IMAGE_SECTION_HEADER section;
        if (!ReadAt(file, sections + i * sizeof section, &section)) {
            return false;
        }
        uint32_t size = section.Misc.VirtualSize > section.SizeOfRawData ? section.Misc.VirtualSize
                                                                         : section.SizeOfRawData;
        if (rva >= section.VirtualAddress && rva - section.VirtualAddress < size) {
            *offset = rva - section.VirtualAddress + section.PointerToRawData;
            return true;
        }
    }
    return false;
}

// The entry of the resource directory at directory (a file offset) whose id
// is id; with first_otherwise, the first entry when none has it.
bool DirectoryEntry(HANDLE file, uint32_t directory, uint16_t id, bool first_otherwise,
                    IMAGE_RESOURCE_DIRECTORY_ENTRY* found) {
    IMAGE_RESOURCE_DIRECTORY header;
    if (!ReadAt(file, directory, &header)) {
        return false;
    }
    uint32_t count = static_cast<uint32_t>(header.NumberOfNamedEntries) + header.NumberOfIdEntries;
    bool any = false;
    for (uint32_t i = 0; i < count && i < 4096; ++i) {
        IMAGE_RESOURCE_DIRECTORY_ENTRY entry;
        if (!ReadAt(file, directory + sizeof header + i * sizeof entry, &entry)) {
            return false;
        }
        if (!entry.NameIsString && entry.Id == id) {
            *found = entry;
            return true;
        }
        if (first_otherwise && !any) {
            *found = entry;
            any = true;
        }
    }
    return any;
}

// Where the image open as file keeps its version resource (the first
// language of VS_VERSION_INFO, or of the first name), read through the
// handle: the resource data's file offset and size.
bool LocateVersionResource(HANDLE file, uint32_t* offset, uint32_t* size) {
    IMAGE_DOS_HEADER dos;
    DWORD signature = 0;
    IMAGE_FILE_HEADER header;
    WORD magic = 0;
    if (!ReadAt(file, 0, &dos) || dos.e_magic != IMAGE_DOS_SIGNATURE ||
        !ReadAt(file, dos.e_lfanew, &signature) || signature != IMAGE_NT_SIGNATURE ||
        !ReadAt(file, dos.e_lfanew + 4, &header) ||
        !ReadAt(file, dos.e_lfanew + 4 + sizeof header, &magic)) {
        return false;
    }
    uint32_t optional = dos.e_lfanew + 4 + sizeof header;
    uint32_t directories = optional + (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC
                                           ? offsetof(IMAGE_OPTIONAL_HEADER64, DataDirectory)
                                           : offsetof(IMAGE_OPTIONAL_HEADER32, DataDirectory));
    uint32_t sections = optional + header.SizeOfOptionalHeader;
    IMAGE_DATA_DIRECTORY resources;
    uint32_t root = 0;
    if ((magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC && magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC) ||
        !ReadAt(file, directories + IMAGE_DIRECTORY_ENTRY_RESOURCE * sizeof resources,
                &resources) ||
        resources.VirtualAddress == 0 ||
        !FileOffsetOf(file, sections, header.NumberOfSections, resources.VirtualAddress, &root)) {
        return false;
    }
    IMAGE_RESOURCE_DIRECTORY_ENTRY type;
    IMAGE_RESOURCE_DIRECTORY_ENTRY name;
    IMAGE_RESOURCE_DIRECTORY_ENTRY language;
    IMAGE_RESOURCE_DATA_ENTRY data;
    // Type, name, language: the last level's entry is the data itself.
    if (!DirectoryEntry(file, root, kVersionType, false, &type) || !type.DataIsDirectory ||
        !DirectoryEntry(file, root + type.OffsetToDirectory, kVersionName, true, &name) ||
        !name.DataIsDirectory ||
        !DirectoryEntry(file, root + name.OffsetToDirectory, 0, true, &language) ||
        language.DataIsDirectory || !ReadAt(file, root + language.OffsetToData, &data) ||
        data.Size > kLargestVersionResource ||
        !FileOffsetOf(file, sections, header.NumberOfSections, data.OffsetToData, offset)) {
        return false;
    }
    *size = data.Size;
    return true;
}

// A file's whole version-information block, or nothing.
class VersionBlock {
  public:
    // As the version library reads it from the file at path.
    explicit VersionBlock(const char* path) {
        auto info_size = VersionProcedure<InfoSizeFunction>("GetFileVersionInfoSizeW");
        auto info = VersionProcedure<InfoFunction>("GetFileVersionInfoW");
        query_ = VersionProcedure<QueryFunction>("VerQueryValueW");
        wchar_t wide[support::kMaxPath];
        if (info_size == nullptr || info == nullptr || query_ == nullptr ||
            MultiByteToWideChar(CP_ACP, 0, path, -1, wide, support::kMaxPath) == 0) {
            return;
        }
        DWORD handle = 0;
        DWORD size = info_size(wide, &handle);
        // One byte cannot hold version information; some systems report it
        // for files without any.
        if (size <= 1) {
            return;
        }
        data_ = new (std::nothrow) char[size];
        if (data_ != nullptr && !info(wide, handle, size, data_)) {
            Forget();
        }
    }
    // The resource itself, found and read through an open handle.
    explicit VersionBlock(HANDLE file) {
        query_ = VersionProcedure<QueryFunction>("VerQueryValueW");
        uint32_t offset = 0;
        uint32_t size = 0;
        if (query_ == nullptr || !LocateVersionResource(file, &offset, &size) || size <= 1) {
            return;
        }
        data_ = new (std::nothrow) char[size];
        if (data_ != nullptr && !ReadAt(file, offset, data_, size)) {
            Forget();
        }
    }
    ~VersionBlock() { Forget(); }
    VersionBlock(const VersionBlock&) = delete;
    VersionBlock& operator=(const VersionBlock&) = delete;

    // The value at sub_block, or null when it is absent or shorter than
    // minimum_length bytes. The block comes from the file being installed:
    // a value shorter than what is read from it would be read past its end.
    const void* Query(const wchar_t* sub_block, UINT minimum_length) const {
        void* value = nullptr;
        UINT length = 0;
        if (data_ == nullptr || !query_(data_, sub_block, &value, &length)) {
            return nullptr;
        }
        return length >= minimum_length ? value : nullptr;
    }

  private:
    void Forget() {
        delete[] data_;
        data_ = nullptr;
    }

    char* data_ = nullptr;
    QueryFunction query_ = nullptr;
};

void ReadVersion(const VersionBlock& block, uint32_t* ms, uint32_t* ls) {
    *ms = 0;
    *ls = 0;
    auto* info = static_cast<const VS_FIXEDFILEINFO*>(block.Query(L"\\", sizeof(VS_FIXEDFILEINFO)));
    if (info != nullptr) {
        *ms = info->dwFileVersionMS;
        *ls = info->dwFileVersionLS;
    }
}

bool AsksForRegistration(const VersionBlock& block) {
    // One translation is a language and a code page, 16 bits each.
    auto* translation = static_cast<const uint8_t*>(block.Query(L"\\VarFileInfo\\Translation", 4));
    if (translation == nullptr) {
        return false;
    }
    // The resource data need not be aligned for a DWORD.
    uint32_t first = 0;
    std::memcpy(&first, translation, sizeof first);
    // Language in the low half, code page in the high half; the name of the
    // string table puts the language first.
    char name[64];
    support::FormatText(name, sizeof name, "\\StringFileInfo\\%04hX%04hX\\OLESelfRegister",
                        static_cast<unsigned short>(first & 0xFFFF),
                        static_cast<unsigned short>(first >> 16));
    wchar_t wide_name[64];
    MultiByteToWideChar(CP_ACP, 0, name, -1, wide_name, 64);
    // Only the value's presence counts, and an empty one counts too: its
    // text is never read, so neither its length nor its NUL matters here.
    return block.Query(wide_name, 0) != nullptr;
}

}  // namespace

void ReadFileVersion(const char* path, uint32_t* ms, uint32_t* ls) {
    ReadVersion(VersionBlock(path), ms, ls);
}

void ReadFileVersion(HANDLE file, uint32_t* ms, uint32_t* ls) {
    ReadVersion(VersionBlock(file), ms, ls);
}

bool DeclaresSelfRegistration(const char* path) {
    return AsksForRegistration(VersionBlock(path));
}

bool DeclaresSelfRegistration(HANDLE file) {
    return AsksForRegistration(VersionBlock(file));
}

}  // namespace actions

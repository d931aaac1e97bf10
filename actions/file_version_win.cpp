// Version resources read through the version library, which is loaded from
// the system folder at run time rather than imported (see
// support/system_libraries.h for why).
#include "actions/file_version.h"

#include <windows.h>

#include <cstring>
#include <new>

#include "support/system_libraries.h"
#include "support/text_format.h"

namespace actions {

namespace {

using InfoSizeFunction = DWORD(WINAPI*)(const char*, DWORD*);
using InfoFunction = BOOL(WINAPI*)(const char*, DWORD, DWORD, void*);
using QueryFunction = BOOL(WINAPI*)(const void*, const char*, void**, UINT*);

template <typename Function>
Function VersionProcedure(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(support::SystemProcedure("version.dll", name)));
}

// A file's whole version-information block, or nothing.
class VersionBlock {
  public:
    explicit VersionBlock(const char* path) {
        auto info_size = VersionProcedure<InfoSizeFunction>("GetFileVersionInfoSizeA");
        auto info = VersionProcedure<InfoFunction>("GetFileVersionInfoA");
        query_ = VersionProcedure<QueryFunction>("VerQueryValueA");
        if (info_size == nullptr || info == nullptr || query_ == nullptr) {
            return;
        }
        DWORD handle = 0;
        DWORD size = info_size(path, &handle);
        // One byte cannot hold version information; some systems report it
        // for files without any.
        if (size <= 1) {
            return;
        }
        data_ = new (std::nothrow) char[size];
        if (data_ != nullptr && !info(path, handle, size, data_)) {
            delete[] data_;
            data_ = nullptr;
        }
    }
    ~VersionBlock() { delete[] data_; }
    VersionBlock(const VersionBlock&) = delete;
    VersionBlock& operator=(const VersionBlock&) = delete;

    // The value at sub_block, or null when it is absent or shorter than
    // minimum_length bytes. The block comes from the file being installed:
    // a value shorter than what is read from it would be read past its end.
    const void* Query(const char* sub_block, UINT minimum_length) const {
        void* value = nullptr;
        UINT length = 0;
        if (data_ == nullptr || !query_(data_, sub_block, &value, &length)) {
            return nullptr;
        }
        return length >= minimum_length ? value : nullptr;
    }

  private:
    char* data_ = nullptr;
    QueryFunction query_ = nullptr;
};

}  // namespace

void ReadFileVersion(const char* path, uint32_t* ms, uint32_t* ls) {
    *ms = 0;
    *ls = 0;
    VersionBlock block(path);
    auto* info = static_cast<const VS_FIXEDFILEINFO*>(block.Query("\\", sizeof(VS_FIXEDFILEINFO)));
    if (info != nullptr) {
        *ms = info->dwFileVersionMS;
        *ls = info->dwFileVersionLS;
    }
}

bool DeclaresSelfRegistration(const char* path) {
    VersionBlock block(path);
    // One translation is a language and a code page, 16 bits each.
    auto* translation = static_cast<const uint8_t*>(block.Query("\\VarFileInfo\\Translation", 4));
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
    // Only the value's presence counts, and an empty one counts too: its
    // text is never read, so neither its length nor its NUL matters here.
    return block.Query(name, 0) != nullptr;
}

}  // namespace actions

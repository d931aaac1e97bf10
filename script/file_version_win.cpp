// Version resources read through the version library, which is loaded from
// the system folder at run time rather than imported (see
// support/system_libraries.h for why).
#include "script/file_version.h"

#include <windows.h>

#include <new>

#include "support/system_libraries.h"
#include "support/text_format.h"

namespace script {

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

    // The value at sub_block, or null when it is absent or, unless
    // empty_allowed, empty.
    void* Query(const char* sub_block, bool empty_allowed) const {
        void* value = nullptr;
        UINT length = 0;
        if (data_ == nullptr || !query_(data_, sub_block, &value, &length)) {
            return nullptr;
        }
        return (length != 0 || empty_allowed) ? value : nullptr;
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
    auto* info = static_cast<const VS_FIXEDFILEINFO*>(block.Query("\\", false));
    if (info != nullptr) {
        *ms = info->dwFileVersionMS;
        *ls = info->dwFileVersionLS;
    }
}

bool DeclaresSelfRegistration(const char* path) {
    VersionBlock block(path);
    auto* translation = static_cast<const DWORD*>(block.Query("\\VarFileInfo\\Translation", false));
    if (translation == nullptr) {
        return false;
    }
    // Language in the low half, code page in the high half; the name of the
    // string table puts the language first.
    char name[64];
    support::FormatText(name, sizeof name, "\\StringFileInfo\\%04hX%04hX\\OLESelfRegister",
                        static_cast<unsigned short>(*translation & 0xFFFF),
                        static_cast<unsigned short>(*translation >> 16));
    return block.Query(name, true) != nullptr;
}

}  // namespace script

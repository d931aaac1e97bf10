// Version resources read through the version library.
#include "script/file_version.h"

#include <windows.h>

#include <cstdio>

namespace script {

namespace {

// A file's whole version-information block, or nothing.
class VersionBlock {
  public:
    explicit VersionBlock(const char* path) {
        DWORD handle = 0;
        DWORD size = GetFileVersionInfoSizeA(path, &handle);
        // One byte cannot hold version information; some systems report it
        // for files without any.
        if (size <= 1) {
            return;
        }
        data_ = new char[size];
        if (!GetFileVersionInfoA(path, handle, size, data_)) {
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
        if (data_ == nullptr || !VerQueryValueA(data_, sub_block, &value, &length)) {
            return nullptr;
        }
        return (length != 0 || empty_allowed) ? value : nullptr;
    }

  private:
    char* data_ = nullptr;
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
    std::snprintf(name, sizeof name, "\\StringFileInfo\\%04hX%04hX\\OLESelfRegister",
                  static_cast<unsigned short>(*translation & 0xFFFF),
                  static_cast<unsigned short>(*translation >> 16));
    return block.Query(name, true) != nullptr;
}

}  // namespace script

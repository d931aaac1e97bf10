// The write barrier on Windows: a byte-range lock from the offset to the
// largest offset there is, which also covers bytes past the end of the file.
// Wine keeps such locks but does not make another handle's writes fail on
// them (observed with Wine 10), so the barrier tries a write of its own
// through a second handle and counts as up only when that write fails.
#include <windows.h>

#include "tests/support_lib/write_barrier.h"

namespace testing_support {

namespace {

constexpr DWORD kWholeRangeLow = 0xFFFFFFFFu;
constexpr DWORD kWholeRangeHigh = 0x7FFFFFFFu;

HANDLE OpenShared(const std::string& path, DWORD access) {
    return CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Whether a write at offset through another handle fails; a write that
// succeeds is undone, so the file keeps its size.
bool WritesAreRefusedAt(const std::string& path, uint64_t offset) {
    HANDLE probe = OpenShared(path, GENERIC_READ | GENERIC_WRITE);
    if (probe == INVALID_HANDLE_VALUE) {
        return false;
    }
    LARGE_INTEGER size = {};
    GetFileSizeEx(probe, &size);
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    SetFilePointerEx(probe, at, nullptr, FILE_BEGIN);
    DWORD written = 0;
    bool refused = !WriteFile(probe, "x", 1, &written, nullptr) || written != 1;
    if (!refused) {
        SetFilePointerEx(probe, size, nullptr, FILE_BEGIN);
        SetEndOfFile(probe);
    }
    CloseHandle(probe);
    return refused;
}

}  // namespace

WriteBarrier::WriteBarrier(const std::string& path, uint64_t offset) : offset_(offset) {
    HANDLE file = OpenShared(path, GENERIC_READ);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    handle_ = file;
    if (LockFile(file, static_cast<DWORD>(offset), static_cast<DWORD>(offset >> 32), kWholeRangeLow,
                 kWholeRangeHigh)) {
        locked_ = true;
        active_ = WritesAreRefusedAt(path, offset);
    }
}

WriteBarrier::~WriteBarrier() {
    if (handle_ == nullptr) {
        return;
    }
    if (locked_) {
        UnlockFile(handle_, static_cast<DWORD>(offset_), static_cast<DWORD>(offset_ >> 32),
                   kWholeRangeLow, kWholeRangeHigh);
    }
    CloseHandle(handle_);
}

}  // namespace testing_support

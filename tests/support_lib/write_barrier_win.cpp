// The write barrier on Windows: a byte-range lock from the offset to the
// largest offset there is, which also covers bytes past the end of the file.
#include <windows.h>

#include "tests/support_lib/write_barrier.h"

namespace testing_support {

WriteBarrier::WriteBarrier(const std::string& path, uint64_t offset) : offset_(offset) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    handle_ = file;
    active_ = LockFile(file, static_cast<DWORD>(offset), static_cast<DWORD>(offset >> 32),
                       0xFFFFFFFFu, 0x7FFFFFFFu) != 0;
}

WriteBarrier::~WriteBarrier() {
    if (handle_ == nullptr) {
        return;
    }
    if (active_) {
        UnlockFile(handle_, static_cast<DWORD>(offset_), static_cast<DWORD>(offset_ >> 32),
                   0xFFFFFFFFu, 0x7FFFFFFFu);
    }
    CloseHandle(handle_);
}

}  // namespace testing_support

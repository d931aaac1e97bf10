// Temporary files and folders.
#include "support/temp_path.h"

#include <atomic>

#include "support/file_system.h"
#include "support/folders.h"
#include "support/path_text.h"
#include "support/text.h"
#include "support/text_format.h"
#include "support/win32_values.h"

namespace support {

namespace {

// Creates an empty file (creation as fs::OpenFile takes it) and closes it.
bool CreateEmptyFile(const char* path, uint32_t creation) {
    fs::NativeHandle handle = fs::OpenFile(path, kGenericWrite, creation, true);
    if (handle == nullptr) {
        return false;
    }
    fs::CloseFile(handle);
    return true;
}

// Draws names "<parent><prefix><eight hexadecimal digits><suffix>" until
// make() creates one (it must fail for a name that exists), and copies that
// name to out (kMaxPath bytes). False when none was made or none fits.
bool MakeUniquelyNamed(const char* parent, const char* prefix, const char* suffix, int attempts,
                       bool (*make)(const char* path), char* out) {
    for (int attempt = 0; attempt < attempts; ++attempt) {
        char candidate[kMaxPath];
        int length = FormatText(candidate, sizeof candidate, "%s%s%04X%04X%s", parent, prefix,
                                static_cast<unsigned>(RandomBelow(0x10000)),
                                static_cast<unsigned>(RandomBelow(0x10000)), suffix);
        if (length < 0 || static_cast<size_t>(length) >= sizeof candidate) {
            return false;
        }
        if (make(candidate)) {
            CopyText(out, kMaxPath, candidate);
            return true;
        }
    }
    return false;
}

bool MakeNewFile(const char* path) {
    return CreateEmptyFile(path, kCreateNew);
}

}  // namespace

TempPath::TempPath(const char* prefix) {
    path_[0] = '\0';
    char folder[kMaxPath];
    if (fs::TempFolderPath(folder, sizeof folder) == 0) {
        CopyText(folder, "C:\\Temp\\");
    }
    AddTrailingBackslash(folder, sizeof folder);
    if (fs::MakeTempFileName(folder, prefix, path_) == 0 || path_[0] == '\0') {
        char number[16];
        support::FormatText(number, sizeof number, "%u.tmp",
                            static_cast<unsigned>(RandomBelow(9999)));
        CopyText(path_, folder);
        AppendText(path_, prefix);
        AppendText(path_, number);
    }
    if (!CreateEmptyFile(path_, kCreateAlways)) {
        CreateFolderPath(folder);
        CreateEmptyFile(path_, kCreateAlways);
    }
}

TempPath::TempPath(const char* prefix, const char* folder) {
    path_[0] = '\0';
    MakeUniquelyNamed(folder, prefix, ".tmp", 100, &MakeNewFile, path_);
}

TempPath::~TempPath() {
    if (!keep_ && path_[0] != '\0') {
        fs::DeleteFileAt(path_);
    }
}

TempFolder::TempFolder(const char* prefix) {
    folder_[0] = '\0';
    char parent[kMaxPath];
    if (fs::TempFolderPath(parent, sizeof parent) == 0) {
        CopyText(parent, "C:\\Temp\\");
    }
    AddTrailingBackslash(parent, sizeof parent);
    CreateFolderPath(parent);
    // A name somebody else made first is passed over, never used: the
    // folder must be ours from the moment it exists.
    if (MakeUniquelyNamed(parent, prefix, "", 1000, &fs::CreatePrivateFolder, folder_)) {
        AddTrailingBackslash(folder_, sizeof folder_);
    }
}

TempFolder::~TempFolder() {
    if (folder_[0] == '\0') {
        return;
    }
    DeleteFolderContents(folder_);
    fs::RemoveFolder(folder_);
}

namespace {

// The random names' generator; 0 until its first draw seeds it.
std::atomic<uint32_t> g_random_state{0};

}  // namespace

uint32_t RandomBelow(uint32_t n) {
    // A xorshift generator seeded by the clock, instead of the C runtime's
    // rand, whose state is per thread (every thread but the seeding one
    // starts alike). Two threads may draw alike here too: a name is only
    // ever taken when it is new, so that costs one more draw.
    uint32_t x = g_random_state.load();
    if (x == 0) {
        x = fs::TickCount() | 1;
    }
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    g_random_state.store(x);
    return x % n;
}

}  // namespace support

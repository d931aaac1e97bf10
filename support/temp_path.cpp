// Temporary files and folders.
#include "support/temp_path.h"

#include <cstdlib>

#include "support/file_system.h"
#include "support/folders.h"
#include "support/path_text.h"
#include "support/text.h"
#include "support/text_format.h"
#include "support/win32_values.h"

namespace support {

namespace {

// Creates or truncates the file, leaving it empty.
bool ProbeFile(const char* path) {
    fs::NativeHandle handle = fs::OpenFile(path, kGenericWrite, kCreateAlways, true);
    if (handle == nullptr) {
        return false;
    }
    fs::CloseFile(handle);
    return true;
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
    if (!ProbeFile(path_)) {
        CreateFolderPath(folder);
        ProbeFile(path_);
    }
}

TempPath::~TempPath() {
    if (!keep_ && path_[0] != '\0') {
        fs::DeleteFileAt(path_);
    }
}

TempFolder::TempFolder(const char* prefix) : name_(new TempPath(prefix)) {
    fs::DeleteFileAt(name_->Path());
    CopyText(folder_, name_->Path());
    AddTrailingBackslash(folder_, sizeof folder_);
    CreateFolderPath(folder_);
}

TempFolder::~TempFolder() {
    DeleteFolderContents(folder_);
    fs::RemoveFolder(folder_);
    delete name_;
}

uint32_t RandomBelow(uint32_t n) {
    static bool seeded = false;
    if (!seeded) {
        std::srand(fs::TickCount());
        seeded = true;
    }
    return static_cast<uint32_t>(std::rand()) % n;
}

}  // namespace support

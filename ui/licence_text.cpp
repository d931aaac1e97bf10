// Reading the licence text.
#include "ui/licence_text.h"

#include <cstdlib>

#include "support/disk_file.h"
#include "support/win32_values.h"

namespace ui {

char* ReadLicenceText(const char* path) {
    support::DiskFile file(path, support::DiskFile::kRead);
    if (!file.IsOpen()) {
        return nullptr;
    }
    // The size is judged whole: its low 32 bits alone would make a 4 GiB
    // file look small, and size + 1 could wrap to an empty buffer.
    uint64_t size = file.Size();
    if (size > kLargestLicence) {
        return nullptr;
    }
    auto* text = static_cast<char*>(std::malloc(static_cast<size_t>(size) + 1));
    if (text == nullptr) {
        return nullptr;
    }
    uint32_t got = file.Read(text, static_cast<uint32_t>(size));
    text[got] = '\0';
    return text;
}

}  // namespace ui

// Reading the licence text.
#include "ui/licence_text.h"

#include <cstdlib>
#include <cstring>

#include "support/disk_file.h"
#include "support/program_text.h"
#include "support/win32_values.h"

namespace ui {

namespace {

// The licence as program text: UTF-8 when it begins with the signature
// (vornak-pack gives the licence of a UTF-8 package one), the system's ANSI
// code page otherwise. Takes text and returns it or its converted copy.
char* AsProgramText(char* text) {
    size_t signature = sizeof support::kUtf8Signature - 1;
    bool utf8 = std::strncmp(text, support::kUtf8Signature, signature) == 0;
    char* body = utf8 ? text + signature : text;
    if (utf8 == support::ProgramTextIsUtf8()) {
        std::memmove(text, body, std::strlen(body) + 1);
        return text;
    }
    size_t capacity = support::ProgramTextCapacity(std::strlen(body));
    auto* converted = static_cast<char*>(std::malloc(capacity));
    if (converted != nullptr && !support::ToProgramText(body, utf8, converted, capacity)) {
        std::free(converted);
        converted = nullptr;
    }
    std::free(text);
    return converted;
}

}  // namespace

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
    return AsProgramText(text);
}

}  // namespace ui

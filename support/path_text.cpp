// Path text operations.
#include "support/path_text.h"

#include <cstring>

#include "support/text.h"

namespace support {

namespace {

// Copies the first length characters of source (bounded by capacity).
void CopyPrefix(const char* source, size_t length, char* out, size_t capacity) {
    if (capacity == 0) {
        return;
    }
    if (length >= capacity) {
        length = capacity - 1;
    }
    std::memmove(out, source, length);
    out[length] = '\0';
}

// The dot that starts an extension: the last dot, when it follows the last
// backslash. Null when there is none.
const char* ExtensionDot(const char* path) {
    const char* dot = std::strrchr(path, '.');
    const char* slash = std::strrchr(path, '\\');
    return (dot != nullptr && (slash == nullptr || dot > slash)) ? dot : nullptr;
}

}  // namespace

void FileNamePart(const char* path, char* out, size_t capacity) {
    const char* slash = std::strrchr(path, '\\');
    CopyText(out, capacity, slash ? slash + 1 : path);
}

void FolderPart(const char* path, char* out, size_t capacity) {
    const char* slash = std::strrchr(path, '\\');
    CopyPrefix(path, slash ? static_cast<size_t>(slash - path) + 1 : std::strlen(path), out,
               capacity);
}

void ExtensionPart(const char* path, char* out, size_t capacity) {
    const char* dot = ExtensionDot(path);
    CopyText(out, capacity, dot ? dot : ".");
}

void StripExtension(const char* path, char* out, size_t capacity) {
    const char* dot = ExtensionDot(path);
    CopyPrefix(path, dot ? static_cast<size_t>(dot - path) : std::strlen(path), out, capacity);
}

void FileTitle(const char* path, char* out, size_t capacity) {
    char stripped[kMaxPath];
    StripExtension(path, stripped, sizeof stripped);
    FileNamePart(stripped, out, capacity);
}

bool AddTrailingBackslash(char* text, size_t capacity) {
    size_t length = BoundedLength(text, capacity);
    if (length == 0 || text[length - 1] == '\\') {
        return true;
    }
    if (length + 1 >= capacity) {
        return false;
    }
    text[length] = '\\';
    text[length + 1] = '\0';
    return true;
}

namespace {

bool IsDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The length of one path component starting at text: up to the next
// backslash or the end.
size_t ComponentLength(const char* text) {
    return std::strcspn(text, "\\");
}

bool IsShareRoot(const char* path) {
    const char* server = path + 2;
    size_t server_length = ComponentLength(server);
    // "\\.\" and "\\?\" open devices and raw volumes, not shares.
    if (server_length == 0 || (server_length == 1 && (*server == '.' || *server == '?'))) {
        return false;
    }
    const char* share = server + server_length;
    return *share == '\\' && ComponentLength(share + 1) > 0;
}

}  // namespace

bool IsAbsolutePath(const char* path) {
    if (IsDriveLetter(path[0]) && path[1] == ':' && path[2] == '\\') {
        return true;
    }
    return path[0] == '\\' && path[1] == '\\' && IsShareRoot(path);
}

bool IsAtOrBelowFolder(const char* path, const char* folder) {
    size_t length = std::strlen(folder);
    while (length > 0 && folder[length - 1] == '\\') {
        --length;
    }
    if (length == 0 || std::strlen(path) < length) {
        return false;
    }
    for (size_t i = 0; i < length; ++i) {
        if (LowerAscii(path[i]) != LowerAscii(folder[i])) {
            return false;
        }
    }
    return path[length] == '\0' || path[length] == '\\';
}

}  // namespace support

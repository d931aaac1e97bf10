// Pack-mode command-line parsing into fixed buffers.
#include "app/pack_command_line.h"

#include <cstring>

#include "support/text.h"

namespace app {

namespace {

// Takes the path that starts skip characters after the marker at marker and
// ends at the next double quote, which is replaced by a terminator. Returns
// the character after that quote, or null when the path cannot be had.
char* TakeQuotedPath(char* marker, size_t skip, char* out, size_t capacity) {
    // The skipped character must exist: the marker may end the line.
    if (std::strlen(marker) < skip) {
        return nullptr;
    }
    char* start = marker + skip;
    char* quote = std::strchr(start, '"');
    if (quote == nullptr || static_cast<size_t>(quote - start) >= capacity) {
        return nullptr;
    }
    *quote = '\0';
    support::CopyText(out, capacity, start);
    return quote + 1;
}

}  // namespace

bool ParsePackCommandLine(const char* command_line, PackCommand* command) {
    command->file_path[0] = '\0';
    command->archive_path[0] = '\0';
    command->entry_name[0] = '\0';
    if (!support::CopyText(command->command_line, command_line)) {
        return false;
    }
    char* packthis = std::strstr(command->command_line, "<packthis>");
    if (packthis == nullptr) {
        return false;
    }
    char* rest = TakeQuotedPath(packthis, 11, command->file_path, sizeof command->file_path);
    if (rest == nullptr) {
        return false;
    }
    char* packto = std::strstr(rest, "<packto>");
    if (packto == nullptr ||
        TakeQuotedPath(packto, 9, command->archive_path, sizeof command->archive_path) == nullptr) {
        command->file_path[0] = '\0';
        return false;
    }
    return true;
}

}  // namespace app

// Reading the run's markers from the command line.
#include "session/run_markers.h"

#include <cstring>

#include "support/text.h"

namespace session {

namespace {

// The quoted path right after marker_end; false when there is none that
// fits.
bool TakeQuotedPath(const char* marker_end, char* out, size_t capacity) {
    if (*marker_end != '"') {
        return false;
    }
    const char* start = marker_end + 1;
    const char* quote = std::strchr(start, '"');
    if (quote == nullptr || quote == start || static_cast<size_t>(quote - start) >= capacity) {
        return false;
    }
    std::memcpy(out, start, static_cast<size_t>(quote - start));
    out[quote - start] = '\0';
    return true;
}

const char* MarkerEnd(const char* command_line, const char* marker) {
    const char* found = std::strstr(command_line, marker);
    return found == nullptr ? nullptr : found + std::strlen(marker);
}

}  // namespace

RunMarkers ParseRunMarkers(const char* command_line) {
    RunMarkers markers{};
    if (command_line == nullptr) {
        return markers;
    }
    markers.silent = std::strstr(command_line, "<Silent>") != nullptr;
    markers.no_restart = std::strstr(command_line, "<NoRestart>") != nullptr;
    if (const char* end = MarkerEnd(command_line, "<Log>")) {
        markers.log = true;
        if (*end == '"' && !TakeQuotedPath(end, markers.log_path, sizeof markers.log_path)) {
            markers.malformed = true;
        }
    }
    markers.current_user = std::strstr(command_line, "<CurrentUser>") != nullptr;
    markers.all_users = std::strstr(command_line, "<AllUsers>") != nullptr;
    if (markers.current_user && markers.all_users) {
        markers.malformed = true;
    }
    markers.elevated = std::strstr(command_line, "<Elevated>") != nullptr;
    if (const char* end = MarkerEnd(command_line, "<InstallTo>")) {
        markers.install_to = true;
        if (!TakeQuotedPath(end, markers.install_to_path, sizeof markers.install_to_path)) {
            markers.malformed = true;
        }
    }
    return markers;
}

const char* ArgumentsOf(const char* command_line) {
    const char* c = command_line;
    while (*c == ' ' || *c == '\t') {
        ++c;
    }
    if (*c == '"') {
        const char* quote = std::strchr(c + 1, '"');
        return quote == nullptr ? c + std::strlen(c) : quote + 1;
    }
    while (*c != '\0' && *c != ' ' && *c != '\t') {
        ++c;
    }
    return c;
}

}  // namespace session

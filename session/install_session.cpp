// The session's one reading of the command line.
#include "session/install_session.h"

#include <cstring>

namespace session {

bool HasSilentMarker(const char* command_line) {
    return command_line != nullptr && std::strstr(command_line, "<Silent>") != nullptr;
}

InstallSession::InstallSession(const char* command_line)
    : markers_(ParseRunMarkers(command_line)) {}

namespace {

InstallSession g_stand_in("");
InstallSession* g_lent = nullptr;

}  // namespace

InstallSession& Current() {
    return g_lent != nullptr ? *g_lent : g_stand_in;
}

InstallSession* LendSession(InstallSession* session) {
    InstallSession* previous = g_lent;
    g_lent = session;
    return previous;
}

}  // namespace session

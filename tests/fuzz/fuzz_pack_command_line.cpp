// Fuzzes the command-line readers: the mode choice, pack mode's paths and
// the markers every run reads (log and install-folder paths).
#include <cstdint>
#include <cstring>
#include <string>

#include "app/mode.h"
#include "app/pack_command_line.h"
#include "session/run_markers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) {
        return 0;
    }
    std::string line(reinterpret_cast<const char*>(data), size);
    line = line.c_str();  // a command line ends at its first NUL
    app::ChooseMode(line.c_str());
    static app::PackCommand command;
    if (app::ParsePackCommandLine(line.c_str(), &command)) {
        if (std::strlen(command.file_path) >= sizeof command.file_path ||
            std::strlen(command.archive_path) >= sizeof command.archive_path) {
            __builtin_trap();
        }
    }
    session::RunMarkers markers = session::ParseRunMarkers(line.c_str());
    if (strnlen(markers.log_path, sizeof markers.log_path) >= sizeof markers.log_path ||
        strnlen(markers.install_to_path, sizeof markers.install_to_path) >=
            sizeof markers.install_to_path ||
        (markers.install_to && !markers.malformed && markers.install_to_path[0] == '\0')) {
        __builtin_trap();
    }
    return 0;
}

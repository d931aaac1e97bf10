// Fuzzes the uninstaller's command-line parser: whatever the line, every
// result fits its buffer and is NUL-terminated.
#include <cstdint>
#include <cstring>
#include <string>

#include "uninstall/uninstall_command_line.h"

namespace {

void CheckFits(const char* text, size_t capacity) {
    if (::strnlen(text, capacity) >= capacity) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) {
        return 0;
    }
    std::string line(reinterpret_cast<const char*>(data), size);
    line = line.c_str();  // a command line ends at its first NUL
    static uninstall::UninstallCommand command;
    uninstall::UninstallCommandResult result =
        uninstall::ParseUninstallCommandLine(line.c_str(), &command);
    CheckFits(command.record_path, sizeof command.record_path);
    CheckFits(command.bitmap_path, sizeof command.bitmap_path);
    CheckFits(command.project_name, sizeof command.project_name);
    if (result == uninstall::UninstallCommandResult::kParsed &&
        std::strstr(command.project_name, "\\") != nullptr) {
        __builtin_trap();  // a project name never reaches into another key
    }
    return 0;
}

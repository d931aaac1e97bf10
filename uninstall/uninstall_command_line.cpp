// Parsing the uninstaller's command line.
#include "uninstall/uninstall_command_line.h"

#include <cstring>

#include "session/install_session.h"
#include "support/path_text.h"
#include "support/text.h"

namespace uninstall {

void ProjectNameFromTitle(const char* title, char* name, size_t capacity) {
    const char* dash = std::strchr(title, '-');
    support::CopyText(name, capacity, dash != nullptr ? dash + 1 : title);
}

UninstallCommandResult ParseUninstallCommandLine(const char* command_line,
                                                 UninstallCommand* command) {
    command->record_path[0] = '\0';
    command->bitmap_path[0] = '\0';
    command->project_name[0] = '\0';
    command->silent = session::HasSilentMarker(command_line);
    const char* marker = std::strstr(command_line, kUninstallMarker);
    if (marker == nullptr) {
        return UninstallCommandResult::kNoMarker;
    }
    if (!support::CopyText(command->record_path, marker + sizeof kUninstallMarker - 1)) {
        command->record_path[0] = '\0';
        return UninstallCommandResult::kPathTooLong;
    }
    support::StripExtension(command->record_path, command->bitmap_path);
    if (!support::AppendText(command->bitmap_path, ".bmp")) {
        command->record_path[0] = '\0';
        command->bitmap_path[0] = '\0';
        return UninstallCommandResult::kPathTooLong;
    }
    char title[support::kMaxPath];
    support::FileTitle(command->record_path, title);
    ProjectNameFromTitle(title, command->project_name, sizeof command->project_name);
    return UninstallCommandResult::kParsed;
}

}  // namespace uninstall

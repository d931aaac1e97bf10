// Mode choice.
#include "app/mode.h"

#include <cstring>

namespace app {

Mode ChooseMode(const char* command_line) {
    if (std::strstr(command_line, "<uninstall>") != nullptr) {
        return Mode::kUninstall;
    }
    if (std::strstr(command_line, "<packthis>") != nullptr) {
        return Mode::kPack;
    }
    return Mode::kInstall;
}

}  // namespace app

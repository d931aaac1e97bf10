// Windows presenter: a modal message box with no owner window.
#include "support/message_box.h"

#include <windows.h>

namespace support {

int PlatformMessageBox(void* owner, const char* text, const char* caption, unsigned flags) {
    return MessageBoxA(static_cast<HWND>(owner), text, caption, flags);
}

}  // namespace support

// Linux presenter: the native tools have no windows, so the message goes to
// stderr. Questions get the answer that changes nothing (Cancel or No).
#include "support/message_box.h"

#include <cstdio>

#include "support/win32_values.h"

namespace support {

int PlatformMessageBox(void* /*owner*/, const char* text, const char* caption, unsigned flags) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    switch (flags & 0xF) {
        case kMbRetryCancel:
            return kIdCancel;
        case kMbYesNo:
            return kIdNo;
        default:
            return kIdOk;
    }
}

}  // namespace support

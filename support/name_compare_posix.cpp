// Name comparison in the Linux build (vornak-pack, the host tests): as
// Windows compares in the Windows-1252 code page, the one vornak-pack
// assumes for entry names (see windows_1252.h for the rules).
#include "support/text.h"
#include "support/windows_1252.h"

namespace support {

bool EqualsIgnoringCase(const char* a, const char* b) {
    return EqualsIgnoringCaseWindows1252(a, b);
}

}  // namespace support

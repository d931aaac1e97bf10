// System folders on Linux: there are none, so their tokens are removed. The
// portable core and its tests only need Destination and Source, which come
// from the install state.
#include "script/folder_values.h"

namespace script {

void ReadSystemFolder(SystemFolder, char* value) {
    value[0] = '\0';
}

}  // namespace script

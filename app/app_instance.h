// The module instance every dialog, icon and bitmap is loaded from.
#pragma once

#include <windows.h>

namespace app {

extern HINSTANCE AppInstance;

}  // namespace app

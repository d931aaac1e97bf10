// The module instance every dialog, icon and bitmap is loaded from.
#pragma once

#include <windows.h>

namespace ui {

extern HINSTANCE AppInstance;

}  // namespace ui

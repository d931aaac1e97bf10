// The module instance, set by the entry point before any page opens.
#include "ui/app_instance.h"

namespace ui {

HINSTANCE AppInstance = nullptr;

}  // namespace ui

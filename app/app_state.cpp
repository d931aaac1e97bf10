// Process-wide texts.
#include "app/app_state.h"

namespace app {

char ProjectName[260];

}  // namespace app

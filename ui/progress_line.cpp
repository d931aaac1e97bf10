// The progress page's status line.
#include <cstring>

#include "support/progress_state.h"
#include "support/text.h"
#include "support/text_format.h"
#include "ui/progress_stage.h"

namespace ui {

void ComposeProgressLine(const char* action, int file_number, int file_count, char* line,
                         unsigned capacity, int* bar_position) {
    *bar_position = -1;
    if (std::strstr(action, "Installing") != nullptr && file_count != 0) {
        support::FormatText(line, capacity, "Action: %s, File %d of %d", action, file_number,
                            file_count);
        *bar_position = support::PercentDone(file_number, file_count);
    } else {
        support::CopyText(line, capacity, action);
    }
}

}  // namespace ui

// The progress stage: runs the install worker behind the progress page,
// offers the finish page, and writes the uninstall record or reports the
// cancellation. Returns only after the worker has ended.
#pragma once

namespace ui {

// Returns the install's exit code: cancelled, failed, restart still needed,
// or success.
int RunProgressStage();

// The status line a progress update shows (the action text, or with
// "Installing" and files to count "Action: %s, File %d of %d") and the
// bar position it sets; -1 leaves the bar as it is. Portable for tests.
void ComposeProgressLine(const char* action, int file_number, int file_count, char* line,
                         unsigned capacity, int* bar_position);

}  // namespace ui

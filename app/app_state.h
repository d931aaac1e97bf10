// Process-wide texts shared between the pages, the workers and the modes.
#pragma once

namespace app {

// The project's name: emptied at start, set by the main page from
// [Project Name] or, when uninstalling, from the record's file name.
extern char ProjectName[260];

}  // namespace app

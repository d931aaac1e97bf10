// The optional items of a script: shortcuts and programs marked "Optional - "
// that the install worker sets aside for the finish page instead of carrying
// them out. Paths are kept as written; placeholders are expanded when an item
// is finally carried out.
#pragma once

#include <cstdint>

#include "support/win32_values.h"
#include "support/ptr_array.h"

namespace script {

struct OptionalIcon {
    char link_path[support::kMaxPath];
    char target_path[support::kMaxPath];
    char arguments[support::kMaxPath];
    char caption[support::kMaxPath];
};

struct OptionalRun {
    char program_path[support::kMaxPath];
    char arguments[support::kMaxPath];
    uint8_t wait;  // 1 for [RunAndWaitFile]
    char caption[support::kMaxPath];
};

// Filled only by the install worker, complete before it sets worker_done, and
// read by the finish stage afterwards. They own their records for the life
// of the process.
extern support::PtrArray OptionalIcons;
extern support::PtrArray OptionalRuns;

void AddOptionalIcon(const char* link_path, const char* target_path, const char* arguments,
                     const char* caption);
void AddOptionalRun(const char* program_path, const char* arguments, bool wait,
                    const char* caption);
// Frees every record and empties both lists (for a fresh run in tests).
void ReleaseOptionalItems();

}  // namespace script

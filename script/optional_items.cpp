// The optional-item lists, made empty during static initialisation; their
// storage is freed at exit, the records themselves live until then.
#include "script/optional_items.h"

#include <new>

#include "support/text.h"

namespace script {

support::PtrArray OptionalIcons;
support::PtrArray OptionalRuns;

void AddOptionalIcon(const char* link_path, const char* target_path, const char* arguments,
                     const char* caption) {
    auto* icon = new (std::nothrow) OptionalIcon;
    if (icon == nullptr) {
        return;
    }
    support::CopyText(icon->link_path, link_path);
    support::CopyText(icon->target_path, target_path);
    support::CopyText(icon->arguments, arguments);
    support::CopyText(icon->caption, caption);
    if (!OptionalIcons.Append(icon)) {
        delete icon;
    }
}

void AddOptionalRun(const char* program_path, const char* arguments, bool wait,
                    const char* caption) {
    auto* run = new (std::nothrow) OptionalRun;
    if (run == nullptr) {
        return;
    }
    support::CopyText(run->program_path, program_path);
    support::CopyText(run->arguments, arguments);
    run->wait = wait ? 1 : 0;
    support::CopyText(run->caption, caption);
    if (!OptionalRuns.Append(run)) {
        delete run;
    }
}

void ReleaseOptionalItems() {
    for (int32_t i = 0; i < OptionalIcons.Count(); ++i) {
        delete static_cast<OptionalIcon*>(OptionalIcons.GetAt(i));
    }
    for (int32_t i = 0; i < OptionalRuns.Count(); ++i) {
        delete static_cast<OptionalRun*>(OptionalRuns.GetAt(i));
    }
    OptionalIcons.Clear();
    OptionalRuns.Clear();
}

}  // namespace script

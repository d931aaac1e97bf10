// The main page's script scan and its text compositions.
#include "ui/main_page_scan.h"

#include <cstring>

#include "session/install_session.h"
#include "script/folder_placeholders.h"
#include "script/setup_script.h"
#include "support/path_text.h"
#include "support/text.h"
#include "support/text_format.h"

namespace ui {

bool ScanMainPageScript(const char* script_path, ShortcutResolver resolve,
                        char* install_to_template) {
    script::SetupScript script(script_path);
    bool location_found = false;
    script::SectionValues values;
    const char* value = values.Line(0);
    while (script.NextLine()) {
        if (script.ReadSectionAt(script::kProjectNameHead, &values)) {
            support::CopyText(session::Current().project_name, value);
        } else if (script.ReadSectionAt(script::kInstallToHead, &values)) {
            support::CopyText(install_to_template, support::kMaxPath, value);
            support::CopyText(session::Current().destination_folder, value);
            script::ExpandFolderPlaceholders(session::Current().destination_folder);
        } else if (script.ReadSectionAt(script::kLocateInstallHead, &values)) {
            char target[support::kMaxPath] = "";
            if (resolve != nullptr && resolve(value, target) && target[0] != '\0') {
                // The folder of the target, with its trailing backslash.
                support::FolderPart(target, session::Current().destination_folder);
                location_found = true;
            }
        }
    }
    return location_found;
}

void FormatRequiredSpace(int64_t kilobytes, char* text, unsigned capacity) {
    // The switch is at 10000 KB, so 10001 KB already reads "9 MB".
    if (kilobytes > 10000) {
        support::FormatText(text, capacity, "%d MB Disk Space Required",
                            static_cast<int32_t>(kilobytes / 1024));
    } else {
        support::FormatText(text, capacity, "%d KB Disk Space Required",
                            static_cast<int32_t>(kilobytes));
    }
}

void AppendProductFolder(char* chosen, const char* install_to_template) {
    const char* last_slash = std::strrchr(install_to_template, '\\');
    if (last_slash == nullptr) {
        return;
    }
    support::AddTrailingBackslash(chosen);
    support::AppendText(chosen, support::kMaxPath, last_slash + 1);
}

}  // namespace ui

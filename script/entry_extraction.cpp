// Entry extraction with the damaged-package message.
#include "script/entry_extraction.h"

#include "session/install_session.h"
#include "support/message_box.h"
#include "support/text_format.h"
#include "support/win32_values.h"

namespace script {

namespace {

void ReportCorruptedEntry(const char* entry_name) {
    char text[support::kMaxPath + 80];
    support::FormatText(text, sizeof text,
                        "This installation appears to be corrupted. Error whilst installing '%s'.",
                        entry_name);
    support::ShowMessage(text, "Installer", support::kMbIconError);
}

}  // namespace

bool ExtractJobEntry(const char* entry_name, const char* target) {
    if (session::Current().job != nullptr &&
        session::Current().job->Archive().Extract(entry_name, target)) {
        return true;
    }
    ReportCorruptedEntry(entry_name);
    return false;
}

bool ExtractJobEntryInto(const char* entry_name, support::DiskFile* target,
                         const char* target_path) {
    if (session::Current().job != nullptr &&
        session::Current().job->Archive().ExtractInto(entry_name, target, target_path)) {
        return true;
    }
    ReportCorruptedEntry(entry_name);
    return false;
}

}  // namespace script

// Routing of user-visible messages: to the run log, then to a replaceable
// presenter, or to nobody in an unattended run.
#include "support/message_box.h"

#include <atomic>

#include "support/run_log.h"
#include "support/win32_values.h"

namespace support {

namespace {

std::atomic<MessagePresenter> g_presenter{nullptr};
std::atomic<bool> g_unattended{false};

const char* AnswerName(int answer) {
    switch (answer) {
        case kIdOk:
            return "OK";
        case kIdCancel:
            return "Cancel";
        case kIdAbort:
            return "Abort";
        case kIdNo:
            return "No";
    }
    return "?";
}

}  // namespace

int UnattendedAnswer(unsigned flags) {
    switch (flags & kMbTypeMask) {
        case kMbOk:
            return kIdOk;
        case kMbAbortRetryIgnore:
            return kIdAbort;
        case kMbYesNo:
            return kIdNo;
    }
    // OK/Cancel, Yes/No/Cancel, Retry/Cancel, Cancel/Try again/Continue.
    return kIdCancel;
}

int ShowOwnedMessage(void* owner, const char* text, const char* caption, unsigned flags) {
    if (g_unattended.load()) {
        int answer = UnattendedAnswer(flags);
        LogLine("message \"%s\" (not shown, answered %s): %s", caption, AnswerName(answer), text);
        return answer;
    }
    LogLine("message \"%s\": %s", caption, text);
    MessagePresenter presenter = g_presenter.load();
    return presenter ? presenter(text, caption, flags)
                     : PlatformMessageBox(owner, text, caption, flags);
}

int ShowMessage(const char* text, const char* caption, unsigned flags) {
    return ShowOwnedMessage(nullptr, text, caption, flags);
}

bool SetUnattended(bool unattended) {
    return g_unattended.exchange(unattended);
}

MessagePresenter SetMessagePresenter(MessagePresenter presenter) {
    return g_presenter.exchange(presenter);
}

}  // namespace support

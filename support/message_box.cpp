// Routing of user-visible messages through a replaceable presenter.
#include "support/message_box.h"

#include <atomic>

namespace support {

namespace {
std::atomic<MessagePresenter> g_presenter{nullptr};
}

int ShowOwnedMessage(void* owner, const char* text, const char* caption, unsigned flags) {
    MessagePresenter presenter = g_presenter.load();
    return presenter ? presenter(text, caption, flags)
                     : PlatformMessageBox(owner, text, caption, flags);
}

int ShowMessage(const char* text, const char* caption, unsigned flags) {
    return ShowOwnedMessage(nullptr, text, caption, flags);
}

MessagePresenter SetMessagePresenter(MessagePresenter presenter) {
    return g_presenter.exchange(presenter);
}

}  // namespace support

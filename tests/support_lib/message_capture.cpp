#include "tests/support_lib/message_capture.h"

#include <mutex>

#include "support/message_box.h"
#include "support/win32_values.h"

namespace testing_support {

namespace {
std::mutex g_lock;
MessageCapture* g_active = nullptr;
}  // namespace

MessageCapture::MessageCapture() {
    std::lock_guard<std::mutex> guard(g_lock);
    g_active = this;
    support::SetMessagePresenter(&MessageCapture::Present);
}

MessageCapture::~MessageCapture() {
    std::lock_guard<std::mutex> guard(g_lock);
    support::SetMessagePresenter(nullptr);
    g_active = nullptr;
}

int MessageCapture::Present(const char* text, const char* caption, unsigned flags) {
    std::lock_guard<std::mutex> guard(g_lock);
    if (g_active == nullptr) {
        return support::kIdOk;
    }
    g_active->messages_.push_back({text, caption, flags});
    if (g_active->replies_.empty()) {
        return support::kIdOk;
    }
    int reply = g_active->replies_.front();
    g_active->replies_.pop_front();
    return reply;
}

}  // namespace testing_support

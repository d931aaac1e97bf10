// Captures the message boxes shown while a test runs, and answers them.
#pragma once

#include <deque>
#include <string>
#include <vector>

namespace testing_support {

struct CapturedMessage {
    std::string text;
    std::string caption;
    unsigned flags;
};

// While alive, every box goes here instead of the screen. Boxes are answered
// from the queued replies, then with the default reply (OK).
class MessageCapture {
  public:
    MessageCapture();
    ~MessageCapture();

    void QueueReply(int button) { replies_.push_back(button); }
    const std::vector<CapturedMessage>& Messages() const { return messages_; }
    void Clear() { messages_.clear(); }

  private:
    static int Present(const char* text, const char* caption, unsigned flags);

    std::vector<CapturedMessage> messages_;
    std::deque<int> replies_;
};

}  // namespace testing_support

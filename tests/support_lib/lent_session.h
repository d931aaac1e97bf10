// A fresh session lent to the code under test for one scope: every text
// empty, every flag clear, no job. The session lent before comes back at the
// end of the scope.
#pragma once

#include "session/install_session.h"

namespace testing_support {

class LentSession {
  public:
    explicit LentSession(const char* command_line = "")
        : session_(command_line), previous_(session::LendSession(&session_)) {}
    ~LentSession() { session::LendSession(previous_); }
    LentSession(const LentSession&) = delete;
    LentSession& operator=(const LentSession&) = delete;

    session::InstallSession& operator*() { return session_; }
    session::InstallSession* operator->() { return &session_; }

  private:
    session::InstallSession session_;
    session::InstallSession* previous_;
};

}  // namespace testing_support

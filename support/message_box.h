// The one way the system shows a message to the user.
//
// Every user-visible box goes through ShowMessage, so that unit tests can
// replace the presenter and capture text, caption and flags, while the real
// program shows a modal MessageBoxA with no owner window (from whatever thread
// calls it). On Linux the presenter writes the text to stderr.
//
// Every box's text also goes to the run log. In an unattended run nobody is
// there to answer: no box is shown, and each takes the answer that ends the
// run safely (Cancel, No or Abort; OK where that is all there is), so that a
// failure is told by the exit code and the log instead of a window that
// waits for ever.
#pragma once

namespace support {

using MessagePresenter = int (*)(const char* text, const char* caption, unsigned flags);

// Shows the box and returns the button pressed (kIdOk, kIdRetry, ...).
int ShowMessage(const char* text, const char* caption, unsigned flags);
// The same, owned by a window (an HWND): the questions a page asks about
// itself. A replaced presenter sees it like any other box.
int ShowOwnedMessage(void* owner, const char* text, const char* caption, unsigned flags);

// Unattended (true) or not from now on; returns the setting before.
bool SetUnattended(bool unattended);
// The answer an unattended run gives a box of these flags.
int UnattendedAnswer(unsigned flags);

// Replaces the presenter; returns the previous one. Passing nullptr restores
// the platform presenter.
MessagePresenter SetMessagePresenter(MessagePresenter presenter);

// The platform's own presenter, defined in message_box_win.cpp or
// message_box_posix.cpp.
int PlatformMessageBox(void* owner, const char* text, const char* caption, unsigned flags);

}  // namespace support

// Whether this process has administrator rights.
//
// The program asks Windows for no rights of its own (its manifest says
// "asInvoker"), so that an install for one user needs none; a run that must
// write for all users checks this and starts itself again with them.
#pragma once

namespace support {

// True with an elevated token, as after a consent prompt or for a service;
// false for a user's plain (filtered) token, and on systems without
// elevation, which do not know the question.
bool RunsElevated();

// Whether a run that writes for all users must start itself again with
// administrator rights: it lacks them, and it is not itself such a run
// started again ("<Elevated>"). That one goes on with what it got, so that
// a system which elevates in name only cannot make a loop of it.
inline bool MustStartElevated(bool started_again) {
    return !started_again && !RunsElevated();
}

}  // namespace support

// The command-line markers that shape any run, whatever its mode.
//
//   <Silent>             nobody watches: no questions, no boxes
//   <NoRestart>          never restart the computer; a run that needs a
//                        restart ends with 3010 instead
//   <Log>"path"          write the run's log to path
//   <Log>                write it to the temporary folder, under a name of
//                        its own
//   <InstallTo>"path"    the install folder, as if typed on the main page
//   <CurrentUser>        install for the current user alone, or uninstall
//                        such an install
//   <AllUsers>           install for all users
//   <Elevated>           this run was started again, with administrator
//                        rights, by one that had none: it never starts
//                        itself again, whatever rights it got
//
// Markers are matched exactly, in letter case, anywhere on the command line.
// A path starts right after the marker's opening quote and ends at the next
// quote, as pack mode's paths do.
#pragma once

#include "support/win32_values.h"

namespace session {

// A plain record, made empty (all zeros) by value-initialisation: default
// member values would put a 500-byte image of it into the stub.
struct RunMarkers {
    bool silent;
    bool no_restart;
    bool log;
    // Empty when "<Log>" came without a path.
    char log_path[support::kMaxPath];
    bool install_to;
    char install_to_path[support::kMaxPath];
    bool current_user;
    bool all_users;
    bool elevated;
    // A "<Log>\"" or "<InstallTo>" whose path has no closing quote, is empty
    // or is too long for a path: the command line is refused as a whole,
    // since a cut path would name another place. So is one that asks for
    // both scopes.
    bool malformed;
};

RunMarkers ParseRunMarkers(const char* command_line);

// What follows the program's own name on a command line (quoted, or up to
// the first blank, as Windows reads it): the arguments a run that starts
// itself again passes on as they were.
const char* ArgumentsOf(const char* command_line);

}  // namespace session

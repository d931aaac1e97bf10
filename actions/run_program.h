// Running programs and opening documents: the [RunFile] and [RunAndWaitFile]
// actions, and the process start that the uninstaller uses too.
#pragma once

#include <cstdint>

#include "support/win32_values.h"

namespace actions {

// A quoted path of up to 259 characters, a space and arguments of up to 259:
// room for the longest command line built from two path-sized texts.
constexpr unsigned kCommandLineSize = 2 * support::kMaxPath + 4;

// Starts the program at path, in the caller's folder and environment, with
// the command line "\"path\"" or "\"path\" arguments"; with wait set,
// returns only after the program has ended, and stores its exit code in
// *exit_code when that is given. Returns false when the process could not
// be created.
bool RunProgram(const char* path, const char* arguments, bool wait, uint32_t* exit_code = nullptr);

// Starts path as a program (RunProgram) when it ends in ".exe" (any letter
// case), has no extension at all, or arguments are given;
// a failed start is reported as "Error whilst running '%s'.". Anything else
// is opened through the shell's "open" verb and never waited for. Arguments
// are used as given. Returns false when a program could not be started.
bool StartProgramOrDocument(const char* path, const char* arguments, bool wait,
                            uint32_t* exit_code = nullptr);

// Carries out one [RunFile] (wait false) or [RunAndWaitFile] (wait true)
// item. program_path is a writable 260-byte buffer, changed in place: its
// placeholders are expanded, and a path of the form "<TempInstall>\name"
// names a package entry, which is unpacked under its own name into a fresh
// folder inside the job folder, run, and deleted afterwards (when it is no
// longer in use).
// Failures are reported in a box; the result says whether the program
// started. A program waited for leaves its exit code in *exit_code when that
// is given.
bool LaunchFile(char* program_path, const char* arguments, bool wait,
                uint32_t* exit_code = nullptr);

}  // namespace actions

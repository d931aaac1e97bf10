// Running programs and opening documents: the [RunFile] and [RunAndWaitFile]
// actions, and the process start that the uninstaller uses too.
#pragma once

#include "support/win32_values.h"

namespace script {

// A quoted path of up to 259 characters, a space and arguments of up to 259:
// room for the longest command line built from two path-sized texts.
constexpr unsigned kCommandLineSize = 2 * support::kMaxPath + 4;

// Starts command_line as a process in the caller's folder and environment;
// with wait set, returns only after the program has ended. Returns false
// when the process could not be created.
bool RunProgram(const char* command_line, bool wait);

// Starts path as a program when it ends in ".exe" (any letter case) or
// arguments are given, with the command line "path" alone or "\"path\" args";
// a failed start is reported as "Error whilst running '%s'.". Anything else
// is opened through the shell's "open" verb and never waited for. Arguments
// are used as given.
void StartProgramOrDocument(const char* path, const char* arguments, bool wait);

// Carries out one [RunFile] (wait false) or [RunAndWaitFile] (wait true)
// item. program_path is a writable 260-byte buffer, changed in place: its
// placeholders are expanded, and a path of the form "<TempInstall>\name"
// names a package entry, which is unpacked to a temporary file with the
// same extension, run, and deleted afterwards (when it is no longer in use).
// Failures are reported in a box; there is no result.
void LaunchFile(char* program_path, const char* arguments, bool wait);

}  // namespace script

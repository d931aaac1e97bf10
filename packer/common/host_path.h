// Linux paths at the edge of the portable core.
//
// The core speaks Windows paths: the backslash is its only separator, and the
// Linux file layer turns it into a slash. A Linux path therefore reaches the
// core with its slashes turned into backslashes; a Linux name that holds a
// backslash cannot be said that way at all, and neither can a path longer
// than the core's 260-byte buffers.
#pragma once

#include <string>

#include "support/win32_values.h"

namespace vornak_pack {

// Writes the core's form of host_path into out. Returns false, with a
// message, when the path cannot be handed to the core.
bool ToCorePath(const std::string& host_path, char (&out)[support::kMaxPath]);

// The text after the last slash; the whole path when it has none.
std::string HostFileName(const std::string& host_path);

// The folder that holds host_path, without a trailing slash ("." for a bare
// name, "/" for a file at the root).
std::string HostFolderOf(const std::string& host_path);

// The VornakSetup.exe (the 64-bit edition: VornakSetup64.exe) in the folder
// of the running program, where `make` puts both beside vornak-pack.
std::string StubBesideProgram(bool sixty_four_bit = false);

}  // namespace vornak_pack

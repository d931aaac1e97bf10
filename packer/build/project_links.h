// Symbolic links that lead a project's files out of their folder.
//
// build --project packs what the script names, found by name in the
// project folder (and the --files folders). A symbolic link there can
// point anywhere on the machine, and the package would carry that file
// to every user of the installer. Such a link is never followed in
// silence: it is named in a warning, and with --strict it stops the build.
#pragma once

#include <string>
#include <vector>

#include "packer/common/pack_input.h"

namespace vornak_pack {

// Checks every input found through folders: a file whose real path lies
// outside the real path of the folder it was found in is reported, as an
// error when strict (and then false), else as a warning.
bool CheckLinksStayInside(const std::vector<PackInput>& inputs, bool strict);

}  // namespace vornak_pack

// verify: every test the installer applies before it accepts a package, in
// its order, naming the first that fails; then every entry as extraction
// would treat it.
#pragma once

#include <cstdio>
#include <string>

namespace vornak_pack {

// Prints one line per step ("ok" or "FAILED" and why) on out. Also warns of
// what the installer would stumble on: duplicate names, names that are not
// file names, no setup.dat. True only when everything holds.
bool VerifyPackage(const std::string& path, std::FILE* out);

}  // namespace vornak_pack

// Looking into a package: its directory, a check of every entry, extraction
// and the bare stub. Each reads the package exactly as the installer does,
// through the same archive code, and never writes to it.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace vornak_pack {

// Prints the directory. False, with a message, when the file is not a package.
bool ListPackage(const std::string& path, std::FILE* out);

// Checks the trailer and both checksums, then every entry: its data lies
// between the stub and the directory, its data sum matches, its bzip2 stream
// decodes, and to the size the directory claims. Prints one line per entry.
// Also warns of what the installer would stumble on: duplicate names, names
// that are not file names, no setup.dat. True when no entry is damaged.
bool VerifyPackage(const std::string& path, std::FILE* out);

// Extracts the entries called names (all when empty) into folder, which is
// created when missing. Entries of the same name are extracted in directory
// order, so the last one wins, as in the installer.
bool ExtractPackage(const std::string& path, const std::string& folder,
                    const std::vector<std::string>& names, std::FILE* out);

// Writes the bytes before the first entry's data: for a package built from a
// stub, that stub.
bool WriteStub(const std::string& path, const std::string& destination);

}  // namespace vornak_pack

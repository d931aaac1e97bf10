// Entry names as they reach the terminal and the Linux file system.
//
// A UTF-8 package's names (its setup.dat begins with the UTF-8 signature)
// are UTF-8 already and go out as they are. Any other package's names are
// in the ANSI code page of the Windows it was made for, which vornak-pack
// takes as Windows-1252: they are converted to UTF-8, so that "caf\xE9.txt"
// is listed and extracted as "café.txt", as Western Windows shows it.
#pragma once

#include <string>

#include "archive/package_archive.h"
#include "support/disk_file.h"

namespace vornak_pack {

// Whether package's names are UTF-8: the setup.dat the installer reads (the
// last entry of that name) begins with the UTF-8 signature. A package with
// no setup.dat, or one that does not decode, is taken as a legacy one.
// file is the package's file, open for reading.
bool NamesAreUtf8(const archive::PackageArchive& package, support::DiskFile& file);

// name, as the directory holds it, in UTF-8.
std::string HostEntryName(const char* name, bool utf8);

// Whether wanted (UTF-8, as given on the command line) names the entry
// stored as name, letter case aside, as the installer compares names in
// the package's text.
bool EntryNamed(const char* name, const std::string& wanted, bool utf8);

}  // namespace vornak_pack

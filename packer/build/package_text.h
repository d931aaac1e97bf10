// Which text a package being built holds, UTF-8 or the legacy code page,
// and the packed copies that say so.
//
// The installer reads a package's script and entry names as UTF-8 when its
// setup.dat begins with the UTF-8 signature, and in the system's ANSI code
// page otherwise. A package is built UTF-8 when its author asks (--utf8),
// when setup.dat already begins with the signature, or when an entry name or
// a script line holds UTF-8 that is not plain ASCII: Linux names are UTF-8,
// while Windows-1252 text above ASCII is almost never valid UTF-8. Any other
// package is built as it always was, byte for byte, its text taken as
// Windows-1252.
#pragma once

#include <string>
#include <vector>

#include "packer/common/pack_input.h"

namespace vornak_pack {

struct PackageText {
    bool utf8 = false;
    std::string reason;  // why it is UTF-8, for messages
};

// Decides the text of a new package of inputs. In a UTF-8 package, setup.dat
// and a setup.lic that is valid UTF-8 gain the signature their packed copies
// lack (as leading bytes; the files are left as they are). False, with a
// message naming the file and what to do, when a UTF-8 package would hold a
// name or a script line that is not UTF-8, or no setup.dat to tell the
// installer so.
bool ChoosePackageText(bool utf8_asked, std::vector<PackInput>* inputs, PackageText* text);

// The text of the package at path that append extends, as its setup.dat
// tells; false when it is no package or holds no setup.dat yet (its text is
// then chosen as for a new one).
bool ExistingPackageText(const std::string& path, PackageText* text);

// Whether the stub at path reads UTF-8 packages: such a stub asks Windows for
// UTF-8 in its manifest. An older one would read the signature as three
// letters of the script's first line and every name in the wrong code page.
bool StubReadsUtf8Packages(const std::string& path);

// Fits the names of inputs appended to a package of that text: in a UTF-8
// package every name must be UTF-8; in a legacy one a UTF-8 name is written
// in Windows-1252, as pack mode writes it in the system's code page, and
// other bytes are taken as they are. False, with a message naming the
// file, for a name that cannot be written there.
bool FitNamesToPackage(const PackageText& text, std::vector<PackInput>* inputs);

}  // namespace vornak_pack

// What vornak-pack tells about a package's code signature: whether it
// carries a certificate table, and whether it could be signed at all.
#pragma once

#include <string>

#include "archive/package_format.h"

namespace vornak_pack {

// "signed: certificate table N bytes, after P bytes of padding", or
// "unsigned".
std::string SignatureLine(const archive::PackageLayout& layout);

// Warns, naming shown_name, when the unsigned PE at core_path has a CheckSum
// other than 0: signing rewrites that field, and the signed installer would
// then no longer read as a package.
void WarnIfUnsignable(const char* core_path, const std::string& shown_name);

}  // namespace vornak_pack

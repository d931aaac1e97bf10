// Text from a package made safe to print on a terminal.
//
// Entry names come from the file, and a crafted one can hold escape
// sequences that move the cursor, retitle the window or worse once they
// reach a terminal. Everything vornak-pack prints about a package passes
// through here first.
#pragma once

#include <string>

namespace vornak_pack {

// text with every control character written as an escape: C0 controls and
// DEL as \xNN, C1 controls encoded in UTF-8 as \u00NN, and any byte that is
// not part of a valid UTF-8 sequence as \xNN (a lone 0x9B is a C1 control to
// a terminal that does not speak UTF-8). Valid UTF-8 text passes unchanged.
std::string Printable(const std::string& text);

}  // namespace vornak_pack

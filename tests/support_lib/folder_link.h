// Making a link to a folder, the way each platform does it: a junction on
// Windows, a symbolic link on Linux. Tests use it to show that recursive
// deletes remove links and never follow them.
#pragma once

#include <string>

namespace testing_support {

// Makes link (a path that does not exist yet) point at the existing folder
// target. Returns false when the system would not make it.
bool MakeFolderLink(const std::string& link, const std::string& target);

// Whether the system can remove such a link itself. Linux and Windows can;
// Wine cannot: it shows the Unix link it stands for as a reparse point, but
// every way of deleting one acts on the folder it points at (and succeeds
// only when that folder is empty).
bool SystemRemovesFolderLinks();

}  // namespace testing_support

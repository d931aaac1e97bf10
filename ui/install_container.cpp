// Recognising embedded installers among the entries of a container.
#include "ui/install_container.h"

#include "archive/package_archive.h"
#include "support/path_text.h"
#include "support/text.h"
#include "support/win32_values.h"

namespace ui {

bool IsInstallerEntryName(const char* name) {
    char extension[support::kMaxPath];
    support::ExtensionPart(name, extension);
    return support::EqualsIgnoringCase(extension, ".EXE");
}

int32_t CountInstallerEntries(const archive::PackageArchive& package) {
    int32_t total = 0;
    char name[support::kMaxPath];
    for (uint32_t index = 0;; ++index) {
        package.GetEntryName(index, name);
        if (name[0] == '\0') {
            return total;
        }
        if (IsInstallerEntryName(name)) {
            ++total;
        }
    }
}

}  // namespace ui

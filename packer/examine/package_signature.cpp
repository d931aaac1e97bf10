// Signature lines and the warning for stubs that cannot be signed.
#include "packer/examine/package_signature.h"

#include "archive/certificate_table.h"
#include "support/disk_file.h"
#include "support/win32_values.h"
#include "packer/common/tool_messages.h"

namespace vornak_pack {

std::string SignatureLine(const archive::PackageLayout& layout) {
    if (!layout.is_signed) {
        return "unsigned";
    }
    return "signed: certificate table " + std::to_string(layout.signature.table_size) +
           " bytes, after " + std::to_string(layout.padding) + " bytes of padding";
}

void WarnIfUnsignable(const char* core_path, const std::string& shown_name) {
    support::DiskFile file(core_path, support::DiskFile::kRead);
    archive::PackageLayout layout;
    archive::FindPackageLayout(file, &layout);
    if (layout.is_signed || !archive::ReadSignatureFields(file, &layout.signature) ||
        layout.signature.checksum == 0) {
        return;
    }
    ReportWarning(shown_name +
                  ": the stub's PE CheckSum is not 0, so this installer cannot be signed (signing "
                  "rewrites the field, and the installer would no longer read as a package); "
                  "build it from a VornakSetup.exe linked with CheckSum 0");
}

}  // namespace vornak_pack

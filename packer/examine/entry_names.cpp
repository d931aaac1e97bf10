// A package's text, found from its setup.dat, and its names in UTF-8.
#include "packer/examine/entry_names.h"

#include <cstring>
#include <vector>

#include "packer/common/utf8_text.h"
#include "packer/examine/entry_decoding.h"
#include "support/program_text.h"
#include "support/text.h"

namespace vornak_pack {

bool NamesAreUtf8(const archive::PackageArchive& package, support::DiskFile& file) {
    int32_t script = -1;
    for (int32_t at = package.NextEntryNamed("setup.dat", -1); at >= 0;
         at = package.NextEntryNamed("setup.dat", at)) {
        script = at;
    }
    DecodedEntry decoded;
    const size_t length = std::strlen(support::kUtf8Signature);
    return script >= 0 && DecodeEntry(package, file, script, &decoded).empty() &&
           decoded.length >= length &&
           std::memcmp(decoded.bytes.get(), support::kUtf8Signature, length) == 0;
}

std::string HostEntryName(const char* name, bool utf8) {
    std::vector<char> converted(support::ProgramTextCapacity(std::strlen(name)));
    if (utf8 || !support::ToProgramText(name, false, converted.data(), converted.size())) {
        return name;
    }
    return converted.data();
}

bool EntryNamed(const char* name, const std::string& wanted, bool utf8) {
    if (utf8) {
        return Utf8NamesEqualIgnoringCase(name, wanted);
    }
    // A name given in bytes that are not UTF-8 is taken as the entry's own.
    std::vector<char> stored(wanted.size() + 1);
    const char* as_stored =
        support::FromProgramText(wanted.c_str(), false, stored.data(), stored.size())
            ? stored.data()
            : wanted.c_str();
    return support::EqualsIgnoringCase(name, as_stored);
}

}  // namespace vornak_pack

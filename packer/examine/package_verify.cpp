// Package verification: the reader's validation step by step, then a check
// of each entry's data sum and bzip2 stream.
#include "packer/examine/package_verify.h"

#include <cinttypes>
#include <cstdint>
#include <memory>
#include <unordered_set>
#include <vector>

#include "archive/package_archive.h"
#include "archive/package_format.h"
#include "support/disk_file.h"
#include "packer/examine/data_ranges.h"
#include "packer/examine/entry_decoding.h"
#include "packer/examine/entry_names.h"
#include "packer/common/utf8_text.h"
#include "packer/common/host_path.h"
#include "packer/common/pack_input.h"
#include "packer/examine/package_contents.h"
#include "packer/examine/package_signature.h"
#include "packer/common/printable_text.h"
#include "packer/common/tool_messages.h"

namespace vornak_pack {

namespace {

using archive::PackageArchive;
using archive::Validation;

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08" PRIX32, value);
    return text;
}

// Where the directory the trailer describes ends, walking its records; a
// record that runs past the trailer gives a value past it.
uint64_t DirectoryEnd(support::DiskFile& file, const archive::ArchiveTrailer& trailer,
                      uint64_t trailer_start) {
    uint64_t at = trailer.directory_offset;
    for (uint32_t i = 0; i < trailer.entry_count && at + archive::kEntryHeaderSize <= trailer_start;
         ++i) {
        uint8_t header[archive::kEntryHeaderSize];
        file.Seek(static_cast<int32_t>(at));
        if (file.Read(header, sizeof header) != sizeof header) {
            return trailer_start + 1;
        }
        at += archive::kEntryHeaderSize + header[16];
        if (i + 1 == trailer.entry_count) {
            return at;
        }
    }
    return trailer.entry_count == 0 ? at : trailer_start + 1;
}

// The file checksum covers everything but the trailer. When the directory
// does not end where the trailer starts, bytes are missing (or were added);
// otherwise bytes were changed in place.
std::string FileChecksumHint(support::DiskFile& file, const archive::ArchiveTrailer& trailer,
                             const archive::PackageLayout& layout) {
    uint64_t trailer_start = layout.archive_end - archive::kTrailerSize;
    uint64_t end = DirectoryEnd(file, trailer, trailer_start);
    if (trailer.directory_offset > trailer_start || end > trailer_start) {
        return "the directory runs past the trailer: the file looks truncated";
    }
    if (end < trailer_start) {
        return std::to_string(trailer_start - end) +
               " bytes lie between the directory and the trailer: the file looks truncated "
               "or spliced";
    }
    return "its length is as the trailer describes: the file does not look truncated, its "
           "bytes were changed";
}

// What the failing step found, in a line.
std::string ValidationFailure(Validation result, support::DiskFile& file,
                              const archive::ArchiveTrailer& trailer,
                              const archive::PackageLayout& layout) {
    uint8_t bytes[archive::kTrailerSize];
    archive::EncodeTrailer(trailer, bytes);
    switch (result) {
        case Validation::kTooShort:
            return "too short: " + std::to_string(layout.archive_end) +
                   " bytes cannot hold the 24-byte trailer";
        case Validation::kBadFirstMagic:
        case Validation::kBadSecondMagic:
            if (layout.is_signed) {
                return "bad magic: the 24 bytes in front of the certificate table are no package "
                       "trailer (a signed program that is not a package)";
            }
            return "bad magic: the last 24 bytes are no package trailer (a file that is not a "
                   "package, or one whose end was cut off)";
        case Validation::kBadTrailerChecksum:
            return "trailer checksum: stored " + Hex(trailer.trailer_checksum) + ", computed " +
                   Hex(archive::ComputeTrailerChecksum(bytes));
        case Validation::kBadFileChecksum:
            return "file checksum: stored " + Hex(trailer.file_checksum) + ", computed " +
                   Hex(archive::ComputeFileChecksum(file, layout)) + "; " +
                   FileChecksumHint(file, trailer, layout);
        default:
            return archive::DescribeValidation(result);
    }
}

// The reader's tests in order: true when all hold.
bool VerifyValidation(const std::string& path, std::FILE* out) {
    char core_path[support::kMaxPath];
    if (!ToCorePath(path, core_path)) {
        return false;
    }
    support::DiskFile file(core_path, support::DiskFile::kRead | support::DiskFile::kReportErrors);
    archive::ArchiveTrailer trailer;
    archive::PackageLayout layout;
    Validation result = archive::ValidatePackage(file, &trailer, &layout);
    std::fprintf(out, "%s\n", SignatureLine(layout).c_str());
    static const struct {
        Validation failure;
        const char* step;
    } kSteps[] = {{Validation::kTooShort, "length"},
                  {Validation::kBadSecondMagic, "magic"},
                  {Validation::kBadTrailerChecksum, "trailer checksum"},
                  {Validation::kBadFileChecksum, "file checksum"}};
    for (const auto& step : kSteps) {
        bool failed = result == step.failure || (step.failure == Validation::kBadSecondMagic &&
                                                 result == Validation::kBadFirstMagic);
        if (failed || result == Validation::kNotOpen) {
            std::string why = ValidationFailure(result, file, trailer, layout);
            std::fprintf(out, "FAILED  %s\n", why.c_str());
            ReportError(path + ": " + why);
            return false;
        }
        std::fprintf(out, "ok      %s\n", step.step);
    }
    return true;
}

// Why entry index would not extract as the directory describes it; the empty
// text when it would.
std::string EntryDamage(const PackageArchive& package, support::DiskFile& file, int32_t index) {
    DecodedEntry decoded;
    return DecodeEntry(package, file, index, &decoded);
}

// Names folded as the installer compares them, so that a directory of many
// entries is checked for twins in one pass rather than pair by pair.
std::string FoldedName(const char* name, bool utf8) {
    if (utf8) {
        return Utf8NameKey(name);
    }
    std::string folded(name);
    for (char& c : folded) {
        c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return folded;
}

void WarnOfNames(const std::string& path, const PackageArchive& package, bool utf8) {
    std::unordered_set<std::string> seen;
    for (int32_t i = 0; i < package.EntryCount(); ++i) {
        const char* stored = package.EntryAt(i).name;
        std::string name = HostEntryName(stored, utf8);
        std::string problem = EntryNameProblem(stored);
        if (!problem.empty()) {
            ReportWarning(problem);
        }
        if (!seen.insert(FoldedName(stored, utf8)).second) {
            ReportWarning("'" + name +
                          "' is there twice: the installer extracts the last but counts the "
                          "size of the first");
        }
    }
    if (!package.FindEntry("setup.dat")) {
        ReportWarning(path + " has no setup.dat: the installer would call itself corrupted");
    }
}

}  // namespace

bool VerifyPackage(const std::string& path, std::FILE* out) {
    if (OpenPackage(path, false) == nullptr || !VerifyValidation(path, out)) {
        return false;
    }
    ReadablePackage opened;
    if (!OpenReadablePackage(path, &opened)) {
        return false;
    }
    const std::unique_ptr<PackageArchive>& package = opened.archive;
    bool utf8 = opened.utf8_names;
    int damaged = 0;
    std::vector<int32_t> overlaps = OverlappingEntries(*package);
    for (int32_t i = 0; i < package->EntryCount(); ++i) {
        std::string damage = EntryDamage(*package, *opened.file, i);
        if (damage.empty()) {
            damage = OverlapProblem(*package, overlaps, i);
        }
        std::string name = Printable(HostEntryName(package->EntryAt(i).name, utf8));
        if (damage.empty()) {
            std::fprintf(out, "ok      %s\n", name.c_str());
        } else {
            std::fprintf(out, "FAILED  %s: %s\n", name.c_str(), damage.c_str());
            ++damaged;
        }
    }
    WarnOfNames(path, *package, utf8);
    WarnIfUnsignable(opened.core_path.c_str(), path);
    if (damaged > 0) {
        ReportError(path + ": " + std::to_string(damaged) + " of " +
                    std::to_string(package->EntryCount()) + " entries are damaged");
        return false;
    }
    std::fprintf(out, "%s: %d entries, all hold\n", path.c_str(), package->EntryCount());
    return true;
}

}  // namespace vornak_pack

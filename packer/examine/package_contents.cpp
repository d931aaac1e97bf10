// Listing and extraction through PackageArchive.
#include "packer/examine/package_contents.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstring>

#include "support/text.h"
#include "packer/examine/entry_decoding.h"
#include "packer/examine/entry_names.h"
#include "packer/common/host_path.h"
#include "packer/common/pack_input.h"
#include "packer/examine/package_signature.h"
#include "packer/common/printable_text.h"
#include "packer/examine/replacing_write.h"
#include "packer/common/tool_messages.h"
#include "packer/common/utf8_text.h"

namespace vornak_pack {

namespace {

using archive::ArchiveEntry;
using archive::PackageArchive;

bool SameFile(const std::string& a, const std::string& b) {
    struct stat first;
    struct stat second;
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool IsSymbolicLink(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

// What one extraction reads from and how far it may go.
struct Extraction {
    const std::string& path;
    const std::string& folder;
    PackageArchive& package;
    support::DiskFile& file;
    std::FILE* out;
    uint64_t limit;
    std::string limit_reason;
    uint64_t written = 0;
    bool utf8 = false;  // the package's names are UTF-8
};

// Whether a target may be written at all: a name that is not a plain Windows
// file name (a folder part, "..", a drive) could land outside the folder.
// The stored name is judged, as the installer meets it: converting a legacy
// name to UTF-8 adds no separator, but may pass the length limit.
bool MayWrite(const Extraction& job, const char* stored, const std::string& name,
              const std::string& target) {
    std::string problem = EntryNameProblem(stored);
    if (!problem.empty()) {
        ReportError(problem + "; it would land outside " + job.folder + " and is not extracted");
        return false;
    }
    if (IsSymbolicLink(target)) {
        ReportError(target + " is a symbolic link; '" + name + "' is not extracted through it");
        return false;
    }
    if (SameFile(target, job.path)) {
        ReportError("'" + name + "' would overwrite the package itself");
        return false;
    }
    return true;
}

// Decodes the entry whole in memory and only then replaces the target, so
// a damaged entry leaves an existing file as it was.
bool ExtractOne(Extraction& job, int32_t index) {
    const char* stored = job.package.EntryAt(index).name;
    std::string name = HostEntryName(stored, job.utf8);
    std::string target = job.folder + "/" + name;
    if (!MayWrite(job, stored, name, target)) {
        return false;
    }
    DecodedEntry decoded;
    std::string damage = DecodeEntry(job.package, job.file, index, &decoded);
    if (!damage.empty()) {
        ReportError("'" + name + "' is not extracted: " + damage);
        return false;
    }
    std::string error;
    if (!ReplaceFile(job.folder, target, decoded.bytes.get(), decoded.length, &error)) {
        ReportError(error);
        return false;
    }
    job.written += decoded.length;
    std::fprintf(job.out, "%s\n", Printable(target).c_str());
    return true;
}

// The limit on what an extraction writes in all: the sizes the directory
// gives, but no more than the target's file system has room for. A crafted
// directory can claim far more than the package holds.
void ChooseLimit(Extraction* job, uint64_t total, uint64_t given) {
    job->limit = total;
    job->limit_reason = "the sizes the directory gives";
    struct statvfs space;
    if (statvfs(job->folder.c_str(), &space) == 0) {
        uint64_t free_bytes = static_cast<uint64_t>(space.f_bavail) * space.f_frsize;
        if (free_bytes < job->limit) {
            job->limit = free_bytes;
            job->limit_reason = "the free space on " + job->folder;
        }
    }
    if (given != 0 && given < job->limit) {
        job->limit = given;
        job->limit_reason = "--max-size";
    }
}

bool WithinLimit(const Extraction& job, const ArchiveEntry& entry) {
    if (job.written + entry.uncompressed_size <= job.limit) {
        return true;
    }
    ReportError("extraction stops before '" + HostEntryName(entry.name, job.utf8) + "': its " +
                std::to_string(entry.uncompressed_size) + " bytes would bring the total past " +
                std::to_string(job.limit) + " bytes, the limit set by " + job.limit_reason);
    return false;
}

bool MakeFolders(const std::string& folder) {
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        std::string part = folder.substr(0, slash);
        if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) {
            ReportError("cannot create " + part + ": " + std::strerror(errno));
            return false;
        }
        if (slash == std::string::npos) {
            return true;
        }
    }
}

bool IsWanted(const char* name, const std::vector<std::string>& names, bool utf8) {
    for (const std::string& wanted : names) {
        if (EntryNamed(name, wanted, utf8)) {
            return true;
        }
    }
    return names.empty();
}

}  // namespace

std::unique_ptr<PackageArchive> OpenPackage(const std::string& path, bool require_package) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        ReportError("cannot open " + path + ": " + std::strerror(errno));
        return nullptr;
    }
    if (!S_ISREG(info.st_mode)) {
        ReportError(path + " is not a file");
        return nullptr;
    }
    char core_path[support::kMaxPath];
    if (!ToCorePath(path, core_path)) {
        return nullptr;
    }
    auto package = std::make_unique<PackageArchive>(core_path, false);
    if (!package->IsOpen()) {
        return nullptr;
    }
    if (require_package && package->ValidationResult() != archive::Validation::kValid) {
        ReportError(path + " is not a package: " +
                    archive::DescribeValidation(package->ValidationResult()) +
                    "; 'verify' tells more");
        return nullptr;
    }
    return package;
}

bool OpenReadablePackage(const std::string& path, ReadablePackage* opened) {
    opened->archive = OpenPackage(path, true);
    char core_path[support::kMaxPath];
    if (opened->archive == nullptr || !ToCorePath(path, core_path)) {
        return false;
    }
    opened->core_path = core_path;
    opened->file = std::make_unique<support::DiskFile>(
        core_path, support::DiskFile::kRead | support::DiskFile::kReportErrors);
    opened->utf8_names = NamesAreUtf8(*opened->archive, *opened->file);
    return true;
}

std::string RatioText(uint32_t compressed, uint32_t uncompressed) {
    if (uncompressed == 0) {
        return "-";
    }
    char text[16];
    std::snprintf(text, sizeof text, "%.1f%%", 100.0 * compressed / uncompressed);
    return text;
}

bool ListPackage(const std::string& path, std::FILE* out) {
    ReadablePackage opened;
    if (!OpenReadablePackage(path, &opened)) {
        return false;
    }
    const std::unique_ptr<PackageArchive>& package = opened.archive;
    bool utf8 = opened.utf8_names;
    // The name column is padded by characters, not bytes: a printable name
    // is UTF-8, and an "é" takes one column for its two bytes.
    std::vector<std::string> names;
    size_t width = 4;
    for (int32_t i = 0; i < package->EntryCount(); ++i) {
        names.push_back(Printable(HostEntryName(package->EntryAt(i).name, utf8)));
        width = std::max(width, ScriptCharacters(names.back()));
    }
    for (std::string& name : names) {
        name.append(width - ScriptCharacters(name), ' ');
    }
    std::fprintf(out, "stub %" PRIu32 " bytes\n", package->StubLength());
    std::fprintf(out, "%-*s %10s %10s %12s %7s\n", static_cast<int>(width), "name", "offset",
                 "compressed", "uncompressed", "ratio");
    for (int32_t i = 0; i < package->EntryCount(); ++i) {
        const ArchiveEntry& entry = package->EntryAt(i);
        std::fprintf(out, "%s %10" PRIu32 " %10" PRIu32 " %12" PRIu32 " %7s\n",
                     names[static_cast<size_t>(i)].c_str(), entry.data_offset,
                     entry.compressed_size, entry.uncompressed_size,
                     RatioText(entry.compressed_size, entry.uncompressed_size).c_str());
    }
    std::fprintf(out, "%s\n", SignatureLine(package->Layout()).c_str());
    return true;
}

bool ExtractPackage(const std::string& path, const std::string& folder,
                    const std::vector<std::string>& names, std::FILE* out, ProgressBar* progress,
                    uint64_t max_size) {
    ReadablePackage opened;
    if (!OpenReadablePackage(path, &opened)) {
        return false;
    }
    const std::unique_ptr<PackageArchive>& package = opened.archive;
    support::DiskFile& file = *opened.file;
    bool utf8 = opened.utf8_names;
    bool ok = true;
    for (const std::string& name : names) {
        bool found = false;
        for (int32_t i = 0; i < package->EntryCount() && !found; ++i) {
            found = EntryNamed(package->EntryAt(i).name, name, utf8);
        }
        if (!found) {
            ReportError(path + " has no entry '" + name + "'");
            ok = false;
        }
    }
    if (!ok || !MakeFolders(folder)) {
        return false;
    }
    Extraction job{path, folder, *package, file, out, 0, "", 0, utf8};
    uint64_t total = 0;
    for (int32_t i = 0; i < package->EntryCount(); ++i) {
        total += IsWanted(package->EntryAt(i).name, names, utf8)
                     ? package->EntryAt(i).uncompressed_size
                     : 0;
    }
    ChooseLimit(&job, total, max_size);
    if (progress != nullptr) {
        progress->SetTotal(total);
    }
    for (int32_t i = 0; i < package->EntryCount(); ++i) {
        const ArchiveEntry& entry = package->EntryAt(i);
        if (!IsWanted(entry.name, names, utf8)) {
            continue;
        }
        if (!WithinLimit(job, entry)) {
            return false;
        }
        ok = ExtractOne(job, i) && ok;
        if (progress != nullptr) {
            progress->Advance(entry.uncompressed_size, HostEntryName(entry.name, utf8));
        }
    }
    return ok;
}

}  // namespace vornak_pack

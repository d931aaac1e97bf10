// Listing and extraction through PackageArchive.
#include "tools/vornak-pack/package_contents.h"

#include <sys/stat.h>

#include <cerrno>
#include <cinttypes>
#include <cstring>

#include "support/text.h"
#include "tools/vornak-pack/host_path.h"
#include "tools/vornak-pack/pack_input.h"
#include "tools/vornak-pack/package_signature.h"
#include "tools/vornak-pack/tool_messages.h"

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

// A name that is not a plain Windows file name (a folder part, "..", a
// drive) could land outside the folder, so it is never written.
bool ExtractOne(const std::string& path, const std::string& folder, PackageArchive& package,
                int32_t index, std::FILE* out) {
    const char* name = package.EntryAt(index).name;
    std::string problem = EntryNameProblem(name);
    if (!problem.empty()) {
        ReportError(problem + "; it would land outside " + folder + " and is not extracted");
        return false;
    }
    std::string target = folder + "/" + name;
    char core_target[support::kMaxPath];
    if (IsSymbolicLink(target)) {
        ReportError(target + " is a symbolic link; '" + name + "' is not extracted through it");
        return false;
    }
    if (SameFile(target, path)) {
        ReportError(std::string("'") + name + "' would overwrite the package itself");
        return false;
    }
    if (!ToCorePath(target, core_target)) {
        return false;
    }
    if (!package.ExtractEntry(index, core_target)) {
        ReportError(std::string("'") + name + "' could not be extracted; 'verify' tells why");
        return false;
    }
    std::fprintf(out, "%s\n", target.c_str());
    return true;
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

bool IsWanted(const char* name, const std::vector<std::string>& names) {
    for (const std::string& wanted : names) {
        if (support::EqualsIgnoringCase(wanted.c_str(), name)) {
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

std::string RatioText(uint32_t compressed, uint32_t uncompressed) {
    if (uncompressed == 0) {
        return "-";
    }
    char text[16];
    std::snprintf(text, sizeof text, "%.1f%%", 100.0 * compressed / uncompressed);
    return text;
}

bool ListPackage(const std::string& path, std::FILE* out) {
    std::unique_ptr<PackageArchive> package = OpenPackage(path, true);
    if (package == nullptr) {
        return false;
    }
    int width = 4;
    for (int32_t i = 0; i < package->EntryCount(); ++i) {
        int length = static_cast<int>(std::strlen(package->EntryAt(i).name));
        width = length > width ? length : width;
    }
    std::fprintf(out, "stub %" PRIu32 " bytes\n", package->StubLength());
    std::fprintf(out, "%-*s %10s %10s %12s %7s\n", width, "name", "offset", "compressed",
                 "uncompressed", "ratio");
    for (int32_t i = 0; i < package->EntryCount(); ++i) {
        const ArchiveEntry& entry = package->EntryAt(i);
        std::fprintf(out, "%-*s %10" PRIu32 " %10" PRIu32 " %12" PRIu32 " %7s\n", width, entry.name,
                     entry.data_offset, entry.compressed_size, entry.uncompressed_size,
                     RatioText(entry.compressed_size, entry.uncompressed_size).c_str());
    }
    std::fprintf(out, "%s\n", SignatureLine(package->Layout()).c_str());
    return true;
}

bool ExtractPackage(const std::string& path, const std::string& folder,
                    const std::vector<std::string>& names, std::FILE* out, ProgressBar* progress) {
    std::unique_ptr<PackageArchive> package = OpenPackage(path, true);
    if (package == nullptr) {
        return false;
    }
    bool ok = true;
    for (const std::string& name : names) {
        if (!package->FindEntry(name.c_str())) {
            ReportError(path + " has no entry '" + name + "'");
            ok = false;
        }
    }
    if (!ok || !MakeFolders(folder)) {
        return false;
    }
    uint64_t total = 0;
    for (int32_t i = 0; i < package->EntryCount(); ++i) {
        total +=
            IsWanted(package->EntryAt(i).name, names) ? package->EntryAt(i).uncompressed_size : 0;
    }
    if (progress != nullptr) {
        progress->SetTotal(total);
    }
    for (int32_t i = 0; i < package->EntryCount(); ++i) {
        const ArchiveEntry& entry = package->EntryAt(i);
        if (!IsWanted(entry.name, names)) {
            continue;
        }
        ok = ExtractOne(path, folder, *package, i, out) && ok;
        if (progress != nullptr) {
            progress->Advance(entry.uncompressed_size, entry.name);
        }
    }
    return ok;
}

}  // namespace vornak_pack

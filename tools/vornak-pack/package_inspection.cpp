// Listing, verification, extraction and stub copy through PackageArchive.
#include "tools/vornak-pack/package_inspection.h"

#include <sys/stat.h>

#include <cerrno>
#include <cinttypes>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "archive/entry_codec.h"
#include "archive/package_archive.h"
#include "support/disk_file.h"
#include "support/text.h"
#include "tools/vornak-pack/host_path.h"
#include "tools/vornak-pack/pack_input.h"
#include "tools/vornak-pack/tool_messages.h"

namespace vornak_pack {

namespace {

using archive::ArchiveEntry;
using archive::PackageArchive;

// Opens path read-only. PackageArchive creates a missing file even for
// reading, so the file must be there first.
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
                    archive::DescribeValidation(package->ValidationResult()));
        return nullptr;
    }
    return package;
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat first;
    struct stat second;
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool HasEntry(const PackageArchive& package, const char* name) {
    return package.FindEntry(name);
}

// Why entry index would not extract as the directory describes it; the empty
// text when it would. The data is decoded with the installer's own bound.
std::string EntryDamage(const PackageArchive& package, support::DiskFile& file, int32_t index) {
    const ArchiveEntry& entry = package.EntryAt(index);
    uint64_t end = static_cast<uint64_t>(entry.data_offset) + entry.compressed_size;
    if (end > package.DirectoryOffset()) {
        return "its data runs past the start of the directory";
    }
    // The decode buffer is sized by the directory's claim, which may be up to
    // 4 GiB: it is not filled in advance, so only what decodes is touched.
    uint64_t bound = static_cast<uint64_t>(entry.uncompressed_size) + 5000;
    if (bound > UINT32_MAX) {
        return "its size is more than the installer can decode";
    }
    std::vector<uint8_t> data;
    std::unique_ptr<uint8_t[]> decoded(new (std::nothrow) uint8_t[bound]);
    try {
        data.resize(entry.compressed_size);
    } catch (const std::bad_alloc&) {
        decoded.reset();
    }
    if (decoded == nullptr) {
        return "not enough memory to check it";
    }
    file.Seek(static_cast<int32_t>(entry.data_offset));
    if (file.Read(data.data(), entry.compressed_size) != entry.compressed_size) {
        return "its data cannot be read";
    }
    uint32_t sum = 0;
    for (uint8_t byte : data) {
        sum += byte;
    }
    if (sum != entry.data_sum) {
        char text[100];
        std::snprintf(text, sizeof text,
                      "data sum 0x%08" PRIX32 " where the directory says 0x%08" PRIX32, sum,
                      entry.data_sum);
        return text;
    }
    // An empty data block is what the installer writes out as an empty file.
    uint32_t length = static_cast<uint32_t>(bound);
    if (entry.compressed_size == 0) {
        length = 0;
    } else if (!archive::DecompressBuffer(data.data(), entry.compressed_size, decoded.get(),
                                          &length)) {
        return "its bzip2 stream does not decode within the size the directory gives";
    }
    if (length != entry.uncompressed_size) {
        return "it decodes to " + std::to_string(length) + " bytes where the directory says " +
               std::to_string(entry.uncompressed_size);
    }
    return "";
}

void WarnOfNames(const std::string& path, const PackageArchive& package) {
    for (int32_t i = 0; i < package.EntryCount(); ++i) {
        const char* name = package.EntryAt(i).name;
        std::string problem = EntryNameProblem(name);
        if (!problem.empty()) {
            ReportWarning(problem);
        }
        for (int32_t j = 0; j < i; ++j) {
            if (support::EqualsIgnoringCase(name, package.EntryAt(j).name)) {
                ReportWarning(std::string("'") + name +
                              "' is there twice: the installer extracts the last but counts the "
                              "size of the first");
                break;
            }
        }
    }
    if (!HasEntry(package, "setup.dat")) {
        ReportWarning(path + " has no setup.dat: the installer would call itself corrupted");
    }
}

bool ExtractOne(const std::string& path, const std::string& folder, PackageArchive& package,
                int32_t index, std::FILE* out) {
    const char* name = package.EntryAt(index).name;
    std::string problem = EntryNameProblem(name);
    if (!problem.empty()) {
        ReportError(problem + "; it is not extracted");
        return false;
    }
    std::string target = folder + "/" + name;
    char core_target[support::kMaxPath];
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

}  // namespace

bool ListPackage(const std::string& path, std::FILE* out) {
    std::unique_ptr<PackageArchive> package = OpenPackage(path, true);
    if (package == nullptr) {
        return false;
    }
    std::fprintf(out, "%s: %d entries, stub %" PRIu32 " bytes, directory at %" PRIu32 "\n",
                 path.c_str(), package->EntryCount(), package->StubLength(),
                 package->DirectoryOffset());
    std::fprintf(out, "%10s %10s %10s %10s  %s\n", "offset", "packed", "size", "sum", "name");
    for (int32_t i = 0; i < package->EntryCount(); ++i) {
        const ArchiveEntry& entry = package->EntryAt(i);
        std::fprintf(out, "%10" PRIu32 " %10" PRIu32 " %10" PRIu32 " 0x%08" PRIX32 "  %s\n",
                     entry.data_offset, entry.compressed_size, entry.uncompressed_size,
                     entry.data_sum, entry.name);
    }
    return true;
}

bool VerifyPackage(const std::string& path, std::FILE* out) {
    std::unique_ptr<PackageArchive> package = OpenPackage(path, true);
    if (package == nullptr) {
        return false;
    }
    char core_path[support::kMaxPath];
    ToCorePath(path, core_path);
    support::DiskFile file(core_path, support::kGenericRead, support::kOpenExisting, true, true);
    int damaged = 0;
    for (int32_t i = 0; i < package->EntryCount(); ++i) {
        std::string damage = EntryDamage(*package, file, i);
        if (damage.empty()) {
            std::fprintf(out, "ok       %s\n", package->EntryAt(i).name);
        } else {
            std::fprintf(out, "DAMAGED  %s: %s\n", package->EntryAt(i).name, damage.c_str());
            ++damaged;
        }
    }
    WarnOfNames(path, *package);
    std::fprintf(out, "%s: %d entries, %d damaged\n", path.c_str(), package->EntryCount(), damaged);
    return damaged == 0;
}

bool ExtractPackage(const std::string& path, const std::string& folder,
                    const std::vector<std::string>& names, std::FILE* out) {
    std::unique_ptr<PackageArchive> package = OpenPackage(path, true);
    if (package == nullptr) {
        return false;
    }
    bool ok = true;
    for (const std::string& name : names) {
        if (!HasEntry(*package, name.c_str())) {
            ReportError(path + " has no entry '" + name + "'");
            ok = false;
        }
    }
    if (!ok || !MakeFolders(folder)) {
        return false;
    }
    for (int32_t i = 0; i < package->EntryCount(); ++i) {
        bool wanted = names.empty();
        for (const std::string& name : names) {
            wanted = wanted || support::EqualsIgnoringCase(name.c_str(), package->EntryAt(i).name);
        }
        if (wanted && !ExtractOne(path, folder, *package, i, out)) {
            ok = false;
        }
    }
    return ok;
}

bool WriteStub(const std::string& path, const std::string& destination) {
    std::unique_ptr<PackageArchive> package = OpenPackage(path, false);
    char core_destination[support::kMaxPath];
    if (package == nullptr || !ToCorePath(destination, core_destination)) {
        return false;
    }
    if (SameFile(path, destination)) {
        ReportError("the stub cannot be written over the package itself");
        return false;
    }
    if (package->ValidationResult() != archive::Validation::kValid) {
        ReportWarning(path + " is not a package; all of it is its stub");
    }
    package->CopyStub(core_destination);
    struct stat info;
    if (stat(destination.c_str(), &info) != 0 ||
        static_cast<uint64_t>(info.st_size) != package->StubLength()) {
        ReportError("cannot write " + destination);
        return false;
    }
    return true;
}

}  // namespace vornak_pack

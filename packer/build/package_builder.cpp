// Package building in a temporary file, committed by rename.
#include "packer/build/package_builder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "archive/package_archive.h"
#include "packer/common/host_path.h"
#include "packer/examine/package_signature.h"
#include "packer/build/package_text.h"
#include "packer/build/parallel_compressor.h"
#include "packer/build/temp_output.h"
#include "packer/common/tool_messages.h"

namespace vornak_pack {

namespace {

std::string Quoted(const std::string& text) {
    return "'" + text + "'";
}

// Entry names are looked up without regard to case, so two that differ only
// in case are the same name to the installer.
bool CheckNames(const std::vector<PackInput>& inputs, bool utf8) {
    for (size_t i = 0; i < inputs.size(); ++i) {
        std::string problem = EntryNameProblem(inputs[i].name);
        if (!problem.empty()) {
            ReportError(inputs[i].path + ": " + problem);
            return false;
        }
        for (size_t j = 0; j < i; ++j) {
            if (SameEntryName(inputs[i].name, inputs[j].name)) {
                ReportError("two files would be packed as " + Quoted(inputs[i].name) + " (" +
                            inputs[j].path + " and " + inputs[i].path +
                            "); the installer would find only one of them");
                return false;
            }
        }
        if (!utf8 && !IsAsciiName(inputs[i].name)) {
            ReportWarning(Quoted(inputs[i].name) +
                          " is not plain ASCII; Windows reads entry names in its ANSI code page");
        }
    }
    return true;
}

bool CopyWholeFile(const std::string& source, const std::string& destination) {
    int in = open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        ReportError("cannot open " + source + ": " + std::strerror(errno));
        return false;
    }
    int out = open(destination.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    std::vector<char> buffer(1 << 20);
    bool ok = out >= 0;
    while (ok) {
        ssize_t got = read(in, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        ok = write(out, buffer.data(), static_cast<size_t>(got)) == got;
    }
    if (!ok) {
        ReportError("cannot copy " + source + ": " + std::strerror(errno));
    }
    close(in);
    if (out >= 0) {
        close(out);
    }
    return ok;
}

// What the package held before anything is appended: a stub with no
// entries for a new package, the whole existing package when appending.
bool CheckStartingPoint(const BuildRequest& request, const archive::PackageArchive& package) {
    if (package.IsSigned()) {
        ReportError((request.append ? request.output : request.stub) +
                    " is signed, and nothing can be added to a signed file; add every file "
                    "first, then sign");
        return false;
    }
    bool is_package = package.ValidationResult() == archive::Validation::kValid;
    if (!request.append) {
        if (is_package) {
            ReportError(request.stub + " is already a package (" +
                        std::to_string(package.EntryCount()) +
                        " entries); use 'append' to add to it");
            return false;
        }
        return true;
    }
    if (!is_package && package.StubLength() > 0) {
        ReportWarning(request.output + " is not a package yet; all of its " +
                      std::to_string(package.StubLength()) + " bytes become the stub");
    }
    for (const PackInput& input : request.inputs) {
        if (package.FindEntry(input.name.c_str())) {
            ReportWarning(request.output + " already holds an entry " + Quoted(input.name) +
                          "; the installer extracts the new one but counts the size of the old");
        }
    }
    return true;
}

// Long streams wait beside the package being built: that space is needed
// there anyway, and the system's temporary folder may be memory.
std::string SpillFolder(const std::string& temp_path) {
    size_t slash = temp_path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : temp_path.substr(0, slash);
}

bool AppendInputs(const BuildRequest& request, const std::string& spill_folder,
                  archive::PackageArchive* package) {
    return CompressInOrder(
        request.inputs, request.jobs,
        [&](size_t index, const CompressedEntry& entry) {
            const PackInput& input = request.inputs[index];
            if (entry.Size() > UINT32_MAX) {
                ReportError(input.path + " does not compress below 4 GiB");
                return false;
            }
            CompressedEntryReader stream(entry);
            auto result = package->AppendEntryFrom(input.name.c_str(), &stream,
                                                   static_cast<uint32_t>(entry.Size()),
                                                   entry.uncompressed_size);
            if (result == archive::PackageArchive::AppendResult::kSourceShort) {
                ReportError("cannot read back the compressed form of " + input.path);
            }
            if (result != archive::PackageArchive::AppendResult::kAdded) {
                return false;
            }
            if (request.on_entry) {
                request.on_entry(input, entry.uncompressed_size);
            }
            return true;
        },
        spill_folder);
}

bool Build(const BuildRequest& request, TempOutput* temp, BuildSummary* summary) {
    struct stat existing;
    mode_t mode = NewFileMode();
    if (request.append) {
        if (stat(request.output.c_str(), &existing) != 0 || !S_ISREG(existing.st_mode)) {
            ReportError(request.output + " is not a file; 'build' makes a new package");
            return false;
        }
        mode = existing.st_mode & 07777;
    }
    char core_path[support::kMaxPath];
    const std::string& start = request.append ? request.output : request.stub;
    if (!temp->Create(request.output) || !ToCorePath(temp->Path(), core_path) ||
        (!start.empty() && !CopyWholeFile(start, temp->Path()))) {
        return false;
    }
    {
        archive::PackageArchive package(core_path, true);
        if (!package.IsOpen() || !CheckStartingPoint(request, package) ||
            !AppendInputs(request, SpillFolder(temp->Path()), &package)) {
            return false;
        }
        summary->entry_count = static_cast<uint32_t>(package.EntryCount());
        summary->stub_length = package.StubLength();
        if (!package.Close()) {
            ReportError("cannot write the package's directory and trailer; " + request.output +
                        " is left as it was");
            return false;
        }
    }
    WarnIfUnsignable(core_path, request.output);
    struct stat built;
    if (stat(temp->Path().c_str(), &built) == 0) {
        summary->package_size = static_cast<uint64_t>(built.st_size);
    }
    return temp->Commit(request.output, mode);
}

}  // namespace

bool BuildPackage(const BuildRequest& request, BuildSummary* summary) {
    *summary = BuildSummary();
    char unused[support::kMaxPath];
    if (request.inputs.empty()) {
        ReportError("no files to pack");
        return false;
    }
    // A package appended to keeps the text its setup.dat gave it.
    BuildRequest prepared = request;
    PackageText text;
    bool fits = request.append && ExistingPackageText(request.output, &text)
                    ? FitNamesToPackage(text, &prepared.inputs)
                    : ChoosePackageText(request.utf8, &prepared.inputs, &text);
    if (!fits || !CheckNames(prepared.inputs, text.utf8) || !ToCorePath(request.output, unused)) {
        return false;
    }
    if (text.utf8 && !request.append && !request.stub.empty() &&
        !StubReadsUtf8Packages(request.stub)) {
        ReportError(request.stub +
                    " is a stub from before UTF-8 packages, and this package is UTF-8 (" +
                    text.reason + "); build with the stub vornak-pack ships, or keep names and " +
                    "script in plain ASCII");
        return false;
    }
    TempOutput temp;
    return Build(prepared, &temp, summary);
}

}  // namespace vornak_pack

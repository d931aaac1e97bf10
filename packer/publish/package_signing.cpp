// Signing through osslsigncode, committed by rename.
#include "packer/publish/package_signing.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "archive/package_archive.h"
#include "support/disk_file.h"
#include "support/win32_values.h"
#include "packer/common/host_path.h"
#include "packer/examine/package_contents.h"
#include "packer/examine/package_signature.h"
#include "packer/build/temp_output.h"
#include "packer/common/tool_messages.h"

extern char** environ;

namespace vornak_pack {

namespace {

// The package must be whole and unsigned, and its stub's CheckSum must be
// 0, or the signed file would no longer read as a package.
bool CheckSignable(const std::string& path) {
    std::unique_ptr<archive::PackageArchive> package = OpenPackage(path, true);
    if (package == nullptr) {
        return false;
    }
    if (package->IsSigned()) {
        ReportError(path + " is signed already; sign the installer as it was built");
        return false;
    }
    char core_path[support::kMaxPath];
    if (!ToCorePath(path, core_path)) {
        return false;
    }
    support::DiskFile file(core_path, support::DiskFile::kRead);
    archive::SignatureFields fields;
    if (!archive::ReadSignatureFields(file, &fields)) {
        ReportError(path + " is not a Windows program: its stub has no PE header to sign");
        return false;
    }
    if (fields.checksum != 0) {
        ReportError(path +
                    ": the stub's PE CheckSum is not 0, and a signed copy would not read "
                    "as a package; build it from a VornakSetup.exe linked with CheckSum 0");
        return false;
    }
    return true;
}

// Runs the command and waits for it; its output goes to stderr, so that
// stdout carries only vornak-pack's own lines.
bool RunTool(const std::vector<std::string>& command) {
    std::vector<char*> argv;
    for (const std::string& arg : command) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, STDERR_FILENO, STDOUT_FILENO);
    pid_t child = 0;
    int error = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        ReportError("cannot run " + command[0] + ": " + std::strerror(error) +
                    " (Debian's package osslsigncode provides it)");
        return false;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        ReportError(command[0] + " failed; the package is unchanged");
        return false;
    }
    return true;
}

// The signed file must read as a signed package, as the installer reads it.
bool ReadsAsSignedPackage(const std::string& path, archive::PackageLayout* layout) {
    char core_path[support::kMaxPath];
    if (!ToCorePath(path, core_path)) {
        return false;
    }
    support::DiskFile file(core_path, support::DiskFile::kRead);
    archive::ArchiveTrailer trailer;
    archive::Validation result = archive::ValidatePackage(file, &trailer, layout);
    if (result != archive::Validation::kValid || !layout->is_signed) {
        ReportError(std::string("the signed file does not read as a signed package (") +
                    archive::DescribeValidation(result) + "); the package is unchanged");
        return false;
    }
    return true;
}

}  // namespace

std::vector<std::string> SignCommandLine(const SignRequest& request, const std::string& input,
                                         const std::string& output) {
    std::vector<std::string> command = {request.tool, "sign", "-h", "sha256"};
    if (!request.pkcs12.empty()) {
        command.insert(command.end(), {"-pkcs12", request.pkcs12});
    } else {
        command.insert(command.end(), {"-certs", request.certificate, "-key", request.key});
    }
    if (!request.password_file.empty()) {
        command.insert(command.end(), {"-readpass", request.password_file});
    }
    if (!request.timestamp_url.empty()) {
        command.insert(command.end(), {"-ts", request.timestamp_url});
    }
    command.insert(command.end(), {"-in", input, "-out", output});
    return command;
}

bool SignPackage(const SignRequest& request, std::FILE* out) {
    struct stat existing;
    if (!CheckSignable(request.package) || stat(request.package.c_str(), &existing) != 0) {
        return false;
    }
    // The tool creates its output itself, through any symbolic link found at
    // the name: the name is in a folder no one else may write in.
    TempOutput temp;
    if (!temp.CreateInPrivateFolder(request.package, "signed.exe")) {
        return false;
    }
    archive::PackageLayout layout;
    if (!RunTool(SignCommandLine(request, request.package, temp.Path())) ||
        !ReadsAsSignedPackage(temp.Path(), &layout) ||
        !temp.Commit(request.package, existing.st_mode & 07777)) {
        return false;
    }
    std::fprintf(out, "%s: %s\n", request.package.c_str(), SignatureLine(layout).c_str());
    return true;
}

}  // namespace vornak_pack

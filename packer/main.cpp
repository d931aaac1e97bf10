// vornak-pack: builds, checks and takes apart Vornak installers natively on
// Linux, and lints their setup scripts.
//
// It writes the same bytes as the installer's own pack mode, through the same
// archive code, without Wine; see command_line.h for what it does.
#include <sys/stat.h>

#include <cinttypes>
#include <cstdio>
#include <string>
#include <vector>

#include "packer/common/command_line.h"
#include "packer/common/host_path.h"
#include "packer/build/package_builder.h"
#include "packer/examine/package_contents.h"
#include "packer/publish/package_signing.h"
#include "packer/publish/sbom.h"
#include "packer/publish/winget_manifest.h"
#include "packer/examine/package_verify.h"
#include "packer/common/progress_bar.h"
#include "packer/build/project_build.h"
#include "packer/common/tool_messages.h"

namespace {

using vornak_pack::Action;
using vornak_pack::Command;
using vornak_pack::PackInput;

constexpr int kFailed = 1;
constexpr int kBadCommandLine = 2;

bool ExpandSources(const Command& command, std::vector<PackInput>* inputs) {
    for (const vornak_pack::FileSource& source : command.sources) {
        std::vector<std::string> files = {source.path};
        std::string error;
        if (source.is_list &&
            (files.clear(), !vornak_pack::ReadListFile(source.path, &files, &error))) {
            vornak_pack::ReportError(error);
            return false;
        }
        for (const std::string& file : files) {
            inputs->push_back({file, vornak_pack::HostFileName(file)});
        }
    }
    return true;
}

bool IsFile(const std::string& path, uint64_t* size = nullptr) {
    struct stat info;
    bool is_file = stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
    if (is_file && size != nullptr) {
        *size = static_cast<uint64_t>(info.st_size);
    }
    return is_file;
}

bool ChooseStub(const Command& command, std::string* stub) {
    if (!command.stub.empty() && command.sixty_four_bit) {
        vornak_pack::ReportError("give --stub or --arch x64, not both");
        return false;
    }
    *stub = command.stub.empty() ? vornak_pack::StubBesideProgram(command.sixty_four_bit)
                                 : command.stub;
    if (!IsFile(*stub)) {
        vornak_pack::ReportError(command.stub.empty()
                                     ? "no --stub given, and there is no " + *stub +
                                           " beside vornak-pack; give --stub STUB"
                                     : "the stub " + *stub + " is not a file");
        return false;
    }
    return true;
}

bool Pack(const Command& command, const std::vector<PackInput>& inputs) {
    vornak_pack::BuildRequest request;
    request.append = command.action == Action::kAppend;
    request.output = request.append ? command.package : command.output;
    if (!request.append && !ChooseStub(command, &request.stub)) {
        return false;
    }
    request.inputs = inputs;
    request.jobs = command.jobs == 0 ? vornak_pack::DefaultJobs() : command.jobs;
    request.utf8 = command.utf8;
    uint64_t total = 0;
    for (const PackInput& input : inputs) {
        uint64_t size = 0;
        total += IsFile(input.path, &size) ? size : 0;
    }
    vornak_pack::ProgressBar progress(request.append ? "appending" : "building", total);
    request.on_entry = [&](const PackInput& input, uint64_t size) {
        progress.Advance(size, input.name);
    };
    vornak_pack::BuildSummary summary;
    if (!vornak_pack::BuildPackage(request, &summary)) {
        return false;
    }
    std::printf("%s: %" PRIu64 " bytes, %" PRIu32 " entries, stub %" PRIu32 " bytes\n",
                request.output.c_str(), summary.package_size, summary.entry_count,
                summary.stub_length);
    return true;
}

bool Build(const Command& command) {
    std::vector<PackInput> inputs;
    if (!command.project.empty()) {
        vornak_pack::ProjectRequest project{command.project, command.search_folders, command.lint,
                                            command.strict, command.utf8};
        return vornak_pack::GatherProject(project, &inputs) && Pack(command, inputs);
    }
    return ExpandSources(command, &inputs) && Pack(command, inputs);
}

bool Extract(const Command& command) {
    vornak_pack::ProgressBar progress("extracting");
    return vornak_pack::ExtractPackage(command.package, command.folder, command.names, stdout,
                                       &progress, command.max_size);
}

bool Sign(const Command& command) {
    vornak_pack::SignRequest request;
    request.package = command.package;
    request.certificate = command.certificate;
    request.key = command.key;
    request.pkcs12 = command.pkcs12;
    request.password_file = command.password_file;
    request.timestamp_url = command.timestamp_url;
    return vornak_pack::SignPackage(request, stdout);
}

bool WriteManifest(const Command& command) {
    vornak_pack::WingetRequest request;
    request.package = command.package;
    request.identifier = command.manifest_id;
    request.version = command.manifest_version;
    request.publisher = command.publisher;
    request.folder = command.output;
    request.url = command.download_url;
    if (request.url.empty()) {
        // winget requires a download address; this one makes a forgotten
        // --url plain to whoever reads or validates the manifest.
        request.url =
            "https://REPLACE-WITH-THE-DOWNLOAD-URL/" + vornak_pack::HostFileName(command.package);
        vornak_pack::ReportWarning(
            "no --url: the manifest's InstallerUrl is a placeholder to replace");
    }
    return vornak_pack::WriteWingetManifests(request, stdout);
}

bool Run(const Command& command) {
    switch (command.action) {
        case Action::kHelp:
            std::fputs(vornak_pack::UsageText().c_str(), stdout);
            return true;
        case Action::kVersion:
            std::printf("vornak-pack %s\n", VORNAK_VERSION);
            return true;
        case Action::kBuild:
        case Action::kAppend:
            return Build(command);
        case Action::kList:
            return vornak_pack::ListPackage(command.package, stdout);
        case Action::kVerify:
            return vornak_pack::VerifyPackage(command.package, stdout);
        case Action::kExtract:
            return Extract(command);
        case Action::kLint:
            return vornak_pack::LintScriptFile(command.script, command.search_folders,
                                               command.strict, command.utf8, stdout);
        case Action::kSign:
            return Sign(command);
        case Action::kManifest:
            return WriteManifest(command);
        case Action::kSbom:
            return vornak_pack::WriteSbom(command.package, stdout);
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    vornak_pack::UseConsolePresenter();
    std::vector<std::string> args(argv + 1, argv + argc);
    Command command;
    std::string error;
    if (!vornak_pack::ParseCommandLine(args, &command, &error)) {
        std::fprintf(stderr, "vornak-pack: %s\n%s", error.c_str(),
                     "Try 'vornak-pack --help' for more information.\n");
        return kBadCommandLine;
    }
    return Run(command) ? 0 : kFailed;
}

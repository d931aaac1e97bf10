// vornak-pack: builds and inspects Vornak packages natively on Linux.
//
// It writes the same bytes as the installer's own pack mode, through the same
// archive code, without Wine; see command_line.h for what it does.
#include <cinttypes>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/vornak-pack/command_line.h"
#include "tools/vornak-pack/package_builder.h"
#include "tools/vornak-pack/package_inspection.h"
#include "tools/vornak-pack/tool_messages.h"

namespace {

using vornak_pack::Action;

constexpr int kFailed = 1;
constexpr int kBadCommandLine = 2;

bool Build(const vornak_pack::Command& command) {
    vornak_pack::BuildRequest request;
    request.output = command.package;
    request.append = command.action == Action::kAdd;
    request.stub = command.stub;
    request.inputs = command.inputs;
    request.jobs = command.jobs == 0 ? vornak_pack::DefaultJobs() : command.jobs;
    vornak_pack::BuildSummary summary;
    if (!vornak_pack::BuildPackage(request, &summary)) {
        return false;
    }
    std::printf("%s: %" PRIu64 " bytes, %" PRIu32 " entries, stub %" PRIu32 " bytes\n",
                command.package.c_str(), summary.package_size, summary.entry_count,
                summary.stub_length);
    return true;
}

bool Run(const vornak_pack::Command& command) {
    switch (command.action) {
        case Action::kHelp:
            std::fputs(vornak_pack::UsageText().c_str(), stdout);
            return true;
        case Action::kVersion:
            std::printf("vornak-pack %s\n", VORNAK_VERSION);
            return true;
        case Action::kCreate:
        case Action::kAdd:
            return Build(command);
        case Action::kList:
            return vornak_pack::ListPackage(command.package, stdout);
        case Action::kVerify:
            return vornak_pack::VerifyPackage(command.package, stdout);
        case Action::kExtract:
            return vornak_pack::ExtractPackage(command.package, command.folder, command.names,
                                               stdout);
        case Action::kStub:
            return vornak_pack::WriteStub(command.package, command.destination);
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    vornak_pack::UseConsolePresenter();
    std::vector<std::string> args(argv + 1, argv + argc);
    vornak_pack::Command command;
    std::string error;
    if (!vornak_pack::ParseCommandLine(args, &command, &error)) {
        if (!error.empty()) {
            std::fprintf(stderr, "vornak-pack: %s\n", error.c_str());
        }
        std::fputs(vornak_pack::UsageText().c_str(), stderr);
        return kBadCommandLine;
    }
    return Run(command) ? 0 : kFailed;
}

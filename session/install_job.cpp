// InstallJob: job folder, own package, setup files.
#include "session/install_job.h"
#include "session/own_program_path.h"

#include <initializer_list>

#include "support/message_box.h"
#include "support/path_text.h"
#include "support/program_text.h"
#include "support/run_log.h"
#include "support/text.h"
#include "support/win32_values.h"

namespace session {

std::unique_ptr<InstallJob> OpenOwnPackageJob() {
    char own_path[support::kMaxPath];
    OwnProgramPath(own_path);
    return std::make_unique<InstallJob>(own_path);
}

InstallJob::InstallJob(const char* package_path) : folder_("QZT"), archive_(package_path, false) {
    // Without a job folder of our own there is nowhere safe to unpack to.
    corrupted_ = folder_.Path()[0] == '\0' || !ExtractSetupFile("setup.dat");
    if (!corrupted_ && !UseProgramText()) {
        refused_ = true;
        return;
    }
    if (!corrupted_) {
        for (const char* optional : {"setup.bmp", "setup.lic"}) {
            if (archive_.FindEntry(optional)) {
                ExtractSetupFile(optional);
            }
        }
    }
    if (corrupted_) {
        support::ShowMessage("This installation is corrupted please obtain a new install.",
                             "Installer", support::kMbOk | support::kMbIconError);
    }
}

bool InstallJob::UseProgramText() {
    char script_path[support::kMaxPath];
    FolderPath(script_path);
    support::AppendText(script_path, "setup.dat");
    support::DiskFile script(script_path, support::DiskFile::kRead);
    utf8_ = script.SkipUtf8Signature();
    if (utf8_ && !support::ProgramTextIsUtf8()) {
        // Windows before 10 version 1903 gives the program its ANSI code page
        // whatever the manifest asks, and most Unicode names have no form
        // there: nothing is installed rather than files under wrong names.
        support::ShowMessage(
            "This installation needs Windows 10 version 1903 or later: it holds names that "
            "this version of Windows cannot give to a program.",
            "Installer", support::kMbOk | support::kMbIconError);
        return false;
    }
    if (!archive_.UseProgramTextNames(utf8_)) {
        support::LogLine(
            "A packed file's name is too long once in Unicode; it cannot be installed.");
    }
    return true;
}

bool InstallJob::ExtractSetupFile(const char* name) {
    char target[support::kMaxPath];
    FolderPath(target);
    support::AppendText(target, name);
    return archive_.Extract(name, target);
}

void InstallJob::FolderPath(char* text) const {
    support::CopyText(text, support::kMaxPath, folder_.Path());
    if (text[0] != '\0') {
        support::AddTrailingBackslash(text);
    }
}

}  // namespace session

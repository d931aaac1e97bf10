// InstallJob: job folder, own package, setup files.
#include "session/install_job.h"
#include "session/own_program_path.h"

#include <initializer_list>

#include "support/message_box.h"
#include "support/path_text.h"
#include "support/text.h"
#include "support/win32_values.h"

namespace session {

InstallJob* CurrentJob = nullptr;

InstallJob::InstallJob(bool* corrupted) {
    char own_path[support::kMaxPath];
    OwnProgramPath(own_path);
    Open(own_path, corrupted);
}

InstallJob::InstallJob(const char* package_path, bool* corrupted) {
    Open(package_path, corrupted);
}

void InstallJob::Open(const char* package_path, bool* corrupted) {
    folder_ = new support::TempFolder("QZT");
    archive_ = new archive::PackageArchive(package_path, false);
    // Without a job folder of our own there is nowhere safe to unpack to.
    *corrupted = folder_->Path()[0] == '\0' || !ExtractSetupFile("setup.dat");
    if (!*corrupted) {
        for (const char* optional : {"setup.bmp", "setup.lic"}) {
            if (archive_->FindEntry(optional)) {
                ExtractSetupFile(optional);
            }
        }
    }
    if (*corrupted) {
        support::ShowMessage("This installation is corrupted please obtain a new install.",
                             "Installer", support::kMbOk | support::kMbIconError);
    }
}

bool InstallJob::ExtractSetupFile(const char* name) {
    char target[support::kMaxPath];
    FolderPath(target);
    support::AppendText(target, name);
    return archive_->Extract(name, target);
}

InstallJob::~InstallJob() {
    delete archive_;
    delete folder_;
}

void InstallJob::FolderPath(char* text) const {
    support::CopyText(text, support::kMaxPath, folder_->Path());
    if (text[0] != '\0') {
        support::AddTrailingBackslash(text);
    }
}

}  // namespace session

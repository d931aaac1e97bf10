// InstallJob: job folder, own package, setup files.
#include "app/install_job.h"

#include <initializer_list>

#include "support/message_box.h"
#include "support/path_text.h"
#include "support/text.h"
#include "support/win32_values.h"

namespace app {

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
    *corrupted = false;
    folder_ = new support::TempFolder("QZT");
    archive_ = new archive::PackageArchive(package_path, false);

    char target[support::kMaxPath];
    FolderPath(target);
    support::AppendText(target, "setup.dat");
    if (!archive_->Extract("setup.dat", target)) {
        *corrupted = true;
    }
    for (const char* optional : {"setup.bmp", "setup.lic"}) {
        if (archive_->FindEntry(optional)) {
            FolderPath(target);
            support::AppendText(target, optional);
            archive_->Extract(optional, target);
        }
    }
    if (*corrupted) {
        support::ShowMessage("This installation is corrupted please obtain a new install.",
                             "Installer", support::kMbOk | support::kMbIconError);
    }
}

InstallJob::~InstallJob() {
    delete archive_;
    delete folder_;
}

void InstallJob::FolderPath(char* text) const {
    support::CopyText(text, support::kMaxPath, folder_->Path());
    support::AddTrailingBackslash(text);
}

}  // namespace app

// InstallJob: what install mode keeps from start to end.
//
// The program's own file opened as a package, and a private "QZT" folder in
// the temporary folder holding setup.dat, setup.bmp and setup.lic. Without
// setup.dat the installation is corrupted, which is reported once.
#pragma once

#include "archive/package_archive.h"
#include "support/temp_path.h"

namespace session {

class InstallJob {
  public:
    // Opens the running program's own file.
    explicit InstallJob(bool* corrupted);
    // Opens the package at package_path instead (tests, tools).
    InstallJob(const char* package_path, bool* corrupted);
    ~InstallJob();
    InstallJob(const InstallJob&) = delete;
    InstallJob& operator=(const InstallJob&) = delete;

    // The job folder with a trailing backslash, into a 260-byte buffer; the
    // empty text when no folder could be made.
    void FolderPath(char* text) const;
    archive::PackageArchive& Archive() { return *archive_; }

  private:
    void Open(const char* package_path, bool* corrupted);
    bool ExtractSetupFile(const char* name);

    archive::PackageArchive* archive_ = nullptr;
    support::TempFolder* folder_ = nullptr;
};

// The job of install mode; null outside it.
extern InstallJob* CurrentJob;

}  // namespace session

// InstallJob: what install mode keeps from start to end.
//
// The program's own file opened as a package, and a private "QZT" folder in
// the temporary folder holding setup.dat, setup.bmp and setup.lic. Without
// setup.dat the installation is corrupted, which is reported once.
#pragma once

#include <memory>

#include "archive/package_archive.h"
#include "support/temp_path.h"

namespace session {

class InstallJob {
  public:
    // Opens the package at package_path and unpacks the setup files.
    explicit InstallJob(const char* package_path);
    InstallJob(const InstallJob&) = delete;
    InstallJob& operator=(const InstallJob&) = delete;

    // Whether the package could not be used (no job folder, or no readable
    // setup.dat); the user has been told already.
    bool Corrupted() const { return corrupted_ || refused_; }
    // Whether the package's text is UTF-8 (its script begins with the
    // signature) rather than the system's ANSI code page.
    bool TextIsUtf8() const { return utf8_; }
    // The job folder with a trailing backslash, into a kMaxPath-byte buffer; the
    // empty text when no folder could be made.
    void FolderPath(char* text) const;
    archive::PackageArchive& Archive() { return archive_; }

  private:
    bool ExtractSetupFile(const char* name);
    // Finds the package's text encoding and turns its entry names into
    // program text; false, with the user told, when this Windows cannot
    // run a UTF-8 package.
    bool UseProgramText();

    // Declared in this order so that the archive closes before the folder
    // it was unpacked into is deleted.
    support::TempFolder folder_;
    archive::PackageArchive archive_;
    bool corrupted_ = false;
    bool refused_ = false;
    bool utf8_ = false;
};

// The job on the running program's own file.
std::unique_ptr<InstallJob> OpenOwnPackageJob();

}  // namespace session

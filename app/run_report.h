// What every mode does at its start and end for those who do not watch: the
// run log the markers ask for, unattended answers under "<Silent>", the
// exit code with its reason, and the lock that keeps two runs of one
// project from working at once.
#pragma once

#include "session/run_markers.h"
#include "support/run_log.h"

namespace app {

class RunReport {
  public:
    // mode names the run in the log ("install", "uninstall", "pack").
    RunReport(const session::RunMarkers& markers, const char* command_line, const char* mode);
    ~RunReport();
    RunReport(const RunReport&) = delete;
    RunReport& operator=(const RunReport&) = delete;

    // "<Log>" without a path: from now on the log is a new file in the
    // temporary folder named after the project (or, without one, after the
    // program's file). Lines logged so far are written first.
    void NameAfter(const char* project);
    // Logs the code with what it means to a deployment tool and returns it.
    int Finish(int exit_code);
    // This run has started itself again, elevated, and passes that run's
    // exit code on: the log is that run's to write, from its first line.
    // The file is closed (one that "<Log>" named is then replaced by the
    // other run), lines still held are dropped and Finish logs nothing.
    void HandOver();

  private:
    support::RunLog log_;
    const char* mode_;
    bool unattended_before_;
    bool log_wanted_in_temp_;
    bool handed_over_ = false;
};

// Holds the machine-wide lock of one project for as long as it lives.
class ProjectRunLock {
  public:
    ProjectRunLock() = default;
    ~ProjectRunLock();
    ProjectRunLock(const ProjectRunLock&) = delete;
    ProjectRunLock& operator=(const ProjectRunLock&) = delete;

    // False when another installer or uninstaller of the project, in any
    // session on the machine, holds it now.
    bool Take(const char* project);
    // Lets it go before the end, for a run that another takes over.
    void Release();

  private:
    void* handle_ = nullptr;
};

// Tells that another run of the project is in progress (a box unless the
// run is unattended, and the log) and returns 1618.
int ReportRunInProgress(const char* project, const char* caption);

}  // namespace app

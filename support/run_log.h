// The log of one run: plain UTF-8 text, one line per event.
//
// Deployment tools run installers where nobody watches; what happened must
// be readable afterwards from a file. Each line goes to the file as it is
// logged (no buffering in the process), so a run that is killed still
// leaves every line it logged before. Lines logged before the file is
// opened (the start of a run, before the project is known and so before a
// default log can be named) are held and written first when it opens.
//
// One log serves the whole process: every thread logs through LogLine,
// which does nothing while no log is attached. The log never holds file
// contents, only names, results and messages.
#pragma once

#include "support/win32_values.h"

#include <cstddef>

#include "support/file_system.h"
#include "support/sync.h"

namespace support {

class RunLog {
  public:
    RunLog() = default;
    ~RunLog();
    RunLog(const RunLog&) = delete;
    RunLog& operator=(const RunLog&) = delete;

    // Creates the file at path, replacing one that is there.
    bool OpenAt(const char* path);
    // Creates folder + stem + "-N.log" with the smallest N from 1 whose name
    // is free, so an earlier log is never overwritten; the name chosen goes
    // to chosen_path. Characters a file name cannot hold become "_".
    bool OpenNew(const char* folder, const char* stem, char* chosen_path, size_t capacity);
    bool IsOpen() const { return handle_ != nullptr; }
    // Detaches the log from the process, if attached, and closes its file;
    // lines still held are dropped. Another process may then write the file.
    void Close();
    const char* Path() const { return path_; }

    // Writes one line, time first; text is in the program's own code page
    // and is written as UTF-8.
    void Write(const char* text);

  private:
    void WriteRaw(const char* bytes, size_t count);

    SyncMutex lock_;
    fs::NativeHandle handle_ = nullptr;
    char path_[kMaxPath] = "";
    // Lines logged before the file opened.
    char held_[4096] = "";
    size_t held_length_ = 0;
};

// Attaches the process's log (null: none); returns the one attached before.
RunLog* AttachRunLog(RunLog* log);
RunLog* AttachedRunLog();

// Formats a line and writes it to the attached log, if any.
void LogLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Logs "what: subject: the system's words for error".
void LogFailure(const char* what, const char* subject, unsigned long error);

// The platform's part: the local time as "YYYY-MM-DD HH:MM:SS.mmm" and the
// program's text turned into UTF-8 (both cut to their buffers).
void LogTimeStamp(char* buffer, size_t capacity);
void ToUtf8(const char* text, char* buffer, size_t capacity);
// The system's own words for an error code ("Access is denied."), without
// the line break it ends with; "error N" when it has none.
void SystemErrorText(unsigned long code, char* buffer, size_t capacity);

}  // namespace support

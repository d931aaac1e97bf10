// The install loop's look-ahead: the entries its [CopyFile] sections name,
// in script order, decoded ahead on a second core while the loop writes the
// one before (see archive/entry_look_ahead.h).
#pragma once

#include <atomic>
#include <memory>

#include "archive/entry_look_ahead.h"
#include "archive/package_archive.h"

namespace script {

// The decoded bytes held ahead at once: two or three typical files, well
// within the memory an install may take, whatever the size of an entry.
constexpr uint32_t kLookAheadBudget = 32u * 1024 * 1024;

// For as long as it lives, the package's extraction takes the entries the
// script at script_path copies from a look-ahead. It does nothing when the
// script names no entry of the package, no second thread can run, or stop
// is set before the plan is made (the plan reads the whole script, and a
// cancel must not wait for that).
class InstallLookAhead {
  public:
    InstallLookAhead(const char* script_path, archive::PackageArchive* package,
                     const std::atomic<bool>& stop);
    ~InstallLookAhead();
    InstallLookAhead(const InstallLookAhead&) = delete;
    InstallLookAhead& operator=(const InstallLookAhead&) = delete;

    // Whether extraction now takes entries from the look-ahead.
    bool Active() const { return look_ahead_ != nullptr; }

  private:
    archive::PackageArchive* package_;
    std::unique_ptr<archive::EntryLookAhead> look_ahead_;
};

}  // namespace script

// The install loop's look-ahead, planned from a pass over the script.
#include "script/install_look_ahead.h"

#include <atomic>
#include <cstdlib>
#include <new>

#include "script/folder_placeholders.h"
#include "script/setup_script.h"
#include "support/text.h"

namespace script {

namespace {

// The entries of the package in the order the loop will extract them: each
// [CopyFile] section's entry name, expanded as the loop expands it, gives
// every entry of that name in directory order, as extraction takes them.
class ExtractionOrder {
  public:
    ExtractionOrder(const char* script_path, const archive::PackageArchive& package,
                    const std::atomic<bool>& stop) {
        SetupScript script(script_path);
        // The stub's allocations give null when memory runs out; they never throw.
        auto* values = new (std::nothrow) SectionValues;
        while (values != nullptr && script.IsOpen() && !stop && script.NextLine()) {
            if (script.ReadSectionAt(kCopyFileHead, values)) {
                char name[LineCapacity(kValueLineLimit)];
                support::CopyText(name, values->Line(0));
                ExpandFolderPlaceholders(name);
                AddEntriesNamed(name, package);
            }
        }
        delete values;
    }
    ~ExtractionOrder() { std::free(indexes_); }
    ExtractionOrder(const ExtractionOrder&) = delete;
    ExtractionOrder& operator=(const ExtractionOrder&) = delete;

    const int32_t* Indexes() const { return indexes_; }
    int32_t Count() const { return count_; }

  private:
    void AddEntriesNamed(const char* name, const archive::PackageArchive& package) {
        for (int32_t i = package.NextEntryNamed(name, -1); i >= 0;
             i = package.NextEntryNamed(name, i)) {
            Add(i);
        }
    }
    void Add(int32_t index) {
        if (count_ == capacity_) {
            int32_t grown = capacity_ > 0 ? capacity_ * 2 : 64;
            void* more = std::realloc(indexes_, static_cast<size_t>(grown) * sizeof(int32_t));
            if (more == nullptr) {
                return;  // the entries left out are simply decoded when asked for
            }
            indexes_ = static_cast<int32_t*>(more);
            capacity_ = grown;
        }
        indexes_[count_++] = index;
    }

    int32_t* indexes_ = nullptr;
    int32_t count_ = 0;
    int32_t capacity_ = 0;
};

}  // namespace

InstallLookAhead::InstallLookAhead(const char* script_path, archive::PackageArchive* package,
                                   const std::atomic<bool>& stop)
    : package_(package) {
    ExtractionOrder order(script_path, *package, stop);
    // A stop during the plan leaves nothing to decode for.
    if (order.Count() == 0 || stop) {
        return;
    }
    look_ahead_ = std::make_unique<archive::EntryLookAhead>(*package, order.Indexes(),
                                                            order.Count(), kLookAheadBudget);
    if (look_ahead_->Start()) {
        package_->UseLookAhead(look_ahead_.get());
    } else {
        look_ahead_.reset();
    }
}

InstallLookAhead::~InstallLookAhead() {
    package_->UseLookAhead(nullptr);
}

}  // namespace script

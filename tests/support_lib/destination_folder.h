// Sets DestinationFolder for one test and puts the earlier value back.
#pragma once

#include "app/app_state.h"
#include "support/text.h"

namespace testing_support {

class DestinationFolderSwap {
  public:
    explicit DestinationFolderSwap(const char* folder) {
        support::CopyText(saved_, app::DestinationFolder);
        support::CopyText(app::DestinationFolder, folder);
    }
    ~DestinationFolderSwap() { support::CopyText(app::DestinationFolder, saved_); }
    DestinationFolderSwap(const DestinationFolderSwap&) = delete;
    DestinationFolderSwap& operator=(const DestinationFolderSwap&) = delete;

  private:
    char saved_[sizeof app::DestinationFolder];
};

}  // namespace testing_support

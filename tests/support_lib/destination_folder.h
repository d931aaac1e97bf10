// Sets DestinationFolder for one test and puts the earlier value back.
#pragma once

#include "session/install_session.h"
#include "support/text.h"

namespace testing_support {

class DestinationFolderSwap {
  public:
    explicit DestinationFolderSwap(const char* folder) {
        support::CopyText(saved_, session::DestinationFolder);
        support::CopyText(session::DestinationFolder, folder);
    }
    ~DestinationFolderSwap() { support::CopyText(session::DestinationFolder, saved_); }
    DestinationFolderSwap(const DestinationFolderSwap&) = delete;
    DestinationFolderSwap& operator=(const DestinationFolderSwap&) = delete;

  private:
    char saved_[sizeof session::DestinationFolder];
};

}  // namespace testing_support

// Sets the current session's destination_folder for one scope and puts the
// earlier value back.
#pragma once

#include "session/install_session.h"
#include "support/text.h"

namespace testing_support {

class DestinationFolderSwap {
  public:
    explicit DestinationFolderSwap(const char* folder) {
        support::CopyText(saved_, session::Current().destination_folder);
        support::CopyText(session::Current().destination_folder, folder);
    }
    ~DestinationFolderSwap() { support::CopyText(session::Current().destination_folder, saved_); }
    DestinationFolderSwap(const DestinationFolderSwap&) = delete;
    DestinationFolderSwap& operator=(const DestinationFolderSwap&) = delete;

  private:
    char saved_[sizeof session::Current().destination_folder];
};

}  // namespace testing_support

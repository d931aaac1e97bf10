// The licence text as the licence page shows it: setup.lic read whole.
//
// Portable, so that the size rules can be tested natively; the page itself
// is in licence_page_win.cpp.
#pragma once

#include <cstdint>

namespace ui {

// The largest licence shown. Licence texts run to tens of kilobytes; a file
// of megabytes is no licence anyone reads in a 267 x 127 edit control, and
// the buffer for it is sized by the package.
constexpr uint64_t kLargestLicence = 1024 * 1024;

// The text of the file at path with a NUL after it, in a buffer the caller
// releases with std::free. Null when the file cannot be opened, is larger
// than kLargestLicence, or no buffer can be had. A short read gives the
// bytes that did arrive.
char* ReadLicenceText(const char* path);

}  // namespace ui

// Registers the common-control window classes the dialog pages use.
// Only Windows code includes this header.
#pragma once

namespace ui {

// Makes the progress bar class available before a page that holds one is
// created. Wine loads the class on demand, Windows does not.
void InitPageControls();

}  // namespace ui

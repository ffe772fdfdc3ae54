#pragma once
// The clipboard an unattended run uses: the desktop's, when a display can be
// reached, else one inside the process.

#include <memory>

#include "platform/clipboard.h"

namespace varnel {

// True when an X11 or Wayland display named in the environment accepts a
// connection. Checked without loading any GUI library.
bool DisplayReachable();

std::unique_ptr<TClipboard> MakeUnattendedClipboard();

}  // namespace varnel

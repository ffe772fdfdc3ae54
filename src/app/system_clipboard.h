#pragma once
// The clipboard an unattended run uses: the desktop's, when a display can be
// reached and the window module loads, else one inside the process.

#include <memory>

#include "platform/clipboard.h"

namespace varnel {

// True when an X11 or Wayland display named in the environment accepts a
// connection. Checked without loading any GUI library.
bool DisplayReachable();

using TClipboardHandle = std::unique_ptr<TClipboard, void (*)(TClipboard*)>;
TClipboardHandle MakeUnattendedClipboard();

// A function of the window module (libvarnel_gui.so beside the program), loaded
// on first use; null when the module or the function is missing.
void* FindGuiFunction(const char* name);

}  // namespace varnel

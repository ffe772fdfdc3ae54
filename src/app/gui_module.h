#pragma once
// The window module: everything that needs Qt lives in libvarnel_gui.so, which
// the program loads only when it needs a window or the desktop clipboard, so an
// unattended run starts without loading any GUI library.

namespace varnel {
class TClipboard;
}

inline constexpr const char* kGuiModuleFile = "libvarnel_gui.so";

extern "C" {
// The desktop clipboard; creates the GUI application object if there is none.
// Null when it cannot be had.
using VarnelOpenSystemClipboard = varnel::TClipboard* (*)();
// Releases the clipboard and the application object; at that moment the
// desktop's clipboard manager takes over what the clipboard holds.
using VarnelCloseSystemClipboard = void (*)(varnel::TClipboard*);
// Runs the main window until it is closed; returns the exit status.
using VarnelRunWindow = int (*)(int argc, char** argv);
}

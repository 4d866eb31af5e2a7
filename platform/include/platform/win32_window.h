// Windows only: windows of the libraries' own (the help text, the pages on the screen) shown as
// the dialogs are, modal to the thread: the thread's other windows wait until it is closed.
#pragma once

#include <windows.h>

namespace platform {

// The window a new modal window belongs to: the thread's active window, or none.
HWND modalOwner();

// Shows `window` and runs the thread's messages until it is destroyed. Meanwhile the thread's
// other top-level windows are disabled; Esc in the window or any of its controls closes it. The
// window that was active gets the focus back. A quit message is passed on after.
void runModalWindow(HWND window);

}  // namespace platform

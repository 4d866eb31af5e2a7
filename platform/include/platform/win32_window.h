// Windows only: windows of the libraries' own (the help text, the pages on the screen) shown as
// the dialogs are, modal to the thread: the thread's other windows wait until it is closed.
#pragma once

#include <windows.h>

namespace platform {

// Registers the class of a library's own windows, once: the arrow cursor, the window colour
// behind, and `icon` from the library's resources where one is named.
void registerWindowClass(const wchar_t* name, WNDPROC proc, HINSTANCE library, const wchar_t* icon = nullptr);

// The window a new modal window belongs to: the thread's active window, or none.
HWND modalOwner();

// Shows `window` and runs the thread's messages until it is destroyed. Meanwhile the thread's
// other top-level windows are disabled; Esc in the window or any of its controls closes it. The
// window that was active gets the focus back. A quit message is passed on after.
void runModalWindow(HWND window);

}  // namespace platform

// What the host checks before it hands the screen to the module: that the dialogs can open
// (a terminal on Linux, the desktop on Windows), and that the client's data directory exists
// (a mistyped client code must not quietly become a new, empty client). host_terminal.cpp and
// host_desktop_win32.cpp implement it.
#pragma once

#include <string>

namespace host {

// Empty when the dialogs can open: a terminal (standard input and output, or the controlling
// terminal, with a terminal type curses knows), or on Windows a window on the desktop;
// otherwise why not.
std::string whyDialogsCannotOpen();

enum class Created { Existed, Made, Declined, Failed };
// Asks the user (on the terminal, or in a message box) before it creates the directory
// `client`; `error` says why a creation failed.
Created ensureClientDirectory(const std::string& client, std::string& error);

}  // namespace host

// What the host checks before it hands the terminal to the module: that there is a terminal
// the dialogs can use, and that the client's data directory exists (a mistyped client code
// must not quietly become a new, empty client).
#pragma once

#include <string>

namespace host {

// Empty when the dialogs can open a terminal (standard input and output, or the controlling
// terminal, with a terminal type curses knows); otherwise why not.
std::string whyNoTerminal();

enum class Created { Existed, Made, Declined, Failed };
// Asks on the terminal before it creates the directory `client`; `error` says why a creation
// failed.
Created ensureClientDirectory(const std::string& client, std::string& error);

}  // namespace host

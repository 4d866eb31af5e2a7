// The commands of veldro over a client's files: each opens the client as a menu procedure does
// (its lock held for the whole run), reads or writes through the module's own code, and returns
// the exit status. The work itself is done by the pure functions of this folder.
#pragma once

#include "arguments.h"

namespace veldro {

inline constexpr int kDone = 0;
inline constexpr int kRefused = 1;         // refused input; nothing was changed
inline constexpr int kWrongArguments = 2;
inline constexpr int kClientUnusable = 3;  // in use, damaged, or its files cannot be read or written

int runCommand(const Arguments& arguments);

}  // namespace veldro

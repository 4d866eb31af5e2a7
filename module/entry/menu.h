// The depreciation menu: shown again after every procedure until the user leaves it.
#pragma once

#include <string>

#include "platform/dialog.h"

namespace dp {

// The menu dialog as it is built for a client code.
platform::DialogTemplate buildMenuDialog(const std::string& clientCode);
// Runs the menu loop for the client code; what DPMENU does. Returns 0.
int runMenu(const std::string& clientCode);

}  // namespace dp

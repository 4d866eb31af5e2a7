// The depreciation menu: shown again after every procedure until the user leaves it.
#pragma once

#include <string>

#include "platform/dialog.h"

namespace dp {

// The menu dialog as it is built for a client code.
platform::DialogTemplate buildMenuDialog(const std::string& clientCode);
// Runs the menu loop for the client code; what DPMENU does. Returns 0.
int runMenu(const std::string& clientCode);
// Runs one procedure of the menu with the client code. One that runs out of memory stops there
// and the user is told so (never a silent end); what it had put in place is whole.
void runProcedure(void (*procedure)(const std::string&), const std::string& clientCode);

}  // namespace dp

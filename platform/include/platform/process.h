// Starting another program and waiting for it to end.
#pragma once

#include <string>

namespace platform {

// Runs a command line in a normal window and waits until the process has ended.
// Returns the process's exit code, or -1 when it could not be started.
// The help viewer's command "winhlp32 ..." is served by the platform's own help viewer.
int runAndWait(const std::string& commandLine);

// The help the whole session offers (the module's processing topic, as a help viewer command
// line): F1 opens it in a window that has no help of its own. Empty for none.
void setSessionHelp(const std::string& commandLine);
const std::string& sessionHelp();

}  // namespace platform

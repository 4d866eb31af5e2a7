// Starting another program and waiting for it to end.
#pragma once

#include <string>

namespace platform {

// Runs a command line in a normal window and waits until the process has ended.
// Returns the process's exit code, or -1 when it could not be started.
// The help viewer's command "winhlp32 ..." is served by the platform's own help viewer.
int runAndWait(const std::string& commandLine);

}  // namespace platform

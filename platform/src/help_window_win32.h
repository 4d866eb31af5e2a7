// Windows only: the help viewer's command served by the module's own help window.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

// Shows the lines in a read-only, scrollable window titled `title` until the user closes it.
void showHelpWindow(const std::string& title, const std::vector<std::string>& lines);

// For the help viewer's command line ("winhlp32 -I TOPIC FILE"): shows the help text that stands
// for the file in the module's help window and returns 0 once it is closed. nullopt for any
// other command, and where the text is missing but the old help viewer is installed (it is
// left to show its compiled file).
std::optional<int> serveHelpCommand(const std::string& commandLine);

}  // namespace platform

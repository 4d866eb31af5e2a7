// The user aids of the asset maintenance dialog's "&Help" menu: the processing topic of the
// suite's help file, the summary of depreciation method codes, and the About box.
#pragma once

#include <string>

namespace dp {

// The command line that opens the processing topic in the help viewer.
inline constexpr const char* kHelpCommand = "winhlp32 -I AppendixC writeup.hlp";

// Starts the help viewer on the processing topic and waits until the user has closed it.
// False when the viewer could not be started.
bool openHelpTopic();

// The text of the method summary: 13 lines, each followed by CR LF.
std::string methodSummaryText();
void showMethodSummary();

std::string aboutText();
void showAbout();

}  // namespace dp

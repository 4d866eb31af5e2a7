#include "help/help.h"

#include "platform/message.h"
#include "platform/process.h"

namespace dp {

bool openHelpTopic() {
    // The viewer finds writeup.hlp on its own search path; the data directory is not involved.
    return platform::runAndWait(kHelpCommand) != -1;
}

std::string methodSummaryText() {
    // The trailing blanks belong to the lines: they keep the box's columns even.
    static const char* const lines[] = {
        "SL   = Straight Line                   ",
        "Dxxx = Declining Balance               ",
        "An   = ACRS 3,5,10,15 Yr               ",
        "Bxxx = MACRS 3-20 Yr Declining Balance ",
        "E    = ACRS Mid Quarter                ",
        "F    = MACRS 3-31.5 Yr S/L  Mid Month  ",
        "Gn   = ACRS Real Est (18 yr) (n=1-8)   ",
        "Hn   = ACRS Real Est (19 yr) (n=1-8)   ",
        "xxx= the percentage of S.L.             ",
        "n=years. ",
        "***EXAMPLES:***                    ",
        "D200 = Declining balance - 200% of S.L.",
        "A5   = ACRS 5 year                     ",
    };
    std::string text;
    for (const char* line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

void showMethodSummary() {
    platform::messageBox(methodSummaryText(), "DEPRECIATION METHODS", platform::MsgIcon::Information);
}

std::string aboutText() {
    return "TALLIX Asset File Maintenance\r\n"
           "Fixed-asset depreciation and loan amortization module\r\n"
           "For support, contact your accounting suite's support desk.";
}

void showAbout() { platform::messageBox(aboutText(), "About", platform::MsgIcon::Information); }

}  // namespace dp

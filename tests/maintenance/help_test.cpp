#include <fstream>
#include <sstream>

#include "engine/rate_tables.h"
#include "fixture.h"
#include "help/help.h"

using namespace dp;

TEST(Help, MethodSummaryHasThirteenLinesExactly) {
    const std::string text = methodSummaryText();
    std::vector<std::string> got;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = text.find("\r\n", pos);
        ASSERT_NE(end, std::string::npos) << "every line ends with CR LF";
        got.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    const std::vector<std::string> want = {
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
    EXPECT_EQ(got, want);
}

TEST(Help, BoxesAndViewerThroughTheBackend) {
    dptest::ScriptRun run("");
    showMethodSummary();
    showAbout();
    EXPECT_TRUE(openHelpTopic());
    const auto lines = mt::lines(run.transcript());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].rfind("message: DEPRECIATION METHODS | SL   = Straight Line", 0), 0u);
    EXPECT_EQ(lines[0].substr(lines[0].size() - 2), "\\n");
    EXPECT_EQ(lines[1].rfind("message: About | TALLIX Asset File Maintenance\\n", 0), 0u);
    EXPECT_EQ(lines[2], "run: winhlp32 -I AppendixC writeup.hlp");
}

namespace {

std::string shippedHelpText() {
    std::ifstream in(std::string(DP_SOURCE_DIR) + "/data/writeup.txt", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

// The help agrees with the program: every ACRS code that has a rate table is named, every code
// of the method summary's ranges that has none is named as giving nothing, and each family of
// the summary is there with its words.
TEST(HelpText, MethodCodesAgreeWithTheEngineAndTheSummary) {
    const std::string help = shippedHelpText();
    ASSERT_FALSE(help.empty());
    for (const char letter : {'A', 'G', 'H'})
        for (int n = 1; n <= 20; ++n) {
            const std::string code = letter + std::to_string(n);
            if (const char* file = rateTableFile(code)) {
                EXPECT_NE(help.find(code), std::string::npos) << code << " has a table and is not named";
                EXPECT_NE(help.find(file), std::string::npos) << file;
            }
        }
    for (const char* none : {"G4 to G8", "H2 to H8", "A4"}) EXPECT_NE(help.find(none), std::string::npos) << none;
    for (const char* words : {"MACRS 3-20 Yr Declining Balance", "ACRS Mid Quarter", "MACRS 3-31.5 Yr S/L  Mid Month",
                              "n=1-8", "D alone means 100 percent", "A alone takes the years from Rate"})
        EXPECT_NE(help.find(words), std::string::npos) << words;
}

// What a new user asked the help for: the heading and subtotal rows, the report's columns, what
// the close keeps, where print-outs go, and what the keys do.
TEST(HelpText, ExplainsWhatTheReportsAndTheCloseDo) {
    const std::string help = shippedHelpText();
    const struct {
        const char* subject;
        std::vector<const char*> words;
    } cases[] = {
        {"heading and subtotal rows", {"Heading and subtotal rows", "Type H in Date Acquired", "Type S for a subtotal"}},
        {"report columns", {"Cost", "Salvage", "Net", "Meth/Rate", "Prior", "Sustn'd", "Cancl'd", "Ending", "SOLD"}},
        {"the close", {"DEPRyyyy.FIL", "DEPRyyyy.IDX", "COMPyyyy.FIL", "To\nundo a close"}},
        {"print-outs", {"report.txt", "T4562.FRM", "PDF file", "Screen", "whole path"}},
        {"keys", {"F1 ", "Esc ", "default button", "top to bottom, left to right"}},
    };
    for (const auto& c : cases)
        for (const char* w : c.words) EXPECT_NE(help.find(w), std::string::npos) << c.subject << ": " << w;
}

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

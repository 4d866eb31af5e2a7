// The character pages shown on the screen: commands carried out, text where it lands.
#include <gtest/gtest.h>

#include <algorithm>

#include "render/cp437.h"
#include "render/parser.h"
#include "render/text_view.h"
#include "render_test_util.h"

using dprender::TextPage;

namespace {

const std::string ESC = "\x1b";

TextPage view(const std::string& bytes) {
    const std::vector<dprender::Page> pages = dprender::parsePages(bytes);
    return dprender::textView(pages.at(0));
}

std::vector<std::string> lines(const std::string& bytes) { return dprender::textLines(view(bytes)); }

TEST(TextView, CommandsAreCarriedOutNotShown) {
    const struct {
        const char* what;
        std::string bytes;
        std::vector<std::string> rows;
    } cases[] = {
        {"reverse feed prints a marker on the line above", "A  B\r\n  " + ESC + "j$E", {"A EB"}},
        {"condensed print keeps its columns", ESC + "\"Q\x11" + "12345\r\n" + ESC + "\"Q\x11" + "   X", {"12345", "   X"}},
        {"an empty line stays empty", "A\r\n\r\nB", {"A", "", "B"}},
        {"crossing rules make their joint", "\xc4\xc4\xc4\r\n" + ESC + "j$ \xb3", {"\u2500\u253c\u2500"}},
        {"a rule does not cover a letter", "ABC\r" + std::string("\xc4\xc4\xc4\xc4"), {"ABC\u2500"}},
        {"a rule stays out of the blanks between words", "A  B\r\xc4\xc4\xc4\xc4\xc4", {"A  B\u2500"}},
        {"overprinted marks show once", "   >\r   >\r   >", {"   >"}},
        {"code page 437 letters", "\x82t\xe9", {"\u00e9t\u0398"}},
    };
    for (const auto& c : cases) EXPECT_EQ(lines(c.bytes), c.rows) << c.what;
}

TEST(TextView, ALightLabelOnABarShowsInverse) {
    const TextPage p = view("\xdb\xdb\xdb\xdb\xdb\xdb\r" + ESC + "\"R\xff\xff\xff" + " Pa" + ESC + "\"R" +
                            std::string(3, '\0') + ESC + "E" + "   x");
    ASSERT_EQ(p.rows.size(), 1u);
    EXPECT_EQ(p.rows[0], U"\u2588Pa\u2588\u2588\u2588x");
    EXPECT_EQ(p.attrs[0][1], dprender::kTextInverse);
    EXPECT_EQ(p.attrs[0][0], dprender::kTextInverse);  // the bar itself
    EXPECT_EQ(p.attrs[0][6], dprender::kTextBold);
}

TEST(TextView, AVerticalRuleIsCarriedThroughALineOfTextBetweenRules) {
    // A form's rules lie half a line off its text: the text gets a row of its own between them.
    const std::string rules = ESC + "j\x12" + "\xda\xc4\xc4\xbf\r\n\xc0\xc4\xc4\xd9";
    const std::vector<std::string> rows = lines("\r\n" + rules + "\r" + ESC + "j\x1a" + " ab");
    ASSERT_GE(rows.size(), 3u);
    EXPECT_EQ(rows[rows.size() - 3], "\u250c\u2500\u2500\u2510");
    EXPECT_EQ(rows[rows.size() - 2], "\u2502ab\u2502");
    EXPECT_EQ(rows[rows.size() - 1], "\u2514\u2500\u2500\u2518");
}

TEST(TextView, TheDepreciationReportShowsItsColumns) {
    std::vector<dprender::TextPage> pages;
    std::string error;
    ASSERT_TRUE(dprender::textPagesOfFile(rendertest::golden("report/full_register.txt"), pages, error)) << error;
    ASSERT_EQ(pages.size(), 4u);
    const std::vector<std::string> rows = dprender::textLines(pages[0]);
    // The control line prints nothing; the heading's first line is the first row with text.
    const auto heading = std::find_if(rows.begin(), rows.end(), [](const std::string& r) { return !r.empty(); });
    ASSERT_NE(heading, rows.end());
    EXPECT_EQ(heading->find("Page  1"), 122u) << *heading;
    const auto columns = std::find_if(rows.begin(), rows.end(), [](const std::string& r) { return r.rfind("No.", 0) == 0; });
    ASSERT_NE(columns, rows.end());
    EXPECT_EQ(columns->size(), 131u);
    EXPECT_EQ(columns->substr(125), "Ending");
}

}  // namespace

#include <gtest/gtest.h>

#include "format/text.h"

namespace dp {
namespace {

// Characters 1-2, 3-4 and the last two, whatever the length: the report's dates and the
// schedule's due dates print through the one routine.
TEST(TextTest, SlashedDate) {
    const struct {
        const char* text;
        const char* slashed;
    } cases[] = {
        {"12312004", "12/31/04"}, {"123104", "12/31/04"}, {"070124", "07/01/24"},
        {"0131", "01/31/31"},     {"1", "1//1"},          {"", "//"},
    };
    for (const auto& c : cases) EXPECT_EQ(slashedDate(c.text), c.slashed) << c.text;
}

TEST(TextTest, TrimsAndWidths) {
    EXPECT_EQ(trimRight("  ab c  "), "  ab c");
    EXPECT_EQ(trimRight(std::string_view("ab\0 ", 4)), std::string("ab\0", 3));  // only blanks go
    EXPECT_EQ(trimBoth("  ab c  "), "ab c");
    EXPECT_EQ(trimBoth("    "), "");
    EXPECT_EQ(fixedText("abc", 5), "abc  ");
    EXPECT_EQ(fixedText("abcdef", 4), "abcd");
    EXPECT_EQ(upperCase("ab1z"), "AB1Z");
}

}  // namespace
}  // namespace dp

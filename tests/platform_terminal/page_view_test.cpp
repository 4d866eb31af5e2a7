// The page viewer's keys and how printed characters show on the character screen.
#include <gtest/gtest.h>

#include "../../platform/src/terminal_pages.h"

namespace {

using platform::term::CellShape;
using platform::term::Key;
using platform::term::KeyEvent;
using platform::term::PageViewState;

TEST(PageView, PrintedCharactersAsScreenCells) {
    const struct {
        char32_t c;
        CellShape shape;
    } cases[] = {
        {U'A', CellShape::Text},      {U'~', CellShape::Text},      {U'\u2500', CellShape::HLine},
        {U'\u2550', CellShape::HLine}, {U'\u2502', CellShape::VLine}, {U'\u250c', CellShape::ULCorner},
        {U'\u2554', CellShape::ULCorner}, {U'\u2557', CellShape::URCorner}, {U'\u255d', CellShape::LRCorner},
        {U'\u2560', CellShape::LTee}, {U'\u2563', CellShape::RTee}, {U'\u2566', CellShape::TTee},
        {U'\u2569', CellShape::BTee}, {U'\u256c', CellShape::Plus}, {U'\u2534', CellShape::BTee},
        {U'\u2588', CellShape::Solid}, {U'\u2592', CellShape::Shade}, {U'\u00e9', CellShape::Unknown},
        {U'\t', CellShape::Unknown},
    };
    for (const auto& c : cases) EXPECT_EQ(c.shape, platform::term::cellShape(c.c)) << static_cast<unsigned>(c.c);
}

TEST(PageView, KeysTurnPagesScrollAndClose) {
    // Three pages of 60 rows and 132 columns on a screen area of 20 x 80.
    PageViewState s;
    const auto press = [&s](Key k, int ch = 0) { return platform::term::pageViewKey(s, 3, 60, 132, 20, 80, KeyEvent{k, ch}); };
    EXPECT_TRUE(press(Key::Down));
    EXPECT_TRUE(press(Key::Down));
    EXPECT_EQ(s.top, 2);
    EXPECT_TRUE(press(Key::Right));
    EXPECT_EQ(s.left, 8);
    EXPECT_TRUE(press(Key::Char, ' '));
    EXPECT_EQ(s.page, 1);
    EXPECT_EQ(s.top, 0);  // a new page starts at its top
    EXPECT_EQ(s.left, 8);
    EXPECT_TRUE(press(Key::End));
    EXPECT_EQ(s.page, 2);
    EXPECT_TRUE(press(Key::PageDown));
    EXPECT_EQ(s.page, 2);  // no page after the last
    for (int i = 0; i < 100; ++i) press(Key::Down);
    EXPECT_EQ(s.top, 40);  // the last rows fill the screen area
    for (int i = 0; i < 100; ++i) press(Key::Right);
    EXPECT_EQ(s.left, 52);
    EXPECT_TRUE(press(Key::Char, 'b'));
    EXPECT_EQ(s.page, 1);
    EXPECT_TRUE(press(Key::Home));
    EXPECT_EQ(s.page, 0);
    EXPECT_TRUE(press(Key::Left));
    EXPECT_FALSE(press(Key::Char, 'q'));
    EXPECT_FALSE(press(Key::Esc));
    // No pages at all: nothing moves, the view still closes.
    PageViewState empty;
    EXPECT_TRUE(platform::term::pageViewKey(empty, 0, 0, 0, 20, 80, KeyEvent{Key::PageDown, 0}));
    EXPECT_EQ(empty.page, 0);
}

// The viewer's key line fits the screen: on a narrow one the lesser keys go first, and how to
// close it stays to the last.
TEST(PageView, KeyLineFitsTheWidth) {
    const struct {
        int width;
        bool help;
        const char* line;
    } cases[] = {
        {120, true,
         "PgDn/Space next page  PgUp/b previous  arrows scroll  Home/End first/last  q or Esc closes  F1 help"},
        {78, true, "PgDn/Space next page  PgUp/b previous  arrows scroll  q or Esc closes  F1 help"},
        {68, false, "PgDn/Space next page  PgUp/b previous  q or Esc closes"},
        {40, false, "PgDn/Space next page  q or Esc closes"},
        {16, false, "q or Esc closes"},
        {12, false, "q/Esc close"},
    };
    for (const auto& c : cases) {
        const std::string line = platform::term::pageViewKeys(c.width, c.help);
        EXPECT_EQ(line, c.line) << c.width;
        EXPECT_LE(static_cast<int>(line.size()), c.width) << c.width;
    }
}

}  // namespace

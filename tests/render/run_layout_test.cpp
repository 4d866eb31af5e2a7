// Where a run's letters and shapes land: the layout every drawing of the pages (cairo, GDI, the
// standard-font PDF) shares.
#include <gtest/gtest.h>

#include <string>

#include "render/run_layout.h"

using namespace dprender;

namespace {

Run runOf(const std::string& bytes, double cpi = 10, bool proportional = false, double points = 10.5) {
    Run r;
    r.top = 72;  // the third line
    r.x = 36;
    r.bytes = bytes;
    r.style.cpi = cpi;
    r.style.proportional = proportional;
    r.style.points = points;
    return r;
}

struct GlyphCase {
    const char* what;
    Run run;
    double monoEm;
    double scaleX;
    std::vector<double> xs;  // of the printed letters
};

TEST(RunLayout, LettersSitInTheirCells) {
    FaceWidths widths = FaceWidths::uniform(0.5f);
    widths.regular['i'] = 0.25f;
    const GlyphCase cases[] = {
        {"10 cpi: a 7.2-point cell, the 6.3-point letter centred in it", runOf("AB"), 0.6, 1, {36.45, 43.65}},
        {"17 cpi: a letter wider than its 4.24-point cell is squeezed into it", runOf("AB", 17), 0.6, (72 / 17.0) / 6.3,
         {36, 36 + 72 / 17.0}},
        {"blanks inside a run take their cells", runOf("A  B"), 0.6, 1, {36.45, 36.45 + 7.2, 36.45 + 14.4, 36.45 + 21.6}},
        {"shapes take their cells and are no letters", runOf("A\xC4\xC4" "B"), 0.6, 1, {36.45, 36.45 + 3 * 7.2}},
        {"proportional letters advance by the face's widths", runOf("iAi", 10, true), 0.6, 1,
         {36, 36 + 2.625, 36 + 2.625 + 5.25}},
        {"a narrower fixed face is centred further in", runOf("A"), 0.5, 1, {36 + (7.2 - 5.25) / 2}},
    };
    for (const GlyphCase& c : cases) {
        const RunLayout l = layoutRun(c.run, widths, c.monoEm);
        EXPECT_NEAR(l.scaleX, c.scaleX, 1e-9) << c.what;
        ASSERT_EQ(l.glyphs.size(), c.xs.size()) << c.what;
        for (std::size_t i = 0; i < c.xs.size(); ++i) EXPECT_NEAR(l.glyphs[i].x, c.xs[i], 1e-9) << c.what << " " << i;
        EXPECT_DOUBLE_EQ(l.top, 24) << c.what;
        EXPECT_DOUBLE_EQ(l.baseline, 24 + 3.6 + 0.6 * c.run.style.points) << c.what;
    }
}

TEST(RunLayout, RulesJoinIntoOneRectangle) {
    // ─ across 50 cells: one rectangle from the first cell's left edge to the last one's right.
    const RunLayout l = layoutRun(runOf(std::string(50, '\xC4')), FaceWidths::uniform(), 0.6);
    ASSERT_EQ(l.shapes.size(), 1u);
    EXPECT_NEAR(l.shapes[0].x, 36 - 0.15, 1e-9);
    EXPECT_NEAR(l.shapes[0].x + l.shapes[0].w, 36 + 50 * 7.2 + 0.15, 1e-9);
    EXPECT_NEAR(l.shapes[0].y + l.shapes[0].h / 2, 24 + 6, 1e-9) << "through the middle of the line";
    EXPECT_DOUBLE_EQ(l.shapeDensity, 1);
}

TEST(RunLayout, BoxCornersAndDoubleLines) {
    const struct {
        const char* what;
        std::string bytes;
        std::size_t rects;
    } cases[] = {
        {"┌ a corner: an arm right and an arm down", "\xDA", 2},
        {"┼ a cross: the horizontal arms join, the arms up and down overlap in the middle", "\xC5", 3},
        {"═ a double line: two rules", "\xCD\xCD\xCD", 2},
        {"│ and │ apart: two uprights of an arm up and an arm down each", "\xB3 \xB3", 4},
        {"█ solid blocks join", "\xDB\xDB\xDB", 1},
        {"▀ the upper half of each cell", "\xDF\xDF", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(layoutRun(runOf(c.bytes), FaceWidths::uniform(), 0.6).shapes.size(), c.rects) << c.what;
    const RunLayout upper = layoutRun(runOf("\xDF"), FaceWidths::uniform(), 0.6);
    ASSERT_EQ(upper.shapes.size(), 1u);
    EXPECT_NEAR(upper.shapes[0].h, 6 + 0.3, 1e-9) << "half the line and the seams";
}

TEST(RunLayout, ShadesAreLighterOnlyWhenTheRunIsAllShade) {
    EXPECT_DOUBLE_EQ(layoutRun(runOf("\xB0\xB0"), FaceWidths::uniform(), 0.6).shapeDensity, 0.25);
    EXPECT_DOUBLE_EQ(layoutRun(runOf("\xB2"), FaceWidths::uniform(), 0.6).shapeDensity, 0.75);
    EXPECT_DOUBLE_EQ(layoutRun(runOf("\xB0\xDB"), FaceWidths::uniform(), 0.6).shapeDensity, 1);
    EXPECT_EQ(shadedInk(0x000000, 0.25), 0xBFBFBFu);
    EXPECT_EQ(shadedInk(0x000000, 1), 0x000000u);
    EXPECT_EQ(shadedInk(0xFF0000, 0.5), 0xFF8080u);
}

}  // namespace

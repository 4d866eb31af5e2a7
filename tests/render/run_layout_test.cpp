// Where a run's letters and shapes land: the layout every drawing of the pages (cairo, GDI, the
// standard-font PDF) shares, and the fitting of a sheet into a printer's printable area.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "render/page_fit.h"
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

// ---- fitting a sheet into a printer's printable area ------------------------------------------

struct FitCase {
    const char* what;
    PrintableArea area;  // points from the paper's corner
};

// The print box is 590.4 x 756 points (8.2 x 10.5 inches): shrunk only as far as the area asks.
double expectedScale(const PrintableArea& a) { return std::min({1.0, a.width / 590.4, a.height / 756.0}); }

TEST(PageFit, TheSheetsPrintStaysWholeOnAnyPaper) {
    const Sheet letter;
    const FitCase cases[] = {
        {"Letter, printing to a sixth of an inch from the edges", {12, 12, 588, 768}},
        {"Letter without margins", {0, 0, 612, 792}},
        {"A4 (595 x 842), a sixth of an inch unprintable", {12, 12, 571, 818}},
        {"Letter with half-inch margins all round", {36, 36, 540, 720}},
        {"A5 (420 x 595)", {10, 10, 400, 575}},
        {"Legal (612 x 1008)", {12, 12, 588, 984}},
        {"Letter in landscape (792 x 612)", {12, 12, 768, 588}},
    };
    for (const FitCase& c : cases) {
        const SheetPlacement p = fitSheet(letter, c.area);
        EXPECT_NEAR(p.scale, expectedScale(c.area), 1e-9) << c.what;
        // The print box (from the margins to the right edge and the bottom margin) inside the area.
        const double left = p.originX + letter.leftMarginPt * p.scale;
        const double top = p.originY + letter.topMarginPt * p.scale;
        const double right = p.originX + letter.widthPt * p.scale;
        const double bottom = p.originY + (letter.heightPt - letter.bottomMarginPt) * p.scale;
        EXPECT_GE(left, c.area.left - 1e-9) << c.what;
        EXPECT_GE(top, c.area.top - 1e-9) << c.what;
        EXPECT_LE(right, c.area.left + c.area.width + 1e-9) << c.what;
        EXPECT_LE(bottom, c.area.top + c.area.height + 1e-9) << c.what;
    }
}

TEST(PageFit, AFittingSheetKeepsItsPlaceAndAMarginTooNarrowMovesIt) {
    const Sheet letter;
    SheetPlacement p = fitSheet(letter, {0, 0, 612, 792});
    EXPECT_DOUBLE_EQ(p.scale, 1);
    EXPECT_DOUBLE_EQ(p.originX, 0) << "column 1 still 0.3 inch from the paper's edge";
    EXPECT_DOUBLE_EQ(p.originY, 0);
    // A printer that cannot print within half an inch of the top: the print moves down, unshrunk.
    p = fitSheet(letter, {0, 36, 612, 756});
    EXPECT_DOUBLE_EQ(p.scale, 1);
    EXPECT_DOUBLE_EQ(p.originY + letter.topMarginPt, 36);
    // Nothing to print on: left as it is rather than made to vanish.
    p = fitSheet(letter, {0, 0, 0, 0});
    EXPECT_DOUBLE_EQ(p.scale, 1);
}

}  // namespace

// The pages drawn with GDI against the same pages drawn with cairo on Linux (the reviewed
// pictures of tests/golden/render, 100 dots an inch): every printed line's ink stands where the
// Linux page has it, and every rule and bar of the Linux page is there too.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "render/run_layout.h"
#include "render_test_support.h"

using namespace wintest;

namespace {

constexpr double kDpi = 100;
constexpr double kPx = kDpi / 72;  // pixels a point
constexpr int kInked = 60;         // darker than this is ink

const dprender::Fonts& fonts() { return drawingFonts(); }

struct Box {
    int left, top, right, bottom;  // pixels, right and bottom excluded
};

Box pixels(double left, double top, double right, double bottom) {
    const dprender::Sheet sheet;
    return {static_cast<int>(std::floor((sheet.leftMarginPt + left) * kPx)), static_cast<int>(std::floor((sheet.topMarginPt + top) * kPx)),
            static_cast<int>(std::ceil((sheet.leftMarginPt + right) * kPx)),
            static_cast<int>(std::ceil((sheet.topMarginPt + bottom) * kPx))};
}

// Where the page has rules and bars (and two pixels around them): letters there are not
// compared, the shapes are.
class Shapes {
public:
    Shapes(const dprender::Page& page, int width, int height) : width_(width), mask_(static_cast<std::size_t>(width) * height) {
        for (const dprender::Run& run : page.runs) {
            const dprender::RunLayout l = layoutRun(run, fonts().proportionalWidths(), fonts().monoAdvanceEm());
            for (const dprender::InkRect& r : l.shapes) {
                rects.push_back(r);
                const Box b = pixels(r.x, r.y, r.x + r.w, r.y + r.h);
                for (int y = std::max(0, b.top - 2); y < std::min(height, b.bottom + 2); ++y)
                    for (int x = std::max(0, b.left - 2); x < std::min(width, b.right + 2); ++x)
                        mask_[static_cast<std::size_t>(y) * width + x] = true;
            }
        }
    }
    bool covers(int x, int y) const {
        return x >= 0 && y >= 0 && x < width_ && static_cast<std::size_t>(y) * width_ + x < mask_.size() &&
               mask_[static_cast<std::size_t>(y) * width_ + x];
    }
    std::vector<dprender::InkRect> rects;

private:
    int width_;
    std::vector<bool> mask_;
};

// A printed line: the runs printed from one height, where their letters' ink may fall.
struct TextLine {
    int top = 0;  // 1/216 inch
    double left = 1e9, right = -1e9, inkTop = 1e9, inkBottom = -1e9;
    bool proportional = false;
};

std::vector<TextLine> textLines(const dprender::Page& page) {
    std::map<int, TextLine> lines;
    for (const dprender::Run& run : page.runs) {
        const dprender::RunLayout l = layoutRun(run, fonts().proportionalWidths(), fonts().monoAdvanceEm());
        std::vector<dprender::PlacedGlyph> letters;
        for (const dprender::PlacedGlyph& g : l.glyphs)
            if (g.c != ' ' && g.c != 255) letters.push_back(g);
        if (letters.empty()) continue;
        TextLine& t = lines[run.top];
        t.top = run.top;
        const double pt = run.style.points;
        const double last = run.style.proportional ? fonts().proportionalWidths().regular[letters.back().c] * pt : run.style.cellPt();
        t.left = std::min(t.left, letters.front().x - 1);
        t.right = std::max(t.right, letters.back().x + last * 1.1 + 1);
        t.inkTop = std::min(t.inkTop, l.baseline - 0.85 * pt);
        t.inkBottom = std::max(t.inkBottom, l.baseline + 0.3 * pt);
        t.proportional = t.proportional || run.style.proportional;
    }
    std::vector<TextLine> out;
    for (auto& [top, line] : lines) out.push_back(line);
    return out;
}

// The ink of a line in a picture, outside the shapes: how much, its middle height, its ends.
struct Ink {
    double amount = 0, middleY = 0;
    int left = -1, right = -1;
};

Ink inkOf(const Gray& g, const Box& b, const Shapes& shapes) {
    Ink ink;
    double weightedY = 0;
    for (int x = b.left; x < b.right; ++x) {
        bool column = false;
        for (int y = b.top; y < b.bottom; ++y) {
            const int v = g.ink(x, y);
            if (v < kInked || shapes.covers(x, y)) continue;
            ink.amount += v;
            weightedY += static_cast<double>(v) * y;
            column = true;
        }
        if (column && ink.left < 0) ink.left = x;
        if (column) ink.right = x;
    }
    if (ink.amount > 0) ink.middleY = weightedY / ink.amount;
    return ink;
}

// How much of a rule or bar's length is inked across its width.
double coverage(const Gray& g, const dprender::InkRect& r) {
    const Box b = pixels(r.x, r.y, r.x + r.w, r.y + r.h);
    const bool across = r.w >= r.h;
    const int from = across ? b.left + 1 : b.top + 1, to = across ? b.right - 1 : b.bottom - 1;
    if (to <= from) return 1;
    int inked = 0;
    for (int i = from; i < to; ++i) {
        int darkest = 0;
        for (int j = (across ? b.top : b.left) - 1; j <= (across ? b.bottom : b.right); ++j)
            darkest = std::max(darkest, across ? g.ink(i, j) : g.ink(j, i));
        if (darkest >= kInked) ++inked;
    }
    return static_cast<double>(inked) / (to - from);
}

struct Golden {
    const char* file;
    const char* picture;
    std::size_t lines;  // at least this many printed lines compared
};

class GdiAgainstCairo : public ::testing::TestWithParam<Golden> {};

TEST_P(GdiAgainstCairo, EveryLineStandsWhereTheLinuxPagePutsIt) {
    const Golden c = GetParam();
    const dprender::Page page = goldenPage(c.file, fonts());
    const Gray linux = loadPng(sourceFile(std::string("tests/golden/render/") + c.picture));
    const Gray gdi = drawnPage(page, fonts(), kDpi);
    ASSERT_GT(linux.width, 0) << c.picture;
    ASSERT_EQ(gdi.width, linux.width);
    ASSERT_EQ(gdi.height, linux.height);
    const Shapes shapes(page, gdi.width, gdi.height);
    std::size_t compared = 0;
    for (const TextLine& t : textLines(page)) {
        const Box band = pixels(t.left, t.inkTop, t.right, t.inkBottom);
        const Ink want = inkOf(linux, band, shapes), got = inkOf(gdi, band, shapes);
        const std::string where = std::string(c.file) + " line at " + std::to_string(t.top / 36.0);
        if (want.amount < 2000) continue;  // a line hidden under bars and rules
        ++compared;
        ASSERT_GT(got.amount, want.amount / 4) << where << ": the Windows page has next to no ink there";
        EXPECT_NEAR(got.middleY, want.middleY, 2.0) << where;
        // Proportional text is laid out with the widths of the face that draws it (Arial here,
        // DejaVu Sans Condensed there): the blanks before a caption move it a little.
        EXPECT_NEAR(got.left, want.left, t.proportional ? 0.1 * want.left + 4 : 3) << where;
        EXPECT_NEAR(got.right, want.right, t.proportional ? 0.1 * want.right + 4 : 4) << where;
    }
    EXPECT_GE(compared, c.lines) << c.file;
}

TEST_P(GdiAgainstCairo, RulesAndBarsWhereTheLinuxPageHasThem) {
    const Golden c = GetParam();
    const dprender::Page page = goldenPage(c.file, fonts());
    const Gray linux = loadPng(sourceFile(std::string("tests/golden/render/") + c.picture));
    const Gray gdi = drawnPage(page, fonts(), kDpi);
    ASSERT_EQ(gdi.width, linux.width);
    for (const dprender::InkRect& r : Shapes(page, gdi.width, gdi.height).rects) {
        if (coverage(linux, r) < 0.9) continue;
        EXPECT_GE(coverage(gdi, r), 0.9) << c.file << ": the shape at " << r.x << "," << r.y << " (" << r.w << " x "
                                         << r.h << " points)";
    }
}

INSTANTIATE_TEST_SUITE_P(Golden, GdiAgainstCairo,
                         ::testing::Values(Golden{"report/full_register.txt", "report_page1_100dpi.png", 50},
                                           Golden{"amort/one_unknown_extras.txt", "amort_page1_100dpi.png", 40},
                                           Golden{"form4562/T4562_full.FRM", "form4562_page1_100dpi.png", 40}));

}  // namespace

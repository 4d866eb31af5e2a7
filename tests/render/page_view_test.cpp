// The pages on the screen: what the keys of the page window do to the page shown, its size and
// its scrolling, in a window of 640 x 480 pixels.
#include <gtest/gtest.h>

#include "render/page_view.h"

using namespace dprender;

namespace {

constexpr int kW = 640, kH = 480;

PageViewState fourPages() {
    PageViewState s;
    s.pages = 4;
    return s;
}

PageViewState after(PageViewState s, std::initializer_list<ViewKey> keys) {
    for (ViewKey k : keys) s = applyViewKey(s, k, kW, kH);
    return s;
}

TEST(PageView, AtZoomOneTheSheetFillsTheWidth) {
    const ViewGeometry g = viewGeometry(fourPages(), kW, kH);
    EXPECT_EQ(g.sheetX, kViewMargin);
    EXPECT_EQ(g.sheetWidth, kW - 2 * kViewMargin);
    EXPECT_EQ(g.maxScrollX, 0);
    EXPECT_EQ(g.sheetHeight, 797) << "11 x 8.5 of the width";
    EXPECT_EQ(g.maxScrollY, 797 + 2 * kViewMargin - kH);
}

TEST(PageView, TheSheetIsThePaperThePagesAreLaidOutOn) {
    const ViewGeometry g = viewGeometry(fourPages(), kW, kH, a4Paper());
    EXPECT_EQ(g.sheetWidth, kW - 2 * kViewMargin);
    EXPECT_EQ(g.sheetHeight, 871) << "297 x 210 of the width";
    // The last page of A4 scrolls to its foot.
    const PageViewState end = applyViewKey(fourPages(), ViewKey::ScreenDown, kW, kH, a4Paper());
    EXPECT_EQ(applyViewKey(end, ViewKey::ScreenDown, kW, kH, a4Paper()).scrollY, 871 + 2 * kViewMargin - kH);
}

struct KeyCase {
    const char* what;
    std::initializer_list<ViewKey> keys;
    int page;
    bool atTop;
};

TEST(PageView, PageTurnsStayInTheDocumentAndStartAtTheTop) {
    using K = ViewKey;
    const KeyCase cases[] = {
        {"next page", {K::NextPage}, 1, true},
        {"past the last page stays on it", {K::NextPage, K::NextPage, K::NextPage, K::NextPage, K::NextPage}, 3, true},
        {"before the first stays on it", {K::PreviousPage}, 0, true},
        {"last, then first", {K::LastPage, K::FirstPage}, 0, true},
        {"scrolled down, the next page starts at its top", {K::Down, K::Down, K::NextPage}, 1, true},
        {"scrolling keeps the page", {K::Down, K::ScreenDown}, 0, false},
    };
    for (const KeyCase& c : cases) {
        const PageViewState s = after(fourPages(), c.keys);
        EXPECT_EQ(s.page, c.page) << c.what;
        EXPECT_EQ(s.scrollY == 0, c.atTop) << c.what;
    }
}

TEST(PageView, ScrollingStopsAtTheEdges) {
    PageViewState s = after(fourPages(), {ViewKey::Up, ViewKey::Left});
    EXPECT_EQ(s.scrollX, 0);
    EXPECT_EQ(s.scrollY, 0);
    for (int i = 0; i < 50; ++i) s = applyViewKey(s, ViewKey::ScreenDown, kW, kH);
    EXPECT_EQ(s.scrollY, viewGeometry(s, kW, kH).maxScrollY);
    s = applyViewKey(s, ViewKey::Right, kW, kH);
    EXPECT_EQ(s.scrollX, 0) << "nothing to scroll sideways at the window's width";
}

TEST(PageView, ZoomEnlargesAroundTheMiddleAndFitWidthGoesBack) {
    PageViewState s = after(fourPages(), {ViewKey::ZoomIn, ViewKey::ZoomIn});
    EXPECT_DOUBLE_EQ(s.zoom, 1.5625);
    const ViewGeometry g = viewGeometry(s, kW, kH);
    EXPECT_GT(g.maxScrollX, 0);
    EXPECT_NEAR(s.scrollX, (g.sheetWidth + 2 * kViewMargin - kW) / 2, 2) << "the middle stays in the middle";
    s = applyViewKey(s, ViewKey::Right, kW, kH);
    EXPECT_GT(s.scrollX, (g.sheetWidth + 2 * kViewMargin - kW) / 2);
    s = applyViewKey(s, ViewKey::FitWidth, kW, kH);
    EXPECT_DOUBLE_EQ(s.zoom, 1);
    EXPECT_EQ(s.scrollX, 0);
    for (int i = 0; i < 40; ++i) s = applyViewKey(s, ViewKey::ZoomOut, kW, kH);
    EXPECT_DOUBLE_EQ(s.zoom, kMinZoom);
    const ViewGeometry small = viewGeometry(s, kW, kH);
    EXPECT_EQ(small.sheetX, (kW - small.sheetWidth) / 2) << "a small sheet stands in the middle";
}

TEST(PageView, AWindowResizedSmallerPullsTheScrollingBack) {
    PageViewState s = after(fourPages(), {ViewKey::ZoomIn});
    for (int i = 0; i < 50; ++i) s = applyViewKey(s, ViewKey::ScreenDown, kW, kH);
    const PageViewState taller = clampView(s, kW, 2000);
    EXPECT_EQ(taller.scrollY, viewGeometry(taller, kW, 2000).maxScrollY);
    EXPECT_LT(taller.scrollY, s.scrollY);
}

TEST(PageView, NoPagesIsNoCrash) {
    PageViewState s;
    s = after(s, {ViewKey::NextPage, ViewKey::LastPage, ViewKey::PreviousPage, ViewKey::Down});
    EXPECT_EQ(s.page, 0);
}

}  // namespace

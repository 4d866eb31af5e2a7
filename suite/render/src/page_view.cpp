#include "render/page_view.h"

#include <algorithm>
#include <cmath>

namespace dprender {
namespace {

constexpr double kZoomStep = 1.25;
constexpr int kLinesAStep = 3;

}  // namespace

ViewGeometry viewGeometry(const PageViewState& state, int width, int height, const Paper& paper) {
    ViewGeometry g;
    const int room = std::max(1, width - 2 * kViewMargin);
    g.scale = room / paper.widthPt * state.zoom;
    g.sheetWidth = static_cast<int>(std::lround(paper.widthPt * g.scale));
    g.sheetHeight = static_cast<int>(std::lround(paper.heightPt * g.scale));
    g.maxScrollX = std::max(0, g.sheetWidth + 2 * kViewMargin - width);
    g.maxScrollY = std::max(0, g.sheetHeight + 2 * kViewMargin - height);
    // A sheet narrower than the window stands in its middle.
    const int left = g.maxScrollX > 0 ? kViewMargin : (width - g.sheetWidth) / 2;
    g.sheetX = left - std::clamp(state.scrollX, 0, g.maxScrollX);
    g.sheetY = kViewMargin - std::clamp(state.scrollY, 0, g.maxScrollY);
    return g;
}

PageViewState clampView(PageViewState s, int width, int height, const Paper& paper) {
    s.page = std::clamp(s.page, 0, std::max(0, s.pages - 1));
    s.zoom = std::clamp(s.zoom, kMinZoom, kMaxZoom);
    const ViewGeometry g = viewGeometry(s, width, height, paper);
    s.scrollX = std::clamp(s.scrollX, 0, g.maxScrollX);
    s.scrollY = std::clamp(s.scrollY, 0, g.maxScrollY);
    return s;
}

PageViewState applyViewKey(PageViewState s, ViewKey key, int width, int height, const Paper& paper) {
    const ViewGeometry g = viewGeometry(s, width, height, paper);
    const int step = static_cast<int>(std::lround(kLinesAStep * kLineDots * kPointsPerInch / kDotsPerInch * g.scale));
    const int screen = std::max(step, height - 2 * kViewMargin);
    const auto turnTo = [&s](int page) {
        s.page = page;
        s.scrollY = 0;
    };
    switch (key) {
        case ViewKey::NextPage: turnTo(std::min(s.page + 1, s.pages - 1)); break;
        case ViewKey::PreviousPage: turnTo(std::max(s.page - 1, 0)); break;
        case ViewKey::FirstPage: turnTo(0); break;
        case ViewKey::LastPage: turnTo(s.pages - 1); break;
        case ViewKey::Up: s.scrollY -= step; break;
        case ViewKey::Down: s.scrollY += step; break;
        case ViewKey::Left: s.scrollX -= step; break;
        case ViewKey::Right: s.scrollX += step; break;
        case ViewKey::ScreenUp: s.scrollY -= screen; break;
        case ViewKey::ScreenDown: s.scrollY += screen; break;
        case ViewKey::ZoomIn:
        case ViewKey::ZoomOut: {
            // The point in the middle of the window stays there.
            const double factor = key == ViewKey::ZoomIn ? kZoomStep : 1 / kZoomStep;
            const double zoom = std::clamp(s.zoom * factor, kMinZoom, kMaxZoom);
            const double k = zoom / s.zoom;
            const auto around = [k](int scroll, int size) {
                const double middle = scroll + size / 2.0 - kViewMargin;  // on the sheet's picture
                return static_cast<int>(std::lround(middle * k + kViewMargin - size / 2.0));
            };
            s.scrollX = around(s.scrollX, width);
            s.scrollY = around(s.scrollY, height);
            s.zoom = zoom;
            break;
        }
        case ViewKey::FitWidth:
            s.scrollY = static_cast<int>(std::lround(s.scrollY / s.zoom));
            s.zoom = 1;
            s.scrollX = 0;
            break;
    }
    return clampView(s, width, height, paper);
}

}  // namespace dprender

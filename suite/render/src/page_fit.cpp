#include "render/page_fit.h"

#include <algorithm>

namespace dprender {
namespace {

// Where a box of `size` starting at `wanted` goes so that it lies in [low, low + room].
double keepInside(double wanted, double size, double low, double room) {
    return std::clamp(wanted, low, std::max(low, low + room - size));
}

}  // namespace

SheetPlacement fitSheet(const Sheet& sheet, const PrintableArea& area) {
    const double boxWidth = sheet.printableWidthPt();
    const double boxHeight = sheet.heightPt - sheet.topMarginPt - sheet.bottomMarginPt;
    SheetPlacement p;
    if (area.width <= 0 || area.height <= 0 || boxWidth <= 0 || boxHeight <= 0) return p;
    p.scale = std::min({1.0, area.width / boxWidth, area.height / boxHeight});
    const double x = keepInside(sheet.leftMarginPt, boxWidth * p.scale, area.left, area.width);
    const double y = keepInside(sheet.topMarginPt, boxHeight * p.scale, area.top, area.height);
    p.originX = x - sheet.leftMarginPt * p.scale;
    p.originY = y - sheet.topMarginPt * p.scale;
    return p;
}

}  // namespace dprender

// Bringing a sheet onto paper a printer reports: the area of its paper it can print on, and the
// scale and position that put the sheet's print inside that area whole. A sheet that fits stays
// where it is on US Letter; one that does not is moved in, and shrunk only as far as it must be.
#pragma once

#include "render/page.h"

namespace dprender {

// The part of the paper a printer prints on, in points from the paper's top left corner.
struct PrintableArea {
    double left = 0, top = 0, width = 0, height = 0;
};

// Sheet point (x, y) lands on paper point (originX + x * scale, originY + y * scale).
struct SheetPlacement {
    double scale = 1;
    double originX = 0, originY = 0;
};

// The sheet's print box runs from its margins to its right edge and its bottom margin: all that
// the parser lets characters reach.
SheetPlacement fitSheet(const Sheet& sheet, const PrintableArea& area);

}  // namespace dprender

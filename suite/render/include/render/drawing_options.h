// The parse options of a drawing: the proportional widths the parser lays text out with are
// those of the fonts that draw it (cairo's on Linux, GDI's on Windows).
#pragma once

#include "render/page.h"
#include "render/parser.h"

namespace dprender {

template <class DrawingFonts>
ParseOptions drawingParseOptions(const DrawingFonts& fonts, const Sheet& sheet = {}) {
    ParseOptions o;
    o.sheet = sheet;
    o.widths = fonts.proportionalWidths();
    return o;
}

}  // namespace dprender

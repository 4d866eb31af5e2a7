// Where a run's characters land on the sheet: the position of every letter's glyph and the
// rectangles its rules and blocks fill. Every drawing of the pages (cairo on Linux, GDI on
// Windows, the PDF written from the pages) draws from this one layout, so a page looks the same
// whatever draws it.
//
// Fixed pitch: each character sits in its cell of the pitch; a letter wider than its cell is
// squeezed into it (condensed print), a narrower one centred. Proportional text advances by the
// face's widths, which the parser laid the run out with. Box-drawing characters are lines from
// the cell's centre to its edges and block characters filled parts of the cell; pieces that touch
// are joined, so a rule across the page is one rectangle.
#pragma once

#include <cstdint>
#include <vector>

#include "render/page.h"
#include "render/parser.h"

namespace dprender {

inline constexpr double kLinePt = kLineDots * kPointsPerInch / kDotsPerInch;  // 12 points

// Points below the top of form of a position in 1/216 inch.
inline double pointsBelowTop(int dots) { return dots * kPointsPerInch / kDotsPerInch; }

// Where the baseline of a line of text falls below the top of its line: letters hang from a
// little below the top of the line, as from the print head, so a larger letter reaches further
// down. Ordinary 10.5-point text then stands in its line between the rules drawn through the
// middles of the lines above and below, and small captions stay clear of a rule below them.
inline double baselineBelowTop(double points) { return 3.6 + 0.6 * points; }

// The width of the outline of hollow letters.
double outlineWidth(double points);

// A rectangle in points, from the left margin and the top of form.
struct InkRect {
    double x = 0, y = 0, w = 0, h = 0;
};

struct PlacedGlyph {
    unsigned char c = 0;  // code page 437
    double x = 0;         // the glyph's origin, points right of the left margin
};

struct RunLayout {
    double top = 0;       // points below the top of form: the top of the run's line
    double baseline = 0;  // points below the top of form
    double scaleX = 1;    // the glyphs' horizontal scale (a fixed-pitch letter squeezed into its cell)
    // The characters that print from the font, blanks between them included (they print nothing
    // but keep the words apart for whoever reads the text); shapes left out.
    std::vector<PlacedGlyph> glyphs;
    std::vector<InkRect> shapes;      // rules and blocks, joined where they touch
    double shapeDensity = 1;          // below 1: a run of one shade character, drawn lighter
};

// `monoAdvanceEm` is the advance of the fixed-pitch face the glyphs are drawn with, in em;
// `widths` those of the proportional face (the parser's).
RunLayout layoutRun(const Run& run, const FaceWidths& widths, double monoAdvanceEm);

// The colour a shape of `density` prints in on white paper, 0xRRGGBB.
std::uint32_t shadedInk(std::uint32_t ink, double density);

}  // namespace dprender

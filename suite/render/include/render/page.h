// The page model: what one sheet of a printer file looks like once its bytes have been read.
// Positions are those of the paper in the printer: vertical in 1/216 inch from the top of form
// (the first printing line), horizontal in points (1/72 inch) from the left margin. Nothing here
// knows how a page is drawn; the drawing (draw.h) and the character view (text_view.h) read it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace dprender {

inline constexpr int kDotsPerInch = 216;   // vertical unit of the paper feed
inline constexpr int kLineDots = 36;       // one line at six lines an inch
inline constexpr double kPointsPerInch = 72.0;

// US Letter with the margins the renderer prints inside.
struct Sheet {
    double widthPt = 8.5 * kPointsPerInch;
    double heightPt = 11.0 * kPointsPerInch;
    double leftMarginPt = 0.3 * kPointsPerInch;   // column 1 starts here
    double topMarginPt = 0.25 * kPointsPerInch;   // the top of form
    double bottomMarginPt = 0.25 * kPointsPerInch;
    // The printer's line: 80 columns at ten characters an inch (132 condensed); what goes
    // further does not print.
    double lineWidthPt = 8.0 * kPointsPerInch;
    // Lines below this many dots from the top of form go to the next sheet, as the paper does.
    int printableDots() const {
        return static_cast<int>((heightPt - topMarginPt - bottomMarginPt) / kPointsPerInch * kDotsPerInch);
    }
    double printableWidthPt() const { return std::min(lineWidthPt, widthPt - leftMarginPt); }
};

// How the characters of a run are printed (the printer's state when they were sent).
struct Style {
    double cpi = 10;             // fixed pitch: characters an inch
    bool proportional = false;   // widths from the proportional face
    double points = 10.5;        // character height
    bool bold = false;
    int typeface = 0;            // as selected, kept for the record; drawn with one family
    bool outline = false;        // hollow letters (the large year's first half)
    std::uint32_t ink = 0;       // 0xRRGGBB
    bool fineRules = false;      // box-drawing lines drawn hairline thin

    double cellPt() const { return kPointsPerInch / cpi; }
    bool operator==(const Style&) const = default;
};

// Consecutive characters printed in one style from one position. Blanks inside a run stay in
// it; blanks before and after only move the print position and are not kept.
struct Run {
    int top = 0;          // 1/216 inch below the top of form: the top of the line the run prints on
    double x = 0;         // points right of the left margin
    Style style;
    std::string bytes;    // code page 437
};

struct Page {
    int number = 0;                 // from 1
    std::vector<Run> runs;          // in the order printed: later runs print over earlier ones
    std::size_t glyphs = 0;         // characters in all runs
};

// What the reading of a file noticed besides the pages. A file that cannot be shown at all
// sets `error`; everything else is a note.
struct Diagnostics {
    std::string error;
    std::size_t unknownCommands = 0;
    std::string firstUnknown;          // e.g. "ESC '!' at byte 120"
    std::size_t ignoredControls = 0;   // control bytes that print nothing and move nothing
    std::size_t clippedGlyphs = 0;     // characters beyond the right edge of the sheet
    std::size_t stoppedAtTop = 0;      // reverse feeds the top edge of the sheet stopped
    std::size_t stoppedAtTopDots = 0;  // how much reverse feed it stopped, 1/216 inch
    std::size_t firstStopAtTop = 0;    // byte offset of the first such command
    bool truncatedCommand = false;     // the file ends inside a command
    std::size_t pageOverflows = 0;     // lines that ran past the foot of a sheet
};

}  // namespace dprender

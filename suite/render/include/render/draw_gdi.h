// Drawing pages on Windows with GDI: the fonts, one page onto any device context (a window, a
// printer, a metafile, a bitmap), and the two outputs of the renderer (a PDF written from the
// pages with the standard PDF fonts, a PNG of one page through GDI+).
//
// Fixed-pitch text is drawn in Consolas where Windows has it, else Courier New; proportional
// text in Arial. The cell and width rules are those of every drawing of the pages
// (run_layout.h): the proportional widths the parser lays text out with are measured from the
// Arial that draws it.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

#include "render/page.h"
#include "render/drawing_options.h"
#include "render/paper.h"
#include "render/parser.h"
#include "render/standard_font_pdf.h"

namespace dprender {

// The two faces pages are drawn with, chosen and measured once for the process.
class Fonts {
public:
    // The fonts, or nullptr with `error` saying what is missing.
    static const Fonts* get(std::string& error);

    const std::wstring& face(bool proportional) const { return proportional ? sans_ : mono_; }
    // Advance of the fixed-pitch face's characters, in em.
    double monoAdvanceEm() const { return monoAdvanceEm_; }
    const FaceWidths& proportionalWidths() const { return widths_; }

private:
    Fonts() = default;
    std::wstring mono_, sans_;
    double monoAdvanceEm_ = 0.6;
    FaceWidths widths_;
    friend struct GdiFontLoader;
};

// Where the printer's page lands on a device: its point (x, y) from column 1 at the top of form
// is the device's pixel (originX + x * scaleX, originY + y * scaleY). A printer may resolve more
// dots an inch across than down.
struct DevicePlacement {
    double originX = 0, originY = 0;
    double scaleX = 1, scaleY = 1;
};

// The placement of the page on the paper (paper.h) on a device that has `pixelsPerPointX` and
// `pixelsPerPointY` and shows the paper's top left corner at its pixel (paperX, paperY).
inline DevicePlacement onDevice(const Placement& at, double pixelsPerPointX, double pixelsPerPointY, double paperX = 0,
                                double paperY = 0) {
    return {paperX + at.xPt * pixelsPerPointX, paperY + at.yPt * pixelsPerPointY, at.scale * pixelsPerPointX,
            at.scale * pixelsPerPointY};
}

// Draws a page onto the device context; the paper is not cleared first. The context's state is
// kept as it was.
void drawPage(HDC dc, const Page& page, const Fonts& fonts, const DevicePlacement& at);

// The renderer's PDF on Windows: the pages with the standard PDF fonts, laid out with the
// drawing fonts' widths.
class PdfWriter : public StandardFontPdf {
public:
    PdfWriter(std::FILE* out, const Fonts& fonts, const Paper& paper = letterPaper(),
              const Placement& placement = ownPlacement(), const std::string& title = {})
        : StandardFontPdf(out, fonts.proportionalWidths(), paper, placement, title) {}
};

// One page as a PNG image at `dpi` dots an inch, white paper, encoded by GDI+; false with
// `error` on failure.
bool writePng(const Page& page, const Fonts& fonts, std::FILE* out, double dpi, std::string& error,
              const Paper& paper = letterPaper(), const Placement& placement = ownPlacement());

}  // namespace dprender

// Drawing pages with cairo: the fonts, one page onto a cairo context, and the two outputs (a PDF
// written page by page, a PNG of one page).
//
// Fixed-pitch text is drawn in DejaVu Sans Mono, which has every code page 437 character; each
// character sits in its cell of the pitch, squeezed sideways when it is wider (condensed
// print). Proportional text is drawn in DejaVu Sans with the widths the parser laid it out by.
// Box-drawing characters are drawn as lines from the cell's centre to its edges and block
// characters as filled cells, so rules and bars join without gaps.
#pragma once

#include <cairo.h>

#include <cstdio>
#include <memory>
#include <string>

#include "render/page.h"
#include "render/drawing_options.h"
#include "render/paper.h"
#include "render/parser.h"

namespace dprender {

// The four faces pages are drawn with, loaded once for the process.
class Fonts {
public:
    // The loaded fonts, or nullptr with `error` saying what is missing.
    static const Fonts* get(std::string& error);

    cairo_font_face_t* face(bool proportional, bool bold) const;
    // The glyph of a code page 437 byte in a face (0 when the face lacks it).
    unsigned long glyph(bool proportional, bool bold, unsigned char c) const;
    // Advance of the fixed-pitch face's characters, in em.
    double monoAdvanceEm() const { return monoAdvanceEm_; }
    const FaceWidths& proportionalWidths() const { return widths_; }

private:
    Fonts() = default;
    struct Face {
        cairo_font_face_t* cairo = nullptr;
        unsigned long glyphs[256] = {};
    };
    Face faces_[4];  // mono, mono bold, sans, sans bold
    double monoAdvanceEm_ = 0.6;
    FaceWidths widths_;
    friend struct FontLoader;
};

// Draws a page onto a context whose unit is the point, origin at the output sheet's top left
// corner, with the printer's page where the placement puts it (paper.h). The sheet is not
// cleared first.
void drawPage(cairo_t* cr, const Page& page, const Fonts& fonts, const Placement& placement);

// A PDF written page by page to a stream: only the page being drawn is held in memory.
class PdfWriter {
public:
    PdfWriter(std::FILE* out, const Fonts& fonts, const Paper& paper = letterPaper(),
              const Placement& placement = ownPlacement(), const std::string& title = {});
    ~PdfWriter();
    PdfWriter(const PdfWriter&) = delete;
    PdfWriter& operator=(const PdfWriter&) = delete;

    bool addPage(const Page& page);
    // Finishes the output file; false when anything could not be drawn or written.
    bool close();
    const std::string& error() const { return error_; }
    int pages() const { return pages_; }

private:
    static cairo_status_t write(void* closure, const unsigned char* data, unsigned int length);
    std::FILE* out_;
    const Fonts& fonts_;
    Placement placement_;
    cairo_surface_t* surface_ = nullptr;
    cairo_t* cr_ = nullptr;
    bool writeFailed_ = false;
    bool closed_ = false;
    int pages_ = 0;
    std::string error_;
};

// One page as a PNG image at `dpi` dots an inch, white paper; false with `error` on failure.
bool writePng(const Page& page, const Fonts& fonts, std::FILE* out, double dpi, std::string& error,
              const Paper& paper = letterPaper(), const Placement& placement = ownPlacement());

}  // namespace dprender

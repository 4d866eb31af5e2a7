// Rendering a printer file from disk: to a PDF (every page, written page by page), to a PNG
// (one page), or to the character pages of the screen view. The output file appears whole or
// not at all: it is written under a temporary name beside the target and renamed when complete.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "render/page.h"
#include "render/paper.h"
#include "render/text_view.h"

namespace dprender {

enum class OutputFormat { Pdf, Png };

struct RenderRequest {
    std::string input;
    std::string output;
    OutputFormat format = OutputFormat::Pdf;
    int page = 1;       // the page a PNG shows (from 1)
    double dpi = 150;   // PNG resolution
    std::string title;  // the PDF's title (default: the input's file name)
    // The sheet the pages go on and the edges its device leaves blank: the printer's Letter page
    // is placed and, where it must, scaled to fit (paper.h).
    Paper paper = letterPaper();
    Margins margins;
};

struct RenderResult {
    bool ok = false;
    std::string error;    // why nothing was written, in words for the user
    int pages = 0;        // pages in the PDF; pages read for a PNG
    Diagnostics notes;
};

RenderResult renderFile(const RenderRequest& request);

// The pages of a file laid out as the drawing draws them, each handed to `sink` as soon as it is
// read (a false answer stops the reading); false with `error` when the file cannot be read or
// drawn.
bool readDrawnPages(const std::string& input, const std::function<bool(Page&&)>& sink, std::string& error,
                    const Sheet& sheet = {});

// The pages of a file as character pages for the screen; false with `error` when the file
// cannot be read or shown.
bool textPagesOfFile(const std::string& input, std::vector<TextPage>& pages, std::string& error,
                     Diagnostics* notes = nullptr);

// "PDF" or "PNG" from the output name's extension (any letter case); false for anything else.
bool formatFromName(const std::string& name, OutputFormat& format);

}  // namespace dprender

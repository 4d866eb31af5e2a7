// A PDF of the pages written straight from the page model, with the standard fonts every PDF
// reader brings: Courier for fixed pitch, Helvetica for proportional text (each with its bold).
// The letters stay text, so the file can be searched and its text taken out in reading order;
// rules and blocks are filled rectangles, hollow letters are outlined text. Nothing but the C++
// library is needed: the Windows build writes its PDF files this way, identical on every
// Windows, and the result can be read on any system.
//
// Fixed-pitch characters sit in their cells as the drawing puts them (run_layout.h), and the
// printer's page sits on the paper where its placement puts it (paper.h). The
// proportional face's widths the parser laid the text out with are written into the file as
// Helvetica's widths, so a reader advances each letter by exactly the width the page was laid
// out with. Characters outside the PDF's standard Latin set print as "?".
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "render/page.h"
#include "render/paper.h"
#include "render/parser.h"

namespace dprender {

class StandardFontPdf {
public:
    // `widths` are the proportional widths the pages were parsed with.
    StandardFontPdf(std::FILE* out, const FaceWidths& widths, const Paper& paper = letterPaper(),
                    const Placement& placement = ownPlacement(), const std::string& title = {});
    ~StandardFontPdf();
    StandardFontPdf(const StandardFontPdf&) = delete;
    StandardFontPdf& operator=(const StandardFontPdf&) = delete;

    bool addPage(const Page& page);
    // Writes the page tree and the cross-reference table; false when anything could not be
    // written (then `error` says so).
    bool close();
    const std::string& error() const { return error_; }
    int pages() const { return static_cast<int>(pageObjects_.size()); }

private:
    int newObject();  // the next object's number, its offset noted
    void put(const std::string& bytes);
    void writeFonts(const std::string& title);

    std::FILE* out_;
    FaceWidths widths_;
    Paper paper_;
    Placement placement_;
    long long written_ = 0;
    std::vector<long long> offsets_;  // by object number; [0] unused
    std::vector<int> pageObjects_;
    bool closed_ = false;
    std::string error_;
};

// The byte of the PDF's standard Latin encoding that prints Unicode character `u`, or 0 when
// it has none.
unsigned char standardLatinByte(char32_t u);

}  // namespace dprender

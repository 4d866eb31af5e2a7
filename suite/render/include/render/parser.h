// Reading a printer file into pages. The module's printed outputs (the depreciation report, the
// amortization schedule, Form 4562) are text for a character printer: code page 437 characters,
// CR LF line ends, form feeds and the printer commands below. The parser turns the bytes into the
// page model of page.h, one page at a time, and does nothing else: no fonts are opened and
// nothing is drawn, so it can be tested and fuzzed on its own.
//
// Paper: US Letter, six lines an inch, text from the left margin of the sheet (page.h). A line
// that would run past the foot of the sheet starts the next sheet, as continuous paper does.
//
// Every byte and command the renderer knows (ESC is byte 27; a number after ESC stands for that
// byte, a letter for its character; n, m, nL, nH, r, g, b are one parameter byte each):
//
// | Bytes              | Command            | Effect                                                      |
// |--------------------|--------------------|-------------------------------------------------------------|
// | 13 10 (CR LF)      | line end           | carriage to the left margin, paper 1/6 inch forward          |
// | 10 (LF alone)      | line feed          | the same as CR LF                                            |
// | 13 (CR alone)      | carriage return    | carriage to the left margin; the next text prints over       |
// | 12 (FF)            | form feed          | the page ends; the next byte prints at the top of a new page |
// | 9 (HT)             | tab                | carriage to the next multiple of eight character cells        |
// | 8 (BS)             | backspace          | carriage one character cell back (not past the margin)        |
// | other bytes < 32, 127 | -               | ignored (counted as a note)                                   |
// | 32 .. 255          | character          | printed in code page 437; 255 and 32 are blanks; box-drawing  |
// |                    |                    | characters (179..218) are drawn as joined lines, 176..178 as  |
// |                    |                    | shades, 219..223 as solid blocks of the character cell        |
// | ESC j n            | reverse feed       | paper n/216 inch back; it stops at the top of form (noted)   |
// | ESC J n            | forward feed       | paper n/216 inch forward                                      |
// | ESC X m nL nH      | pitch and size     | m = 0 pitch unchanged, m = 1 proportional spacing, m >= 5     |
// |                    |                    | fixed pitch of 360/m characters an inch (m = 30: 12 cpi);     |
// |                    |                    | size (nL + 256 nH) / 2 points, unchanged when 0. ESC P, M, g, |
// |                    |                    | p, ! and @ end the size (back to 10.5 points)                 |
// | ESC P              | 10 cpi             | fixed pitch of ten characters an inch, 10.5 points            |
// | ESC M              | 12 cpi             | fixed pitch of twelve characters an inch, 10.5 points         |
// | ESC g              | 15 cpi             | fixed pitch of fifteen characters an inch, 10.5 points        |
// | ESC p n            | proportional       | n = 0 or '0' off, n = 1 or '1' on; other values ignored;      |
// |                    |                    | the size goes back to 10.5 points                             |
// | ESC ! n            | print mode         | bit 0 12 cpi (else 10), bit 1 proportional, bit 2 condensed   |
// |                    |                    | (17.14 or 20 cpi), bit 3 bold, bit 5 double width; 10.5 points|
// | ESC E / ESC F      | bold on / off      |                                                              |
// | ESC k n            | typeface           | kept with the text; every typeface is drawn with one family   |
// | ESC @              | reset              | 10 cpi, 10.5 points, fixed pitch, bold off, black, solid type |
// | ESC 34 Q n         | condensed pitch    | fixed pitch of n characters an inch (n = 0 ignored); letters  |
// |                    |                    | wider than their cell are squeezed into it. Q 17 prints the   |
// |                    |                    | depreciation report's 132 columns across 7.8 inches; the      |
// |                    |                    | form's marks, one ">" at each pitch 12..50 over the others,   |
// |                    |                    | fill to a solid arrowhead                                     |
// | ESC 34 R r g b     | ink                | the colour the following characters print in; 255 255 255 is  |
// |                    |                    | white, for the part labels on their black bars               |
// | ESC 34 V           | outline type       | the following letters print hollow (the year's first half)    |
// | ESC 34 U           | solid type         | outline type off (the year's second half prints solid)        |
// | ESC 34 W           | caption            | proportional spacing on for the caption that follows          |
// | ESC 34 X           | caption end        | proportional spacing off and solid type: fixed pitch again at |
// |                    |                    | the pitch last selected                                       |
// | ESC 34 y           | regular rules      | box-drawing lines at their ordinary weight                    |
// | ESC 34 z           | fine rules         | box-drawing lines hairline thin (the form's ruling)           |
// | ESC c (other)      | unknown command    | ESC and c are skipped (counted as a note); ESC 34 c skips 3   |
//
// A file that ends inside a command ends there (noted). Pages are handed on as they are
// finished, so memory does not grow with the page count; a page that holds more than
// `maxGlyphsPerPage` characters (overprinted without end) or a file of more than `maxPages`
// pages stops the reading with an error.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "render/page.h"

namespace dprender {

// Advance widths of the proportional face, in em, for every code page 437 byte (regular and
// bold). The drawing side measures them from the font it draws with.
struct FaceWidths {
    std::array<float, 256> regular{};
    std::array<float, 256> bold{};
    // Every character 0.6 em wide: for tests, and where no font is at hand.
    static FaceWidths uniform(float em = 0.6f);
};

struct ParseOptions {
    Sheet sheet;
    FaceWidths widths = FaceWidths::uniform();
    std::size_t maxGlyphsPerPage = 2'000'000;
    std::size_t maxRunsPerPage = 200'000;
    int maxPages = 100'000;
};

class Parser {
public:
    // Receives each finished page; returning false stops the reading (the caller's own error).
    using PageSink = std::function<bool(Page&&)>;

    Parser(ParseOptions options, PageSink sink);

    void feed(std::string_view bytes);
    // Ends the file: the last page is handed on when anything printed on it, or when it is the
    // only one (an empty file gives one blank page).
    void finish();

    const Diagnostics& diagnostics() const { return diag_; }
    bool failed() const { return !diag_.error.empty(); }
    bool stopped() const { return stopped_; }
    int pagesHandedOn() const { return pagesOut_; }

private:
    void byte(unsigned char c);
    void command();
    void printCommand();
    void selectPitch(double cpi);
    void masterSelect(unsigned char n);
    std::size_t commandLength() const;
    void glyph(unsigned char c);
    void flushRun();
    void newLine();
    void feedPaper(int dots);
    void endPage();
    double advance(unsigned char c) const;
    void unknown(const std::string& what);
    void fail(const std::string& why);

    ParseOptions opt_;
    PageSink sink_;
    Diagnostics diag_;
    Style style_;
    Page page_;
    Run run_;
    int pendingBlanks_ = 0;
    double pendingBlankWidth_ = 0;
    int top_ = 0;
    double x_ = 0;
    std::string cmd_;           // the command being read
    std::size_t offset_ = 0;    // bytes read so far
    std::size_t cmdOffset_ = 0;
    bool stopped_ = false;
    bool finished_ = false;
    int pagesOut_ = 0;
};

// The whole file at once (tests, small files).
std::vector<Page> parsePages(std::string_view bytes, const ParseOptions& options = {},
                             Diagnostics* diagnostics = nullptr);

// A one-line summary of the notes ("" when there is nothing to say).
std::string describe(const Diagnostics& d);

}  // namespace dprender

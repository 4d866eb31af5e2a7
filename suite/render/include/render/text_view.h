// A page as characters on a grid, for showing printed output in a terminal: the commands have
// been carried out (overprinted marks, reverse feeds, condensed print), and what remains is the
// text where it lands. The grid's pitch is the pitch most of the page's text is printed in, so
// the depreciation report shows its 132 columns and the form its 79.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/page.h"

namespace dprender {

enum TextAttr : char {
    kTextPlain = 0,
    kTextBold = 1,
    kTextInverse = 2,  // light ink (a label on a bar) or a solid block
};

struct TextPage {
    std::vector<std::u32string> rows;   // Unicode characters, blanks where nothing printed
    std::vector<std::string> attrs;     // one TextAttr set per character of the row
};

TextPage textView(const Page& page);

// The rows as UTF-8 lines, trailing blanks removed (tests, plain output).
std::vector<std::string> textLines(const TextPage& page);

}  // namespace dprender

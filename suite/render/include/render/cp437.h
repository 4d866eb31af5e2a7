// Code page 437: the character set of the printer files. What each byte looks like, and how the
// box-drawing and block characters are built from lines and rectangles so that neighbours join.
#pragma once

#include <cstdint>

namespace dprender {

// The Unicode character a byte prints as (bytes below 32 as their graphic forms).
char32_t cp437ToUnicode(unsigned char c);

// The arms of a box-drawing character, from its cell's centre to the edges: 0 none, 1 single
// line, 2 double line.
struct BoxArms {
    std::uint8_t up = 0, right = 0, down = 0, left = 0;
    bool any() const { return up || right || down || left; }
};
BoxArms boxArms(unsigned char c);  // all 0 for a byte that is not a box-drawing character

// The part of the cell a block character fills (fractions of the cell, from the top left) and
// its ink density (1 solid, below 1 a shade). `density` 0 for a byte that is not a block.
struct BlockFill {
    float left = 0, top = 0, right = 1, bottom = 1;
    float density = 0;
};
BlockFill blockFill(unsigned char c);

// Drawn from lines or rectangles rather than from the font.
inline bool isDrawnShape(unsigned char c) { return boxArms(c).any() || blockFill(c).density > 0; }

}  // namespace dprender

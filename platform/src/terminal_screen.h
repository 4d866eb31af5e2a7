// The terminal itself: curses started and given back, keys read, text and lines drawn into one
// picture at a time. The only part of the terminal backend that speaks to curses.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "terminal_ui.h"

struct screen;  // curses' SCREEN

namespace platform::term {

// How drawn text looks.
enum Attr : unsigned {
    Normal = 0,
    Bold = 1u << 0,
    Reverse = 1u << 1,
    Underline = 1u << 2,
    Dim = 1u << 3,   // shown as normal text where the terminal cannot dim
};

// How a character of a printed page is shown on the character screen: as itself (ASCII), as one
// of the terminal's line-drawing characters, as a solid or shaded cell, or as "?".
enum class CellShape {
    Text, Unknown, HLine, VLine, ULCorner, URCorner, LLCorner, LRCorner, LTee, RTee, TTee, BTee, Plus, Solid, Shade,
};

// A part of the screen: rows top .. bottom - 1, columns left .. right - 1.
struct Rect {
    int top = 0, left = 0, bottom = 0, right = 0;
};

class Screen {
public:
    Screen() = default;
    ~Screen();
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;

    // Curses is started for the first window and the terminal given back when the outermost
    // one has ended, so the host finds its terminal as it left it.
    void begin();
    void end();
    bool shown() const { return active_ && depth_ > 0; }
    // Around a program started from a window: the terminal is the program's meanwhile.
    void suspend();
    void resume();

    int cols() const;
    int rows() const;
    bool canDim() const { return hasDim_; }
    // The next key; a terminal that has gone away ends the run with an exception.
    KeyEvent readKey();
    // A key pressed within milliseconds, or Key::None.
    KeyEvent readKeyWithin(int milliseconds);

    // One picture: clear() starts it, show() puts it on the terminal.
    void clear();
    void show();
    // The next show() paints every cell afresh (after the window changed its size).
    void repaintAll();

    // Drawing is clipped to the screen and to the innermost clip.
    void pushClip(Rect r);
    void popClip();
    void put(int row, int col, std::string_view text, unsigned attr = Normal);
    // A caption with its mnemonic letter underlined.
    void putCaption(int row, int col, const Caption& cap, unsigned attr, bool showAccel);
    void box(int row, int col, int rows, int cols, unsigned attr = Normal);
    void hline(int row, int col, int n, unsigned attr = Normal);
    // One character of a printed page: `shape` says how (see terminal_pages.h), `c` is the
    // character itself for plain text.
    void putCell(int row, int col, char32_t c, CellShape shape, unsigned attr);
    // A separator across a box at row: joined to its sides.
    void boxSeparator(int row, int col, int cols);
    void blank(int row, int col, int rows, int cols);
    void cursorAt(int row, int col) { cursor_ = {row, col}; }
    // What a click on this picture hits.
    std::vector<Zone>& zones() { return zones_; }
    void addZone(Zone z);  // clipped like drawing; left out when nothing of it shows

    // Instead of a window that does not fit: what it is and how much room it needs.
    void tooSmall(const std::string& what, int needCols, int needRows);

private:
    void open();
    void openTty();
    void configure();
    void addChar(int row, int col, unsigned long ch, unsigned attr);
    Rect clipRect() const;
    int cursesAttr(unsigned attr) const;

    ::screen* screen_ = nullptr;
    std::FILE* ttyOut_ = nullptr;
    std::FILE* ttyIn_ = nullptr;
    bool active_ = false;
    bool hasDim_ = false;
    int depth_ = 0;
    std::vector<Rect> clips_;
    std::pair<int, int> cursor_{-1, -1};
    std::vector<Zone> zones_;
};

// A clip for as long as the object lives.
class ClipGuard {
public:
    ClipGuard(Screen& s, Rect r) : s_(s) { s_.pushClip(r); }
    ~ClipGuard() { s_.popClip(); }
    ClipGuard(const ClipGuard&) = delete;
    ClipGuard& operator=(const ClipGuard&) = delete;

private:
    Screen& s_;
};

}  // namespace platform::term

#include "terminal_screen.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

// Function-like curses macros (refresh, move, erase ...) would clash with our own names.
#define NCURSES_NOMACROS 1
#include <curses.h>

namespace platform::term {

namespace {

KeyEvent specialKey(int c) {
    switch (c) {
        case KEY_LEFT: return {Key::Left, 0};
        case KEY_RIGHT: return {Key::Right, 0};
        case KEY_UP: return {Key::Up, 0};
        case KEY_DOWN: return {Key::Down, 0};
        case KEY_HOME: return {Key::Home, 0};
        case KEY_END: return {Key::End, 0};
        case KEY_PPAGE: return {Key::PageUp, 0};
        case KEY_NPAGE: return {Key::PageDown, 0};
        case KEY_BACKSPACE: return {Key::Backspace, 0};
        case KEY_DC: return {Key::Delete, 0};
        case KEY_BTAB: return {Key::BackTab, 0};
        case KEY_ENTER: return {Key::Enter, 0};
        case KEY_RESIZE: return {Key::Resize, 0};
        case KEY_MOUSE: {
            MEVENT ev{};
            if (::getmouse(&ev) == OK && (ev.bstate & (BUTTON1_PRESSED | BUTTON1_CLICKED)))
                return {Key::Click, 0, ev.y, ev.x};
            return {Key::Other, 0};
        }
        default:
            if (c == KEY_F(1)) return {Key::F1, 0};
            if (c == KEY_F(10)) return {Key::F10, 0};
            return {Key::Other, 0};
    }
}

// A key read: a curses key code, or the bytes of one key (an Alt key comes as Esc and its key).
KeyEvent decodeKey(int c) {
    if (c >= KEY_MIN) return specialKey(c);
    return decodeInput(c, [] {
        ::wtimeout(stdscr, 40);
        const int n = ::wgetch(stdscr);
        ::wtimeout(stdscr, -1);
        return n == ERR ? -1 : n;
    });
}

Rect intersect(Rect a, Rect b) {
    return {std::max(a.top, b.top), std::max(a.left, b.left), std::min(a.bottom, b.bottom),
            std::min(a.right, b.right)};
}

bool inside(const Rect& r, int row, int col) {
    return row >= r.top && row < r.bottom && col >= r.left && col < r.right;
}

}  // namespace

Screen::~Screen() {
    if (active_) ::endwin();
}

void Screen::begin() {
    if (depth_ == 0) open();
    ++depth_;
}

void Screen::end() {
    if (--depth_ == 0 && active_) {
        ::endwin();
        active_ = false;
    }
}

void Screen::suspend() {
    if (!shown()) return;
    ::def_prog_mode();
    ::endwin();
}

void Screen::resume() {
    if (!shown()) return;
    ::reset_prog_mode();
    repaintAll();
}

// Output sent to a file or a pipe: the windows still go to the controlling terminal.
void Screen::openTty() {
    ttyOut_ = std::fopen("/dev/tty", "w");
    ttyIn_ = ttyOut_ ? std::fopen("/dev/tty", "r") : nullptr;
    if (ttyIn_) return;
    if (ttyOut_) std::fclose(ttyOut_);
    ttyOut_ = nullptr;
    throw std::runtime_error("the dialogs need a terminal (or a script: dphost --script FILE CLIENTCODE)");
}

void Screen::open() {
    if (screen_) {
        ::reset_prog_mode();
        repaintAll();
        active_ = true;
        return;
    }
    if (!::isatty(STDIN_FILENO) || !::isatty(STDOUT_FILENO)) openTty();
    // A lone Esc is the close box; Alt arrives as Esc plus a key at once.
    if (!std::getenv("ESCDELAY")) ::set_escdelay(25);
    screen_ = ::newterm(nullptr, ttyOut_ ? ttyOut_ : stdout, ttyIn_ ? ttyIn_ : stdin);
    if (!screen_) {
        if (ttyOut_) std::fclose(ttyOut_);
        if (ttyIn_) std::fclose(ttyIn_);
        ttyOut_ = ttyIn_ = nullptr;
        throw std::runtime_error("the terminal type in TERM is not known to curses");
    }
    configure();
    active_ = true;
}

void Screen::configure() {
    ::set_term(screen_);
    ::cbreak();
    ::noecho();
    ::nonl();
    ::keypad(stdscr, TRUE);
    ::meta(stdscr, TRUE);
    ::intrflush(stdscr, FALSE);
    hasDim_ = (::termattrs() & A_DIM) != 0;
    // Clicks press buttons, place the cursor and pick list lines; DP_TERMINAL_MOUSE=0 leaves
    // the mouse to the terminal (for selecting text).
    const char* mouse = std::getenv("DP_TERMINAL_MOUSE");
    if (!mouse || std::string(mouse) != "0") {
        ::mousemask(BUTTON1_PRESSED | BUTTON1_CLICKED, nullptr);
        ::mouseinterval(0);
    }
}

int Screen::cols() const { return active_ ? ::getmaxx(stdscr) : 80; }
int Screen::rows() const { return active_ ? ::getmaxy(stdscr) : 24; }

KeyEvent Screen::readKey() {
    int failures = 0;
    for (;;) {
        ::wtimeout(stdscr, -1);
        const int c = ::wgetch(stdscr);
        if (c == ERR) {
            // A closed terminal answers every read at once with an error.
            if (++failures > 100) throw std::runtime_error("the terminal has gone away");
            continue;
        }
        return decodeKey(c);
    }
}

KeyEvent Screen::readKeyWithin(int milliseconds) {
    ::wtimeout(stdscr, milliseconds);
    const int c = ::wgetch(stdscr);
    ::wtimeout(stdscr, -1);
    if (c == ERR) return {Key::None, 0};
    return decodeKey(c);
}

void Screen::clear() {
    ::werase(stdscr);
    cursor_ = {-1, -1};
    zones_.clear();
    clips_.clear();
}

void Screen::show() {
    if (cursor_.first >= 0) {
        ::curs_set(1);
        ::wmove(stdscr, cursor_.first, cursor_.second);
    } else {
        ::curs_set(0);
        ::wmove(stdscr, rows() - 1, 0);
    }
    ::wnoutrefresh(stdscr);
    ::doupdate();
}

void Screen::repaintAll() { ::clearok(curscr, TRUE); }

Rect Screen::clipRect() const {
    Rect r{0, 0, rows(), cols()};
    return clips_.empty() ? r : intersect(r, clips_.back());
}

void Screen::pushClip(Rect r) { clips_.push_back(intersect(clipRect(), r)); }

void Screen::popClip() {
    if (!clips_.empty()) clips_.pop_back();
}

int Screen::cursesAttr(unsigned attr) const {
    int a = A_NORMAL;
    if (attr & Bold) a |= A_BOLD;
    if (attr & Reverse) a |= A_REVERSE;
    if (attr & Underline) a |= A_UNDERLINE;
    if ((attr & Dim) && hasDim_) a |= A_DIM;
    return a;
}

void Screen::put(int row, int col, std::string_view text, unsigned attr) {
    const Rect r = clipRect();
    if (row < r.top || row >= r.bottom) return;
    std::string t;
    int at = col;
    for (char ch : text) {
        if (at >= r.left && at < r.right) {
            if (t.empty()) col = at;
            const auto u = static_cast<unsigned char>(ch);
            t += (u < 32 || u >= 127) ? (ch ? '?' : ' ') : ch;
        }
        ++at;
    }
    if (t.empty()) return;
    ::wattrset(stdscr, cursesAttr(attr));
    ::mvwaddnstr(stdscr, row, col, t.c_str(), static_cast<int>(t.size()));
    ::wattrset(stdscr, A_NORMAL);
}

void Screen::putCaption(int row, int col, const Caption& cap, unsigned attr, bool showAccel) {
    put(row, col, cap.text, attr);
    if (showAccel && cap.accel >= 0)
        put(row, col + cap.accel, cap.text.substr(static_cast<std::size_t>(cap.accel), 1), attr | Underline | Bold);
}

void Screen::addChar(int row, int col, unsigned long ch, unsigned attr) {
    if (!inside(clipRect(), row, col)) return;
    ::mvwaddch(stdscr, row, col, static_cast<chtype>(ch) | static_cast<chtype>(cursesAttr(attr)));
}

void Screen::putCell(int row, int col, char32_t c, CellShape shape, unsigned attr) {
    unsigned long ch = '?';
    switch (shape) {
        case CellShape::Text: ch = static_cast<unsigned long>(c); break;
        case CellShape::HLine: ch = ACS_HLINE; break;
        case CellShape::VLine: ch = ACS_VLINE; break;
        case CellShape::ULCorner: ch = ACS_ULCORNER; break;
        case CellShape::URCorner: ch = ACS_URCORNER; break;
        case CellShape::LLCorner: ch = ACS_LLCORNER; break;
        case CellShape::LRCorner: ch = ACS_LRCORNER; break;
        case CellShape::LTee: ch = ACS_LTEE; break;
        case CellShape::RTee: ch = ACS_RTEE; break;
        case CellShape::TTee: ch = ACS_TTEE; break;
        case CellShape::BTee: ch = ACS_BTEE; break;
        case CellShape::Plus: ch = ACS_PLUS; break;
        case CellShape::Solid:
            ch = ' ';
            attr |= Reverse;
            break;
        case CellShape::Shade: ch = ACS_CKBOARD; break;
        case CellShape::Unknown: break;
    }
    addChar(row, col, ch, attr);
}

void Screen::hline(int row, int col, int n, unsigned attr) {
    for (int i = 0; i < n; ++i) addChar(row, col + i, ACS_HLINE, attr);
}

void Screen::box(int row, int col, int rows, int cols, unsigned attr) {
    if (rows < 2 || cols < 2) return;
    const int bottom = row + rows - 1, right = col + cols - 1;
    addChar(row, col, ACS_ULCORNER, attr);
    addChar(row, right, ACS_URCORNER, attr);
    addChar(bottom, col, ACS_LLCORNER, attr);
    addChar(bottom, right, ACS_LRCORNER, attr);
    hline(row, col + 1, cols - 2, attr);
    hline(bottom, col + 1, cols - 2, attr);
    for (int r = row + 1; r < bottom; ++r) {
        addChar(r, col, ACS_VLINE, attr);
        addChar(r, right, ACS_VLINE, attr);
    }
}

void Screen::boxSeparator(int row, int col, int cols) {
    addChar(row, col, ACS_LTEE, Normal);
    hline(row, col + 1, cols - 2);
    addChar(row, col + cols - 1, ACS_RTEE, Normal);
}

void Screen::blank(int row, int col, int rows, int cols) {
    const std::string spaces(static_cast<std::size_t>(std::max(0, cols)), ' ');
    for (int r = 0; r < rows; ++r) put(row + r, col, spaces);
}

void Screen::addZone(Zone z) {
    const Rect r = intersect(clipRect(), {z.row, z.col, z.row + z.rows, z.col + z.cols});
    if (r.bottom <= r.top || r.right <= r.left) return;
    z.row = r.top;
    z.col = r.left;
    z.rows = r.bottom - r.top;
    z.cols = r.right - r.left;
    zones_.push_back(z);
}

void Screen::tooSmall(const std::string& what, int needCols, int needRows) {
    ::werase(stdscr);
    const int width = std::max(1, cols());
    std::vector<std::string> lines;
    if (!what.empty()) {
        lines = wrapLines({what}, width);
        lines.push_back("");
    }
    for (const std::string& l : wrapLines({tooSmallText(needCols, needRows, cols(), rows())}, width))
        lines.push_back(l);
    const int top = std::max(0, (rows() - static_cast<int>(lines.size())) / 2);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int c = std::max(0, (width - static_cast<int>(lines[i].size())) / 2);
        put(top + static_cast<int>(i), c, lines[i], Bold);
    }
    cursor_ = {-1, -1};
    zones_.clear();
}

}  // namespace platform::term

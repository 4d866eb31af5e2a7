// The terminal backend: dialogs, message boxes and the help viewer drawn with curses on the
// character grid, driven from the keyboard. Where things go and what a key does is computed
// in terminal_ui.cpp; this file draws and reads keys.
#include <dlfcn.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/files.h"
#include "terminal_ui.h"

// Function-like curses macros (refresh, move, erase ...) would clash with our own names.
#define NCURSES_NOMACROS 1
#include <curses.h>

extern char** environ;

namespace platform {
namespace {

using term::Cells;
using term::Key;
using term::KeyEvent;

constexpr std::uint32_t kShadowGrey = 0xE8E8E8;  // a heading's engraved shadow

#ifdef DP_HELP_INSTALL_DIR
constexpr const char* kHelpInstallDir = DP_HELP_INSTALL_DIR;
#else
constexpr const char* kHelpInstallDir = "";
#endif

struct DialogView {
    term::MenuCursor menu;
    std::map<int, term::EditState> edits;
    std::map<int, int> listTop;
    std::map<int, int> listLeft;
    int lastFocus = 0;
};

struct Pager {
    std::string title;
    std::vector<std::string> lines;  // unwrapped
    int top = 0;
};

struct PageView {
    std::string title;
    const std::vector<ViewPage>* pages = nullptr;
    term::PageViewState at;
};

struct MessageView {
    std::string text, title;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
    int focus = 0;
};

struct Layer {
    Dialog* dialog = nullptr;
    DialogView* view = nullptr;
    MessageView* message = nullptr;
    Pager* pager = nullptr;
    PageView* pageView = nullptr;
};

std::string moduleDirectory() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&makeTerminalBackend), &info) == 0 || !info.dli_fname) return {};
    std::string path = info.dli_fname;
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// Runs a command line with /bin/sh and waits for it; -1 when the shell cannot be started.
int runShell(const std::string& commandLine) {
    struct sigaction ignore {}, oldInt {}, oldQuit {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGINT, &ignore, &oldInt);
    ::sigaction(SIGQUIT, &ignore, &oldQuit);
    // The child gets the default handling of the keyboard signals back.
    posix_spawnattr_t attr;
    ::posix_spawnattr_init(&attr);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGQUIT);
    ::posix_spawnattr_setsigdefault(&attr, &defaults);
    ::posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF);
    std::string sh = "sh", dashC = "-c", cmd = commandLine;
    char* argv[] = {sh.data(), dashC.data(), cmd.data(), nullptr};
    pid_t pid = 0;
    const int err = ::posix_spawn(&pid, "/bin/sh", nullptr, &attr, argv, environ);
    ::posix_spawnattr_destroy(&attr);
    int result = -1;
    if (err == 0) {
        int status = 0;
        pid_t w;
        do w = ::waitpid(pid, &status, 0);
        while (w < 0 && errno == EINTR);
        if (w == pid) {
            if (WIFEXITED(status)) result = WEXITSTATUS(status);
            else if (WIFSIGNALED(status)) result = 128 + WTERMSIG(status);
        }
    }
    ::sigaction(SIGINT, &oldInt, nullptr);
    ::sigaction(SIGQUIT, &oldQuit, nullptr);
    return result;
}

class TerminalBackend final : public Backend {
public:
    ~TerminalBackend() override {
        if (active_) ::endwin();
    }

    void runModal(Dialog& dialog) override {
        if (dialog.ended()) return;  // ended while it was being set up: nothing to show
        Session session(*this);
        DialogView view;
        LayerGuard guard(*this, Layer{&dialog, &view, nullptr, nullptr, nullptr});
        while (!dialog.ended()) {
            settleFocus(dialog, view);
            if (dialog.ended()) break;
            draw();
            const KeyEvent key = readKey();
            handleDialogKey(dialog, view, key);
        }
    }

    MsgResult message(const std::string& text, const std::string& title, MsgIcon icon,
                      MsgButtons buttons) override {
        Session session(*this);
        MessageView mv{text, title, icon, buttons, 0};
        LayerGuard guard(*this, Layer{nullptr, nullptr, &mv, nullptr, nullptr});
        for (;;) {
            draw();
            const KeyEvent key = readKey();
            const term::MessageLayout box = layoutFor(mv);
            if (key.key == Key::Click) {
                const term::Zone* z = term::zoneAt(zones_, key.row, key.col);
                if (z && z->kind == term::Zone::MessageButton && z->index < static_cast<int>(box.results.size()))
                    return box.results[static_cast<std::size_t>(z->index)];
                continue;
            }
            if (auto r = term::messageKey(box, mv.focus, key)) return *r;
        }
    }

    int runAndWait(const std::string& commandLine) override {
        if (auto help = term::parseHelpCommand(commandLine)) {
            showHelp(*help);
            return 0;
        }
        const bool shown = active_ && depth_ > 0;
        if (shown) {
            ::def_prog_mode();
            ::endwin();
        }
        const int rc = runShell(commandLine);
        if (shown) {
            ::reset_prog_mode();
            ::clearok(curscr, TRUE);
            draw();
        }
        return rc;
    }

    void showPages(const std::string& title, const std::vector<ViewPage>& pages) override {
        PageView v{title, &pages, {}};
        Session session(*this);
        Layer layer;
        layer.pageView = &v;
        LayerGuard guard(*this, layer);
        for (;;) {
            draw();
            const KeyEvent key = readKey();
            int cols = 0, rows = 0;
            getmaxyx(stdscr, rows, cols);
            const auto [pageRows, pageWidth] = pageSize(v);
            if (!term::pageViewKey(v.at, static_cast<int>(pages.size()), pageRows, pageWidth, std::max(1, rows - 2),
                                   cols, key))
                return;
        }
    }

    void refresh(Dialog&) override {
        if (active_ && depth_ > 0) draw();
    }

private:
    // Curses is started for the first dialog and the terminal given back when the outermost
    // one has ended, so the host finds its terminal as it left it.
    class Session {
    public:
        explicit Session(TerminalBackend& b) : b_(b) { b_.begin(); }
        ~Session() { b_.finish(); }
        Session(const Session&) = delete;
        Session& operator=(const Session&) = delete;

    private:
        TerminalBackend& b_;
    };

    class LayerGuard {
    public:
        LayerGuard(TerminalBackend& b, Layer l) : b_(b) { b_.layers_.push_back(l); }
        ~LayerGuard() {
            b_.layers_.pop_back();
            if (!b_.layers_.empty()) b_.draw();
        }
        LayerGuard(const LayerGuard&) = delete;
        LayerGuard& operator=(const LayerGuard&) = delete;

    private:
        TerminalBackend& b_;
    };

    void begin() {
        if (depth_ == 0) start();
        ++depth_;
    }

    void finish() {
        if (--depth_ == 0 && active_) {
            ::endwin();
            active_ = false;
        }
    }

    void start() {
        if (!screen_) {
            FILE* out = stdout;
            FILE* in = stdin;
            if (!::isatty(STDIN_FILENO) || !::isatty(STDOUT_FILENO)) {
                // Output sent to a file or a pipe: the dialogs still go to the controlling terminal.
                ttyOut_ = std::fopen("/dev/tty", "w");
                ttyIn_ = ttyOut_ ? std::fopen("/dev/tty", "r") : nullptr;
                if (!ttyIn_) {
                    if (ttyOut_) std::fclose(ttyOut_);
                    ttyOut_ = nullptr;
                    throw std::runtime_error(
                        "the dialogs need a terminal (or a script: dphost --script FILE CLIENTCODE)");
                }
                out = ttyOut_;
                in = ttyIn_;
            }
            // A lone Esc is the close box; Alt arrives as Esc plus a key at once.
            if (!std::getenv("ESCDELAY")) ::set_escdelay(25);
            screen_ = ::newterm(nullptr, out, in);
            if (!screen_) {
                if (ttyOut_) std::fclose(ttyOut_);
                if (ttyIn_) std::fclose(ttyIn_);
                ttyOut_ = ttyIn_ = nullptr;
                throw std::runtime_error("the terminal type in TERM is not known to curses");
            }
            ::set_term(screen_);
            ::cbreak();
            ::noecho();
            ::nonl();
            ::keypad(stdscr, TRUE);
            ::meta(stdscr, TRUE);
            ::intrflush(stdscr, FALSE);
            hasDim_ = (::termattrs() & A_DIM) != 0;
            // Clicks press buttons, place the cursor and pick list lines; DP_TERMINAL_MOUSE=0
            // leaves the mouse to the terminal (for selecting text).
            const char* mouse = std::getenv("DP_TERMINAL_MOUSE");
            if (!mouse || std::string(mouse) != "0") {
                ::mousemask(BUTTON1_PRESSED | BUTTON1_CLICKED, nullptr);
                ::mouseinterval(0);
            }
        } else {
            ::reset_prog_mode();
            ::clearok(curscr, TRUE);
        }
        active_ = true;
    }

    // ---- keys -------------------------------------------------------------------------------

    KeyEvent readKey() {
        int failures = 0;
        for (;;) {
            ::wtimeout(stdscr, -1);
            const int c = ::wgetch(stdscr);
            if (c == ERR) {
                // A closed terminal answers every read at once with an error.
                if (++failures > 100) throw std::runtime_error("the terminal has gone away");
                continue;
            }
            if (c >= KEY_MIN) return special(c);
            return term::decodeInput(c, [] {
                ::wtimeout(stdscr, 40);
                const int n = ::wgetch(stdscr);
                ::wtimeout(stdscr, -1);
                return n == ERR ? -1 : n;
            });
        }
    }

    static KeyEvent special(int c) {
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
                if (c == KEY_F(10)) return {Key::F10, 0};
                return {Key::Other, 0};
        }
    }

    // ---- dialogs ----------------------------------------------------------------------------

    static bool focusable(const Dialog& d, int id) {
        return id != 0 && d.exists(id) && term::isFocusable(d.kind(id)) && d.isEnabled(id);
    }

    // The focus stays where the handler put it; a focus on nothing, or on a control that was
    // destroyed or disabled, moves on to the next control in the tab order. An edit box that
    // gains the focus tells its handler, as an edit control does.
    void settleFocus(Dialog& d, DialogView& view) {
        for (int round = 0; round < 8 && !d.ended(); ++round) {
            int f = d.focus();
            if (!focusable(d, f)) {
                const int next = term::nextFocus(d.controls(), f, false, [&](int id) { return d.isEnabled(id); });
                if (next != 0 && next != f) d.setFocus(next);
                f = next;
            }
            if (f == view.lastFocus) return;
            view.lastFocus = f;
            if (f != 0 && d.kind(f) == ControlKind::Edit) {
                term::EditState& st = view.edits[f];
                st.text = d.text(f);
                st.cursor = static_cast<int>(st.text.size());
                d.dispatch({EventKind::Notify, f});
            }
        }
    }

    term::EditState& editFor(Dialog& d, DialogView& view, int id) {
        term::EditState& st = view.edits[id];
        const std::string now = d.text(id);
        if (st.text != now) {
            // The program changed the text: the cursor goes to its end unless only the letter
            // case changed (an upper-case box).
            if (st.text.size() != now.size()) st.cursor = static_cast<int>(now.size());
            st.text = now;
            st.selectAll = false;
        }
        return st;
    }

    void moveFocus(Dialog& d, DialogView& view, bool backwards) {
        const int next = term::nextFocus(d.controls(), d.focus(), backwards, [&](int id) { return d.isEnabled(id); });
        if (next == 0) return;
        d.setFocus(next);
        if (d.kind(next) == ControlKind::Edit) {
            term::EditState& st = editFor(d, view, next);
            st.cursor = static_cast<int>(st.text.size());
            st.selectAll = !st.text.empty();
        }
    }

    void enter(Dialog& d) {
        const int f = d.focus();
        if (focusable(d, f) && d.canClick(f) && d.kind(f) != ControlKind::CheckBox) d.userClick(f);
        else d.dispatch({EventKind::Command, kEnterCommand});
    }

    void closeBox(Dialog& d) {
        d.dispatch({EventKind::Close, 0});
        d.end(0);
    }

    // Alt plus a letter: the button or check box whose caption has that mnemonic, else the
    // control after a label with it, else the menu with it.
    bool mnemonicKey(Dialog& d, DialogView& view, char letter) {
        const auto& cs = d.controls();
        for (std::size_t i = 0; i < cs.size(); ++i) {
            const ControlSpec& c = cs[i];
            if (term::mnemonic(c.text) != letter) continue;
            if (c.kind == ControlKind::Button || c.kind == ControlKind::CheckBox) {
                if (!d.canClick(c.id)) continue;
                view.lastFocus = c.id;
                d.userClick(c.id);
                return true;
            }
            if (c.kind == ControlKind::Label) {
                for (std::size_t j = i + 1; j < cs.size(); ++j)
                    if (focusable(d, cs[j].id)) {
                        d.setFocus(cs[j].id);
                        return true;
                    }
            }
        }
        const int m = term::menuForMnemonic(d.menuBar(), letter);
        if (m >= 0) {
            view.menu = term::openMenu(d.menuBar(), m);
            return true;
        }
        return false;
    }

    // A click on the top dialog: a menu title opens its menu, an entry of the open menu is
    // chosen, a button is pressed, an edit box gets the focus and the cursor, a list line is
    // selected. A click anywhere else closes an open menu.
    void click(Dialog& d, DialogView& view, const KeyEvent& key) {
        const term::Zone* z = term::zoneAt(zones_, key.row, key.col);
        if (view.menu.open() && !(z && (z->kind == term::Zone::MenuEntry || z->kind == term::Zone::MenuTitle))) {
            view.menu = term::MenuCursor{};
            return;
        }
        if (!z) return;
        switch (z->kind) {
            case term::Zone::MenuTitle:
                if (view.menu.menu == z->index) view.menu = term::MenuCursor{};
                else view.menu = term::openMenu(d.menuBar(), z->index);
                return;
            case term::Zone::MenuEntry: {
                if (view.menu.menu < 0 || view.menu.menu >= static_cast<int>(d.menuBar().size())) return;
                const Menu& m = d.menuBar()[static_cast<std::size_t>(view.menu.menu)];
                if (z->index < 0 || z->index >= static_cast<int>(m.entries.size())) return;
                const MenuEntry& e = m.entries[static_cast<std::size_t>(z->index)];
                if (term::isSeparator(e) || !d.menuEnabled(e.id)) return;
                view.menu = term::MenuCursor{};
                d.dispatch({EventKind::Command, e.id});
                return;
            }
            case term::Zone::MessageButton:
                return;
            case term::Zone::Control:
                break;
        }
        const int id = z->id;
        if (!focusable(d, id)) return;
        switch (d.kind(id)) {
            case ControlKind::Edit: {
                d.setFocus(id);
                term::EditState& st = editFor(d, view, id);
                st.selectAll = false;
                st.cursor = std::clamp(key.col - z->base, 0, static_cast<int>(st.text.size()));
                return;
            }
            case ControlKind::ListBox: {
                d.setFocus(id);
                const int line = key.row + z->base;
                const int count = static_cast<int>(d.listLines(id).size());
                if (line >= 0 && line < count && line != d.listSelection(id)) d.selectListLine(id, line);
                return;
            }
            default:
                if (d.canClick(id)) d.userClick(id);
                return;
        }
    }

    void handleDialogKey(Dialog& d, DialogView& view, const KeyEvent& key) {
        if (key.key == Key::Resize || key.key == Key::None || key.key == Key::Other) return;
        int cols = 0, rows = 0;
        getmaxyx(stdscr, rows, cols);
        const term::DialogFrame frame = term::placeDialog(d.layout(), !d.menuBar().empty(), cols, rows);
        if (!frame.fits) {
            // Only Esc means something while the dialog cannot be shown.
            if (key.key == Key::Esc) closeBox(d);
            return;
        }
        if (key.key == Key::Click) {
            click(d, view, key);
            return;
        }
        if (view.menu.open()) {
            const term::MenuOutcome out = term::menuKey(d.menuBar(), view.menu, key,
                                                        [&](int id) { return d.menuEnabled(id); });
            if (out.kind == term::MenuOutcome::Chosen) d.dispatch({EventKind::Command, out.id});
            return;
        }
        switch (key.key) {
            case Key::F10:
                if (!d.menuBar().empty()) view.menu = term::openMenu(d.menuBar(), 0);
                return;
            case Key::Esc:
                if (d.layout().systemMenu) closeBox(d);
                return;
            case Key::Tab:
                moveFocus(d, view, false);
                return;
            case Key::BackTab:
                moveFocus(d, view, true);
                return;
            case Key::Alt:
                mnemonicKey(d, view, static_cast<char>(key.ch));
                return;
            default:
                break;
        }
        const int f = d.focus();
        const ControlKind kind = focusable(d, f) ? d.kind(f) : ControlKind::Label;
        if (!focusable(d, f)) {
            if (key.key == Key::Enter) d.dispatch({EventKind::Command, kEnterCommand});
            return;
        }
        switch (kind) {
            case ControlKind::Edit: {
                if (key.key == Key::Enter) {
                    d.dispatch({EventKind::Command, kEnterCommand});
                    return;
                }
                if (key.key == Key::Up || key.key == Key::Down) {
                    moveFocus(d, view, key.key == Key::Up);
                    return;
                }
                term::EditState& st = editFor(d, view, f);
                const bool upper = (controlStyle(d, f) & StyleUpperCase) != 0;
                if (term::applyEditKey(st, key, upper)) {
                    const std::string typed = st.text;
                    d.userType(f, typed);
                    // The box may hold something else now (upper case, or the handler's text).
                    term::EditState& after = editFor(d, view, f);
                    after.cursor = std::min(after.cursor, static_cast<int>(after.text.size()));
                }
                return;
            }
            case ControlKind::ListBox: {
                if (key.key == Key::Enter) {
                    d.dispatch({EventKind::Command, kEnterCommand});
                    return;
                }
                if (key.key == Key::Left || key.key == Key::Right) {
                    int& left = view.listLeft[f];
                    left = std::max(0, left + (key.key == Key::Left ? -4 : 4));
                    return;
                }
                const std::vector<std::string> lines = d.listLines(f);
                const int visible = listVisibleRows(d, f);
                const int sel = d.listSelection(f);
                const int next = term::moveListSelection(sel, static_cast<int>(lines.size()), visible, key.key);
                if (next != sel && next >= 0) d.selectListLine(f, next);
                return;
            }
            case ControlKind::CheckBox:
                if (key.key == Key::Char && key.ch == ' ') d.userClick(f);
                else if (key.key == Key::Enter) enter(d);
                else if (key.key == Key::Up || key.key == Key::Left) moveFocus(d, view, true);
                else if (key.key == Key::Down || key.key == Key::Right) moveFocus(d, view, false);
                else if (key.key == Key::Char) mnemonicKey(d, view, static_cast<char>(std::tolower(key.ch)));
                return;
            default:  // buttons and bitmap buttons
                if (key.key == Key::Enter || (key.key == Key::Char && key.ch == ' ')) {
                    if (d.canClick(f)) d.userClick(f);
                } else if (key.key == Key::Up || key.key == Key::Left) {
                    moveFocus(d, view, true);
                } else if (key.key == Key::Down || key.key == Key::Right) {
                    moveFocus(d, view, false);
                } else if (key.key == Key::Char) {
                    // Without an edit box to type into, a letter works as its mnemonic.
                    mnemonicKey(d, view, static_cast<char>(std::tolower(key.ch)));
                }
                return;
        }
    }

    // The columns a button, check box or bitmap button takes on the screen.
    static int controlWidth(const ControlSpec& c, const Cells& cell) {
        const int len = static_cast<int>(term::parseCaption(c.text).text.size());
        switch (c.kind) {
            case ControlKind::Button: return std::max(cell.cols - 2, len + 2) + 2;
            case ControlKind::CheckBox: return 4 + len;
            case ControlKind::BitmapButton: return static_cast<int>(std::max<std::size_t>(c.text.size(), 1)) + 2;
            default: return cell.cols;
        }
    }

    static std::uint32_t controlStyle(const Dialog& d, int id) {
        for (const ControlSpec& c : d.controls())
            if (c.id == id) return c.style;
        return 0;
    }

    static int listVisibleRows(const Dialog& d, int id) {
        const auto& cs = d.controls();
        const std::vector<Cells> cells = term::layoutControls(cs);
        for (std::size_t i = 0; i < cs.size(); ++i)
            if (cs[i].id == id) return std::max(1, cells[i].rows - (listHasBorder(cs[i], cells[i]) ? 2 : 0));
        return 1;
    }

    static bool listHasBorder(const ControlSpec& c, const Cells& cells) {
        return (c.style & StyleSunken) != 0 && cells.rows >= 3 && cells.cols >= 3;
    }

    // ---- drawing ----------------------------------------------------------------------------

    int dimAttr() const { return hasDim_ ? A_DIM : A_NORMAL; }

    // Writes text at a screen cell, cut at the right edge of `limitCol` (exclusive).
    void put(int row, int col, const std::string& text, int attr, int limitCol) {
        int cols = 0, rows = 0;
        getmaxyx(stdscr, rows, cols);
        if (row < 0 || row >= rows) return;
        limitCol = std::min(limitCol, cols);
        if (col >= limitCol) return;
        std::string t = text;
        if (col < 0) {
            if (static_cast<int>(t.size()) <= -col) return;
            t = t.substr(static_cast<std::size_t>(-col));
            col = 0;
        }
        if (col + static_cast<int>(t.size()) > limitCol) t.resize(static_cast<std::size_t>(limitCol - col));
        for (char& ch : t)
            if (static_cast<unsigned char>(ch) < 32 || static_cast<unsigned char>(ch) >= 127) ch = ch ? '?' : ' ';
        ::wattrset(stdscr, attr);
        ::mvwaddnstr(stdscr, row, col, t.c_str(), static_cast<int>(t.size()));
        ::wattrset(stdscr, A_NORMAL);
    }

    // A caption with its mnemonic letter underlined.
    void putCaption(int row, int col, const term::Caption& cap, int attr, int limitCol, bool showAccel) {
        put(row, col, cap.text, attr, limitCol);
        if (showAccel && cap.accel >= 0)
            put(row, col + cap.accel, cap.text.substr(static_cast<std::size_t>(cap.accel), 1),
                attr | A_UNDERLINE | A_BOLD, limitCol);
    }

    void drawBox(int row, int col, int rows, int cols, int attr = A_NORMAL) {
        if (rows < 2 || cols < 2) return;
        int sc = 0, sr = 0;
        getmaxyx(stdscr, sr, sc);
        if (row < 0 || col < 0 || row + rows > sr || col + cols > sc) return;
        ::wattrset(stdscr, attr);
        ::mvwaddch(stdscr, row, col, ACS_ULCORNER);
        ::mvwaddch(stdscr, row, col + cols - 1, ACS_URCORNER);
        ::mvwaddch(stdscr, row + rows - 1, col, ACS_LLCORNER);
        ::mvwaddch(stdscr, row + rows - 1, col + cols - 1, ACS_LRCORNER);
        if (cols > 2) {
            ::mvwhline(stdscr, row, col + 1, ACS_HLINE, cols - 2);
            ::mvwhline(stdscr, row + rows - 1, col + 1, ACS_HLINE, cols - 2);
        }
        if (rows > 2) {
            ::mvwvline(stdscr, row + 1, col, ACS_VLINE, rows - 2);
            ::mvwvline(stdscr, row + 1, col + cols - 1, ACS_VLINE, rows - 2);
        }
        ::wattrset(stdscr, A_NORMAL);
    }

    void clearArea(int row, int col, int rows, int cols) {
        for (int r = 0; r < rows; ++r) put(row + r, col, std::string(static_cast<std::size_t>(std::max(0, cols)), ' '), A_NORMAL, col + cols);
    }

    // Instead of a window that does not fit: what it is and how much room it needs.
    void drawTooSmall(const std::string& what, int needCols, int needRows, int cols, int rows) {
        ::werase(stdscr);
        std::vector<std::string> lines;
        if (!what.empty()) {
            lines = term::wrapLines({what}, std::max(1, cols));
            lines.push_back("");
        }
        for (const std::string& l : term::wrapLines({term::tooSmallText(needCols, needRows, cols, rows)}, std::max(1, cols)))
            lines.push_back(l);
        const int top = std::max(0, (rows - static_cast<int>(lines.size())) / 2);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const int c = std::max(0, (cols - static_cast<int>(lines[i].size())) / 2);
            put(top + static_cast<int>(i), c, lines[i], A_BOLD, cols);
        }
        cursorPos_ = {-1, -1};
        zones_.clear();
    }

    void draw() {
        if (!active_) return;
        int cols = 0, rows = 0;
        getmaxyx(stdscr, rows, cols);
        ::werase(stdscr);
        cursorPos_ = {-1, -1};
        zones_.clear();
        // The top layer decides whether the screen is big enough; layers under it that do not
        // fit are left out.
        for (std::size_t i = 0; i < layers_.size(); ++i) {
            const Layer& l = layers_[i];
            const bool top = i + 1 == layers_.size();
            if (l.dialog) {
                if (l.dialog->ended() && !top) continue;
                const term::DialogFrame f =
                    term::placeDialog(l.dialog->layout(), !l.dialog->menuBar().empty(), cols, rows);
                if (!f.fits) {
                    if (top) drawTooSmall(l.dialog->caption(), f.outer.cols, f.outer.rows, cols, rows);
                    continue;
                }
                drawDialog(*l.dialog, *l.view, f, top);
            } else if (l.message) {
                drawMessage(*l.message, cols, rows);
            } else if (l.pager) {
                drawPager(*l.pager, cols, rows);
            } else if (l.pageView) {
                drawPageView(*l.pageView, cols, rows);
            }
        }
        if (cursorPos_.first >= 0) {
            ::curs_set(1);
            ::wmove(stdscr, cursorPos_.first, cursorPos_.second);
        } else {
            ::curs_set(0);
            ::wmove(stdscr, rows - 1, 0);
        }
        ::wnoutrefresh(stdscr);
        ::doupdate();
    }

    void drawDialog(const Dialog& d, DialogView& view, const term::DialogFrame& f, bool top) {
        clearArea(f.outer.row, f.outer.col, f.outer.rows, f.outer.cols);
        drawBox(f.outer.row, f.outer.col, f.outer.rows, f.outer.cols, top ? A_BOLD : A_NORMAL);
        const int right = f.outer.col + f.outer.cols - 1;
        std::string caption = " " + d.caption() + " ";
        if (static_cast<int>(caption.size()) > f.outer.cols - 4)
            caption = caption.substr(0, static_cast<std::size_t>(std::max(0, f.outer.cols - 4)));
        const int capCol = f.outer.col + std::max(1, (f.outer.cols - static_cast<int>(caption.size())) / 2);
        put(f.outer.row, capCol, caption, top ? (A_BOLD | A_REVERSE) : A_BOLD, right);

        const int clientRight = f.clientCol + f.clientCols;
        const int clientBottom = f.clientRow + f.clientRows;
        const auto& cs = d.controls();
        const std::vector<Cells> cells = term::layoutControls(cs);
        const int focus = top ? d.focus() : 0;

        auto inside = [&](const Cells& c) { return f.clientRow + c.row < clientBottom; };
        // Frames and lines first, then texts, then the controls a user works with.
        for (int pass = 0; pass < 3; ++pass) {
            for (std::size_t i = 0; i < cs.size(); ++i) {
                const ControlSpec& c = cs[i];
                const Cells& cell = cells[i];
                if (!inside(cell)) continue;
                const int row = f.clientRow + cell.row;
                const int col = f.clientCol + cell.col;
                const bool enabled = d.isEnabled(c.id);
                const bool focused = focus != 0 && c.id == focus && term::isFocusable(c.kind);
                const int pDraw = (c.kind == ControlKind::Frame || c.kind == ControlKind::HLine) ? 0
                                  : (c.kind == ControlKind::Label || c.kind == ControlKind::Icon) ? 1
                                                                                                   : 2;
                if (pDraw != pass) continue;
                if (top && enabled && term::isFocusable(c.kind) && c.kind != ControlKind::Edit &&
                    c.kind != ControlKind::ListBox)
                    zones_.push_back({term::Zone::Control, row, col, 1, controlWidth(c, cell), c.id, 0, 0});
                switch (c.kind) {
                    case ControlKind::Frame: {
                        const int rowsAvail = std::min(cell.rows, clientBottom - row);
                        const int colsAvail = std::min(cell.cols, clientRight - col);
                        drawBox(row, col, rowsAvail, colsAvail);
                        if (!c.text.empty())
                            putCaption(row, col + 2, term::parseCaption(" " + c.text + " "), A_NORMAL,
                                       col + colsAvail - 1, false);
                        break;
                    }
                    case ControlKind::HLine:
                        if (cell.cols > 0) {
                            const int n = std::min(cell.cols, clientRight - col);
                            if (n > 0) ::mvwhline(stdscr, row, col, ACS_HLINE, n);
                        }
                        break;
                    case ControlKind::Label: {
                        // The light-grey copy of a heading is its engraved shadow: one heading is enough.
                        if (c.textColour == kShadowGrey) break;
                        int attr = (c.style & StyleTitleFont) ? A_BOLD : A_NORMAL;
                        if (!enabled) attr |= dimAttr();
                        putCaption(row, col, term::parseCaption(c.text), attr, clientRight, enabled);
                        break;
                    }
                    case ControlKind::Icon:
                        put(row, col, "[*]", A_NORMAL, clientRight);
                        break;
                    case ControlKind::Edit:
                        drawEdit(d, view, c, cell, row, col, clientRight, focused);
                        if (top && enabled) {
                            const term::EditState& st = view.edits[c.id];
                            zones_.push_back({term::Zone::Control, row, col, 1, std::max(3, cell.cols), c.id, 0,
                                              col + 1 - st.scroll});
                        }
                        break;
                    case ControlKind::Button: {
                        const term::Caption cap = term::parseCaption(c.text);
                        const int len = static_cast<int>(cap.text.size());
                        const int inner = std::max(cell.cols - 2, len + 2);
                        const int pad = std::max(0, (inner - len) / 2);
                        int attr = focused ? A_REVERSE | A_BOLD : A_NORMAL;
                        if (!enabled) attr = dimAttr();
                        std::string shape = std::string(1, enabled ? '<' : ' ') +
                                            std::string(static_cast<std::size_t>(inner), ' ') + (enabled ? '>' : ' ');
                        put(row, col, shape, attr, clientRight);
                        term::Caption shifted = cap;
                        putCaption(row, col + 1 + pad, shifted, attr, clientRight, enabled);
                        break;
                    }
                    case ControlKind::CheckBox: {
                        int attr = focused ? A_REVERSE | A_BOLD : A_NORMAL;
                        if (!enabled) attr = dimAttr();
                        put(row, col, d.isChecked(c.id) ? "[X]" : "[ ]", attr, clientRight);
                        putCaption(row, col + 4, term::parseCaption(c.text), enabled ? A_NORMAL : dimAttr(),
                                   clientRight, enabled);
                        if (focused) cursorPos_ = {row, col + 1};
                        break;
                    }
                    case ControlKind::BitmapButton: {
                        int attr = focused ? A_REVERSE | A_BOLD : A_NORMAL;
                        if (!enabled) attr = dimAttr();
                        put(row, col, "[" + (c.text.empty() ? std::string("#") : c.text) + "]", attr, clientRight);
                        break;
                    }
                    case ControlKind::ListBox:
                        drawList(d, view, c, cell, row, col, clientRight, clientBottom, focused);
                        if (top && enabled) {
                            const int b = listHasBorder(c, cell) ? 1 : 0;
                            zones_.push_back({term::Zone::Control, row, col, std::min(cell.rows, clientBottom - row),
                                              std::min(cell.cols, clientRight - col), c.id, 0,
                                              view.listTop[c.id] - (row + b)});
                        }
                        break;
                }
            }
        }
        if (!d.menuBar().empty()) drawMenuBar(d, view, f, top);
    }

    void drawEdit(const Dialog& d, DialogView& view, const ControlSpec& c, const Cells& cell, int row, int col,
                  int clientRight, bool focused) {
        const bool enabled = d.isEnabled(c.id);
        const int width = std::max(1, cell.cols - 2);
        term::EditState& st = view.edits[c.id];
        const std::string now = d.text(c.id);
        if (st.text != now) {
            if (st.text.size() != now.size()) st.cursor = static_cast<int>(now.size());
            st.text = now;
            st.selectAll = false;
        }
        if (focused) {
            term::scrollEditToCursor(st, width);
        } else {
            // A box without the focus shows the start of its text.
            st.selectAll = false;
            st.scroll = 0;
        }
        const std::string shown = term::clipText(st.text, st.scroll, width);
        std::string field = shown;
        const int textEnd = static_cast<int>(st.text.size()) - st.scroll;
        // Blanks past the end of the text show as underscores in a box that takes input.
        for (int i = std::max(0, textEnd); i < width; ++i)
            field[static_cast<std::size_t>(i)] = enabled ? '_' : ' ';
        int attr = enabled ? A_NORMAL : dimAttr();
        if (focused) attr |= A_BOLD;
        put(row, col, "[", attr, clientRight);
        put(row, col + 1, field, attr, clientRight);
        put(row, col + 1 + width, "]", attr, clientRight);
        if (focused && st.selectAll && textEnd > 0)
            put(row, col + 1, shown.substr(0, static_cast<std::size_t>(std::min(textEnd, width))), attr | A_REVERSE,
                clientRight);
        if (focused) {
            const int cc = col + 1 + st.cursor - st.scroll;
            if (cc < clientRight) cursorPos_ = {row, cc};
        }
    }

    void drawList(const Dialog& d, DialogView& view, const ControlSpec& c, const Cells& cell, int row, int col,
                  int clientRight, int clientBottom, bool focused) {
        const bool border = listHasBorder(c, cell);
        const int rows = std::min(cell.rows, clientBottom - row);
        const int cols = std::min(cell.cols, clientRight - col);
        if (rows <= 0 || cols <= 0) return;
        if (border) drawBox(row, col, rows, cols, focused ? A_BOLD : A_NORMAL);
        const int innerRow = row + (border ? 1 : 0), innerCol = col + (border ? 1 : 0);
        const int visible = std::max(0, rows - (border ? 2 : 0));
        const int width = std::max(0, cols - (border ? 2 : 0));
        const std::vector<std::string> lines = d.listLines(c.id);
        const int count = static_cast<int>(lines.size());
        const int sel = d.listSelection(c.id);
        int& topLine = view.listTop[c.id];
        topLine = term::scrollListTo(topLine, sel, count, visible);
        const int left = view.listLeft[c.id];
        for (int i = 0; i < visible; ++i) {
            const int n = topLine + i;
            std::string text = n < count ? term::clipText(lines[static_cast<std::size_t>(n)], left, width)
                                         : std::string(static_cast<std::size_t>(width), ' ');
            int attr = A_NORMAL;
            if (n == sel) attr = focused ? (A_REVERSE | A_BOLD) : A_REVERSE;
            put(innerRow + i, innerCol, text, attr, innerCol + width);
            if (n == sel && focused) cursorPos_ = {innerRow + i, innerCol};
        }
        if (focused && sel < 0 && visible > 0) cursorPos_ = {innerRow, innerCol};
        if (border) {
            if (topLine > 0) put(row, col + cols - 2, "^", A_BOLD, col + cols);
            if (topLine + visible < count) put(row + rows - 1, col + cols - 2, "v", A_BOLD, col + cols);
        }
    }

    void drawMenuBar(const Dialog& d, DialogView& view, const term::DialogFrame& f, bool top) {
        const auto& menus = d.menuBar();
        const std::vector<int> offsets = term::menuTitleOffsets(menus);
        const int right = f.outer.col + f.outer.cols - 1;
        for (std::size_t i = 0; i < menus.size(); ++i) {
            const term::Caption cap = term::parseCaption(menus[i].title);
            const bool open = top && view.menu.menu == static_cast<int>(i);
            put(f.menuRow, f.clientCol + offsets[i] - 1, " " + cap.text + " ", open ? A_REVERSE : A_NORMAL, right);
            if (top)
                zones_.push_back({term::Zone::MenuTitle, f.menuRow, f.clientCol + offsets[i] - 1, 1,
                                  static_cast<int>(cap.text.size()) + 2, 0, static_cast<int>(i), 0});
            putCaption(f.menuRow, f.clientCol + offsets[i], cap, open ? A_REVERSE : A_NORMAL, right, true);
        }
        if (!top || !view.menu.open() || view.menu.menu >= static_cast<int>(menus.size())) return;
        const Menu& m = menus[static_cast<std::size_t>(view.menu.menu)];
        int width = 0;
        for (const MenuEntry& e : m.entries)
            width = std::max(width, static_cast<int>(term::parseCaption(e.text).text.size()));
        int sc = 0, sr = 0;
        getmaxyx(stdscr, sr, sc);
        const int boxCols = width + 4, boxRows = static_cast<int>(m.entries.size()) + 2;
        int col = f.clientCol + offsets[static_cast<std::size_t>(view.menu.menu)] - 1;
        col = std::max(0, std::min(col, sc - boxCols));
        const int row = f.menuRow + 1;
        clearArea(row, col, boxRows, boxCols);
        drawBox(row, col, boxRows, boxCols);
        for (std::size_t i = 0; i < m.entries.size(); ++i) {
            const MenuEntry& e = m.entries[i];
            const int r = row + 1 + static_cast<int>(i);
            if (term::isSeparator(e)) {
                if (r < sr && col + boxCols <= sc) {
                    ::mvwaddch(stdscr, r, col, ACS_LTEE);
                    ::mvwhline(stdscr, r, col + 1, ACS_HLINE, boxCols - 2);
                    ::mvwaddch(stdscr, r, col + boxCols - 1, ACS_RTEE);
                }
                continue;
            }
            const bool enabled = d.menuEnabled(e.id);
            const bool current = view.menu.entry == static_cast<int>(i);
            zones_.push_back({term::Zone::MenuEntry, r, col + 1, 1, boxCols - 2, 0, static_cast<int>(i), 0});
            int attr = enabled ? A_NORMAL : dimAttr();
            if (current) attr |= A_REVERSE;
            const term::Caption cap = term::parseCaption(e.text);
            put(r, col + 1, std::string(static_cast<std::size_t>(boxCols - 2), ' '), attr, col + boxCols - 1);
            // A grayed entry is shown in parentheses where the terminal cannot dim.
            std::string text = cap.text;
            if (!enabled && !hasDim_) {
                put(r, col + 1, "(" + text + ")", attr, col + boxCols - 1);
            } else {
                putCaption(r, col + 2, cap, attr, col + boxCols - 1, enabled);
            }
            if (current) cursorPos_ = {r, col + 1};
        }
    }

    term::MessageLayout layoutFor(const MessageView& mv) const {
        int cols = 80, rows = 24;
        if (active_) getmaxyx(stdscr, rows, cols);
        (void)rows;
        return term::layoutMessage(mv.text, mv.title, mv.icon, mv.buttons, cols);
    }

    void drawMessage(MessageView& mv, int cols, int rows) {
        const term::MessageLayout box = layoutFor(mv);
        if (box.cols > cols || box.rows > rows) {
            drawTooSmall(box.title, box.cols, box.rows, cols, rows);
            return;
        }
        const int row = (rows - box.rows) / 2, col = (cols - box.cols) / 2;
        clearArea(row, col, box.rows, box.cols);
        drawBox(row, col, box.rows, box.cols, A_BOLD);
        const std::string title = " " + box.title + " ";
        const int right = col + box.cols - 1;
        if (!box.title.empty())
            put(row, col + std::max(1, (box.cols - static_cast<int>(title.size())) / 2), title, A_BOLD | A_REVERSE, right);
        const int markWidth = box.mark.empty() ? 0 : static_cast<int>(box.mark.size()) + 2;
        if (!box.mark.empty()) put(row + 2, col + 2, box.mark, A_BOLD, right);
        for (std::size_t i = 0; i < box.lines.size(); ++i)
            put(row + 2 + static_cast<int>(i), col + 2 + markWidth, box.lines[i], A_NORMAL, right);
        int width = 0;
        for (const std::string& b : box.buttons)
            width += static_cast<int>(term::parseCaption(b).text.size()) + 4 + (width ? 2 : 0);
        int bc = col + (box.cols - width) / 2;
        const int br = row + box.rows - 2;
        for (std::size_t i = 0; i < box.buttons.size(); ++i) {
            const term::Caption cap = term::parseCaption(box.buttons[i]);
            const bool focused = static_cast<int>(i) == mv.focus;
            const int attr = focused ? (A_REVERSE | A_BOLD) : A_NORMAL;
            put(br, bc, "< " + cap.text + " >", attr, right);
            zones_.push_back({term::Zone::MessageButton, br, bc, 1, static_cast<int>(cap.text.size()) + 4, 0,
                              static_cast<int>(i), 0});
            putCaption(br, bc + 2, cap, attr, right, true);
            if (focused) cursorPos_ = {br, bc + 2};
            bc += static_cast<int>(cap.text.size()) + 6;
        }
    }

    void drawPager(Pager& p, int cols, int rows) {
        ::werase(stdscr);
        const std::vector<std::string> lines = term::wrapLines(p.lines, std::max(10, cols - 2));
        const int visible = std::max(1, rows - 2);
        p.top = term::pagerScroll(p.top, static_cast<int>(lines.size()), visible, Key::None);
        std::string head = " " + p.title;
        head.resize(static_cast<std::size_t>(std::max(0, cols)), ' ');
        put(0, 0, head, A_REVERSE | A_BOLD, cols);
        for (int i = 0; i < visible; ++i) {
            const int n = p.top + i;
            if (n >= static_cast<int>(lines.size())) break;
            put(1 + i, 1, lines[static_cast<std::size_t>(n)], A_NORMAL, cols);
        }
        const int last = std::min(static_cast<int>(lines.size()), p.top + visible);
        std::string foot = " Lines " + std::to_string(lines.empty() ? 0 : p.top + 1) + "-" + std::to_string(last) +
                           " of " + std::to_string(lines.size()) +
                           "   Up/Down, PgUp/PgDn, Space scroll   q or Esc closes";
        foot.resize(static_cast<std::size_t>(std::max(0, cols)), ' ');
        put(rows - 1, 0, foot, A_REVERSE, cols);
        cursorPos_ = {-1, -1};
    }

    // ---- page viewer ------------------------------------------------------------------------

    static std::pair<int, int> pageSize(const PageView& v) {
        if (v.pages->empty()) return {0, 0};
        const ViewPage& p = (*v.pages)[static_cast<std::size_t>(v.at.page)];
        std::size_t width = 0;
        for (const std::u32string& r : p.rows) width = std::max(width, r.size());
        return {static_cast<int>(p.rows.size()), static_cast<int>(width)};
    }

    static chtype cellGlyph(char32_t c) {
        switch (term::cellShape(c)) {
            case term::CellShape::Text: return static_cast<chtype>(c);
            case term::CellShape::HLine: return ACS_HLINE;
            case term::CellShape::VLine: return ACS_VLINE;
            case term::CellShape::ULCorner: return ACS_ULCORNER;
            case term::CellShape::URCorner: return ACS_URCORNER;
            case term::CellShape::LLCorner: return ACS_LLCORNER;
            case term::CellShape::LRCorner: return ACS_LRCORNER;
            case term::CellShape::LTee: return ACS_LTEE;
            case term::CellShape::RTee: return ACS_RTEE;
            case term::CellShape::TTee: return ACS_TTEE;
            case term::CellShape::BTee: return ACS_BTEE;
            case term::CellShape::Plus: return ACS_PLUS;
            case term::CellShape::Solid: return ' ' | A_REVERSE;
            case term::CellShape::Shade: return ACS_CKBOARD;
            case term::CellShape::Unknown: break;
        }
        return '?';
    }

    void drawPageView(PageView& v, int cols, int rows) {
        ::werase(stdscr);
        const int visible = std::max(1, rows - 2);
        const int count = static_cast<int>(v.pages->size());
        const auto [pageRows, pageWidth] = pageSize(v);
        term::clampPageView(v.at, count, pageRows, pageWidth, visible, cols);
        std::string head = " " + v.title + "   Page " + std::to_string(count ? v.at.page + 1 : 0) + " of " +
                           std::to_string(count);
        head.resize(static_cast<std::size_t>(std::max(0, cols)), ' ');
        put(0, 0, head, A_REVERSE | A_BOLD, cols);
        if (count > 0) {
            const ViewPage& p = (*v.pages)[static_cast<std::size_t>(v.at.page)];
            for (int i = 0; i < visible && v.at.top + i < pageRows; ++i) {
                const std::size_t r = static_cast<std::size_t>(v.at.top + i);
                const std::u32string& line = p.rows[r];
                for (int c = 0; c < cols && v.at.left + c < static_cast<int>(line.size()); ++c) {
                    const std::size_t at = static_cast<std::size_t>(v.at.left + c);
                    const char a = at < p.attrs[r].size() ? p.attrs[r][at] : 0;
                    chtype g = cellGlyph(line[at]);
                    if (a & kViewBold) g |= A_BOLD;
                    if (a & kViewInverse) g |= A_REVERSE;
                    ::mvwaddch(stdscr, 1 + i, c, g);
                }
            }
        }
        std::string foot = " PgDn/Space next page, PgUp/b previous, arrows scroll, Home/End first/last, q or Esc closes";
        foot.resize(static_cast<std::size_t>(std::max(0, cols)), ' ');
        put(rows - 1, 0, foot, A_REVERSE, cols);
        cursorPos_ = {-1, -1};
    }

    // ---- help viewer ------------------------------------------------------------------------

    void showHelp(const term::HelpRequest& req) {
        Pager p;
        const std::string name = term::helpTextName(req.file.empty() ? std::string("writeup.hlp") : req.file);
        const char* env = std::getenv("DP_DATA_DIR");
        char cwd[4096];
        const std::string here = ::getcwd(cwd, sizeof cwd) ? std::string(cwd) : std::string(".");
        const std::vector<std::string> dirs = term::helpSearchDirs(here, env ? env : "", moduleDirectory(), kHelpInstallDir);
        std::string found;
        for (const std::string& dir : dirs) {
            const std::string path = resolvePath(dir, name);
            if (fileExists(path)) {
                found = path;
                break;
            }
        }
        if (!found.empty()) {
            std::ifstream in(found, std::ios::binary);
            std::stringstream text;
            text << in.rdbuf();
            bool topicFound = false;
            p.lines = term::helpTopicLines(text.str(), req.topic, &topicFound);
            p.title = "Help - " + (req.topic.empty() ? name : req.topic);
            if (!req.topic.empty() && !topicFound) {
                p.lines.insert(p.lines.begin(), {"(The topic " + req.topic + " is not in " + name +
                                                     "; the whole help text follows.)",
                                                 ""});
            }
        } else {
            p.title = "Help - help file not found";
            p.lines = {"Help file not found.", "", "The help viewer looked for " + name + " in:"};
            for (const std::string& dir : dirs) p.lines.push_back("    " + dir);
            p.lines.push_back("");
            p.lines.push_back("Put the file in one of these directories (or set DP_DATA_DIR to the");
            p.lines.push_back("directory that holds it) and open the help again.");
            p.lines.push_back("");
            p.lines.push_back("Press q or Esc to return.");
        }
        Session session(*this);
        LayerGuard guard(*this, Layer{nullptr, nullptr, nullptr, &p, nullptr});
        for (;;) {
            draw();
            KeyEvent key = readKey();
            if (key.key == Key::Esc || (key.key == Key::Char && (key.ch == 'q' || key.ch == 'Q'))) return;
            if (key.key == Key::Char && key.ch == ' ') key = {Key::PageDown, 0};
            if (key.key == Key::Char && key.ch == 'b') key = {Key::PageUp, 0};
            if (key.key == Key::Char && key.ch == 'g') key = {Key::Home, 0};
            if (key.key == Key::Char && key.ch == 'G') key = {Key::End, 0};
            if (key.key == Key::Enter) key = {Key::Down, 0};
            int cols = 0, rows = 0;
            getmaxyx(stdscr, rows, cols);
            const int count = static_cast<int>(term::wrapLines(p.lines, std::max(10, cols - 2)).size());
            p.top = term::pagerScroll(p.top, count, std::max(1, rows - 2), key.key);
        }
    }

    SCREEN* screen_ = nullptr;
    FILE* ttyOut_ = nullptr;
    FILE* ttyIn_ = nullptr;
    bool active_ = false;
    bool hasDim_ = false;
    int depth_ = 0;
    std::vector<Layer> layers_;
    std::pair<int, int> cursorPos_{-1, -1};
    std::vector<term::Zone> zones_;  // what a click on the top window hits
};

}  // namespace

std::unique_ptr<Backend> makeTerminalBackend() { return std::make_unique<TerminalBackend>(); }

}  // namespace platform

// The parts of the terminal backend that need no terminal: where dialog units fall on the
// character grid, the "&" mnemonics of captions, editing in an edit box, list scrolling, menu
// and message-box keys, the help viewer's file and topic. The curses code in
// terminal_backend.cpp only draws what these compute and feeds them the keys.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dialog.h"
#include "platform/message.h"

namespace platform::term {

// ---- keys -----------------------------------------------------------------------------------

enum class Key {
    None,
    Char,       // a printable character (ch)
    Alt,        // Alt (meta) plus a printable character (ch, letters in lower case)
    Esc,
    Enter,
    Tab,
    BackTab,
    Left,
    Right,
    Up,
    Down,
    Home,
    End,
    PageUp,
    PageDown,
    Backspace,
    Delete,
    F10,
    Resize,
    Click,      // the left mouse button pressed at (row, col) of the screen
    Other,
};

struct KeyEvent {
    Key key = Key::None;
    int ch = 0;
    int row = 0, col = 0;   // Click only
    bool operator==(const KeyEvent&) const = default;
};

// Turns one byte from the terminal (after curses has taken the keys it knows) into a key,
// reading what follows an ESC or a UTF-8 lead byte through next(), which returns -1 when
// nothing more arrives within the escape delay. A lone ESC is the Esc key; ESC plus a
// character is Alt plus that character; a byte with the eighth bit set over a letter, or its
// two-byte UTF-8 form, is Alt plus the letter (terminals that send meta as the eighth bit).
KeyEvent decodeInput(int byte, const std::function<int()>& next);

// ---- mouse ----------------------------------------------------------------------------------

// A screen area that answers a click, recorded while the top window is drawn.
struct Zone {
    enum Kind { Control, MenuTitle, MenuEntry, MessageButton } kind = Control;
    int row = 0, col = 0, rows = 1, cols = 1;
    int id = 0;      // Control: the control ID
    int index = 0;   // MenuTitle, MenuEntry, MessageButton: which one
    int base = 0;    // Control: edit box, screen column of character 0; list box, line number minus screen row
};
// The zone under a click: of overlapping zones the one recorded last (drawn on top); nullptr
// when none.
const Zone* zoneAt(const std::vector<Zone>& zones, int row, int col);

// ---- captions -------------------------------------------------------------------------------

struct Caption {
    std::string text;   // with the "&" marks removed ("&&" stays one "&")
    int accel = -1;     // index in text of the letter after "&", -1 when none
};
Caption parseCaption(std::string_view raw);
// The mnemonic letter of a caption in lower case, or 0.
char mnemonic(std::string_view raw);

// ---- layout ---------------------------------------------------------------------------------

struct Cells {
    int col = 0, row = 0, cols = 0, rows = 0;
    bool empty() const { return cols <= 0 || rows <= 0; }
};

// 4 horizontal dialog units make a column, 8 vertical units a row.
int colsFromUnits(int units);  // rounded to the nearest column
int rowsFromUnits(int units);  // rounded up: the client area must hold its last line

// The character cells of each control inside the client area (row 0, column 0 = the first
// cell inside the frame), in creation order. A one-line control sits on the row that holds
// its vertical centre; a label next to an edit box, button or check box whose height covers
// the label's centre shares that control's row, so label and box line up although their
// dialog-unit tops differ. A horizontal line that would fall on a row already used by a
// control beside it is left out (empty cells).
std::vector<Cells> layoutControls(const std::vector<ControlSpec>& controls);

// The frame of a dialog on a screen of screenCols x screenRows: a border all round, the
// caption in the top border, one menu bar row under it when the dialog has menus, then the
// client area. Centred, or at the template's x,y (kept on the screen when it fits).
struct DialogFrame {
    Cells outer;         // screen cells of the whole box, border included
    int clientCol = 0;   // screen cell of the client area's top left corner
    int clientRow = 0;
    int clientCols = 0;
    int clientRows = 0;
    int menuRow = -1;    // screen row of the menu bar, -1 when none
    bool fits = true;    // false when the screen is too small for the dialog
};
DialogFrame placeDialog(const DialogTemplate& tpl, bool hasMenu, int screenCols, int screenRows);

// "Terminal too small: need WxH, have WxH - enlarge the window or press Esc"
std::string tooSmallText(int needCols, int needRows, int haveCols, int haveRows);

// The first `width` characters of text starting at column `from` (blanks past its end).
std::string clipText(const std::string& text, int from, int width);

// ---- tab order --------------------------------------------------------------------------------

bool isFocusable(ControlKind kind);
// The next (or, backwards, previous) enabled focusable control after `current` in creation
// order, wrapping round; 0 when there is none. `enabled` tells whether an ID is enabled.
int nextFocus(const std::vector<ControlSpec>& controls, int current, bool backwards,
              const std::function<bool(int)>& enabled);

// ---- edit boxes -------------------------------------------------------------------------------

// What an edit box holds while the user types in it. `selectAll` is set when the box is
// entered with Tab: as in a dialog box, the first character typed replaces the whole text.
struct EditState {
    std::string text;
    int cursor = 0;    // 0 .. text.size()
    int scroll = 0;    // first shown character
    bool selectAll = false;
};

// Applies an editing key. Returns true when the text changed. Keys that are not editing
// keys change nothing and return false.
bool applyEditKey(EditState& st, const KeyEvent& key, bool upperCase);
// Keeps the cursor visible in a field `width` characters wide.
void scrollEditToCursor(EditState& st, int width);

// ---- list boxes -------------------------------------------------------------------------------

// The selection after a movement key in a list of `count` lines showing `visible` at once
// (-1 stays -1 when the list is empty). Non-movement keys return the selection unchanged.
int moveListSelection(int selection, int count, int visible, Key key);
// The first line shown so that `selection` is visible (top unchanged when it already is).
int scrollListTo(int top, int selection, int count, int visible);

// ---- menu bar ---------------------------------------------------------------------------------

bool isSeparator(const MenuEntry& e);
// The screen column offset of each menu title in the menu bar (title texts without "&"),
// starting at column 1 with two blanks between titles.
std::vector<int> menuTitleOffsets(const std::vector<Menu>& menus);

struct MenuCursor {
    int menu = -1;    // the open menu, -1 when the menu bar is closed
    int entry = -1;   // the highlighted entry, -1 when none
    bool open() const { return menu >= 0; }
};
// Opens menu `index` with its first entry that is not a separator highlighted.
MenuCursor openMenu(const std::vector<Menu>& menus, int index);

struct MenuOutcome {
    enum Kind { Stay, Closed, Chosen } kind = Stay;
    int id = 0;   // the chosen entry's ID
};
// A key while a menu is open: Left/Right change menus, Up/Down move over the entries
// (separators skipped), Enter or the entry's mnemonic chooses an enabled entry, Esc or F10
// closes. `enabled` tells whether an entry ID may be chosen (grayed entries may not).
MenuOutcome menuKey(const std::vector<Menu>& menus, MenuCursor& cur, const KeyEvent& key,
                    const std::function<bool(int)>& enabled);
// The menu whose title has mnemonic `letter`, -1 when none.
int menuForMnemonic(const std::vector<Menu>& menus, char letter);

// ---- message boxes ----------------------------------------------------------------------------

struct MessageLayout {
    std::string title;
    std::string mark;                     // "(X)", "(i)", "(?)" or empty
    std::vector<std::string> lines;       // the text, split at line ends and wrapped to fit
    std::vector<std::string> buttons;     // captions with "&"
    std::vector<MsgResult> results;
    int cols = 0, rows = 0;               // the whole box, border included
};
// The box for a message on a screen `screenCols` wide: lines split at CR LF (or LF), long
// lines wrapped at blanks.
MessageLayout layoutMessage(const std::string& text, const std::string& title, MsgIcon icon,
                            MsgButtons buttons, int screenCols);

// A key in a message box with `focus` the index of the focused button. Returns the answer
// when the key gives one; Tab and arrows move the focus.
std::optional<MsgResult> messageKey(const MessageLayout& box, int& focus, const KeyEvent& key);

// ---- help viewer ------------------------------------------------------------------------------

struct HelpRequest {
    std::string topic;   // after -I; empty for the whole file
    std::string file;    // as named on the command line
};
// The help viewer's command line ("winhlp32 [-I TOPIC] FILE"), or nullopt for any other.
std::optional<HelpRequest> parseHelpCommand(const std::string& commandLine);
// The text file that stands for a compiled help file: same name, ".txt" for ".hlp".
std::string helpTextName(const std::string& helpFile);
// The places looked at, in order: the current directory, DP_DATA_DIR, the module's directory,
// and the installation's data directory (empty ones left out, none twice).
std::vector<std::string> helpSearchDirs(const std::string& currentDir, const std::string& dataDirEnv,
                                        const std::string& moduleDir, const std::string& installDir);
// The lines of one topic of a help text. Topics start with a line "@topic NAME"; a missing
// topic (or an empty name) gives the whole text with the topic lines left out.
std::vector<std::string> helpTopicLines(const std::string& fileText, const std::string& topic,
                                        bool* found = nullptr);
// Lines wrapped to `width` columns at blanks (words longer than a line are cut), tabs expanded.
std::vector<std::string> wrapLines(const std::vector<std::string>& lines, int width);
// The first line shown by a pager after a key, kept within the text.
int pagerScroll(int top, int lineCount, int visible, Key key);

// ---- page viewer ------------------------------------------------------------------------------

// How a character of a printed page is shown on the character screen: as itself (ASCII), as one
// of the terminal's line-drawing characters, as a solid or shaded cell, or as "?".
enum class CellShape {
    Text, Unknown, HLine, VLine, ULCorner, URCorner, LLCorner, LRCorner, LTee, RTee, TTee, BTee, Plus, Solid, Shade,
};
CellShape cellShape(char32_t c);

// Which page is shown and where the screen stands on it.
struct PageViewState {
    int page = 0;  // from 0
    int top = 0;   // first row shown
    int left = 0;  // first column shown
};
// The view after a key, for a page of `rows` rows of at most `width` characters and a screen
// area of `visibleRows` x `visibleCols`. Returns false when the key closes the view.
bool pageViewKey(PageViewState& s, int pageCount, int rows, int width, int visibleRows, int visibleCols,
                 const KeyEvent& key);
// Keeps the position within the page (after the page or the screen size changed).
void clampPageView(PageViewState& s, int pageCount, int rows, int width, int visibleRows, int visibleCols);

}  // namespace platform::term

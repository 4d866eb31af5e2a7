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
#include "help_text.h"
#include "platform/message.h"
#include "terminal_layout.h"

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
    F1,
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

// Letters in lower case (ASCII only: the dialogs' texts are).
int lower(int c);
std::string lowerText(std::string_view s);

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

// ---- tab order --------------------------------------------------------------------------------

bool isFocusable(ControlKind kind);
// The next (or, backwards, previous) enabled focusable control after `current` in the tab order
// (tabOrder: as the controls stand on the screen), wrapping round; 0 when there is none.
// `enabled` tells whether an ID is enabled.
int nextFocus(const std::vector<ControlSpec>& controls, int current, bool backwards,
              const std::function<bool(int)>& enabled);

// ---- edit boxes -------------------------------------------------------------------------------

// What an edit box holds while the user works in it. A box that receives the focus, by any
// route, has its whole text selected (`selectAll`): the first character typed replaces it, an
// arrow key or End keeps it.
struct EditState {
    std::string text;     // what the box shows and edits
    int cursor = 0;       // 0 .. text.size()
    int scroll = 0;       // first shown character
    bool selectAll = false;
    std::string source = {};   // the dialog's text this was last taken from or given to
};

// A text the program put in a box, as the box shows it: without trailing blanks (the padding of
// a fixed-width field). The dialog's text itself stays as it is until the user edits the box.
std::string shownText(const std::string& stored);
// Takes the dialog's text when the program has changed it since the box last saw it: the box
// then shows it without its padding, the cursor at its end (kept where only the letter case
// changed), nothing selected.
void syncEdit(EditState& st, const std::string& dialogText);
// The box receives the focus: its whole text selected, its start in view.
void focusEdit(EditState& st, const std::string& dialogText);
// After the user's edit has gone to the dialog, which may hold something else now (upper case,
// or the handler's own text): the box shows what the dialog holds.
void afterUserEdit(EditState& st, const std::string& dialogText);

// Applies an editing key. Returns true when the text changed. Keys that are not editing
// keys change nothing and return false; so does a character that is a control byte, or one that
// would make the text longer than maxLength (0: no limit), as a box full to its field's width
// takes no more.
bool applyEditKey(EditState& st, const KeyEvent& key, bool upperCase, int maxLength = 0);
// Keeps the cursor visible in a field `width` characters wide; a selected text shows from its
// start.
void scrollEditToCursor(EditState& st, int width);

// ---- list boxes -------------------------------------------------------------------------------

// The selection after a movement key in a list of `count` lines showing `visible` at once
// (-1 stays -1 when the list is empty). Non-movement keys return the selection unchanged.
int moveListSelection(int selection, int count, int visible, Key key);
// The first line shown so that `selection` is visible (top unchanged when it already is).
int scrollListTo(int top, int selection, int count, int visible);
// The line a typed character jumps to: the next line after `selection` (wrapping round) whose
// first character is that one, letter case aside; `selection` when there is none.
int jumpToLetter(const std::vector<std::string>& lines, int selection, int ch);

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

// ---- buttons and the key line --------------------------------------------------------------------

// A button captioned OK (any letter case, "&" aside).
bool isOkCaption(std::string_view raw);

// What works in the window on top, for the key line at the foot of the screen.
struct KeyHints {
    enum Focus { None, Edit, Button, CheckBox, List } focus = None;
    bool selected = false;      // Edit: its whole text is selected (typing replaces it)
    std::string enter;          // Edit, CheckBox: what Enter does ("OK", "next box"); empty: nothing
    bool listChooses = false;   // List: Enter chooses the line (the dialog has an OK button)
    bool canMove = false;       // more than one control takes the focus
    bool mnemonics = false;     // Alt plus a letter presses a button
    bool menu = false;          // F10 opens the menu bar
    bool help = false;          // F1 opens the help
    std::string escape;         // what Esc does ("close", "save and close"); empty: nothing
    bool scrolls = false;       // the dialog is larger than the screen
    bool menuOpen = false;      // a menu is open: its keys instead
};

// One item of a key line: its words, shorter words for a narrow screen (empty: none), and how
// much it matters (0 the most).
struct KeyItem {
    std::string words;
    std::string shorter;
    int rank = 0;
};
// The items in their order, two blanks apart, within `width` columns: when they do not fit,
// the least important one takes its shorter words, or goes, then the next.
std::string fitKeyItems(const std::vector<KeyItem>& items, int width);

// "Type replaces  Enter OK  Esc close  Tab next  F1 help ...", as much as fits in `width`
// columns; what Esc does is the last to go.
std::string keyLine(const KeyHints& hints, int width);
// The key line of a message box with these buttons (F1 named when the help opens from it).
std::string messageKeyLine(const std::vector<std::string>& buttons, int width, bool help = false);

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

// The help text's command line and file (help_text.h), by their names here too.
using platform::HelpRequest;
using platform::helpSearchDirs;
using platform::helpTextName;
using platform::helpTopicLines;
using platform::parseHelpCommand;
using platform::splitTextLines;
// Lines wrapped to `width` columns at blanks (words longer than a line are cut), tabs expanded.
std::vector<std::string> wrapLines(const std::vector<std::string>& lines, int width);
// The first line shown by a pager after a key, kept within the text.
int pagerScroll(int top, int lineCount, int visible, Key key);

}  // namespace platform::term

#include "terminal_input.h"

#include <algorithm>
#include <set>
#include <string>

#include "platform/backend.h"
#include "platform/message.h"
#include "platform/process.h"
#include "terminal_menu_bar.h"

namespace platform::term {

namespace {

bool focusable(const Dialog& d, int id) {
    return id != 0 && d.exists(id) && isFocusable(d.kind(id)) && d.isEnabled(id);
}

std::uint32_t styleOf(const Dialog& d, int id) {
    for (const ControlSpec& c : d.controls())
        if (c.id == id) return c.style;
    return 0;
}

void gainFocus(Dialog& d, DialogView& view, int id) {
    if (id == 0 || d.kind(id) != ControlKind::Edit) return;
    focusEdit(view.edits[id], d.text(id));
    d.dispatch({EventKind::Notify, id});
}

void moveFocus(Dialog& d, bool backwards) {
    const int next = nextFocus(d.controls(), d.focus(), backwards, [&](int id) { return d.isEnabled(id); });
    if (next != 0) d.setFocus(next);
}

// The enabled button captioned OK; 0 when there is none.
int okButton(const Dialog& d) {
    for (const ControlSpec& c : d.controls())
        if (c.kind == ControlKind::Button && isOkCaption(c.text) && d.canClick(c.id)) return c.id;
    return 0;
}

// F1: the dialog's own help, else the session's; the status line says when there is none.
void openHelp(Dialog& d) {
    if (!openHelpFor(&d)) showStatus("No help for this window");
}

// Esc is the close box, whether or not the dialog shows one (as Esc is Cancel in a Windows
// dialog); the key line says what it does.
void closeBox(Dialog& d) { d.userClose(); }

// Enter: a button presses, a box goes to the default button or on to the next box; never
// nothing without a word.
void enter(Dialog& d) {
    if (d.userEnter() == EnterOutcome::Nothing) showStatus("Enter has nothing to press here: Tab moves on");
}

// Alt plus a letter: the button or check box whose caption has that mnemonic, else the
// control after a label with it, else the menu with it.
void mnemonicKey(Dialog& d, DialogView& view, char letter) {
    const auto& cs = d.controls();
    for (std::size_t i = 0; i < cs.size(); ++i) {
        const ControlSpec& c = cs[i];
        if (mnemonic(c.text) != letter) continue;
        if (c.kind == ControlKind::Button || c.kind == ControlKind::CheckBox) {
            if (!d.canClick(c.id)) continue;
            d.userClick(c.id);
            return;
        }
        if (c.kind != ControlKind::Label) continue;
        for (std::size_t j = i + 1; j < cs.size(); ++j)
            if (focusable(d, cs[j].id)) {
                d.setFocus(cs[j].id);
                return;
            }
    }
    const int m = menuForMnemonic(d.menuBar(), letter);
    if (m >= 0) view.menu = openMenu(d.menuBar(), m);
}

// A click on a control: a button is pressed, a list line selected; an edit box that had the
// focus already gets the cursor where it was clicked, one that had not receives the focus.
void clickControl(Dialog& d, DialogView& view, const Zone& z, const KeyEvent& key) {
    const int id = z.id;
    if (!focusable(d, id)) return;
    switch (d.kind(id)) {
        case ControlKind::Edit: {
            if (d.focus() != id) {
                d.setFocus(id);
                return;
            }
            EditState& st = view.edits[id];
            syncEdit(st, d.text(id));
            st.selectAll = false;
            st.cursor = std::clamp(key.col - z.base, 0, static_cast<int>(st.text.size()));
            return;
        }
        case ControlKind::ListBox: {
            d.setFocus(id);
            const int line = key.row + z.base;
            const int count = static_cast<int>(d.listLines(id).size());
            if (line >= 0 && line < count && line != d.listSelection(id)) d.selectListLine(id, line);
            return;
        }
        default:
            if (d.canClick(id)) d.userClick(id);
            return;
    }
}

// A click anywhere but on the open menu closes it.
void click(Dialog& d, DialogView& view, const KeyEvent& key, const std::vector<Zone>& zones) {
    const Zone* z = zoneAt(zones, key.row, key.col);
    if (menuBarClick(d, view.menu, z)) return;
    if (view.menu.open()) {
        view.menu = MenuCursor{};
        return;
    }
    if (z && z->kind == Zone::Control) clickControl(d, view, *z, key);
}

void editKey(Dialog& d, DialogView& view, int f, const KeyEvent& key) {
    if (key.key == Key::Enter) {
        enter(d);
        return;
    }
    if (key.key == Key::Up || key.key == Key::Down) {
        moveFocus(d, key.key == Key::Up);
        return;
    }
    EditState& st = view.edits[f];
    syncEdit(st, d.text(f));
    if (!applyEditKey(st, key, (styleOf(d, f) & StyleUpperCase) != 0, d.maxLength(f))) return;
    d.userType(f, st.text);
    afterUserEdit(view.edits[f], d.text(f));
}

void listKey(Dialog& d, DialogView& view, int f, const KeyEvent& key) {
    const std::vector<std::string> lines = d.listLines(f);
    const int sel = d.listSelection(f);
    int next = sel;
    switch (key.key) {
        case Key::Enter:
            // The highlighted line is chosen: selected, then "OK" pressed.
            if (const int ok = okButton(d)) {
                if (sel < 0 && !lines.empty()) d.selectListLine(f, 0);
                d.userClick(ok);
            } else {
                enter(d);
            }
            return;
        case Key::Left:
        case Key::Right: {
            int& left = view.listLeft[f];
            left = std::max(0, left + (key.key == Key::Left ? -4 : 4));
            return;
        }
        case Key::Char:
            if (key.ch != ' ') next = jumpToLetter(lines, sel, key.ch);
            break;
        default:
            next = moveListSelection(sel, static_cast<int>(lines.size()), listVisibleRows(d, view, f), key.key);
            break;
    }
    if (next != sel && next >= 0) d.selectListLine(f, next);
}

bool arrowBack(Key k) { return k == Key::Up || k == Key::Left; }
bool arrowOn(Key k) { return k == Key::Down || k == Key::Right; }

void checkBoxKey(Dialog& d, DialogView& view, int f, const KeyEvent& key) {
    if (key.key == Key::Char && key.ch == ' ') d.userClick(f);
    else if (key.key == Key::Enter) enter(d);
    else if (arrowBack(key.key) || arrowOn(key.key)) moveFocus(d, arrowBack(key.key));
    else if (key.key == Key::Char) mnemonicKey(d, view, static_cast<char>(lower(key.ch)));
}

// Buttons and bitmap buttons. Without an edit box to type into, a letter works as its mnemonic.
void buttonKey(Dialog& d, DialogView& view, int f, const KeyEvent& key) {
    if (key.key == Key::Enter) {
        enter(d);
    } else if (key.key == Key::Char && key.ch == ' ') {
        if (d.canClick(f)) d.userClick(f);
    } else if (arrowBack(key.key) || arrowOn(key.key)) {
        moveFocus(d, arrowBack(key.key));
    } else if (key.key == Key::Char) {
        mnemonicKey(d, view, static_cast<char>(lower(key.ch)));
    }
}

// Keys that mean the same whatever has the focus; false for the others.
bool dialogWideKey(Dialog& d, DialogView& view, const KeyEvent& key) {
    switch (key.key) {
        case Key::F10:
            if (!d.menuBar().empty()) view.menu = openMenu(d.menuBar(), 0);
            return true;
        case Key::F1: openHelp(d); return true;
        case Key::Esc: closeBox(d); return true;
        case Key::Tab: moveFocus(d, false); return true;
        case Key::BackTab: moveFocus(d, true); return true;
        case Key::Alt: mnemonicKey(d, view, static_cast<char>(key.ch)); return true;
        default: return false;
    }
}

void controlKey(Dialog& d, DialogView& view, const KeyEvent& key) {
    const int f = d.focus();
    if (!focusable(d, f)) {
        if (key.key == Key::Enter) enter(d);
        return;
    }
    switch (d.kind(f)) {
        case ControlKind::Edit: editKey(d, view, f, key); return;
        case ControlKind::ListBox: listKey(d, view, f, key); return;
        case ControlKind::CheckBox: checkBoxKey(d, view, f, key); return;
        default: buttonKey(d, view, f, key); return;
    }
}

KeyHints::Focus focusKind(ControlKind k) {
    switch (k) {
        case ControlKind::Edit: return KeyHints::Edit;
        case ControlKind::CheckBox: return KeyHints::CheckBox;
        case ControlKind::ListBox: return KeyHints::List;
        case ControlKind::Button:
        case ControlKind::BitmapButton: return KeyHints::Button;
        default: return KeyHints::None;
    }
}

bool hasMnemonics(const Dialog& d) {
    if (!d.menuBar().empty()) return true;
    for (const ControlSpec& c : d.controls())
        if (mnemonic(c.text) != 0 && (c.kind == ControlKind::Label || d.canClick(c.id))) return true;
    return false;
}

int focusStops(const Dialog& d) {
    std::set<int> ids;
    for (const ControlSpec& c : d.controls())
        if (focusable(d, c.id)) ids.insert(c.id);
    return static_cast<int>(ids.size());
}

}  // namespace

void settleFocus(Dialog& d, DialogView& view) {
    for (int round = 0; round < 8 && !d.ended(); ++round) {
        int f = d.focus();
        if (!focusable(d, f)) {
            const int next = nextFocus(d.controls(), f, false, [&](int id) { return d.isEnabled(id); });
            if (next != 0 && next != f) d.setFocus(next);
            f = next;
        }
        if (f == view.lastFocus) return;
        view.lastFocus = f;
        gainFocus(d, view, f);
    }
}

void dialogKey(Dialog& d, DialogView& view, const KeyEvent& key, const std::vector<Zone>& zones) {
    if (key.key == Key::Resize || key.key == Key::None || key.key == Key::Other) return;
    if (!view.frame.usable) {
        // Only Esc means something while the dialog cannot be shown.
        if (key.key == Key::Esc) closeBox(d);
        return;
    }
    if (key.key == Key::Click) {
        click(d, view, key, zones);
        return;
    }
    if (view.menu.open()) {
        menuBarKey(d, view.menu, key);
        return;
    }
    if (!dialogWideKey(d, view, key)) controlKey(d, view, key);
}

namespace {

// What Enter does from a box or a check box: presses the default button (named by its
// caption), or goes on to the next box; empty when it does neither.
std::string enterWords(const Dialog& d) {
    if (const int button = d.defaultButton()) return parseCaption(d.text(button)).text;
    int boxes = 0;
    for (const ControlSpec& c : d.controls())
        if (c.kind == ControlKind::Edit && d.isEnabled(c.id)) ++boxes;
    return boxes > 1 ? "next box" : "";
}

}  // namespace

KeyHints hintsFor(const Dialog& d, const DialogView& view) {
    KeyHints h;
    const int f = d.focus();
    if (focusable(d, f)) h.focus = focusKind(d.kind(f));
    if (h.focus == KeyHints::Edit) {
        const auto it = view.edits.find(f);
        h.selected = it != view.edits.end() && it->second.selectAll;
    }
    h.enter = enterWords(d);
    h.listChooses = okButton(d) != 0;
    h.canMove = focusStops(d) > 1;
    h.mnemonics = hasMnemonics(d);
    h.menu = !d.menuBar().empty();
    h.help = d.helpEntry() != 0 || !sessionHelp().empty();
    h.escape = d.escapeHint();
    h.scrolls = view.frame.scrolls;
    h.menuOpen = view.menu.open();
    return h;
}

}  // namespace platform::term

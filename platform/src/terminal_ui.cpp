#include "terminal_ui.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace platform::term {

namespace {

bool printable(int c) { return c >= 32 && c < 127; }

// Alt plus the character in the low seven bits, when that is printable.
KeyEvent metaOf(int code) {
    const int low = code & 0x7F;
    if (printable(low)) return {Key::Alt, lower(low)};
    return {Key::Other, 0};
}

KeyEvent csiSequence(int intro, const std::function<int()>& next) {
    int d = next();
    if (d < 0) return {Key::Alt, intro};
    if (intro == '[' && d >= '0' && d <= '9') {
        int n = 0;
        int guard = 0;
        while (d >= '0' && d <= '9' && guard++ < 6) {
            n = n * 10 + (d - '0');
            d = next();
        }
        // Modifier parameters (";5") are read and ignored.
        while (d == ';' || (d >= '0' && d <= '9')) {
            d = next();
            if (++guard > 12) break;
        }
        if (d != '~') return {Key::Other, 0};
        switch (n) {
            case 1: case 7: return {Key::Home, 0};
            case 4: case 8: return {Key::End, 0};
            case 3: return {Key::Delete, 0};
            case 5: return {Key::PageUp, 0};
            case 6: return {Key::PageDown, 0};
            case 11: return {Key::F1, 0};
            case 21: return {Key::F10, 0};
            default: return {Key::Other, 0};
        }
    }
    // The Linux console sends F1 as ESC [ [ A.
    if (intro == '[' && d == '[') return next() == 'A' ? KeyEvent{Key::F1, 0} : KeyEvent{Key::Other, 0};
    switch (d) {
        case 'P': return {intro == 'O' ? Key::F1 : Key::Other, 0};
        case 'A': return {Key::Up, 0};
        case 'B': return {Key::Down, 0};
        case 'C': return {Key::Right, 0};
        case 'D': return {Key::Left, 0};
        case 'H': return {Key::Home, 0};
        case 'F': return {Key::End, 0};
        case 'Z': return {Key::BackTab, 0};
        default: return {Key::Other, 0};
    }
}

}  // namespace

int lower(int c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; }

std::string lowerText(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(lower(static_cast<unsigned char>(c)));
    return out;
}

KeyEvent decodeInput(int byte, const std::function<int()>& next) {
    if (byte < 0) return {Key::None, 0};
    if (byte == 27) {
        const int c = next();
        if (c < 0 || c == 27) return {Key::Esc, 0};
        if (c == '[' || c == 'O') return csiSequence(c, next);
        if (c == '\r' || c == '\n') return {Key::Enter, 0};
        if (c == '\t') return {Key::BackTab, 0};
        if (printable(c)) return {Key::Alt, lower(c)};
        return {Key::Other, 0};
    }
    if (byte == '\t') return {Key::Tab, 0};
    if (byte == '\r' || byte == '\n') return {Key::Enter, 0};
    if (byte == 8 || byte == 127) return {Key::Backspace, 0};
    if (printable(byte)) return {Key::Char, byte};
    if (byte >= 0xC0 && byte <= 0xFF) {
        // Either a UTF-8 lead byte or a meta key sent as the eighth bit: a continuation byte
        // following at once tells them apart.
        const int c = next();
        if (c >= 0x80 && c <= 0xBF) {
            int extra = byte >= 0xF0 ? 2 : byte >= 0xE0 ? 1 : 0;
            int cp = ((byte & 0x1F) << 6) | (c & 0x3F);
            for (; extra > 0; --extra) {
                const int d = next();
                if (d < 0x80 || d > 0xBF) return {Key::Other, 0};
                cp = (cp << 6) | (d & 0x3F);
            }
            if (cp >= 0xA0 && cp <= 0xFF) return metaOf(cp);
            return {Key::Other, 0};
        }
        return metaOf(byte);
    }
    if (byte >= 0x80 && byte <= 0xBF) return metaOf(byte);
    return {Key::Other, 0};
}

// ---- mouse ----------------------------------------------------------------------------------

const Zone* zoneAt(const std::vector<Zone>& zones, int row, int col) {
    for (auto it = zones.rbegin(); it != zones.rend(); ++it)
        if (row >= it->row && row < it->row + it->rows && col >= it->col && col < it->col + it->cols) return &*it;
    return nullptr;
}

// ---- captions -------------------------------------------------------------------------------

Caption parseCaption(std::string_view raw) {
    Caption c;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '&') {
            if (i + 1 < raw.size() && raw[i + 1] == '&') {
                c.text += '&';
                ++i;
                continue;
            }
            if (i + 1 < raw.size() && c.accel < 0) c.accel = static_cast<int>(c.text.size());
            continue;
        }
        c.text += raw[i];
    }
    return c;
}

char mnemonic(std::string_view raw) {
    const Caption c = parseCaption(raw);
    if (c.accel < 0) return 0;
    const int ch = static_cast<unsigned char>(c.text[static_cast<std::size_t>(c.accel)]);
    return printable(ch) && ch != ' ' ? static_cast<char>(lower(ch)) : 0;
}

// ---- tab order --------------------------------------------------------------------------------

bool isFocusable(ControlKind kind) { return takesFocus(kind); }

int nextFocus(const std::vector<ControlSpec>& controls, int current, bool backwards,
              const std::function<bool(int)>& enabled) {
    std::vector<int> order;
    for (const int id : tabOrder(controls))
        if (enabled(id)) order.push_back(id);
    if (order.empty()) return 0;
    const auto it = std::find(order.begin(), order.end(), current);
    const int n = static_cast<int>(order.size());
    if (it == order.end()) return backwards ? order.back() : order.front();
    const int i = static_cast<int>(it - order.begin());
    return order[static_cast<std::size_t>((i + (backwards ? n - 1 : 1)) % n)];
}

// ---- edit boxes -------------------------------------------------------------------------------

bool applyEditKey(EditState& st, const KeyEvent& key, bool upperCase, int maxLength) {
    const int size = static_cast<int>(st.text.size());
    st.cursor = std::clamp(st.cursor, 0, size);
    const bool replacing = st.selectAll && size > 0;
    switch (key.key) {
        case Key::Char: {
            char ch = static_cast<char>(key.ch);
            if (isControlByte(ch) || key.ch > 255) return false;
            if (maxLength > 0 && !replacing && size >= maxLength) return false;
            if (upperCase) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            if (replacing) {
                st.text.clear();
                st.cursor = 0;
            }
            st.text.insert(st.text.begin() + st.cursor, ch);
            ++st.cursor;
            st.selectAll = false;
            return true;
        }
        case Key::Backspace:
        case Key::Delete:
            st.selectAll = false;
            if (replacing) {
                st.text.clear();
                st.cursor = 0;
                return true;
            }
            if (key.key == Key::Backspace) {
                if (st.cursor == 0) return false;
                st.text.erase(static_cast<std::size_t>(st.cursor - 1), 1);
                --st.cursor;
                return true;
            }
            if (st.cursor >= size) return false;
            st.text.erase(static_cast<std::size_t>(st.cursor), 1);
            return true;
        case Key::Left:
            st.selectAll = false;
            st.cursor = std::max(0, st.cursor - 1);
            return false;
        case Key::Right:
            st.selectAll = false;
            st.cursor = std::min(size, st.cursor + 1);
            return false;
        case Key::Home:
            st.selectAll = false;
            st.cursor = 0;
            return false;
        case Key::End:
            st.selectAll = false;
            st.cursor = size;
            return false;
        default:
            return false;
    }
}

void scrollEditToCursor(EditState& st, int width) {
    const int size = static_cast<int>(st.text.size());
    st.cursor = std::clamp(st.cursor, 0, size);
    // A text that fits shows whole; after its last character the cursor stands on the bracket
    // that closes a full box.
    if (st.selectAll || size <= width) {
        st.scroll = 0;
        return;
    }
    if (width <= 0) {
        st.scroll = st.cursor;
        return;
    }
    if (st.cursor < st.scroll) st.scroll = st.cursor;
    if (st.cursor >= st.scroll + width) st.scroll = st.cursor - width + 1;
    // No blank stretch at the right while text lies hidden at the left.
    st.scroll = std::clamp(st.scroll, 0, std::max(0, std::max(size + 1 - width, 0)));
    if (st.cursor < st.scroll) st.scroll = st.cursor;
}

std::string shownText(const std::string& stored) {
    const std::size_t end = stored.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : stored.substr(0, end + 1);
}

void syncEdit(EditState& st, const std::string& dialogText) {
    if (dialogText == st.source) return;
    const std::string shown = shownText(dialogText);
    const bool caseOnly = lowerText(shown) == lowerText(st.text);
    st.source = dialogText;
    st.text = shown;
    if (!caseOnly) st.cursor = static_cast<int>(shown.size());
    st.cursor = std::min(st.cursor, static_cast<int>(shown.size()));
    st.selectAll = false;
}

void focusEdit(EditState& st, const std::string& dialogText) {
    syncEdit(st, dialogText);
    st.cursor = static_cast<int>(st.text.size());
    st.selectAll = !st.text.empty();
    st.scroll = 0;
}

void afterUserEdit(EditState& st, const std::string& dialogText) {
    if (dialogText != st.text) {
        // Only the letter case changed (an upper-case box) unless the handler put its own text.
        if (dialogText.size() != st.text.size()) st.cursor = static_cast<int>(dialogText.size());
        st.text = dialogText;
    }
    st.cursor = std::min(st.cursor, static_cast<int>(st.text.size()));
    st.source = dialogText;
}

// ---- list boxes -------------------------------------------------------------------------------

int moveListSelection(int selection, int count, int visible, Key key) {
    if (count <= 0) return -1;
    const int page = std::max(1, visible - 1);
    const int last = count - 1;
    switch (key) {
        case Key::Up: return selection < 0 ? 0 : std::max(0, selection - 1);
        case Key::Down: return selection < 0 ? 0 : std::min(last, selection + 1);
        case Key::PageUp: return selection < 0 ? 0 : std::max(0, selection - page);
        case Key::PageDown: return std::min(last, std::max(0, selection) + page);
        case Key::Home: return 0;
        case Key::End: return last;
        default: return selection;
    }
}

int scrollListTo(int top, int selection, int count, int visible) {
    if (visible <= 0 || count <= 0) return 0;
    if (selection >= 0) {
        if (selection < top) top = selection;
        if (selection >= top + visible) top = selection - visible + 1;
    }
    return std::clamp(top, 0, std::max(0, count - visible));
}

int jumpToLetter(const std::vector<std::string>& lines, int selection, int ch) {
    const int n = static_cast<int>(lines.size());
    for (int step = 1; step <= n; ++step) {
        const int i = ((std::max(selection, -1) + step) % n + n) % n;
        const std::string& l = lines[static_cast<std::size_t>(i)];
        if (!l.empty() && lower(static_cast<unsigned char>(l[0])) == lower(ch)) return i;
    }
    return selection;
}

// ---- buttons and the key line ----------------------------------------------------------------

bool isOkCaption(std::string_view raw) { return lowerText(parseCaption(raw).text) == "ok"; }

namespace {

int lineLength(const std::vector<KeyItem>& items, const std::vector<int>& form) {
    int n = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (form[i] == 2) continue;
        n += (n ? 2 : 0) + static_cast<int>((form[i] == 1 ? items[i].shorter : items[i].words).size());
    }
    return n;
}

// Indices of the items, least important first (the later of two equal ones first).
std::vector<std::size_t> leastImportantFirst(const std::vector<KeyItem>& items) {
    std::vector<std::size_t> order(items.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = order.size() - 1 - i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return items[a].rank > items[b].rank; });
    return order;
}

std::vector<KeyItem> focusItems(const KeyHints& h) {
    const KeyItem type{h.selected ? "Type replaces" : "Type inserts", "", 2};
    const KeyItem arrows{"Arrows/Home/End", "Arrows", 7};
    const KeyItem enter{h.enter.empty() ? "" : "Enter " + h.enter, h.enter == "next box" ? "Enter next" : "", 1};
    switch (h.focus) {
        case KeyHints::Edit: return {type, enter, arrows};
        case KeyHints::Button: return {{"Enter press", "", 1}};
        case KeyHints::CheckBox: return {{"Space check", "", 2}, enter};
        case KeyHints::List:
            if (h.listChooses) return {{"Up/Down line", "Up/Down", 2}, {"Enter choose", "", 1}, {"Letter jumps", "", 7}};
            return {{"Up/Down line", "Up/Down", 2}, {"Letter jumps", "", 7}};
        case KeyHints::None: break;
    }
    return {};
}

}  // namespace

std::string fitKeyItems(const std::vector<KeyItem>& all, int width) {
    std::vector<KeyItem> items;
    for (const KeyItem& i : all)
        if (!i.words.empty()) items.push_back(i);
    // 0 the words, 1 the shorter words, 2 left out.
    // The least important item takes its shorter words, and goes when even they leave the line
    // too long, before the next one is touched.
    std::vector<int> form(items.size(), 0);
    for (std::size_t i : leastImportantFirst(items)) {
        if (lineLength(items, form) <= width) break;
        if (!items[i].shorter.empty()) form[i] = 1;
        if (lineLength(items, form) <= width) break;
        form[i] = 2;
    }
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (form[i] == 2) continue;
        if (!out.empty()) out += "  ";
        out += form[i] == 1 ? items[i].shorter : items[i].words;
    }
    return out;
}

std::string keyLine(const KeyHints& h, int width) {
    if (h.menuOpen)
        return fitKeyItems({{"Up/Down entry", "Up/Down", 2}, {"Enter choose", "", 1}, {"Left/Right menu", "Left/Right", 3},
                            {"Esc closes the menu", "Esc closes menu", 0}},
                           width);
    // The focused control's own keys first, its minor ones (rank 7) near the end.
    std::vector<KeyItem> items, minor;
    for (const KeyItem& i : focusItems(h)) (i.rank >= 7 ? minor : items).push_back(i);
    if (!h.escape.empty()) items.push_back({"Esc " + h.escape, "", 0});
    if (h.canMove) items.push_back({h.scrolls ? "Tab next (scrolls)" : "Tab next", "Tab next", 3});
    if (h.help) items.push_back({"F1 help", "", 4});
    if (h.menu) items.push_back({"F10 menu", "", 5});
    if (h.mnemonics) items.push_back({"Alt+letter", "", 6});
    items.insert(items.end(), minor.begin(), minor.end());
    if (h.canMove) items.push_back({"Shift-Tab back", "S-Tab back", 8});
    return fitKeyItems(items, width);
}

std::string messageKeyLine(const std::vector<std::string>& buttons, int width, bool help) {
    const std::string last = buttons.empty() ? std::string("OK") : parseCaption(buttons.back()).text;
    std::vector<KeyItem> items;
    if (buttons.size() <= 1) {
        items.push_back({"Enter or Esc: " + last, "Enter/Esc: " + last, 0});
    } else {
        for (const std::string& b : buttons) {
            const char m = mnemonic(b);
            if (m != 0) items.push_back({std::string(1, static_cast<char>(m - 'a' + 'A')) + " " + parseCaption(b).text, "", 1});
        }
        items.insert(items.end(), {{"Enter chooses", "", 2}, {"Tab next", "", 3}, {"Esc " + last, "", 0}});
    }
    if (help) items.push_back({"F1 help", "", 4});
    return fitKeyItems(items, width);
}

// ---- menu bar ---------------------------------------------------------------------------------

bool isSeparator(const MenuEntry& e) { return e.id == 0 || e.text == "-"; }

std::vector<int> menuTitleOffsets(const std::vector<Menu>& menus) {
    std::vector<int> out;
    int at = 1;
    for (const Menu& m : menus) {
        out.push_back(at);
        at += static_cast<int>(parseCaption(m.title).text.size()) + 2;
    }
    return out;
}

namespace {

int stepEntry(const Menu& m, int from, int step) {
    const int n = static_cast<int>(m.entries.size());
    if (n == 0) return -1;
    int i = from;
    for (int tries = 0; tries < n; ++tries) {
        i = ((i + step) % n + n) % n;
        if (!isSeparator(m.entries[static_cast<std::size_t>(i)])) return i;
    }
    return -1;
}

}  // namespace

MenuCursor openMenu(const std::vector<Menu>& menus, int index) {
    MenuCursor c;
    if (index < 0 || index >= static_cast<int>(menus.size())) return c;
    c.menu = index;
    c.entry = stepEntry(menus[static_cast<std::size_t>(index)], -1, 1);
    return c;
}

int menuForMnemonic(const std::vector<Menu>& menus, char letter) {
    if (letter == 0) return -1;
    for (std::size_t i = 0; i < menus.size(); ++i)
        if (mnemonic(menus[i].title) == lower(static_cast<unsigned char>(letter))) return static_cast<int>(i);
    return -1;
}

MenuOutcome menuKey(const std::vector<Menu>& menus, MenuCursor& cur, const KeyEvent& key,
                    const std::function<bool(int)>& enabled) {
    const int n = static_cast<int>(menus.size());
    if (!cur.open() || cur.menu >= n) {
        cur = MenuCursor{};
        return {MenuOutcome::Closed, 0};
    }
    const Menu& m = menus[static_cast<std::size_t>(cur.menu)];
    switch (key.key) {
        case Key::Esc:
        case Key::F10:
            cur = MenuCursor{};
            return {MenuOutcome::Closed, 0};
        case Key::Left:
            cur = openMenu(menus, (cur.menu + n - 1) % n);
            return {};
        case Key::Right:
            cur = openMenu(menus, (cur.menu + 1) % n);
            return {};
        case Key::Up:
            cur.entry = stepEntry(m, cur.entry < 0 ? 0 : cur.entry, -1);
            return {};
        case Key::Down:
            cur.entry = stepEntry(m, cur.entry, 1);
            return {};
        case Key::Enter: {
            if (cur.entry < 0) return {};
            const MenuEntry& e = m.entries[static_cast<std::size_t>(cur.entry)];
            if (isSeparator(e) || !enabled(e.id)) return {};
            const int id = e.id;
            cur = MenuCursor{};
            return {MenuOutcome::Chosen, id};
        }
        case Key::Char:
        case Key::Alt: {
            const int letter = lower(key.ch);
            for (std::size_t i = 0; i < m.entries.size(); ++i) {
                const MenuEntry& e = m.entries[i];
                if (isSeparator(e) || mnemonic(e.text) != letter) continue;
                cur.entry = static_cast<int>(i);
                if (!enabled(e.id)) return {};
                const int id = e.id;
                cur = MenuCursor{};
                return {MenuOutcome::Chosen, id};
            }
            if (key.key == Key::Alt) {
                const int other = menuForMnemonic(menus, static_cast<char>(letter));
                if (other >= 0) cur = openMenu(menus, other);
            }
            return {};
        }
        default:
            return {};
    }
}

}  // namespace platform::term

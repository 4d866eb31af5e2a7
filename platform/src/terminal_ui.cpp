#include "terminal_ui.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace platform::term {

namespace {

int lower(int c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; }
bool printable(int c) { return c >= 32 && c < 127; }

std::string lowerText(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(lower(static_cast<unsigned char>(c)));
    return out;
}

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
            case 21: return {Key::F10, 0};
            default: return {Key::Other, 0};
        }
    }
    switch (d) {
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

// ---- layout ---------------------------------------------------------------------------------

int colsFromUnits(int units) { return units <= 0 ? 0 : (units + 2) / 4; }
int rowsFromUnits(int units) { return units <= 0 ? 0 : (units + 7) / 8; }

namespace {

int roundRow(int units) { return units <= 0 ? 0 : (units + 4) / 8; }
int centreRow(const ControlSpec& c) { return std::max(0, (2 * c.y + c.height) / 16); }

bool isOneLine(ControlKind k) {
    return k != ControlKind::Frame && k != ControlKind::ListBox && k != ControlKind::HLine;
}

bool isBox(ControlKind k) {
    return k == ControlKind::Edit || k == ControlKind::Button || k == ControlKind::CheckBox;
}

}  // namespace

std::vector<Cells> layoutControls(const std::vector<ControlSpec>& controls) {
    std::vector<Cells> out(controls.size());
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const ControlSpec& c = controls[i];
        Cells& r = out[i];
        r.col = colsFromUnits(std::max(0, c.x));
        r.cols = std::max(1, colsFromUnits(std::max(0, c.x + c.width)) - r.col);
        if (isOneLine(c.kind) || c.kind == ControlKind::HLine) {
            r.row = centreRow(c);
            r.rows = 1;
        } else {
            r.row = roundRow(std::max(0, c.y));
            r.rows = std::max(1, roundRow(std::max(0, c.y + c.height)) - r.row);
        }
    }
    // Labels beside a box share its row: their dialog-unit tops are usually two units lower
    // than the box's (text centred on the box), which can fall on the next character row.
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const ControlSpec& l = controls[i];
        if (l.kind != ControlKind::Label) continue;
        const int centre2 = 2 * l.y + l.height;
        // Of the boxes level with the label, the nearest one beside it.
        int best = -1;
        int bestGap = 0, bestDistance = 0;
        for (std::size_t j = 0; j < controls.size(); ++j) {
            const ControlSpec& b = controls[j];
            if (!isBox(b.kind) || b.height > 16) continue;
            if (centre2 < 2 * b.y || centre2 >= 2 * (b.y + b.height)) continue;
            const int gap = std::max({0, b.x - (l.x + l.width), l.x - (b.x + b.width)});
            const int distance = std::abs(centre2 - (2 * b.y + b.height));
            if (best < 0 || gap < bestGap || (gap == bestGap && distance < bestDistance)) {
                best = static_cast<int>(j);
                bestGap = gap;
                bestDistance = distance;
            }
        }
        if (best >= 0) out[i].row = out[static_cast<std::size_t>(best)].row;
    }
    // A separating line squeezed between two rows of boxes has no row of its own.
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i].kind != ControlKind::HLine) continue;
        for (std::size_t j = 0; j < controls.size(); ++j) {
            if (j == i || !isOneLine(controls[j].kind)) continue;
            const Cells& o = out[j];
            const Cells& h = out[i];
            if (o.row == h.row && o.col < h.col + h.cols && h.col < o.col + o.cols) {
                out[i].cols = 0;
                break;
            }
        }
    }
    return out;
}

DialogFrame placeDialog(const DialogTemplate& tpl, bool hasMenu, int screenCols, int screenRows) {
    DialogFrame f;
    f.clientCols = std::max(1, (std::max(0, tpl.width) + 3) / 4);
    f.clientRows = std::max(1, rowsFromUnits(tpl.height));
    f.outer.cols = f.clientCols + 2;
    f.outer.rows = f.clientRows + 2 + (hasMenu ? 1 : 0);
    f.fits = f.outer.cols <= screenCols && f.outer.rows <= screenRows;
    if (tpl.centred) {
        f.outer.col = std::max(0, (screenCols - f.outer.cols) / 2);
        f.outer.row = std::max(0, (screenRows - f.outer.rows) / 2);
    } else {
        f.outer.col = colsFromUnits(std::max(0, tpl.x));
        f.outer.row = roundRow(std::max(0, tpl.y));
        if (f.outer.col + f.outer.cols > screenCols) f.outer.col = std::max(0, screenCols - f.outer.cols);
        if (f.outer.row + f.outer.rows > screenRows) f.outer.row = std::max(0, screenRows - f.outer.rows);
    }
    f.menuRow = hasMenu ? f.outer.row + 1 : -1;
    f.clientCol = f.outer.col + 1;
    f.clientRow = f.outer.row + 1 + (hasMenu ? 1 : 0);
    return f;
}

std::string tooSmallText(int needCols, int needRows, int haveCols, int haveRows) {
    return "Terminal too small: need " + std::to_string(needCols) + "x" + std::to_string(needRows) +
           ", have " + std::to_string(haveCols) + "x" + std::to_string(haveRows) +
           " - enlarge the window or press Esc";
}

std::string clipText(const std::string& text, int from, int width) {
    if (width <= 0) return {};
    std::string out;
    if (from < static_cast<int>(text.size()) && from >= 0)
        out = text.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(width));
    out.resize(static_cast<std::size_t>(width), ' ');
    return out;
}

// ---- tab order --------------------------------------------------------------------------------

bool isFocusable(ControlKind kind) {
    return kind == ControlKind::Edit || kind == ControlKind::Button || kind == ControlKind::CheckBox ||
           kind == ControlKind::ListBox || kind == ControlKind::BitmapButton;
}

int nextFocus(const std::vector<ControlSpec>& controls, int current, bool backwards,
              const std::function<bool(int)>& enabled) {
    std::vector<int> order;
    for (const ControlSpec& c : controls)
        if (isFocusable(c.kind) && enabled(c.id) &&
            std::find(order.begin(), order.end(), c.id) == order.end())
            order.push_back(c.id);
    if (order.empty()) return 0;
    const auto it = std::find(order.begin(), order.end(), current);
    const int n = static_cast<int>(order.size());
    if (it == order.end()) return backwards ? order.back() : order.front();
    const int i = static_cast<int>(it - order.begin());
    return order[static_cast<std::size_t>((i + (backwards ? n - 1 : 1)) % n)];
}

// ---- edit boxes -------------------------------------------------------------------------------

bool applyEditKey(EditState& st, const KeyEvent& key, bool upperCase) {
    const int size = static_cast<int>(st.text.size());
    st.cursor = std::clamp(st.cursor, 0, size);
    const bool replacing = st.selectAll && size > 0;
    switch (key.key) {
        case Key::Char: {
            char ch = static_cast<char>(key.ch);
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

// ---- message boxes ----------------------------------------------------------------------------

namespace {

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string cur;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            lines.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty() || lines.empty()) lines.push_back(cur);
    return lines;
}

std::string rightTrimmed(const std::string& s) {
    std::size_t end = s.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : s.substr(0, end + 1);
}

std::string expandTabs(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '\t') {
            do out += ' ';
            while (out.size() % 8 != 0);
        } else if (static_cast<unsigned char>(c) < 32) {
            out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

// One line wrapped at blanks; continuation lines keep the line's indentation.
void wrapInto(std::vector<std::string>& out, const std::string& line, int width) {
    std::string rest = rightTrimmed(line);
    if (width <= 0) {
        out.push_back(rest);
        return;
    }
    if (static_cast<int>(rest.size()) <= width) {
        out.push_back(rest);
        return;
    }
    const std::size_t indentSize = std::min(rest.find_first_not_of(' '), static_cast<std::size_t>(width / 2));
    const std::string indent(indentSize, ' ');
    bool first = true;
    while (!rest.empty()) {
        std::string head = first ? std::string() : indent;
        const int room = width - static_cast<int>(head.size());
        if (static_cast<int>(rest.size()) <= room) {
            out.push_back(head + rest);
            break;
        }
        std::size_t cut = rest.rfind(' ', static_cast<std::size_t>(room));
        if (cut == std::string::npos || cut == 0 || cut <= rest.find_first_not_of(' '))
            cut = static_cast<std::size_t>(room);
        out.push_back(head + rightTrimmed(rest.substr(0, cut)));
        std::size_t next = rest.find_first_not_of(' ', cut);
        rest = next == std::string::npos ? std::string() : rest.substr(next);
        first = false;
    }
}

}  // namespace

MessageLayout layoutMessage(const std::string& text, const std::string& title, MsgIcon icon,
                            MsgButtons buttons, int screenCols) {
    MessageLayout box;
    box.title = title;
    switch (icon) {
        case MsgIcon::Error: box.mark = "(X)"; break;
        case MsgIcon::Information: box.mark = "(i)"; break;
        case MsgIcon::Question: box.mark = "(?)"; break;
        case MsgIcon::None: break;
    }
    switch (buttons) {
        case MsgButtons::Ok:
            box.buttons = {"&OK"};
            box.results = {MsgResult::Ok};
            break;
        case MsgButtons::OkCancel:
            box.buttons = {"&OK", "&Cancel"};
            box.results = {MsgResult::Ok, MsgResult::Cancel};
            break;
        case MsgButtons::YesNo:
            box.buttons = {"&Yes", "&No"};
            box.results = {MsgResult::Yes, MsgResult::No};
            break;
    }
    const int markWidth = box.mark.empty() ? 0 : static_cast<int>(box.mark.size()) + 2;
    // Border and one blank each side.
    const int maxText = std::max(10, screenCols - 4 - markWidth);
    std::vector<std::string> raw = splitLines(text);
    for (const std::string& l : raw) wrapInto(box.lines, expandTabs(l), maxText);
    int textWidth = 0;
    for (const std::string& l : box.lines) textWidth = std::max(textWidth, static_cast<int>(l.size()));
    int buttonsWidth = 0;
    for (const std::string& b : box.buttons)
        buttonsWidth += static_cast<int>(parseCaption(b).text.size()) + 4 + (buttonsWidth ? 2 : 0);
    const int inner = std::max({textWidth + markWidth, buttonsWidth, static_cast<int>(title.size()) + 4});
    box.cols = inner + 4;
    box.rows = static_cast<int>(box.lines.size()) + 5;
    return box;
}

std::optional<MsgResult> messageKey(const MessageLayout& box, int& focus, const KeyEvent& key) {
    const int n = static_cast<int>(box.results.size());
    if (n == 0) return std::nullopt;
    focus = std::clamp(focus, 0, n - 1);
    switch (key.key) {
        case Key::Tab:
        case Key::Right:
        case Key::Down:
            focus = (focus + 1) % n;
            return std::nullopt;
        case Key::BackTab:
        case Key::Left:
        case Key::Up:
            focus = (focus + n - 1) % n;
            return std::nullopt;
        case Key::Enter:
            return box.results[static_cast<std::size_t>(focus)];
        case Key::Esc:
            return box.results.back();
        case Key::Char:
            if (key.ch == ' ') return box.results[static_cast<std::size_t>(focus)];
            [[fallthrough]];
        case Key::Alt:
            for (int i = 0; i < n; ++i)
                if (mnemonic(box.buttons[static_cast<std::size_t>(i)]) == lower(key.ch)) {
                    focus = i;
                    return box.results[static_cast<std::size_t>(i)];
                }
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

// ---- help viewer ------------------------------------------------------------------------------

std::optional<HelpRequest> parseHelpCommand(const std::string& commandLine) {
    std::vector<std::string> words;
    std::string cur;
    for (char c : commandLine) {
        if (c == ' ' || c == '\t') {
            if (!cur.empty()) words.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) words.push_back(cur);
    if (words.empty()) return std::nullopt;
    std::string program = lowerText(words[0]);
    const std::size_t slash = program.find_last_of("/\\");
    if (slash != std::string::npos) program = program.substr(slash + 1);
    if (program != "winhlp32" && program != "winhlp32.exe") return std::nullopt;
    HelpRequest req;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (w.size() >= 2 && (w[0] == '-' || w[0] == '/')) {
            if ((w[1] == 'I' || w[1] == 'i') && w.size() == 2) {
                if (i + 1 < words.size()) req.topic = words[++i];
            } else if (w[1] == 'I' || w[1] == 'i') {
                req.topic = w.substr(2);
            }
            continue;
        }
        req.file = w;
    }
    return req;
}

std::string helpTextName(const std::string& helpFile) {
    std::string name = helpFile;
    const std::size_t slash = name.find_last_of("/\\");
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        if (lowerText(name.substr(dot)) == ".hlp") return name.substr(0, dot) + ".txt";
        return name;
    }
    return name + ".txt";
}

std::vector<std::string> helpSearchDirs(const std::string& currentDir, const std::string& dataDirEnv,
                                        const std::string& moduleDir, const std::string& installDir) {
    std::vector<std::string> dirs;
    for (const std::string& d : {currentDir, dataDirEnv, moduleDir, installDir})
        if (!d.empty() && std::find(dirs.begin(), dirs.end(), d) == dirs.end()) dirs.push_back(d);
    return dirs;
}

std::vector<std::string> helpTopicLines(const std::string& fileText, const std::string& topic,
                                        bool* found) {
    const std::vector<std::string> lines = splitLines(fileText);
    std::vector<std::string> all, chosen;
    bool inTopic = false, seen = false;
    const std::string wanted = lowerText(topic);
    for (const std::string& l : lines) {
        if (l.rfind("@topic", 0) == 0) {
            std::string name = l.substr(6);
            const std::size_t a = name.find_first_not_of(" \t");
            const std::size_t b = name.find_last_not_of(" \t");
            name = a == std::string::npos ? std::string() : name.substr(a, b - a + 1);
            inTopic = !wanted.empty() && lowerText(name) == wanted;
            seen = seen || inTopic;
            continue;
        }
        all.push_back(l);
        if (inTopic) chosen.push_back(l);
    }
    if (found) *found = seen;
    std::vector<std::string>& out = seen ? chosen : all;
    while (!out.empty() && rightTrimmed(out.front()).empty()) out.erase(out.begin());
    while (!out.empty() && rightTrimmed(out.back()).empty()) out.pop_back();
    return out;
}

std::vector<std::string> wrapLines(const std::vector<std::string>& lines, int width) {
    std::vector<std::string> out;
    for (const std::string& l : lines) wrapInto(out, expandTabs(l), width);
    return out;
}

int pagerScroll(int top, int lineCount, int visible, Key key) {
    const int page = std::max(1, visible - 1);
    const int last = std::max(0, lineCount - visible);
    switch (key) {
        case Key::Up: top -= 1; break;
        case Key::Down: top += 1; break;
        case Key::PageUp: top -= page; break;
        case Key::PageDown: top += page; break;
        case Key::Home: top = 0; break;
        case Key::End: top = last; break;
        default: break;
    }
    return std::clamp(top, 0, last);
}

// ---- page viewer ------------------------------------------------------------------------------

CellShape cellShape(char32_t c) {
    if (c >= 0x20 && c < 0x7F) return CellShape::Text;
    switch (c) {
        case 0x2500: case 0x2550: return CellShape::HLine;
        case 0x2502: case 0x2551: return CellShape::VLine;
        case 0x250C: return CellShape::ULCorner;
        case 0x2510: return CellShape::URCorner;
        case 0x2514: return CellShape::LLCorner;
        case 0x2518: return CellShape::LRCorner;
        case 0x251C: return CellShape::LTee;
        case 0x2524: return CellShape::RTee;
        case 0x252C: return CellShape::TTee;
        case 0x2534: return CellShape::BTee;
        case 0x253C: return CellShape::Plus;
        case 0x2580: case 0x2584: case 0x2588: case 0x258C: case 0x2590: return CellShape::Solid;
        case 0x2591: case 0x2592: case 0x2593: return CellShape::Shade;
        default: break;
    }
    // The double and mixed lines U+2552..U+256C come in threes, one three per joint shape.
    if (c >= 0x2552 && c <= 0x256C) {
        static const CellShape joints[9] = {CellShape::ULCorner, CellShape::URCorner, CellShape::LLCorner,
                                            CellShape::LRCorner, CellShape::LTee,     CellShape::RTee,
                                            CellShape::TTee,     CellShape::BTee,     CellShape::Plus};
        return joints[(c - 0x2552) / 3];
    }
    return CellShape::Unknown;
}

void clampPageView(PageViewState& s, int pageCount, int rows, int width, int visibleRows, int visibleCols) {
    s.page = std::clamp(s.page, 0, std::max(0, pageCount - 1));
    s.top = std::clamp(s.top, 0, std::max(0, rows - visibleRows));
    s.left = std::clamp(s.left, 0, std::max(0, width - visibleCols));
}

bool pageViewKey(PageViewState& s, int pageCount, int rows, int width, int visibleRows, int visibleCols,
                 const KeyEvent& key) {
    const int page = s.page;
    const char ch = key.key == Key::Char ? key.ch : 0;
    if (key.key == Key::Esc || ch == 'q' || ch == 'Q') return false;
    if (key.key == Key::Up) s.top -= 1;
    else if (key.key == Key::Down || key.key == Key::Enter) s.top += 1;
    else if (key.key == Key::Left) s.left -= 8;
    else if (key.key == Key::Right) s.left += 8;
    else if (key.key == Key::PageDown || ch == ' ' || ch == 'n') s.page += 1;
    else if (key.key == Key::PageUp || ch == 'b' || ch == 'p') s.page -= 1;
    else if (key.key == Key::Home || ch == 'g') s.page = 0;
    else if (key.key == Key::End || ch == 'G') s.page = pageCount - 1;
    clampPageView(s, pageCount, rows, width, visibleRows, visibleCols);
    if (s.page != page) s.top = 0;
    return true;
}

}  // namespace platform::term

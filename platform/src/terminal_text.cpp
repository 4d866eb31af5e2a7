// Texts the terminal shows in boxes of its own: message boxes and the help viewer.
#include <algorithm>

#include "terminal_ui.h"

namespace platform::term {

// ---- message boxes ----------------------------------------------------------------------------

namespace {

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
    std::string rest = shownText(line);
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
        out.push_back(head + shownText(rest.substr(0, cut)));
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
        case MsgButtons::YesNoCancel:
            box.buttons = {"&Yes", "&No", "&Cancel"};
            box.results = {MsgResult::Yes, MsgResult::No, MsgResult::Cancel};
            break;
    }
    const int markWidth = box.mark.empty() ? 0 : static_cast<int>(box.mark.size()) + 2;
    // Border and one blank each side.
    const int maxText = std::max(10, screenCols - 4 - markWidth);
    std::vector<std::string> raw = splitTextLines(text);
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

}  // namespace platform::term

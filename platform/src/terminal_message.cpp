#include "terminal_message.h"

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "platform/files.h"
#include "platform/process.h"

namespace platform::term {

namespace {

#ifdef DP_HELP_INSTALL_DIR
constexpr const char* kHelpInstallDir = DP_HELP_INSTALL_DIR;
#else
constexpr const char* kHelpInstallDir = "";
#endif

MessageLayout layoutFor(const MessageView& mv, int screenCols) {
    return layoutMessage(mv.text, mv.title, mv.icon, mv.buttons, screenCols);
}

int buttonsWidth(const MessageLayout& box) {
    int width = 0;
    for (const std::string& b : box.buttons) width += static_cast<int>(parseCaption(b).text.size()) + 4 + (width ? 2 : 0);
    return width;
}

void drawButtons(Screen& s, const MessageLayout& box, int focus, int row, int col) {
    int bc = col + (box.cols - buttonsWidth(box)) / 2;
    for (std::size_t i = 0; i < box.buttons.size(); ++i) {
        const Caption cap = parseCaption(box.buttons[i]);
        const bool focused = static_cast<int>(i) == focus;
        const unsigned attr = focused ? (Reverse | Bold) : Normal;
        s.put(row, bc, "< " + cap.text + " >", attr);
        s.addZone({Zone::MessageButton, row, bc, 1, static_cast<int>(cap.text.size()) + 4, 0, static_cast<int>(i), 0});
        s.putCaption(row, bc + 2, cap, attr, true);
        if (focused) s.cursorAt(row, bc + 2);
        bc += static_cast<int>(cap.text.size()) + 6;
    }
}

std::string moduleDirectory() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&helpPager), &info) == 0 || !info.dli_fname) return {};
    std::string path = info.dli_fname;
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string currentDirectory() {
    char cwd[4096];
    return ::getcwd(cwd, sizeof cwd) ? std::string(cwd) : std::string(".");
}

// The pager's own keys: Space and b page, g and G go to the ends, Enter a line down.
Key pagerMove(const KeyEvent& key) {
    if (key.key == Key::Enter) return Key::Down;
    if (key.key != Key::Char) return key.key;
    switch (key.ch) {
        case ' ': return Key::PageDown;
        case 'b': return Key::PageUp;
        case 'g': return Key::Home;
        case 'G': return Key::End;
        default: return Key::None;
    }
}

}  // namespace

void drawMessage(Screen& s, MessageView& mv) {
    const int cols = s.cols(), rows = s.rows() - 1;
    const MessageLayout box = layoutFor(mv, cols);
    if (box.cols > cols || box.rows > rows) {
        s.tooSmall(box.title, box.cols, box.rows + 1);
        return;
    }
    const int row = (rows - box.rows) / 2, col = (cols - box.cols) / 2;
    s.blank(row, col, box.rows, box.cols);
    s.box(row, col, box.rows, box.cols, Bold);
    ClipGuard clip(s, {row, col, row + box.rows, col + box.cols - 1});
    const std::string title = " " + box.title + " ";
    if (!box.title.empty())
        s.put(row, col + std::max(1, (box.cols - static_cast<int>(title.size())) / 2), title, Bold | Reverse);
    const int markWidth = box.mark.empty() ? 0 : static_cast<int>(box.mark.size()) + 2;
    if (!box.mark.empty()) s.put(row + 2, col + 2, box.mark, Bold);
    for (std::size_t i = 0; i < box.lines.size(); ++i) s.put(row + 2 + static_cast<int>(i), col + 2 + markWidth, box.lines[i]);
    drawButtons(s, box, mv.focus, row + box.rows - 2, col);
}

std::optional<MsgResult> messageInput(MessageView& mv, const KeyEvent& key, const std::vector<Zone>& zones,
                                      int screenCols) {
    const MessageLayout box = layoutFor(mv, screenCols);
    if (key.key != Key::Click) return messageKey(box, mv.focus, key);
    const Zone* z = zoneAt(zones, key.row, key.col);
    if (z && z->kind == Zone::MessageButton && z->index < static_cast<int>(box.results.size()))
        return box.results[static_cast<std::size_t>(z->index)];
    return std::nullopt;
}

std::string messageHints(const MessageView& mv, int width) {
    return messageKeyLine(layoutFor(mv, width).buttons, width, !sessionHelp().empty());
}

Pager helpPager(const HelpRequest& req) {
    const char* env = std::getenv("DP_DATA_DIR");
    const HelpText text =
        findHelpText(req, helpSearchDirs(currentDirectory(), env ? env : "", moduleDirectory(), kHelpInstallDir));
    Pager p{text.title, text.lines, 0};
    if (!text.found) p.lines.insert(p.lines.end(), {"", "Press q or Esc to return."});
    return p;
}

void drawPager(Screen& s, Pager& p) {
    const int cols = s.cols(), rows = s.rows();
    s.blank(0, 0, rows, cols);
    const std::vector<std::string> lines = wrapLines(p.lines, std::max(10, cols - 2));
    const int visible = std::max(1, rows - 2);
    p.top = pagerScroll(p.top, static_cast<int>(lines.size()), visible, Key::None);
    std::string head = " " + p.title;
    head.resize(static_cast<std::size_t>(std::max(0, cols)), ' ');
    s.put(0, 0, head, Reverse | Bold);
    for (int i = 0; i < visible && p.top + i < static_cast<int>(lines.size()); ++i)
        s.put(1 + i, 1, lines[static_cast<std::size_t>(p.top + i)]);
    const int last = std::min(static_cast<int>(lines.size()), p.top + visible);
    const std::string where = "Lines " + std::to_string(lines.empty() ? 0 : p.top + 1) + "-" + std::to_string(last) +
                              " of " + std::to_string(lines.size());
    std::string foot = " " + fitKeyItems({{where, "", 1},
                                          {"Up/Down, PgUp/PgDn, Space scroll", "PgUp/PgDn scroll", 2},
                                          {"q or Esc closes", "q/Esc close", 0}},
                                         cols - 2);
    foot.resize(static_cast<std::size_t>(std::max(0, cols)), ' ');
    s.put(rows - 1, 0, foot, Reverse);
    s.cursorAt(-1, -1);
}

bool pagerKey(Pager& p, KeyEvent key, int screenCols, int screenRows) {
    if (key.key == Key::Esc || (key.key == Key::Char && (key.ch == 'q' || key.ch == 'Q'))) return false;
    const int count = static_cast<int>(wrapLines(p.lines, std::max(10, screenCols - 2)).size());
    p.top = pagerScroll(p.top, count, std::max(1, screenRows - 2), pagerMove(key));
    return true;
}

}  // namespace platform::term

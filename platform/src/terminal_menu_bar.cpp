#include "terminal_menu_bar.h"

#include <algorithm>

namespace platform::term {

namespace {

void drawTitles(Screen& s, const Dialog& d, const MenuCursor& cursor, const DialogFrame& f, bool top) {
    const auto& menus = d.menuBar();
    const std::vector<int> offsets = menuTitleOffsets(menus);
    ClipGuard clip(s, {f.menuRow, f.outer.col + 1, f.menuRow + 1, f.outer.col + f.outer.cols - 1});
    for (std::size_t i = 0; i < menus.size(); ++i) {
        const Caption cap = parseCaption(menus[i].title);
        const bool open = top && cursor.menu == static_cast<int>(i);
        const unsigned attr = open ? Reverse : Normal;
        const int col = f.clientCol + offsets[i] - 1;
        s.put(f.menuRow, col, " " + cap.text + " ", attr);
        if (top) s.addZone({Zone::MenuTitle, f.menuRow, col, 1, static_cast<int>(cap.text.size()) + 2, 0, static_cast<int>(i), 0});
        s.putCaption(f.menuRow, col + 1, cap, attr, true);
    }
}

void drawEntry(Screen& s, const Dialog& d, const MenuEntry& e, int row, int col, int width, bool current) {
    const bool enabled = d.menuEnabled(e.id);
    unsigned attr = enabled ? Normal : Dim;
    if (current) attr |= Reverse;
    const Caption cap = parseCaption(e.text);
    s.put(row, col, std::string(static_cast<std::size_t>(width), ' '), attr);
    // A grayed entry is shown in parentheses where the terminal cannot dim.
    if (!enabled && !s.canDim()) s.put(row, col, "(" + cap.text + ")", attr);
    else s.putCaption(row, col + 1, cap, attr, enabled);
    if (current) s.cursorAt(row, col);
}

// The open menu, a box under its title (kept on the screen).
void drawOpenMenu(Screen& s, const Dialog& d, const MenuCursor& cursor, const DialogFrame& f) {
    const Menu& m = d.menuBar()[static_cast<std::size_t>(cursor.menu)];
    int width = 0;
    for (const MenuEntry& e : m.entries) width = std::max(width, static_cast<int>(parseCaption(e.text).text.size()));
    const int boxCols = width + 4, boxRows = static_cast<int>(m.entries.size()) + 2;
    const int offset = menuTitleOffsets(d.menuBar())[static_cast<std::size_t>(cursor.menu)];
    const int col = std::max(0, std::min(f.clientCol + offset - 1, s.cols() - boxCols));
    const int row = f.menuRow + 1;
    s.blank(row, col, boxRows, boxCols);
    s.box(row, col, boxRows, boxCols);
    for (std::size_t i = 0; i < m.entries.size(); ++i) {
        const int r = row + 1 + static_cast<int>(i);
        if (isSeparator(m.entries[i])) {
            s.boxSeparator(r, col, boxCols);
            continue;
        }
        s.addZone({Zone::MenuEntry, r, col + 1, 1, boxCols - 2, 0, static_cast<int>(i), 0});
        drawEntry(s, d, m.entries[i], r, col + 1, boxCols - 2, cursor.entry == static_cast<int>(i));
    }
}

}  // namespace

void drawMenuBar(Screen& s, const Dialog& d, const MenuCursor& cursor, const DialogFrame& f, bool top) {
    drawTitles(s, d, cursor, f, top);
    if (top && cursor.open() && cursor.menu < static_cast<int>(d.menuBar().size())) drawOpenMenu(s, d, cursor, f);
}

void menuBarKey(Dialog& d, MenuCursor& cursor, const KeyEvent& key) {
    const MenuOutcome out = menuKey(d.menuBar(), cursor, key, [&](int id) { return d.menuEnabled(id); });
    if (out.kind == MenuOutcome::Chosen) d.dispatch({EventKind::Command, out.id});
}

bool menuBarClick(Dialog& d, MenuCursor& cursor, const Zone* z) {
    if (!z || (z->kind != Zone::MenuTitle && z->kind != Zone::MenuEntry)) return false;
    if (z->kind == Zone::MenuTitle) {
        cursor = cursor.menu == z->index ? MenuCursor{} : openMenu(d.menuBar(), z->index);
        return true;
    }
    if (cursor.menu < 0 || cursor.menu >= static_cast<int>(d.menuBar().size())) return true;
    const Menu& m = d.menuBar()[static_cast<std::size_t>(cursor.menu)];
    if (z->index < 0 || z->index >= static_cast<int>(m.entries.size())) return true;
    const MenuEntry& e = m.entries[static_cast<std::size_t>(z->index)];
    if (isSeparator(e) || !d.menuEnabled(e.id)) return true;
    cursor = MenuCursor{};
    d.dispatch({EventKind::Command, e.id});
    return true;
}

}  // namespace platform::term

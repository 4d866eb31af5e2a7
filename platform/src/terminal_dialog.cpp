#include "terminal_dialog.h"

#include <algorithm>

#include "terminal_menu_bar.h"

namespace platform::term {

namespace {

// A control where it is drawn this time.
struct Placed {
    const ControlSpec& c;
    Cells cells;       // client cells
    int row = 0;       // screen cell of its top left corner
    int col = 0;
    bool enabled = true;
    bool focused = false;
    bool top = false;  // in the window the keys go to
};

bool listHasBorder(const ControlSpec& c, const Cells& cells) {
    return (c.style & StyleSunken) != 0 && cells.rows >= 3 && cells.cols >= 3;
}

Rect viewRect(const DialogFrame& f) {
    return {f.clientRow, f.clientCol, f.clientRow + f.viewRows, f.clientCol + f.viewCols};
}

// Frames and lines first, then texts, then the controls a user works with.
int passOf(ControlKind k) {
    if (k == ControlKind::Frame || k == ControlKind::HLine) return 0;
    if (k == ControlKind::Label || k == ControlKind::Icon) return 1;
    return 2;
}

unsigned fieldAttr(const Placed& p) {
    unsigned attr = p.enabled ? Normal : Dim;
    return p.focused ? attr | Bold : attr;
}

unsigned pressableAttr(const Placed& p) {
    if (!p.enabled) return Dim;
    return p.focused ? Reverse | Bold : Normal;
}

void drawFrame(Screen& s, const Placed& p) {
    s.box(p.row, p.col, p.cells.rows, p.cells.cols);
    if (p.c.text.empty()) return;
    ClipGuard clip(s, {p.row, p.col, p.row + 1, p.col + p.cells.cols - 1});
    s.putCaption(p.row, p.col + 2, parseCaption(" " + p.c.text + " "), Normal, false);
}

void drawLabel(Screen& s, const Placed& p) {
    unsigned attr = (p.c.style & StyleTitleFont) ? Bold : Normal;
    if (!p.enabled) attr |= Dim;
    s.putCaption(p.row, p.col, parseCaption(p.c.text), attr, p.enabled);
}

// An edit box: "[text____]", the text from its start unless the box has the focus; blanks past
// the end show as underscores in a box that takes input; a selected text in reverse.
void drawEdit(Screen& s, const Dialog& d, DialogView& view, const Placed& p) {
    const int width = std::max(1, p.cells.cols - 2);
    EditState& st = view.edits[p.c.id];
    syncEdit(st, d.text(p.c.id));
    if (p.focused) {
        scrollEditToCursor(st, width);
    } else {
        st.selectAll = false;
        st.scroll = 0;
    }
    const std::string shown = clipText(st.text, st.scroll, width);
    std::string field = shown;
    const int textEnd = static_cast<int>(st.text.size()) - st.scroll;
    for (int i = std::max(0, textEnd); i < width; ++i) field[static_cast<std::size_t>(i)] = p.enabled ? '_' : ' ';
    const unsigned attr = fieldAttr(p);
    s.put(p.row, p.col, "[" + field + "]", attr);
    if (p.focused && st.selectAll && textEnd > 0)
        s.put(p.row, p.col + 1, shown.substr(0, static_cast<std::size_t>(std::min(textEnd, width))), attr | Reverse);
    if (p.top && p.enabled)
        s.addZone({Zone::Control, p.row, p.col, 1, std::max(3, p.cells.cols), p.c.id, 0, p.col + 1 - st.scroll});
    if (p.focused) s.cursorAt(p.row, p.col + 1 + (st.selectAll ? 0 : st.cursor - st.scroll));
}

void drawButton(Screen& s, const Placed& p, const Caption& cap) {
    const int len = static_cast<int>(cap.text.size());
    const int inner = std::max(p.cells.cols - 2, len + 2);
    const int pad = std::max(0, (inner - len) / 2);
    const unsigned attr = pressableAttr(p);
    const char open = p.enabled ? '<' : ' ', close = p.enabled ? '>' : ' ';
    s.put(p.row, p.col, open + std::string(static_cast<std::size_t>(inner), ' ') + close, attr);
    s.putCaption(p.row, p.col + 1 + pad, cap, attr, p.enabled);
    if (p.focused) s.cursorAt(p.row, p.col + 1 + pad);
}

void drawCheckBox(Screen& s, const Dialog& d, const Placed& p) {
    s.put(p.row, p.col, d.isChecked(p.c.id) ? "[X]" : "[ ]", pressableAttr(p));
    s.putCaption(p.row, p.col + 4, parseCaption(p.c.text), p.enabled ? Normal : Dim, p.enabled);
    if (p.focused) s.cursorAt(p.row, p.col + 1);
}

void drawListLines(Screen& s, const Dialog& d, DialogView& view, const Placed& p, Rect inner) {
    const std::vector<std::string> lines = d.listLines(p.c.id);
    const int count = static_cast<int>(lines.size());
    const int visible = inner.bottom - inner.top, width = inner.right - inner.left;
    // Without a selection the focused list highlights its first line: the one Enter chooses.
    const int sel = d.listSelection(p.c.id) >= 0 ? d.listSelection(p.c.id) : (p.focused && count > 0 ? 0 : -1);
    int& topLine = view.listTop[p.c.id];
    topLine = scrollListTo(topLine, sel, count, visible);
    const int left = view.listLeft[p.c.id];
    for (int i = 0; i < visible; ++i) {
        const int n = topLine + i;
        const std::string text = n < count ? clipText(lines[static_cast<std::size_t>(n)], left, width)
                                           : std::string(static_cast<std::size_t>(width), ' ');
        unsigned attr = Normal;
        if (n == sel) attr = p.focused ? (Reverse | Bold) : Reverse;
        s.put(inner.top + i, inner.left, text, attr);
        if (n == sel && p.focused) s.cursorAt(inner.top + i, inner.left);
    }
    if (p.focused && sel < 0 && visible > 0) s.cursorAt(inner.top, inner.left);
}

// A list box: its lines in a box with "^" and "v" on the border while lines lie hidden.
void drawList(Screen& s, const Dialog& d, DialogView& view, const Placed& p) {
    const bool border = listHasBorder(p.c, p.cells);
    const int b = border ? 1 : 0;
    if (border) s.box(p.row, p.col, p.cells.rows, p.cells.cols, p.focused ? Bold : Normal);
    const Rect inner{p.row + b, p.col + b, p.row + p.cells.rows - b, p.col + p.cells.cols - b};
    {
        ClipGuard clip(s, inner);
        drawListLines(s, d, view, p, inner);
    }
    const int topLine = view.listTop[p.c.id];
    if (border && topLine > 0) s.put(p.row, p.col + p.cells.cols - 2, "^", Bold);
    if (border && topLine + (inner.bottom - inner.top) < static_cast<int>(d.listLines(p.c.id).size()))
        s.put(p.row + p.cells.rows - 1, p.col + p.cells.cols - 2, "v", Bold);
    if (p.top && p.enabled)
        s.addZone({Zone::Control, p.row, p.col, p.cells.rows, p.cells.cols, p.c.id, 0, topLine - inner.top});
}

void drawControl(Screen& s, const Dialog& d, DialogView& view, const Placed& p) {
    switch (p.c.kind) {
        case ControlKind::Frame: drawFrame(s, p); break;
        case ControlKind::HLine: s.hline(p.row, p.col, p.cells.cols); break;
        case ControlKind::Label: drawLabel(s, p); break;
        case ControlKind::Icon: break;
        case ControlKind::Edit: drawEdit(s, d, view, p); break;
        case ControlKind::Button: drawButton(s, p, parseCaption(p.c.text)); break;
        case ControlKind::CheckBox: drawCheckBox(s, d, p); break;
        // A picture the terminal cannot show: a button of its words.
        case ControlKind::BitmapButton: drawButton(s, p, Caption{bitmapCaption(p.c), -1}); break;
        case ControlKind::ListBox: drawList(s, d, view, p); break;
    }
    const bool pressable = p.c.kind == ControlKind::Button || p.c.kind == ControlKind::CheckBox ||
                           p.c.kind == ControlKind::BitmapButton;
    if (p.top && p.enabled && pressable) s.addZone({Zone::Control, p.row, p.col, 1, p.cells.cols, p.c.id, 0, 0});
}

void drawControls(Screen& s, const Dialog& d, DialogView& view, bool top) {
    const auto& cs = d.controls();
    const DialogFrame& f = view.frame;
    const int focus = top ? d.focus() : 0;
    for (int pass = 0; pass < 3; ++pass) {
        for (std::size_t i = 0; i < cs.size() && i < view.layout.cells.size(); ++i) {
            const Cells& cells = view.layout.cells[i];
            if (cells.empty() || passOf(cs[i].kind) != pass) continue;
            Placed p{cs[i], cells};
            p.row = f.clientRow + cells.row - view.scroll.row;
            p.col = f.clientCol + cells.col - view.scroll.col;
            p.enabled = d.isEnabled(cs[i].id);
            p.focused = focus != 0 && cs[i].id == focus && isFocusable(cs[i].kind);
            p.top = top;
            drawControl(s, d, view, p);
        }
    }
}

// Marks on the border where the dialog goes on beyond the view.
void drawScrollMarks(Screen& s, const DialogView& view) {
    const DialogFrame& f = view.frame;
    if (!f.scrolls) return;
    const int right = f.outer.col + f.outer.cols - 1, bottom = f.outer.row + f.outer.rows - 1;
    const int middle = f.clientRow + f.viewRows / 2;
    if (view.scroll.row > 0) s.put(f.outer.row, right - 9, " ^ more ", Bold | Reverse);
    if (view.scroll.row + f.viewRows < view.layout.rows) s.put(bottom, right - 9, " v more ", Bold | Reverse);
    if (view.scroll.col > 0) s.put(middle, f.outer.col, "<", Bold | Reverse);
    if (view.scroll.col + f.viewCols < view.layout.cols) s.put(middle, right, ">", Bold | Reverse);
}

void drawWindow(Screen& s, const Dialog& d, const DialogView& view, bool top) {
    const Cells& o = view.frame.outer;
    s.blank(o.row, o.col, o.rows, o.cols);
    s.box(o.row, o.col, o.rows, o.cols, top ? Bold : Normal);
    std::string caption = " " + d.caption() + " ";
    if (static_cast<int>(caption.size()) > o.cols - 4) caption.resize(static_cast<std::size_t>(std::max(0, o.cols - 4)));
    const int at = o.col + std::max(1, (o.cols - static_cast<int>(caption.size())) / 2);
    s.put(o.row, at, caption, top ? (Bold | Reverse) : Bold);
    drawScrollMarks(s, view);
}

}  // namespace

void placeView(const Dialog& d, DialogView& view, int screenCols, int screenRows) {
    const bool menu = !d.menuBar().empty();
    const DialogTemplate& t = d.layout();
    view.layout = fitLayout(d.controls(), t.width, t.height, clientColsFor(screenCols), clientRowsFor(screenRows, menu));
    view.frame = placeDialog(t, view.layout, menu, screenCols, screenRows);
    view.scroll = followFocus(view.scroll, cellsOf(d, view, d.focus()), view.layout, view.frame.viewCols,
                              view.frame.viewRows);
}

Cells cellsOf(const Dialog& d, const DialogView& view, int id) {
    const auto& cs = d.controls();
    for (std::size_t i = 0; i < cs.size() && i < view.layout.cells.size(); ++i)
        if (cs[i].id == id && id != 0) return view.layout.cells[i];
    return {};
}

int listVisibleRows(const Dialog& d, const DialogView& view, int id) {
    const auto& cs = d.controls();
    for (std::size_t i = 0; i < cs.size() && i < view.layout.cells.size(); ++i)
        if (cs[i].id == id) {
            const Cells& c = view.layout.cells[i];
            return std::max(1, std::min(c.rows, view.frame.viewRows) - (listHasBorder(cs[i], c) ? 2 : 0));
        }
    return 1;
}

void drawDialog(Screen& s, const Dialog& d, DialogView& view, bool top) {
    drawWindow(s, d, view, top);
    {
        ClipGuard clip(s, viewRect(view.frame));
        drawControls(s, d, view, top);
    }
    if (!d.menuBar().empty()) drawMenuBar(s, d, view.menu, view.frame, top);
}

}  // namespace platform::term

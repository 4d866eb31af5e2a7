// A dialog on the terminal: what the terminal keeps for it beyond the dialog's own state (the
// edit boxes' cursors, the lists' scrolling, the open menu, the part of it in view), where it
// stands on the screen, and how it is drawn.
#pragma once

#include <map>

#include "platform/dialog.h"
#include "terminal_layout.h"
#include "terminal_screen.h"
#include "terminal_ui.h"

namespace platform::term {

struct DialogView {
    MenuCursor menu;
    std::map<int, EditState> edits;
    std::map<int, int> listTop;
    std::map<int, int> listLeft;
    int lastFocus = 0;         // the control that had the focus when the dialog last settled
    Scroll scroll;             // the first row and column of the client area in view
    DialogLayout layout;       // as last placed
    DialogFrame frame;
};

// Lays the dialog out for the screen and moves the view to its focused control.
void placeView(const Dialog& d, DialogView& view, int screenCols, int screenRows);
// The cells of control id in the view's layout (empty when it has none).
Cells cellsOf(const Dialog& d, const DialogView& view, int id);
// The lines a list box shows at once.
int listVisibleRows(const Dialog& d, const DialogView& view, int id);
// Draws a placed dialog; `top` when it is the window the keys go to.
void drawDialog(Screen& screen, const Dialog& d, DialogView& view, bool top);

}  // namespace platform::term

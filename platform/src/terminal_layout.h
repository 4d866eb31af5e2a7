// Where a dialog's controls fall on the character grid. Dialogs are designed in dialog units;
// at their designed size a column is 4 units and a row 8. A smaller terminal gets the same
// dialog squeezed (more units to a cell), every control still on cells of its own: a label as
// wide as its text, a box or button wide enough for its content, a frame round what it holds.
// When even the tightest such layout does not fit, the dialog scrolls with the focus.
#pragma once

#include <string>
#include <vector>

#include "platform/dialog.h"

namespace platform::term {

struct Cells {
    int col = 0, row = 0, cols = 0, rows = 0;
    bool empty() const { return cols <= 0 || rows <= 0; }
};

// Dialog units per column and per row.
struct Scale {
    double unitsPerCol = 4;
    double unitsPerRow = 8;
};
inline constexpr Scale kDesignScale{4, 8};

struct DialogLayout {
    // Per control in creation order, in client-area cells: the cells the control draws on (a
    // label or check box as wide as its text). Empty for what is not drawn.
    std::vector<Cells> cells;
    int cols = 0, rows = 0;   // the client area
    int widest = 0;           // the widest label, box or button: a view must hold it
    Scale scale;
};

// The light-grey copy of a heading is its engraved shadow and is not drawn (one heading is
// enough on a terminal); neither is a label without text, nor an icon.
bool isDrawn(const ControlSpec& c);
// A bitmap button shows its picture's words, else the name of its picture.
std::string bitmapCaption(const ControlSpec& c);
// Labels and check boxes are one row of text; the text of a label with a "&" mark is shorter.
int textCols(const ControlSpec& c);

// The layout at one scale. Controls are pushed apart where the scale would put them on the
// same cells; a horizontal line that has no row of its own is left out unless keepLines.
DialogLayout layoutAt(const std::vector<ControlSpec>& controls, int width, int height, Scale scale,
                      bool keepLines = true);
// The most spread out layout, never beyond the designed size, that fits a client area of
// cols x rows; when none fits, the tightest one (the dialog then scrolls).
DialogLayout fitLayout(const std::vector<ControlSpec>& controls, int width, int height, int cols, int rows);

// The dialog on a screen of screenCols x screenRows: a border all round, the caption in the
// top border, one menu bar row under it when the dialog has menus, then the client area, which
// shows the whole layout or, when that does not fit, a part of it (the view) that scrolls.
struct DialogFrame {
    Cells outer;           // screen cells of the whole box, border included
    int clientCol = 0;     // screen cell of the view's top left corner
    int clientRow = 0;
    int viewCols = 0;      // the part of the client area shown
    int viewRows = 0;
    int menuRow = -1;      // screen row of the menu bar, -1 when none
    bool scrolls = false;  // the view is smaller than the client area
    bool usable = true;    // false when the screen cannot show the dialog at all
    int needCols = 0, needRows = 0;  // the screen it needs to be usable
};
DialogFrame placeDialog(const DialogTemplate& tpl, const DialogLayout& layout, bool hasMenu, int screenCols,
                        int screenRows);
// The client area a dialog may use on a screen of screenCols x screenRows.
int clientColsFor(int screenCols);
int clientRowsFor(int screenRows, bool hasMenu);

// The first row and column of the client area shown, moved as little as possible from `from`
// so that `focus` is in the view (its top left corner when it is larger than the view).
struct Scroll {
    int row = 0, col = 0;
    bool operator==(const Scroll&) const = default;
};
Scroll followFocus(Scroll from, const Cells& focus, const DialogLayout& layout, int viewCols, int viewRows);

// "Terminal too small: need WxH, have WxH - enlarge the window or press Esc"
std::string tooSmallText(int needCols, int needRows, int haveCols, int haveRows);

// The first `width` characters of text starting at column `from` (blanks past its end).
std::string clipText(const std::string& text, int from, int width);

}  // namespace platform::term

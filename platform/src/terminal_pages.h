// The page viewer on the terminal: printed pages as characters, one page at a time, read-only.
#pragma once

#include <string>
#include <vector>

#include "platform/viewer.h"
#include "terminal_screen.h"
#include "terminal_ui.h"

namespace platform::term {

// How a character of a printed page shows on the screen.
CellShape cellShape(char32_t c);

// Which page is shown and where the screen stands on it.
struct PageViewState {
    int page = 0;  // from 0
    int top = 0;   // first row shown
    int left = 0;  // first column shown
};
// The view after a key, for a page of `rows` rows of at most `width` characters and a screen
// area of `visibleRows` x `visibleCols`. Returns false when the key closes the view.
bool pageViewKey(PageViewState& s, int pageCount, int rows, int width, int visibleRows, int visibleCols,
                 const KeyEvent& key);
// Keeps the position within the page (after the page or the screen size changed).
void clampPageView(PageViewState& s, int pageCount, int rows, int width, int visibleRows, int visibleCols);

// The viewer over the whole screen: the title and page number on the first row, the keys on the last.
struct PageView {
    std::string title;
    const std::vector<ViewPage>* pages = nullptr;
    PageViewState at;
    bool help = false;  // F1 opens the help
};
// The viewer's key line, as much as fits in `width` columns: how to close it the last to go.
std::string pageViewKeys(int width, bool help);
void drawPageView(Screen& s, PageView& v);
// A key in the viewer; false when it closes the view.
bool pageViewInput(PageView& v, const KeyEvent& key, int screenCols, int screenRows);

}  // namespace platform::term

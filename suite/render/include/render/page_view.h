// Reading the drawn pages in a window: which page is shown, at what size, and how far it is
// scrolled, and what the keys do to that. The window itself (Windows: listout's page window)
// only draws what this computes.
//
// The sheet is the paper the pages are laid out on. At zoom 1 it fills the window's width (less
// a margin of grey all round); the zoom keys enlarge it from there. The page turns leave the new
// page at its top.
#pragma once

#include "render/page.h"
#include "render/paper.h"

namespace dprender {

enum class ViewKey {
    NextPage, PreviousPage, FirstPage, LastPage,
    Up, Down, Left, Right,       // a few lines (or columns) of the sheet
    ScreenUp, ScreenDown,        // a window's height
    ZoomIn, ZoomOut, FitWidth,
};

struct PageViewState {
    int page = 0;    // from 0
    int pages = 0;
    double zoom = 1;
    int scrollX = 0, scrollY = 0;   // pixels of the sheet's picture hidden left and above
};

// Where the sheet goes in a window area `width` x `height` pixels.
struct ViewGeometry {
    double scale = 1;                 // pixels a point
    int sheetX = 0, sheetY = 0;       // the sheet's top left corner in the area, scrolling applied
    int sheetWidth = 0, sheetHeight = 0;
    int maxScrollX = 0, maxScrollY = 0;
};

inline constexpr int kViewMargin = 12;  // grey around the sheet, pixels
inline constexpr double kMinZoom = 0.25, kMaxZoom = 8;

ViewGeometry viewGeometry(const PageViewState& state, int width, int height, const Paper& paper = letterPaper());

// The state after a key, with the scrolling kept inside the picture.
PageViewState applyViewKey(PageViewState state, ViewKey key, int width, int height, const Paper& paper = letterPaper());

// The state with its scrolling kept inside the picture (after a resize, a scroll bar drag).
PageViewState clampView(PageViewState state, int width, int height, const Paper& paper = letterPaper());

}  // namespace dprender

// The pages on the screen on Windows: a window of their own that draws each page as the printer
// prints it, one at a time, modal to the windows of the thread that printed.
//
// Keys: PgDn or Space and PgUp or Backspace turn pages, Home and End go to the first and last;
// the arrows and the mouse wheel scroll; + and - zoom, W (or 0) fits the width again; Esc or
// the close box leave.
#pragma once

#include <string>
#include <vector>

#include "render/draw_gdi.h"

namespace listout {

void showPagesWindow(const std::string& title, const std::vector<dprender::Page>& pages, const dprender::Fonts& fonts);

}  // namespace listout

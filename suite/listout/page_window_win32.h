// The pages on the screen on Windows: a window of their own that draws each page as the printer
// prints it on the paper chosen for it, one at a time, modal to the windows of the thread that
// printed. Its caption is the heading, the page number and the keys.
//
// Keys: PgDn or Space and PgUp or Backspace turn pages, Home and End go to the first and last;
// the arrows and the mouse wheel scroll; + and - zoom, W (or 0) fits the width again; Esc or
// the close box leave.
#pragma once

#include <string>
#include <vector>

#include "paper_choice.h"
#include "render/draw_gdi.h"

namespace listout {

void showPagesWindow(const std::string& heading, const std::vector<dprender::Page>& pages, const dprender::Fonts& fonts,
                     const PaperChoice& paper);

}  // namespace listout

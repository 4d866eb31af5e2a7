// Reading printed output on the screen: pages of characters shown one at a time, read-only.
#pragma once

#include <string>
#include <vector>

namespace platform {

inline constexpr char kViewBold = 1;
inline constexpr char kViewInverse = 2;  // light on dark: a label on a bar, a solid block

// One printed page as characters where they landed on the paper.
struct ViewPage {
    std::vector<std::u32string> rows;   // Unicode characters; box-drawing ones are shown as lines
    std::vector<std::string> attrs;     // per character: kViewBold and kViewInverse bits
};

// Shows the pages until the user closes the view (terminal: a pager that turns pages; scripted
// runs: a "view: TITLE (N pages)" line in the transcript).
void showPages(const std::string& title, const std::vector<ViewPage>& pages);

}  // namespace platform

#include "terminal_pages.h"

#include <algorithm>

namespace platform::term {
namespace {

// Rows and widest row of the page shown.
std::pair<int, int> pageSize(const PageView& v) {
    if (v.pages->empty()) return {0, 0};
    const ViewPage& p = (*v.pages)[static_cast<std::size_t>(v.at.page)];
    std::size_t width = 0;
    for (const std::u32string& r : p.rows) width = std::max(width, r.size());
    return {static_cast<int>(p.rows.size()), static_cast<int>(width)};
}

}  // namespace

CellShape cellShape(char32_t c) {
    if (c >= 0x20 && c < 0x7F) return CellShape::Text;
    switch (c) {
        case 0x2500: case 0x2550: return CellShape::HLine;
        case 0x2502: case 0x2551: return CellShape::VLine;
        case 0x250C: return CellShape::ULCorner;
        case 0x2510: return CellShape::URCorner;
        case 0x2514: return CellShape::LLCorner;
        case 0x2518: return CellShape::LRCorner;
        case 0x251C: return CellShape::LTee;
        case 0x2524: return CellShape::RTee;
        case 0x252C: return CellShape::TTee;
        case 0x2534: return CellShape::BTee;
        case 0x253C: return CellShape::Plus;
        case 0x2580: case 0x2584: case 0x2588: case 0x258C: case 0x2590: return CellShape::Solid;
        case 0x2591: case 0x2592: case 0x2593: return CellShape::Shade;
        default: break;
    }
    // The double and mixed lines U+2552..U+256C come in threes, one three per joint shape.
    if (c >= 0x2552 && c <= 0x256C) {
        static const CellShape joints[9] = {CellShape::ULCorner, CellShape::URCorner, CellShape::LLCorner,
                                            CellShape::LRCorner, CellShape::LTee,     CellShape::RTee,
                                            CellShape::TTee,     CellShape::BTee,     CellShape::Plus};
        return joints[(c - 0x2552) / 3];
    }
    return CellShape::Unknown;
}

void clampPageView(PageViewState& s, int pageCount, int rows, int width, int visibleRows, int visibleCols) {
    s.page = std::clamp(s.page, 0, std::max(0, pageCount - 1));
    s.top = std::clamp(s.top, 0, std::max(0, rows - visibleRows));
    s.left = std::clamp(s.left, 0, std::max(0, width - visibleCols));
}

bool pageViewKey(PageViewState& s, int pageCount, int rows, int width, int visibleRows, int visibleCols,
                 const KeyEvent& key) {
    const int page = s.page;
    const int ch = key.key == Key::Char ? key.ch : 0;
    if (key.key == Key::Esc || ch == 'q' || ch == 'Q') return false;
    if (key.key == Key::Up) s.top -= 1;
    else if (key.key == Key::Down || key.key == Key::Enter) s.top += 1;
    else if (key.key == Key::Left) s.left -= 8;
    else if (key.key == Key::Right) s.left += 8;
    else if (key.key == Key::PageDown || ch == ' ' || ch == 'n') s.page += 1;
    else if (key.key == Key::PageUp || ch == 'b' || ch == 'p') s.page -= 1;
    else if (key.key == Key::Home || ch == 'g') s.page = 0;
    else if (key.key == Key::End || ch == 'G') s.page = pageCount - 1;
    clampPageView(s, pageCount, rows, width, visibleRows, visibleCols);
    if (s.page != page) s.top = 0;
    return true;
}

void drawPageView(Screen& s, PageView& v) {
    const int cols = s.cols(), rows = s.rows();
    const int visible = std::max(1, rows - 2);
    const int count = static_cast<int>(v.pages->size());
    s.blank(0, 0, rows, cols);
    const auto [pageRows, pageWidth] = pageSize(v);
    clampPageView(v.at, count, pageRows, pageWidth, visible, cols);
    std::string head = " " + v.title + "   Page " + std::to_string(count ? v.at.page + 1 : 0) + " of " +
                       std::to_string(count);
    head.resize(static_cast<std::size_t>(std::max(0, cols)), ' ');
    s.put(0, 0, head, Reverse | Bold);
    if (count > 0) {
        const ViewPage& p = (*v.pages)[static_cast<std::size_t>(v.at.page)];
        for (int i = 0; i < visible && v.at.top + i < pageRows; ++i) {
            const std::size_t r = static_cast<std::size_t>(v.at.top + i);
            const std::u32string& line = p.rows[r];
            for (int c = 0; c < cols && v.at.left + c < static_cast<int>(line.size()); ++c) {
                const std::size_t at = static_cast<std::size_t>(v.at.left + c);
                const char a = at < p.attrs[r].size() ? p.attrs[r][at] : 0;
                s.putCell(1 + i, c, line[at], cellShape(line[at]),
                          ((a & kViewBold) ? Bold : Normal) | ((a & kViewInverse) ? Reverse : Normal));
            }
        }
    }
    std::string foot = " " + pageViewKeys(cols - 2, v.help);
    foot.resize(static_cast<std::size_t>(std::max(0, cols)), ' ');
    s.put(rows - 1, 0, foot, Reverse);
    s.cursorAt(-1, -1);
}

std::string pageViewKeys(int width, bool help) {
    return fitKeyItems({{"PgDn/Space next page", "PgDn next", 1},
                        {"PgUp/b previous", "PgUp back", 2},
                        {"arrows scroll", "", 4},
                        {"Home/End first/last", "Home/End", 5},
                        {"q or Esc closes", "q/Esc close", 0},
                        {help ? "F1 help" : "", "", 3}},
                       width);
}

bool pageViewInput(PageView& v, const KeyEvent& key, int screenCols, int screenRows) {
    const auto [pageRows, pageWidth] = pageSize(v);
    return pageViewKey(v.at, static_cast<int>(v.pages->size()), pageRows, pageWidth, std::max(1, screenRows - 2),
                       screenCols, key);
}

}  // namespace platform::term

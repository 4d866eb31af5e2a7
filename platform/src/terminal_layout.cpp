#include "terminal_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "terminal_ui.h"

namespace platform::term {

namespace {

constexpr std::uint32_t kShadowGrey = 0xE8E8E8;

// Rows are worked out in doubled dialog units, so that the centre of a control (2y + h) is a
// whole number.
constexpr int kDoubled = 2;

// One axis of the grid: positions in dialog units, each mapped to a cell, and the least number
// of cells wanted between pairs of positions.
class Axis {
public:
    explicit Axis(std::vector<int> values) : values_(std::move(values)) {
        std::sort(values_.begin(), values_.end());
        values_.erase(std::unique(values_.begin(), values_.end()), values_.end());
        needs_.resize(values_.size());
    }

    // cell(to) >= cell(from) + cells. Only a position that lies before another can push it.
    void require(int from, int to, int cells) {
        const std::size_t a = index(from), b = index(to);
        if (a < b && cells > 0) needs_[b].push_back({a, cells});
    }

    // Each position's cell at `unitsPerCell`, pushed on as far as the order of the positions
    // and the wanted distances ask. What lies beyond a pushed position moves on with it, so
    // that controls of one size stay one size; what lies between a pushed position and the
    // one that pushed it is stretched evenly (a column of labels widens as a whole, rather
    // than the one button whose span holds the pushed position).
    std::vector<int> place(double unitsPerCell, double bias) const {
        std::vector<int> base(values_.size());
        for (std::size_t i = 0; i < values_.size(); ++i)
            base[i] = static_cast<int>(std::floor(values_[i] / unitsPerCell + bias));
        std::vector<Push> pushes;
        std::vector<int> cells = push(base, &pushes);
        if (pushes.empty()) return cells;
        for (const Push& p : pushes)
            for (std::size_t i = p.from + 1; i < p.to; ++i)
                cells[i] += static_cast<int>(std::floor(p.by * double(values_[i] - values_[p.from]) /
                                                        double(values_[p.to] - values_[p.from])));
        return push(cells, nullptr);
    }

    int cellOf(const std::vector<int>& cells, int value) const { return cells[index(value)]; }

private:
    // A position pushed on by `by` cells beyond its place, by the position `from`.
    struct Push {
        std::size_t from, to;
        int by;
    };

    std::vector<int> push(const std::vector<int>& base, std::vector<Push>* pushes) const {
        std::vector<int> cells(values_.size(), 0);
        int shift = 0;
        for (std::size_t i = 0; i < values_.size(); ++i) {
            const int start = base[i] + shift;
            int c = start;
            std::size_t from = i;
            if (i > 0 && cells[i - 1] > c) {
                c = cells[i - 1];
                from = i - 1;
            }
            for (const auto& [source, n] : needs_[i])
                if (cells[source] + n > c) {
                    c = cells[source] + n;
                    from = source;
                }
            if (pushes && c > start) pushes->push_back({from, i, c - start});
            cells[i] = c;
            shift = c - base[i];
        }
        return cells;
    }

    std::size_t index(int value) const {
        return static_cast<std::size_t>(std::lower_bound(values_.begin(), values_.end(), value) - values_.begin());
    }

    std::vector<int> values_;
    std::vector<std::vector<std::pair<std::size_t, int>>> needs_;
};

enum class Shape {
    Hidden,  // not drawn
    Line,    // one row of text: labels, boxes, buttons, check boxes, icons
    Block,   // several rows: frames and list boxes
    Rule,    // a horizontal line
};

// A control as the layout sees it.
struct Part {
    Shape shape = Shape::Hidden;
    ControlKind kind = ControlKind::Label;
    int x = 0, y = 0, w = 0, h = 0;   // the template's rectangle, dialog units
    int left = 0, right = 0;          // columns' positions, dialog units within the dialog
    int key = 0;                      // Line and Rule: the row's position, doubled units
    int top = 0, bottom = 0;          // Block: doubled units
    int text = 0;                     // labels and check boxes: the columns the text takes
    int minCols = 0;                  // others: the columns the content needs
    int minRows = 0;                  // Block: the rows it needs
    int captionOf = -1;               // a label standing on the top border of this frame
};

bool isTextLike(ControlKind k) { return k == ControlKind::Label || k == ControlKind::CheckBox; }

bool isBox(ControlKind k) {
    return k == ControlKind::Edit || k == ControlKind::Button || k == ControlKind::CheckBox;
}

int designCols(int units) { return std::max(1, (units + 2) / 4); }
int designRows(int units) { return std::max(1, (units + 4) / 8); }

// The characters a box without a field width shows at the least: an amount at full width
// (-1,234,567.89).
constexpr int kShownNumberChars = 13;

int minColsOf(const ControlSpec& c) {
    const int len = textCols(c);
    switch (c.kind) {
        case ControlKind::Edit:
            // The whole field between the brackets: a date with its separators, a description.
            if (c.maxLength > 0) return c.maxLength + 2;
            return std::min(designCols(c.width), kShownNumberChars + 2);
        case ControlKind::Button: return len + 4;
        case ControlKind::BitmapButton: return static_cast<int>(bitmapCaption(c).size()) + 4;
        case ControlKind::Icon: return 3;
        case ControlKind::ListBox: return std::max(3, std::min(designCols(c.width), 16));
        case ControlKind::Frame: return 2;
        default: return 0;
    }
}

int minRowsOf(const ControlSpec& c) {
    if (c.kind == ControlKind::Frame) return 2;
    const int wanted = (c.style & StyleSunken) ? 5 : 3;
    return std::max((c.style & StyleSunken) ? 3 : 1, std::min(designRows(c.height), wanted));
}

Part partOf(const ControlSpec& c, int width, int height) {
    Part p;
    p.kind = c.kind;
    p.x = c.x;
    p.y = c.y;
    p.w = c.width;
    p.h = c.height;
    p.left = std::clamp(c.x, 0, width);
    p.right = std::clamp(c.x + c.width, p.left, width);
    const int top = std::clamp(kDoubled * c.y, 0, kDoubled * height);
    const int bottom = std::clamp(kDoubled * (c.y + c.height), top, kDoubled * height);
    if (!isDrawn(c)) return p;
    switch (c.kind) {
        case ControlKind::Frame:
        case ControlKind::ListBox:
            p.shape = Shape::Block;
            p.top = top;
            p.bottom = bottom;
            p.minRows = minRowsOf(c);
            break;
        case ControlKind::HLine:
            p.shape = Shape::Rule;
            p.key = std::clamp(kDoubled * c.y + c.height, 0, kDoubled * height);
            break;
        default:
            p.shape = Shape::Line;
            p.key = std::clamp(kDoubled * c.y + c.height, 0, kDoubled * height);
            break;
    }
    p.text = isTextLike(c.kind) ? textCols(c) : 0;
    p.minCols = isTextLike(c.kind) ? 0 : minColsOf(c);
    return p;
}

// A control whose top left corner and centre lie in a frame is the frame's (a heading may reach
// a little beyond the frame's side).
bool contains(const Part& f, const Part& c) {
    auto in = [&f](int x2, int y2) {  // doubled units
        return x2 >= 2 * f.x && x2 < 2 * (f.x + f.w) && y2 >= 2 * f.y && y2 < 2 * (f.y + f.h);
    };
    return in(2 * c.x, 2 * c.y) && in(2 * c.x + c.w, 2 * c.y + c.h);
}

// A label beside a box shares its row: its dialog-unit top is usually two units lower than the
// box's (text centred on the box), which could fall on the next row. Of the boxes level with
// the label, the nearest one beside it.
void snapLabelToBox(std::vector<Part>& parts, std::size_t i) {
    const Part& l = parts[i];
    const int centre = kDoubled * l.y + l.h;
    int best = -1, bestGap = 0, bestDistance = 0;
    for (std::size_t j = 0; j < parts.size(); ++j) {
        const Part& b = parts[j];
        if (b.shape != Shape::Line || !isBox(b.kind) || b.h > 16) continue;
        if (centre < kDoubled * b.y || centre >= kDoubled * (b.y + b.h)) continue;
        const int gap = std::max({0, b.x - (l.x + l.w), l.x - (b.x + b.w)});
        const int distance = std::abs(centre - b.key);
        if (best < 0 || gap < bestGap || (gap == bestGap && distance < bestDistance)) {
            best = static_cast<int>(j);
            bestGap = gap;
            bestDistance = distance;
        }
    }
    if (best >= 0) parts[i].key = parts[static_cast<std::size_t>(best)].key;
}

// A label across the top edge of a frame, within its sides, is the frame's caption: it stands
// on the border row.
void snapCaptionToFrame(std::vector<Part>& parts, std::size_t i) {
    Part& l = parts[i];
    for (std::size_t j = 0; j < parts.size(); ++j) {
        const Part& f = parts[j];
        if (f.kind != ControlKind::Frame || f.shape != Shape::Block) continue;
        if (l.y < f.y && l.y + l.h > f.y && l.x > f.x && l.x + l.w <= f.x + f.w) {
            l.key = f.top;
            l.captionOf = static_cast<int>(j);
            return;
        }
    }
}

// Rows whose positions lie within two units of each other are one row (a bitmap button one
// unit lower than the buttons beside it).
void mergeNearRows(std::vector<Part>& parts) {
    std::vector<int> keys;
    for (const Part& p : parts)
        if (p.shape == Shape::Line || p.shape == Shape::Rule) keys.push_back(p.key);
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    std::vector<int> head(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        head[i] = (i > 0 && keys[i] - head[i - 1] <= 2 * kDoubled) ? head[i - 1] : keys[i];
    for (Part& p : parts) {
        if (p.shape != Shape::Line && p.shape != Shape::Rule) continue;
        const auto at = std::lower_bound(keys.begin(), keys.end(), p.key) - keys.begin();
        p.key = head[static_cast<std::size_t>(at)];
    }
}

std::vector<Part> partsOf(const std::vector<ControlSpec>& controls, int width, int height) {
    std::vector<Part> parts;
    parts.reserve(controls.size());
    for (const ControlSpec& c : controls) parts.push_back(partOf(c, width, height));
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (parts[i].shape != Shape::Line || parts[i].kind != ControlKind::Label) continue;
        snapLabelToBox(parts, i);
        snapCaptionToFrame(parts, i);
    }
    mergeNearRows(parts);
    return parts;
}

bool related(const std::vector<Part>& parts, std::size_t a, std::size_t b) {
    const Part& p = parts[a];
    const Part& q = parts[b];
    if (p.captionOf == static_cast<int>(b) || q.captionOf == static_cast<int>(a)) return true;
    return (p.kind == ControlKind::Frame && contains(p, q)) || (q.kind == ControlKind::Frame && contains(q, p));
}

// ---- columns ----------------------------------------------------------------------------------

// The stretch of rows (doubled units) within which two controls may stand side by side.
std::pair<int, int> band(const Part& p) {
    if (p.shape == Shape::Block) return {p.top, p.bottom};
    return {p.key - 4 * kDoubled, p.key + 4 * kDoubled};
}

bool sideBySide(const Part& a, const Part& b) {
    const auto [a0, a1] = band(a);
    const auto [b0, b1] = band(b);
    return a0 < b1 && b0 < a1;
}

// A text, and an edit box showing its whole field, may reach beyond its designed right edge
// where nothing stands beside it: it pushes only what is on its row, not a column further right
// on other rows (a description as wide as its field leaves the tax column where it is).
bool reachesBeyond(ControlKind k) { return isTextLike(k) || k == ControlKind::Edit; }

// The columns such a control takes at the least.
int ownCols(const Part& p) { return isTextLike(p.kind) ? p.text : p.minCols; }

void requireOwnWidth(Axis& across, const Part& p, int width) {
    if (reachesBeyond(p.kind)) across.require(p.left, width, ownCols(p));
    else across.require(p.left, p.right, p.minCols);
}

// What a frame holds stays inside its sides, a text a blank away from them.
void requireInsideFrame(Axis& across, const Part& f, const Part& c) {
    const int blank = isTextLike(c.kind) ? 1 : 0;
    across.require(f.left, c.left, 1 + blank);
    if (reachesBeyond(c.kind)) across.require(c.left, f.right, ownCols(c) + 1 + blank);
    else across.require(c.right, f.right, 1);
}

// Two controls side by side: the right one starts after the left one's text or cells, a blank
// between a text and what follows it.
void requireApart(Axis& across, const Part& a, const Part& b) {
    if (reachesBeyond(a.kind)) across.require(a.left, b.left, ownCols(a) + 1);
    if (!isTextLike(a.kind) && a.right <= b.left) across.require(a.right, b.left, isTextLike(b.kind) ? 1 : 0);
}

Axis acrossAxis(const std::vector<Part>& parts, int width) {
    std::vector<int> values = {0, width};
    for (const Part& p : parts) {
        values.push_back(p.left);
        values.push_back(p.right);
    }
    Axis across(values);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const Part& a = parts[i];
        if (a.shape == Shape::Hidden || a.shape == Shape::Rule) continue;
        requireOwnWidth(across, a, width);
        for (std::size_t j = 0; j < parts.size(); ++j) {
            const Part& b = parts[j];
            if (j == i || b.shape == Shape::Hidden || b.shape == Shape::Rule) continue;
            if (a.kind == ControlKind::Frame && (contains(a, b) || b.captionOf == static_cast<int>(i))) {
                requireInsideFrame(across, a, b);
                continue;
            }
            if (a.left < b.left && b.kind != ControlKind::Frame && a.kind != ControlKind::Frame &&
                !related(parts, i, j) && sideBySide(a, b))
                requireApart(across, a, b);
        }
    }
    return across;
}

// ---- rows -------------------------------------------------------------------------------------

bool columnsMeet(const Cells& a, const Cells& b) { return a.col < b.col + b.cols && b.col < a.col + a.cols; }

bool isRow(const Part& p, bool keepLines) {
    return p.shape == Shape::Line || (keepLines && p.shape == Shape::Rule);
}

void requireInsideFrameRows(Axis& down, const Part& f, const Part& c, bool keepLines) {
    if (isRow(c, keepLines)) {
        down.require(f.top, c.key, 1);
        down.require(c.key, f.bottom, 2);
    } else if (c.shape == Shape::Block) {
        down.require(f.top, c.top, 1);
        down.require(c.bottom, f.bottom, 1);
    }
}

// Two controls whose columns meet: the lower one starts on a row after the upper one.
void requireBelow(Axis& down, const Part& a, const Part& b, bool keepLines) {
    if (!isRow(a, keepLines)) return;  // a block's rows end before what follows it in any case
    if (isRow(b, keepLines) && a.key < b.key) down.require(a.key, b.key, 1);
    if (b.shape == Shape::Block && a.key < b.top) down.require(a.key, b.top, 1);
}

Axis downAxis(const std::vector<Part>& parts, const std::vector<Cells>& columns, int height, bool keepLines) {
    const int bottom = kDoubled * height;
    std::vector<int> values = {0, bottom};
    for (const Part& p : parts) {
        values.push_back(p.key);
        values.push_back(p.top);
        values.push_back(p.bottom);
    }
    Axis down(values);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const Part& a = parts[i];
        if (isRow(a, keepLines)) down.require(a.key, bottom, 1);
        if (a.shape == Shape::Block) down.require(a.top, a.bottom, a.minRows);
        if (!isRow(a, keepLines) && a.shape != Shape::Block) continue;
        for (std::size_t j = 0; j < parts.size(); ++j) {
            const Part& b = parts[j];
            if (j == i || b.shape == Shape::Hidden) continue;
            if (a.kind == ControlKind::Frame && contains(a, b) && b.captionOf != static_cast<int>(i))
                requireInsideFrameRows(down, a, b, keepLines);
            else if (!related(parts, i, j) && columnsMeet(columns[i], columns[j]))
                requireBelow(down, a, b, keepLines);
        }
    }
    return down;
}

// ---- the whole layout -------------------------------------------------------------------------

struct Plan {
    std::vector<Part> parts;
    int width = 0, height = 0;
    Axis across;
};

Plan planOf(const std::vector<ControlSpec>& controls, int width, int height) {
    std::vector<Part> parts = partsOf(controls, width, height);
    Axis across = acrossAxis(parts, width);
    return Plan{std::move(parts), width, height, std::move(across)};
}

// Columns of each control at unitsPerCol (rows still unknown).
std::vector<Cells> columnsAt(const Plan& plan, double unitsPerCol, int* totalCols) {
    const std::vector<int> at = plan.across.place(unitsPerCol, 0.5);
    std::vector<Cells> cells(plan.parts.size());
    for (std::size_t i = 0; i < plan.parts.size(); ++i) {
        const Part& p = plan.parts[i];
        if (p.shape == Shape::Hidden) continue;
        cells[i].col = plan.across.cellOf(at, p.left);
        const int designed = plan.across.cellOf(at, p.right) - cells[i].col;
        cells[i].cols = isTextLike(p.kind) ? p.text : p.kind == ControlKind::Edit ? std::max(designed, p.minCols) : designed;
    }
    if (totalCols) *totalCols = plan.across.cellOf(at, plan.width);
    return cells;
}

// A horizontal line without a row of its own is left out.
bool lineCollides(const std::vector<Cells>& cells, const std::vector<Part>& parts, std::size_t i) {
    for (std::size_t j = 0; j < parts.size(); ++j) {
        if (j == i || parts[j].shape == Shape::Hidden || parts[j].shape == Shape::Rule) continue;
        const Cells& o = cells[j];
        const bool onRow = parts[j].kind == ControlKind::Frame
                               ? (o.row == cells[i].row || o.row + o.rows - 1 == cells[i].row)
                               : (o.row <= cells[i].row && cells[i].row < o.row + o.rows);
        if (onRow && columnsMeet(o, cells[i])) return true;
    }
    return false;
}

DialogLayout rowsAt(const Plan& plan, std::vector<Cells> cells, int cols, const Axis& down, double unitsPerRow,
                    bool keepLines) {
    const std::vector<int> at = down.place(kDoubled * unitsPerRow, 0.0);
    for (std::size_t i = 0; i < plan.parts.size(); ++i) {
        const Part& p = plan.parts[i];
        if (p.shape == Shape::Block) {
            cells[i].row = down.cellOf(at, p.top);
            cells[i].rows = down.cellOf(at, p.bottom) - cells[i].row;
        } else if (p.shape != Shape::Hidden) {
            cells[i].row = down.cellOf(at, p.key);
            cells[i].rows = 1;
        }
    }
    for (std::size_t i = 0; i < plan.parts.size(); ++i)
        if (plan.parts[i].shape == Shape::Rule && !keepLines && lineCollides(cells, plan.parts, i)) cells[i].cols = 0;
    DialogLayout out;
    for (std::size_t i = 0; i < plan.parts.size(); ++i)
        if (plan.parts[i].shape == Shape::Line) out.widest = std::max(out.widest, cells[i].cols);
    out.cells = std::move(cells);
    out.cols = cols;
    out.rows = down.cellOf(at, kDoubled * plan.height);
    return out;
}

// The fewest units per cell from `design` on for which fits() holds; `tightest` when even that
// one does not. Whole cells make fits() hold a little unevenly (a scale may fit where a slightly
// coarser one does not): the scales are tried in small steps, and the step that first fits is
// narrowed down.
template <class Fits>
double fewestUnitsThatFit(double design, double tightest, Fits fits) {
    if (fits(design)) return design;
    double lo = design;
    for (double u = design * 1.03; u < tightest; u *= 1.03) {
        if (fits(u)) {
            double hi = u;
            for (int i = 0; i < 12; ++i) {
                const double mid = (lo + hi) / 2;
                (fits(mid) ? hi : lo) = mid;
            }
            return hi;
        }
        lo = u;
    }
    return tightest;
}

}  // namespace

bool isDrawn(const ControlSpec& c) {
    if (c.kind == ControlKind::Label && (c.textColour == kShadowGrey || textCols(c) == 0)) return false;
    // An icon is a picture only: on the character grid it would be a stray mark.
    return c.kind != ControlKind::Icon;
}

std::string bitmapCaption(const ControlSpec& c) { return c.words.empty() ? c.text : c.words; }

int textCols(const ControlSpec& c) {
    const int n = static_cast<int>(parseCaption(c.text).text.size());
    return c.kind == ControlKind::CheckBox ? n + 4 : n;  // "[X] " before the caption
}

DialogLayout layoutAt(const std::vector<ControlSpec>& controls, int width, int height, Scale scale, bool keepLines) {
    const Plan plan = planOf(controls, std::max(0, width), std::max(0, height));
    int cols = 0;
    std::vector<Cells> cells = columnsAt(plan, scale.unitsPerCol, &cols);
    const Axis down = downAxis(plan.parts, cells, plan.height, keepLines);
    DialogLayout out = rowsAt(plan, std::move(cells), cols, down, scale.unitsPerRow, keepLines);
    out.scale = scale;
    return out;
}

DialogLayout fitLayout(const std::vector<ControlSpec>& controls, int width, int height, int cols, int rows) {
    const Plan plan = planOf(controls, std::max(0, width), std::max(0, height));
    auto colsAt = [&](double u) {
        int n = 0;
        columnsAt(plan, u, &n);
        return n;
    };
    const double ux = fewestUnitsThatFit(kDesignScale.unitsPerCol, 2.0 * plan.width + 2,
                                         [&](double u) { return colsAt(u) <= cols; });
    int totalCols = 0;
    const std::vector<Cells> columns = columnsAt(plan, ux, &totalCols);
    DialogLayout out;
    for (bool keepLines : {true, false}) {
        const Axis down = downAxis(plan.parts, columns, plan.height, keepLines);
        auto rowsFor = [&](double u) { return down.cellOf(down.place(kDoubled * u, 0.0), kDoubled * plan.height); };
        const double uy = fewestUnitsThatFit(kDesignScale.unitsPerRow, plan.height + 1.0,
                                             [&](double u) { return rowsFor(u) <= rows; });
        out = rowsAt(plan, columns, totalCols, down, uy, keepLines);
        out.scale = {ux, uy};
        if (out.rows <= rows) break;
    }
    return out;
}

int clientColsFor(int screenCols) { return std::max(0, screenCols - 2); }

// The last screen row holds the key line; the border takes two rows, the menu bar one.
int clientRowsFor(int screenRows, bool hasMenu) { return std::max(0, screenRows - 1 - 2 - (hasMenu ? 1 : 0)); }

namespace {

// What the view must hold at the least: the widest control, and a few rows to scroll through.
void setNeeds(DialogFrame& f, const DialogLayout& layout, bool hasMenu) {
    const int widest = std::max(1, layout.widest);
    const int rows = std::min(3, std::max(1, layout.rows));
    f.needCols = widest + 2;
    f.needRows = rows + 3 + (hasMenu ? 1 : 0);
    f.usable = f.viewCols >= widest && f.viewRows >= rows;
}

int placeAlong(bool centred, double units, double unitsPerCell, int size, int room) {
    if (centred) return std::max(0, (room - size) / 2);
    const int at = static_cast<int>(std::floor(std::max(0.0, units) / unitsPerCell + 0.5));
    return std::max(0, std::min(at, room - size));
}

}  // namespace

DialogFrame placeDialog(const DialogTemplate& tpl, const DialogLayout& layout, bool hasMenu, int screenCols,
                        int screenRows) {
    DialogFrame f;
    f.viewCols = std::min(layout.cols, clientColsFor(screenCols));
    f.viewRows = std::min(layout.rows, clientRowsFor(screenRows, hasMenu));
    f.scrolls = f.viewCols < layout.cols || f.viewRows < layout.rows;
    setNeeds(f, layout, hasMenu);
    f.outer.cols = f.viewCols + 2;
    f.outer.rows = f.viewRows + 2 + (hasMenu ? 1 : 0);
    f.outer.col = placeAlong(tpl.centred, tpl.x, layout.scale.unitsPerCol, f.outer.cols, screenCols);
    f.outer.row = placeAlong(tpl.centred, tpl.y, layout.scale.unitsPerRow, f.outer.rows, screenRows - 1);
    f.menuRow = hasMenu ? f.outer.row + 1 : -1;
    f.clientCol = f.outer.col + 1;
    f.clientRow = f.outer.row + 1 + (hasMenu ? 1 : 0);
    return f;
}

namespace {

int follow(int from, int start, int size, int view, int total) {
    int s = std::clamp(from, 0, std::max(0, total - view));
    if (size <= 0) return s;
    if (start < s || size > view) return start;
    if (start + size > s + view) return start + size - view;
    return s;
}

}  // namespace

Scroll followFocus(Scroll from, const Cells& focus, const DialogLayout& layout, int viewCols, int viewRows) {
    Scroll s;
    s.row = follow(from.row, focus.row, focus.rows, viewRows, layout.rows);
    s.col = follow(from.col, focus.col, focus.cols, viewCols, layout.cols);
    return s;
}

std::string tooSmallText(int needCols, int needRows, int haveCols, int haveRows) {
    return "Terminal too small: need " + std::to_string(needCols) + "x" + std::to_string(needRows) +
           ", have " + std::to_string(haveCols) + "x" + std::to_string(haveRows) +
           " - enlarge the window or press Esc";
}

std::string clipText(const std::string& text, int from, int width) {
    if (width <= 0) return {};
    std::string out;
    if (from < static_cast<int>(text.size()) && from >= 0)
        out = text.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(width));
    out.resize(static_cast<std::size_t>(width), ' ');
    return out;
}

}  // namespace platform::term

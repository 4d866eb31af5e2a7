#include "render/run_layout.h"

#include <algorithm>
#include <cmath>

#include "render/cp437.h"

namespace dprender {
namespace {

constexpr double kSeam = 0.15;  // shapes reach this far into their neighbours, so no hairline shows

// The rectangles of a run's rules and blocks. Pieces on one level that touch are joined.
class Shapes {
public:
    void add(double x, double y, double w, double h) {
        if (!rects_.empty()) {
            InkRect& last = rects_.back();
            if (last.y == y && last.h == h && x >= last.x && x <= last.x + last.w + 1e-6) {
                last.w = std::max(last.w, x + w - last.x);
                return;
            }
        }
        rects_.push_back({x, y, w, h});
    }

    std::vector<InkRect> joined() {
        std::stable_sort(rects_.begin(), rects_.end(), [](const InkRect& a, const InkRect& b) {
            return a.y != b.y ? a.y < b.y : a.h != b.h ? a.h < b.h : a.x < b.x;
        });
        std::vector<InkRect> out;
        for (std::size_t i = 0; i < rects_.size();) {
            InkRect r = rects_[i++];
            while (i < rects_.size() && rects_[i].y == r.y && rects_[i].h == r.h && rects_[i].x <= r.x + r.w + 1e-6)
                r.w = std::max(r.w, rects_[i].x + rects_[i].w - r.x), ++i;
            out.push_back(r);
        }
        return out;
    }

private:
    std::vector<InkRect> rects_;
};

// One arm of a box-drawing character: along the axis from `from` to `to`, at `across` on the
// other axis. A double arm is two lines either side.
void addArm(Shapes& out, bool horizontal, double from, double to, double across, int weight, double t) {
    if (weight == 0) return;
    const double a = std::min(from, to), len = std::abs(to - from);
    const double gap = weight == 2 ? 1.5 * t : 0;
    for (const double off : {-gap, gap}) {
        if (horizontal) out.add(a, across + off - t / 2, len, t);
        else out.add(across + off - t / 2, a, t, len);
        if (gap == 0) break;
    }
}

void addShape(Shapes& out, unsigned char c, double x, double top, double cell, const Style& s) {
    const BoxArms arms = boxArms(c);
    if (arms.any()) {
        const double t = s.fineRules ? 0.45 : 0.8;
        const double cx = x + cell / 2, cy = top + kLinePt / 2;
        // An arm starts past the centre by the half width of the arms across it, so joints
        // close without stubs.
        const auto half = [t](int weight) { return weight == 2 ? 2.0 * t : t / 2; };
        const double vReach = std::max({t / 2, half(arms.left), half(arms.right)});
        const double hReach = std::max({t / 2, half(arms.up), half(arms.down)});
        addArm(out, false, cy + vReach, top - kSeam, cx, arms.up, t);
        addArm(out, false, cy - vReach, top + kLinePt + kSeam, cx, arms.down, t);
        addArm(out, true, cx + hReach, x - kSeam, cy, arms.left, t);
        addArm(out, true, cx - hReach, x + cell + kSeam, cy, arms.right, t);
        return;
    }
    const BlockFill b = blockFill(c);
    const double seam = b.density >= 1 ? kSeam : 0;
    out.add(x + b.left * cell - seam, top + b.top * kLinePt - seam, (b.right - b.left) * cell + 2 * seam,
            (b.bottom - b.top) * kLinePt + 2 * seam);
}

// Shade characters are the only ones drawn lighter than the ink, and only where the run is
// nothing but one of them.
double densityOf(const std::string& bytes) {
    const BlockFill b = blockFill(static_cast<unsigned char>(bytes[0]));
    const bool uniform = bytes.find_first_not_of(bytes[0]) == std::string::npos;
    return b.density > 0 && b.density < 1 && uniform ? b.density : 1.0;
}

}  // namespace

double outlineWidth(double points) { return std::max(0.3, points * 0.03); }

RunLayout layoutRun(const Run& run, const FaceWidths& widths, double monoAdvanceEm) {
    const Style& s = run.style;
    RunLayout out;
    out.top = pointsBelowTop(run.top);
    out.baseline = out.top + baselineBelowTop(s.points);
    const double cell = s.cellPt();
    const auto& face = s.bold ? widths.bold : widths.regular;
    const double natural = monoAdvanceEm * s.points;
    out.scaleX = s.proportional ? 1.0 : std::min(1.0, cell / natural);
    const double inset = s.proportional ? 0.0 : std::max(0.0, (cell - natural) / 2);
    out.glyphs.reserve(run.bytes.size());
    Shapes shapes;
    double x = run.x;
    for (char ch : run.bytes) {
        const auto c = static_cast<unsigned char>(ch);
        const double w = s.proportional ? face[c] * s.points : cell;
        if (isDrawnShape(c)) addShape(shapes, c, x, out.top, w, s);
        else out.glyphs.push_back({c, x + inset});
        x += w;
    }
    out.shapes = shapes.joined();
    if (!out.shapes.empty()) out.shapeDensity = densityOf(run.bytes);
    return out;
}

std::uint32_t shadedInk(std::uint32_t ink, double density) {
    const auto mix = [density](std::uint32_t v) {
        return static_cast<std::uint32_t>(std::lround(255.0 - (255.0 - static_cast<double>(v)) * density));
    };
    return mix((ink >> 16) & 0xFF) << 16 | mix((ink >> 8) & 0xFF) << 8 | mix(ink & 0xFF);
}

}  // namespace dprender

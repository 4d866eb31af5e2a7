#include "render/text_view.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

#include "render/cp437.h"

namespace dprender {
namespace {

int armsKey(const BoxArms& a) { return ((a.up * 3 + a.right) * 3 + a.down) * 3 + a.left; }

// The box-drawing byte with exactly these arms, 0 when code page 437 has none.
unsigned char boxWithArms(const BoxArms& a) {
    static const std::array<unsigned char, 81> table = [] {
        std::array<unsigned char, 81> t{};
        for (int c = 179; c <= 218; ++c) t[static_cast<std::size_t>(armsKey(boxArms(static_cast<unsigned char>(c))))] = static_cast<unsigned char>(c);
        return t;
    }();
    return table[static_cast<std::size_t>(armsKey(a))];
}

bool lightInk(std::uint32_t ink) {
    const double r = (ink >> 16) & 0xFF, g = (ink >> 8) & 0xFF, b = ink & 0xFF;
    return 0.299 * r + 0.587 * g + 0.114 * b > 127.5;
}

double gridPitch(const Page& page) {
    std::map<double, std::size_t> counts;
    for (const Run& r : page.runs)
        if (!r.style.proportional) counts[r.style.cpi] += r.bytes.size();
    double best = 10;
    std::size_t most = 0;
    for (const auto& [cpi, n] : counts)
        if (n > most) {
            most = n;
            best = cpi;
        }
    return best;
}

struct Grid {
    std::vector<std::vector<unsigned char>> bytes;
    std::vector<std::string> attrs;

    void ensure(std::size_t row, std::size_t col) {
        if (bytes.size() <= row) {
            bytes.resize(row + 1);
            attrs.resize(row + 1);
        }
        if (bytes[row].size() <= col) {
            bytes[row].resize(col + 1, ' ');
            attrs[row].resize(col + 1, kTextPlain);
        }
    }

    // Later print goes over earlier print, except that rules never cover letters, blanks never
    // cover anything, and two rules crossing in one cell become their joint.
    void put(std::size_t row, std::size_t col, unsigned char c, char attr) {
        ensure(row, col);
        unsigned char& cell = bytes[row][col];
        char& a = attrs[row][col];
        const BoxArms now = boxArms(c), before = boxArms(cell);
        if (now.any()) {
            if (before.any()) {
                const BoxArms joint{std::max(now.up, before.up), std::max(now.right, before.right),
                                    std::max(now.down, before.down), std::max(now.left, before.left)};
                if (const unsigned char j = boxWithArms(joint)) c = j;
            } else if (cell != ' ') {
                return;
            }
        }
        if (blockFill(cell).density >= 1 && !isDrawnShape(c)) attr |= kTextInverse;
        cell = c;
        a = attr;
    }
};

}  // namespace

TextPage textView(const Page& page) {
    const double grid = gridPitch(page);
    Grid g;
    for (const Run& run : page.runs) {
        if (run.top < 0) continue;
        const std::size_t row = static_cast<std::size_t>(run.top / kLineDots);
        const long start = std::lround(run.x * grid / kPointsPerInch);
        const std::size_t col0 = static_cast<std::size_t>(std::max(0L, start));
        char attr = run.style.bold ? kTextBold : kTextPlain;
        if (lightInk(run.style.ink)) attr |= kTextInverse;
        for (std::size_t i = 0; i < run.bytes.size(); ++i) {
            const auto c = static_cast<unsigned char>(run.bytes[i]);
            if (c == ' ' || c == 255) continue;
            char a = attr;
            if (blockFill(c).density >= 1) a |= kTextInverse;
            g.put(row, col0 + i, c, a);
        }
    }
    TextPage out;
    out.rows.reserve(g.bytes.size());
    for (std::size_t r = 0; r < g.bytes.size(); ++r) {
        std::u32string line;
        line.reserve(g.bytes[r].size());
        for (unsigned char c : g.bytes[r]) line.push_back(c == 255 ? U' ' : cp437ToUnicode(c));
        out.rows.push_back(std::move(line));
        out.attrs.push_back(g.attrs[r]);
    }
    return out;
}

std::vector<std::string> textLines(const TextPage& page) {
    std::vector<std::string> lines;
    for (const std::u32string& row : page.rows) {
        std::string s;
        for (char32_t c : row) {
            if (c < 0x80) {
                s.push_back(static_cast<char>(c));
            } else if (c < 0x800) {
                s.push_back(static_cast<char>(0xC0 | (c >> 6)));
                s.push_back(static_cast<char>(0x80 | (c & 0x3F)));
            } else {
                s.push_back(static_cast<char>(0xE0 | (c >> 12)));
                s.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
                s.push_back(static_cast<char>(0x80 | (c & 0x3F)));
            }
        }
        while (!s.empty() && s.back() == ' ') s.pop_back();
        lines.push_back(std::move(s));
    }
    return lines;
}

}  // namespace dprender

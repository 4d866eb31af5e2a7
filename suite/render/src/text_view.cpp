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

// Where a character shows on the paper, in 1/216 inch from the top of form: a rule through the
// middle of its line, a letter at its baseline.
int visualDots(int top, unsigned char c) { return top + (boxArms(c).any() ? kLineDots / 2 : kLineDots * 3 / 4); }

// The screen rows: print positions closer than this share a row; an empty printed line between
// two positions leaves an empty row.
constexpr int kSameRowDots = 10;

struct RowMap {
    std::vector<int> starts;  // the first position of each group
    std::vector<std::size_t> rows;

    explicit RowMap(std::vector<int> positions) {
        std::sort(positions.begin(), positions.end());
        positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
        std::size_t row = 0;
        int groupStart = 0;
        for (std::size_t i = 0; i < positions.size(); ++i) {
            const int p = positions[i];
            if (i == 0) {
                row = static_cast<std::size_t>(p / kLineDots);
                groupStart = p;
            } else if (p - groupStart > kSameRowDots) {
                const int gap = p - groupStart;
                row += 1 + static_cast<std::size_t>(std::max(0, (2 * gap - kLineDots) / (2 * kLineDots)));
                groupStart = p;
            }
            starts.push_back(p);
            rows.push_back(row);
        }
    }
    std::size_t rowOf(int position) const {
        const auto it = std::lower_bound(starts.begin(), starts.end(), position);
        return rows[static_cast<std::size_t>(it - starts.begin())];
    }
};

struct Grid {
    std::vector<std::vector<unsigned char>> bytes;
    std::vector<std::string> attrs;
    std::vector<std::vector<bool>> text;  // cells inside a piece of text: rules stay out of them

    void ensure(std::size_t row, std::size_t col) {
        if (bytes.size() <= row) {
            bytes.resize(row + 1);
            attrs.resize(row + 1);
            text.resize(row + 1);
        }
        if (bytes[row].size() <= col) {
            bytes[row].resize(col + 1, ' ');
            attrs[row].resize(col + 1, kTextPlain);
            text[row].resize(col + 1, false);
        }
    }

    // Later print goes over earlier print, except that rules never cover letters or the blanks
    // between them, blanks never cover anything, and two rules crossing in one cell become
    // their joint.
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
            } else if (cell != ' ' || text[row][col]) {
                return;
            }
        }
        if (blockFill(cell).density >= 1 && !isDrawnShape(c)) attr |= kTextInverse;
        cell = c;
        a = attr;
    }

    // A vertical rule interrupted by a row of text (the rules of a form lie between its lines
    // of text) is carried through the empty cells of that row.
    void joinVerticals() {
        for (std::size_t r = 1; r + 1 < bytes.size(); ++r) {
            for (std::size_t c = 0; c < bytes[r - 1].size(); ++c) {
                if (!boxArms(bytes[r - 1][c]).down || at(r, c) != ' ' || (c < text[r].size() && text[r][c])) continue;
                std::size_t below = r + 1;
                while (below < bytes.size() && below <= r + 2 && at(below, c) == ' ') ++below;
                if (below >= bytes.size() || !boxArms(at(below, c)).up) continue;
                for (std::size_t k = r; k < below; ++k) {
                    ensure(k, c);
                    if (!text[k][c]) bytes[k][c] = 179;
                }
            }
        }
    }

    unsigned char at(std::size_t row, std::size_t col) const {
        return col < bytes[row].size() ? bytes[row][col] : ' ';
    }
};

}  // namespace

TextPage textView(const Page& page) {
    const double grid = gridPitch(page);
    std::vector<int> positions;
    for (const Run& run : page.runs)
        for (char ch : run.bytes) positions.push_back(visualDots(run.top, static_cast<unsigned char>(ch)));
    const RowMap rows(std::move(positions));
    const auto firstColumn = [grid](const Run& run) {
        return static_cast<std::size_t>(std::max(0L, std::lround(run.x * grid / kPointsPerInch)));
    };
    Grid g;
    // Where the text is, first: the rules printed before it must not show between its words.
    for (const Run& run : page.runs) {
        std::size_t first = std::string::npos, last = 0;
        for (std::size_t i = 0; i < run.bytes.size(); ++i) {
            if (boxArms(static_cast<unsigned char>(run.bytes[i])).any()) continue;
            first = std::min(first, i);
            last = i;
        }
        if (first == std::string::npos) continue;
        const std::size_t row = rows.rowOf(visualDots(run.top, ' '));
        const std::size_t col0 = firstColumn(run);
        g.ensure(row, col0 + last);
        for (std::size_t i = first; i <= last; ++i) g.text[row][col0 + i] = true;
    }
    for (const Run& run : page.runs) {
        const std::size_t col0 = firstColumn(run);
        char attr = run.style.bold ? kTextBold : kTextPlain;
        if (lightInk(run.style.ink)) attr |= kTextInverse;
        for (std::size_t i = 0; i < run.bytes.size(); ++i) {
            const auto c = static_cast<unsigned char>(run.bytes[i]);
            if (c == ' ' || c == 255) continue;
            char a = attr;
            if (blockFill(c).density >= 1) a |= kTextInverse;
            g.put(rows.rowOf(visualDots(run.top, c)), col0 + i, c, a);
        }
    }
    g.joinVerticals();
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

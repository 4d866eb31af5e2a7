#include "render/paper.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace dprender {
namespace {

struct Named {
    const char* name;
    double widthMm, heightMm;
};
constexpr double kInch = 25.4;
constexpr Named kNamed[] = {
    {"Letter", 8.5 * kInch, 11 * kInch}, {"Legal", 8.5 * kInch, 14 * kInch}, {"Executive", 7.25 * kInch, 10.5 * kInch},
    {"Tabloid", 11 * kInch, 17 * kInch}, {"A3", 297, 420},                   {"A4", 210, 297},
    {"A5", 148, 210},                    {"B5", 176, 250},
};

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

Paper ofMillimetres(std::string name, double widthMm, double heightMm) {
    return {std::move(name), widthMm * kPointsPerMillimetre, heightMm * kPointsPerMillimetre};
}

// "210x297mm", "8.5x11in": the size at the end of a PWG name or after "Custom.".
std::optional<Paper> paperFromDimensions(const std::string& name, std::string_view dims) {
    const std::string d = lower(dims);
    const std::size_t x = d.find('x');
    if (x == std::string::npos || x == 0) return std::nullopt;
    char* end = nullptr;
    const double w = std::strtod(d.c_str(), &end);
    if (end != d.c_str() + x) return std::nullopt;
    const double h = std::strtod(d.c_str() + x + 1, &end);
    const std::string unit(end);
    const double toMm = unit == "mm" ? 1 : unit == "cm" ? 10 : unit == "in" ? kInch : unit == "pt" ? kInch / 72 : 0;
    if (toMm == 0 || !(w > 0) || !(h > 0) || w > 5000 || h > 5000) return std::nullopt;
    return ofMillimetres(name, w * toMm, h * toMm);
}

}  // namespace

Paper letterPaper() { return Paper{}; }
Paper a4Paper() { return ofMillimetres("A4", 210, 297); }

Paper paperFromMillimetres(double widthMm, double heightMm) {
    for (const Named& n : kNamed)
        if (std::abs(n.widthMm - widthMm) < 2 && std::abs(n.heightMm - heightMm) < 2)
            return ofMillimetres(n.name, n.widthMm, n.heightMm);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%gx%gmm", std::round(widthMm), std::round(heightMm));
    return ofMillimetres(buf, widthMm, heightMm);
}

std::optional<Paper> paperFromName(std::string_view name) {
    const std::string l = lower(name);
    for (const Named& n : kNamed)
        if (l == lower(n.name)) return ofMillimetres(n.name, n.widthMm, n.heightMm);
    if (l.rfind("custom.", 0) == 0) return paperFromDimensions(std::string(name), std::string_view(name).substr(7));
    // PWG: class_name_WxHunit, perhaps followed by _borderless or another suffix.
    const std::size_t first = l.find('_');
    if (first == std::string::npos) return std::nullopt;
    const std::size_t second = l.find('_', first + 1);
    if (second == std::string::npos) return std::nullopt;
    const std::size_t third = l.find('_', second + 1);
    const std::string dims = l.substr(second + 1, third == std::string::npos ? std::string::npos : third - second - 1);
    std::optional<Paper> p = paperFromDimensions(std::string(name), dims);
    if (p) p->name = paperFromMillimetres(p->widthPt / kPointsPerMillimetre, p->heightPt / kPointsPerMillimetre).name;
    return p;
}

std::optional<Paper> paperFromPapersizeText(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t eol = text.find('\n', i);
        if (eol == std::string_view::npos) eol = text.size();
        std::string_view line = text.substr(i, eol - i);
        i = eol + 1;
        const std::size_t a = line.find_first_not_of(" \t\r");
        if (a == std::string_view::npos || line[a] == '#') continue;
        const std::size_t b = line.find_first_of(" \t\r#", a);
        return paperFromName(line.substr(a, b == std::string_view::npos ? std::string_view::npos : b - a));
    }
    return std::nullopt;
}

Margins usualMargins() {
    const double q = 0.25 * kPointsPerInch;
    return {q, q, q, q};
}

Placement fitPage(const Sheet& layout, const Paper& paper, const Margins& margins) {
    const double frameW = layout.printableWidthPt();
    const double frameH = layout.printableDots() * kPointsPerInch / kDotsPerInch;
    const double availW = std::max(1.0, paper.widthPt - margins.left - margins.right);
    const double availH = std::max(1.0, paper.heightPt - margins.top - margins.bottom);
    Placement p;
    p.scale = std::min({1.0, availW / frameW, availH / frameH});
    const auto place = [](double wanted, double low, double high) { return high < low ? low : std::clamp(wanted, low, high); };
    p.xPt = place(layout.leftMarginPt, margins.left, paper.widthPt - margins.right - p.scale * frameW);
    p.yPt = place(layout.topMarginPt, margins.top, paper.heightPt - margins.bottom - p.scale * frameH);
    return p;
}

Placement ownPlacement(const Sheet& sheet) { return fitPage(sheet, letterPaper(), Margins{}); }

}  // namespace dprender

// Paper: which sheet a page goes to, and how the printer's page is placed on it. The printer
// files are laid out for a character printer on US Letter (page.h's Sheet); a sheet of another
// size, or one whose device cannot print to its edges, gets the same page moved in from the
// edges and, where it is still too large, scaled down as a whole, never cut. Nothing here asks
// the system which paper it has: the callers find that out and pass it in.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "render/page.h"

namespace dprender {

inline constexpr double kPointsPerMillimetre = kPointsPerInch / 25.4;

struct Paper {
    std::string name = "Letter";
    double widthPt = 8.5 * kPointsPerInch;
    double heightPt = 11.0 * kPointsPerInch;
};

Paper letterPaper();
Paper a4Paper();

// The paper a media name stands for, in any letter case: the common names (Letter, Legal, A3,
// A4, A5, B5, Executive, Tabloid), the PWG names that carry their size
// ("iso_a4_210x297mm", "na_letter_8.5x11in", with "_borderless" and the like after them) and
// "Custom.WxHin" / "mm" / "cm" / "pt". nullopt for a name whose size cannot be told.
std::optional<Paper> paperFromName(std::string_view name);

// The paper of a size in millimetres (a locale's LC_PAPER): A4 and Letter by their names,
// any other by its size.
Paper paperFromMillimetres(double widthMm, double heightMm);

// The paper named in the contents of a papersize file: its first word that is not a comment.
std::optional<Paper> paperFromPapersizeText(std::string_view text);

// The edges of a sheet the device cannot print on, in points.
struct Margins {
    double left = 0, top = 0, right = 0, bottom = 0;
};

// What most printers leave blank at each edge: a quarter of an inch.
Margins usualMargins();

// Where the printer's page lands on the output sheet: the top left corner of its printing area
// (column 1 at the top of form), and the scale it is drawn at.
struct Placement {
    double xPt = 0, yPt = 0;
    double scale = 1;
};

// The printer's page (the printing area of `layout`: its line width and printable length) placed
// on `paper` inside `margins`: where the layout puts it when it fits there, moved in from an
// edge it would cross, and scaled down (never up) only when it is larger than the area.
Placement fitPage(const Sheet& layout, const Paper& paper, const Margins& margins);

// The printer's Letter page as it is, on Letter paper.
Placement ownPlacement(const Sheet& sheet = {});

}  // namespace dprender

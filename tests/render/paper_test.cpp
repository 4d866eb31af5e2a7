// Which paper a name or a size stands for, and where the printer's Letter page lands on it:
// moved in from the edges, scaled down only when it is larger than the printable area.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "render/paper.h"
#include "render_test_util.h"

using namespace rendertest;
using dprender::Margins;
using dprender::Paper;

namespace {

TEST(Paper, NamesAndSizes) {
    const struct {
        const char* name;
        const char* is;  // "" for no paper
        double widthPt, heightPt;
    } cases[] = {
        {"A4", "A4", 595.3, 841.9},
        {"a4", "A4", 595.3, 841.9},
        {"Letter", "Letter", 612, 792},
        {"iso_a4_210x297mm", "A4", 595.3, 841.9},
        {"iso_a4_210x297mm_borderless", "A4", 595.3, 841.9},
        {"na_letter_8.5x11in", "Letter", 612, 792},
        {"na_legal_8.5x14in", "Legal", 612, 1008},
        {"iso_a5_148x210mm", "A5", 419.5, 595.3},
        {"om_small-photo_100x150mm", "100x150mm", 283.5, 425.2},
        {"Custom.8x10in", "Custom.8x10in", 576, 720},
        {"Custom.21x29.7cm", "Custom.21x29.7cm", 595.3, 841.9},
        {"na_letter", "", 0, 0},
        {"Custom.0x10in", "", 0, 0},
        {"Custom.8x10furlongs", "", 0, 0},
        {"", "", 0, 0},
        {"Foolscap", "", 0, 0},
    };
    for (const auto& c : cases) {
        const std::optional<Paper> p = dprender::paperFromName(c.name);
        if (!*c.is) {
            EXPECT_FALSE(p) << c.name;
            continue;
        }
        ASSERT_TRUE(p) << c.name;
        EXPECT_EQ(p->name, c.is) << c.name;
        EXPECT_NEAR(p->widthPt, c.widthPt, 0.1) << c.name;
        EXPECT_NEAR(p->heightPt, c.heightPt, 0.1) << c.name;
    }
    // A locale's LC_PAPER gives millimetres.
    EXPECT_EQ(dprender::paperFromMillimetres(210, 297).name, "A4");
    EXPECT_EQ(dprender::paperFromMillimetres(216, 279).name, "Letter");
    EXPECT_EQ(dprender::paperFromMillimetres(215.9, 355.6).name, "Legal");
    EXPECT_EQ(dprender::paperFromMillimetres(100, 100).name, "100x100mm");
    // A papersize file: its first word that is not a comment.
    EXPECT_EQ(dprender::paperFromPapersizeText("# paper\n\n  a4\n")->name, "A4");
    EXPECT_EQ(dprender::paperFromPapersizeText("letter")->name, "Letter");
    EXPECT_FALSE(dprender::paperFromPapersizeText("# nothing\n"));
    EXPECT_FALSE(dprender::paperFromPapersizeText("quarto\n"));
}

// The printer's page: 8 inches of line from 0.3 inch, 10.5 inches of lines from 0.25 inch.
TEST(Paper, ThePageIsMovedInAndScaledOnlyWhenItMust) {
    const dprender::Sheet layout;
    const Margins none, usual = dprender::usualMargins();
    const Margins printer{6, 6, 6, 6};
    const struct {
        const char* what;
        Paper paper;
        Margins margins;
        double x, y, scale;
    } cases[] = {
        {"Letter to its edges: where the layout puts it", dprender::letterPaper(), none, 21.6, 18, 1},
        {"Letter with the usual margins: moved in", dprender::letterPaper(), usual, 18, 18, 1},
        {"A4 to its edges: moved in, not scaled", dprender::a4Paper(), none, 595.28 - 576, 18, 1},
        {"A4 with a printer's 6 points: moved in, not scaled", dprender::a4Paper(), printer, 595.28 - 6 - 576, 18, 1},
        {"A4 with the usual margins: scaled to the width", dprender::a4Paper(), usual, 18, 18, (595.28 - 36) / 576},
        {"A5: scaled to its width", *dprender::paperFromName("A5"), none, 0, 18, 419.53 / 576},
        {"Legal: as on Letter", *dprender::paperFromName("Legal"), none, 21.6, 18, 1},
        {"Letter printing to a sixth of an inch from its edges: where the layout puts it", dprender::letterPaper(),
         {12, 12, 12, 12}, 21.6, 18, 1},
        {"Letter that prints nothing in its top half inch: moved down, not scaled", dprender::letterPaper(),
         {0, 36, 0, 0}, 21.6, 36, 1},
        {"Letter with half an inch all round: scaled to the width", dprender::letterPaper(), {36, 36, 36, 36}, 36, 36,
         540.0 / 576},
        {"Letter turned sideways: scaled to the height", {"Letter", 792, 612}, printer, 21.6, 6, 600.0 / 756},
    };
    for (const auto& c : cases) {
        const dprender::Placement p = dprender::fitPage(layout, c.paper, c.margins);
        EXPECT_NEAR(p.scale, c.scale, 0.001) << c.what;
        EXPECT_NEAR(p.yPt, c.y, 0.05) << c.what;
        if (c.scale == 1) {
            EXPECT_NEAR(p.xPt, c.x, 0.05) << c.what;
        }
        // Whatever the paper, the page lies inside its margins.
        EXPECT_GE(p.xPt, c.margins.left - 1e-9) << c.what;
        EXPECT_LE(p.xPt + p.scale * layout.printableWidthPt(), c.paper.widthPt - c.margins.right + 1e-6) << c.what;
        EXPECT_LE(p.yPt + p.scale * layout.printableDots() / 3.0, c.paper.heightPt - c.margins.bottom + 1e-6) << c.what;
    }
}

// The depreciation report on A4 with a printer's usual margins: an A4 PDF, and every column
// inside the printable area, none cut.
TEST(Paper, TheReportOnA4KeepsEveryColumn) {
    dptest::TempClient dir;
    dprender::RenderRequest req;
    req.input = golden("report/full_register.txt");
    req.output = dir.path("a4.pdf");
    req.paper = dprender::a4Paper();
    req.margins = dprender::usualMargins();
    ASSERT_TRUE(dprender::renderFile(req).ok);
    EXPECT_NE(run("pdfinfo " + rendertest::quoted(req.output)).out.find("595.276 x 841.89 pts (A4)"), std::string::npos);
    const std::vector<Word> words = pdfWords(req.output, 1);
    ASSERT_GT(words.size(), 100u);
    for (const Word& w : words) {
        EXPECT_GE(w.xMin, 18.0 - 0.5) << w.text;
        EXPECT_LE(w.xMax, 595.28 - 18.0 + 0.5) << w.text;
    }
    for (const char* whole : {"12/31/04", "Ending", "Page", "M01"})
        EXPECT_TRUE(std::any_of(words.begin(), words.end(), [&](const Word& w) { return w.text == whole; })) << whole;
}

}  // namespace

// The golden printer files of the module rendered to PDF: page counts, where the text lands on
// the sheet (pdftotext -bbox), and page 1 as a picture against the reviewed one (pdftoppm).
// DP_UPDATE_GOLDEN=1 writes the reviewed pictures instead (look at them before checking in).
#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "render_test_util.h"

using namespace rendertest;

namespace {

class GoldenRender : public ::testing::Test {
protected:
    dptest::TempClient dir;
    std::string pdf(const std::string& name) { return renderPdf(golden(name), dir.path("out.pdf")); }
};

TEST_F(GoldenRender, EveryPageOfEveryFile) {
    const struct {
        const char* file;
        int pages;
    } cases[] = {
        {"report/full_register.txt", 4},        {"report/empty_register.txt", 1},
        {"report/book_basis.txt", 1},           {"amort/one_unknown_extras.txt", 2},
        {"amort/both_given_balloon.txt", 2},    {"form4562/T4562_full.FRM", 1},
        {"form4562/T4562_empty_2002.FRM", 1},
    };
    for (const auto& c : cases) EXPECT_EQ(pdfPages(pdf(c.file)), c.pages) << c.file;
}

TEST_F(GoldenRender, TheReportsHundredAndThirtyTwoColumnsFitInsideTheMargins) {
    expectReportColumnsInsideThePage(pdf("report/full_register.txt"), 4);
}

// A value of the form and the box of the ruling it belongs in: its printed line and the
// columns of the rules left and right of it (the rules run through the middle of their cells).
struct BoxCase {
    const char* value;
    double line;
    double leftRuleCol, rightEdgeCol;
};

TEST_F(GoldenRender, FormValuesStandInsideTheirBoxes) {
    const std::vector<Word> words = pdfWords(pdf("form4562/T4562_full.FRM"), 1);
    const BoxCase cases[] = {
        {"100,000.", 9, 66.5, 79},   // line 1
        {"42,000.", 10, 66.5, 79},   // line 2
        {"400,000.", 11, 66.5, 79},  // line 3
        {"100,000.", 13, 66.5, 79},  // line 5
        {"42,000.", 15, 46.5, 56.5}, // line 6, cost
        {"37,000.", 15, 56.5, 66.5}, // line 6, elected cost
        {"500.", 17, 56.5, 66.5},    // line 7
        {"37,000.", 18, 66.5, 79},   // line 8
        {"1,200.", 20, 66.5, 79},    // line 10
        {"38,200.", 22, 66.5, 79},   // line 12
        {"1,400.", 27, 66.5, 79},    // line 14
        {"1,700.", 32, 66.5, 79},    // line 17
        {"600.", 38, 66.5, 79},      // line 19a, deduction
        {"7,000.", 40, 24.5, 37.5},  // line 19c, basis
    };
    for (const BoxCase& c : cases) {
        const auto w = std::find_if(words.begin(), words.end(), [&](const Word& x) {
            return x.text == c.value && x.midY() > lineY(c.line) && x.midY() < lineY(c.line + 1);
        });
        ASSERT_NE(w, words.end()) << c.value << " on line " << c.line;
        EXPECT_GT(w->xMin, columnX(c.leftRuleCol)) << c.value;
        EXPECT_LT(w->xMax, columnX(c.rightEdgeCol)) << c.value;
        EXPECT_GT(w->yMin, lineY(c.line) - 3.0) << c.value;  // the type's ascent above the rule
        EXPECT_LT(w->yMax, lineY(c.line + 1) + 2.5) << c.value;  // the comma's tail may touch the rule
    }
}

// An amount and the text of its line print on one line, not on the rule below the text.
TEST_F(GoldenRender, FormAmountsStandOnTheLinesOfTheirTexts) {
    const std::vector<Word> words = pdfWords(pdf("form4562/T4562_full.FRM"), 1);
    const struct {
        const char* value;
        const char* firstWord;  // of the line's text
    } cases[] = {{"100,000.", "Maximum"}, {"42,000.", "Total"}, {"400,000.", "Threshhold"}, {"1,200.", "Carryover"},
                 {"1,500.", "Property"},  {"1,850.", "Other"}, {"2,800.", "Listed"}};
    for (const auto& c : cases) {
        const auto v = std::find_if(words.begin(), words.end(), [&](const Word& w) { return w.text == c.value; });
        ASSERT_NE(v, words.end()) << c.value;
        const bool sameLine = std::any_of(words.begin(), words.end(), [&](const Word& w) {
            return w.text == c.firstWord && std::abs(w.midY() - v->midY()) < 3.0;
        });
        EXPECT_TRUE(sameLine) << c.value << " does not stand beside \"" << c.firstWord << '"';
    }
}

TEST_F(GoldenRender, PartLabelsPrintOnTheirBars) {
    const std::vector<Word> words = pdfWords(pdf("form4562/T4562_full.FRM"), 1);
    // The bars: six cells on the 8th line, seven on the 26th, 31st and 54th (10 cpi).
    const struct {
        const char* numeral;
        double line, cells;
    } bars[] = {{"l", 7, 6}, {"ll", 25, 7}, {"lll", 30, 7}, {"lV", 53, 7}};
    for (const auto& b : bars) {
        const auto inBar = [&](const Word& w) {
            return w.xMin >= columnX(0) && w.xMax <= columnX(b.cells) && w.midY() > lineY(b.line) &&
                   w.midY() < lineY(b.line + 1);
        };
        EXPECT_TRUE(std::any_of(words.begin(), words.end(), [&](const Word& w) { return w.text == "Part" && inBar(w); }))
            << "Part " << b.numeral;
        EXPECT_TRUE(std::any_of(words.begin(), words.end(), [&](const Word& w) { return w.text == b.numeral && inBar(w); }))
            << b.numeral;
    }
}

TEST_F(GoldenRender, TheLargeYearStandsAtTheTopRight) {
    // The hollow "20" and the solid "03" read as one word.
    const std::vector<Word> words = pdfWords(pdf("form4562/T4562_full.FRM"), 1);
    const auto w = std::find_if(words.begin(), words.end(), [&](const Word& x) {
        return x.text == "2003" && x.xMin > columnX(69) && x.yMax < lineY(4);
    });
    ASSERT_NE(w, words.end());
    EXPECT_GT(w->yMax - w->yMin, 18.0) << "large type";
}

// ---- pictures --------------------------------------------------------------------------------

struct Gray {
    int width = 0, height = 0;
    std::vector<unsigned char> px;
};

Gray loadPng(const std::string& path) {
    Gray g;
    cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
        cairo_surface_flush(s);
        g.width = cairo_image_surface_get_width(s);
        g.height = cairo_image_surface_get_height(s);
        const int stride = cairo_image_surface_get_stride(s);
        const unsigned char* data = cairo_image_surface_get_data(s);
        for (int y = 0; y < g.height; ++y)
            for (int x = 0; x < g.width; ++x) {
                const auto* p = reinterpret_cast<const std::uint32_t*>(data + y * stride) + x;
                g.px.push_back(static_cast<unsigned char>((*p >> 8) & 0xFF));  // green
            }
    }
    cairo_surface_destroy(s);
    return g;
}

// A picture against the reviewed one: all but a two-hundredth of the pixels within a quarter of
// the grey scale. DP_UPDATE_GOLDEN=1 makes it the reviewed one instead.
void expectAsReviewed(const std::string& picture, const std::string& reviewed) {
    if (const char* u = std::getenv("DP_UPDATE_GOLDEN"); u && std::string(u) == "1") {
        std::filesystem::create_directories(std::filesystem::path(reviewed).parent_path());
        std::filesystem::copy_file(picture, reviewed, std::filesystem::copy_options::overwrite_existing);
        return;
    }
    const Gray got = loadPng(picture), want = loadPng(reviewed);
    ASSERT_GT(want.width, 0) << "missing " << reviewed;
    ASSERT_EQ(got.width, want.width);
    ASSERT_EQ(got.height, want.height);
    std::size_t differing = 0;
    for (std::size_t i = 0; i < got.px.size(); ++i)
        if (std::abs(got.px[i] - want.px[i]) > 64) ++differing;
    EXPECT_LE(differing, got.px.size() / 200) << differing << " of " << got.px.size() << " pixels differ";
}

class Pictures : public GoldenRender, public ::testing::WithParamInterface<std::pair<const char*, const char*>> {};

TEST_P(Pictures, PageOneLooksAsReviewed) {
    const auto [file, picture] = GetParam();
    const std::string out = pdf(file);
    const std::string raster = dir.path("page1");
    ASSERT_EQ(run("pdftoppm -gray -png -r 40 -f 1 -l 1 -singlefile " + quoted(out) + " " + quoted(raster)).status, 0);
    expectAsReviewed(raster + ".png", golden(std::string("render/") + picture));
}

// The same pages as the renderer's own PNG at 100 dots an inch: the pictures the Windows tests
// hold the GDI drawing against.
class CairoPictures : public GoldenRender, public ::testing::WithParamInterface<std::pair<const char*, const char*>> {};

TEST_P(CairoPictures, PageOneLooksAsReviewed) {
    const auto [file, picture] = GetParam();
    dprender::RenderRequest req;
    req.input = golden(file);
    req.output = dir.path("page1.png");
    req.format = dprender::OutputFormat::Png;
    req.dpi = 100;
    ASSERT_TRUE(dprender::renderFile(req).ok);
    expectAsReviewed(req.output, golden(std::string("render/") + picture));
}

INSTANTIATE_TEST_SUITE_P(Golden, CairoPictures,
                         ::testing::Values(std::make_pair("report/full_register.txt", "report_page1_100dpi.png"),
                                           std::make_pair("amort/one_unknown_extras.txt", "amort_page1_100dpi.png"),
                                           std::make_pair("form4562/T4562_full.FRM", "form4562_page1_100dpi.png")));

INSTANTIATE_TEST_SUITE_P(Golden, Pictures,
                         ::testing::Values(std::make_pair("report/full_register.txt", "report_page1.png"),
                                           std::make_pair("amort/one_unknown_extras.txt", "amort_page1.png"),
                                           std::make_pair("form4562/T4562_full.FRM", "form4562_page1.png")));

}  // namespace

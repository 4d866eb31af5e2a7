// The PDF written straight from the pages with the standard fonts (the Windows build's PDF),
// read back with the poppler tools: the text in reading order, every column inside the page,
// letters where the layout puts them, and a write that fails reported as failed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "render/parser.h"
#include "render/standard_font_pdf.h"
#include "render/text_view.h"
#include "render_test_util.h"

using namespace rendertest;
using dprender::FaceWidths;
using dprender::Page;

namespace {

// Proportional widths unlike the fixed pitch, so that a reader using its own would misplace text.
FaceWidths testWidths() {
    FaceWidths w = FaceWidths::uniform(0.5f);
    for (int c = 'a'; c <= 'z'; ++c) w.regular[static_cast<std::size_t>(c)] = w.bold[static_cast<std::size_t>(c)] = 0.45f;
    w.regular['i'] = w.regular['l'] = 0.22f;
    w.regular[' '] = 0.28f;
    return w;
}

std::vector<Page> pagesOf(const std::string& file) {
    dprender::ParseOptions o;
    o.widths = testWidths();
    return dprender::parsePages(readFile(file), o);
}

std::string writePdf(const std::vector<Page>& pages, const std::string& out,
                     const dprender::Paper& paper = dprender::letterPaper(), const dprender::Margins& margins = {}) {
    std::FILE* f = std::fopen(out.c_str(), "wb");
    EXPECT_NE(f, nullptr);
    if (!f) return out;
    dprender::StandardFontPdf pdf(f, testWidths(), paper, dprender::fitPage(dprender::Sheet{}, paper, margins), "report.txt");
    for (const Page& p : pages) EXPECT_TRUE(pdf.addPage(p));
    EXPECT_TRUE(pdf.close()) << pdf.error();
    std::fclose(f);
    return out;
}

std::string squeezed(const std::string& line) {
    std::istringstream in(line);
    std::string word, out;
    while (in >> word) out += (out.empty() ? "" : " ") + word;
    return out;
}

// The page's lines as pdftotext -layout reads them, blanks squeezed, empty lines left out.
std::vector<std::string> pdfLines(const std::string& pdf, int page) {
    const Ran r = run("pdftotext -layout -f " + std::to_string(page) + " -l " + std::to_string(page) + " " +
                      quoted(pdf) + " -");
    std::vector<std::string> lines;
    std::istringstream in(r.out);
    for (std::string l; std::getline(in, l);)
        if (const std::string s = squeezed(l); !s.empty() && s != "\f") lines.push_back(s);
    return lines;
}

// The page's lines as the text view has them, without the rules and blocks (U+2500 to U+25BF),
// which the PDF draws rather than writes.
std::vector<std::string> viewLines(const Page& page) {
    std::vector<std::string> lines;
    for (std::string l : dprender::textLines(dprender::textView(page))) {
        for (std::size_t at; (at = l.find("\xE2\x94")) != std::string::npos || (at = l.find("\xE2\x95")) != std::string::npos ||
                             (at = l.find("\xE2\x96")) != std::string::npos;)
            l.replace(at, 3, " ");
        if (const std::string s = squeezed(l); !s.empty()) lines.push_back(s);
    }
    return lines;
}

class StandardFontPdfTest : public ::testing::Test {
protected:
    dptest::TempClient dir;
};

TEST_F(StandardFontPdfTest, TheReportReadsInOrderLineByLine) {
    const std::vector<Page> pages = pagesOf(golden("report/full_register.txt"));
    const std::string pdf = writePdf(pages, dir.path("report.pdf"));
    ASSERT_EQ(pdfPages(pdf), 4);
    for (int p = 1; p <= 4; ++p) {
        const std::vector<std::string> want = viewLines(pages[static_cast<std::size_t>(p - 1)]);
        EXPECT_GT(want.size(), 10u);
        EXPECT_EQ(pdfLines(pdf, p), want) << "page " << p;
    }
}

TEST_F(StandardFontPdfTest, TheReportsHundredAndThirtyTwoColumnsStandInsideThePage) {
    expectReportColumnsInsideThePage(writePdf(pagesOf(golden("report/full_register.txt")), dir.path("report.pdf")), 4);
}

// On A4 inside a printer's usual margins the page is moved in and scaled to the width, as every
// drawing places it: each word where the placement takes it from the Letter page, none cut.
TEST_F(StandardFontPdfTest, OnA4TheReportIsPlacedAndScaledWhole) {
    const dprender::Paper a4 = dprender::a4Paper();
    const dprender::Margins usual = dprender::usualMargins();
    const std::vector<Page> pages = pagesOf(golden("report/full_register.txt"));
    const std::string pdf = writePdf(pages, dir.path("a4.pdf"), a4, usual);
    EXPECT_NE(run("pdfinfo " + quoted(pdf)).out.find("595.276 x 841.89 pts (A4)"), std::string::npos);
    const dprender::Placement at = dprender::fitPage(dprender::Sheet{}, a4, usual);
    ASSERT_LT(at.scale, 1);
    const std::vector<Word> onA4 = pdfWords(pdf, 1), onLetter = pdfWords(writePdf(pages, dir.path("letter.pdf")), 1);
    ASSERT_GT(onA4.size(), 100u);
    ASSERT_EQ(onA4.size(), onLetter.size());
    const dprender::Placement own = dprender::ownPlacement();
    for (std::size_t i = 0; i < onA4.size(); ++i) {
        const Word &w = onA4[i], &l = onLetter[i];
        ASSERT_EQ(w.text, l.text);
        EXPECT_NEAR(w.xMin, at.xPt + at.scale * (l.xMin - own.xPt), 0.3) << w.text;
        EXPECT_NEAR(w.yMax, at.yPt + at.scale * (l.yMax - own.yPt), 0.3) << w.text;
        EXPECT_GE(w.xMin, usual.left - 0.3) << w.text;
        EXPECT_LE(w.xMax, a4.widthPt - usual.right + 0.3) << w.text;
    }
}

TEST_F(StandardFontPdfTest, EveryGoldenFileHasItsPagesAndText) {
    const struct {
        const char* file;
        int pages;
        const char* text;
    } cases[] = {
        {"report/empty_register.txt", 1, "Depreciation Report"},
        {"amort/one_unknown_extras.txt", 2, "Payment"},
        {"form4562/T4562_full.FRM", 1, "Depreciation and Amortization"},
        {"form4562/T4562_empty_2002.FRM", 1, "Form 4562"},
    };
    for (const auto& c : cases) {
        const std::string pdf = writePdf(pagesOf(golden(c.file)), dir.path("out.pdf"));
        EXPECT_EQ(pdfPages(pdf), c.pages) << c.file;
        EXPECT_NE(run("pdftotext " + quoted(pdf) + " -").out.find(c.text), std::string::npos) << c.file;
    }
}

TEST_F(StandardFontPdfTest, FormLettersStandWhereTheLayoutPutsThem) {
    const std::vector<Page> pages = pagesOf(golden("form4562/T4562_full.FRM"));
    const std::vector<Word> words = pdfWords(writePdf(pages, dir.path("form.pdf")), 1);
    // The hollow "20" and the solid "03" of the year read as one word, in large type.
    const auto year = std::find_if(words.begin(), words.end(),
                                   [](const Word& w) { return w.text == "2003" && w.xMin > columnX(69); });
    ASSERT_NE(year, words.end());
    EXPECT_GT(year->yMax - year->yMin, 18.0);
    // Part labels on their bars and values in their boxes, as on the drawn page.
    for (const char* label : {"Part", "lll", "lV"})
        EXPECT_TRUE(std::any_of(words.begin(), words.end(), [&](const Word& w) { return w.text == label; })) << label;
    const auto value = std::find_if(words.begin(), words.end(), [](const Word& w) {
        return w.text == "400,000." && w.midY() > lineY(11) && w.midY() < lineY(12);
    });
    ASSERT_NE(value, words.end());
    EXPECT_GT(value->xMin, columnX(66.5));
    EXPECT_LT(value->xMax, columnX(79));
}

TEST_F(StandardFontPdfTest, ProportionalTextAdvancesByTheWidthsItWasLaidOutWith) {
    // "illicit" in proportional type: a reader with the file's widths ends it where the layout does.
    const std::string bytes = "\x1bp1" "illicit wall\x1bp0\r\n";
    dprender::ParseOptions o;
    o.widths = testWidths();
    const std::vector<Page> pages = dprender::parsePages(bytes, o);
    const std::vector<Word> words = pdfWords(writePdf(pages, dir.path("p.pdf")), 1);
    ASSERT_EQ(words.size(), 2u);
    const double em = 10.5;
    EXPECT_NEAR(words[0].xMin, 21.6, 0.3);
    EXPECT_NEAR(words[0].xMax, 21.6 + em * (5 * 0.22 + 2 * 0.45), 0.3);
    EXPECT_NEAR(words[1].xMin, 21.6 + em * (5 * 0.22 + 2 * 0.45 + 0.28), 0.3);
}

TEST_F(StandardFontPdfTest, AFailedWriteIsReportedNotHidden) {
    std::FILE* full = std::fopen("/dev/full", "wb");
    ASSERT_NE(full, nullptr);
    std::setvbuf(full, nullptr, _IONBF, 0);
    dprender::StandardFontPdf pdf(full, testWidths());
    pdf.addPage(pagesOf(golden("report/book_basis.txt")).front());
    EXPECT_FALSE(pdf.close());
    EXPECT_EQ(pdf.error(), "the PDF could not be written");
    std::fclose(full);
}

TEST_F(StandardFontPdfTest, TheSameFileForTheSamePages) {
    const std::vector<Page> pages = pagesOf(golden("form4562/T4562_full.FRM"));
    EXPECT_EQ(readFile(writePdf(pages, dir.path("a.pdf"))), readFile(writePdf(pages, dir.path("b.pdf"))))
        << "no dates or other changing bytes in the file";
}

TEST(StandardLatin, CodePageCharactersMapToTheirPdfBytes) {
    const struct {
        char32_t unicode;
        unsigned char pdf;
    } cases[] = {{U'A', 'A'}, {U'~', '~'}, {0x00E9, 0xE9}, {0x00A3, 0xA3}, {0x0192, 0x83},
                 {0x2022, 0x95}, {0x03B1, 0},   {0x2500, 0},   {0x7F, 0}};
    for (const auto& c : cases) EXPECT_EQ(dprender::standardLatinByte(c.unicode), c.pdf) << std::hex << static_cast<unsigned>(c.unicode);
}

}  // namespace

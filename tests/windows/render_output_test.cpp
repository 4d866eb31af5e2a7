// The renderer's outputs on Windows: a PNG through GDI+ shows the page as GDI draws it, a PDF
// holds every page, and either appears whole or not at all.
#include <gtest/gtest.h>

#include <cstdio>

#include "render/render.h"
#include "render_test_support.h"

using namespace wintest;

namespace {

const dprender::Fonts& fonts() { return drawingFonts(); }

dprender::RenderResult render(const std::string& golden, const std::string& out, int page = 1) {
    dprender::RenderRequest req;
    req.input = sourceFile("tests/golden/" + golden);
    req.output = out;
    dprender::formatFromName(out, req.format);
    req.page = page;
    req.dpi = 72;
    return dprender::renderFile(req);
}

TEST(RenderOutput, APngShowsThePageAsGdiDrawsIt) {
    TempFolder dir;
    ASSERT_TRUE(render("form4562/T4562_full.FRM", dir.file("form.png")).ok);
    const Gray png = loadPng(dir.file("form.png"));
    const Gray drawn = drawnPage(goldenPage("form4562/T4562_full.FRM", fonts()), fonts(), 72);
    ASSERT_EQ(png.width, 612);
    ASSERT_EQ(png.height, 792);
    EXPECT_EQ(png.px, drawn.px) << "the PNG holds the drawn page, pixel for pixel";
    EXPECT_EQ(dir.count(), 1) << "no work file left beside it";
}

TEST(RenderOutput, APdfHoldsEveryPage) {
    TempFolder dir;
    const dprender::RenderResult res = render("report/full_register.txt", dir.file("report.pdf"));
    ASSERT_TRUE(res.ok) << res.error;
    EXPECT_EQ(res.pages, 4);
    const std::string pdf = readBytes(dir.file("report.pdf"));
    EXPECT_EQ(pdf.rfind("%PDF-1.4", 0), 0u);
    EXPECT_NE(pdf.find("/Count 4"), std::string::npos);
    EXPECT_NE(pdf.find("Riverside Hardware and Supply Co."), std::string::npos) << "the text is text";
    EXPECT_EQ(pdf.substr(pdf.size() - 6), "%%EOF\n");
}

TEST(RenderOutput, WholeOrNotAtAll) {
    TempFolder dir;
    // An existing file is replaced in one step.
    const std::string out = dir.file("report.pdf");
    FILE* old = std::fopen(out.c_str(), "wb");
    ASSERT_NE(old, nullptr);
    std::fputs("the old file", old);
    std::fclose(old);
    ASSERT_TRUE(render("report/book_basis.txt", out).ok);
    EXPECT_EQ(readBytes(out).rfind("%PDF", 0), 0u);
    EXPECT_EQ(dir.count(), 1);
    // A page the file does not have, a folder that does not exist: nothing is written.
    EXPECT_FALSE(render("report/book_basis.txt", dir.file("page9.png"), 9).ok);
    EXPECT_FALSE(render("report/book_basis.txt", dir.file("no such folder\\report.pdf")).ok);
    EXPECT_EQ(dir.count(), 1);
    // A folder of the name asked for stays as it was.
    CreateDirectoryA(dir.file("taken.pdf").c_str(), nullptr);
    const dprender::RenderResult refused = render("form4562/T4562_full.FRM", dir.file("taken.pdf"));
    EXPECT_FALSE(refused.ok);
    EXPECT_NE(refused.error.find("taken.pdf"), std::string::npos) << refused.error;
    EXPECT_EQ(GetFileAttributesA(dir.file("taken.pdf").c_str()) & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
    RemoveDirectoryA(dir.file("taken.pdf").c_str());
    EXPECT_EQ(dir.count(), 1) << "no work file left";
}

TEST(RenderOutput, TheDrawnPagesOfAFile) {
    int pages = 0;
    std::string error;
    EXPECT_TRUE(dprender::readDrawnPages(sourceFile("tests/golden/report/full_register.txt"),
                                         [&pages](dprender::Page&&) { return ++pages > 0; }, error));
    EXPECT_EQ(pages, 4);
    EXPECT_FALSE(dprender::readDrawnPages(sourceFile("tests/golden/no-such-file.txt"),
                                          [](dprender::Page&&) { return true; }, error));
    EXPECT_NE(error.find("cannot be opened"), std::string::npos) << error;
}

}  // namespace

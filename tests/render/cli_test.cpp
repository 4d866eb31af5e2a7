// veldro-render as a user runs it: arguments, outputs, and what it says when it cannot.
#include <gtest/gtest.h>

#include <filesystem>

#include "render_test_util.h"

using namespace rendertest;

namespace {

std::string tool() { return std::string(DP_BINARY_DIR) + "/suite/render/veldro-render"; }

Ran renderTool(const std::string& args) { return run(tool() + " " + args); }

TEST(RenderTool, HelpAndWrongArgumentsSayHowToUseIt) {
    const Ran help = renderTool("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: veldro-render FILE -o OUT.pdf|OUT.png", 0), 0u) << help.out;
    const struct {
        const char* args;
        const char* says;
    } wrong[] = {
        {"", "name the printer file to render"},
        {"report.txt", "name the output file with -o OUT.pdf or -o OUT.png"},
        {"report.txt -o out.txt", "the output file must end in .pdf or .png: out.txt"},
        {"report.txt -o", "-o needs the name of the output file"},
        {"report.txt -o a.png --page 0", "--page needs a page number from 1"},
        {"report.txt -o a.png --dpi 5000", "--dpi needs a number from 36 to 600"},
        {"report.txt -o a.pdf --page 2", "--page chooses the page of a PNG; a PDF holds every page"},
        {"a.txt b.txt -o c.pdf", "only one file can be rendered at a time"},
        {"report.txt --bogus", "unknown option --bogus"},
    };
    for (const auto& w : wrong) {
        const Ran r = renderTool(w.args);
        EXPECT_EQ(r.status, 2) << w.args;
        EXPECT_EQ(r.out.rfind(std::string("veldro-render: ") + w.says + "\n", 0), 0u) << w.args << ": " << r.out;
    }
}

TEST(RenderTool, WritesThePdfThePngOfAPageAndTheText) {
    dptest::TempClient dir;
    const std::string report = golden("report/full_register.txt");
    Ran r = renderTool(quoted(report) + " -o " + quoted(dir.path("report.pdf")));
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(pdfPages(dir.path("report.pdf")), 4);

    r = renderTool(quoted(report) + " -o " + quoted(dir.path("p3.PNG")) + " --page 3 --dpi 50");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(readFile(dir.path("p3.PNG")).substr(1, 3), "PNG");

    r = renderTool(quoted(report) + " --text --page 2");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("Page  2"), std::string::npos);
    EXPECT_EQ(r.out.find("Page  1"), std::string::npos);
}

TEST(RenderTool, FailuresLeaveNoFileBehindAndSaySo) {
    dptest::TempClient dir;
    const std::string report = golden("report/full_register.txt");
    Ran r = renderTool(quoted(report) + " -o " + quoted(dir.path("p.png")) + " --page 9");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("has 4 pages; there is no page 9."), std::string::npos) << r.out;
    EXPECT_FALSE(std::filesystem::exists(dir.path("p.png")));

    r = renderTool(quoted(dir.path("missing.txt")) + " -o " + quoted(dir.path("m.pdf")));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("cannot be opened: No such file or directory."), std::string::npos) << r.out;

    r = renderTool(quoted(report) + " -o " + quoted(dir.path("no/such/dir/r.pdf")));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("cannot be written"), std::string::npos) << r.out;

    // A directory in place of the output: written beside it, then the rename fails; nothing
    // half-written stays.
    std::filesystem::create_directories(dir.path("taken.pdf"));
    r = renderTool(quoted(report) + " -o " + quoted(dir.path("taken.pdf")));
    EXPECT_EQ(r.status, 1);
    for (const auto& e : std::filesystem::directory_iterator(dir.code()))
        EXPECT_EQ(e.path().filename().string().find(".part-"), std::string::npos) << e.path();
}

TEST(RenderTool, NotesAboutOddBytesGoToStandardError) {
    dptest::TempClient dir;
    writeFile(dir.path("odd.txt"), "A\x1b~B\x01\r\n\x1bj$\x1bj$C");
    const Ran r = renderTool(quoted(dir.path("odd.txt")) + " -o " + quoted(dir.path("odd.pdf")));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "veldro-render: note: 1 unknown printer command skipped (the first: ESC '~' at byte 1); 1 control byte "
              "ignored; 1 reverse feed stopped at the top of the sheet (36/216 inch not fed back; the first at byte "
              "10): what follows prints lower than the file meant\n");
    // The same notes with the pages as text.
    const Ran text = renderTool(quoted(dir.path("odd.txt")) + " --text");
    EXPECT_NE(text.out.find("veldro-render: note: 1 unknown printer command"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("1 reverse feed stopped at the top of the sheet"), std::string::npos) << text.out;
}

}  // namespace

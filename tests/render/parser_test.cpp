// The parser: printer bytes to pages. Each case feeds a few bytes and names where the printed
// runs land (line from the top of form, column at the run's pitch or x in points) and in what style.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/parser.h"

using dprender::Diagnostics;
using dprender::Page;
using dprender::ParseOptions;
using dprender::Run;

namespace {

const std::string ESC = "\x1b";

std::vector<Page> parse(const std::string& bytes, Diagnostics* d = nullptr, ParseOptions o = {}) {
    return dprender::parsePages(bytes, o, d);
}

// "top/36:x:text" for every run of the first page, in print order.
std::string layout(const Page& p) {
    std::string out;
    for (const Run& r : p.runs) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%g:%g:", r.top / 36.0, r.x);
        out += (out.empty() ? "" : " | ") + std::string(buf) + r.bytes;
    }
    return out;
}

struct LayoutCase {
    const char* what;
    std::string bytes;
    std::string runs;
};

TEST(Parser, WhereTextLands) {
    const LayoutCase cases[] = {
        {"CR LF ends a line", "AB\r\nC", "0:0:AB | 1:0:C"},
        {"LF alone is a line end", "AB\nC", "0:0:AB | 1:0:C"},
        {"CR alone prints over the line", "AB\rC", "0:0:AB | 0:0:C"},
        {"blanks before text move it at 10 cpi", "   A", "0:21.6:A"},
        {"blanks inside a run stay, blanks after go", "A  B   ", "0:0:A  B"},
        {"ESC j 36 goes back onto the printed line", "ABC\r\n   " + ESC + "j$E", "0:0:ABC | 0:21.6:E"},
        {"half a line back", "\r\n" + ESC + "j\x12X", "0.5:0:X"},
        {"a reverse feed stops at the top of form", "\r\n" + ESC + "j\x48X", "0:0:X"},
        {"ESC J feeds forward", ESC + "J\x12X", "0.5:0:X"},
        {"a tab goes to the next eighth cell", "A\tB", "0:0:A | 0:57.6:B"},
        {"backspace goes one cell back", "AB\bC", "0:0:AB | 0:7.2:C"},
        {"12 cpi after ESC X 30", ESC + "X\x1e\x14" + std::string(1, '\0') + "  A", "0:12:A"},
        {"17 cpi after ESC 34 Q 17", ESC + "\"Q\x11" + "  A", "0:8.47059:A"},
        {"ESC P is 10 cpi again", ESC + "\"Q\x11" + ESC + "P  A", "0:14.4:A"},
        {"the command bytes take no room", "A" + ESC + "E" + "B", "0:0:A | 0:7.2:B"},
        {"a form feed starts a page", "A\fB", "0:0:A"},
    };
    for (const LayoutCase& c : cases) {
        const std::vector<Page> pages = parse(c.bytes);
        ASSERT_FALSE(pages.empty()) << c.what;
        EXPECT_EQ(layout(pages[0]), c.runs) << c.what;
    }
}

TEST(Parser, ProportionalTextIsLaidOutByTheFaceWidths) {
    ParseOptions o;
    o.widths = dprender::FaceWidths::uniform(0.5f);
    o.widths.regular['W'] = 1.0f;
    o.widths.bold['W'] = 1.5f;
    // ESC X 1 16 0: proportional, 8 points. Blanks are 4 points, W 8 points (12 in bold).
    const std::vector<Page> p =
        parse(ESC + "X\x01\x10" + std::string(1, '\0') + "  W W" + ESC + "E W", nullptr, o);
    EXPECT_EQ(layout(p[0]), "0:8:W W | 0:32:W");
    EXPECT_EQ(p[0].runs[1].style.points, 8);
    EXPECT_TRUE(p[0].runs[1].style.bold);
    EXPECT_TRUE(p[0].runs[0].style.proportional);
}

struct StyleCase {
    const char* what;
    std::string bytes;
    bool (*check)(const dprender::Style&);
};

TEST(Parser, CommandsSetTheStyleOfWhatFollows) {
    const StyleCase cases[] = {
        {"initial state", "A", [](const dprender::Style& s) { return s.cpi == 10 && s.points == 10.5 && !s.proportional && !s.bold && s.ink == 0; }},
        {"ESC X 30 20 0", ESC + "X\x1e\x14" + std::string(1, '\0') + "A", [](const dprender::Style& s) { return s.cpi == 12 && s.points == 10; }},
        {"ESC X 0 keeps pitch and size 0 keeps size", ESC + "M" + ESC + "X" + std::string(3, '\0') + "A", [](const dprender::Style& s) { return s.cpi == 12 && s.points == 10.5; }},
        {"ESC X 1 40 0", ESC + "X\x01\x28" + std::string(1, '\0') + "A", [](const dprender::Style& s) { return s.proportional && s.points == 20; }},
        {"ESC P after proportional", ESC + "X\x01\x10" + std::string(1, '\0') + ESC + "PA", [](const dprender::Style& s) { return !s.proportional && s.cpi == 10 && s.points == 10.5; }},
        {"ESC p 1", ESC + "p\x01" + "A", [](const dprender::Style& s) { return s.proportional; }},
        {"ESC p '0'", ESC + "p\x01" + ESC + "p0A", [](const dprender::Style& s) { return !s.proportional; }},
        {"ESC g", ESC + "gA", [](const dprender::Style& s) { return s.cpi == 15; }},
        {"ESC E bold", ESC + "EA", [](const dprender::Style& s) { return s.bold; }},
        {"ESC F bold off", ESC + "E" + ESC + "FA", [](const dprender::Style& s) { return !s.bold; }},
        {"ESC k B", ESC + "kBA", [](const dprender::Style& s) { return s.typeface == 'B'; }},
        {"ESC 34 R white", ESC + "\"R\xff\xff\xff" + "A", [](const dprender::Style& s) { return s.ink == 0xFFFFFF; }},
        {"ESC 34 R back to black", ESC + "\"R\xff\xff\xff" + ESC + "\"R" + std::string(3, '\0') + "A", [](const dprender::Style& s) { return s.ink == 0; }},
        {"ESC 34 V outline", ESC + "\"VA", [](const dprender::Style& s) { return s.outline; }},
        {"ESC 34 U solid", ESC + "\"V" + ESC + "\"UA", [](const dprender::Style& s) { return !s.outline; }},
        {"ESC 34 W caption", ESC + "\"WA", [](const dprender::Style& s) { return s.proportional; }},
        {"ESC 34 X ends caption and outline", ESC + "\"W" + ESC + "\"V" + ESC + "\"XA", [](const dprender::Style& s) { return !s.proportional && !s.outline; }},
        {"ESC 34 z fine rules", ESC + "\"zA", [](const dprender::Style& s) { return s.fineRules; }},
        {"ESC 34 y regular rules", ESC + "\"z" + ESC + "\"yA", [](const dprender::Style& s) { return !s.fineRules; }},
        {"ESC 34 Q 0 is ignored", ESC + "\"Q" + std::string(1, '\0') + "A", [](const dprender::Style& s) { return s.cpi == 10; }},
        {"ESC @ resets", ESC + "E" + ESC + "\"Q\x11" + ESC + "@A", [](const dprender::Style& s) { return !s.bold && s.cpi == 10; }},
        // The commands that end a point size chosen by ESC X.
        {"ESC M ends ESC X size", ESC + "X\x01\x28" + std::string(1, '\0') + ESC + "MA", [](const dprender::Style& s) { return s.points == 10.5 && s.cpi == 12; }},
        {"ESC g ends ESC X size", ESC + "X\x1e\x28" + std::string(1, '\0') + ESC + "gA", [](const dprender::Style& s) { return s.points == 10.5 && s.cpi == 15; }},
        {"ESC p 1 ends ESC X size", ESC + "X\x1e\x28" + std::string(1, '\0') + ESC + "p\x01" + "A", [](const dprender::Style& s) { return s.points == 10.5 && s.proportional; }},
        {"ESC p '0' ends ESC X size", ESC + "X\x01\x10" + std::string(1, '\0') + ESC + "p0A", [](const dprender::Style& s) { return s.points == 10.5 && !s.proportional; }},
        {"ESC ! ends ESC X size", ESC + "X\x01\x28" + std::string(1, '\0') + ESC + "!" + std::string(1, '\0') + "A", [](const dprender::Style& s) { return s.points == 10.5 && s.cpi == 10 && !s.proportional; }},
        {"ESC @ ends ESC X size", ESC + "X\x01\x28" + std::string(1, '\0') + ESC + "@A", [](const dprender::Style& s) { return s.points == 10.5; }},
        {"ESC 34 X keeps ESC X size", ESC + "X\x01\x28" + std::string(1, '\0') + ESC + "\"XA", [](const dprender::Style& s) { return s.points == 20; }},
        // ESC ! n: the print mode in one byte.
        {"ESC ! 1 is 12 cpi", ESC + "!\x01" + "A", [](const dprender::Style& s) { return s.cpi == 12; }},
        {"ESC ! 2 proportional", ESC + "!\x02" + "A", [](const dprender::Style& s) { return s.proportional; }},
        {"ESC ! 4 condensed", ESC + "!\x04" + "A", [](const dprender::Style& s) { return s.cpi > 17.1 && s.cpi < 17.2; }},
        {"ESC ! 5 condensed elite", ESC + "!\x05" + "A", [](const dprender::Style& s) { return s.cpi == 20; }},
        {"ESC ! 8 bold", ESC + "!\x08" + "A", [](const dprender::Style& s) { return s.bold && s.cpi == 10; }},
        {"ESC ! 32 double width", ESC + "!\x20" + "A", [](const dprender::Style& s) { return s.cpi == 5; }},
        {"ESC ! 0 ends bold", ESC + "E" + ESC + "!" + std::string(1, '\0') + "A", [](const dprender::Style& s) { return !s.bold; }},
    };
    for (const StyleCase& c : cases) {
        const std::vector<Page> p = parse(c.bytes);
        ASSERT_EQ(p[0].runs.size(), 1u) << c.what;
        EXPECT_TRUE(c.check(p[0].runs[0].style)) << c.what;
    }
}

TEST(Parser, PagesEndAtFormFeedsAndAtTheFootOfTheSheet) {
    const struct {
        const char* what;
        std::string bytes;
        std::size_t pages;
    } cases[] = {
        {"empty file: one blank page", "", 1},
        {"no line end at all", "ABC", 1},
        {"a closing form feed and line end add no page", "A\f\r\n", 1},
        {"a form feed between two form feeds is a blank sheet", "A\f\fB", 3},
        {"a form feed first ejects a blank sheet", "\fA", 2},
        {"70 lines run onto a second sheet", std::string(70, '\n').replace(0, 1, "A") + "B", 2},
    };
    for (const auto& c : cases) EXPECT_EQ(parse(c.bytes).size(), c.pages) << c.what;
    Diagnostics d;
    const std::vector<Page> p = parse("\f\f", &d);
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(p[1].number, 2);
}

TEST(Parser, OddInputIsNotedNotFatal) {
    Diagnostics d;
    std::vector<Page> p = parse("A" + ESC + "~B" + ESC + "\"q" + "C\x01\x7f" + "D", &d);
    EXPECT_EQ(layout(p[0]), "0:0:A | 0:7.2:B | 0:14.4:CD");
    EXPECT_EQ(d.unknownCommands, 2u);
    EXPECT_EQ(d.firstUnknown, "ESC '~' at byte 1");
    EXPECT_EQ(d.ignoredControls, 2u);
    EXPECT_FALSE(d.truncatedCommand);
    EXPECT_EQ(dprender::describe(d),
              "2 unknown printer commands skipped (the first: ESC '~' at byte 1); 2 control bytes ignored");

    p = parse("AB" + ESC + "X\x01", &d);
    EXPECT_EQ(layout(p[0]), "0:0:AB");
    EXPECT_TRUE(d.truncatedCommand);

    // Reverse feeds the top of the sheet stopped: counted, and said.
    p = parse(ESC + "j\x48" + ESC + "j\x24" + "A\r\n" + ESC + "j\x12" + "B", &d);
    EXPECT_EQ(d.stoppedAtTop, 2u);
    EXPECT_EQ(d.stoppedAtTopDots, 108u);
    EXPECT_EQ(d.firstStopAtTop, 0u);
    EXPECT_EQ(dprender::describe(d),
              "2 reverse feeds stopped at the top of the sheet (108/216 inch not fed back; the first at byte 0): what "
              "follows prints lower than the file meant");
    p = parse("A\r\n" + ESC + "j\x24" + "B", &d);
    EXPECT_EQ(d.stoppedAtTop, 0u);
    EXPECT_EQ(dprender::describe(d), "");

    // 200 characters at 10 cpi: the printer's line takes 80.
    p = parse(std::string(200, 'x'), &d);
    ASSERT_EQ(p[0].runs.size(), 1u);
    EXPECT_EQ(p[0].runs[0].bytes.size(), 80u);
    EXPECT_EQ(d.clippedGlyphs, 120u);
    EXPECT_TRUE(d.error.empty());
}

TEST(Parser, EndlessOverprintingAndEndlessPagesStopWithAnError) {
    ParseOptions o;
    o.maxGlyphsPerPage = 100;
    Diagnostics d;
    std::string overprint;
    for (int i = 0; i < 200; ++i) overprint += "X\r";
    parse(overprint, &d, o);
    EXPECT_NE(d.error.find("page 1 holds more than 100 characters"), std::string::npos) << d.error;

    o = {};
    o.maxPages = 5;
    const std::vector<Page> p = parse(std::string(10, '\f'), &d, o);
    EXPECT_EQ(p.size(), 5u);
    EXPECT_EQ(d.error, "the file makes more than 5 pages");
}

TEST(Parser, PiecesFedOneByteAtATimeGiveTheSamePages) {
    const std::string bytes = "AB\r\n" + ESC + "X\x01\x10" + std::string(1, '\0') + "CD" + ESC + "j$" + ESC +
                              "\"R\xff\xff\xff" + "EF\fGH";
    const std::vector<Page> whole = parse(bytes);
    std::vector<Page> pieces;
    dprender::Parser p({}, [&](Page&& page) {
        pieces.push_back(std::move(page));
        return true;
    });
    for (char c : bytes) p.feed(std::string_view(&c, 1));
    p.finish();
    ASSERT_EQ(pieces.size(), whole.size());
    for (std::size_t i = 0; i < whole.size(); ++i) {
        EXPECT_EQ(layout(pieces[i]), layout(whole[i]));
        for (std::size_t r = 0; r < whole[i].runs.size(); ++r) EXPECT_EQ(pieces[i].runs[r].style, whole[i].runs[r].style);
    }
}

TEST(Parser, ASinkThatRefusesStopsTheReading) {
    int seen = 0;
    dprender::Parser p({}, [&](Page&&) { return ++seen < 2; });
    p.feed("A\fB\fC\fD");
    p.finish();
    EXPECT_EQ(seen, 2);
    EXPECT_TRUE(p.stopped());
    EXPECT_FALSE(p.failed());
}

}  // namespace

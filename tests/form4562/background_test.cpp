// The printed face of the form: its bytes where they are fixed, and where its passes put the
// paper, checked on a model of the sheet.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "form4562/form_background.h"
#include "form4562/form_lines.h"
#include "paper.h"

namespace {

using formtest::Paper;
using formtest::Printed;

const std::string ESC = "\x1b";
const std::string CRLF = "\r\n";

std::string esc(std::initializer_list<int> bs) {
    std::string s = ESC;
    for (int b : bs) s.push_back(static_cast<char>(b));
    return s;
}

std::string repeated(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

std::string passBytes(const dp::FormBackground& bg, int pass) {
    return bg.bytes.substr(bg.passStart[pass - 1], bg.passStart[pass] - bg.passStart[pass - 1]);
}

// The whole page: background, then a values layer, fed to the model sheet.
struct Page {
    dp::FormBackground bg = dp::buildFormBackground("2003");
    Paper paper;
    std::array<int, dp::kBackgroundPasses + 1> posAfter{};  // posAfter[k]: after pass k
    int valuesTop = 0;                                       // where values row 1 prints

    Page() {
        for (int k = 1; k <= dp::kBackgroundPasses; ++k) {
            paper.feed(bg.bytes, bg.passStart[k - 1], bg.passStart[k]);
            posAfter[k] = paper.pos;
        }
        valuesTop = paper.pos;
    }
    int valuesRow(int v) const { return Paper::row(valuesTop + 36 * (v - 1)); }
    // Runs of one pass, in file order, whose text is t (or begins with t when prefix).
    std::vector<const Printed*> runs(int pass, const std::string& t, bool prefix = false) const {
        std::vector<const Printed*> out;
        for (const Printed& p : paper.printed)
            if (p.offset >= bg.passStart[pass - 1] && p.offset < bg.passStart[pass] &&
                (prefix ? p.text.rfind(t, 0) == 0 : p.text == t))
                out.push_back(&p);
        return out;
    }
    int rowOf(int pass, const std::string& t, int occurrence = 0, bool prefix = false) const {
        auto r = runs(pass, t, prefix);
        if (static_cast<int>(r.size()) <= occurrence) {
            ADD_FAILURE() << "pass " << pass << " prints no \"" << t << "\" #" << occurrence;
            return -1000;
        }
        return Paper::row(r[occurrence]->pos);
    }
};

TEST(FormBackground, OnlyKnownCommandsAndCrLfLineEnds) {
    const dp::FormBackground bg = dp::buildFormBackground("2003");
    Paper paper;
    paper.feed(bg.bytes, 0, bg.bytes.size());
    EXPECT_EQ(paper.error, "");  // no form feed, no stray control byte, no bare CR or LF
    EXPECT_EQ(bg.passStart[0], 0u);
    EXPECT_EQ(bg.passStart[10], bg.bytes.size());
    for (int k = 1; k <= 10; ++k) EXPECT_LT(bg.passStart[k - 1], bg.passStart[k]) << "pass " << k;
}

TEST(FormBackground, LabelBarsAndPartLabels) {
    const dp::FormBackground bg = dp::buildFormBackground("2003");
    const std::string bar6(6, '\xdb'), bar7(7, '\xdb');
    const std::string pass1 = esc({'k', 'B'}) + esc({'P'}) + esc({34, 'X'}) + esc({34, 'y'}) + repeated(CRLF, 7) +
                              bar6 + CRLF + repeated(CRLF, 17) + bar7 + CRLF + repeated(CRLF, 4) + bar7 + CRLF +
                              repeated(CRLF, 22) + bar7 + CRLF + repeated(esc({'j', 36}), 54);
    EXPECT_EQ(passBytes(bg, 1), pass1);
    const std::string label = esc({'X', 1, 16, 0}) + esc({34, 'R', 255, 255, 255}) + " Part l" + esc({34, 'R', 0, 0, 0});
    EXPECT_EQ(passBytes(bg, 2).substr(0, 14 + label.size() + 2), repeated(CRLF, 7) + label + CRLF);
    const std::string end2 = " Part lV" + esc({34, 'R', 0, 0, 0}) + CRLF + repeated(esc({'j', 36}), 54);
    EXPECT_EQ(passBytes(bg, 2).substr(passBytes(bg, 2).size() - end2.size()), end2);
}

TEST(FormBackground, MarksAndRuling) {
    const dp::FormBackground bg = dp::buildFormBackground("2003");
    const std::string pass3 = passBytes(bg, 3);
    const std::string mark12 = esc({'p', '0'}) + esc({'P'}) + std::string(23, ' ') + esc({34, 'Q', 12}) + ">" +
                               esc({'p', '0'}) + esc({'P'}) + CRLF + esc({'j', 36});
    EXPECT_EQ(pass3.substr(0, 3 * 7 + mark12.size()), repeated(esc({'X', 30, 20, 0}) + CRLF, 3) + mark12);
    EXPECT_NE(pass3.find(std::string(42, ' ') + esc({34, 'Q', 50}) + ">"), std::string::npos);
    EXPECT_EQ(pass3.substr(pass3.size() - 14), CRLF + esc({'j', 36}) + repeated(esc({'j', 36}), 3));

    const std::string pass4 = passBytes(bg, 4);
    const std::string head = esc({'P'}) + esc({34, 'X'}) + esc({'k', 'A'}) + esc({'P'}) + esc({34, 'X'}) + esc({34, 'z'}) + CRLF;
    ASSERT_EQ(pass4.substr(0, head.size()), head);
    // The header line and the 55 ruling lines, then the run back.
    std::size_t lineEnds = 0;
    for (std::size_t i = 0; i + 1 < pass4.size(); ++i)
        if (pass4[i] == '\r' && pass4[i + 1] == '\n') ++lineEnds;
    EXPECT_EQ(lineEnds, 56u);
    EXPECT_EQ(pass4.substr(pass4.size() - 55 * 3 - 2), CRLF + repeated(esc({'j', 36}), 54) + esc({'j', 18}));
    const std::string line1 = esc({'j', 36}) + std::string(15, ' ') + "\xb3" + std::string(51, ' ') + "\xb3" + CRLF;
    const std::string line2 = std::string(15, ' ') + "\xb3" + std::string(51, ' ') + "\xc3" + std::string(11, '\xc4') +
                              esc({'j', 18}) + CRLF;
    EXPECT_EQ(pass4.substr(head.size(), line1.size() + line2.size()), line1 + line2);
    // Line 46 of the ruling and the last one.
    EXPECT_NE(pass4.find(CRLF + std::string(16, '\xc4') + std::string(9, '\xc2') + std::string(12, '\xc4') + "\xc2" +
                         std::string(10, '\xc4') + "\xc2" + std::string(10, '\xc4') + "\xc2" + std::string(6, '\xc4') +
                         "\xc2" + std::string(12, '\xc4') + CRLF),
              std::string::npos);
    EXPECT_NE(pass4.find(CRLF + std::string(53, '\xc4') + "\xc1" + std::string(2, '\xc4') + "\xc1" + std::string(9, '\xc4') +
                         std::string(13, '\xc1') + CRLF + esc({'j', 36})),
              std::string::npos);
}

TEST(FormBackground, TitleBlockCarriesTheYearText) {
    const dp::FormBackground bg = dp::buildFormBackground("2003");
    const std::string pass5 = passBytes(bg, 5);
    EXPECT_EQ(pass5.substr(0, 5), CRLF + esc({'j', 12}));
    EXPECT_NE(pass5.find("(Including Information on Listed Property)" + repeated(CRLF, 4) + esc({'X', 30, 20, 0}) + CRLF +
                         esc({'j', 23}) + CRLF),
              std::string::npos);
    EXPECT_EQ(passBytes(bg, 6).substr(0, 52 * 3 + 2), repeated(esc({'j', 36}), 52) + esc({34, 'X'}).substr(0, 2));
    const std::string pass10 = passBytes(bg, 10);
    EXPECT_EQ(pass10.substr(0, 37 * 3 + 3 + 2 + 3 + 2),
              repeated(esc({'j', 36}), 37) + esc({'j', 19}) + esc({'P'}) + esc({34, 'X'}) + CRLF);
    EXPECT_EQ(pass10.substr(pass10.size() - 7), CRLF + esc({'j', 26}) + CRLF);
    EXPECT_NE(pass5.find(std::string(70, ' ') + esc({34, 'W'}) + esc({'X', 1, 40, 0}) + esc({34, 'V'}) + "20" +
                         esc({34, 'U'}) + "03" + CRLF),
              std::string::npos);
    // Column 10 after a fresh line end: nine blanks.
    EXPECT_NE(pass5.find(esc({'j', 23}) + CRLF + std::string(9, ' ') + esc({'X', 1, 20, 0}) +
                         "  Election TO Expense Certain Tangible Property" + CRLF),
              std::string::npos);
    const std::string pass7 = passBytes(bg, 7);
    EXPECT_NE(pass7.find("deduction from 2002. (see instructions)"), std::string::npos);
    EXPECT_NE(pass7.find("deduction to 2003. Add lines 9 and 10"), std::string::npos);
    EXPECT_NE(pass7.find("placed inservice in tax years before 2003" + CRLF), std::string::npos);
    EXPECT_NE(pass7.find("Service During 2003 Using The General"), std::string::npos);
}

TEST(FormBackground, ColumnRuleCountsCommandBytes) {
    const dp::FormBackground bg = dp::buildFormBackground("2003");
    // ESC j 30 and then column 20: sixteen blanks after the three command bytes.
    EXPECT_NE(passBytes(bg, 9).find(CRLF + esc({'j', 30}) + std::string(16, ' ') + "(a) Description of property"),
              std::string::npos);
    // The notice and its commands pass column 67: a line end, then 66 blanks.
    const std::string notice = "For Paperwork Reduction Act Notice, see page 1 of the separate instructions.";
    const std::string foot = notice + esc({'P'}) + esc({34, 'X'}) + esc({'j', 36}) + CRLF + std::string(66, ' ') +
                             esc({'X', 1, 16, 0}) + "Form 4562  (2003)" + CRLF;
    EXPECT_EQ(notice.size() + 8, 84u);
    const std::string pass7 = passBytes(bg, 7);
    ASSERT_GE(pass7.size(), foot.size());
    EXPECT_EQ(pass7.substr(pass7.size() - foot.size()), foot);
}

TEST(FormBackground, LineNumbersLeftAndRight) {
    const dp::FormBackground bg = dp::buildFormBackground("2003");
    const std::string pass6 = passBytes(bg, 6);
    const std::string right = esc({34, 'W'}) + esc({'X', 1, 16, 0});
    const std::string leftEnd = esc({'P'}) + esc({34, 'X'}) + CRLF;
    struct Case {
        std::string left;
        bool stepBack;
        int blanks;
        std::string rightText;
    };
    const Case cases[] = {
        {"  7", true, 54, " 7"},  {"  8", true, 65, "8"},    {"  9", true, 65, "9"},    {" 10", true, 64, " 10"},
        {" 12", true, 64, " 12"}, {" 13", true, 54, "13"},   {" 14", false, 64, " 14"}, {" 15", true, 64, " 15"},
        {" 17", true, 64, " 17"}, {" 21", true, 64, " 21"},  {" 22", false, 64, " 22"}, {" 23", false, 54, "23"},
    };
    for (const Case& c : cases) {
        const std::string pair = CRLF + c.left + leftEnd + (c.stepBack ? esc({'j', 36}) : "") +
                                 std::string(c.blanks, ' ') + right + c.rightText + CRLF;
        EXPECT_NE(pass6.find(pair), std::string::npos) << c.left;
    }
    EXPECT_NE(pass6.find(CRLF + " " + esc({'X', 1, 16, 0}) + "3" + leftEnd + esc({'j', 36}) + std::string(65, ' ') +
                         right + "3" + CRLF),
              std::string::npos);
    EXPECT_NE(pass6.find(CRLF + CRLF + "  6" + CRLF + CRLF + "  7"), std::string::npos);
    EXPECT_NE(pass6.find(CRLF + "   h" + CRLF + CRLF + "   i" + CRLF + CRLF + CRLF + " 20a" + CRLF), std::string::npos);
}

TEST(FormBackground, TextsAsStored) {
    const std::string bytes = dp::buildFormBackground("2003").bytes;
    for (const char* t : {"Threshhold cost", "amoount from line 26", "Taxable income llimitation", "the smaler of",
                          "not more then line 11", "placed inservice", " Part l\x1b", " Part ll\x1b", " Part lll\x1b",
                          " Part lV\x1b", "Do not use Part ll or Part lll below", "OMB No. 1545-0172",
                          "Business or activity to which this form is applicable", "(f) Method \x1b"})
        EXPECT_NE(bytes.find(t), std::string::npos) << t;
}

TEST(FormBackground, YearTexts) {
    EXPECT_EQ(dp::formYearText("12312003"), "2003");
    EXPECT_EQ(dp::formYearText("063098"), "3098");
    EXPECT_EQ(dp::formYearText(std::string("\0\0\0\0", 4) + "0"), "   0");
    EXPECT_EQ(dp::formYearText("98"), "  98");
    EXPECT_EQ(dp::carryoverYearText("2003"), "2002");
    EXPECT_EQ(dp::carryoverYearText("1000"), "0999");
    EXPECT_EQ(dp::carryoverYearText("0000"), "0000");
    EXPECT_EQ(dp::carryoverYearText("   0"), "   0");
    // Only the year text varies between years.
    const std::string a = dp::buildFormBackground("2003").bytes;
    const std::string b = dp::buildFormBackground("1998").bytes;
    ASSERT_EQ(a.size(), b.size());
    int differing = 0;
    for (std::size_t i = 0; i < a.size(); ++i) differing += a[i] != b[i];
    EXPECT_EQ(differing, 4 + 5 * 4);  // the title block and five texts naming a year
}

// Every pass feeds back exactly what it advanced: the first four each end at the top, and no
// reverse feed ever reaches above the top edge, so a printer that stops there and one that
// does not print every piece in the same place.
TEST(FormPaper, EveryPassReturnsAsFarAsItAdvanced) {
    const dp::FormBackground bg = dp::buildFormBackground("2003");
    Paper stopping, feeding;
    feeding.stopsAtTop = false;
    // How far each of the first four goes down: pass 3 one line below its marks' row, pass 4 to
    // the middle of the row under its last rule.
    const int advanced[4] = {54 * 36, 54 * 36, 4 * 36, 54 * 36 + 18};
    for (int k = 1; k <= dp::kBackgroundPasses; ++k) {
        stopping.highest = 0;
        stopping.feed(bg.bytes, bg.passStart[k - 1], bg.passStart[k]);
        feeding.feed(bg.bytes, bg.passStart[k - 1], bg.passStart[k]);
        EXPECT_EQ(stopping.stoppedAtTop, 0) << "pass " << k;
        if (k <= 4) {
            EXPECT_EQ(stopping.pos, 0) << "pass " << k;
            EXPECT_EQ(stopping.highest, advanced[k - 1]) << "pass " << k;
        }
    }
    const std::string values(1, 'x');
    stopping.feed(values, 0, 1);
    feeding.feed(values, 0, 1);
    ASSERT_EQ(stopping.printed.size(), feeding.printed.size());
    for (std::size_t i = 0; i < stopping.printed.size(); ++i)
        EXPECT_EQ(stopping.printed[i].pos, feeding.printed[i].pos) << stopping.printed[i].text;
}

TEST(FormPaper, BarsLabelsMarksAndTitlesShareTheirRows) {
    const Page page;
    const int barRows[4] = {8, 26, 31, 54};
    const char* labels[4] = {"Part l", "Part ll", "Part lll", "Part lV"};
    const char* titles[4] = {"Election TO Expense", "Special Depreciation Allowance", "MACRS Depreciation", "Summary"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(page.rowOf(1, i == 0 ? std::string(6, '\xdb') : std::string(7, '\xdb'), i == 0 ? 0 : i - 1), barRows[i]);
        EXPECT_EQ(page.rowOf(2, labels[i]), barRows[i]);
        EXPECT_EQ(page.rowOf(5, titles[i], 0, true), barRows[i]) << titles[i];
        // The row of a bar holds nothing else: no ruling, number, text or value.
        for (const Printed& p : page.paper.printed) {
            if (p.offset < page.bg.passStart[2] || (p.offset >= page.bg.passStart[4] && p.offset < page.bg.passStart[5]))
                continue;
            const int top = 36 * (barRows[i] - 1);
            EXPECT_FALSE(p.pos > top - 18 && p.pos < top + 18) << "\"" << p.text << "\" on the bar of " << labels[i];
        }
    }
    for (const Printed* p : page.runs(3, ">")) EXPECT_EQ(Paper::row(p->pos), 4);
    EXPECT_EQ(page.runs(3, ">").size(), 78u);
}

// The line numbers of pass 6, the texts of pass 7 and the values layer land on the same rows.
TEST(FormPaper, LineNumbersTextsAndValuesShareRows) {
    const Page page;
    EXPECT_EQ(page.paper.error, "");
    struct Line {
        std::string number;
        int valuesRow;      // of the amount, and of the right-hand number box
        bool boxBelow;      // the left-hand number stands one row higher
        std::string text;   // the start of the line's text in pass 7
    };
    const Line lines[] = {
        {"1", 4, false, "Maximum amount."},        {"2", 5, false, "Total Cost of section 179"},
        {"3", 6, false, "Threshhold cost"},        {"4", 7, false, "Reduction in limitation."},
        {"5", 8, false, "Dollar limitation"},      {"7", 12, false, "Listed property. Enter amoount"},
        {"8", 13, false, "Total elected cost"},    {"9", 14, false, "Tentative deduction."},
        {"10", 15, false, "Carryover of disallowed deduction from"},
        {"11", 16, false, "Taxable income"},       {"12", 17, false, "Section 179 expense deduction."},
        {"13", 18, false, "Carryover of disallowed deduction to"},
        {"14", 22, true, "in service during the tax year"},
        {"15", 23, false, "Property subject to"},  {"16", 24, false, "Other depreciation"},
        {"17", 27, false, "MACRS deductions"},     {"21", 49, false, "Listed property. Enter amount from line 25"},
        {"22", 51, true, "and on the appropriate line"},
    };
    for (const Line& l : lines) {
        const int row = page.valuesRow(l.valuesRow);
        EXPECT_EQ(page.rowOf(6, l.number, 0), row - (l.boxBelow ? 1 : 0)) << "left number " << l.number;
        EXPECT_EQ(page.rowOf(6, l.number, 1), row) << "right number " << l.number;
        EXPECT_EQ(page.rowOf(7, l.text, 0, true), row) << l.text;
    }
    // Line 6: three rows, the number and the amounts on the middle one, no text in pass 7.
    EXPECT_EQ(page.rowOf(6, "6"), page.valuesRow(10));
    EXPECT_EQ(page.rowOf(7, "Listed property. Enter amoount", 0, true) - page.rowOf(7, "Dollar limitation", 0, true), 4);
    EXPECT_EQ(page.rowOf(9, "(a) Description of property"), page.valuesRow(9));
    // Line 23 has no amount; its right-hand box is a row below its number.
    EXPECT_EQ(page.rowOf(6, "23", 1), page.rowOf(6, "23", 0) + 1);
    EXPECT_EQ(page.rowOf(6, "23", 0), page.valuesRow(52));

    // The class rows: 19a to 19g, 19h on row 40, 19i on row 42, 20a to 20c.
    EXPECT_EQ(page.rowOf(6, "19a"), page.valuesRow(33));
    const char* letters = "bcdefg";
    for (int i = 0; i < 6; ++i) EXPECT_EQ(page.rowOf(6, std::string(1, letters[i])), page.valuesRow(34 + i)) << letters[i];
    EXPECT_EQ(page.rowOf(6, "h"), page.valuesRow(40));
    EXPECT_EQ(page.rowOf(6, "i"), page.valuesRow(42));
    EXPECT_EQ(page.rowOf(6, "20a"), page.valuesRow(45));
    EXPECT_EQ(page.rowOf(6, "b", 1), page.valuesRow(46));
    EXPECT_EQ(page.rowOf(6, "c", 1), page.valuesRow(47));
    const char* rowTexts[] = {"3-year property", "5-year property", "7-year property", "10-year property",
                              "15-year property", "20-year property", "25-year property"};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(page.rowOf(7, rowTexts[i]), page.valuesRow(33 + i)) << rowTexts[i];
    EXPECT_EQ(page.rowOf(7, "Residential rental"), page.valuesRow(40));
    EXPECT_EQ(page.rowOf(7, "Nonresidential real"), page.valuesRow(42));
    EXPECT_EQ(page.rowOf(7, "Class life"), page.valuesRow(45));
    EXPECT_EQ(page.rowOf(7, "40-year"), page.valuesRow(47));
}

TEST(FormPaper, HeadingLandsAtTheTop) {
    const Page page;
    // The form number and its identification share the top rows; the answer line of the
    // heading lies under the name caption; the foot shares the notice's row.
    EXPECT_EQ(page.rowOf(5, "4562"), 2);
    EXPECT_EQ(page.rowOf(10, "OMB No. 1545-0172"), 2);
    EXPECT_LE(page.rowOf(10, "Form"), 3);
    const int caption = page.rowOf(8, "Name shown on return");
    EXPECT_GT(page.valuesRow(1), caption);
    EXPECT_LE(page.valuesRow(1), caption + 2);
    EXPECT_EQ(page.rowOf(8, "Business or activity to which this form is applicable"), caption);
    EXPECT_EQ(page.rowOf(7, "Form 4562  (2003)"), page.rowOf(7, "For Paperwork", 0, true));
    EXPECT_EQ(page.valuesRow(3) + 1, page.valuesRow(4));
}

}  // namespace

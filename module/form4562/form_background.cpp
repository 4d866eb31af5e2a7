#include "form4562/form_background.h"

#include <string_view>

#include "form4562/form_text.h"

namespace dp {

namespace {

constexpr int ESC = 27;

// Box-drawing bytes of the printer's character set.
constexpr int H = 0xC4;      // horizontal
constexpr int V = 0xB3;      // vertical
constexpr int UP = 0xC1;     // bottom tee
constexpr int DOWN = 0xC2;   // top tee
constexpr int RIGHT = 0xC3;  // left tee, opening to the right
constexpr int LEFT = 0xB4;   // right tee, opening to the left
constexpr int CROSS = 0xC5;
constexpr int CORNER_BL = 0xC0;
constexpr int CORNER_TL = 0xDA;
constexpr int BLOCK = 0xDB;

class Page {
public:
    FormText t;

    void esc(std::initializer_list<int> bs) {
        t.byte(ESC);
        for (int b : bs) t.byte(b);
    }
    // Reverse feed of n/216 inch; n = 36 is one line.
    void back(int n) { esc({'j', n}); }
    void backLines(int count) {
        for (int i = 0; i < count; ++i) back(36);
    }
    void font(int pitch, int size) { esc({'X', pitch, size, 0}); }
    void tenPitch() { esc({'P'}); }
    void path(char c) { esc({34, c}); }      // print-path command
    void s(std::string_view text) { t.text(text); }
    void rep(int b, int n) { t.repeat(b, n); }
    void blanks(int n) { t.blanks(n); }
    void crlf(int n = 1) { t.crlf(n); }
    void column(int n) { t.column(n); }
    // Ten pitch and the print path's own font reset, after most texts of the heading.
    void resetFont() { tenPitch(); path('X'); }
};

// Pass 1: the black bars on the 8th, 26th, 31st and 54th lines, the empty lines the ruling,
// the line texts and the values leave for them.
void labelBars(Page& p) {
    p.esc({'k', 'B'});
    p.tenPitch();
    p.path('X');
    p.path('y');
    p.crlf(7);
    p.rep(BLOCK, 6);
    p.crlf();
    const int gaps[3] = {17, 4, 22};
    for (int gap : gaps) {
        p.crlf(gap);
        p.rep(BLOCK, 7);
        p.crlf();
    }
    p.backLines(54);
}

// Pass 2: the white part labels on the bars.
void partLabels(Page& p) {
    const int gaps[4] = {7, 17, 4, 22};
    const char* labels[4] = {" Part l", " Part ll", " Part lll", " Part lV"};
    for (int i = 0; i < 4; ++i) {
        p.crlf(gaps[i]);
        p.font(1, 16);
        p.esc({34, 'R', 255, 255, 255});
        p.s(labels[i]);
        p.esc({34, 'R', 0, 0, 0});
        p.crlf();
    }
    p.backLines(54);
}

// Pass 3: the stacked marks on the fourth line.
void marks(Page& p) {
    for (int i = 0; i < 3; ++i) {
        p.font(30, 20);
        p.crlf();
    }
    const int indents[2] = {23, 42};
    for (int indent : indents) {
        for (int n = 12; n <= 50; ++n) {
            p.esc({'p', '0'});
            p.tenPitch();
            p.blanks(indent);
            p.esc({34, 'Q', n});
            p.s(">");
            p.esc({'p', '0'});
            p.tenPitch();
            p.crlf();
            p.back(36);
        }
    }
    p.backLines(3);
}

// One ruling line: pieces of (byte, count), then CR LF.
struct Run {
    int b;
    int n;
};
void rule(Page& p, std::initializer_list<Run> runs) {
    for (const Run& r : runs) p.rep(r.b, r.n);
    p.crlf();
}

// Pass 4: the ruling of the answer boxes.
void ruling(Page& p) {
    p.tenPitch();
    p.path('X');
    p.esc({'k', 'A'});
    p.tenPitch();
    p.path('X');
    p.path('z');
    p.crlf();
    const int B = ' ';
    // 1, 2: the identifying-number box; the half-line step back after line 2 sets every rule
    // below between two printed lines.
    p.back(36);
    p.rep(B, 15); p.rep(V, 1); p.rep(B, 51); p.rep(V, 1);
    p.crlf();
    p.rep(B, 15); p.rep(V, 1); p.rep(B, 51); p.rep(RIGHT, 1); p.rep(H, 11);
    p.back(18);
    p.crlf();
    rule(p, {{B, 15}, {V, 1}, {B, 51}, {V, 1}});                                          // 3
    rule(p, {{B, 15}, {V, 1}, {B, 51}, {V, 1}});                                          // 4
    rule(p, {{B, 15}, {V, 1}, {B, 51}, {V, 1}});                                          // 5
    rule(p, {{H, 15}, {UP, 1}, {H, 23}, {DOWN, 1}, {H, 27}, {CROSS, 1}, {H, 11}});         // 6
    rule(p, {{B, 39}, {V, 1}, {B, 27}, {V, 1}});                                          // 7
    rule(p, {{H, 39}, {UP, 1}, {H, 27}, {UP, 1}, {H, 11}});                               // 8
    p.crlf();                                                                             // 9
    rule(p, {{H, 63}, {DOWN, 1}, {H, 2}, {DOWN, 1}, {H, 12}});                            // 10
    for (int i = 11; i <= 14; ++i)
        rule(p, {{B, 63}, {RIGHT, 1}, {H, 2}, {CROSS, 1}, {H, 12}});
    rule(p, {{H, 46}, {DOWN, 1}, {H, 9}, {DOWN, 1}, {H, 6}, {UP, 1}, {H, 2}, {CROSS, 1}, {DOWN, 12}});  // 15
    rule(p, {{H, 46}, {CROSS, 1}, {H, 9}, {CROSS, 1}, {H, 9}, {LEFT, 1}, {V, 12}});                     // 16
    rule(p, {{H, 46}, {CROSS, 1}, {H, 9}, {CROSS, 1}, {H, 9}, {LEFT, 1}, {V, 12}});                     // 17
    rule(p, {{H, 46}, {UP, 1}, {H, 6}, {DOWN, 1}, {H, 2}, {CROSS, 1}, {H, 9}, {LEFT, 1}, {V, 12}});     // 18
    rule(p, {{B, 53}, {CORNER_BL, 1}, {H, 2}, {UP, 1}, {H, 6}, {DOWN, 1}, {H, 2}, {CROSS, 1}, {UP, 12}});  // 19
    for (int i = 20; i <= 23; ++i)
        rule(p, {{B, 63}, {RIGHT, 1}, {H, 2}, {CROSS, 1}, {H, 12}});
    rule(p, {{B, 53}, {CORNER_TL, 1}, {H, 2}, {DOWN, 1}, {H, 6}, {UP, 1}, {H, 2}, {CROSS, 1}, {H, 12}});  // 24
    rule(p, {{H, 53}, {UP, 1}, {H, 2}, {UP, 1}, {H, 9}, {UP, 1}, {H, 12}});                 // 25
    rule(p, {{H, 79}});                                                                   // 26
    rule(p, {{H, 63}, {DOWN, 1}, {H, 2}, {DOWN, 1}, {H, 12}});                            // 27
    rule(p, {{B, 63}, {V, 1}, {B, 2}, {V, 1}, {B, 1}});                                   // 28
    rule(p, {{B, 63}, {RIGHT, 1}, {H, 2}, {CROSS, 1}, {H, 12}});                          // 29
    rule(p, {{B, 63}, {RIGHT, 1}, {H, 2}, {CROSS, 1}, {H, 12}});                          // 30
    rule(p, {{H, 63}, {UP, 1}, {H, 2}, {UP, 1}, {H, 12}});                                // 31
    rule(p, {{H, 79}});                                                                   // 32
    rule(p, {{H, 63}, {DOWN, 1}, {H, 2}, {DOWN, 1}, {H, 12}});                            // 33
    rule(p, {{B, 63}, {RIGHT, 1}, {H, 2}, {UP, 1}, {H, 12}});                             // 34
    rule(p, {{B, 63}, {V, 1}});                                                           // 35
    rule(p, {{H, 63}, {UP, 1}, {H, 15}});                                                 // 36
    // 37 to 49: the table of the MACRS class rows.
    const int widths[7] = {16, 7, 12, 10, 10, 6, 12};
    auto table = [&](int first, int second, int inner, bool secondFilled, int firstFill, int blankFirst) {
        // first: the joint after column (a); second: the joint after (b); inner: the other joints.
        if (blankFirst) p.rep(B, widths[0]); else p.rep(H, widths[0]);
        p.rep(first, 1);
        p.rep(secondFilled ? firstFill : H, widths[1]);
        p.rep(second, 1);
        for (int c = 2; c < 7; ++c) {
            p.rep(H, widths[c]);
            if (c < 6) p.rep(inner, 1);
        }
        p.crlf();
    };
    table(DOWN, DOWN, DOWN, false, 0, false);                                             // 37
    rule(p, {{B, 16}, {V, 1}, {B, 7}, {V, 1}, {B, 12}, {V, 1}, {B, 10}, {V, 1}, {B, 10}, {V, 1}, {B, 6}, {V, 1}, {B, 12}});  // 38
    table(CROSS, CROSS, CROSS, true, DOWN, false);                                        // 39
    table(LEFT, RIGHT, CROSS, true, V, false);                                            // 40
    table(CROSS, CROSS, CROSS, true, UP, false);                                          // 41
    table(RIGHT, CROSS, CROSS, false, 0, true);                                           // 42
    table(CROSS, CROSS, CROSS, false, 0, false);                                          // 43
    table(RIGHT, CROSS, CROSS, false, 0, true);                                           // 44
    table(UP, UP, UP, false, 0, false);                                                   // 45
    rule(p, {{H, 16}, {DOWN, 9}, {H, 12}, {DOWN, 1}, {H, 10}, {DOWN, 1}, {H, 10}, {DOWN, 1}, {H, 6}, {DOWN, 1}, {H, 12}});  // 46
    table(LEFT, RIGHT, CROSS, true, V, false);                                            // 47
    table(CROSS, CROSS, CROSS, true, UP, false);                                          // 48
    table(UP, UP, UP, false, 0, false);                                                   // 49
    rule(p, {{H, 63}, {DOWN, 1}, {H, 2}, {DOWN, 1}, {H, 12}});                            // 50
    rule(p, {{B, 63}, {RIGHT, 1}, {H, 2}, {CROSS, 1}, {H, 12}});                          // 51
    rule(p, {{B, 63}, {V, 1}, {B, 2}, {V, 1}});                                           // 52
    rule(p, {{B, 53}, {CORNER_TL, 1}, {H, 2}, {DOWN, 1}, {H, 6}, {UP, 1}, {H, 2}, {CROSS, 1}, {DOWN, 12}});  // 53
    rule(p, {{B, 53}, {V, 1}, {B, 2}, {V, 1}, {B, 9}, {V, 1}, {CROSS, 12}});               // 54
    rule(p, {{H, 53}, {UP, 1}, {H, 2}, {UP, 1}, {H, 9}, {UP, 13}});                        // 55
    // Back by what the pass advanced: the header line and 55 lines, less the steps back.
    p.backLines(54);
    p.back(18);
}

// Pass 5: the form number and year in large type, the titles and the part titles.
void titleBlock(Page& p, const std::string& year) {
    p.crlf();
    p.back(12);
    p.esc({'p', 1});
    p.esc({'k', 0});
    p.esc({'E'});
    p.font(1, 40);
    p.s("   4562");
    p.resetFont();
    p.crlf();
    p.blanks(70);
    p.path('W');
    p.font(1, 40);
    p.path('V');
    p.s(year.substr(0, 2));
    p.path('U');
    p.s(year.substr(2, 2));
    p.crlf();
    p.back(36);
    p.resetFont();
    p.crlf();
    p.backLines(2);
    p.blanks(24);
    p.font(1, 28);
    p.path('W');
    p.s("Depreciation and Amortization");
    p.crlf();
    p.resetFont();
    p.blanks(22);
    p.font(1, 24);
    p.path('W');
    p.s("(Including Information on Listed Property)");
    p.crlf();
    p.crlf(3);
    p.font(30, 20);
    p.crlf();
    p.back(23);
    p.crlf();
    p.column(10);
    p.font(1, 20);
    p.s("  Election TO Expense Certain Tangible Property");
    p.crlf();
    struct Title {
        int gap;
        const char* text;
    };
    const Title titles[3] = {
        {17, "   Special Depreciation Allowance and Other Depreciation (Do not include listed property)"},
        {4, "   MACRS Depreciation (Do Not Include Listed Property)"},
        {22, "   Summary"},
    };
    for (const Title& title : titles) {
        for (int i = 0; i < title.gap; ++i) {
            p.font(30, 20);
            p.crlf();
        }
        p.column(10);
        p.font(1, 20);
        p.s(title.text);
        p.crlf();
    }
    p.font(1, 16);
    p.tenPitch();
    p.crlf();
}

// i right-aligned in two characters.
std::string twoDigits(int i) {
    std::string s = i < 10 ? " " : "";
    s += std::to_string(i);
    return s;
}

// A blank, then the text.
std::string blankThen(const std::string& text) {
    std::string s = " ";
    s += text;
    return s;
}

// A left-hand line number, then (after a step back unless the box is one line lower) the same
// number in the right-hand box.
void numberPair(Page& p, const std::string& left, bool stepBack, int indent, const std::string& right) {
    p.s(left);
    p.resetFont();
    p.crlf();
    if (stepBack) p.back(36);
    p.blanks(indent);
    p.path('W');
    p.font(1, 16);
    p.s(right);
    p.crlf();
}

// Pass 6: the instruction notes and the line numbers on both sides.
void lineNumbers(Page& p) {
    p.backLines(52);
    p.path('X');
    p.blanks(25);
    p.font(1, 16);
    p.path('W');
    p.s("See separate instructions");
    p.blanks(10);
    p.s("Attach this form to your return");
    p.resetFont();
    p.crlf();
    p.back(36);
    p.path('X');
    p.blanks(75);
    p.path('W');
    p.font(1, 16);
    p.s("67");
    p.crlf();
    p.crlf(2);
    p.tenPitch();
    p.crlf();
    p.back(9);
    p.crlf();
    p.crlf();
    for (int i = 1; i <= 5; ++i) {
        p.blanks(1);
        p.font(1, 16);
        p.s(std::to_string(i));
        p.resetFont();
        p.crlf();
        p.back(36);
        p.blanks(65);
        p.path('W');
        p.font(1, 16);
        p.s(std::to_string(i));
        p.crlf();
    }
    p.crlf();
    p.s("  6");
    p.crlf();
    p.crlf();
    numberPair(p, "  7", true, 54, " 7");
    for (int i = 8; i <= 9; ++i) numberPair(p, blankThen(twoDigits(i)), true, 65, std::to_string(i));
    for (int i = 10; i <= 12; ++i) numberPair(p, blankThen(twoDigits(i)), true, 64, blankThen(twoDigits(i)));
    numberPair(p, " 13", true, 54, "13");
    p.s("Note:");
    p.crlf();
    p.crlf();
    numberPair(p, " 14", false, 64, " 14");
    for (int i = 15; i <= 16; ++i) numberPair(p, blankThen(twoDigits(i)), true, 64, blankThen(std::to_string(i)));
    p.crlf(2);
    numberPair(p, " 17", true, 64, " 17");
    p.s(" 18");
    p.crlf();
    p.crlf(4);
    p.s("19a");
    p.crlf();
    for (char letter = 'b'; letter <= 'g'; ++letter) {
        p.s("   ");
        p.t.put(letter);
        p.crlf();
    }
    p.s("   h");
    p.crlf();
    p.crlf();
    p.s("   i");
    p.crlf();
    p.crlf(2);
    p.s(" 20a");
    p.crlf();
    p.s("   b");
    p.crlf();
    p.s("   c");
    p.crlf();
    p.crlf();
    numberPair(p, " 21", true, 64, " 21");
    numberPair(p, " 22", false, 64, " 22");
    numberPair(p, " 23", false, 54, "23");
}

void lines(Page& p, std::initializer_list<std::string_view> texts) {
    for (std::string_view text : texts) {
        p.s(text);
        p.crlf();
    }
}

// Pass 7: the texts of lines 1 to 23 and the form's foot.
void lineTexts(Page& p, const std::string& year) {
    p.backLines(50);
    p.font(1, 16);
    lines(p, {
        "      Maximum amount. See page 2 of the instructions for a higher limit for certain businesses .   .   .   .  ",
        "      Total Cost of section 179 property placed in service during the tax year  .   .   .   .   .   .   .   .   .   .   .   .    ",
        "      Threshhold cost of section 179 property before reduction in limitation     .   .   .   .   .   .   .   .   .   .   .   .   .   ",
        "      Reduction in limitation. Subtract line 3 from line 2 but not less than -0-  .   .   .   .   .   .   .   .   .   .   .   .   .   ",
        "      Dollar limitation for tax year. Subtract line 4 from line 1 but not less than -0-  .   .   .   .   .   .   .   .   .   .   .   ",
    });
    p.crlf(3);
    lines(p, {
        "      Listed property. Enter amoount from line 26   .   .   .   .   .   .   .   .   .   .   .   .   .   .   .   .   .   ",
        "      Total elected cost of section 179 property. Add amounts in column (c) lines 6 and 7  .   .   .   .   .   .   .",
        "      Tentative deduction. Enter the smaller of line 5 or line 8.   .   .   .   .   .   .   .   .   .   .   .   .   .   .   .   .   .   .   .",
    });
    p.s("      Carryover of disallowed deduction from ");
    p.s(carryoverYearText(year));
    p.s(". (see instructions).   .   .   .   .   .   .   .   .   .   .   .   .   .   .   .   .   .");
    p.crlf();
    lines(p, {
        "      Taxable income llimitation. Enter the smaler of taxable income or line 5 (see instructions)  .   .   .   .",
        "      Section 179 expense deduction. Add lines 9 and 10., but not more then line 11.   .   .   .   .   .   .   .   .   .",
    });
    p.s("      Carryover of disallowed deduction to ");
    p.s(year);
    p.s(". Add lines 9 and 10 less line 12  .   .   .   .   .   .");
    p.crlf();
    lines(p, {"          Do not use Part ll or Part lll below listed property. Instead use Part V"});
    p.crlf();
    lines(p, {
        "      Special depreciation allowance for qualified property (other than listed property) placed",
        "      in service during the tax year (see page 3 of the instructions).   .    .    .    .    .    .    .    .    .    .    .    .    .",
        "      Property subject to section 168(f)(1) election (see instructions)  .   .    .    .    .    .    .    .    .    .    .    .    .",
        "      Other depreciation (including ACRS) (see instructions)   .   .   .    .    .    .    .    .    .    .    .    .    .    .    .    .",
    });
    p.crlf();
    p.blanks(50);
    p.s("         Section A");
    p.crlf();
    p.s("       MACRS deductions for assets placed inservice in tax years before ");
    p.s(year);
    p.crlf();
    lines(p, {
        "       If you are using the election under section 168(i)(4) to group assets placed in service during the tax",
        "       year into one or more general asset accounts, check here.",
    });
    p.blanks(10);
    p.s("         Section B. Assets placed in Service During ");
    p.s(year);
    p.s(" Using The General Depreciation System");
    p.crlf();
    p.crlf(2);
    lines(p, {"      3-year property", "      5-year property", "      7-year property", "      10-year property",
              "      15-year property", "      20-year property", "      25-year property", "      Residential rental",
              "      property", "      Nonresidential real", "      property"});
    p.blanks(50);
    p.s("        Section C. Alternative Depreciation System (ADS) (see instructions)");
    p.crlf();
    lines(p, {"      Class life", "      12-year", "      40-year"});
    p.crlf();
    lines(p, {
        "      Listed property. Enter amount from line 25  .   .   .   .   .   .   .   .   .   .   .   .   .   .   .   .   .   .   .   .   .   .   .   .   .  ",
        "      Total. Add deductions on line 12, lines 15 and 16 in column (g), and lines 17 through 20. Enter here",
        "      and on the appropriate line of your return. (Partnerships and S corporations-see instructions).   .",
        "      For assets shown above and placed in service during the current year, Enter the",
        "      portion of the basis attributable to section 263A costs (see instructions).   .   .   .",
    });
    // The form number goes on the printed line of the notice: the step back, then the column
    // rule starts a new line (the notice and its commands already pass column 67).
    p.s("For Paperwork Reduction Act Notice, see page 1 of the separate instructions.");
    p.resetFont();
    p.back(36);
    p.column(67);
    p.font(1, 16);
    p.s("Form 4562  (");
    p.s(year);
    p.s(")");
    p.crlf();
}

// A caption in the right-hand part of a line: step back, blanks, the print path's wide mode
// and the caption font.
void caption(Page& p, int backBy, int indent, std::string_view text, bool reset) {
    p.back(backBy);
    p.blanks(indent);
    p.path('W');
    p.font(1, 12);
    p.s(text);
    if (reset) p.resetFont();
    p.crlf();
}

// Pass 8: the captions of the heading.
void headingCaptions(Page& p) {
    p.backLines(57);
    p.font(1, 12);
    p.back(18);
    p.crlf();
    p.s("Department of the Treasury");
    p.resetFont();
    p.crlf();
    caption(p, 30, 68, "Attachment", false);
    p.back(24);
    p.s("Internal Revenue Service");
    p.resetFont();
    p.crlf();
    caption(p, 33, 68, "Sequence No.", false);
    p.back(18);
    p.s("Name shown on return");
    p.resetFont();
    p.crlf();
    caption(p, 36, 68, "Identifying number", true);
    caption(p, 36, 40, "Business or activity to which this form is applicable", false);
}

// Pass 9: the column headings of line 6 and of the MACRS class rows.
void columnHeadings(Page& p) {
    p.crlf(9);
    p.back(30);
    p.column(20);
    p.s("(a) Description of property");
    p.resetFont();
    p.crlf();
    caption(p, 36, 50, "(b) Cost", true);
    caption(p, 36, 59, "(c) Elected cost", false);
    p.crlf(21);
    p.resetFont();
    p.crlf();
    caption(p, 36, 18, "(b) Month and", true);
    caption(p, 36, 26, " (c) Basis for depreciation", true);
    caption(p, 36, 41, "(d) Recovery", false);
    p.back(18);
    p.s("(a) Classification of property");
    p.resetFont();
    p.crlf();
    caption(p, 36, 18, "year placed in", true);
    caption(p, 36, 26, " (business/investment use", true);
    caption(p, 36, 51, " (e) Convention", true);
    caption(p, 36, 61, "(f) Method ", true);
    caption(p, 36, 68, "(g) Depreciation deduction", true);
    caption(p, 36, 41, "  period", true);
    caption(p, 18, 19, "service", true);
    caption(p, 36, 26, "  only-see instructions)", false);
}

// Pass 10: the form identification, then the paper set for the values layer.
void formIdentification(Page& p) {
    p.backLines(37);
    p.back(19);
    p.tenPitch();
    p.path('X');
    p.crlf();
    p.blanks(70);
    p.path('W');
    p.font(1, 12);
    p.back(18);
    p.s("OMB No. 1545-0172");
    p.crlf();
    p.s("Form");
    p.crlf();
    p.esc({'F'});
    p.esc({'k', 'B'});
    p.resetFont();
    p.crlf();
    p.crlf(2);
    p.back(26);
    p.crlf();
}

}  // namespace

std::string formYearText(const std::string& fiscalYearEndText) {
    std::string year = fiscalYearEndText.size() >= 4 ? fiscalYearEndText.substr(fiscalYearEndText.size() - 4)
                                                     : std::string(4 - fiscalYearEndText.size(), ' ') + fiscalYearEndText;
    for (char& c : year)
        if (static_cast<unsigned char>(c) < 32 || c == 127) c = ' ';
    return year;
}

std::string carryoverYearText(const std::string& yearText) {
    if (yearText.size() != 4) return yearText;
    int value = 0;
    for (char c : yearText) {
        if (c < '0' || c > '9') return yearText;
        value = value * 10 + (c - '0');
    }
    if (value < 1) return yearText;
    std::string prior = std::to_string(value - 1);
    return std::string(4 - prior.size(), '0') + prior;
}

FormBackground buildFormBackground(const std::string& yearText) {
    const std::string year = formYearText(yearText);
    Page p;
    FormBackground bg;
    void (*const plain[])(Page&) = {labelBars, partLabels, marks, ruling};
    int pass = 0;
    for (auto fn : plain) {
        bg.passStart[pass++] = p.t.size();
        fn(p);
    }
    bg.passStart[pass++] = p.t.size();
    titleBlock(p, year);
    bg.passStart[pass++] = p.t.size();
    lineNumbers(p);
    bg.passStart[pass++] = p.t.size();
    lineTexts(p, year);
    bg.passStart[pass++] = p.t.size();
    headingCaptions(p);
    bg.passStart[pass++] = p.t.size();
    columnHeadings(p);
    bg.passStart[pass++] = p.t.size();
    formIdentification(p);
    bg.passStart[pass] = p.t.size();
    bg.bytes = p.t.take();
    return bg;
}

void WriteFormBackground(platform::TextFile& formFile, const std::string& yearText) {
    formFile.write(buildFormBackground(yearText).bytes);
}

}  // namespace dp

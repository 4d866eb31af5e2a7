// The report's layout on its own: page headings, the lines of one asset, page breaks, totals and
// the recap, fed with figures directly (no files, no engine).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "format/number_format.h"
#include "format/text.h"
#include "report/depreciation_report.h"

namespace {

using dp::DepreciationReportLayout;
using dp::ReportAsset;

const std::string kControl = std::string("\x1bk") + char(66) + "\x1b\"y\x1b\"Q" + char(17) + "\x1b" "E\r\n";
const std::string kRecapControl = std::string("\x1bX") + char(30) + char(20) + char(0) + "\r\n";

dp::DepreciationReportHeading heading(const std::string& basis = "T") {
    return {"12312004", "Acme Tools Ltd. East", basis, "For the  12 months ending 12312004"};
}

ReportAsset asset(const std::string& number, double cost, const std::string& method = "SL", double rate = 5) {
    ReportAsset a;
    a.assetNumber = number;
    a.description = "Lathe";
    a.acquiredText = "031004";
    a.method = method;
    a.rate = rate;
    a.cost = cost;
    a.current = cost / 10;
    a.periodMonths = 12;
    a.serviceMonths = 10;
    return a;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find("\r\n", at);
        if (end == std::string::npos) {
            out.push_back(text.substr(at));
            break;
        }
        out.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return out;
}

int pageBreaks(const std::string& text) {
    int n = 0;
    for (char c : text) n += c == '\f';
    return n;
}

TEST(ReportLayout, FirstPageHeadingByteForByte) {
    DepreciationReportLayout layout(heading());
    layout.newReportPage();
    std::string expected = kControl;
    // Company line of 20 characters: (132 - 20) / 2 = 56.
    expected += "12/31/04" + std::string(47, ' ') + "Acme Tools Ltd. East" + std::string(122 - 75, ' ') + "Page  1\r\n";
    expected += std::string(55, ' ') + "Depreciation Report\r\n";
    expected += std::string(61, ' ') + "TAX BASIS\r\n";  // 61.5 goes to the even 62nd column
    expected += std::string(48, ' ') + "For the  12 months ending 12312004\r\n";
    expected += std::string(132, '\xCD') + "\r\n";
    expected +=
        "--------------Assets-------------   Date   -----------Asset Value----------               "
        "---------Accumulated Depreciaton---------\r\n";
    expected +=
        "No.    Description                Acquired       Cost    Salvage        Net  Meth/Rate       Prior    "
        "Sustn'd    Cancl'd     Ending\r\n";
    expected += std::string(132, '\xCD') + "\r\n";
    EXPECT_EQ(layout.text(), expected);
    EXPECT_EQ(layout.lineCount(), 7);
    EXPECT_EQ(layout.pageNumber(), 1);
}

TEST(ReportLayout, LaterPagesStartWithAFormFeedAndCentreBookBasisAtColumn61) {
    DepreciationReportLayout layout(heading("B"));
    layout.newReportPage();
    layout.take();
    layout.newReportPage();
    const std::string t = layout.text();
    ASSERT_EQ(t.substr(0, 1 + kControl.size()), "\f" + kControl);
    const auto l = lines(t);
    EXPECT_NE(l[1].find("Page  2"), std::string::npos);
    EXPECT_EQ(l[1].find("Page  2"), 122u);
    EXPECT_EQ(l[3], std::string(60, ' ') + "BOOK BASIS");
}

TEST(ReportLayout, CompanyLineControlCharactersBecomeBlanks) {
    dp::DepreciationReportHeading h = heading();
    h.companyLine = std::string("AB\x01\x1b") + "C";
    DepreciationReportLayout layout(h);
    layout.newReportPage();
    const auto l = lines(layout.text());
    // (132 - 5) / 2 = 63.5, to the even 64.
    EXPECT_EQ(l[1].substr(8, 63 - 8 + 5), std::string(55, ' ') + "AB  C");
}

TEST(ReportLayout, AssetLineColumns) {
    DepreciationReportLayout layout(heading());
    layout.newReportPage();
    layout.take();
    ReportAsset a = asset("A1    ", 10000, "B200", 7);
    a.description = "Milling machine with a very long name";
    a.acquiredText = "03102004";
    a.salvage = 1000;
    a.expense = 250;
    a.bonus3050 = 0.5;
    a.prior = 1234567.5;
    a.current = 999999.99;
    a.cancelled = 0;
    layout.asset(a);
    const auto l = lines(layout.text());
    ASSERT_EQ(l.size(), 2u);
    const std::string expected = "A1     Milling machine with a ver 03/10/04  10,000.00   1,250.50   8,749.50  B200  7 YR "
                                 "1234567.50 999,999.99       0.00 2234567.49 ";
    EXPECT_EQ(l[0], expected);
    EXPECT_EQ(l[0].size(), 132u);
    EXPECT_EQ(l[1], std::string(64, ' ') + "\x1bj$E ");
}

TEST(ReportLayout, EveryAssetLineKeepsItsColumnsWhateverItsFields) {
    DepreciationReportLayout layout(heading());
    // Far more distinct rates than a layout keeps the texts of, each met again later.
    std::vector<double> rates;
    for (int i = 0; i < 150; ++i) rates.push_back(i % 3 == 0 ? i : i / 7.0);
    for (int i = 149; i >= 0; i -= 2) rates.push_back(rates[static_cast<std::size_t>(i)]);
    const char* const dates[] = {"0", "-2147483648", "1012004", "123120045", "", "031004"};
    const char* const methods[] = {"D150XYZ", "A", "", "SL"};
    for (std::size_t i = 0; i < rates.size(); ++i) {
        ReportAsset a = asset(std::string(i % 9, 'N'), 100.0 + static_cast<double>(i), methods[i % 4], rates[i]);
        a.acquiredText = dates[i % 6];
        a.description = std::string(i % 40, 'd');
        layout.clearText();
        layout.asset(a);
        const std::string l = lines(layout.text())[0];
        SCOPED_TRACE(i);
        ASSERT_EQ(l.size(), 132u);
        EXPECT_EQ(l.substr(0, 7), dp::fixedText(a.assetNumber, 6) + " ");
        EXPECT_EQ(l.substr(7, 27), dp::fixedText(a.description, 26) + " ");
        EXPECT_EQ(l.substr(34, 9), dp::fixedText(dp::slashedDate(a.acquiredText), 9));
        EXPECT_EQ(l.substr(43, 11), dp::moneyColumn(a.cost));
        EXPECT_EQ(l.substr(77, 11), dp::fixedText(a.method, 5) + dp::rateText(a.rate) + " ");
        EXPECT_EQ(l.substr(99, 11), dp::moneyColumn(a.current));
    }
}

TEST(ReportLayout, MarkerIsRAfterA3050BonusAndAbsentWithoutEither) {
    DepreciationReportLayout layout(heading());
    ReportAsset r = asset("R", 100);
    r.bonus3050 = 30;
    layout.asset(r);
    layout.asset(asset("N", 100));
    const auto l = lines(layout.text());
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[1], std::string(64, ' ') + "\x1bj$R ");
    EXPECT_EQ(l[2].substr(0, 7), "N      ");
}

struct RateCase {
    double rate;
    const char* text;
};

TEST(ReportLayout, RateTextIsFiveCharacters) {
    const RateCase cases[] = {
        {5, " 5 YR"}, {10, " 10 Y"}, {7.5, " 7.5 "}, {1, " 1   "}, {0.1, " 0.1 "},
        {0, " 0   "}, {27.5, " 27.5"}, {0.125, " 0.12"}, {-2, "-2   "},
    };
    for (const RateCase& c : cases) EXPECT_EQ(dp::rateText(c.rate), c.text) << c.rate;
}

struct IndexCase {
    char letter;
    const char* method;
    double rate;
    int index;
};

TEST(ReportLayout, RecapIndex) {
    const IndexCase cases[] = {
        {'B', "B200", 7, 7},       {'A', "A5", 0, 5},          {'E', "E", 0.1, 1000},   {'D', "D150", 2.5, 2},
        {'D', "D150", 3.5, 4},     {'D', "D150", 0.4, 150},    {'H', "H3", 0, 3},       {'G', "G3", 0.5, 0},
        {'G', "G3", 0.6, 1},       {'G', "G3", 0, 3},          {'F', "F", 0, 1000},     {'A', "A 7", 0, 7},
        {'D', "D", 1500, 1000},    {'B', "B", 1000.4, 1000},   {'A', "A2000", 0, 1000}, {'B', "B200", 1.0 / 0.0, 1000},
    };
    for (const IndexCase& c : cases) EXPECT_EQ(dp::recapIndex(c.letter, c.method, c.rate), c.index) << c.method << " " << c.rate;
}

TEST(ReportLayout, PeriodText) {
    EXPECT_EQ(dp::reportPeriodText(12, "12312004"), "For the  12 months ending 12312004");
    EXPECT_EQ(dp::reportPeriodText(1, "1/31/2004"), "For the  1 month ending 1/31/2004");
}

TEST(ReportLayout, The56thCountedLineBreaksThePageAfterItsMarker) {
    DepreciationReportLayout layout(heading());
    layout.newReportPage();
    for (int i = 0; i < 48; ++i) layout.asset(asset("F" + std::to_string(i), 100));
    EXPECT_EQ(layout.lineCount(), 55);
    EXPECT_EQ(layout.pageNumber(), 1);
    ReportAsset last = asset("LAST", 100);
    last.expense = 10;
    layout.asset(last);
    EXPECT_EQ(layout.pageNumber(), 2);
    EXPECT_EQ(layout.lineCount(), 7);
    const std::string t = layout.text();
    const std::size_t assetAt = t.find("LAST   ");
    const std::size_t markerAt = t.find("\x1bj$E ");
    const std::size_t feedAt = t.find('\f');
    ASSERT_NE(markerAt, std::string::npos);
    EXPECT_LT(assetAt, markerAt);
    EXPECT_LT(markerAt, feedAt);
}

TEST(ReportLayout, SubtotalBreaksAtExactly55ButAnAssetOnlyAbove55) {
    DepreciationReportLayout layout(heading());
    layout.newReportPage();
    for (int i = 0; i < 45; ++i) layout.asset(asset("F" + std::to_string(i), 100));
    EXPECT_EQ(layout.lineCount(), 52);
    layout.subtotalRow("GROUP");
    EXPECT_EQ(layout.pageNumber(), 2);
    EXPECT_EQ(layout.lineCount(), 7);

    DepreciationReportLayout other(heading());
    other.newReportPage();
    for (int i = 0; i < 48; ++i) other.asset(asset("F" + std::to_string(i), 100));
    EXPECT_EQ(other.lineCount(), 55);
    EXPECT_EQ(other.pageNumber(), 1);
}

TEST(ReportLayout, HeadingRowsAddTwoWithoutAPageTest) {
    DepreciationReportLayout layout(heading());
    layout.newReportPage();
    for (int i = 0; i < 48; ++i) layout.asset(asset("F" + std::to_string(i), 100));
    layout.take();
    layout.headingRow("BUILDINGS                          ");
    EXPECT_EQ(layout.lineCount(), 57);
    EXPECT_EQ(layout.pageNumber(), 1);
    EXPECT_EQ(layout.text(), "BUILDINGS                          \r\n" + std::string(9, '\xC4') + "\r\n");
}

// The SOLD line prints the negatives of the asset line's three value columns, so the two add
// to nothing as the totals do.
TEST(ReportLayout, SoldAssetLeavesCostSalvageAndBonusTotalsUnchanged) {
    DepreciationReportLayout layout(heading());
    ReportAsset a = asset("S1", 21000);
    a.salvage = 1000;
    a.bonus3050 = 300;
    a.expense = 1200;
    a.prior = 5000;
    a.current = 2000;
    a.cancelled = 7000;
    a.sold = true;
    a.serviceMonths = 6;
    layout.asset(a);
    const auto l = lines(layout.text());
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[0].substr(43, 33), " 21,000.00   2,500.00  18,500.00 ");
    EXPECT_EQ(l[2], "    SOLD" + std::string(35, ' ') + "-21,000.00  -2,500.00 -18,500.00 ");
    const auto& g = layout.grandTotals();
    EXPECT_EQ(g.cost.units, 0);
    EXPECT_EQ(g.salvage.units, 0);
    EXPECT_EQ(g.bonus3050.units, 0);
    EXPECT_EQ(g.expense.units, 0);  // twelve months: the share is the whole deduction
    EXPECT_EQ(g.prior.units, 500000);
    EXPECT_EQ(g.current.units, 200000);
    EXPECT_EQ(g.cancelled.units, 700000);
}

TEST(ReportLayout, SoldLineWithoutDeductionsLeavesItsColumnBlankAndExpenseShareIsProrated) {
    DepreciationReportLayout plain(heading());
    ReportAsset p = asset("S3", 500);
    p.sold = true;
    plain.asset(p);
    EXPECT_EQ(lines(plain.text())[1], "    SOLD" + std::string(35, ' ') + "   -500.00 " + std::string(11, ' ') + "   -500.00 ");

    DepreciationReportLayout layout(heading());
    ReportAsset a = asset("S2", 500);
    a.cancelled = 50;
    a.expense = 120;
    a.periodMonths = 6;
    a.serviceMonths = 3;
    layout.asset(a);
    const auto l = lines(layout.text());
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[2], "    SOLD" + std::string(35, ' ') + "   -500.00    -120.00    -380.00 ");
    // 120 x 6 / 12 = 60 added, 120 taken away by the sold line.
    EXPECT_EQ(layout.grandTotals().expense.units, -6000);
}

TEST(ReportLayout, SubtotalPrintsItsGroupAndResets) {
    DepreciationReportLayout layout(heading());
    layout.asset(asset("A", 1000));
    layout.subtotalRow("FIRST GROUP SUBTOTAL");
    layout.asset(asset("B", 3000));
    layout.subtotalRow("SECOND");
    const auto l = lines(layout.text());
    ASSERT_EQ(l.size(), 8u);
    EXPECT_EQ(l[1], std::string(132, '\xC4'));
    EXPECT_EQ(l[2], "      FIRST GROUP SUBTOTAL      " + std::string(11, ' ') + "  1,000.00       0.00   1,000.00 " +
                        std::string(12, ' ') + "      0.00     100.00       0.00     100.00 ");
    EXPECT_EQ(l[2].size(), 132u);
    EXPECT_EQ(l[3], std::string(132, '\xC4'));
    EXPECT_EQ(l[6].substr(43, 11), "  3,000.00 ");
    EXPECT_EQ(layout.grandTotals().cost.units, 400000);
}

TEST(ReportLayout, EmptyReportEnding) {
    DepreciationReportLayout layout(heading());
    layout.newReportPage();
    layout.take();
    layout.finish();
    const std::string zero = "      0.00 ";
    std::string expected = std::string(132, '\xC4') + "\r\n";
    expected += "      TOTALS FOR ALL ASSETS" + std::string(43 - 27, ' ') + zero + zero + zero + std::string(12, ' ') +
                zero + zero + zero + zero + "\r\n";
    expected += std::string(132, '\xCD') + "\r\n\r\n\r\n\r\n";
    expected += kRecapControl + "Recap of depreciation methods\r\n-----------------------------\r\n";
    expected += "\r\n\r\n";
    expected += "DEPRECIATION METHOD CODE SUMMARY\r\n--------------------------------\r\n";
    expected += "SL   = Straight Line                   |  E = ACRS Mid Quarter       \r\n";
    expected += "Dxxx = Declining Balance               |  F = MACRS 3-31.5 Yr S/L  Mid Month  \r\n";
    expected += "A    = ACRS 3,5,10,15 Yr               |  G = ACRS Real Est (18 yr)  \r\n";
    expected += "Bxxx = MACRS 3-20 Yr Declining Balance |  H = ACRS Real Est (19 yr)  \r\n";
    expected += "     xxx indicates percentage of straight-line (200 or 150 usually).\r\n";
    expected += "\f\r\n";
    EXPECT_EQ(layout.text(), expected);
    EXPECT_EQ(pageBreaks(expected), 1);
}

TEST(ReportLayout, RecapMethodsInOrderWithOtherMethodsAndBonus) {
    DepreciationReportLayout layout(heading());
    layout.newReportPage();
    struct M {
        const char* method;
        double rate;
        double current;
    };
    const M ms[] = {{"A", 5, 10}, {"H2", 0, 20}, {"G1", 0.5, 30}, {"F", 39, 40}, {"E", 0.1, 50},
                    {"B200", 7, 60}, {"B200", 7, 1}, {"D150", 10, 70}, {"SL", 5, 80}, {"M", 0, 90}, {"", 0, 5}};
    for (const M& m : ms) {
        ReportAsset a = asset("X", 1000, m.method, m.rate);
        a.current = m.current;
        a.bonus = 12.5;
        layout.asset(a);
    }
    ReportAsset manual = asset("MAN", 100);
    manual.bonus = 1000;
    manual.addsToBonus = false;
    layout.asset(manual);
    ReportAsset older = asset("OLD", 100);
    older.bonus = 1000;
    older.prior = 1;
    layout.asset(older);
    ReportAsset lateInYear = asset("LATE", 100);
    lateInYear.bonus = 1000;
    lateInYear.serviceMonths = 13;
    layout.asset(lateInYear);
    layout.take();
    layout.finish();
    const auto l = lines(layout.text());
    std::vector<std::string> recap;
    bool in = false;
    for (const std::string& s : l) {
        if (s == "Recap of depreciation methods") in = true;
        if (s.rfind("DEPRECIATION METHOD", 0) == 0) break;
        if (in) recap.push_back(s);
    }
    auto amt = [](const std::string& label, const char* amount) {
        std::string s = label + std::string(29 - label.size(), ' ');
        const std::string a = std::string(13, ' ') + amount;
        return s + a.substr(a.size() - 13);
    };
    const std::vector<std::string> expected = {
        "Recap of depreciation methods",
        "-----------------------------",
        amt("Straight Line      ", "110.00"),  // with the three SL assets below
        "Declining Balance D Method",
        amt("D -  10", "70.00"),
        "Declining Balance B Method",
        amt("B -  7", "61.00"),
        "Depreciation E Method",
        amt("E -  1000", "50.00"),
        "Depreciation F Method",
        amt("F -  39", "40.00"),
        "Depreciation G Method",
        amt("G -  0", "30.00"),
        "Depreciation H Method",
        amt("H -  2", "20.00"),
        "Depreciation A Method",
        amt("A -  5", "10.00"),
        amt("Other methods ", "95.00"),  // the letters without a section: not the D assets
        "",
        amt("Total Bonus Depreciation", "132.00"),  // eleven assets, 12.5 rounds to 12 each
        "",
    };
    EXPECT_EQ(recap, expected);
}

TEST(ReportLayout, LongRecapContinuesOnANewPageWithItsHeading) {
    DepreciationReportLayout layout(heading());
    layout.newReportPage();
    for (int life = 1; life <= 60; ++life) {
        ReportAsset a = asset("D" + std::to_string(life), 100, "D200", life);
        a.current = life;
        layout.asset(a);
    }
    const int pagesBefore = layout.pageNumber();
    layout.finish();
    const std::string t = layout.text();
    EXPECT_GT(layout.pageNumber(), pagesBefore);
    EXPECT_NE(t.find("\f" + kControl), std::string::npos);
    EXPECT_NE(t.find(kRecapControl + "Recap of depreciation methods continued\r\n"
                     "---------------------------------------\r\n"),
              std::string::npos);
}

// A recap section title always has its first line below it on the same page, wherever the page
// ends: the page test after a title waits for that line.
TEST(ReportLayout, RecapSectionTitleNeverEndsAPage) {
    const std::vector<std::string> titles = {"Declining Balance D Method", "Declining Balance B Method",
                                             "Depreciation E Method", "Depreciation F Method"};
    int pagesEndingInRecap = 0;
    for (int lives = 0; lives <= 50; ++lives) {
        DepreciationReportLayout layout(heading());
        layout.newReportPage();
        for (int life = 1; life <= lives; ++life) layout.asset(asset("D" + std::to_string(life), 100, "D200", life));
        layout.asset(asset("B1", 100, "B200", 7));
        layout.asset(asset("E1", 100, "E", 7));
        layout.asset(asset("F1", 100, "F", 7));
        layout.finish();
        const std::string t = layout.text();
        for (std::size_t end = t.find('\f'); end != std::string::npos; end = t.find('\f', end + 1)) {
            const std::vector<std::string> page = lines(t.substr(0, end));
            const std::string last = page.empty() ? "" : page.back().empty() && page.size() > 1 ? page[page.size() - 2] : page.back();
            for (const std::string& title : titles) EXPECT_NE(last, title) << lives << " D lines";
            pagesEndingInRecap += last.find(" - ") != std::string::npos;
        }
    }
    EXPECT_GT(pagesEndingInRecap, 0);  // the recap did reach page ends
}

// The heading's date is MM/DD/YY whatever form it was typed in.
TEST(ReportLayout, HeadingDateTypedWithOneDigitPartsHasTwoDigitParts) {
    const struct {
        const char* typed;
        const char* shown;
    } cases[] = {
        {"6/30/2004", "06/30/04"}, {"6/3/04", "06/03/04"}, {"12-31-2004", "12/31/04"},
        {"12312004", "12/31/04"},  {"123104", "12/31/04"}, {"63004", "06/30/04"},
    };
    for (const auto& c : cases) {
        DepreciationReportLayout layout({c.typed, "Acme", "T", "For the  12 months ending x"});
        layout.newReportPage();
        EXPECT_EQ(lines(layout.text())[1].substr(0, 9), std::string(c.shown) + " ") << c.typed;
    }
}

}  // namespace

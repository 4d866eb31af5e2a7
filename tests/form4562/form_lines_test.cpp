// Totalling the register into the form's lines: the asset rules, the whole-dollar accumulators
// and the year-dependent amounts of the expense election.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "form4562/form_lines.h"
#include "register/records.h"

namespace {

using dp::AssetRecord;
using dp::FormTotals;

AssetRecord asset(const std::string& code, double cost, double depr, double expense = 0, double rate = 0,
                  const std::string& method = "SL  ", const std::string& description = "ITEM") {
    AssetRecord a;
    a.Description = dp::fixedText(description, 35);
    dp::date6FromText(a.DateAcquired, "010103", false);
    a.Book.Method = dp::fixedText(method, 4);
    a.Book.Rate = rate;
    a.Book.Cost = cost;
    a.Book.CurrentDepr = depr;
    a.Book.Expense = expense;
    a.Tax.Code4562 = dp::fixedText(code, 6);
    // The tax block's amounts are never used: make them loud.
    a.Tax.Cost = 999999;
    a.Tax.CurrentDepr = 888888;
    a.Tax.Expense = 777777;
    a.Tax.Rate = 5;
    return a;
}

FormTotals total(const std::vector<AssetRecord>& assets) {
    FormTotals t;
    for (const AssetRecord& a : assets) dp::addAssetToForm(t, a);
    return t;
}

TEST(FormAccumulators, EveryAdditionRoundsHalfToEven) {
    EXPECT_EQ(dp::addRounded(0, 100.5), 100);
    EXPECT_EQ(dp::addRounded(100, 100.5), 200);  // 200.5 goes to 200, not 201
    EXPECT_EQ(dp::addRounded(0, 101.5), 102);
    EXPECT_EQ(dp::addRounded(0, -2.5), -2);
    EXPECT_EQ(dp::addRounded(7, 0.49), 7);
    // Amounts that are not numbers leave the total alone; sums beyond the range stop there.
    EXPECT_EQ(dp::addRounded(5, std::nan("")), 5);
    EXPECT_EQ(dp::addRounded(5, std::numeric_limits<double>::infinity()), 5);
    EXPECT_EQ(dp::addRounded(5, 1e300), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(dp::addRounded(5, -1e300), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(dp::addRounded(std::numeric_limits<std::int32_t>::max(), 1), std::numeric_limits<std::int32_t>::max());

    const FormTotals t = total({asset("19", 1000, 100.50, 0, 5), asset("19", 1000, 100.50, 0, 5)});
    EXPECT_EQ(t.ClassRows[dp::Row19b].Deduction, 200);
    EXPECT_EQ(t.ClassRows[dp::Row19b].Basis, 2000);
}

TEST(FormCodes, TokensAndLines) {
    struct Case {
        const char* code;
        int line2;       // line2Total
        int entry;       // LineTotals entry that gets the cost (0: none)
        int other;       // deduction on line 16
    };
    const Case cases[] = {
        {"2", 500, 0, 0},       {"2     ", 500, 0, 0},  {" 2", 0, 2, 0},      {"2,6", 500, 6, 0},
        {"6,2", 500, 6, 0},     {"X", 0, 0, 40},        {"A", 0, 0, 40},       {"0", 0, 0, 0},
        {"", 0, 0, 0},          {"31", 0, 0, 0},        {"-5", 0, 0, 0},       {"16", 0, 16, 40},
        {"7.4", 0, 7, 0},       {"6.5", 0, 6, 0},       {"2,X", 500, 0, 40},   {"1e9", 0, 0, 0},
        {",", 0, 0, 0},         {"30", 0, 30, 0},       {"0.4", 0, 0, 40},
    };
    for (const Case& c : cases) {
        const FormTotals t = total({asset(c.code, 500, 40, 30)});
        EXPECT_EQ(t.line2Total, c.line2) << '"' << c.code << '"';
        for (int e = 1; e <= dp::kFormLineCount; ++e) {
            const int expectCost = e == c.entry ? 500 : 0;
            EXPECT_EQ(t.LineTotals[e].Cost, expectCost) << '"' << c.code << "\" entry " << e;
            if (e != 16) {
                EXPECT_EQ(t.LineTotals[e].Deduction, e == c.entry ? 40 : 0) << '"' << c.code << "\" entry " << e;
            }
        }
        EXPECT_EQ(t.LineTotals[16].Deduction, c.other) << '"' << c.code << '"';
    }
    // A code padded with NULs reads as blank.
    AssetRecord nul = asset("", 500, 40);
    nul.Tax.Code4562 = std::string(6, '\0');
    EXPECT_EQ(total({nul}).LineTotals[16].Deduction, 0);
    nul.Tax.Code4562 = std::string("2\0\0\0\0\0", 6);
    EXPECT_EQ(total({nul}).line2Total, 500);
}

TEST(FormCodes, TwoTwoSixFeedsLinesTwoAndSix) {
    const FormTotals t = total({asset("2,6", 1200, 300, 150, 5, "SL", "LATHE")});
    EXPECT_EQ(t.line2Total, 1200);
    EXPECT_EQ(t.LineTotals[6].Description, dp::fixedText("LATHE", 35));
    EXPECT_EQ(t.LineTotals[6].Cost, 1200);
    EXPECT_EQ(t.LineTotals[6].ElectedCost, 150);
    EXPECT_EQ(t.LineTotals[6].Deduction, 300);
    // The last asset of a line gives its description.
    const FormTotals u = total({asset("6", 1, 0, 0, 0, "SL", "FIRST"), asset("6", 1, 0, 0, 0, "SL", "SECOND")});
    EXPECT_EQ(u.LineTotals[6].Description, dp::fixedText("SECOND", 35));
    EXPECT_EQ(u.LineTotals[6].Cost, 2);
}

TEST(FormCodes, MarkersAndDeletedRecordsAddNothing) {
    AssetRecord heading = asset("2,16", 100, 100);
    dp::date6FromText(heading.DateAcquired, "H", false);
    AssetRecord subtotal = asset("19", 100, 100, 0, 5);
    dp::date6FromText(subtotal.DateAcquired, "S", false);
    AssetRecord deleted = asset("2,6", 100, 100, 0, 0, "SL", "  ***DELETED***");
    const FormTotals t = total({heading, subtotal, deleted});
    EXPECT_EQ(t.line2Total, 0);
    EXPECT_EQ(t.LineTotals[6].Cost, 0);
    EXPECT_EQ(t.LineTotals[16].Deduction, 0);
    EXPECT_FALSE(t.ClassRows[dp::Row19b].hasAsset);
    // A description that merely starts with the mark is an ordinary asset.
    EXPECT_EQ(total({asset("2", 100, 0, 0, 0, "SL", "***DELETED*** NOT")}).line2Total, 100);
}

TEST(FormClassRows, GeneralSystemByRoundedPeriod) {
    struct Case {
        double rate;
        int row;  // -1: none
    };
    const Case cases[] = {
        {3, dp::Row19a},   {5, dp::Row19b},   {7, dp::Row19c},    {10, dp::Row19d},  {15, dp::Row19e},
        {20, dp::Row19f},  {25, dp::Row19g},  {27.5, dp::Row19h}, {28.4, dp::Row19h}, {39, dp::Row19i},
        {31.5, -1},        {0.2, -1},         {4.5, -1},          {2.6, dp::Row19a}, {5.5, -1},          {6.5, -1},
        {std::nan(""), -1}, {1e12, -1},       {-3, -1},
    };
    for (const Case& c : cases) {
        const FormTotals t = total({asset("19", 1000, 100, 0, c.rate, "B200")});
        for (int r = 0; r < dp::kClassRowCount; ++r) {
            EXPECT_EQ(t.ClassRows[r].Basis, r == c.row ? 1000 : 0) << "rate " << c.rate << " row " << r;
            EXPECT_EQ(t.ClassRows[r].Deduction, r == c.row ? 100 : 0) << "rate " << c.rate << " row " << r;
        }
    }
}

TEST(FormClassRows, AlternativeSystem) {
    FormTotals t = total({asset("20", 900, 90, 0, 9, "SL  "), asset("20", 1200, 120, 0, 12), asset("20", 4000, 100, 0, 40)});
    EXPECT_EQ(t.ClassRows[dp::Row20a].Basis, 900);
    EXPECT_EQ(t.ClassRows[dp::Row20a].classLifePeriod, " 9");
    EXPECT_EQ(t.ClassRows[dp::Row20a].classLifeMethod, "SL  ");
    EXPECT_EQ(t.ClassRows[dp::Row20b].Deduction, 120);
    EXPECT_EQ(t.ClassRows[dp::Row20c].Deduction, 100);
    // The last asset of row 20a sets its texts; a negative period has no leading blank.
    dp::addAssetToForm(t, asset("20", 1, 1, 0, -4, "ADS "));
    dp::addAssetToForm(t, asset("20", 1, 1, 0, 0, "XY  "));
    EXPECT_EQ(t.ClassRows[dp::Row20a].classLifePeriod, " 0");
    EXPECT_EQ(t.ClassRows[dp::Row20a].classLifeMethod, "XY  ");
    dp::addAssetToForm(t, asset("20", 1, 1, 0, -4, "ADS "));
    EXPECT_EQ(t.ClassRows[dp::Row20a].classLifePeriod, "-4");
    EXPECT_EQ(t.ClassRows[dp::Row20a].Basis, 903);
    // A rate that is no number lands nowhere.
    dp::addAssetToForm(t, asset("20", 1, 1, 0, std::numeric_limits<double>::infinity()));
    EXPECT_EQ(t.ClassRows[dp::Row20a].Basis, 903);
}

TEST(FormClassRows, PrintedTexts) {
    FormTotals t = total({asset("19", 1, 1, 0, 3, "B200"), asset("19", 1, 1, 0, 3, "SL"), asset("19", 1, 1, 0, 5, "B150"),
                          asset("19", 1, 1, 0, 20, "B200"), asset("20", 1, 1, 0, 40)});
    const dp::FormLines l = dp::computeFormLines(t, 2003);
    struct Expect {
        int row;
        const char* period;
        const char* convention;
        const char* method;
    };
    const Expect expect[] = {
        {dp::Row19a, "", "MY", " DDB"},     {dp::Row19b, "", "MY", ""},        {dp::Row19c, "", "", ""},
        {dp::Row19f, "", "", ""},           {dp::Row19g, " 25 yrs.", "", "S/L"}, {dp::Row19h, "27.5 yrs.", "MM", "S/L"},
        {dp::Row19i, "39 Yrs", "MM", "S/L"}, {dp::Row20a, "", "", ""},          {dp::Row20b, "", "", ""},
        {dp::Row20c, "40 Yrs", "MM", "S/L"},
    };
    for (const Expect& e : expect) {
        EXPECT_EQ(l.rows[e.row].Period, e.period) << e.row;
        EXPECT_EQ(l.rows[e.row].Convention, e.convention) << e.row;
        EXPECT_EQ(l.rows[e.row].Method, e.method) << e.row;
    }
    const dp::FormLines empty = dp::computeFormLines(FormTotals{}, 2003);
    EXPECT_EQ(empty.rows[dp::Row20c].Period, "");
    EXPECT_EQ(empty.rows[dp::Row20c].Convention, "MM");
    EXPECT_EQ(empty.rows[dp::Row20c].Method, "");
}

TEST(FormLines, YearDependentAmounts) {
    struct Case {
        int year;
        int max;
        int threshold;
    };
    const Case cases[] = {{1990, 17500, 200000}, {1996, 17500, 200000}, {1997, 18000, 200000}, {1999, 18000, 200000},
                          {2000, 20000, 200000}, {2001, 24000, 200000}, {2002, 24000, 200000}, {2003, 100000, 400000},
                          {2010, 100000, 400000}, {0, 17500, 200000}};
    for (const Case& c : cases) {
        EXPECT_EQ(dp::maximumAmount(c.year), c.max) << c.year;
        EXPECT_EQ(dp::thresholdAmount(c.year), c.threshold) << c.year;
    }
    FormTotals t;
    t.line2Total = 250000;
    dp::FormLines l = dp::computeFormLines(t, 2002);
    EXPECT_EQ(l.line[1], 24000);
    EXPECT_EQ(l.line[3], 200000);
    EXPECT_EQ(l.line[4], 50000);
    EXPECT_EQ(l.line[5], 0);
    t.line2Total = 450000;
    l = dp::computeFormLines(t, 2003);
    EXPECT_EQ(l.line[1], 100000);
    EXPECT_EQ(l.line[3], 400000);
    EXPECT_EQ(l.line[4], 50000);
    EXPECT_EQ(l.line[5], 50000);
}

TEST(FormLines, SectionOneSeventyNineChain) {
    // Line 7 prints the code-7 depreciation; line 8 adds only elected costs.
    FormTotals t = total({asset("7", 0, 500, 0), asset("6", 3000, 0, 2500)});
    dp::FormLines l = dp::computeFormLines(t, 2003);
    EXPECT_EQ(l.line[7], 500);
    EXPECT_EQ(l.line[8], 2500);
    EXPECT_EQ(l.line[9], 2500);   // min(line 5 = 100,000, line 8)
    EXPECT_EQ(l.line[11], 100000);
    EXPECT_EQ(l.line[12], 2500);
    EXPECT_EQ(l.line[13], 0);

    // Line 11: the code-11 total when it is not zero and below line 5.
    dp::addAssetToForm(t, asset("11", 0, 1000));
    dp::addAssetToForm(t, asset("10", 0, 700));
    l = dp::computeFormLines(t, 2003);
    EXPECT_EQ(l.line[10], 700);
    EXPECT_EQ(l.line[11], 1000);
    EXPECT_EQ(l.line[12], 1000);  // min(2500 + 700, 1000)
    EXPECT_EQ(l.line[13], 2200);
    // A code-11 total that nets to zero leaves line 11 at line 5.
    dp::addAssetToForm(t, asset("11", 0, -1000));
    EXPECT_EQ(dp::computeFormLines(t, 2003).line[11], 100000);
}

TEST(FormLines, TotalOnLineTwentyTwo) {
    FormTotals t = total({asset("6", 0, 0, 400), asset("14", 0, 14), asset("15", 0, 15), asset("X", 0, 16),
                          asset("17", 0, 17), asset("28", 0, 28), asset("19", 0, 100, 0, 7), asset("20", 0, 200, 0, 40),
                          asset("18", 0, 1000), asset("23", 0, 1000)});
    const dp::FormLines l = dp::computeFormLines(t, 2003);
    EXPECT_EQ(l.line[21], 28);
    EXPECT_EQ(l.line[22], 400 + 14 + 15 + 16 + 17 + 100 + 200 + 28);
    // Far beyond the 32-bit range the total stops at its limit.
    FormTotals big;
    for (auto& r : big.ClassRows) r.Deduction = std::numeric_limits<std::int32_t>::max();
    EXPECT_EQ(dp::computeFormLines(big, 2003).line[22], std::numeric_limits<std::int32_t>::max());
}

}  // namespace

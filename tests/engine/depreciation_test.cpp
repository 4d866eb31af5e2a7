#include <gtest/gtest.h>

#include "engine_test_util.h"

namespace {

using enginetest::Asset;
using enginetest::compute;
using enginetest::inputs;

// A table reader that always answers the same fraction and remembers what it was asked.
struct FixedTable {
    float fraction;
    std::string* lastCode;
    float operator()(std::string_view code, int, std::string_view, std::string_view) const {
        if (lastCode) *lastCode = std::string(code);
        return fraction;
    }
};

TEST(WorkedExamples, StraightLine) {
    Asset a;
    a.salvage = 1000;
    auto f = compute(a);
    EXPECT_EQ(f.periodMonths, 12);
    EXPECT_EQ(f.serviceMonths, 10);
    EXPECT_EQ(f.periodServiceMonths, 10);
    EXPECT_DOUBLE_EQ(f.amounts.CurrentDepr, 1500.00);
    EXPECT_DOUBLE_EQ(f.record.Tax.CurrentDepr, 1500.00);
    EXPECT_DOUBLE_EQ(f.amounts.Cancelled, 0);
    EXPECT_EQ(f.amounts.Method, "SL");
    EXPECT_FALSE(f.manual);
}

TEST(WorkedExamples, MacrsDecliningBalanceTwoYears) {
    Asset a;
    a.method = "B200";
    auto first = compute(a);
    EXPECT_EQ(first.firstYearMonths, 10);
    EXPECT_EQ(first.recoveryYear, 1);
    EXPECT_DOUBLE_EQ(first.amounts.CurrentDepr, 2000.00);
    a.prior = 2000;
    auto second = compute(a, inputs("12312005", "12312005"));
    EXPECT_EQ(second.serviceMonths, 22);
    EXPECT_DOUBLE_EQ(second.amounts.CurrentDepr, 3200.00);
}

// A 5-year B200 asset placed in service in July, carried forward year by year, gives the
// published MACRS half-year percentages 20, 32, 19.2, 11.52, 11.52, 5.76.
TEST(MultiYear, MacrsFiveYearHalfYearPercentages) {
    Asset a;
    a.method = "B200";
    a.acquired = 7012004;
    const double published[] = {2000.00, 3200.00, 1920.00, 1152.00, 1152.00, 576.00, 0.0};
    for (int year = 0; year < 7; ++year) {
        std::string date = "1231" + std::to_string(2004 + year);
        auto f = compute(a, inputs(date, date));
        EXPECT_DOUBLE_EQ(f.amounts.CurrentDepr, published[year]) << "year " << year + 1;
        a.prior += f.amounts.CurrentDepr;
    }
    EXPECT_DOUBLE_EQ(a.prior, 10000.0);
}

TEST(MultiYear, MacrsSevenYearWithinACentOfThePublishedPercentages) {
    Asset a;
    a.method = "B200";
    a.rate = 7;
    a.acquired = 7012004;
    const double published[] = {14.29, 24.49, 17.49, 12.49, 8.93, 8.92, 8.93, 4.46};
    for (int year = 0; year < 8; ++year) {
        std::string date = "1231" + std::to_string(2004 + year);
        auto f = compute(a, inputs(date, date));
        // The table is rounded to hundredths of a percent, 0.50 of this cost.
        EXPECT_NEAR(f.amounts.CurrentDepr, published[year] * 100, 0.51) << "year " << year + 1;
        a.prior += f.amounts.CurrentDepr;
    }
    EXPECT_NEAR(a.prior, 10000.0, 0.005);
}

TEST(ServiceMonths, DayFifteenAgainstSixteen) {
    struct Case {
        const char* method;
        std::int32_t acquired;
        int serviceMonths;
    };
    const Case cases[] = {
        {"SL", 3152004, 10}, {"SL", 3162004, 9},  {"D200", 3162004, 9}, {"E", 3162004, 9},
        {"A5", 3162004, 10}, {"B200", 3162004, 10}, {"F", 3162004, 10},
        {"G1", 3162004, 10}, {"G2", 3162004, 9},  {"G", 3162004, 9},   {"H1", 3162004, 10},
        {"", 3162004, 9},
    };
    for (const auto& c : cases) {
        Asset a;
        a.method = c.method;
        a.acquired = c.acquired;
        EXPECT_EQ(compute(a).serviceMonths, c.serviceMonths) << c.method << " " << c.acquired;
    }
}

TEST(ServiceMonths, AcquiredAfterTheReportDate) {
    Asset a;
    a.acquired = 1102005;
    auto f = compute(a);
    EXPECT_LE(f.periodServiceMonths, 0);
    EXPECT_EQ(f.amounts.CurrentDepr, 0);
}

TEST(Sale, DuringThePeriodCancelsPriorPlusCurrent) {
    Asset a;
    a.acquired = 1102002;
    a.prior = 3600;
    a.sold = 6102004;
    auto f = compute(a);
    EXPECT_TRUE(f.sold);
    EXPECT_EQ(f.serviceMonths, 5);  // January to the sale month, from the period start
    EXPECT_DOUBLE_EQ(f.amounts.CurrentDepr, 833.33);
    EXPECT_DOUBLE_EQ(f.amounts.Cancelled, 4433.33);
    EXPECT_DOUBLE_EQ(f.record.Tax.Cancelled, 4433.33);
}

TEST(Sale, AcquiredAndSoldInThePeriod) {
    Asset a;
    a.acquired = 3102004;
    a.sold = 9202004;  // after the 15th: September counts
    auto f = compute(a);
    EXPECT_EQ(f.serviceMonths, 7);
    EXPECT_DOUBLE_EQ(f.amounts.CurrentDepr, 1166.67);
    EXPECT_DOUBLE_EQ(f.amounts.Cancelled, 1166.67);
}

TEST(Sale, AfterTheReportDateStillCancels) {
    Asset a;
    a.acquired = 1102002;
    a.prior = 3600;
    a.cancelled = 123;
    a.sold = 3102005;
    auto f = compute(a);
    EXPECT_EQ(f.serviceMonths, 36);
    EXPECT_DOUBLE_EQ(f.amounts.CurrentDepr, 2000.00);
    EXPECT_DOUBLE_EQ(f.amounts.Cancelled, 5600.00);
}

TEST(Sale, NotSoldKeepsTheStoredCancelledAmount) {
    Asset a;
    a.cancelled = 77.5;
    EXPECT_DOUBLE_EQ(compute(a).amounts.Cancelled, 77.5);
}

TEST(Limits, StopAtCostLessSalvageBonusExpenseAndThirtyFifty) {
    struct Case {
        double bonus, salvage, expense, bonus3050, prior, expected;
    };
    const Case cases[] = {
        {0, 1000, 0, 0, 8500, 500.00},      // the last 500 of cost less salvage
        {0, 1000, 0, 0, 9000, 0.00},        // fully depreciated
        {0, 1000, 0, 0, 9500, 0.00},        // past it: never negative
        {2000, 0, 1000, 500, 6000, 500.00}, // bonus, expense and 30/50 bonus all count
        {0, 0, 0, 0, 0, 2000.00},           // no limit reached
    };
    for (const auto& c : cases) {
        Asset a;
        a.acquired = 1102002;
        a.bonus = c.bonus;
        a.salvage = c.salvage;
        a.expense = c.expense;
        a.bonus3050 = c.bonus3050;
        a.prior = c.prior;
        EXPECT_DOUBLE_EQ(compute(a).amounts.CurrentDepr, c.expected) << c.prior;
    }
}

TEST(DecliningBalance, LivesAroundTwentyYears) {
    Asset a;
    a.method = "B200";
    a.cost = 27500;
    a.salvage = 5000;  // left out of the straight-line base of long lives
    a.acquired = 1102004;
    a.rate = 27.5;  // straight line, not halved
    EXPECT_DOUBLE_EQ(compute(a).amounts.CurrentDepr, 1000.00);
    a.rate = 25;    // straight line, halved in the first year
    EXPECT_DOUBLE_EQ(compute(a).amounts.CurrentDepr, 550.00);
    a.rate = 20;    // declining balance: 10 % of 27500, halved
    EXPECT_DOUBLE_EQ(compute(a).amounts.CurrentDepr, 1375.00);
}

TEST(DecliningBalance, FactorFromTheCode) {
    Asset a;
    a.acquired = 1102003;  // second year, whole period
    a.prior = 2000;
    a.method = "D200";
    EXPECT_DOUBLE_EQ(compute(a).amounts.CurrentDepr, 3200.00);
    a.method = "D150";
    EXPECT_DOUBLE_EQ(compute(a).amounts.CurrentDepr, 2400.00);
    a.method = "D";  // 100 %: the straight-line switch gives more
    EXPECT_DOUBLE_EQ(compute(a).amounts.CurrentDepr, 2000.00);
}

TEST(DecliningBalance, SwitchesToStraightLineOverTheRemainingLife) {
    // Fifth year of a 5-year D200 asset bought in January: 48 months are used, the 12 that
    // remain are the period itself, so the whole remaining base is taken.
    Asset a;
    a.method = "D200";
    a.acquired = 1102000;
    a.prior = 8704;  // 4000 + 2400 + 1440 + 864
    auto f = compute(a);
    EXPECT_DOUBLE_EQ(f.amounts.CurrentDepr, 1296.00);  // all of what is left: 12 months remain
}

TEST(MidQuarter, QuarterOfTheFiscalYear) {
    Asset a;
    a.method = "E";
    a.acquired = 2102004;  // first quarter: 10.5 / 12 of the year, then 11 months of the period
    EXPECT_DOUBLE_EQ(compute(a).amounts.CurrentDepr, 1604.17);
    a.acquired = 11102004;  // fourth quarter: 1.5 / 12
    EXPECT_DOUBLE_EQ(compute(a).amounts.CurrentDepr, 41.67);
    a.acquired = 2102003;  // second recovery year: the whole year
    EXPECT_DOUBLE_EQ(compute(a).amounts.CurrentDepr, 2000.00);
    // A June fiscal year: February lies in the third quarter (4.5 / 12), then 5 months.
    a.acquired = 2102004;
    EXPECT_DOUBLE_EQ(compute(a, inputs("06302004", "06302004")).amounts.CurrentDepr, 312.50);
}

TEST(MacrsStraightLine, HalfYearAndMidMonth) {
    Asset a;
    a.method = "F";
    auto f = compute(a);  // half year, then 10 of 12 months
    EXPECT_DOUBLE_EQ(f.amounts.CurrentDepr, 833.33);
    EXPECT_FALSE(f.endedAtMidMonth);

    a.rate = 39;
    a.acquired = 1102004;
    f = compute(a);  // January: 11.5 / 12 of the year
    EXPECT_TRUE(f.endedAtMidMonth);
    EXPECT_DOUBLE_EQ(f.amounts.CurrentDepr, 245.73);
    a.acquired = 1101986;  // placed in service before 1987: no mid-month year
    EXPECT_FALSE(compute(a, inputs("12311986", "12311986")).endedAtMidMonth);
    a.acquired = 1102003;  // second year
    f = compute(a);
    EXPECT_FALSE(f.endedAtMidMonth);
    EXPECT_DOUBLE_EQ(f.amounts.CurrentDepr, 256.41);
}

TEST(MacrsStraightLine, LongLifeSoldInTheFirstYearIsLimitedAndCancelled) {
    Asset a;
    a.method = "F";
    a.rate = 39;
    a.acquired = 1102004;
    a.sold = 6102004;
    auto f = compute(a);
    EXPECT_TRUE(f.endedAtMidMonth);
    EXPECT_DOUBLE_EQ(f.amounts.CurrentDepr, 245.73);
    EXPECT_DOUBLE_EQ(f.amounts.Cancelled, 245.73);
    a.bonus = 9900;  // only 100 left to depreciate
    f = compute(a);
    EXPECT_DOUBLE_EQ(f.amounts.CurrentDepr, 100.00);
    EXPECT_DOUBLE_EQ(f.amounts.Cancelled, 100.00);
}

TEST(TableMethods, AWithRateFiveIsA5) {
    enginetest::InDirectory dir(enginetest::dataDir());
    Asset a;
    a.method = "A5";
    auto byCode = compute(a);
    a.method = "A";
    auto byRate = compute(a);
    EXPECT_EQ(byRate.tableCode, "A5");
    EXPECT_DOUBLE_EQ(byCode.amounts.CurrentDepr, 1500.00);  // 15 %, first year shared over 10 of 10 months
    EXPECT_DOUBLE_EQ(byRate.amounts.CurrentDepr, byCode.amounts.CurrentDepr);
    a.prior = 1500;
    EXPECT_DOUBLE_EQ(compute(a, inputs("12312005", "12312005")).amounts.CurrentDepr, 2200.00);
    a.rate = 5.5;  // no class of that life
    EXPECT_EQ(compute(a).amounts.CurrentDepr, 0);
}

TEST(TableMethods, CodesWithoutAFileGiveZero) {
    enginetest::InDirectory dir(enginetest::dataDir());
    for (const char* code : {"G4", "G8", "H2", "A4", "A8"}) {
        Asset a;
        a.method = code;
        EXPECT_EQ(compute(a).amounts.CurrentDepr, 0) << code;
    }
}

TEST(TableMethods, RateLimitedToTheBaseAndNeverNegative) {
    Asset a;
    a.method = "G1";
    a.acquired = 1102003;
    auto in = inputs();
    in.tableRate = FixedTable{1.5f, nullptr};
    EXPECT_DOUBLE_EQ(compute(a, in).amounts.CurrentDepr, 10000.00);
    in.tableRate = FixedTable{-0.2f, nullptr};
    EXPECT_EQ(compute(a, in).amounts.CurrentDepr, 0);
    a.acquired = 1102005;  // recovery year 0: the table is not read
    std::string asked;
    in.tableRate = FixedTable{0.5f, &asked};
    EXPECT_EQ(compute(a, in).amounts.CurrentDepr, 0);
    EXPECT_EQ(asked, "");
}

TEST(TableMethods, FirstYearSharedOverTheMonthsOfTheFirstFiscalYear) {
    Asset a;
    a.method = "H1";
    a.acquired = 3102004;
    auto in = inputs("09302004", "12312004");  // 9 months of the year, 7 of them in service
    in.tableRate = FixedTable{0.1f, nullptr};
    auto f = compute(a, in);
    EXPECT_EQ(f.periodMonths, 9);
    EXPECT_EQ(f.serviceMonths, 7);
    EXPECT_EQ(f.firstYearMonths, 10);
    EXPECT_DOUBLE_EQ(f.amounts.CurrentDepr, 700.00);  // 7 / 10 of 1000
}

TEST(ManualRows, KeepTheStoredAmountAndRoundToWholeDollars) {
    Asset a;
    a.method = "XX";
    a.manual = 'y';
    a.current = 1500.50;
    a.cancelled = 10;
    a.sold = 6102004;
    auto f = compute(a, inputs("12312004", "12312004", "Y"));
    EXPECT_TRUE(f.manual);
    EXPECT_DOUBLE_EQ(f.amounts.CurrentDepr, 1500.00);
    EXPECT_DOUBLE_EQ(f.amounts.Cancelled, 10);  // the sale rule is not applied
    EXPECT_EQ(f.serviceMonths, 3);
    a.current = 1501.50;
    EXPECT_DOUBLE_EQ(compute(a, inputs("12312004", "12312004", "Y")).amounts.CurrentDepr, 1502.00);
    EXPECT_DOUBLE_EQ(compute(a).amounts.CurrentDepr, 1501.50);
}

TEST(Rounding, WholeDollarsTiesToEven) {
    Asset a;
    a.cost = 10000;
    a.rate = 1.0 / 0.15005;  // 1500.50 a year
    a.acquired = 1102003;
    EXPECT_DOUBLE_EQ(compute(a).amounts.CurrentDepr, 1500.50);
    auto f = compute(a, inputs("12312004", "12312004", "Y"));
    EXPECT_DOUBLE_EQ(f.amounts.CurrentDepr, 1500.00);
    a.sold = 12312004;
    f = compute(a, inputs("12312004", "12312004", "Y"));
    EXPECT_DOUBLE_EQ(f.amounts.Cancelled, 1500.50);  // the cancelled amount is not rounded again
}

TEST(Basis, BookBlockWhenChosen) {
    Asset a;
    auto in = inputs("12312004", "12312004", "N", "B");
    dp::AssetRecord r = a.record('B');
    r.Tax.Method = "SL  ";
    r.Tax.Rate = 10;
    r.Tax.Cost = 500;
    auto f = dp::computeDepreciation(r, in);
    EXPECT_DOUBLE_EQ(f.amounts.CurrentDepr, 1666.67);
    EXPECT_DOUBLE_EQ(f.record.Book.CurrentDepr, 1666.67);
    EXPECT_EQ(f.record.Tax.CurrentDepr, 0);  // the other block is untouched
}

TEST(Independence, NothingOfThePreviousAssetSurvives) {
    enginetest::InDirectory dir(enginetest::dataDir());
    Asset plain;
    plain.method = "ZZ";
    auto before = compute(plain);
    Asset table;
    table.method = "G2";
    table.sold = 6102004;
    compute(table);
    auto after = compute(plain);
    EXPECT_EQ(after.amounts.CurrentDepr, before.amounts.CurrentDepr);
    EXPECT_EQ(after.amounts.CurrentDepr, 0);
    EXPECT_EQ(after.tableCode, "");
    EXPECT_FALSE(after.sold);
    EXPECT_FALSE(after.endedAtMidMonth);
}

}  // namespace

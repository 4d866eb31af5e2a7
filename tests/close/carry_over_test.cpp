// The carry-over on records in memory: the rounding of the new prior depreciation, which records
// survive, their renumbering, and the next fiscal year end.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "close/close_period.h"
#include "support/client_dir.h"

namespace dp {
namespace {

using dptest::makeAsset;

struct SumCase {
    double prior, current, expected;
};

TEST(CarryOverTest, PriorTakesInCurrentRoundedToCentsOnlyWhenNeeded) {
    const SumCase cases[] = {
        {100.25, 50.126, 150.38},  // 150.376: three decimals, rounded by the mask
        {100.5, 0.25, 100.75},     // two decimals: kept as added
        {2.0, 0.125, 2.12},        // exact tie: to even
        {1.0, 0.135, 1.14},        // 1.13500000000000000888...: the binary value decides
        {2.0, 0.135, 2.13},        // 2.13499999999999978...
        {-3.0, -0.456, -3.46},
        {0, 0, 0},
        {1000, 0, 1000},           // whole numbers of three digits or more go through the mask unchanged
        {7, 5, 12},
        {1e14, 0.004, 1e14},       // 15 digits leave no decimals to round
        // A current amount that is not a number counts as 0; the prior stays.
        {1.0, std::numeric_limits<double>::quiet_NaN(), 1.0},
        {150.38, std::numeric_limits<double>::infinity(), 150.38},
        {-2.5, -std::numeric_limits<double>::infinity(), -2.5},
    };
    for (const SumCase& c : cases)
        EXPECT_EQ(carriedPriorDepr(c.prior, c.current), c.expected) << c.prior << " + " << c.current;
    // A sum whose shortest text has two decimals keeps its exact binary value.
    EXPECT_EQ(carriedPriorDepr(0.1, 0.2), 0.1 + 0.2);
}

AssetRecord sampleAsset() {
    AssetRecord r = makeAsset("A1", "Truck", "010198");
    r.Book.Method = "SL  ";
    r.Book.Rate = 5;
    r.Book.Cost = 20000;
    r.Book.Salvage = 1000;
    r.Book.PriorDepr = 100.25;
    r.Book.CurrentDepr = 50.126;
    r.Book.Cancelled = 3;
    r.Book.Code4562 = "16    ";
    r.Tax.Method = "MACR";
    r.Tax.Cost = 20000;
    r.Tax.Expense = 500;
    r.Tax.PriorDepr = 100.5;
    r.Tax.CurrentDepr = 0.25;
    dp::date6FromText(r.DateSold, "063003", true);
    return r;
}

TEST(CarryOverTest, RecordChangesOnlyInItsDepreciationAmounts) {
    AssetRecord before = sampleAsset();
    AssetRecord after = before;
    carryOverRecord(after);
    EXPECT_EQ(after.Book.PriorDepr, 150.38);
    EXPECT_EQ(after.Book.CurrentDepr, 0);
    EXPECT_EQ(after.Tax.PriorDepr, 100.75);
    EXPECT_EQ(after.Tax.CurrentDepr, 0);
    // Everything else, the disposal date of a sold asset included, is copied byte for byte.
    before.Book.PriorDepr = after.Book.PriorDepr;
    before.Book.CurrentDepr = 0;
    before.Tax.PriorDepr = after.Tax.PriorDepr;
    before.Tax.CurrentDepr = 0;
    EXPECT_EQ(before.encode(), after.encode());
    EXPECT_EQ(date6ToText(after.DateSold, true), "063003");
}

TEST(CarryOverTest, DeletionMarkIsTheWholeDescription) {
    EXPECT_TRUE(isDeletedForClose(makeAsset("A", "***DELETED***", "")));
    EXPECT_FALSE(isDeletedForClose(makeAsset("A", "***DELETED*** truck", "")));
    EXPECT_FALSE(isDeletedForClose(makeAsset("A", " ***DELETED***", "")));
    EXPECT_FALSE(isDeletedForClose(makeAsset("A", "***deleted***", "")));
}

CloseEntry entry(const std::string& number, std::int16_t r, std::optional<AssetRecord> rec) {
    return CloseEntry{fixedText(number, 6), r, std::move(rec)};
}

TEST(CarryOverTest, SurvivorsAreRenumberedInIndexOrder) {
    AssetRecord heading = makeAsset("H1", "Vehicles", "H");
    AssetRecord subtotal = makeAsset("S1", "", "S");
    AssetRecord sold = sampleAsset();
    AssetRecord plain = makeAsset("B2", "Desk", "020299");
    plain.Tax.CurrentDepr = 10;
    const std::vector<CloseEntry> entries = {
        entry("ZZ9", 7, makeAsset("ZZ9", "***DELETED***", "")),
        entry("H1", 3, heading),
        entry("XX", 0, std::nullopt),  // record number 0
        entry("A1", 5, sold),
        entry("QQ", 40, std::nullopt),  // beyond the end of the file
        entry("B2", 1, plain),
        entry("S1", 2, subtotal),
    };
    const CarriedRegister out = carryOverRegister(entries);
    ASSERT_EQ(out.records.size(), 4u);
    ASSERT_EQ(out.index.size(), 4u);
    const char* numbers[] = {"H1    ", "A1    ", "B2    ", "S1    "};
    for (std::size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(indexKey(out.index[k]), numbers[k]);
        EXPECT_EQ(indexRecordNumber(out.index[k]), static_cast<std::int16_t>(k + 1));
        EXPECT_EQ(out.records[k].AssetNumber, numbers[k]);
    }
    EXPECT_TRUE(date6IsMarker(out.records[0].DateAcquired, 'H'));
    EXPECT_TRUE(date6IsMarker(out.records[3].DateAcquired, 'S'));
    EXPECT_EQ(out.records[1].Book.PriorDepr, 150.38);
    EXPECT_EQ(date6ToText(out.records[1].DateSold, true), "063003");
    EXPECT_EQ(out.records[2].Tax.PriorDepr, 10);
    EXPECT_EQ(out.records[2].Tax.CurrentDepr, 0);
}

TEST(CarryOverTest, IndexEntryKeepsItsOwnAssetNumber) {
    // The new entry is made from the old entry, not from the record it points to.
    const CarriedRegister out = carryOverRegister({entry("AB1", 1, makeAsset("OTHER", "x", "010101"))});
    ASSERT_EQ(out.index.size(), 1u);
    EXPECT_EQ(indexKey(out.index[0]), "AB1   ");
    EXPECT_EQ(out.records[0].AssetNumber, "OTHER ");
}

TEST(CarryOverTest, EmptyRegisterStaysEmpty) {
    const ClosedYear y = closeYear({}, date6cFromText("12312003"));
    EXPECT_TRUE(y.assets.records.empty());
    EXPECT_TRUE(y.assets.index.empty());
    EXPECT_EQ(y.newFiscalYearEnd, "12312004");
}

TEST(CarryOverTest, FiscalYearEndMovesOneYear) {
    struct Case {
        const char* stored;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"12312003", "12312004"}, {"06302003", "06302004"}, {"123198", "12311999"},  // 2-digit: 19YY
        {"12311999", "12312000"}, {"09300101", "09300102"}, {"12319998", "12319999"},
        {"12319999", std::nullopt},  // no fifth digit for the year
        {"12310000", std::nullopt},  // year 0: never entered
        {"1231", std::nullopt},      {"12-31999", std::nullopt}, {"AB312003", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(nextFiscalYearEnd(date6cFromText(c.stored)), c.expected) << c.stored;

    Date6c stored98;  // a year kept as 98 reads as 1998
    std::memcpy(stored98.monthDay.data(), "1231", 4);
    stored98.year = 98;
    EXPECT_EQ(nextFiscalYearEnd(stored98), "12311999");
    EXPECT_EQ(nextFiscalYearEnd(Date6c{}), std::nullopt);  // a new company file: NULs and 0
}

}  // namespace
}  // namespace dp

namespace dp {
namespace {

// One live asset of cost 1000 on both bases, changed by each case; the bases that lack the
// year's figures.
TEST(YearFiguresTest, ABasisLacksItsFiguresWhenNothingLeftToDepreciateGotAnAmount) {
    const struct {
        const char* name;
        void (*change)(AssetRecord&);
        bool book, tax;
    } cases[] = {
        {"no figures on either basis", [](AssetRecord&) {}, true, true},
        {"book computed", [](AssetRecord& r) { r.Book.CurrentDepr = 200; }, false, true},
        {"tax computed", [](AssetRecord& r) { r.Tax.CurrentDepr = 0.01; }, true, false},
        {"both computed", [](AssetRecord& r) { r.Book.CurrentDepr = r.Tax.CurrentDepr = 200; }, false, false},
        {"a negative amount is a figure", [](AssetRecord& r) { r.Book.CurrentDepr = r.Tax.CurrentDepr = -5; }, false, false},
        {"fully depreciated by prior", [](AssetRecord& r) { r.Book.PriorDepr = r.Tax.PriorDepr = 1000; }, false, false},
        {"salvage and bonuses take the rest",
         [](AssetRecord& r) {
             r.Book.Salvage = 400;
             r.Book.Bonus = 300;
             r.Book.Expense = 200;
             r.Book.Bonus3050 = 100;
         },
         false, true},
        {"no cost on a basis", [](AssetRecord& r) { r.Tax.Cost = 0; }, true, false},
        {"sold", [](AssetRecord& r) { date6FromText(r.DateSold, "063004", true); }, false, false},
        {"deleted", [](AssetRecord& r) { r.Description = fixedText("***DELETED***", 35); }, false, false},
        {"heading row", [](AssetRecord& r) { date6FromText(r.DateAcquired, "H", false); }, false, false},
        {"subtotal row", [](AssetRecord& r) { date6FromText(r.DateAcquired, "S", false); }, false, false},
        {"left out of the report", [](AssetRecord& r) { r.Tax.Code4562 = "11    "; }, false, false},
        {"empty slot", [](AssetRecord& r) { r.AssetNumber = "      "; }, false, false},
        {"manual with its amount", [](AssetRecord& r) {
             r.Book.Manual = 'Y';
             r.Book.CurrentDepr = 600;
         },
         false, true},
    };
    for (const auto& c : cases) {
        AssetRecord r = makeAsset("A1", "Truck", "010104");
        r.Book.Cost = r.Tax.Cost = 1000;
        c.change(r);
        const YearFigures f = yearFigures({CloseEntry{"A1    ", 1, r}});
        EXPECT_EQ(f.bookMissing, c.book) << c.name;
        EXPECT_EQ(f.taxMissing, c.tax) << c.name;
        EXPECT_EQ(f.anyMissing(), c.book || c.tax) << c.name;
    }
}

TEST(YearFiguresTest, OneComputedAssetIsEnoughAndEmptyRegistersLackNothing) {
    AssetRecord open = makeAsset("A1", "Truck", "010104");
    open.Book.Cost = open.Tax.Cost = 1000;
    AssetRecord computed = open;
    computed.Tax.CurrentDepr = 200;
    const YearFigures f = yearFigures({CloseEntry{"A1    ", 1, open}, CloseEntry{"A2    ", 2, computed}});
    EXPECT_TRUE(f.bookMissing);
    EXPECT_FALSE(f.taxMissing);
    EXPECT_FALSE(yearFigures({}).anyMissing());
    // Entries that point nowhere are no assets.
    EXPECT_FALSE(yearFigures({CloseEntry{"A1    ", 0, open}, CloseEntry{"A2    ", 9, std::nullopt}}).anyMissing());
}

}  // namespace
}  // namespace dp

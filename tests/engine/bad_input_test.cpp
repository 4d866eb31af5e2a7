#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "engine_test_util.h"

namespace {

using enginetest::Asset;
using enginetest::compute;
using enginetest::inputs;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

const char* const kMethods[] = {"SL", "D200", "B200", "B", "E", "F", "A", "A5", "G1", "G2", "H1", "ZZ", ""};

void expectDefined(const dp::AssetFigures& f, const std::string& what) {
    EXPECT_TRUE(std::isfinite(f.amounts.CurrentDepr)) << what;
    EXPECT_TRUE(std::isfinite(f.amounts.Cancelled)) << what;
    EXPECT_TRUE(std::isfinite(f.record.Tax.CurrentDepr)) << what;
}

class BadInput : public ::testing::Test {
protected:
    enginetest::InDirectory dir{enginetest::dataDir()};
};

TEST_F(BadInput, RateZeroGivesNothingForStraightLineAndDecliningBalance) {
    for (const char* m : {"SL", "D200", "B200", "E", "F"}) {
        Asset a;
        a.method = m;
        a.rate = 0;
        auto f = compute(a);
        EXPECT_EQ(f.amounts.CurrentDepr, 0) << m;
    }
}

// A negative Rate is neither a life nor a fraction of one: no depreciation in any family (the
// B200 asset of 10,000 once showed -50,000.00), and a sale cancels only the prior amount.
TEST_F(BadInput, NegativeRateGivesNoDepreciationInEveryFamily) {
    for (const char* m : {"SL", "D200", "D", "B200", "B150", "E", "F", "A", "A5", "G1", "H1"}) {
        for (double r : {-0.1, -0.3, -5.0, -27.5, -40.0}) {
            Asset a;
            a.method = m;
            a.rate = r;
            a.prior = 300;
            a.current = 77;
            EXPECT_EQ(compute(a).amounts.CurrentDepr, 0) << m << " rate " << r;
            a.acquired = 1102003;  // a later year of its life
            EXPECT_EQ(compute(a, inputs("06302004", "12312004")).amounts.CurrentDepr, 0) << m << " rate " << r;
            a.sold = 6102004;
            const auto sold = compute(a);
            EXPECT_EQ(sold.amounts.CurrentDepr, 0) << m << " rate " << r;
            EXPECT_EQ(sold.amounts.Cancelled, 300) << m << " rate " << r;
        }
    }
}

TEST_F(BadInput, RatesThatAreNotLives) {
    const double rates[] = {kNaN, kInf, -kInf, -5, -0.3, 1e300, -1e300, 1e-300, 5e-324, 0.2, 1000000};
    for (const char* m : kMethods) {
        for (double r : rates) {
            Asset a;
            a.method = m;
            a.rate = r;
            auto f = compute(a);
            expectDefined(f, std::string(m) + " rate " + std::to_string(r));
            if (!std::isfinite(r)) {
                Asset zero = a;
                zero.rate = 0;
                EXPECT_EQ(f.amounts.CurrentDepr, compute(zero).amounts.CurrentDepr) << m << " " << r;
            }
        }
    }
    // The stored rate is reported as it is.
    Asset a;
    a.rate = kNaN;
    EXPECT_TRUE(std::isnan(compute(a).amounts.Rate));
}

TEST_F(BadInput, AmountsNegativeHugeOrNotNumbers) {
    const double values[] = {-10000, kNaN, kInf, -kInf, 1e300, -1e300, 1e18, 5e-324};
    for (const char* m : kMethods) {
        for (double v : values) {
            for (int field = 0; field < 7; ++field) {
                Asset a;
                a.method = m;
                a.sold = 6102004;
                double* target[] = {&a.cost, &a.bonus, &a.salvage, &a.expense, &a.bonus3050, &a.prior, &a.cancelled};
                *target[field] = v;
                expectDefined(compute(a), std::string(m) + " field " + std::to_string(field));
                expectDefined(compute(a, inputs("12312004", "12312004", "Y")), m);
            }
        }
    }
    Asset a;
    a.cost = -10000;  // a negative cost never depreciates below 0
    EXPECT_EQ(compute(a).amounts.CurrentDepr, 0);
}

TEST_F(BadInput, ManualRowWithAStoredValueThatIsNotANumber) {
    Asset a;
    a.manual = 'Y';
    a.current = kNaN;
    a.cancelled = kInf;
    auto f = compute(a, inputs("12312004", "12312004", "Y"));
    EXPECT_EQ(f.amounts.CurrentDepr, 0);
    EXPECT_EQ(f.amounts.Cancelled, 0);
}

TEST_F(BadInput, MethodCodesOfAnyFourBytes) {
    std::uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return static_cast<char>((seed >> 16) & 0xFF);
    };
    const char leading[] = {'A', 'B', 'D', 'E', 'F', 'G', 'H', 'S', 'a', '1', '\0', ' ', '\xff'};
    for (int i = 0; i < 3000; ++i) {
        Asset a;
        std::string code(4, ' ');
        for (auto& c : code) c = next();
        code[0] = leading[static_cast<std::size_t>(i) % sizeof leading];
        if (i % 3 == 0) code[1] = "0123456789"[i % 10];
        a.method = code;
        a.rate = (i % 7) * 3.5;
        a.acquired = 1000000 + i * 3001;
        expectDefined(compute(a), "code " + std::to_string(i));
    }
    for (const char* code : {"sl", "d200", "b200", "e", "f", "a5", "g1", "h1", "5A", "S", "M", "SLX"}) {
        Asset a;
        a.method = code;
        EXPECT_EQ(compute(a).amounts.CurrentDepr, 0) << code;
    }
    Asset nul;
    nul.method = std::string(4, '\0');
    EXPECT_EQ(compute(nul).amounts.CurrentDepr, 0);
}

TEST_F(BadInput, DatesOfOddFormsAndValues) {
    const std::int32_t stored[] = {0, -1, 1, 999, 12312101, INT32_MAX, INT32_MIN, 13102004 / 100,
                                   241004, 990004, 100, 12312100, 1011900, 2292004};
    for (const char* m : kMethods) {
        for (std::int32_t acquired : stored) {
            for (std::int32_t sold : stored) {
                Asset a;
                a.method = m;
                a.acquired = acquired;
                a.sold = sold;
                expectDefined(compute(a), std::string(m) + " " + std::to_string(acquired) + " " + std::to_string(sold));
            }
        }
    }
    const char* reports[] = {"", "abc", "1/2", "99/99/99999999999", "12312004", "0", "--", "//"};
    for (const char* r : reports) {
        for (const char* fye : reports) {
            auto in = inputs(r, fye);
            Asset a;
            a.method = "B200";
            expectDefined(dp::computeDepreciation(a.record(), in), std::string(r) + " / " + fye);
        }
    }
}

TEST_F(BadInput, StoredDatesThatAreNotDates) {
    Asset a;
    a.acquired = 1102002;
    a.prior = 1000;
    dp::AssetRecord r = a.record();
    r.DateSold.fill(' ');  // blanks: not sold
    auto f = dp::computeDepreciation(r, inputs());
    EXPECT_FALSE(f.sold);
    EXPECT_EQ(f.amounts.Cancelled, 0);
    a.sold = 12312101;  // above the last date: not sold
    EXPECT_FALSE(compute(a).sold);
}

// A stored month outside 1..12 must not leave the months of the first year at 0: the share of
// the first year is then taken over the whole year.
TEST_F(BadInput, FirstYearMonthsNeverZero) {
    Asset a;
    a.method = "G2";
    a.acquired = 241602;  // month 24 of 2002, after the 15th
    auto in = inputs("06102004", "12102004");
    in.tableRate = [](std::string_view, int, std::string_view, std::string_view) { return 0.1f; };
    auto f = dp::computeDepreciation(a.record(), in);
    EXPECT_EQ(f.periodMonths, 6);
    EXPECT_EQ(f.serviceMonths, 5);
    EXPECT_EQ(f.firstYearMonths, 12);
    EXPECT_DOUBLE_EQ(f.amounts.CurrentDepr, 416.67);
}

}  // namespace

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "format/money.h"
#include "format/number_format.h"

namespace dp {
namespace {

struct CentsCase {
    double value;
    std::int64_t units;
};

// Each amount is multiplied by 100 in extended precision and rounded to the nearest cent,
// ties to even; the binary value of the double decides which side of a tie it lies on.
TEST(MoneyTest, CentsRoundToNearestTiesToEven) {
    const CentsCase cases[] = {
        {0.125, 12},     // exact tie: even
        {0.375, 38},     // exact tie: even
        {-0.125, -12},
        {0.135, 14},     // the double lies above the tie
        {0.145, 14},     // the double lies below the tie
        {0.115, 12},
        {1.005, 100},    // 1.00499999999999989...
        {0.025, 3},      // above the tie only in extended precision (double product is 2.5)
        {1234567.89, 123456789},
        {-0.004, 0},
        {0.0, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(Cents::fromDouble(c.value).units, c.units) << c.value;
}

TEST(MoneyTest, Mills4RoundsTheSameWay) {
    EXPECT_EQ(Mills4::fromDouble(0.00125).units, 13);   // above the tie as a double
    EXPECT_EQ(Mills4::fromDouble(0.00145).units, 14);   // below the tie
    EXPECT_EQ(Mills4::fromDouble(0.00005).units, 1);    // above the tie
    EXPECT_EQ(Mills4::fromDouble(1.00005).units, 10001);
    EXPECT_EQ(Mills4::fromDouble(8.0).units, 80000);
    EXPECT_EQ(Mills4::fromDouble(-2.5).units, -25000);
    EXPECT_DOUBLE_EQ(Mills4::fromUnits(66667).toDouble(), 6.6667);
}

TEST(MoneyTest, ValuesBeyondACountAreHeldAtTheLimit) {
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    EXPECT_EQ(Cents::fromDouble(1e300).units, kMax);
    EXPECT_EQ(Cents::fromDouble(-1e300).units, kMin);
    EXPECT_EQ(Cents::fromDouble(INFINITY).units, kMax);
    EXPECT_EQ(Cents::fromDouble(-INFINITY).units, kMin);
    EXPECT_EQ(Cents::fromDouble(NAN).units, 0);
    EXPECT_EQ(Mills4::fromDouble(1e15).units, kMax);   // 1e19 units
    EXPECT_EQ(Cents::fromDouble(9.2e16).units, 9200000000000000000LL);
}

TEST(MoneyTest, ArithmeticAndReadingBack) {
    Cents a = Cents::fromDouble(10.10), b = Cents::fromDouble(0.2);
    EXPECT_EQ((a + b).units, 1030);
    EXPECT_EQ((a - b).units, 990);
    EXPECT_EQ((-a).units, -1010);
    EXPECT_LT(b, a);
    EXPECT_DOUBLE_EQ((a + b).toDouble(), 10.3);
    a += b;
    EXPECT_EQ(a, Cents::fromUnits(1030));
}

struct RoundCase {
    double value;
    int decimals;
    double expected;
};

TEST(MoneyTest, RoundTiesEven) {
    const RoundCase cases[] = {
        {1.125, 2, 1.12}, {1.135, 2, 1.14}, {1.005, 2, 1.0}, {2.5, 0, 2.0},  {3.5, 0, 4.0},
        {-2.5, 0, -2.0},  {0.125, 2, 0.12}, {1234.5, -1, 1230.0}, {1235.0, -1, 1240.0},
        {123.456789, 4, 123.4568}, {1e-300, 500, 1e-300},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(roundTiesEven(c.value, c.decimals), c.expected) << c.value << " " << c.decimals;
}

TEST(MoneyTest, RoundTiesEvenLeavesWhatItCannotCount) {
    EXPECT_EQ(roundTiesEven(1e300, 2), 1e300);
    EXPECT_EQ(roundTiesEven(INFINITY, 2), INFINITY);
    EXPECT_TRUE(std::isnan(roundTiesEven(NAN, 2)));
    double z = roundTiesEven(-0.001, 2);
    EXPECT_EQ(z, 0.0);
    EXPECT_FALSE(std::signbit(z));  // no minus zero reaches the figures
    EXPECT_EQ(roundTiesEven(5e20, -30), 0.0);
}

// The nearest whole number to |value| x 10^decimals, ties to even, read off the exact decimal
// expansion of the double (every double has one of at most 1074 decimals): the reference the
// rounding is held to, however it is done.
std::int64_t exactNearest(double value, int decimals) {
    std::vector<char> text(1500);
    std::snprintf(text.data(), text.size(), "%.1100f", std::fabs(value));
    const std::string digits(text.data());
    const std::size_t point = digits.find('.');
    std::string whole = digits.substr(0, point) + digits.substr(point + 1, static_cast<std::size_t>(decimals));
    const std::string rest = digits.substr(point + 1 + static_cast<std::size_t>(decimals));
    std::int64_t n = std::stoll(whole);
    const bool above = rest[0] > '5' || (rest[0] == '5' && rest.find_first_not_of('0', 1) != std::string::npos);
    if (above || (rest[0] == '5' && n % 2 == 1)) ++n;
    return value < 0 ? -n : n;
}

// Amounts of every size, and amounts a few units of the last place either side of a half,
// rounded to whole numbers, cents and four places as their exact values round.
TEST(MoneyTest, RoundingAgreesWithTheExactValueOfEveryAmount) {
    std::mt19937_64 random(20041231);
    std::vector<double> values;
    for (int magnitude = -4; magnitude <= 13; ++magnitude)
        for (int i = 0; i < 300; ++i) {
            const double v = std::ldexp(static_cast<double>(random() >> 11), -53) * std::pow(10.0, magnitude);
            values.push_back(i % 2 == 0 ? v : -v);
        }
    for (int decimals = 0; decimals <= 4; ++decimals)
        for (int i = 0; i < 300; ++i) {
            const double half = (static_cast<double>(random() % 100000000) + 0.5) / std::pow(10.0, decimals);
            double v = half;
            for (int step = 0; step < 4; ++step) v = std::nextafter(v, 0.0);
            for (int step = 0; step < 9; ++step, v = std::nextafter(v, 1e300)) values.push_back(v);
        }
    for (const double v : values) {
        for (int decimals = 0; decimals <= 4; ++decimals) {
            if (std::fabs(v) * std::pow(10.0, decimals) >= 0x1p62) continue;
            const std::int64_t n = exactNearest(v, decimals);
            const double expected = std::strtod((std::to_string(n) + "e-" + std::to_string(decimals)).c_str(), nullptr);
            ASSERT_EQ(roundTiesEven(v, decimals), expected == 0.0 ? 0.0 : expected) << v << " " << decimals;
        }
        if (std::fabs(v) < 0x1p62 / 100) {
            ASSERT_EQ(Cents::fromDouble(v).units, exactNearest(v, 2)) << v;
        }
        if (std::fabs(v) < 0x1p62 / 10000) {
            ASSERT_EQ(Mills4::fromDouble(v).units, exactNearest(v, 4)) << v;
        }
    }
}

// A rounding mode changed elsewhere in the process (a printer driver, a library) must not move
// a count of cents or units, nor a money column: each rounds to the nearest, ties to even, by
// itself.
TEST(MoneyTest, TheRoundingModeMovesNoCount) {
    const double values[] = {0.125, 0.375, -0.125, 0.135, 0.145, 1.005, 0.025, 1234567.89, -0.004,
                             2.5,   -2.5,  3.5,    -1234.565, 9.2e16, 4.7e16, 1e-9, 0.005, 99999.995};
    struct Figures {
        std::vector<std::int64_t> counts;
        std::vector<double> whole;
        std::vector<std::string> columns;
        bool operator==(const Figures&) const = default;
    };
    auto figures = [&] {
        Figures f;
        for (double v : values) {
            f.counts.push_back(Cents::fromDouble(v).units);
            f.counts.push_back(Mills4::fromDouble(v).units);
            f.whole.push_back(roundTiesEven(v, 0));
            f.columns.push_back(moneyColumn(v));
        }
        return f;
    };
    const Figures nearest = figures();
    for (int mode : {FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        ASSERT_EQ(std::fesetround(mode), 0);
        const Figures got = figures();
        std::fesetround(FE_TONEAREST);
        EXPECT_TRUE(got == nearest) << "rounding mode " << mode;
    }
}

// Totals stop at the largest count of their sign instead of wrapping to the other sign.
TEST(MoneyTest, SaturatingSumsAndDifferences) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    const struct {
        std::int64_t a, b, sum, difference;
    } cases[] = {
        {150, 25, 175, 125},
        {-150, 25, -125, -175},
        {kMax, 1, kMax, kMax - 1},
        {kMax - 5, 10, kMax, kMax - 15},
        {kMin, -1, kMin, kMin + 1},
        {kMin, 1, kMin + 1, kMin},
        {0, kMin, kMin, kMax},
        {kMax, kMax, kMax, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(saturatingAdd(Cents::fromUnits(c.a), Cents::fromUnits(c.b)).units, c.sum) << c.a << " + " << c.b;
        EXPECT_EQ(saturatingSub(Cents::fromUnits(c.a), Cents::fromUnits(c.b)).units, c.difference)
            << c.a << " - " << c.b;
    }
}

// A four-decimal amount joins a cents sum rounded to the cent, an exact half cent to the even one.
TEST(MoneyTest, AddToCentsHoldsTheSumAtCents) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    const struct {
        std::int64_t cents, mills4, expected;
    } cases[] = {
        {100, 3133655, 31437},       // 1.00 + 313.3655 = 314.3655 -> 314.37
        {0, 50, 0},                  // 0.005: half a cent, to the even 0.00
        {0, 150, 2},                 // 0.015 -> 0.02
        {0, 149, 1},
        {0, -50, 0},
        {0, -150, -2},
        {-100, 49, -100},
        {kMax / 10, 0, kMax},        // beyond the count: held at the limit
        {kMin / 10, 0, kMin},
        {kMax / 100, kMax, kMax},
    };
    for (const auto& c : cases)
        EXPECT_EQ(addToCents(Cents::fromUnits(c.cents), Mills4::fromUnits(c.mills4)).units, c.expected)
            << c.cents << " + " << c.mills4;
}

}  // namespace
}  // namespace dp

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>

#include "format/number_format.h"

namespace dp {
namespace {

const char* const kModuleMasks[] = {
    "#.00",         "#,.00 ",        "#.00 ",         "#,.00",          "00",
    "##0",          "#",             "###",           "##.000",         "##.0##",
    "###.00000",    "#######.00",    "########.00",   "#########.00",   "#########.",
    "###,###.00",   "####,###.00",   "#####,###.00",  "#,###,###.00",   "###,###.",
    "#,###,###.",   "##,###,###.",   "###,###,###.",  "####.00####",    "########.00#####",
    "#########.00######", "#########.##", "####,###.00      =    ", "   ####,###.00      +   ",
    "  #####,###.00",
};

std::string withoutCommas(const std::string& s) {
    std::string out;
    for (char c : s)
        if (c != ',') out += c;
    return out;
}

// Amounts of every size a report meets, from fractions of a cent to beyond the widest field,
// both signs.
double sampleAmount(std::mt19937_64& rng) {
    const std::uint64_t r = rng();
    const double mantissa = static_cast<double>(r % 1000000007ULL) / 1000000007.0;
    const int magnitude = static_cast<int>((r >> 32) % 15) - 3;  // 1e-3 .. 1e11
    double v = mantissa * std::pow(10.0, magnitude);
    if ((r >> 40) % 5 == 0) v = std::round(v * 100.0) / 100.0;  // whole cents
    if ((r >> 40) % 5 == 1) v = (std::round(v * 100.0) + 0.5) / 100.0;  // half cents, where rounding is decided
    return ((r >> 48) & 1) ? -v : v;
}

// A fitted field keeps the width of its mask and, unless starred out, reads as the number the
// mask gives: never a number cut to a different one.
TEST(FitToMaskPropertyTest, FieldsKeepTheirWidthAndTheirNumber) {
    std::mt19937_64 rng(20261209);
    int starred = 0, shown = 0;
    for (int i = 0; i < 2000; ++i) {
        const double v = sampleAmount(rng);
        for (const char* mask : kModuleMasks) {
            const std::string m(mask);
            const std::size_t body = m.find_last_not_of(' ') + 1;
            const std::size_t width = body + (body < m.size() ? 1 : 0);
            const std::string field = fitToMask(v, m);
            ASSERT_EQ(field.size(), width) << v << " in \"" << m << '"';
            if (field.find('*') != std::string::npos) {
                ASSERT_EQ(field.find_first_not_of("* "), std::string::npos) << field;
                ++starred;
                continue;
            }
            ++shown;
            const double full = leadingNumber(withoutCommas(formatNumber(v, m.substr(0, body))));
            const double got = leadingNumber(withoutCommas(field));
            ASSERT_EQ(got, full == 0.0 ? 0.0 : full) << v << " in \"" << m << "\" gave \"" << field << '"';
        }
    }
    EXPECT_GT(starred, 0);
    EXPECT_GT(shown, starred);
}

// The money column is always eleven characters and reads as the amount rounded to cents.
TEST(FitToMaskPropertyTest, MoneyColumnReadsAsTheAmountInCents) {
    std::mt19937_64 rng(7);
    for (int i = 0; i < 10000; ++i) {
        const double v = sampleAmount(rng);
        const std::string col = moneyColumn(v);
        ASSERT_EQ(col.size(), 11u) << v;
        ASSERT_EQ(col.back(), ' ');
        if (col[0] == '*') {
            ASSERT_TRUE(v >= 1e7 - 0.005 || v <= -1e6 + 0.005) << v;
            continue;
        }
        const double back = leadingNumber(withoutCommas(col));
        ASSERT_EQ(back, leadingNumber(formatNumber(v, "#.00"))) << v << " gave \"" << col << '"';
        ASSERT_EQ(col, moneyColumn(Cents::fromDouble(leadingNumber(formatNumber(v, "#.00"))))) << v;
    }
}

}  // namespace
}  // namespace dp

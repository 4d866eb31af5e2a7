#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "format/number_format.h"

namespace dp {
namespace {

struct MaskCase {
    double value;
    const char* mask;
    const char* expected;
};

void expectFormats(const MaskCase* begin, const MaskCase* end) {
    for (const MaskCase* c = begin; c != end; ++c)
        EXPECT_EQ(formatNumber(c->value, c->mask), c->expected) << c->value << " with \"" << c->mask << '"';
}

// Rounding happens on the 18-digit decimal expansion of the double, so the binary value
// decides which side of a tie an amount falls.
TEST(FormatNumberTest, RoundsTheEighteenDigitExpansionTiesToEven) {
    const MaskCase cases[] = {
        {1.125, "#.00", "1.12"},        // exact tie: even
        {1.135, "#.00", "1.14"},        // 1.13500000000000000888...
        {1.175, "#.00", "1.18"},        // 1.17500000000000004440...
        {2.675, "#.00", "2.67"},        // 2.67499999999999982236...
        {1000.245, "#.00", "1000.24"},  // 1000.24499999999989086...
        {0.375, "#.00", "0.38"},
        {0.995, "#.00", "0.99"},
        {0.5, "#", "0"},
        {1.5, "#", "2"},
        {2.5, "#", "2"},
        {-2.5, "#", "-2"},
        {9.999, "#.00", "10.00"},
        {999.999, "#,.00", "1,000.00"},
        {0.1, "#.00000000000000000000", "0.10000000000000000600"},
        {123456789012345678901.0, "#", "123456789012345684000"},
        {1e-300, "#.00", "0.00"},
        {-1e-300, "#.00", "-0.00"},
    };
    expectFormats(std::begin(cases), std::end(cases));
}

TEST(FormatNumberTest, DigitPositionsSignsAndGrouping) {
    const MaskCase cases[] = {
        {1234567.5, "#,.00", "1,234,567.50"},
        {-1234.5, "#,.00", "-1,234.50"},
        {123.0, "#,.00", "123.00"},
        {1e20, "#,.00", "100,000,000,000,000,000,000.00"},
        {12345.0, "##", "12345"},       // integer digits beyond the positions all show
        {-5.0, "##0", "-5"},
        {-5.0, "000", "-005"},
        {0.0, "##0", "0"},
        {5.0, "#0#", "05"},
        {0.5, "#,##0.00", "0.50"},
        {0.25, "#.00", "0.25"},         // a value below one keeps its "0"
        {0.0, "#", "0"},
        {0.25, ".00", ".25"},           // no integer position at all
        {-0.25, ".00", "-.25"},
        {12.5, ".00", "12.50"},
        {5.0, ",##", ",5"},             // a "," before any digit position is text
        {5.0, "#.00,", "5.00,"},
        {5551234567.0, "(###) ###-####", "(555) 123-4567"},
    };
    expectFormats(std::begin(cases), std::end(cases));
}

TEST(FormatNumberTest, OptionalDecimals) {
    const MaskCase cases[] = {
        {12.3, "##.0##", "12.3"},
        {12.0, "##.0##", "12.0"},
        {12.3456, "##.0##", "12.346"},
        {0.0066666667, "####.00####", "0.006667"},
        {0.5, "####.00####", "0.50"},
        {0.0200276, "########.00#####", "0.0200276"},
        {0.00666667, "#########.00######", "0.00666667"},
        {313.36, "#########.##", "313.36"},
        {300.0, "#########.##", "300."},
        {1234.5, "#########.", "1234."},
        {1235.5, "#########.", "1236."},
    };
    expectFormats(std::begin(cases), std::end(cases));
}

TEST(FormatNumberTest, SectionsFillPercentAndLiterals) {
    const MaskCase cases[] = {
        {5.0, "#.00;(#.00)", "5.00"},
        {-5.0, "#.00;(#.00)", "(5.00)"},
        {0.0, "#.00;(#.00)", "0.00"},
        {-5.0, "#.00;;\\Z\\e\\r\\o", "-5.00"},  // empty negative section: the first, signed
        {0.0, "#.00;;\\Z\\e\\r\\o", "Zero"},
        {0.0, "0.0;-0.0;\"nil\"", "nil"},
        {5.0, "\"a;b\"0", "a;b5"},
        {5.0, "*x#,###.00", "xxxx5.00"},
        {12.0, "**###", "*12"},
        {12.5, "*_##.0##", "12.5__"},
        {0.25, "0%", "25%"},
        {0.125, "0.0%", "12.5%"},
        {0.12345, "#.00%", "12.35%"},
        {1234.5, "\"$\"#,.00", "$1,234.50"},
        {5.0, "\\$#.00", "$5.00"},
        {5.0, "#.00 \"CR\"", "5.00 CR"},
        {5.0, "\"abc", "abc"},
        {5.0, "Total: ", "Total: "},
    };
    expectFormats(std::begin(cases), std::end(cases));
}

TEST(FormatNumberTest, ScientificNotation) {
    const MaskCase cases[] = {
        {12345.0, "0.00E+00", "1.23E+04"},
        {0.00012345, "0.00E-00", "1.23E-04"},
        {12345.0, "0.00E-00", "1.23E04"},
        {12345.0, "0.00e+00", "1.23e+04"},
        {-12345.0, "0.00E+00", "-1.23E+04"},
        {9.996, "0.00E+00", "1.00E+01"},  // rounding carries into the exponent
        {0.0, "0.00E+00", "0.00E+00"},
        {12345.0, "##0.0E+0", "123.4E+2"},  // exact tie on the mantissa: even
        {1e300, "0.0E+000", "1.0E+300"},
        {5.0, "#Ex", "5Ex"},                // an E without a sign is text
    };
    expectFormats(std::begin(cases), std::end(cases));
}

TEST(FormatNumberTest, ModuleMasks) {
    const MaskCase cases[] = {
        {1234.5, "#.00", "1234.50"},
        {1234.5, "#,.00 ", "1,234.50 "},
        {1234567.5, "#.00 ", "1234567.50 "},
        {1234567.5, "#,.00", "1,234,567.50"},
        {7.0, "00", "07"},
        {123.0, "00", "123"},
        {5.0, "##0", "5"},
        {12.0, "###", "12"},
        {8.25, "##.000", "8.250"},
        {0.0066667, "###.00000", "0.00667"},
        {12345678.9, "#######.00", "12345678.90"},
        {1234.567, "########.00", "1234.57"},
        {-1234.5, "#########.00", "-1234.50"},
        {1234.5, "###,###.00", "1,234.50"},
        {999999.99, "####,###.00", "999,999.99"},
        {1234567.891, "#####,###.00", "1,234,567.89"},
        {-1234567.891, "#,###,###.00", "-1,234,567.89"},
        {1000000.0, "###,###.", "1,000,000."},
        {1234567.0, "#,###,###.", "1,234,567."},
        {12345678.0, "##,###,###.", "12,345,678."},
        {123456789.0, "###,###,###.", "123,456,789."},
        {1234.5, "####,###.00      =    ", "1,234.50      =    "},
        {1234.5, "   ####,###.00      +   ", "   1,234.50      +   "},
        {12345.67, "  #####,###.00", "  12,345.67"},
    };
    expectFormats(std::begin(cases), std::end(cases));
}

TEST(FormatNumberTest, FixedPointValuesAreExact) {
    EXPECT_EQ(formatNumber(Cents::fromUnits(150), "#"), "2");  // 1.50: tie to even
    EXPECT_EQ(formatNumber(Cents::fromUnits(250), "#"), "2");
    EXPECT_EQ(formatNumber(Cents::fromUnits(12345), "#,.00"), "123.45");
    EXPECT_EQ(formatNumber(Cents::fromUnits(-5), "#.00"), "-0.05");
    EXPECT_EQ(formatNumber(Cents::fromUnits(std::numeric_limits<std::int64_t>::min()), "#,.00"),
              "-92,233,720,368,547,758.08");
    EXPECT_EQ(formatNumber(Mills4::fromUnits(66667), "####.00####"), "6.6667");
    EXPECT_EQ(formatNumber(Mills4::fromUnits(84995), "##.000"), "8.500");
    EXPECT_EQ(formatNumber(Mills4::fromUnits(84985), "##.000"), "8.498");
    EXPECT_EQ(formatNumber(Cents::fromUnits(1999), "0.0%"), "1999.0%");
}

TEST(FormatNumberTest, ValuesWithoutDigitsAndEmptyMasks) {
    EXPECT_EQ(formatNumber(NAN, "#,.00 "), "***** ");
    EXPECT_EQ(formatNumber(INFINITY, "#.00"), "****");
    EXPECT_EQ(formatNumber(-INFINITY, "#########.00"), "************");
    EXPECT_EQ(formatNumber(2.5, ""), "2.5");
    EXPECT_EQ(formatNumber(NAN, ""), "*");
    EXPECT_EQ(formatNumber(Cents::fromUnits(250), ""), "2.5");
}

struct FitCase {
    double value;
    const char* mask;
    const char* expected;
};

void expectFits(const FitCase* begin, const FitCase* end) {
    for (const FitCase* c = begin; c != end; ++c)
        EXPECT_EQ(fitToMask(c->value, c->mask), c->expected) << c->value << " in \"" << c->mask << '"';
}

TEST(FitToMaskTest, RightAlignsInTheMaskWidth) {
    const FitCase cases[] = {
        {5.0, "##0", "  5"},
        {7.0, "00", "07"},
        {12345678.9, "#######.00", "12345678.9"},  // only a trailing zero is cut
        {5.0, "#,.00 ", " 5.00 "},                 // trailing blanks: one blank, one wider
        {5.0, "#,.00    ", " 5.00 "},
        {-0.001, "#######.00", "      0.00"},      // minus zero
        {-0.004, "###,###.00", "      0.00"},
        {-0.4, "##0", "  0"},
        {1234.5, "###,###.00", "  1,234.50"},
        {999999.99, "####,###.00", " 999,999.99"},
        {1234567.891, "#####,###.00", "1,234,567.89"},
        {-1234567.891, "#,###,###.00", " -1234567.89"},  // grouping dropped to fit
        {1234.5, "####,###.00      =    ", "   1,234.50      = "},
        {1234.5, "   ####,###.00      +   ", "      1,234.50      + "},
        {12345.67, "  #####,###.00", "     12,345.67"},
        {0.006667, "####.00####", "   0.006667"},
    };
    expectFits(std::begin(cases), std::end(cases));
}

// A number too long for its field never shows as a different number: it is cut only where
// that loses zeros after the point, else written without grouping, else starred out.
TEST(FitToMaskTest, OverflowNeverShowsAnotherNumber) {
    const FitCase cases[] = {
        {10000000.0, "#,###,###.00", "10,000,000.0"},
        {123456789.12, "#,###,###.00", "123456789.12"},
        {1e9, "#,###,###.00", "1000000000.0"},
        {12345678901.0, "#,###,###.00", "12345678901."},
        {123456789012.0, "#,###,###.00", "123456789012"},
        {1234567890123.0, "#,###,###.00", "************"},
        {-100000.0, "###,###.00", "-100,000.0"},
        {-1000000.0, "###,###.00", "-1,000,000"},
        {-1234567.89, "###,###.00", "**********"},
        {1000.245, "#.00", "****"},
        {1234.5, "#,.00 ", "***** "},
        {123456789.12, "####,###.00      =    ", "****************** "},
        {0.25, "0%", "**"},
        {1.0, "0.00E+00", "1.00E+00"},
        {1.0, "0.0E+0", "1.0E+0"},
        {1e10, "0.0E+0", "******"},        // an exponent is never cut
    };
    expectFits(std::begin(cases), std::end(cases));
}

// A figure in a column of a line keeps a blank in front: what would fill the field drops its
// grouping, and is starred only when even that leaves no blank; zeros are never cut.
TEST(FitToColumnTest, AlwaysABlankInFront) {
    const FitCase cases[] = {
        {99999.99, "###,###.00", " 99,999.99"},
        {100000.0, "###,###.00", " 100000.00"},
        {999999.99, "###,###.00", " 999999.99"},
        {1000000.0, "###,###.00", "**********"},
        {-10000.0, "###,###.00", " -10000.00"},
        {-100000.0, "###,###.00", "**********"},   // a minus is no blank
        {1234567.89, "#######.00", "**********"},
        {123456.78, "#######.00", " 123456.78"},
        {9999999.99, "#,###,###.00", "  9999999.99"},
        {10000000.0, "#,###,###.00", " 10000000.00"},
        {123456789.0, "#,###,###.00", "************"},
        {-0.001, "###,###.00", "      0.00"},
        {1234.5, "###,###.00", "  1,234.50"},
        {1000000.0, "####,###.00      =    ", " 1000000.00      = "},
        {10000000.0, "####,###.00      =    ", "****************** "},
        {10000000.0, "   ####,###.00      +   ", "   10000000.00      + "},  // the mask's own blanks
        {100000000.0, "  #####,###.00", "  100000000.00"},
        {1000000000.0, "  #####,###.00", "**************"},
    };
    for (const FitCase& c : cases) {
        std::string want = c.expected;
        // The stars keep the blank in front.
        if (want.find('*') != std::string::npos) want[0] = ' ';
        EXPECT_EQ(fitToColumn(c.value, c.mask), want) << c.value << " in \"" << c.mask << '"';
        EXPECT_EQ(fitToColumn(Cents::fromDouble(c.value), c.mask), want) << c.value << " in \"" << c.mask << '"';
    }
    EXPECT_EQ(fitToColumn(std::int32_t{100000}, "###,###."), " 100000.");
    EXPECT_EQ(fitToColumn(std::int32_t{1000000}, "###,###."), " *******");
    EXPECT_EQ(fitToColumn(NAN, "###,###.00"), " *********");
}

TEST(FitToMaskTest, NotANumberIsStarredOut) {
    EXPECT_EQ(fitToMask(NAN, "###,###.00"), "**********");
    EXPECT_EQ(fitToMask(INFINITY, "#,.00 "), "***** ");
    EXPECT_EQ(fitToMask(-INFINITY, "##0"), "***");
}

TEST(FitToMaskTest, IntegerAndCentsVariantsMatchTheDouble) {
    EXPECT_EQ(fitToMask(std::int32_t{1000000}, "###,###."), "1000000.");
    EXPECT_EQ(fitToMask(std::int32_t{12345678}, "###,###."), "12345678");
    EXPECT_EQ(fitToMask(std::int32_t{123456789}, "###,###."), "********");
    EXPECT_EQ(fitToMask(std::int32_t{123456789}, "###,###,###."), "123,456,789.");
    EXPECT_EQ(fitToMask(std::int32_t{1234567890}, "###,###,###."), " 1234567890.");
    EXPECT_EQ(fitToMask(std::numeric_limits<std::int32_t>::min(), "###,###,###."), "-2147483648.");
    EXPECT_EQ(fitToMask(std::int32_t{0}, "#,###,###."), "        0.");
    EXPECT_EQ(fitToMask(std::int32_t{7}, "00"), "07");
    const double values[] = {0.0, 0.01, -0.01, 5.0, 1234.5, -99999.99, 999999.99, 12345678.9, 1e9};
    const char* masks[] = {"###,###.00", "#######.00", "#,###,###.00", "#,.00 ", "00", "##0"};
    for (double v : values)
        for (const char* m : masks)
            EXPECT_EQ(fitToMask(Cents::fromDouble(v), m), fitToMask(v, m)) << v << " in " << m;
}

struct MoneyCase {
    double value;
    const char* expected;
};

TEST(MoneyColumnTest, ElevenCharactersWithGroupingBelowAMillion) {
    const MoneyCase cases[] = {
        {1234567.5, "1234567.50 "},
        {999999.99, "999,999.99 "},
        {-0.001, "      0.00 "},
        {0.0, "      0.00 "},
        {5.0, "      5.00 "},
        {-99999.99, "-99,999.99 "},
        {-100000.0, "-100000.00 "},       // grouping dropped rather than losing the sign
        {9999999.99, "9999999.99 "},
        {10000000.0, "********** "},      // would lose its leading digit
        {-1234567.0, "********** "},
        {999999.996, "1000000.00 "},      // rounds up past the threshold
        {NAN, "********** "},
        {-INFINITY, "********** "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(moneyColumn(c.value), c.expected) << c.value;
        EXPECT_EQ(moneyColumn(c.value).size(), 11u);
    }
}

// Near a half cent the 18-digit text of the value decides, as in every mask; elsewhere the column
// is written from whole cents. Both must read alike on each side of the boundary.
TEST(MoneyColumnTest, HalfCentsRoundAsTheMaskRoundsThem) {
    const MoneyCase cases[] = {
        {1.125, "      1.12 "},          // exact tie: to even
        {1.135, "      1.14 "},          // just above the tie in binary
        {1.175, "      1.18 "},
        {2.675, "      2.67 "},          // just below the tie
        {0.005, "      0.01 "},
        {-0.005, "     -0.01 "},
        {0.015, "      0.01 "},
        {123456.785, "123,456.79 "},     // 123456.78500000000349...
        {999999.995, "999,999.99 "},     // 999999.99499999999534...
        {1000000.005, "1000000.00 "},    // above the tie in binary, a tie in 18 digits: to even
        {0.004999999, "      0.00 "},
        {-0.0049, "      0.00 "},        // minus zero
        {1e8 + 0.125, "********** "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(moneyColumn(c.value), c.expected) << c.value;
        // The same as the mask formatter gives.
        const std::string masked = formatNumber(c.value, c.value >= 1000000.0 ? "#.00" : "#,.00");
        if (masked.size() <= 10 && masked != "-0.00") {
            EXPECT_EQ(moneyColumn(c.value), std::string(10 - masked.size(), ' ') + masked + " ") << c.value;
        }
    }
}

TEST(MoneyColumnTest, CentsVariant) {
    EXPECT_EQ(moneyColumn(Cents::fromUnits(123456750)), "1234567.50 ");
    EXPECT_EQ(moneyColumn(Cents::fromUnits(99999999)), "999,999.99 ");
    EXPECT_EQ(moneyColumn(Cents::fromUnits(-10000000)), "-100000.00 ");
    EXPECT_EQ(moneyColumn(Cents::fromUnits(0)), "      0.00 ");
    EXPECT_EQ(moneyColumn(Cents::fromUnits(std::numeric_limits<std::int64_t>::max())), "********** ");
    EXPECT_EQ(moneyColumn(Cents::fromUnits(std::numeric_limits<std::int64_t>::min())), "********** ");
}

TEST(TextHelpersTest, TrimBlanksAndNulsInItsOrder) {
    using namespace std::string_literals;
    EXPECT_EQ(trimBlanksAndNuls("  ab  "), "ab");
    EXPECT_EQ(trimBlanksAndNuls("\0\0 ab \0"s), "ab");
    EXPECT_EQ(trimBlanksAndNuls("\0 \0x"s), "x");
    EXPECT_EQ(trimBlanksAndNuls(" \0 \0 x"s), " x");  // only two rounds of each
    EXPECT_EQ(trimBlanksAndNuls("a b"), "a b");
    EXPECT_EQ(trimBlanksAndNuls(""), "");
    EXPECT_EQ(trimBlanksAndNuls("\0\0\0"s), "");
}

TEST(TextHelpersTest, LeadingNumber) {
    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] = {
        {"  12.5abc", 12.5}, {"-.5", -0.5},   {"+3", 3.0},     {"1d3", 1000.0}, {"1E-2", 0.01},
        {"2e+3x", 2000.0},   {"1e", 1.0},     {"1.", 1.0},     {"1,234", 1.0},  {"abc", 0.0},
        {"", 0.0},           {".", 0.0},      {"-", 0.0},      {"e5", 0.0},     {"\t7", 7.0},
        {"1e999", 0.0},      {"-1e999", 0.0}, {"1e-400", 0.0}, {"inf", 0.0},    {"nan", 0.0},
        {"0x10", 0.0},       {"313.3655", 313.3655},
        {"1e99999999999999999999999", 0.0},
    };
    for (const auto& c : cases) EXPECT_EQ(leadingNumber(c.text), c.value) << c.text;
    EXPECT_FALSE(std::signbit(leadingNumber("-0")));
}

TEST(TextHelpersTest, ShortestDecimal) {
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {12.0, "12"},          {0.1, "0.1"},           {313.3655, "313.3655"}, {-3.5, "-3.5"},
        {0.25, "0.25"},        {0.1 + 0.2, "0.3"},      {300.0, "300"},        {313.36, "313.36"},
        {-0.0, "0"},           {1e20, "100000000000000000000"}, {1e21, "1E+21"}, {1e-8, "1E-8"},
        {0.0001, "0.0001"},    {123456789012345678.0, "123456789012346000"},
        {NAN, "NaN"},          {INFINITY, "Inf"},       {-INFINITY, "-Inf"},
    };
    for (const auto& c : cases) EXPECT_EQ(shortestDecimal(c.value), c.text) << c.value;
    // Read back, the text gives the amount again (to 15 digits).
    for (double v : {313.3655, 1e21, 1.5e-8, -98765.4321})
        EXPECT_DOUBLE_EQ(leadingNumber(shortestDecimal(v)), v);
}

}  // namespace
}  // namespace dp

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "engine/rate_tables.h"
#include "engine_test_util.h"
#include "support/client_dir.h"

namespace {

using enginetest::InDirectory;

void writeFile(const std::filesystem::path& p, const std::string& text) {
    std::ofstream out(p, std::ios::binary);
    out << text;
}

std::vector<float> fileValues(const std::string& name) {
    std::ifstream in(enginetest::dataDir() / name, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<float> values(1000);
    values.resize(static_cast<std::size_t>(dp::parseTableValues(text, values.data(), 1000)));
    return values;
}

// The value of a month table for recovery year `year` and the month of the tax year in which the
// property was placed in service (1 = the first month after the fiscal year end).
float monthTableValue(const std::vector<float>& v, int year, int monthOfTaxYear) {
    int column = monthOfTaxYear == 12 ? 12 : 12 - monthOfTaxYear;
    return v.at(static_cast<std::size_t>((year - 1) * 12 + column - 1));
}

TEST(RateTableFiles, ChosenByTheWholeCode) {
    EXPECT_STREQ(dp::rateTableFile("A3"), "ACRS3.tbl");
    EXPECT_STREQ(dp::rateTableFile("A10"), "ACRS10.tbl");
    EXPECT_STREQ(dp::rateTableFile("A15"), "ACRS151.tbl");
    EXPECT_STREQ(dp::rateTableFile("A18"), "ACRS181.tbl");
    EXPECT_STREQ(dp::rateTableFile("G1"), "ACRS181.tbl");
    EXPECT_STREQ(dp::rateTableFile("G3"), "ACRS183.tbl");
    EXPECT_STREQ(dp::rateTableFile("H1"), "ACRS191.tbl");
    for (const char* none : {"A4", "A6", "A8", "G4", "G8", "H2", "A", "a5", "A5 ", "", "A05"})
        EXPECT_EQ(dp::rateTableFile(none), nullptr) << none;
}

TEST(RateTableColumns, ByAcquisitionMonthForGAndH) {
    // Fiscal year ending in December: January column 11, November column 1, December column 12.
    EXPECT_EQ(dp::tableColumn("G1", 1, 12), 11);
    EXPECT_EQ(dp::tableColumn("G1", 11, 12), 1);
    EXPECT_EQ(dp::tableColumn("H1", 12, 12), 12);
    EXPECT_EQ(dp::tableColumn("G2", 7, 6), 11);  // the first month of a July-June year
    // A codes: only numbers that are part of "4578" follow the month.
    EXPECT_EQ(dp::tableColumn("A15", 1, 12), 1);
    EXPECT_EQ(dp::tableColumn("A18", 5, 12), 1);
    EXPECT_EQ(dp::tableColumn("A5", 1, 12), 11);
    EXPECT_EQ(dp::tableColumn("A45", 1, 12), 11);
}

TEST(RateTableFiles, PublishedFigures) {
    InDirectory in(enginetest::dataDir());
    const char* fye = "12312004";
    auto rate = [&](const char* code, int year) { return dp::loadTableRate(code, year, "06152004", fye); };
    // ACRS 3-, 5- and 10-year property.
    EXPECT_FLOAT_EQ(rate("A3", 1), 0.25f);
    EXPECT_FLOAT_EQ(rate("A3", 2), 0.38f);
    EXPECT_FLOAT_EQ(rate("A3", 3), 0.37f);
    EXPECT_FLOAT_EQ(rate("A5", 1), 0.15f);
    EXPECT_FLOAT_EQ(rate("A5", 2), 0.22f);
    EXPECT_FLOAT_EQ(rate("A5", 5), 0.21f);
    EXPECT_FLOAT_EQ(rate("A10", 1), 0.08f);
    EXPECT_FLOAT_EQ(rate("A10", 2), 0.14f);
    EXPECT_FLOAT_EQ(rate("A10", 10), 0.09f);
    // The 7-year file holds the MACRS 7-year half-year percentages.
    EXPECT_FLOAT_EQ(rate("A7", 1), 0.1429f);
    EXPECT_FLOAT_EQ(rate("A7", 2), 0.2449f);
    EXPECT_FLOAT_EQ(rate("A7", 8), 0.0446f);
    // Past the last value of a year list, and past ten years.
    EXPECT_EQ(rate("A3", 4), 0.0f);
    EXPECT_EQ(rate("A10", 11), 0.0f);

    // 15-year real property, by month placed in service.
    auto t15 = fileValues("ACRS151.tbl");
    EXPECT_EQ(monthTableValue(t15, 1, 1), 12);
    EXPECT_EQ(monthTableValue(t15, 1, 7), 6);
    EXPECT_EQ(monthTableValue(t15, 1, 12), 1);
    EXPECT_EQ(monthTableValue(t15, 2, 12), 12);
    EXPECT_EQ(monthTableValue(t15, 3, 5), 10);
    EXPECT_EQ(monthTableValue(t15, 16, 1), 0);
    EXPECT_EQ(monthTableValue(t15, 16, 12), 5);
    // A15 always reads column 1.
    EXPECT_FLOAT_EQ(dp::loadTableRate("A15", 1, "01152004", fye), 0.02f);

    // 18-year real property: full month (G1, A18), mid-month (G2), straight line mid-month (G3).
    auto t181 = fileValues("ACRS181.tbl");
    EXPECT_EQ(monthTableValue(t181, 1, 1), 10);
    EXPECT_EQ(monthTableValue(t181, 1, 7), 5);
    EXPECT_EQ(monthTableValue(t181, 1, 12), 1);
    EXPECT_EQ(monthTableValue(t181, 2, 1), 9);
    auto t182 = fileValues("ACRS182.tbl");
    EXPECT_EQ(monthTableValue(t182, 1, 1), 9);
    EXPECT_EQ(monthTableValue(t182, 1, 6), 5);
    EXPECT_FLOAT_EQ(monthTableValue(t182, 1, 12), 0.004f);  // 0.4 %, written as a fraction
    EXPECT_EQ(monthTableValue(t182, 2, 12), 10);
    auto t183 = fileValues("ACRS183.tbl");
    EXPECT_FLOAT_EQ(monthTableValue(t183, 1, 1), 5.3f);
    EXPECT_FLOAT_EQ(monthTableValue(t183, 1, 12), 0.002f);
    EXPECT_FLOAT_EQ(monthTableValue(t183, 2, 6), 5.6f);
    // 19-year real property, mid-month.
    auto t191 = fileValues("ACRS191.tbl");
    EXPECT_FLOAT_EQ(monthTableValue(t191, 1, 1), 8.8f);
    EXPECT_FLOAT_EQ(monthTableValue(t191, 1, 7), 4.2f);
    EXPECT_FLOAT_EQ(monthTableValue(t191, 1, 12), 0.004f);
    EXPECT_FLOAT_EQ(monthTableValue(t191, 2, 1), 8.4f);
    EXPECT_FLOAT_EQ(monthTableValue(t191, 2, 12), 9.2f);
    EXPECT_FLOAT_EQ(monthTableValue(t191, 20, 1), 0.002f);
    EXPECT_FLOAT_EQ(monthTableValue(t191, 20, 12), 4.0f);
    // Through the engine's reader: H1 placed in service in July, year 1.
    EXPECT_FLOAT_EQ(dp::loadTableRate("H1", 1, "07012004", fye), 0.042f);
    EXPECT_FLOAT_EQ(dp::loadTableRate("H1", 21, "07012004", fye), 0.0f);  // past the last row
}

TEST(RateTableFiles, EveryMonthTableColumnAddsUpToTheWholeCost) {
    for (const char* name : {"ACRS151.tbl", "ACRS181.tbl", "ACRS182.tbl", "ACRS183.tbl", "ACRS191.tbl"}) {
        auto v = fileValues(name);
        ASSERT_EQ(v.size() % 12, 0u) << name;
        for (int column = 0; column < 12; ++column) {
            double sum = 0;
            for (std::size_t i = static_cast<std::size_t>(column); i < v.size(); i += 12)
                sum += v[i] >= 1 ? v[i] : v[i] * 100;
            EXPECT_NEAR(sum, 100.0, 1e-3) << name << " column " << column + 1;
        }
    }
}

class RateTableReading : public ::testing::Test {
protected:
    dptest::TempClient dir;
    void table(const std::string& name, const std::string& text) { writeFile(dir.path(name), text); }
    float rate(const char* code, int year, const char* acquired = "01152004") {
        InDirectory in(dir.code());
        return dp::loadTableRate(code, year, acquired, "12312004");
    }
};

TEST_F(RateTableReading, PercentOrFractionGiveTheSameRate) {
    table("ACRS5.tbl", "15,22,18\n");
    EXPECT_FLOAT_EQ(rate("A5", 3), 0.18f);
    table("ACRS5.tbl", "15\n22\n0.18\n");
    EXPECT_FLOAT_EQ(rate("A5", 3), 0.18f);
    EXPECT_EQ(rate("A5", 3), 18.0f / 100.0f);
}

TEST_F(RateTableReading, MonthTableRowTwoIsValuesThirteenToTwentyFour) {
    std::string text;
    for (int i = 1; i <= 36; ++i) text += std::to_string(i) + (i % 12 == 0 ? "\r\n" : ",");
    table("ACRS181.tbl", text);
    // January placement in a December year: column 11.
    EXPECT_FLOAT_EQ(rate("G1", 1), 0.11f);
    EXPECT_FLOAT_EQ(rate("G1", 2), 0.23f);
    EXPECT_FLOAT_EQ(rate("G1", 3), 0.35f);
    EXPECT_FLOAT_EQ(rate("A18", 2), 0.13f);  // same file, always column 1
    EXPECT_FLOAT_EQ(rate("G1", 2, "12012004"), 0.24f);
    EXPECT_EQ(rate("G1", 4), 0.0f);  // past the last row
    EXPECT_EQ(rate("G4", 1), 0.0f);  // no file for G4
}

TEST_F(RateTableReading, LineStructureDoesNotMatter) {
    table("ACRS3.tbl", "  25,\n\n38\r\n\r\n   , 37\n");
    EXPECT_FLOAT_EQ(rate("A3", 1), 0.25f);
    EXPECT_FLOAT_EQ(rate("A3", 2), 0.38f);
    EXPECT_EQ(rate("A3", 3), 0.0f);  // the empty field between commas
    EXPECT_FLOAT_EQ(rate("A3", 4), 0.37f);
}

TEST_F(RateTableReading, MissingShortOrJunkFilesGiveZero) {
    EXPECT_EQ(rate("A7", 1), 0.0f);  // no file at all
    table("ACRS7.tbl", "");
    EXPECT_EQ(rate("A7", 1), 0.0f);
    table("ACRS7.tbl", "14.29,24.49");
    EXPECT_FLOAT_EQ(rate("A7", 2), 0.2449f);  // a last value without a line end
    EXPECT_EQ(rate("A7", 3), 0.0f);
    table("ACRS7.tbl", "abc,12abc,-,1e,1e40,-5,nan,inf,0x10,.5");
    EXPECT_EQ(rate("A7", 1), 0.0f);
    EXPECT_FLOAT_EQ(rate("A7", 2), 0.12f);
    EXPECT_EQ(rate("A7", 3), 0.0f);
    EXPECT_FLOAT_EQ(rate("A7", 4), 0.01f);
    EXPECT_EQ(rate("A7", 5), 0.0f);   // beyond single precision
    EXPECT_EQ(rate("A7", 6), -5.0f);  // negative values are read as written (the engine stops at 0)
    EXPECT_EQ(rate("A7", 7), 0.0f);
    EXPECT_EQ(rate("A7", 8), 0.0f);
    EXPECT_EQ(rate("A7", 9), 0.0f);   // "0x10" reads its leading 0
    EXPECT_FLOAT_EQ(rate("A7", 10), 0.5f);
    table("ACRS7.tbl", std::string("1,2\0,3", 6));
    EXPECT_FLOAT_EQ(rate("A7", 2), 0.02f);
    EXPECT_FLOAT_EQ(rate("A7", 3), 0.03f);
}

TEST_F(RateTableReading, HugeFilesAndNumbersStayBounded) {
    std::string digits(100000, '9');
    table("ACRS3.tbl", digits + ",25\n");
    EXPECT_EQ(rate("A3", 1), 0.0f);
    EXPECT_FLOAT_EQ(rate("A3", 2), 0.25f);
    std::string many;
    for (int i = 0; i < 20000; ++i) many += "5,";
    table("ACRS191.tbl", many);
    EXPECT_FLOAT_EQ(rate("H1", 1), 0.05f);
    EXPECT_FLOAT_EQ(rate("H1", 1000), 0.05f);
    EXPECT_EQ(rate("H1", 2000), 0.0f);
    EXPECT_EQ(rate("H1", 0), 0.0f);
    EXPECT_EQ(rate("H1", -3), 0.0f);
    // A month outside 1..12 gives a column outside the row.
    EXPECT_EQ(rate("H1", 1, "99152004"), 0.0f);
}

// A report run reads each file once: a file changed or removed during the run still gives what
// the run first read, and the next run reads it again.
TEST_F(RateTableReading, ARunReadsEachFileOnce) {
    table("ACRS5.tbl", "20,32,19.2\n");
    InDirectory in(dir.code());
    dp::RateTables run;
    EXPECT_FLOAT_EQ(run.rate("A5", 2, "01152004", "12312004"), 0.32f);
    table("ACRS5.tbl", "1,2,3\n");
    std::remove(dir.path("ACRS3.tbl").c_str());
    EXPECT_FLOAT_EQ(run.rate("A5", 2, "01152004", "12312004"), 0.32f);
    EXPECT_EQ(run.rate("A3", 1, "01152004", "12312004"), 0.0f);
    table("ACRS3.tbl", "33\n");
    EXPECT_EQ(run.rate("A3", 1, "01152004", "12312004"), 0.0f);  // missing when first asked
    dp::RateTables next;
    EXPECT_FLOAT_EQ(next.rate("A5", 2, "01152004", "12312004"), 0.02f);
    EXPECT_FLOAT_EQ(next.rate("A3", 1, "01152004", "12312004"), 0.33f);

    // The engine's inputs of one run share one set of tables.
    const dp::EngineInputs inputs = enginetest::inputs();
    enginetest::Asset a;
    a.method = "A5";
    const double first = enginetest::compute(a, inputs).amounts.CurrentDepr;
    table("ACRS5.tbl", "90\n");
    EXPECT_EQ(enginetest::compute(a, inputs).amounts.CurrentDepr, first);
    EXPECT_NE(enginetest::compute(a).amounts.CurrentDepr, first);
}

// Kept for the run, the installation's tables give every rate that reading them anew gives.
TEST(RateTableFiles, ReadOnceGivesTheRatesOfReadingAnew) {
    InDirectory in(enginetest::dataDir());
    dp::RateTables run;
    int nonZero = 0;
    for (const char* code : {"A3", "A5", "A7", "A10", "A15", "A18", "G1", "G2", "G3", "H1", "G4", "A4"})
        for (int year = 0; year <= 40; ++year)
            for (int month = 1; month <= 12; ++month) {
                const std::string acquired = (month < 10 ? "0" : "") + std::to_string(month) + "152004";
                const float once = run.rate(code, year, acquired, "12312004");
                ASSERT_EQ(once, dp::loadTableRate(code, year, acquired, "12312004")) << code << " " << year;
                nonZero += once != 0;
            }
    EXPECT_GT(nonZero, 500);
}

TEST(RateTableParsing, FieldsInFileOrder) {
    float v[8];
    EXPECT_EQ(dp::parseTableValues("1,2,3", v, 8), 3);
    EXPECT_EQ(dp::parseTableValues("1,2,3", v, 2), 2);
    EXPECT_EQ(dp::parseTableValues("\n\n  \n", v, 8), 0);
    EXPECT_EQ(dp::parseTableValues("1,\n2", v, 8), 2);  // a comma at a line end adds no value
    EXPECT_EQ(dp::parseTableValues(",,", v, 8), 2);
    EXPECT_EQ(dp::parseTableValues("2.5e1", v, 8), 1);
    EXPECT_FLOAT_EQ(v[0], 25.0f);
}

}  // namespace

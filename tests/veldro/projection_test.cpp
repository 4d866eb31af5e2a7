// The projection against the module itself: every year is what the depreciation report and the
// period close give when they are run that many years, and straight-line assets end exactly at
// their depreciable basis.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "close/close_period.h"
#include "generated_register.h"
#include "platform/files.h"
#include "projection.h"
#include "projection_output.h"
#include "register/client.h"
#include "report/depreciation_report.h"
#include "veldro_test_util.h"

namespace veldro {
namespace {

using dptest::TempClient;
using veldrotest::GoingAhead;
using veldrotest::Installed;

dp::Cents cents(double v) { return dp::Cents::fromDouble(v); }

ProjectionInputs inputsFor(const std::string& fiscalYearEnd, char basis, int years = 0) {
    ProjectionInputs in;
    in.fiscalYearEnd = dp::date6cFromText(fiscalYearEnd);
    in.basis = basis;
    in.years = years;
    return in;
}

const ProjectedRow* rowOf(const Projection& p, const std::string& assetNumber) {
    for (const ProjectedRow& r : p.rows)
        if (r.kind == ReportRowKind::Asset && dp::trimRight(r.assetNumber) == assetNumber) return &r;
    return nullptr;
}

// Runs the menu's report for the whole fiscal year and then its close, as a user would.
void reportAndClose(const TempClient& client, const std::string& yearEnd, char basis) {
    Installed<GoingAhead> going;
    {
        std::unique_ptr<dp::Client> opened = dp::Client::open(client.code(), "test");
        ASSERT_TRUE(opened);
        dp::ReportOptions o;
        o.reportDate = yearEnd;
        o.reportBasis = std::string(1, basis);
        bool written = false;
        dp::reportWithOptions(*opened, o, [&](const std::string&, const std::string&, const std::string&) { written = true; });
        ASSERT_TRUE(written) << going->messages.str();
    }
    dp::RunClosePeriod(client.code());
    platform::closeAllFiles();
}

TEST(Projection, EveryYearIsWhatTheReportAndTheCloseGiveWhenRunThatManyYears) {
    const struct {
        unsigned seed;
        char basis;
        const char* fiscalYearEnd;
    } cases[] = {{1, 'T', "12312004"}, {2, 'B', "06302004"}, {3, 'T', "09302003"}};
    const int years = 7;
    for (const auto& c : cases) {
        SCOPED_TRACE("seed " + std::to_string(c.seed));
        TempClient client;
        client.writeRegister(veldrotest::generatedRegister(c.seed, 70).records);
        client.writeCompany(dptest::makeCompany("Projection", c.fiscalYearEnd, c.fiscalYearEnd));
        const Projection p = projectRegister(veldrotest::rowsOf(client), inputsFor(c.fiscalYearEnd, c.basis, years));
        ASSERT_EQ(p.yearEnds.size(), static_cast<std::size_t>(years));
        for (int k = 0; k < years; ++k) {
            reportAndClose(client, p.yearEnds[static_cast<std::size_t>(k)], c.basis);
            int compared = 0;
            for (const dp::AssetRecord& r : client.readRecords()) {
                const ProjectedRow* row = rowOf(p, dp::trimRight(r.AssetNumber));
                if (!row) continue;
                const std::size_t y = static_cast<std::size_t>(k);
                const dp::Cents want = y < row->years.size() ? row->years[y].accumulated : row->years.back().accumulated;
                EXPECT_EQ(cents(r.block(c.basis).PriorDepr), want) << dp::trimRight(r.AssetNumber) << " year " << k + 1;
                ++compared;
            }
            EXPECT_GT(compared, 40);
        }
    }
}

TEST(Projection, TheFirstYearIsWhatTheReportComputesForTheYear) {
    TempClient client;
    client.writeRegister(veldrotest::generatedRegister(7, 60).records);
    client.writeCompany(dptest::makeCompany("Projection", "12312004", "12312004"));
    const Projection p = projectRegister(veldrotest::rowsOf(client), inputsFor("12312004", 'T'));
    {
        Installed<GoingAhead> going;
        std::unique_ptr<dp::Client> opened = dp::Client::open(client.code(), "test");
        dp::ReportOptions o;
        o.reportDate = "12312004";
        dp::reportWithOptions(*opened, o, [](const std::string&, const std::string&, const std::string&) {});
    }
    int compared = 0;
    for (const dp::AssetRecord& r : client.readRecords()) {
        const ProjectedRow* row = rowOf(p, dp::trimRight(r.AssetNumber));
        if (!row) continue;
        EXPECT_EQ(row->years.front().depreciation, cents(r.Tax.CurrentDepr)) << r.AssetNumber;
        ++compared;
    }
    EXPECT_GT(compared, 40);
}

TEST(Projection, StraightLineAssetsEndExactlyAtTheirDepreciableBasis) {
    std::vector<RegisterRow> rows;
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> life(1, 40), money(100, 2000000), month(1, 12), year(1995, 2006), pct(0, 9);
    for (int i = 0; i < 300; ++i) {
        dp::AssetRecord r = dptest::makeAsset("S" + std::to_string(i), "Straight", "");
        char date[16];
        std::snprintf(date, sizeof date, "%02d15%04d", month(rng), year(rng));
        dp::date6FromText(r.DateAcquired, date, false);
        dp::BasisBlock& b = r.Tax;
        b.Method = "SL  ";
        b.Rate = life(rng) + (pct(rng) == 0 ? 0.5 : 0);
        b.Cost = money(rng) / 100.0;
        b.Salvage = pct(rng) < 3 ? std::round(b.Cost * 10) / 100 : 0;
        b.Expense = pct(rng) == 0 ? 100 : 0;
        b.Bonus3050 = pct(rng) == 1 ? std::round(b.Cost * 25) / 100 : 0;
        b.Bonus = pct(rng) == 2 ? 75.25 : 0;
        rows.push_back({dp::makeIndexBytes(r.AssetNumber, static_cast<std::int16_t>(i + 1)), static_cast<std::int16_t>(i + 1), r});
    }
    const Projection p = projectRegister(rows, inputsFor("12312004", 'T'));
    ASSERT_FALSE(p.stoppedAtLimit);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const dp::BasisBlock& b = rows[i].record.Tax;
        const dp::Cents basis = cents(b.Cost - b.Bonus - b.Salvage - b.Expense - b.Bonus3050);
        dp::Cents sum;
        for (const ProjectedYear& y : p.rows[i].years) sum += y.depreciation;
        EXPECT_EQ(sum, basis) << i;
        EXPECT_EQ(p.rows[i].years.back().remaining, dp::Cents{}) << i;
        EXPECT_EQ(p.rows[i].years.back().accumulated, basis) << i;
    }
}

TEST(Projection, ManualSoldAndEndlessAssetsStopWhereNothingMoreComes) {
    dp::AssetRecord manual = dptest::makeAsset("M1", "Manual", "01152004");
    manual.Tax = {"SL  ", 5, 'Y', 1000, 0, 0, 0, 0, 0, 150, 0, "      "};
    dp::AssetRecord sold = dptest::makeAsset("S1", "Sold", "01152000");
    sold.Tax = {"SL  ", 10, 'N', 1000, 0, 0, 0, 0, 400, 0, 0, "      "};
    dp::date6FromText(sold.DateSold, "06302005", true);
    dp::AssetRecord endless = dptest::makeAsset("E1", "Centuries", "01152004");
    endless.Tax = {"SL  ", 1000, 'N', 100000, 0, 0, 0, 0, 0, 0, 0, "      "};
    // The last half cent of a salvage of 847.365 is computed every year and carried by no close:
    // the year that carries nothing ends it.
    dp::AssetRecord halfCent = dptest::makeAsset("C1", "Half a cent", "03152003");
    halfCent.Tax = {"SL  ", 28, 'N', 8473.65, 0, 847.365, 100, 0, 0, 0, 0, "      "};
    const std::vector<RegisterRow> rows = {{{}, 1, manual}, {{}, 2, sold}, {{}, 3, endless}, {{}, 4, halfCent}};
    const Projection p = projectRegister(rows, inputsFor("12312004", 'T'));
    ASSERT_EQ(p.rows.size(), 4u);
    EXPECT_EQ(p.rows[3].years.size(), 28u);
    EXPECT_EQ(p.rows[3].years.back().remaining, cents(0.01));
    ASSERT_EQ(p.rows[0].years.size(), 1u);
    EXPECT_EQ(p.rows[0].years[0].depreciation, cents(150));
    ASSERT_EQ(p.rows[1].years.size(), 2u);  // 2004 whole, 2005 to June
    EXPECT_EQ(p.rows[1].years[0].depreciation, cents(100));
    EXPECT_EQ(p.rows[1].years[1].depreciation, cents(50));
    EXPECT_EQ(p.rows[1].years[1].remaining, dp::Cents{});
    EXPECT_EQ(p.rows[2].years.size(), static_cast<std::size_t>(kMaxProjectionYears));
    EXPECT_TRUE(p.stoppedAtLimit);
    EXPECT_EQ(p.yearEnds.back(), "12312103");

    const Projection three = projectRegister(rows, inputsFor("12312004", 'T', 3));
    EXPECT_EQ(three.yearEnds, (std::vector<std::string>{"12312004", "12312005", "12312006"}));
    EXPECT_FALSE(three.stoppedAtLimit);
}

// ---- the report and the table -----------------------------------------------------------------

Projection tenYears() {
    Projection p;
    for (int y = 0; y < 10; ++y) p.yearEnds.push_back("1231" + std::to_string(2004 + y));
    auto asset = [](const char* n, int years, std::int64_t each) {
        ProjectedRow r{ReportRowKind::Asset, dp::fixedText(n, 6), dp::fixedText(std::string("Asset ") + n, 35), {}};
        for (int y = 0; y < years; ++y)
            r.years.push_back({dp::Cents::fromUnits(each), dp::Cents::fromUnits(each * (y + 1)), dp::Cents::fromUnits(each * (years - y - 1))});
        return r;
    };
    p.rows = {{ReportRowKind::Heading, "H1    ", dp::fixedText("TOOLS", 35), {}},
              asset("A1", 10, 10000), asset("A2", 3, 2550),
              {ReportRowKind::Subtotal, "S1    ", dp::fixedText("TOOLS TOTAL", 35), {}},
              asset("B1", 9, 123456)};
    return p;
}

// The amounts of a line from the first money column on, in 11-character columns.
std::vector<std::string> columnsOf(const std::string& line) {
    std::vector<std::string> out;
    for (std::size_t at = 33; at + 11 <= line.size() + 1; at += 11) {
        std::string c = line.substr(at, 11);
        c.erase(0, c.find_first_not_of(' '));
        c.erase(c.find_last_not_of(' ') + 1);
        out.push_back(c);
    }
    return out;
}

const std::string* lineStarting(const std::vector<std::string>& page, const std::string& start) {
    for (const std::string& l : page)
        if (l.rfind(start, 0) == 0) return &l;
    return nullptr;
}

TEST(ProjectionReport, YearsEightToABandWithSectionAndRegisterTotalsThatFoot) {
    const auto pages = projectionPages(tenYears(), {"Acme Tools", 'B'});
    ASSERT_EQ(pages.size(), 2u);
    for (const auto& page : pages)
        for (const std::string& l : page) EXPECT_LE(l.size(), 132u) << l;
    EXPECT_NE(pages[0][3].find("Fiscal years ending 12/31/2004 to 12/31/2011 (years 1 to 8 of 10)"), std::string::npos);
    EXPECT_NE(pages[0][2].find("BOOK BASIS"), std::string::npos);
    EXPECT_NE(pages[1][3].find("(years 9 to 10 of 10)"), std::string::npos);
    const auto& first = pages[0];
    EXPECT_EQ(columnsOf(*lineStarting(first, "A2     Asset A2")),
              (std::vector<std::string>{"25.50", "25.50", "25.50", "", "", "", "", "", "0.00"}));
    EXPECT_EQ(columnsOf(*lineStarting(first, "      TOOLS TOTAL")),
              (std::vector<std::string>{"125.50", "125.50", "125.50", "100.00", "100.00", "100.00", "100.00", "100.00", "200.00"}));
    EXPECT_EQ(columnsOf(*lineStarting(first, "      TOTALS FOR ALL ASSETS")),
              (std::vector<std::string>{"1,360.06", "1,360.06", "1,360.06", "1,334.56", "1,334.56", "1,334.56", "1,334.56",
                                        "1,334.56", "1,434.56"}));
    EXPECT_EQ(columnsOf(*lineStarting(pages[1], "B1     Asset B1")), (std::vector<std::string>{"1,234.56", "", "0.00"}));
    // The text for the screen is UTF-8; the printer file keeps code page 437 and the printer codes.
    const std::string text = projectionText(pages), printer = projectionPrinterFile(pages);
    EXPECT_NE(text.find("\xE2\x95\x90"), std::string::npos);  // the double rule
    EXPECT_NE(text.find("\r\n\f"), std::string::npos);
    EXPECT_EQ(printer.rfind(dp::reportPageControl(), 0), 0u);
    EXPECT_NE(printer.find(std::string(132, '\xCD')), std::string::npos);
}

TEST(ProjectionReport, PagesBreakAfterFiftyFiveCountedLines) {
    Projection p;
    p.yearEnds = {"12312004"};
    for (int i = 0; i < 200; ++i)
        p.rows.push_back({ReportRowKind::Asset, dp::fixedText(std::to_string(i), 6), dp::fixedText("x", 35),
                          {{dp::Cents::fromUnits(100), {}, {}}}});
    const auto pages = projectionPages(p, {"Acme", 'T'});
    ASSERT_EQ(pages.size(), 5u);  // 49 assets on each full page
    EXPECT_EQ(pages[0].size(), 57u);  // eight heading lines, seven of them counted
    EXPECT_EQ(pages[0][1].find("Depreciation Projection") != std::string::npos, true);
    EXPECT_NE(pages[4].back().find("TOTALS") == std::string::npos, pages[4][pages[4].size() - 2].find("TOTALS") == std::string::npos);
}

TEST(ProjectionTable, ARowPerAssetAndYear) {
    const std::string csv = projectionCsv(tenYears());
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + 10 + 3 + 9);
    EXPECT_EQ(csv.substr(0, csv.find('\n') + 1), "asset_number,description,fiscal_year_end,depreciation,accumulated,remaining\r\n");
    EXPECT_NE(csv.find("A2,Asset A2,2006-12-31,25.50,76.50,0.00\r\n"), std::string::npos);
    EXPECT_EQ(csv.find("TOOLS"), std::string::npos);
}

}  // namespace
}  // namespace veldro

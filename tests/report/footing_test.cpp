// The report foots: the money columns of the asset and SOLD lines add up to every subtotal row
// and to the totals, and the recap's method lines add up to the total current depreciation,
// on the sample client (book and tax basis) and on generated registers, for twelve months.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "register/asset_files.h"
#include "report/depreciation_report.h"
#include "report_test_util.h"

namespace fs = std::filesystem;
using dptest::ScriptRun;
using dptest::TempClient;
using reporttest::Asset;

namespace {

// The seven money columns of an amounts line: cost, deductions, net, prior, current,
// cancelled, ending (0-based starts, 11 characters each).
constexpr std::array<std::size_t, 7> kColumns = {43, 54, 65, 88, 99, 110, 121};
using Amounts = std::array<long long, 7>;

// A money text in cents: blanks and grouping ignored, a blank field is 0.
long long cents(const std::string& field) {
    std::string digits;
    for (char c : field)
        if (c != ' ' && c != ',') digits += c;
    if (digits.empty()) return 0;
    const bool negative = digits[0] == '-';
    if (negative) digits.erase(0, 1);
    const std::size_t point = digits.find('.');
    EXPECT_NE(point, std::string::npos) << "not an amount: \"" << field << '"';
    if (point == std::string::npos) return 0;
    const long long v = std::stoll(digits.substr(0, point)) * 100 + std::stoll(digits.substr(point + 1));
    return negative ? -v : v;
}

Amounts amountsOf(const std::string& line) {
    Amounts a{};
    for (std::size_t i = 0; i < kColumns.size(); ++i)
        if (line.size() > kColumns[i]) a[i] = cents(line.substr(kColumns[i], 11));
    return a;
}

std::vector<std::string> reportLines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t lf; (lf = text.find("\r\n", start)) != std::string::npos; start = lf + 2) {
        std::string l = text.substr(start, lf - start);
        while (!l.empty() && l[0] == '\f') l.erase(0, 1);
        out.push_back(l);
    }
    return out;
}

bool isAssetLine(const std::string& l) { return l.size() > 76 && l[36] == '/' && l[39] == '/'; }

struct Footing {
    int assetLines = 0, soldLines = 0, subtotals = 0;
    long long recapMethods = 0, recapExpense = 0, recapBonus3050 = 0;
    Amounts totals{};
};

// Checks the report's columns against its subtotal rows and totals as it reads them.
Footing foot(const std::string& text) {
    Footing f;
    Amounts group{}, all{};
    auto add = [](Amounts& to, const Amounts& a) {
        for (std::size_t i = 0; i < a.size(); ++i) to[i] += a[i];
    };
    const std::vector<std::string> lines = reportLines(text);
    const std::string singleRule(132, '\xC4');
    bool inRecap = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& l = lines[i];
        if (l.find('\x1b') != std::string::npos) continue;  // printer set-up and marker lines
        if (l.rfind("      TOTALS FOR ALL ASSETS", 0) == 0) {
            f.totals = amountsOf(l);
            EXPECT_EQ(f.totals, all) << "the totals do not foot";
        } else if (isAssetLine(l) || l.rfind("    SOLD", 0) == 0) {
            (isAssetLine(l) ? f.assetLines : f.soldLines)++;
            const Amounts a = amountsOf(l);
            EXPECT_EQ(a[0] - a[1], a[2]) << "net is not cost less deductions: " << l;
            EXPECT_EQ(a[4] + a[3] - a[5], a[6]) << l;
            add(group, a);
            add(all, a);
        } else if (i > 0 && lines[i - 1] == singleRule && l.rfind("      ", 0) == 0 && l.size() > 76) {
            ++f.subtotals;
            EXPECT_EQ(amountsOf(l), group) << "subtotal " << l.substr(6, 26) << " does not foot";
            group = Amounts{};
        } else if (l.rfind("Recap of depreciation methods", 0) == 0) {
            inRecap = true;
        } else if (inRecap && l.size() == 42 && l[0] != '-') {
            const long long amount = cents(l.substr(29));
            if (l.rfind("Total Expense (Code E)", 0) == 0) f.recapExpense = amount;
            else if (l.rfind("Total 30/50 Bonus (Code R)", 0) == 0) f.recapBonus3050 = amount;
            else if (l.rfind("Total Bonus Depreciation", 0) != 0) f.recapMethods += amount;
        }
    }
    EXPECT_EQ(f.recapMethods, f.totals[4]) << "the recap does not add up to the current depreciation";
    return f;
}

class Footings : public ::testing::Test {
protected:
    void SetUp() override {
        reporttest::resetModuleState();
        previous_ = fs::current_path();
        fs::current_path(fs::path(DP_SOURCE_DIR) / "data");
    }
    void TearDown() override { fs::current_path(previous_); }

    static std::string runReport(const TempClient& client, const std::string& options) {
        ScriptRun run(options + "click 301\nprinter cancel\n");
        dp::RunDepreciationReport(client.code());
        return reporttest::fileText(dp::dataPath(client.code(), "report.txt"));
    }

    fs::path previous_;
};

TEST_F(Footings, TheSampleOnBothBases) {
    TempClient client;
    for (const auto& e : fs::directory_iterator(fs::path(DP_SOURCE_DIR) / "examples/SAMPLE"))
        fs::copy_file(e.path(), fs::path(client.code()) / e.path().filename());
    for (const char* basis : {"", "check 202\n"}) {
        const std::string report = runReport(client, basis);
        ASSERT_NE(report.find("For the  12 months ending"), std::string::npos);
        SCOPED_TRACE(*basis ? "book basis" : "tax basis");
        const Footing f = foot(report);
        EXPECT_GE(f.assetLines, 10);
        EXPECT_GT(f.soldLines, 0);
        EXPECT_GT(f.subtotals, 0);
    }
}

// Registers of every method letter (with letters that have no recap section), sales with and
// without salvage, expense and 30/50 bonus, heading and subtotal rows, over several pages.
std::vector<dp::AssetRecord> generatedRegister(unsigned seed, long long& unsoldSalvage) {
    std::mt19937 gen(seed);
    auto pick = [&](int n) { return static_cast<int>(gen() % static_cast<unsigned>(n)); };
    auto money = [&](int upTo) { return static_cast<double>(pick(upTo * 100)) / 100; };
    struct Method {
        const char* code;
        double rate;
    };
    const Method methods[] = {{"SL", 5},  {"SL", 7.5}, {"D200", 10}, {"D150", 7}, {"B200", 5}, {"B150", 7},
                              {"A", 3},   {"A5", 0},   {"E", 0.1},   {"F", 39},   {"G1", 0.5}, {"H1", 0},
                              {"M", 5},   {"X", 3},    {"", 0}};
    std::vector<dp::AssetRecord> r;
    unsoldSalvage = 0;
    for (int i = 0; i < 160; ++i) {
        if (i % 37 == 0) r.push_back(reporttest::headingRow("GROUP " + std::to_string(i)));
        const Method& m = methods[pick(static_cast<int>(std::size(methods)))];
        Asset a("G" + std::to_string(i), "Generated " + std::to_string(i));
        a.method = m.code;
        a.rate = m.rate;
        a.cost = 500 + money(40000);
        a.acquired = "0" + std::to_string(1 + pick(9)) + "1" + std::to_string(pick(9)) + "0" + std::to_string(pick(5));
        if (pick(3) == 0) a.salvage = money(static_cast<int>(a.cost / 10));
        if (pick(4) == 0) a.expense = money(static_cast<int>(a.cost / 5));
        if (pick(5) == 0) a.bonus3050 = money(static_cast<int>(a.cost / 5));
        if (pick(3) == 0) a.prior = money(static_cast<int>(a.cost / 4));
        if (pick(6) == 0) a.sold = "0" + std::to_string(1 + pick(9)) + "1504";
        if (a.sold.empty()) unsoldSalvage += static_cast<long long>(a.salvage * 100 + 0.5);
        r.push_back(a.record());
        if (i % 37 == 36) r.push_back(reporttest::subtotalRow("S" + std::to_string(i), "GROUP SUBTOTAL"));
    }
    return r;
}

TEST_F(Footings, GeneratedRegisters) {
    for (unsigned seed : {1u, 2u, 3u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        TempClient client;
        reporttest::writeCompany(client, "Generated Co");
        long long unsoldSalvage = 0;
        client.writeRegister(generatedRegister(seed, unsoldSalvage));
        const Footing f = foot(runReport(client, ""));
        EXPECT_EQ(f.assetLines, 160);
        EXPECT_GT(f.soldLines, 0);
        EXPECT_EQ(f.subtotals, 4);
        // The deductions column: the recap's expense and 30/50 bonus and the salvage of the
        // assets still held.
        EXPECT_EQ(f.totals[1], f.recapExpense + f.recapBonus3050 + unsoldSalvage);
    }
}

}  // namespace

// Whole reports compared byte for byte with the checked-in files under tests/golden/report/.
// DP_UPDATE_GOLDEN=1 writes the files instead (then read them line by line before checking in).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "engine/report_options.h"
#include "entry/session.h"
#include "register/asset_files.h"
#include "report/depreciation_report.h"
#include "report_test_util.h"

namespace fs = std::filesystem;
using dptest::ScriptRun;
using dptest::TempClient;
using reporttest::Asset;

namespace {

class Golden : public ::testing::Test {
protected:
    void SetUp() override {
        reporttest::resetModuleState();
        previous_ = fs::current_path();
        fs::current_path(fs::path(DP_SOURCE_DIR) / "data");
    }
    void TearDown() override {
        fs::current_path(previous_);
    }

    void compare(const std::string& report, const std::string& name) {
        const fs::path golden = fs::path(DP_SOURCE_DIR) / "tests/golden/report" / name;
        if (const char* u = std::getenv("DP_UPDATE_GOLDEN"); u && std::string(u) == "1") {
            fs::create_directories(golden.parent_path());
            std::ofstream(golden, std::ios::binary) << report;
            return;
        }
        const std::string want = reporttest::fileText(golden.string());
        ASSERT_FALSE(want.empty()) << "missing " << golden;
        if (report == want) return;
        // Point at the first line that differs.
        std::size_t at = 0;
        while (at < report.size() && at < want.size() && report[at] == want[at]) ++at;
        const std::size_t lineNo = static_cast<std::size_t>(std::count(want.begin(), want.begin() + static_cast<std::ptrdiff_t>(at), '\n')) + 1;
        ADD_FAILURE() << name << " differs at byte " << at << " (line " << lineNo << ")";
    }

    fs::path previous_;
};

Asset make(const std::string& number, const std::string& description, const std::string& method, double rate,
           double cost, const std::string& acquired = "010504") {
    Asset a(number, description);
    a.method = method;
    a.rate = rate;
    a.cost = cost;
    a.acquired = acquired;
    return a;
}

// A register with every kind of row: heading and subtotal rows, each method family, markers,
// sales with and without salvage, a manual row, rows the report skips, and enough plain assets
// to break pages on a subtotal that reaches 55 lines and on the 56th counted line.
std::vector<dp::AssetRecord> fullRegister() {
    std::vector<dp::AssetRecord> r;
    r.push_back(reporttest::headingRow("MACHINERY"));
    r.push_back(make("M01", "Lathe", "SL", 5, 10000, "031004").record());
    {
        Asset a = make("M01S", "Lathe salvage", "SL", 5, 10000, "031004");
        a.salvage = 1000;
        r.push_back(a.record());
    }
    r.push_back(make("M02", "Drill press", "D200", 10, 5000, "010104").record());
    {
        Asset a = make("M03", "Milling machine", "B200", 7, 7000, "061504");
        a.expense = 1000;
        r.push_back(a.record());
    }
    {
        Asset a = make("M04", "Mid-quarter welder", "E", 0.1, 4000, "111504");
        a.bonus3050 = 500;
        r.push_back(a.record());
    }
    r.push_back(make("M05", "Workshop building", "F", 39, 100000, "011504").record());
    r.push_back(make("M06", "Warehouse", "G1", 0.5, 50000, "070104").record());
    {
        Asset a = make("M07", "Office", "H1", 0, 80000, "030104");
        a.prior = 0;
        r.push_back(a.record());
    }
    {
        Asset a = make("M08", "Press", "A5", 0, 6000, "050103");
        a.prior = 900;
        r.push_back(a.record());
    }
    r.push_back(make("M09", "Compressor", "A", 3, 3000, "020104").record());
    {
        Asset a = make("M10", "Crane with both", "B150", 10, 20000, "040104");
        a.expense = 2000;
        a.bonus3050 = 3000;
        r.push_back(a.record());
    }
    {
        Asset a = make("M11", "Sold saw with salvage", "SL", 10, 9000, "010102");
        a.salvage = 500;
        a.prior = 1700;
        a.sold = "063004";
        r.push_back(a.record());
    }
    {
        Asset a = make("M12", "Sold sander", "SL", 4, 2400, "010103");
        a.prior = 600;
        a.sold = "033104";
        a.expense = 240;
        r.push_back(a.record());
    }
    {
        Asset a = make("M13", "Manual row", "SL", 5, 1000, "010104");
        a.manual = 'Y';
        a.current = 250;
        a.bonus = 800;
        r.push_back(a.record());
    }
    r.push_back(make("M14", "Unknown method", "M", 5, 1500, "010104").record());
    r.push_back(make("M15", "Seven and a half", "SL", 7.5, 7500, "010104").record());
    {
        Asset a = make("M16", "With bonus", "SL", 5, 6000, "070104");
        a.bonus = 1200.5;
        r.push_back(a.record());
    }
    r.push_back(Asset("M17", "***DELETED***").record());
    {
        Asset a = make("M18", "Listed auto", "SL", 5, 9999, "010104");
        a.code4562 = "11";
        r.push_back(a.record());
    }
    r.push_back(make("", "Empty slot", "SL", 5, 9999).record());
    // Count is now 7 + 2 + 17 asset lines + 2 sold lines = 28; 24 more reach 52.
    for (int i = 1; i <= 24; ++i)
        r.push_back(make("P" + std::to_string(100 + i), "Pallet rack " + std::to_string(i), "SL", 10, 1200).record());
    r.push_back(reporttest::subtotalRow("S1", "MACHINERY SUBTOTAL"));  // 52 + 3 = 55: new page
    r.push_back(reporttest::headingRow("VEHICLES"));                    // 9
    for (int i = 1; i <= 46; ++i)
        r.push_back(make("V" + std::to_string(100 + i), "Cart " + std::to_string(i), "B200", 5, 900 + i).record());
    {
        Asset a = make("V999", "Truck on line 56", "B200", 5, 30000, "090104");  // 56: new page after it
        a.expense = 5000;
        r.push_back(a.record());
    }
    for (int i = 1; i <= 27; ++i)
        r.push_back(make("W" + std::to_string(100 + i), "Trailer " + std::to_string(i), "SL", 8, 800).record());
    r.push_back(reporttest::subtotalRow("S2", "VEHICLES SUBTOTAL"));
    return r;
}

TEST_F(Golden, FullRegister) {
    TempClient client;
    reporttest::writeCompany(client, "Riverside Hardware", "and Supply Co.");
    client.writeRegister(fullRegister());
    ScriptRun run("click 301\nprinter 1*LPT1:**Y\n");
    dp::RunDepreciationReport(client.code());
    const std::string path = dp::dataPath(client.code(), "report.txt");
    EXPECT_EQ(run.transcript(), "dialog: Depreciation Report\nprint: " + path + ",LPT1,,/80/FP/ZM\n");
    compare(reporttest::fileText(path), "full_register.txt");
}

TEST_F(Golden, EmptyRegister) {
    TempClient client;
    reporttest::writeCompany(client, "Riverside Hardware", "", "06302004", "033104");
    ScriptRun run("click 301\nprinter cancel\n");
    dp::RunDepreciationReport(client.code());
    compare(reporttest::fileText(dp::dataPath(client.code(), "report.txt")), "empty_register.txt");
}

TEST_F(Golden, BookBasisTypedDateAndRounding) {
    TempClient client;
    reporttest::writeCompany(client, "Hill & Sons", "");
    std::vector<dp::AssetRecord> r;
    {
        Asset a = make("B1", "Book lathe", "SL", 5, 10003, "031004");
        r.push_back(a.record());
    }
    {
        Asset a = make("B2", "Book press", "D150", 7, 7777, "071704");
        a.expense = 77;
        r.push_back(a.record());
    }
    client.writeRegister(r);
    ScriptRun run("type 201 6/30/2004\ncheck 202\ncheck 204\nclick 301\nprinter cancel\n");
    dp::RunDepreciationReport(client.code());
    compare(reporttest::fileText(dp::dataPath(client.code(), "report.txt")), "book_basis.txt");
}

}  // namespace

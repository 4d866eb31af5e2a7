// The form run from the client's files to the print-out: the golden form of a register that
// feeds every line and class row, the year-dependent lines, empty and broken input.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <fstream>
#include <string>
#include <vector>

#include "form4562/form4562.h"
#include "form4562/form4562_run.h"
#include "form4562/form_background.h"
#include "platform/files.h"
#include "register/records.h"
#include "support/client_dir.h"

namespace {

using dp::AssetRecord;
using dptest::ScriptRun;
using dptest::TempClient;

AssetRecord asset(const std::string& number, const std::string& description, const std::string& code, double cost,
                  double depr, double expense = 0, double rate = 0, const std::string& method = "SL") {
    AssetRecord a = dptest::makeAsset(number, description, "070103");
    a.Book.Method = dp::fixedText(method, 4);
    a.Book.Rate = rate;
    a.Book.Cost = cost;
    a.Book.CurrentDepr = depr;
    a.Book.Expense = expense;
    a.Tax.Code4562 = dp::fixedText(code, 6);
    return a;
}

AssetRecord marker(const std::string& number, const std::string& letter, const std::string& code) {
    AssetRecord a = dptest::makeAsset(number, "MARKER ROW", letter);
    a.Book.Cost = 5000;
    a.Book.CurrentDepr = 5000;
    a.Tax.Code4562 = dp::fixedText(code, 6);
    return a;
}

// A register that feeds every printed line and class row.
std::vector<AssetRecord> fullRegister() {
    return {
        asset("A01", "PUNCH PRESS", "2,6", 30000, 0, 25000),
        asset("A02", "BLANK BEFORE TWO", " 2", 5000, 0, 0),
        marker("A03", "H", "2,16"),
        asset("A04", "NOT A LINE NUMBER", "X", 0, 250),
        asset("A05", "LINE ZERO", "0", 0, 999),
        asset("A06", "WAREHOUSE", "19", 200000, 3030.30, 0, 27.5, "F"),
        asset("A07", "OLD BUILDING", "19", 90000, 2857, 0, 31.5, "F"),
        asset("A08", "RATE NOT LIFE", "19", 1000, 200, 0, 0.2, "D200"),
        asset("A09", "CLASS LIFE TRUCK", "20", 18000, 1000, 0, 9, "SL"),
        asset("A10", "DRILL", "19", 1500, 100.50, 0, 5, "B200"),
        asset("A11", "GRINDER", "19", 1500, 100.50, 0, 5, "B150"),
        asset("A12", "***DELETED***", "2,16", 7000, 700, 0, 5),
        marker("A13", "S", "19"),
        asset("A14", "LISTED CAR", "7", 0, 500, 0),
        asset("A15", "PRIOR CARRYOVER", "10", 0, 1200),
        asset("A16", "INCOME LIMIT", "11", 0, 80000),
        asset("A17", "SPECIAL ALLOWANCE", "14", 0, 1400),
        asset("A18", "168F1 PROPERTY", "15", 0, 1500),
        asset("A19", "ACRS ASSET", "16", 0, 1600),
        asset("A20", "PRIOR YEAR MACRS", "17", 0, 1700),
        asset("A21", "COMPUTER", "19", 3000, 600, 0, 3, "B200"),
        asset("A22", "FURNITURE", "19", 7000, 1000.49, 0, 7, "B200"),
        asset("A23", "BARGE", "19", 10000, 1000, 0, 10, "B150"),
        asset("A24", "LAND IMPROVEMENT", "19", 15000, 750, 0, 15, "B150"),
        asset("A25", "FARM BUILDING", "19", 20000, 375, 0, 20, "B150"),
        asset("A26", "WATER UTILITY", "19", 25000, 1000, 0, 25, "SL"),
        asset("A27", "OFFICE BUILDING", "19", 390000, 10000, 0, 39, "F"),
        asset("A28", "ADS EQUIPMENT", "20", 12000, 1000, 0, 12, "SL"),
        asset("A29", "ADS BUILDING", "20", 400000, 10000, 0, 40, "SL"),
        asset("A30", "LISTED PROPERTY", "28", 0, 2800),
        asset("A31", "SECOND 179 ITEM", "2,6", 12000, 0, 12000.5),
    };
}

dp::CompanyRecord company(const std::string& fiscalYearEnd) {
    dp::CompanyRecord c = dptest::makeCompany("ACME TOOL AND DIE", fiscalYearEnd, "12312003");
    c.Activity = dp::fixedText("MACHINE SHOP FABRICATION AND REPAIR", 50);
    c.IdNumber = dp::fixedText("12-3456789", 11);
    return c;
}

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string goldenPath(const std::string& name) { return std::string(DP_SOURCE_DIR) + "/tests/golden/form4562/" + name; }

// The values layer: what follows the background of the year.
std::vector<std::string> valuesRows(const std::string& form, const std::string& yearText) {
    const std::string bg = dp::buildFormBackground(yearText).bytes;
    EXPECT_EQ(form.substr(0, bg.size()), bg);
    std::vector<std::string> rows;
    std::string rest = form.size() > bg.size() ? form.substr(bg.size()) : "";
    std::size_t at = 0;
    while (at < rest.size()) {
        const std::size_t end = rest.find("\r\n", at);
        if (end == std::string::npos) {
            ADD_FAILURE() << "values layer does not end with CR LF";
            break;
        }
        rows.push_back(rest.substr(at, end - at));
        at = end + 2;
    }
    return rows;
}

std::string at(int column, const std::string& text) { return std::string(column - 1, ' ') + text; }

// A class row: basis at column 30, the three texts at 40, 54 and 61, the deduction at 67.
std::string classRow(const std::string& basis, const std::string& period, const std::string& convention,
                     const std::string& method, const std::string& deduction) {
    std::string row = at(30, basis);
    const std::pair<int, const std::string*> texts[] = {{40, &period}, {54, &convention}, {61, &method}, {67, &deduction}};
    for (const auto& [column, text] : texts) {
        row.resize(static_cast<std::size_t>(column - 1), ' ');
        row += *text;
    }
    return row;
}

void compareWithGolden(const std::string& form, const std::string& name) {
    if (std::getenv("DP_UPDATE_GOLDEN")) {
        std::ofstream(goldenPath(name), std::ios::binary) << form;
    }
    const std::string golden = readText(goldenPath(name));
    ASSERT_FALSE(golden.empty()) << goldenPath(name);
    EXPECT_EQ(form.size(), golden.size());
    EXPECT_TRUE(form == golden) << "form differs from " << name;
}

TEST(Form4562Run, FullRegisterMatchesTheGoldenForm) {
    TempClient client;
    client.writeCompany(company("12312003"));
    client.writeRegister(fullRegister());
    std::string transcript;
    {
        ScriptRun run("printer *LPT1:**Y\n");
        dp::RunForm4562(client.code());
        transcript = run.transcript();
    }
    const std::string formPath = platform::resolvePath(client.code(), "T4562.FRM");
    EXPECT_EQ(transcript, "print: " + formPath + ",LPT1,,/ZM\n");
    const std::string form = readText(formPath);
    compareWithGolden(form, "T4562_full.FRM");

    const std::vector<std::string> rows = valuesRows(form, "2003");
    ASSERT_EQ(rows.size(), 51u);
    EXPECT_EQ(rows[0], "ACME TOOL AND DIE" + std::string(24, ' ') + "MACHINE SHOP FABRICATION A 12-3456789 ");
    EXPECT_EQ(rows[2], at(6, "NOTE: If you have any listed property, complete Part V first."));
    EXPECT_EQ(rows[3], at(67, "    100,000."));
    EXPECT_EQ(rows[4], at(67, "     42,000."));  // 30,000 + 12,000; " 2" and the markers add nothing
    EXPECT_EQ(rows[5], at(67, "    400,000."));
    EXPECT_EQ(rows[6], "");                      // line 4 is zero
    EXPECT_EQ(rows[7], at(67, "    100,000."));
    // Line 6: the last asset's description, cost 42,000, elected 25,000 + 12,000.5 (rounds to even).
    EXPECT_EQ(rows[9], "   " + dp::fixedText("SECOND 179 ITEM", 35) + "     " + "    42,000." + " " + "   37,000." + " ");
    EXPECT_EQ(rows[11], at(54, "        500. "));
    EXPECT_EQ(rows[12], at(67, "     37,000."));  // line 8
    EXPECT_EQ(rows[13], at(67, "     37,000."));  // line 9
    EXPECT_EQ(rows[14], at(67, "      1,200."));  // line 10
    EXPECT_EQ(rows[15], at(67, "     80,000."));  // line 11
    EXPECT_EQ(rows[16], at(67, "     38,200."));  // line 12
    EXPECT_EQ(rows[17], at(54, "          0."));  // line 13
    EXPECT_EQ(rows[21], at(67, "      1,400."));
    EXPECT_EQ(rows[22], at(67, "      1,500."));
    EXPECT_EQ(rows[23], at(67, "      1,850."));  // 1,600 + the "X" asset's 250
    EXPECT_EQ(rows[26], at(67, "      1,700."));
    EXPECT_EQ(rows[32], classRow("  3,000.", "", "MY", " DDB", "        600."));
    EXPECT_EQ(rows[33], classRow("  3,000.", "", "MY", " DDB", "        200."));  // 100.50 twice
    EXPECT_EQ(rows[34], classRow("  7,000.", "", "MY", " DDB", "      1,000."));
    EXPECT_EQ(rows[35], classRow(" 10,000.", "", "MY", "", "      1,000."));
    EXPECT_EQ(rows[36], classRow(" 15,000.", "", "MY", "", "        750."));
    EXPECT_EQ(rows[37], classRow(" 20,000.", "", "", "", "        375."));
    EXPECT_EQ(rows[38], classRow(" 25,000.", " 25 yrs.", "", "S/L", "      1,000."));
    EXPECT_EQ(rows[39], classRow("200,000.", "27.5 yrs.", "MM", "S/L", "      3,030."));
    EXPECT_EQ(rows[40], "");
    EXPECT_EQ(rows[41], classRow("390,000.", "39 Yrs", "MM", "S/L", "     10,000."));
    EXPECT_EQ(rows[44], classRow(" 18,000.", " 9", "", "SL  ", "      1,000."));
    EXPECT_EQ(rows[45], classRow(" 12,000.", "", "", "S/L", "      1,000."));
    EXPECT_EQ(rows[46], classRow("400,000.", "40 Yrs", "MM", "S/L", "     10,000."));
    EXPECT_EQ(rows[48], at(67, "      2,800."));
    // Line 22: line 12 38,200 + lines 14 to 17 6,450 + the class rows 29,955 + line 21 2,800.
    EXPECT_EQ(rows[50], at(67, "     77,405."));
}

TEST(Form4562Run, EmptyRegisterStillPrintsTheForm) {
    TempClient client;
    client.writeCompany(company("12312002"));
    {
        ScriptRun run("printer *LPT1**N\n");
        dp::RunForm4562(client.code());
        EXPECT_NE(run.transcript().find(",LPT1,,/NP\n"), std::string::npos) << run.transcript();
    }
    // The asset files are only read: none is created.
    EXPECT_FALSE(platform::fileExists(client.path("depr.fil")));
    EXPECT_FALSE(platform::fileExists(client.path("depr.idx")));
    const std::string form = readText(platform::resolvePath(client.code(), "T4562.FRM"));
    compareWithGolden(form, "T4562_empty_2002.FRM");
    const std::vector<std::string> rows = valuesRows(form, "2002");
    ASSERT_EQ(rows.size(), 51u);
    EXPECT_EQ(rows[3], at(67, "     24,000."));
    EXPECT_EQ(rows[4], at(67, "          0."));
    EXPECT_EQ(rows[5], at(67, "    200,000."));
    EXPECT_EQ(rows[6], "");
    EXPECT_EQ(rows[7], at(67, "     24,000."));
    EXPECT_EQ(rows[9], std::string(38, ' ') + "     " + "         0." + " " + "        0." + " ");
    EXPECT_EQ(rows[38], classRow("      0.", " 25 yrs.", "", "S/L", "          0."));
    EXPECT_EQ(rows[46], classRow("      0.", "", "MM", "", "          0."));
    EXPECT_EQ(rows[50], at(67, "          0."));
}

TEST(Form4562Run, TaxYearsForLinesOneToFive) {
    struct Case {
        std::string fiscalYearEnd;
        double section179Cost;
        const char* year;
        const char* line1;
        const char* line3;
        const char* line4;  // "" for an empty row
        const char* line5;
    };
    const Case cases[] = {
        {"12312002", 250000, "2002", "     24,000.", "    200,000.", "     50,000.", ""},
        {"12312003", 450000, "2003", "    100,000.", "    400,000.", "     50,000.", "     50,000."},
        {"063097", 10000, "1997", "     18,000.", "    200,000.", "", "     18,000."},
    };
    for (const Case& c : cases) {
        TempClient client;
        client.writeCompany(company(c.fiscalYearEnd));
        client.writeRegister({asset("B1", "MACHINE", "2", c.section179Cost, 0)});
        {
            ScriptRun run("printer cancel\n");
            dp::RunForm4562(client.code());
            EXPECT_EQ(run.transcript(), "");
        }
        const std::vector<std::string> rows = valuesRows(readText(platform::resolvePath(client.code(), "T4562.FRM")), c.year);
        ASSERT_EQ(rows.size(), 51u) << c.year;
        EXPECT_EQ(rows[3], at(67, c.line1)) << c.year;
        EXPECT_EQ(rows[5], at(67, c.line3)) << c.year;
        EXPECT_EQ(rows[6], *c.line4 ? at(67, c.line4) : "") << c.year;
        EXPECT_EQ(rows[7], *c.line5 ? at(67, c.line5) : "") << c.year;
    }
}

TEST(Form4562Run, EmptyClientCodeWritesNothing) {
    ScriptRun run("");
    dp::RunForm4562("");
    EXPECT_EQ(run.transcript(), "message: Error in Client Code | invalid Client Code\n");
    EXPECT_FALSE(platform::fileExists("/T4562.FRM"));
    EXPECT_FALSE(platform::fileExists("T4562.FRM"));
}

TEST(Form4562Run, RecordNumbersOutsideTheAssetFileAreSkipped) {
    TempClient client;
    client.writeCompany(company("12312003"));
    client.writeRegister({asset("C1", "ONE", "2", 100, 0), asset("C2", "TWO", "2", 20, 0)});
    // Entries for record 0, a negative record, one past the end, then record 2 once more.
    std::vector<unsigned char> idx = client.bytes("depr.idx");
    for (std::int16_t r : {0, -1, 3, 32767, 2}) {
        dp::IndexEntry e;
        e.AssetNumber = "BAD   ";
        e.RecordNumber = r;
        const auto b = e.encode();
        idx.insert(idx.end(), b.begin(), b.end());
    }
    idx.insert(idx.end(), {'X', 'Y', 'Z'});  // a cut-off entry at the end is no entry
    client.writeBytes("depr.idx", idx);
    const dp::FormTotals t = dp::totalRegister(client.code());
    EXPECT_EQ(t.line2Total, 140);
}

TEST(Form4562Run, BrokenAmountsDoNotBreakTheForm) {
    TempClient client;
    client.writeCompany(company("12312003"));
    client.writeRegister({asset("D1", "NAN COST", "2,6", std::nan(""), 1e308, std::numeric_limits<double>::infinity()),
                          asset("D2", "HUGE", "19", 1e200, -1e200, 0, 1e300),
                          asset("D3", "HUGE CLASS LIFE", "20", 3e9, 1, 0, -1e10),
                          asset("D4", "FINE", "6", 10, 1, 5)});
    {
        ScriptRun run("printer cancel\n");
        dp::RunForm4562(client.code());
    }
    const std::vector<std::string> rows = valuesRows(readText(platform::resolvePath(client.code(), "T4562.FRM")), "2003");
    ASSERT_EQ(rows.size(), 51u);
    for (const std::string& row : rows) EXPECT_LE(row.size(), 79u) << row;
    EXPECT_EQ(rows[9].substr(0, 38), "   " + dp::fixedText("FINE", 35));
    EXPECT_EQ(rows[44], classRow("      0.", "", "", "", "          0."));
}

TEST(Form4562Run, CompanyFileWithoutSecondRecord) {
    TempClient client;
    const dp::CompanyRecord c = company("12312003");
    const auto r1 = c.encodeRecord(1);
    client.writeBytes("company.fil", std::vector<unsigned char>(r1.begin(), r1.end()));
    {
        ScriptRun run("printer cancel\n");
        dp::RunForm4562(client.code());
    }
    const std::vector<std::string> rows = valuesRows(readText(platform::resolvePath(client.code(), "T4562.FRM")), "2003");
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0], "ACME TOOL AND DIE" + std::string(24 + 26 + 1, ' '));
}

TEST(Form4562Run, AnEarlierFormIsReplaced) {
    TempClient client;
    client.writeCompany(company("12312002"));
    client.writeBytes("t4562.frm", std::vector<unsigned char>(100000, 'Z'));
    {
        ScriptRun run("printer cancel\n");
        dp::RunForm4562(client.code());
    }
    EXPECT_EQ(readText(platform::resolvePath(client.code(), "T4562.FRM")), readText(goldenPath("T4562_empty_2002.FRM")));
}

TEST(Form4562Run, MissingDataDirectoryIsReportedAndNothingPrinted) {
    TempClient client;
    const std::string missing = client.code() + "/no-such-client";
    ScriptRun run("");
    dp::RunForm4562(missing);
    EXPECT_EQ(run.transcript(), "message: Error | Error  76 has been encountered. Press <-Enter to continue "
                                "\\nT4562.FRM could not be written: the file or folder does not exist. Nothing was "
                                "printed.\n");
    EXPECT_FALSE(platform::directoryExists(missing));
}

TEST(Form4562Run, ErrorTexts) {
    for (int n : {24, 25, 68}) EXPECT_EQ(dp::form4562ErrorText(n), "PRINTER ERROR -- Please CHECK LPT and try again.");
    EXPECT_EQ(dp::form4562ErrorText(61), "Error  61 has been encountered. Press <-Enter to continue ");
}

}  // namespace

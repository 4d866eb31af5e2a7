// The report run from the menu's call to the hand-over to the printer: refusals, cancel, the
// write-back, rows left out, and what reaches the spooler.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>

#include "engine/report_options.h"
#include "entry/menu.h"
#include "entry/procedures.h"
#include "engine/depreciation.h"
#include "register/asset_files.h"
#include "report/depreciation_report.h"
#include "report_test_util.h"

namespace fs = std::filesystem;
using dptest::ScriptRun;
using dptest::TempClient;
using reporttest::Asset;

namespace {

constexpr std::size_t kControlLength = 12 + 2;  // the page's printer codes and their line end

int lineCount(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

class ReportRun : public ::testing::Test {
protected:
    void SetUp() override {
        reporttest::resetModuleState();
        // Rate tables are read from the current directory.
        previous_ = fs::current_path();
        fs::current_path(fs::path(DP_SOURCE_DIR) / "data");
    }
    void TearDown() override {
        fs::current_path(previous_);
    }
    std::string run(const std::string& script, const std::string& client) {
        ScriptRun r(script);
        dp::RunDepreciationReport(client);
        return r.transcript();
    }
    fs::path previous_;
};

TEST_F(ReportRun, EmptyClientCodeIsRefusedBeforeAnything) {
    EXPECT_EQ(run("", ""), "message: Error in Client Code | invalid Client Code\n");
}

TEST_F(ReportRun, MissingDataDirectoryIsRefusedAndNothingIsCreated) {
    TempClient client;
    const std::string missing = client.code() + "/nowhere";
    const std::string t = run("", missing);
    EXPECT_EQ(t, "message: Error in Client Code | The data directory " + missing + " does not exist.\n");
    EXPECT_FALSE(fs::exists(missing));
}

// A client without a fiscal year end (no company file, or one never filled in) is told where
// to enter it, before the options are asked for; nothing is written.
TEST_F(ReportRun, AClientWithoutAFiscalYearEndIsToldToEnterIt) {
    const char* const told = "message: Depreciation Report | The company file has no fiscal year end. Enter it in "
                             "Company File Maintenance, then run the report.\n";
    TempClient client;
    client.writeRegister({Asset{}.record()});
    const auto before = client.bytes("depr.fil");
    EXPECT_EQ(run("", client.code()), told);
    dp::CompanyRecord blank;  // as Company File Maintenance writes a new company left empty
    blank.FiscalYearEnd = dp::date6cFromText("");
    client.writeCompany(blank);
    EXPECT_EQ(run("", client.code()), told);
    blank.FiscalYearEnd = dp::date6cFromText("1231");  // month and day without a year
    client.writeCompany(blank);
    EXPECT_EQ(run("", client.code()), told);
    EXPECT_EQ(client.bytes("depr.fil"), before);
    EXPECT_FALSE(fs::exists(client.path("report.txt")));
}

TEST_F(ReportRun, CancelLeavesEveryFileUntouched) {
    TempClient client;
    reporttest::writeCompany(client);
    client.writeRegister({Asset{}.record()});
    client.writeBytes("report.txt", {'o', 'l', 'd'});
    const auto fil = client.bytes("depr.fil"), idx = client.bytes("depr.idx");
    const std::string t = run("check 204\nclick 302\n", client.code());
    EXPECT_EQ(t, "dialog: Depreciation Report\n");
    EXPECT_EQ(client.bytes("depr.fil"), fil);
    EXPECT_EQ(client.bytes("depr.idx"), idx);
    EXPECT_EQ(client.bytes("report.txt"), (std::vector<unsigned char>{'o', 'l', 'd'}));
    EXPECT_FALSE(fs::exists(client.path("NEW.FIL")));
}

TEST_F(ReportRun, DateOutsideTheFiscalYearWritesNothing) {
    TempClient client;
    reporttest::writeCompany(client);
    client.writeRegister({Asset{}.record()});
    const auto fil = client.bytes("depr.fil");
    for (const char* date : {"01312005", "12312003", "1/15/2005"}) {
        const std::string t = run(std::string("type 201 ") + date + "\nclick 301\n", client.code());
        EXPECT_EQ(t, "dialog: Depreciation Report\nmessage:  | Schedule MUST be within current fiscal year\n") << date;
    }
    EXPECT_EQ(client.bytes("depr.fil"), fil);
    EXPECT_FALSE(fs::exists(client.path("report.txt")));
}

// A report date that is no date is named as such; the options stay open on the date with what
// was typed, and the date mended runs the report.
TEST_F(ReportRun, AReportDateThatIsNoDateIsRefusedInTheOptions) {
    TempClient client;
    reporttest::writeCompany(client);
    client.writeRegister({Asset{}.record()});
    const auto fil = client.bytes("depr.fil");
    const struct {
        const char* typed;
        const char* says;
    } cases[] = {
        {"13/01/2004", "\"13/01/2004\" is not a date: there is no month 13."},
        {"12/32/2004", "\"12/32/2004\" is not a date: December 2004 has 31 days."},
        {"garbage", "\"garbage\" is not a date. Type it month first"},
        {"", "Type the date the report runs to, e.g. 12/31/2004."},
    };
    for (const auto& c : cases) {
        const std::string t = run(std::string("type 201 ") + c.typed + "\nclick 301\ncheck 204\nclick 302\n", client.code());
        EXPECT_EQ(t.rfind(std::string("dialog: Depreciation Report\nmessage: Report Date | ") + c.says, 0), 0u) << t;
        EXPECT_EQ(lineCount(t, "\n"), 2) << t;
    }
    EXPECT_EQ(client.bytes("depr.fil"), fil);
    EXPECT_FALSE(fs::exists(client.path("report.txt")));
    const std::string t = run("type 201 2/3/2004x\nclick 301\ntype 201 12/31/04\nclick 301\nprinter cancel\n", client.code());
    EXPECT_EQ(t, "dialog: Depreciation Report\nmessage: Report Date | \"2/3/2004x\" is not a date. Type it month first: "
                 "MMDDYY, MMDDYYYY or MM/DD/YYYY, e.g. 03/15/2004.\n");
    EXPECT_TRUE(fs::exists(client.path("report.txt")));
}

TEST_F(ReportRun, ComputesWritesBackAndHandsTheReportToThePrinter) {
    TempClient client;
    reporttest::writeCompany(client);
    Asset sl;  // the straight-line example: 1500.00 for ten months
    sl.cost = 10000;
    sl.salvage = 1000;
    Asset manual{"M1", "Manual row"};
    manual.manual = 'Y';
    manual.current = 123.45;
    client.writeRegister({sl.record(), manual.record()});
    const std::string t = run("click 301\nprinter 1*LPT1:**Y\n", client.code());
    const std::string report = dp::dataPath(client.code(), "report.txt");
    EXPECT_EQ(t, "dialog: Depreciation Report\nprint: " + report + ",LPT1,,/80/FP/ZM\n");
    const auto recs = client.readRecords();
    ASSERT_EQ(recs.size(), 2u);
    EXPECT_DOUBLE_EQ(recs[0].Tax.CurrentDepr, 1500.00);
    EXPECT_DOUBLE_EQ(recs[0].Book.CurrentDepr, 0);
    EXPECT_DOUBLE_EQ(recs[1].Tax.CurrentDepr, 123.45);
    const std::string text = reporttest::fileText(report);
    EXPECT_NE(text.find("A1     " + dp::fixedText("Test asset", 27) + "03/10/04  10,000.00   1,000.00   9,000.00  SL    5 YR"),
              std::string::npos);
    EXPECT_NE(text.find("   1,623.45 "), std::string::npos);  // current total of both rows
}

// The heading's first line shows the date as MM/DD/YY whatever its typed form; the period line
// shows it as entered.
TEST_F(ReportRun, TypedSlashedDateIsAcceptedAndPrintedAsEntered) {
    TempClient client;
    reporttest::writeCompany(client);
    client.writeRegister({Asset{}.record()});
    run("type 201 12/31/2004\nclick 301\nprinter cancel\n", client.code());
    EXPECT_DOUBLE_EQ(client.readRecords()[0].Tax.CurrentDepr, 166.67);
    const std::string text = reporttest::fileText(client.path("report.txt"));
    EXPECT_EQ(text.find("12/31/04"), kControlLength);
    EXPECT_NE(text.find(std::string(47, ' ') + "For the  12 months ending 12/31/2004\r\n"), std::string::npos);
}

TEST_F(ReportRun, BookBasisWritesOnlyTheBookBlock) {
    TempClient client;
    reporttest::writeCompany(client);
    Asset sl;
    sl.cost = 10000;
    sl.salvage = 1000;
    client.writeRegister({sl.record()});
    run("click 202\nclick 301\nprinter cancel\n", client.code());
    const auto recs = client.readRecords();
    EXPECT_DOUBLE_EQ(recs[0].Book.CurrentDepr, 1500.00);
    EXPECT_DOUBLE_EQ(recs[0].Tax.CurrentDepr, 0);
    EXPECT_NE(reporttest::fileText(client.path("report.txt")).find("BOOK BASIS"), std::string::npos);
}

TEST_F(ReportRun, RoundingCarriesOverToTheNextReportAlthoughTheBoxShowsUnchecked) {
    TempClient client;
    reporttest::writeCompany(client);
    Asset a;
    a.cost = 10003;  // 10003 x 0.2 x 10 / 12 = 1667.17
    client.writeRegister({a.record()});
    run("click 301\nprinter cancel\n", client.code());
    EXPECT_DOUBLE_EQ(client.readRecords()[0].Tax.CurrentDepr, 1667.17);
    run("check 204\nclick 301\nprinter cancel\n", client.code());
    EXPECT_DOUBLE_EQ(client.readRecords()[0].Tax.CurrentDepr, 1667);
    run("click 301\nprinter cancel\n", client.code());
    EXPECT_DOUBLE_EQ(client.readRecords()[0].Tax.CurrentDepr, 1667);
    run("check 204\ncheck 204\nclick 301\nprinter cancel\n", client.code());
    EXPECT_DOUBLE_EQ(client.readRecords()[0].Tax.CurrentDepr, 1667.17);
}

TEST_F(ReportRun, SkippedRowsAreNeitherPrintedNorTotalledNorWritten) {
    TempClient client;
    reporttest::writeCompany(client);
    Asset kept{"KEEP", "Kept asset"};
    Asset deleted{"DEL", "  ***DELETED***"};
    Asset code11{"C11", "Listed property"};
    code11.code4562 = "x11";
    dp::AssetRecord emptySlot = Asset{"", "Empty slot"}.record();
    client.writeRegister({kept.record(), deleted.record(), code11.record(), emptySlot});
    const auto before = client.readRecords();
    run("click 301\nprinter cancel\n", client.code());
    const auto after = client.readRecords();
    EXPECT_DOUBLE_EQ(after[0].Tax.CurrentDepr, 166.67);
    for (std::size_t i = 1; i < 4; ++i) EXPECT_EQ(after[i].encode(), before[i].encode()) << i;
    const std::string text = reporttest::fileText(client.path("report.txt"));
    EXPECT_EQ(text.find("Listed"), std::string::npos);
    EXPECT_EQ(text.find("DELETED"), std::string::npos);
    EXPECT_EQ(text.find("Empty slot"), std::string::npos);
    EXPECT_NE(text.find("      TOTALS FOR ALL ASSETS" + std::string(16, ' ') + "  1,000.00 "), std::string::npos);
}

TEST_F(ReportRun, BrokenIndexEntriesAndGarbageRecordsAreLeftOutWithAMessage) {
    TempClient client;
    reporttest::writeCompany(client);
    Asset good{"G1", "Good"};
    Asset nan{"NAN", "Not a number"};
    nan.cost = std::numeric_limits<double>::quiet_NaN();
    // Huge figures and a method of stray bytes are still figures: computed and printed.
    Asset huge{"BIG", "Huge figures"};
    huge.cost = 1e300;
    huge.rate = 1e300;
    huge.prior = -1e300;
    huge.method = "\xff\xfe";
    client.writeRegister({good.record(), nan.record(), huge.record()});
    // An entry pointing past the end of depr.fil, and one to record 0 (an empty entry).
    auto idx = client.bytes("depr.idx");
    for (std::int16_t r : {std::int16_t{9}, std::int16_t{0}}) {
        const dp::IndexBytes e = dp::makeIndexBytes("LOST  ", r);
        idx.insert(idx.end(), e.begin(), e.end());
    }
    client.writeBytes("depr.idx", idx);
    const auto before = client.bytes("depr.fil");
    // The damaged index is refused: nothing computed, nothing written, nothing printed.
    std::string t = run("click 301\nanswer no\n", client.code());
    EXPECT_NE(t.find("message: Depreciation Report | The asset index depr.idx does not match the asset file depr.fil:"
                     "\\nentry 4 (LOST) points to record 9, which depr.fil does not hold"),
              std::string::npos)
        << t;
    EXPECT_EQ(client.bytes("depr.fil"), before);
    EXPECT_FALSE(fs::exists(client.path("report.txt")));
    // Rebuilt from depr.fil, the index lists the three records; the one that is not a number
    // is left out of the report and not changed.
    t = run("click 301\nanswer yes\nprinter cancel\n", client.code());
    EXPECT_NE(t.find("message: Depreciation Report | depr.idx was rebuilt from depr.fil: it now lists 3 assets"),
              std::string::npos)
        << t;
    EXPECT_NE(t.find("message: Depreciation Report | These rows of the asset file were left out of the report and "
                     "not changed:\\nasset NAN: its amounts are not numbers\n"),
              std::string::npos)
        << t;
    const auto after = client.bytes("depr.fil");
    ASSERT_EQ(after.size(), before.size());
    // The record that is not a number is untouched; the others were computed.
    EXPECT_TRUE(std::equal(after.begin() + 219, after.begin() + 438, before.begin() + 219));
    EXPECT_DOUBLE_EQ(client.readRecords()[0].Tax.CurrentDepr, 166.67);
    EXPECT_NE(reporttest::fileText(client.path("report.txt")).find("BIG    Huge figures"), std::string::npos);
}

TEST_F(ReportRun, EmptyIndexEntriesAreLeftOutWithAMessage) {
    TempClient client;
    reporttest::writeCompany(client);
    client.writeRegister({Asset{"G1", "Good"}.record()});
    auto idx = client.bytes("depr.idx");
    const dp::IndexBytes e = dp::makeIndexBytes("LOST  ", 0);
    idx.insert(idx.end(), e.begin(), e.end());
    client.writeBytes("depr.idx", idx);
    const std::string t = run("click 301\nprinter cancel\n", client.code());
    EXPECT_EQ(t,
              "dialog: Depreciation Report\n"
              "message: Depreciation Report | These rows of the asset file were left out of the report and not "
              "changed:\\nasset LOST: its index entry points to record 0, which the asset file does not hold\n");
    EXPECT_DOUBLE_EQ(client.readRecords()[0].Tax.CurrentDepr, 166.67);
}

TEST_F(ReportRun, EveryComputedRecordIsWrittenBackWhateverTheIndexOrder) {
    TempClient client;
    reporttest::writeCompany(client);
    std::vector<dp::AssetRecord> recs;
    for (int i = 1; i <= 150; ++i) {
        Asset a("N" + std::to_string(i), "Asset " + std::to_string(i));
        a.cost = 1000 + i;
        a.method = i % 3 == 0 ? "B200" : "SL";
        a.manual = i % 7 == 0 ? 'Y' : 'N';
        a.current = 1;
        if (i % 10 == 0) {
            recs.push_back(reporttest::headingRow("Heading " + std::to_string(i)));
            continue;
        }
        recs.push_back(a.record());
    }
    client.writeRegister(recs);
    // The index walks the file backwards.
    std::vector<unsigned char> idx;
    for (int i = 150; i >= 1; --i) {
        const dp::IndexBytes e = dp::makeIndexBytes(recs[static_cast<std::size_t>(i - 1)].AssetNumber, static_cast<std::int16_t>(i));
        idx.insert(idx.end(), e.begin(), e.end());
    }
    client.writeBytes("depr.idx", idx);
    const auto before = client.readRecords();
    run("click 301\nprinter cancel\n", client.code());
    const auto after = client.readRecords();
    ASSERT_EQ(after.size(), 150u);
    dp::ReportOptions o;
    o.reportDate = "12312004";
    const dp::EngineInputs in = dp::makeEngineInputs(o, "12312004");
    for (std::size_t i = 0; i < 150; ++i) {
        const dp::AssetRecord& was = before[i];
        const bool computed = !dp::date6IsMarker(was.DateAcquired, 'H') && was.Tax.Manual != 'Y';
        const dp::AssetRecord want = computed ? dp::computeDepreciation(was, in).record : was;
        EXPECT_EQ(after[i].encode(), want.encode()) << "record " << i + 1;
        if (computed) {
            EXPECT_NE(after[i].Tax.CurrentDepr, 1.0) << i + 1;
        }
    }
}

TEST_F(ReportRun, AnInvalidBasisEndsTheWalkButTheTotalsAreWritten) {
    TempClient client;
    reporttest::writeCompany(client);
    client.writeRegister({reporttest::headingRow("FIRST"), Asset{}.record(), Asset{"A2", "Second"}.record()});
    const auto before = client.bytes("depr.fil");
    reporttest::Installed<reporttest::ActingBackend> b([](platform::Dialog&) {});
    dp::ReportOptions options;
    options.reportDate = "12312004";
    options.reportBasis = "X";
    std::unique_ptr<dp::Client> opened = dp::Client::open(client.code(), "test");
    dp::reportWithOptions(*opened, options);
    EXPECT_EQ(b->log.str(), "message: Error | Invalid Basis selected\n");
    EXPECT_EQ(client.bytes("depr.fil"), before);
    const std::string text = reporttest::fileText(client.path("report.txt"));
    EXPECT_NE(text.find("FIRST"), std::string::npos);
    EXPECT_EQ(text.find("Test asset"), std::string::npos);
    EXPECT_NE(text.find("TOTALS FOR ALL ASSETS"), std::string::npos);
    EXPECT_NE(text.find("DEPRECIATION METHOD CODE SUMMARY"), std::string::npos);
}

TEST_F(ReportRun, EmptyRegisterStillPrintsHeadingTotalsAndSummary) {
    TempClient client;
    reporttest::writeCompany(client);
    const std::string t = run("click 301\nprinter 1*LPT1**N\n", client.code());
    const std::string report = dp::dataPath(client.code(), "report.txt");
    EXPECT_EQ(t, "dialog: Depreciation Report\nprint: " + report + ",LPT1,,/NP/80/FP\n");
    const std::string text = reporttest::fileText(report);
    EXPECT_EQ(text.find("Page  2"), std::string::npos);
    EXPECT_NE(text.find("DEPRECIATION METHOD CODE SUMMARY"), std::string::npos);
    // An empty register gets empty asset files, as every procedure opening the set does.
    EXPECT_TRUE(fs::exists(client.path("depr.fil")));
}

TEST_F(ReportRun, ClientCodeReachesTheSharedFileOperations) {
    TempClient client;
    reporttest::writeCompany(client);
    client.writeRegister({Asset{}.record()});
    run("click 301\nprinter cancel\n", client.code());
    EXPECT_DOUBLE_EQ(client.readRecords()[0].Tax.CurrentDepr, 166.67);
}

TEST_F(ReportRun, TheMenuButtonRunsTheReport) {
    TempClient client;
    reporttest::writeCompany(client);
    client.writeRegister({Asset{}.record()});
    ScriptRun r("click 403\nclick 301\nprinter cancel\nclick 409\n");
    dp::runMenu(client.code());
    EXPECT_NE(r.transcript().find("dialog: Depreciation Report\n"), std::string::npos);
    EXPECT_DOUBLE_EQ(client.readRecords()[0].Tax.CurrentDepr, 166.67);
}

}  // namespace

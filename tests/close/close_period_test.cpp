// "Close Current &Period" end to end on a client directory: the confirmation, Cancel, the new
// files and company dates, the refusals and the error recovery.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "close/close_period.h"
#include "entry/menu.h"
#include "platform/files.h"
#include "support/client_dir.h"

namespace dp {
namespace {

using dptest::makeAsset;
using dptest::makeCompany;
using dptest::ScriptRun;
using dptest::TempClient;

const char* const kConfirm2003 =
    "message: DEPRECIATION - CLOSE YEAR | Current Year END Date:12312003\\nNew Year End Date:    12312004\n";

struct ClosePeriodTest : ::testing::Test {
    TempClient client;


    std::vector<AssetRecord> sampleRegister() const {
        AssetRecord a = makeAsset("A1", "Truck", "010198");
        a.Book.PriorDepr = 100.25;
        a.Book.CurrentDepr = 50.126;
        a.Tax.PriorDepr = 100.5;
        a.Tax.CurrentDepr = 0.25;
        AssetRecord sold = makeAsset("B1", "Copier", "030399");
        date6FromText(sold.DateSold, "063003", true);
        sold.Tax.CurrentDepr = 40;
        AssetRecord gone = makeAsset("C1", "***DELETED***", "010100");
        gone.Book.CurrentDepr = 999;
        AssetRecord heading = makeAsset("H1", "Office", "H");
        return {a, sold, gone, heading};
    }

    void writeSample(const std::string& fiscalYearEnd = "12312003") {
        client.writeRegister(sampleRegister());
        CompanyRecord c = makeCompany("Acme Tools", fiscalYearEnd, fiscalYearEnd);
        c.IdNumber = fixedText("12-3456789", 11);
        c.CompanyName2 = fixedText("Acme Second Line", 25);
        c.Reserved3[10] = 0x7F;
        client.writeCompany(c);
    }

    std::string run(const std::string& script) {
        ScriptRun script_(script);
        RunClosePeriod(client.code());
        return script_.transcript();
    }

    CompanyRecord company() const {
        CompanyRecord c;
        auto b = client.bytes("company.fil");
        for (int n = 1; n <= 3 && static_cast<std::size_t>(n) * kCompanyRecordLength <= b.size(); ++n) {
            CompanyRecord::Bytes rb{};
            std::copy_n(b.begin() + (n - 1) * static_cast<std::ptrdiff_t>(kCompanyRecordLength), kCompanyRecordLength,
                        rb.begin());
            c.decodeRecord(n, rb);
        }
        return c;
    }

    struct Snapshot {
        std::vector<unsigned char> fil, idx, company;
        bool operator==(const Snapshot&) const = default;
    };
    Snapshot snapshot() const { return {client.bytes("depr.fil"), client.bytes("depr.idx"), client.bytes("company.fil")}; }
};

TEST_F(ClosePeriodTest, ClosesTheYear) {
    writeSample();
    const auto original = client.bytes("company.fil");
    const std::vector<unsigned char> record3(original.begin() + 162, original.end());
    EXPECT_EQ(run("answer ok"), kConfirm2003);  // a completed close shows nothing else

    const auto idx = client.readIndex();
    const auto recs = client.readRecords();
    ASSERT_EQ(idx.size(), 3u);
    ASSERT_EQ(recs.size(), 3u);
    const char* numbers[] = {"A1    ", "B1    ", "H1    "};
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(idx[k].AssetNumber, numbers[k]);
        EXPECT_EQ(idx[k].RecordNumber, static_cast<std::int16_t>(k + 1));
        EXPECT_EQ(recs[k].AssetNumber, numbers[k]);
        EXPECT_EQ(recs[k].Book.CurrentDepr, 0);
        EXPECT_EQ(recs[k].Tax.CurrentDepr, 0);
    }
    EXPECT_EQ(recs[0].Book.PriorDepr, 150.38);
    EXPECT_EQ(recs[0].Tax.PriorDepr, 100.75);
    EXPECT_EQ(recs[1].Tax.PriorDepr, 40);
    EXPECT_EQ(date6ToText(recs[1].DateSold, true), "063003");
    EXPECT_TRUE(date6IsMarker(recs[2].DateAcquired, 'H'));

    const CompanyRecord c = company();
    EXPECT_EQ(date6cToText(c.FiscalYearEnd), "12312004");
    EXPECT_EQ(date6cToText(c.CurrentPeriod), "12312004");
    EXPECT_EQ(c.CompanyName, fixedText("Acme Tools", 25));
    EXPECT_EQ(c.IdNumber, fixedText("12-3456789", 11));
    const auto after = client.bytes("company.fil");
    EXPECT_EQ(std::vector<unsigned char>(after.begin() + 162, after.end()), record3);

    // The work files have become the data files; no journal is left behind.
    EXPECT_FALSE(platform::fileExists(client.path("NEW.FIL")));
    EXPECT_FALSE(platform::fileExists(client.path("NEW.IDX")));
    EXPECT_FALSE(platform::fileExists(client.path(kNewCompanyName)));
    EXPECT_FALSE(platform::fileExists(client.path(platform::kReplaceJournalName)));
}

TEST_F(ClosePeriodTest, CancelChangesNothing) {
    writeSample();
    const Snapshot before = snapshot();
    EXPECT_EQ(run("answer cancel"),
              std::string(kConfirm2003) + "message:  | Close aborted . . . Returning to menu\n");
    EXPECT_TRUE(snapshot() == before);
    // The work files exist only while a close runs.
    EXPECT_FALSE(platform::fileExists(client.path("NEW.FIL")));
    EXPECT_FALSE(platform::fileExists(client.path("NEW.IDX")));
}

TEST_F(ClosePeriodTest, ClosingTwiceAdvancesTwiceAndCarriesZeros) {
    writeSample("06302003");
    run("answer ok");
    const auto firstRecords = client.readRecords();
    EXPECT_EQ(run("answer ok"),
              "message: DEPRECIATION - CLOSE YEAR | Current Year END Date:06302004\\nNew Year End Date:    06302005\n");
    EXPECT_EQ(date6cToText(company().FiscalYearEnd), "06302005");
    EXPECT_EQ(date6cToText(company().CurrentPeriod), "06302005");
    const auto second = client.readRecords();
    ASSERT_EQ(second.size(), firstRecords.size());
    for (std::size_t k = 0; k < second.size(); ++k) EXPECT_EQ(second[k].encode(), firstRecords[k].encode());
}

// A stray Enter at the confirmation closes nothing: its default button is Cancel.
TEST_F(ClosePeriodTest, EnterAtTheConfirmationClosesNothing) {
    writeSample();
    const Snapshot before = snapshot();
    EXPECT_EQ(run("enter"), std::string(kConfirm2003) + "message:  | Close aborted . . . Returning to menu\n");
    EXPECT_TRUE(snapshot() == before);
}

// A year whose figures were never computed (no report since the last close) is said so before the
// confirmation, naming the basis; closing it anyway takes a Yes, and Enter answers No.
TEST_F(ClosePeriodTest, AYearWithoutItsFiguresIsSaidSoFirst) {
    AssetRecord a = makeAsset("A1", "Truck", "010103");
    a.Book.Cost = a.Tax.Cost = 1000;
    a.Tax.CurrentDepr = 200;  // the report ran on the tax basis only
    client.writeRegister({a});
    client.writeCompany(makeCompany("Acme Tools", "12312003", "12312003"));
    const Snapshot before = snapshot();
    const std::string question =
        "message: DEPRECIATION - CLOSE YEAR | No depreciation has been computed for the year ending 12/31/2003 on the "
        "book basis: every asset that is not fully depreciated has a current-year amount of 0. The Depreciation Report "
        "computes these amounts; a close now carries nothing into prior depreciation for this year.\\nClose the year "
        "anyway?\n";
    const std::string aborted = "message:  | Close aborted . . . Returning to menu\n";
    for (const char* no : {"enter", "answer no"}) {
        EXPECT_EQ(run(no), question + aborted) << no;
        EXPECT_TRUE(snapshot() == before) << no;
    }
    EXPECT_EQ(run("answer yes\nanswer cancel"), question + kConfirm2003 + aborted);
    EXPECT_TRUE(snapshot() == before);
    EXPECT_EQ(run("answer yes\nanswer ok"), question + kConfirm2003);
    EXPECT_EQ(date6cToText(company().FiscalYearEnd), "12312004");
    EXPECT_EQ(client.readRecords()[0].Tax.PriorDepr, 200);

    // Closing again at once: neither basis has figures now, and the year stays.
    const Snapshot closed = snapshot();
    const std::string again = run("enter");
    EXPECT_NE(again.find("for the year ending 12/31/2004 on the book and tax bases"), std::string::npos) << again;
    EXPECT_TRUE(snapshot() == closed);
}

TEST_F(ClosePeriodTest, TwoDigitYearBecomesFourDigits) {
    client.writeRegister({});
    CompanyRecord c = makeCompany("Old", "12311998", "12311998");
    c.FiscalYearEnd.year = 98;
    c.CurrentPeriod.year = 98;
    client.writeCompany(c);
    EXPECT_EQ(run("answer ok"),
              "message: DEPRECIATION - CLOSE YEAR | Current Year END Date:12311998\\nNew Year End Date:    12311999\n");
    EXPECT_EQ(company().FiscalYearEnd.year, 1999);
}

TEST_F(ClosePeriodTest, EmptyRegisterStillAdvancesTheYear) {
    CompanyRecord c = makeCompany("Acme", "12312003", "09302003");
    client.writeCompany(c);  // no asset files at all
    EXPECT_EQ(run("answer ok"), kConfirm2003);
    EXPECT_EQ(platform::fileSize(client.path("depr.fil")), 0);
    EXPECT_EQ(platform::fileSize(client.path("depr.idx")), 0);
    EXPECT_EQ(date6cToText(company().FiscalYearEnd), "12312004");
    EXPECT_EQ(date6cToText(company().CurrentPeriod), "12312004");  // follows the fiscal year end
}

TEST_F(ClosePeriodTest, EmptyClientCodeIsRefused) {
    ScriptRun script("");
    RunClosePeriod("");
    EXPECT_EQ(script.transcript(), "message: Error in Client Code | invalid Client Code\n");
}

TEST_F(ClosePeriodTest, CompanyWithoutFiscalYearEndIsRefused) {
    client.writeRegister(sampleRegister());
    client.writeCompany(makeCompany("Acme", "", ""));  // blank month and day, year 0
    const Snapshot before = snapshot();
    const std::string t = run("");  // no confirmation is asked
    EXPECT_EQ(t, "message: DEPRECIATION - CLOSE YEAR | The company file has no fiscal year end. Enter it in "
                 "Company File Maintenance, then close the period.\n");
    EXPECT_TRUE(snapshot() == before);

    // A missing company file is not created by the refusal.
    std::filesystem::remove(client.path("company.fil"));
    run("");
    EXPECT_FALSE(platform::fileExists(client.path("company.fil")));
}

TEST_F(ClosePeriodTest, MissingDataDirectoryIsCreated) {
    std::filesystem::remove_all(client.code());
    const std::string t = run("");
    EXPECT_TRUE(platform::directoryExists(client.code()));
    // The opening stage ran again in the new, empty directory: there is no company yet.
    EXPECT_NE(t.find("has no fiscal year end"), std::string::npos) << t;
    EXPECT_EQ(platform::fileSize(client.path("depr.idx")), 0);
}

TEST_F(ClosePeriodTest, DirectoryThatCannotBeCreatedEndsWithTheErrorMessage) {
    ScriptRun script("");
    RunClosePeriod(client.path("missing/client"));  // only one level is created
    EXPECT_EQ(script.transcript(), "message:  0 | Error  76 has occurred - click ok to exit\\nThe data directory " +
                                       client.path("missing/client") +
                                       " cannot be made (the file or folder does not exist).\n");
    EXPECT_FALSE(platform::directoryExists(client.path("missing")));
}

TEST_F(ClosePeriodTest, WorkFileThatCannotBeOpenedEndsWithTheErrorMessage) {
    writeSample();
    const Snapshot before = snapshot();
    std::filesystem::create_directory(client.path("NEW.FIL"));
    EXPECT_EQ(run(""), "message:  0 | Error  53 has occurred - click ok to exit\\nThe year was not closed (it is "
                       "not an ordinary file); nothing was changed.\n");
    EXPECT_TRUE(snapshot() == before);
}

TEST_F(ClosePeriodTest, CompanyWorkFileFailureLeavesTheOldYear) {
    writeSample();
    const Snapshot before = snapshot();
    std::filesystem::create_directory(client.path(kNewCompanyName));
    EXPECT_EQ(run("answer ok"), std::string(kConfirm2003) +
                                    "message:  8 | Error  75 has occurred - click ok to exit\\nThe year was not "
                                    "closed (it is not an ordinary file); nothing was changed.\n");
    EXPECT_TRUE(snapshot() == before);
    EXPECT_FALSE(platform::fileExists(client.path("NEW.FIL")));
    EXPECT_FALSE(platform::fileExists(client.path("NEW.IDX")));
}

TEST_F(ClosePeriodTest, AnIndexWithMoreEntriesThanRecordNumbersIsRefused) {
    // 32768 index entries all naming record 1: the close would write 32768 copies of one asset.
    client.writeRegister({makeAsset("A1", "Truck", "010198")});
    std::vector<unsigned char> idx;
    const IndexBytes e = makeIndexBytes("A1", 1);
    for (int i = 0; i <= kMaxRecords; ++i) idx.insert(idx.end(), e.begin(), e.end());
    client.writeBytes("depr.idx", idx);
    client.writeCompany(makeCompany("Acme", "12312003", "12312003"));
    const Snapshot before = snapshot();
    const std::string t = run("answer no");
    EXPECT_EQ(t.rfind("message: DEPRECIATION - CLOSE YEAR | The asset index depr.idx does not match", 0), 0u) << t;
    EXPECT_NE(t.find("more entries than the register can address"), std::string::npos);
    EXPECT_TRUE(snapshot() == before);
}

// An index with entries that point outside depr.fil is refused, nothing changed; the repair
// rebuilds it from the asset file, and the next close carries the whole register over.
TEST_F(ClosePeriodTest, IndexEntriesOutsideTheFileAreRefusedAndRepaired) {
    client.writeRegister({makeAsset("B1", "Desk", "010198"), makeAsset("A1", "Truck", "010198")});
    std::vector<unsigned char> idx;
    for (const IndexBytes& e : {makeIndexBytes("B1", 1), makeIndexBytes("ZZ", 0), makeIndexBytes("QQ", 3),
                                makeIndexBytes("NEG", -5)})
        idx.insert(idx.end(), e.begin(), e.end());
    client.writeBytes("depr.idx", idx);
    client.writeCompany(makeCompany("Acme", "12312003", "12312003"));
    const Snapshot before = snapshot();
    std::string t = run("answer no");
    EXPECT_NE(t.find("entry 3 (QQ) points to record 3, which depr.fil does not hold"), std::string::npos) << t;
    EXPECT_NE(t.find("entry 4 (NEG) points to record -5"), std::string::npos) << t;
    EXPECT_NE(t.find("asset A1 in record 2 has no entry"), std::string::npos) << t;
    EXPECT_TRUE(snapshot() == before);

    t = run("answer yes");
    EXPECT_NE(t.find("depr.idx was rebuilt from depr.fil: it now lists 2 assets"), std::string::npos) << t;
    EXPECT_NE(t.find("Check the register, then close the period again."), std::string::npos) << t;
    EXPECT_EQ(client.bytes("BADDEPR.IDX"), idx);
    EXPECT_EQ(before.fil, client.bytes("depr.fil"));

    run("answer ok");
    const auto index = client.readIndex();
    const auto recs = client.readRecords();
    ASSERT_EQ(index.size(), 2u);
    ASSERT_EQ(recs.size(), 2u);
    EXPECT_EQ(index[0].AssetNumber, "A1    ");
    EXPECT_EQ(recs[0].AssetNumber, "A1    ");
    EXPECT_EQ(index[1].AssetNumber, "B1    ");
    EXPECT_EQ(recs[1].AssetNumber, "B1    ");
}

TEST_F(ClosePeriodTest, UpperCaseFileNamesKeepTheirSpelling) {
    writeSample();
    std::filesystem::rename(client.path("depr.fil"), client.path("DEPR.FIL"));
    std::filesystem::rename(client.path("company.fil"), client.path("COMPANY.FIL"));
    run("answer ok");
    EXPECT_TRUE(platform::fileExists(client.path("DEPR.FIL")));
    EXPECT_FALSE(platform::fileExists(client.path("depr.fil")));
    EXPECT_FALSE(platform::fileExists(client.path("company.fil")));
    EXPECT_EQ(client.readRecords().size(), 3u);
    EXPECT_EQ(platform::fileSize(client.path("COMPANY.FIL")), 3 * 81);
}

TEST_F(ClosePeriodTest, OpeningTheClientFinishesAnInterruptedClose) {
    writeSample();
    platform::setReplaceFaultAfter(2);  // journal in place, one rename done
    run("answer ok");
    platform::setReplaceFaultAfter(-1);
    ASSERT_TRUE(platform::fileExists(client.path(platform::kReplaceJournalName)));
    ASSERT_TRUE(Client::open(client.code(), "next user"));
    CompanyRecord c;
    readCompanyFile(client.code(), c);
    EXPECT_EQ(date6cToText(c.FiscalYearEnd), "12312004");
    EXPECT_EQ(client.readRecords().size(), 3u);
    EXPECT_FALSE(platform::fileExists(client.path(platform::kReplaceJournalName)));
}

TEST_F(ClosePeriodTest, FromTheMenu) {
    writeSample();
    ScriptRun script("click 404\nanswer cancel\nclick 404\nanswer ok\nclick 409");
    EXPECT_EQ(runMenu(client.code()), 0);
    const std::string t = script.transcript();
    EXPECT_NE(t.find("Close aborted . . . Returning to menu"), std::string::npos) << t;
    EXPECT_EQ(date6cToText(company().FiscalYearEnd), "12312004");
    EXPECT_EQ(client.readRecords().size(), 3u);
}

}  // namespace
}  // namespace dp

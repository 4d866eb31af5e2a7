#include <filesystem>

#include "fixture.h"
#include "register/company_maintenance.h"

using namespace dp;
using mt::ClientTest;

namespace {

using CompanyTest = ClientTest;

std::string runCompany(const std::string& clientCode, const std::string& script) {
    dptest::ScriptRun run(script);
    RunCompanyMaintenance(clientCode);
    return run.transcript();
}

CompanyRecord stored(const dptest::TempClient& client) {
    CompanyRecord c;
    readCompanyFile(client.code(), c);
    return c;
}

std::string monthDay(const Date6c& d) { return std::string(d.monthDay.data(), 4); }

}  // namespace

TEST(CompanyLayout, EightBoxesAndOk) {
    const auto t = buildCompanyMaintenanceDialog("ACME  ", CompanyEdit{});
    EXPECT_EQ(t.caption, "Company File Maintenance  (ACME)");
    EXPECT_EQ(t.width, 260);
    EXPECT_EQ(t.height, 195);
    EXPECT_EQ(t.icon, "PROGRAM");
    ASSERT_EQ(t.controls.size(), 17u);
    EXPECT_EQ(t.controls[1].text, "Company Name line 2");
    EXPECT_EQ(t.controls[1].y, 25);
    EXPECT_EQ(t.controls[7].text, "Identification Number");
    EXPECT_EQ(t.controls[7].y, 115);
    const int widths[] = {100, 100, 100, 100, 60, 100, 60, 60};
    for (int i = 0; i < 8; ++i) {
        const auto& c = t.controls[static_cast<std::size_t>(8 + i)];
        EXPECT_EQ(c.kind, platform::ControlKind::Edit);
        EXPECT_EQ(c.id, 201 + i);
        EXPECT_EQ(c.x, 105);
        EXPECT_EQ(c.y, 8 + 15 * i);
        EXPECT_EQ(c.width, widths[i]);
    }
    EXPECT_EQ(t.controls[16].id, 301);
    EXPECT_EQ(t.controls[16].text, "OK");
    EXPECT_EQ(t.controls[16].x, 110);
    EXPECT_EQ(t.controls[16].y, 150);
}

TEST_F(CompanyTest, TypedDatesAreStoredWithTheReportsCentury) {
    client.writeCompany(dptest::makeCompany("Acme", "12312002", "06302002"));
    const struct {
        const char* typed;
        const char* monthDay;
        int year;
    } cases[] = {
        {"123103", "1231", 2003},   // two-digit years below 50 are this century
        {"123100", "1231", 2000},
        {"123149", "1231", 2049},
        {"123150", "1231", 1950},
        {"123199", "1231", 1999},
        {"12312003", "1231", 2003},
        {"", "    ", 0},  // no date yet
    };
    for (const auto& c : cases) {
        runCompany(code(), std::string("type 205 ") + c.typed + "\ntype 207 " + c.typed + "\nclick 301\n");
        const CompanyRecord r = stored(client);
        EXPECT_EQ(monthDay(r.FiscalYearEnd), c.monthDay) << c.typed;
        EXPECT_EQ(r.FiscalYearEnd.year, c.year) << c.typed;
        EXPECT_EQ(r.CurrentPeriod.year, c.year) << c.typed;
        EXPECT_EQ(trimRight(r.CompanyName), "Acme");
    }
}

TEST_F(CompanyTest, OldTwoDigitYearsStillReadAsNineteenHundreds) {
    CompanyRecord c = dptest::makeCompany("Old Co", "12311998", "12311998");
    c.FiscalYearEnd.year = 98;
    client.writeCompany(c);
    runCompany(code(), "close\n");
    const CompanyRecord r = stored(client);
    EXPECT_EQ(r.FiscalYearEnd.year, 1998);
    EXPECT_EQ(date6cToText(r.FiscalYearEnd), "12311998");
}

TEST_F(CompanyTest, CloseBoxSavesLikeOk) {
    client.writeCompany(dptest::makeCompany("Acme", "12312002", "06302002"));
    runCompany(code(), "type 201 Acme Tools Incorporated And Sons\ntype 206 Machining\ntype 208 12-3456789\nclose\n");
    const CompanyRecord r = stored(client);
    EXPECT_EQ(r.CompanyName, "Acme Tools Incorporated A");
    EXPECT_EQ(trimRight(r.Activity), "Machining");
    EXPECT_EQ(r.IdNumber, "12-3456789 ");
    EXPECT_EQ(date6cToText(r.FiscalYearEnd), "12312002");
    EXPECT_EQ(date6cToText(r.CurrentPeriod), "06302002");
}

TEST_F(CompanyTest, NewEmptyFileGetsAllThreeRecords) {
    const std::string t = runCompany(code(), "click 301\n");
    EXPECT_TRUE(mt::hasLine(t, "dialog: Company File Maintenance  (" + code() + ")"));
    const auto bytes = client.bytes("company.fil");
    ASSERT_EQ(bytes.size(), 3 * kCompanyRecordLength);
    const CompanyRecord r = stored(client);
    EXPECT_EQ(r.CompanyName, std::string(25, ' '));
    EXPECT_EQ(r.CompanyName2, std::string(25, ' '));
    EXPECT_EQ(r.IdNumber, std::string(11, ' '));
    EXPECT_EQ(r.FiscalYearEnd.year, 0);
    EXPECT_EQ(r.CurrentPeriod.year, 0);
}


TEST_F(CompanyTest, NulSecondNameLineShowsAndSavesAsBlanks) {
    CompanyRecord c = dptest::makeCompany("Acme", "12312002", "06302002");
    c.CompanyName2 = std::string(25, '\0');
    c.Reserved3[0] = 7;  // reserved bytes are written as read
    client.writeCompany(c);
    runCompany(code(), "click 301\n");
    const CompanyRecord r = stored(client);
    EXPECT_EQ(r.CompanyName2, std::string(25, ' '));
    EXPECT_EQ(r.Reserved3[0], 7);
}

TEST_F(CompanyTest, DatesAreReadInEveryFormAndStoredAsEightDigits) {
    client.writeCompany(dptest::makeCompany("Acme", "12312002", "06302002"));
    const struct {
        const char* typed;
        const char* stored;
    } cases[] = {
        {"12/31/2003", "12312003"}, {"12-31-2003", "12312003"}, {"6/30/05", "06302005"},
        {"63005", "06302005"},      {"6302005", "06302005"},    {"063005", "06302005"},
    };
    for (const auto& c : cases) {
        const std::string t = runCompany(code(), std::string("type 205 ") + c.typed + "\ntype 207 " + c.typed + "\nclick 301\n");
        EXPECT_EQ(mt::countPrefix(t, "message:"), 0) << c.typed << "\n" << t;
        EXPECT_EQ(date6cToText(stored(client).FiscalYearEnd), c.stored) << c.typed;
        EXPECT_EQ(date6cToText(stored(client).CurrentPeriod), c.stored) << c.typed;
    }
}

TEST_F(CompanyTest, DatesThatAreNotDatesAreRefusedAndTheDialogComesBack) {
    client.writeCompany(dptest::makeCompany("Acme", "12312002", "06302002"));
    const auto before = client.bytes("company.fil");
    // The refused date is named, the dialog opens again on its box with what was typed, and the
    // corrected entries are saved.
    const std::string t = runCompany(code(), "type 201 Renamed\ntype 205 13312003\nclick 301\ntype 205 12312003\nclick 301\n");
    EXPECT_TRUE(mt::hasLine(t, "message: Fiscal Year End | \"13312003\" is not a date: there is no month 13. Type it "
                               "month first: MMDDYY, MMDDYYYY or MM/DD/YYYY, e.g. 03/15/2004. Or leave it empty."))
        << t;
    EXPECT_EQ(mt::countPrefix(t, "dialog: Company File Maintenance"), 2);
    const CompanyRecord r = stored(client);
    EXPECT_EQ(trimRight(r.CompanyName), "Renamed");
    EXPECT_EQ(date6cToText(r.FiscalYearEnd), "12312003");

    // Each of these is refused in either box, also by the close box, until it is mended.
    for (const char* typed : {"1331", "02302003", "1231200", "abcdef", "022903", "00152003", "13/45/2004"}) {
        for (const char* box : {"205", "207"}) {
            client.writeBytes("company.fil", before);
            const std::string s = runCompany(code(), std::string("type ") + box + " " + typed + "\nclose\ntype " +
                                                         box + " 6/30/04\nclick 301\n");
            EXPECT_EQ(mt::countPrefix(s, "message: "), 1) << typed << " in " << box << "\n" << s;
            EXPECT_NE(s.find(std::string("\"") + typed + "\" is not a date"), std::string::npos) << s;
            const CompanyRecord c = stored(client);
            EXPECT_EQ(date6cToText(std::string(box) == "205" ? c.FiscalYearEnd : c.CurrentPeriod), "06302004");
        }
    }
}

TEST_F(CompanyTest, AStoredDateLeftAsItWasIsNotRefused) {
    CompanyRecord c = dptest::makeCompany("Old", "12312002", "12312002");
    c.FiscalYearEnd = date6cFromText("1231");  // year 0: written by an older program
    client.writeCompany(c);
    const std::string t = runCompany(code(), "type 201 Kept\nclick 301\n");
    EXPECT_EQ(mt::countPrefix(t, "message:"), 0) << t;
    EXPECT_EQ(stored(client).FiscalYearEnd.year, 0);
    EXPECT_EQ(trimRight(stored(client).CompanyName), "Kept");
}

TEST_F(CompanyTest, ASaveThatFailsIsToldAndCanBeLeftOrTriedAgain) {
    client.writeCompany(dptest::makeCompany("Acme", "12312002", "06302002"));
    const auto before = client.bytes("company.fil");
    {
        // Cancel leaves without saving; the file is as it was.
        dptest::ScriptRun run("type 201 Lost\nclick 301\nanswer cancel\n");
        platform::injectFileFault(0, platform::FileError::ReadOnly);
        RunCompanyMaintenance(code());
        platform::injectFileFault(-1);
        EXPECT_TRUE(mt::hasLine(run.transcript(), "message: Company File Maintenance | The company file was not saved: "
                                                  "the disk is read-only.\\nOK shows your entries again; Cancel "
                                                  "leaves without saving them."))
            << run.transcript();
    }
    EXPECT_EQ(client.bytes("company.fil"), before);
    {
        // OK shows the entries again; the second save goes through.
        dptest::ScriptRun run("type 201 Second try\nclick 301\nanswer ok\nclick 301\n");
        platform::injectFileFault(0, platform::FileError::DiskFull);
        RunCompanyMaintenance(code());
        platform::injectFileFault(-1);
        EXPECT_EQ(mt::countPrefix(run.transcript(), "dialog: Company File Maintenance"), 2);
    }
    EXPECT_EQ(trimRight(stored(client).CompanyName), "Second try");
}

TEST_F(CompanyTest, AnUnreadableCompanyFileIsNotOverwritten) {
    platform::makeDirectory(client.path("company.fil"));
    std::string t = runCompany(code(), "");
    EXPECT_EQ(t, "message: Company File Maintenance | The client's file " + client.path("company.fil") +
                     " cannot be used: it is not an ordinary file.\\nNothing was changed.\n");
    std::filesystem::remove(client.path("company.fil"));
    // Longer than its three records: damaged, and left as it is.
    const std::vector<unsigned char> tooLong(3 * kCompanyRecordLength + 1, 'x');
    client.writeBytes("company.fil", tooLong);
    t = runCompany(code(), "");
    EXPECT_NE(t.find("company.fil cannot be used: it is larger than such a file can be, so it is damaged."),
              std::string::npos)
        << t;
    EXPECT_EQ(client.bytes("company.fil"), tooLong);
}

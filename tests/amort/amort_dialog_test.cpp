// The amortization dialog driven by scripts: its layout, how entries are kept and typed, every
// way a showing ends, and the loop that reopens it.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "amort/amort_dialog.h"
#include "amort/amortization.h"
#include "platform/backend.h"
#include "register/asset_files.h"
#include "support/client_dir.h"

namespace {

using dptest::ScriptRun;
using dptest::TempClient;

struct PrintCall {
    std::string file, title, job;
};
std::vector<PrintCall> printed;

void recordPrint(const std::string& file, const std::string& title, const std::string& job) {
    printed.push_back({file, title, job});
}

class AmortDialog : public ::testing::Test {
protected:
    void SetUp() override {
        dp::amortEntries() = dp::LoanEntries{};
        printed.clear();
        previous_ = dp::setAmortPrinter(recordPrint);
    }
    void TearDown() override { dp::setAmortPrinter(previous_); }

    std::string run(const std::string& script) {
        ScriptRun s(script);
        dp::RunAmortization(client.code());
        return s.transcript();
    }
    std::string caption() const { return "dialog: Amortization Schedule  (" + client.code() + ")"; }
    std::string report() const {
        std::ifstream f(client.path("report.txt"), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    }
    static int count(const std::string& text, const std::string& what) {
        int n = 0;
        for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
        return n;
    }

    TempClient client;
    dp::AmortPrinter previous_ = nullptr;
};

const char* const kLoan =
    "type 201 Truck\n"
    "type 202 10000\n"
    "type 203 8\n"
    "type 204 36\n"
    "type 205 u\n"
    "type 206 010124\n"
    "type 208 1\n";

TEST(AmortDialogLayout, ControlsInTheirOrder) {
    dp::amortEntries() = dp::LoanEntries{};
    dp::amortEntries().heading = "kept";
    dp::amortEntries().payment = "313.37";
    const platform::DialogTemplate t = dp::buildAmortDialog("ACME  ");
    EXPECT_EQ(t.caption, "Amortization Schedule  (ACME)");
    EXPECT_EQ(t.icon, "PROGRAM");
    struct Want {
        platform::ControlKind kind;
        int id;
        const char* text;
    };
    using K = platform::ControlKind;
    const Want want[] = {
        {K::Label, 101, "Report heading"},
        {K::Label, 102, "Loan amount"},
        {K::Label, 103, "Annual interest rate (U=Unknown)"},
        {K::Label, 104, "Term (months)"},
        {K::Label, 105, "Base monthly payment (U=Unknown)"},
        {K::Label, 106, "Date of first payment"},
        {K::Label, 107, "Month for year end"},
        {K::Label, 108, "Beginning month to print"},
        {K::Label, 109, "Ending month to print"},
        {K::Label, 110, "Additional payments (taxes,insurance,etc.)"},
        {K::Frame, 111, ""},
        {K::Label, 121, "  Accelerated Payoff"},
        {K::Label, 112, "One-time extra payment"},
        {K::Label, 113, "Per year extra payment (every 12 months)"},
        {K::CheckBox, 115, "26 payments per year (biweekly)"},
        {K::Edit, 201, "kept"},
        {K::Edit, 202, ""},
        {K::Edit, 203, ""},
        {K::Edit, 204, ""},
        {K::Edit, 205, "313.37"},  // as kept: showAmortDialog empties it before a fresh showing
        {K::Edit, 206, ""},
        {K::Edit, 207, ""},
        {K::Edit, 208, ""},
        {K::Edit, 209, ""},
        {K::Edit, 210, ""},
        {K::Edit, 212, ""},
        {K::Edit, 213, ""},
        {K::Frame, 195, ""},
        {K::Button, 199, "E&xit"},
        {K::Button, 194, "Print"},
    };
    ASSERT_EQ(t.controls.size(), std::size(want));
    for (std::size_t i = 0; i < std::size(want); ++i) {
        EXPECT_EQ(t.controls[i].kind, want[i].kind) << i;
        EXPECT_EQ(t.controls[i].id, want[i].id) << i;
        EXPECT_EQ(t.controls[i].text, want[i].text) << i;
    }
}

TEST_F(AmortDialog, ScheduleIsPrintedAndTheDialogOpensAgainForTheNextLoan) {
    const std::string t = run(std::string(kLoan) + "click 194\nclick 199\n");
    EXPECT_EQ(count(t, caption()), 2);
    EXPECT_EQ(count(t, "message:"), 0);
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0].job, "AMORT");
    EXPECT_EQ(printed[0].file, client.path("report.txt"));
    EXPECT_EQ(printed[0].title, printed[0].file);
    const std::string r = report();
    EXPECT_NE(r.find("Description        Truck\r\n"), std::string::npos);
    EXPECT_NE(r.find(" 36 12/01/26     313.19"), std::string::npos);
    EXPECT_EQ(r.substr(r.size() - 3), "\f\r\n");
    // The heading is emptied for the next loan; the other entries are kept; "u" became "U".
    EXPECT_EQ(dp::amortEntries().heading, "");
    EXPECT_EQ(dp::amortEntries().amount, "10000");
    EXPECT_EQ(dp::amortEntries().rate, "8");
    EXPECT_EQ(dp::amortEntries().payment, "");  // emptied at the second opening
}

TEST_F(AmortDialog, LowerCaseUnknownIsUpperCasedAsTyped) {
    run("type 203 u\ntype 205 12ab\nclick 199\n");
    EXPECT_EQ(dp::amortEntries().rate, "U");
    EXPECT_EQ(dp::amortEntries().payment, "12AB");
}

TEST_F(AmortDialog, BothUnknownWithBlanksIsRefusedAndTheDialogStays) {
    const std::string t = run("type 203  U\ntype 205 U \nclick 194\ntype 201 still open\nclick 199\n");
    EXPECT_NE(t.find("message: Error | Cannot calculate both Rate and Payment"), std::string::npos);
    EXPECT_EQ(count(t, caption()), 1);
    EXPECT_EQ(dp::amortEntries().heading, "still open");
    EXPECT_TRUE(printed.empty());
}

TEST_F(AmortDialog, CloseBoxProcessesWithoutTheBothUnknownTest) {
    const std::string t = run(
        "type 202 10000\ntype 203 U\ntype 204 36\ntype 205 U\nclose\n"
        "click 199\n");
    EXPECT_NE(t.find("message: Calculate Interest or payment | ONLY ONE UNKNOWN ALLOWED"), std::string::npos);
    EXPECT_EQ(count(t, caption()), 2);
}

// A refusal keeps every entry as typed, the "U" to solve for included; the dialog opens again
// with the focus on the box at fault, and a heading of "A" then ends the amortization.
TEST_F(AmortDialog, FailureReopensWithEveryEntryKeptAndHeadingAEnds) {
    const std::string t = run(std::string(kLoan) +
                              "type 206 13/45/24\n"
                              "click 194\n"
                              "type 201 A\n"
                              "click 194\n");
    EXPECT_NE(t.find("message: Date of 1st payment | INVALID DATE S/B mmddyy"), std::string::npos);
    EXPECT_EQ(count(t, caption()), 2);
    EXPECT_EQ(dp::amortEntries().firstPaymentDate, "13/45/24");
    EXPECT_EQ(dp::amortEntries().payment, "U");
    EXPECT_EQ(dp::amortEntries().amount, "10000");
    EXPECT_TRUE(printed.empty());
}

// Every refusal, of either mode, keeps the entries; pressing "Print" again after mending only
// the box at fault prints the schedule.
TEST_F(AmortDialog, AfterARefusalOnlyTheBoxAtFaultNeedsMending) {
    const struct {
        const char* wrong;   // typed before the first "Print"
        const char* mended;  // typed after the refusal
        const char* message;
    } cases[] = {
        {"type 202 25,00\n", "type 202 25,000\n", "message: Loan amount | \"25,00\" is not a number"},
        {"type 203 five\n", "type 203 5\n", "message: Interest Rate | REENTER"},
        {"type 204 36mo\n", "type 204 36\n", "message: Term of loan (months) | REENTER"},
        {"type 206 02/30/24\n", "type 206 02/28/24\n", "message: Date of 1st payment | INVALID DATE S/B mmddyy"},
        {"type 206 \n", "type 206 3/1/2024\n", "message: Date of first payment | INVALID DATE S/B mmddyy"},
        {"type 207 June\n", "type 207 6\n", "message: FYE month | REENTER"},
        {"type 208 first\n", "type 208 1\n", "message: Beginning Month to print | Must be Numeric"},
        {"type 212 1 500\n", "type 212 1,500\n", "message: One-time extra payment | \"1 500\" is not a number"},
    };
    for (const auto& c : cases) {
        dp::amortEntries() = dp::LoanEntries{};
        printed.clear();
        const std::string t = run(std::string(kLoan) + c.wrong + "click 194\n" + c.mended + "click 194\nclick 199\n");
        EXPECT_NE(t.find(c.message), std::string::npos) << c.wrong << t;
        EXPECT_EQ(count(t, "message:"), 1) << c.wrong << t;
        EXPECT_EQ(count(t, caption()), 3) << c.wrong << t;
        EXPECT_EQ(printed.size(), 1u) << c.wrong;
        EXPECT_EQ(dp::amortEntries().payment, "") << "a printed schedule's next loan starts with an empty payment";
    }
}

TEST(AmortDialogFocus, TheDialogOpensOnTheBoxItIsGiven) {
    dp::amortEntries() = dp::LoanEntries{};
    for (int box : {201, 205, 206, 213}) {
        platform::Dialog d(dp::buildAmortDialog("X"));
        dp::AmortOutcome outcome;
        d.attach(dp::amortHandler(&outcome, box));
        d.dispatch({platform::EventKind::Init, 0});
        EXPECT_EQ(d.focus(), box);
        // Enter goes on from there.
        d.dispatch({platform::EventKind::Command, platform::kEnterCommand});
        EXPECT_EQ(d.focus(), box == 213 ? 201 : box + 1);
    }
}

TEST_F(AmortDialog, AfterAFailureTheEntriesAreCheckedAgainFromTheStart) {
    const std::string t = run(std::string(kLoan) +
                              "type 206 \n"
                              "click 194\n"
                              "type 206 70124\n"
                              "click 194\n"
                              "click 199\n");
    EXPECT_NE(t.find("message: Date of first payment | INVALID DATE S/B mmddyy"), std::string::npos);
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_NE(report().find("  1 07/01/24 "), std::string::npos);
}

TEST_F(AmortDialog, HeadingZeroEndsOnlyAfterAFailure) {
    run(std::string(kLoan) + "type 201 0\nclick 194\nclick 199\n");
    ASSERT_EQ(printed.size(), 1u);  // a first showing takes "0" as an ordinary heading
}

TEST_F(AmortDialog, SolvedRateStaysAsItsAnnualPercentage) {
    run("type 201 Truck\ntype 202 10000\ntype 203 U\ntype 204 36\ntype 205 313.37\ntype 206 010124\n"
        "type 208 1\nclick 194\nclick 199\n");
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(dp::amortEntries().rate, "8.000");
    EXPECT_NE(report().find("Interest Rate        8.000%"), std::string::npos);
}

TEST_F(AmortDialog, RateSearchFailureKeepsTheUnknownRate) {
    const std::string t = run("type 202 10000\ntype 203 U\ntype 204 36\ntype 205 200\nclick 194\nclick 199\n");
    EXPECT_NE(t.find("message: Interest rate | BELOW 1%"), std::string::npos);
    EXPECT_EQ(dp::amortEntries().rate, "U");
}

TEST_F(AmortDialog, ExitEndsTheAmortization) {
    {
        ScriptRun s("type 205 313\nclick 199\n");
        dp::amortEntries().payment = "kept?";
        EXPECT_EQ(dp::showAmortDialog(client.code()), dp::AmortOutcome::Exit);
        EXPECT_EQ(dp::amortEntries().payment, "313");
    }
    {
        ScriptRun s("close\n");
        dp::amortEntries().heading = "Truck";
        EXPECT_EQ(dp::showAmortDialog(client.code()), dp::AmortOutcome::Process);
        EXPECT_EQ(dp::amortEntries().payment, "");  // the box opened empty
    }
    {
        // After a refusal the payment stays.
        ScriptRun s("close\n");
        dp::amortEntries().payment = "U";
        EXPECT_EQ(dp::showAmortDialog(client.code(), 206), dp::AmortOutcome::Process);
        EXPECT_EQ(dp::amortEntries().payment, "U");
    }
    const std::string t = run("click 199\n");
    EXPECT_EQ(count(t, caption()), 1);
}

TEST(AmortDialogKeys, EnterMovesToTheNextTextBox) {
    dp::amortEntries() = dp::LoanEntries{};
    platform::Dialog d(dp::buildAmortDialog("X"));
    dp::AmortOutcome outcome;
    d.attach(dp::amortHandler(&outcome));
    d.dispatch({platform::EventKind::Init, 0});
    EXPECT_EQ(d.focus(), 201);
    d.dispatch({platform::EventKind::Command, platform::kEnterCommand});
    EXPECT_EQ(d.focus(), 202);
    // Typing makes a box the current field; Enter goes on from there, past the missing 211.
    d.userType(209, "36");
    d.dispatch({platform::EventKind::Command, platform::kEnterCommand});
    EXPECT_EQ(d.focus(), 210);
    d.dispatch({platform::EventKind::Command, platform::kEnterCommand});
    EXPECT_EQ(d.focus(), 212);
    d.dispatch({platform::EventKind::Command, platform::kEnterCommand});
    EXPECT_EQ(d.focus(), 213);
    d.dispatch({platform::EventKind::Command, platform::kEnterCommand});
    EXPECT_EQ(d.focus(), 201);
    EXPECT_EQ(dp::amortEntries().printTo, "36");
    EXPECT_FALSE(d.ended());
}

TEST_F(AmortDialog, BothGivenPrintsTheBalloonReportAndEnds) {
    const std::string t = run(
        "type 201 Equipment note\ntype 202 15000\ntype 203 9\ntype 204 36\ntype 205 350\n"
        "type 206 07/15/24\ntype 207 12\nclick 194\n");
    EXPECT_EQ(count(t, caption()), 1);
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0].job, "amort");
    std::ifstream f(std::string(DP_SOURCE_DIR) + "/tests/golden/amort/both_given_balloon.txt", std::ios::binary);
    EXPECT_EQ(report(), std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()));
}

// A payment below the first month's interest is refused like any other entry: a message with a
// title, the entries kept, the dialog again on the payment.
TEST_F(AmortDialog, PaymentTooSmallIsRefusedAndTheEntriesStay) {
    const std::string t = run("type 202 10000\ntype 203 8\ntype 204 36\ntype 205 50\nclick 194\n"
                              "type 205 350\ntype 206 7/15/24\nclick 194\n");
    EXPECT_NE(t.find("message: Base monthly payment | payment too small"), std::string::npos) << t;
    EXPECT_EQ(count(t, caption()), 2);
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(dp::amortEntries().amount, "10000");
}

// Leaving a dialog with nothing typed by its close box shows nothing and ends the amortization;
// with anything typed the close box processes the entries, as the dialog always has.
TEST_F(AmortDialog, TheCloseBoxOnAnEmptyDialogLeavesWithoutAMessage) {
    EXPECT_EQ(run("close\n"), caption() + "\n");
    EXPECT_EQ(run("type 201   \nclose\n"), caption() + "\n");
    const std::string t = run("type 201 Truck\nclose\nclick 199\n");
    EXPECT_EQ(t, caption() + "\nmessage: Loan amount | REENTER\n" + caption() + "\n");
}

TEST_F(AmortDialog, BiweeklyBoxStoresY) {
    run("check 115\nclick 199\n");
    EXPECT_EQ(dp::amortEntries().biweekly, "Y");
    run("check 115\nclick 199\n");  // shown checked, so the click clears it
    EXPECT_EQ(dp::amortEntries().biweekly, "");
}

}  // namespace

namespace {

// Through the suite's printer choice and spooler: both reports leave with the options of a
// schedule, "/ZM", or "/NP" when the printer reply asks for no paging.
TEST(AmortPrintOut, BothSchedulesGoThroughThePrinterChoice) {
    TempClient client;
    dp::amortEntries() = dp::LoanEntries{};
    const std::string path = dp::dataPath(client.code(), "report.txt");
    const std::string caption = "dialog: Amortization Schedule  (" + client.code() + ")\n";
    {
        ScriptRun run(std::string(kLoan) + "click 194\nprinter 1*LPT1:**Y\nclick 199\n");
        dp::RunAmortization(client.code());
        EXPECT_EQ(run.transcript(), caption + "print: " + path + ",LPT1,,/ZM\n" + caption);
    }
    {
        ScriptRun run("type 205 250\nclick 194\nprinter 1*LPT2**N\n");
        dp::RunAmortization(client.code());
        EXPECT_EQ(run.transcript(), caption + "print: " + path + ",LPT2,,/NP\n");
    }
    {
        // A cancelled printer choice prints nothing; the next loan's dialog follows.
        ScriptRun run(std::string(kLoan) + "click 194\nprinter cancel\nclick 199\n");
        dp::RunAmortization(client.code());
        EXPECT_EQ(run.transcript(), caption + caption);
    }
}

}  // namespace

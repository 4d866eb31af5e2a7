// The loan arithmetic against the worked figures and its invariants.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "amort/loan_inputs.h"
#include "amort/loan_math.h"
#include "amort/schedule_report.h"
#include "format/number_format.h"

namespace {

using dp::Cents;
using dp::LineKind;
using dp::LoanEntries;
using dp::Mills4;

LoanEntries baseEntries() {
    LoanEntries e;
    e.heading = "Test loan";
    e.amount = "10000";
    e.rate = "8";
    e.term = "36";
    e.payment = "U";
    e.firstPaymentDate = "010124";
    e.printFrom = "1";
    return e;
}

dp::PreparedLoan prepared(const LoanEntries& e) {
    dp::CheckResult r = dp::checkOneUnknown(e);
    EXPECT_TRUE(r.ok) << r.failure.text << " / " << r.failure.title;
    return r.loan;
}

std::vector<dp::ScheduleLine> run(const dp::PreparedLoan& p, dp::ScheduleResult* res = nullptr) {
    dp::ScheduleCollector c;
    dp::ScheduleResult r = dp::runSchedule(p.in, p.solution, p.totals, c);
    if (res) *res = r;
    return c.lines;
}

std::vector<dp::ScheduleLine> ofKind(const std::vector<dp::ScheduleLine>& lines, LineKind k) {
    std::vector<dp::ScheduleLine> out;
    for (const auto& l : lines)
        if (l.kind == k) out.push_back(l);
    return out;
}

TEST(LevelPayment, TenThousandAtEightPercentOverThirtySixMonths) {
    dp::PaymentSolution s = dp::levelPayment(0.08 / 12, 10000, 36, false);
    EXPECT_EQ(s.periodicRate, 0.006667);
    // The factor keeps 15 significant digits of a power whose last bits differ between the
    // systems' maths libraries (Windows' pow is the less exact), so it may differ by a unit of its
    // 15th digit; the payment and every figure printed from it come out the same.
    EXPECT_NEAR(s.factor, 0.0313365499896461, 1e-16);
    EXPECT_NEAR(s.computedPayment, 313.3654999, 5e-8);
    EXPECT_EQ(Mills4::fromDouble(s.computedPayment), Mills4::fromUnits(3133655));
    EXPECT_NEAR(s.factorPayment, 313.365, 1e-9);
}

TEST(Schedule, TenThousandAtEightPercentFigures) {
    dp::PreparedLoan p = prepared(baseEntries());
    EXPECT_EQ(p.totals.scheduledInterest, 1281.14);
    EXPECT_EQ(p.totals.totalBalance, 11281.14);
    EXPECT_EQ(p.totals.balance, Cents::fromUnits(1000000));
    dp::ScheduleResult res;
    auto lines = run(p, &res);
    auto pays = ofKind(lines, LineKind::Payment);
    ASSERT_EQ(pays.size(), 36u);
    EXPECT_EQ(pays[0].interest, Cents::fromUnits(6667));
    EXPECT_EQ(pays[0].principal, Cents::fromUnits(24670));
    EXPECT_EQ(pays[0].balance, Cents::fromUnits(975330));
    EXPECT_EQ(pays[35].payment, Mills4::fromUnits(3131900));
    EXPECT_EQ(pays[35].interest, Cents::fromUnits(205));
    EXPECT_EQ(pays[35].principal, Cents::fromUnits(31114));
    EXPECT_EQ(pays[35].balance.units, 0);
    EXPECT_EQ(pays[35].interestBalance.units, 0);
    EXPECT_EQ(res.grandInterest, Cents::fromUnits(128114));
    EXPECT_EQ(res.grandPrincipal, Cents::fromUnits(1000000));
}

TEST(RateSearch, FindsEightPercentInFifteenTrials) {
    dp::RateSearch s = dp::solveRate(10000, 36, false, Mills4::fromUnits(3133700));
    ASSERT_TRUE(s.ok) << s.failure;
    EXPECT_EQ(s.trials, 15);
    EXPECT_EQ(s.solution.periodicRate, 0.006667);
}

}  // namespace

namespace {

TEST(RateSearch, WholePaymentRoundsTrialsToWholeUnits) {
    dp::RateSearch s = dp::solveRate(10000, 36, false, Mills4::fromUnits(3000000));
    ASSERT_TRUE(s.ok) << s.failure;
    // The first trial rate whose payment rounds to 300 ends the search.
    dp::PaymentSolution at = dp::levelPayment(s.solution.periodicRate, 10000, 36, false);
    EXPECT_EQ(std::nearbyint(at.computedPayment), 300);
    EXPECT_EQ(s.solution.computedPayment, 300);
    EXPECT_LT(s.trials, 15);
}

TEST(RateSearch, FailsOutsideTheBounds) {
    const double lowest = 10000 * 0.000001 / (1 - std::pow(1.000001, -36));
    const double highest = dp::levelPayment(0.05, 10000, 36, false).computedPayment;
    EXPECT_EQ(dp::solveRate(10000, 36, false, Mills4::fromDouble(lowest - 0.01)).failure, "BELOW 1%");
    EXPECT_TRUE(dp::solveRate(10000, 36, false, Mills4::fromDouble(lowest + 0.01)).ok);
    EXPECT_EQ(dp::solveRate(10000, 36, false, Mills4::fromDouble(highest + 0.01)).failure, "ABOVE 48%");
    EXPECT_EQ(dp::solveRate(10000, 36, false, Mills4{}).failure, "BELOW 1%");
}

TEST(RateSearch, EndsOnEveryPaymentItCanBeGiven) {
    // Payments between the bounds either solve or give up; none loops, and a solved rate
    // reproduces the payment to within the near-miss margin.
    std::mt19937 gen(7);
    std::uniform_real_distribution<double> pay(290, 600);
    for (int i = 0; i < 200; ++i) {
        const Mills4 target = Mills4::fromDouble(dp::roundTiesEven(pay(gen), i % 3 == 0 ? 0 : 2));
        dp::RateSearch s = dp::solveRate(10000, 36, false, target);
        if (!s.ok) {
            EXPECT_EQ(s.failure, "CANNOT CALCULATE");
            continue;
        }
        const double rate6 = dp::roundTiesEven(s.solution.periodicRate, 6);
        dp::PaymentSolution at = dp::levelPayment(rate6, 10000, 36, false);
        const std::string text = dp::shortestDecimal(target.toDouble());
        const auto dot = text.find('.');
        const int d = dot == std::string::npos ? 0 : static_cast<int>(text.size() - dot - 1);
        EXPECT_NEAR(at.computedPayment, target.toDouble(), 0.5 * std::pow(10.0, -d) + 0.02) << text;
    }
}

TEST(Schedule, PaymentCounts) {
    EXPECT_EQ(dp::paymentCountFor(30, true), 65);
    EXPECT_EQ(dp::paymentCountFor(13, true), 28);
    EXPECT_EQ(dp::paymentCountFor(360, true), 780);
    EXPECT_EQ(dp::paymentCountFor(36, false), 36);
}

TEST(Schedule, BiweeklyThirtyMonthsHasSixtyFivePayments) {
    LoanEntries e = baseEntries();
    e.term = "30";
    e.biweekly = "Y";
    e.firstPaymentDate = "011524";
    dp::PreparedLoan p = prepared(e);
    dp::ScheduleResult res;
    auto lines = run(p, &res);
    auto pays = ofKind(lines, LineKind::Payment);
    ASSERT_EQ(pays.size(), 65u);
    EXPECT_EQ(res.lastPaymentNumber, 65);
    EXPECT_EQ(pays[0].dueDate, "011524");
    EXPECT_EQ(pays[1].dueDate, "012924");
    EXPECT_EQ(pays[2].dueDate, "021224");
    EXPECT_EQ(pays[3].dueDate, "022624");
    EXPECT_EQ(pays[4].dueDate, "031124");  // 2024 has a February 29th
    EXPECT_EQ(pays[64].balance.units, 0);
    EXPECT_EQ(pays[64].interestBalance.units, 0);
    EXPECT_TRUE(ofKind(lines, LineKind::Separator).empty());
    EXPECT_TRUE(ofKind(lines, LineKind::EarlyPayoff).empty());
    // Year totals fall after the last payment due in December.
    auto it = std::find_if(lines.begin(), lines.end(), [](const dp::ScheduleLine& l) {
        return l.kind == LineKind::YearTotal;
    });
    ASSERT_NE(it, lines.end());
    EXPECT_EQ((it - 1)->dueDate, "123024");
    e.term = "13";
    EXPECT_EQ(ofKind(run(prepared(e)), LineKind::Payment).size(), 28u);
}

TEST(Schedule, MonthlyDueDaysFromTheThirtyFirst) {
    LoanEntries e = baseEntries();
    e.term = "60";
    e.firstPaymentDate = "013123";
    auto pays = ofKind(run(prepared(e)), LineKind::Payment);
    EXPECT_EQ(pays[0].dueDate, "013123");
    EXPECT_EQ(pays[1].dueDate, "022823");
    EXPECT_EQ(pays[2].dueDate, "033123");
    EXPECT_EQ(pays[3].dueDate, "043023");
    EXPECT_EQ(pays[13].dueDate, "022924");  // two-digit year divisible by 4
    EXPECT_EQ(pays[11].dueDate, "123123");
    EXPECT_EQ(pays[12].dueDate, "013124");
}

TEST(Schedule, DueYearsWrapAtTheCentury) {
    LoanEntries e = baseEntries();
    e.term = "24";
    e.firstPaymentDate = "120199";
    auto pays = ofKind(run(prepared(e)), LineKind::Payment);
    EXPECT_EQ(pays[0].dueDate, "120199");
    EXPECT_EQ(pays[1].dueDate, "010100");
}

// A date typed with separators and one-digit parts counts by its parts, so that the report
// shows 07/01/24 rather than 07/1//24; a four-digit year counts by its last two digits.
TEST(Schedule, DatesTypedWithSeparatorsGetTwoDigitParts) {
    const struct {
        const char* typed;
        const char* first;
        const char* second;
    } cases[] = {
        {"7/1/24", "070124", "080124"},
        {"7-1-24", "070124", "080124"},
        {"12/1/04", "120104", "010105"},
        {"07/01/2024", "070124", "080124"},
    };
    for (const auto& c : cases) {
        LoanEntries e = baseEntries();
        e.firstPaymentDate = c.typed;
        auto pays = ofKind(run(prepared(e)), LineKind::Payment);
        ASSERT_GE(pays.size(), 2u) << c.typed;
        EXPECT_EQ(pays[0].dueDate, c.first) << c.typed;
        EXPECT_EQ(pays[1].dueDate, c.second) << c.typed;
    }
}

TEST(Schedule, OneTimeExtraComesFirstAsPaymentOne) {
    LoanEntries e = baseEntries();
    e.oneTimeExtra = "2000";
    auto lines = run(prepared(e));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0].kind, LineKind::Summary);
    EXPECT_EQ(lines[1].kind, LineKind::ExtraPayment);
    EXPECT_TRUE(lines[1].oneTime);
    EXPECT_EQ(lines[1].number, 1);
    EXPECT_EQ(lines[1].extra, Cents::fromUnits(200000));
    EXPECT_EQ(lines[1].balance, Cents::fromUnits(800000));
    EXPECT_EQ(lines[2].kind, LineKind::Payment);
    EXPECT_EQ(lines[2].number, 1);
    auto early = ofKind(lines, LineKind::EarlyPayoff);
    ASSERT_EQ(early.size(), 1u);
    EXPECT_GT(early[0].monthsSaved, 0);
}

TEST(Schedule, YearlyExtraLargerThanTheBalanceIsSkipped) {
    LoanEntries e = baseEntries();
    e.perYearExtra = "5000";
    auto lines = run(prepared(e));
    auto extras = ofKind(lines, LineKind::ExtraPayment);
    // After 12 payments about 6,750 is owed; after 24 about 1,000, which is below the extra.
    ASSERT_EQ(extras.size(), 1u);
    EXPECT_EQ(extras[0].number, 12);
    auto pays = ofKind(lines, LineKind::Payment);
    EXPECT_EQ(pays.back().balance.units, 0);
}

TEST(Schedule, AdditionalPaymentIsShownAndSummedButNeverCharged) {
    LoanEntries e = baseEntries();
    e.additionalPayment = "123.45";
    dp::ScheduleResult res;
    auto lines = run(prepared(e), &res);
    auto pays = ofKind(lines, LineKind::Payment);
    EXPECT_DOUBLE_EQ(pays[0].shownPayment, 313.3655 + 123);
    EXPECT_EQ(pays[0].principal, Cents::fromUnits(24670));
    EXPECT_EQ(res.grandAdditional, Cents::fromUnits(36 * 12300));
    auto years = ofKind(lines, LineKind::YearTotal);
    ASSERT_EQ(years.size(), 3u);
    EXPECT_EQ(years[0].sumAdditional, Cents::fromUnits(12 * 12300));
}

TEST(Schedule, PrintRangeLimitsRowsAndYearTotals) {
    LoanEntries e = baseEntries();
    e.printFrom = "13";
    e.printTo = "20";
    dp::ScheduleResult res;
    auto lines = run(prepared(e), &res);
    auto pays = ofKind(lines, LineKind::Payment);
    ASSERT_EQ(pays.size(), 8u);
    EXPECT_EQ(pays.front().number, 13);
    EXPECT_EQ(ofKind(lines, LineKind::Separator).size(), 1u);
    // Payments from the beginning month on count in the totals, printed or not.
    Cents fromThirteen;
    for (const auto& l : ofKind(run(prepared(baseEntries())), LineKind::Payment))
        if (l.number >= 13) fromThirteen += l.principal;
    EXPECT_EQ(res.grandPrincipal, fromThirteen);
    // Both later fiscal years end outside the range: their totals are not printed, and the
    // sums are cleared all the same, so no last total follows.
    EXPECT_TRUE(ofKind(lines, LineKind::YearTotal).empty());
    e.printTo = "30";
    auto years = ofKind(run(prepared(e)), LineKind::YearTotal);
    ASSERT_EQ(years.size(), 1u);
}

TEST(Schedule, FiscalYearEndMonth) {
    LoanEntries e = baseEntries();
    e.fiscalYearEndMonth = "6";
    auto lines = run(prepared(e));
    std::vector<int> before;
    for (std::size_t i = 1; i < lines.size(); ++i)
        if (lines[i].kind == LineKind::YearTotal && lines[i - 1].kind == LineKind::Payment)
            before.push_back(lines[i - 1].number);
    EXPECT_EQ(before, (std::vector<int>{6, 18, 30, 36}));
}

TEST(Schedule, BiweeklyEarlyPayoffCountsMonthsFromPayments) {
    LoanEntries e = baseEntries();
    e.term = "60";
    e.biweekly = "Y";
    e.oneTimeExtra = "3000";
    dp::PreparedLoan p = prepared(e);
    dp::ScheduleResult res;
    auto lines = run(p, &res);
    auto early = ofKind(lines, LineKind::EarlyPayoff);
    ASSERT_EQ(early.size(), 1u);
    EXPECT_EQ(early[0].monthsSaved, static_cast<int>(std::nearbyint((130 - res.lastPaymentNumber) * 12.0 / 26.0)));
    EXPECT_GT(early[0].monthsSaved, 10);
}

TEST(Schedule, InvariantsOnRandomLoans) {
    std::mt19937 gen(20240101);
    std::uniform_real_distribution<double> amount(100, 2000000);
    std::uniform_int_distribution<int> term(1, 480), rate(100, 2400), extra(0, 3);
    for (int i = 0; i < 300; ++i) {
        LoanEntries e = baseEntries();
        e.amount = std::to_string(dp::roundTiesEven(amount(gen), 2));
        e.term = std::to_string(term(gen));
        e.rate = std::to_string(rate(gen) / 100.0);
        e.biweekly = i % 4 == 0 ? "Y" : "";
        const double a = std::stod(e.amount);
        if (extra(gen) == 0) e.oneTimeExtra = std::to_string(dp::roundTiesEven(a / 10, 2));
        if (extra(gen) == 0) e.perYearExtra = std::to_string(dp::roundTiesEven(a / 20, 2));
        dp::PreparedLoan p = prepared(e);
        dp::ScheduleResult res;
        auto lines = run(p, &res);
        SCOPED_TRACE(e.amount + " " + e.rate + "% " + e.term + (e.biweekly.empty() ? "" : " biweekly"));
        Cents principal, interest;
        for (const auto& l : lines) {
            if (l.kind == LineKind::Payment) {
                principal += l.principal;
                interest += l.interest;
                EXPECT_GE(l.balance.units, 0);
                EXPECT_GE(l.interestBalance.units, 0);
            }
            if (l.kind == LineKind::ExtraPayment) principal += l.extra;
        }
        EXPECT_EQ(principal, Cents::fromDouble(a));
        EXPECT_EQ(res.grandPrincipal, principal);
        EXPECT_EQ(res.finalBalance.units, 0);
        if (res.lastPaymentNumber == res.paymentCount) {
            EXPECT_EQ(res.finalInterestBalance.units, 0);
            EXPECT_EQ(interest.toDouble(), dp::roundTiesEven(p.totals.interestBalance.toDouble(), 2));
        } else {
            // Paid off early: the interest never charged is what the extras saved.
            EXPECT_EQ(Cents::fromDouble(interest.toDouble() + res.finalInterestBalance.toDouble()),
                      Cents::fromDouble(p.totals.interestBalance.toDouble()));
        }
    }
}

TEST(BalloonSchedule, RowsBalloonAndPaymentTooSmall) {
    dp::LoanInputs in;
    in.amount = 10000;
    in.annualRate = 0.08;
    in.termMonths = 24;
    in.payment = Mills4::fromUnits(2500000);
    in.firstPaymentDate = "010124";
    dp::BalloonSchedule b = dp::runBalloonSchedule(in, 12);
    ASSERT_FALSE(b.paymentTooSmall);
    ASSERT_EQ(b.rows.size(), 24u);
    EXPECT_EQ(b.rows[0].interest, Cents::fromUnits(6667));
    EXPECT_EQ(b.rows[0].balance, Cents::fromUnits(981667));
    EXPECT_TRUE(b.rows[11].yearEnd);
    EXPECT_FALSE(b.rows[10].yearEnd);
    EXPECT_EQ(b.balloon, b.rows[23].balance);
    EXPECT_NEAR(b.rows[23].totalBalance, b.balloon.toDouble(), 1e-6);
    EXPECT_NEAR(b.rows[23].interestBalance, 0, 1e-6);
    Cents interest;
    for (const auto& r : b.rows) interest += r.interest;
    EXPECT_EQ(interest, b.totalInterest);
    in.payment = Mills4::fromUnits(666600);  // below the first month's 66.67
    EXPECT_TRUE(dp::runBalloonSchedule(in, 12).paymentTooSmall);
}

TEST(BalloonSchedule, FirstDateForms) {
    struct {
        const char* text;
        int month, day, year;
    } cases[] = {{"070424", 7, 4, 24}, {"07/04/24", 7, 4, 24}, {"07/04/2024", 7, 4, 24},
                 {"07-24", 7, 1, 24},  {"0724", 7, 0, 24},     {"", 0, 0, 0}};
    for (const auto& c : cases) {
        std::int32_t m = -1, d = -1, y = -1;
        dp::balloonFirstDate(c.text, m, d, y);
        EXPECT_EQ(m, c.month) << c.text;
        EXPECT_EQ(d, c.day) << c.text;
        EXPECT_EQ(y, c.year) << c.text;
    }
}

TEST(BalloonSchedule, OverpaidBalanceThatWouldOverflowIsStopped) {
    dp::LoanInputs in;
    in.amount = 1000;
    in.annualRate = 1.0;
    in.termMonths = 32000;
    in.payment = Mills4::fromUnits(100000000);
    EXPECT_TRUE(dp::runBalloonSchedule(in, 12).tooLarge);
}

}  // namespace

namespace {

// Entries the checks let through however odd they are: the schedule and its report still run
// to their end with every figure held.
TEST(Schedule, OddEntriesRunToTheirEnd) {
    struct Odd {
        const char* what;
        void (*change)(LoanEntries&);
    } odd[] = {
        {"one-time extra above the amount", [](LoanEntries& e) { e.oneTimeExtra = "15000"; }},
        {"one-time extra equal to the amount", [](LoanEntries& e) { e.oneTimeExtra = "10000"; }},
        {"biweekly last day of February", [](LoanEntries& e) { e.firstPaymentDate = "022924"; e.biweekly = "Y"; }},
        {"negative beginning month", [](LoanEntries& e) { e.printFrom = "-40"; }},
        {"ending month below the beginning", [](LoanEntries& e) { e.printFrom = "30"; e.printTo = "2"; }},
        {"longest term", [](LoanEntries& e) { e.term = "32766"; e.rate = "0.5"; }},
        {"longest biweekly term", [](LoanEntries& e) { e.term = "15123"; e.biweekly = "Y"; }},
        {"largest amount at the highest rate", [](LoanEntries& e) { e.amount = "9e9"; e.rate = "100"; e.term = "12"; }},
    };
    for (const Odd& o : odd) {
        LoanEntries e = baseEntries();
        o.change(e);
        dp::CheckResult r = dp::checkOneUnknown(e);
        ASSERT_TRUE(r.ok) << o.what << ": " << r.failure.text;
        dp::ScheduleResult res;
        const std::string report = dp::oneUnknownReport(r.loan, &res);
        EXPECT_GE(res.lastPaymentNumber, 1) << o.what;
        EXPECT_LE(res.lastPaymentNumber, res.paymentCount) << o.what;
        EXPECT_EQ(report.substr(report.size() - 3), "\f\r\n") << o.what;
    }
}

// Entries that cannot be a loan are refused in the style of the dialog's other checks.
TEST(Schedule, WhatCannotBeALoanIsRefused) {
    const struct {
        const char* amount;
        const char* oneTime;
        const char* perYear;
        const char* additional;
        const char* text;
        const char* title;
    } cases[] = {
        {"-5000", "", "", "", "REENTER", "Loan amount"},
        {"", "", "", "", "REENTER", "Loan amount"},
        {"0", "", "", "", "REENTER", "Loan amount"},
        {"abc", "", "", "", "\"abc\" is not a number. Type digits, with a sign and a decimal point where needed; "
                            "\",\" may group thousands and \"$\" may come first: 12,500.00 or $1,500.", "Loan amount"},
        {"1e999", "", "", "", "\"1e999\" is too large a number.", "Loan amount"},
        {"1e-999", "", "", "", "REENTER", "Loan amount"},  // too small to hold: reads as 0
        {"10000", "-100", "", "", "CANNOT BE NEGATIVE", "One-time extra payment"},
        {"10000", "", "-50", "", "CANNOT BE NEGATIVE", "Per year extra payment"},
        {"10000", "", "", "-1", "CANNOT BE NEGATIVE", "Additional payments"},
    };
    for (const auto& c : cases) {
        LoanEntries e = baseEntries();
        e.amount = c.amount;
        e.oneTimeExtra = c.oneTime;
        e.perYearExtra = c.perYear;
        e.additionalPayment = c.additional;
        const dp::CheckResult r = dp::checkOneUnknown(e);
        EXPECT_FALSE(r.ok) << c.amount;
        EXPECT_EQ(r.failure.text, c.text) << c.amount;
        EXPECT_EQ(r.failure.title, c.title) << c.amount;
        // The both-given mode refuses an amount that is no loan as well.
        if (std::string(c.title) == "Loan amount") {
            e.payment = "400";
            EXPECT_FALSE(dp::checkBothGiven(e).ok) << c.amount;
        }
    }
}

TEST(BalloonSchedule, OddEntriesRunToTheirEnd) {
    // The dialog's checks let only dates through (or none); the schedule itself still runs to its
    // end on any text.
    const char* dates[] = {"", "1", "070424", "ab/cd/ef", "999999", "07/04/2024"};
    for (const char* d : dates) {
        LoanEntries e = baseEntries();
        e.payment = "400";
        e.term = "240";
        dp::CheckResult r = dp::checkBothGiven(e);
        ASSERT_TRUE(r.ok);
        r.loan.in.firstPaymentDate = d;
        dp::BalloonSchedule b = dp::runBalloonSchedule(r.loan.in, 0);
        EXPECT_EQ(b.rows.size(), 240u);
        // Overpaid: the balance goes below zero and the balloon is negative.
        EXPECT_LT(b.balloon.units, 0);
        EXPECT_FALSE(dp::balloonReport(dp::bothGivenHeading(r.loan), b).empty());
    }
    LoanEntries e = baseEntries();
    e.payment = "100";
    e.term = "";
    dp::CheckResult r = dp::checkBothGiven(e);
    ASSERT_TRUE(r.ok);
    dp::BalloonSchedule b = dp::runBalloonSchedule(r.loan.in, 12);
    EXPECT_TRUE(b.rows.empty());
    EXPECT_EQ(b.balloon, Cents::fromUnits(1000000));
}

}  // namespace

namespace {

TEST(RateSearch, NearMissesAreAcceptedAfterFiftyAndFarRepeatsGiveUp) {
    // A million over 30 years: one millionth of rate moves the payment by about 0.7, so most
    // targets are never hit exactly.
    dp::RateSearch near = dp::solveRate(1000000, 360, false, Mills4::fromUnits(70003400));
    ASSERT_TRUE(near.ok) << near.failure;
    EXPECT_EQ(near.trials, 65);
    EXPECT_NEAR(near.solution.periodicRate, 0.0062595, 1e-12);  // the trial rate less half a millionth
    EXPECT_EQ(near.solution.computedPayment, 7000.34);
    dp::RateSearch far = dp::solveRate(1000000, 360, false, Mills4::fromUnits(70000100));
    EXPECT_FALSE(far.ok);
    EXPECT_EQ(far.failure, "CANNOT CALCULATE");
    EXPECT_EQ(far.trials, 17);
}

}  // namespace

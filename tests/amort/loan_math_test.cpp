// The loan arithmetic against the worked figures and its invariants.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "amort/loan_inputs.h"
#include "amort/loan_math.h"

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
    EXPECT_EQ(s.factor, 0.0313365499896461);
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

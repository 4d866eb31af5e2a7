// A 40-year monthly loan with a yearly extra payment: the schedule alone, and the schedule
// with its printed report.
#include <benchmark/benchmark.h>

#include "amort/loan_inputs.h"
#include "amort/schedule_report.h"

namespace {

dp::PreparedLoan fortyYearLoan() {
    dp::LoanEntries e;
    e.heading = "Warehouse mortgage";
    e.amount = "850000";
    e.rate = "6.75";
    e.term = "480";
    e.payment = "U";
    e.firstPaymentDate = "013125";
    e.fiscalYearEndMonth = "6";
    e.printFrom = "1";
    e.additionalPayment = "350";
    e.perYearExtra = "2500";
    return dp::checkOneUnknown(e).loan;
}

class Discard : public dp::ScheduleSink {
public:
    void line(const dp::ScheduleLine& l) override { benchmark::DoNotOptimize(l.balance); }
};

void BM_Schedule40YearsYearlyExtra(benchmark::State& state) {
    const dp::PreparedLoan loan = fortyYearLoan();
    std::int64_t payments = 0;
    for (auto _ : state) {
        Discard sink;
        dp::ScheduleResult r = dp::runSchedule(loan.in, loan.solution, loan.totals, sink);
        payments += r.lastPaymentNumber;
    }
    state.counters["payments"] = benchmark::Counter(static_cast<double>(payments), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_Schedule40YearsYearlyExtra);

void BM_ScheduleAndReport40YearsYearlyExtra(benchmark::State& state) {
    const dp::PreparedLoan loan = fortyYearLoan();
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string report = dp::oneUnknownReport(loan);
        bytes = report.size();
        benchmark::DoNotOptimize(report);
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ScheduleAndReport40YearsYearlyExtra);

void BM_ChecksAndRateSearch(benchmark::State& state) {
    dp::LoanEntries e;
    e.amount = "850000";
    e.rate = "U";
    e.term = "480";
    e.payment = "5128.41";
    e.firstPaymentDate = "013125";
    e.printFrom = "1";
    for (auto _ : state) benchmark::DoNotOptimize(dp::checkOneUnknown(e));
}
BENCHMARK(BM_ChecksAndRateSearch);

}  // namespace

// Speed of the number formatting that every report line goes through.
#include <benchmark/benchmark.h>

#include <vector>

#include "format/number_format.h"

namespace {

std::vector<double> amounts() {
    std::vector<double> v;
    double x = 0.37;
    for (int i = 0; i < 4096; ++i) {
        x = x * 1.61803 + 13.17;
        if (x > 5e6) x -= 4.9e6;
        v.push_back((i % 7 == 0 ? -x : x));
    }
    return v;
}

void BM_MoneyColumnDouble(benchmark::State& state) {
    const auto v = amounts();
    std::size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(dp::moneyColumn(v[i++ & 4095]));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MoneyColumnDouble);

void BM_MoneyColumnCents(benchmark::State& state) {
    std::vector<dp::Cents> v;
    for (double d : amounts()) v.push_back(dp::Cents::fromDouble(d));
    std::size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(dp::moneyColumn(v[i++ & 4095]));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MoneyColumnCents);

void BM_FitToMask(benchmark::State& state) {
    const auto v = amounts();
    std::size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(dp::fitToMask(v[i++ & 4095], "#,###,###.00"));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FitToMask);

void BM_FormatNumberRoundTrip(benchmark::State& state) {
    const auto v = amounts();
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(dp::leadingNumber(dp::formatNumber(v[i++ & 4095] / 1000.0, "####.00####")));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FormatNumberRoundTrip);

// A long report: 300,000 money columns.
void BM_ReportOfThreeHundredThousandFigures(benchmark::State& state) {
    const auto v = amounts();
    for (auto _ : state) {
        std::size_t total = 0;
        for (int i = 0; i < 300000; ++i) total += dp::moneyColumn(v[i & 4095]).size();
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_ReportOfThreeHundredThousandFigures)->Unit(benchmark::kMillisecond);

}  // namespace

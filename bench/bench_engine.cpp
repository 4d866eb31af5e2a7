// A full register of 32767 assets of mixed methods, a third of them table methods that read their
// rate table file anew for every asset, computed as one report run does.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <vector>

#include "engine/depreciation.h"

namespace {

dp::Date6 storedDate(std::int32_t digits) {
    dp::Date6 d{};
    auto u = static_cast<std::uint32_t>(digits);
    for (int i = 0; i < 4; ++i) d[static_cast<std::size_t>(i)] = static_cast<char>((u >> (8 * i)) & 0xFF);
    return d;
}

std::vector<dp::AssetRecord> makeRegister() {
    const char* const ordinary[] = {"SL  ", "D200", "B200", "B150", "E   ", "F   "};
    const char* const tables[] = {"A3  ", "A5  ", "A7  ", "A10 ", "A15 ", "G1  ", "G2  ", "G3  ", "H1  ", "A   "};
    std::vector<dp::AssetRecord> assets(dp::kMaxRecords);
    for (std::size_t i = 0; i < assets.size(); ++i) {
        dp::AssetRecord& r = assets[i];
        dp::BasisBlock& b = r.Tax;
        if (i % 3 == 0) {
            b.Method = tables[(i / 3) % 10];
            b.Rate = 5;
        } else {
            b.Method = ordinary[i % 6];
            b.Rate = b.Method[0] == 'F' ? 39 : 3 + static_cast<double>(i % 18);
        }
        b.Manual = 'N';
        b.Cost = 1000 + static_cast<double>(i % 997) * 37.5;
        b.Salvage = (i % 4 == 0) ? 100 : 0;
        b.PriorDepr = (i % 5) * 50.0;
        int month = 1 + static_cast<int>(i % 12);
        int day = 1 + static_cast<int>(i % 28);
        int year = 1986 + static_cast<int>(i % 19);
        r.DateAcquired = storedDate(month * 1000000 + day * 10000 + year);
        if (i % 17 == 0) r.DateSold = storedDate(6152004);
    }
    return assets;
}

void BM_ComputeRegister(benchmark::State& state) {
    if (::chdir(DP_SOURCE_DIR "/data") != 0) {
        state.SkipWithError("data directory not found");
        return;
    }
    const auto assets = makeRegister();
    dp::ReportOptions options;
    options.reportDate = "12/31/2004";
    const dp::EngineInputs in = dp::makeEngineInputs(options, "12312004");
    for (auto _ : state) {
        double total = 0;
        for (const auto& r : assets) total += dp::computeDepreciation(r, in).amounts.CurrentDepr;
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(assets.size()));
}
BENCHMARK(BM_ComputeRegister)->Unit(benchmark::kMillisecond);

}  // namespace

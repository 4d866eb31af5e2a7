// Form 4562: totalling a full register (32767 assets, the most the index can address) and
// writing the whole form.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "form4562/form4562_run.h"
#include "form4562/form_background.h"
#include "form4562/form_lines.h"
#include "register/records.h"

namespace {

std::vector<dp::AssetRecord> makeRegister(int n) {
    const char* codes[] = {"2,6", "19", "20", "7", "X", "16", "19", "28", "", "10"};
    const double rates[] = {3, 5, 7, 10, 15, 20, 25, 27.5, 39, 9, 12, 40};
    std::vector<dp::AssetRecord> out(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        dp::AssetRecord& a = out[static_cast<std::size_t>(i)];
        a.AssetNumber = dp::fixedText(std::to_string(i), 6);
        a.Description = dp::fixedText("ASSET " + std::to_string(i), 35);
        dp::date6FromText(a.DateAcquired, "070103", false);
        a.Book.Method = "B200";
        a.Book.Rate = rates[i % 12];
        a.Book.Cost = 1000.25 + i;
        a.Book.CurrentDepr = 100.5 + i % 7;
        a.Book.Expense = 10.5;
        a.Tax.Code4562 = dp::fixedText(codes[i % 10], 6);
    }
    return out;
}

void BM_TotalRegisterInMemory(benchmark::State& state) {
    const auto reg = makeRegister(32767);
    for (auto _ : state) {
        dp::FormTotals t;
        for (const auto& a : reg) dp::addAssetToForm(t, a);
        benchmark::DoNotOptimize(t);
    }
    state.SetItemsProcessed(state.iterations() * 32767);
}
BENCHMARK(BM_TotalRegisterInMemory)->Unit(benchmark::kMillisecond);

void BM_TotalRegisterFromFiles(benchmark::State& state) {
    const auto reg = makeRegister(32767);
    const std::string dir = (std::filesystem::temp_directory_path() / "dp-bench-form4562").string();
    std::filesystem::create_directories(dir);
    {
        std::ofstream fil(dir + "/depr.fil", std::ios::binary), idx(dir + "/depr.idx", std::ios::binary);
        std::int16_t n = 0;
        for (const auto& a : reg) {
            const auto b = a.encode();
            fil.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
            dp::IndexEntry e;
            e.AssetNumber = a.AssetNumber;
            e.RecordNumber = ++n;
            const auto eb = e.encode();
            idx.write(reinterpret_cast<const char*>(eb.data()), static_cast<std::streamsize>(eb.size()));
        }
    }
    for (auto _ : state) benchmark::DoNotOptimize(dp::totalRegister(dir));
    std::filesystem::remove_all(dir);
    state.SetItemsProcessed(state.iterations() * 32767);
}
BENCHMARK(BM_TotalRegisterFromFiles)->Unit(benchmark::kMillisecond);

void BM_FormBytes(benchmark::State& state) {
    dp::FormTotals t;
    for (const auto& a : makeRegister(200)) dp::addAssetToForm(t, a);
    const dp::FormLines lines = dp::computeFormLines(t, 2003);
    const dp::FormCompany company{"ACME", "MACHINE SHOP", "12-3456789"};
    for (auto _ : state) {
        std::string bytes = dp::buildFormBackground("2003").bytes + dp::valuesLayerBytes(lines, company);
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_FormBytes)->Unit(benchmark::kMicrosecond);

}  // namespace

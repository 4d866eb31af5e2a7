// Closing the period of a full register: 32767 assets, every tenth marked deleted.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

#include "close/close_period.h"
#include "platform/backend.h"
#include "platform/files.h"
#include "register/asset_files.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

void writeFile(const fs::path& p, const Bytes& b) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

struct FullRegister {
    fs::path dir;
    Bytes fil, idx, company;

    FullRegister() {
        std::random_device rd;
        dir = fs::temp_directory_path() / ("dpbench-close-" + std::to_string(rd()));
        fs::create_directories(dir);
        for (int i = 1; i <= dp::kMaxRecords; ++i) {
            dp::AssetRecord r;
            r.AssetNumber = dp::fixedText("A" + std::to_string(i), 6);
            r.Description = dp::fixedText(i % 10 == 0 ? "***DELETED***" : "Asset " + std::to_string(i), 35);
            dp::date6FromText(r.DateAcquired, "010198", false);
            r.Book.Method = "SL  ";
            r.Book.Cost = 1000 + i;
            r.Book.PriorDepr = 100.25 + i;
            r.Book.CurrentDepr = 50.126;
            r.Tax.PriorDepr = i;
            r.Tax.CurrentDepr = 0.25;
            const auto b = r.encode();
            fil.insert(fil.end(), b.begin(), b.end());
            const auto e = dp::makeIndexBytes(r.AssetNumber, static_cast<std::int16_t>(i));
            idx.insert(idx.end(), e.begin(), e.end());
        }
        dp::CompanyRecord c;
        c.CompanyName = dp::fixedText("Bench Company", 25);
        c.FiscalYearEnd = dp::date6cFromText("12312003");
        c.CurrentPeriod = c.FiscalYearEnd;
        for (int n = 1; n <= 3; ++n) {
            const auto b = c.encodeRecord(n);
            company.insert(company.end(), b.begin(), b.end());
        }
    }
    ~FullRegister() {
        platform::closeAllFiles();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    void restore() const {
        writeFile(dir / "depr.fil", fil);
        writeFile(dir / "depr.idx", idx);
        writeFile(dir / "company.fil", company);
    }
};

void BM_CloseFullRegister(benchmark::State& state) {
    FullRegister reg;
    std::ostringstream transcript;
    platform::setBackend(platform::makeScriptedBackend("", &transcript));
    for (auto _ : state) {
        state.PauseTiming();
        reg.restore();
        platform::setBackend(platform::makeScriptedBackend("answer ok", &transcript));
        state.ResumeTiming();
        dp::RunClosePeriod(reg.dir.string());
    }
    platform::setBackend(nullptr);
    state.SetItemsProcessed(state.iterations() * dp::kMaxRecords);
}
BENCHMARK(BM_CloseFullRegister)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// The carry-over alone, on records already in memory.
void BM_CarryOverInMemory(benchmark::State& state) {
    std::vector<dp::CloseEntry> entries;
    for (int i = 1; i <= dp::kMaxRecords; ++i) {
        dp::AssetRecord r;
        r.AssetNumber = dp::fixedText("A" + std::to_string(i), 6);
        r.Description = dp::fixedText(i % 10 == 0 ? "***DELETED***" : "Asset " + std::to_string(i), 35);
        r.Book.PriorDepr = 100.25 + i;
        r.Book.CurrentDepr = 50.126;
        r.Tax.PriorDepr = i;
        r.Tax.CurrentDepr = 0.25;
        entries.push_back({r.AssetNumber, static_cast<std::int16_t>(i), r});
    }
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<dp::CloseEntry> copy = entries;
        state.ResumeTiming();
        benchmark::DoNotOptimize(dp::carryOverRegister(std::move(copy)));
    }
    state.SetItemsProcessed(state.iterations() * dp::kMaxRecords);
}
BENCHMARK(BM_CarryOverInMemory)->Unit(benchmark::kMillisecond);

}  // namespace

// The whole depreciation report over a full register (32767 rows: every method family, sales,
// markers, manual rows, heading and subtotal rows) through the scripted backend, the printer
// choice cancelled.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <sstream>

#include "bench_register.h"
#include "platform/backend.h"
#include "platform/files.h"
#include "report/depreciation_report.h"

namespace fs = std::filesystem;

namespace {

void BM_DepreciationReport32767(benchmark::State& state) {
    const fs::path previous = fs::current_path();
    fs::current_path(fs::path(DP_SOURCE_DIR) / "data");  // the rate tables
    benchregister::BenchClient client;
    std::ostringstream transcript;
    for (auto _ : state) {
        transcript.str("");
        platform::setBackend(platform::makeScriptedBackend("click 301\nprinter cancel\n", &transcript));
        dp::RunDepreciationReport(client.code());
    }
    platform::setBackend(nullptr);
    state.counters["report_bytes"] =
        static_cast<double>(platform::fileSize(dp::dataPath(client.code(), "report.txt")));
    fs::current_path(previous);
}
BENCHMARK(BM_DepreciationReport32767)->Unit(benchmark::kMillisecond);

}  // namespace

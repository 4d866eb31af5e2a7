// veldro on a full register of 32767 rows: the export, the import into an empty client, and the
// projection over 40 years, each as the program runs it (process start to exit) and as the
// functions under it run in this process.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "bench_register.h"
#include "csv.h"
#include "projection.h"
#include "projection_output.h"
#include "register_export.h"
#include "register_import.h"
#include "register_update.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

std::vector<unsigned char> fileBytes(const fs::path& p) {
    std::vector<unsigned char> b(fs::file_size(p));
    std::ifstream(p, std::ios::binary).read(reinterpret_cast<char*>(b.data()), static_cast<std::streamsize>(b.size()));
    return b;
}

void writeBytes(const fs::path& p, const std::vector<unsigned char>& b) {
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

// The register of the report benchmarks: every method family, markers, sales, manual rows.
benchregister::BenchClient& fullClient() {
    static benchregister::BenchClient c;
    return c;
}

// The same register with lives of 39 years and more, so that every asset is projected for the
// 40 years.
struct LongLived {
    std::string code;
    LongLived() {
        benchregister::BenchClient& base = fullClient();
        code = base.code() + "-long";
        fs::create_directories(code);
        std::vector<unsigned char> fil = fileBytes(fs::path(base.code()) / "depr.fil");
        for (std::size_t at = 0; at + dp::kAssetRecordLength <= fil.size(); at += dp::kAssetRecordLength) {
            dp::AssetRecord::Bytes b{};
            std::copy_n(fil.begin() + static_cast<std::ptrdiff_t>(at), b.size(), b.begin());
            dp::AssetRecord r = dp::AssetRecord::decode(b);
            static const char* const methods[] = {"SL  ", "F   ", "D150"};
            static const double lives[] = {45, 39, 50};
            const std::size_t m = (at / dp::kAssetRecordLength) % 3;
            for (dp::BasisBlock* block : {&r.Book, &r.Tax}) {
                block->Method = methods[m];
                block->Rate = lives[m];
                block->Manual = 'N';
            }
            dp::date6FromText(r.DateSold, "", true);
            const auto e = r.encode();
            std::copy(e.begin(), e.end(), fil.begin() + static_cast<std::ptrdiff_t>(at));
        }
        writeBytes(fs::path(code) / "depr.fil", fil);
        fs::copy_file(fs::path(base.code()) / "depr.idx", fs::path(code) / "depr.idx");
        fs::copy_file(fs::path(base.code()) / "company.fil", fs::path(code) / "company.fil");
    }
    ~LongLived() {
        std::error_code ec;
        fs::remove_all(code, ec);
    }
};

LongLived& longLived() {
    static LongLived c;
    return c;
}

std::vector<veldro::RegisterRow> rowsOf(const std::string& code) {
    return veldro::registerRows(fileBytes(fs::path(code) / "depr.idx"), fileBytes(fs::path(code) / "depr.fil"));
}

// veldro with the arguments, in the directory of the rate tables; its exit status.
int runVeldro(std::vector<std::string> args) {
    args.insert(args.begin(), DP_VELDRO);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawn(&pid, DP_VELDRO, nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct InDataDirectory {
    fs::path previous = fs::current_path();
    InDataDirectory() { fs::current_path(fs::path(DP_SOURCE_DIR) / "data"); }
    ~InDataDirectory() { fs::current_path(previous); }
};

// ---- export ----

// From the bytes of depr.idx and depr.fil to the CSV text.
void BM_ExportFunctions32767(benchmark::State& state) {
    const fs::path dir(fullClient().code());
    const std::vector<unsigned char> index = fileBytes(dir / "depr.idx"), assets = fileBytes(dir / "depr.fil");
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::vector<std::string> notes;
        const std::string csv = veldro::exportCsv(veldro::walkOf(index, assets), notes);
        bytes = csv.size();
        benchmark::DoNotOptimize(csv.data());
    }
    state.counters["csv_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ExportFunctions32767)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ExportCommand32767(benchmark::State& state) {
    const std::string out = fullClient().code() + "-export.csv";
    for (auto _ : state)
        if (runVeldro({"export", fullClient().code(), "-o", out, "--replace"}) != 0) state.SkipWithError("veldro export failed");
    fs::remove(out);
}
BENCHMARK(BM_ExportCommand32767)->Unit(benchmark::kMillisecond)->UseRealTime();

// ---- import ----

// The register exported, its one code that computes nothing ("M") made straight line (the
// import refuses a code it does not know).
const std::string& importFile() {
    static const std::string path = [] {
        std::vector<veldro::RegisterRow> rows = rowsOf(fullClient().code());
        for (veldro::RegisterRow& r : rows)
            for (dp::BasisBlock* b : {&r.record.Book, &r.record.Tax})
                if (b->Method == "M   ") b->Method = "SL  ";
        std::vector<std::string> notes;
        const std::string csv = veldro::exportCsv(veldro::walkOf(rows), notes);
        const std::string p = fullClient().code() + "-import.csv";
        std::ofstream(p, std::ios::binary) << csv;
        return p;
    }();
    return path;
}

void BM_ImportFunctions32767(benchmark::State& state) {
    const std::vector<unsigned char> bytes = fileBytes(importFile());
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    for (auto _ : state) {
        const veldro::ImportCheck check = veldro::checkImport(veldro::readCsv(text), {});
        if (check.assets.size() != static_cast<std::size_t>(dp::kMaxRecords)) state.SkipWithError("rows refused");
        std::vector<dp::AssetRecord> added;
        added.reserve(check.assets.size());
        for (const veldro::ImportedAsset& a : check.assets) added.push_back(a.record);
        benchmark::DoNotOptimize(veldro::withAddedAssets({}, {}, added).assets.data());
    }
}
BENCHMARK(BM_ImportFunctions32767)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ImportCommand32767(benchmark::State& state) {
    const std::string into = fullClient().code() + "-into";
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(into);
        fs::create_directories(into);
        state.ResumeTiming();
        if (runVeldro({"import", into, importFile()}) != 0) state.SkipWithError("veldro import failed");
    }
    fs::remove_all(into);
}
BENCHMARK(BM_ImportCommand32767)->Unit(benchmark::kMillisecond)->UseRealTime();

// ---- projection ----

void BM_ProjectionFunctions32767x40(benchmark::State& state) {
    InDataDirectory tables;
    const std::vector<veldro::RegisterRow> rows = rowsOf(longLived().code);
    veldro::ProjectionInputs in;
    in.fiscalYearEnd = dp::date6cFromText("12312004");
    in.years = 40;
    std::size_t yearsProjected = 0;
    for (auto _ : state) {
        const veldro::Projection p = veldro::projectRegister(rows, in);
        yearsProjected = 0;
        for (const veldro::ProjectedRow& r : p.rows) yearsProjected += r.years.size();
    }
    state.counters["asset_years"] = static_cast<double>(yearsProjected);
}
BENCHMARK(BM_ProjectionFunctions32767x40)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ProjectionText32767x40(benchmark::State& state) {
    InDataDirectory tables;
    veldro::ProjectionInputs in;
    in.fiscalYearEnd = dp::date6cFromText("12312004");
    in.years = 40;
    const veldro::Projection p = veldro::projectRegister(rowsOf(longLived().code), in);
    for (auto _ : state) benchmark::DoNotOptimize(veldro::projectionText(veldro::projectionPages(p, {"Benchmark", 'T'})).data());
}
BENCHMARK(BM_ProjectionText32767x40)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ProjectCommand32767x40(benchmark::State& state) {
    InDataDirectory tables;
    const std::string out = longLived().code + "-projection";
    const std::string format = state.range(0) == 0 ? "text" : "csv";
    for (auto _ : state)
        if (runVeldro({"project", longLived().code, "--years", "40", "--format", format, "-o", out, "--replace"}) != 0)
            state.SkipWithError("veldro project failed");
    state.SetLabel(format);
    state.counters["output_bytes"] = static_cast<double>(fs::file_size(out));
    fs::remove(out);
}
BENCHMARK(BM_ProjectCommand32767x40)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

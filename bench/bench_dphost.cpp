// The depreciation report of 32767 assets as a user runs it: dphost started on the client, the
// menu's "Depreciation Report", OK, the printer choice cancelled, "Exit" — from the process's
// start to its end. Beside it, in the same run, what the report cannot do faster than: a raw
// read of depr.fil and depr.idx and a write of a file as large as report.txt.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "bench_register.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

benchregister::BenchClient& client() {
    static benchregister::BenchClient c;
    return c;
}

// The host on the client with a script, in the directory of the rate tables; its exit status.
int runHost(const std::string& script) {
    std::vector<std::string> args = {DP_HOST, "--script", script, "--transcript", "/dev/null", client().code()};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawn(&pid, DP_HOST, nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void BM_DphostReport32767(benchmark::State& state) {
    const fs::path previous = fs::current_path();
    fs::current_path(fs::path(DP_SOURCE_DIR) / "data");  // the rate tables
    ::setenv("DP_SUITE_LIBDIR", DP_SUITE_LIBDIR, 1);
    const std::string script = (fs::path(client().code()).parent_path() / "dpbench-host.script").string();
    std::ofstream(script) << "click 403\nclick 301\nprinter cancel\nclick 409\n";
    for (auto _ : state) {
        if (runHost(script) != 0) state.SkipWithError("dphost did not end with 0");
    }
    state.counters["report_bytes"] = static_cast<double>(fs::file_size(fs::path(client().code()) / "report.txt"));
    fs::remove(script);
    fs::current_path(previous);
}
BENCHMARK(BM_DphostReport32767)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// Reads depr.fil and depr.idx whole and writes a file the size of report.txt.
void BM_RawReadWrite(benchmark::State& state) {
    const fs::path dir(client().code());
    if (!fs::exists(dir / "report.txt")) {
        state.SkipWithError("run the dphost benchmark first: it makes report.txt");
        return;
    }
    const std::uintmax_t reportSize = fs::file_size(dir / "report.txt");
    const std::vector<char> out(reportSize, 'x');
    std::vector<char> in;
    for (auto _ : state) {
        for (const char* name : {"depr.fil", "depr.idx"}) {
            std::FILE* f = std::fopen((dir / name).c_str(), "rb");
            in.resize(fs::file_size(dir / name));
            benchmark::DoNotOptimize(std::fread(in.data(), 1, in.size(), f));
            std::fclose(f);
        }
        std::FILE* w = std::fopen((dir / "raw-copy.txt").c_str(), "wb");
        std::fwrite(out.data(), 1, out.size(), w);
        std::fclose(w);
    }
    fs::remove(dir / "raw-copy.txt");
}
BENCHMARK(BM_RawReadWrite)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

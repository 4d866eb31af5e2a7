// The depreciation report of 32767 assets as a user runs it: dphost started on the client, the
// menu's "Depreciation Report", OK, the printer choice cancelled, "Exit" — from the process's
// start to its end. Run once on the register as it was (every computed figure differs from the
// stored one and is written back), and again on the register it left (the figures stand, only
// the report is written). Beside them, in the same run, what the report cannot do faster than:
// a raw read of depr.fil and depr.idx and a write of a file as large as report.txt.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>
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

// The register as it was made, kept in the client's directory (which goes with the client) so
// that a run can start from it again.
const fs::path& pristineRegister() {
    static const fs::path copy = [] {
        const fs::path dir(client().code());
        fs::copy_file(dir / "depr.fil", dir / "pristine.fil");
        return dir / "pristine.fil";
    }();
    return copy;
}

// The register put back as it was, on the disk before the run starts: the run's own flushes
// then wait for its own writes only.
void restore(const fs::path& from, const fs::path& to) {
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
    const int fd = ::open(to.c_str(), O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

void runReports(benchmark::State& state, bool fromPristine) {
    const fs::path previous = fs::current_path();
    const fs::path dir(client().code());
    const fs::path pristine = pristineRegister();
    fs::current_path(fs::path(DP_SOURCE_DIR) / "data");  // the rate tables
    ::setenv("DP_SUITE_LIBDIR", DP_SUITE_LIBDIR, 1);
    const std::string script = (dir.parent_path() / "dpbench-host.script").string();
    std::ofstream(script) << "click 403\nclick 301\nprinter cancel\nclick 409\n";
    for (auto _ : state) {
        if (fromPristine) {
            state.PauseTiming();
            restore(pristine, dir / "depr.fil");
            state.ResumeTiming();
        }
        if (runHost(script) != 0) state.SkipWithError("dphost did not end with 0");
    }
    state.counters["report_bytes"] = static_cast<double>(fs::file_size(dir / "report.txt"));
    fs::remove(script);
    fs::current_path(previous);
}

// Every figure computed anew and written back with the report.
void BM_DphostReport32767FiguresStored(benchmark::State& state) { runReports(state, true); }
BENCHMARK(BM_DphostReport32767FiguresStored)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// The same report again: the figures stand, depr.fil is left as it is.
void BM_DphostReport32767(benchmark::State& state) { runReports(state, false); }
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

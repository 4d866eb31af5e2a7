// Tidying the asset files when the maintenance dialog closes: sorting the index after
// additions and packing after a deletion, for small and full registers.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/files.h"
#include "register/asset_files.h"
#include "register/reorganise.h"

namespace {

namespace fs = std::filesystem;

struct TempDirectory {
    std::string dir;
    TempDirectory() {
        std::random_device rd;
        dir = (fs::temp_directory_path() / ("dpbench-" + std::to_string(rd()))).string();
        fs::create_directory(dir);
    }
    ~TempDirectory() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

// n assets in reverse number order; every tenth is marked deleted.
void writeRegister(const std::string& dir, int n) {
    std::vector<unsigned char> fil, idx;
    fil.reserve(static_cast<std::size_t>(n) * dp::kAssetRecordLength);
    for (int i = 0; i < n; ++i) {
        dp::AssetRecord r;
        r.AssetNumber = dp::fixedText(std::string(1, 'A').append(std::to_string(n - i)), 6);
        r.Description = dp::fixedText(i % 10 == 0 ? std::string(dp::kDeletedMark) : "Machine " + std::to_string(i), 35);
        r.Book.Cost = 1000 + i;
        const auto b = r.encode();
        fil.insert(fil.end(), b.begin(), b.end());
        const auto e = dp::makeIndexBytes(r.AssetNumber, static_cast<std::int16_t>(i + 1));
        idx.insert(idx.end(), e.begin(), e.end());
    }
    std::ofstream(dir + "/depr.fil", std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(fil.data()), static_cast<std::streamsize>(fil.size()));
    std::ofstream(dir + "/depr.idx", std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(idx.data()), static_cast<std::streamsize>(idx.size()));
}

void run(benchmark::State& state, int changeFlag) {
    TempDirectory c;
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        platform::closeAllFiles();
        writeRegister(c.dir, n);
        std::unique_ptr<dp::Client> opened = dp::Client::open(c.dir, "bench");
        dp::MaintenanceState st;
        dp::LoadAssetIndex(*opened);
        st.changeFlag = static_cast<dp::ChangeFlag>(changeFlag);
        state.ResumeTiming();
        benchmark::DoNotOptimize(dp::ReorganiseAssetFiles(*opened, st));
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void BM_PackAfterDeletion(benchmark::State& state) { run(state, 1); }
void BM_SortIndexAfterAddition(benchmark::State& state) { run(state, 2); }

void BM_SortIndexInMemory(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    std::vector<dp::IndexBytes> base(1);
    std::mt19937 rng(7);
    for (int i = 0; i < n; ++i)
        base.push_back(dp::makeIndexBytes(std::string(1, 'A').append(std::to_string(rng() % 100000)),
                                          static_cast<std::int16_t>(i + 1)));
    for (auto _ : state) {
        std::vector<dp::IndexBytes> index = base;
        dp::sortIndexEntries(index, index.size() - 1);
        benchmark::DoNotOptimize(index.data());
    }
    state.SetItemsProcessed(state.iterations() * n);
}

}  // namespace

BENCHMARK(BM_PackAfterDeletion)->Arg(100)->Arg(5000)->Arg(32767)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortIndexAfterAddition)->Arg(100)->Arg(5000)->Arg(32767)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortIndexInMemory)->Arg(32767)->Unit(benchmark::kMicrosecond);

// The full register the report benchmarks run over: 32767 rows of every method family, with
// sales, markers, manual rows, heading and subtotal rows, in a temporary client directory.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "register/asset_files.h"
#include "register/records.h"

namespace benchregister {

namespace fs = std::filesystem;

void append(std::vector<unsigned char>& out, const auto& bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); }

inline dp::AssetRecord benchAsset(int i) {
    static const char* const methods[] = {"SL", "D200", "B200", "E", "F", "A5", "G1", "H1", "A", "B150", "D150", "M"};
    static const double rates[] = {5, 10, 7, 0.1, 39, 0, 0.5, 0, 3, 15, 8, 5};
    dp::AssetRecord r;
    const int m = i % 12;
    r.AssetNumber = dp::fixedText(std::to_string(i), 6);
    r.Description = dp::fixedText("Asset number " + std::to_string(i), 35);
    if (i % 50 == 0) {
        dp::date6FromText(r.DateAcquired, "H", false);
        return r;
    }
    if (i % 50 == 25) {
        dp::date6FromText(r.DateAcquired, "S", false);
        r.Description = dp::fixedText("Subtotal " + std::to_string(i), 35);
        return r;
    }
    const int month = 1 + i % 12;
    const int year = 1998 + i % 7;
    dp::date6FromText(r.DateAcquired, std::to_string(month * 1000000 + 15 * 10000 + year), false);
    if (i % 17 == 0) dp::date6FromText(r.DateSold, "063004", true);
    for (dp::BasisBlock* b : {&r.Book, &r.Tax}) {
        b->Method = dp::fixedText(methods[m], 4);
        b->Rate = rates[m];
        b->Manual = i % 29 == 0 ? 'Y' : 'N';
        b->Cost = 1000 + (i % 997) * 13.37;
        b->Salvage = i % 5 == 0 ? 100 : 0;
        b->Expense = i % 11 == 0 ? 250 : 0;
        b->Bonus3050 = i % 13 == 0 ? 300 : 0;
        b->Bonus = i % 7 == 0 ? 120.5 : 0;
        b->PriorDepr = (i % 7) * 50.0;
        b->CurrentDepr = 10;
    }
    return r;
}

class BenchClient {
public:
    BenchClient() {
        dir_ = fs::temp_directory_path() / ("dpbench-report-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir_);
        std::vector<unsigned char> fil, idx;
        for (int i = 1; i <= dp::kMaxRecords; ++i) {
            const dp::AssetRecord r = benchAsset(i);
            append(fil, r.encode());
            dp::IndexEntry e;
            e.AssetNumber = r.AssetNumber;
            e.RecordNumber = static_cast<std::int16_t>(i);
            append(idx, e.encode());
        }
        write("depr.fil", fil);
        write("depr.idx", idx);
        dp::CompanyRecord c;
        c.CompanyName = dp::fixedText("Benchmark Holdings", 25);
        c.FiscalYearEnd = dp::date6cFromText("12312004");
        c.CurrentPeriod = dp::date6cFromText("12312004");
        std::vector<unsigned char> co;
        for (int n = 1; n <= 3; ++n) append(co, c.encodeRecord(n));
        write("company.fil", co);
    }
    ~BenchClient() {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string code() const { return dir_.string(); }

private:
    void write(const std::string& name, const std::vector<unsigned char>& b) {
        std::ofstream(dir_ / name, std::ios::binary).write(reinterpret_cast<const char*>(b.data()),
                                                             static_cast<std::streamsize>(b.size()));
    }
    fs::path dir_;
};

}  // namespace benchregister

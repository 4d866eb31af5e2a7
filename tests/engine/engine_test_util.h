// Builders of asset records and engine inputs for the engine tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

#include "engine/depreciation.h"
#include "register/records.h"

namespace enginetest {

// A stored date6: the int32 of the digits as typed, then two NULs.
inline dp::Date6 storedDate(std::int32_t digits) {
    dp::Date6 d{};
    auto u = static_cast<std::uint32_t>(digits);
    for (int i = 0; i < 4; ++i) d[static_cast<std::size_t>(i)] = static_cast<char>((u >> (8 * i)) & 0xFF);
    return d;
}

struct Asset {
    std::string method = "SL";
    double rate = 5;
    double cost = 10000;
    double bonus = 0;
    double salvage = 0;
    double expense = 0;
    double bonus3050 = 0;
    double prior = 0;
    double current = 0;
    double cancelled = 0;
    char manual = 'N';
    std::int32_t acquired = 3102004;  // 03102004
    std::int32_t sold = 0;

    dp::AssetRecord record(char basis = 'T') const {
        dp::AssetRecord r;
        r.AssetNumber = "A1    ";
        r.Description = dp::fixedText("Test asset", 35);
        r.DateAcquired = storedDate(acquired);
        if (sold != 0) r.DateSold = storedDate(sold);
        dp::BasisBlock& b = r.block(basis);
        b.Method = dp::fixedText(method, 4);
        b.Rate = rate;
        b.Manual = manual;
        b.Cost = cost;
        b.Bonus = bonus;
        b.Salvage = salvage;
        b.Expense = expense;
        b.Bonus3050 = bonus3050;
        b.PriorDepr = prior;
        b.CurrentDepr = current;
        b.Cancelled = cancelled;
        return r;
    }
};

inline dp::EngineInputs inputs(const std::string& reportDate = "12312004",
                               const std::string& fiscalYearEnd = "12312004",
                               const std::string& round = "N", const std::string& basis = "T") {
    dp::ReportOptions o;
    o.reportDate = reportDate;
    o.reportBasis = basis;
    o.roundWholeDollars = round;
    return dp::makeEngineInputs(o, fiscalYearEnd);
}

inline dp::AssetFigures compute(const Asset& a, const dp::EngineInputs& in = inputs()) {
    return dp::computeDepreciation(a.record(in.basis), in);
}

// Runs a test body in another current directory and comes back.
class InDirectory {
public:
    explicit InDirectory(const std::filesystem::path& dir) : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(dir);
    }
    ~InDirectory() { std::filesystem::current_path(previous_); }
    InDirectory(const InDirectory&) = delete;
    InDirectory& operator=(const InDirectory&) = delete;

private:
    std::filesystem::path previous_;
};

inline std::filesystem::path dataDir() { return std::filesystem::path(DP_SOURCE_DIR) / "data"; }

}  // namespace enginetest

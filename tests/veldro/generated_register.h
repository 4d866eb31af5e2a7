// Registers of every kind of row the tool must carry: assets of every method family with prior
// depreciation, sales, manual rows, expense deductions and bonuses, heading and subtotal rows,
// records marked deleted, descriptions with the accented letters and symbols of code page 437.
// Each is made from a seed, so that a failure can be repeated.
#pragma once

#include <random>
#include <string>
#include <vector>

#include "register/records.h"

namespace veldrotest {

struct GeneratedRegister {
    std::vector<dp::AssetRecord> records;  // in asset number order, as the index lists them
};

inline double amount(std::mt19937& rng, int maxDollars) {
    std::uniform_int_distribution<int> d(0, maxDollars * 100);
    return d(rng) / 100.0;
}

inline dp::BasisBlock generatedBlock(std::mt19937& rng) {
    static const char* const methods[] = {"SL", "D200", "D150", "B200", "B150", "E", "F", "A3", "A5", "A10", "A", "G1", "H1"};
    static const double lives[] = {5, 7, 3, 10, 15, 0.2, 39, 3, 5, 10, 5, 18, 19};
    std::uniform_int_distribution<int> pick(0, 12), pct(0, 9);
    const int m = pick(rng);
    dp::BasisBlock b;
    b.Method = dp::fixedText(methods[m], 4);
    b.Rate = lives[m];
    b.Manual = pct(rng) == 0 ? 'Y' : 'N';
    b.Cost = amount(rng, 50000) + 100;
    if (pct(rng) < 3) b.Salvage = amount(rng, 50);
    if (pct(rng) == 0) b.Expense = amount(rng, 80);
    if (pct(rng) == 1) b.Bonus3050 = amount(rng, 60);
    if (pct(rng) == 2) b.Bonus = amount(rng, 40);
    if (pct(rng) < 5) b.PriorDepr = amount(rng, 30) * b.Cost / 100;
    b.PriorDepr = static_cast<double>(static_cast<long long>(b.PriorDepr * 100)) / 100;
    if (b.Manual == 'Y') b.CurrentDepr = amount(rng, 500);
    b.Code4562 = dp::fixedText(pct(rng) < 5 ? "19" : "2,6", 6);
    return b;
}

inline dp::AssetRecord generatedAsset(std::mt19937& rng, int n) {
    static const char* const words[] = {"Lathe", "Caf\x82 table", "Truck \xAE" "old\xAF", "Press", "Desk \xAC",
                                        "Forklift", "Paint, \"blue\"", "Shelving", "Copier", "Van"};
    std::uniform_int_distribution<int> w(0, 9), month(1, 12), day(1, 28), year(1990, 2004), pct(0, 19);
    dp::AssetRecord r;
    r.AssetNumber = dp::fixedText("G" + std::to_string(n), 6);
    r.Description = dp::fixedText(std::string(words[w(rng)]) + " " + std::to_string(n), 35);
    const int y = year(rng), mo = month(rng), d = day(rng);
    char date[16];
    if (pct(rng) < 5) std::snprintf(date, sizeof date, "%02d%02d%02d", mo, d, y % 100);
    else std::snprintf(date, sizeof date, "%02d%02d%04d", mo, d, y);
    dp::date6FromText(r.DateAcquired, date, false);
    if (pct(rng) == 0) dp::date6FromText(r.DateSold, "09302004", true);
    r.Book = generatedBlock(rng);
    r.Tax = pct(rng) < 10 ? r.Book : generatedBlock(rng);
    if (pct(rng) == 1) r.Description = dp::fixedText(dp::kDeletedMark, 35);
    return r;
}

// n rows: assets in sections, each opened by a heading row and closed by a subtotal row.
inline GeneratedRegister generatedRegister(unsigned seed, int n) {
    std::mt19937 rng(seed);
    GeneratedRegister g;
    for (int i = 1000; i < 1000 + n; ++i) {
        dp::AssetRecord r;
        if (i % 25 == 0 || i % 25 == 24) {
            r.AssetNumber = dp::fixedText("G" + std::to_string(i), 6);
            r.Description = dp::fixedText(i % 25 == 0 ? "SECTION " + std::to_string(i) : "SECTION TOTAL", 35);
            dp::date6FromText(r.DateAcquired, i % 25 == 0 ? "H" : "S", false);
        } else {
            r = generatedAsset(rng, i);
        }
        g.records.push_back(r);
    }
    return g;
}

}  // namespace veldrotest

// Close Current Period: carries each asset's current-year depreciation into its prior
// depreciation on both bases, drops the records marked deleted, renumbers the survivors and moves
// the company's fiscal year end (and current period) one year ahead.
//
// The new register and company file are written completely beside the old ones (NEW.IDX,
// NEW.FIL, NEWCOMP.FIL), flushed, and then put in place together through the replacement
// journal, so an interruption at any moment leaves either the whole old year or the whole new
// year, never records of one with the fiscal year end of the other. The files of the old year
// stay in the data directory as DEPRyyyy.FIL, DEPRyyyy.IDX and COMPyyyy.FIL.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "register/asset_files.h"
#include "register/records.h"

namespace dp {

// The menu's "Close Current &Period".
void RunClosePeriod(const std::string& clientCode);

// ---------------------------------------------------------------------------------------------
// The carry-over itself, on records in memory.

// One index entry in index-file order with the record it points to; record is empty when the
// entry points outside depr.fil (record number 0, negative, or past the end of the file).
struct CloseEntry {
    std::string assetNumber;      // the entry's first six characters
    std::int16_t recordNumber = 0;
    std::optional<AssetRecord> record;
};

// The register after the close: entry k (from 0) names records[k] as record k + 1.
struct CarriedRegister {
    std::vector<IndexBytes> index;
    std::vector<AssetRecord> records;
};

// prior + current, rounded to cents when the sum's shortest decimal text shows more than two
// decimals (or is a whole number of three characters or more, which the mask leaves unchanged).
double carriedPriorDepr(double prior, double current);
// Both bases: prior depreciation takes in the current-year amount, which becomes 0.
void carryOverRecord(AssetRecord& rec);
// The close's deletion mark: the description without trailing blanks is exactly the mark.
bool isDeletedForClose(const AssetRecord& rec);
// Survivors in index order, renumbered from 1. Entries with record number 0, entries pointing
// outside the file and deleted records are dropped.
CarriedRegister carryOverRegister(std::vector<CloseEntry> entries);

// The bases on which no depreciation was computed for the year being closed. A basis lacks its
// figures when some live asset still has something to depreciate on it (cost less bonus,
// salvage, expense deduction, 30/50 bonus and prior depreciation above 0) and every such asset
// has a current-year amount of 0 there. Live: an ordinary row that the report computes (not a
// heading or subtotal row, an empty slot, a deleted or sold asset, or a row the report leaves
// out).
struct YearFigures {
    bool bookMissing = false;
    bool taxMissing = false;
    bool anyMissing() const { return bookMissing || taxMissing; }
};
YearFigures yearFigures(const std::vector<CloseEntry>& entries);

// The fiscal year end one year later as MMDDYYYY, or nothing when the company has no usable
// fiscal year end (month and day not four digits, or a year outside 1..9998).
std::optional<std::string> nextFiscalYearEnd(const Date6c& fiscalYearEnd);

struct ClosedYear {
    CarriedRegister assets;
    std::optional<std::string> newFiscalYearEnd;
};
ClosedYear closeYear(std::vector<CloseEntry> entries, const Date6c& fiscalYearEnd);

// The files of a closed year kept in the data directory: (file now, name it is kept under).
struct OldYearFile {
    const char* current;
    std::string kept;
};
// For the fiscal year that ends in `year` (four digits): DEPRyyyy.FIL, DEPRyyyy.IDX, COMPyyyy.FIL.
std::vector<OldYearFile> oldYearFiles(const std::string& year);

// Names of the work files the close writes in the data directory.
inline constexpr const char* kNewIndexName = "NEW.IDX";
inline constexpr const char* kNewAssetName = "NEW.FIL";
inline constexpr const char* kNewCompanyName = "NEWCOMP.FIL";

}  // namespace dp

// The current-period depreciation of one asset on one basis (book or tax) up to the report date,
// and the amount cancelled when it has been sold. The calculation is a pure function of the
// record, the report's options and the company's fiscal year end; the report stores the result
// in depr.fil.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "engine/report_options.h"
#include "register/records.h"

namespace dp {

// Reads the rate of a table method: code (e.g. "A5", "G1"), recovery year, acquisition date and
// fiscal year end (MMDDYYYY). The engine uses loadTableRate unless another reader is given.
using TableRateReader =
    std::function<float(std::string_view code, int recoveryYear, std::string_view acquisitionDate,
                        std::string_view fiscalYearEnd)>;

struct EngineInputs {
    std::string reportDate;     // MMDDYYYY
    std::string fiscalYearEnd;  // MMDDYYYY
    char basis = 'T';           // 'B' book block, otherwise the tax block
    bool roundWholeDollars = false;
    std::int32_t periodMonths = 12;
    TableRateReader tableRate;  // empty: loadTableRate (files of the current directory)
};

// The inputs of a report run: the dates normalised, the period months counted, and the rate
// tables of the current directory read once for the run. The caller tests periodMonths
// (periodWithinFiscalYear) before computing any asset.
EngineInputs makeEngineInputs(const ReportOptions& options, std::string_view fiscalYearEndText);

// The amounts of the chosen basis block, as the report prints and totals them.
struct AssetAmounts {
    std::string Method;  // trailing blanks removed
    double Rate = 0;
    char Manual = ' ';
    double Cost = 0;
    double Bonus = 0;
    double Salvage = 0;
    double Expense = 0;
    double Bonus3050 = 0;
    double PriorDepr = 0;
    double CurrentDepr = 0;  // the result (the stored value for a manual row)
    double Cancelled = 0;    // the result: prior + current when sold, otherwise as stored
};

// What the engine works out for one asset on the chosen basis.
struct AssetDepreciation {
    AssetAmounts amounts;
    std::int32_t periodMonths = 0;
    std::int32_t serviceMonths = 0;
    std::int32_t periodServiceMonths = 0;
    std::int32_t recoveryYear = 0;
    std::int32_t firstYearMonths = 0;
    bool manual = false;
    // The first year of a long-lived F asset, depreciated by the mid-month rule; the report's
    // bonus total leaves such rows out.
    bool endedAtMidMonth = false;
    bool sold = false;               // a sale date is stored
    std::string tableCode;           // the code a table method read ("A" alone becomes "A" + life)
};

struct AssetFigures : AssetDepreciation {
    AssetRecord record;              // the record with CurrentDepr and Cancelled of the block set
};

// The calculation for one ordinary asset row (not a heading, subtotal, empty or deleted row).
// The returned record holds the new CurrentDepr and Cancelled in the chosen block; the report
// stores it unless the row is manual.
AssetFigures computeDepreciation(const AssetRecord& record, const EngineInputs& inputs);

// The same calculation without a copy of the record, for a walk over a whole register; with
// storeDepreciation the record becomes the one computeDepreciation returns.
AssetDepreciation depreciationOf(const AssetRecord& record, const EngineInputs& inputs);
void storeDepreciation(AssetRecord& record, const AssetDepreciation& figures, char basis);

}  // namespace dp

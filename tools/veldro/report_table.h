// The depreciation report's asset lines as a table for a spreadsheet: the figures the report
// computes and prints for each asset, one row each.
#pragma once

#include <string>
#include <vector>

#include "engine/depreciation.h"
#include "register_rows.h"

namespace veldro {

// asset_number, description, date_acquired, cost, salvage (the report's Salvage column: salvage,
// expense deduction and 30/50 bonus together), net, method, rate, prior, current, cancelled,
// ending, sold (Y or N); UTF-8, a header row.
std::string reportCsv(const std::vector<RegisterRow>& rows, const dp::EngineInputs& inputs);

}  // namespace veldro

// The choices of the depreciation report's options dialog, read by the report and the engine.
#pragma once

#include <string>

namespace dp {

struct ReportOptions {
    std::string reportDate;         // as typed; normalised before use
    std::string reportBasis = "T";  // "B" book block, "T" tax block
    std::string roundWholeDollars;  // "Y" rounds each asset's current depreciation; "" counts as "N"
};

// The module-wide options: they live as long as the module stays loaded, so the rounding choice
// carries over from one report to the next.
ReportOptions& reportOptions();

}  // namespace dp

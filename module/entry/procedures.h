// The top-level procedures the menu runs, each with the client code.
#pragma once

#include <string>

#include "amort/amortization.h"
#include "form4562/form4562.h"

namespace dp {

void RunAssetMaintenance(const std::string& clientCode);
void RunCompanyMaintenance(const std::string& clientCode);
void RunDepreciationReport(const std::string& clientCode);
void RunClosePeriod(const std::string& clientCode);

}  // namespace dp

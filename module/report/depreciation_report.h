// The depreciation report: the run over the asset file that has the engine compute and store
// each asset's current depreciation and writes report.txt through DepreciationReportLayout
// (report/report_layout.h), then hands it to the printer path.
#pragma once

#include <string>

#include "engine/report_options.h"
#include "register/client.h"
#include "report/report_layout.h"
#include "report/report_options_dialog.h"

namespace dp {

// The menu's "Depreciation Report".
void RunDepreciationReport(const std::string& clientCode);
// The report after its options are chosen, on a client already open.
void reportWithOptions(Client& client, const ReportOptions& options);

}  // namespace dp

// The depreciation report: the run over the asset file that has the engine compute and store
// each asset's current depreciation and writes report.txt through DepreciationReportLayout
// (report/report_layout.h), then hands it to the printer path.
#pragma once

#include <functional>
#include <string>

#include "engine/report_options.h"
#include "register/client.h"
#include "report/report_layout.h"
#include "report/print_report.h"
#include "report/report_options_dialog.h"

namespace dp {

// The menu's "Depreciation Report".
void RunDepreciationReport(const std::string& clientCode);
// What becomes of report.txt once it and the figures it shows are in place (file, title, job
// name): the print-out for the menu.
using ReportPrinter = std::function<void(const std::string&, const std::string&, const std::string&)>;

// The report after its options are chosen, on a client already open. `print` is called only when
// the report is written and its figures stored.
void reportWithOptions(Client& client, const ReportOptions& options, const ReportPrinter& print = printReportFile);

}  // namespace dp

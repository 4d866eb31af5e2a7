// The depreciation report's options dialog (report date, book or tax basis, rounding to whole
// dollars) and the test of the period it gives.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/report_options.h"
#include "platform/dialog.h"

namespace dp {

// The dialog offering the date.
platform::DialogTemplate buildReportOptionsDialog(const std::string& date);

// Shows the dialog starting from the options given. The chosen options, or nothing when the
// user cancelled.
std::optional<ReportOptions> showReportOptions(const ReportOptions& current);

// The company's fiscal year end (MMDDYYYY, as the company file gives it) is a date: true, or the
// user is told to enter it in Company File Maintenance and false is returned.
bool acceptFiscalYearEnd(const std::string& fiscalYearEnd);

// The report's period test: true when periodMonths is 1..12; otherwise the refusal is shown
// (error icon, empty title) and false is returned.
bool acceptReportPeriod(std::int32_t periodMonths);

}  // namespace dp

// The depreciation report's options dialog (report date, book or tax basis, rounding to whole
// dollars) and the test of the period it gives.
#pragma once

#include <cstdint>
#include <string>

#include "platform/dialog.h"

namespace dp {

// The dialog offering the date.
platform::DialogTemplate buildReportOptionsDialog(const std::string& date);

// Shows the dialog over the module-wide options. Sets abortRequested when the user cancels.
void showReportOptions();

// The report's period test: true when periodMonths is 1..12; otherwise the refusal is shown
// (error icon, empty title) and false is returned.
bool acceptReportPeriod(std::int32_t periodMonths);

}  // namespace dp

// The Company File Maintenance dialog: the three company records in eight edit boxes, written
// back whenever the dialog closes.
#pragma once

#include <string>

#include "platform/dialog.h"
#include "register/records.h"

namespace dp {

// The company records while the dialog is open, with the two dates as typed (stored in date6c
// form when the dialog closes).
struct CompanyEdit {
    CompanyRecord company;
    std::string fiscalYearEndText;
    std::string currentPeriodText;
    int focusBox = 0;  // the box the dialog opens on (a date that was refused), 0 for the first
    // The dates as they were read: a date left as it was is written back as it was, even when
    // it is not a date another program can read.
    std::string readFiscalYearEnd;
    std::string readCurrentPeriod;
};

// Whether a typed company date can be stored: empty (no date yet), or MMDDYY / MMDDYYYY digits
// naming a day of the calendar.
bool isCompanyDate(const std::string& text);

platform::DialogTemplate buildCompanyMaintenanceDialog(const std::string& clientCode, const CompanyEdit& edit);
void RunCompanyMaintenance(const std::string& clientCode);

}  // namespace dp

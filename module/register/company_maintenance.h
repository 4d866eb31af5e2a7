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

// The longest text a date box takes ("12/31/2004").
inline constexpr int kCompanyDateWidth = 10;

// A date box's text as the company file stores it (date6c, read as MMDDYYYY): a date typed in
// any of the accepted forms as MMDDYYYY, an empty box as empty, and a text left as it was read
// as it was. Only texts that were checked (a date, empty, or unchanged) come here.
std::string storedCompanyDate(const std::string& typed, const std::string& read);

platform::DialogTemplate buildCompanyMaintenanceDialog(const std::string& clientCode, const CompanyEdit& edit);
void RunCompanyMaintenance(const std::string& clientCode);

}  // namespace dp

// Pieces of the Form 4562 run that the tests reach on their own.
#pragma once

#include <string>

#include "form4562/form_lines.h"

namespace dp {

// The text of the run's error box for an error number: the printer message for 24, 25 and 68
// (device timeout, device fault, device unavailable), the numbered message otherwise.
std::string form4562ErrorText(int errorNumber);

// Error numbers the run reports.
inline constexpr int kErrDiskFull = 61;
inline constexpr int kErrAccess = 75;
inline constexpr int kErrPathNotFound = 76;

// Totals the register of the client's data directory (depr.idx in file order, each entry's
// depr.fil record). Entries whose record number is not a record of depr.fil are skipped.
FormTotals totalRegister(const std::string& clientCode);

}  // namespace dp

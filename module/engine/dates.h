// Date texts of the engine: typed and stored dates are brought to MMDDYYYY, then ordered by day
// and month serial numbers. The report period is the part of the fiscal year up to the report date.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace dp {

// "/"- or "-"-separated dates lose their separators (a one-digit month or day gets its leading
// zero), a 5- or 7-character result gets a "0" in front, and a 6-character MMDDYY result takes
// the century 20 for YY below 50, else 19.
std::string normalizeDate(std::string_view text);

// The numeric value of a date part: leading blanks skipped, then the leading digits; 0 when there
// are none. Values are capped at 999999 so that the serial numbers below stay in 32 bits.
std::int32_t datePartValue(std::string_view part);

struct DateParts {
    std::int32_t month = 0;  // characters 1-2
    std::int32_t day = 0;    // characters 3-4
    std::int32_t year = 0;   // characters 5 onward
};
DateParts splitDate(std::string_view mmddyyyy);

// Day number used to order dates (a leap day every fourth year).
std::int32_t daySerial(std::string_view mmddyyyy);
// 12 x year + month.
std::int32_t monthSerial(std::string_view mmddyyyy);
// The same of a date already split (splitDate), which the engine does once per date.
std::int32_t daySerial(const DateParts& parts);
std::int32_t monthSerial(const DateParts& parts);

// Months of the fiscal year up to the report date; both texts normalised. 1..12 when the report
// date lies within the twelve months that end with the fiscal year end month.
std::int32_t reportPeriodMonths(std::string_view reportDate, std::string_view fiscalYearEnd);
inline bool periodWithinFiscalYear(std::int32_t periodMonths) {
    return periodMonths >= 1 && periodMonths <= 12;
}

}  // namespace dp

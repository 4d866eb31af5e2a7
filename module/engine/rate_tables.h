// Rate tables of the ACRS methods: small text files of the installation, one per recovery class
// (they can be replaced without changing the program).
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dp {

// The file of a whole method code ("A5" -> "ACRS5.tbl"); nullptr when the code has no table.
const char* rateTableFile(std::string_view code);
// True when the file is a month table (rows of twelve values, one row per recovery year).
bool isMonthTable(std::string_view code);

// The column of a month table: for G and H codes the fiscal year end month less the acquisition
// month, 12 added when that is 0 or less; for A codes the same when the number after the letter
// is part of "4578", otherwise 1.
int tableColumn(std::string_view code, int acquisitionMonth, int fiscalYearEndMonth);

// The fraction of the recovery year for the code, read from its file in the current directory.
// Values of 1 or more are percentages. A code without a file, a missing or short file, a
// recovery year before the first or after the last value, or a column outside 1..12 give 0.
// Values are held in single precision.
// The rate table files in the current directory that exist but cannot be read as tables (not an
// ordinary file, larger than any table, unreadable), one "file: why" a line; empty when none.
std::string unusableRateTables();

float loadTableRate(std::string_view code, int recoveryYear, std::string_view acquisitionDate,
                    std::string_view fiscalYearEnd);

// The tables as one report run reads them: each file is read the first time one of its codes is
// asked for and kept for the rest of the run. The files are installation data that no run
// changes, so this gives the rates that reading them anew for every asset gives.
class RateTables {
public:
    // As loadTableRate.
    float rate(std::string_view code, int recoveryYear, std::string_view acquisitionDate,
               std::string_view fiscalYearEnd);

private:
    const std::vector<float>& fileValues(const char* file, bool monthTable);

    std::vector<std::pair<const char*, std::vector<float>>> files_;  // by file name, in the order read
};

// The values of a table text in file order (fields separated by commas or line ends; blank lines
// give no value, an empty field between commas gives 0, a field that does not start with a number
// gives 0, a value beyond single precision gives 0). Reads at most maxValues values. Exposed for
// the tests; the files are parsed the same way.
int parseTableValues(std::string_view text, float* values, int maxValues);

}  // namespace dp

// The register as a table for other programs: one row per record in index order, its fields
// as text. The same columns are what an import reads (register_import.h).
#pragma once

#include <string>
#include <vector>

#include "register/records.h"
#include "register_rows.h"

namespace veldro {

// The fields of a basis block, as the columns name them after "book_" or "tax_".
inline constexpr const char* kBasisFields[12] = {
    "method",  "rate",        "manual",             "cost",                 "bonus",     "salvage",
    "expense", "bonus_30_50", "prior_depreciation", "current_depreciation", "cancelled", "code_4562"};

// row, deleted, asset_number, description, date_acquired, date_sold, book_method ... tax_code_4562.
const std::vector<std::string>& registerColumns();

// An amount with a decimal point and two decimals, no grouping ("1500.00", "-12.35"), rounded to
// the cent ties to even; "NaN", "Infinity" or "-Infinity" for a stored value that is no number.
std::string amountText(double value);
// A rate or life: two decimals when that is all it has ("5.00", "0.20"), else as many as it
// needs ("0.125"), so that nothing of it is lost.
std::string rateText(double value);
// A stored date as YYYY-MM-DD; empty for no date. A stored value that is no calendar date stays
// as its digits (asIs is then set).
std::string exportDate(const dp::Date6& date, bool isDateSold, bool& asIs);

struct ExportValue {
    enum class Kind { Text, Number, Flag } kind = Kind::Text;
    std::string text;
};

// The row of a record, in the order of registerColumns(). What could not be written as the
// column's form is noted in notes ("asset 104: date_sold ...").
std::vector<ExportValue> exportValues(const dp::AssetRecord& record, std::vector<std::string>& notes);

// Every row that holds a record (not an empty slot): CSV with a header row (CR LF line ends),
// or JSON (an array of objects, one line each).
std::string exportCsv(const RowWalk& rows, std::vector<std::string>& notes);
std::string exportJson(const RowWalk& rows, std::vector<std::string>& notes);

}  // namespace veldro

// Number-to-text routines shared by every report: the mask formatter and its helpers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "format/money.h"

namespace platform {
class TextFile;
}

namespace dp {

// Formats value with a mask. Mask characters: # digit, 0 digit or "0", . decimal point,
// , thousands grouping, % percent (x100), E/e scientific notation, * fill with the next
// character, "..." and \c literals, ; sections (positive;negative;zero). Every other
// character is copied. The value is first written to 18 significant digits, then rounded to
// the mask's decimals on that digit string (ties to even).
std::string formatNumber(double value, std::string_view mask);
std::string formatNumber(Cents value, std::string_view mask);
std::string formatNumber(Mills4 value, std::string_view mask);

// The number right-aligned in a field as wide as the mask without its trailing blanks, plus one
// blank when the mask had trailing blanks. "-0.00" becomes zero. A number too long for its
// field never shows as a different number: it is cut only where that loses trailing zeros
// after the point, else written without grouping, else the field is filled with "*".
std::string fitToMask(double value, std::string_view mask);
std::string fitToMask(Cents value, std::string_view mask);
std::string fitToMask(std::int32_t value, std::string_view mask);

// The 11-character money column of the reports ("#,.00 " below one million, "#.00 " from it).
std::string moneyColumn(double value);
std::string moneyColumn(Cents value);
// Appends moneyColumn(value) to the open report file, without a line end.
void printMoneyColumn(platform::TextFile& file, double value);
void printMoneyColumn(platform::TextFile& file, Cents value);

// Leading and trailing blanks, then NULs, then blanks, then NULs removed.
std::string trimBlanksAndNuls(std::string_view text);

// The value of the number at the start of a text (after leading blanks): optional sign, digits,
// decimal point, digits, exponent. 0 when the text does not start with a number.
double leadingNumber(std::string_view text);

// Shortest decimal text of a value with up to 15 significant digits (no exponent for ordinary
// amounts), as a plain number: "12", "0.25", "-3.5".
std::string shortestDecimal(double value);

}  // namespace dp

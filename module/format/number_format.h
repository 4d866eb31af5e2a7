// Number-to-text routines shared by every report: the mask formatter and its helpers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "format/money.h"

namespace dp {

// Formats value with a mask. Mask characters: # digit, 0 digit or "0", . decimal point,
// , thousands grouping, % percent (x100), E/e scientific notation, * fill with the next
// character, "..." and \c literals, ; sections (positive;negative;zero). Every other
// character is copied. The value is first written to 18 significant digits, then rounded to
// the mask's decimals on that digit string (ties to even). A value below one shows "0" before
// the point when the mask has integer positions. A value that is not a number gives "*" for
// every character of the mask's first section (its trailing blanks kept); an empty mask gives
// the plain number (shortestDecimal).
std::string formatNumber(double value, std::string_view mask);
std::string formatNumber(Cents value, std::string_view mask);
std::string formatNumber(Mills4 value, std::string_view mask);

// The number right-aligned in a field as wide as the mask without its trailing blanks, plus one
// blank when the mask had trailing blanks. "-0.00" becomes zero. A number too long for its
// field never shows as a different number: it is cut only where that loses trailing zeros
// after the point, else written without grouping, else the field is filled with "*" (also for
// a value that is not a number). Any minus zero, not only "-0.00", shows as zero.
std::string fitToMask(double value, std::string_view mask);
std::string fitToMask(Cents value, std::string_view mask);
std::string fitToMask(std::int32_t value, std::string_view mask);

// fitToMask for a column of figures on a line: the number always keeps a blank (or a literal
// text of the mask) in front of it. One that would fill the field to its first character is
// written without grouping, and as a blank and "*"s when even that does not fit; zeros after
// the point are never cut.
std::string fitToColumn(double value, std::string_view mask);
std::string fitToColumn(Cents value, std::string_view mask);
std::string fitToColumn(std::int32_t value, std::string_view mask);

inline constexpr std::size_t kMoneyColumnWidth = 11;
// The 11-character money column of the reports ("#,.00 " below one million, "#.00 " from it),
// which the report appends to its line. Minus zero shows as "0.00 "; an amount too long for the
// column drops its grouping, and one still too long (or not a number) shows as ten "*" and the
// blank.
std::string moneyColumn(double value);
std::string moneyColumn(Cents value);
// The same column written into field (kMoneyColumnWidth characters), or appended to the text a
// report is writing.
void putMoneyColumn(char* field, double value);
void putMoneyColumn(char* field, Cents value);
void appendMoneyColumn(std::string& out, double value);
void appendMoneyColumn(std::string& out, Cents value);

// Leading and trailing blanks, then NULs, then blanks, then NULs removed.
std::string trimBlanksAndNuls(std::string_view text);

// The value of the number at the start of a text (after leading blanks): optional sign, digits,
// decimal point, digits, exponent (E or D). 0 when the text does not start with a number, and
// 0 for a number too large for a double.
double leadingNumber(std::string_view text);

// Shortest decimal text of a value with up to 15 significant digits (no exponent for ordinary
// amounts), as a plain number: "12", "0.25", "-3.5". From 1E+21 and below 1E-7 the exponent
// form "1.5E+21" is used; "NaN", "Inf" and "-Inf" for values that are not numbers.
std::string shortestDecimal(double value);

}  // namespace dp

// Reading what a bookkeeper types: one reading of numbers (money, rates, lives, counts) and one of
// dates, for every box of the module and for anything else that takes the same figures as text
// (an import of assets from a file). Both are pure: they return the value, or why the text is
// refused, and never show anything; the caller names the box and says so.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace dp {

// ---- numbers ------------------------------------------------------------------------------------

enum class NumberRefusal {
    None,
    NotANumber,         // letters, inner blanks, a trailing sign, brackets, nothing but a sign ...
    MisplacedGrouping,  // "," anywhere but between groups of three digits before the point
    TooLarge,           // beyond what a double holds
};

struct TypedNumber {
    NumberRefusal refusal = NumberRefusal::None;
    double value = 0;    // 0 when refused, and for an empty text
    bool empty = false;  // nothing but blanks: a box left empty (value 0)
    bool ok() const { return refusal == NumberRefusal::None; }
};

// Contract. Blanks and tabs around the text are ignored; nothing else is. Accepted, read as what
// it says:
//   [sign] ["$"] digits [ "." [digits] ]        also "." digits, and "$" before the sign
//   digits may be grouped by "," in threes: 1,500 12,500.00 1,234,567 (the first group 1-3)
//   a plain number may end in an exponent: E, e, D or d, an optional sign, digits (1.5E3)
// Every text that the leading-number reading of the dialogs reads to its end (a number and
// nothing after it) has the value that reading gives it, bit for bit, so stored figures and
// earlier entries keep their values. Anything else is refused: "1 500", "12O.00", "1500-",
// "(200)", "abc", "five", "12,50", "$", "-". An empty text is accepted as 0 with `empty` set;
// whether a box may stay empty is the caller's rule.
TypedNumber readTypedNumber(std::string_view text);

// Why `typed` was refused, as a sentence for a message whose title names the box:
// "\"12O.00\" is not a number. Type digits, ..." ("" for NumberRefusal::None).
std::string numberRefusalText(std::string_view typed, NumberRefusal why);

// ---- dates --------------------------------------------------------------------------------------

enum class DateRefusal {
    None,
    NotADate,    // not one of the forms below
    NoSuchMonth,
    NoSuchDay,   // 02/30/2004, 04/31/2004, 02/29/2003
    YearOutOfRange,
};

// The years a typed date may name.
inline constexpr int kFirstTypedYear = 1900;
inline constexpr int kLastTypedYear = 2099;

struct TypedDate {
    DateRefusal refusal = DateRefusal::None;
    bool empty = false;         // nothing but blanks
    int month = 0, day = 0, year = 0;  // year with four digits
    bool twoDigitYear = false;  // typed with a two-digit year
    bool ok() const { return refusal == DateRefusal::None; }

    std::string mmddyyyy() const;  // "03152004"
    std::string mmddyy() const;    // "031504"
    // The digits in the form the date was typed in: MMDDYY for a two-digit year, else MMDDYYYY.
    std::string asTyped() const { return twoDigitYear ? mmddyy() : mmddyyyy(); }
};

// Contract. Blanks around the text are ignored. Accepted forms, month first:
//   MMDDYY and MMDDYYYY (six or eight digits), and MDDYY, MDDYYYY (five or seven: the month's
//   leading zero left out);
//   month/day/year or month-day-year: one or two digits of month and of day, two or four of the
//   year, one separator throughout ("3/15/04", "03-15-2004").
// A two-digit year below 50 is 20YY, else 19YY, as the depreciation report reads them. The date
// must be a calendar date (leap years as the calendar has them) from kFirstTypedYear to
// kLastTypedYear. An empty text is accepted with `empty` set; whether a box may stay empty, and
// what special values it takes besides dates, is the caller's rule.
TypedDate readTypedDate(std::string_view text);

// Why `typed` was refused, as a sentence for a message whose title names the box:
// "\"13/45/2004\" is not a date: there is no month 13. Type ..." ("" for DateRefusal::None).
std::string dateRefusalText(std::string_view typed, const TypedDate& reading);

}  // namespace dp

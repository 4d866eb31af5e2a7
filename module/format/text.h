// Small text routines of the records and reports: fixed widths, case, trimming blanks, and the
// slashed form in which reports print a date.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace dp {

// Text cut or blank-padded to a fixed width.
std::string fixedText(std::string_view text, std::size_t width);
std::string upperCase(std::string_view text);
std::string trimRight(std::string_view text);  // trailing blanks removed
std::string trimBoth(std::string_view text);   // leading and trailing blanks removed
std::string nulsToBlanks(std::string text);     // a stored field's NUL bytes read as blanks
// Stored text on its way into a printed file: control bytes (below 32, and 127) become blanks,
// so that no description or name ever acts as a printer command.
std::string controlsToBlanks(std::string text);

// A date text as the reports print it: characters 1-2, "/", characters 3-4, "/", the last two
// characters (MMDDYY and MMDDYYYY both give MM/DD/YY).
std::string slashedDate(std::string_view date);

}  // namespace dp

// The printed face of Form 4562 page 1 for a character printer: label bars, part labels, marks,
// ruling, title block, line numbers, line texts, captions and column headings, written in ten
// passes over one sheet with reverse feeds between them. Only the year text varies.
#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "platform/files.h"

namespace dp {

inline constexpr int kBackgroundPasses = 10;

struct FormBackground {
    std::string bytes;
    // passStart[i] is the offset of pass i + 1; passStart[10] is the end.
    std::array<std::size_t, kBackgroundPasses + 1> passStart{};
};

// The form's year text, four characters: the last four of the fiscal-year-end text, with control
// bytes shown as blanks and a shorter text padded with blanks on the left.
std::string formYearText(const std::string& fiscalYearEndText);

// The year named on line 10 as the one the carryover comes from: the year before the form's
// year, four digits; the year text itself when it is not a year from 1 to 9999.
std::string carryoverYearText(const std::string& yearText);

FormBackground buildFormBackground(const std::string& yearText);

// Writes the background to the open form file, which stays open for the values layer.
void WriteFormBackground(platform::TextFile& formFile, const std::string& yearText);

}  // namespace dp

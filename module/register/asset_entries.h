// What the Asset File Maintenance dialog's boxes may hold when a record is saved: amounts and
// rates that read whole, calendar dates (or the row markers), Y or N in the manual-calculation
// boxes, and no description that only looks like the deletion mark. The first box that does
// not is named, so that the dialog can say so and put the focus there.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace dp {

// Longest texts the boxes take: the widths of the fields they stand for. A date box takes the
// longest form of a date ("03/15/2004").
inline constexpr int kAssetNumberWidth = 6;
inline constexpr int kDescriptionWidth = 35;
inline constexpr int kTypedDateWidth = 10;
inline constexpr int kMethodWidth = 4;
inline constexpr int kManualWidth = 1;
inline constexpr int kCode4562Width = 6;

struct BoxRefusal {
    int box = 0;        // the control ID at fault
    std::string title;  // the box's caption, and its basis for the book and tax boxes
    std::string text;   // what is wrong
};

// The first box, in the dialog's order, whose text cannot be stored; nothing when all can.
// textOf gives the text of a box by its control ID (202 to 216, 305 to 316).
std::optional<BoxRefusal> refusedAssetBox(const std::function<std::string(int)>& textOf);

// A checked date box's text in the form the record stores it (date6): the digits as typed for
// a date (MMDDYY or MMDDYYYY), "S" or "H" for the row markers of Date Acquired, empty for a box
// left empty or zero (no date).
std::string storedAssetDateText(const std::string& typed, bool isDateSold);

}  // namespace dp

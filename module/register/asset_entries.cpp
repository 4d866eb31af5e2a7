#include "register/asset_entries.h"

#include "format/text.h"
#include "format/typed_entries.h"
#include "register/records.h"

namespace dp {

namespace {

constexpr int kDescriptionBox = 202;
constexpr int kAcquiredBox = 203;
constexpr int kSoldBox = 204;

// Captions of the basis boxes by field number (the last two digits of the control ID).
const char* basisCaption(int field) {
    static const char* const captions[] = {"Method",       "Rate",          "Manual Calculation Y/N",
                                           "Cost",         "Bonus Depreciation", "Salvage Value",
                                           "Expense Deduction", "30/50 Bonus", "Prior Depreciation",
                                           "Current year depreciation", "Cancelled", "Form 4562 Code"};
    return captions[field - 5];
}

std::string basisTitle(int box) {
    return std::string(basisCaption(box % 100)) + (box < 300 ? " (book)" : " (tax)");
}

bool isNumberField(int field) { return field == 6 || (field >= 8 && field <= 15); }

// A box left empty, or holding zeros only (a record without a date shows "0"): no date.
bool noDate(const std::string& trimmed) { return trimmed.find_first_not_of('0') == std::string::npos; }

bool isRowMarker(const std::string& trimmed) { return trimmed == "S" || trimmed == "H"; }

// A description the register's readers could take for the deletion mark, or not, depending on
// who reads it: the pack drops every record whose description starts with the mark, the close
// and the report only the one that is the mark.
bool looksDeleted(const std::string& description) {
    const std::string t = trimBoth(description);
    return t.rfind(kDeletedMark, 0) == 0 && trimRight(description) != kDeletedMark;
}

std::optional<BoxRefusal> refusedDate(int box, const std::string& typed) {
    const std::string t = upperCase(trimBoth(typed));
    if (noDate(t) || (box == kAcquiredBox && isRowMarker(t))) return std::nullopt;
    const TypedDate d = readTypedDate(t);
    if (d.ok()) return std::nullopt;
    std::string text = dateRefusalText(typed, d);
    if (box == kAcquiredBox && d.refusal == DateRefusal::NotADate)
        text += " H marks a heading row, S a subtotal row.";
    return BoxRefusal{box, box == kAcquiredBox ? "Date Acquired" : "Date Sold", text};
}

std::optional<BoxRefusal> refusedBasisBox(int box, const std::string& typed) {
    const int field = box % 100;
    if (isNumberField(field)) {
        const TypedNumber n = readTypedNumber(typed);
        if (!n.ok()) return BoxRefusal{box, basisTitle(box), numberRefusalText(typed, n.refusal)};
    } else if (field == 7) {
        const std::string t = upperCase(trimBoth(typed));
        if (!t.empty() && t != "Y" && t != "N")
            return BoxRefusal{box, basisTitle(box),
                              "\"" + trimBoth(typed) + "\" is not Y or N. Type Y when the current year's depreciation "
                                                       "is entered by hand, N (or nothing) when the method computes it."};
    }
    return std::nullopt;
}

}  // namespace

std::optional<BoxRefusal> refusedAssetBox(const std::function<std::string(int)>& textOf) {
    if (looksDeleted(textOf(kDescriptionBox)))
        return BoxRefusal{kDescriptionBox, "Description",
                          "A description that begins with " + std::string(kDeletedMark) +
                              " marks a deleted record. Type another description; Delete marks the asset deleted."};
    for (int box : {kAcquiredBox, kSoldBox})
        if (auto r = refusedDate(box, textOf(box))) return r;
    for (int base : {200, 300})
        for (int field = 5; field <= 16; ++field)
            if (auto r = refusedBasisBox(base + field, textOf(base + field))) return r;
    return std::nullopt;
}

std::string storedAssetDateText(const std::string& typed, bool isDateSold) {
    const std::string t = upperCase(trimBoth(typed));
    if (noDate(t)) return "";
    if (!isDateSold && isRowMarker(t)) return t;
    const TypedDate d = readTypedDate(t);
    return d.ok() ? d.asTyped() : t;
}

}  // namespace dp

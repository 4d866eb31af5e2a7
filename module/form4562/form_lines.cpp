#include "form4562/form_lines.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <limits>

#include "form4562/form_text.h"
#include "format/number_format.h"
#include "format/text.h"

namespace dp {

namespace {

constexpr std::int64_t kMin32 = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kMax32 = std::numeric_limits<std::int32_t>::max();

std::int32_t saturate(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp(v, kMin32, kMax32));
}

// Trailing blanks and NULs removed: a code field padded with NULs reads like one padded with
// blanks.
std::string_view trimPadding(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.remove_suffix(1);
    return s;
}

bool isRowMarker(const AssetRecord& asset) {
    const std::string_view d(asset.DateAcquired.data(), asset.DateAcquired.size());
    const std::string t = trimRight(d);
    return t == "S" || t == "H";
}

bool isDeleted(const AssetRecord& asset) {
    std::string_view d = asset.Description;
    while (!d.empty() && d.front() == ' ') d.remove_prefix(1);
    return trimRight(d) == kDeletedMark;
}

void addToRow(ClassRow& row, const AssetRecord& asset) {
    row.Basis = addRounded(row.Basis, asset.Book.Cost);
    row.Deduction = addRounded(row.Deduction, asset.Book.CurrentDepr);
    row.hasAsset = true;
}

// General depreciation system: the recovery period picks the row.
void addGeneral(FormTotals& totals, const AssetRecord& asset) {
    std::int32_t period = 0;
    if (!roundToInt32(asset.Book.Rate, period)) return;
    int row = -1;
    switch (period) {
    case 3: row = Row19a; break;
    case 5: row = Row19b; break;
    case 7: row = Row19c; break;
    case 10: row = Row19d; break;
    case 15: row = Row19e; break;
    case 20: row = Row19f; break;
    case 25: row = Row19g; break;
    case 28: row = Row19h; break;  // 27.5 years, compared as its even neighbour
    case 39: row = Row19i; break;
    default: return;
    }
    ClassRow& r = totals.ClassRows[row];
    addToRow(r, asset);
    if (row <= Row19e && trimRight(asset.Book.Method) == "B200") r.decliningBalance = true;
}

// Alternative depreciation system: 12 and 40 years have rows of their own, every other period
// is a class life.
void addAlternative(FormTotals& totals, const AssetRecord& asset) {
    std::int32_t period = 0;
    if (!roundToInt32(asset.Book.Rate, period)) return;
    if (period == 12) {
        addToRow(totals.ClassRows[Row20b], asset);
    } else if (period == 40) {
        addToRow(totals.ClassRows[Row20c], asset);
    } else {
        ClassRow& r = totals.ClassRows[Row20a];
        addToRow(r, asset);
        // A period that is not negative gets a leading blank.
        std::string text = std::to_string(period);
        if (period >= 0) text.insert(text.begin(), ' ');
        r.classLifePeriod = std::move(text);
        r.classLifeMethod = asset.Book.Method;
    }
}

void addToken(FormTotals& totals, const AssetRecord& asset, std::string_view token) {
    const std::string_view trimmed = trimPadding(token);
    if (trimmed == "2") {
        totals.line2Total = addRounded(totals.line2Total, asset.Book.Cost);
        return;
    }
    std::int32_t line = 0;
    if (!roundToInt32(leadingNumber(token), line)) return;  // no line of the form
    if (line == 19) {
        addGeneral(totals, asset);
    } else if (line == 20) {
        addAlternative(totals, asset);
    } else if (line == 0) {
        // A code that is not a number is other depreciation; "0" and an empty token add nothing.
        if (!trimmed.empty() && trimmed != "0") {
            LineTotal& other = totals.LineTotals[16];
            other.Deduction = addRounded(other.Deduction, asset.Book.CurrentDepr);
        }
    } else if (line >= 1 && line <= kFormLineCount) {
        LineTotal& t = totals.LineTotals[line];
        t.Description = asset.Description;
        t.Cost = addRounded(t.Cost, asset.Book.Cost);
        t.ElectedCost = addRounded(t.ElectedCost, asset.Book.Expense);
        t.Deduction = addRounded(t.Deduction, asset.Book.CurrentDepr);
    }
}

// Texts go onto the form as one line each: control bytes would move the paper or the column.
std::string printable(std::string_view s) { return controlsToBlanks(std::string(s)); }

}  // namespace

bool roundToInt32(double value, std::int32_t& out) {
    if (!std::isfinite(value)) return false;
    // Halves to even (the default rounding mode), checked against the range before converting.
    const double r = std::nearbyint(value);
    if (r < static_cast<double>(kMin32) || r > static_cast<double>(kMax32)) return false;
    out = static_cast<std::int32_t>(r);
    return true;
}

std::int32_t addRounded(std::int32_t acc, double amount) {
    if (!std::isfinite(amount)) return acc;
    const double r = std::nearbyint(static_cast<double>(acc) + amount);
    if (r >= static_cast<double>(kMax32)) return static_cast<std::int32_t>(kMax32);
    if (r <= static_cast<double>(kMin32)) return static_cast<std::int32_t>(kMin32);
    return static_cast<std::int32_t>(r);
}

void addAssetToForm(FormTotals& totals, const AssetRecord& asset) {
    if (isRowMarker(asset) || isDeleted(asset)) return;
    const std::string_view code = asset.Tax.Code4562;
    if (trimBlanksAndNuls(code).empty()) return;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = code.find(',', start);
        if (comma == std::string_view::npos) {
            addToken(totals, asset, code.substr(start));
            break;
        }
        addToken(totals, asset, code.substr(start, comma - start));
        start = comma + 1;
    }
}

std::int32_t maximumAmount(int taxYear) {
    if (taxYear <= 1996) return 17500;
    if (taxYear <= 1999) return 18000;
    if (taxYear == 2000) return 20000;
    if (taxYear <= 2002) return 24000;
    return 100000;
}

std::int32_t thresholdAmount(int taxYear) { return taxYear <= 2002 ? 200000 : 400000; }

FormLines computeFormLines(const FormTotals& totals, int taxYear) {
    FormLines out;
    auto& l = out.line;
    const auto& lt = totals.LineTotals;
    l[1] = maximumAmount(taxYear);
    l[2] = totals.line2Total;
    l[3] = thresholdAmount(taxYear);
    l[4] = saturate(std::max<std::int64_t>(0, std::int64_t{l[2]} - l[3]));
    l[5] = saturate(std::max<std::int64_t>(0, std::int64_t{l[1]} - l[4]));
    out.line6Description = lt[6].Description;
    out.line6Cost = lt[6].Cost;
    out.line6ElectedCost = lt[6].ElectedCost;
    l[7] = lt[7].Deduction;
    l[8] = saturate(std::int64_t{lt[6].ElectedCost} + lt[7].ElectedCost);
    l[9] = std::min(l[5], l[8]);
    l[10] = lt[10].Deduction;
    l[11] = (lt[11].Deduction != 0 && lt[11].Deduction < l[5]) ? lt[11].Deduction : l[5];
    const std::int64_t nineAndTen = std::int64_t{l[9]} + l[10];
    l[12] = saturate(std::min<std::int64_t>(nineAndTen, l[11]));
    l[13] = saturate(nineAndTen - l[12]);
    for (int i = 14; i <= 17; ++i) l[i] = lt[i].Deduction;
    l[21] = lt[28].Deduction;
    std::int64_t total = std::int64_t{l[12]} + l[14] + l[15] + l[16] + l[17] + l[21];
    for (const ClassRow& r : totals.ClassRows) total += r.Deduction;
    l[22] = saturate(total);

    for (int i = 0; i < kClassRowCount; ++i) {
        const ClassRow& r = totals.ClassRows[i];
        ClassRowLine& o = out.rows[i];
        o.Basis = r.Basis;
        o.Deduction = r.Deduction;
        switch (i) {
        case Row19a: case Row19b: case Row19c: case Row19d: case Row19e:
            o.Convention = r.hasAsset ? "MY" : "";
            o.Method = r.decliningBalance ? " DDB" : "";
            break;
        case Row19f:
            break;
        case Row19g:
            o.Period = " 25 yrs.";
            o.Method = "S/L";
            break;
        case Row19h:
            o.Period = "27.5 yrs.";
            o.Convention = "MM";
            o.Method = "S/L";
            break;
        case Row19i:
            o.Period = "39 Yrs";
            o.Convention = "MM";
            o.Method = "S/L";
            break;
        case Row20a:
            o.Period = r.classLifePeriod;
            o.Method = r.classLifeMethod;
            break;
        case Row20b:
            o.Method = r.hasAsset ? "S/L" : "";
            break;
        case Row20c:
            o.Period = r.hasAsset ? "40 Yrs" : "";
            o.Convention = "MM";
            o.Method = r.hasAsset ? "S/L" : "";
            break;
        }
    }
    return out;
}

namespace {

constexpr std::string_view kAmountMask = "###,###,###.";

void amountAt(FormText& t, int column, std::int32_t value) {
    t.column(column);
    t.text(fitToMask(value, kAmountMask));
}

void classRow(FormText& t, const ClassRowLine& r) {
    t.column(30);
    t.text(fitToMask(r.Basis, std::string_view("###,###.")));
    t.column(40);
    t.text(printable(r.Period));
    t.column(54);
    t.text(printable(r.Convention));
    t.column(61);
    t.text(printable(r.Method));
    amountAt(t, 67, r.Deduction);
    t.crlf();
}

}  // namespace

std::string valuesLayerBytes(const FormLines& lines, const FormCompany& company) {
    FormText t;
    const auto& l = lines.line;
    // 1: the answer line of the heading.
    // The stored field widths bound every text, so each column is reached by blanks.
    const std::string name = printable(company.CompanyName.substr(0, 25));
    t.text(trimRight(name));
    t.column(42);
    t.text(printable(fixedText(company.Activity.substr(0, 26), 26)));
    t.column(69);
    t.text(printable(company.IdNumber.substr(0, 11)));
    t.crlf();
    t.crlf();
    t.column(6);
    t.text("NOTE: If you have any listed property, complete Part V first.");
    t.crlf();
    // 4 to 8: lines 1 to 5; lines 4 and 5 only when above zero.
    for (int i = 1; i <= 5; ++i) {
        if (i < 4 || l[i] > 0) amountAt(t, 67, l[i]);
        t.crlf();
    }
    t.crlf();
    // 10: line 6, description, cost and elected cost.
    t.blanks(3);
    t.text(printable(fixedText(lines.line6Description, 35)));
    t.column(39);
    t.blanks(5);
    t.text(fitToMask(lines.line6Cost, std::string_view("##,###,###.")));
    t.column(56);
    t.text(fitToMask(lines.line6ElectedCost, std::string_view("#,###,###.")));
    t.blanks(1);
    t.crlf();
    t.crlf();
    amountAt(t, 54, l[7]);
    t.blanks(1);
    t.crlf();
    for (int i = 8; i <= 12; ++i) {
        amountAt(t, 67, l[i]);
        t.crlf();
    }
    amountAt(t, 54, l[13]);
    t.crlf();
    t.crlf(3);
    for (int i = 14; i <= 16; ++i) {
        amountAt(t, 67, l[i]);
        t.crlf();
    }
    t.crlf(2);
    amountAt(t, 67, l[17]);
    t.crlf();
    t.crlf(5);
    for (int r = Row19a; r <= Row19g; ++r) classRow(t, lines.rows[r]);
    classRow(t, lines.rows[Row19h]);
    t.crlf();
    classRow(t, lines.rows[Row19i]);
    t.crlf(2);
    for (int r = Row20a; r <= Row20c; ++r) classRow(t, lines.rows[r]);
    t.crlf();
    amountAt(t, 67, l[21]);
    t.crlf();
    t.crlf();
    amountAt(t, 67, l[22]);
    t.crlf();
    return t.take();
}

}  // namespace dp

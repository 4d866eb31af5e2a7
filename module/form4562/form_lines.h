// The amounts of Form 4562 page 1 totalled from the asset register, and the values layer that
// prints them onto the form's answer columns.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "register/records.h"

namespace dp {

inline constexpr int kFormLineCount = 30;  // LineTotals entries 1..30
inline constexpr int kClassRowCount = 12;

// Order of the class rows.
enum ClassRowId { Row19a, Row19b, Row19c, Row19d, Row19e, Row19f, Row19g, Row19h, Row19i, Row20a, Row20b, Row20c };

struct LineTotal {
    std::string Description;      // of the last asset that fed the line, as stored
    std::int32_t Cost = 0;
    std::int32_t ElectedCost = 0;
    std::int32_t Deduction = 0;
};

struct ClassRow {
    std::int32_t Basis = 0;
    std::int32_t Deduction = 0;
    bool hasAsset = false;
    bool decliningBalance = false;  // an asset of the row had method B200
    std::string classLifePeriod;    // row 20a: set by its last asset
    std::string classLifeMethod;    // row 20a: set by its last asset
};

// Whole-dollar accumulators of one run.
struct FormTotals {
    std::int32_t line2Total = 0;
    std::array<LineTotal, kFormLineCount + 1> LineTotals{};  // element 0 not used
    std::array<ClassRow, kClassRowCount> ClassRows{};
};

// acc + amount rounded to the nearest whole dollar, an exact half to the even one. An amount that
// is not finite leaves the accumulator as it is; a sum beyond the 32-bit range stops at its limit.
std::int32_t addRounded(std::int32_t acc, double amount);

// The number rounded half to even as an int32; false when it is not finite or out of range.
bool roundToInt32(double value, std::int32_t& out);

// Applies one asset record to the totals (markers, deleted records and blank codes add nothing).
void addAssetToForm(FormTotals& totals, const AssetRecord& asset);

// A class row as printed: basis, the texts of columns (d) to (f), deduction.
struct ClassRowLine {
    std::int32_t Basis = 0;
    std::string Period;
    std::string Convention;
    std::string Method;
    std::int32_t Deduction = 0;
};

struct FormLines {
    std::array<std::int32_t, 23> line{};  // lines 1..22 (element 0 and line 6 not used)
    std::string line6Description;
    std::int32_t line6Cost = 0;
    std::int32_t line6ElectedCost = 0;
    std::array<ClassRowLine, kClassRowCount> rows{};
};

std::int32_t maximumAmount(int taxYear);     // line 1
std::int32_t thresholdAmount(int taxYear);   // line 3

FormLines computeFormLines(const FormTotals& totals, int taxYear);

// The answer line under the heading captions.
struct FormCompany {
    std::string CompanyName;
    std::string Activity;   // empty when the company file has no second record
    std::string IdNumber;
};

// The values layer: 51 lines, each ended by CR LF.
std::string valuesLayerBytes(const FormLines& lines, const FormCompany& company);

}  // namespace dp

#include "engine/depreciation.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "engine/dates.h"
#include "engine/rate_tables.h"
#include "format/money.h"
#include "format/number_format.h"
#include "register/records.h"

namespace dp {

namespace {

// Stored dates above this value are not dates (blank or marker bytes read as a number).
constexpr std::int32_t kLastStoredDate = 12312100;

// Long-lived F property placed in service after this day gets the mid-month first year.
constexpr std::string_view kMidMonthStart = "12311986";

double finiteOr0(double v) { return std::isfinite(v) ? v : 0.0; }

double round2(double v) { return roundTiesEven(v, 2); }

// An amount "held in Cents": rounded to whole cents.
double inCents(double v) { return roundTiesEven(v, 2); }

std::int32_t toInt16Range(double v) {
    if (!(v == v)) return 0;
    if (v > std::numeric_limits<std::int16_t>::max()) return std::numeric_limits<std::int16_t>::max();
    if (v < std::numeric_limits<std::int16_t>::min()) return std::numeric_limits<std::int16_t>::min();
    return static_cast<std::int32_t>(v);
}

bool isManualFlag(char manual) {
    std::string text(1, manual);
    return upperCase(trimBlanksAndNuls(text)) == "Y";
}

bool allBytes(const Date6& d, char c) {
    return std::all_of(d.begin(), d.end(), [c](char x) { return x == c; });
}

std::string acquisitionDateText(const AssetRecord& r) {
    if (date6Int(r.DateAcquired) > kLastStoredDate) return "";
    return normalizeDate(date6ToText(r.DateAcquired, false));
}

std::string saleDateText(const AssetRecord& r) {
    if (allBytes(r.DateSold, '\0') || allBytes(r.DateSold, ' ')) return "";
    std::int32_t v = date6Int(r.DateSold);
    if (v == 0 || v > kLastStoredDate) return "";
    return normalizeDate(date6ToText(r.DateSold, true));
}

// The calendar year of a normalised date: its last four characters.
std::int32_t calendarYear(std::string_view date) {
    return datePartValue(date.size() > 4 ? date.substr(date.size() - 4) : date);
}

// The number written after the method letter (0 when there is none).
double numberAfterLetter(std::string_view method, std::size_t maxChars = std::string_view::npos) {
    if (method.size() < 2) return 0;
    return finiteOr0(leadingNumber(method.substr(1, maxChars)));
}

// Months of service in the fiscal year of acquisition. A stored month outside 1..12 could make
// this 0 or meaningless; the whole year (12) is taken then, so nothing divides by 0.
std::int32_t firstYearMonthsOf(const DateParts& fye, const DateParts& acquired) {
    std::int32_t m = fye.month - acquired.month + (fye.day > 15 ? 1 : 0);
    if (m <= 0) m += 12;
    if (m < 1 || m > 12) m = 12;
    return m;
}

// The life written after "A" when the code names no class: 5 -> "A5".
std::string lifeCode(double rate) {
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, rate);
    std::string code = "A";
    if (result.ec == std::errc()) code.append(buffer, result.ptr);
    return code;
}

// Quarter factor of the mid-quarter first year: quarters start with the month after the fiscal
// year end month.
double midQuarterFactor(std::int32_t acquisitionMonth, std::int32_t fyeMonth) {
    std::int32_t offset = ((acquisitionMonth - fyeMonth - 1) % 12 + 12) % 12;  // 0..11
    static constexpr double kFactors[4] = {10.5 / 12, 7.5 / 12, 4.5 / 12, 1.5 / 12};
    return kFactors[offset / 3];
}

}  // namespace

EngineInputs makeEngineInputs(const ReportOptions& options, std::string_view fiscalYearEndText) {
    EngineInputs in;
    in.reportDate = normalizeDate(options.reportDate);
    in.fiscalYearEnd = normalizeDate(fiscalYearEndText);
    in.basis = options.reportBasis == "B" ? 'B' : 'T';
    in.roundWholeDollars = options.roundWholeDollars == "Y";
    in.periodMonths = reportPeriodMonths(in.reportDate, in.fiscalYearEnd);
    return in;
}

AssetFigures computeDepreciation(const AssetRecord& record, const EngineInputs& in) {
    AssetFigures f;
    f.record = record;
    f.periodMonths = in.periodMonths;
    BasisBlock& block = f.record.block(in.basis);

    AssetAmounts& a = f.amounts;
    a.Method = trimRight(std::string_view(block.Method).substr(0, 4));
    a.Rate = block.Rate;
    a.Manual = block.Manual;
    a.Cost = block.Cost;
    a.Bonus = block.Bonus;
    a.Salvage = block.Salvage;
    a.Expense = block.Expense;
    a.Bonus3050 = block.Bonus3050;
    a.PriorDepr = block.PriorDepr;
    a.CurrentDepr = block.CurrentDepr;
    a.Cancelled = block.Cancelled;

    // Amounts that are not numbers (NaN, infinite) count as 0 in the calculation.
    const double rate = finiteOr0(a.Rate);
    const double cost = finiteOr0(a.Cost);
    const double bonus = finiteOr0(a.Bonus);
    const double salvage = finiteOr0(a.Salvage);
    const double expense = finiteOr0(a.Expense);
    const double bonus3050 = finiteOr0(a.Bonus3050);
    const double prior = finiteOr0(a.PriorDepr);
    double cancelled = finiteOr0(a.Cancelled);

    f.manual = isManualFlag(a.Manual);
    const std::string& method = a.Method;
    const char letter = method.empty() ? '\0' : method[0];

    const std::string acquisition = acquisitionDateText(record);
    const std::string sale = saleDateText(record);
    f.sold = !sale.empty();
    const DateParts acq = splitDate(acquisition);
    const DateParts fye = splitDate(in.fiscalYearEnd);
    const DateParts rep = splitDate(in.reportDate);

    // Per-asset preparation.
    double annualFraction = 0;
    std::int32_t lifeMonths = 0;
    if (rate >= 1) {
        annualFraction = 1 / rate;
        lifeMonths = toInt16Range(std::nearbyint(12 * rate));
    } else if (rate < 1) {
        annualFraction = rate;
        if (rate != 0) lifeMonths = toInt16Range(12 * std::floor(1 / rate));
    }
    f.firstYearMonths = firstYearMonthsOf(fye, acq);
    f.recoveryYear = 1 + calendarYear(in.reportDate) - calendarYear(acquisition);

    // Service months.
    const std::int32_t periodEnd = monthSerial(in.reportDate) + (rep.day > 15 ? 1 : 0);
    const std::int32_t periodStart = periodEnd - in.periodMonths;
    bool shiftLateAcquisition = false;
    if (acq.day > 15) {
        if (letter == 'G' || letter == 'H') {
            shiftLateAcquisition = std::fmod(numberAfterLetter(method), 2.0) == 0;
        } else {
            shiftLateAcquisition = std::string_view("ABFGH").find(letter) == std::string_view::npos ||
                                   letter == '\0';
        }
    }
    const std::int32_t acquired = monthSerial(acquisition) + (shiftLateAcquisition ? 1 : 0);
    if (f.sold && daySerial(sale) <= daySerial(in.reportDate)) {
        const DateParts s = splitDate(sale);
        const std::int32_t saleMonth = monthSerial(sale) + (s.day > 15 ? 1 : 0);
        f.serviceMonths = acquired < periodStart ? saleMonth - periodStart : saleMonth - acquired;
    } else {
        f.serviceMonths = periodEnd - acquired;
    }
    f.periodServiceMonths = std::min(in.periodMonths, f.serviceMonths);

    if (f.manual) {
        double cd = finiteOr0(a.CurrentDepr);
        if (in.roundWholeDollars) cd = roundTiesEven(cd, 0);
        a.CurrentDepr = cd;
        a.Cancelled = cancelled;
        block.CurrentDepr = cd;
        block.Cancelled = cancelled;
        return f;
    }

    // The method's full-year amount.
    double cd = 0;
    if (method == "SL") {
        cd = round2(annualFraction * (cost - salvage - expense - bonus3050));
    } else if (letter == 'D' || letter == 'B') {
        if (letter == 'B' && rate > 20) {
            // Lives above 20 years are straight line, without salvage.
            cd = round2(annualFraction * (cost - expense - bonus3050));
        } else {
            const double number = numberAfterLetter(method, 3);
            const double dbFactor = number == 0 ? 1.0 : roundTiesEven(number / 100, 4);
            const double d = dbFactor * annualFraction;
            cd = round2(d * (cost - prior - expense - bonus3050));
            if (letter == 'B' && rate > 0 && dbFactor > 0) {
                // Straight line over the life remaining from the acquisition date.
                const float m = 12.0f * static_cast<float>(rate) -
                                12.0f * static_cast<float>(std::max(0, fye.year - 1 - acq.year)) -
                                static_cast<float>(fye.month) + static_cast<float>(acq.month) - 1.0f;
                const float remainingYears = m / 12.0f;
                if (remainingYears > 0) {
                    const double s = inCents((cost - prior - expense - bonus - bonus3050) / remainingYears);
                    if (s > cd) cd = s;
                }
            }
            // Straight line over the rest of the life: the months already depreciated are those
            // of service before the current fiscal year. Without a life (Rate 0 or negative)
            // there is nothing to spread it over, and the asset gets no depreciation, as with
            // every other routine.
            if (lifeMonths > 0) {
                const std::int32_t fiscalYearStart =
                    monthSerial(in.fiscalYearEnd) + (fye.day > 15 ? 1 : 0) - 12;
                const std::int32_t monthsUsed = std::max(0, fiscalYearStart - acquired);
                const std::int32_t remainingLife = lifeMonths - monthsUsed;
                const double r = inCents(cost - prior - expense - bonus3050);
                double straight = r;
                if (remainingLife > f.periodServiceMonths && remainingLife > 0)
                    straight = inCents(round2(r / remainingLife * 12));
                if (straight > cd) cd = straight;
            }
        }
    } else if (letter == 'F') {
        cd = round2(annualFraction * (cost - expense - bonus3050));
        if (daySerial(acquisition) > daySerial(in.fiscalYearEnd) - 365 && rate < 27.5) cd = round2(cd / 2);
    } else if (letter == 'E') {
        double fraction = annualFraction;
        if (f.recoveryYear == 1) fraction *= midQuarterFactor(acq.month, fye.month);
        cd = round2(fraction * (cost - expense - bonus3050));
    } else if (letter == 'A' || letter == 'G' || letter == 'H') {
        f.tableCode = method == "A" ? lifeCode(rate) : method;
        if (f.recoveryYear >= 1) {
            const float p = in.tableRate
                                ? in.tableRate(f.tableCode, f.recoveryYear, acquisition, in.fiscalYearEnd)
                                : loadTableRate(f.tableCode, f.recoveryYear, acquisition, in.fiscalYearEnd);
            const double base = cost - expense - bonus3050;
            cd = round2(finiteOr0(p) * base);
            if (cd > base) cd = base;
            if (cd < 0) cd = 0;
        }
    }
    // Any other code names no method: nothing is depreciated.

    if (letter == 'F' && rate >= 27.5 && daySerial(acquisition) > daySerial(kMidMonthStart) &&
        f.recoveryYear == 1 && f.periodServiceMonths > 0) {
        // Mid-month first year of long-lived property.
        cd = round2((f.firstYearMonths - 0.5) / 12 * cd);
        f.endedAtMidMonth = true;
    } else {
        // Share of the period.
        if (f.periodServiceMonths <= 0) {
            cd = 0;
        } else if (std::string_view("AFGHB").find(letter) == std::string_view::npos || letter == '\0') {
            cd = round2(f.periodServiceMonths * cd / 12);
        } else if (in.periodMonths > f.serviceMonths && letter != 'F' && rate < 27.5) {
            cd = round2(static_cast<double>(f.serviceMonths) / f.firstYearMonths * cd);
        } else {
            cd = round2(static_cast<double>(f.periodServiceMonths) / 12 * cd);
        }
        if (letter == 'B' && f.recoveryYear == 1 && rate < 27.5) cd = round2(cd / 2);
    }

    // Limits and sale: applied to the mid-month first year as well, so that a long-lived asset
    // sold in its first year is limited and cancelled like any other.
    const double remainingBase = cost - bonus - salvage - expense - bonus3050 - prior;
    if (cd > remainingBase) {
        cd = remainingBase;
        if (cd < 0) cd = 0;
    }
    if (f.sold) cancelled = cd + prior;

    if (in.roundWholeDollars) cd = roundTiesEven(cd, 0);
    cd = finiteOr0(cd);
    cancelled = finiteOr0(cancelled);

    a.CurrentDepr = cd;
    a.Cancelled = cancelled;
    block.CurrentDepr = cd;
    block.Cancelled = cancelled;
    return f;
}

}  // namespace dp

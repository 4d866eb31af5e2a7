#include "engine/depreciation.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <memory>

#include "engine/dates.h"
#include "engine/rate_tables.h"
#include "format/money.h"
#include "format/number_format.h"

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

// "Y" in either case; a blank or NUL flag is none.
bool isManualFlag(char manual) { return std::toupper(static_cast<unsigned char>(manual)) == 'Y'; }

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

// What the method routines read of one asset: the amounts of the chosen block (those that are
// not numbers as 0), the code, the dates and the values of the per-asset preparation.
struct AssetFacts {
    const EngineInputs* in = nullptr;
    std::string_view method;  // trailing blanks removed
    char letter = '\0';
    double rate = 0, cost = 0, bonus = 0, salvage = 0, expense = 0, bonus3050 = 0, prior = 0;
    double annualFraction = 0;
    std::int32_t lifeMonths = 0;
    std::string_view acquisition;  // MMDDYYYY, empty when the record holds no date
    DateParts acq, fye, rep;
    std::int32_t recoveryYear = 0;
    std::int32_t acquiredMonth = 0;  // month serial of the acquisition, a late day shifted where it counts
};

AssetAmounts amountsOf(const BasisBlock& block) {
    AssetAmounts a;
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
    return a;
}

// An acquisition after the 15th counts from the next month, except for the A, B and F codes and
// the odd-numbered G and H tables, whose conventions count the month in full.
bool shiftsLateAcquisition(std::string_view method, char letter) {
    if (letter == 'G' || letter == 'H') return std::fmod(numberAfterLetter(method), 2.0) == 0;
    return letter == '\0' || std::string_view("ABFGH").find(letter) == std::string_view::npos;
}

AssetFacts assetFacts(const AssetAmounts& amounts, std::string_view acquisition, const EngineInputs& in) {
    AssetFacts a;
    a.in = &in;
    a.method = amounts.Method;
    a.letter = a.method.empty() ? '\0' : a.method[0];
    // Amounts that are not numbers (NaN, infinite) count as 0 in the calculation.
    a.rate = finiteOr0(amounts.Rate);
    a.cost = finiteOr0(amounts.Cost);
    a.bonus = finiteOr0(amounts.Bonus);
    a.salvage = finiteOr0(amounts.Salvage);
    a.expense = finiteOr0(amounts.Expense);
    a.bonus3050 = finiteOr0(amounts.Bonus3050);
    a.prior = finiteOr0(amounts.PriorDepr);
    if (a.rate >= 1) {  // a life in years
        a.annualFraction = 1 / a.rate;
        a.lifeMonths = toInt16Range(std::nearbyint(12 * a.rate));
    } else {  // a yearly fraction
        a.annualFraction = a.rate;
        if (a.rate != 0) a.lifeMonths = toInt16Range(12 * std::floor(1 / a.rate));
    }
    a.acquisition = acquisition;
    a.acq = splitDate(acquisition);
    a.fye = splitDate(in.fiscalYearEnd);
    a.rep = splitDate(in.reportDate);
    a.recoveryYear = 1 + calendarYear(in.reportDate) - calendarYear(acquisition);
    a.acquiredMonth = monthSerial(a.acq) + (a.acq.day > 15 && shiftsLateAcquisition(a.method, a.letter) ? 1 : 0);
    return a;
}

// Months in service up to the report date, or up to a sale on or before it.
std::int32_t serviceMonthsOf(const AssetFacts& a, const std::string& sale) {
    const EngineInputs& in = *a.in;
    const std::int32_t periodEnd = monthSerial(a.rep) + (a.rep.day > 15 ? 1 : 0);
    const std::int32_t periodStart = periodEnd - in.periodMonths;
    if (sale.empty()) return periodEnd - a.acquiredMonth;
    const DateParts sold = splitDate(sale);
    if (daySerial(sold) > daySerial(a.rep)) return periodEnd - a.acquiredMonth;
    const std::int32_t saleMonth = monthSerial(sold) + (sold.day > 15 ? 1 : 0);
    return a.acquiredMonth < periodStart ? saleMonth - periodStart : saleMonth - a.acquiredMonth;
}

// The full-year amounts of the method families.

double straightLineYear(const AssetFacts& a) {
    return round2(a.annualFraction * (a.cost - a.salvage - a.expense - a.bonus3050));
}

// Declining balance (D codes) and MACRS declining balance (B codes), each switching to straight
// line when that gives more.
double decliningBalanceYear(const AssetFacts& a, std::int32_t periodServiceMonths) {
    // B lives above 20 years are straight line, without salvage.
    if (a.letter == 'B' && a.rate > 20) return round2(a.annualFraction * (a.cost - a.expense - a.bonus3050));
    const double number = numberAfterLetter(a.method, 3);
    const double dbFactor = number == 0 ? 1.0 : roundTiesEven(number / 100, 4);
    double cd = round2(dbFactor * a.annualFraction * (a.cost - a.prior - a.expense - a.bonus3050));
    if (a.letter == 'B' && a.rate > 0 && dbFactor > 0) {
        // Straight line over the life remaining from the acquisition date.
        const float m = 12.0f * static_cast<float>(a.rate) -
                        12.0f * static_cast<float>(std::max(0, a.fye.year - 1 - a.acq.year)) -
                        static_cast<float>(a.fye.month) + static_cast<float>(a.acq.month) - 1.0f;
        const float remainingYears = m / 12.0f;
        if (remainingYears > 0) {
            const double s = inCents((a.cost - a.prior - a.expense - a.bonus - a.bonus3050) / remainingYears);
            cd = std::max(cd, s);
        }
    }
    // Straight line over the rest of the life: the months already depreciated are those of
    // service before the current fiscal year. Without a life there is nothing to spread it over.
    if (a.lifeMonths > 0) {
        const std::int32_t fiscalYearStart = monthSerial(a.fye) + (a.fye.day > 15 ? 1 : 0) - 12;
        const std::int32_t remainingLife = a.lifeMonths - std::max(0, fiscalYearStart - a.acquiredMonth);
        const double r = inCents(a.cost - a.prior - a.expense - a.bonus3050);
        double straight = r;
        if (remainingLife > periodServiceMonths && remainingLife > 0) straight = inCents(round2(r / remainingLife * 12));
        cd = std::max(cd, straight);
    }
    return cd;
}

// MACRS straight line: no salvage, half a year in the first fiscal year below 27.5 years.
double macrsStraightLineYear(const AssetFacts& a) {
    double cd = round2(a.annualFraction * (a.cost - a.expense - a.bonus3050));
    if (daySerial(a.acq) > daySerial(a.fye) - 365 && a.rate < 27.5) cd = round2(cd / 2);
    return cd;
}

// Straight line with the mid-quarter first year, no salvage.
double midQuarterYear(const AssetFacts& a) {
    double fraction = a.annualFraction;
    if (a.recoveryYear == 1) fraction *= midQuarterFactor(a.acq.month, a.fye.month);
    return round2(fraction * (a.cost - a.expense - a.bonus3050));
}

// The ACRS tables: the recovery year's rate of the code's table, limited to the base.
double tableYear(const AssetFacts& a, const std::string& tableCode) {
    if (a.recoveryYear < 1) return 0;
    const EngineInputs& in = *a.in;
    const float p = in.tableRate ? in.tableRate(tableCode, a.recoveryYear, a.acquisition, in.fiscalYearEnd)
                                 : loadTableRate(tableCode, a.recoveryYear, a.acquisition, in.fiscalYearEnd);
    const double base = a.cost - a.expense - a.bonus3050;
    return std::max(std::min(round2(finiteOr0(p) * base), base), 0.0);
}

// The method's amount for a full year. A negative Rate is neither a life nor a fraction of one:
// such an asset gets nothing, whatever its method. A code that names no method gets nothing.
double fullYearAmount(const AssetFacts& a, AssetDepreciation& f) {
    if (a.rate < 0) return 0;
    if (a.method == "SL") return straightLineYear(a);
    switch (a.letter) {
        case 'D':
        case 'B':
            return decliningBalanceYear(a, f.periodServiceMonths);
        case 'F':
            return macrsStraightLineYear(a);
        case 'E':
            return midQuarterYear(a);
        case 'A':
        case 'G':
        case 'H':
            f.tableCode = a.method == "A" ? lifeCode(a.rate) : std::string(a.method);
            return tableYear(a, f.tableCode);
        default:
            return 0;
    }
}

// The part of the full-year amount that falls in the report period: the mid-month first year of
// long-lived F property, or the share of the months in service.
double shareOfPeriod(const AssetFacts& a, AssetDepreciation& f, double cd) {
    if (a.letter == 'F' && a.rate >= 27.5 && daySerial(a.acq) > daySerial(kMidMonthStart) &&
        f.recoveryYear == 1 && f.periodServiceMonths > 0) {
        f.endedAtMidMonth = true;
        return round2((f.firstYearMonths - 0.5) / 12 * cd);
    }
    if (f.periodServiceMonths <= 0) return 0;
    if (a.letter == '\0' || std::string_view("AFGHB").find(a.letter) == std::string_view::npos) {
        cd = round2(f.periodServiceMonths * cd / 12);
    } else if (f.periodMonths > f.serviceMonths && a.letter != 'F' && a.rate < 27.5) {
        // The table year is shared out over the months of the first fiscal year that have passed.
        cd = round2(static_cast<double>(f.serviceMonths) / f.firstYearMonths * cd);
    } else {
        cd = round2(static_cast<double>(f.periodServiceMonths) / 12 * cd);
    }
    if (a.letter == 'B' && f.recoveryYear == 1 && a.rate < 27.5) cd = round2(cd / 2);  // half-year convention
    return cd;
}

}  // namespace

EngineInputs makeEngineInputs(const ReportOptions& options, std::string_view fiscalYearEndText) {
    EngineInputs in;
    in.reportDate = normalizeDate(options.reportDate);
    in.fiscalYearEnd = normalizeDate(fiscalYearEndText);
    in.basis = options.reportBasis == "B" ? 'B' : 'T';
    in.roundWholeDollars = options.roundWholeDollars == "Y";
    in.periodMonths = reportPeriodMonths(in.reportDate, in.fiscalYearEnd);
    // Each table file is read once for the run, not once per asset.
    in.tableRate = [tables = std::make_shared<RateTables>()](std::string_view code, int recoveryYear,
                                                             std::string_view acquisitionDate,
                                                             std::string_view fiscalYearEnd) {
        return tables->rate(code, recoveryYear, acquisitionDate, fiscalYearEnd);
    };
    return in;
}

AssetDepreciation depreciationOf(const AssetRecord& record, const EngineInputs& in) {
    AssetDepreciation f;
    f.periodMonths = in.periodMonths;
    const BasisBlock& block = record.block(in.basis);
    f.amounts = amountsOf(block);
    f.manual = isManualFlag(block.Manual);

    const std::string acquisition = acquisitionDateText(record);
    const std::string sale = saleDateText(record);
    f.sold = !sale.empty();
    const AssetFacts a = assetFacts(f.amounts, acquisition, in);
    f.firstYearMonths = firstYearMonthsOf(a.fye, a.acq);
    f.recoveryYear = a.recoveryYear;
    f.serviceMonths = serviceMonthsOf(a, sale);
    f.periodServiceMonths = std::min(in.periodMonths, f.serviceMonths);

    double cd = 0;
    double cancelled = finiteOr0(f.amounts.Cancelled);
    if (f.manual) {
        // The method is not looked at: the stored amount stands.
        cd = finiteOr0(f.amounts.CurrentDepr);
    } else {
        cd = fullYearAmount(a, f);
        cd = shareOfPeriod(a, f, cd);
        // Limits and sale: applied to the mid-month first year as well, so that a long-lived
        // asset sold in its first year is limited and cancelled like any other.
        const double remainingBase = a.cost - a.bonus - a.salvage - a.expense - a.bonus3050 - a.prior;
        if (cd > remainingBase) cd = std::max(remainingBase, 0.0);
        if (f.sold) cancelled = cd + a.prior;
    }
    if (in.roundWholeDollars) cd = roundTiesEven(cd, 0);

    f.amounts.CurrentDepr = finiteOr0(cd);
    f.amounts.Cancelled = finiteOr0(cancelled);
    return f;
}

void storeDepreciation(AssetRecord& record, const AssetDepreciation& figures, char basis) {
    BasisBlock& block = record.block(basis);
    block.CurrentDepr = figures.amounts.CurrentDepr;
    block.Cancelled = figures.amounts.Cancelled;
}

AssetFigures computeDepreciation(const AssetRecord& record, const EngineInputs& in) {
    AssetFigures f;
    static_cast<AssetDepreciation&>(f) = depreciationOf(record, in);
    f.record = record;
    storeDepreciation(f.record, f, in.basis);
    return f;
}

}  // namespace dp

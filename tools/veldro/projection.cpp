#include "projection.h"

#include <algorithm>
#include <optional>

#include "close/close_period.h"
#include "engine/dates.h"
#include "format/typed_entries.h"

namespace veldro {
namespace {

struct LiveAsset {
    std::size_t row = 0;  // in Projection::rows
    dp::AssetRecord record;
    bool done = false;
};

double remainingBase(const dp::BasisBlock& b) {
    return b.Cost - b.Bonus - b.Salvage - b.Expense - b.Bonus3050 - b.PriorDepr;
}

// Sold on or before the end of the year just computed: nothing follows.
bool soldBy(const dp::AssetRecord& r, const dp::AssetFigures& f, const std::string& yearEnd) {
    if (!f.sold) return false;
    return dp::daySerial(dp::normalizeDate(dp::date6ToText(r.DateSold, true))) <= dp::daySerial(yearEnd);
}

// Nothing more will come after this year: fully depreciated, sold, a manual row (its amount is
// typed for the current year only), or a whole year in service that carried nothing into prior
// depreciation (nothing computed, or less than the close's rounding keeps).
bool finished(const dp::AssetFigures& f, const ProjectedYear& y, dp::Cents priorBefore, bool sold) {
    return y.remaining.units <= 0 || sold || f.manual || (f.periodServiceMonths >= 12 && y.accumulated == priorBefore);
}

ProjectedRow rowOf(const RegisterRow& r, ReportRowKind kind) {
    return ProjectedRow{kind, dp::nulsToBlanks(r.record.AssetNumber), dp::nulsToBlanks(r.record.Description), {}};
}

// The year of one asset: the report's computation at the fiscal year end, then the close's
// carry-over into the next year.
ProjectedYear projectYear(LiveAsset& a, const dp::EngineInputs& in) {
    const dp::Cents priorBefore = dp::Cents::fromDouble(a.record.block(in.basis).PriorDepr);
    dp::AssetFigures f = dp::computeDepreciation(a.record, in);
    const bool sold = soldBy(a.record, f, in.reportDate);
    // The report writes every computed row back; a manual row keeps what is stored.
    if (!f.manual) a.record = std::move(f.record);
    dp::carryOverRecord(a.record);
    const dp::BasisBlock& b = a.record.block(in.basis);
    // A sold asset has nothing left to depreciate: what it had is cancelled with it.
    ProjectedYear y{dp::Cents::fromDouble(f.amounts.CurrentDepr), dp::Cents::fromDouble(b.PriorDepr),
                    sold ? dp::Cents{} : dp::Cents::fromDouble(remainingBase(b))};
    a.done = finished(f, y, priorBefore, sold);
    return y;
}

// The rows of a finished asset end with the last year that carried something (the first year
// always stays, so that every asset is shown).
void dropTrailingEmptyYears(std::vector<ProjectedYear>& years) {
    while (years.size() > 1 && years.back().accumulated == years[years.size() - 2].accumulated) years.pop_back();
}

std::vector<LiveAsset> liveAssets(const std::vector<RegisterRow>& rows, char basis, Projection& out) {
    std::vector<LiveAsset> live;
    for (const RegisterRow& r : rows) {
        const ReportRowKind kind = reportRowKind(r.record);
        if (kind == ReportRowKind::LeftOut) continue;
        if (kind == ReportRowKind::Asset && !finiteAmounts(r.record.block(basis))) {
            out.leftOut.push_back("asset " + dp::trimRight(dp::nulsToBlanks(r.record.AssetNumber)) + ": its amounts are not numbers");
            continue;
        }
        if (kind == ReportRowKind::Asset) live.push_back({out.rows.size(), r.record, false});
        out.rows.push_back(rowOf(r, kind));
    }
    return live;
}

}  // namespace

bool canProject(const dp::Date6c& fiscalYearEnd) {
    const std::string text = dp::date6cToText(fiscalYearEnd);
    return text.size() == 8 && dp::readTypedDate(text).ok() && dp::nextFiscalYearEnd(fiscalYearEnd).has_value();
}

Projection projectRegister(const std::vector<RegisterRow>& rows, const ProjectionInputs& inputs) {
    Projection out;
    std::vector<LiveAsset> live = liveAssets(rows, inputs.basis, out);
    dp::ReportOptions options;
    options.reportBasis = inputs.basis == 'B' ? "B" : "T";
    dp::EngineInputs in = dp::makeEngineInputs(options, dp::date6cToText(inputs.fiscalYearEnd));
    if (inputs.tableRate) in.tableRate = inputs.tableRate;
    dp::Date6c fye = inputs.fiscalYearEnd;
    const int limit = inputs.years > 0 ? std::min(inputs.years, kMaxProjectionYears) : kMaxProjectionYears;
    for (int year = 1;; ++year) {
        in.fiscalYearEnd = in.reportDate = dp::normalizeDate(dp::date6cToText(fye));
        in.periodMonths = dp::reportPeriodMonths(in.reportDate, in.fiscalYearEnd);
        out.yearEnds.push_back(in.fiscalYearEnd);
        bool allDone = true;
        for (LiveAsset& a : live) {
            if (a.done) continue;
            out.rows[a.row].years.push_back(projectYear(a, in));
            allDone = allDone && a.done;
        }
        const std::optional<std::string> next = dp::nextFiscalYearEnd(fye);
        if (allDone || year >= limit || !next) {
            out.stoppedAtLimit = !allDone && inputs.years == 0;
            break;
        }
        fye = dp::date6cFromText(*next);
    }
    for (LiveAsset& a : live)
        if (a.done) dropTrailingEmptyYears(out.rows[a.row].years);
    return out;
}

}  // namespace veldro

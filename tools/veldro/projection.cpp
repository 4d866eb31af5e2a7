#include "projection.h"

#include <algorithm>
#include <optional>
#include <thread>

#include "close/close_period.h"
#include "engine/dates.h"
#include "format/money.h"
#include "format/text.h"
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

// Stored text as the reports print it: no byte of it acts as a printer command.
ProjectedRow rowOf(const RegisterRow& r, ReportRowKind kind) {
    return ProjectedRow{kind, dp::controlsToBlanks(r.record.AssetNumber), dp::controlsToBlanks(r.record.Description), {}};
}

// The year of one asset: the report's computation at the fiscal year end, then the close's
// carry-over into the next year.
ProjectedYear projectYear(LiveAsset& a, const dp::EngineInputs& in) {
    const dp::Cents priorBefore = dp::Cents::fromDouble(a.record.block(in.basis).PriorDepr);
    dp::AssetFigures f = dp::computeDepreciation(a.record, in);
    const bool sold = soldBy(a.record, f, in.reportDate);
    // The report writes every computed row back; a manual row keeps what is stored.
    if (!f.manual) a.record = std::move(f.record);
    // The close carries the basis projected as it carries both (the other one is not read).
    dp::BasisBlock& b = a.record.block(in.basis);
    b.PriorDepr = dp::carriedPriorDepr(b.PriorDepr, b.CurrentDepr);
    b.CurrentDepr = 0;
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
        if (kind == ReportRowKind::Asset) {
            live.push_back({out.rows.size(), r.record, false});
            // The engine does not read the description; a working copy without it is cheaper to copy.
            live.back().record.Description.clear();
        }
        out.rows.push_back(rowOf(r, kind));
    }
    return live;
}

// The fiscal year ends from the current one on, as many as the projection may reach.
std::vector<std::string> fiscalYearEnds(dp::Date6c fye, int limit) {
    std::vector<std::string> ends;
    for (;;) {
        ends.push_back(dp::normalizeDate(dp::date6cToText(fye)));
        const std::optional<std::string> next = dp::nextFiscalYearEnd(fye);
        if (static_cast<int>(ends.size()) >= limit || !next) return ends;
        fye = dp::date6cFromText(*next);
    }
}

// Every year of one asset until it is done or the years run out.
void projectAsset(LiveAsset& a, std::vector<ProjectedYear>& years, dp::EngineInputs& in, const std::vector<std::string>& ends) {
    for (std::size_t y = 0; y < ends.size() && !a.done; ++y) {
        in.fiscalYearEnd = in.reportDate = ends[y];
        in.periodMonths = dp::reportPeriodMonths(in.reportDate, in.fiscalYearEnd);
        years.push_back(projectYear(a, in));
    }
    if (a.done) dropTrailingEmptyYears(years);
}

// The assets shared out over the processor's cores: each asset's years depend on nothing but
// the asset, and each worker has its own engine inputs (its own rate tables read).
void projectAll(std::vector<LiveAsset>& live, Projection& out, const ProjectionInputs& inputs, const std::vector<std::string>& ends) {
    const std::size_t workers = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 8);
    const std::size_t share = (live.size() + workers - 1) / workers;
    auto work = [&](std::size_t from, std::size_t to) {
        const dp::ExtendedPrecision precision;  // as the module's entry holds it, on every thread
        dp::ReportOptions options;
        options.reportBasis = inputs.basis == 'B' ? "B" : "T";
        dp::EngineInputs in = dp::makeEngineInputs(options, ends.front());
        if (inputs.tableRate) in.tableRate = inputs.tableRate;
        for (std::size_t i = from; i < to; ++i) projectAsset(live[i], out.rows[live[i].row].years, in, ends);
    };
    if (workers == 1 || live.size() < 256 || inputs.tableRate) {
        work(0, live.size());
        return;
    }
    std::vector<std::thread> threads;
    for (std::size_t from = 0; from < live.size(); from += share) threads.emplace_back(work, from, std::min(live.size(), from + share));
    for (std::thread& t : threads) t.join();
}

}  // namespace

bool canProject(const dp::Date6c& fiscalYearEnd) {
    const std::string text = dp::date6cToText(fiscalYearEnd);
    return text.size() == 8 && dp::readTypedDate(text).ok() && dp::nextFiscalYearEnd(fiscalYearEnd).has_value();
}

Projection projectRegister(const std::vector<RegisterRow>& rows, const ProjectionInputs& inputs) {
    Projection out;
    std::vector<LiveAsset> live = liveAssets(rows, inputs.basis, out);
    const int limit = inputs.years > 0 ? std::min(inputs.years, kMaxProjectionYears) : kMaxProjectionYears;
    std::vector<std::string> ends = fiscalYearEnds(inputs.fiscalYearEnd, limit);
    projectAll(live, out, inputs, ends);
    // The years shown: those asked for, else as many as the longest-lived asset needed.
    std::size_t shown = 1;
    for (const LiveAsset& a : live) {
        shown = std::max(shown, out.rows[a.row].years.size());
        out.stoppedAtLimit = out.stoppedAtLimit || (!a.done && inputs.years == 0);
    }
    if (inputs.years == 0) ends.resize(std::min(ends.size(), shown));
    out.yearEnds = std::move(ends);
    return out;
}

}  // namespace veldro

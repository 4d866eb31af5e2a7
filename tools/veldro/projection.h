// The life-of-asset projection: each asset's depreciation of every fiscal year from the current
// one until it is fully depreciated, computed by the engine as the depreciation report computes
// the year (the report date at the fiscal year end) and carried into the next year as the period
// close carries it. Nothing is written: the register is a value here.
#pragma once

#include <string>
#include <vector>

#include "engine/depreciation.h"
#include "format/money.h"
#include "register/records.h"
#include "register_rows.h"

namespace veldro {

// The projection stops here even when an asset still has something left (a life of centuries,
// an acquisition far ahead).
inline constexpr int kMaxProjectionYears = 100;

struct ProjectionInputs {
    dp::Date6c fiscalYearEnd;  // the company's current fiscal year end, as stored
    char basis = 'T';          // 'B' book, 'T' tax
    int years = 0;             // 0: until every asset is done (at most kMaxProjectionYears)
    dp::TableRateReader tableRate;  // empty: the rate tables of the current directory
};

struct ProjectedYear {
    dp::Cents depreciation;  // the year's amount
    dp::Cents accumulated;   // prior depreciation after the close of the year
    dp::Cents remaining;     // what is left to depreciate after the year
};

struct ProjectedRow {
    ReportRowKind kind = ReportRowKind::Asset;  // Heading, Subtotal or Asset
    std::string assetNumber;                    // stored bytes, NULs as blanks
    std::string description;
    std::vector<ProjectedYear> years;  // assets: year 1 on, as long as the asset is projected
};

struct Projection {
    std::vector<std::string> yearEnds;  // MMDDYYYY of each year projected
    std::vector<ProjectedRow> rows;     // in index order; rows the report leaves out are not here
    std::vector<std::string> leftOut;   // assets whose amounts are not numbers
    bool stoppedAtLimit = false;        // kMaxProjectionYears reached with something left
};

// False when the company has no usable fiscal year end (nothing to project from).
bool canProject(const dp::Date6c& fiscalYearEnd);

Projection projectRegister(const std::vector<RegisterRow>& rows, const ProjectionInputs& inputs);

}  // namespace veldro

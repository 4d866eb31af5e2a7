// The projection as a report of the module's style (132 columns, pages of 55 counted lines; the
// years side by side, eight to a band of pages, with the amount left after the band's last
// year), and as a table of one row per asset and year.
#pragma once

#include <string>
#include <vector>

#include "projection.h"

namespace veldro {

struct ProjectionHeading {
    std::string companyLine;  // as the depreciation report's heading shows it (code page 437)
    char basis = 'T';
};

inline constexpr int kYearsPerBand = 8;

// The pages, each a list of lines in code page 437 without line ends.
std::vector<std::vector<std::string>> projectionPages(const Projection& p, const ProjectionHeading& heading);

// The pages as UTF-8 text: CR LF line ends, a form feed before every page after the first.
std::string projectionText(const std::vector<std::vector<std::string>>& pages);
// The pages as a printer file for the renderer: the report's printer codes at the top of each
// page, code page 437, a form feed between pages and at the end.
std::string projectionPrinterFile(const std::vector<std::vector<std::string>>& pages);

// asset_number, description, fiscal_year_end (YYYY-MM-DD), depreciation, accumulated, remaining:
// one row per asset and year projected, UTF-8, a header row.
std::string projectionCsv(const Projection& p);

}  // namespace veldro

#include "report_table.h"

#include "cp437_text.h"
#include "csv.h"
#include "register_export.h"

namespace veldro {

std::string reportCsv(const std::vector<RegisterRow>& rows, const dp::EngineInputs& inputs) {
    std::string out = csvLine({"asset_number", "description", "date_acquired", "cost", "salvage", "net", "method", "rate",
                               "prior", "current", "cancelled", "ending", "sold"});
    for (const RegisterRow& row : rows) {
        const dp::AssetRecord& r = row.record;
        if (reportRowKind(r) != ReportRowKind::Asset || !finiteAmounts(r.block(inputs.basis))) continue;
        const dp::AssetFigures f = dp::computeDepreciation(r, inputs);
        const dp::AssetAmounts& a = f.amounts;
        const double deductions = a.Expense + a.Salvage + a.Bonus3050;
        bool asIs = false;
        out += csvLine({cp437ToUtf8(dp::trimRight(dp::nulsToBlanks(r.AssetNumber))),
                        cp437ToUtf8(dp::trimRight(dp::nulsToBlanks(r.Description))), exportDate(r.DateAcquired, false, asIs),
                        amountText(a.Cost), amountText(deductions), amountText(a.Cost - deductions), cp437ToUtf8(a.Method),
                        rateText(a.Rate), amountText(a.PriorDepr), amountText(a.CurrentDepr), amountText(a.Cancelled),
                        amountText(a.CurrentDepr + a.PriorDepr - a.Cancelled),
                        f.sold ? "Y" : "N"});
    }
    return out;
}

}  // namespace veldro

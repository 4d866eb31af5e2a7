#include "register_rows.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "engine/rate_tables.h"

namespace veldro {

RowWalk walkOf(const std::vector<unsigned char>& indexBytes, const std::vector<unsigned char>& assetBytes) {
    return [&indexBytes, &assetBytes](const RowVisitor& visit) {
        const std::size_t entries = indexBytes.size() / dp::kIndexEntryLength;
        const std::size_t records = assetBytes.size() / dp::kAssetRecordLength;
        RegisterRow row;
        for (std::size_t i = 0; i < entries; ++i) {
            std::copy_n(indexBytes.begin() + static_cast<std::ptrdiff_t>(i * dp::kIndexEntryLength), dp::kIndexEntryLength,
                        row.entry.begin());
            row.recordNumber = dp::indexRecordNumber(row.entry);
            if (row.recordNumber < 1 || static_cast<std::size_t>(row.recordNumber) > records) continue;
            dp::AssetRecord::Bytes b{};
            std::copy_n(assetBytes.begin() + static_cast<std::ptrdiff_t>((row.recordNumber - 1) * dp::kAssetRecordLength),
                        dp::kAssetRecordLength, b.begin());
            row.record = dp::AssetRecord::decode(b);
            visit(row);
        }
    };
}

RowWalk walkOf(const std::vector<RegisterRow>& rows) {
    return [&rows](const RowVisitor& visit) {
        for (const RegisterRow& r : rows) visit(r);
    };
}

std::vector<RegisterRow> registerRows(const std::vector<unsigned char>& indexBytes,
                                      const std::vector<unsigned char>& assetBytes) {
    std::vector<RegisterRow> rows;
    rows.reserve(indexBytes.size() / dp::kIndexEntryLength);
    walkOf(indexBytes, assetBytes)([&rows](const RegisterRow& r) { rows.push_back(r); });
    return rows;
}

ReportRowKind reportRowKind(const dp::AssetRecord& record) {
    if (record.AssetNumber == "      ") return ReportRowKind::LeftOut;
    if (dp::trimBoth(dp::nulsToBlanks(record.Description)) == dp::kDeletedMark) return ReportRowKind::LeftOut;
    if (record.Tax.Code4562.find("11") != std::string::npos) return ReportRowKind::LeftOut;
    if (dp::date6IsMarker(record.DateAcquired, 'H')) return ReportRowKind::Heading;
    if (dp::date6IsMarker(record.DateAcquired, 'S')) return ReportRowKind::Subtotal;
    return ReportRowKind::Asset;
}

bool finiteAmounts(const dp::BasisBlock& b) {
    for (double v : {b.Rate, b.Cost, b.Bonus, b.Salvage, b.Expense, b.Bonus3050, b.PriorDepr, b.CurrentDepr, b.Cancelled})
        if (!std::isfinite(v)) return false;
    return true;
}

bool isEmptySlot(const dp::AssetRecord& record) { return dp::trimRight(dp::nulsToBlanks(record.AssetNumber)).empty(); }

std::string tableCode(const std::string& method, double rate) {
    if (method != "A") return method;
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, rate);
    return "A" + (result.ec == std::errc() ? std::string(buffer, result.ptr) : std::string());
}

std::set<std::string> rateTablesUsed(const std::vector<RegisterRow>& rows, char basis) {
    std::set<std::string> files;
    for (const RegisterRow& r : rows) {
        if (reportRowKind(r.record) != ReportRowKind::Asset) continue;
        const dp::BasisBlock& b = r.record.block(basis);
        if (dp::upperCase(std::string(1, b.Manual)) == "Y") continue;
        if (const char* file = dp::rateTableFile(tableCode(dp::trimRight(b.Method), b.Rate))) files.insert(file);
    }
    return files;
}

}  // namespace veldro

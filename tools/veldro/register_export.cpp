#include "register_export.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "cp437_text.h"
#include "csv.h"
#include "format/money.h"
#include "format/number_format.h"
#include "format/typed_entries.h"

namespace veldro {
namespace {

// The largest amount whose cents a 64-bit count holds with room to spare.
constexpr double kLargestInCents = 9e15;

std::string twoDigits(int v) { return (v < 10 ? "0" : "") + std::to_string(v); }

std::string storedText(const std::string& field) { return cp437ToUtf8(dp::trimRight(dp::nulsToBlanks(field))); }

std::string rowName(const dp::AssetRecord& r) {
    if (dp::date6IsMarker(r.DateAcquired, 'H')) return "heading";
    if (dp::date6IsMarker(r.DateAcquired, 'S')) return "subtotal";
    return "asset";
}

bool isDeleted(const dp::AssetRecord& r) {
    return dp::nulsToBlanks(r.Description).compare(0, dp::kDeletedMark.size(), dp::kDeletedMark) == 0;
}

bool allBytes(const dp::Date6& d, char c) {
    for (char x : d)
        if (x != c) return false;
    return true;
}

void addBasis(std::vector<ExportValue>& out, const dp::BasisBlock& b) {
    using K = ExportValue::Kind;
    out.push_back({K::Text, storedText(b.Method)});
    out.push_back({K::Number, rateText(b.Rate)});
    out.push_back({K::Text, b.Manual == '\0' ? std::string() : storedText(std::string(1, b.Manual))});
    for (double v : {b.Cost, b.Bonus, b.Salvage, b.Expense, b.Bonus3050, b.PriorDepr, b.CurrentDepr, b.Cancelled})
        out.push_back({K::Number, amountText(v)});
    out.push_back({K::Text, storedText(b.Code4562)});
}

void noteOddValues(const std::vector<ExportValue>& values, const std::string& asset, std::vector<std::string>& notes) {
    const std::vector<std::string>& columns = registerColumns();
    for (std::size_t i = 0; i < values.size(); ++i)
        if (values[i].kind == ExportValue::Kind::Number && !values[i].text.empty() &&
            !(values[i].text[0] == '-' || (values[i].text[0] >= '0' && values[i].text[0] <= '9')))
            notes.push_back("asset " + asset + ": " + columns[i] + " is stored as " + values[i].text +
                            ", which is no amount; it is written as " + values[i].text);
}

std::string jsonString(const std::string& s) {
    static const char* const hex = "0123456789abcdef";
    std::string out = "\"";
    for (char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') out += std::string("\\") + c;
        else if (u < 0x20) out += std::string("\\u00") + hex[u >> 4] + hex[u & 15];
        else out += c;
    }
    return out + "\"";
}

std::string jsonValue(const ExportValue& v) {
    switch (v.kind) {
        case ExportValue::Kind::Text: return jsonString(v.text);
        case ExportValue::Kind::Flag: return v.text == "Y" ? "true" : "false";
        case ExportValue::Kind::Number:
            return v.text.empty() || (v.text[0] != '-' && (v.text[0] < '0' || v.text[0] > '9')) ? "null" : v.text;
    }
    return "null";
}

}  // namespace

const std::vector<std::string>& registerColumns() {
    static const std::vector<std::string> columns = [] {
        std::vector<std::string> c = {"row", "deleted", "asset_number", "description", "date_acquired", "date_sold"};
        for (const char* basis : {"book_", "tax_"})
            for (const char* field : kBasisFields) c.push_back(std::string(basis) + field);
        return c;
    }();
    return columns;
}

std::string amountText(double value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
    if (std::fabs(value) >= kLargestInCents) return dp::formatNumber(value, "0.00");
    const std::int64_t units = dp::Cents::fromDouble(value).units;
    const std::uint64_t magnitude = units < 0 ? 0 - static_cast<std::uint64_t>(units) : static_cast<std::uint64_t>(units);
    char buffer[32];
    char* p = buffer;
    if (units < 0) *p++ = '-';
    p = std::to_chars(p, buffer + sizeof buffer, magnitude / 100).ptr;
    *p++ = '.';
    *p++ = static_cast<char>('0' + magnitude % 100 / 10);
    *p++ = static_cast<char>('0' + magnitude % 10);
    return std::string(buffer, p);
}

std::string rateText(double value) {
    if (!std::isfinite(value) || std::fabs(value) >= kLargestInCents) return amountText(value);
    if (dp::Cents::fromDouble(value).toDouble() == value) return amountText(value);
    return dp::shortestDecimal(value);
}

std::string exportDate(const dp::Date6& date, bool isDateSold, bool& asIs) {
    asIs = false;
    if (allBytes(date, '\0') || allBytes(date, ' ')) return "";
    if (!isDateSold && (dp::date6IsMarker(date, 'H') || dp::date6IsMarker(date, 'S'))) return "";
    if (dp::date6Int(date) == 0) return "";
    const std::string stored = dp::date6ToText(date, isDateSold);
    const dp::TypedDate d = dp::readTypedDate(stored);
    if (!d.ok() || stored.find_first_not_of("0123456789") != std::string::npos) {
        asIs = true;
        return stored;
    }
    return std::to_string(d.year) + "-" + twoDigits(d.month) + "-" + twoDigits(d.day);
}

std::vector<ExportValue> exportValues(const dp::AssetRecord& r, std::vector<std::string>& notes) {
    using K = ExportValue::Kind;
    const std::string asset = storedText(r.AssetNumber);
    bool acquiredAsIs = false, soldAsIs = false;
    std::vector<ExportValue> out = {
        {K::Text, rowName(r)},
        {K::Flag, isDeleted(r) ? "Y" : "N"},
        {K::Text, asset},
        {K::Text, storedText(r.Description)},
        {K::Text, exportDate(r.DateAcquired, false, acquiredAsIs)},
        {K::Text, exportDate(r.DateSold, true, soldAsIs)},
    };
    if (acquiredAsIs) notes.push_back("asset " + asset + ": date_acquired " + out[4].text + " is no calendar date; it is written as stored");
    if (soldAsIs) notes.push_back("asset " + asset + ": date_sold " + out[5].text + " is no calendar date; it is written as stored");
    addBasis(out, r.Book);
    addBasis(out, r.Tax);
    noteOddValues(out, asset, notes);
    return out;
}

std::string exportCsv(const RowWalk& rows, std::vector<std::string>& notes) {
    std::string out = csvLine(registerColumns());
    std::vector<std::string> fields;
    rows([&](const RegisterRow& row) {
        if (isEmptySlot(row.record)) return;
        fields.clear();
        for (ExportValue& v : exportValues(row.record, notes)) fields.push_back(std::move(v.text));
        out += csvLine(fields);
    });
    return out;
}

std::string exportJson(const RowWalk& rows, std::vector<std::string>& notes) {
    const std::vector<std::string>& columns = registerColumns();
    std::string out = "[";
    bool first = true;
    rows([&](const RegisterRow& row) {
        if (isEmptySlot(row.record)) return;
        const std::vector<ExportValue> values = exportValues(row.record, notes);
        out += first ? "\n  {" : ",\n  {";
        first = false;
        for (std::size_t i = 0; i < values.size(); ++i)
            out += (i ? ", " : "") + jsonString(columns[i]) + ": " + jsonValue(values[i]);
        out += "}";
    });
    return out + (first ? "]\n" : "\n]\n");
}

}  // namespace veldro

#include "register_import.h"

#include <algorithm>
#include <optional>

#include "cp437_text.h"
#include "engine/rate_tables.h"
#include "format/number_format.h"
#include "format/typed_entries.h"
#include "register_export.h"
#include "register_rows.h"

namespace veldro {
namespace {

enum class RowKind { Unspecified, Asset, Heading, Subtotal };

constexpr int kBasisColumns = 12;
constexpr int kFirstBasisColumn = 6;
// Widths of the stored text fields.
constexpr int kAssetNumberWidth = 6, kDescriptionWidth = 35, kMethodWidth = 4, kCode4562Width = 6;

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

// The position of each column of the register in the file (-1: not in the file).
struct ColumnMap {
    std::vector<int> position = std::vector<int>(registerColumns().size(), -1);
    int fields = 0;
    bool has(std::size_t column) const { return position[column] >= 0; }
};

int columnNumber(const std::string& name) {
    const std::vector<std::string>& columns = registerColumns();
    const auto it = std::find(columns.begin(), columns.end(), name);
    return it == columns.end() ? -1 : static_cast<int>(it - columns.begin());
}

std::string columnList() {
    std::string s;
    for (const std::string& c : registerColumns()) s += (s.empty() ? "" : ", ") + c;
    return s;
}

ColumnMap readHeader(const CsvRecord& header, std::vector<ImportProblem>& problems) {
    ColumnMap map;
    map.fields = static_cast<int>(header.fields.size());
    for (std::size_t i = 0; i < header.fields.size(); ++i) {
        const std::string name = lower(dp::trimBoth(header.fields[i]));
        const int n = columnNumber(name);
        if (n < 0) {
            std::string why = "not a column of the register (the columns are " + columnList() + ")";
            if (header.fields.size() == 1 && name.find(';') != std::string::npos)
                why = "the fields of this file are separated by \";\": save it with \",\" as the field separator";
            problems.push_back({header.line, header.fields[i], why});
        } else if (map.position[static_cast<std::size_t>(n)] >= 0) {
            problems.push_back({header.line, name, "the column is named twice in the header"});
        } else {
            map.position[static_cast<std::size_t>(n)] = static_cast<int>(i);
        }
    }
    return map;
}

// A parsed date field: no date, a row marker, or the digits to store.
struct DateField {
    char marker = 0;
    std::string digits;  // MMDDYY or MMDDYYYY as typed; empty for no date
};

bool isIsoDate(const std::string& t) {
    if (t.size() != 10 || t[4] != '-' || t[7] != '-') return false;
    for (std::size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u})
        if (t[i] < '0' || t[i] > '9') return false;
    return true;
}

// The fields of one row as the register stores them; every problem noted with its line and
// column.
class FieldReader {
public:
    FieldReader(const CsvRecord& row, const ColumnMap& map, std::vector<ImportProblem>& problems)
        : row_(row), map_(map), problems_(problems) {}

protected:
    void problem(std::size_t column, std::string text) {
        problems_.push_back({row_.line, registerColumns()[column], std::move(text)});
    }

    std::optional<std::string> field(std::size_t column) const {
        if (!map_.has(column)) return std::nullopt;
        return row_.fields[static_cast<std::size_t>(map_.position[column])];
    }

    // A text field as stored: code page 437, at most `width` characters; nullopt after a problem.
    std::optional<std::string> storedText(std::size_t column, const std::string& text, int width) {
        const StoredText s = utf8ToCp437(text);
        if (!s.refusal.empty()) {
            problem(column, s.refusal);
            return std::nullopt;
        }
        if (s.characters > width) {
            problem(column, quoted(text) + " is " + std::to_string(s.characters) + " characters long; the register holds " +
                                std::to_string(width));
            return std::nullopt;
        }
        return s.bytes;
    }

    void number(std::size_t column, double& value) {
        const std::optional<std::string> t = field(column);
        if (!t) return;
        const dp::TypedNumber n = dp::readTypedNumber(*t);
        if (n.ok()) value = n.value;
        else problem(column, dp::numberRefusalText(*t, n.refusal));
    }

    void manual(std::size_t column, char& flag) {
        const std::optional<std::string> t = field(column);
        if (!t) return;
        const std::string v = dp::upperCase(dp::trimBoth(*t));
        if (v.empty() || v == "Y" || v == "N") flag = v.empty() ? ' ' : v[0];
        else
            problem(column, quoted(dp::trimBoth(*t)) + " is not Y or N. Type Y when the current year's depreciation is "
                                                      "entered by hand, N (or nothing) when the method computes it.");
    }

    void text(std::size_t column, std::string& stored, int width) {
        const std::optional<std::string> t = field(column);
        if (!t) return;
        if (const std::optional<std::string> bytes = storedText(column, dp::trimRight(*t), width))
            stored = dp::fixedText(*bytes, static_cast<std::size_t>(width));
    }

    const CsvRecord& row_;
    const ColumnMap& map_;
    std::vector<ImportProblem>& problems_;
};

// Reads one row of the table into a record to add, noting every problem of the row.
class RowCheck : FieldReader {
public:
    using FieldReader::FieldReader;

    std::optional<dp::AssetRecord> check(const std::map<std::string, int>& existing, std::map<std::string, int>& seen) {
        const std::size_t before = problems_.size();
        dp::AssetRecord r;  // a new asset starts empty, as one typed in the menu
        r.AssetNumber = assetNumber(existing, seen);
        RowKind kind = rowKind();
        const std::optional<DateField> acquired = date(4, true);
        const std::optional<DateField> sold = date(5, false);
        kind = reconcileKind(kind, acquired);
        if (kind == RowKind::Heading || kind == RowKind::Subtotal)
            dp::date6FromText(r.DateAcquired, kind == RowKind::Heading ? "H" : "S", false);
        else if (acquired && !acquired->digits.empty())
            dp::date6FromText(r.DateAcquired, acquired->digits, false);
        if (sold) dp::date6FromText(r.DateSold, sold->digits, true);
        r.Description = description();
        r.Book = basis(0, dp::BasisBlock{});
        r.Tax = basis(kBasisColumns, r.Book);
        if (kind == RowKind::Asset || kind == RowKind::Unspecified) checkMethods(r);
        if (problems_.size() != before) return std::nullopt;
        return r;
    }

private:
    std::string assetNumber(const std::map<std::string, int>& existing, std::map<std::string, int>& seen) {
        const std::string typed = dp::trimBoth(field(2).value_or(""));
        if (typed.empty()) {
            problem(2, "empty; every row needs an asset number");
            return std::string(kAssetNumberWidth, ' ');
        }
        const std::optional<std::string> bytes = storedText(2, typed, kAssetNumberWidth);
        if (!bytes) return std::string(kAssetNumberWidth, ' ');
        const std::string key = dp::assetKey(*bytes);
        if (const auto e = existing.find(key); e != existing.end())
            problem(2, quoted(typed) + " is already in the register");
        else if (const auto [at, added] = seen.emplace(key, row_.line); !added)
            problem(2, quoted(typed) + " is also on line " + std::to_string(at->second));
        return key;
    }

    RowKind rowKind() {
        const std::string t = lower(dp::trimBoth(field(0).value_or("")));
        if (t.empty()) return RowKind::Unspecified;
        if (t == "asset") return RowKind::Asset;
        if (t == "heading") return RowKind::Heading;
        if (t == "subtotal") return RowKind::Subtotal;
        problem(0, quoted(t) + " is none of asset, heading and subtotal");
        return RowKind::Unspecified;
    }

    std::optional<DateField> date(std::size_t column, bool markers) {
        const std::string t = dp::upperCase(dp::trimBoth(field(column).value_or("")));
        DateField out;
        if (t.find_first_not_of('0') == std::string::npos) return out;
        if (markers && (t == "H" || t == "S")) {
            out.marker = t[0];
            return out;
        }
        const bool iso = isIsoDate(t);
        const dp::TypedDate d = dp::readTypedDate(iso ? t.substr(5, 2) + "/" + t.substr(8, 2) + "/" + t.substr(0, 4) : t);
        if (!d.ok()) {
            std::string why = dp::dateRefusalText(field(column).value_or(""), d);
            if (d.refusal == dp::DateRefusal::NotADate) why += " YYYY-MM-DD is read too.";
            if (markers && d.refusal == dp::DateRefusal::NotADate) why += " H marks a heading row, S a subtotal row.";
            problem(column, why);
            return std::nullopt;
        }
        out.digits = iso ? d.mmddyyyy() : d.asTyped();
        return out;
    }

    RowKind reconcileKind(RowKind kind, const std::optional<DateField>& acquired) {
        if (!acquired) return kind == RowKind::Unspecified ? RowKind::Asset : kind;
        const RowKind byMarker = acquired->marker == 'H'   ? RowKind::Heading
                                 : acquired->marker == 'S' ? RowKind::Subtotal
                                                           : RowKind::Unspecified;
        if (kind == RowKind::Unspecified) return byMarker == RowKind::Unspecified ? RowKind::Asset : byMarker;
        if (byMarker != RowKind::Unspecified && byMarker != kind)
            problem(4, std::string(1, acquired->marker) + " marks a " + (byMarker == RowKind::Heading ? "heading" : "subtotal") +
                           " row, but the row is " + lower(dp::trimBoth(*field(0))));
        else if (kind != RowKind::Asset && !acquired->digits.empty())
            problem(4, std::string("a ") + (kind == RowKind::Heading ? "heading" : "subtotal") +
                           " row has no acquisition date; leave it empty");
        return kind;
    }

    // The deleted column and the description together: a deleted record's description is the
    // mark; any other that begins with it is refused, as the maintenance dialog refuses it.
    std::string description() {
        const std::string flag = dp::upperCase(dp::trimBoth(field(1).value_or("")));
        if (!flag.empty() && flag != "Y" && flag != "N") problem(1, quoted(dp::trimBoth(*field(1))) + " is not Y or N");
        const std::optional<std::string> bytes = storedText(3, dp::trimRight(field(3).value_or("")), kDescriptionWidth);
        if (!bytes) return std::string(kDescriptionWidth, ' ');
        const std::string mark(dp::kDeletedMark);
        if (flag == "Y") {
            if (bytes->empty()) return dp::fixedText(mark, kDescriptionWidth);
            if (bytes->compare(0, mark.size(), mark) != 0)
                problem(1, "Y marks the record deleted, and a deleted record's description is " + mark +
                               ": empty the description, or set deleted to N");
        } else if (dp::trimBoth(*bytes).rfind(mark, 0) == 0 && (flag == "N" || *bytes != mark)) {
            problem(3, "a description that begins with " + mark +
                           " marks a deleted record: type another description, or set deleted to Y");
        }
        return dp::fixedText(*bytes, kDescriptionWidth);
    }

    // A basis block: the columns present, the rest as in `start`.
    dp::BasisBlock basis(std::size_t offset, dp::BasisBlock b) {
        const std::size_t c = kFirstBasisColumn + offset;
        text(c, b.Method, kMethodWidth);
        number(c + 1, b.Rate);
        manual(c + 2, b.Manual);
        double* amounts[] = {&b.Cost, &b.Bonus, &b.Salvage, &b.Expense, &b.Bonus3050, &b.PriorDepr, &b.CurrentDepr, &b.Cancelled};
        for (std::size_t k = 0; k < 8; ++k) number(c + 3 + k, *amounts[k]);
        text(c + 11, b.Code4562, kCode4562Width);
        return b;
    }

    // A basis whose method, rate and manual columns are all missing copies the book basis,
    // already checked.
    void checkMethods(const dp::AssetRecord& r) {
        for (std::size_t offset : {std::size_t{0}, std::size_t{kBasisColumns}}) {
            const std::size_t c = kFirstBasisColumn + offset;
            if (offset > 0 && !map_.has(c) && !map_.has(c + 1) && !map_.has(c + 2)) continue;
            const dp::BasisBlock& b = offset == 0 ? r.Book : r.Tax;
            if (b.Manual == 'Y') continue;
            const std::string code = dp::trimRight(b.Method);
            if (code.empty()) continue;
            if (std::string why = methodProblem(code, b.Rate); !why.empty()) problem(c, why);
        }
    }
};

bool allEmpty(const CsvRecord& r) {
    return std::all_of(r.fields.begin(), r.fields.end(), [](const std::string& f) { return dp::trimBoth(f).empty(); });
}

bool digitsOnly(const std::string& s, std::size_t from, std::size_t maxDigits) {
    const std::string rest = s.substr(from);
    return rest.size() <= maxDigits && rest.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

std::string problemText(const std::string& file, const ImportProblem& p) {
    return file + ":" + std::to_string(p.line) + ": " + (p.column.empty() ? "" : p.column + ": ") + p.text;
}

std::string methodProblem(const std::string& code, double rate) {
    const char letter = code.empty() ? ' ' : code[0];
    if (code == "SL" || code == "E" || code == "F") return {};
    if ((letter == 'D' || letter == 'B') && digitsOnly(code, 1, 3)) return {};
    if (letter == 'A' || letter == 'G' || letter == 'H') {
        const std::string table = tableCode(code, rate);
        if (dp::rateTableFile(table)) return {};
        if (code == "A")
            return "A alone takes the class from the rate, and " + dp::shortestDecimal(rate) +
                   " names none: A needs a rate of 3, 5, 7, 10, 15 or 18 (or write the class: A5)";
        return quoted(code) + " has no rate table: the table codes are A3, A5, A7, A10, A15, A18, G1, G2, G3 and H1";
    }
    return quoted(code) + " is not a method code: SL, Dxxx, Bxxx, E, F, A3 to A18, G1 to G3 and H1 are "
                          "(any code when manual is Y; the codes are upper case)";
}

ImportCheck checkImport(const CsvTable& table, const std::map<std::string, int>& existing) {
    ImportCheck out;
    for (const CsvProblem& p : table.problems) out.problems.push_back({p.line, "", p.text});
    if (table.records.empty()) {
        if (out.problems.empty()) out.problems.push_back({1, "", "the file is empty: it needs a header row naming its columns"});
        return out;
    }
    const ColumnMap map = readHeader(table.records.front(), out.problems);
    if (!map.has(2)) {
        out.problems.push_back({table.records.front().line, "asset_number", "the header has no asset_number column; every row needs one"});
        return out;
    }
    std::map<std::string, int> seen;
    for (std::size_t i = 1; i < table.records.size(); ++i) {
        const CsvRecord& row = table.records[i];
        if (allEmpty(row)) continue;
        if (static_cast<int>(row.fields.size()) != map.fields) {
            out.problems.push_back({row.line, "", "the row has " + std::to_string(row.fields.size()) + " fields, the header " +
                                                      std::to_string(map.fields)});
            continue;
        }
        if (std::optional<dp::AssetRecord> r = RowCheck(row, map, out.problems).check(existing, seen))
            out.assets.push_back({row.line, std::move(*r)});
    }
    std::stable_sort(out.problems.begin(), out.problems.end(),
                     [](const ImportProblem& a, const ImportProblem& b) { return a.line < b.line; });
    if (!out.problems.empty()) out.assets.clear();
    return out;
}

}  // namespace veldro

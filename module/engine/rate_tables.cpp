#include "engine/rate_tables.h"

#include <array>
#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/dates.h"
#include "platform/files.h"

namespace dp {

namespace {

// No rate table holds more than a few thousand values.
constexpr std::int64_t kMaxRateTableBytes = 1 << 20;

struct TableFile {
    std::string_view code;
    const char* file;
    bool monthTable;
};

constexpr std::array<TableFile, 10> kTables = {{
    {"A3", "ACRS3.tbl", false},
    {"A5", "ACRS5.tbl", false},
    {"A7", "ACRS7.tbl", false},
    {"A10", "ACRS10.tbl", false},
    {"A15", "ACRS151.tbl", true},
    {"A18", "ACRS181.tbl", true},
    {"G1", "ACRS181.tbl", true},
    {"G2", "ACRS182.tbl", true},
    {"G3", "ACRS183.tbl", true},
    {"H1", "ACRS191.tbl", true},
}};

const TableFile* findTable(std::string_view code) {
    for (const auto& t : kTables)
        if (t.code == code) return &t;
    return nullptr;
}

constexpr int kYearListLength = 10;
constexpr int kRowLength = 12;

// Turns the fields of a table text into values, one character at a time, so that a file can be
// fed in pieces of any size. A value is delivered when its field ends; the caller stops the feed
// once it has what it needs.
class TableParser {
public:
    // Returns true when a value ended at this character (value() holds it).
    bool put(char c) {
        if (c == ',' || c == '\n' || c == '\r') {
            bool counted = c == ',' || nonBlank_;
            if (counted) finishValue();
            reset();
            return counted;
        }
        if (!nonBlank_ && (c == ' ' || c == '\t')) return false;  // blanks before a number
        nonBlank_ = true;
        if (len_ < token_.size() - 1 && !stopped_) {
            if (accepts(c)) {
                token_[len_++] = c;
            } else {
                stopped_ = true;  // the number ends here; the rest of the field is ignored
            }
        }
        return false;
    }
    // The end of the text ends a last field that holds something.
    bool finish() {
        bool counted = nonBlank_;
        if (counted) finishValue();
        reset();
        return counted;
    }
    float value() const { return value_; }

private:
    // Accepts the characters of sign, digits, point, digits, exponent in that order.
    bool accepts(char c) {
        bool digit = c >= '0' && c <= '9';
        switch (state_) {
            case 0:  // start
                if (c == '+' || c == '-') { state_ = 1; return true; }
                if (digit) { state_ = 2; return true; }
                if (c == '.') { state_ = 3; return true; }
                return false;
            case 1:  // after the sign
                if (digit) { state_ = 2; return true; }
                if (c == '.') { state_ = 3; return true; }
                return false;
            case 2:  // integer digits
                if (digit) return true;
                if (c == '.') { state_ = 3; return true; }
                if (c == 'e' || c == 'E') { state_ = 4; return true; }
                return false;
            case 3:  // after the point
                if (digit) return true;
                if (c == 'e' || c == 'E') { state_ = 4; return true; }
                return false;
            case 4:  // after the exponent letter
                if (c == '+' || c == '-') { state_ = 5; return true; }
                if (digit) { state_ = 6; return true; }
                return false;
            case 5:
                if (digit) { state_ = 6; return true; }
                return false;
            default:
                return digit;
        }
    }
    void finishValue() {
        token_[len_] = '\0';
        double v = std::strtod(token_.data(), nullptr);  // an incomplete number reads its valid part
        if (!std::isfinite(v) || std::fabs(v) > 3.0e38) v = 0;
        value_ = static_cast<float>(v);
    }
    void reset() {
        len_ = 0;
        state_ = 0;
        nonBlank_ = false;
        stopped_ = false;
    }

    std::array<char, 64> token_{};
    std::size_t len_ = 0;
    int state_ = 0;
    bool nonBlank_ = false;
    bool stopped_ = false;
    float value_ = 0;
};

// The values of a file in file order, at most maxValues of them; none when it cannot be read as
// a rate table (missing, not an ordinary file, or larger than any table).
std::vector<float> readValues(const char* path, std::size_t maxValues) {
    std::vector<float> values;
    std::vector<unsigned char> bytes;
    if (!platform::readWholeFile(path, bytes, kMaxRateTableBytes, false)) return values;
    TableParser parser;
    for (std::size_t i = 0; i < bytes.size() && values.size() < maxValues; ++i)
        if (parser.put(static_cast<char>(bytes[i]))) values.push_back(parser.value());
    if (values.size() < maxValues && parser.finish()) values.push_back(parser.value());
    return values;
}

// Recovery years a month table is read for; later years give 0.
constexpr int kMaxMonthTableYears = 1000;

}  // namespace

const char* rateTableFile(std::string_view code) {
    const TableFile* t = findTable(code);
    return t ? t->file : nullptr;
}

bool isMonthTable(std::string_view code) {
    const TableFile* t = findTable(code);
    return t && t->monthTable;
}

int tableColumn(std::string_view code, int acquisitionMonth, int fiscalYearEndMonth) {
    if (code.empty()) return 1;
    int byMonth = fiscalYearEndMonth - acquisitionMonth;
    if (byMonth <= 0) byMonth += 12;
    char letter = code[0];
    if (letter == 'G' || letter == 'H') return byMonth;
    std::string_view after = code.substr(1);
    if (!after.empty() && std::string_view("4578").find(after) != std::string_view::npos) return byMonth;
    return 1;
}

float RateTables::rate(std::string_view code, int recoveryYear, std::string_view acquisitionDate,
                       std::string_view fiscalYearEnd) {
    const TableFile* t = findTable(code);
    if (!t || recoveryYear < 1) return 0;
    std::size_t slot = 0;
    if (!t->monthTable) {
        if (recoveryYear > kYearListLength) return 0;  // only ten years are held
        slot = static_cast<std::size_t>(recoveryYear - 1);
    } else {
        // Row r is values 12(r-1)+1 .. 12r; a row the file does not hold completely reads as 0s
        // where it is short, so a year past the last row gives 0.
        if (recoveryYear > kMaxMonthTableYears) return 0;
        const int column = tableColumn(code, splitDate(acquisitionDate).month, splitDate(fiscalYearEnd).month);
        if (column < 1 || column > kRowLength) return 0;
        slot = static_cast<std::size_t>(kRowLength * (recoveryYear - 1) + column - 1);
    }
    const std::vector<float>& values = fileValues(t->file, t->monthTable);
    float p = slot < values.size() ? values[slot] : 0.0f;
    if (p >= 1) p = p / 100.0f;
    return p;
}

const std::vector<float>& RateTables::fileValues(const char* file, bool monthTable) {
    for (const auto& [name, values] : files_)
        if (std::string_view(name) == file) return values;
    const std::size_t wanted = monthTable ? std::size_t{kRowLength} * kMaxMonthTableYears : kYearListLength;
    files_.emplace_back(file, readValues(file, wanted));
    return files_.back().second;
}

std::string unusableRateTables() {
    std::string text;
    for (const TableFile& t : kTables) {
        std::vector<unsigned char> bytes;
        if (platform::readWholeFile(t.file, bytes, kMaxRateTableBytes, true)) continue;
        text += std::string(text.empty() ? "" : "\r\n") + t.file + ": " +
                platform::describeFileError(platform::lastFileError());
    }
    return text;
}

float loadTableRate(std::string_view code, int recoveryYear, std::string_view acquisitionDate,
                    std::string_view fiscalYearEnd) {
    return RateTables().rate(code, recoveryYear, acquisitionDate, fiscalYearEnd);
}

int parseTableValues(std::string_view text, float* values, int maxValues) {
    int n = 0;
    TableParser parser;
    for (char c : text) {
        if (n >= maxValues) return n;
        if (parser.put(c)) values[n++] = parser.value();
    }
    if (n < maxValues && parser.finish()) values[n++] = parser.value();
    return n;
}

}  // namespace dp

#include "csv.h"

namespace veldro {
namespace {

class CsvReader {
public:
    explicit CsvReader(std::string_view text) : t_(text) {
        if (t_.substr(0, 3) == "\xEF\xBB\xBF") i_ = 3;
    }

    CsvTable read() {
        CsvTable table;
        while (i_ < t_.size()) {
            CsvRecord record;
            record.line = line_;
            std::string problem;
            if (readRecord(record.fields, problem)) table.records.push_back(std::move(record));
            else table.problems.push_back({record.line, problem});
        }
        return table;
    }

private:
    bool atEnd() const { return i_ >= t_.size(); }
    bool atLineEnd() const { return !atEnd() && (t_[i_] == '\n' || t_[i_] == '\r'); }

    void skipLineEnd() {
        if (!atEnd() && t_[i_] == '\r') ++i_;
        if (!atEnd() && t_[i_] == '\n') ++i_;
        ++line_;
    }

    // The rest of a record that cannot be read is passed over up to its line end.
    bool giveUp(std::string& problem, std::string why) {
        problem = std::move(why);
        while (!atEnd() && !atLineEnd()) ++i_;
        skipLineEnd();
        return false;
    }

    bool readRecord(std::vector<std::string>& fields, std::string& problem) {
        for (;;) {
            std::string field;
            if (!atEnd() && t_[i_] == '"') {
                if (!readQuoted(field, problem)) return false;
                if (!atEnd() && t_[i_] != ',' && !atLineEnd())
                    return giveUp(problem, "text after the closing quote of field " + std::to_string(fields.size() + 1) +
                                               " (a quote inside a quoted field is written twice: \"\")");
            } else {
                while (!atEnd() && t_[i_] != ',' && !atLineEnd()) field += t_[i_++];
            }
            fields.push_back(std::move(field));
            if (!atEnd() && t_[i_] == ',') {
                ++i_;
                continue;
            }
            skipLineEnd();
            return true;
        }
    }

    bool readQuoted(std::string& field, std::string& problem) {
        const int startLine = line_;
        ++i_;
        for (;;) {
            if (atEnd()) {
                problem = "a quoted field that starts on line " + std::to_string(startLine) + " never ends";
                return false;
            }
            const char c = t_[i_++];
            if (c == '"') {
                if (atEnd() || t_[i_] != '"') return true;
                ++i_;
            } else if (c == '\n') {
                ++line_;
            } else if (c == '\r' && (atEnd() || t_[i_] != '\n')) {
                ++line_;
            }
            field += c;
        }
    }

    std::string_view t_;
    std::size_t i_ = 0;
    int line_ = 1;
};

}  // namespace

CsvTable readCsv(std::string_view text) { return CsvReader(text).read(); }

std::string csvField(std::string_view value) {
    const bool quote = value.find_first_of(",\"\r\n") != std::string_view::npos ||
                       (!value.empty() && (value.front() == ' ' || value.back() == ' '));
    if (!quote) return std::string(value);
    std::string out = "\"";
    for (char c : value) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string csvLine(const std::vector<std::string>& fields) {
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) out += ',';
        out += csvField(fields[i]);
    }
    return out + "\r\n";
}

}  // namespace veldro

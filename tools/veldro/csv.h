// Comma-separated values as spreadsheets read and write them: fields separated by ",", records
// ending in CR LF or LF, a field in double quotes when it holds a comma, a quote or a line end
// (a quote inside written twice). Reading keeps the line of the file each record starts on, so
// that every problem can be named by its line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace veldro {

struct CsvRecord {
    int line = 0;  // the line of the file the record starts on, from 1
    std::vector<std::string> fields;
};

struct CsvProblem {
    int line = 0;
    std::string text;
};

struct CsvTable {
    std::vector<CsvRecord> records;  // the header first
    std::vector<CsvProblem> problems;
};

// Reads a whole file. A UTF-8 byte order mark at the start is passed over. A quoted field that
// never ends, or text after a field's closing quote, is a problem of its line; the record is
// left out.
CsvTable readCsv(std::string_view text);

// A field as written: quoted when it holds a comma, a quote, CR or LF, or starts or ends with a
// blank (which a spreadsheet would otherwise trim).
std::string csvField(std::string_view value);
// The fields of one record, separated by commas, ending in CR LF.
std::string csvLine(const std::vector<std::string>& fields);

}  // namespace veldro

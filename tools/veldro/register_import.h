// Assets from a table another program wrote (the export's columns): every row checked with the
// rules the Asset File Maintenance dialog applies to what is typed, and the records to add built
// only when every row can be stored.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "csv.h"
#include "register/records.h"

namespace veldro {

struct ImportProblem {
    int line = 0;
    std::string column;  // empty for a problem of the whole row
    std::string text;
};
// FILE:LINE: column: what is wrong (FILE:LINE: what is wrong when no column is concerned).
std::string problemText(const std::string& file, const ImportProblem& p);

struct ImportedAsset {
    int line = 0;
    dp::AssetRecord record;
};

struct ImportCheck {
    std::vector<ImportedAsset> assets;   // in the file's order; empty when there are problems
    std::vector<ImportProblem> problems; // every one, in line order
};

// Checks every row of the table against the rules of the register. existing maps the asset
// numbers already in the register (the index's keys: six characters, upper case) to their entry
// numbers. Rows whose fields are all empty are passed over.
ImportCheck checkImport(const CsvTable& table, const std::map<std::string, int>& existing);

// Whether a method code computes on its own: SL, D and B with up to three digits, E, F, the A,
// G and H codes that have a rate table (A alone with a life that names one). Empty when it
// does, else why not.
std::string methodProblem(const std::string& code, double rate);

}  // namespace veldro

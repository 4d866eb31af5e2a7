// veldro import: the file checked row by row, then the register with the new assets put in
// place in one step through the replacement journal, under the client's lock.
#include <cstdio>

#include "cli_backend.h"
#include "command_support.h"
#include "commands.h"
#include "cp437_text.h"
#include "platform/files.h"
#include "register/unfinished_work.h"
#include "register_export.h"
#include "register_import.h"
#include "register_update.h"

namespace veldro {
namespace {

// The largest file the import reads: a row for every record the register can hold fits many times
// over.
constexpr std::int64_t kMaxImportFileBytes = std::int64_t{64} << 20;

// The new register beside the old one: depr.fil and depr.idx with ".new" after the names, which
// the next opening clears away when the import was stopped before they were put in place. Why it
// could not be written; "" when it was.
std::string writeWorkFile(const std::string& path, const std::vector<unsigned char>& bytes) {
    platform::RecordFile f;  // byte records: written as they are
    if (f.open(path, 1, true) && (bytes.empty() || f.writeRecords(1, static_cast<std::int64_t>(bytes.size()), bytes.data())) &&
        f.finish())
        return {};
    const std::string why = fileReason();
    f.close();
    if (platform::fileExists(path)) platform::removeFile(path);
    return why;
}

std::string bareName(const std::string& path) { return path.substr(path.find_last_of("/\\") + 1); }

// The new files written beside the old ones and put in place together through the journal, as
// the module puts its own. The exit status.
int putInPlace(dp::Client& client, const RegisterFiles& files) {
    client.closeFiles();
    const std::string assetWork = client.path("depr.fil") + ".new", indexWork = client.path("depr.idx") + ".new";
    std::string why = writeWorkFile(assetWork, files.assets);
    if (why.empty()) why = writeWorkFile(indexWork, files.index);
    if (!why.empty()) {
        if (platform::fileExists(assetWork)) platform::removeFile(assetWork);
        say("the new asset files could not be written (" + why + "); nothing was imported.");
        return kClientUnusable;
    }
    switch (dp::placeTogether(client.code(), {{bareName(assetWork), "depr.fil"}, {bareName(indexWork), "depr.idx"}}, why)) {
        case dp::Placed::Done: return kDone;
        case dp::Placed::Unchanged: say("the new asset files could not be put in place (" + why + "); nothing was imported."); break;
        case dp::Placed::Pending:
            say("the new asset files could not be put in place completely (" + why +
                "); that is completed the next time the client's files are opened.");
            break;
    }
    return kClientUnusable;
}

std::string rightAligned(const std::string& s, std::size_t width) {
    return s.size() >= width ? s : std::string(width - s.size(), ' ') + s;
}

// Method, rate and cost of a basis, in columns.
std::string basisSummary(const dp::BasisBlock& b) {
    return cp437ToUtf8(dp::fixedText(dp::trimRight(b.Method), 4)) + rightAligned(rateText(b.Rate), 7) +
           rightAligned(amountText(b.Cost), 13);
}

// What a dry run lists: a line per row to add.
std::string dryRunListing(const std::vector<ImportedAsset>& assets) {
    std::string out = " LINE  ASSET   DESCRIPTION                          ACQUIRED    BOOK   RATE         COST  "
                      "TAX    RATE         COST\n";
    for (const ImportedAsset& a : assets) {
        std::vector<std::string> notes;
        const std::vector<ExportValue> v = exportValues(a.record, notes);
        const bool asset = v[0].text == "asset";
        out += rightAligned(std::to_string(a.line), 5) + "  " + dp::fixedText(v[2].text, 6) + "  " +
               cp437ToUtf8(dp::fixedText(a.record.Description, 35)) + "  " + (asset ? dp::fixedText(v[4].text, 10) : v[0].text);
        if (asset) out += "  " + basisSummary(a.record.Book) + "  " + basisSummary(a.record.Tax);
        out += "\n";
    }
    return out;
}

// The register has room for the new rows: record and entry numbers are 16 bits.
bool roomFor(const RegisterBytes& r, std::size_t added) {
    const std::size_t records = r.assets.size() / dp::kAssetRecordLength, entries = r.index.size() / dp::kIndexEntryLength;
    if (std::max(records, entries) + added <= static_cast<std::size_t>(dp::kMaxRecords)) return true;
    say("the register holds " + std::to_string(records) + " records; with " + std::to_string(added) + " more it would pass the " +
        std::to_string(dp::kMaxRecords) + " it can hold. Nothing was imported.");
    return false;
}

int readImportFile(const std::string& file, CsvTable& table) {
    std::vector<unsigned char> bytes;
    if (!platform::readWholeFile(file, bytes, kMaxImportFileBytes, false)) {
        say(file + " cannot be read: " + fileReason() + ".");
        return kWrongArguments;
    }
    table = readCsv(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    return kDone;
}

int refuse(const Arguments& a, const std::vector<ImportProblem>& problems) {
    for (const ImportProblem& p : problems) std::fprintf(stderr, "%s\n", problemText(a.file, p).c_str());
    say(std::to_string(problems.size()) + (problems.size() == 1 ? " problem" : " problems") + " in " + a.file +
        "; nothing was imported.");
    return kRefused;
}

}  // namespace

int importAssets(const Arguments& a) {
    CsvTable table;
    if (const int s = readImportFile(a.file, table); s != kDone) return s;
    OpenedClient opened = openClient(a.client, a.dryRun ? "veldro import --dry-run" : "veldro import");
    if (!opened.client) return opened.status;
    RegisterBytes bytes;
    if (const int s = readRegister(*opened.client, bytes); s != kDone) return s;
    if (bytes.assets.size() % dp::kAssetRecordLength != 0) {
        say("depr.fil of " + a.client + " ends in part of a record; nothing was imported.");
        return kClientUnusable;
    }
    const ImportCheck check = checkImport(table, indexKeys(bytes.index));
    if (!check.problems.empty()) return refuse(a, check.problems);
    if (!roomFor(bytes, check.assets.size())) return kRefused;
    const std::size_t records = bytes.assets.size() / dp::kAssetRecordLength;
    if (a.dryRun) {
        std::printf("%s", dryRunListing(check.assets).c_str());
        std::printf("%zu assets would be added to %s (it holds %zu records); nothing was changed.\n", check.assets.size(),
                    a.client.c_str(), records);
        return kDone;
    }
    if (check.assets.empty()) {
        std::printf("%s has no rows to add; nothing was changed.\n", a.file.c_str());
        return kDone;
    }
    std::vector<dp::AssetRecord> added;
    for (const ImportedAsset& i : check.assets) added.push_back(i.record);
    if (const int s = putInPlace(*opened.client, withAddedAssets(bytes.index, bytes.assets, added)); s != kDone) return s;
    std::printf("%zu assets added to %s; the register holds %zu records.\n", added.size(), a.client.c_str(), records + added.size());
    return kDone;
}

}  // namespace veldro

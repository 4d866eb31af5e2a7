// veldro import: the file checked row by row, then the register with the new assets put in
// place in one step through the replacement journal, under the client's lock.
#include <cstdio>

#include "cli_backend.h"
#include "command_support.h"
#include "commands.h"
#include "cp437_text.h"
#include "platform/files.h"
#include "register_export.h"
#include "register_import.h"
#include "register_update.h"

namespace veldro {
namespace {

// The work files beside depr.fil and depr.idx, and what they replace.
const std::vector<std::pair<std::string, std::string>> kRenames = {{"depr.fil.new", "depr.fil"}, {"depr.idx.new", "depr.idx"}};

void removeWorkFiles(const dp::Client& client) {
    for (const auto& [work, placed] : kRenames) {
        (void)placed;
        if (platform::fileExists(client.path(work))) platform::removeFile(client.path(work));
    }
}

bool writeWorkFile(const std::string& path, const std::vector<unsigned char>& bytes) {
    platform::RecordFile f;  // byte records: written as they are
    return f.open(path, 1, true) && (bytes.empty() || f.writeRecords(1, static_cast<std::int64_t>(bytes.size()), bytes.data())) &&
           f.finish();
}

// The new files written beside the old ones and put in place together. The exit status.
int putInPlace(dp::Client& client, const RegisterFiles& files) {
    client.closeFiles();
    removeWorkFiles(client);
    if (!writeWorkFile(client.path(kRenames[0].first), files.assets) || !writeWorkFile(client.path(kRenames[1].first), files.index)) {
        const std::string why = fileReason();
        removeWorkFiles(client);
        say("the new asset files could not be written (" + why + "); nothing was imported.");
        return kClientUnusable;
    }
    if (platform::replaceFilesTogether(client.code(), kRenames)) return kDone;
    const std::string why = fileReason();
    // Once its journal is in place the replacement is as good as done: finish it now if possible.
    platform::finishPendingReplacement(client.code());
    if (platform::fileExists(client.path(platform::kReplaceJournalName))) {
        say("the new asset files could not be put in place completely (" + why +
            "); that is completed the next time the client's files are opened.");
        return kClientUnusable;
    }
    bool placed = true;
    for (const auto& r : kRenames) placed = placed && !platform::fileExists(client.path(r.first));
    if (placed) return kDone;
    removeWorkFiles(client);
    say("the new asset files could not be put in place (" + why + "); nothing was imported.");
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
    if (!platform::readWholeFile(file, bytes, false)) {
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

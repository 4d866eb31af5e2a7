#include "close/close_period.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "format/number_format.h"
#include "platform/files.h"
#include "platform/message.h"
#include "register/index_repair.h"
#include "register/unfinished_work.h"

namespace dp {

// ---------------------------------------------------------------------------------------------
// Carry-over

double carriedPriorDepr(double prior, double current) {
    // A current amount that is not a number carries nothing; the prior amount stays.
    const double sum = prior + (std::isfinite(current) ? current : 0.0);
    const std::string text = shortestDecimal(sum);
    const std::size_t point = text.find('.');
    const bool roundIt = point == std::string::npos ? text.size() >= 3 : text.size() - point - 1 > 2;
    if (!roundIt) return sum;
    return leadingNumber(formatNumber(sum, "#########.00"));
}

void carryOverRecord(AssetRecord& rec) {
    for (BasisBlock* b : {&rec.Book, &rec.Tax}) {
        b->PriorDepr = carriedPriorDepr(b->PriorDepr, b->CurrentDepr);
        b->CurrentDepr = 0;
    }
}

bool isDeletedForClose(const AssetRecord& rec) { return rec.markedDeleted(); }

CarriedRegister carryOverRegister(std::vector<CloseEntry> entries) {
    CarriedRegister out;
    out.index.reserve(entries.size());
    out.records.reserve(entries.size());
    for (CloseEntry& e : entries) {
        if (e.recordNumber == 0 || !e.record) continue;
        if (isDeletedForClose(*e.record)) continue;
        AssetRecord rec = std::move(*e.record);
        carryOverRecord(rec);
        const std::size_t k = out.records.size() + 1;
        // Past the 16-bit record numbers the caller refuses the close; the entry keeps k's low bits.
        out.index.push_back(makeIndexBytes(e.assetNumber, static_cast<std::int16_t>(k)));
        out.records.push_back(std::move(rec));
    }
    return out;
}

namespace {

// A row whose current-year amounts the depreciation report computes.
bool isLiveAsset(const AssetRecord& r) {
    if (r.AssetNumber == "      " || trimBoth(nulsToBlanks(r.Description)) == kDeletedMark) return false;
    if (date6IsMarker(r.DateAcquired, 'H') || date6IsMarker(r.DateAcquired, 'S')) return false;
    if (!date6ToText(r.DateSold, true).empty() || r.Tax.Code4562.find("11") != std::string::npos) return false;
    return true;
}

bool leftToDepreciate(const BasisBlock& b) {
    return b.Cost - b.Bonus - b.Salvage - b.Expense - b.Bonus3050 - b.PriorDepr > 0;
}

}  // namespace

YearFigures yearFigures(const std::vector<CloseEntry>& entries) {
    bool bookOpen = false, taxOpen = false, bookComputed = false, taxComputed = false;
    for (const CloseEntry& e : entries) {
        if (e.recordNumber == 0 || !e.record || !isLiveAsset(*e.record)) continue;
        const AssetRecord& r = *e.record;
        if (leftToDepreciate(r.Book)) {
            bookOpen = true;
            bookComputed = bookComputed || r.Book.CurrentDepr != 0;
        }
        if (leftToDepreciate(r.Tax)) {
            taxOpen = true;
            taxComputed = taxComputed || r.Tax.CurrentDepr != 0;
        }
    }
    return YearFigures{bookOpen && !bookComputed, taxOpen && !taxComputed};
}

std::optional<std::string> nextFiscalYearEnd(const Date6c& fiscalYearEnd) {
    for (char c : fiscalYearEnd.monthDay)
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    // A year stored with two digits is read as 19YY, as everywhere the fiscal year end is shown.
    const int stored = fiscalYearEnd.year;
    const int year = stored >= 1 && stored <= 99 ? 1900 + stored : stored;
    if (year < 1 || year > 9998) return std::nullopt;
    std::string next = std::to_string(year + 1);
    next.insert(0, 4 - next.size(), '0');
    return std::string(fiscalYearEnd.monthDay.data(), 4) + next;
}

ClosedYear closeYear(std::vector<CloseEntry> entries, const Date6c& fiscalYearEnd) {
    return ClosedYear{carryOverRegister(std::move(entries)), nextFiscalYearEnd(fiscalYearEnd)};
}

// ---------------------------------------------------------------------------------------------
// The procedure

namespace {

const char* const kTitle = "DEPRECIATION - CLOSE YEAR";

// A failed file step, with the number the error message shows. The numbers keep their
// traditional meanings:
//   53  file not found: a file of the opening stage cannot be opened or created;
//   57  device I/O error: reading depr.idx or depr.fil fails;
//   61  disk full: writing or flushing a work file fails;
//   75  path/file access error: the company work file or the copies of the old year cannot be
//       made, or the new files cannot be put in place;
//    6  overflow: more surviving records than record numbers (32767).
struct CloseError {
    int number;
    std::string reason;  // what the system said, for the user
};

[[noreturn]] void fail(int number) {
    throw CloseError{number, platform::describeFileError(platform::lastFileError())};
}

struct CloseRun {
    explicit CloseRun(Client& c) : client(c) {}
    Client& client;
    int stepCode = 0;
    platform::RecordFile newIdx, newFil;
    std::int64_t entryCount = 0;
    CompanyRecord company;
    std::string fiscalYearEndText;
    std::optional<std::string> newFiscalYearEnd;
    std::vector<CloseEntry> entries;  // the register as read before the confirmation

    std::string path(const char* name) const { return client.path(name); }
};

std::string blankNumber(int n) { return " " + std::to_string(n); }

// The close's work files exist only while it runs.
void removeWorkFiles(const Client& client, const std::string& year) {
    std::vector<std::string> names = {kNewIndexName, kNewAssetName, kNewCompanyName};
    for (const OldYearFile& f : oldYearFiles(year)) names.push_back(f.kept + ".new");
    for (const std::string& name : names)
        if (platform::fileExists(client.path(name))) platform::removeFile(client.path(name));
}

void openingStage(CloseRun& run) {
    run.client.closeFiles();
    if (!run.client.idx.open(run.path("depr.idx"), kIndexEntryLength, false, kMaxIndexFileBytes)) fail(53);
    if (!run.client.fil.open(run.path("depr.fil"), kAssetRecordLength, false, kMaxAssetFileBytes)) fail(53);
    if (!run.newIdx.open(run.path(kNewIndexName), kIndexEntryLength, true)) fail(53);
    if (!run.newFil.open(run.path(kNewAssetName), kAssetRecordLength, true)) fail(53);
    run.entryCount = run.client.idx.recordCount();
    // The company file is only read here: a missing one is not created, it has no fiscal year end.
    readCompanyFile(run.client.code(), run.company);
    run.client.company = run.company;
    run.client.companyName = run.company.CompanyName;
    run.client.fiscalYearEndText = date6cToText(run.company.FiscalYearEnd);
    run.fiscalYearEndText = run.client.fiscalYearEndText;
    run.newFiscalYearEnd = nextFiscalYearEnd(run.company.FiscalYearEnd);
}

// Index entries in file order with their records. Both files are read in one piece each.
std::vector<CloseEntry> readRegister(CloseRun& run) {
    std::vector<CloseEntry> entries;
    if (run.entryCount <= 0) return entries;
    run.stepCode = 3;
    std::vector<unsigned char> index(static_cast<std::size_t>(run.entryCount) * kIndexEntryLength);
    if (!run.client.idx.readRecords(1, run.entryCount, index.data())) fail(57);
    const std::int64_t records = run.client.fil.recordCount();
    std::vector<unsigned char> assets(static_cast<std::size_t>(records) * kAssetRecordLength);
    run.stepCode = 4;
    if (records > 0 && !run.client.fil.readRecords(1, records, assets.data())) fail(57);
    entries.reserve(static_cast<std::size_t>(run.entryCount));
    for (std::int64_t i = 0; i < run.entryCount; ++i) {
        IndexBytes e{};
        std::copy_n(index.begin() + i * static_cast<std::int64_t>(kIndexEntryLength), kIndexEntryLength, e.begin());
        CloseEntry entry;
        entry.assetNumber = indexKey(e);
        entry.recordNumber = indexRecordNumber(e);
        if (entry.recordNumber == 0) continue;
        if (entry.recordNumber > 0 && entry.recordNumber <= records) {
            AssetRecord::Bytes b{};
            std::copy_n(assets.begin() + (entry.recordNumber - 1) * static_cast<std::int64_t>(kAssetRecordLength),
                        kAssetRecordLength, b.begin());
            entry.record = AssetRecord::decode(b);
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

void writeNewRegister(CloseRun& run, const CarriedRegister& carried) {
    if (carried.records.size() > static_cast<std::size_t>(kMaxRecords)) throw CloseError{6, "too many records"};
    const auto count = static_cast<std::int64_t>(carried.records.size());
    std::vector<unsigned char> index, assets;
    index.reserve(carried.index.size() * kIndexEntryLength);
    assets.reserve(carried.records.size() * kAssetRecordLength);
    for (std::size_t k = 0; k < carried.records.size(); ++k) {
        index.insert(index.end(), carried.index[k].begin(), carried.index[k].end());
        const AssetRecord::Bytes b = carried.records[k].encode();
        assets.insert(assets.end(), b.begin(), b.end());
    }
    if (count > 0 && (!run.newIdx.writeRecords(1, count, index.data()) || !run.newFil.writeRecords(1, count, assets.data())))
        fail(61);
    if (!run.newIdx.finish() || !run.newFil.finish()) fail(61);
    run.client.closeFiles();
}

// The company file of the new year, beside the old one: a copy with the fiscal year end and the
// current period of records 1 and 2 advanced; everything else stays byte for byte.
void writeNewCompany(CloseRun& run) {
    const std::string work = run.path(kNewCompanyName);
    if (!platform::copyFile(run.path("company.fil"), work)) fail(75);
    CompanyRecord next = run.company;
    next.FiscalYearEnd = date6cFromText(*run.newFiscalYearEnd);
    next.CurrentPeriod = next.FiscalYearEnd;
    platform::RecordFile f;
    if (!f.open(work, kCompanyRecordLength)) fail(75);
    for (int n = 1; n <= 2; ++n) {
        const CompanyRecord::Bytes b = next.encodeRecord(n);
        if (!f.write(n, b.data())) fail(61);
    }
    if (!f.finish()) fail(61);
}

// The files of the year being closed, copied beside the names that say which fiscal year they
// hold; they take those names in the same step as the new year takes its place.
std::vector<std::pair<std::string, std::string>> copyOldYear(CloseRun& run) {
    std::vector<std::pair<std::string, std::string>> renames;
    for (const OldYearFile& f : oldYearFiles(run.fiscalYearEndText.substr(4))) {
        if (!platform::fileExists(run.path(f.current))) continue;
        if (!platform::copyFile(run.path(f.current), run.path(f.kept.c_str()) + ".new")) fail(75);
        renames.emplace_back(f.kept + ".new", f.kept);
    }
    return renames;
}

void putNewYearInPlace(CloseRun& run) {
    std::vector<std::pair<std::string, std::string>> renames = copyOldYear(run);
    for (const auto& r : std::initializer_list<std::pair<std::string, std::string>>{
             {kNewIndexName, "depr.idx"}, {kNewAssetName, "depr.fil"}, {kNewCompanyName, "company.fil"}})
        renames.push_back(r);
    std::string why;
    if (placeTogether(run.client.code(), renames, why) != Placed::Done) throw CloseError{75, why};
}

// The year is carried over and the new files put in place.
void closeTheYear(CloseRun& run) {
    const CarriedRegister carried = carryOverRegister(std::move(run.entries));
    writeNewRegister(run, carried);
    run.stepCode = 8;
    writeNewCompany(run);
    putNewYearInPlace(run);
}

std::string slashedYearEnd(const std::string& mmddyyyy) {
    return mmddyyyy.substr(0, 2) + "/" + mmddyyyy.substr(2, 2) + "/" + mmddyyyy.substr(4);
}

// A year without its figures is said to be so before the confirmation; closing it anyway is a
// choice made on purpose, so the question defaults to No. True when the close goes on.
bool closeWithoutFigures(const CloseRun& run) {
    const YearFigures f = yearFigures(run.entries);
    if (!f.anyMissing()) return true;
    const std::string basis = f.bookMissing && f.taxMissing ? "book and tax bases" : f.bookMissing ? "book basis" : "tax basis";
    const std::string text =
        "No depreciation has been computed for the year ending " + slashedYearEnd(run.fiscalYearEndText) + " on the " +
        basis + ": every asset that is not fully depreciated has a current-year amount of 0. The Depreciation "
        "Report computes these amounts; a close now carries nothing into prior depreciation for this year.\r\n"
        "Close the year anyway?";
    return platform::messageBox(text, kTitle, platform::MsgIcon::Question, platform::MsgButtons::YesNo, true,
                                platform::MsgDefault::Second) == platform::MsgResult::Yes;
}

void failedClose(CloseRun& run, const CloseError& e) {
    run.client.closeFiles();
    platform::closeAllFiles();
    // A replacement that got as far as its journal is completed later; anything short of it
    // leaves the old year as it was, and the work files go.
    const bool pending = platform::fileExists(run.path(platform::kReplaceJournalName));
    if (!pending) removeWorkFiles(run.client, run.fiscalYearEndText.substr(std::min<std::size_t>(4, run.fiscalYearEndText.size())));
    std::string text = "Error " + blankNumber(e.number) + " has occurred - click ok to exit";
    text += pending ? "\r\nThe new year could not be put in place completely (" + e.reason +
                          "); it is completed the next time the client's files are opened."
                    : "\r\nThe year was not closed (" + e.reason + "); nothing was changed.";
    platform::messageBox(text, blankNumber(run.stepCode), platform::MsgIcon::Error);
}

// The opening stage, the check of the index and the confirmation. False when the close goes
// no further.
bool prepareClose(CloseRun& run) {
    const IndexVerdict verdict = verifyAssetIndex(run.client, kTitle, "the period close");
    if (verdict == IndexVerdict::Repaired)
        platform::messageBox("Check the register, then close the period again.", kTitle, platform::MsgIcon::Information);
    if (verdict != IndexVerdict::Trusted) return false;
    openingStage(run);
    if (!run.newFiscalYearEnd) {
        platform::messageBox("The company file has no fiscal year end. Enter it in Company File "
                             "Maintenance, then close the period.",
                             kTitle, platform::MsgIcon::Error);
        return false;
    }
    run.entries = readRegister(run);
    run.stepCode = 0;
    return true;
}

void closeClient(Client& client) {
    CloseRun run(client);
    try {
        run.stepCode = 0;
        if (!prepareClose(run)) {
            client.closeFiles();
            platform::closeAllFiles();
            removeWorkFiles(client, "");
            return;
        }
        // A stray Enter closes no year: the confirmation defaults to Cancel.
        const bool confirmed =
            closeWithoutFigures(run) &&
            platform::messageBox("Current Year END Date:" + run.fiscalYearEndText + "\r\n" + "New Year End Date:    " +
                                     *run.newFiscalYearEnd,
                                 kTitle, platform::MsgIcon::Question, platform::MsgButtons::OkCancel, true,
                                 platform::MsgDefault::Second) == platform::MsgResult::Ok;
        run.stepCode = 1;
        if (!confirmed) {
            client.closeFiles();
            platform::closeAllFiles();
            removeWorkFiles(client, "");
            platform::messageBox("Close aborted . . . Returning to menu", "", platform::MsgIcon::Error);
            return;
        }
        closeTheYear(run);
        platform::showStatus("Fiscal year closed: now ends " + slashedYearEnd(*run.newFiscalYearEnd));
    } catch (const CloseError& e) {
        failedClose(run, e);
    }
}

}  // namespace

std::vector<OldYearFile> oldYearFiles(const std::string& year) {
    return {{"depr.fil", "DEPR" + year + ".FIL"}, {"depr.idx", "DEPR" + year + ".IDX"}, {"company.fil", "COMP" + year + ".FIL"}};
}

void RunClosePeriod(const std::string& clientCode) {
    // A missing data directory is made: the close of an empty client still advances its year.
    if (clientCodeProblem(clientCode).empty() && !platform::directoryExists(clientCode) &&
        !platform::makeDirectory(clientCode)) {
        platform::messageBox("Error " + blankNumber(76) + " has occurred - click ok to exit\r\nThe data directory " +
                                 clientCode + " cannot be made (" +
                                 platform::describeFileError(platform::lastFileError()) + ").",
                             blankNumber(0), platform::MsgIcon::Error);
        return;
    }
    std::unique_ptr<Client> client = Client::open(clientCode, "Close Current Period");
    if (client) closeClient(*client);
    platform::closeAllFiles();
}

}  // namespace dp

#include "close/close_period.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "entry/session.h"
#include "format/number_format.h"
#include "platform/files.h"
#include "platform/message.h"

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

bool isDeletedForClose(const AssetRecord& rec) { return trimRight(rec.Description) == kDeletedMark; }

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

// A failed file step, with the number the error message shows. The numbers keep their
// traditional meanings:
//   76  path not found: the client's data directory does not exist;
//   53  file not found: a file of the opening stage cannot be opened or created;
//   57  device I/O error: reading depr.idx or depr.fil fails;
//   61  disk full: writing or flushing a work file fails;
//   75  path/file access error: the company work file cannot be made, or the new files cannot
//       be put in place;
//    6  overflow: more surviving records than record numbers (32767).
struct CloseError {
    int number;
};

struct CloseRun {
    std::string client;
    int stepCode = 0;
    platform::RecordFile idx, fil, newIdx, newFil;
    std::int64_t entryCount = 0;
    CompanyRecord company;
    std::string fiscalYearEndText;
    std::optional<std::string> newFiscalYearEnd;

    std::string path(const char* name) const { return dataPath(client, name); }
};

std::string blankNumber(int n) { return " " + std::to_string(n); }

void openingStage(CloseRun& run) {
    platform::closeAllFiles();
    if (!platform::directoryExists(run.client)) throw CloseError{76};
    // A replacement an earlier close left half done is finished before anything is read.
    platform::finishPendingReplacement(run.client);
    if (!run.idx.open(run.path("depr.idx"), kIndexEntryLength)) throw CloseError{53};
    if (!run.fil.open(run.path("depr.fil"), kAssetRecordLength)) throw CloseError{53};
    if (!run.newIdx.open(run.path(kNewIndexName), kIndexEntryLength, true)) throw CloseError{53};
    if (!run.newFil.open(run.path(kNewAssetName), kAssetRecordLength, true)) throw CloseError{53};
    run.entryCount = run.idx.recordCount();
    // The company file is only read here: a missing one is not created, it has no fiscal year end.
    readCompanyFile(run.client, run.company);
    RegisterState& s = reg();
    s.company = run.company;
    s.companyName = run.company.CompanyName;
    s.fiscalYearEndText = date6cToText(run.company.FiscalYearEnd);
    run.fiscalYearEndText = s.fiscalYearEndText;
    run.newFiscalYearEnd = nextFiscalYearEnd(run.company.FiscalYearEnd);
}

// The opening stage with its recovery: a missing directory is created, a file that cannot be
// opened leaves an empty register; either way the stage runs once more. A second failure of the
// same kind goes to the error message like any other.
void openWithRecovery(CloseRun& run) {
    bool madeDirectory = false, retriedFiles = false;
    for (;;) {
        try {
            openingStage(run);
            return;
        } catch (const CloseError& e) {
            platform::closeAllFiles();
            if (e.number == 76 && !madeDirectory) {
                madeDirectory = true;
                platform::makeDirectory(run.client);
            } else if (e.number == 53 && !retriedFiles) {
                retriedFiles = true;
                run.entryCount = 0;
            } else {
                throw;
            }
        }
    }
}

// Index entries in file order with their records. Both files are read in one piece each.
std::vector<CloseEntry> readRegister(CloseRun& run) {
    std::vector<CloseEntry> entries;
    if (run.entryCount <= 0) return entries;
    run.stepCode = 3;
    std::vector<unsigned char> index(static_cast<std::size_t>(run.entryCount) * kIndexEntryLength);
    if (!run.idx.readRecords(1, run.entryCount, index.data())) throw CloseError{57};
    const std::int64_t records = run.fil.recordCount();
    std::vector<unsigned char> assets(static_cast<std::size_t>(records) * kAssetRecordLength);
    run.stepCode = 4;
    if (records > 0 && !run.fil.readRecords(1, records, assets.data())) throw CloseError{57};
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
    if (carried.records.size() > static_cast<std::size_t>(kMaxRecords)) throw CloseError{6};
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
        throw CloseError{61};
    if (!run.newIdx.flush() || !run.newFil.flush()) throw CloseError{61};
    run.newIdx.close();
    run.newFil.close();
    run.idx.close();
    run.fil.close();
}

// The company file of the new year, beside the old one: a copy with the fiscal year end and the
// current period of records 1 and 2 advanced; everything else stays byte for byte.
void writeNewCompany(CloseRun& run) {
    const std::string work = run.path(kNewCompanyName);
    if (!platform::copyFile(run.path("company.fil"), work)) throw CloseError{75};
    CompanyRecord next = run.company;
    next.FiscalYearEnd = date6cFromText(*run.newFiscalYearEnd);
    next.CurrentPeriod = next.FiscalYearEnd;
    platform::RecordFile f;
    if (!f.open(work, kCompanyRecordLength)) throw CloseError{75};
    for (int n = 1; n <= 2; ++n) {
        const CompanyRecord::Bytes b = next.encodeRecord(n);
        if (!f.write(n, b.data())) throw CloseError{61};
    }
    if (!f.flush()) throw CloseError{61};
}

void putNewYearInPlace(CloseRun& run) {
    const std::vector<std::pair<std::string, std::string>> renames = {
        {kNewIndexName, "depr.idx"}, {kNewAssetName, "depr.fil"}, {kNewCompanyName, "company.fil"}};
    if (platform::replaceFilesTogether(run.client, renames)) return;
    // Once the journal is in place the replacement is as good as done: finish it now if we can.
    platform::finishPendingReplacement(run.client);
    const bool pending = platform::fileExists(run.client + "/" + platform::kReplaceJournalName);
    bool workLeft = false;
    for (const auto& r : renames) workLeft = workLeft || platform::fileExists(run.path(r.first.c_str()));
    if (pending || workLeft) throw CloseError{75};
}

}  // namespace

void RunClosePeriod(const std::string& clientCode) {
    Session& s = session();
    if (clientCode.empty()) {
        platform::messageBox("invalid Client Code", "Error in Client Code", platform::MsgIcon::Error);
        platform::closeAllFiles();
        return;
    }
    CloseRun run;
    run.client = clientCode;
    try {
        platform::finishPendingReplacement(clientCode);
        run.stepCode = 0;
        openWithRecovery(run);
        if (!run.newFiscalYearEnd) {
            platform::closeAllFiles();
            platform::messageBox("The company file has no fiscal year end. Enter it in Company File "
                                 "Maintenance, then close the period.",
                                 "DEPRECIATION - CLOSE YEAR", platform::MsgIcon::Error);
            s.abortRequested = 0;
            return;
        }
        const platform::MsgResult answer = platform::messageBox(
            "Current Year END Date:" + run.fiscalYearEndText + "\r\n" + "New Year End Date:    " +
                *run.newFiscalYearEnd,
            "DEPRECIATION - CLOSE YEAR", platform::MsgIcon::Question, platform::MsgButtons::OkCancel);
        if (answer == platform::MsgResult::Cancel) s.abortRequested = 1;
        run.stepCode = 1;
        if (s.abortRequested == 0) {
            const CarriedRegister carried = carryOverRegister(readRegister(run));
            writeNewRegister(run, carried);
            run.stepCode = 8;
            writeNewCompany(run);
            putNewYearInPlace(run);
        }
        if (s.abortRequested != 0)
            platform::messageBox("Close aborted . . . Returning to menu", "", platform::MsgIcon::Error);
    } catch (const CloseError& e) {
        platform::closeAllFiles();
        platform::messageBox("Error " + blankNumber(e.number) + " has occurred - click ok to exit",
                             blankNumber(run.stepCode), platform::MsgIcon::Error);
    }
    platform::closeAllFiles();
    s.abortRequested = 0;
}

}  // namespace dp

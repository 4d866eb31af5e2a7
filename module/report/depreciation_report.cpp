#include "report/depreciation_report.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "engine/dates.h"
#include "engine/depreciation.h"
#include "engine/report_options.h"
#include "entry/session.h"
#include "format/number_format.h"
#include "platform/files.h"
#include "platform/message.h"
#include "register/asset_files.h"
#include "report/print_report.h"

namespace dp {

// ---------------------------------------------------------------------------------------------
// The run

namespace {

std::string blanked(std::string s) {
    for (char& c : s)
        if (c == '\0') c = ' ';
    return s;
}

bool finiteBlock(const BasisBlock& b) {
    for (double v : {b.Rate, b.Cost, b.Bonus, b.Salvage, b.Expense, b.Bonus3050, b.PriorDepr, b.CurrentDepr,
                     b.Cancelled})
        if (!std::isfinite(v)) return false;
    return true;
}

ReportAsset reportAsset(const AssetRecord& rec, const AssetFigures& f) {
    ReportAsset a;
    a.assetNumber = rec.AssetNumber;
    a.description = rec.Description;
    a.acquiredText = date6ToText(rec.DateAcquired, false);
    a.method = f.amounts.Method;
    a.rate = f.amounts.Rate;
    a.cost = f.amounts.Cost;
    a.bonus = f.amounts.Bonus;
    a.salvage = f.amounts.Salvage;
    a.expense = f.amounts.Expense;
    a.bonus3050 = f.amounts.Bonus3050;
    a.prior = f.amounts.PriorDepr;
    a.current = f.amounts.CurrentDepr;
    a.cancelled = f.amounts.Cancelled;
    a.periodMonths = f.periodMonths;
    a.serviceMonths = f.serviceMonths;
    a.sold = f.sold;
    a.addsToBonus = !f.manual && !f.endedAtMidMonth;
    return a;
}

void reportError(const std::string& text) {
    platform::messageBox(text, "Depreciation Report", platform::MsgIcon::Error);
}

// The asset file and its index held in memory for one run: each read in one piece, computed
// records changed in the image and written back as whole records, a block of them at a time
// (one write per block instead of one per asset keeps a full register quick).
class AssetFileImage {
public:
    static constexpr std::int64_t kBlockRecords = 64;

    void load(const platform::RecordFile& fil, const platform::RecordFile& idx, int entries) {
        path_ = fil.path();
        records_ = std::max<std::int64_t>(fil.recordCount(), 0);
        bytes_ = readWhole(path_, static_cast<std::size_t>(records_) * kAssetRecordLength);
        records_ = static_cast<std::int64_t>(bytes_.size() / kAssetRecordLength);
        dirty_.assign(static_cast<std::size_t>((records_ + kBlockRecords - 1) / kBlockRecords), false);
        index_ = readWhole(idx.path(), static_cast<std::size_t>(std::max(entries, 0)) * kIndexEntryLength);
    }

    int entries() const { return static_cast<int>(index_.size() / kIndexEntryLength); }
    IndexBytes entry(int i) const {
        IndexBytes e{};
        std::memcpy(e.data(), index_.data() + static_cast<std::size_t>(i - 1) * kIndexEntryLength, e.size());
        return e;
    }

    // False when r is not a record number of the file.
    bool read(std::int64_t r, AssetRecord& rec) const {
        if (r < 1 || r > records_) return false;
        AssetRecord::Bytes b{};
        std::memcpy(b.data(), at(r), b.size());
        rec = AssetRecord::decode(b);
        return true;
    }

    void store(std::int64_t r, const AssetRecord& rec) {
        if (r < 1 || r > records_) return;
        const AssetRecord::Bytes b = rec.encode();
        if (std::memcmp(at(r), b.data(), b.size()) == 0) return;
        std::memcpy(at(r), b.data(), b.size());
        dirty_[static_cast<std::size_t>((r - 1) / kBlockRecords)] = true;
    }

    // Writes every block that holds a changed record; the block's other records go back with
    // the bytes they were read with. A short last block goes record by record.
    bool writeBack(platform::RecordFile& fil) {
        bool ok = true;
        platform::RecordFile blocks;
        const bool haveBlocks = blocks.openExisting(path_, kBlockRecords * kAssetRecordLength);
        for (std::size_t b = 0; b < dirty_.size(); ++b) {
            if (!dirty_[b]) continue;
            const std::int64_t first = static_cast<std::int64_t>(b) * kBlockRecords + 1;
            if (haveBlocks && first + kBlockRecords - 1 <= records_) {
                ok = blocks.write(static_cast<std::int64_t>(b) + 1, at(first)) && ok;
            } else {
                for (std::int64_t r = first; r <= records_ && r < first + kBlockRecords; ++r)
                    ok = fil.write(r, at(r)) && ok;
            }
            dirty_[b] = false;
        }
        return ok;
    }

private:
    static std::vector<unsigned char> readWhole(const std::string& path, std::size_t length) {
        std::vector<unsigned char> out;
        if (length == 0) return out;
        platform::RecordFile f;
        if (!f.openExisting(path, length)) return out;
        out.resize(length);
        if (!f.read(1, out.data())) out.clear();
        return out;
    }
    unsigned char* at(std::int64_t r) { return bytes_.data() + static_cast<std::size_t>(r - 1) * kAssetRecordLength; }
    const unsigned char* at(std::int64_t r) const {
        return bytes_.data() + static_cast<std::size_t>(r - 1) * kAssetRecordLength;
    }

    std::string path_;
    std::int64_t records_ = 0;
    std::vector<unsigned char> bytes_;
    std::vector<unsigned char> index_;
    std::vector<bool> dirty_;
};

// What was left out of the report because the files do not hold it properly.
struct LeftOut {
    std::vector<std::string> lines;
    int count = 0;
    void add(std::string why) {
        if (++count <= 10) lines.push_back(std::move(why));
    }
    std::string text() const {
        std::string t = "These rows of the asset file were left out of the report and not changed:";
        for (const std::string& l : lines) t += "\r\n" + l;
        if (count > 10) t += "\r\nand " + std::to_string(count - 10) + " more.";
        return t;
    }
};

}  // namespace

void RunDepreciationReport(const std::string& clientCode) {
    Session& s = session();
    if (clientCode.empty()) {
        platform::messageBox("invalid Client Code", "Error in Client Code", platform::MsgIcon::Error);
        return;
    }
    if (!platform::directoryExists(clientCode)) {
        platform::messageBox("The data directory " + clientCode + " does not exist.", "Error in Client Code",
                             platform::MsgIcon::Error);
        return;
    }
    // The shared asset-file operations work on the session's client.
    s.clientCode = clientCode;

    CompanyRecord company;
    const int companyRecords = readCompanyFile(clientCode, company);
    std::string companyLine;
    std::string fiscalYearEnd, defaultDate;
    if (companyRecords >= 1) {
        companyLine = trimRight(blanked(company.CompanyName));
        fiscalYearEnd = date6cToText(company.FiscalYearEnd);
    }
    if (companyRecords >= 2) defaultDate = date6cToText(company.CurrentPeriod);
    if (companyRecords >= 3) {
        const std::string second = trimRight(blanked(company.CompanyName2));
        if (!second.empty()) companyLine += " " + second;
    }

    ReportOptions& options = reportOptions();
    options.reportDate = defaultDate;
    showReportOptions();
    if (s.abortRequested) {
        s.abortRequested = 0;
        return;
    }

    const EngineInputs inputs = makeEngineInputs(options, fiscalYearEnd);
    if (!acceptReportPeriod(inputs.periodMonths)) return;
    const std::string periodText = reportPeriodText(inputs.periodMonths, options.reportDate);

    const std::string reportPath = dataPath(clientCode, "report.txt");
    platform::TextFile report;
    if (!report.create(reportPath)) {
        reportError("The report file " + reportPath + " cannot be created; no asset was changed.");
        return;
    }
    OpenAssetFiles();
    RegisterState& r = reg();
    AssetFileImage assets;
    assets.load(r.fil, r.idx, r.entryCount);
    const int count = r.entryCount;

    if (options.reportDate.empty()) options.reportDate = defaultDate;
    DepreciationReportLayout layout({options.reportDate, companyLine, options.reportBasis, periodText});
    layout.newReportPage();

    const bool basisValid = options.reportBasis == "B" || options.reportBasis == "T";
    const char basis = options.reportBasis == "B" ? 'B' : 'T';
    LeftOut leftOut;
    for (int i = 1; i <= count; ++i) {
        if (i > assets.entries()) {
            leftOut.add("index entry " + std::to_string(i) + " cannot be read");
            continue;
        }
        const IndexBytes entry = assets.entry(i);
        const std::int16_t recordNumber = indexRecordNumber(entry);
        AssetRecord rec;
        if (!assets.read(recordNumber, rec)) {
            leftOut.add("asset " + trimRight(blanked(indexKey(entry))) + ": its index entry points to record " +
                        std::to_string(recordNumber) + ", which the asset file does not hold");
            continue;
        }
        if (rec.AssetNumber == "      ") continue;
        rec.AssetNumber = blanked(rec.AssetNumber);
        rec.Description = blanked(rec.Description);
        if (trimBoth(rec.Description) == kDeletedMark) continue;
        if (rec.Tax.Code4562.find("11") != std::string::npos) continue;
        if (date6IsMarker(rec.DateAcquired, 'H')) {
            layout.headingRow(rec.Description);
        } else if (date6IsMarker(rec.DateAcquired, 'S')) {
            layout.subtotalRow(rec.Description);
        } else {
            if (!basisValid) {
                platform::messageBox("Invalid Basis selected", "Error", platform::MsgIcon::Error);
                break;
            }
            if (!finiteBlock(rec.block(basis))) {
                leftOut.add("asset " + trimRight(rec.AssetNumber) + ": its amounts are not numbers");
                continue;
            }
            const AssetFigures figures = computeDepreciation(rec, inputs);
            // Manual rows keep their stored figures and are not written.
            if (!figures.manual) assets.store(recordNumber, figures.record);
            layout.asset(reportAsset(rec, figures));
        }
        if (layout.text().size() >= (1u << 16)) report.write(layout.take());
    }
    const bool stored = assets.writeBack(r.fil);
    layout.finish();
    report.write(layout.take());
    const bool written = report.good();
    report.close();
    platform::closeAllFiles();

    if (leftOut.count > 0) reportError(leftOut.text());
    if (!stored)
        reportError("The current depreciation could not be stored in the asset file for every asset; the report "
                    "shows the new figures, the asset file may still hold those of the last report.");
    if (!written) {
        reportError("The report file " + reportPath + " could not be written completely; it was not printed.");
        return;
    }
    printReportFile(reportPath, reportPath, "DPRPT");
}

}  // namespace dp

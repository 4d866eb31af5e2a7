// The depreciation report's run: the options, the walk over the register in index order with
// the engine computing each asset, report.txt, the write-back of the computed figures, and the
// print-out. The report file is put in place only when the figures it shows are stored.
#include <algorithm>
#include <cmath>
#include <optional>

#include "engine/dates.h"
#include "engine/depreciation.h"
#include "engine/rate_tables.h"
#include "engine/report_options.h"
#include "format/number_format.h"
#include "format/typed_entries.h"
#include "platform/files.h"
#include "platform/message.h"
#include "register/asset_files.h"
#include "register/index_repair.h"
#include "register/unfinished_work.h"
#include "report/asset_file_image.h"
#include "report/depreciation_report.h"
#include "report/print_report.h"

namespace dp {
namespace {

const char* const kTitle = "Depreciation Report";

bool finiteBlock(const BasisBlock& b) {
    for (double v : {b.Rate, b.Cost, b.Bonus, b.Salvage, b.Expense, b.Bonus3050, b.PriorDepr, b.CurrentDepr,
                     b.Cancelled})
        if (!std::isfinite(v)) return false;
    return true;
}

// The report's view of one computed asset, written into the texts of the previous one.
void fillReportAsset(ReportAsset& a, const AssetRecord& rec, const AssetDepreciation& f) {
    // Stored text goes into the printer file as blanks where it holds control bytes.
    a.assetNumber.assign(rec.AssetNumber);
    blankControls(a.assetNumber);
    a.description.assign(rec.Description);
    blankControls(a.description);
    a.acquiredText = date6ToText(rec.DateAcquired, false);
    a.method.assign(f.amounts.Method);
    blankControls(a.method);
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
}

void reportError(const std::string& text) { platform::messageBox(text, kTitle, platform::MsgIcon::Error); }

std::string reason(platform::FileError e) { return platform::describeFileError(e); }

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

// The heading's company line: name and second name line, NULs as blanks.
std::string companyLine(const CompanyRecord& company, int records) {
    std::string line;
    if (records >= 1) line = trimRight(controlsToBlanks(company.CompanyName));
    if (records >= 3) {
        const std::string second = trimRight(controlsToBlanks(company.CompanyName2));
        if (!second.empty()) line += " " + second;
    }
    return line;
}

struct RunResult {
    bool basisRefused = false;
    LeftOut leftOut;
};

// A stored text field with its NUL bytes read as blanks.
void nulsAsBlanks(std::string& field) { std::replace(field.begin(), field.end(), '\0', ' '); }

// Walks the index, computes each ordinary row into the image and lays the report out, writing
// it to the report file as it grows. One record and one report line are reused row after row.
RunResult walkRegister(AssetFileImage& assets, const ReportOptions& options, const EngineInputs& inputs,
                       DepreciationReportLayout& layout, platform::TextFile& report) {
    RunResult run;
    const int count = assets.entries();
    const bool basisValid = options.reportBasis == "B" || options.reportBasis == "T";
    const char basis = options.reportBasis == "B" ? 'B' : 'T';
    AssetRecord rec;
    ReportAsset line;
    for (int i = 1; i <= count; ++i) {
        const IndexBytes entry = assets.entry(i);
        const std::int16_t recordNumber = indexRecordNumber(entry);
        if (!assets.read(recordNumber, rec)) {
            run.leftOut.add("asset " + trimRight(nulsToBlanks(indexKey(entry))) + ": its index entry points to record " +
                            std::to_string(recordNumber) + ", which the asset file does not hold");
            continue;
        }
        if (rec.AssetNumber == "      ") continue;
        nulsAsBlanks(rec.AssetNumber);
        nulsAsBlanks(rec.Description);
        if (trimBothView(rec.Description) == kDeletedMark) continue;
        if (rec.Tax.Code4562.find("11") != std::string::npos) continue;
        if (date6IsMarker(rec.DateAcquired, 'H')) {
            layout.headingRow(controlsToBlanks(rec.Description));
        } else if (date6IsMarker(rec.DateAcquired, 'S')) {
            layout.subtotalRow(controlsToBlanks(rec.Description));
        } else {
            if (!basisValid) {
                run.basisRefused = true;
                break;
            }
            if (!finiteBlock(rec.block(basis))) {
                run.leftOut.add("asset " + trimRight(rec.AssetNumber) + ": its amounts are not numbers");
                continue;
            }
            const AssetDepreciation figures = depreciationOf(rec, inputs);
            // Manual rows keep their stored figures and are not written.
            if (!figures.manual) {
                storeDepreciation(rec, figures, inputs.basis);
                assets.store(recordNumber, rec);
            }
            fillReportAsset(line, rec, figures);
            layout.asset(line);
        }
        if (layout.text().size() >= (1u << 16)) {
            report.write(layout.text());
            layout.clearText();
        }
    }
    return run;
}

// The new depr.fil beside the old one: the image, computed records changed. False with why.
bool writeNewAssetFile(const Client& client, const AssetFileImage& assets, std::string& workName, std::string& why) {
    const std::string path = client.path("depr.fil") + ".new";
    workName = path.substr(path.find_last_of('/') + 1);
    platform::RecordFile work;  // written as bytes: a part of a record at the end stays as it was
    const std::span<const unsigned char> bytes = assets.bytes();
    const bool ok = work.open(path, 1, true) &&
                    (bytes.empty() || work.writeRecords(1, static_cast<std::int64_t>(bytes.size()), bytes.data())) &&
                    work.finish();
    if (ok) return true;
    why = reason(platform::lastFileError());
    work.close();
    if (platform::fileExists(path)) platform::removeFile(path);
    return false;
}

// The report file and the computed figures go into place together, through the replacement
// journal: killed at any moment, the client has the old report and every old figure, or the new
// report and every new figure. False after telling the user.
bool putInPlace(Client& client, const AssetFileImage& assets, const std::string& reportWorkPath) {
    const std::string reportWork = reportWorkPath.substr(reportWorkPath.find_last_of('/') + 1);
    std::vector<std::pair<std::string, std::string>> renames = {{reportWork, "report.txt"}};
    std::string why;
    if (assets.changed()) {
        std::string assetWork;
        if (!client.fil.stillAt(client.path("depr.fil"))) {
            platform::removeFile(reportWorkPath);
            reportError("depr.fil was replaced while the report ran, so the computed figures were not stored and the "
                        "report was not printed. Run the report again.");
            return false;
        }
        if (!writeNewAssetFile(client, assets, assetWork, why)) {
            platform::removeFile(reportWorkPath);
            reportError("The computed figures could not be stored in depr.fil (" + why +
                        "); the asset file is unchanged and the report was not printed.");
            return false;
        }
        renames.insert(renames.begin(), {assetWork, "depr.fil"});
    }
    client.closeFiles();
    switch (placeTogether(client.code(), renames, why)) {
        case Placed::Done: return true;
        case Placed::Unchanged:
            reportError("The report and the computed figures could not be put in place (" + why +
                        "); the asset file is unchanged and the report was not printed.");
            return false;
        case Placed::Pending:
            reportError("The report and the computed figures could not be put in place completely (" + why +
                        "); that is completed the next time the client's files are opened. Nothing was printed.");
            return false;
    }
    return false;
}

// What the company file gives the report: the heading's company line, the fiscal year end and
// the date offered in the options.
struct CompanyFacts {
    std::string line;
    std::string fiscalYearEnd;
    std::string defaultDate;
};

CompanyFacts companyFacts(const std::string& clientCode) {
    CompanyRecord company;
    const int records = readCompanyFile(clientCode, company);
    return {companyLine(company, records), records >= 1 ? date6cToText(company.FiscalYearEnd) : std::string(),
            records >= 2 ? date6cToText(company.CurrentPeriod) : std::string()};
}

// The register read once, through the files the run keeps open, and its index checked on those
// very bytes: the report and the write-back work on what was checked. Opening creates a missing
// file, so a register that lacks one is first looked at by name: nothing is created before the
// user has answered. What cannot be opened or read that way (an index larger than the register
// can address among it) is looked at by name too, which says what is wrong and offers the
// rebuild where one helps. False after telling the user.
bool readCheckedRegister(Client& client, AssetFileImage& assets) {
    const char* const work = "the depreciation report";
    // After a rebuild the new index is read and checked once more.
    for (int attempt = 0; attempt < 2; ++attempt) {
        IndexVerdict verdict = IndexVerdict::Trusted;
        if (!platform::fileExists(client.path("depr.fil")) || !platform::fileExists(client.path("depr.idx")))
            verdict = verifyAssetIndex(client, kTitle, work);
        if (verdict == IndexVerdict::Refused) return false;
        if (verdict == IndexVerdict::Repaired) continue;
        if (OpenAssetFiles(client) && assets.load(client.fil, client.idx)) {
            verdict = answerIndexCheck(client, checkIndex(assets.indexBytes(), assets.bytes()), kTitle, work);
        } else {
            const std::string why = reason(platform::lastFileError());
            verdict = verifyAssetIndex(client, kTitle, work);
            if (verdict == IndexVerdict::Trusted) {
                // Readable by name, but not as the run has to open them (to write them back).
                reportError("The asset files cannot be read (" + why + "); no asset was changed.");
                return false;
            }
        }
        if (verdict != IndexVerdict::Repaired) return verdict == IndexVerdict::Trusted;
    }
    reportError("depr.idx still does not match depr.fil after its rebuild; the report stops and no asset was changed.");
    return false;
}

void runReport(Client& client, const ReportOptions& options, const CompanyFacts& facts, const ReportPrinter& print) {
    const std::string& line = facts.line;
    const std::string& fiscalYearEnd = facts.fiscalYearEnd;
    const std::string& defaultDate = facts.defaultDate;
    if (!acceptFiscalYearEnd(fiscalYearEnd)) return;
    const EngineInputs inputs = makeEngineInputs(options, fiscalYearEnd);
    if (!acceptReportPeriod(inputs.periodMonths)) return;
    AssetFileImage assets;
    if (!readCheckedRegister(client, assets)) return;
    if (const std::string tables = unusableRateTables(); !tables.empty()) {
        reportError("These rate tables cannot be used:\r\n" + tables + "\r\nThe report stops; no asset was changed.");
        return;
    }

    const std::string reportPath = client.path("report.txt");
    platform::TextFile report;
    if (!report.createReplacing(reportPath)) {
        reportError("The report file " + reportPath + " cannot be created (" + reason(report.error()) +
                    "); no asset was changed.");
        return;
    }
    const std::string enteredDate = options.reportDate.empty() ? defaultDate : options.reportDate;
    DepreciationReportLayout layout({enteredDate, line, options.reportBasis,
                                     reportPeriodText(inputs.periodMonths, enteredDate)});
    layout.newReportPage();
    RunResult run = walkRegister(assets, options, inputs, layout, report);
    if (run.basisRefused) platform::messageBox("Invalid Basis selected", "Error", platform::MsgIcon::Error);
    layout.finish();
    report.write(layout.take());
    if (!report.finishWork()) {
        reportError("The report file " + reportPath + " could not be written (" + reason(report.error()) +
                    "); no asset was changed and nothing was printed.");
        return;
    }
    if (run.leftOut.count > 0) reportError(run.leftOut.text());
    if (!putInPlace(client, assets, report.workPath())) return;
    client.closeFiles();
    platform::closeAllFiles();
    print(reportPath, reportPath, "DPRPT");
}

}  // namespace

void reportWithOptions(Client& client, const ReportOptions& options, const ReportPrinter& print) {
    runReport(client, options, companyFacts(client.code()), print);
    platform::closeAllFiles();
}

void RunDepreciationReport(const std::string& clientCode) {
    std::unique_ptr<Client> client = Client::open(clientCode, kTitle);
    if (!client) return;
    const CompanyFacts facts = companyFacts(clientCode);
    // Without a fiscal year end there is no period to report: say so before asking for options.
    if (!acceptFiscalYearEnd(facts.fiscalYearEnd)) return;
    // The options are kept module-wide: the rounding choice carries over to the next report. A
    // current period that is no date is not offered (today's date is).
    ReportOptions& kept = reportOptions();
    const bool offered = facts.defaultDate.size() == 8 && readTypedDate(facts.defaultDate).ok();
    kept.reportDate = offered ? facts.defaultDate : std::string();
    const std::optional<ReportOptions> chosen = showReportOptions(kept);
    if (!chosen) return;
    kept = *chosen;
    runReport(*client, kept, facts, printReportFile);
    platform::closeAllFiles();
}

}  // namespace dp

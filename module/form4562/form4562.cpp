// Form 4562 page 1: the register totalled into the form's lines, the values layer written over
// the printed face of the form, and the finished file handed to the print-out.
#include "form4562/form4562.h"

#include "form4562/form4562_run.h"
#include "form4562/form_background.h"
#include "form4562/form_lines.h"
#include "format/number_format.h"
#include "platform/files.h"
#include "platform/message.h"
#include "register/asset_files.h"
#include "register/index_repair.h"
#include "report/print_report.h"

namespace dp {

std::string form4562ErrorText(int errorNumber) {
    if (errorNumber == 24 || errorNumber == 25 || errorNumber == 68)
        return "PRINTER ERROR -- Please CHECK LPT and try again.";
    return "Error  " + std::to_string(errorNumber) + " has been encountered. Press <-Enter to continue ";
}

namespace {

// The error, with what the system said about the form file.
void showError(int errorNumber, platform::FileError why) {
    platform::messageBox(form4562ErrorText(errorNumber) + "\r\nT4562.FRM could not be written: " +
                             platform::describeFileError(why) + ". Nothing was printed.",
                         "Error", platform::MsgIcon::Error, platform::MsgButtons::Ok, true);
}

}  // namespace

FormTotals totalRegister(const std::string& clientCode) {
    FormTotals totals;
    platform::RecordFile idx;
    platform::RecordFile fil;
    // The register is only read: a missing file is an empty register, not one to create.
    if (!idx.openExisting(dataPath(clientCode, "depr.idx"), kIndexEntryLength, kMaxIndexFileBytes)) return totals;
    if (!fil.openExisting(dataPath(clientCode, "depr.fil"), kAssetRecordLength, kMaxAssetFileBytes)) return totals;
    const std::int64_t entries = idx.recordCount();
    for (std::int64_t n = 1; n <= entries; ++n) {
        IndexEntry::Bytes bytes{};
        if (!idx.read(n, bytes.data())) continue;
        const IndexEntry entry = IndexEntry::decode(bytes);
        // A fresh buffer for every entry: a record number that is not in the file adds nothing
        // and never repeats the asset read before it.
        AssetRecord asset;
        if (!readAssetRecord(fil, entry.RecordNumber, asset)) continue;
        addAssetToForm(totals, asset);
    }
    return totals;
}

void RunForm4562(const std::string& clientCode) {
    if (clientCodeProblem(clientCode).empty() && !platform::directoryExists(clientCode)) {
        showError(kErrPathNotFound, platform::FileError::NotFound);
        return;
    }
    std::unique_ptr<Client> client = Client::open(clientCode, "Form 4562");
    if (!client) return;
    if (verifyAssetIndex(*client, "Form 4562", "the printing of Form 4562") == IndexVerdict::Refused) return;

    CompanyRecord company;
    readCompanyFile(clientCode, company);
    FormCompany heading;
    heading.CompanyName = company.CompanyName;
    if (platform::fileSize(client->path("company.fil")) > static_cast<std::int64_t>(kCompanyRecordLength)) {
        heading.Activity = company.Activity;
        heading.IdNumber = company.IdNumber;
    }
    const std::string yearText = formYearText(date6cToText(company.FiscalYearEnd));
    std::int32_t taxYear = 0;
    if (!roundToInt32(leadingNumber(yearText), taxYear)) taxYear = 0;

    const std::string formPath = client->path("T4562.FRM");
    platform::TextFile formFile;
    if (!formFile.createReplacing(formPath)) {
        showError(kErrAccess, formFile.error());
        return;
    }
    WriteFormBackground(formFile, yearText);
    const FormLines lines = computeFormLines(totalRegister(clientCode), taxYear);
    formFile.write(valuesLayerBytes(lines, heading));
    if (!formFile.commit()) {
        // An incomplete form is not printed.
        showError(formFile.error() == platform::FileError::DiskFull ? kErrDiskFull : kErrAccess, formFile.error());
        return;
    }
    client->closeFiles();
    printReportFile(formPath, "", "4562");
    platform::closeAllFiles();
}

}  // namespace dp

// veldro report: the menu's Depreciation Report run with the options of the command line, and
// what -o asks of report.txt afterwards.
#include <cstdio>

#include "cli_backend.h"
#include "command_support.h"
#include "commands.h"
#include "engine/depreciation.h"
#include "format/typed_entries.h"
#include "pdf_output.h"
#include "platform/files.h"
#include "print_target.h"
#include "register/asset_files.h"
#include "report/depreciation_report.h"
#include "report_table.h"

namespace veldro {
namespace {

dp::ReportOptions optionsOf(const Arguments& a) {
    dp::ReportOptions o;
    o.reportDate = dp::trimBoth(a.date);
    o.reportBasis = a.basis == 'B' ? "B" : "T";
    o.roundWholeDollars = a.wholeDollars ? "Y" : "N";
    return o;
}

// The run is refused before anything is written when the company or the date give no period.
int checkPeriod(const Arguments& a, dp::EngineInputs& inputs) {
    dp::CompanyRecord company;
    const int records = dp::readCompanyFile(a.client, company);
    const std::string fiscalYearEnd = records >= 1 ? dp::date6cToText(company.FiscalYearEnd) : std::string();
    if (!dp::acceptFiscalYearEnd(fiscalYearEnd)) return kRefused;
    inputs = dp::makeEngineInputs(optionsOf(a), fiscalYearEnd);
    return dp::acceptReportPeriod(inputs.periodMonths) ? kDone : kRefused;
}

// What -o asks for, from the report.txt the run wrote.
int writeOutputFile(const Arguments& a, const dp::Client& client, const dp::EngineInputs& inputs) {
    const std::string report = client.path("report.txt");
    if (a.format == "pdf") {
        const std::string error = renderPdf(report, a.output, "Depreciation Report - " + dp::trimRight(a.client));
        if (error.empty()) return kDone;
        say(error);
        return kWrongArguments;
    }
    if (a.format == "csv") {
        RegisterBytes bytes;
        if (const int s = readRegister(client, bytes); s != kDone) return s;
        return writeOutput(a.output, reportCsv(registerRows(bytes.index, bytes.assets), inputs));
    }
    std::vector<unsigned char> text;
    if (!platform::readWholeFile(report, text, printtarget::kMaxPrinterFileBytes, false)) {
        say(report + " cannot be read: " + fileReason() + ".");
        return kClientUnusable;
    }
    return writeOutput(a.output, std::string(text.begin(), text.end()));
}

// The -o file, said with its whole path as the menu's print-outs are.
int writeCopy(const Arguments& a, const dp::Client& client, const dp::EngineInputs& inputs) {
    const int status = writeOutputFile(a, client, inputs);
    const char* what = a.format == "pdf" ? "PDF" : a.format == "csv" ? "Table" : "Copy";
    if (status == kDone) std::printf("%s written to %s\n", what, platform::fullPath(a.output).c_str());
    return status;
}

}  // namespace

int reportAssets(const Arguments& a) {
    if (const dp::TypedDate d = dp::readTypedDate(a.date); !d.ok() || d.empty) {
        say("--date: " + (d.empty ? std::string("the report needs its date") : dp::dateRefusalText(a.date, d)));
        return kWrongArguments;
    }
    OpenedClient opened = openClient(a.client, "veldro report");
    if (!opened.client) return opened.status;
    dp::EngineInputs inputs;
    if (const int s = checkPeriod(a, inputs); s != kDone) return s;
    RegisterBytes bytes;
    if (const int s = readRegister(*opened.client, bytes); s != kDone) return s;
    sayMissingTables(registerRows(bytes.index, bytes.assets), a.basis);
    // The menu's own run: report.txt and the figures in depr.fil, or nothing and a message why.
    bool written = false;
    dp::reportWithOptions(*opened.client, optionsOf(a),
                          [&written](const std::string&, const std::string&, const std::string&) { written = true; });
    if (!written) return kClientUnusable;
    std::printf("Report written to %s\n", platform::fullPath(opened.client->path("report.txt")).c_str());
    return a.output.empty() ? kDone : writeCopy(a, *opened.client, inputs);
}

}  // namespace veldro

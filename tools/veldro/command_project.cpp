// veldro project: the projection of the client's register, as text, CSV or PDF. The client's
// files are only read.
#include <cstdio>
#include <filesystem>
#include <random>

#include "cli_backend.h"
#include "format/text.h"
#include "command_support.h"
#include "commands.h"
#include "pdf_output.h"
#include "platform/files.h"
#include "projection_output.h"
#include "register/asset_files.h"

namespace veldro {
namespace {

// The heading's company line, as the depreciation report writes it: control bytes as blanks.
std::string companyLine(const dp::CompanyRecord& company, int records) {
    std::string line = records >= 1 ? dp::trimRight(dp::controlsToBlanks(company.CompanyName)) : std::string();
    const std::string second = records >= 3 ? dp::trimRight(dp::controlsToBlanks(company.CompanyName2)) : std::string();
    if (!second.empty()) line += " " + second;
    return line;
}

// The printer file in the temporary folder, rendered and removed.
int writePdf(const Arguments& a, const std::string& printerFile) {
    std::error_code ec;
    const std::string work =
        (std::filesystem::temp_directory_path(ec) / ("veldro-projection-" + std::to_string(std::random_device{}()) + ".prn")).string();
    if (ec || !platform::writeWholeFile(work, std::vector<unsigned char>(printerFile.begin(), printerFile.end()))) {
        say("the projection could not be laid out for the PDF: " + fileReason() + ".");
        return kClientUnusable;
    }
    const std::string error = renderPdf(work, a.output, "Depreciation Projection - " + dp::trimRight(a.client));
    platform::removeFile(work);
    if (error.empty()) return kDone;
    say(error);
    return kWrongArguments;
}

void sayProjectionNotes(const Projection& p) {
    for (const std::string& l : p.leftOut) say("note: left out, as the report leaves it out: " + l);
    if (p.stoppedAtLimit)
        say("note: the projection stops after " + std::to_string(kMaxProjectionYears) +
            " years; some assets still have something left to depreciate (see the last year's remaining)");
}

}  // namespace

int projectAssets(const Arguments& a) {
    OpenedClient opened = openClient(a.client, "veldro project");
    if (!opened.client) return opened.status;
    dp::CompanyRecord company;
    const int records = dp::readCompanyFile(a.client, company);
    if (records < 1 || !canProject(company.FiscalYearEnd)) {
        say("the company file has no fiscal year end. Enter it in Company File Maintenance, then project the register.");
        return kRefused;
    }
    RegisterBytes bytes;
    if (const int s = readRegister(*opened.client, bytes); s != kDone) return s;
    const std::vector<RegisterRow> rows = registerRows(bytes.index, bytes.assets);
    sayMissingTables(rows, a.basis);
    ProjectionInputs inputs;
    inputs.fiscalYearEnd = company.FiscalYearEnd;
    inputs.basis = a.basis;
    inputs.years = a.years;
    const Projection p = projectRegister(rows, inputs);
    sayProjectionNotes(p);
    if (a.format == "csv") return writeOutput(a.output, projectionCsv(p));
    const auto pages = projectionPages(p, {companyLine(company, records), a.basis});
    if (a.format == "pdf") return writePdf(a, projectionPrinterFile(pages));
    return writeOutput(a.output, projectionText(pages));
}

}  // namespace veldro

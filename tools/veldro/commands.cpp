#include "commands.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "cli_backend.h"
#include "command_support.h"
#include "platform/files.h"
#include "print_target.h"
#include "register/index_check.h"
#include "register_export.h"

namespace veldro {

std::string fileReason() { return platform::describeFileError(platform::lastFileError()); }

OpenedClient openClient(const std::string& code, const std::string& procedure) {
    OpenedClient out;
    if (const std::string problem = dp::clientCodeProblem(code); !problem.empty()) {
        say(problem);
        out.status = kWrongArguments;
    } else if (!platform::directoryExists(code)) {
        say("the data directory " + code + " does not exist; check the client code (a new client's directory is made "
            "with mkdir, or by the menu's Asset File Maintenance)");
        out.status = kWrongArguments;
    } else {
        // Client::open tells why it cannot open the client (another user has it, ...).
        out.client = dp::Client::open(code, procedure);
        if (!out.client) out.status = kClientUnusable;
    }
    return out;
}

namespace {

// A file of the register (a missing one is empty), checked to be an ordinary file no larger than
// the register can address.
bool readRegisterFile(const dp::Client& client, const char* name, std::int64_t most, std::vector<unsigned char>& out,
                      std::string& why) {
    if (platform::readWholeFile(client.path(name), out, most)) return true;
    why = std::string(name) + ": " + fileReason();
    return false;
}

}  // namespace

int readRegister(const dp::Client& client, RegisterBytes& r) {
    std::string why;
    if (!readRegisterFile(client, "depr.idx", dp::kMaxIndexFileBytes, r.index, why) ||
        !readRegisterFile(client, "depr.fil", dp::kMaxAssetFileBytes, r.assets, why)) {
        say("the asset files of " + client.code() + " cannot be read (" + why + "); nothing was done.");
        return kClientUnusable;
    }
    const dp::IndexCheck check = dp::checkIndex(r.index, r.assets);
    if (check.trusted()) return kDone;
    say("the asset index depr.idx of " + client.code() + " does not match the asset file depr.fil:\r\n" + check.describe() +
        "\r\nNothing was done. Asset File Maintenance in the menu offers to rebuild the index from depr.fil.");
    return kClientUnusable;
}

int writeOutput(const std::string& output, const std::string& bytes) {
    if (output.empty()) {
        if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() && std::fflush(stdout) == 0) return kDone;
        say("the output could not be written in full.");
        return kClientUnusable;
    }
    // Beside the file first, put in its place when whole.
    platform::TextFile file;
    if (file.createReplacing(output)) {
        constexpr std::size_t kPiece = 1 << 20;
        for (std::size_t at = 0; at < bytes.size(); at += kPiece) file.write(std::string_view(bytes).substr(at, kPiece));
        if (file.commit()) return kDone;
    }
    say(output + " could not be written: " + platform::describeFileError(file.error()) + ".");
    return kWrongArguments;
}

void sayNotes(const std::vector<std::string>& notes) {
    for (const std::string& n : notes) say("note: " + n);
}

void sayMissingTables(const std::vector<RegisterRow>& rows, char basis) {
    for (const std::string& file : rateTablesUsed(rows, basis))
        if (!platform::fileExists(file))
            say("note: the rate table " + file + " is not in the current directory, so its assets get no depreciation; "
                "run veldro from the folder that holds the rate tables");
}

std::string outputProblem(const Arguments& a) {
    if (a.output.empty()) return {};
    // The client's report.txt stands for the printed file: its folder's printer files are the client's.
    if (std::string problem = printtarget::targetProblem(platform::resolvePath(a.client, "report.txt"), a.output);
        !problem.empty())
        return problem + "; write the output somewhere else";
    // The command line asks nothing: the answer to "Replace it?" is given beforehand.
    if (!a.replace && platform::fileExists(a.output)) return a.output + " already exists; --replace writes over it";
    return {};
}

int exportRegister(const Arguments& a) {
    OpenedClient opened = openClient(a.client, "veldro export");
    if (!opened.client) return opened.status;
    RegisterBytes bytes;
    if (const int s = readRegister(*opened.client, bytes); s != kDone) return s;
    const RowWalk rows = walkOf(bytes.index, bytes.assets);
    std::vector<std::string> notes;
    const std::string text = a.format == "json" ? exportJson(rows, notes) : exportCsv(rows, notes);
    sayNotes(notes);
    return writeOutput(a.output, text);
}

int runCommand(const Arguments& a) {
    if (const std::string problem = outputProblem(a); !problem.empty()) {
        say(problem + ". Nothing was done.");
        return kRefused;
    }
    dp::setClientWaitMilliseconds(a.waitSeconds * 1000);
    switch (a.command) {
        case Command::Help: std::fputs(a.helpText.c_str(), stdout); return kDone;
        case Command::Export: return exportRegister(a);
        case Command::Import: return importAssets(a);
        case Command::Project: return projectAssets(a);
        case Command::Report: return reportAssets(a);
    }
    return kWrongArguments;
}

}  // namespace veldro

#include "commands.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <regex>

#include "cli_backend.h"
#include "command_support.h"
#include "platform/files.h"
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

// A whole file in one transfer (a missing one is empty).
bool readFileBytes(const std::string& path, std::vector<unsigned char>& out) {
    out.clear();
    if (!platform::fileExists(path)) return true;
    platform::RecordFile f;
    if (!f.openExisting(path, 1)) return false;
    out.resize(static_cast<std::size_t>(std::max<std::int64_t>(f.recordCount(), 0)));
    return out.empty() || f.readRecords(1, static_cast<std::int64_t>(out.size()), out.data());
}

}  // namespace

int readRegister(const dp::Client& client, RegisterBytes& r) {
    if (!readFileBytes(client.path("depr.idx"), r.index) || !readFileBytes(client.path("depr.fil"), r.assets)) {
        say("the asset files of " + client.code() + " cannot be read: " + fileReason() + ".");
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

bool isClientFile(const std::string& output, const std::string& clientDir) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path out(output);
    if (!fs::equivalent(out.has_parent_path() ? out.parent_path() : fs::path("."), clientDir, ec) || ec) return false;
    static const std::regex kept(
        R"((depr\.fil|depr\.idx|company\.fil|deprrecs\.fil|report\.txt|t4562\.frm|odepr\.(fil|idx)|new\.(fil|idx)|newcomp\.fil|)"
        R"(temp\.(fil|idx)|depr\.lck|replace\.jnl.*|baddepr\.idx|depr[0-9]{4}\.(fil|idx)|comp[0-9]{4}\.fil)(\.new)?)",
        std::regex::icase);
    return std::regex_match(out.filename().string(), kept);
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
    if (!a.output.empty() && isClientFile(a.output, a.client)) {
        say(a.output + " is a file of the client's books; write the output somewhere else.");
        return kWrongArguments;
    }
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

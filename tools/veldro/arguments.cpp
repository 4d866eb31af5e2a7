#include "arguments.h"

#include <map>

namespace veldro {
namespace {

const char* const kProgramHelp = R"(Usage: veldro COMMAND CLIENT [OPTIONS]
       veldro COMMAND --help

The depreciation module's asset register and its years ahead from the command line, made from
the module's own code. CLIENT is the client code: the client's data directory, as the suite's
host is given it.

Commands:
  export CLIENT [--format csv|json] [-o FILE]
        every record of the register, in index order
  import CLIENT FILE [--dry-run]
        adds the assets of a CSV file (the export's columns) in one step, or nothing
  project CLIENT [--basis book|tax] [--years N] [--format text|csv|pdf] [-o FILE]
        each asset's depreciation of every fiscal year until it is fully depreciated
  report CLIENT --date MMDDYYYY [--basis book|tax] [--whole-dollars] [-o FILE]
        the Depreciation Report, as the menu runs it

Each command works on the client as a menu procedure does: it holds the client's lock for its
run, finishes or clears away what an interrupted run left, and refuses an index that does not
match the asset file. A client another user has is waited for, as the menu waits, and refused
when it is not free in time:
  --wait SECONDS  how long to wait for it, 0 to 3600 (default 5)
project and report read the rate tables (ACRS*.tbl) from the current directory, as the host
does: run them from the folder that holds the tables.

-o FILE is refused, before anything is done, where a printed report's file is refused: a file
of a client's books (by any name), the client's report.txt or T4562.FRM, a folder, a device or
a pipe. An existing FILE is written over only when the command says so:
  --replace       write over an existing -o FILE

Exit status: 0 done; 1 refused input or -o FILE, nothing changed; 2 wrong arguments; 3 the
client is in use or damaged, or its files cannot be read or written (the message says which).
)";

const char* const kExportHelp = R"(Usage: veldro export CLIENT [--format csv|json] [-o FILE [--replace]]

Writes every record of the client's register (depr.fil in the order of its index depr.idx), one
row each, to standard output or FILE. Nothing of the client is changed. The columns:
  row                      asset, heading or subtotal
  deleted                  Y for a record marked deleted (it goes at the next packing or
                           close), else N
  asset_number, description
  date_acquired, date_sold YYYY-MM-DD, empty when none
  book_... and tax_...     method, rate, manual, cost, bonus, salvage, expense, bonus_30_50,
                           prior_depreciation, current_depreciation, cancelled, code_4562
Amounts have a decimal point and two decimals, no grouping; a rate keeps every decimal it has.

  --format csv   (the default) a header row, fields separated by commas and quoted where
                 needed, CR LF line ends, UTF-8
  --format json  an array of objects with the same names: amounts as numbers, deleted as
                 true or false
  -o FILE        write FILE (whole or not at all) instead of standard output
  --replace      write over FILE when it exists (veldro --help: where -o is refused)

What the import reads back: importing an export into an empty client and exporting again
gives the same file.
)";

const char* const kImportHelp = R"(Usage: veldro import CLIENT FILE [--dry-run]

Adds the rows of a CSV file as new assets of the client (an existing data directory). The file
has a header row naming its columns: those of the export, in any letter case and order. Only
asset_number must be there. A missing column takes what a new asset typed in the menu starts
with (empty text, 0, no date); a missing tax_ column takes the value of its book_ column.

Every row is checked as Asset File Maintenance checks what is typed:
  asset_number  at most 6 characters, not already in the register, not twice in the file;
                stored in upper case
  description   at most 35 characters
  dates         month first, as the dialogs read them (MMDDYY, MMDDYYYY, 3/15/04,
                03-15-2004), or YYYY-MM-DD; date_acquired H or S makes a heading or
                subtotal row (as row does)
  amounts, rate digits with a sign and a decimal point where needed, "," grouping thousands,
                a leading "$" (12,500.00 $1,500 -250)
  manual        Y, N or empty
  method        SL, Dxxx, Bxxx, E, F, A3, A5, A7, A10, A15, A18 (A alone with the life as
                rate), G1, G2, G3, H1; any code on a manual row; empty for none
  deleted       Y imports a record marked deleted (its description empty or ***DELETED***)
  text          characters code page 437 holds, no control characters
When any row is refused nothing is written, and every problem is listed as
FILE:LINE: column: what is wrong (the header is line 1). Otherwise all the rows go in as one
step under the client's lock: depr.fil and depr.idx with the new records are written beside the
old ones and put in place together through the journal, the index in asset number order as
Asset File Maintenance leaves it. Rows whose fields are all empty are passed over.

  --dry-run   check the file and list what would be added; nothing is changed
)";

const char* const kProjectHelp = R"(Usage: veldro project CLIENT [--basis book|tax] [--years N] [--format text|csv|pdf]
                      [-o FILE [--replace]]

The life-of-asset projection: for every asset the depreciation report computes, the
depreciation of each fiscal year from the current one (the fiscal year end of company.fil)
until it is fully depreciated or sold. Each year is computed as the report computes the whole
fiscal year, and carried into the next as the period close carries it. A manual row counts its
current year's amount in the first year only. Nothing of the client is changed.

  --basis book|tax  the basis (default tax, as the report's options start)
  --years N         at most N years, 1 to 100 (default: until every asset is done, at most 100)
  --format text     (the default) a report of 132 columns in the module's style: a line per
                    asset, the years side by side eight at a time with what is left after
                    them, totals per year for every subtotal section and for the register
  --format csv      asset_number, description, fiscal_year_end, depreciation, accumulated,
                    remaining (what is left to depreciate after that year): a row per asset
                    and year, UTF-8
  --format pdf      the report rendered on the locale's paper (DP_PAPER; else LC_PAPER or
                    /etc/papersize on Linux, the user's locale on Windows; else Letter);
                    needs -o
  -o FILE           write FILE (whole or not at all) instead of standard output
  --replace         write over FILE when it exists (veldro --help: where -o is refused)
)";

const char* const kReportHelp = R"(Usage: veldro report CLIENT --date MMDDYYYY [--basis book|tax] [--whole-dollars]
                     [-o FILE.txt|FILE.pdf|FILE.csv [--replace]]

The Depreciation Report without the menu: the menu's own run, with these options in place of
the options dialog. It computes each asset's depreciation of the current fiscal year up to the
date, stores the figures in depr.fil and writes report.txt in the client's directory, byte for
byte what the menu writes for the same choices. Nothing is printed.

  --date DATE       the report date as it would be typed in the options, month first; it must
                    lie within the current fiscal year
  --basis book|tax  the basis (default tax)
  --whole-dollars   round each asset's depreciation to whole dollars
  -o FILE.txt       also a copy of report.txt
  -o FILE.pdf       also report.txt rendered on the locale's paper
  -o FILE.csv       also a table of the asset lines: asset_number, description, date_acquired,
                    cost, salvage (salvage, expense deduction and 30/50 bonus, as the report's
                    Salvage column), net, method, rate, prior, current, cancelled, ending, sold
  --replace         write over FILE when it exists (veldro --help: where -o is refused)
)";

const std::map<std::string, Command>& commands() {
    static const std::map<std::string, Command> c = {
        {"export", Command::Export}, {"import", Command::Import}, {"project", Command::Project}, {"report", Command::Report}};
    return c;
}

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string extensionOf(const std::string& file) {
    const std::size_t dot = file.find_last_of('.');
    const std::size_t slash = file.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    return lower(file.substr(dot + 1));
}

class Parser {
public:
    Parser(const std::vector<std::string>& args, Arguments& a) : args_(args), a_(a) {}

    // The options after the command name; false with the error set.
    bool options(std::string& error) {
        std::vector<std::string> plain;
        for (i_ = 1; i_ < args_.size(); ++i_) {
            const std::string& s = args_[i_];
            if (s.size() > 1 && s[0] == '-') {
                if (!option(s, error)) return false;
            } else {
                plain.push_back(s);
            }
        }
        return positional(plain, error);
    }

private:
    bool value(const std::string& name, std::string& out, std::string& error) {
        if (i_ + 1 >= args_.size()) {
            error = name + " needs a value";
            return false;
        }
        out = args_[++i_];
        return true;
    }

    bool basisValue(std::string& error) {
        std::string v;
        if (!value("--basis", v, error)) return false;
        if (v != "book" && v != "tax") {
            error = "--basis is book or tax, not " + v;
            return false;
        }
        a_.basis = v == "book" ? 'B' : 'T';
        return true;
    }

    // A whole number from low to high, of the unit named.
    bool numberValue(const std::string& name, int low, int high, const char* unit, int& out, std::string& error) {
        std::string v;
        if (!value(name, v, error)) return false;
        const bool digits = !v.empty() && v.size() <= 4 && v.find_first_not_of("0123456789") == std::string::npos;
        out = digits ? std::stoi(v) : -1;
        if (out >= low && out <= high) return true;
        error = name + " is a number of " + unit + " from " + std::to_string(low) + " to " + std::to_string(high) + ", not " + v;
        return false;
    }

    bool allowed(const std::string& s, std::initializer_list<Command> where, std::string& error) {
        for (Command c : where)
            if (c == a_.command) return true;
        error = "unknown option " + s;
        return false;
    }

    bool option(const std::string& s, std::string& error) {
        using C = Command;
        if (s == "-o") return allowed(s, {C::Export, C::Project, C::Report}, error) && value(s, a_.output, error);
        if (s == "--replace") return allowed(s, {C::Export, C::Project, C::Report}, error) && (a_.replace = true);
        if (s == "--wait") return numberValue(s, 0, kMostWaitSeconds, "seconds", a_.waitSeconds, error);
        if (s == "--format") return allowed(s, {C::Export, C::Project}, error) && value(s, a_.format, error);
        if (s == "--basis") return allowed(s, {C::Project, C::Report}, error) && basisValue(error);
        if (s == "--years") return allowed(s, {C::Project}, error) && numberValue(s, 1, 100, "years", a_.years, error);
        if (s == "--dry-run") return allowed(s, {C::Import}, error) && (a_.dryRun = true);
        if (s == "--whole-dollars") return allowed(s, {C::Report}, error) && (a_.wholeDollars = true);
        if (s == "--date") return allowed(s, {C::Report}, error) && value(s, a_.date, error);
        error = "unknown option " + s;
        return false;
    }

    bool positional(const std::vector<std::string>& plain, std::string& error) {
        const std::size_t wanted = a_.command == Command::Import ? 2 : 1;
        if (plain.size() < wanted) {
            error = plain.empty() ? "name the client" : "name the CSV file to import";
            return false;
        }
        if (plain.size() > wanted) {
            error = "one client at a time: " + plain[wanted] + " is one argument too many";
            return false;
        }
        a_.client = plain[0];
        if (wanted == 2) a_.file = plain[1];
        return true;
    }

    const std::vector<std::string>& args_;
    Arguments& a_;
    std::size_t i_ = 0;
};

// The formats each command takes, and what it needs of them.
std::string checkFormat(Arguments& a) {
    switch (a.command) {
        case Command::Export:
            if (a.format.empty()) a.format = "csv";
            return a.format == "csv" || a.format == "json" ? "" : "--format is csv or json, not " + a.format;
        case Command::Project:
            if (a.format.empty()) a.format = "text";
            if (a.format != "text" && a.format != "csv" && a.format != "pdf")
                return "--format is text, csv or pdf, not " + a.format;
            return a.format == "pdf" && a.output.empty() ? "--format pdf needs -o FILE.pdf" : "";
        case Command::Report:
            if (a.date.empty()) return "the report needs its date: --date MMDDYYYY";
            if (a.output.empty()) return "";
            a.format = extensionOf(a.output);
            return a.format == "txt" || a.format == "pdf" || a.format == "csv"
                       ? ""
                       : "-o names a .txt, .pdf or .csv file, not " + a.output;
        default:
            return "";
    }
}

}  // namespace

std::string helpText(const std::string& command) {
    if (command == "export") return kExportHelp;
    if (command == "import") return kImportHelp;
    if (command == "project") return kProjectHelp;
    if (command == "report") return kReportHelp;
    return kProgramHelp;
}

ParsedArguments parseArguments(const std::vector<std::string>& args) {
    ParsedArguments out;
    Arguments& a = out.arguments;
    if (args.empty()) {
        out.error = "name a command: export, import, project or report";
        return out;
    }
    const std::string& first = args[0];
    if (first == "--help" || first == "-h" || first == "help") {
        a.helpText = helpText(args.size() > 1 ? args[1] : "");
        return out;
    }
    const auto found = commands().find(first);
    if (found == commands().end()) {
        out.error = "unknown command " + first + " (the commands are export, import, project and report)";
        return out;
    }
    for (const std::string& s : args)
        if (s == "--help" || s == "-h") {
            a.helpText = helpText(first);
            return out;
        }
    a.command = found->second;
    if (!Parser(args, a).options(out.error)) return out;
    out.error = checkFormat(a);
    return out;
}

}  // namespace veldro

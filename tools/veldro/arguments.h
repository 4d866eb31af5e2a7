// The command line of veldro: which command, on which client, with which options; and the help
// that explains them.
#pragma once

#include <string>
#include <vector>

namespace veldro {

enum class Command { Help, Export, Import, Project, Report };

struct Arguments {
    Command command = Command::Help;
    std::string helpText;      // Help: what to show
    std::string client;        // the client code, exactly as given
    std::string file;          // import: the CSV file
    std::string output;        // -o FILE; empty: standard output (export, project)
    bool replace = false;      // --replace: an existing -o FILE may be written over
    std::string format;        // export: csv|json; project: text|csv|pdf; report: txt|pdf|csv from -o
    char basis = 'T';          // 'B' or 'T'
    int years = 0;             // project: 0 for all
    bool dryRun = false;       // import
    bool wholeDollars = false; // report
    std::string date;          // report: as given
    int waitSeconds = 5;       // how long a client another user has is waited for, as the menu waits
};

inline constexpr int kMostWaitSeconds = 3600;

struct ParsedArguments {
    Arguments arguments;
    std::string error;  // wrong arguments: what is wrong ("" when none)
};

ParsedArguments parseArguments(const std::vector<std::string>& args);

// The usage of veldro, or of one command ("export", ...; "" for the whole program).
std::string helpText(const std::string& command);

}  // namespace veldro

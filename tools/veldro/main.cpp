// veldro: the asset register brought in and taken out, the years ahead, and the depreciation
// report, from the command line (veldro --help).
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "arguments.h"
#include "cli_backend.h"
#include "commands.h"
#include "format/money.h"
#include "platform/files.h"

int main(int argc, char** argv) {
#ifdef _WIN32
    // The files written to standard output carry their own line ends.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    // The money rounding works at extended precision, as the module's entry holds it.
    dp::ExtendedPrecision precision;
    platform::setBackend(veldro::makeCommandLineBackend());
    const veldro::ParsedArguments parsed = veldro::parseArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        veldro::say(parsed.error + " (veldro --help explains the commands)");
        return veldro::kWrongArguments;
    }
    int status = veldro::kClientUnusable;
    try {
        status = veldro::runCommand(parsed.arguments);
    } catch (const std::exception& e) {
        veldro::say(std::string("stopped: ") + e.what() + "; nothing more was done.");
    }
    platform::closeAllFiles();
    return status;
}

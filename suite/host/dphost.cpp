// The host program: loads the depreciation module at run time, as the suite's host does, and
// calls its one entry point with the client code of the books that are open.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host_system.h"
#include "suite_host.h"
#include "host_terminal.h"

namespace {

// Exit statuses besides the module's 0: 1 the module cannot be loaded, 2 the arguments are
// wrong (an empty client code among them), 3 a script stopped, 4 the dialogs cannot open (no
// terminal; on Windows no desktop), 5 the client directory does not exist and was not created.
constexpr int kDialogsCannotOpen = 4;
constexpr int kNoClientDirectory = 5;

void usage(std::FILE* out) {
    std::fputs(
        "usage: dphost [--script FILE] [--transcript FILE] CLIENTCODE\n"
        "\n"
        "Opens the depreciation/amortization menu for the client whose data directory is\n"
        "CLIENTCODE (passed to the module exactly as given, trailing blanks kept).\n"
        "\n"
        "  --script FILE      drive the dialogs from FILE instead of the terminal; lines are\n"
        "                     click ID, type ID TEXT, check ID, select ID N, enter, close,\n"
        "                     answer yes|no|ok|cancel, printer REPLY (printer cancel = none)\n"
        "  --transcript FILE  with --script: write the transcript to FILE (default: stdout)\n"
        "  --help             show this text\n"
        "\n"
        "The module " HOST_MODULE_FILE " is looked for beside this program (../lib/veldro when\n"
        "installed) unless DP_MODULE names it. The rate table files are read from the current\n"
        "directory. Without a script, a client directory that does not exist is created only\n"
        "when you say so.\n"
        "\n"
        "Exit status: 0 the menu was left, 1 the module cannot be loaded, 2 wrong arguments\n"
        "(an empty client code too), 3 a script stopped, 4 " HOST_NO_DIALOGS ",\n"
        "5 the client directory does not exist and was not created.\n",
        out);
}

// Before the dialogs take the screen: they must be able to open, and the client directory must
// exist or be created with the user's consent.
int checkScreenAndClient(const std::string& client) {
    if (const std::string why = host::whyDialogsCannotOpen(); !why.empty()) {
        std::fprintf(stderr, "dphost: %s\n", why.c_str());
        return kDialogsCannotOpen;
    }
    std::string error;
    switch (host::ensureClientDirectory(client, error)) {
        case host::Created::Declined:
            std::fputs("dphost: no client directory was created; nothing was opened\n", stderr);
            return kNoClientDirectory;
        case host::Created::Failed:
            std::fprintf(stderr, "dphost: the client directory %s could not be created: %s\n", client.c_str(),
                         error.c_str());
            return kNoClientDirectory;
        default:
            return 0;
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string script, transcript, client;
    bool haveClient = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            usage(stdout);
            return 0;
        } else if ((a == "--script" || a == "--transcript") && i + 1 < argc) {
            (a == "--script" ? script : transcript) = argv[++i];
        } else if (!haveClient && (a.empty() || a[0] != '-' || a == "-")) {
            client = a;
            haveClient = true;
        } else if (a == "--") {
            if (i + 1 < argc && !haveClient) {
                client = argv[++i];
                haveClient = true;
            }
        } else {
            std::fprintf(stderr, "dphost: unexpected argument \"%s\"\n\n", a.c_str());
            usage(stderr);
            return 2;
        }
    }
    if (!haveClient) {
        usage(stderr);
        return 2;
    }
    if (!transcript.empty() && script.empty()) {
        std::fputs("dphost: --transcript needs --script\n", stderr);
        return 2;
    }
    if (client.empty()) {
        std::fputs("dphost: the client code is empty; give the client's code (its data directory), e.g. dphost SAMPLE\n",
                   stderr);
        return 2;
    }
    // The module's platform layer picks its dialog backend from the environment.
    host::setEnvironment("DP_SCRIPT", script);
    host::setEnvironment("DP_TRANSCRIPT", script.empty() ? std::string() : transcript);
    std::string tried, error;
    void* module = host::loadModule(tried, error);
    if (!module) {
        std::fprintf(stderr, "dphost: cannot load the depreciation module (tried %s): %s\n", tried.c_str(), error.c_str());
        return 1;
    }
    auto entry = reinterpret_cast<DpmenuFunction>(host::findEntry(module, SUITE_DPMENU_ENTRY));
    if (!entry) {
        std::fprintf(stderr, "dphost: the module has no entry point DPMENU\n");
        return 1;
    }
    if (script.empty()) {
        if (const int rc = checkScreenAndClient(client); rc != 0) return rc;
    }
    // The client code is passed by reference: the address of the variable that holds it.
    const char* clientCode = client.c_str();
    const int result = entry(&clientCode);
    std::fflush(nullptr);
    return result;
}

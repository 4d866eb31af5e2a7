#include "host_terminal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace host {

namespace {

bool isDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Where curses looks for the description of a terminal type, in its order.
std::vector<std::string> terminfoDirs() {
    std::vector<std::string> dirs;
    if (const char* t = std::getenv("TERMINFO"); t && *t) dirs.push_back(t);
    if (const char* h = std::getenv("HOME"); h && *h) dirs.push_back(std::string(h) + "/.terminfo");
    if (const char* list = std::getenv("TERMINFO_DIRS"); list && *list) {
        std::string all = list, part;
        for (std::size_t at = 0; at <= all.size(); ++at) {
            if (at < all.size() && all[at] != ':') {
                part += all[at];
                continue;
            }
            if (!part.empty()) dirs.push_back(part);
            part.clear();
        }
    }
    for (const char* d : {"/etc/terminfo", "/lib/terminfo", "/usr/share/terminfo", "/usr/lib/terminfo"})
        dirs.push_back(d);
    return dirs;
}

bool knownTerminalType(const std::string& type) {
    if (type.empty() || type.find('/') != std::string::npos) return false;
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(type[0]));
    for (const std::string& dir : terminfoDirs())
        if (isFile(dir + "/" + type.substr(0, 1) + "/" + type) || isFile(dir + "/" + hex + "/" + type)) return true;
    return false;
}

bool haveTerminal() {
    if (::isatty(STDIN_FILENO) && ::isatty(STDOUT_FILENO)) return true;
    const int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

// The terminal the dialogs will use: standard input and output when both are one, else the
// controlling terminal.
struct Terminal {
    std::FILE* in = stdin;
    std::FILE* out = stdout;
    std::FILE* tty = nullptr;
    Terminal() {
        if (::isatty(STDIN_FILENO) && ::isatty(STDOUT_FILENO)) return;
        tty = std::fopen("/dev/tty", "r+");
        if (tty) in = out = tty;
    }
    ~Terminal() {
        if (tty) std::fclose(tty);
    }
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;
};

bool askYes(const std::string& question) {
    Terminal t;
    std::fputs(question.c_str(), t.out);
    std::fflush(t.out);
    char line[256];
    if (!std::fgets(line, sizeof line, t.in)) return false;
    std::size_t i = 0;
    while (line[i] == ' ' || line[i] == '\t') ++i;
    return line[i] == 'y' || line[i] == 'Y';
}

std::string currentDirectory() {
    char buf[4096];
    return ::getcwd(buf, sizeof buf) ? std::string(buf) : std::string(".");
}

}  // namespace

std::string whyDialogsCannotOpen() {
    if (!haveTerminal())
        return "there is no terminal for the dialogs (run dphost from a terminal, or give a script: dphost "
               "--script FILE CLIENTCODE)";
    const char* term = std::getenv("TERM");
    if (!term || !*term) return "TERM is not set: the dialogs cannot tell what terminal this is";
    if (!knownTerminalType(term)) return std::string("the terminal type \"") + term + "\" in TERM is not known";
    return {};
}

Created ensureClientDirectory(const std::string& client, std::string& error) {
    if (isDirectory(client)) return Created::Existed;
    const std::string where = client.front() == '/' ? client : currentDirectory() + "/" + client;
    if (!askYes("The client directory " + where + " does not exist.\nCreate it as a new, empty client? [y/N] "))
        return Created::Declined;
    if (::mkdir(client.c_str(), 0755) == 0) return Created::Made;
    error = std::strerror(errno);
    return Created::Failed;
}

}  // namespace host

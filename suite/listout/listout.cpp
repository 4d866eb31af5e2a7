// The suite's print spooling: takes the command text "file,device,field3,options" and prints the
// file. The file holds character-printer codes; the renderer lays its pages out as that printer
// would. Device FILE saves a copy of the file under the path of field 3, #PDF saves the rendered
// pages there as a PDF, #SCREEN shows them in the terminal. Any other device is a print queue:
// it receives the rendered PDF, or with field 3 RAW the file as it is, for a printer that
// understands the codes itself. The options (/80, /FP, /ZM, /NP) describe the page for the
// suite's own spooler; the rendering lays out the page from the file's own codes, so they are
// accepted and not acted on.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/files.h"
#include "platform/message.h"
#include "platform/viewer.h"
#include "paper_choice.h"
#include "print_command.h"
#include "render/render.h"
#include "suite_printing.h"

extern char** environ;

using listout::fail;
using listout::PrintCommand;

namespace {


int timeoutSeconds() {
    if (const char* env = std::getenv("DP_PRINT_TIMEOUT"); env && *env) {
        const int v = std::atoi(env);
        if (v > 0) return v;
    }
    return 60;
}

double now() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// Runs lp with the arguments as given (no shell), collects what it says, and waits for it at
// most the timeout. Returns an empty text on success, otherwise why it failed.
std::string runLp(const std::string& device, const std::string& file, bool raw, const std::string& title) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return std::string("no pipe: ") + std::strerror(errno);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
    // A file name that starts with "-" must not read as an option.
    const std::string fileArg = !file.empty() && file[0] == '-' ? "./" + file : file;
    std::vector<std::string> args = {"lp", "-d", device, "-t", title};
    if (raw) args.insert(args.end(), {"-o", "raw"});
    args.push_back(fileArg);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int rc = ::posix_spawnp(&pid, "lp", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (rc != 0) {
        ::close(pipeFds[0]);
        return std::string("lp could not be started: ") + std::strerror(rc);
    }
    std::string said;
    const double deadline = now() + timeoutSeconds();
    bool timedOut = false;
    for (;;) {
        const double left = deadline - now();
        if (left <= 0) {
            timedOut = true;
            break;
        }
        pollfd p{pipeFds[0], POLLIN, 0};
        const int pr = ::poll(&p, 1, static_cast<int>(left * 1000) + 1);
        if (pr < 0 && errno == EINTR) continue;
        if (pr <= 0) continue;
        char buf[512];
        const ssize_t n = ::read(pipeFds[0], buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        if (said.size() < 4000) said.append(buf, static_cast<std::size_t>(n));
    }
    ::close(pipeFds[0]);
    int status = 0;
    if (timedOut) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        return "the print service did not answer within " + std::to_string(timeoutSeconds()) + " seconds";
    }
    // lp has closed its output; it ends at once, but never wait for it beyond the deadline.
    for (;;) {
        const pid_t w = ::waitpid(pid, &status, WNOHANG);
        if (w == pid) break;
        if (w < 0 && errno != EINTR) return std::string("lp could not be waited for: ") + std::strerror(errno);
        if (now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return "the print service did not answer within " + std::to_string(timeoutSeconds()) + " seconds";
        }
        ::usleep(10000);
    }
    while (!said.empty() && (said.back() == '\n' || said.back() == '\r' || said.back() == ' ')) said.pop_back();
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return {};
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127) return "lp could not be started";
    std::string why = WIFEXITED(status) ? "lp ended with status " + std::to_string(WEXITSTATUS(status))
                                        : "lp was stopped by signal " + std::to_string(WTERMSIG(status));
    if (!said.empty()) why += ": " + said;
    return why;
}

int showOnScreen(const PrintCommand& pc) {
    std::vector<dprender::TextPage> pages;
    std::string error;
    if (!dprender::textPagesOfFile(pc.file, pages, error)) {
        fail(error);
        return -1;
    }
    std::vector<platform::ViewPage> view;
    view.reserve(pages.size());
    for (dprender::TextPage& p : pages) view.push_back({std::move(p.rows), std::move(p.attrs)});
    platform::showPages(listout::screenHeading(pc, listout::localePaper().paper), view);
    return 0;
}

// The rendered pages as a PDF for the print service, in a temporary file that goes once the
// service has taken the job.
std::string printRendered(const PrintCommand& pc) {
    const char* tmp = std::getenv("TMPDIR");
    std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/veldro-print-XXXXXX";
    const int fd = ::mkstemp(path.data());
    if (fd < 0) return std::string("no temporary file for the pages (") + std::strerror(errno) + ")";
    ::close(fd);
    const dprender::RenderRequest req = listout::pdfRequest(pc, path, listout::queuePaper(pc.device));
    const dprender::RenderResult res = dprender::renderFile(req);
    const std::string why = res.ok ? runLp(pc.device, path, false, req.title) : res.error;
    ::unlink(path.c_str());
    return why;
}

std::string printRaw(const PrintCommand& pc) { return runLp(pc.device, pc.file, true, listout::jobTitle(pc)); }

int32_t listOut(const std::string& command) {
    return listout::carryOut(command, {showOnScreen, printRendered, printRaw});
}

}  // namespace

extern "C" SUITE_EXPORT int32_t SUITE_STDCALL ListOut(const char* command, int32_t zero) {
    (void)zero;
    return listout::guardedListOut(listOut, command);
}

// A detached tmux window to run a program on the terminal backend in: keys in, screen out.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace smoke {

inline bool haveTmux() { return std::system("command -v tmux >/dev/null 2>&1") == 0; }

inline std::string capture(const std::string& command) {
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
        ::pclose(p);
    }
    return out;
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class TmuxWindow {
public:
    // A server of our own (its own socket), so that no user's sessions are touched.
    explicit TmuxWindow(std::string socket) : socket_(std::move(socket)) {}
    ~TmuxWindow() { std::system((tmux() + " kill-server >/dev/null 2>&1").c_str()); }
    TmuxWindow(const TmuxWindow&) = delete;
    TmuxWindow& operator=(const TmuxWindow&) = delete;

    // Runs a shell script in a window of cols x rows. The commands go through a file so that
    // no shell between here and the window rewrites them.
    bool start(int cols, int rows, const std::string& scriptPath) const {
        return std::system((tmux() + " new-session -d -s w -x " + std::to_string(cols) + " -y " +
                            std::to_string(rows) + " \"sh '" + scriptPath + "'\"")
                               .c_str()) == 0;
    }
    std::string screen() const { return capture(tmux() + " capture-pane -p -t w 2>/dev/null"); }
    void keys(const std::string& keys) const { std::system((tmux() + " send-keys -t w " + keys).c_str()); }
    // Sends bytes as they are (escape sequences of the terminal, such as mouse reports).
    void literal(const std::string& bytes) const {
        std::string quoted = "'";
        for (char c : bytes) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        quoted += "'";
        std::system((tmux() + " send-keys -t w -l " + quoted).c_str());
    }
    void resize(int cols, int rows) const {
        std::system((tmux() + " resize-window -t w -x " + std::to_string(cols) + " -y " + std::to_string(rows))
                        .c_str());
    }

    // Waits (up to ~20 s, for a loaded machine) until the screen shows every text and the file
    // `log` holds every line.
    ::testing::AssertionResult waitFor(const std::vector<std::string>& onScreen, const std::string& log = {},
                                       const std::vector<std::string>& inLog = {}) const {
        std::string s, l;
        for (int i = 0; i < 200; ++i) {
            s = screen();
            l = log.empty() ? std::string() : readFile(log);
            bool all = true;
            for (const std::string& t : onScreen) all = all && s.find(t) != std::string::npos;
            for (const std::string& t : inLog) all = all && l.find(t + "\n") != std::string::npos;
            if (all) return ::testing::AssertionSuccess();
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return ::testing::AssertionFailure() << "screen:\n" << s << "\nlog:\n" << l;
    }

private:
    std::string tmux() const { return "env -u TMUX tmux -L " + socket_ + " -f /dev/null"; }
    std::string socket_;
};

}  // namespace smoke

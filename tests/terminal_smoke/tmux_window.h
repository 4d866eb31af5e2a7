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

// The set-up installs tmux: without it these tests fail rather than pass unseen.
inline ::testing::AssertionResult tmuxInstalled() {
    if (std::system("command -v tmux >/dev/null 2>&1") == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "tmux is not installed (scripts/setup.sh installs it)";
}

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

// A captured screen without its attributes: escape sequences dropped, characters shifted into
// the line-drawing set (between SO and SI) as '+'.
inline std::string plainText(const std::string& raw) {
    std::string out;
    bool lines = false;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '\033') {
            if (i + 1 < raw.size() && raw[i + 1] == '[') {
                i += 2;
                while (i < raw.size() && !(raw[i] >= '@' && raw[i] <= '~')) ++i;
            } else {
                ++i;
            }
            continue;
        }
        if (c == '\016' || c == '\017') {
            lines = c == '\016';
            continue;
        }
        out += (lines && c != '\n') ? '+' : c;
    }
    return out;
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
    // The screen as text; the cells of frames and lines (the terminal's line-drawing set) read
    // as '+', so that a border never reads as a letter next to a caption.
    std::string screen() const { return plainText(capture(tmux() + " capture-pane -p -e -t w 2>/dev/null")); }
    // The screen with lines that the terminal wrapped joined again (what a program printed).
    std::string joinedScreen() const { return plainText(capture(tmux() + " capture-pane -p -J -t w 2>/dev/null")); }
    void keys(const std::string& keys) const { std::system((tmux() + " send-keys -t w " + keys).c_str()); }
    // Sends bytes as they are (escape sequences of the terminal, such as mouse reports), in
    // hexadecimal: tmux would take a ';' at the end of an argument for its command separator.
    void literal(const std::string& bytes) const {
        std::string hex;
        char buf[4];
        for (char c : bytes) {
            std::snprintf(buf, sizeof buf, " %02x", static_cast<unsigned char>(c));
            hex += buf;
        }
        std::system((tmux() + " send-keys -t w -H" + hex).c_str());
    }
    // The cursor's cell (column, row from 0), and whether it is shown.
    struct Cursor {
        int col = -1, row = -1;
        bool shown = false;
    };
    Cursor cursor() const {
        Cursor c;
        int shown = 0;
        std::istringstream(capture(tmux() + " display -p -t w '#{cursor_x} #{cursor_y} #{cursor_flag}'")) >> c.col >>
            c.row >> shown;
        c.shown = shown != 0;
        return c;
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

    // Waits (as waitFor) until the screen no longer shows the text: a window that was closed.
    ::testing::AssertionResult waitGone(const std::string& text) const {
        std::string s;
        for (int i = 0; i < 200; ++i) {
            s = screen();
            if (s.find(text) == std::string::npos) return ::testing::AssertionSuccess();
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return ::testing::AssertionFailure() << "still on the screen: " << text << "\n" << s;
    }

private:
    std::string tmux() const { return "env -u TMUX tmux -L " + socket_ + " -f /dev/null"; }
    std::string socket_;
};

}  // namespace smoke

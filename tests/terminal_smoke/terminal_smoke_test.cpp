// The host on the terminal backend, inside a detached tmux window: the depreciation menu is
// drawn, a window too small gets its message, and Alt+X leaves with exit code 0.
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

namespace {

namespace fs = std::filesystem;

std::string run(const std::string& command) {
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
        ::pclose(p);
    }
    return out;
}

bool haveTmux() { return std::system("command -v tmux >/dev/null 2>&1") == 0; }

class TmuxSession {
public:
    explicit TmuxSession(std::string socket) : socket_(std::move(socket)) {}
    ~TmuxSession() { std::system((tmux() + " kill-server >/dev/null 2>&1").c_str()); }
    TmuxSession(const TmuxSession&) = delete;
    TmuxSession& operator=(const TmuxSession&) = delete;

    std::string tmux() const { return "env -u TMUX tmux -L " + socket_ + " -f /dev/null"; }

    bool start(int cols, int rows, const std::string& shellCommand) {
        const std::string cmd = tmux() + " new-session -d -s smoke -x " + std::to_string(cols) + " -y " +
                                std::to_string(rows) + " \"" + shellCommand + "\"";
        return std::system(cmd.c_str()) == 0;
    }
    std::string screen() const { return run(tmux() + " capture-pane -p -t smoke 2>/dev/null"); }
    void keys(const std::string& keys) const { std::system((tmux() + " send-keys -t smoke " + keys).c_str()); }
    void resize(int cols, int rows) const {
        std::system((tmux() + " resize-window -t smoke -x " + std::to_string(cols) + " -y " + std::to_string(rows))
                        .c_str());
    }

    // Polls the screen until every text shows (up to ~20 s); returns the last screen.
    std::string waitFor(const std::vector<std::string>& texts, bool& all) const {
        std::string s;
        for (int i = 0; i < 200; ++i) {
            s = screen();
            all = true;
            for (const std::string& t : texts)
                if (s.find(t) == std::string::npos) all = false;
            if (all) return s;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return s;
    }

private:
    std::string socket_;
};

class TempDir {
public:
    TempDir() {
        std::string tmpl = (fs::temp_directory_path() / "dpsmokeXXXXXX").string();
        if (::mkdtemp(tmpl.data())) path_ = tmpl;
    }
    ~TempDir() {
        std::error_code ec;
        if (!path_.empty()) fs::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(TerminalSmoke, MenuShowsAndAltXLeavesWithExitCodeZero) {
    if (!haveTmux()) GTEST_SKIP() << "tmux is not installed";
    const std::string host = std::string(DP_BINARY_DIR) + "/suite/dphost";
    ASSERT_TRUE(fs::exists(host)) << host;
    TempDir dir;
    ASSERT_FALSE(dir.path().empty());
    ASSERT_TRUE(fs::create_directory(dir.path() + "/SMOKE"));
    const std::string exitFile = dir.path() + "/exit.txt";

    TmuxSession tmux("dpsmoke" + std::to_string(::getpid()));
    // The host takes the terminal backend when no script is named.
    // Through a script file, so that no shell on the way rewrites "$?".
    const std::string script = dir.path() + "/run.sh";
    {
        std::ofstream out(script);
        out << "cd '" << dir.path() << "' || exit 1\n"
            << "unset DP_SCRIPT DP_TRANSCRIPT\n"
            << "'" << host << "' SMOKE\n"
            << "echo EXIT=$? > '" << exitFile << "'\n";
    }
    ASSERT_TRUE(tmux.start(100, 40, "sh '" + script + "'"));

    const std::vector<std::string> menu = {
        "Depreciation/Amortization Menu (SMOKE)", "DEPRECIATION MENU", "Asset File Maintenance",
        "Company File Maintenance", "Depreciation Report", "Close Current Period", "Amortization Schedule",
        "Print Form 4562 page 1", "Exit Depreciation"};
    bool shown = false;
    std::string screen = tmux.waitFor(menu, shown);
    ASSERT_TRUE(shown) << screen;
    // The mnemonic marks are not drawn; the heading's shadow copy is not drawn a second time.
    EXPECT_EQ(screen.find('&'), std::string::npos) << screen;
    EXPECT_EQ(screen.find("DEPRECIATION MENU"), screen.rfind("DEPRECIATION MENU")) << screen;

    // Too small a window gets a message instead of a broken dialog, and the dialog comes back.
    tmux.resize(80, 24);
    screen = tmux.waitFor({"Terminal too small: need 87x34, have 80x24"}, shown);
    EXPECT_TRUE(shown) << screen;
    tmux.resize(100, 40);
    screen = tmux.waitFor(menu, shown);
    ASSERT_TRUE(shown) << screen;

    tmux.keys("M-x");
    std::string result;
    for (int i = 0; i < 200 && result.find('\n') == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        result = readFile(exitFile);
    }
    EXPECT_EQ(result, "EXIT=0\n") << tmux.screen();
}

TEST(TerminalSmoke, EscIsTheCloseBoxOfTheMenu) {
    if (!haveTmux()) GTEST_SKIP() << "tmux is not installed";
    const std::string host = std::string(DP_BINARY_DIR) + "/suite/dphost";
    ASSERT_TRUE(fs::exists(host)) << host;
    TempDir dir;
    ASSERT_FALSE(dir.path().empty());
    ASSERT_TRUE(fs::create_directory(dir.path() + "/ESC"));
    const std::string exitFile = dir.path() + "/exit.txt";

    TmuxSession tmux("dpsmokeesc" + std::to_string(::getpid()));
    // Through a script file, so that no shell on the way rewrites "$?".
    const std::string script = dir.path() + "/run.sh";
    {
        std::ofstream out(script);
        out << "cd '" << dir.path() << "' || exit 1\n"
            << "unset DP_SCRIPT DP_TRANSCRIPT\n"
            << "'" << host << "' ESC\n"
            << "echo EXIT=$? > '" << exitFile << "'\n";
    }
    ASSERT_TRUE(tmux.start(100, 40, "sh '" + script + "'"));
    bool shown = false;
    std::string screen = tmux.waitFor({"Depreciation/Amortization Menu (ESC)", "Exit Depreciation"}, shown);
    ASSERT_TRUE(shown) << screen;
    // Tab moves the focus without leaving; Esc alone is the close box.
    tmux.keys("Tab");
    tmux.keys("Escape");
    std::string result;
    for (int i = 0; i < 200 && result.find('\n') == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        result = readFile(exitFile);
    }
    EXPECT_EQ(result, "EXIT=0\n") << tmux.screen();
}

}  // namespace

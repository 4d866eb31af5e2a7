// The host on the terminal backend, inside a detached tmux window: the depreciation menu is
// drawn on a 80x24 terminal and again cleanly after the window changed its size, a window too
// small gets its notice, and Alt+X leaves with exit code 0.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tmux_window.h"

namespace {

TEST(TerminalSmoke, MenuShowsAndAltXLeavesWithExitCodeZero) {
    ASSERT_TRUE(smoke::tmuxInstalled());
    const std::string host = std::string(DP_BINARY_DIR) + "/suite/dphost";
    ASSERT_TRUE(std::filesystem::exists(host)) << host;
    smoke::TempDir dir;
    ASSERT_FALSE(dir.path().empty());
    ASSERT_TRUE(std::filesystem::create_directory(dir.path() + "/SMOKE"));
    const std::string exitFile = dir.path() + "/exit.txt";
    const std::string script = dir.path() + "/run.sh";
    {
        // Without a script the host takes the terminal backend.
        std::ofstream out(script);
        out << "cd '" << dir.path() << "' || exit 1\n"
            << "unset DP_SCRIPT DP_TRANSCRIPT\n"
            << "'" << host << "' SMOKE\n"
            << "echo EXIT=$? > '" << exitFile << "'\n";
    }
    smoke::TmuxWindow tmux("dpsmoke" + std::to_string(::getpid()));
    ASSERT_TRUE(tmux.start(80, 24, script));

    const std::vector<std::string> menu = {
        "Depreciation/Amortization Menu (SMOKE)", "DEPRECIATION MENU", "Asset File Maintenance",
        "Company File Maintenance", "Depreciation Report", "Close Current Period", "Amortization Schedule",
        "Print Form 4562 page 1", "Exit Depreciation"};
    ASSERT_TRUE(tmux.waitFor(menu));
    // The mnemonic marks are not drawn; the heading's shadow copy is not drawn a second time.
    const std::string screen = tmux.screen();
    EXPECT_EQ(screen.find('&'), std::string::npos) << screen;
    EXPECT_EQ(screen.find("DEPRECIATION MENU"), screen.rfind("DEPRECIATION MENU")) << screen;

    // Resizing redraws the whole screen: back at 80x24 it is as it was, nothing of the larger
    // picture left over. Too small a window gets a notice instead of a broken dialog.
    tmux.resize(100, 40);
    ASSERT_TRUE(tmux.waitFor(menu));
    tmux.resize(80, 24);
    ASSERT_TRUE(tmux.waitFor(menu));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(tmux.screen(), screen);
    tmux.resize(24, 6);
    EXPECT_TRUE(tmux.waitFor({"Terminal too small"}));
    tmux.resize(80, 24);
    ASSERT_TRUE(tmux.waitFor(menu));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(tmux.screen(), screen);

    tmux.keys("M-x");
    EXPECT_TRUE(tmux.waitFor({}, exitFile, {"EXIT=0"}));
}

}  // namespace

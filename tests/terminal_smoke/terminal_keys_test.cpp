// The keyboard on the terminal backend, end to end: this test program starts itself inside a
// detached tmux window, where it shows a dialog with every kind of control, and drives it with
// keys while it reads the screen and the log the dialog's handler writes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/backend.h"
#include "platform/dialog.h"
#include "platform/message.h"
#include "platform/process.h"
#include "support/client_dir.h"
#include "tmux_window.h"

namespace {

using platform::ControlKind;
using platform::ControlSpec;
using platform::Dialog;
using platform::Event;
using platform::EventKind;

constexpr const char* kScenarioEnv = "DP_TERMINAL_SCENARIO_LOG";

// ---- the dialog shown inside tmux -------------------------------------------------------------

void logLine(const std::string& line) {
    std::ofstream out(std::getenv(kScenarioEnv), std::ios::app);
    out << line << '\n';
}

void innerDialog() {
    platform::DialogTemplate t;
    t.caption = "Inner Dialog";
    t.width = 120;
    t.height = 50;
    t.controls = {{ControlKind::Label, 101, "Nested on top", 10, 8, 100, 10},
                  {ControlKind::Button, 102, "&Done", 40, 25, 40, 14}};
    platform::showModal(t, [](Dialog& d, const Event& e) {
        if (e.kind == EventKind::Command && e.id == 102) d.end(7);
    });
}

void runScenarioDialog() {
    platform::DialogTemplate t;
    t.caption = "Terminal Scenario";
    t.width = 300;
    t.height = 200;
    t.controls = {
        {ControlKind::Label, 100, "&Name", 5, 10, 60, 12},
        {ControlKind::Edit, 201, "", 70, 8, 80, 12, platform::StyleUpperCase},
        {ControlKind::Edit, 202, "", 70, 24, 80, 12},
        {ControlKind::CheckBox, 203, "&Round", 170, 24, 80, 12},
        {ControlKind::Label, 110, "&Lines", 5, 42, 60, 12},
        {ControlKind::ListBox, 204, "", 70, 40, 120, 60, platform::StyleSunken},
        {ControlKind::Button, 301, "&Ask", 10, 150, 50, 14},
        {ControlKind::Button, 302, "&Help", 70, 150, 50, 14},
        {ControlKind::Button, 303, "Ne&sted", 130, 150, 50, 14},
        {ControlKind::Button, 304, "&Off", 190, 150, 50, 14, platform::StyleDisabled},
        {ControlKind::Frame, 190, "", 5, 140, 290, 30},
        {ControlKind::BitmapButton, 305, "B2", 250, 150, 40, 14},
    };
    t.menuBar = {{"&File", {{601, "&Open"}}},
                 {"&Edit", {{602, "&Gray", true}, {0, "-"}, {603, "&Live"}}}};
    const int result = platform::showModal(t, [](Dialog& d, const Event& e) {
        switch (e.kind) {
            case EventKind::Init: {
                std::vector<std::string> lines;
                for (int i = 0; i < 30; ++i) lines.push_back("line " + std::to_string(i));
                d.setListLines(204, lines);
                d.setFocus(201);
                break;
            }
            case EventKind::Close:
                logLine("close");
                break;
            case EventKind::Notify:
                if (d.kind(e.id) == ControlKind::ListBox)
                    logLine("select " + std::to_string(e.id) + " " + std::to_string(d.listSelection(e.id)));
                else
                    logLine("notify " + std::to_string(e.id) + " [" + d.text(e.id) + "]");
                break;
            case EventKind::Command:
                logLine("command " + std::to_string(e.id));
                if (e.id == 203) logLine(std::string("checked ") + (d.isChecked(203) ? "1" : "0"));
                if (e.id == 301) {
                    const platform::MsgResult r = platform::messageBox("Proceed ?", "Question Box",
                                                                       platform::MsgIcon::Question,
                                                                       platform::MsgButtons::YesNo);
                    logLine(r == platform::MsgResult::Yes ? "answer yes" : "answer no");
                }
                if (e.id == 302)
                    logLine("help " + std::to_string(platform::runAndWait("winhlp32 -I AppendixC writeup.hlp")));
                if (e.id == 303) {
                    innerDialog();
                    logLine("inner ended");
                }
                if (e.id == 603) d.setCaption("Terminal Scenario - live");
                break;
            default:
                break;
        }
    });
    logLine("end " + std::to_string(result));
}

// The dialog's own test exists only inside the tmux window that the test below opens, so it
// is neither listed nor skipped in ordinary runs.
class ScenarioDialog : public ::testing::Test {
public:
    void TestBody() override {
        platform::setBackend(platform::makeTerminalBackend());
        runScenarioDialog();
    }
};

[[maybe_unused]] const bool scenarioRegistered = [] {
    if (std::getenv(kScenarioEnv))
        ::testing::RegisterTest("TerminalKeys", "ScenarioDialog", nullptr, nullptr, __FILE__, __LINE__,
                                []() -> ::testing::Test* { return new ScenarioDialog; });
    return true;
}();

// ---- the driver -------------------------------------------------------------------------------

// Starts this program's scenario dialog in a tmux window of 100x40 on terminal type termType,
// its handler writing to `log`.
::testing::AssertionResult startScenario(smoke::TmuxWindow& w, const dptest::TempClient& dir, const std::string& log,
                                         const std::string& termType) {
    char self[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0 || dir.code().empty()) return ::testing::AssertionFailure() << "no program or directory";
    self[n] = '\0';
    const std::string script = dir.code() + "/run.sh";
    {
        // From the source data directory, where the help viewer finds its text.
        std::ofstream out(script);
        out << "cd '" << DP_SOURCE_DIR << "/data' || exit 1\n"
            << "unset DP_SCRIPT DP_TRANSCRIPT DP_TERMINAL_MOUSE\n"
            << "TERM=" << termType << "; export TERM\n"
            << kScenarioEnv << "='" << log << "' '" << self
            << "' --gtest_filter=TerminalKeys.ScenarioDialog >'" << dir.code() << "/out.txt' 2>&1\n"
            << "echo exit $? >> '" << log << "'\n";
    }
    if (!w.start(100, 40, script)) return ::testing::AssertionFailure() << "tmux did not start";
    return ::testing::AssertionSuccess();
}

// The same keys whatever terminal type the program is told it runs on.
class TerminalKeysOn : public ::testing::TestWithParam<const char*> {};

TEST_P(TerminalKeysOn, DrivenByKeys) {
    ASSERT_TRUE(smoke::tmuxInstalled());
    dptest::TempClient dir;
    const std::string log = dir.code() + "/events.log";
    const std::string termType = GetParam();
    smoke::TmuxWindow w("dpkeys" + std::to_string(::getpid()) + termType);
    ASSERT_TRUE(startScenario(w, dir, log, termType));
    auto waitFor = [&](const std::vector<std::string>& onScreen, const std::vector<std::string>& inLog = {}) {
        return w.waitFor(onScreen, log, inLog);
    };
    auto pause = [] { std::this_thread::sleep_for(std::chrono::milliseconds(300)); };

    // The dialog with its controls; the box that has the focus has told its handler.
    ASSERT_TRUE(waitFor({"Terminal Scenario", "File", "Edit", "[ ] Round", "line 0", "Ask", "Nested", "B2   >"},
                        {"notify 201 []"}));

    // Typing into an upper-case box, Tab to the next box, Enter there: without a default button
    // the handler hears it, and the focus goes on to the next box (round to the first).
    w.keys("a b");
    ASSERT_TRUE(waitFor({"[AB"}, {"notify 201 [A]", "notify 201 [AB]"}));
    ASSERT_TRUE(waitFor({"Enter next box", "Esc close"}));
    w.keys("Tab x y Enter");
    ASSERT_TRUE(waitFor({"[xy"}, {"notify 202 []", "notify 202 [xy]", "command 1", "notify 201 [AB]"}));
    // Editing keys: Home, Delete, End, Backspace ("AB" -> "B" -> "").
    w.keys("Home DC End BSpace");
    ASSERT_TRUE(waitFor({}, {"notify 201 [B]", "notify 201 []"}));

    // Alt + the mnemonic clicks the check box.
    w.keys("M-r");
    ASSERT_TRUE(waitFor({"[X] Round"}, {"command 203", "checked 1"}));

    // A message box over the dialog; N answers No and the dialog is back.
    w.keys("M-a");
    ASSERT_TRUE(waitFor({"Question Box", "Proceed ?", "(?)", "Yes", "No"}, {"command 301"}));
    w.keys("n");
    ASSERT_TRUE(waitFor({"[X] Round"}, {"answer no"}));
    EXPECT_EQ(w.screen().find("Proceed ?"), std::string::npos);

    // The menu bar: F10, Right to the second menu; a grayed entry cannot be chosen, the next can.
    w.keys("F10");
    ASSERT_TRUE(waitFor({"Open"}));
    w.keys("Right");
    ASSERT_TRUE(waitFor({"Gray", "Live"}));
    w.keys("Enter");
    pause();
    EXPECT_EQ(smoke::readFile(log).find("command 602"), std::string::npos);
    w.keys("Down Enter");
    ASSERT_TRUE(waitFor({"Terminal Scenario - live"}, {"command 603"}));
    // Alt + a menu title's letter opens it; Esc closes the menu without closing the dialog.
    w.keys("M-f");
    ASSERT_TRUE(waitFor({"Open"}));
    w.keys("Escape");
    pause();
    EXPECT_EQ(smoke::readFile(log).find("close"), std::string::npos);
    EXPECT_EQ(w.screen().find("Open"), std::string::npos);

    // The help viewer shows the processing topic until q.
    w.keys("M-h");
    ASSERT_TRUE(waitFor({"FIXED ASSETS: DEPRECIATION AND AMORTIZATION - PROCESSING", "q or Esc closes"},
                        {"command 302"}));
    w.keys("PageDown");
    w.keys("q");
    ASSERT_TRUE(waitFor({"Terminal Scenario - live"}, {"help 0"}));

    // A nested dialog on top, without help of its own and no help for the session: F1 says so.
    // Enter presses its focused button and the outer dialog is back.
    w.keys("M-s");
    ASSERT_TRUE(waitFor({"Inner Dialog", "Nested on top", "Done"}, {"command 303"}));
    w.keys("F1");
    ASSERT_TRUE(waitFor({"No help for this window"}));
    w.keys("Enter");
    ASSERT_TRUE(waitFor({"Terminal Scenario - live"}, {"inner ended"}));
    EXPECT_EQ(w.screen().find("Inner Dialog"), std::string::npos);

    // A disabled button does not answer its letter.
    w.keys("M-o");
    pause();
    EXPECT_EQ(smoke::readFile(log).find("command 304"), std::string::npos);

    // Alt + a label's letter puts the focus on the list after it, which highlights its first
    // line; Down selects it, then the next, and scrolls.
    w.keys("M-l Down Down");
    ASSERT_TRUE(waitFor({}, {"select 204 0", "select 204 1"}));
    w.keys("End");
    ASSERT_TRUE(waitFor({"line 29"}, {"select 204 29"}));

    // Esc is the close box: the handler hears Close and the dialog ends.
    w.keys("Escape");
    ASSERT_TRUE(waitFor({}, {"close", "end 0", "exit 0"}));
    // Nothing else reached the handler: no stray command from a grayed entry, a disabled
    // button, the closed menu or the keys of the message box and the help viewer.
    EXPECT_EQ(smoke::readFile(log),
              "notify 201 []\nnotify 201 [A]\nnotify 201 [AB]\nnotify 202 []\nnotify 202 [x]\n"
              "notify 202 [xy]\ncommand 1\nnotify 201 [AB]\nnotify 201 [B]\nnotify 201 []\ncommand 203\nchecked 1\n"
              "command 301\nanswer no\ncommand 603\ncommand 302\nhelp 0\ncommand 303\ninner ended\n"
              "select 204 0\nselect 204 1\nselect 204 29\nclose\nend 0\nexit 0\n");
}

// The mouse: clicks on a check box, an edit box, a list line, a menu and its entry, buttons of
// the dialog, of a message box and of a nested dialog. Terminals report clicks in one of two
// forms, chosen by the terminal type.
class TerminalMouseOn : public ::testing::TestWithParam<const char*> {};

// Where a text stands on the screen (row and column from 0), {-1, -1} when it does not.
std::pair<int, int> locate(const std::string& screen, const std::string& text) {
    std::istringstream in(screen);
    std::string line;
    for (int row = 0; std::getline(in, line); ++row)
        if (const std::size_t col = line.find(text); col != std::string::npos) return {row, static_cast<int>(col)};
    return {-1, -1};
}

TEST_P(TerminalMouseOn, ClickedWithTheMouse) {
    ASSERT_TRUE(smoke::tmuxInstalled());
    dptest::TempClient dir;
    const std::string log = dir.code() + "/events.log";
    const std::string termType = GetParam();
    smoke::TmuxWindow w("dpmouse" + std::to_string(::getpid()) + termType);
    ASSERT_TRUE(startScenario(w, dir, log, termType));
    auto waitFor = [&](const std::vector<std::string>& onScreen, const std::vector<std::string>& inLog = {}) {
        return w.waitFor(onScreen, log, inLog);
    };
    const bool sgr = termType.rfind("xterm", 0) == 0;
    // Presses and releases the left button on a cell of the screen.
    auto clickAt = [&](int row, int col) {
        const int x = col + 1, y = row + 1;
        std::string press, release;
        if (sgr) {
            press = "\033[<0;" + std::to_string(x) + ";" + std::to_string(y) + "M";
            release = "\033[<0;" + std::to_string(x) + ";" + std::to_string(y) + "m";
        } else {
            press = std::string("\033[M ") + static_cast<char>(32 + x) + static_cast<char>(32 + y);
            release = std::string("\033[M#") + static_cast<char>(32 + x) + static_cast<char>(32 + y);
        }
        w.literal(press + release);
    };
    // ... on the first character of `text` plus `offset`.
    auto click = [&](const std::string& text, int offset = 0) {
        const auto [row, col] = locate(w.screen(), text);
        ASSERT_GE(row, 0) << text << "\n" << w.screen();
        clickAt(row, col + offset);
    };

    ASSERT_TRUE(waitFor({"Terminal Scenario", "[ ] Round", "line 3"}, {"notify 201 []"}));
    click("Round");
    ASSERT_TRUE(waitFor({"[X] Round"}, {"command 203", "checked 1"}));
    // The second box stands two rows under the first, which follows the label "Name".
    const auto [nameRow, nameCol] = locate(w.screen(), "Name");
    ASSERT_GE(nameRow, 0);
    {
        std::istringstream in(w.screen());
        std::string line;
        for (int r = 0; r <= nameRow + 2 && std::getline(in, line); ++r) {}
        const std::size_t field = line.find('[', static_cast<std::size_t>(nameCol));
        ASSERT_NE(field, std::string::npos) << line;
        clickAt(nameRow + 2, static_cast<int>(field) + 3);
    }
    ASSERT_TRUE(waitFor({}, {"notify 202 []"}));
    w.keys("q");
    ASSERT_TRUE(waitFor({"[q"}, {"notify 202 [q]"}));
    click("line 3");
    ASSERT_TRUE(waitFor({}, {"select 204 3"}));
    click("Edit", 0);
    ASSERT_TRUE(waitFor({"Live", "Gray"}));
    click("Gray");  // grayed: nothing happens, the menu stays open
    click("Live");
    ASSERT_TRUE(waitFor({"Terminal Scenario - live"}, {"command 603"}));
    click("Ask", 0);
    ASSERT_TRUE(waitFor({"Proceed ?"}, {"command 301"}));
    click("< No >", 2);
    ASSERT_TRUE(waitFor({}, {"answer no"}));
    click("Nested", 0);
    ASSERT_TRUE(waitFor({"Inner Dialog", "Done"}, {"command 303"}));
    click("Done");
    ASSERT_TRUE(waitFor({}, {"inner ended"}));
    w.keys("Escape");
    ASSERT_TRUE(waitFor({}, {"close", "end 0", "exit 0"}));
    EXPECT_EQ(smoke::readFile(log),
              "notify 201 []\ncommand 203\nchecked 1\nnotify 202 []\nnotify 202 [q]\nselect 204 3\n"
              "command 603\ncommand 301\nanswer no\ncommand 303\ninner ended\nclose\nend 0\nexit 0\n");
}

INSTANTIATE_TEST_SUITE_P(TerminalTypes, TerminalMouseOn, ::testing::Values("screen", "xterm"),
                         [](const auto& info) { return std::string(info.param); });

INSTANTIATE_TEST_SUITE_P(TerminalTypes, TerminalKeysOn,
                         ::testing::Values("screen", "tmux-256color", "xterm", "xterm-256color"),
                         [](const auto& info) {
                             std::string n = info.param;
                             for (char& c : n)
                                 if (c == '-') c = '_';
                             return n;
                         });

}  // namespace

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "entry/menu.h"
#include "entry/session.h"
#include "platform/backend.h"
#include "support/client_dir.h"

using dptest::ScriptRun;
using dptest::TempClient;

namespace {

std::string countLines(const std::string& text, const std::string& prefix, int& n) {
    n = 0;
    std::istringstream in(text);
    std::string line, last;
    while (std::getline(in, line))
        if (line.rfind(prefix, 0) == 0) {
            ++n;
            last = line;
        }
    return last;
}

}  // namespace

TEST(Menu, LayoutOfTheMenuDialog) {
    const platform::DialogTemplate t = dp::buildMenuDialog("ACME  ");
    EXPECT_EQ(t.caption, "Depreciation/Amortization Menu (ACME)");
    EXPECT_EQ(t.width, 340);
    EXPECT_EQ(t.height, 250);
    struct Want {
        int id;
        const char* text;
        int y;
    } buttons[] = {{401, "&Asset File Maintenance", 60}, {402, "Company File &Maintenance", 80},
                   {403, "Depreciation &Report", 100},    {404, "Close Current &Period", 120},
                   {406, "Amortization &Schedule", 140},  {407, "Print &Form 4562 page 1", 160},
                   {409, "E&xit Depreciation", 180}};
    ASSERT_EQ(t.controls.size(), 12u);
    for (std::size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(t.controls[i].kind, platform::ControlKind::Button);
        EXPECT_EQ(t.controls[i].id, buttons[i].id);
        EXPECT_EQ(t.controls[i].text, buttons[i].text);
        EXPECT_EQ(t.controls[i].x, 100);
        EXPECT_EQ(t.controls[i].y, buttons[i].y);
        EXPECT_EQ(t.controls[i].width, 140);
        EXPECT_EQ(t.controls[i].height, 16);
    }
    EXPECT_EQ(t.controls[7].kind, platform::ControlKind::Frame);
    EXPECT_EQ(t.controls[8].kind, platform::ControlKind::Icon);
    EXPECT_EQ(t.controls[9].id, 102);
    EXPECT_EQ(t.controls[9].textColour, 0xE8E8E8u);
    EXPECT_EQ(t.controls[10].id, 104);
    EXPECT_EQ(t.controls[10].text, "DEPRECIATION MENU");
    EXPECT_EQ(t.controls[11].kind, platform::ControlKind::HLine);
}

TEST(Menu, EveryButtonReturnsToAFreshMenuAndExitLeaves) {
    TempClient client;
    // The two maintenance dialogs are closed at once, the report refused for want of a fiscal
    // year end, the amortization dialog left with its "E&xit" (199), the form's printer choice
    // cancelled.
    ScriptRun run("click 401\nclick 199\nclick 402\nclick 301\nclick 403\nclick 404\nclick 406\n"
                  "click 199\nclick 407\nprinter cancel\nclick 409\n");
    EXPECT_EQ(dp::runMenu(client.code() + "  "), 0);
    int shown = 0;
    const std::string last = countLines(run.transcript(), "dialog: Depreciation/Amortization Menu", shown);
    EXPECT_EQ(shown, 7);
    EXPECT_EQ(last, "dialog: Depreciation/Amortization Menu (" + client.code() + ")");
    // Procedures receive the client code exactly as the host passed it.
    EXPECT_EQ(dp::session().clientCode, client.code() + "  ");
    EXPECT_EQ(dp::session().abortRequested, 0);
    // The asset maintenance creates a missing data directory: the one named with the blanks.
    std::error_code ec;
    std::filesystem::remove_all(client.code() + "  ", ec);
}

TEST(Menu, CloseBoxLeavesLikeExit) {
    ScriptRun run("close\n");
    EXPECT_EQ(dp::runMenu("X"), 0);
    EXPECT_EQ(run.transcript(), "dialog: Depreciation/Amortization Menu (X)\n");
}

TEST(Menu, UnknownControlOrEndedScriptStopsTheRun) {
    {
        ScriptRun run("click 405\n");
        EXPECT_THROW(dp::runMenu("X"), platform::ScriptStop);
    }
    {
        // The asset maintenance dialog is left open when the script ends; it works in a
        // directory of its own, since it creates a missing one.
        TempClient client;
        ScriptRun run("click 401\n");
        EXPECT_THROW(dp::runMenu(client.code()), platform::ScriptStop);
    }
}

namespace {

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

int runHost(const std::string& args) {
    const std::string cmd = std::string(DP_BINARY_DIR) + "/suite/dphost " + args;
    const int rc = std::system(cmd.c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

}  // namespace

TEST(Host, LoadsTheModuleAndPassesTheCodeWithItsBlanks) {
    TempClient client;
    const std::string script = client.path("script.txt"), transcript = client.path("transcript.txt");
    { std::ofstream(script) << "# leave at once\n\nclick 409\n"; }
    EXPECT_EQ(runHost("--script " + script + " --transcript " + transcript + " '" + client.code() + "  '"), 0);
    EXPECT_EQ(slurp(transcript), "dialog: Depreciation/Amortization Menu (" + client.code() + ")\n");
}

TEST(Host, ScriptThatEndsWithTheMenuOpenFailsClearly) {
    TempClient client;
    const std::string script = client.path("script.txt");
    { std::ofstream(script) << "click 401\n"; }
    EXPECT_NE(runHost("--script " + script + " --transcript /dev/null " + client.code() + " 2>/dev/null"), 0);
    EXPECT_EQ(runHost("--help >/dev/null"), 0);
    EXPECT_EQ(runHost(">/dev/null 2>&1"), 2);
}

TEST(Module, OnlyDpmenuIsExported) {
    const std::string cmd = "nm -D --defined-only " + std::string(DP_BINARY_DIR) + "/module/VELDRO.so";
    FILE* p = popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::vector<std::string> names;
    char buf[512];
    while (std::fgets(buf, sizeof buf, p)) {
        std::istringstream line(buf);
        std::string addr, type, name;
        line >> addr >> type >> name;
        if (!name.empty()) names.push_back(type + " " + name);
    }
    ASSERT_EQ(pclose(p), 0);
    ASSERT_EQ(names.size(), 1u) << ::testing::PrintToString(names);
    EXPECT_EQ(names[0], "T DPMENU");
}

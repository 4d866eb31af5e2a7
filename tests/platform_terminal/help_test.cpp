// The help viewer's command line, help text and pager, and starting other programs.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "../../platform/src/terminal_ui.h"
#include "platform/backend.h"
#include "support/client_dir.h"

namespace {

using platform::term::Key;

TEST(HelpCommand, RecognisesTheHelpViewer) {
    auto r = platform::term::parseHelpCommand("winhlp32 -I AppendixC writeup.hlp");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->topic, "AppendixC");
    EXPECT_EQ(r->file, "writeup.hlp");

    r = platform::term::parseHelpCommand("  WINHLP32.EXE   -iAppendixC  C:\\help\\writeup.hlp ");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->topic, "AppendixC");
    EXPECT_EQ(r->file, "C:\\help\\writeup.hlp");

    r = platform::term::parseHelpCommand("winhlp32 writeup.hlp");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->topic, "");
    EXPECT_EQ(r->file, "writeup.hlp");

    EXPECT_FALSE(platform::term::parseHelpCommand("winhlp32x writeup.hlp"));
    EXPECT_FALSE(platform::term::parseHelpCommand("echo winhlp32"));
    EXPECT_FALSE(platform::term::parseHelpCommand(""));
}

TEST(HelpCommand, TextFileName) {
    EXPECT_EQ(platform::term::helpTextName("writeup.hlp"), "writeup.txt");
    EXPECT_EQ(platform::term::helpTextName("WRITEUP.HLP"), "WRITEUP.txt");
    EXPECT_EQ(platform::term::helpTextName("writeup"), "writeup.txt");
    EXPECT_EQ(platform::term::helpTextName("notes.txt"), "notes.txt");
    EXPECT_EQ(platform::term::helpTextName("dir.v2/writeup"), "dir.v2/writeup.txt");
}

TEST(HelpCommand, SearchOrder) {
    EXPECT_EQ(platform::term::helpSearchDirs("/cwd", "/data", "/lib/veldro", "/usr/share/veldro"),
              (std::vector<std::string>{"/cwd", "/data", "/lib/veldro", "/usr/share/veldro"}));
    EXPECT_EQ(platform::term::helpSearchDirs("/cwd", "", "/cwd", ""), (std::vector<std::string>{"/cwd"}));
}

TEST(HelpText, TopicsAreCutOut) {
    const std::string text =
        "@topic Intro\r\nfirst topic\r\n\r\n@topic AppendixC\r\n\r\nHEADING\r\n  body line\r\n\r\n"
        "@topic Other\r\nother text\r\n";
    bool found = false;
    EXPECT_EQ(platform::term::helpTopicLines(text, "AppendixC", &found),
              (std::vector<std::string>{"HEADING", "  body line"}));
    EXPECT_TRUE(found);
    EXPECT_EQ(platform::term::helpTopicLines(text, "appendixc", &found).size(), 2u) << "names match in any case";
    // An unknown topic shows everything, without the topic lines.
    const auto all = platform::term::helpTopicLines(text, "Missing", &found);
    EXPECT_FALSE(found);
    EXPECT_EQ(all.front(), "first topic");
    EXPECT_EQ(all.back(), "other text");
    for (const std::string& l : all) EXPECT_EQ(l.find("@topic"), std::string::npos);
    // A file without topics is one text.
    EXPECT_EQ(platform::term::helpTopicLines("a\nb\n", "", &found), (std::vector<std::string>{"a", "b"}));
}

TEST(HelpText, WrappingKeepsIndentation) {
    const auto out = platform::term::wrapLines({"    one two three four five", "short", "", "abcdefghijklmnop"}, 14);
    EXPECT_EQ(out, (std::vector<std::string>{"    one two", "    three four", "    five", "short", "",
                                             "abcdefghijklmn", "op"}));
    EXPECT_EQ(platform::term::wrapLines({"a\tb"}, 20), (std::vector<std::string>{"a       b"}));
}

TEST(HelpText, PagerScrollStaysInTheText) {
    using platform::term::pagerScroll;
    EXPECT_EQ(pagerScroll(0, 100, 20, Key::Down), 1);
    EXPECT_EQ(pagerScroll(0, 100, 20, Key::Up), 0);
    EXPECT_EQ(pagerScroll(0, 100, 20, Key::PageDown), 19);
    EXPECT_EQ(pagerScroll(75, 100, 20, Key::PageDown), 80);
    EXPECT_EQ(pagerScroll(50, 100, 20, Key::End), 80);
    EXPECT_EQ(pagerScroll(50, 100, 20, Key::Home), 0);
    EXPECT_EQ(pagerScroll(10, 100, 20, Key::PageUp), 0);
    EXPECT_EQ(pagerScroll(5, 10, 20, Key::Down), 0) << "a short text does not scroll";
    EXPECT_EQ(pagerScroll(95, 100, 20, Key::None), 80) << "a wider window pulls the text back";
}

// The help text shipped with the module: the processing topic is there and covers the work.
TEST(HelpText, ShippedHelpFileHasTheProcessingTopic) {
    std::ifstream in(std::string(DP_SOURCE_DIR) + "/data/writeup.txt", std::ios::binary);
    ASSERT_TRUE(in);
    std::stringstream s;
    s << in.rdbuf();
    bool found = false;
    const auto lines = platform::term::helpTopicLines(s.str(), "AppendixC", &found);
    EXPECT_TRUE(found);
    std::string all;
    for (const std::string& l : lines) {
        EXPECT_LE(l.size(), 78u) << l;
        all += l + "\n";
    }
    for (const char* needle : {"Asset File Maintenance", "SL ", "Dxxx", "Bxxx", "\n  E ", "\n  F ", "An ", "Gn ",
                               "Hn ", "Manual", "Depreciation Report", "Close Current Period",
                               "Amortization Schedule", "Form 4562"})
        EXPECT_NE(all.find(needle), std::string::npos) << needle;
}

// Other command lines run through the shell, also without a terminal.
TEST(RunAndWait, ReturnsTheExitCode) {
    auto b = platform::makeTerminalBackend();
    EXPECT_EQ(b->runAndWait("exit 0"), 0);
    EXPECT_EQ(b->runAndWait("exit 3"), 3);
    EXPECT_EQ(b->runAndWait("this-command-does-not-exist-anywhere 2>/dev/null"), 127);
    EXPECT_EQ(b->runAndWait("kill -TERM $$"), 128 + 15);
    dptest::TempClient dir;
    const std::string mark = dir.path("dp_run_mark");
    EXPECT_EQ(b->runAndWait("echo ran > '" + mark + "'"), 0);
    std::ifstream in(mark);
    std::string word;
    in >> word;
    EXPECT_EQ(word, "ran") << "the command has ended before runAndWait returns";
}

}  // namespace

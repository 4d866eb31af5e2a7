// The help text the terminal's pager and the Windows help window show: found in the first place
// that has it, cut to its topic, and where it is missing, where it was looked for.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "../../platform/src/help_text.h"
#include "platform/files.h"
#include "support/client_dir.h"

using dptest::TempClient;

namespace {

const std::string kText = "@topic Intro\r\nfirst\r\n@topic AppendixC\r\n\r\nPROCESSING\r\n  step one\r\n";

void write(const TempClient& dir, const std::string& name, const std::string& text) {
    dir.writeBytes(name, std::vector<unsigned char>(text.begin(), text.end()));
}

TEST(HelpText, TheTopicFromTheFirstPlaceThatHasTheText) {
    TempClient first, second;
    write(second, "writeup.txt", kText);
    write(first, "WRITEUP.TXT", "@topic AppendixC\r\nFROM THE FIRST PLACE  \r\n\r\n  text\r\n");
    const platform::HelpText t = platform::findHelpText({"AppendixC", "writeup.hlp"}, {first.code(), second.code()});
    EXPECT_TRUE(t.found);
    EXPECT_EQ(t.title, "FROM THE FIRST PLACE") << "titled with the topic's heading";
    EXPECT_EQ(t.lines, (std::vector<std::string>{"  text"})) << "any letter case of the name; the heading in the title only";
}

TEST(HelpText, AMissingTopicShowsTheWholeTextWithANote) {
    TempClient dir;
    write(dir, "writeup.txt", kText);
    const platform::HelpText t = platform::findHelpText({"Missing", "writeup.hlp"}, {dir.code()});
    EXPECT_TRUE(t.found);
    EXPECT_EQ(t.title, "Help - writeup.txt");
    ASSERT_GE(t.lines.size(), 3u);
    EXPECT_EQ(t.lines[0], "(The topic Missing is not in writeup.txt; the whole help text follows.)");
    EXPECT_EQ(t.lines[2], "first");
    EXPECT_EQ(t.lines.back(), "  step one");
}

TEST(HelpText, WithoutTheTextItSaysWhereItLooked) {
    TempClient a, b;
    const platform::HelpText t = platform::findHelpText({"AppendixC", "writeup.hlp"}, {a.code(), b.code()});
    EXPECT_FALSE(t.found);
    EXPECT_EQ(t.title, "Help - help file not found");
    const std::string all = [&] {
        std::string s;
        for (const std::string& l : t.lines) s += l + "\n";
        return s;
    }();
    EXPECT_NE(all.find("writeup.txt"), std::string::npos);
    EXPECT_NE(all.find("    " + a.code() + "\n    " + b.code() + "\n"), std::string::npos) << all;
}

TEST(HelpText, AHelpFileLargerThanAnyHelpTextIsNotRead) {
    TempClient dir;
    write(dir, "writeup.txt", kText);
    std::filesystem::resize_file(dir.path("writeup.txt"), (std::uintmax_t{4} << 20) + 1);
    const platform::HelpText t = platform::findHelpText({"AppendixC", "writeup.hlp"}, {dir.code()});
    EXPECT_FALSE(t.found);
    EXPECT_EQ(t.title, "Help - help file cannot be read");
    ASSERT_EQ(t.lines.size(), 1u);
    EXPECT_EQ(t.lines[0].rfind("The help file " + platform::resolvePath(dir.code(), "writeup.txt") + " cannot be read: ", 0), 0u)
        << t.lines[0];
}

TEST(HelpText, LinesSplitAtEveryKindOfLineEnd) {
    EXPECT_EQ(platform::splitTextLines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(platform::splitTextLines(""), (std::vector<std::string>{""}));
    EXPECT_EQ(platform::splitTextLines("a\r\n"), (std::vector<std::string>{"a"}));
}

}  // namespace

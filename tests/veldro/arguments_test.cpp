// The command line: what each command takes, and what is refused as wrong arguments.
#include <gtest/gtest.h>

#include "arguments.h"

namespace veldro {
namespace {

std::vector<std::string> split(const std::string& s) {
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at < s.size()) {
        const std::size_t end = s.find(' ', at);
        out.push_back(s.substr(at, end - at));
        at = end == std::string::npos ? s.size() : end + 1;
    }
    return out;
}

TEST(Arguments, WrongArgumentsAreNamed) {
    const struct {
        const char* line;
        const char* error;
    } cases[] = {
        {"", "name a command"},
        {"list SAMPLE", "unknown command list"},
        {"export", "name the client"},
        {"export A B", "B is one argument too many"},
        {"export A --format xml", "--format is csv or json, not xml"},
        {"export A --years 3", "unknown option --years"},
        {"export A -o", "-o needs a value"},
        {"import A", "name the CSV file"},
        {"import A f.csv --basis book", "unknown option --basis"},
        {"import A f.csv -o out.csv", "unknown option -o"},
        {"import A f.csv --replace", "unknown option --replace"},
        {"project A --basis both", "--basis is book or tax, not both"},
        {"project A --years 0", "--years is a number of years from 1 to 100, not 0"},
        {"project A --years 101", "from 1 to 100"},
        {"project A --years x", "from 1 to 100"},
        {"project A --format pdf", "--format pdf needs -o FILE.pdf"},
        {"project A --format html", "--format is text, csv or pdf"},
        {"report A", "the report needs its date"},
        {"report A --date 12312004 -o out.doc", "-o names a .txt, .pdf or .csv file"},
        {"report A --date 12312004 --dry-run", "unknown option --dry-run"},
    };
    for (const auto& c : cases) {
        const ParsedArguments p = parseArguments(split(c.line));
        EXPECT_NE(p.error.find(c.error), std::string::npos) << c.line << " gave: " << p.error;
    }
}

TEST(Arguments, EachCommandReadsItsOptions) {
    ParsedArguments p = parseArguments(split("project SAMPLE --basis book --years 40 --format csv -o p.csv"));
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.arguments.command, Command::Project);
    EXPECT_EQ(p.arguments.client, "SAMPLE");
    EXPECT_EQ(p.arguments.basis, 'B');
    EXPECT_EQ(p.arguments.years, 40);
    EXPECT_EQ(p.arguments.format, "csv");
    EXPECT_EQ(p.arguments.output, "p.csv");

    p = parseArguments(split("import NEW assets.csv --dry-run"));
    EXPECT_EQ(p.arguments.file, "assets.csv");
    EXPECT_TRUE(p.arguments.dryRun);

    p = parseArguments(split("report SAMPLE --date 12/31/2004 --whole-dollars -o Out.PDF"));
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.arguments.date, "12/31/2004");
    EXPECT_TRUE(p.arguments.wholeDollars);
    EXPECT_EQ(p.arguments.basis, 'T');  // the report's options start on the tax basis
    EXPECT_EQ(p.arguments.format, "pdf");

    p = parseArguments(split("export SAMPLE"));
    EXPECT_EQ(p.arguments.format, "csv");
    EXPECT_EQ(p.arguments.output, "");
    EXPECT_FALSE(p.arguments.replace);
    EXPECT_EQ(p.arguments.waitSeconds, 5);  // as long as the menu waits

    p = parseArguments(split("export SAMPLE -o a.csv --replace --wait 3600"));
    ASSERT_EQ(p.error, "");
    EXPECT_TRUE(p.arguments.replace);
    EXPECT_EQ(p.arguments.waitSeconds, 3600);
    EXPECT_NE(parseArguments(split("export SAMPLE --wait 3601")).error.find("from 0 to 3600, not 3601"), std::string::npos);
}

TEST(Arguments, HelpForTheProgramAndEachCommand) {
    EXPECT_EQ(parseArguments(split("--help")).arguments.helpText.rfind("Usage: veldro COMMAND", 0), 0u);
    for (const char* c : {"export", "import", "project", "report"}) {
        const ParsedArguments p = parseArguments(split(std::string(c) + " --help"));
        EXPECT_EQ(p.error, "");
        EXPECT_EQ(p.arguments.command, Command::Help);
        EXPECT_EQ(p.arguments.helpText.rfind(std::string("Usage: veldro ") + c, 0), 0u) << c;
        EXPECT_EQ(parseArguments(split(std::string("help ") + c)).arguments.helpText, p.arguments.helpText);
    }
}

}  // namespace
}  // namespace veldro

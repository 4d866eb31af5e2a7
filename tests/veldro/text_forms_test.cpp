// The text forms the tool reads and writes: CSV records with the lines they start on, and code
// page 437 against UTF-8.
#include <gtest/gtest.h>

#include "cp437_text.h"
#include "csv.h"

namespace veldro {
namespace {

struct CsvCase {
    const char* name;
    std::string text;
    std::vector<std::vector<std::string>> fields;
    std::vector<int> lines;
};

TEST(Csv, RecordsAndTheLinesTheyStartOn) {
    const std::vector<CsvCase> cases = {
        {"plain, CR LF", "a,b\r\n1,2\r\n", {{"a", "b"}, {"1", "2"}}, {1, 2}},
        {"LF and no last line end", "a,b\n1,2", {{"a", "b"}, {"1", "2"}}, {1, 2}},
        {"CR alone", "a\r1\r", {{"a"}, {"1"}}, {1, 2}},
        {"byte order mark", "\xEF\xBB\xBF" "a,b\n", {{"a", "b"}}, {1}},
        {"quoted comma and quote", "\"x, \"\"y\"\"\",z\n", {{"x, \"y\"", "z"}}, {1}},
        {"line break inside quotes", "\"two\r\nlines\",b\nc,d\n", {{"two\r\nlines", "b"}, {"c", "d"}}, {1, 3}},
        {"empty fields", ",,\n\n", {{"", "", ""}, {""}}, {1, 2}},
        {"blanks kept", " a , b\n", {{" a ", " b"}}, {1}},
    };
    for (const CsvCase& c : cases) {
        const CsvTable t = readCsv(c.text);
        EXPECT_TRUE(t.problems.empty()) << c.name;
        ASSERT_EQ(t.records.size(), c.fields.size()) << c.name;
        for (std::size_t i = 0; i < c.fields.size(); ++i) {
            EXPECT_EQ(t.records[i].fields, c.fields[i]) << c.name;
            EXPECT_EQ(t.records[i].line, c.lines[i]) << c.name;
        }
    }
}

TEST(Csv, ARecordThatCannotBeReadIsAProblemOfItsLineAndTheRestIsRead) {
    const CsvTable after = readCsv("a,b\n\"x\"y,2\n3,4\n");
    ASSERT_EQ(after.problems.size(), 1u);
    EXPECT_EQ(after.problems[0].line, 2);
    EXPECT_NE(after.problems[0].text.find("after the closing quote"), std::string::npos);
    ASSERT_EQ(after.records.size(), 2u);
    EXPECT_EQ(after.records[1].line, 3);

    const CsvTable open = readCsv("a\n1\n\"never\nends\n");
    ASSERT_EQ(open.problems.size(), 1u);
    EXPECT_EQ(open.problems[0].line, 3);
    EXPECT_NE(open.problems[0].text.find("never ends"), std::string::npos);
}

TEST(Csv, WhatIsWrittenReadsBackTheSame) {
    const std::vector<std::string> fields = {"", "plain", "a,b", "say \"hi\"", "two\r\nlines", " lead", "trail ", "-1.5"};
    EXPECT_EQ(csvLine({"a", "b,c", "\"q\""}), "a,\"b,c\",\"\"\"q\"\"\"\r\n");
    const CsvTable t = readCsv(csvLine(fields) + csvLine(fields));
    ASSERT_EQ(t.records.size(), 2u);
    EXPECT_EQ(t.records[0].fields, fields);
    EXPECT_EQ(t.records[1].line, 3);  // the line break inside the fifth field
}

TEST(Cp437, EveryPrintableByteGoesToUtf8AndBack) {
    std::string all;
    for (int b = 32; b < 256; ++b)
        if (b != 127) all += static_cast<char>(b);
    const StoredText back = utf8ToCp437(cp437ToUtf8(all));
    EXPECT_EQ(back.refusal, "");
    EXPECT_EQ(back.bytes, all);
    EXPECT_EQ(back.characters, static_cast<int>(all.size()));
    EXPECT_EQ(cp437ToUtf8("Caf\x82 \xAE\xAB\xAF"), "Café «½»");
    EXPECT_EQ(cp437ToUtf8(std::string("A\0B", 3)), "A B");  // NUL padding of old files
}

TEST(Cp437, WhatTheRegisterCannotHoldIsRefusedWithTheReason) {
    const struct {
        std::string text;
        const char* why;
    } cases[] = {
        {"Price \xE2\x82\xAC" "5", "U+20AC"},     // the euro sign has no place in code page 437
        {"\xE6\xBC\xA2", "code page 437"},
        {"tab\there", "tab"},
        {"line\nbreak", "line break"},
        {"bell\x07", "U+0007"},
        {"\xC2\x85", "U+0085"},                 // a C1 control character
        {"\xC3", "not UTF-8"},                  // cut short
        {"\xC0\xAF", "not UTF-8"},              // an overlong "/"
        {"\xED\xA0\x80", "not UTF-8"},          // a surrogate
        {"Caf\xE9", "not UTF-8"},               // Latin-1, not UTF-8
    };
    for (const auto& c : cases) {
        const StoredText s = utf8ToCp437(c.text);
        EXPECT_NE(s.refusal.find(c.why), std::string::npos) << c.text << ": " << s.refusal;
    }
}

}  // namespace
}  // namespace veldro

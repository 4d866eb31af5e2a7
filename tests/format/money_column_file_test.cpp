#include <gtest/gtest.h>

#include <string>

#include "format/number_format.h"
#include "platform/files.h"
#include "support/client_dir.h"

namespace dp {
namespace {

// The money column goes onto the current report line: no line end, and the column rule of the
// report file advances by exactly eleven.
TEST(PrintMoneyColumnTest, AppendsElevenCharactersToTheReportLine) {
    dptest::TempClient client;
    const std::string path = client.path("report.txt");
    {
        platform::TextFile f;
        ASSERT_TRUE(f.create(path));
        f.column(44);
        printMoneyColumn(f, 1234567.5);
        EXPECT_EQ(f.currentColumn(), 55);
        printMoneyColumn(f, Cents::fromUnits(99999999));
        printMoneyColumn(f, -0.001);
        printMoneyColumn(f, Cents::fromUnits(-10000000));
        EXPECT_EQ(f.currentColumn(), 88);
        f.crlf();
        f.close();
    }
    const auto bytes = client.bytes("report.txt");
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(text, std::string(43, ' ') + "1234567.50 " + "999,999.99 " + "      0.00 " + "-100000.00 " + "\r\n");
}

}  // namespace
}  // namespace dp

#include <gtest/gtest.h>

#include "engine/dates.h"

namespace {

struct NormalizeCase {
    const char* typed;
    const char* normalised;
};

TEST(NormalizeDate, TypedAndStoredForms) {
    const NormalizeCase cases[] = {
        {"12312004", "12312004"},
        {"123104", "12312004"},     // YY below 50: 20YY
        {"123199", "12311999"},     // otherwise 19YY
        {"123150", "12311950"},
        {"123149", "12312049"},
        {"10598", "01051998"},      // stored without the month's zero
        {"1052004", "01052004"},
        {"12/31/2004", "12312004"},
        {"12-31-2004", "12312004"},
        {"12/5/2004", "12052004"},  // a one-digit day gets its zero
        {"1/5/2004", "01052004"},
        {"1/5/04", "01052004"},
        {"1-5-99", "01051999"},
        {"12/31/2004/7", "12312004"},  // parts after the third are dropped
        {"", ""},
        {"abc", "abc"},
        {"12/", "12"},
    };
    for (const auto& c : cases) EXPECT_EQ(dp::normalizeDate(c.typed), c.normalised) << c.typed;
}

TEST(DateSerials, OrderDaysAndCountMonths) {
    // Day numbers step by one over month and year ends, and count the leap day.
    EXPECT_EQ(dp::daySerial("01012005") - dp::daySerial("12312004"), 1);
    EXPECT_EQ(dp::daySerial("03012004") - dp::daySerial("02282004"), 2);  // 2004 is a leap year
    EXPECT_EQ(dp::daySerial("03012005") - dp::daySerial("02282005"), 1);
    EXPECT_EQ(dp::daySerial("12312005") - dp::daySerial("12312004"), 365);
    EXPECT_EQ(dp::daySerial("12312004") - dp::daySerial("12312003"), 366);
    EXPECT_LT(dp::daySerial("12311986"), dp::daySerial("01011987"));

    EXPECT_EQ(dp::monthSerial("03102004"), 12 * 2004 + 3);
    EXPECT_EQ(dp::monthSerial("12312004") - dp::monthSerial("01012004"), 11);
}

TEST(DateSerials, NonNumericPartsCountAsZero) {
    EXPECT_EQ(dp::monthSerial("ab12cdef"), 0);
    EXPECT_EQ(dp::splitDate("1x3y2004").month, 1);
    EXPECT_EQ(dp::splitDate("1x3y2004").day, 3);
    EXPECT_EQ(dp::splitDate("").year, 0);
    // Long digit runs are capped, so serials stay within 32 bits.
    EXPECT_EQ(dp::splitDate("12319999999999999999").year, 999999);
    EXPECT_GT(dp::daySerial("99999999999999"), 0);
}

TEST(ReportPeriod, MonthsOfTheFiscalYearUpToTheReportDate) {
    EXPECT_EQ(dp::reportPeriodMonths("12312004", "12312004"), 12);
    EXPECT_EQ(dp::reportPeriodMonths("01312004", "12312004"), 1);
    EXPECT_EQ(dp::reportPeriodMonths("06302004", "06302004"), 12);
    EXPECT_EQ(dp::reportPeriodMonths("07312003", "06302004"), 1);
    // One month after the fiscal year end, or twelve months before it, lies outside.
    EXPECT_EQ(dp::reportPeriodMonths("01312005", "12312004"), 13);
    EXPECT_EQ(dp::reportPeriodMonths("12312003", "12312004"), 0);
}

}  // namespace

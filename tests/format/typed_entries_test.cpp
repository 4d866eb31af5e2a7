// The two readings of what is typed: numbers (money, rates, lives, counts) and dates. What reads
// whole keeps its value; anything the leading-number reading would stop short in is refused.
#include <gtest/gtest.h>

#include <cstring>

#include "format/number_format.h"
#include "format/typed_entries.h"

namespace dp {
namespace {

TEST(TypedNumber, ReadsWhatItSaysAndRefusesTheRest) {
    const struct {
        const char* text;
        NumberRefusal refusal;
        double value;
    } cases[] = {
        // Grouped money and a leading "$", read as what they say.
        {"12,500.00", NumberRefusal::None, 12500},
        {"$1,500.00", NumberRefusal::None, 1500},
        {"25,000", NumberRefusal::None, 25000},
        {"1,234,567.89", NumberRefusal::None, 1234567.89},
        {"-$1,500", NumberRefusal::None, -1500},
        {"$-1,500", NumberRefusal::None, -1500},
        {"+$5", NumberRefusal::None, 5},
        {"$.50", NumberRefusal::None, 0.5},
        {"  18000  ", NumberRefusal::None, 18000},
        {"\t7.5", NumberRefusal::None, 7.5},
        {"100", NumberRefusal::None, 100},
        {"1500.", NumberRefusal::None, 1500},
        {".25", NumberRefusal::None, 0.25},
        {"-0", NumberRefusal::None, 0},
        {"1.5E3", NumberRefusal::None, 1500},
        {"2D2", NumberRefusal::None, 200},
        {"1e-400", NumberRefusal::None, 0},
        // The refused texts, and their relatives.
        {"1 500", NumberRefusal::NotANumber, 0},
        {"12O.00", NumberRefusal::NotANumber, 0},
        {"1500-", NumberRefusal::NotANumber, 0},
        {"(200)", NumberRefusal::NotANumber, 0},
        {"abc", NumberRefusal::NotANumber, 0},
        {"five", NumberRefusal::NotANumber, 0},
        {"U", NumberRefusal::NotANumber, 0},
        {" U", NumberRefusal::NotANumber, 0},
        {"8%", NumberRefusal::NotANumber, 0},
        {"6th", NumberRefusal::NotANumber, 0},
        {"1E", NumberRefusal::NotANumber, 0},
        {"1e+", NumberRefusal::NotANumber, 0},
        {"$1e3", NumberRefusal::NotANumber, 0},
        {"1,000e3", NumberRefusal::NotANumber, 0},
        {"-", NumberRefusal::NotANumber, 0},
        {"$", NumberRefusal::NotANumber, 0},
        {".", NumberRefusal::NotANumber, 0},
        {"--5", NumberRefusal::NotANumber, 0},
        {"$$5", NumberRefusal::NotANumber, 0},
        {"5$", NumberRefusal::NotANumber, 0},
        {"1.2.3", NumberRefusal::NotANumber, 0},
        {"12,50", NumberRefusal::MisplacedGrouping, 0},
        {"1,5000", NumberRefusal::MisplacedGrouping, 0},
        {"1234,567", NumberRefusal::MisplacedGrouping, 0},
        {",500", NumberRefusal::MisplacedGrouping, 0},
        {"1,500,00", NumberRefusal::MisplacedGrouping, 0},
        {"1,,500", NumberRefusal::MisplacedGrouping, 0},
        {"1.500,00", NumberRefusal::MisplacedGrouping, 0},
        {"1,", NumberRefusal::MisplacedGrouping, 0},
        {"1e400", NumberRefusal::TooLarge, 0},
    };
    for (const auto& c : cases) {
        const TypedNumber r = readTypedNumber(c.text);
        EXPECT_EQ(r.refusal, c.refusal) << c.text;
        EXPECT_EQ(r.value, c.value) << c.text;
        EXPECT_FALSE(r.empty) << c.text;
    }
}

TEST(TypedNumber, EmptyIsZeroAndSaysSo) {
    for (const char* t : {"", "   ", "\t"}) {
        const TypedNumber r = readTypedNumber(t);
        EXPECT_TRUE(r.ok());
        EXPECT_TRUE(r.empty);
        EXPECT_EQ(r.value, 0);
    }
}

// Whatever the dialogs' leading-number reading read to its end keeps its value bit for bit, so
// stored figures shown and saved again, and every earlier entry, stay what they were.
TEST(TypedNumber, TextThatReadWholeKeepsItsValue) {
    const char* const texts[] = {"0.1",   "10.456", "1234.567", "0.1234", "1.175",       "-3.5",        "7",
                                 "1e300", "1.5e-7", "12345678901234567890", "0.30000000000000004", "+2.",
                                 "1.7976931348623157e308", "4.9e-324", "-0.000001"};
    for (const char* t : texts) {
        const TypedNumber r = readTypedNumber(t);
        ASSERT_TRUE(r.ok()) << t;
        const double before = leadingNumber(t);
        EXPECT_EQ(std::memcmp(&r.value, &before, sizeof before), 0) << t;
    }
    // The amounts the maintenance dialog shows (mask "#.00") read back as themselves.
    for (double v : {0.0, 12.5, 1234567.89, -40.25, 99999999999.99}) {
        const std::string shown = formatNumber(v, "#.00");
        EXPECT_EQ(readTypedNumber(shown).value, leadingNumber(shown)) << shown;
    }
}

TEST(TypedNumber, RefusalsSayWhatIsWrong) {
    EXPECT_EQ(numberRefusalText(" 12O.00 ", NumberRefusal::NotANumber).rfind("\"12O.00\" is not a number.", 0), 0u);
    EXPECT_NE(numberRefusalText("12,50", NumberRefusal::MisplacedGrouping).find("in threes"), std::string::npos);
    EXPECT_EQ(numberRefusalText("1e999", NumberRefusal::TooLarge), "\"1e999\" is too large a number.");
    EXPECT_EQ(numberRefusalText("5", NumberRefusal::None), "");
}

TEST(TypedDate, AcceptedFormsAndStoredForms) {
    const struct {
        const char* text;
        const char* mmddyyyy;
        const char* asTyped;
    } cases[] = {
        {"03/15/2004", "03152004", "03152004"},
        {"03-15-2004", "03152004", "03152004"},
        {"3/15/04", "03152004", "031504"},
        {"03/15/04", "03152004", "031504"},
        {"3-5-04", "03052004", "030504"},
        {"031504", "03152004", "031504"},
        {"03152004", "03152004", "03152004"},
        {"31504", "03152004", "031504"},          // the month's leading zero left out
        {"3152004", "03152004", "03152004"},
        {"010598", "01051998", "010598"},
        {"10598", "01051998", "010598"},
        {" 12/31/2004 ", "12312004", "12312004"},
        {"123149", "12312049", "123149"},         // below 50: this century
        {"123150", "12311950", "123150"},
        {"02/29/2004", "02292004", "02292004"},
        {"02/29/2000", "02292000", "02292000"},
        {"12/31/2099", "12312099", "12312099"},
        {"01/01/1900", "01011900", "01011900"},
    };
    for (const auto& c : cases) {
        const TypedDate d = readTypedDate(c.text);
        ASSERT_TRUE(d.ok()) << c.text;
        EXPECT_FALSE(d.empty);
        EXPECT_EQ(d.mmddyyyy(), c.mmddyyyy) << c.text;
        EXPECT_EQ(d.asTyped(), c.asTyped) << c.text;
        EXPECT_EQ(d.mmddyy(), std::string(c.mmddyyyy).substr(0, 4) + std::string(c.mmddyyyy).substr(6)) << c.text;
    }
}

TEST(TypedDate, NotCalendarDatesAreRefusedWithTheReason) {
    const struct {
        const char* text;
        DateRefusal refusal;
        const char* says;
    } cases[] = {
        {"13/45/2004", DateRefusal::NoSuchMonth, "there is no month 13"},
        {"13/01/2004", DateRefusal::NoSuchMonth, "there is no month 13"},
        {"00/10/2004", DateRefusal::NoSuchMonth, "there is no month 0"},
        {"02/30/2004", DateRefusal::NoSuchDay, "February 2004 has 29 days"},
        {"02/29/2003", DateRefusal::NoSuchDay, "February 2003 has 28 days"},
        {"02/29/1900", DateRefusal::NoSuchDay, "February 1900 has 28 days"},
        {"04/31/2004", DateRefusal::NoSuchDay, "April 2004 has 30 days"},
        {"01/00/2004", DateRefusal::NoSuchDay, "January 2004 has 31 days"},
        {"01/01/2100", DateRefusal::YearOutOfRange, "from 1900 to 2099"},
        {"01/01/0204", DateRefusal::YearOutOfRange, "from 1900 to 2099"},
        {"3", DateRefusal::NotADate, "month first"},
        {"1231", DateRefusal::NotADate, "is not a date"},
        {"123456789", DateRefusal::NotADate, "is not a date"},
        {"3/15/204", DateRefusal::NotADate, "is not a date"},
        {"3/15", DateRefusal::NotADate, "is not a date"},
        {"3/15/04/1", DateRefusal::NotADate, "is not a date"},
        {"3/15-04", DateRefusal::NotADate, "is not a date"},
        {"003/15/04", DateRefusal::NotADate, "is not a date"},
        {"3//04", DateRefusal::NotADate, "is not a date"},
        {"March 15", DateRefusal::NotADate, "is not a date"},
        {"12.31.04", DateRefusal::NotADate, "is not a date"},
        {"S", DateRefusal::NotADate, "is not a date"},
        {"-123104", DateRefusal::NotADate, "is not a date"},
    };
    for (const auto& c : cases) {
        const TypedDate d = readTypedDate(c.text);
        EXPECT_EQ(d.refusal, c.refusal) << c.text;
        const std::string says = dateRefusalText(c.text, d);
        EXPECT_EQ(says.rfind("\"" + std::string(c.text) + "\" is not a date", 0), 0u) << says;
        EXPECT_NE(says.find(c.says), std::string::npos) << says;
    }
}

TEST(TypedDate, EmptyIsNoDate) {
    const TypedDate d = readTypedDate("   ");
    EXPECT_TRUE(d.ok());
    EXPECT_TRUE(d.empty);
    EXPECT_EQ(dateRefusalText("", d), "");
}

}  // namespace
}  // namespace dp

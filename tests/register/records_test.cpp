#include <gtest/gtest.h>

#include <cstring>

#include "register/records.h"

using namespace dp;

TEST(AssetRecordLayout, FieldsLandAtTheirOffsets) {
    AssetRecord r;
    r.AssetNumber = "AB1   ";
    r.Description = fixedText("Delivery truck", 35);
    date6FromText(r.DateAcquired, "031004", false);
    date6FromText(r.DateSold, "", true);
    r.Book.Method = "B200";
    r.Book.Rate = 5;
    r.Book.Manual = 'N';
    r.Book.Cost = 10000;
    r.Tax.Cancelled = 12.5;
    r.Tax.Code4562 = "19    ";
    const auto b = r.encode();
    ASSERT_EQ(b.size(), 219u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data()), 6), "AB1   ");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + 6), 14), "Delivery truck");
    // 031004 is stored as the int32 31004 followed by two NULs.
    EXPECT_EQ(b[41], 31004 & 0xFF);
    EXPECT_EQ(b[42], (31004 >> 8) & 0xFF);
    EXPECT_EQ(b[43], 0);
    EXPECT_EQ(b[45], 0);
    for (int i = 47; i < 53; ++i) EXPECT_EQ(b[i], 0) << i;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + 53), 4), "B200");
    // Rate 5.0 as little-endian IEEE double: 00 00 00 00 00 00 14 40.
    const unsigned char five[8] = {0, 0, 0, 0, 0, 0, 0x14, 0x40};
    EXPECT_EQ(std::memcmp(b.data() + 57, five, 8), 0);
    EXPECT_EQ(b[65], 'N');
    EXPECT_EQ(getDouble(b.data() + 66), 10000.0);
    EXPECT_EQ(getDouble(b.data() + 136 + 69), 12.5);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + 136 + 77), 6), "19    ");
    const AssetRecord back = AssetRecord::decode(b);
    EXPECT_EQ(back.encode(), b);
}

TEST(AssetRecordLayout, ARecordReadOverAnotherKeepsNothingOfIt) {
    AssetRecord longer;
    longer.AssetNumber = "LONGER";
    longer.Description = std::string(35, 'L');
    longer.Book.Method = "D150";
    longer.Tax.Code4562 = "111111";
    longer.Tax.Cost = 5;
    // Texts shorter or longer than their fields, NUL bytes kept as stored.
    AssetRecord odd;
    odd.AssetNumber = std::string("A\0", 2);
    odd.Description = std::string(40, 'x');
    odd.Book.Method = "SL";
    odd.Tax.Code4562 = "";
    odd.Tax.Cost = 7.25;
    AssetRecord::Bytes stored;
    stored.fill(0xEE);
    odd.encodeTo(stored.data());
    EXPECT_EQ(stored, odd.encode());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(stored.data()), 6), std::string("A\0    ", 6));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(stored.data() + 6), 35), std::string(35, 'x'));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(stored.data() + 53), 4), "SL  ");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(stored.data() + 136 + 77), 6), "      ");
    AssetRecord reused = longer;
    reused.decodeFrom(stored.data());
    const AssetRecord fresh = AssetRecord::decode(stored);
    EXPECT_EQ(reused.AssetNumber, fresh.AssetNumber);
    EXPECT_EQ(reused.Description, fresh.Description);
    EXPECT_EQ(reused.Book.Method, "SL  ");
    EXPECT_EQ(reused.Tax.Code4562, "      ");
    EXPECT_EQ(reused.Tax.Cost, 7.25);
    EXPECT_EQ(reused.encode(), stored);
}

TEST(IndexEntryLayout, NumberThenLittleEndianRecord) {
    IndexEntry e;
    e.AssetNumber = "X9";
    e.RecordNumber = 0x1234;
    const auto b = e.encode();
    const unsigned char want[8] = {'X', '9', ' ', ' ', ' ', ' ', 0x34, 0x12};
    EXPECT_EQ(std::memcmp(b.data(), want, 8), 0);
    EXPECT_EQ(IndexEntry::decode(b).RecordNumber, 0x1234);
}

TEST(CompanyLayout, ThreeRecordsWithDate6c) {
    CompanyRecord c;
    c.CompanyName = fixedText("Acme", 25);
    c.FiscalYearEnd = date6cFromText("12312003");
    c.Activity = fixedText("Retail", 50);
    c.CurrentPeriod = date6cFromText("06302003");
    c.IdNumber = fixedText("12-3456789", 11);
    c.CompanyName2 = fixedText("Second line", 25);
    const auto r1 = c.encodeRecord(1), r2 = c.encodeRecord(2), r3 = c.encodeRecord(3);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(r1.data() + 75), 4), "1231");
    EXPECT_EQ(getInt16(r1.data() + 79), 2003);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(r2.data() + 50), 4), "0630");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(r2.data() + 56), 11), "12-3456789 ");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(r3.data()), 11), "Second line");
    CompanyRecord d;
    d.decodeRecord(1, r1);
    d.decodeRecord(2, r2);
    d.decodeRecord(3, r3);
    EXPECT_EQ(date6cToText(d.FiscalYearEnd), "12312003");
    EXPECT_EQ(d.IdNumber, c.IdNumber);
}

TEST(Date6, ConversionsBothWays) {
    struct Case {
        const char* typed;
        const char* shown;
    } cases[] = {
        {"10598", "010598"}, {"010598", "010598"}, {"123199", "123199"},
        {"12311999", "12311999"}, {"1052004", "01052004"},
    };
    for (const auto& c : cases) {
        Date6 d{};
        date6FromText(d, c.typed, false);
        EXPECT_EQ(date6ToText(d, false), c.shown) << c.typed;
    }
    Date6 acquired{};
    date6FromText(acquired, "S", false);
    EXPECT_EQ(std::string(acquired.data(), 6), "S     ");
    EXPECT_EQ(date6ToText(acquired, false), "S");
    date6FromText(acquired, "H", false);
    EXPECT_EQ(date6ToText(acquired, false), "H");
    // A blank or zero acquisition date keeps what was held.
    date6FromText(acquired, "123199", false);
    date6FromText(acquired, "", false);
    EXPECT_EQ(date6ToText(acquired, false), "123199");
    date6FromText(acquired, "0", false);
    EXPECT_EQ(date6ToText(acquired, false), "123199");
    // Six NULs read as 0 for the acquisition date and as empty for the sale date.
    Date6 nul{};
    EXPECT_EQ(date6ToText(nul, false), "0");
    EXPECT_EQ(date6ToText(nul, true), "");
    Date6 sold{};
    date6FromText(sold, "063005", true);
    EXPECT_EQ(date6ToText(sold, true), "063005");
    date6FromText(sold, "", true);
    EXPECT_EQ(sold, Date6{});
}

TEST(Date6c, TextsAndTheTwoDigitYearPivot) {
    struct Case {
        const char* typed;
        int year;
        const char* shown;
    } cases[] = {
        {"12312003", 2003, "12312003"},
        {"123100", 2000, "12312000"},
        {"123104", 2004, "12312004"},   // the report's pivot: below 50 is 20YY
        {"123149", 2049, "12312049"},
        {"123150", 1950, "12311950"},
        {"123199", 1999, "12311999"},
        {"1231", 0, "12310"},
    };
    for (const auto& c : cases) {
        const Date6c d = date6cFromText(c.typed);
        EXPECT_EQ(d.year, c.year) << c.typed;
        EXPECT_EQ(date6cToText(d), c.shown) << c.typed;
    }
    // Years 1 to 99 already stored read as 19xx.
    Date6c old = date6cFromText("12312003");
    old.year = 98;
    EXPECT_EQ(date6cToText(old), "12311998");
}

TEST(Date6, HugeOrOddValuesStayDefined) {
    Date6 d{};
    date6FromText(d, "99999999999999", false);
    EXPECT_EQ(date6Int(d), 2147483647);
    date6FromText(d, "abc", true);
    EXPECT_EQ(d, Date6{});
    Date6c c = date6cFromText("12319999999");
    EXPECT_EQ(c.year, 32767);
}

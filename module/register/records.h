// Byte layouts of the client's data files: the asset record (depr.fil, 219 bytes) with its book
// and tax basis blocks, the index entry (depr.idx, 8 bytes), the company file (company.fil,
// three records of 81 bytes), and the two stored date forms. All numbers little-endian.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "format/text.h"

namespace dp {

inline constexpr std::size_t kAssetRecordLength = 219;
inline constexpr std::size_t kBasisBlockLength = 83;
inline constexpr std::size_t kIndexEntryLength = 8;
inline constexpr std::size_t kCompanyRecordLength = 81;
inline constexpr int kMaxRecords = 32767;  // record numbers are 16-bit

// The most each data file can hold: as many records as a record number can address, and the
// company file's three records.
inline constexpr std::int64_t kMaxAssetFileBytes = std::int64_t{kMaxRecords} * std::int64_t{kAssetRecordLength};
inline constexpr std::int64_t kMaxIndexFileBytes = std::int64_t{kMaxRecords} * std::int64_t{kIndexEntryLength};
inline constexpr std::int64_t kCompanyFileBytes = 3 * std::int64_t{kCompanyRecordLength};

inline constexpr std::string_view kDeletedMark = "***DELETED***";

// The one meaning of "marked deleted" that removes a record: its description is the mark with
// nothing but blanks after it. Every reader (the close, the report, Form 4562) skips such a
// record, so only such a record is ever dropped from the register; one that any reader still
// counts is kept, whatever its description or asset number.
bool isMarkedDeleted(std::string_view description);

// date6: bytes 0-3 an int32 whose decimal digits are the date as typed (MMDDYY or MMDDYYYY, the
// leading zero of the month not stored), bytes 4-5 NUL; or the row markers "S     " / "H     ".
using Date6 = std::array<char, 6>;

// The stored date as text: for DateSold six NULs give "". "S"/"H" markers give the letter.
// Otherwise the decimal form of the int32, with a "0" in front when it has 5 or 7 digits.
std::string date6ToText(const Date6& d, bool isDateSold);
// A typed date into the stored form. For DateAcquired: "S"/"H" store the marker; a non-zero
// value stores the int32 (the value rounded); zero or blank leaves the field unchanged. For
// DateSold: zero or blank stores six NULs.
void date6FromText(Date6& d, std::string_view text, bool isDateSold);
std::int32_t date6Int(const Date6& d);
bool date6IsMarker(const Date6& d, char letter);

// date6c: the month and day as four text digits MMDD, then the year as int16.
struct Date6c {
    std::array<char, 4> monthDay{};  // NUL bytes in a new file
    std::int16_t year = 0;
};
// MMDD followed by the year; a year 1..99 is written "19" + digits.
std::string date6cToText(const Date6c& d);
// A six-character MMDDYY text takes the century of the report's pivot (YY below 50 is 20YY,
// otherwise 19YY); any other length is taken as typed (MMDDYYYY). The year is the numeric value
// of the characters from the fifth on.
Date6c date6cFromText(std::string_view text);

struct BasisBlock {
    std::string Method = std::string(4, ' ');
    double Rate = 0;
    char Manual = ' ';
    double Cost = 0;
    double Bonus = 0;
    double Salvage = 0;
    double Expense = 0;
    double Bonus3050 = 0;
    double PriorDepr = 0;
    double CurrentDepr = 0;
    double Cancelled = 0;
    std::string Code4562 = std::string(6, ' ');

    void decode(const unsigned char* bytes);
    void encode(unsigned char* bytes) const;
};

struct AssetRecord {
    std::string AssetNumber = std::string(6, ' ');
    std::string Description = std::string(35, ' ');
    Date6 DateAcquired{};
    Date6 DateSold{};
    BasisBlock Book;
    BasisBlock Tax;

    using Bytes = std::array<unsigned char, kAssetRecordLength>;
    static AssetRecord decode(const Bytes& bytes);
    Bytes encode() const;

    bool markedDeleted() const { return isMarkedDeleted(Description); }

    // 'B' the book block, anything else the tax block.
    BasisBlock& block(char basis) { return basis == 'B' ? Book : Tax; }
    const BasisBlock& block(char basis) const { return basis == 'B' ? Book : Tax; }
};

struct IndexEntry {
    std::string AssetNumber = std::string(6, ' ');
    std::int16_t RecordNumber = 0;

    using Bytes = std::array<unsigned char, kIndexEntryLength>;
    static IndexEntry decode(const Bytes& bytes);
    Bytes encode() const;
};

struct CompanyRecord {
    // record 1
    std::string CompanyName = std::string(25, ' ');
    std::string CompanyAddress = std::string(25, ' ');
    std::string CompanyCity = std::string(25, ' ');
    Date6c FiscalYearEnd;
    // record 2
    std::string Activity = std::string(50, ' ');
    Date6c CurrentPeriod;
    std::string IdNumber = std::string(11, ' ');
    std::array<unsigned char, 14> Reserved2{};
    // record 3
    std::string CompanyName2 = std::string(25, ' ');
    std::array<unsigned char, 56> Reserved3{};

    using Bytes = std::array<unsigned char, kCompanyRecordLength>;
    void decodeRecord(int n, const Bytes& bytes);  // n = 1, 2 or 3
    Bytes encodeRecord(int n) const;
};

// An index entry as stored: the asset number (6) and the record number (int16).
using IndexBytes = std::array<unsigned char, kIndexEntryLength>;
std::string indexKey(const IndexBytes& e);          // first 6 characters
std::int16_t indexRecordNumber(const IndexBytes& e);
IndexBytes makeIndexBytes(std::string_view assetNumber, std::int16_t recordNumber);
// The look-up key of a typed asset number: padded with blanks, cut to 6, upper-cased.
std::string assetKey(std::string_view assetNumber);

// Little-endian helpers.
void putInt16(unsigned char* p, std::int16_t v);
void putInt32(unsigned char* p, std::int32_t v);
void putDouble(unsigned char* p, double v);
std::int16_t getInt16(const unsigned char* p);
std::int32_t getInt32(const unsigned char* p);
double getDouble(const unsigned char* p);

}  // namespace dp

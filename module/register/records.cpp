#include "register/records.h"

#include <cctype>
#include <cmath>
#include <cstring>

#include "format/number_format.h"

namespace dp {

void putInt16(unsigned char* p, std::int16_t v) {
    const auto u = static_cast<std::uint16_t>(v);
    p[0] = static_cast<unsigned char>(u & 0xFF);
    p[1] = static_cast<unsigned char>(u >> 8);
}

void putInt32(unsigned char* p, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>((u >> (8 * i)) & 0xFF);
}

void putDouble(unsigned char* p, double v) {
    std::uint64_t u;
    std::memcpy(&u, &v, 8);
    for (int i = 0; i < 8; ++i) p[i] = static_cast<unsigned char>((u >> (8 * i)) & 0xFF);
}

std::int16_t getInt16(const unsigned char* p) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
}

std::int32_t getInt32(const unsigned char* p) {
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= static_cast<std::uint32_t>(p[i]) << (8 * i);
    return static_cast<std::int32_t>(u);
}

double getDouble(const unsigned char* p) {
    std::uint64_t u = 0;
    for (int i = 0; i < 8; ++i) u |= static_cast<std::uint64_t>(p[i]) << (8 * i);
    double v;
    std::memcpy(&v, &u, 8);
    return v;
}

// ---------------------------------------------------------------------------------------------
// date6

std::int32_t date6Int(const Date6& d) {
    unsigned char b[4];
    std::memcpy(b, d.data(), 4);
    return getInt32(b);
}

bool date6IsMarker(const Date6& d, char letter) {
    return d[0] == letter && std::memcmp(d.data() + 1, "     ", 5) == 0;
}

std::string date6ToText(const Date6& d, bool isDateSold) {
    if (isDateSold) {
        bool allNul = true;
        for (char c : d) allNul = allNul && c == '\0';
        if (allNul) return "";
    } else {
        if (date6IsMarker(d, 'S')) return "S";
        if (date6IsMarker(d, 'H')) return "H";
    }
    std::string t = std::to_string(date6Int(d));
    if (t.size() == 5 || t.size() == 7) t = "0" + t;
    return t;
}

void date6FromText(Date6& d, std::string_view text, bool isDateSold) {
    const std::string t = trimBoth(text);
    if (!isDateSold && (t == "S" || t == "H")) {
        d = {t[0], ' ', ' ', ' ', ' ', ' '};
        return;
    }
    const double v = leadingNumber(t);
    if (v == 0 || !std::isfinite(v)) {
        if (isDateSold) d = {};
        return;
    }
    // The stored form is an int32; a value beyond it is kept at its limit rather than wrapped.
    double r = std::nearbyint(v);
    if (r > 2147483647.0) r = 2147483647.0;
    if (r < -2147483648.0) r = -2147483648.0;
    unsigned char b[4];
    putInt32(b, static_cast<std::int32_t>(r));
    d = {static_cast<char>(b[0]), static_cast<char>(b[1]), static_cast<char>(b[2]), static_cast<char>(b[3]), '\0', '\0'};
}

// ---------------------------------------------------------------------------------------------
// date6c

std::string date6cToText(const Date6c& d) {
    std::string t(d.monthDay.data(), 4);
    if (d.year >= 1 && d.year <= 99) t += "19" + std::to_string(d.year);
    else t += std::to_string(d.year);
    return t;
}

Date6c date6cFromText(std::string_view text) {
    std::string t(text);
    if (t.size() == 6) {
        const int yy = (t[4] - '0') * 10 + (t[5] - '0');
        const bool digits = std::isdigit(static_cast<unsigned char>(t[4])) && std::isdigit(static_cast<unsigned char>(t[5]));
        // Two-digit years take the same century as the report reads them with.
        t = t.substr(0, 4) + ((digits && yy < 50) ? "20" : "19") + t.substr(4);
    }
    Date6c d;
    const std::string md = fixedText(t.substr(0, std::min<std::size_t>(4, t.size())), 4);
    std::memcpy(d.monthDay.data(), md.data(), 4);
    double y = t.size() > 4 ? leadingNumber(t.substr(4)) : 0;
    if (!std::isfinite(y)) y = 0;
    y = std::nearbyint(y);
    if (y > 32767) y = 32767;
    if (y < -32768) y = -32768;
    d.year = static_cast<std::int16_t>(y);
    return d;
}

// ---------------------------------------------------------------------------------------------
// Records

void BasisBlock::decode(const unsigned char* b) {
    Method.assign(reinterpret_cast<const char*>(b), 4);
    Rate = getDouble(b + 4);
    Manual = static_cast<char>(b[12]);
    Cost = getDouble(b + 13);
    Bonus = getDouble(b + 21);
    Salvage = getDouble(b + 29);
    Expense = getDouble(b + 37);
    Bonus3050 = getDouble(b + 45);
    PriorDepr = getDouble(b + 53);
    CurrentDepr = getDouble(b + 61);
    Cancelled = getDouble(b + 69);
    Code4562.assign(reinterpret_cast<const char*>(b + 77), 6);
}

void BasisBlock::encode(unsigned char* b) const {
    std::memcpy(b, fixedText(Method, 4).data(), 4);
    putDouble(b + 4, Rate);
    b[12] = static_cast<unsigned char>(Manual);
    putDouble(b + 13, Cost);
    putDouble(b + 21, Bonus);
    putDouble(b + 29, Salvage);
    putDouble(b + 37, Expense);
    putDouble(b + 45, Bonus3050);
    putDouble(b + 53, PriorDepr);
    putDouble(b + 61, CurrentDepr);
    putDouble(b + 69, Cancelled);
    std::memcpy(b + 77, fixedText(Code4562, 6).data(), 6);
}

AssetRecord AssetRecord::decode(const Bytes& b) {
    AssetRecord r;
    r.AssetNumber.assign(reinterpret_cast<const char*>(b.data()), 6);
    r.Description.assign(reinterpret_cast<const char*>(b.data() + 6), 35);
    std::memcpy(r.DateAcquired.data(), b.data() + 41, 6);
    std::memcpy(r.DateSold.data(), b.data() + 47, 6);
    r.Book.decode(b.data() + 53);
    r.Tax.decode(b.data() + 136);
    return r;
}

AssetRecord::Bytes AssetRecord::encode() const {
    Bytes b{};
    std::memcpy(b.data(), fixedText(AssetNumber, 6).data(), 6);
    std::memcpy(b.data() + 6, fixedText(Description, 35).data(), 35);
    std::memcpy(b.data() + 41, DateAcquired.data(), 6);
    std::memcpy(b.data() + 47, DateSold.data(), 6);
    Book.encode(b.data() + 53);
    Tax.encode(b.data() + 136);
    return b;
}

IndexEntry IndexEntry::decode(const Bytes& b) {
    IndexEntry e;
    e.AssetNumber.assign(reinterpret_cast<const char*>(b.data()), 6);
    e.RecordNumber = getInt16(b.data() + 6);
    return e;
}

IndexEntry::Bytes IndexEntry::encode() const {
    Bytes b{};
    std::memcpy(b.data(), fixedText(AssetNumber, 6).data(), 6);
    putInt16(b.data() + 6, RecordNumber);
    return b;
}

namespace {
void getDate6c(Date6c& d, const unsigned char* p) {
    std::memcpy(d.monthDay.data(), p, 4);
    d.year = getInt16(p + 4);
}
void putDate6c(unsigned char* p, const Date6c& d) {
    std::memcpy(p, d.monthDay.data(), 4);
    putInt16(p + 4, d.year);
}
std::string text(const unsigned char* p, std::size_t n) { return std::string(reinterpret_cast<const char*>(p), n); }
void putText(unsigned char* p, const std::string& s, std::size_t n) { std::memcpy(p, fixedText(s, n).data(), n); }
}  // namespace

void CompanyRecord::decodeRecord(int n, const Bytes& b) {
    const unsigned char* p = b.data();
    if (n == 1) {
        CompanyName = text(p, 25);
        CompanyAddress = text(p + 25, 25);
        CompanyCity = text(p + 50, 25);
        getDate6c(FiscalYearEnd, p + 75);
    } else if (n == 2) {
        Activity = text(p, 50);
        getDate6c(CurrentPeriod, p + 50);
        IdNumber = text(p + 56, 11);
        std::memcpy(Reserved2.data(), p + 67, 14);
    } else if (n == 3) {
        CompanyName2 = text(p, 25);
        std::memcpy(Reserved3.data(), p + 25, 56);
    }
}

CompanyRecord::Bytes CompanyRecord::encodeRecord(int n) const {
    Bytes b{};
    unsigned char* p = b.data();
    if (n == 1) {
        putText(p, CompanyName, 25);
        putText(p + 25, CompanyAddress, 25);
        putText(p + 50, CompanyCity, 25);
        putDate6c(p + 75, FiscalYearEnd);
    } else if (n == 2) {
        putText(p, Activity, 50);
        putDate6c(p + 50, CurrentPeriod);
        putText(p + 56, IdNumber, 11);
        std::memcpy(p + 67, Reserved2.data(), 14);
    } else if (n == 3) {
        putText(p, CompanyName2, 25);
        std::memcpy(p + 25, Reserved3.data(), 56);
    }
    return b;
}

std::string indexKey(const IndexBytes& e) { return std::string(reinterpret_cast<const char*>(e.data()), 6); }

std::int16_t indexRecordNumber(const IndexBytes& e) { return getInt16(e.data() + 6); }

IndexBytes makeIndexBytes(std::string_view assetNumber, std::int16_t recordNumber) {
    IndexEntry e;
    e.AssetNumber = fixedText(assetNumber, 6);
    e.RecordNumber = recordNumber;
    return e.encode();
}

std::string assetKey(std::string_view assetNumber) {
    return upperCase(fixedText(std::string(assetNumber) + "      ", 6));
}

bool isMarkedDeleted(std::string_view description) { return trimRight(description) == kDeletedMark; }

}  // namespace dp

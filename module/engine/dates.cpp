#include "engine/dates.h"

#include <array>

namespace dp {

namespace {

// The first three parts of text split at sep; missing parts are empty.
std::array<std::string_view, 3> threeParts(std::string_view text, char sep) {
    std::array<std::string_view, 3> parts{};
    std::size_t start = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (start > text.size()) break;
        std::size_t end = text.find(sep, start);
        if (end == std::string_view::npos) end = text.size();
        parts[i] = text.substr(start, end - start);
        start = end + 1;
    }
    return parts;
}

std::string joinPadded(std::string_view text, char sep) {
    auto parts = threeParts(text, sep);
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        // Month and day of one digit get their zero: 12/5/2004 is 5 December, not 25 January.
        if (i < 2 && parts[i].size() == 1) out += '0';
        out += parts[i];
    }
    return out;
}

constexpr std::array<std::int32_t, 13> kDaysBefore = {0, 0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

}  // namespace

std::string normalizeDate(std::string_view text) {
    std::string t;
    if (text.find('/') != std::string_view::npos) {
        t = joinPadded(text, '/');
    } else if (text.find('-') != std::string_view::npos) {
        t = joinPadded(text, '-');
    } else {
        t = std::string(text);
    }
    if (t.size() == 5 || t.size() == 7) t.insert(t.begin(), '0');
    if (t.size() == 6) {
        std::int32_t yy = datePartValue(std::string_view(t).substr(4, 2));
        t.insert(4, yy < 50 ? "20" : "19");
    }
    return t;
}

std::int32_t datePartValue(std::string_view part) {
    std::size_t i = 0;
    while (i < part.size() && part[i] == ' ') ++i;
    std::int32_t value = 0;
    for (; i < part.size() && part[i] >= '0' && part[i] <= '9'; ++i) {
        value = value * 10 + (part[i] - '0');
        if (value > 999999) return 999999;
    }
    return value;
}

DateParts splitDate(std::string_view d) {
    DateParts p;
    p.month = datePartValue(d.substr(0, 2));
    if (d.size() > 2) p.day = datePartValue(d.substr(2, 2));
    if (d.size() > 4) p.year = datePartValue(d.substr(4));
    return p;
}

std::int32_t daySerial(std::string_view d) { return daySerial(splitDate(d)); }

std::int32_t monthSerial(std::string_view d) { return monthSerial(splitDate(d)); }

std::int32_t daySerial(const DateParts& p) {
    std::int32_t y = p.year;
    std::int32_t leaps = (y - 1) / 4;
    if (y < 1) leaps = (y - 4) / 4;  // INT rounds down
    std::int32_t m = p.month < 1 ? 1 : (p.month > 12 ? 12 : p.month);
    std::int32_t before = kDaysBefore[static_cast<std::size_t>(m)];
    if (p.month > 12) before = 365;  // every month of the year has passed
    std::int32_t leapDay = (p.month > 2 && y % 4 == 0) ? 1 : 0;
    return 366 * leaps + 365 * (y - leaps) + before + leapDay + p.day;
}

std::int32_t monthSerial(const DateParts& p) { return 12 * p.year + p.month; }

std::int32_t reportPeriodMonths(std::string_view reportDate, std::string_view fiscalYearEnd) {
    DateParts r = splitDate(reportDate);
    DateParts f = splitDate(fiscalYearEnd);
    return r.month - f.month + 12 + 12 * (r.year - f.year);
}

}  // namespace dp

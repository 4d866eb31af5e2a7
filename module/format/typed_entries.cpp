#include "format/typed_entries.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <string>

namespace dp {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view trimmed(std::string_view t) {
    const std::size_t b = t.find_first_not_of(" \t");
    if (b == std::string_view::npos) return {};
    const std::size_t e = t.find_last_not_of(" \t");
    return t.substr(b, e - b + 1);
}

std::string quoted(std::string_view typed) { return "\"" + std::string(trimmed(typed)) + "\""; }

// A number taken apart: what the dialogs' leading-number reading would build from it.
struct NumberParts {
    bool negative = false;
    bool money = false;   // a "$" or a "," was typed: no exponent then
    std::string whole;    // digits before the point, without the grouping
    bool point = false;
    std::string fraction;
    std::string exponent;  // "e", its sign and digits; empty when none
};

class NumberScanner {
public:
    explicit NumberScanner(std::string_view t) : t_(t) {}

    NumberRefusal scan(NumberParts& p) {
        signAndDollar(p);
        if (const NumberRefusal r = wholeDigits(p); r != NumberRefusal::None) return r;
        if (at('.')) {
            p.point = true;
            ++i_;
            while (i_ < t_.size() && isDigit(t_[i_])) p.fraction += t_[i_++];
            if (at(',')) return NumberRefusal::MisplacedGrouping;
        }
        if (p.whole.empty() && p.fraction.empty()) return NumberRefusal::NotANumber;
        if (!p.money && (at('E') || at('e') || at('D') || at('d')) && !exponent(p)) return NumberRefusal::NotANumber;
        return i_ == t_.size() ? NumberRefusal::None : NumberRefusal::NotANumber;
    }

private:
    bool at(char c) const { return i_ < t_.size() && t_[i_] == c; }

    // An optional sign and an optional "$", in either order.
    void signAndDollar(NumberParts& p) {
        bool sign = false;
        for (int k = 0; k < 2; ++k) {
            if (!sign && (at('+') || at('-'))) {
                p.negative = at('-');
                sign = true;
                ++i_;
            } else if (!p.money && at('$')) {
                p.money = true;
                ++i_;
            }
        }
    }

    // Digits, grouped by "," in threes when grouped at all.
    NumberRefusal wholeDigits(NumberParts& p) {
        std::size_t group = 0;
        bool grouped = false;
        while (i_ < t_.size()) {
            if (isDigit(t_[i_])) {
                p.whole += t_[i_++];
                ++group;
            } else if (at(',')) {
                if (group == 0 || (grouped ? group != 3 : group > 3)) return NumberRefusal::MisplacedGrouping;
                grouped = true;
                p.money = true;
                group = 0;
                ++i_;
            } else {
                break;
            }
        }
        if (grouped && group != 3) return NumberRefusal::MisplacedGrouping;
        return NumberRefusal::None;
    }

    // E, e, D or d, an optional sign, at least one digit.
    bool exponent(NumberParts& p) {
        ++i_;
        std::string e = "e";
        if (at('+') || at('-')) e += t_[i_++];
        const std::size_t first = i_;
        while (i_ < t_.size() && isDigit(t_[i_])) e += t_[i_++];
        if (i_ == first) return false;
        p.exponent = e;
        return true;
    }

    std::string_view t_;
    std::size_t i_ = 0;
};

// The value as the leading-number reading computes it, from the same characters.
TypedNumber valueOf(const NumberParts& p) {
    std::string num = p.negative ? "-" : "";
    num += p.whole;
    if (p.point) num += "." + p.fraction;
    num += p.exponent;
    double value = 0;
    const auto res = std::from_chars(num.data(), num.data() + num.size(), value);
    TypedNumber out;
    if (res.ec == std::errc::result_out_of_range && p.exponent.size() > 1 && p.exponent[1] == '-') return out;  // tiny: 0
    if (res.ec != std::errc() || !std::isfinite(value)) {
        out.refusal = NumberRefusal::TooLarge;
        return out;
    }
    out.value = value == 0.0 ? 0.0 : value;
    return out;
}

// ---- dates ----

bool allDigits(std::string_view s) {
    for (char c : s)
        if (!isDigit(c)) return false;
    return !s.empty();
}

int number(std::string_view digits) {
    int v = 0;
    for (char c : digits) v = v * 10 + (c - '0');
    return v;
}

bool leapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int month, int year) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leapYear(year) ? 29 : days[month - 1];
}

const char* monthName(int month) {
    static const char* const names[] = {"January", "February", "March",     "April",   "May",      "June",
                                        "July",    "August",   "September", "October", "November", "December"};
    return names[month - 1];
}

// Month, day and year digits of a typed date; false when it has none of the accepted forms.
bool splitTypedDate(std::string_view t, std::string_view& m, std::string_view& d, std::string_view& y) {
    const std::size_t s = t.find_first_of("/-");
    if (s == std::string_view::npos) {
        if (!allDigits(t) || t.size() < 5 || t.size() > 8) return false;
        const std::size_t monthDigits = t.size() % 2 == 1 ? 1 : 2;  // MDDYY, MDDYYYY
        m = t.substr(0, monthDigits);
        d = t.substr(monthDigits, 2);
        y = t.substr(monthDigits + 2);
        return true;
    }
    const char sep = t[s];
    const std::size_t s2 = t.find(sep, s + 1);
    if (s2 == std::string_view::npos || t.find_first_of("/-", s2 + 1) != std::string_view::npos) return false;
    if (t.find(sep == '/' ? '-' : '/') != std::string_view::npos) return false;
    m = t.substr(0, s);
    d = t.substr(s + 1, s2 - s - 1);
    y = t.substr(s2 + 1);
    return allDigits(m) && allDigits(d) && allDigits(y) && m.size() <= 2 && d.size() <= 2 &&
           (y.size() == 2 || y.size() == 4);
}

std::string twoDigits(int v) {
    std::string s = std::to_string(v);
    return s.size() < 2 ? "0" + s : s;
}

const char* const kDateForms = "Type it month first: MMDDYY, MMDDYYYY or MM/DD/YYYY, e.g. 03/15/2004.";

}  // namespace

TypedNumber readTypedNumber(std::string_view text) {
    const std::string_view t = trimmed(text);
    TypedNumber out;
    if (t.empty()) {
        out.empty = true;
        return out;
    }
    NumberParts parts;
    out.refusal = NumberScanner(t).scan(parts);
    if (!out.ok()) return out;
    return valueOf(parts);
}

std::string numberRefusalText(std::string_view typed, NumberRefusal why) {
    switch (why) {
        case NumberRefusal::None: return {};
        case NumberRefusal::NotANumber:
            return quoted(typed) + " is not a number. Type digits, with a sign and a decimal point where needed; "
                                   "\",\" may group thousands and \"$\" may come first: 12,500.00 or $1,500.";
        case NumberRefusal::MisplacedGrouping:
            return quoted(typed) + " is not a number: \",\" only groups the digits before the point in threes, "
                                   "as in 12,500.00.";
        case NumberRefusal::TooLarge: return quoted(typed) + " is too large a number.";
    }
    return {};
}

std::string TypedDate::mmddyyyy() const { return twoDigits(month) + twoDigits(day) + std::to_string(year); }

std::string TypedDate::mmddyy() const { return twoDigits(month) + twoDigits(day) + twoDigits(year % 100); }

TypedDate readTypedDate(std::string_view text) {
    const std::string_view t = trimmed(text);
    TypedDate out;
    if (t.empty()) {
        out.empty = true;
        return out;
    }
    std::string_view m, d, y;
    if (!splitTypedDate(t, m, d, y)) {
        out.refusal = DateRefusal::NotADate;
        return out;
    }
    out.month = number(m);
    out.day = number(d);
    out.twoDigitYear = y.size() == 2;
    out.year = number(y);
    if (out.twoDigitYear) out.year += out.year < 50 ? 2000 : 1900;
    if (out.month < 1 || out.month > 12) out.refusal = DateRefusal::NoSuchMonth;
    else if (out.year < kFirstTypedYear || out.year > kLastTypedYear) out.refusal = DateRefusal::YearOutOfRange;
    else if (out.day < 1 || out.day > daysInMonth(out.month, out.year)) out.refusal = DateRefusal::NoSuchDay;
    return out;
}

std::string dateRefusalText(std::string_view typed, const TypedDate& r) {
    switch (r.refusal) {
        case DateRefusal::None: return {};
        case DateRefusal::NotADate: return quoted(typed) + " is not a date. " + kDateForms;
        case DateRefusal::NoSuchMonth:
            return quoted(typed) + " is not a date: there is no month " + std::to_string(r.month) + ". " + kDateForms;
        case DateRefusal::NoSuchDay:
            return quoted(typed) + " is not a date: " + monthName(r.month) + " " + std::to_string(r.year) + " has " +
                   std::to_string(daysInMonth(r.month, r.year)) + " days.";
        case DateRefusal::YearOutOfRange:
            return quoted(typed) + " is not a date this program takes: the year must be from " +
                   std::to_string(kFirstTypedYear) + " to " + std::to_string(kLastTypedYear) + ".";
    }
    return {};
}

}  // namespace dp

#include "format/number_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <vector>

namespace dp {

namespace {

// ---------------------------------------------------------------------------------------------
// A number as decimal digits: value = digits x 10^exponent (digits may carry leading zeros).

struct Decimal {
    bool negative = false;
    char digits[24] = {};
    int len = 0;
    int exponent = 0;

    std::string_view view() const { return std::string_view(digits, static_cast<std::size_t>(len)); }
    bool isZero() const { return view().find_first_not_of('0') == std::string_view::npos; }
};

// A double goes through 18 significant digits; every report rounds from that digit string,
// never from the binary value. A double widened to extended precision keeps its value exactly,
// so these are also the 18 digits of the extended value.
Decimal decimalOf(double value) {
    Decimal d;
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 17);
    const char* p = buf;
    const char* end = res.ec == std::errc() ? res.ptr : buf;
    if (p < end && *p == '-') {
        d.negative = true;
        ++p;
    }
    for (; p < end && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9' && d.len < 20) d.digits[d.len++] = *p;
    int e = 0;
    if (p + 1 < end) std::from_chars(p + 1 + (p[1] == '+'), end, e);
    if (d.len == 0) d.digits[d.len++] = '0';
    d.exponent = e - d.len + 1;
    if (value == 0.0) d.negative = false;  // -0 is plain zero
    return d;
}

Decimal decimalOfUnits(std::int64_t units, int exponent) {
    Decimal d;
    d.negative = units < 0;
    // Magnitude through unsigned arithmetic so that the smallest count does not overflow.
    std::uint64_t mag = d.negative ? 0 - static_cast<std::uint64_t>(units) : static_cast<std::uint64_t>(units);
    auto res = std::to_chars(d.digits, d.digits + sizeof d.digits, mag);
    d.len = static_cast<int>(res.ptr - d.digits);
    d.exponent = exponent;
    return d;
}

// The digits of round(|value| x 10^decimals): next digit above 5 up, below 5 down, 5 followed
// only by zeros to the even last digit, 5 followed by anything else up. No leading zeros;
// empty for zero.
std::string roundedDigits(const Decimal& d, long decimals) {
    const std::string_view digits = d.view();
    std::string kept;
    long shift = static_cast<long>(d.exponent) + decimals;
    if (shift >= 0) {
        kept.reserve(digits.size() + static_cast<std::size_t>(shift));
        kept = digits;
        kept.append(static_cast<std::size_t>(shift), '0');
    } else {
        std::size_t drop = static_cast<std::size_t>(-shift);
        std::size_t len = digits.size();
        char next = '0';
        bool restNonZero = false;
        if (drop <= len) {
            kept = digits.substr(0, len - drop);
            next = digits[len - drop];
            restNonZero = digits.find_first_not_of('0', len - drop + 1) != std::string_view::npos;
        }
        // When drop > len every digit lies beyond the next position: the value is below half
        // a unit of the last place and rounds down.
        bool up = false;
        if (next > '5') {
            up = true;
        } else if (next == '5') {
            int last = kept.empty() ? 0 : kept.back() - '0';
            up = restNonZero || (last % 2 == 1);
        }
        if (up) {
            std::size_t i = kept.size();
            while (i > 0 && kept[i - 1] == '9') kept[--i] = '0';
            if (i == 0)
                kept.insert(kept.begin(), '1');
            else
                ++kept[i - 1];
        }
    }
    std::size_t first = kept.find_first_not_of('0');
    if (first == std::string::npos) return std::string();
    if (first > 0) kept.erase(0, first);
    return kept;
}

// ---------------------------------------------------------------------------------------------
// The mask language.

enum class Tok { Hash, Zero, Point, Comma, Percent, Exp, Literal };

struct Token {
    Tok kind;
    std::string text;   // Literal: the characters; Exp: "E+" / "e-" ...
    int expMin = 0;     // Exp: exponent digits always shown
};

struct Section {
    std::vector<Token> tokens;
    char fill = 0;            // 0: no fill
    bool grouping = false;
    bool percent = false;
    bool hasDigits = false;
    bool hasPoint = false;
    int exp = -1;             // index of the Exp token

    // Where the areas lie (set by layOut). The integer area runs from the first integer
    // position to the point (or to the last integer position when there is no point); with no
    // integer position it is empty and the integer digits go just before the point.
    std::size_t end = 0;          // the Exp token, or the end
    std::size_t pointAt = 0;      // the Point token, or `end`
    std::size_t firstDigit = 0;   // first integer position, or `end`
    std::size_t intBegin = 0, intEnd = 0;
    int intPositions = 0, fracPositions = 0;
    int minIntDigits = 0;         // integer digits always shown (from the leftmost "0")
};

struct Mask {
    std::vector<Section> sections;
};

// Splits a mask at ";" outside quotes and escapes.
std::vector<std::string_view> splitSections(std::string_view mask) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    bool quoted = false;
    for (std::size_t i = 0; i < mask.size(); ++i) {
        char c = mask[i];
        if (quoted) {
            if (c == '"') quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == '\\') {
            ++i;
        } else if (c == ';') {
            out.push_back(mask.substr(start, i - start));
            start = i + 1;
        }
    }
    out.push_back(mask.substr(start));
    return out;
}

void addLiteral(Section& s, std::string_view text) {
    if (!s.tokens.empty() && s.tokens.back().kind == Tok::Literal)
        s.tokens.back().text.append(text);
    else
        s.tokens.push_back(Token{Tok::Literal, std::string(text)});
}

void layOut(Section& s) {
    const auto& tk = s.tokens;
    s.end = s.exp >= 0 ? static_cast<std::size_t>(s.exp) : tk.size();
    s.pointAt = s.end;
    for (std::size_t i = 0; i < s.end; ++i)
        if (tk[i].kind == Tok::Point) s.pointAt = i;
    s.firstDigit = s.end;
    std::size_t lastIntDigit = s.end;
    for (std::size_t i = 0; i < s.end; ++i) {
        if (tk[i].kind != Tok::Hash && tk[i].kind != Tok::Zero) continue;
        if (i < s.pointAt) {
            if (s.firstDigit == s.end) s.firstDigit = i;
            lastIntDigit = i;
            ++s.intPositions;
        } else {
            ++s.fracPositions;
        }
    }
    int fromRight = 0;
    for (std::size_t i = s.pointAt; i-- > 0;) {
        if (tk[i].kind == Tok::Hash || tk[i].kind == Tok::Zero) {
            ++fromRight;
            if (tk[i].kind == Tok::Zero) s.minIntDigits = fromRight;
        }
    }
    s.intBegin = s.firstDigit < s.pointAt ? s.firstDigit : s.pointAt;
    s.intEnd = s.hasPoint ? s.pointAt : (s.firstDigit < s.pointAt ? lastIntDigit + 1 : s.pointAt);
}

Section parseSection(std::string_view m) {
    Section s;
    bool seenDigit = false;
    for (std::size_t i = 0; i < m.size(); ++i) {
        char c = m[i];
        switch (c) {
        case '"': {
            std::size_t close = m.find('"', i + 1);
            if (close == std::string_view::npos) close = m.size();
            addLiteral(s, m.substr(i + 1, close - i - 1));
            i = close;
            break;
        }
        case '\\':
            if (i + 1 < m.size()) addLiteral(s, m.substr(++i, 1));
            break;
        case '*':
            if (i + 1 < m.size()) {
                if (!s.fill) s.fill = m[i + 1];
                ++i;
            } else {
                addLiteral(s, "*");
            }
            break;
        case '#':
        case '0':
            if (s.exp >= 0) {
                addLiteral(s, m.substr(i, 1));
            } else {
                s.tokens.push_back(Token{c == '#' ? Tok::Hash : Tok::Zero, {}});
                seenDigit = s.hasDigits = true;
            }
            break;
        case '.':
            if (!s.hasPoint && s.exp < 0) {
                s.tokens.push_back(Token{Tok::Point, {}});
                s.hasPoint = true;
            } else {
                addLiteral(s, ".");
            }
            break;
        case ',':
            // Between a digit position and the decimal point it asks for thousands grouping
            // (also after the last position of a mask without a point); anywhere else it is an
            // ordinary character.
            if (seenDigit && !s.hasPoint && s.exp < 0) {
                s.tokens.push_back(Token{Tok::Comma, {}});
                s.grouping = true;
            } else {
                addLiteral(s, ",");
            }
            break;
        case '%':
            s.tokens.push_back(Token{Tok::Percent, {}});
            s.percent = true;
            break;
        case 'E':
        case 'e':
            if (seenDigit && s.exp < 0 && i + 1 < m.size() && (m[i + 1] == '+' || m[i + 1] == '-')) {
                Token t{Tok::Exp, std::string(m.substr(i, 2))};
                i += 2;
                while (i < m.size() && (m[i] == '0' || m[i] == '#')) {
                    if (m[i] == '0') ++t.expMin;
                    ++i;
                }
                --i;
                s.exp = static_cast<int>(s.tokens.size());
                s.tokens.push_back(std::move(t));
            } else {
                addLiteral(s, m.substr(i, 1));
            }
            break;
        default:
            addLiteral(s, m.substr(i, 1));
            break;
        }
    }
    layOut(s);
    return s;
}

Mask parseMask(std::string_view text) {
    Mask m;
    for (std::string_view part : splitSections(text)) {
        if (m.sections.size() == 3) break;  // a fourth section has no meaning
        m.sections.push_back(parseSection(part));
    }
    return m;
}

// A report formats many numbers with a handful of masks: keep the last few parsed.
const Mask& parsedMask(std::string_view text) {
    struct Entry {
        std::string text;
        Mask mask;
        bool used = false;
    };
    constexpr std::size_t kEntries = 16;
    thread_local Entry cache[kEntries];
    thread_local std::size_t next = 0;
    for (Entry& e : cache)
        if (e.used && e.text == text) return e.mask;
    Entry& e = cache[next];
    next = (next + 1) % kEntries;
    e.text = std::string(text);
    e.mask = parseMask(text);
    e.used = true;
    return e.mask;
}

struct Rendered {
    std::string text;
    bool negativeZero = false;  // a "-" was written before digits that are all zero
    std::size_t point = std::string::npos;  // where the decimal point stands
    std::size_t numberEnd = 0;              // just past the point and the decimals
};

bool isEmptySection(const Section& s) { return s.tokens.empty() && !s.fill; }

// The digits a section shows of a value, rounded to its decimals; in scientific notation also
// the exponent shown.
std::string shownDigits(const Section& s, const Decimal& v, long& expShown) {
    expShown = 0;
    if (s.exp < 0) return roundedDigits(v, s.fracPositions);
    std::string N;
    std::size_t nz = v.view().find_first_not_of('0');
    if (nz == std::string_view::npos) return N;
    long lead = static_cast<long>(v.exponent) + static_cast<long>(v.len - static_cast<int>(nz)) - 1;
    long X = s.intPositions > 0 ? lead - (s.intPositions - 1) : lead + 1;
    for (int attempt = 0; attempt < 2; ++attempt) {
        Decimal m = v;
        m.exponent = static_cast<int>(v.exponent - X);
        N = roundedDigits(m, s.fracPositions);
        long width = static_cast<long>(s.intPositions) + s.fracPositions;
        if (static_cast<long>(N.size()) <= (width > 0 ? width : 1)) break;
        ++X;  // rounding carried into a new digit (9.99 -> 10.0)
    }
    expShown = X;
    return N;
}

// The integer area of a section, right to left: the digits of I into its digit positions (all
// that are left into the first one), grouped, filled, its literals, and the minus sign.
std::string integerAreaReversed(const Section& s, const std::string& I, bool negative, bool grouping) {
    const auto& tk = s.tokens;
    std::string rev;
    long di = static_cast<long>(I.size()) - 1;
    int placed = 0;
    bool signDone = !negative;
    auto pushDigit = [&](char c) {
        if (grouping && placed > 0 && placed % 3 == 0) rev.push_back(',');
        rev.push_back(c);
        ++placed;
    };
    auto pushSignIfDone = [&] {
        if (!signDone && di < 0) {
            rev.push_back('-');
            signDone = true;
        }
    };
    if (s.intPositions == 0) {
        while (di >= 0) pushDigit(I[static_cast<std::size_t>(di--)]);
        pushSignIfDone();
    }
    for (std::size_t i = s.intEnd; i-- > s.intBegin;) {
        const Token& t = tk[i];
        switch (t.kind) {
        case Tok::Hash:
        case Tok::Zero:
            if (di >= 0) {
                pushDigit(I[static_cast<std::size_t>(di--)]);
                if (i == s.firstDigit)
                    while (di >= 0) pushDigit(I[static_cast<std::size_t>(di--)]);
                pushSignIfDone();
            } else if (s.fill) {
                if (grouping && placed > 0 && placed % 3 == 0) rev.push_back(s.fill);
                rev.push_back(s.fill);
                ++placed;
            }
            break;
        case Tok::Percent:
            rev.push_back('%');
            break;
        case Tok::Literal:
            rev.append(t.text.rbegin(), t.text.rend());
            break;
        default:
            break;
        }
    }
    if (!signDone) rev.push_back('-');
    return rev;
}

// How many of the decimals F show: trailing "#" decimals that hold zeros stay empty.
int decimalsShown(const Section& s, const std::string& F) {
    int fracShown = s.fracPositions;
    for (std::size_t i = s.end; i-- > s.pointAt && fracShown > 0;) {
        if (s.tokens[i].kind == Tok::Zero) break;
        if (s.tokens[i].kind == Tok::Hash) {
            if (F[static_cast<std::size_t>(fracShown - 1)] != '0') break;
            --fracShown;
        }
    }
    return fracShown;
}

// The part of the section after its integer area: the point, the decimals, the exponent and
// the literals, appended to r.text.
void appendAfterIntegers(const Section& s, const std::string& F, int fracShown, long expShown, Rendered& r) {
    std::string& out = r.text;
    int fk = 0;
    for (std::size_t i = s.intEnd; i < s.tokens.size(); ++i) {
        const Token& t = s.tokens[i];
        switch (t.kind) {
        case Tok::Point:
            r.point = out.size();
            out += '.';
            r.numberEnd = out.size();
            break;
        case Tok::Hash:
        case Tok::Zero:
            if (i > s.pointAt && fk < s.fracPositions) {
                if (fk < fracShown) out += F[static_cast<std::size_t>(fk)];
                else if (s.fill) out += s.fill;
                ++fk;
                r.numberEnd = out.size();
            }
            break;
        case Tok::Percent:
            out += '%';
            break;
        case Tok::Exp: {
            out += t.text[0];
            if (expShown < 0) out += '-';
            else if (t.text[1] == '+') out += '+';
            std::string e = std::to_string(expShown < 0 ? -expShown : expShown);
            if (static_cast<int>(e.size()) < t.expMin) e.insert(0, static_cast<std::size_t>(t.expMin) - e.size(), '0');
            out += e;
            break;
        }
        case Tok::Literal:
            out += t.text;
            break;
        case Tok::Comma:
            break;
        }
    }
}

// Formats a decimal with one parsed section. `negative` says whether to write the minus sign
// (false when a negative section shows the magnitude).
Rendered renderSection(const Section& s, const Decimal& value, bool negative, bool allowGrouping) {
    Rendered r;
    const auto& tk = s.tokens;
    const bool grouping = s.grouping && allowGrouping && s.exp < 0;

    if (!s.hasDigits && !s.hasPoint) {
        for (const Token& t : tk) r.text += t.kind == Tok::Percent ? std::string("%") : t.text;
        return r;
    }

    Decimal v = value;
    if (s.percent) v.exponent += 2;
    long expShown = 0;
    const std::string N = shownDigits(s, v, expShown);
    const std::size_t fracCount = static_cast<std::size_t>(s.fracPositions);
    std::string I, F;
    if (N.size() > fracCount) {
        I.assign(N, 0, N.size() - fracCount);
        F.assign(N, N.size() - fracCount, fracCount);
    } else {
        F.assign(fracCount - N.size(), '0');
        F += N;
    }
    r.negativeZero = negative && N.empty();
    if (static_cast<int>(I.size()) < s.minIntDigits) I.insert(0, static_cast<std::size_t>(s.minIntDigits) - I.size(), '0');
    // A value below one still shows a "0" before the point when the mask has integer
    // positions, even "#" ones: ".50" in a column of amounts reads badly, and "-0.00" must
    // stay recognisable as minus zero.
    if (I.empty() && s.intPositions > 0) I = "0";

    const std::string rev = integerAreaReversed(s, I, negative, grouping);
    std::string& out = r.text;
    out.reserve(rev.size() + F.size() + 8);
    for (std::size_t i = 0; i < s.intBegin; ++i) {
        if (tk[i].kind == Tok::Percent) out += '%';
        else out += tk[i].text;
    }
    out.append(rev.rbegin(), rev.rend());
    appendAfterIntegers(s, F, decimalsShown(s, F), expShown, r);
    return r;
}

// Picks the section for the value: negative numbers use the second section (without a sign)
// when it is given, zero the third; an empty section falls back to the first.
Rendered renderMask(const Decimal& value, std::string_view maskText, bool allowGrouping) {
    if (maskText.empty()) return Rendered{};  // formatNumber writes the plain number instead
    const Mask& mask = parsedMask(maskText);
    const auto& sec = mask.sections;
    const Section* chosen = &sec[0];
    bool sign = value.negative && !value.isZero();
    if (sign && sec.size() >= 2 && !isEmptySection(sec[1])) {
        chosen = &sec[1];
        sign = false;
    } else if (value.isZero() && sec.size() >= 3 && !isEmptySection(sec[2])) {
        chosen = &sec[2];
    }
    return renderSection(*chosen, value, sign, allowGrouping);
}

std::string withoutTrailingBlanks(std::string_view s) {
    std::size_t n = s.size();
    while (n > 0 && s[n - 1] == ' ') --n;
    return std::string(s.substr(0, n));
}

// Text for a value that has no digits to show: a "*" for every character of the first section
// before its trailing blanks, which are kept.
std::string starsFor(std::string_view mask) {
    std::string_view first = splitSections(mask)[0];
    std::string body = withoutTrailingBlanks(first);
    std::string out(body.empty() ? 1 : body.size(), '*');
    out.append(first.size() - body.size(), ' ');
    return out;
}

// Whether keeping the first `width` characters only loses zeros after the decimal point (and
// perhaps the point itself), so that the field still reads as the same number.
bool onlyZerosCut(const Rendered& r, std::size_t width) {
    const std::string& text = r.text;
    if (r.point == std::string::npos || r.numberEnd != text.size() || width < r.point) return false;
    std::string_view kept(text.data(), width);
    if (kept.find_first_of("0123456789") == std::string_view::npos) return false;
    std::size_t from = width == r.point ? width + 1 : width;
    return text.find_first_not_of('0', from) == std::string::npos;
}

// How a number meets the edge of its field: `Field` may fill it to its first character (and cut
// zeros after the point); `Column` keeps a blank in front of it, so that a figure never runs
// into the one before it on a line.
enum class FitRule { Field, Column };

std::string fitDecimal(const Decimal& value, std::string_view mask, FitRule rule = FitRule::Field) {
    std::string m = withoutTrailingBlanks(mask);
    std::size_t w = m.size();
    bool trailing = m.size() < mask.size();
    const bool column = rule == FitRule::Column;

    std::string field;
    bool fitted = false;
    for (bool grouped : {true, false}) {
        Rendered r = renderMask(value, m, grouped);
        if (r.negativeZero) r = renderMask(decimalOfUnits(0, 0), m, grouped);
        const bool blankInFront = r.text.size() < w || (!r.text.empty() && r.text[0] == ' ');
        if (r.text.size() <= w && (!column || blankInFront)) {
            field.assign(w - r.text.size(), ' ');
            field += r.text;
            fitted = true;
        } else if (!column && onlyZerosCut(r, w)) {
            field = r.text.substr(0, w);
            fitted = true;
        }
        if (fitted) break;
    }
    if (!fitted) {
        field.assign(w, '*');
        if (column && w > 0) field[0] = ' ';
    }
    if (trailing) field += ' ';
    return field;
}

Decimal decimalOfInt(std::int32_t v) { return decimalOfUnits(v, 0); }

constexpr std::size_t kMoneyWidth = kMoneyColumnWidth;

// A money column's kMoneyWidth characters: the text right-aligned, blanks in front.
void putRightAligned(char* field, const char* text, std::size_t length) {
    std::memset(field, ' ', kMoneyWidth - length);
    std::memcpy(field + (kMoneyWidth - length), text, length);
}

void putStars(char* field) {
    std::memset(field, '*', kMoneyWidth - 1);
    field[kMoneyWidth - 1] = ' ';
}

// The money column of a value that the general formatter writes.
void putMoneyFromDecimal(char* field, const Decimal& value, bool million) {
    Rendered r = renderMask(value, million ? "#.00 " : "#,.00 ", true);
    if (r.negativeZero) return putRightAligned(field, "0.00 ", 5);
    if (r.text.size() > kMoneyWidth && !million) r = renderMask(value, "#.00 ", true);
    if (r.text.size() > kMoneyWidth) return putStars(field);
    putRightAligned(field, r.text.data(), r.text.size());
}

// The money column written straight from a count of cents, as putMoneyFromDecimal writes it: a
// report writes eight of them for every asset, and the general formatter is the slow part.
void putMoneyFromCents(char* field, std::int64_t units, bool million) {
    const bool negative = units < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(units) : static_cast<std::uint64_t>(units);
    // Right to left into blanks: the blank, the cents, the point, the whole units three digits
    // at a time, grouped by thousands. The longest (a sign, 17 digits, 5 commas, ".00 ") takes 27
    // characters.
    char buffer[32];
    char* const end = buffer + sizeof buffer;
    auto render = [&](bool grouped) {
        std::memset(buffer, ' ', sizeof buffer);
        char* p = end - 1;
        const auto cents = static_cast<unsigned>(magnitude % 100);
        *--p = static_cast<char>('0' + cents % 10);
        *--p = static_cast<char>('0' + cents / 10);
        *--p = '.';
        std::uint64_t whole = magnitude / 100;
        for (;;) {
            const auto group = static_cast<unsigned>(whole % 1000);
            whole /= 1000;
            if (whole == 0) {  // the leading group, without its leading zeros
                unsigned rest = group;
                do {
                    *--p = static_cast<char>('0' + rest % 10);
                    rest /= 10;
                } while (rest != 0);
                break;
            }
            *--p = static_cast<char>('0' + group % 10);
            *--p = static_cast<char>('0' + group / 10 % 10);
            *--p = static_cast<char>('0' + group / 100);
            if (grouped) *--p = ',';
        }
        if (negative) *--p = '-';
        return static_cast<std::size_t>(end - p);
    };
    std::size_t length = render(!million);
    if (length > kMoneyWidth && !million) length = render(false);
    if (length > kMoneyWidth) return putStars(field);
    std::memcpy(field, end - kMoneyWidth, kMoneyWidth);
}

// The value in whole cents, nearest, when that cannot depend on the value being written out to
// 18 digits first: below a billion those digits lie within 1E-7 of a cent of the value, so away
// from the half cent both round to the same cent. False near the half cent, where the digits
// decide.
bool centsAwayFromHalf(double value, std::int64_t& cents) {
    return std::fabs(value) < 1e9 && nearestClearOfHalf(value, 100, cents);
}

}  // namespace

// ---------------------------------------------------------------------------------------------

std::string formatNumber(double value, std::string_view mask) {
    if (!std::isfinite(value)) return starsFor(mask);
    if (mask.empty()) return shortestDecimal(value);
    return renderMask(decimalOf(value), mask, true).text;
}

std::string formatNumber(Cents value, std::string_view mask) {
    if (mask.empty()) return shortestDecimal(value.toDouble());
    return renderMask(decimalOfUnits(value.units, -2), mask, true).text;
}

std::string formatNumber(Mills4 value, std::string_view mask) {
    if (mask.empty()) return shortestDecimal(value.toDouble());
    return renderMask(decimalOfUnits(value.units, -4), mask, true).text;
}

std::string fitToMask(double value, std::string_view mask) {
    if (!std::isfinite(value)) {
        std::string m = withoutTrailingBlanks(mask);
        return std::string(m.size(), '*') + (m.size() < mask.size() ? " " : "");
    }
    return fitDecimal(decimalOf(value), mask);
}

std::string fitToMask(Cents value, std::string_view mask) {
    return fitDecimal(decimalOfUnits(value.units, -2), mask);
}

std::string fitToMask(std::int32_t value, std::string_view mask) {
    return fitDecimal(decimalOfInt(value), mask);
}

std::string fitToColumn(double value, std::string_view mask) {
    if (!std::isfinite(value)) {
        std::string field = fitToMask(value, mask);  // every place "*"
        if (!field.empty()) field[0] = ' ';
        return field;
    }
    return fitDecimal(decimalOf(value), mask, FitRule::Column);
}

std::string fitToColumn(Cents value, std::string_view mask) {
    return fitDecimal(decimalOfUnits(value.units, -2), mask, FitRule::Column);
}

std::string fitToColumn(std::int32_t value, std::string_view mask) {
    return fitDecimal(decimalOfInt(value), mask, FitRule::Column);
}

void putMoneyColumn(char* field, double value) {
    if (!std::isfinite(value)) return putStars(field);
    if (value == 0) return putMoneyFromCents(field, 0, false);  // either zero: "0.00", at once
    if (std::int64_t cents = 0; centsAwayFromHalf(value, cents)) return putMoneyFromCents(field, cents, value >= 1000000.0);
    putMoneyFromDecimal(field, decimalOf(value), value >= 1000000.0);
}

void putMoneyColumn(char* field, Cents value) { putMoneyFromCents(field, value.units, value.units >= 100000000); }

void appendMoneyColumn(std::string& out, double value) {
    const std::size_t at = out.size();
    out.resize(at + kMoneyWidth);
    putMoneyColumn(out.data() + at, value);
}

void appendMoneyColumn(std::string& out, Cents value) {
    const std::size_t at = out.size();
    out.resize(at + kMoneyWidth);
    putMoneyColumn(out.data() + at, value);
}

std::string moneyColumn(double value) {
    std::string column;
    appendMoneyColumn(column, value);
    return column;
}

std::string moneyColumn(Cents value) {
    std::string column;
    appendMoneyColumn(column, value);
    return column;
}

std::string trimBlanksAndNuls(std::string_view text) {
    auto strip = [&](char c) {
        std::size_t b = 0, e = text.size();
        while (b < e && text[b] == c) ++b;
        while (e > b && text[e - 1] == c) --e;
        text = text.substr(b, e - b);
    };
    strip(' ');
    strip('\0');
    strip(' ');
    strip('\0');
    return std::string(text);
}

// Reads like the entry fields of the dialogs read numbers: blanks, sign, digits, point,
// digits, then an exponent with E or D. Anything after that is ignored. A number too large
// for a double reads as 0, like a text that holds no number: an entry that cannot be held is
// no amount.
double leadingNumber(std::string_view text) {
    std::size_t i = 0, n = text.size();
    while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
    std::string num;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') num += '-';
        ++i;
    }
    bool anyDigit = false;
    while (i < n && text[i] >= '0' && text[i] <= '9') {
        num += text[i++];
        anyDigit = true;
    }
    if (i < n && text[i] == '.') {
        num += '.';
        ++i;
        while (i < n && text[i] >= '0' && text[i] <= '9') {
            num += text[i++];
            anyDigit = true;
        }
    }
    if (!anyDigit) return 0.0;
    if (i < n && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
        std::size_t j = i + 1;
        std::string exp = "e";
        if (j < n && (text[j] == '+' || text[j] == '-')) exp += text[j++];
        bool expDigit = false;
        while (j < n && text[j] >= '0' && text[j] <= '9') {
            exp += text[j++];
            expDigit = true;
        }
        if (expDigit) num += exp;
    }
    double value = 0.0;
    auto res = std::from_chars(num.data(), num.data() + num.size(), value);
    if (res.ec != std::errc() || !std::isfinite(value)) return 0.0;
    return value == 0.0 ? 0.0 : value;
}

std::string shortestDecimal(double value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value < 0 ? "-Inf" : "Inf";
    if (value == 0.0) return "0";
    // Whole numbers of up to 15 digits, the common case of lives and counts, are their digits.
    if (std::fabs(value) < 1e15 && value == std::trunc(value)) return std::to_string(static_cast<long long>(value));
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
    std::string_view s(buf, static_cast<std::size_t>(res.ptr - buf));
    bool neg = s[0] == '-';
    if (neg) s.remove_prefix(1);
    std::size_t ePos = s.find('e');
    std::string digits;
    for (char c : s.substr(0, ePos))
        if (c != '.') digits += c;
    int e = 0;
    std::string_view es = s.substr(ePos + 1);
    if (!es.empty() && es[0] == '+') es.remove_prefix(1);
    std::from_chars(es.data(), es.data() + es.size(), e);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    std::string out = neg ? "-" : "";
    const int len = static_cast<int>(digits.size());
    if (e >= 21 || e < -7) {
        // Far outside any amount: exponent form, which leadingNumber reads back.
        out += digits[0];
        if (len > 1) out += '.' + digits.substr(1);
        out += e < 0 ? "E-" : "E+";
        out += std::to_string(e < 0 ? -e : e);
    } else if (e < 0) {
        out += "0." + std::string(static_cast<std::size_t>(-e - 1), '0') + digits;
    } else if (e + 1 >= len) {
        out += digits + std::string(static_cast<std::size_t>(e + 1 - len), '0');
    } else {
        const auto wholeDigits = static_cast<std::size_t>(e + 1);
        out += digits.substr(0, wholeDigits) + '.' + digits.substr(wholeDigits);
    }
    return out;
}

}  // namespace dp

// Money held as exact fixed-point counts: Cents (two decimals) and Mills4 (four decimals).
// A computed double enters either type rounded to the nearest unit, ties to even, in extended
// precision; reading one divides by 100 or 10000. Not a number enters as zero, a value beyond
// the 64-bit count as the largest count of its sign.
#pragma once

#include <compare>
#include <cstdint>
#include <limits>

namespace dp {

template <int Scale>
struct FixedPoint {
    std::int64_t units = 0;

    static constexpr int scale = Scale;
    static FixedPoint fromDouble(double value);
    static constexpr FixedPoint fromUnits(std::int64_t u) { return FixedPoint{u}; }
    double toDouble() const { return static_cast<double>(static_cast<long double>(units) / Scale); }

    friend constexpr bool operator==(FixedPoint a, FixedPoint b) { return a.units == b.units; }
    friend constexpr auto operator<=>(FixedPoint a, FixedPoint b) { return a.units <=> b.units; }
    constexpr FixedPoint& operator+=(FixedPoint o) { units += o.units; return *this; }
    constexpr FixedPoint& operator-=(FixedPoint o) { units -= o.units; return *this; }
    friend constexpr FixedPoint operator+(FixedPoint a, FixedPoint b) { return FixedPoint{a.units + b.units}; }
    friend constexpr FixedPoint operator-(FixedPoint a, FixedPoint b) { return FixedPoint{a.units - b.units}; }
    friend constexpr FixedPoint operator-(FixedPoint a) { return FixedPoint{-a.units}; }
};

using Cents = FixedPoint<100>;
using Mills4 = FixedPoint<10000>;

// Sums that saturate instead of wrapping: a record with absurd figures must not turn a total
// into another number. The result stops at the largest count of its sign.
template <int Scale>
constexpr FixedPoint<Scale> saturatingAdd(FixedPoint<Scale> a, FixedPoint<Scale> b) {
    std::int64_t r = 0;
    if (__builtin_add_overflow(a.units, b.units, &r))
        r = b.units > 0 ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
    return FixedPoint<Scale>::fromUnits(r);
}
template <int Scale>
constexpr FixedPoint<Scale> saturatingSub(FixedPoint<Scale> a, FixedPoint<Scale> b) {
    std::int64_t r = 0;
    if (__builtin_sub_overflow(a.units, b.units, &r))
        r = b.units < 0 ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
    return FixedPoint<Scale>::fromUnits(r);
}

// A running Cents sum grows by a four-decimal amount and is held at cents again, ties to the
// even cent. Saturates like saturatingAdd.
Cents addToCents(Cents sum, Mills4 amount);

// Rounds value x 10^decimals to the nearest integer, ties to even, in extended precision, and
// divides back (the ROUND2 of the depreciation engine is roundTiesEven(x, 2)). Values that are
// not finite, or too large for a 64-bit count, come back unchanged.
double roundTiesEven(double value, int decimals);

// The nearest integer to value x scale (scale a power of ten up to 10^4), when the product in
// doubles is enough to tell: below 2^36 it lies within 2^-18 of the exact product, so away from a
// half both have the same nearest integer. True with it in n; false near a half, and for large or
// non-finite values, where only the exact product decides. Every amount of a report passes here.
bool nearestClearOfHalf(double value, double scale, std::int64_t& n);

// Holds the x87 unit at extended precision for its lifetime and then puts back the caller's
// setting. Linux starts every thread so; Windows starts a thread at double precision, and a
// Windows host's thread that calls the module may run so, which would round some ties (185.145
// to cents) the other way. The module's entry keeps one for the whole call.
class ExtendedPrecision {
public:
#if defined(__i386__) || defined(__x86_64__)
    ExtendedPrecision() {
        __asm__ volatile("fnstcw %0" : "=m"(saved_));
        const unsigned short extended = saved_ | 0x300;  // precision control: 64-bit mantissa
        __asm__ volatile("fldcw %0" : : "m"(extended));
    }
    ~ExtendedPrecision() { __asm__ volatile("fldcw %0" : : "m"(saved_)); }
#else
    ExtendedPrecision() = default;  // no x87 unit: double and long double need no setting
#endif
    ExtendedPrecision(const ExtendedPrecision&) = delete;
    ExtendedPrecision& operator=(const ExtendedPrecision&) = delete;

private:
    [[maybe_unused]] unsigned short saved_ = 0;
};

}  // namespace dp

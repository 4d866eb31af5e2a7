#include "format/money.h"

#include <cmath>
#include <limits>

namespace dp {

namespace {

constexpr long double kTwoTo63 = 9223372036854775808.0L;

constexpr long double kTwoTo62 = 4611686018427387904.0L;

// Nearest integer, ties to the even one, whatever the rounding mode: the integer the processor
// gives lies within one of x, and the exact remainder sets it right. (floorl and fmodl would do
// the same, at several times the cost; every amount of a report passes through here.)
long double nearestEven(long double x) {
    if (!(std::fabs(x) < kTwoTo62)) {
        // Large counts, beyond any report's figures.
        long double lower = std::floor(x);
        long double diff = x - lower;
        if (diff > 0.5L) return lower + 1.0L;
        if (diff < 0.5L) return lower;
        return std::fmod(lower, 2.0L) == 0.0L ? lower : lower + 1.0L;
    }
    const long long near = std::llrint(x);
    const long double diff = x - static_cast<long double>(near);  // exact, within (-1, 1)
    long long n = near;
    if (diff > 0.5L) {
        ++n;
    } else if (diff < -0.5L) {
        --n;
    } else if (diff == 0.5L || diff == -0.5L) {
        if (near % 2 != 0) n += diff > 0 ? 1 : -1;  // of near and its neighbour, the even one
    }
    return static_cast<long double>(n);
}

// 10^n as ten multiplied n times. Up to 10^27 every step is exact (5^27 fits the 64 bits of a
// long double), so those come from a table; beyond it the steps round as they always did.
long double powerOfTen(int n) {
    static constexpr long double kExact[] = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,  1e8L,  1e9L,
                                             1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L,
                                             1e20L, 1e21L, 1e22L, 1e23L, 1e24L, 1e25L, 1e26L, 1e27L};
    constexpr int kLast = 27;
    long double p = kExact[n < kLast ? n : kLast];
    for (int i = kLast; i < n; ++i) p *= 10.0L;
    return p;
}

}  // namespace

bool nearestClearOfHalf(double value, double scale, std::int64_t& n) {
    const double product = value * scale;
    if (!(std::fabs(product) < 0x1p36)) return false;
    // The integer the processor gives lies within one of it, whatever the rounding mode.
    const long long near = std::llrint(product);
    const double rest = product - static_cast<double>(near);
    const double away = std::fabs(rest);
    if (away > 0.5 - 1e-3 && away < 0.5 + 1e-3) return false;
    n = near + (rest > 0.5 ? 1 : 0) - (rest < -0.5 ? 1 : 0);
    return true;
}

// A value that is not a number enters as zero; one beyond the 64-bit count is held at the
// largest count of its sign, so a runaway computation never wraps round to a wrong sign.
template <int Scale>
FixedPoint<Scale> FixedPoint<Scale>::fromDouble(double value) {
    if (value == 0 || std::isnan(value)) return FixedPoint{0};  // zero: the common amount, at once
    if (std::int64_t n = 0; nearestClearOfHalf(value, Scale, n)) return FixedPoint{n};
    long double r = nearestEven(static_cast<long double>(value) * Scale);
    if (r >= kTwoTo63) return FixedPoint{std::numeric_limits<std::int64_t>::max()};
    if (r < -kTwoTo63) return FixedPoint{std::numeric_limits<std::int64_t>::min()};
    return FixedPoint{static_cast<std::int64_t>(r)};
}

template struct FixedPoint<100>;
template struct FixedPoint<10000>;

Cents addToCents(Cents sum, Mills4 amount) {
    std::int64_t n = 0;
    if (__builtin_mul_overflow(sum.units, std::int64_t{100}, &n) || __builtin_add_overflow(n, amount.units, &n)) {
        const bool up = sum.units > 0 || (sum.units == 0 && amount.units > 0);
        return Cents::fromUnits(up ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min());
    }
    // n / 100 to the nearest, ties to the even quotient.
    std::int64_t q = n / 100, r = n % 100;
    if (r < 0) {
        r += 100;
        --q;
    }
    if (2 * r > 100 || (2 * r == 100 && (q & 1) != 0)) ++q;
    return Cents::fromUnits(q);
}

double roundTiesEven(double value, int decimals) {
    if (value == 0) return 0.0;  // either zero rounds to plain zero
    if (!std::isfinite(value)) return value;
    if (decimals >= 0 && decimals <= 4) {
        // Divided back in doubles: for these powers of ten no quotient of a whole number lies so
        // near the middle between two doubles that the extended division would round it apart.
        static constexpr double kScale[] = {1, 10, 100, 1000, 10000};
        const double scale = kScale[decimals];
        if (std::int64_t n = 0; nearestClearOfHalf(value, scale, n)) {
            const double result = static_cast<double>(n) / scale;
            return result == 0.0 ? 0.0 : result;
        }
    }
    // Beyond 400 places every double is either too large for a count or rounds to zero, so
    // the bound only keeps the power of ten finite.
    if (decimals > 400) decimals = 400;
    if (decimals < -400) decimals = -400;
    long double p = powerOfTen(decimals < 0 ? -decimals : decimals);
    long double scaled = decimals >= 0 ? static_cast<long double>(value) * p
                                       : static_cast<long double>(value) / p;
    if (!std::isfinite(scaled) || std::fabs(scaled) >= kTwoTo63) return value;
    long double r = nearestEven(scaled);
    double result = static_cast<double>(decimals >= 0 ? r / p : r * p);
    // Keep the sign of a negative amount that rounds to nothing out of the figures.
    return result == 0.0 ? 0.0 : result;
}

}  // namespace dp

// The base-10 decimal number: exact intermediate results fitted to a 96-bit
// coefficient and at most 28 decimal places, rounding half to even.
//
// Every exact intermediate result fits in 256 bits: an aligned sum is below
// 2^96·10^28 < 2^190, a full product below 2^192, a quotient is developed to
// at most 30 significant digits. Texts longer than that keep their leading
// digits plus a mark for any non-zero digit dropped, which is all rounding
// needs.
#include "decimal.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "SumtrixLib/Runtime.hpp"

namespace SumtrixLib {

namespace {

using u64 = std::uint64_t;
using u128 = DecimalCoefficient;

constexpr u64 kPow10[20] = {1ULL,
                            10ULL,
                            100ULL,
                            1000ULL,
                            10000ULL,
                            100000ULL,
                            1000000ULL,
                            10000000ULL,
                            100000000ULL,
                            1000000000ULL,
                            10000000000ULL,
                            100000000000ULL,
                            1000000000000ULL,
                            10000000000000ULL,
                            100000000000000ULL,
                            1000000000000000ULL,
                            10000000000000000ULL,
                            100000000000000000ULL,
                            1000000000000000000ULL,
                            10000000000000000000ULL};

// An unsigned 256-bit integer, limbs least significant first.
struct U256 {
    u64 w[4] = {0, 0, 0, 0};

    static U256 of(u128 v)
    {
        U256 r;
        r.w[0] = static_cast<u64>(v);
        r.w[1] = static_cast<u64>(v >> 64);
        return r;
    }
    bool isZero() const { return (w[0] | w[1] | w[2] | w[3]) == 0; }
    bool isOdd() const { return (w[0] & 1) != 0; }
    // Below 2^96: fits a coefficient.
    bool fitsCoefficient() const { return w[3] == 0 && w[2] == 0 && (w[1] >> 32) == 0; }
    u128 low128() const { return (static_cast<u128>(w[1]) << 64) | w[0]; }
    int bitLength() const
    {
        for (int i = 3; i >= 0; --i)
            if (w[i])
                return 64 * i + 64 - __builtin_clzll(w[i]);
        return 0;
    }
    // *= m; false when the product needs more than 256 bits.
    bool mulSmall(u64 m)
    {
        u128 carry = 0;
        for (u64& limb : w) {
            const u128 p = static_cast<u128>(limb) * m + carry;
            limb = static_cast<u64>(p);
            carry = p >> 64;
        }
        return carry == 0;
    }
    // *= 10^k; false on overflow.
    bool mulPow10(int k)
    {
        while (k > 0) {
            const int c = std::min(k, 19);
            if (!mulSmall(kPow10[c]))
                return false;
            k -= c;
        }
        return true;
    }
    // /= d; returns the remainder.
    u64 divSmall(u64 d)
    {
        u128 rem = 0;
        for (int i = 3; i >= 0; --i) {
            const u128 cur = (rem << 64) | w[i];
            w[i] = static_cast<u64>(cur / d);
            rem = cur % d;
        }
        return static_cast<u64>(rem);
    }
    void increment()
    {
        for (u64& limb : w)
            if (++limb != 0)
                break;
    }
    friend U256 operator+(const U256& a, const U256& b)
    {
        U256 r;
        u128 carry = 0;
        for (int i = 0; i < 4; ++i) {
            const u128 s = static_cast<u128>(a.w[i]) + b.w[i] + carry;
            r.w[i] = static_cast<u64>(s);
            carry = s >> 64;
        }
        return r;
    }
    // a - b for a >= b.
    friend U256 operator-(const U256& a, const U256& b)
    {
        U256 r;
        u64 borrow = 0;
        for (int i = 0; i < 4; ++i) {
            const u64 d = a.w[i] - b.w[i] - borrow;
            borrow = (a.w[i] < b.w[i] || (a.w[i] == b.w[i] && borrow)) ? 1 : 0;
            r.w[i] = d;
        }
        return r;
    }
    friend int compare(const U256& a, const U256& b)
    {
        for (int i = 3; i >= 0; --i)
            if (a.w[i] != b.w[i])
                return a.w[i] < b.w[i] ? -1 : 1;
        return 0;
    }
};

// The product of two values below 2^128.
U256 multiply(u128 a, u128 b)
{
    const u64 a0 = static_cast<u64>(a), a1 = static_cast<u64>(a >> 64);
    const u64 b0 = static_cast<u64>(b), b1 = static_cast<u64>(b >> 64);
    U256 r;
    const u128 p00 = static_cast<u128>(a0) * b0;
    const u128 p01 = static_cast<u128>(a0) * b1;
    const u128 p10 = static_cast<u128>(a1) * b0;
    const u128 p11 = static_cast<u128>(a1) * b1;
    r.w[0] = static_cast<u64>(p00);
    u128 mid = (p00 >> 64) + static_cast<u64>(p01) + static_cast<u64>(p10);
    r.w[1] = static_cast<u64>(mid);
    u128 high = (mid >> 64) + (p01 >> 64) + (p10 >> 64) + static_cast<u64>(p11);
    r.w[2] = static_cast<u64>(high);
    r.w[3] = static_cast<u64>((high >> 64) + (p11 >> 64));
    return r;
}

int digitCount(u128 v)
{
    int n = 0;
    u128 p = 1;
    while (n < 39 && v >= p) {
        ++n;
        if (n < 39)
            p *= 10;
    }
    return n;
}

// Writes the digits of v (at most 39) to buf; returns the end.
char* writeDigits(char* buf, u128 v)
{
    // In chunks of 19 digits so that each step is a 64-bit conversion.
    const u128 base = kPow10[19];
    u64 chunks[3];
    int n = 0;
    do {
        chunks[n++] = static_cast<u64>(v % base);
        v /= base;
    } while (v != 0);
    char* p = std::to_chars(buf, buf + 20, chunks[n - 1]).ptr;
    for (int i = n - 2; i >= 0; --i) {
        u64 c = chunks[i];
        for (int k = 18; k >= 0; --k) {
            p[k] = static_cast<char>('0' + c % 10);
            c /= 10;
        }
        p += 19;
    }
    return p;
}

std::string coefficientDigits(u128 v)
{
    char buf[48];
    return std::string(buf, writeDigits(buf, v));
}

} // namespace

// Rounds an exact value v / 10^scale (plus a non-zero tail below its last
// digit when `sticky`) to the most decimal places, at most 28, whose
// coefficient stays below 2^96; half to even. Error 6 when not even an
// integer fits.
class DecimalFitter {
public:
    static Decimal fit(bool negative, U256 v, int scale, bool sticky)
    {
        if (v.isZero() && !sticky)
            return Decimal();
        if (scale < 0) {
            if (!v.mulPow10(-scale) || !v.fitsCoefficient())
                raiseError(ErrOverflow);
            return Decimal(negative, v.low128(), 0);
        }
        // At least this many digits (log10 2 < 0.30103).
        const int bits = v.bitLength();
        const int digitsAtLeast = bits == 0 ? 0 : static_cast<int>((bits - 1) * 0.30102999566) + 1;
        int s = std::min(scale, Decimal::MaxScale);
        if (digitsAtLeast > 29)
            s = std::min(s, scale - (digitsAtLeast - 29));
        for (; s >= 0; --s) {
            U256 kept = roundedAt(v, scale - s, sticky);
            if (kept.fitsCoefficient())
                return Decimal(negative, kept.low128(), s);
        }
        raiseError(ErrOverflow);
    }

private:
    // v with its lowest `drop` digits removed, rounded half to even.
    static U256 roundedAt(U256 v, int drop, bool sticky)
    {
        if (drop <= 0)
            return v;
        if (v.w[2] == 0 && v.w[3] == 0 && drop <= 38) {
            // Within 128 bits: one division by 10^drop.
            const u128 x = v.low128();
            u128 p = 1;
            for (int i = 0; i < drop; ++i)
                p *= 10;
            u128 q = x / p;
            const u128 rem = x - q * p;
            const u128 half = p / 2;
            if (rem > half || (rem == half && (sticky || (q & 1) != 0)))
                ++q;
            return U256::of(q);
        }
        bool rest = sticky;
        int below = drop - 1;
        while (below > 0 && !v.isZero()) {
            const int c = std::min(below, 19);
            rest = (v.divSmall(kPow10[c]) != 0) || rest;
            below -= c;
        }
        if (below > 0) // v became 0 with digits still to drop: nothing is left
            return v;
        const u64 first = v.divSmall(10);
        if (first > 5 || (first == 5 && (rest || v.isOdd())))
            v.increment();
        return v;
    }
};

Decimal Decimal::fromDouble(double value)
{
    if (!std::isfinite(value))
        raiseError(ErrOverflow);
    if (value == 0.0)
        return Decimal();
    // 15 significant digits, correctly rounded. When the shortest text that
    // reads back as the same double has at most 15 digits, it is that
    // rounding (the double lies within half its own spacing of it, far less
    // than half the spacing of 15-digit numbers); otherwise the digits are
    // formed with 15 places.
    char buf[40];
    auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific);
    int digits = 0;
    for (const char* q = buf; q < res.ptr && *q != 'e'; ++q)
        digits += *q != '.';
    if (digits > 15)
        res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14);
    u64 mantissa = 0;
    digits = 0;
    const char* p = buf;
    for (; p < res.ptr && *p != 'e'; ++p) {
        if (*p != '.') {
            mantissa = mantissa * 10 + static_cast<u64>(*p - '0');
            ++digits;
        }
    }
    int exponent = 0;
    std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), res.ptr, exponent);
    if (exponent > 28)
        raiseError(ErrOverflow); // 1E29 and beyond
    if (exponent < -29)
        return Decimal(); // below half the 28th place
    const int scale = digits - 1 - exponent;
    return DecimalFitter::fit(value < 0.0, U256::of(mantissa), scale, false);
}

Decimal Decimal::fromText(std::string_view text)
{
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Significant digits beyond what any fit can keep only matter as a
    // non-zero tail: keep the first 60 and mark the rest.
    constexpr int kKeep = 60;
    U256 v;
    int kept = 0;
    int dropped = 0;
    bool sticky = false;
    int fraction = 0;
    bool anyDigit = false;
    bool point = false;
    for (; i < n; ++i) {
        const char ch = text[i];
        if (ch >= '0' && ch <= '9') {
            anyDigit = true;
            const int d = ch - '0';
            if (kept == 0 && d == 0) {
                // leading zero: no significance
            } else if (kept < kKeep) {
                v.mulSmall(10);
                v = v + U256::of(static_cast<u128>(d));
                ++kept;
            } else {
                ++dropped;
                sticky = sticky || d != 0;
            }
            if (point)
                ++fraction;
        } else if (ch == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!anyDigit)
        raiseError(ErrTypeMismatch);
    long exponent = 0;
    if (i < n && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
        ++i;
        bool negExp = false;
        if (i < n && (text[i] == '+' || text[i] == '-')) {
            negExp = text[i] == '-';
            ++i;
        }
        if (i >= n || text[i] < '0' || text[i] > '9')
            raiseError(ErrTypeMismatch);
        for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i)
            exponent = std::min(exponent * 10 + (text[i] - '0'), 100000L);
        if (negExp)
            exponent = -exponent;
    }
    while (i < n && text[i] == ' ')
        ++i;
    if (i != n)
        raiseError(ErrTypeMismatch);
    if (kept == 0)
        return Decimal();
    // value = v · 10^(dropped - fraction + exponent)
    const long scale = static_cast<long>(fraction) - dropped - exponent;
    if (scale > Decimal::MaxScale + kept + 1)
        return Decimal(); // below half the 28th place
    if (scale < -30)
        raiseError(ErrOverflow);
    return DecimalFitter::fit(negative, v, static_cast<int>(scale), sticky);
}

double Decimal::toDouble() const
{
    if (m_coefficient == 0)
        return 0.0;
    double r;
    if (m_coefficient < (u128(1) << 53) && m_scale <= 22) {
        // Both operands exact as doubles: one correctly rounded division.
        static constexpr double kExact[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                              1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
        r = static_cast<double>(static_cast<u64>(m_coefficient)) / kExact[m_scale];
    } else {
        // Digits with a decimal exponent; from_chars rounds to nearest.
        char buf[64];
        char* p = writeDigits(buf, m_coefficient);
        *p++ = 'e';
        *p++ = '-';
        p = std::to_chars(p, buf + sizeof buf, m_scale).ptr;
        std::from_chars(buf, p, r);
    }
    return m_negative ? -r : r;
}

std::string Decimal::toString() const
{
    if (m_coefficient == 0)
        return "0";
    std::string digits = coefficientDigits(m_coefficient);
    int scale = m_scale;
    while (scale > 0 && digits.back() == '0') {
        digits.pop_back();
        --scale;
    }
    std::string s = m_negative ? "-" : "";
    const int n = static_cast<int>(digits.size());
    if (scale >= n) {
        s += "0.";
        s.append(static_cast<std::size_t>(scale - n), '0');
        s += digits;
    } else if (scale > 0) {
        s += digits.substr(0, static_cast<std::size_t>(n - scale));
        s += '.';
        s += digits.substr(static_cast<std::size_t>(n - scale));
    } else {
        s += digits;
    }
    return s;
}

Decimal Decimal::operator-() const
{
    return Decimal(!m_negative, m_coefficient, m_scale);
}

Decimal Decimal::abs() const
{
    return Decimal(false, m_coefficient, m_scale);
}

namespace {
// The magnitudes of a and b at their common scale (below 2^190).
void aligned(const Decimal& a, const Decimal& b, U256& va, U256& vb, int& scale)
{
    scale = std::max(a.scale(), b.scale());
    va = U256::of(a.coefficient());
    vb = U256::of(b.coefficient());
    va.mulPow10(scale - a.scale());
    vb.mulPow10(scale - b.scale());
}
} // namespace

Decimal operator+(const Decimal& a, const Decimal& b)
{
    if (a.scale() == b.scale() && a.isNegative() == b.isNegative()) {
        // The common case: one 128-bit addition (each term below 2^96).
        return DecimalFitter::fit(a.isNegative(), U256::of(a.coefficient() + b.coefficient()), a.scale(), false);
    }
    U256 va, vb;
    int scale = 0;
    aligned(a, b, va, vb, scale);
    if (a.isNegative() == b.isNegative())
        return DecimalFitter::fit(a.isNegative(), va + vb, scale, false);
    if (compare(va, vb) >= 0)
        return DecimalFitter::fit(a.isNegative(), va - vb, scale, false);
    return DecimalFitter::fit(b.isNegative(), vb - va, scale, false);
}

Decimal operator-(const Decimal& a, const Decimal& b)
{
    return a + (-b);
}

Decimal operator*(const Decimal& a, const Decimal& b)
{
    return DecimalFitter::fit(a.isNegative() != b.isNegative(), multiply(a.coefficient(), b.coefficient()),
                              a.scale() + b.scale(), false);
}

Decimal operator/(const Decimal& a, const Decimal& b)
{
    if (b.isZero())
        raiseError(ErrDivisionByZero);
    if (a.isZero())
        return Decimal();
    // Long division of the coefficients, up to nine digits at a time. Digits
    // are produced until the quotient has a place beyond the 28th decimal or
    // 30 significant digits, so an inexact quotient always has a digit
    // dropped in the fit and the remainder decides ties.
    const u128 B = b.coefficient();
    u128 q = a.coefficient() / B;
    u128 r = a.coefficient() % B;
    int scale = a.scale() - b.scale();
    int significant = digitCount(q);
    while (r != 0 && scale < 29 && significant < 30) {
        int k = std::min(9, 29 - scale);
        if (significant > 0)
            k = std::min(k, 30 - significant);
        r *= kPow10[k]; // r < 2^96, so r·10^9 < 2^126
        const u128 chunk = r / B;
        r -= chunk * B;
        q = q * kPow10[k] + chunk; // below 10^30
        scale += k;
        significant = digitCount(q);
    }
    return DecimalFitter::fit(a.isNegative() != b.isNegative(), U256::of(q), scale, r != 0);
}

std::strong_ordering operator<=>(const Decimal& a, const Decimal& b)
{
    if (a.isNegative() != b.isNegative())
        return a.isNegative() ? std::strong_ordering::less : std::strong_ordering::greater;
    U256 va, vb;
    int scale = 0;
    aligned(a, b, va, vb, scale);
    int c = compare(va, vb);
    if (a.isNegative())
        c = -c;
    return c < 0 ? std::strong_ordering::less
                 : (c > 0 ? std::strong_ordering::greater : std::strong_ordering::equal);
}

} // namespace SumtrixLib

// The base-10 decimal number: exact intermediate results fitted to a 96-bit
// coefficient and at most 28 decimal places, rounding half to even.
#include "decimal.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "SumtrixLib/Runtime.hpp"

namespace SumtrixLib {

namespace {

// An unsigned integer of any size as decimal digits, least significant
// first. Intermediate results (aligned sums, full products) exceed 128 bits.
using Digits = std::vector<std::uint8_t>;

void trim(Digits& d)
{
    while (!d.empty() && d.back() == 0)
        d.pop_back();
}

Digits digitsOf(DecimalCoefficient v)
{
    Digits d;
    while (v != 0) {
        d.push_back(static_cast<std::uint8_t>(v % 10));
        v /= 10;
    }
    return d;
}

// Multiplies by 10^n.
void shiftUp(Digits& d, int n)
{
    if (n > 0 && !d.empty())
        d.insert(d.begin(), static_cast<std::size_t>(n), 0);
}

int compareDigits(const Digits& a, const Digits& b) // both trimmed
{
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    for (std::size_t i = a.size(); i-- > 0;) {
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
    }
    return 0;
}

Digits addDigits(const Digits& a, const Digits& b)
{
    Digits r;
    const std::size_t n = std::max(a.size(), b.size());
    r.reserve(n + 1);
    int carry = 0;
    for (std::size_t i = 0; i < n; ++i) {
        int s = carry + (i < a.size() ? a[i] : 0) + (i < b.size() ? b[i] : 0);
        r.push_back(static_cast<std::uint8_t>(s % 10));
        carry = s / 10;
    }
    if (carry)
        r.push_back(static_cast<std::uint8_t>(carry));
    return r;
}

// a - b for a >= b.
Digits subDigits(const Digits& a, const Digits& b)
{
    Digits r;
    r.reserve(a.size());
    int borrow = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        int s = a[i] - borrow - (i < b.size() ? b[i] : 0);
        borrow = s < 0 ? 1 : 0;
        r.push_back(static_cast<std::uint8_t>(s + 10 * borrow));
    }
    trim(r);
    return r;
}

Digits mulDigits(const Digits& a, const Digits& b)
{
    if (a.empty() || b.empty())
        return {};
    std::vector<unsigned> acc(a.size() + b.size(), 0);
    for (std::size_t i = 0; i < a.size(); ++i)
        for (std::size_t j = 0; j < b.size(); ++j)
            acc[i + j] += static_cast<unsigned>(a[i]) * b[j];
    Digits r(acc.size(), 0);
    unsigned carry = 0;
    for (std::size_t k = 0; k < acc.size(); ++k) {
        unsigned s = acc[k] + carry;
        r[k] = static_cast<std::uint8_t>(s % 10);
        carry = s / 10;
    }
    trim(r);
    return r;
}

// An exact value digits / 10^scale; `sticky` marks a non-zero remainder
// below the last digit (a quotient that does not terminate).
struct Exact {
    bool negative = false;
    Digits digits;
    int scale = 0;
    bool sticky = false;
};

} // namespace

class DecimalFitter {
public:
    // Keeps as many decimal places as fit (at most 28), rounding the dropped
    // digits half to even; error 6 when not even an integer fits.
    static Decimal fit(Exact x)
    {
        trim(x.digits);
        int n = static_cast<int>(x.digits.size());
        if (n == 0 && !x.sticky)
            return Decimal();
        if (x.scale < 0) {
            // An integer with -scale zeros appended; 30 digits never fit.
            if (n - x.scale > 30)
                raiseError(ErrOverflow);
            shiftUp(x.digits, -x.scale);
            n -= x.scale;
            x.scale = 0;
        }
        int s = std::min(x.scale, Decimal::MaxScale);
        if (n > 29)
            s = std::min(s, x.scale - (n - 29));
        for (; s >= 0; --s) {
            DecimalCoefficient c = 0;
            if (roundedAt(x, x.scale - s, c))
                return Decimal(x.negative, c, s);
        }
        raiseError(ErrOverflow);
    }

private:
    // The digits with the lowest `drop` removed and rounded half to even;
    // false when the rounded value is not below 2^96.
    static bool roundedAt(const Exact& x, int drop, DecimalCoefficient& out)
    {
        const Digits& d = x.digits;
        const int n = static_cast<int>(d.size());
        if (n - drop > 30)
            return false;
        DecimalCoefficient kept = 0;
        for (int i = n - 1; i >= drop; --i)
            kept = kept * 10 + d[static_cast<std::size_t>(i)];
        if (drop > 0) {
            const int first = drop - 1 < n ? d[static_cast<std::size_t>(drop - 1)] : 0;
            bool rest = x.sticky;
            for (int i = 0; i < std::min(drop - 1, n) && !rest; ++i)
                rest = d[static_cast<std::size_t>(i)] != 0;
            if (first > 5 || (first == 5 && (rest || (kept & 1) != 0)))
                ++kept;
        }
        if (kept >= Decimal::CoefficientLimit)
            return false;
        out = kept;
        return true;
    }
};

Decimal Decimal::fromParts(bool negative, DecimalCoefficient coefficient, int scale)
{
    return DecimalFitter::fit(Exact{negative, digitsOf(coefficient), scale, false});
}

Decimal Decimal::fromDouble(double value)
{
    if (!std::isfinite(value))
        raiseError(ErrOverflow);
    if (value == 0.0)
        return Decimal();
    // 15 significant digits: d.dddddddddddddde[+-]x, correctly rounded.
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", value);
    Exact x;
    const char* p = buf;
    if (*p == '-') {
        x.negative = true;
        ++p;
    }
    Digits msf;
    for (; *p && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9')
            msf.push_back(static_cast<std::uint8_t>(*p - '0'));
    }
    const int exponent = std::atoi(p + 1);
    x.digits.assign(msf.rbegin(), msf.rend());
    x.scale = 14 - exponent;
    return DecimalFitter::fit(std::move(x));
}

Decimal Decimal::fromText(std::string_view text)
{
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && text[i] == ' ')
        ++i;
    Exact x;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        x.negative = text[i] == '-';
        ++i;
    }
    Digits msf;
    int fraction = 0;
    bool anyDigit = false;
    bool point = false;
    for (; i < n; ++i) {
        const char ch = text[i];
        if (ch >= '0' && ch <= '9') {
            anyDigit = true;
            if (!msf.empty() || ch != '0')
                msf.push_back(static_cast<std::uint8_t>(ch - '0'));
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
    if (msf.empty())
        return Decimal();
    x.digits.assign(msf.rbegin(), msf.rend());
    // A value far below the smallest place rounds to 0 whatever its digits.
    const long scale = fraction - exponent;
    if (scale > 1000 + static_cast<long>(msf.size()))
        return Decimal();
    x.scale = static_cast<int>(std::max(scale, -1000L));
    return DecimalFitter::fit(std::move(x));
}

double Decimal::toDouble() const
{
    if (m_coefficient == 0)
        return 0.0;
    // Digits with a decimal exponent; strtod rounds correctly to nearest.
    Digits d = digitsOf(m_coefficient);
    std::string s;
    s.reserve(d.size() + 8);
    if (m_negative)
        s.push_back('-');
    for (std::size_t k = d.size(); k-- > 0;)
        s.push_back(static_cast<char>('0' + d[k]));
    s += "e-" + std::to_string(m_scale);
    return std::strtod(s.c_str(), nullptr);
}

std::string Decimal::toString() const
{
    if (m_coefficient == 0)
        return "0";
    Digits d = digitsOf(m_coefficient);
    int scale = m_scale;
    std::size_t lead = 0;
    while (scale > 0 && d[lead] == 0) {
        ++lead;
        --scale;
    }
    d.erase(d.begin(), d.begin() + static_cast<std::ptrdiff_t>(lead));
    std::string s;
    if (m_negative)
        s.push_back('-');
    const int n = static_cast<int>(d.size());
    if (scale >= n) {
        s += "0.";
        s.append(static_cast<std::size_t>(scale - n), '0');
        for (int k = n; k-- > 0;)
            s.push_back(static_cast<char>('0' + d[static_cast<std::size_t>(k)]));
    } else {
        for (int k = n; k-- > 0;) {
            s.push_back(static_cast<char>('0' + d[static_cast<std::size_t>(k)]));
            if (k == scale && k > 0)
                s.push_back('.');
        }
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
// The magnitudes of a and b as digits at their common scale.
void aligned(const Decimal& a, const Decimal& b, Digits& da, Digits& db, int& scale)
{
    scale = std::max(a.scale(), b.scale());
    da = digitsOf(a.coefficient());
    db = digitsOf(b.coefficient());
    shiftUp(da, scale - a.scale());
    shiftUp(db, scale - b.scale());
}
} // namespace

Decimal operator+(const Decimal& a, const Decimal& b)
{
    Digits da, db;
    int scale = 0;
    aligned(a, b, da, db, scale);
    Exact x;
    x.scale = scale;
    if (a.isNegative() == b.isNegative()) {
        x.negative = a.isNegative();
        x.digits = addDigits(da, db);
    } else if (compareDigits(da, db) >= 0) {
        x.negative = a.isNegative();
        x.digits = subDigits(da, db);
    } else {
        x.negative = b.isNegative();
        x.digits = subDigits(db, da);
    }
    return DecimalFitter::fit(std::move(x));
}

Decimal operator-(const Decimal& a, const Decimal& b)
{
    return a + (-b);
}

Decimal operator*(const Decimal& a, const Decimal& b)
{
    Exact x;
    x.negative = a.isNegative() != b.isNegative();
    x.digits = mulDigits(digitsOf(a.coefficient()), digitsOf(b.coefficient()));
    x.scale = a.scale() + b.scale();
    return DecimalFitter::fit(std::move(x));
}

Decimal operator/(const Decimal& a, const Decimal& b)
{
    if (b.isZero())
        raiseError(ErrDivisionByZero);
    if (a.isZero())
        return Decimal();
    // Long division of the coefficients. Digits are produced until the
    // quotient has a place beyond the 28th decimal or 30 significant digits,
    // so at least one digit is always dropped when the quotient is inexact
    // and the remainder decides ties.
    const DecimalCoefficient B = b.coefficient();
    DecimalCoefficient q = a.coefficient() / B;
    DecimalCoefficient r = a.coefficient() % B;
    Exact x;
    x.negative = a.isNegative() != b.isNegative();
    x.scale = a.scale() - b.scale();
    Digits msf;
    for (std::uint8_t d : digitsOf(q))
        msf.insert(msf.begin(), d);
    int significant = static_cast<int>(msf.size());
    while (r != 0 && x.scale < 29 && significant < 30) {
        r *= 10; // r < 2^96, so 10 r < 2^100
        const auto digit = static_cast<std::uint8_t>(r / B);
        r %= B;
        msf.push_back(digit);
        if (significant > 0 || digit != 0)
            ++significant;
        ++x.scale;
    }
    x.sticky = r != 0;
    x.digits.assign(msf.rbegin(), msf.rend());
    return DecimalFitter::fit(std::move(x));
}

std::strong_ordering operator<=>(const Decimal& a, const Decimal& b)
{
    if (a.isNegative() != b.isNegative())
        return a.isNegative() ? std::strong_ordering::less : std::strong_ordering::greater;
    Digits da, db;
    int scale = 0;
    aligned(a, b, da, db, scale);
    int c = compareDigits(da, db);
    if (a.isNegative())
        c = -c;
    return c < 0 ? std::strong_ordering::less
                 : (c > 0 ? std::strong_ordering::greater : std::strong_ordering::equal);
}

} // namespace SumtrixLib

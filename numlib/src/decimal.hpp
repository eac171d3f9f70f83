#pragma once
// The base-10 decimal number that some routines of the library compute in.
//
// A value is (-1)^sign * coefficient / 10^scale with an unsigned 96-bit
// coefficient (held in an unsigned __int128 and kept below 2^96) and a scale
// of 0 to 28, so it carries 28 or 29 significant digits and at most 28
// decimal places. Every operation forms its exact result first and then
// fits it: it keeps as many decimal places as the coefficient allows (at
// most 28) and rounds the rest half to even. A result that does not fit
// even with no decimal places raises error 6 (overflow); a division by zero
// raises error 11.
//
// Conversion from a double takes the double at 15 significant digits (the
// digits a double reliably carries) and then fits that; conversion to a
// double gives the nearest double. Texts use '.' and accept an exponent
// marked by e, E, d or D ("0.12d-2" is 0.0012).
//
// Decimal values are what the published coefficient tables of the
// log-gamma series and of several normal-distribution routines are held in;
// their rounding is part of those routines' results (a density that becomes
// exactly 0 once it is below 1E-28, for example).

#include <compare>
#include <cstdint>
#include <string>
#include <string_view>

namespace SumtrixLib {

__extension__ typedef unsigned __int128 DecimalCoefficient;

class Decimal {
public:
    // The largest coefficient plus one: 2^96.
    static constexpr DecimalCoefficient CoefficientLimit = DecimalCoefficient(1) << 96;
    static constexpr int MaxScale = 28;

    Decimal() = default; // 0

    // A double at 15 significant digits. Error 6 for a value beyond the
    // decimal range or a value that is not finite.
    static Decimal fromDouble(double value);
    // A decimal text: optional sign, digits with an optional '.', optional
    // exponent after e, E, d or D. Error 13 for anything else, 6 when the
    // value does not fit.
    static Decimal fromText(std::string_view text);

    // The nearest double.
    double toDouble() const;
    // Plain notation without exponent and without trailing zeros after the
    // point ("-0.0012", "250", "0").
    std::string toString() const;

    bool isNegative() const { return m_negative; }
    bool isZero() const { return m_coefficient == 0; }
    DecimalCoefficient coefficient() const { return m_coefficient; }
    int scale() const { return m_scale; }

    Decimal operator-() const;
    Decimal abs() const;

    friend Decimal operator+(const Decimal& a, const Decimal& b);
    friend Decimal operator-(const Decimal& a, const Decimal& b);
    friend Decimal operator*(const Decimal& a, const Decimal& b);
    friend Decimal operator/(const Decimal& a, const Decimal& b);

    // Comparison by value (0.10 equals 0.1; -0 equals 0).
    friend std::strong_ordering operator<=>(const Decimal& a, const Decimal& b);
    friend bool operator==(const Decimal& a, const Decimal& b)
    {
        return (a <=> b) == std::strong_ordering::equal;
    }

private:
    Decimal(bool negative, DecimalCoefficient coefficient, int scale)
        : m_negative(negative && coefficient != 0), m_coefficient(coefficient), m_scale(scale)
    {
    }

    bool m_negative = false;
    DecimalCoefficient m_coefficient = 0;
    int m_scale = 0;

    friend class DecimalFitter;
};

} // namespace SumtrixLib

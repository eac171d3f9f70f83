// Fixed-width number and text formatting (FormatFixedWidth, AlignText).
#include "SumtrixLib/Format.hpp"

#include "SumtrixLib/Runtime.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace SumtrixLib {

namespace {

// Byte offset of the code point with index `n` (or text.size()).
std::size_t utf8Offset(const std::string& text, std::size_t n)
{
    std::size_t i = 0;
    std::size_t count = 0;
    while (i < text.size() && count < n) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        std::size_t len = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 1;
        i += len;
        ++count;
    }
    return i < text.size() ? i : text.size();
}

std::string stripLeadingBlanks(const std::string& s)
{
    std::size_t i = s.find_first_not_of(' ');
    return i == std::string::npos ? std::string() : s.substr(i);
}

// Rounds |value| to `dec` decimal places, halves away from zero, working on
// the value's decimal form at 15 significant digits. Writes the rounded
// number's digits to `out`, `dec` of them after the point and at least
// `dec` in all (zeros before where the number is below 1), and returns their
// count; out needs room for 330 + dec characters (1E308 has 309 integer
// digits).
long roundedDigits(double absValue, int dec, char* out)
{
    // Most values of a report are rounded right on the value itself:
    // t = |value| x 10^dec is off from the 15-digit decimal form scaled the
    // same way by at most 5E-15 t (half a unit of that form's last digit)
    // and the product's rounding, so unless t lies within 1E-14 t of a
    // half, both round to the same whole number. Whole numbers of up to 14
    // digits keep the 15-digit form's places; halves and the rest go the
    // long way below.
    static constexpr double PowersOf10[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    if (dec <= 15) {
        const double t = absValue * PowersOf10[dec];
        if (t < 1e14) {
            const double whole = std::floor(t);
            const double fraction = t - whole;
            if (std::fabs(fraction - 0.5) > 1e-14 * t) {
                const auto rounded = static_cast<std::uint64_t>(whole) + (fraction > 0.5 ? 1 : 0);
                char digits[24];
                const long count = std::to_chars(digits, digits + sizeof digits, rounded).ptr - digits;
                const long pad = count < dec ? dec - count : 0;
                std::memset(out, '0', static_cast<std::size_t>(pad));
                std::memcpy(out + pad, digits, static_cast<std::size_t>(count));
                return count + pad;
            }
        }
    }

    // std::to_chars writes what printf's "%.14e" writes ("d.dddddddddddddde+XX"),
    // without the cost of printf (a long report formats millions of fields).
    char buf[40];
    const std::to_chars_result written =
        std::to_chars(buf, buf + sizeof buf, absValue, std::chars_format::scientific, 14);
    char digits[15];
    digits[0] = buf[0];
    std::memcpy(digits + 1, buf + 2, 14);
    int exponent = 0;
    for (const char* e = buf + 18; e < written.ptr; ++e)
        exponent = exponent * 10 + (*e - '0');
    if (buf[17] == '-')
        exponent = -exponent;
    const long keep = static_cast<long>(exponent) + 1 + dec;   // digits before the point, and dec after

    long count = 0;
    if (keep >= 15) {
        std::memcpy(out, digits, 15);
        std::memset(out + 15, '0', static_cast<std::size_t>(keep - 15));
        count = keep;
    } else if (keep >= 0) {
        std::memcpy(out, digits, static_cast<std::size_t>(keep));
        count = keep;
        if (digits[keep] >= '5') {
            long i = keep - 1;
            while (i >= 0 && out[i] == '9')
                out[i--] = '0';
            if (i >= 0) {
                ++out[i];
            } else {
                std::memmove(out + 1, out, static_cast<std::size_t>(count));
                out[0] = '1';
                ++count;
            }
        }
    }
    if (count < dec) {
        const long pad = dec - count;
        std::memmove(out + pad, out, static_cast<std::size_t>(count));
        std::memset(out, '0', static_cast<std::size_t>(pad));
        count = dec;
    }
    return count;
}

// The integer digits without leading zeros (empty for a zero integer part)
// and exactly `dec` fraction digits of |value| rounded as roundedDigits does.
void roundDecimal(double absValue, int dec, std::string& intPart, std::string& fracPart)
{
    std::string kept(static_cast<std::size_t>(330 + dec), '\0');
    const long count = roundedDigits(absValue, dec, kept.data());
    long first = 0;
    const long intDigits = count - dec;
    while (first < intDigits && kept[static_cast<std::size_t>(first)] == '0')
        ++first;
    intPart.assign(kept, static_cast<std::size_t>(first), static_cast<std::size_t>(intDigits - first));
    fracPart.assign(kept, static_cast<std::size_t>(intDigits), static_cast<std::size_t>(dec));
}

// The fields of the long tables: places up to this many and fields up to
// this wide are printed without building strings.
constexpr int FastMaxDec = 30;
constexpr int FastMaxSize = 64;

// The text FormatFixedWidth prints for a finite value with 0 <= Dec <=
// FastMaxDec before it is aligned: "-" for a negative value that does not
// round to zero, the integer digits ("0" for none when Dec > 0, nothing when
// Dec is 0), the point and the places. Written to `out` (room for
// 340 + FastMaxDec characters); returns its length. zeroAdded tells that
// the "0" before the point stands for no integer digits.
long printedFixed(double value, int Dec, char* out, bool& zeroAdded)
{
    char kept[330 + FastMaxDec];
    const long count = roundedDigits(std::fabs(value), Dec, kept);
    const long intDigits = count - Dec;
    long first = 0;
    while (first < intDigits && kept[first] == '0')
        ++first;
    bool nonZero = false;
    for (long i = first; i < count && !nonZero; ++i)
        nonZero = kept[i] != '0';
    long n = 0;
    if (value < 0 && nonZero)
        out[n++] = '-';
    zeroAdded = first == intDigits && Dec != 0;
    if (zeroAdded) {
        out[n++] = '0';
    } else {
        std::memcpy(out + n, kept + first, static_cast<std::size_t>(intDigits - first));
        n += intDigits - first;
    }
    if (Dec != 0) {
        out[n++] = '.';
        std::memcpy(out + n, kept + intDigits, static_cast<std::size_t>(Dec));
        n += Dec;
    }
    return n;
}

} // namespace

std::string AlignText(const std::string& Text, std::int32_t TextSize, InOut<std::int16_t> Alignment);
std::string FormatNumberPattern(double value, const std::string& pattern);

namespace {

// A finite value too wide for its field with `dec` places: printed with as
// many places as fit (rounded again at each), down to none; "n/a" only when
// even the integer does not fit. The printed text, with its "0" before the
// point, is what has to fit here, so nothing is cut.
std::string fewerDecimals(double value, std::int32_t size, std::int32_t dec, std::int16_t alignment)
{
    // d places need at least d + 2 characters ("0." and the places).
    // Each try drops as many places as the text was too long; rounding at
    // fewer places can add an integer digit (99999.996), so it is measured
    // again.
    long d = std::min<long>(static_cast<long>(dec) - 1, static_cast<long>(size) - 2);
    while (d >= 0) {
        const std::string printed =
            FormatNumberPattern(value, d == 0 ? std::string("0") : "0." + std::string(static_cast<std::size_t>(d), '0'));
        const long over = static_cast<long>(printed.size()) - size;
        if (over <= 0)
            return AlignText(printed, size, alignment);
        d = d == 0 ? -1 : std::max<long>(d - over, 0);
    }
    return AlignText("n/a", size, alignment);
}

} // namespace

std::size_t Utf8Length(const std::string& text)
{
    std::size_t count = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80)
            ++count;
    return count;
}

std::string FormatNumberPattern(double value, const std::string& pattern)
{
    // NaN and the infinities have no decimal form: the overflow error.
    checkedResult(value);
    const std::size_t point = pattern.find('.');
    const std::string intPattern = pattern.substr(0, point);
    const std::string fracPattern = point == std::string::npos ? std::string() : pattern.substr(point + 1);
    std::size_t minIntDigits = 0;
    for (char c : intPattern)
        if (c == '0')
            ++minIntDigits;
    std::size_t requiredFrac = 0;
    for (std::size_t i = 0; i < fracPattern.size(); ++i)
        if (fracPattern[i] == '0')
            requiredFrac = i + 1;

    std::string intPart, fracPart;
    roundDecimal(std::fabs(value), static_cast<int>(fracPattern.size()), intPart, fracPart);
    // "#" after the point prints a digit only where it is significant.
    while (fracPart.size() > requiredFrac && fracPart.back() == '0')
        fracPart.pop_back();
    if (intPart.size() < minIntDigits)
        intPart.insert(0, minIntDigits - intPart.size(), '0');

    const bool nonZero = intPart.find_first_not_of('0') != std::string::npos
                         || fracPart.find_first_not_of('0') != std::string::npos;
    std::string out;
    if (value < 0 && nonZero)
        out += '-';
    out += intPart;
    if (point != std::string::npos)
        out += '.' + fracPart;
    return out;
}

std::string AlignText(const std::string& Text, std::int32_t TextSize, InOut<std::int16_t> Alignment)
{
    if (TextSize > MaxFieldWidth)
        raiseError(ErrInvalidCall);
    if (Text.empty())
        return std::string();
    const long size = TextSize < 0 ? 0 : TextSize;
    const long length = static_cast<long>(Utf8Length(Text));
    if (length > size)
        return Text.substr(0, utf8Offset(Text, static_cast<std::size_t>(size)));
    if (Alignment.get() < 1 || Alignment.get() > 3)
        Alignment = 1;
    const std::size_t n = static_cast<std::size_t>(size - length);
    switch (Alignment.get()) {
    case AlignCentre:
        return std::string(n / 2, ' ') + Text + std::string(n - n / 2, ' ');
    case AlignRight:
        return std::string(n, ' ') + stripLeadingBlanks(Text);
    default:
        return stripLeadingBlanks(Text) + std::string(n, ' ');
    }
}

std::string FormatFixedWidth(InOut<double> value, std::int32_t size, std::int32_t Dec,
                             InOut<std::int16_t> Alignment, bool Prob)
{
    // Refused before anything is written back.
    if (size > MaxFieldWidth)
        raiseError(ErrInvalidCall);
    if (Alignment.get() == 0)
        Alignment = AlignRight;

    if (Prob) {
        if (value.get() < 0)
            value = 0.0;
        const double places = static_cast<double>(Dec);   // -Dec may not fit an int
        if (std::floor(value.get() * std::pow(10.0, places)) == 0)
            value = value.get() + std::pow(10.0, -places);
    }

    if (!std::isfinite(value.get()))
        return AlignText("n/a", size, Alignment.get());

    // The measured text holds the point and all Dec places: wider than the
    // field whatever the value, so it is not built.
    if (Dec > 0 && Dec >= size)
        return fewerDecimals(value.get(), size, Dec, Alignment.get());

    if (Dec >= 0 && Dec <= FastMaxDec) {
        // The text as the patterns below print it, made without them.
        char printed[340 + FastMaxDec];
        bool zeroAdded = false;
        const long length = printedFixed(value.get(), Dec, printed, zeroAdded);
        if (length == 0)   // Dec 0 and a value that rounds to zero
            return std::string(size > 0 ? static_cast<std::size_t>(size) : 0, ' ');
        // The field is measured without the "0" before the point; printed
        // with it, it may still not fit.
        if (length - (zeroAdded ? 1 : 0) > size)
            return Dec != 0 ? fewerDecimals(value.get(), size, Dec, Alignment.get())
                            : AlignText("n/a", size, Alignment.get());
        if (length > size)
            return fewerDecimals(value.get(), size, Dec, Alignment.get());
        return AlignText(std::string(printed, static_cast<std::size_t>(length)), size, Alignment.get());
    }

    std::string measuring;
    if (Dec != 0) {
        measuring = ".";
        measuring.append(Dec > 0 ? static_cast<std::size_t>(Dec) : 0, '0');
    } else {
        measuring = "#";
    }
    const std::string measured = FormatNumberPattern(value.get(), measuring);
    if (static_cast<long>(measured.size()) > size)
        return Dec != 0 ? fewerDecimals(value.get(), size, Dec, Alignment.get())
                        : AlignText("n/a", size, Alignment.get());
    if (measured == ".")
        return AlignText(size >= 3 ? "0.0" : size == 2 ? ".0" : "0", size, Alignment.get());
    if (measured.empty())
        return std::string(size > 0 ? static_cast<std::size_t>(size) : 0, ' ');

    // The printing pattern is "0." and Dec places ("#" when Dec is 0): the
    // same rounding as the measured text, with a "0" before the point where
    // the integer part is empty. It is made from the measured text rather
    // than formatted a second time (long tables print many fields).
    std::string printed = measured;
    if (Dec != 0) {
        const std::size_t digits = printed[0] == '-' ? 1 : 0;
        if (digits < printed.size() && printed[digits] == '.')
            printed.insert(digits, 1, '0');
    }
    // That "0" can make a value between -1 and 0 one character too long:
    // it drops a place, rounded, rather than having its last digit cut.
    if (static_cast<long>(printed.size()) > size)
        return fewerDecimals(value.get(), size, Dec, Alignment.get());
    return AlignText(printed, size, Alignment.get());
}

std::size_t FormatFixedWidthTo(char* out, double value, std::int32_t size, std::int32_t Dec, bool Prob)
{
    if (Prob) {
        if (value < 0)
            value = 0.0;
        const double places = static_cast<double>(Dec);
        if (std::floor(value * std::pow(10.0, places)) == 0)
            value = value + std::pow(10.0, -places);
    }
    if (std::isfinite(value) && size >= 1 && size <= FastMaxSize && Dec >= 0 && Dec < size && Dec <= FastMaxDec) {
        char printed[340 + FastMaxDec];
        bool zeroAdded = false;
        const long length = printedFixed(value, Dec, printed, zeroAdded);
        if (length > 0 && length <= size) {
            const std::size_t pad = static_cast<std::size_t>(size - length);
            std::memset(out, ' ', pad);
            std::memcpy(out + pad, printed, static_cast<std::size_t>(length));
            return static_cast<std::size_t>(size);
        }
    }
    // Everything else (not a number, too wide, a zero without places, wide
    // fields) as the formatter prints it.
    const std::string text = FormatFixedWidth(value, size, Dec);
    std::memcpy(out, text.data(), text.size());
    return text.size();
}

} // namespace SumtrixLib

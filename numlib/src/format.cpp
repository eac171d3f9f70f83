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
// the value's decimal form at 15 significant digits. Gives the integer digits
// without leading zeros (empty for a zero integer part) and exactly `dec`
// fraction digits.
void roundDecimal(double absValue, int dec, std::string& intPart, std::string& fracPart)
{
    // std::to_chars writes what printf's "%.14e" writes, without the cost
    // of printf (a long report formats hundreds of thousands of fields).
    char buf[64];
    const std::to_chars_result written =
        std::to_chars(buf, buf + sizeof buf - 1, absValue, std::chars_format::scientific, 14);
    *written.ptr = '\0';
    std::string digits;
    digits += buf[0];
    digits.append(buf + 2, 14);
    const int exponent = std::atoi(std::strchr(buf, 'e') + 1);
    const int pointPos = exponent + 1;          // digits before the point
    const long keep = static_cast<long>(pointPos) + dec;

    std::string kept;
    if (keep >= 15) {
        kept = digits + std::string(static_cast<std::size_t>(keep - 15), '0');
    } else if (keep >= 0) {
        kept = digits.substr(0, static_cast<std::size_t>(keep));
        if (digits[static_cast<std::size_t>(keep)] >= '5') {
            int i = static_cast<int>(kept.size()) - 1;
            while (i >= 0 && kept[static_cast<std::size_t>(i)] == '9') {
                kept[static_cast<std::size_t>(i)] = '0';
                --i;
            }
            if (i >= 0)
                ++kept[static_cast<std::size_t>(i)];
            else
                kept.insert(kept.begin(), '1');
        }
    }
    // kept holds the rounded number's digits with `dec` of them after the point.
    long intDigits = static_cast<long>(kept.size()) - dec;
    if (intDigits < 0) {
        kept.insert(0, static_cast<std::size_t>(-intDigits), '0');
        intDigits = 0;
    }
    intPart = kept.substr(0, static_cast<std::size_t>(intDigits));
    fracPart = kept.substr(static_cast<std::size_t>(intDigits));
    const std::size_t nz = intPart.find_first_not_of('0');
    intPart = nz == std::string::npos ? std::string() : intPart.substr(nz);
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

} // namespace SumtrixLib

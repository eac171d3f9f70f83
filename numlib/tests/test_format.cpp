// Fixed-width formatter and text aligner: worked examples and edge cases.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "SumtrixLib/Format.hpp"
#include "test_support.hpp"

using namespace SumtrixLib;
using SumtrixLib::test_support::errorOf;

namespace {

struct FixedCase {
    double value;
    int size;
    int dec;
    std::int16_t alignment;
    bool prob;
    const char* expected;
    double valueAfter;          // the caller's variable afterwards
    std::int16_t alignmentAfter;
};

class FormatFixedWidthTable : public ::testing::TestWithParam<FixedCase> {};

TEST_P(FormatFixedWidthTable, FieldTextAndWriteBacks)
{
    const FixedCase& c = GetParam();
    double v = c.value;
    std::int16_t a = c.alignment;
    EXPECT_EQ(FormatFixedWidth(v, c.size, c.dec, a, c.prob), c.expected);
    if (std::isnan(c.valueAfter))
        EXPECT_TRUE(std::isnan(v));
    else
        EXPECT_DOUBLE_EQ(v, c.valueAfter);
    EXPECT_EQ(a, c.alignmentAfter);
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(Examples, FormatFixedWidthTable, ::testing::Values(
    // value, size, dec, align, prob, text, value after, align after
    FixedCase{0.5, 8, 3, 0, false, "   0.500", 0.5, 3},
    FixedCase{12345.678, 8, 3, 0, false, "12345.68", 12345.678, 3},
    FixedCase{123.0, 2, 0, 0, false, "n/", 123.0, 3},
    FixedCase{0.0, 6, 0, 0, false, "      ", 0.0, 3},
    FixedCase{7.6, 6, 0, 0, false, "     8", 7.6, 3},
    FixedCase{-0.2, 8, 4, 0, true, "  0.0001", 0.0001, 3},
    FixedCase{0.00004, 8, 4, 0, true, "  0.0001", 0.00014, 3},
    FixedCase{0.03, 8, 4, 0, true, "  0.0300", 0.03, 3},
    FixedCase{0.0, 8, 3, 0, true, "   0.001", 0.001, 3},
    FixedCase{0.0004, 8, 3, 0, true, "   0.001", 0.0014, 3},
    FixedCase{-0.5, 5, 3, 0, false, "-0.50", -0.5, 3},
    FixedCase{-0.5, 6, 3, 0, false, "-0.500", -0.5, 3},
    // the "0" before the point leaves room for two places, rounded
    FixedCase{-0.5678, 5, 3, 0, false, "-0.57", -0.5678, 3},
    FixedCase{12.3456, 8, 2, 0, false, "   12.35", 12.3456, 3},
    FixedCase{-12.3456, 8, 2, 1, false, "-12.35  ", -12.3456, 1},
    FixedCase{1.5, 7, 1, 2, false, "  1.5  ", 1.5, 2},
    FixedCase{1.5, 7, 1, 9, false, "1.5    ", 1.5, 1},
    // halves away from zero on the decimal form at 15 significant digits
    FixedCase{2.675, 8, 2, 0, false, "    2.68", 2.675, 3},
    FixedCase{0.5, 3, 0, 0, false, "  1", 0.5, 3},
    FixedCase{-2.5, 4, 0, 0, false, "  -3", -2.5, 3},
    FixedCase{1.005, 6, 2, 0, false, "  1.01", 1.005, 3},
    FixedCase{9.9996, 7, 3, 0, false, " 10.000", 9.9996, 3},
    // a value that rounds to zero loses its sign
    FixedCase{-0.0001, 7, 3, 0, false, "  0.000", -0.0001, 3},
    FixedCase{-0.3, 4, 0, 0, false, "    ", -0.3, 3},
    // non-finite values print "n/a"
    FixedCase{kNaN, 6, 2, 0, false, "   n/a", kNaN, 3},
    FixedCase{kInf, 6, 2, 0, false, "   n/a", kInf, 3},
    FixedCase{-kInf, 6, 2, 1, false, "n/a   ", -kInf, 1},
    FixedCase{1e300, 10, 2, 0, false, "       n/a", 1e300, 3},
    // a value too wide for its places keeps as many as fit, rounded again
    // there, down to none; "n/a" only when the integer part does not fit
    FixedCase{13856.12345678, 10, 5, 0, false, "13856.1235", 13856.12345678, 3},
    FixedCase{1000000.1234, 10, 5, 0, false, "1000000.12", 1000000.1234, 3},
    FixedCase{-13856.1234, 10, 5, 1, false, "-13856.123", -13856.1234, 1},
    FixedCase{99999.996, 7, 3, 0, false, " 100000", 99999.996, 3},
    FixedCase{1234567890.4, 10, 3, 0, false, "1234567890", 1234567890.4, 3},
    FixedCase{-123456789.6, 10, 3, 0, false, "-123456790", -123456789.6, 3},
    FixedCase{12345678901.0, 10, 3, 0, false, "       n/a", 12345678901.0, 3},
    FixedCase{-1234567890.0, 10, 3, 0, false, "       n/a", -1234567890.0, 3},
    FixedCase{123456.0, 5, 0, 0, false, "  n/a", 123456.0, 3},
    // a size below the contract does not crash
    FixedCase{0.25, 2, 3, 0, false, " 0", 0.25, 3},
    FixedCase{1.0, 0, 0, 0, false, "", 1.0, 3},
    FixedCase{5.0, -3, 2, 0, false, "", 5.0, 3},
    // a negative Dec makes the measuring pattern a lone point
    FixedCase{0.3, 5, -1, 0, false, "  0.0", 0.3, 3},
    FixedCase{0.3, 2, -1, 0, false, ".0", 0.3, 3},
    FixedCase{0.3, 1, -1, 0, false, "0", 0.3, 3}));

struct AlignCase {
    const char* text;
    int size;
    std::int16_t alignment;
    const char* expected;
    std::int16_t alignmentAfter;
};

class AlignTextTable : public ::testing::TestWithParam<AlignCase> {};

TEST_P(AlignTextTable, FieldText)
{
    const AlignCase& c = GetParam();
    std::int16_t a = c.alignment;
    EXPECT_EQ(AlignText(c.text, c.size, a), c.expected);
    EXPECT_EQ(a, c.alignmentAfter);
}

INSTANTIATE_TEST_SUITE_P(Examples, AlignTextTable, ::testing::Values(
    AlignCase{"ab", 5, 2, " ab  ", 2},
    AlignCase{"  ab", 6, 3, "  ab", 3},
    AlignCase{"abcdef", 4, 3, "abcd", 3},
    AlignCase{"a", 3, 7, "a  ", 1},
    AlignCase{"a", 3, 0, "a  ", 1},
    AlignCase{"", 5, 3, "", 3},
    AlignCase{"  ab", 6, 1, "ab  ", 1},
    AlignCase{"x", 4, 3, "   x", 3},
    // widths count characters, not bytes
    AlignCase{"\xC2\xB5g", 4, 3, "  \xC2\xB5g", 3},
    AlignCase{"\xC2\xB5g\xC2\xB5", 2, 1, "\xC2\xB5g", 1}));

TEST(FormatFixedWidth, OmittedOptionalsActAsZeroAndTemporariesAreAccepted)
{
    EXPECT_EQ(FormatFixedWidth(0.5, 8, 3), "   0.500");
    std::int16_t zero = 0;
    EXPECT_EQ(FormatFixedWidth(0.5, 8, 3, zero, false), FormatFixedWidth(0.5, 8, 3));
    // A probability passed as an expression is formatted; nothing to write back.
    EXPECT_EQ(FormatFixedWidth(-1.0, 6, 2, 0, true), "  0.01");
}

TEST(FormatNumberPattern, PatternRules)
{
    EXPECT_EQ(FormatNumberPattern(12.3456, ".00"), "12.35");
    EXPECT_EQ(FormatNumberPattern(0.5, ".00"), ".50");
    EXPECT_EQ(FormatNumberPattern(0.0, "#"), "");
    EXPECT_EQ(FormatNumberPattern(0.5, "###0.00"), "0.50");
    EXPECT_EQ(FormatNumberPattern(123456.0, "#0.0"), "123456.0");
}

TEST(FormatNumberPattern, NonFiniteValuesRaiseTheOverflowError)
{
    for (double v : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                     -std::numeric_limits<double>::infinity()})
        for (const char* pattern : {"#", ".00", "###0.0##"})
            EXPECT_EQ(errorOf([&] { FormatNumberPattern(v, pattern); }), ErrOverflow) << v << " " << pattern;
}

// Extreme sizes and places: a field wider than MaxFieldWidth is refused
// before anything is written back; extreme places give the field's usual
// text without building a text of that many digits.
TEST(FormatFixedWidth, ExtremeSizesAndPlaces)
{
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    for (std::int32_t size : {kMax, MaxFieldWidth + 1}) {
        double v = -1.0;
        std::int16_t a = 0;
        EXPECT_EQ(errorOf([&] { FormatFixedWidth(v, size, 2, a, true); }), ErrInvalidCall) << size;
        EXPECT_EQ(v, -1.0);
        EXPECT_EQ(a, 0);
        EXPECT_EQ(errorOf([&] { AlignText("x", size, a); }), ErrInvalidCall) << size;
    }
    EXPECT_EQ(FormatFixedWidth(0.5, 8, kMax), "0.500000");
    EXPECT_EQ(FormatFixedWidth(0.5, 8, 8), "0.500000");
    EXPECT_EQ(FormatFixedWidth(-1e300, MaxFieldWidth, kMax).size(), static_cast<std::size_t>(MaxFieldWidth));
    EXPECT_EQ(FormatFixedWidth(0.5, 8, 7), "0.500000");   // measured fits, printed with a place less
    // any negative Dec measures with a lone point, like -1
    EXPECT_EQ(FormatFixedWidth(0.3, 5, kMin), "  0.0");
    EXPECT_EQ(FormatFixedWidth(12.7, 6, kMin), FormatFixedWidth(12.7, 6, -1));
    double p = 0.0;
    EXPECT_EQ(FormatFixedWidth(p, 8, kMax, 0, true), "0.000000");
    EXPECT_EQ(FormatFixedWidth(2.5, MaxFieldWidth, 2).size(), static_cast<std::size_t>(MaxFieldWidth));
}

} // namespace

namespace {

// The formatter as first written, on printf's "%.14e" and strings: the
// reference of the fast paths below.
std::string naivePattern(double value, int dec, bool point)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(value));
    std::string digits = std::string(1, buf[0]) + std::string(buf + 2, 14);
    const long keep = std::atol(std::strchr(buf, 'e') + 1) + 1 + dec;
    std::string kept;
    if (keep >= 15) {
        kept = digits + std::string(static_cast<std::size_t>(keep - 15), '0');
    } else if (keep >= 0) {
        kept = digits.substr(0, static_cast<std::size_t>(keep));
        if (digits[static_cast<std::size_t>(keep)] >= '5') {
            long i = static_cast<long>(kept.size()) - 1;
            while (i >= 0 && kept[static_cast<std::size_t>(i)] == '9')
                kept[static_cast<std::size_t>(i--)] = '0';
            if (i >= 0)
                ++kept[static_cast<std::size_t>(i)];
            else
                kept.insert(kept.begin(), '1');
        }
    }
    long intDigits = static_cast<long>(kept.size()) - dec;
    if (intDigits < 0) {
        kept.insert(0, static_cast<std::size_t>(-intDigits), '0');
        intDigits = 0;
    }
    std::string intPart = kept.substr(0, static_cast<std::size_t>(intDigits));
    const std::string fracPart = kept.substr(static_cast<std::size_t>(intDigits));
    intPart.erase(0, std::min(intPart.size(), intPart.find_first_not_of('0')));
    const bool nonZero = (intPart + fracPart).find_first_not_of('0') != std::string::npos;
    std::string out = value < 0 && nonZero ? "-" : "";
    out += intPart;
    if (point)
        out += '.' + fracPart;
    return out;
}

std::string naiveField(double value, int size, int dec, bool prob)
{
    if (prob) {
        if (value < 0)
            value = 0;
        if (std::floor(value * std::pow(10.0, dec)) == 0)
            value += std::pow(10.0, -dec);
    }
    const auto right = [size](const std::string& t) {
        return t.size() > static_cast<std::size_t>(size) ? t.substr(0, static_cast<std::size_t>(size))
                                                         : std::string(static_cast<std::size_t>(size) - t.size(), ' ') + t;
    };
    if (!std::isfinite(value))
        return right("n/a");
    // A value too wide keeps as many places as fit: the formatter's own
    // rule, checked by the table above; here it is only recognised.
    if (dec > 0 && dec >= size)
        return "wider";
    const std::string measured = naivePattern(value, dec, dec != 0);
    if (static_cast<long>(measured.size()) > size)
        return dec != 0 ? "wider" : right("n/a");
    if (measured.empty())
        return std::string(static_cast<std::size_t>(size), ' ');
    std::string printed = measured;
    const std::size_t sign = printed[0] == '-' ? 1 : 0;
    if (dec != 0 && printed[sign] == '.')
        printed.insert(sign, 1, '0');
    if (static_cast<long>(printed.size()) > size)
        return "wider";
    return right(printed);
}

} // namespace

// The fields of the long tables are printed without building strings: the
// same text as the formatter of strings and printf gave, on seeded random
// values of every magnitude, halves on the rounding place, nines that carry,
// negative values that round to zero, and probabilities.
TEST(FormatFixedWidth, FastFieldsAgreeWithThePrintfReference)
{
    std::mt19937_64 rng(20261211);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-12, 12), sizes(1, 24), places(0, 12), kind(0, 9);
    int checked = 0;
    for (int k = 0; k < 400000; ++k) {
        const int size = sizes(rng), dec = places(rng);
        double v = unit(rng) * std::pow(10.0, exponent(rng));
        switch (kind(rng)) {
        case 0:   // a half on the last place, and just below it
            v = (std::floor(v * std::pow(10.0, dec)) + 0.5) / std::pow(10.0, dec);
            break;
        case 1:   // nines that carry into a new digit
            v = std::copysign(std::pow(10.0, exponent(rng) / 3) - 0.5 * std::pow(10.0, -dec), v);
            break;
        case 2:
            v = std::nextafter(v, 0.0);
            break;
        case 3:   // whole numbers, counts
            v = std::round(v * 1000);
            break;
        default:
            break;
        }
        const bool prob = kind(rng) == 0;
        const std::string expected = naiveField(v, size, dec, prob);
        double value = v;
        const std::string field = FormatFixedWidth(value, size, dec, std::int16_t{0}, prob);
        char out[64];
        const std::string into(out, FormatFixedWidthTo(out, v, size, dec, prob));
        EXPECT_EQ(into, field) << v << " " << size << " " << dec << " " << prob;
        if (expected != "wider") {
            EXPECT_EQ(field, expected) << v << " " << size << " " << dec << " " << prob;
            ++checked;
        }
    }
    EXPECT_GT(checked, 200000);
    // Values that are no number, and fields wider than the fast path's.
    char out[128];
    for (double v : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(), -1e300, 0.0})
        for (int size : {0, 2, 10, 100})
            EXPECT_EQ(std::string(out, FormatFixedWidthTo(out, v, size, 4)), FormatFixedWidth(v, size, 4));
}

// The base-10 decimal type against cases computed with Python's decimal
// module (tools/oracles/decimal_type.py): exact values, half-even rounding
// at 28 places and at the 96-bit coefficient limit, errors 6, 11 and 13.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "SumtrixLib/Runtime.hpp"
#include "decimal.hpp"

using namespace SumtrixLib;

namespace {

struct DecimalTextCase {
    const char* text;
    const char* expected;
    int error;
};
struct DecimalFromDoubleCase {
    double value;
    const char* expected;
    int error;
};
struct DecimalToDoubleCase {
    const char* text;
    double expected;
};
struct DecimalOpCase {
    char op;
    const char* a;
    const char* b;
    const char* expected;
    int error;
};

#include "reference/decimal_cases.inc"

// Runs `f`; returns its plain text, or "error N" when it raised.
template <class F>
std::string outcome(F&& f)
{
    try {
        return f().toString();
    } catch (const RuntimeError& e) {
        return "error " + std::to_string(e.number());
    }
}

std::string expectedOutcome(const char* expected, int error)
{
    return error ? "error " + std::to_string(error) : std::string(expected);
}

Decimal apply(char op, const Decimal& a, const Decimal& b)
{
    switch (op) {
    case '+': return a + b;
    case '-': return a - b;
    case '*': return a * b;
    default: return a / b;
    }
}

} // namespace

TEST(Decimal, TextsMatchPython)
{
    for (const auto& c : kDecimalTextCases) {
        EXPECT_EQ(outcome([&] { return Decimal::fromText(c.text); }),
                  expectedOutcome(c.expected, c.error))
            << "text \"" << c.text << "\"";
    }
}

TEST(Decimal, DoublesEnterAtFifteenDigitsLikePython)
{
    for (const auto& c : kDecimalFromDoubleCases) {
        EXPECT_EQ(outcome([&] { return Decimal::fromDouble(c.value); }),
                  expectedOutcome(c.expected, c.error))
            << "double " << c.value;
    }
}

TEST(Decimal, LeavesAsTheNearestDouble)
{
    for (const auto& c : kDecimalToDoubleCases) {
        const double got = Decimal::fromText(c.text).toDouble();
        EXPECT_EQ(std::memcmp(&got, &c.expected, sizeof got), 0)
            << c.text << ": " << got << " vs " << c.expected;
    }
}

TEST(Decimal, ArithmeticMatchesPython)
{
    for (const auto& c : kDecimalOpCases) {
        const Decimal a = Decimal::fromText(c.a);
        const Decimal b = Decimal::fromText(c.b);
        EXPECT_EQ(outcome([&] { return apply(c.op, a, b); }), expectedOutcome(c.expected, c.error))
            << c.a << ' ' << c.op << ' ' << c.b;
    }
}

TEST(Decimal, KeepsCoefficientBelow2To96AndScaleAtMost28)
{
    // The largest value: 2^96 - 1 at scale 0; the same digits at scale 28.
    const Decimal max = Decimal::fromText("79228162514264337593543950335");
    EXPECT_EQ(max.coefficient(), Decimal::CoefficientLimit - 1);
    EXPECT_EQ(max.scale(), 0);
    const Decimal small = Decimal::fromText("7.9228162514264337593543950335");
    EXPECT_EQ(small.coefficient(), Decimal::CoefficientLimit - 1);
    EXPECT_EQ(small.scale(), 28);
    // A third keeps 28 places; twenty thirds keep 28 places with 29 digits.
    const Decimal third = Decimal::fromText("1") / Decimal::fromText("3");
    EXPECT_EQ(third.scale(), 28);
    const Decimal twentyThirds = Decimal::fromText("20") / Decimal::fromText("3");
    EXPECT_EQ(twentyThirds.scale(), 28);
    EXPECT_LT(twentyThirds.coefficient(), Decimal::CoefficientLimit);
}

TEST(Decimal, ComparesByValue)
{
    const Decimal a = Decimal::fromText("0.10");
    const Decimal b = Decimal::fromText("0.1");
    EXPECT_TRUE(a == b);
    EXPECT_TRUE(Decimal::fromText("-0") == Decimal());
    EXPECT_TRUE(Decimal::fromText("-2") < Decimal::fromText("-1.5"));
    EXPECT_TRUE(Decimal::fromText("1E-28") > Decimal());
    EXPECT_TRUE(Decimal::fromText("-3").abs() == Decimal::fromText("3"));
    EXPECT_TRUE(-Decimal::fromText("3") == Decimal::fromText("-3"));
}

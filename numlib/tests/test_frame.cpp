// The class frame: interface order, error mechanisms, arrays, records,
// parameter passing.
#include <cmath>
#include <functional>
#include <limits>
#include <new>
#include <vector>

#include <gtest/gtest.h>

#include "SumtrixLib/Sumtrix.hpp"

using namespace SumtrixLib;

TEST(MethodTable, InterfaceOrder)
{
    EXPECT_EQ(MethodTable[0].name, "Complex_Add");
    EXPECT_EQ(MethodTable[155].name, "Robust_Whimed");
    EXPECT_EQ(slotOfIndex(0), 7);
    EXPECT_EQ(methodAtSlot(162)->name, "Robust_Whimed");
    EXPECT_EQ(methodAtSlot(7)->name, "Complex_Add");
    EXPECT_EQ(methodAtSlot(6), nullptr);
    EXPECT_EQ(methodAtSlot(163), nullptr);
    EXPECT_EQ(*methodIndex("STAT_CCC"), 115);
    EXPECT_EQ(*methodIndex("STAT_GCCC2"), 116);
    EXPECT_EQ(*methodIndex("STAT_GCCC"), 117);
    EXPECT_EQ(*methodIndex("FormatOutput"), 146);
    EXPECT_EQ(*methodIndex("FormatText"), 147);
    EXPECT_FALSE(methodIndex("NoSuchMethod").has_value());
    for (int i = 0; i < MethodCount; ++i)
        EXPECT_EQ(MethodTable[static_cast<std::size_t>(i)].index, i);
}

TEST(MethodTable, ResultKindsAndErrorStyles)
{
    int results[7] = {};
    int styles[6] = {};
    for (const MethodInfo& m : MethodTable) {
        ++results[static_cast<int>(m.result)];
        ++styles[static_cast<int>(m.errorStyle)];
    }
    EXPECT_EQ(results[static_cast<int>(ResultKind::Double)], 60);
    EXPECT_EQ(results[static_cast<int>(ResultKind::Variant)], 20);
    EXPECT_EQ(results[static_cast<int>(ResultKind::Matrix)], 12);
    EXPECT_EQ(results[static_cast<int>(ResultKind::Complex)], 7);
    EXPECT_EQ(results[static_cast<int>(ResultKind::Boolean)], 7);
    EXPECT_EQ(results[static_cast<int>(ResultKind::String)], 2);
    EXPECT_EQ(results[static_cast<int>(ResultKind::None)], 48);
    EXPECT_EQ(styles[static_cast<int>(ErrorStyle::MarkerTrap)], 2);
    EXPECT_EQ(styles[static_cast<int>(ErrorStyle::RaisedMatrixError)], 15);
    EXPECT_EQ(MethodTable[*methodIndex("Rank_Kendall")].errorStyle, ErrorStyle::ErrorsIgnored);
    EXPECT_EQ(MethodTable[*methodIndex("STAT_CCC")].errorStyle, ErrorStyle::ErrorsIgnored);
    EXPECT_EQ(MethodTable[*methodIndex("Sort_Sort2")].errorStyle, ErrorStyle::MessageBox);
    EXPECT_EQ(MethodTable[*methodIndex("Matrix_Invert")].errorStyle, ErrorStyle::TrapWithMsg);
    EXPECT_EQ(MethodTable[*methodIndex("Complex_Divide")].errorStyle, ErrorStyle::NoTrap);
}

TEST(RuntimeErrors, NumberSourceDescription)
{
    try {
        raiseError(ErrDivisionByZero);
        FAIL();
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), 11);
        EXPECT_EQ(e.source(), "SumtrixLib");
        EXPECT_EQ(e.description(), "Division by zero");
    }
    try {
        raiseMatrixError("AddMatrix", "Matrices have different dimensions");
        FAIL();
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), 1000);
        EXPECT_EQ(e.source(), "MatrixLib - AddMatrix");
        EXPECT_EQ(e.description(), "Matrices have different dimensions");
    }
}

TEST(RuntimeErrors, CheckedArithmetic)
{
    const double inf = std::numeric_limits<double>::infinity();
    struct Case { const char* what; std::function<double()> f; int error; double value; };
    const Case cases[] = {
        {"1/0", [] { return checkedDiv(1, 0); }, 11, 0},
        {"0/0", [] { return checkedDiv(0, 0); }, 6, 0},
        {"6/3", [] { return checkedDiv(6, 3); }, 0, 2},
        {"1e308*10", [] { return checkedMul(1e308, 10); }, 6, 0},
        {"sqrt(-1)", [] { return checkedSqrt(-1); }, 5, 0},
        {"sqrt(4)", [] { return checkedSqrt(4); }, 0, 2},
        {"log(0)", [] { return checkedLog(0); }, 5, 0},
        {"log(-1)", [] { return checkedLog(-1); }, 5, 0},
        {"exp(1000)", [] { return checkedExp(1000); }, 6, 0},
        {"0^-1", [] { return checkedPow(0, -1); }, 5, 0},
        {"(-8)^(1/3)", [] { return checkedPow(-8, 1.0 / 3); }, 5, 0},
        {"(-2)^3", [] { return checkedPow(-2, 3); }, 0, -8},
        {"inf", [inf] { return checkedResult(inf); }, 6, 0},
        {"CInt(32767.5)", [] { return double(toInt16(32767.5)); }, 6, 0},
        {"CInt(2.5)", [] { return double(toInt16(2.5)); }, 0, 2},
        {"CInt(3.5)", [] { return double(toInt16(3.5)); }, 0, 4},
        {"CLng(-2147483648.6)", [] { return double(toInt32(-2147483648.6)); }, 6, 0},
    };
    for (const Case& c : cases) {
        try {
            const double v = c.f();
            EXPECT_EQ(c.error, 0) << c.what;
            EXPECT_DOUBLE_EQ(v, c.value) << c.what;
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), c.error) << c.what;
        }
    }
}

TEST(ErrorStyles, TrapWithMessage)
{
    std::string msg = "as passed";
    const bool ok = trapWithMessage(msg, false, [] { checkedDiv(1, 0); return true; },
                                    [](const RuntimeError& e) { return "Error " + std::to_string(e.number()) + " " + e.description(); });
    EXPECT_FALSE(ok);
    EXPECT_EQ(msg, "Error 11 Division by zero");
    msg = "as passed";
    EXPECT_TRUE(trapWithMessage(msg, false, [] { return true; }, [](const RuntimeError&) { return std::string("x"); }));
    EXPECT_EQ(msg, "as passed");
}

TEST(ErrorStyles, MessageSinkReceivesStyleDMessages)
{
    RecordingMessageSink recorder;
    {
        ScopedMessageSink scope(recorder);
        showMessage("Too many iterations", MessageIcon::Critical);
    }
    ASSERT_EQ(recorder.entries.size(), 1u);
    EXPECT_EQ(recorder.entries[0].text, "Too many iterations");
    EXPECT_EQ(recorder.entries[0].title, "SumtrixLib");
    EXPECT_EQ(recorder.entries[0].icon, MessageIcon::Critical);
    EXPECT_NE(&messageSink(), &recorder);   // the scope restored the default
}

TEST(ErrorStyles, FailedStepKeepsTheTargetsOldValue)
{
    double target = 42;
    EXPECT_FALSE(guardStep(target, [] { return checkedDiv(1, 0); }));
    EXPECT_EQ(target, 42);
    EXPECT_TRUE(guardStep(target, [] { return checkedDiv(1, 4); }));
    EXPECT_EQ(target, 0.25);
    EXPECT_FALSE(ignoreErrors([] { checkedLog(-1); }));
    // Any other failure of the standard library is a failed step too.
    EXPECT_FALSE(ignoreErrors([] { std::vector<int>().at(1); }));
}

TEST(ErrorStyles, OverflowsAreCounted)
{
    // Results beyond the double range count; undefined ones (0 / 0, the
    // square root of a negative number) do not, although 0 / 0 raises 6 too.
    struct Case {
        const char* what;
        std::function<void()> f;
        int number;
        std::uint64_t counted;
    };
    const Case cases[] = {
        {"product", [] { checkedMul(1e300, 1e300); }, ErrOverflow, 1},
        {"sum", [] { checkedAdd(1.7e308, 1.7e308); }, ErrOverflow, 1},
        {"quotient", [] { checkedDiv(1e300, 1e-300); }, ErrOverflow, 1},
        {"exponential", [] { checkedExp(1000); }, ErrOverflow, 1},
        {"0 / 0", [] { checkedDiv(0, 0); }, ErrOverflow, 0},
        {"x / 0", [] { checkedDiv(1, 0); }, ErrDivisionByZero, 0},
        {"square root", [] { checkedSqrt(-1); }, ErrInvalidCall, 0},
        {"within range", [] { checkedMul(1e150, 1e150); }, 0, 0},
    };
    for (const Case& c : cases) {
        const std::uint64_t before = overflowCount();
        int number = 0;
        try {
            c.f();
        } catch (const RuntimeError& e) {
            number = e.number();
        }
        EXPECT_EQ(number, c.number) << c.what;
        EXPECT_EQ(overflowCount() - before, c.counted) << c.what;
    }
    // A step that passes over an overflow still counts it.
    const std::uint64_t before = overflowCount();
    double sum = 0;
    for (double v : {1e308, 1e308, 1.0})
        guardStep(sum, [&] { return checkedAdd(sum, v); });
    EXPECT_EQ(sum, 1e308 + 1.0);
    EXPECT_EQ(overflowCount() - before, 1u);
}

TEST(ErrorStyles, OutOfMemoryIsNoFailedStep)
{
    const auto outOfMemory = [] { throw std::bad_alloc(); };
    double target = 42;
    EXPECT_THROW(guardStep(target, [&] { outOfMemory(); return 1.0; }), std::bad_alloc);
    EXPECT_EQ(target, 42);
    EXPECT_THROW(ignoreErrors(outOfMemory), std::bad_alloc);
    EXPECT_THROW(trapToMarker(MinMatrixFailed, [&] { outOfMemory(); return 1.0; }), std::bad_alloc);
}

TEST(ErrorStyles, MarkerTrap)
{
    BoundedArray<double> unallocated;
    EXPECT_EQ(trapToMarker(MinMatrixFailed, [&] { return unallocated(1); }), 1E+99);
    EXPECT_EQ(trapToMarker(MaxMatrixFailed, [&] { return unallocated(1); }), 1E-99);
    EXPECT_EQ(MissingValue, 1E-99);
}

TEST(BoundedArrays, AbsoluteIndexesAndBounds)
{
    BoundedArray<double> a(1, 3);
    EXPECT_EQ(a.lbound(), 1);
    EXPECT_EQ(a.ubound(), 3);
    a(3) = 7;
    auto subscriptError = [](auto f) {
        try { f(); } catch (const RuntimeError& e) { return e.number(); }
        return 0;
    };
    EXPECT_EQ(subscriptError([&] { a(0) = 1; }), 9);
    EXPECT_EQ(subscriptError([&] { a(4) = 1; }), 9);
    a.redimPreserve(5);
    EXPECT_EQ(a(3), 7);
    EXPECT_EQ(a(5), 0);
    a.redimPreserve(2);
    EXPECT_EQ(a.ubound(), 2);
    a.redim(0, 2);
    EXPECT_EQ(a(0), 0);
    BoundedArray<double> none;
    EXPECT_EQ(subscriptError([&] { (void)none.ubound(); }), 9);
    BoundedArray<int> listed(1, {4, 5, 6});
    EXPECT_EQ(listed(1), 4);
    EXPECT_EQ(listed.ubound(), 3);

    BoundedArray2<double> m(0, 2, 0, 3);
    m(2, 3) = 1.5;
    EXPECT_EQ(subscriptError([&] { m(3, 0) = 1; }), 9);
    m.redimPreserve(4);
    EXPECT_EQ(m(2, 3), 1.5);
    EXPECT_EQ(m.ubound(2), 4);
}

TEST(Records, MatrixOwnsItsElements)
{
    Matrix a;
    a.r = 2;
    a.c = 2;
    a.Element.redim(0, 2, 0, 2);
    a.Element(1, 1) = 5;
    Matrix b = a;
    b.Element(1, 1) = 9;
    EXPECT_EQ(a.Element(1, 1), 5);
    EXPECT_FALSE(a == b);
    const Complex z{1, -2};
    EXPECT_EQ(z, (Complex{1, -2}));
}

TEST(Parameters, OmittedOptionalsAndWriteBacks)
{
    Sumtrix s;
    // An omitted optional equals a passed zero.
    std::int16_t zero = 0;
    EXPECT_EQ(s.FormatOutput(0.5, 8, 3), s.FormatOutput(0.5, 8, 3, zero, false));
    EXPECT_EQ(s.FormatOutput(0.5, 8, 3), "   0.500");
    // A written argument reaches the caller's variable; a copy protects it.
    double p = -0.2;
    std::int16_t align = 0;
    EXPECT_EQ(s.FormatOutput(p, 8, 4, align, true), "  0.0001");
    EXPECT_DOUBLE_EQ(p, 0.0001);
    EXPECT_EQ(align, 3);
    double q = -0.2;
    s.FormatOutput(double(q), 8, 4, {}, true);
    EXPECT_EQ(q, -0.2);
    std::int16_t bad = 7;
    EXPECT_EQ(s.FormatText("a", 3, bad), "a  ");
    EXPECT_EQ(bad, 1);
}

TEST(Parameters, FormatOutputIsTheSharedFormatter)
{
    const double values[] = {0.5, 12345.678, 0.0, 7.6, -0.5, 2.675, 1e300, -0.0001};
    const int sizes[] = {2, 5, 6, 8};
    const int decs[] = {0, 2, 3};
    Sumtrix s;
    for (double v : values)
        for (int size : sizes)
            for (int dec : decs)
                for (bool prob : {false, true}) {
                    double a = v, b = v;
                    std::int16_t al = 0, bl = 0;
                    EXPECT_EQ(s.FormatOutput(a, size, dec, al, prob), FormatFixedWidth(b, size, dec, bl, prob));
                    EXPECT_EQ(a, b);
                }
}

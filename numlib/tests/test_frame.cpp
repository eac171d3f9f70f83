// The class frame: interface order, error mechanisms, arrays, records,
// parameter passing.
#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <new>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "SumtrixLib/Sumtrix.hpp"
#include "test_support.hpp"

using namespace SumtrixLib;
using SumtrixLib::test_support::base1;
using SumtrixLib::test_support::errorOf;

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

TEST(ErrorStyles, AThreadsOwnSinkTakesItsMessagesOnly)
{
    // The program's sink gets the messages of every thread that has none of
    // its own; a thread's own sink those of that thread alone.
    RecordingMessageSink program, worker;
    ScopedMessageSink scope(program);
    std::thread([&] {
        EXPECT_EQ(setThreadMessageSink(&worker), nullptr);
        showMessage("on the worker");
        EXPECT_EQ(setThreadMessageSink(nullptr), &worker);
        showMessage("on the worker, its sink removed");
    }).join();
    showMessage("on the caller");
    ASSERT_EQ(worker.entries.size(), 1u);
    EXPECT_EQ(worker.entries[0].text, "on the worker");
    ASSERT_EQ(program.entries.size(), 2u);
    EXPECT_EQ(program.entries[0].text, "on the worker, its sink removed");
    EXPECT_EQ(program.entries[1].text, "on the caller");
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

// Bounds whose element count does not fit 32 bits are refused with the
// overflow error before anything changes; a negative count stays error 9.
TEST(BoundedArrays, CountsBeyondThirtyTwoBits)
{
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    BoundedArray<double> a(1, {1.0, 2.0});
    EXPECT_EQ(errorOf([&] { a.redim(0, kMax); }), ErrOverflow);
    EXPECT_EQ(errorOf([&] { a.redim(kMin, kMax); }), ErrOverflow);
    EXPECT_EQ(errorOf([&] { a.redim(kMin, -1); }), ErrOverflow);
    // one element at either end of the index range
    a.redim(kMax, kMax);
    EXPECT_EQ(a.ubound(), kMax);
    a.redim(kMin, kMin);
    EXPECT_EQ(a.ubound(), kMin);
    a = BoundedArray<double>(1, {1.0, 2.0});
    EXPECT_EQ(errorOf([&] { a.redim(5, 3); }), ErrSubscript);
    EXPECT_EQ(errorOf([&] { a.redim(kMax, kMin); }), ErrSubscript);
    a.redimPreserve(2);
    BoundedArray<double> b(-5, {1.0});
    EXPECT_EQ(errorOf([&] { b.redimPreserve(kMax); }), ErrOverflow);
    EXPECT_EQ(a, BoundedArray<double>(1, {1.0, 2.0}));
    EXPECT_EQ(b, BoundedArray<double>(-5, {1.0}));

    BoundedArray2<double> m(0, 1, 0, 1);
    EXPECT_EQ(errorOf([&] { m.redim(0, kMax, 0, 1); }), ErrOverflow);
    EXPECT_EQ(errorOf([&] { m.redim(0, 1, kMin, 0); }), ErrOverflow);
    EXPECT_EQ(errorOf([&] { m.redim(0, 1, 3, 1); }), ErrSubscript);
    EXPECT_EQ(m.ubound(1), 1);

#if !defined(__SANITIZE_ADDRESS__)
    // More memory than there is: error 7, the array as it was. (Under
    // AddressSanitizer a failed allocation ends the process instead.)
    BoundedArray<std::array<char, 4096>> pages(1, 2);
    EXPECT_EQ(errorOf([&] { pages.redim(0, kMax - 1); }), ErrOutOfMemory);
    EXPECT_EQ(errorOf([&] { pages.redimPreserve(kMax - 1); }), ErrOutOfMemory);
    EXPECT_EQ(pages.lbound(), 1);
    EXPECT_EQ(pages.ubound(), 2);
#endif

    // requireRange: every index first..last must be an element
    const BoundedArray<double> r(1, {1.0, 2.0, 3.0});
    EXPECT_EQ(errorOf([&] { r.requireRange(1, 3); }), 0);
    EXPECT_EQ(errorOf([&] { r.requireRange(2, 1); }), 0);
    EXPECT_EQ(errorOf([&] { r.requireRange(0, 3); }), ErrSubscript);
    EXPECT_EQ(errorOf([&] { r.requireRange(1, kMax); }), ErrSubscript);
    EXPECT_EQ(errorOf([&] { BoundedArray<double>().requireRange(1, 1); }), ErrSubscript);
}

// Counts far beyond the data, up to the largest 32-bit count: a method
// that raises its errors fails at once with error 9 (or 6 where the count
// itself cannot be dimensioned), before dimensioning anything for the count
// and without touching the caller's arrays; a method that passes over its
// errors returns promptly. None overflows, none takes memory for the count.
TEST(Counts, FarBeyondTheDataFailAtOnceAndTouchNothing)
{
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    const std::vector<double> values{5, 3, 9, 1, 7, 2, 8, 6, 4, 10};
    const BoundedArray<double> data = base1(values);
    Sumtrix s;

    struct Case {
        const char* method;
        int expected;   // error number, 0 for none
        std::function<void(Sumtrix&, std::int32_t, BoundedArray<double>&, BoundedArray<double>&)> call;
    };
    double a = -7, b = -7, c = -7, d = -7, e = -7, f = -7;
    std::int32_t mwt = 0;
    const BoundedArray<double> sig = base1(std::vector<double>(values.size(), 1.0));
    const Case cases[] = {
        {"Sort_Sort1", ErrSubscript, [](Sumtrix& s, std::int32_t n, auto& x, auto&) { s.Sort_Sort1(n, x); }},
        {"Sort_Sort2", ErrSubscript, [](Sumtrix& s, std::int32_t n, auto& x, auto& y) { s.Sort_Sort2(n, x, y); }},
        {"Sort_Sort3", ErrSubscript,
         [](Sumtrix& s, std::int32_t n, auto& x, auto& y) {
             BoundedArray<double> idx = base1({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
             s.Sort_Sort3(n, x, y, idx);
         }},
        {"Reg_MedFit", ErrSubscript,
         [&](Sumtrix& s, std::int32_t n, auto& x, auto& y) { s.Reg_MedFit(x, y, n, a, b, c, d); }},
        {"STAT_TTESTDiffPaired", ErrSubscript,
         [&](Sumtrix& s, std::int32_t n, auto& x, auto& y) { s.STAT_TTESTDiffPaired(x, n, y, n, a, b); }},
        {"Reg_FitXY", ErrSubscript,
         [&](Sumtrix& s, std::int32_t n, auto& x, auto& y) { s.Reg_FitXY(x, y, n, sig, mwt, a, b, c, d, e, f); }},
        {"Reg_FitXY0", ErrSubscript,
         [&](Sumtrix& s, std::int32_t n, auto& x, auto& y) { s.Reg_FitXY0(x, y, n, sig, mwt, a, b, c, d, e, f); }},
        {"Reg_Slopes", 0,
         [](Sumtrix& s, std::int32_t n, auto& x, auto& y) {
             BoundedArray<double> i1(0, 6), s1(0, 6), i2(0, 6), s2(0, 6);
             s.Reg_Slopes(x, y, n, i1, s1, i2, s2);
         }},
        {"STAT_ResistantR2", 0,
         [&](Sumtrix& s, std::int32_t n, auto& x, auto& y) { s.STAT_ResistantR2(n, y, 5.5, x, a, b); }},
        {"Rank_Spearman", 0,
         [&](Sumtrix& s, std::int32_t n, auto& x, auto& y) {
             BoundedArray<double> w1, w2, idx;
             s.Rank_Spearman(x, y, n, w1, false, w2, false, idx, a, b, c, d, e, f);
             EXPECT_FALSE(w1.allocated() || w2.allocated() || idx.allocated()) << n;
         }},
        {"Rank_Kendall", 0, [&](Sumtrix& s, std::int32_t n, auto& x, auto& y) { s.Rank_Kendall(x, y, n, a, b, c); }},
        {"STAT_rofunc", ErrSubscript,
         [&](Sumtrix& s, std::int32_t n, auto& x, auto& y) {
             BoundedArray<double> work(0, 10);
             s.STAT_rofunc(0.5, x, y, work, a, b, n);
         }},
    };
    for (const Case& k : cases) {
        for (std::int32_t n : {kMax, kMax - 1, std::int32_t{1} << 30, 12}) {
            BoundedArray<double> x = data;
            BoundedArray<double> y = base1({2, 4, 6, 8, 10, 1, 3, 5, 7, 9});
            const BoundedArray<double> y0 = y;
            EXPECT_EQ(errorOf([&] { k.call(s, n, x, y); }), k.expected) << k.method << " n = " << n;
            EXPECT_EQ(x, data) << k.method << " n = " << n;
            EXPECT_EQ(y, y0) << k.method << " n = " << n;
        }
    }
    // A companion that does not reach n fails before the keys move.
    BoundedArray<double> keys = data;
    BoundedArray<double> shortCompanion(1, 9);
    EXPECT_EQ(errorOf([&] { s.Sort_Sort2(10, keys, shortCompanion); }), ErrSubscript);
    EXPECT_EQ(keys, data);
    // The roots are dimensioned 0..n: the largest count cannot be.
    BoundedArray<Complex> roots(0, {Complex{1, 1}});
    EXPECT_EQ(errorOf([&] { s.Complex_Root({1, 0}, kMax, roots); }), ErrOverflow);
    EXPECT_EQ(roots.ubound(), 0);
    // The smallest count: the fits fail on their division, without overflow.
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(errorOf([&] { s.Reg_FitXY(data, data, kMin, sig, mwt, a, b, c, d, e, f); }), ErrOverflow);
    EXPECT_EQ(errorOf([&] { s.Reg_FitXY0(data, data, kMin, sig, mwt, a, b, c, d, e, f); }), ErrOverflow);
}

// The resistant r^2 of a count beyond y holds only y's pairs, yet still
// reads the pairs past them as residues and deviations of 0: the same
// result as those pairs written out with a prediction and a value at the mean.
TEST(Counts, ResistantR2PastTheDataCountsZeros)
{
    Sumtrix s;
    const std::vector<double> y{1, 4, 2, 8, 5, 7};
    const std::vector<double> pred{1.5, 3, 2.5, 7, 5.5, 6};
    const double meanY = 4.5;
    for (std::int32_t n : {7, 9, 12, 13}) {
        std::vector<double> yn = y, pn = pred;
        yn.resize(static_cast<std::size_t>(n), meanY);
        pn.resize(static_cast<std::size_t>(n), meanY);
        double r2 = -7, adj = -7, r2Written = -7, adjWritten = -7;
        s.STAT_ResistantR2(n, base1(y), meanY, base1(pred), r2, adj);
        s.STAT_ResistantR2(n, base1(yn), meanY, base1(pn), r2Written, adjWritten);
        EXPECT_EQ(r2, r2Written) << n;
        EXPECT_EQ(adj, adjWritten) << n;
    }
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
    // A value too wide for its places drops places, as in the reports.
    EXPECT_EQ(s.FormatOutput(1000000.1234, 10, 5), "1000000.12");
}

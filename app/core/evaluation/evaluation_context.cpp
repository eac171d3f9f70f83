#include "core/evaluation/evaluation_context.hpp"

#include <cmath>

#include "SumtrixLib/Sumtrix.hpp"

bool libraryStep(const std::vector<double*>& outputs, const std::function<void()>& call)
{
    for (double* v : outputs)
        *v = NotComputed;
    const std::uint64_t overflows = SumtrixLib::overflowCount();
    const bool completed = step(call);
    if (completed && SumtrixLib::overflowCount() == overflows)
        return true;
    for (double* v : outputs)
        *v = NotComputed;
    return false;
}

bool allComputed(std::initializer_list<double> values)
{
    for (double v : values)
        if (std::isnan(v))
            return false;
    return true;
}

double computed(const std::function<double()>& compute)
{
    double v = NotComputed;
    libraryStep({&v}, [&] { v = compute(); });
    return v;
}

double ratio(double num, double den)
{
    if (std::isnan(num) || std::isnan(den) || den == 0)
        return NotComputed;
    return computed([&] { return SumtrixLib::checkedDiv(num, den); });
}

double twoSidedP(SumtrixLib::Sumtrix& lib, double t, double df)
{
    if (std::isnan(t))
        return NotComputed;
    return computed([&] {
        double value = t;
        return 1.0 - lib.STAT_PROBST(value, df, 0.0, true);
    });
}

TestResult decidedTest(double difference, bool differenceIsZero)
{
    const SumtrixLib::DecidedTest d = SumtrixLib::testWithoutSpread(difference, differenceIsZero);
    return {d.statistic, d.P};
}

TestResult tTest(SumtrixLib::Sumtrix& lib, double difference, double se, double df, bool differenceIsZero)
{
    if (std::isnan(difference) || std::isnan(se))
        return {};
    if (se == 0)
        return decidedTest(difference, differenceIsZero);
    const double t = ratio(difference, se);
    return {t, twoSidedP(lib, t, df)};
}

ZeroSpreads zeroSpreads(const EvaluationData& data)
{
    ZeroSpreads z;
    const std::int64_t n = data.N;
    const SumtrixLib::BoundedArray<double>& X = data.X;
    const SumtrixLib::BoundedArray<double>& Y = data.Y;
    z.X = SumtrixLib::oneValueWithinRounding(X, n);
    z.Y = SumtrixLib::oneValueWithinRounding(Y, n);
    const auto x = [&X](std::int64_t i) { return X(static_cast<std::int32_t>(i)); };
    const auto y = [&Y](std::int64_t i) { return Y(static_cast<std::int32_t>(i)); };
    z.differences = SumtrixLib::commonValue(
        n, [&](std::int64_t i) { return x(i) - y(i); },
        [&](std::int64_t i) { return std::fabs(x(i)) + std::fabs(y(i)); });
    z.line = SumtrixLib::lineWithinRounding(X, Y, n);
    return z;
}

void EvaluationContext::replaceMoments(double MeanX, double VarX, double MeanY, double VarY)
{
    for (const auto& [to, from] : {std::pair{&m_moments.MeanX, MeanX}, std::pair{&m_moments.VarX, VarX},
                                   std::pair{&m_moments.MeanY, MeanY}, std::pair{&m_moments.VarY, VarY}})
        if (!std::isnan(from))
            *to = from;
}

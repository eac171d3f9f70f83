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
    if (std::isnan(num) || std::isnan(den))
        return NotComputed;
    if (den == 0)
        return 0;
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

void EvaluationContext::replaceMoments(double MeanX, double VarX, double MeanY, double VarY)
{
    for (const auto& [to, from] : {std::pair{&m_moments.MeanX, MeanX}, std::pair{&m_moments.VarX, VarX},
                                   std::pair{&m_moments.MeanY, MeanY}, std::pair{&m_moments.VarY, VarY}})
        if (!std::isnan(from))
            *to = from;
}

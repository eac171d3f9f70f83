#include "core/evaluation/normality_test.hpp"

#include "SumtrixLib/Sumtrix.hpp"
#include "core/evaluation/evaluation_context.hpp"
#include "core/report_text.hpp"

using SumtrixLib::BoundedArray;

std::pair<double, double> shapiroWilk(SumtrixLib::Sumtrix& lib, const BoundedArray<double>& data, std::int32_t n,
                                      BoundedArray<double>& a)
{
    double SW = NotComputed, ProbSW = NotComputed;
    std::int32_t iFault = 0;
    if (libraryStep({&SW, &ProbSW}, [&] {
            bool INIT = false;
            lib.STAT_ShapiroWilk(INIT, data, n, n, n, a, SW, ProbSW, iFault);
        })
        && iFault != 0 && iFault != 2)
        SW = ProbSW = NotComputed;
    return {SW, ProbSW};
}

QString NormalityTest(SumtrixLib::Sumtrix&, const std::vector<double>&, std::int32_t, std::int16_t, bool Adjusted)
{
    ReportText t;
    t.underlined(QStringLiteral("Goodness-of-Fit Analyses (Davis and Stephens, 1989)"));
    t.line(QStringLiteral("-----"));
    t.append(Adjusted ? QStringLiteral("!! These calculations were adjusted for Normal distribution !!")
                      : QStringLiteral("!! These calculations were not adjusted for Normal distribution !!"));
    return t.text();
}

#include "core/evaluation/normality_test.hpp"

#include "SumtrixLib/Sumtrix.hpp"
#include "core/evaluation/evaluation_context.hpp"
#include "core/report_text.hpp"

using SumtrixLib::BoundedArray;

std::pair<double, double> shapiroWilk(SumtrixLib::Sumtrix& lib, const BoundedArray<double>& data, std::int32_t n,
                                      BoundedArray<double>& a, bool spread)
{
    double SW = NotComputed, ProbSW = NotComputed;
    std::int32_t iFault = 0;
    if (!spread)
        return {SW, ProbSW};
    if (libraryStep({&SW, &ProbSW}, [&] {
            bool INIT = false;
            lib.STAT_ShapiroWilk(INIT, data, n, n, n, a, SW, ProbSW, iFault);
        })
        && iFault != 0 && iFault != 2)
        SW = ProbSW = NotComputed;
    return {SW, ProbSW};
}

QString NormalityTest(SumtrixLib::Sumtrix& lib, const BoundedArray<double>& w, std::int32_t n, std::int16_t iTest,
                      bool Adjusted, bool spread)
{
    const BoundedArray<double>& data = w;
    BoundedArray<double> z(0, n);

    // A fault code of STAT_EDFGOF means no statistic was written.
    double xbar = NotComputed, S2 = NotComputed;
    double D = NotComputed, V = NotComputed, W2 = NotComputed, W2P = NotComputed, U2 = NotComputed,
           U2P = NotComputed, A2 = NotComputed, A2P = NotComputed;
    std::int16_t edfFault = 0;
    const std::vector<double*> edf = {&D, &V, &W2, &W2P, &U2, &U2P, &A2, &A2P};
    if (spread && libraryStep(edf, [&] {
            lib.STAT_EDFGOF(data, z, n, xbar, S2, D, V, W2, W2P, U2, U2P, A2, A2P, edfFault, iTest, Adjusted);
        })
        && edfFault != 0)
        for (double* v : edf)
            *v = NotComputed;

    // The same array z now receives the Shapiro-Wilk coefficients.
    const auto [SW, ProbSW] = shapiroWilk(lib, data, n, z, spread);

    ReportText t;
    t.underlined(QStringLiteral("Goodness-of-Fit Analyses (Davis and Stephens, 1989)"));
    const int L = 33;
    auto withP4 = [](double stat, double p) { return F(stat, 10, 5) + QStringLiteral(" (P = ") + FP(p, 6, 4) + QLatin1Char(')'); };
    t.line(field(QStringLiteral("Kolmogorov-Smirnov's D statistic"), L, F(D, 10, 5)));
    t.line(field(QStringLiteral("Kuiper's V statistic"), L, F(V, 10, 5)));
    t.line(field(QStringLiteral("Cramér-von Mises's W2 statistic"), L, withP4(W2, W2P)));
    t.line(field(QStringLiteral("Watson's U2 statistic"), L, withP4(U2, U2P)));
    t.line(field(QStringLiteral("Anderson-Darling's A2 statistic"), L, withP4(A2, A2P)));
    t.line(field(QStringLiteral("Shapiro-Wilk's W statistic"), L, withP4(SW, ProbSW)));
    t.line(QStringLiteral("-----"));
    t.append(Adjusted ? QStringLiteral("!! These calculations were adjusted for Normal distribution !!")
                      : QStringLiteral("!! These calculations were not adjusted for Normal distribution !!"));
    return t.text();
}

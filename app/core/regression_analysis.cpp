// The regression step and the regression, parameter-test and OLS/SLS sections.
#include "core/regression_analysis.hpp"

#include <cmath>

#include "SumtrixLib/Sumtrix.hpp"
#include "core/report_text.hpp"
#include "core/sumtrix_instance.hpp"

using SumtrixLib::BoundedArray;

namespace {

// Runs one step of the run; a failure skips it and the run goes on.
template <class Step>
void step(Step&& s)
{
    SumtrixLib::ignoreErrors(std::forward<Step>(s));
}

BoundedArray<double> toArray(const std::vector<double>& v)
{
    BoundedArray<double> a(0, static_cast<std::int32_t>(v.size()) - 1);
    for (std::size_t i = 0; i < v.size(); ++i)
        a(static_cast<std::int32_t>(i)) = v[i];
    return a;
}

std::vector<double> toVector(const BoundedArray<double>& a)
{
    return a.data();
}

const QString tenBlanks(10, QLatin1Char(' '));

} // namespace

void computeRegression(const EvaluationData& data, RegressionMethod method, RunResults& res)
{
    SumtrixLib::Sumtrix& lib = sumtrix();
    const std::int32_t n = data.N;
    BoundedArray<double> X = toArray(data.X), Y = toArray(data.Y), SDX = toArray(data.SDX), SDY = toArray(data.SDY);

    switch (method) {
    case RegressionMethod::LeastSquares: {
        step([&] {
            std::int32_t mwt = 0;
            lib.Reg_FitXY(X, Y, n, SDX, mwt, res.a, res.b, res.siga, res.sigb, res.chi2, res.Q);
        });
        step([&] {
            BoundedArray<double> ic(0, 6), sl(0, 6), sic(0, 6), ssl(0, 6);
            lib.Reg_Slopes(X, Y, n, ic, sl, sic, ssl);
            for (int i = 1; i <= 6; ++i) {
                res.intercept[static_cast<std::size_t>(i)] = ic(i);
                res.slope[static_cast<std::size_t>(i)] = sl(i);
                res.sigintercept[static_cast<std::size_t>(i)] = sic(i);
                res.sigslope[static_cast<std::size_t>(i)] = ssl(i);
            }
        });
        break;
    }
    case RegressionMethod::WeightedLeastSquares:
        step([&] { lib.Reg_FitRandomXY(X, Y, SDX, SDY, res.a, res.b, res.siga, res.sigb, res.chi2, res.Q, 1E-30); });
        break;
    case RegressionMethod::LeastAbsoluteDeviation:
        step([&] { lib.Reg_MedFit(X, Y, n, res.a, res.b, res.abdev, res.chi2); });
        break;
    case RegressionMethod::None:
        break;
    }

    step([&] {
        std::int32_t nn = n;
        lib.STAT_MeanVarCoVar(X, Y, nn, res.MeanX, res.MeanY, res.VarX, res.VarY, res.MeanXY, res.VarXY, res.CoVarXY);
    });

    // The per-row arrays are zero-filled 0..N before the library sees them.
    const std::int32_t upper = n;
    BoundedArray<double> Deviation(0, upper), Pred(0, upper), Residue(0, upper), SEr(0, upper), StdtRes(0, upper),
        RStdtRes(0, upper), h(0, upper), Cook(0, upper), DFFITS(0, upper), NormalResidue(0, upper), PRESS(0, upper),
        SemiStdtRes(0, upper), WtDev(0, upper);
    step([&] {
        lib.STAT_Residue(res.a, res.b, X, Y, res.VarX, res.MeanX, res.MeanY, n, res.MSE, Deviation, Pred, Residue, SEr,
                         StdtRes, RStdtRes, h, Cook, DFFITS, NormalResidue, PRESS, SemiStdtRes, WtDev);
    });
    res.Deviation = toVector(Deviation);
    res.Pred = toVector(Pred);
    res.Residue = toVector(Residue);
    res.SEr = toVector(SEr);
    res.StdtRes = toVector(StdtRes);
    res.RStdtRes = toVector(RStdtRes);
    res.h = toVector(h);
    res.Cook = toVector(Cook);
    res.DFFITS = toVector(DFFITS);
    res.NormalResidue = toVector(NormalResidue);
    res.PRESS = toVector(PRESS);
    res.SemiStdtRes = toVector(SemiStdtRes);
    res.WtDev = toVector(WtDev);

    step([&] { lib.STAT_ResistantR2(n, Y, res.MeanY, Pred, res.ResistantR2, res.AdjResistantR2); });
    step([&] {
        BoundedArray<double> comp(0, 5);
        lib.STAT_ModelMeasures(X, Y, 0, res.MeanX, res.MeanY, res.r2, res.mb, res.MAE, res.pMAE, res.MSEP, res.VarMSEP,
                               comp, res.MEF, res.MxE, res.CD);
        for (int i = 0; i <= 5; ++i)
            res.MSEPComp[static_cast<std::size_t>(i)] = comp(i);
    });
    step([&] { lib.Rank_Pearson(X, Y, n, res.r, res.t, res.ProbT, res.r2, res.Adjr2, res.z); });
}

void writeRegressionSection(ReportText& report, const EvaluationData& data, RegressionMethod method, const RunResults& res)
{
    report.firstHeading(QStringLiteral("REGRESSION ANALYSIS: Y = a + b×X (Neter et al., 1996)"));
    report.comment(QStringLiteral(".Pearson's r is a parametric coefficient of correlation that measures the association of two continuous"));
    report.comment(QStringLiteral(" random variables"));
    report.comment(QStringLiteral(".Goodness-of-fit is believable if Q(Chi²) > 0.1"));
    if (method != RegressionMethod::LeastAbsoluteDeviation) {
        report.line(QStringLiteral("Estimate a ± SD : ") + F(res.a, 10, 5) + QStringLiteral(" ± ") + F(res.siga, 10, 5));
        report.line(QStringLiteral("Estimate b ± SD : ") + F(res.b, 10, 5) + QStringLiteral(" ± ") + F(res.sigb, 10, 5));
        double rootMse = 0;
        SumtrixLib::ignoreErrors([&] { rootMse = SumtrixLib::checkedSqrt(res.MSE); });
        report.line(QStringLiteral("MSE             : ") + F(res.MSE, 10, 5) + tenBlanks + QStringLiteral("Root MSE            : ") + F(rootMse, 10, 5));
        report.line(QStringLiteral("N               : ") + F(data.N, 10, 0) + tenBlanks + QStringLiteral("r                   : ") + F(res.r, 10, 5));
        report.line(QStringLiteral("r²              : ") + F(res.r2, 10, 5) + tenBlanks + QStringLiteral("Adj. r²             : ") + F(res.Adjr2, 10, 5));
        report.line(QStringLiteral("Resistant r²    : ") + F(res.ResistantR2, 10, 5) + tenBlanks + QStringLiteral("Adj. Resistant r²   : ") + F(res.AdjResistantR2, 10, 5));
        report.line(QStringLiteral("Chi²            : ") + F(res.chi2, 10, 5) + tenBlanks + QStringLiteral("Q(Chi²)             : ") + FP(res.Q, 10, 5));
    } else {
        double q = 0;
        SumtrixLib::ignoreErrors([&] { q = sumtrix().Gamma_gammq(static_cast<double>(data.N - 2) / 2.0, res.chi2 / 2.0); });
        report.line(QStringLiteral("Estimate a         : ") + F(res.a, 10, 5));
        report.line(QStringLiteral("Estimate b         : ") + F(res.b, 10, 5));
        report.line(QStringLiteral("Absolute Deviation : ") + F(res.abdev, 10, 5));
        report.line(QStringLiteral("N                  : ") + F(data.N, 10, 0) + tenBlanks);
        report.line(QStringLiteral("Resistant r²       : ") + F(res.ResistantR2, 10, 5) + tenBlanks + QStringLiteral("Adj. Resistant r²   : ") + F(res.AdjResistantR2, 10, 5));
        report.line(QStringLiteral("Chi²               : ") + F(res.chi2, 10, 5) + tenBlanks + QStringLiteral("Q(Chi²)             : ") + FP(q, 10, 5));
    }
}

namespace {

// 1 - the two-tailed probability of |t| with df degrees of freedom: the
// two-sided P value. A failed computation leaves the value 0.
double twoSidedP(double tValue, double df)
{
    double p = 0;
    SumtrixLib::ignoreErrors([&] {
        double t = tValue;
        double dfv = df;
        p = 1.0 - sumtrix().STAT_PROBST(t, dfv, 0.0, true);
    });
    return p;
}

// t = num / den; a division by zero leaves the value 0.
double ratio(double num, double den)
{
    double v = 0;
    SumtrixLib::ignoreErrors([&] { v = SumtrixLib::checkedDiv(num, den); });
    return v;
}

} // namespace

void writeParameterTestsSection(ReportText& report, const EvaluationData& data, const RunResults& res)
{
    double FDB = 0, PFDB = 0, FM = 0, PFM = 0;
    step([&] {
        BoundedArray<double> X = toArray(data.X), Y = toArray(data.Y);
        double n = data.N;
        double a = res.a, b = res.b, mx = res.MeanX, my = res.MeanY;
        sumtrix().STAT_SimulFTest(X, Y, n, a, b, mx, my, FDB, PFDB, FM, PFM);
    });
    report.heading(QStringLiteral("PARAMETER PROBABILITIES (Neter et al., 1996)"));
    report.line(QStringLiteral("H0: r = 0            T-value (P-value): ") + F(res.t, 10, 5) + QStringLiteral(" (") + FP(res.ProbT, 7, 5) + QStringLiteral(")"));
    const double df = data.N - 2;
    if (res.siga > 0) {
        const double ta = ratio(res.a, res.siga);
        report.line(QStringLiteral("H0: a = 0            T-value (P-value): ") + F(ta, 10, 5) + QStringLiteral(" (") + FP(twoSidedP(ta, df), 7, 5) + QStringLiteral(")"));
    }
    if (res.sigb > 0) {
        const double tb = ratio(res.b, res.sigb);
        report.line(QStringLiteral("H0: b = 0            T-value (P-value): ") + F(tb, 10, 5) + QStringLiteral(" (") + FP(twoSidedP(tb, df), 7, 5) + QStringLiteral(")"));
        const double t1 = ratio(res.b - 1, res.sigb);
        report.line(QStringLiteral("H0: b = 1            T-value (P-value): ") + F(t1, 10, 5) + QStringLiteral(" (") + FP(twoSidedP(t1, df), 7, 5) + QStringLiteral(")"));
    }
    report.line(QStringLiteral("H0: a = 0 & b = 1    F-value (P-value): ") + F(FDB, 10, 5) + QStringLiteral(" (") + FP(PFDB, 7, 5) + QStringLiteral(") (Dent and Blackie, 1979)"));
    report.line(QStringLiteral("H0: a = 0 & b = 1    F-value (P-value): ") + F(FM, 10, 5) + QStringLiteral(" (") + FP(PFM, 7, 5) + QStringLiteral(") (Mayer et al., 1994)"));
}

void writeOlsSlsSection(ReportText& report, const EvaluationData& data, const RunResults& res)
{
    static const char* const labels[] = {
        "OLS (Y/X)/Vertical LS    : ", "OLS (X/Y)/Horizontal LS  : ", "OLS Bisector             : ",
        "Orthogonal/Perpendicular : ", "Reduced Major Axis       : ", "Mean OLS (Y/X and X/Y)   : ",
    };
    report.heading(QStringLiteral("ORDINARY (OLS) AND SYMMETRICAL LEAST-SQUARE REGRESSIONS (Isobe et al., 1990)"));
    report.line(QStringLiteral("Regression type               Intercept: a ± SD [P(H0: a = 0)]      Slope: b ± SD [P(H0: b = 1)]"));
    report.line(QString(98, QLatin1Char('-')));
    const double df = data.N - 2;
    for (std::size_t i = 1; i <= 6; ++i) {
        // Outside the least-squares method the six lines are not computed:
        // their values stay 0, the t values 0 / 0 cannot be formed, and the
        // rows print P = 1 (no test made) rather than a made-up value.
        const double pa = twoSidedP(ratio(res.intercept[i], res.sigintercept[i]), df);
        const double pb = twoSidedP(ratio(res.slope[i] - 1, res.sigslope[i]), df);
        report.line(QString::fromLatin1(labels[i - 1]) + F(res.intercept[i], 10, 5) + QStringLiteral(" ± ") + F(res.sigintercept[i], 10, 5)
                    + QStringLiteral(" (") + FP(pa, 7, 5) + QStringLiteral(")     ") + F(res.slope[i], 10, 5) + QStringLiteral(" ± ")
                    + F(res.sigslope[i], 10, 5) + QStringLiteral(" (") + FP(pb, 7, 5) + QStringLiteral(")"));
    }
    report.line(QString(98, QLatin1Char('-')));
}

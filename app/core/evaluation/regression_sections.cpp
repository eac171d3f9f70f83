// The regression step of the run and the first three sections of the
// report: the fit by the chosen method with the values every later section
// reads, the regression section, the parameter tests and the ordinary and
// symmetrical least-squares lines.
#include <algorithm>
#include <cmath>

#include "SumtrixLib/Sumtrix.hpp"
#include "core/evaluation/report_sections.hpp"

using SumtrixLib::BoundedArray;
using SumtrixLib::LineWithinRounding;

namespace {

// A per-row result of STAT_Residue, 0..N: element 0 is 0, the rows are not
// computed (yet).
void setRowsNotComputed(BoundedArray<double>& a, int n)
{
    std::vector<double>& v = a.data();
    v.assign(static_cast<std::size_t>(n) + 1, NotComputed);
    v[0] = 0;
}

// The run's array of six lines from the library's (1..6).
void copyLines(std::array<double, 7>& to, const BoundedArray<double>& from, bool stands)
{
    for (int i = 1; i <= 6; ++i)
        to[static_cast<std::size_t>(i)] = stands ? from(i) : NotComputed;
}

} // namespace

// Each library call writes its results through libraryStep: what a call
// could not compute prints "n/a". Values the chosen method does not compute
// at all are NotComputed too and print "n/a" rather than a 0 that reads as
// a result: siga, sigb and Q of the least-absolute-deviation line, Q of the
// unweighted least-squares line, abdev of the others, the six lines outside
// least squares.
//
// Spreads that are zero within rounding (ZeroSpreads) are zero: what the
// library computes from their sums of squares is replaced by what exact
// arithmetic gives, so that constant data and data on an exact line give
// the values that whole numbers give, whose sums come out exact.
RegressionStep computeRegression(SumtrixLib::Sumtrix& lib, const EvaluationData& data, RegressionMethod method)
{
    RegressionStep step;
    RegressionFit& res = step.fit;
    SharedMoments& m = step.moments;
    res.abdev = res.siga = res.sigb = res.Q = NotComputed;
    for (auto* lines : {&res.intercept, &res.slope, &res.sigintercept, &res.sigslope})
        lines->fill(NotComputed);
    const std::int32_t n = data.N;
    const BoundedArray<double>& X = data.X;
    const BoundedArray<double>& Y = data.Y;
    const BoundedArray<double>& SDX = data.SDX;
    const BoundedArray<double>& SDY = data.SDY;
    std::vector<std::int32_t> through;
    res.spreads = zeroSpreads(data);
    const ZeroSpreads& zero = res.spreads;
    const auto notComputed = [](std::initializer_list<double*> values) {
        for (double* v : values)
            *v = NotComputed;
    };

    switch (method) {
    case RegressionMethod::LeastSquares: {
        // Predictions without spread have no line of Y on X (Sxx is 0).
        if (zero.X)
            notComputed({&res.a, &res.b, &res.siga, &res.sigb, &res.chi2});
        else
            libraryStep({&res.a, &res.b, &res.siga, &res.sigb, &res.chi2, &res.Q}, [&] {
                std::int32_t mwt = 0;
                lib.Reg_FitXY(X, Y, n, SDX, mwt, res.a, res.b, res.siga, res.sigb, res.chi2, res.Q);
            });
        // Without measurement errors there is nothing to judge chi² against:
        // the unweighted fit sets Q to 1 by convention, which would read as a
        // believable fit, so Q stays not computed.
        res.Q = NotComputed;
        // The intercepts' variances are added onto what the array holds.
        // The six lines need X and Y to spread (Sxy is 0 otherwise).
        BoundedArray<double> ic(0, 6), sl(0, 6), sic(0, 6), ssl(0, 6);
        for (int i = 1; i <= 6; ++i)
            ic(i) = sl(i) = ssl(i) = NotComputed;
        const bool stands = !zero.X && !zero.Y && libraryStep({}, [&] { lib.Reg_Slopes(X, Y, n, ic, sl, sic, ssl); });
        for (int i = 1; i <= 6; ++i)
            if (std::isnan(ic(i)))
                sic(i) = NotComputed;
        copyLines(res.intercept, ic, stands);
        copyLines(res.slope, sl, stands);
        copyLines(res.sigintercept, sic, stands);
        copyLines(res.sigslope, ssl, stands);
        // On an exact line every residual is 0, and so is every standard
        // deviation that the scatter about the line gives.
        if (zero.line.exact) {
            for (double* v : {&res.siga, &res.sigb, &res.chi2})
                if (!std::isnan(*v))
                    *v = 0;
            for (std::size_t i = 1; i <= 6; ++i)
                for (double* v : {&res.sigintercept[i], &res.sigslope[i]})
                    if (!std::isnan(*v))
                        *v = 0;
        }
        break;
    }
    case RegressionMethod::WeightedLeastSquares:
        libraryStep({&res.a, &res.b, &res.siga, &res.sigb, &res.chi2, &res.Q}, [&] {
            lib.Reg_FitRandomXY(X, Y, SDX, SDY, res.a, res.b, res.siga, res.sigb, res.chi2, res.Q, 1E-30);
        });
        break;
    case RegressionMethod::LeastAbsoluteDeviation:
        // Reg_MedFit, naming the rows the line passes through.
        if (!libraryStep({&res.a, &res.b, &res.abdev, &res.chi2}, [&] {
                SumtrixLib::medianFitThroughPoints(lib, X, Y, n, res.a, res.b, res.abdev, res.chi2, through);
            }))
            through.clear();
        break;
    case RegressionMethod::None:
        break;
    }
    // Every method fits points that lie on a flat line with that line.
    if (zero.Y && zero.line.exact && !std::isnan(res.b))
        res.b = 0;

    // The covariance is added onto what CoVarXY holds.
    m.CoVarXY = 0;
    if (!libraryStep({&m.MeanX, &m.MeanY, &m.VarX, &m.VarY, &m.MeanXY, &m.VarXY}, [&] {
            std::int32_t nn = n;
            lib.STAT_MeanVarCoVar(X, Y, nn, m.MeanX, m.MeanY, m.VarX, m.VarY, m.MeanXY, m.VarXY, m.CoVarXY);
        }))
        m.CoVarXY = NotComputed;
    for (const auto& [zeroSpread, v] : {std::pair{zero.X, &m.VarX}, std::pair{zero.Y, &m.VarY},
                                        std::pair{zero.constantBias(), &m.VarXY},
                                        std::pair{zero.X || zero.Y, &m.CoVarXY}})
        if (zeroSpread && !std::isnan(*v))
            *v = 0;

    // The residues and MSE now; the diagnostics of every row when a
    // section reads them (rows()). Points on an exact line lie on the
    // fitted line, whatever the method: their residues are 0, as those of
    // the median line's points are.
    if (zero.line.exact) {
        through.resize(static_cast<std::size_t>(n));
        for (std::int32_t i = 1; i <= n; ++i)
            through[static_cast<std::size_t>(i - 1)] = i;
    }
    BoundedArray<double> Pred(0, n), Residue(0, n);
    res.MSE = NotComputed;
    res.residualLine = {res.a, res.b, m.VarX, m.MeanX, m.MeanY, false, std::move(through)};
    res.residualLine.stands = allComputed({res.a, res.b, m.VarX, m.MeanX, m.MeanY})
                              && libraryStep({&res.MSE}, [&] {
                                     SumtrixLib::residueFit(res.a, res.b, X, Y, m.VarX, m.MeanX, n, res.MSE, Pred,
                                                            Residue, res.residualLine.through);
                                 });

    // The resistant r² divides by the median deviation of Y from its mean.
    res.ResistantR2 = res.AdjResistantR2 = NotComputed;
    if (res.residualLine.stands && allComputed({m.MeanY}) && !zero.Y)
        libraryStep({&res.ResistantR2, &res.AdjResistantR2}, [&] {
            lib.STAT_ResistantR2(n, Y, m.MeanY, Pred, res.ResistantR2, res.AdjResistantR2);
        });
    BoundedArray<double> comp(0, 5);
    for (int i = 1; i <= 5; ++i)
        comp(i) = NotComputed;
    for (double* v : {&res.r2, &res.mb, &res.MAE, &res.pMAE, &res.MSEP, &res.VarMSEP, &res.MEF, &res.MxE, &res.CD})
        *v = NotComputed;
    const bool measuresStand = allComputed({m.MeanX, m.MeanY})
                               && libraryStep({&res.r2, &res.mb, &res.MAE, &res.pMAE, &res.MSEP, &res.VarMSEP,
                                               &res.MEF, &res.MxE, &res.CD},
                                              [&] {
                                                  lib.STAT_ModelMeasures(X, Y, 0, m.MeanX, m.MeanY, res.r2, res.mb,
                                                                         res.MAE, res.pMAE, res.MSEP, res.VarMSEP,
                                                                         comp, res.MEF, res.MxE, res.CD);
                                              });
    for (int i = 1; i <= 5; ++i)
        res.MSEPComp[static_cast<std::size_t>(i)] = measuresStand ? comp(i) : NotComputed;
    // The squared bias (MeanX - MeanY)^2 as the square of the mean of the
    // differences: the difference of two means far from zero (data near
    // 1e9) loses most of its digits.
    if (measuresStand && !std::isnan(res.mb))
        res.MSEPComp[1] = res.mb * res.mb;
    // MEF divides by the spread of Y; CD is that spread over the spread of
    // X about the mean of Y: 0, or 0 / 0 when X is that same constant.
    // The decomposition's last three terms need the correlation, which a
    // column without spread does not have.
    if (zero.Y) {
        res.MEF = NotComputed;
        if (!std::isnan(res.CD))
            res.CD = zero.noBias() ? NotComputed : 0;
    }
    if (zero.X || zero.Y)
        for (std::size_t i = 3; i <= 5; ++i)
            res.MSEPComp[i] = NotComputed;
    // X = Y within rounding: no error of prediction at all.
    if (zero.noBias())
        for (double* v : {&res.MSEP, &res.VarMSEP})
            if (!std::isnan(*v))
                *v = 0;
    // Pearson's r² replaces that of the model measures where it is computed.
    // A column without spread has no correlation; points on an exact line
    // that is not flat have |r| = 1, and the test of r = 0 is decided.
    double z = 0;   // Fisher's z of r: no section reads it
    if (zero.X || zero.Y) {
        notComputed({&res.r, &res.t, &res.ProbT, &res.r2, &res.Adjr2});
    } else if (zero.perfectCorrelation()) {
        res.r = std::copysign(1.0, zero.line.slope);
        res.r2 = res.Adjr2 = 1;
        const TestResult test = decidedTest(res.r, false);
        res.t = test.statistic;
        res.ProbT = test.P;
    } else if (!libraryStep({&res.r, &res.t, &res.ProbT, &res.Adjr2}, [&] {
                   lib.Rank_Pearson(X, Y, n, res.r, res.t, res.ProbT, res.r2, res.Adjr2, z);
               })) {
        res.r2 = NotComputed;
    }
    return step;
}

const ResidualRows& EvaluationContext::rows() const
{
    if (m_residualRows)
        return *m_residualRows;
    ResidualRows out;
    // The library's arrays are the rows.
    SumtrixLib::BoundedArray<double>* const rows[] = {&out.Deviation, &out.Pred,    &out.Residue,       &out.SEr,
                                                      &out.StdtRes,   &out.RStdtRes, &out.h,            &out.Cook,
                                                      &out.DFFITS,    &out.NormalResidue, &out.PRESS,   &out.SemiStdtRes,
                                                      &out.WtDev};
    const int n = data.N;
    for (SumtrixLib::BoundedArray<double>* a : rows) {
        a->redim(0, 0);
        setRowsNotComputed(*a, n);
    }
    const ResidualLine& line = fit.residualLine;
    double MSE = NotComputed;
    const bool stands = line.stands && libraryStep({&MSE}, [&] {
        SumtrixLib::residueThroughPoints(lib, line.through, line.a, line.b, data.X, data.Y, line.VarX, line.MeanX,
                                         line.MeanY, n, MSE, out.Deviation, out.Pred, out.Residue, out.SEr,
                                         out.StdtRes, out.RStdtRes, out.h, out.Cook, out.DFFITS, out.NormalResidue,
                                         out.PRESS, out.SemiStdtRes, out.WtDev);
    });
    if (!stands)
        for (SumtrixLib::BoundedArray<double>* a : rows)
            setRowsNotComputed(*a, n);
    // With three points the residual of a point left out has n - 3 = 0
    // degrees of freedom: the deleted studentized residual and DFFITS do
    // not exist (the library writes 0).
    if (n == 3)
        for (SumtrixLib::BoundedArray<double>* a : {&out.RStdtRes, &out.DFFITS})
            std::fill(a->begin() + 1, a->end(), NotComputed);
    m_residualRows = std::move(out);
    return *m_residualRows;
}

void writeRegressionSection(EvaluationContext& ctx)
{
    ReportText& report = ctx.report;
    const RegressionFit& res = ctx.fit;
    const int N = ctx.data.N;
    report.firstHeading(QStringLiteral("REGRESSION ANALYSIS: Y = a + b×X (Neter et al., 1996)"));
    report.comment(QStringLiteral(".Pearson's r is a parametric coefficient of correlation that measures the association of two continuous"));
    report.comment(QStringLiteral(" random variables"));
    report.comment(QStringLiteral(".Goodness-of-fit is believable if Q(Chi²) > 0.1"));
    if (ctx.method != RegressionMethod::LeastAbsoluteDeviation) {
        const int L = 16;   // labels of the left column
        const int R = 20;   // labels of the right column
        const double rootMse = std::isnan(res.MSE) ? NotComputed : computed([&] { return SumtrixLib::checkedSqrt(res.MSE); });
        report.line(field(QStringLiteral("Estimate a ± SD"), L, plusMinus(F(res.a, 10, 5), F(res.siga, 10, 5))));
        report.line(field(QStringLiteral("Estimate b ± SD"), L, plusMinus(F(res.b, 10, 5), F(res.sigb, 10, 5))));
        report.columns(field(QStringLiteral("MSE"), L, F(res.MSE, 10, 5)), field(QStringLiteral("Root MSE"), R, F(rootMse, 10, 5)));
        report.columns(field(QStringLiteral("N"), L, F(N, 10, 0)), field(QStringLiteral("r"), R, F(res.r, 10, 5)));
        report.columns(field(QStringLiteral("r²"), L, F(res.r2, 10, 5)), field(QStringLiteral("Adj. r²"), R, F(res.Adjr2, 10, 5)));
        report.columns(field(QStringLiteral("Resistant r²"), L, F(res.ResistantR2, 10, 5)),
                       field(QStringLiteral("Adj. Resistant r²"), R, F(res.AdjResistantR2, 10, 5)));
        report.columns(field(QStringLiteral("Chi²"), L, F(res.chi2, 10, 5)), field(QStringLiteral("Q(Chi²)"), R, FP(res.Q, 10, 5)));
    } else {
        const int L = 19;
        const int R = 20;
        const double q = std::isnan(res.chi2)
                             ? NotComputed
                             : computed([&] { return ctx.lib.Gamma_gammq(static_cast<double>(N - 2) / 2.0, res.chi2 / 2.0); });
        report.line(field(QStringLiteral("Estimate a"), L, F(res.a, 10, 5)));
        report.line(field(QStringLiteral("Estimate b"), L, F(res.b, 10, 5)));
        report.line(field(QStringLiteral("Absolute Deviation"), L, F(res.abdev, 10, 5)));
        report.columns(field(QStringLiteral("N"), L, F(N, 10, 0)), QString());
        report.columns(field(QStringLiteral("Resistant r²"), L, F(res.ResistantR2, 10, 5)),
                       field(QStringLiteral("Adj. Resistant r²"), R, F(res.AdjResistantR2, 10, 5)));
        report.columns(field(QStringLiteral("Chi²"), L, F(res.chi2, 10, 5)), field(QStringLiteral("Q(Chi²)"), R, FP(q, 10, 5)));
    }
}

namespace {

// "H0: ...            T-value (P-value): " and the like: the hypothesis in
// a column of 21 characters, then the statistic's name.
QString hypothesis(const QString& h0, const QString& statistic)
{
    return padded(h0, 21) + statistic + QStringLiteral(" (P-value)");
}

} // namespace

void writeParameterTestsSection(EvaluationContext& ctx)
{
    ReportText& report = ctx.report;
    const RegressionFit& res = ctx.fit;
    const SharedMoments& m = ctx.moments();
    const EvaluationData& data = ctx.data;
    double FDB = NotComputed, PFDB = NotComputed, FM = NotComputed, PFM = NotComputed;
    const LineWithinRounding& line = res.spreads.line;
    if (allComputed({res.a, res.b}) && line.exact) {
        // No scatter about the line: the data decide whether it is Y = X.
        const TestResult joint = decidedTest(1, line.allowsSlope(1) && line.allowsIntercept(0));
        FDB = FM = joint.statistic;
        PFDB = PFM = joint.P;
    } else if (allComputed({res.a, res.b, m.MeanX, m.MeanY})) {
        libraryStep({&FDB, &PFDB, &FM, &PFM}, [&] {
            ctx.lib.STAT_SimulFTest(data.X, data.Y, data.N, res.a, res.b, m.MeanX, m.MeanY, FDB, PFDB, FM, PFM);
        });
    }
    const QString t = QStringLiteral("T-value");
    const QString f = QStringLiteral("F-value");
    report.heading(QStringLiteral("PARAMETER PROBABILITIES (Neter et al., 1996)"));
    report.line(field(hypothesis(QStringLiteral("H0: r = 0"), t), 0, withP(F(res.t, 10, 5), FP(res.ProbT, 7, 5))));
    const double df = data.N - 2;
    if (res.siga > 0) {
        const double ta = ratio(res.a, res.siga);
        report.line(field(hypothesis(QStringLiteral("H0: a = 0"), t), 0, withP(F(ta, 10, 5), FP(twoSidedP(ctx.lib, ta, df), 7, 5))));
    }
    if (res.sigb > 0) {
        const double tb = ratio(res.b, res.sigb);
        report.line(field(hypothesis(QStringLiteral("H0: b = 0"), t), 0, withP(F(tb, 10, 5), FP(twoSidedP(ctx.lib, tb, df), 7, 5))));
        const double t1 = ratio(res.b - 1, res.sigb);
        report.line(field(hypothesis(QStringLiteral("H0: b = 1"), t), 0, withP(F(t1, 10, 5), FP(twoSidedP(ctx.lib, t1, df), 7, 5))));
    }
    const QString joint = hypothesis(QStringLiteral("H0: a = 0 & b = 1"), f);
    report.line(field(joint, 0, withP(F(FDB, 10, 5), FP(PFDB, 7, 5))) + QStringLiteral(" (Dent and Blackie, 1979)"));
    report.line(field(joint, 0, withP(F(FM, 10, 5), FP(PFM, 7, 5))) + QStringLiteral(" (Mayer et al., 1994)"));
}

void writeOlsSlsSection(EvaluationContext& ctx)
{
    ReportText& report = ctx.report;
    const RegressionFit& res = ctx.fit;
    static const char* const labels[] = {
        "OLS (Y/X)/Vertical LS", "OLS (X/Y)/Horizontal LS", "OLS Bisector",
        "Orthogonal/Perpendicular", "Reduced Major Axis", "Mean OLS (Y/X and X/Y)",
    };
    report.heading(QStringLiteral("ORDINARY (OLS) AND SYMMETRICAL LEAST-SQUARE REGRESSIONS (Isobe et al., 1990)"));
    report.line(QStringLiteral("Regression type               Intercept: a ± SD [P(H0: a = 0)]      Slope: b ± SD [P(H0: b = 1)]"));
    report.rule(98);
    const double df = ctx.data.N - 2;
    // On an exact line the six lines are that line, with standard
    // deviations of 0: the data decide both tests.
    const LineWithinRounding& line = res.spreads.line;
    for (std::size_t i = 1; i <= 6; ++i) {
        // Outside the least-squares method the six lines are not computed:
        // every value of the rows prints "n/a".
        const double pa = tTest(ctx.lib, res.intercept[i], res.sigintercept[i], df, line.allowsIntercept(0)).P;
        const double pb = tTest(ctx.lib, res.slope[i] - 1, res.sigslope[i], df, line.allowsSlope(1)).P;
        report.line(field(QString::fromLatin1(labels[i - 1]), 25,
                          withP(plusMinus(F(res.intercept[i], 10, 5), F(res.sigintercept[i], 10, 5)), FP(pa, 7, 5))
                              + QStringLiteral("     ")
                              + withP(plusMinus(F(res.slope[i], 10, 5), F(res.sigslope[i], 10, 5)), FP(pb, 7, 5))));
    }
    report.rule(98);
}

// The diverse measures section: the mean bias with its sign and its size
// relative to the means, an F test of equal variances and four t tests of
// no mean bias, the mean absolute error and its relative forms, the
// modelling efficiency, the coefficient of model determination and the
// largest error.
#include <cmath>

#include "SumtrixLib/Sumtrix.hpp"
#include "core/evaluation/report_sections.hpp"

using SumtrixLib::BoundedArray;
using SumtrixLib::Sumtrix;

namespace {

constexpr int L = 35;   // the labels' column

// A test of Y against X: its statistic and two-sided probability.
struct Test {
    double value = NotComputed, Prob = NotComputed;
};

using TestCall = void (Sumtrix::*)(const BoundedArray<double>&, std::int32_t, const BoundedArray<double>&, std::int32_t,
                                   double&, double&);

Test runTest(EvaluationContext& ctx, TestCall call, const BoundedArray<double>& Y, const BoundedArray<double>& X)
{
    Test t;
    const std::int32_t n = ctx.data.N;
    libraryStep({&t.value, &t.Prob}, [&] { (ctx.lib.*call)(Y, n, X, n, t.value, t.Prob); });
    return t;
}

QString testLine(const QString& label, const Test& t)
{
    return field(label, L, F(t.value, 10, 5)) + QStringLiteral(" (P =") + FP(t.Prob, 10, 5) + QLatin1Char(')');
}

// "<label>: value x 100 / mean", or the notice that the mean is zero. A
// negative mean gives its percentage too: the notice would say "Zero".
QString percentLine(const QString& label, double value, double mean, const char* zeroNotice)
{
    if (mean == 0)
        return field(label, L, QString::fromLatin1(zeroNotice));
    const double percent = allComputed({value, mean}) ? computed([&] { return value * 100 / mean; }) : NotComputed;
    return field(label, L, F(percent, 10, 5));
}

// The library's test, or, where its spread is zero within rounding, the
// test that the data decide (decidedTest): the library would divide by 0,
// or report t = 0 with P = 1 for a difference that is certain.
Test runTest(EvaluationContext& ctx, TestCall call, const BoundedArray<double>& Y, const BoundedArray<double>& X,
             bool zeroSpread, double difference, bool differenceIsZero)
{
    if (!zeroSpread)
        return runTest(ctx, call, Y, X);
    const TestResult decided = decidedTest(difference, differenceIsZero);
    return {decided.statistic, decided.P};
}

} // namespace

void writeDiverseMeasuresSection(EvaluationContext& ctx)
{
    const RegressionFit& res = ctx.fit;
    const SharedMoments& m = ctx.moments();
    const BoundedArray<double>& X = ctx.data.X;
    const BoundedArray<double>& Y = ctx.data.Y;
    // The two-sample tests pool the spreads of X and of Y; the paired ones
    // take the spread of the differences; the F test divides the variances.
    const ZeroSpreads& zero = res.spreads;
    const bool neither = zero.X && zero.Y;
    const double bias = res.mb;
    const Test sameVar = runTest(ctx, &Sumtrix::STAT_TTESTSameVar, Y, X, neither, bias, zero.noBias());
    const Test diffVar = runTest(ctx, &Sumtrix::STAT_TTESTDiffVar, Y, X, neither, bias, zero.noBias());
    const Test paired = runTest(ctx, &Sumtrix::STAT_TTESTPaired, Y, X, zero.constantBias(), bias, zero.noBias());
    const Test diffPaired = runTest(ctx, &Sumtrix::STAT_TTESTDiffPaired, Y, X, zero.constantBias(), bias, zero.noBias());
    const Test f = runTest(ctx, &Sumtrix::STAT_FTEST, Y, X, zero.X || zero.Y, 1, neither);

    // With the sheet's columns swapped, X holds the observed values.
    const bool swapped = ctx.settings.sheet.swapped;
    const QString ofX = swapped ? QStringLiteral("% of X (Observed)") : QStringLiteral("% of X (Predicted)");
    const QString ofY = swapped ? QStringLiteral("% of Y (Predicted)") : QStringLiteral("% of Y (Observed)");
    const char* const zeroX = "!! Mean X is Zero !!";
    const char* const zeroY = "!! Mean Y is Zero !!";

    ReportText& report = ctx.report;
    report.heading(QStringLiteral("DIVERSE MEASURE ANALYSES"));
    report.comment(QStringLiteral(".MEF is modeling efficiency; closer to one better it is"));
    report.comment(QStringLiteral(".CD is the coefficient of model determinantion; closer to one better it is"));

    QString mbLine = field(QStringLiteral("Mean Bias (Y - X) (MB)"), L, F(res.mb, 10, 5));
    // The sign says which way the model errs; a bias not computed says nothing.
    if (report.comments() && !std::isnan(res.mb))
        mbLine += res.mb > 0 ? QStringLiteral(" !! Model underprediction !!") : QStringLiteral(" !! Model overprediction !!");
    report.line(mbLine + QStringLiteral(" (Cochran and Cox, 1954)"));
    report.line(percentLine(QStringLiteral("Mean Bias, ") + ofX, res.mb, m.MeanX, zeroX));
    report.line(percentLine(QStringLiteral("Mean Bias, ") + ofY, res.mb, m.MeanY, zeroY));
    report.line(testLine(QStringLiteral("H0: VarY = VarX, F-value"), f));
    report.line(testLine(QStringLiteral("H0: MB = 0, T-value (same var.)"), sameVar));
    report.line(testLine(QStringLiteral("H0: MB = 0, T-value (diff. var.)"), diffVar));
    report.line(testLine(QStringLiteral("H0: MB = 0, T-value (paired w/cov.)"), paired));
    report.line(testLine(QStringLiteral("H0: MB = 0, T-value (paired diff.)"), diffPaired));
    report.newLine();
    report.line(field(QStringLiteral("Mean Absolute Error |Y - X| (MAE)"), L, F(res.MAE, 10, 5)));
    report.line(percentLine(QStringLiteral("MAE, ") + ofX, res.MAE, m.MeanX, zeroX));
    report.line(percentLine(QStringLiteral("MAE, ") + ofY, res.MAE, m.MeanY, zeroY));
    report.line(field(QStringLiteral("MA%E, |Y - X|/Y"), L, F(res.pMAE, 10, 5)));
    report.newLine();
    const QString sources = QStringLiteral(" (Loague and Green, 1991; Zacharias et al., 1996)");
    report.line(field(QStringLiteral("MEF"), L, F(res.MEF, 10, 5)) + sources);
    report.newLine();
    report.line(field(QStringLiteral("CD"), L, F(res.CD, 10, 5)) + sources);
    report.newLine();
    report.line(field(QStringLiteral("Maximum error = Max|Y - X|"), L, F(res.MxE, 10, 5)));
}

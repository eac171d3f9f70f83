// The distribution, moment and robust-statistics sections: normality of X
// and Y, their moments (whose means and variances later sections read),
// and the robust scale estimators Sn and Qn.
#include <cmath>

#include "SumtrixLib/Sumtrix.hpp"
#include "core/evaluation/normality_test.hpp"
#include "core/evaluation/report_sections.hpp"
#include "core/evaluation/run_together.hpp"

using SumtrixLib::BoundedArray;

void writeDistributionSection(EvaluationContext& ctx)
{
    ReportText& report = ctx.report;
    const EvaluationData& data = ctx.data;
    const std::int32_t n = data.N;
    report.heading(QStringLiteral("DISTRIBUTION ANALYSES (Shapiro and Wilk, 1965)"));
    report.comment(QStringLiteral(".SW is the Shapiro-Wilk's W-value (0 to 1) that measures normal distribution in which small values lead"));
    report.comment(QStringLiteral(" to the rejection of the null hypothesis of normality"));

    // The four tests at the same time, each with arrays of its own. A
    // column without spread has no distribution to test.
    const bool spreadX = !ctx.fit.spreads.X, spreadY = !ctx.fit.spreads.Y;
    std::pair<double, double> swX, swY;
    QString blockX, blockY;
    runTogether({[&] {
                     BoundedArray<double> a(0, n);
                     swX = shapiroWilk(ctx.lib, data.X, n, a, spreadX);
                 },
                 [&] {
                     BoundedArray<double> a(0, n);
                     swY = shapiroWilk(ctx.lib, data.Y, n, a, spreadY);
                 },
                 [&] { blockX = NormalityTest(ctx.lib, data.X, n, 2, false, spreadX); },
                 [&] { blockY = NormalityTest(ctx.lib, data.Y, n, 2, false, spreadY); }});
    for (const auto& [sw, name] : {std::pair{&swX, "X"}, std::pair{&swY, "Y"}})
        report.line(QStringLiteral("SW's W-value for normality for %1 (P-value < W) : ").arg(QLatin1String(name))
                    + withP(F(sw->first, 10, 5), FP(sw->second, 10, 5)));

    report.newLine();
    report.underlined(QStringLiteral("Empiriral Distribution Function for Normality"), QLatin1Char('='));
    report.line(QStringLiteral("Predicted values (X):"));
    report.append(blockX);
    report.newLine();
    report.newLine();
    report.line(QStringLiteral("Observed values (Y):"));
    // The block ends without a line break; the next heading supplies it.
    report.append(blockY);
}

void writeMomentsSection(EvaluationContext& ctx)
{
    struct Moments {
        double ave = NotComputed, med = NotComputed, adev = NotComputed, sdev = NotComputed, Var = NotComputed,
               skew = NotComputed, kurt = NotComputed, Min = NotComputed, Max = NotComputed;
    };
    const std::int32_t n = ctx.data.N;
    auto moments = [&](const BoundedArray<double>& data) {
        Moments m;
        libraryStep({&m.ave, &m.med, &m.adev, &m.sdev, &m.Var, &m.skew, &m.kurt, &m.Min, &m.Max}, [&] {
            ctx.lib.STAT_Moments(data, n, m.ave, m.med, m.adev, m.sdev, m.Var, m.skew, m.kurt, m.Min, m.Max);
        });
        return m;
    };
    // A column without spread has a variance, deviations and higher
    // moments of 0 (the library's skewness and kurtosis of a zero variance).
    auto withoutSpread = [](Moments m) {
        for (double* v : {&m.adev, &m.sdev, &m.Var, &m.skew, &m.kurt})
            if (!std::isnan(*v))
                *v = 0;
        return m;
    };
    const Moments x = ctx.fit.spreads.X ? withoutSpread(moments(ctx.data.X)) : moments(ctx.data.X);
    const Moments y = ctx.fit.spreads.Y ? withoutSpread(moments(ctx.data.Y)) : moments(ctx.data.Y);
    // From here on the later sections read these means and variances. Where
    // the moments could not be computed they keep the regression step's.
    ctx.replaceMoments(x.ave, x.Var, y.ave, y.Var);
    const SharedMoments& res = ctx.moments();

    ReportText& report = ctx.report;
    report.heading(QStringLiteral("MOMENT ANALYSES (Neter et al., 1996)"));
    auto pair = [&](const char* left, double xv, const char* right, double yv) {
        report.columns(field(QString::fromUtf8(left), 11, F(xv, 10, 5)), field(QString::fromUtf8(right), 11, F(yv, 10, 5)), 5);
    };
    pair("X Abs Mean", x.adev, "Y Abs Mean", y.adev);
    pair("X Min", x.Min, "Y Min", y.Min);
    pair("X Max", x.Max, "Y Max", y.Max);
    pair("X Mean", x.ave, "Y Mean", y.ave);
    pair("X Median", x.med, "Y Median", y.med);
    pair("X Variance", x.Var, "Y Variance", y.Var);
    pair("X Std. Dev.", x.sdev, "Y Std. Dev.", y.sdev);
    pair("X Skewness", x.skew, "Y Skewness", y.skew);
    pair("X Kurtosis", x.kurt, "Y Kurtosis", y.kurt);
    pair("X - Y Mean", res.MeanXY, "X - Y Var", res.VarXY);
    report.line(field(QStringLiteral("Covariance"), 11, F(res.CoVarXY, 10, 5)));
}

void writeRobustStatisticsSection(EvaluationContext& ctx)
{
    const std::int32_t n = ctx.data.N;
    const BoundedArray<double>& X = ctx.data.X;
    const BoundedArray<double>& Y = ctx.data.Y;
    double SnX = NotComputed, QnX = NotComputed, SnY = NotComputed, QnY = NotComputed;
    runTogether({[&] { SnX = computed([&] { return ctx.lib.Robust_Sn(X, n); }); },
                 [&] { QnX = computed([&] { return ctx.lib.Robust_Qn(X, n); }); },
                 [&] { SnY = computed([&] { return ctx.lib.Robust_Sn(Y, n); }); },
                 [&] { QnY = computed([&] { return ctx.lib.Robust_Qn(Y, n); }); }});

    ReportText& report = ctx.report;
    report.heading(QStringLiteral("ROBUST STATISTICS (Croux and Rousseeuw , 1992; Rousseeuw and Croux, 1993)"));
    report.columns(field(QStringLiteral("X Sn"), 11, F(SnX, 10, 5)), field(QStringLiteral("Y Sn"), 11, F(SnY, 10, 5)), 5);
    report.columns(field(QStringLiteral("X Qn"), 11, F(QnX, 10, 5)), field(QStringLiteral("Y Qn"), 11, F(QnY, 10, 5)), 5);
}

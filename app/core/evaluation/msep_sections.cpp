// The MSEP sections of the report: the mean square error of prediction
// with its two decompositions (Bibby and Toutenburg, 1977), and its
// bootstrap over random sub-samples of the used rows.
#include "core/evaluation/msep_sections.hpp"

#include <algorithm>
#include <cmath>

#include "SumtrixLib/Sumtrix.hpp"
#include "core/evaluation/report_sections.hpp"
#include "core/random_source.hpp"

using SumtrixLib::BoundedArray;

namespace {

// What the bootstrap boxes accept; outside it the defaults are used.
constexpr int MaxSubsamples = 100000;
constexpr int DefaultSubsamples = 200;
constexpr int DefaultSizePercent = 20;

} // namespace

void writeMsepSection(EvaluationContext& ctx)
{
    ReportText& report = ctx.report;
    const RegressionFit& res = ctx.fit;
    const double MSEP = res.MSEP;
    report.heading(QStringLiteral("MEAN SQUARE ERROR OF PREDICTION (Bibby and Toutenburg, 1977)"));
    report.line(QStringLiteral("Mean Square Error of Prediction    : ") + F(MSEP, 11, 5));
    if (!(MSEP > 0))
        return;
    const double sd = computed([&] { return SumtrixLib::checkedSqrt(res.VarMSEP); });
    report.line(QStringLiteral("Variance of MSEP                   : ") + F(res.VarMSEP, 11, 5));
    report.line(QStringLiteral("Standard deviation of MSEP         : ") + F(sd, 11, 5));
    report.line(QStringLiteral("Coefficient of variation of MSEP   : ") + F(sd * 100 / MSEP, 11, 5) + QStringLiteral(" %"));
    report.line(QStringLiteral("Square root of MSEP (RMSEP)        : ") + F(std::sqrt(MSEP), 11, 5));

    auto component = [&](std::size_t k) {
        static const char* const labels[] = {
            nullptr,
            "Mean bias ==> Mean X <> Mean Y      : ",
            "Unequal variances ==> Sx <> Sy      : ",
            "Incomplete (co)variation ==> r <> 1 : ",
            "Systematic bias ==> b <> 1          : ",
            "Random errors ==> r2 <> 1           : ",
        };
        const double c = res.MSEPComp[k];
        report.line(QLatin1String(labels[k]) + F(c, 11, 5) + QStringLiteral(" (") + F(c * 100 / MSEP, 7, 3)
                    + QStringLiteral(" %)"));
    };
    report.line();
    report.line(QStringLiteral("MSEP Decomposition I:"));
    for (std::size_t k : {1, 2, 3})
        component(k);
    report.line();
    report.line(QStringLiteral("MSEP Decomposition II:"));
    for (std::size_t k : {1, 4, 5})
        component(k);
}

BootstrapResult BootstrapMSEP(SumtrixLib::Sumtrix& lib, RandomSource& random, std::int32_t subsamples, double Prop,
                              ArrayView XArray, ArrayView YArray, double MeanX, double MeanY)
{
    BootstrapResult out;
    const auto n = static_cast<std::int32_t>(XArray.size()) - 1;
    if (std::isnan(MeanX) || std::isnan(MeanY))
        MeanX = MeanY = 0;
    // A sub-sample holds at most all the points: the arrays are made that
    // large once.
    BoundedArray<double> subX(0, n), subY(0, n);
    BoundedArray<double> msep(0, subsamples), varMsep(0, subsamples), comp(0, 5);
    // The draws come in blocks, in the order one draw per point would take.
    std::vector<double> draws(static_cast<std::size_t>(std::min<std::int32_t>(n, 1 << 14)));
    double* const sx = subX.data().data();
    double* const sy = subY.data().data();
    for (std::int32_t j = 1; j <= subsamples; ++j) {
        std::int32_t i = 0;
        for (std::int32_t from = 1; from <= n; from += static_cast<std::int32_t>(draws.size())) {
            const std::int32_t count = std::min<std::int32_t>(n - from + 1, static_cast<std::int32_t>(draws.size()));
            random.nextUniforms(draws.data(), static_cast<std::size_t>(count));
            // Each point is written to the next place and kept there when
            // drawn (before point d at most d - 1 are kept: the place is in
            // the arrays).
            for (std::int32_t k = 0; k < count; ++k) {
                sx[i + 1] = XArray[static_cast<std::size_t>(from + k)];
                sy[i + 1] = YArray[static_cast<std::size_t>(from + k)];
                i += 100.0 * draws[static_cast<std::size_t>(k)] <= Prop ? 1 : 0;
            }
        }
        if (i == 0)
            continue;
        // Every sub-sample's measures start from zero; one that could not
        // be computed makes the means over the sub-samples "n/a".
        double r2 = 0, mb = 0, MAE = 0, pMAE = 0, MSEP = 0, VarMSEP = 0, MEF = 0, MxE = 0, CD = 0;
        if (libraryStep({}, [&] {
                lib.STAT_ModelMeasures(subX, subY, i, MeanX, MeanY, r2, mb, MAE, pMAE, MSEP, VarMSEP, comp, MEF, MxE,
                                       CD);
            })) {
            msep(j) = MSEP;
            varMsep(j) = VarMSEP;
        } else {
            msep(j) = varMsep(j) = NotComputed;
        }
    }
    // STAT_AveVar gives 0 for both below two values: one sub-sample's means
    // are its own values, and its variances none.
    if (subsamples == 1) {
        out.BSMSEP = msep(1);
        out.BSVarMSEP = varMsep(1);
        return out;
    }
    libraryStep({&out.BSMSEP, &out.BSMSEPVar}, [&] { lib.STAT_AveVar(msep, subsamples, out.BSMSEP, out.BSMSEPVar); });
    libraryStep({&out.BSVarMSEP, &out.BSVarMSEPVar},
                [&] { lib.STAT_AveVar(varMsep, subsamples, out.BSVarMSEP, out.BSVarMSEPVar); });
    return out;
}

void writeMsepBootstrapSection(EvaluationContext& ctx)
{
    ReportText& report = ctx.report;
    const EvaluationData& d = ctx.data;
    double count = ctx.settings.bootstrapSubsamples;
    double pct = ctx.settings.bootstrapSizePercent;
    // A count beyond the accepted range would take gigabytes or fail; a
    // size outside (0, 100] has no meaning. Both fall back to the defaults,
    // and the report says so.
    QStringList replaced;
    if (!(count >= 1 && count <= MaxSubsamples)) {
        replaced << QStringLiteral("Sub-samples must be from 1 to %1, %2 used").arg(MaxSubsamples).arg(DefaultSubsamples);
        count = DefaultSubsamples;
    }
    if (!(pct > 0 && pct <= 100)) {
        replaced << QStringLiteral("Size (%) must be above 0 and at most 100, %1 used").arg(DefaultSizePercent);
        pct = DefaultSizePercent;
    }
    // The expected size of a sub-sample, to the nearest whole point.
    const double size = std::nearbyint(pct * d.N / 100);

    report.heading(QStringLiteral("BOOTSTRAP ANALYSIS OF MSEP"));
    if (!replaced.isEmpty())
        report.line(replaced.join(QStringLiteral("; ")));
    if (size < 3) {
        // The least whole percentage whose expected size is 3 points.
        const double least = std::ceil(300.0 / d.N);
        report.append(QStringLiteral("Sub-sample size too small: a sub-sample needs at least 3 points, which takes a Size (%) of at least ")
                      + QString::number(least, 'f', 0));
        return;
    }
    const BootstrapResult bs =
        BootstrapMSEP(ctx.lib, ctx.random, static_cast<std::int32_t>(std::nearbyint(count)), pct, view(d.X), view(d.Y),
                      ctx.moments().MeanX, ctx.moments().MeanY);
    report.line(QStringLiteral("Sub-samples           : ") + F(count, 20, 5));
    report.line(QStringLiteral("Size                  : ") + F(size, 20, 5));
    report.line(QStringLiteral("Mean MSEP             : ") + F(bs.BSMSEP, 20, 5));
    report.line(QStringLiteral("Variance of MSEP      : ") + F(bs.BSMSEPVar, 20, 5));
    report.line(QStringLiteral("Mean Var MSEP         : ") + F(bs.BSVarMSEP, 20, 5));
    report.line(QStringLiteral("Variance of Var MSEP  : ") + F(bs.BSVarMSEPVar, 20, 5));
}

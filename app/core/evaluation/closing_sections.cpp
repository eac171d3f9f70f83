// The end of the run: the histograms, the literature list, and the charts
// of residues and deviations drawn once the report window is shown.
#include <algorithm>
#include <climits>
#include <cmath>

#include "core/data_sheet.hpp"
#include "core/evaluation/report_sections.hpp"
#include "core/evaluation/run_chart.hpp"

namespace {

// Alphabetical by first author, except that Bland and Altman stand before
// Bibby and Toutenburg. Kept exactly as it has always been printed.
const char* const kReferences[] = {
    "Agresti, A. 1996. An introduction to categorical data analysis. Wiley-Interscience, New York.",
    "Agresti, A. 2002. Categorical data analysis (2nd. ed.). John Wiley & Sons, New York.",
    "Bland, J. M. and D. G. Altman. 1986. Statistical methods for assessing agreement beween two methods of clinical measurement. The Lancet. 327:307-310.",
    "Bibby, J. and H. Toutenburg. 1977. Prediction and improved estimation in linear models. John Wiley & Sons, Berlin, Germany.",
    "Cochran, W. G. and G. M. Cox. 1957. Experimental Design. John Wiley & Sons, New York.",
    "Croux, C. and P. J. Rousseeuw. 1992. Time-efficient algorithms for two highly robust estimators of scale. Computational Statistics. 1:411-428.",
    "Davis, C. S. and M. A. Stephens. 1989. Empirical distribution function goodness-of-fit tests. Appl. Statist. 38(3):535-582.",
    "Dent, J. B. and M. J. Blackie. 1979. Systems Simulation in Agriculture. Applied Science, London.",
    "Deyo, R. A., P. Diehr, and D. L. Patrick. 1991. Reproducibility and responsiveness of health statis measures. Controlled Clinical Trials. 12:142S-158S.",
    "Freese, F. 1960. Testing accuracy. Forest Science. 6:139-145.",
    "Hyde, K. M. and H. R. Maier. 2006. Distance-based and stochastic uncertainty analysis for multi-criteria decision analysis. Environmental Modelling & Software. 21:1695-1710.",
    "Isobe, T., E. D. Feigelson, M. G. Akritas, and G. J. Babu. 1990. Linear regression in astronomy. I. The Astrophysical Journal. 364:104-113.",
    "King, T. S. and V. M. Chinchilli. 2001a. A generalized concordance correlation coefficient for continuous and categorical data. Statist. Med. 20:2131-2147.",
    "King, T. S. and V. M. Chinchilli. 2001b. Robust estimator of the concordance correlation coefficient. Journal of Biopharmaceutical Statistics. 11:83-105.",
    "Kleijnen, J. P. C. 1987. Statistical Tools for Simulation Practitioners. Marcel Dekker, New York, NY.",
    "Kleijnen, J. P. C., B. Bettonvil, and W. Van Groenendall. 1996. Validation of trace-driven simulation models: Regression analysis revisited. Pages 352-359 in Proceedings of the Winter Simulation Conference, Coronado, CA. ACM.",
    "Kleijnen, J. P. C., B. Bettonvil, and W. Van Groenendall. 1998. Validation of trace-driven simulation models: a novel regression test. Management Science. 44:812-819.",
    "Liao, J. J. Z. 2003. An improved concordance correlation coefficient. Pharmaceut. Statist. 2:253-261.",
    "Lin, L. I.-K. 1989. A concordance correlation coefficient to evaluate reproducibility. Biometrics. 45:255-268.",
    "Loague, K. and R. E. Green. 1991. Statistical and graphical methods for evaluating solute transport models: Overview and application. Journal of Contaminant Hydrology. 7:51-73.",
    "Mayer, D. G., M. A. Stuart, and A. J. Swain. 1994. Regression of real-world data on model output: an appropriate overall test of validity. Agric. Syst. 45:93-104.",
    "Neter, J., M. H. Kutner, C. J. Nachtsheim, and W. Wasserman. 1996. Applied Linear Statistical Models (4th ed.). McGraw-Hill Publishing Co., Boston.",
    "Nickerson, C. A. E. 1997. A note on 'A concordance correlation coefficient to evaluate reproducibility'. Biometrics. 53:1503-1507.",
    "Reynolds, M. R. 1984. Estimating the error in model predictions. Forest Science. 30(2):454-469.",
    "Rousseeuw, P. J. and C. Croux. 1993. Alternatives to the median absolute deviation. Journal of the American Statistical Association. 88:1273-1283.",
    "Shapiro, S. S. and M. B. Wilk. 1965. An analysis of variance test for normality (complete samples). Biometrika. 52:591-611.",
    "Varnholt, B. 2006. Balance and orthogonal balance of model predictions against observations.",
    "Wallach, D. and B. Goffinet. 1989. Mean squared error of prediction as a criterion for evaluating and comparing system models. Ecological Modelling. 44:299-306.",
    "Zacharias, S., C. D. Heatwole, and C. W. Coakley. 1996. Robust quantitative techniques for validating pesticide transport models. Transactions of the ASAE (American Society of Agricultural Engineers). 39:47-54.",
};

struct MarkerStyle {
    int style;
    int red, green, blue;
};

// One closing chart: the points (x(i), y(i)) of rows 1..N, with x in
// columns 1 and 2 and y in column 3, the run's fonts and footnote, and the
// marker of the plotted series.
RunRequests::Chart closingChart(const EvaluationContext& ctx, const QString& title, const QString& xTitle,
                                const QString& yTitle, ArrayView x, ArrayView y,
                                MarkerStyle marker, double scale = 1, const QString& status = QString())
{
    const int N = ctx.data.N;
    XYPlot plot = runPointsChart(x, y, N, title, xTitle, yTitle, ctx.mainCaption);
    if (scale != 1)
        for (int i = 1; i <= N; ++i)
            plot.PlotData.set(i, 3, scale * y[static_cast<std::size_t>(i)]);
    plot.Marker[3] = marker.style;
    plot.MarkerColor1[3] = marker.red;
    plot.MarkerColor2[3] = marker.green;
    plot.MarkerColor3[3] = marker.blue;
    return RunRequests::Chart{plot, status};
}

} // namespace

int residualPlotScale(ArrayView RStdtRes)
{
    // The studentized deleted residues of rows 1..N are stretched so that
    // they span about 50 units: s = 10 x round(50 / range), halves to the
    // even one, kept only when it is above 9. No range (equal or
    // undefined residues) or a factor beyond a long integer leaves 1.
    double lo = INFINITY, hi = -INFINITY;
    for (std::size_t i = 1; i < RStdtRes.size(); ++i) {
        if (!std::isfinite(RStdtRes[i]))
            continue;
        lo = std::min(lo, RStdtRes[i]);
        hi = std::max(hi, RStdtRes[i]);
    }
    const double range = hi - lo;
    if (!(range > 0) || !std::isfinite(range))
        return 1;
    const double q = 50 / range;
    if (!std::isfinite(q) || 10.0 * std::nearbyint(q) > INT_MAX)
        return 1;
    const long long s = 10 * DataSheet::roundHalfEven(q);
    return s > 9 ? static_cast<int>(s) : 1;
}


void writeReferencesSection(EvaluationContext& ctx)
{
    ctx.report.heading(QStringLiteral("REFERENCES"));
    for (const char* entry : kReferences)
        ctx.report.line(QString::fromUtf8(entry));
}

void requestResidualPlot(EvaluationContext& ctx)
{
    const ResidualRows& rows = ctx.rows();
    const int s = residualPlotScale(rows.RStdtRes);
    const QString yTitle = s > 9 ? QStringLiteral("Studentized Residue (× ") + QString::number(s) + QLatin1Char(')')
                                 : QStringLiteral("Studentized Residue");
    ctx.request(closingChart(ctx, QStringLiteral("Studentized Residue vs Regression-Predicted"),
                             QStringLiteral("Regression-Predicted"), yTitle, view(rows.Pred), view(rows.RStdtRes),
                             {2, 0, 0, 0}, s,
                             QStringLiteral("Residual plot...")));
}

void requestDeviationPlot(EvaluationContext& ctx)
{
    ctx.request(closingChart(ctx, QStringLiteral("Deviation vs Observed"), QStringLiteral("Observed"),
                             QStringLiteral("Deviation"), view(ctx.data.Y), view(ctx.rows().Deviation), {2, 0, 0, 0}, 1,
                             QStringLiteral("Deviation plot...")));
}

void requestNormalPlot(EvaluationContext& ctx)
{
    ctx.request(closingChart(ctx, QStringLiteral("Expected Normal Residue vs Residue"), QStringLiteral("Residue"),
                             QStringLiteral("Normal Residue"), view(ctx.rows().Residue), view(ctx.rows().NormalResidue),
                             {2, 0, 0, 0}, 1, QStringLiteral("Normal plot...")));
}

void requestResidueRegressionPlots(EvaluationContext& ctx)
{
    ctx.request(closingChart(ctx, QStringLiteral("Residue vs Regression-Predicted"),
                             QStringLiteral("Regression-Predicted"), QStringLiteral("Residue"), view(ctx.rows().Pred),
                             view(ctx.rows().Residue), {14, 255, 128, 64}));
    ctx.request(closingChart(ctx, QStringLiteral("Deviation vs Model-Predicted"), QStringLiteral("Model-Predicted"),
                             QStringLiteral("Deviation"), view(ctx.data.X), view(ctx.rows().Deviation), {14, 0, 128, 0}));
}

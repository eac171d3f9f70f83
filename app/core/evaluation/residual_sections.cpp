// The residual analysis: the acceptance limits of deviations and residues,
// the table of regression diagnostics of every point with the columns the
// user chose and marks on the values out of their limits, the normality of
// three kinds of residue, the deviations against their acceptance interval
// and the regression of the residues on the fitted values. The text goes
// into the report or into a results window of its own; the table can go
// into a residue file instead, which is then opened in the user's editor.
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "SumtrixLib/Rounding.hpp"
#include "SumtrixLib/Sumtrix.hpp"
#include "core/evaluation/normality_test.hpp"
#include "core/evaluation/report_sections.hpp"
#include "core/evaluation/run_together.hpp"
#include "core/kve_code.hpp"
#include "core/numbered_file.hpp"

using SumtrixLib::BoundedArray;

namespace {

// How a column marks a value out of its limits in the report.
enum class Mark { None, Deviation, Residue, DeletedResidue, Leverage, Cook, Dffits };

struct ResidueColumn {
    const char* reportHeader;
    const char* fileHeader;
    const BoundedArray<double>& (*values)(const EvaluationContext& ctx);
    Mark mark;
};

// The columns of the table in their fixed order (1..14, as the list of
// columns offers them). The report and the file head some of them
// differently; both texts are the established ones.
const ResidueColumn kColumns[] = {
    {"X values", "X values", [](const EvaluationContext& c) -> const BoundedArray<double>& { return c.data.X; }, Mark::None},
    {"Y values", "Y values", [](const EvaluationContext& c) -> const BoundedArray<double>& { return c.data.Y; }, Mark::None},
    {"Deviation", "Deviation", [](const EvaluationContext& c) -> const BoundedArray<double>& { return c.rows().Deviation; },
     Mark::Deviation},
    {"Y Pred.", "Y Pred.", [](const EvaluationContext& c) -> const BoundedArray<double>& { return c.rows().Pred; },
     Mark::None},
    {"Residue", "Y Residue", [](const EvaluationContext& c) -> const BoundedArray<double>& { return c.rows().Residue; },
     Mark::Residue},
    {"NormRes", "NormRes",
     [](const EvaluationContext& c) -> const BoundedArray<double>& { return c.rows().NormalResidue; }, Mark::None},
    {"SE Res.", "SE Res.", [](const EvaluationContext& c) -> const BoundedArray<double>& { return c.rows().SEr; },
     Mark::None},
    {"SemiStdtR", "SemiStdR",
     [](const EvaluationContext& c) -> const BoundedArray<double>& { return c.rows().SemiStdtRes; }, Mark::None},
    {"StdtRes", "StdRes", [](const EvaluationContext& c) -> const BoundedArray<double>& { return c.rows().StdtRes; },
     Mark::None},
    {"RStdtRes", "RSdtRed", [](const EvaluationContext& c) -> const BoundedArray<double>& { return c.rows().RStdtRes; },
     Mark::DeletedResidue},
    {"Leverage", "Leverage", [](const EvaluationContext& c) -> const BoundedArray<double>& { return c.rows().h; },
     Mark::Leverage},
    {"Cook'D", "Cook'D", [](const EvaluationContext& c) -> const BoundedArray<double>& { return c.rows().Cook; },
     Mark::Cook},
    {"DFFITS", "DFFITS", [](const EvaluationContext& c) -> const BoundedArray<double>& { return c.rows().DFFITS; },
     Mark::Dffits},
    {"PRESS", "PRESS", [](const EvaluationContext& c) -> const BoundedArray<double>& { return c.rows().PRESS; },
     Mark::None},
};

// Assigns a limit only when it could be formed: a limit kept for later runs
// is never a value that is none.
void setLimit(double& limit, double value)
{
    if (std::isfinite(value))
        limit = value;
}

// Fills in the limits that are still 0 and sets both cut-offs (p = 2
// parameters of the fitted line). The acceptance interval of the deviations
// is ∓ z SE of the mean of Y, z the normal quantile of the confidence; a
// confidence still unknown is read off limits set on the residual panel.
void settleLimits(EvaluationContext& ctx)
{
    AcceptanceLimits& l = ctx.limits;
    SumtrixLib::Sumtrix& lib = ctx.lib;
    const SharedMoments& res = ctx.moments();
    const double N = ctx.data.N;
    const double SE = std::isnan(res.VarY) ? NotComputed : computed([&] { return SumtrixLib::checkedSqrt(res.VarY / N); });
    if (l.DeviationConfidence == 0) {
        if (l.DeviationLower != 0 || l.DeviationUpper != 0) {
            if (!std::isnan(SE))
                setLimit(l.DeviationConfidence, computed([&] {
                             return lib.STAT_NormProb1(SumtrixLib::checkedDiv(l.DeviationLower, SE), true);
                         }));
        } else {
            l.DeviationConfidence = 0.95;
        }
    }
    if (l.DeviationLower == 0 && l.DeviationUpper == 0 && !std::isnan(SE) && l.DeviationConfidence != 0) {
        double IER = 0;
        setLimit(l.DeviationLower, computed([&] { return -lib.STAT_InvNorm(l.DeviationConfidence, IER) * SE; }));
        l.DeviationUpper = -l.DeviationLower;
    }
    if (l.ResidualLower == 0)
        setLimit(l.ResidualLower, -0.1 * res.MeanY);
    if (l.ResidualUpper == 0)
        setLimit(l.ResidualUpper, 0.1 * res.MeanY);
    if (l.RStdResidueLower == 0)
        l.RStdResidueLower = -2.5;
    if (l.RStdResidueUpper == 0)
        l.RStdResidueUpper = 2.5;
    l.LeverageCutoff = 4 / N;
    l.DffitsCutoff = 2 * std::sqrt(2 / N);
}

// Cook's D is marked when it lies above the median of F(p, n - p), that is
// when 1 - STAT_PROBF(D, 2, N - 2) > 0.5. One F probability per row is most
// of the time of a long table, so the median is bracketed once by bisection
// on the same probability: D up to `below` is not marked, D from `above` on
// is, and only a D between the two is judged by its own probability. The
// marks are the same as with one probability per row.
class CookRule {
public:
    CookRule(SumtrixLib::Sumtrix& lib, int N) : m_lib(lib), m_N(N)
    {
        if (markedAt(0))
            return;
        double lo = 0, hi = 1;
        for (int k = 0; k < 64 && !markedAt(hi); ++k) {
            lo = hi;
            hi *= 2;
        }
        if (!markedAt(hi))
            return;
        for (int k = 0; k < 200 && hi - lo > 1e-12 * hi; ++k) {
            const double mid = lo + (hi - lo) / 2;
            if (markedAt(mid))
                hi = mid;
            else
                lo = mid;
        }
        m_below = lo;
        m_above = hi;
    }

    bool operator()(double D) const
    {
        if (D <= m_below)
            return false;
        if (D >= m_above)
            return true;
        return markedAt(D);
    }

private:
    bool markedAt(double D) const
    {
        const double upper = computed([&] { return m_lib.STAT_PROBF(D, 2, m_N - 2.0); });
        return !std::isnan(upper) && 1 - upper > 0.5;
    }

    SumtrixLib::Sumtrix& m_lib;
    int m_N;
    // Without a bracket (the probability cannot be formed) every D is
    // judged by itself.
    double m_below = -std::numeric_limits<double>::infinity();
    double m_above = std::numeric_limits<double>::infinity();
};

// Whether the report marks value v of a column. A value that could not be
// computed prints "n/a" and is not judged.
bool marked(EvaluationContext& ctx, const CookRule& cook, Mark mark, double v)
{
    if (std::isnan(v))
        return false;
    const AcceptanceLimits& l = ctx.limits;
    switch (mark) {
    case Mark::None:
        return false;
    case Mark::Deviation:
        return !(l.DeviationLower <= v && v <= l.DeviationUpper);
    case Mark::Residue:
        return !(l.ResidualLower <= v && v <= l.ResidualUpper);
    case Mark::DeletedResidue:
        return !(l.RStdResidueLower <= v && v <= l.RStdResidueUpper);
    case Mark::Leverage:
        return v >= l.LeverageCutoff;
    case Mark::Cook:
        return cook(v);
    case Mark::Dffits:
        return std::fabs(v) >= l.DffitsCutoff;
    }
    return false;
}

// The table of the chosen columns: the report's marks and headers, or the
// file's (no marks). The row number takes three places below 1,000 rows
// and as many as N has digits from there on. Each cell is a value in 9
// places and its mark or a blank; in the report a value that fills its
// places right after a marked one would touch its mark, and its column
// then stands one blank further right.
class ResidueTable {
public:
    ResidueTable(EvaluationContext& ctx, bool forFile) : m_ctx(ctx), m_forFile(forFile)
    {
        const int N = ctx.data.N;
        m_numberWidth = N < 1000 ? 3 : static_cast<int>(QString::number(N).size());
        for (std::size_t c = 1; c <= 14; ++c)
            if (ctx.settings.residueColumns[c])
                m_shown.push_back(&kColumns[c - 1]);
        for (const ResidueColumn* column : m_shown)
            m_values.push_back(view(column->values(m_ctx)));
        m_spaced.assign(m_shown.size(), false);
        if (!forFile) {
            m_cook.emplace(ctx.lib, N);
            for (std::size_t c = 1; c < m_shown.size(); ++c)
                for (std::size_t i = 1; i <= static_cast<std::size_t>(N) && !m_spaced[c]; ++i)
                    m_spaced[c] = marked(m_ctx, *m_cook, m_shown[c - 1]->mark, m_values[c - 1][i])
                                  && fillsField(m_values[c][i], 9, 4);
        }
    }

    // The rule's length.
    int width() const
    {
        return 10 * static_cast<int>(m_shown.size()) + m_numberWidth
               + static_cast<int>(std::count(m_spaced.begin(), m_spaced.end(), true));
    }

    QString header() const
    {
        QString h = KVECode::AlignText(QStringLiteral("#"), m_numberWidth, std::int16_t{3}) + QLatin1Char(' ');
        for (std::size_t c = 0; c < m_shown.size(); ++c)
            h += (m_spaced[c] ? QStringLiteral(" ") : QString())
                 + KVECode::AlignText(QString::fromLatin1(m_forFile ? m_shown[c]->fileHeader : m_shown[c]->reportHeader),
                                      9, std::int16_t{3})
                 + QLatin1Char(' ');
        return h;
    }

    // Appends the rows, each with its CR LF, to the UTF-8 `text`: written
    // in place, a field at a time (a million rows are most of a report).
    void appendRows(QByteArray& text) const
    {
        const int N = m_ctx.data.N;
        // A row: the number, a blank, the fields with their marks, CR LF.
        text.reserve(text.size() + static_cast<qsizetype>(N) * (width() + 3) + 1024);
        for (int i = 1; i <= N; ++i) {
            appendF(text, i, m_numberWidth, 0);
            text += ' ';
            for (std::size_t c = 0; c < m_shown.size(); ++c) {
                const double v = m_values[c][static_cast<std::size_t>(i)];
                if (m_spaced[c])
                    text += ' ';
                appendF(text, v, 9, 4);
                text += !m_forFile && marked(m_ctx, *m_cook, m_shown[c]->mark, v) ? '*' : ' ';
            }
            text += "\r\n";
        }
    }

private:
    EvaluationContext& m_ctx;
    bool m_forFile;
    int m_numberWidth = 3;
    std::vector<const ResidueColumn*> m_shown;
    std::vector<ArrayView> m_values;
    std::vector<bool> m_spaced;        // a blank before the column's cells
    std::optional<CookRule> m_cook;    // the report's marks of Cook's D
};

// Shapiro-Wilk's W of v(1..N) and its probability; not computed when a
// value is not (nothing to test).
std::pair<double, double> normalityOf(EvaluationContext& ctx, const BoundedArray<double>& v, BoundedArray<double>& a)
{
    for (std::size_t i = 1; i < v.size(); ++i)
        if (!std::isfinite(v.data()[i]))
            return {NotComputed, NotComputed};
    return shapiroWilk(ctx.lib, v, ctx.data.N, a);
}

// The text after "the character after the first ' - '" of the main
// window's caption: the dataset's name (from the third character when the
// caption holds no " - ").
QString captionTail(const QString& caption)
{
    const qsizetype dash = caption.indexOf(QStringLiteral(" - "));
    return dash >= 0 ? caption.mid(dash + 3) : caption.mid(2);
}

// The residue file: written whole, atomically, under the first free
// number in the dataset's folder (the current folder when there is none).
// The text tells where it went, or in one line why it could not be written
// (which the run also lists among its unsaved files); only a file that was
// written is opened in the editor.
void writeResidueFile(EvaluationContext& ctx, ReportText& text)
{
    const QString folder = ctx.dataFileName.isEmpty() ? QString() : KVECode::GetFolderPath(ctx.dataFileName);
    const ResidueTable table(ctx, true);
    const QString rule(table.width(), QLatin1Char('-'));
    // The lines joined by CR LF; the file's last line break is the writer's.
    QByteArray lines = (QStringLiteral("Analysis of Residuals\r\n") + QString(21, QLatin1Char('=')) + QStringLiteral("\r\n")
                        + QStringLiteral("Data file: ") + folder + captionTail(ctx.mainCaption) + QStringLiteral("\r\n\r\n")
                        + table.header() + QStringLiteral("\r\n") + rule + QStringLiteral("\r\n"))
                           .toUtf8();
    table.appendRows(lines);
    lines += (QStringLiteral("\r\n") + rule).toUtf8();
    const NewFile written = NumberedFile::writeNext(folder, QStringLiteral("Residue"), lines);
    if (!written.ok()) {
        const QString where = folder.isEmpty() ? QStringLiteral("the current folder") : folder;
        text.line(QStringLiteral("Residue calculation could not be saved in ") + where + QStringLiteral(": ")
                  + written.error);
        ctx.unsavedFiles.append(QStringLiteral("the residue file (ResidueNNNN.TXT) could not be saved in ") + where
                                + QStringLiteral(": ") + written.error);
        return;
    }
    text.line(QStringLiteral("Residue calculation saved in file:"));
    text.line(written.path);
    ctx.request(RunRequests::OpenInEditor{written.path});
}

// Whether the fitted values Pred = a + b X spread beyond rounding. They
// spread by |b| range(X). A line that is flat in exact arithmetic comes out
// of a fit with a slope that the rounding of the data can move by
// slopeRounding (SumtrixLib::lineWithinRounding), so its fitted values
// differ by up to slopeRounding |X - mean X| beside the rounding of
// a + b X itself: fitted values that are one value within these bounds do
// not spread, and leave nothing to regress on.
bool spreadsBeyondRounding(const EvaluationContext& ctx, const BoundedArray<double>& Pred)
{
    const SumtrixLib::LineWithinRounding& line = ctx.fit.spreads.line;
    if (std::isnan(line.slopeRounding))
        return false;
    const BoundedArray<double>& X = ctx.data.X;
    const double a = ctx.fit.residualLine.a, b = ctx.fit.residualLine.b;
    SumtrixLib::RoundingInterval common;
    for (int i = 1; i <= ctx.data.N && !common.empty(); ++i)
        common.add(Pred(i), SumtrixLib::roundingOf(std::fabs(a) + std::fabs(b * X(i)))
                                + line.slopeRounding * std::fabs(X(i) - line.meanX));
    return common.empty();
}

void writeResidueRegression(EvaluationContext& ctx, ReportText& text)
{
    ctx.showStatus(QStringLiteral("Residue regression..."));
    SumtrixLib::Sumtrix& lib = ctx.lib;
    const std::int32_t n = ctx.data.N;
    const BoundedArray<double>& Pred = ctx.rows().Pred;
    const BoundedArray<double>& Residue = ctx.rows().Residue;
    const BoundedArray<double>& SDX = ctx.data.SDX;
    bool stands = n >= 1;
    for (std::int32_t i = 1; i <= n; ++i)
        stands = stands && std::isfinite(Pred(i)) && std::isfinite(Residue(i));
    // Fitted values that do not spread leave no line to fit (its slope
    // would be rounding divided by rounding).
    stands = stands && spreadsBeyondRounding(ctx, Pred);

    // The line of the residues on the predictions and Pearson's r² of the
    // two: this section's own values.
    struct {
        double a = NotComputed, b = NotComputed, siga = NotComputed, sigb = NotComputed, chi2 = NotComputed,
               Q = NotComputed, r = NotComputed, t = NotComputed, ProbT = NotComputed, r2 = NotComputed,
               Adjr2 = NotComputed, z = NotComputed;
    } res;
    if (stands) {
        libraryStep({&res.a, &res.b, &res.siga, &res.sigb, &res.chi2, &res.Q}, [&] {
            std::int32_t mwt = 0;
            lib.Reg_FitXY(Pred, Residue, n, SDX, mwt, res.a, res.b, res.siga, res.sigb, res.chi2, res.Q);
        });
        libraryStep({&res.r, &res.t, &res.ProbT, &res.r2, &res.Adjr2, &res.z},
                    [&] { lib.Rank_Pearson(Pred, Residue, n, res.r, res.t, res.ProbT, res.r2, res.Adjr2, res.z); });
    }

    const int W = 16;
    text.heading(QStringLiteral("RESIDUE REGRESSION ANALYSIS"));
    text.line(QStringLiteral("Regression of: Residue = a + b×'Regression-Predicted'"));
    text.line(field(QStringLiteral("Estimate a ± SD"), W, plusMinus(F(res.a, 10, 5), F(res.siga, 10, 5))));
    text.line(field(QStringLiteral("Estimate b ± SD"), W, plusMinus(F(res.b, 10, 5), F(res.sigb, 10, 5))));
    text.line(field(QStringLiteral("r²"), W, F(res.r2, 10, 5)));
    const double df = n - 2.0;
    const auto test = [&](const QString& h0, double t) {
        text.line(padded(h0, 21) + QStringLiteral("T-value (P-value): ")
                  + withP(F(t, 10, 5), FP(twoSidedP(lib, t, df), 7, 5)));
    };
    if (res.siga > 0)
        test(QStringLiteral("H0: a = 0"), ratio(res.a, res.siga));
    if (res.sigb > 0)
        test(QStringLiteral("H0: b = 0"), ratio(res.b, res.sigb));
}

} // namespace

void writeResidualSection(EvaluationContext& ctx)
{
    const EvaluationSettings& s = ctx.settings;
    const SharedMoments& res = ctx.moments();
    AcceptanceLimits& l = ctx.limits;
    const int N = ctx.data.N;
    settleLimits(ctx);

    // Written where it goes: into the report, or into a window of its own
    // that starts with the report's header.
    ReportText window(s.comments);
    ReportText& text = s.residueWindow ? window : ctx.report;
    if (s.residueWindow) {
        window.append(ctx.reportHeader);
    } else {
        ctx.report.newLine();
        ctx.report.newLine();
    }
    text.underlined(QStringLiteral("Analysis of Residuals"), QLatin1Char('='));
    if (s.comments) {
        text.comment(QStringLiteral(".NormRes is the expected residual value under the normality assumption"));
        text.comment(QStringLiteral(".SemiSdtR is the semi studentized residue"));
        text.comment(QStringLiteral(".RSdtRes is used to identify outliers usually when outside of the range -2.5 to 2.5"));
        text.comment(QStringLiteral(".Leverage is used to identify points with high leverage; if Leverage > ")
                     + F(l.LeverageCutoff, 6, 4));
        text.comment(QStringLiteral(".Cook's D is used to identify the influence of the ith point on all fitted values; if P(F(Cook's D, p, n-p)) > 0.5"));
        text.comment(QStringLiteral(".DFFITS is used to identify the influence of the ith point on the fitted value; if |DFFITS| > ")
                     + F(l.DffitsCutoff, 6, 4));
        text.line();
    }

    if (s.residueToFile) {
        writeResidueFile(ctx, text);
    } else {
        // The table is written while the three residues' normality is
        // tested, each test with an array of its own.
        const struct {
            const char* label;
            const BoundedArray<double>& values;
        } kinds[] = {
            {"SW's W-value for normality for Residue (P-value < W) : ", ctx.rows().Residue},
            {"SW's W-value for normality for StdtRes (P-value < W) : ", ctx.rows().StdtRes},
            {"SW's W-value for normality for RStdtRes(P-value < W) : ", ctx.rows().RStdtRes},
        };
        std::pair<double, double> normality[3];
        const auto test = [&](std::size_t k) {
            BoundedArray<double> work(0, N);
            normality[k] = normalityOf(ctx, kinds[k].values, work);
        };
        const ResidueTable table(ctx, false);
        text.line(table.header());
        text.rule(table.width());
        runTogether({[&] { table.appendRows(text.utf8()); }, [&] { test(0); }, [&] { test(1); }, [&] { test(2); }});
        text.rule(table.width());
        text.line(QStringLiteral("SE Res = standard error of the residual"));
        text.line(QStringLiteral("StdtRes = studentized residual, which is the residual divided by its standard error"));
        text.line(QStringLiteral("RStdtRes = studentized residual with the current observation removed"));
        text.line(QStringLiteral("Leverage = diagonal element in the H matrix; used to detect extreme points in the dataset"));
        text.line();

        for (std::size_t k = 0; k < std::size(kinds); ++k)
            text.line(QString::fromUtf8(kinds[k].label)
                      + withP(F(normality[k].first, 10, 5), FP(normality[k].second, 10, 5)));
        text.line();

        // A deviation X - Y below the lower limit is an observation above
        // its upper acceptance limit, and the other way round.
        int above = 0, below = 0;
        for (std::size_t i = 1; i <= static_cast<std::size_t>(N); ++i) {
            const double d = ctx.rows().Deviation.data()[i];
            below += d < l.DeviationLower;
            above += d > l.DeviationUpper;
        }
        const auto percentOfN = [N](double count) { return count * 100 / N; };
        text.underlined(QStringLiteral("Analysis of Deviation"));
        text.line(QStringLiteral("Deviation interval [lower - upper]                     : [")
                  + F(l.DeviationLower, 10, 4).trimmed() + QStringLiteral(", ") + F(l.DeviationUpper, 10, 4).trimmed()
                  + QLatin1Char(']'));
        const double ofMean = std::isnan(res.MeanY) ? NotComputed : computed([&] {
            return SumtrixLib::checkedDiv(-l.DeviationLower * 100, res.MeanY);
        });
        text.line(QStringLiteral("Deviation interval as ± % of the Mean of Y (observed)  : ") + F(ofMean, 10, 4)
                  + QLatin1Char('%'));
        text.line(QStringLiteral("Approximate (1 - Alpha), %                             :")
                  + F(l.DeviationConfidence * 100, 10, 2));
        text.line(QStringLiteral("Number of data points above the upper acceptance limit :") + F(below, 10, 0)
                  + QStringLiteral(" (") + F(percentOfN(below), 10, 5) + QStringLiteral("%)"));
        text.line(QStringLiteral("Number of data points below the lower acceptance limit :") + F(above, 10, 0)
                  + QStringLiteral(" (") + F(percentOfN(above), 10, 5) + QStringLiteral("%)"));
        text.line(QStringLiteral("Percentage of data points out of the acceptance limits :")
                  + F(percentOfN(above + below), 10, 5) + QLatin1Char('%'));

        if (s.sections.residueRegression)
            writeResidueRegression(ctx, text);
    }

    if (s.residueWindow)
        ctx.request(RunRequests::ShowSideWindow{ctx.windowCaption(QStringLiteral("Residue Analyses - ")), QString(),
                                                window.utf8()});
}

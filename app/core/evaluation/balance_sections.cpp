// The balance sections of the report: the points split at the means of X
// and Y and at the line Y = X (balance analysis), and split by the line
// Y = X and by the fitted line, each with its perpendicular through the
// point of means (orthogonal balance).
#include "core/evaluation/balance_sections.hpp"

#include <cmath>

#include "SumtrixLib/Rounding.hpp"
#include "SumtrixLib/Sumtrix.hpp"
#include "core/evaluation/report_sections.hpp"

using SumtrixLib::BoundedArray;

namespace {

// The chi-square test of the table and its odds ratio. Half a point is
// added to every cell for the odds ratio, so an empty cell never makes it
// fail.
void testTable(SumtrixLib::Sumtrix& lib, VarnholtTable& t, double Prop)
{
    SumtrixLib::BoundedArray2<std::int32_t> nn(0, 2, 0, 2);
    for (int r = 1; r <= 2; ++r)
        for (int k = 1; k <= 2; ++k)
            nn(r, k) = t.counts[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)];
    double df = 0;
    const bool tested = libraryStep({&t.ChiSq, &t.Prob, &t.CramerV, &t.CCC}, [&] {
        lib.STAT_Contingency1(nn, 2, 2, Prop, t.ChiSq, df, t.Prob, t.CramerV, t.CCC);
    });
    if (tested) {
        if (Prop > 0) {
            // Fixed expected counts in all four cells: a goodness-of-fit
            // test with 4 - 1 degrees of freedom, whatever the margins.
            const double chi = t.ChiSq;
            t.Prob = computed([&] { return lib.Gamma_gammq(1.5, chi / 2.0); });
        } else if (t.Prob == SumtrixLib::MissingValue) {
            // No degrees of freedom (a single row or column holds all the
            // points): there is no test, rather than a probability of 1E-99.
            t.Prob = NotComputed;
        }
    }

    auto cell = [&t](int r, int k) {
        return t.counts[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)] + 0.5;
    };
    t.OddRatio = cell(2, 2) * cell(1, 1) / (cell(2, 1) * cell(1, 2));
    t.LogOddRatio = std::log(t.OddRatio);
    t.ASE = std::sqrt(1.0 / cell(1, 1) + 1.0 / cell(1, 2) + 1.0 / cell(2, 1) + 1.0 / cell(2, 2));
    t.OddZ = t.LogOddRatio / t.ASE;
    const double z = t.OddZ;
    t.ProbOdd = computed([&] { return lib.STAT_NormProb1(z, true); });
}

void count(VarnholtTable& t, int row, int column)
{
    ++t.counts[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

} // namespace

VarnholtResult STAT_Varnholt(SumtrixLib::Sumtrix& lib, std::int32_t n, const BoundedArray<double>& X,
                             const BoundedArray<double>& Y, double a, double b, double Prop, bool& Perpendicular,
                             std::span<const std::int32_t> onLine)
{
    VarnholtResult out;
    double MeanX = NotComputed, MeanY = NotComputed, unused = 0;
    libraryStep({&MeanX}, [&] { lib.STAT_AveVar(X, X.ubound(), MeanX, unused); });
    libraryStep({&MeanY}, [&] { lib.STAT_AveVar(Y, Y.ubound(), MeanY, unused); });
    if (!allComputed({MeanX, MeanY}))
        return out;

    // The perpendicular to the line through the point of means,
    // y = InterceptP + SlopeP x: without it (a slope of 0, or one beyond
    // the range of doubles) there is no perpendicular split.
    double SlopeP = 0, InterceptP = 0;
    if (b != 0) {
        SlopeP = computed([&] { return SumtrixLib::checkedDiv(-1.0, b); });
        InterceptP = computed([&] { return SumtrixLib::checkedSub(MeanY, SumtrixLib::checkedMul(MeanX, SlopeP)); });
    } else {
        Perpendicular = false;
    }
    if (Perpendicular && !allComputed({a, b, SlopeP, InterceptP}))
        return out;

    // A column that is one value within rounding lies at its mean, which
    // rounding may have put just above it: none of its points is below.
    const bool constantX = SumtrixLib::oneValueWithinRounding(X, n);
    const bool constantY = SumtrixLib::oneValueWithinRounding(Y, n);
    std::size_t nextOnLine = 0;
    for (std::int32_t i = 1; i <= n; ++i) {
        const double x = X(i), y = Y(i);
        const bool isOnLine = nextOnLine < onLine.size() && onLine[nextOnLine] == i;
        if (isOnLine)
            ++nextOnLine;
        if (!Perpendicular) {
            const int row = y - x > 0 ? 2 : 1;
            count(out.X, row, x < MeanX && !constantX ? 1 : 2);
            count(out.Y, row, y < MeanY && !constantY ? 1 : 2);
            continue;
        }
        // XP: the perpendicular's abscissa at the point's height; YF: the
        // reference line at the point's abscissa. XP - x is taken about
        // the means, MeanX - x - b (y - MeanY), so that a point at the
        // means lies on the perpendicular, and one within the rounding of
        // those terms lies on it too (XP = x).
        double side = (MeanX - x) - b * (y - MeanY);
        if (SumtrixLib::zeroWithinRounding(
                side, std::fabs(x) + std::fabs(MeanX) + std::fabs(b) * (std::fabs(y) + std::fabs(MeanY))))
            side = 0;
        // A point that lies on the reference line within the rounding of
        // the line's terms lies on it, as the points the fit names do:
        // rounding never puts it on one side or the other.
        const double fitted = a + b * x;
        const bool onTheLine =
            isOnLine || SumtrixLib::zeroWithinRounding(fitted - y, std::fabs(a) + std::fabs(b * x) + std::fabs(y));
        const double YF = onTheLine ? y : fitted;
        int row = 0, column = 0;
        if (side >= 0 && YF >= y) {
            row = 1, column = 1;
        } else if (side >= 0 && YF <= y) {
            row = 2, column = 1;
        } else if (side <= 0 && YF <= y) {
            row = 2, column = 2;
        } else if (side <= 0 && YF >= y) {
            row = 1, column = 2;
        }
        if (row > 0) {
            count(out.X, row, column);
            count(out.Y, row, column);
        }
    }
    for (VarnholtTable* t : {&out.X, &out.Y}) {
        t->counted = true;
        testTable(lib, *t, Prop);
    }
    return out;
}

namespace {

// The count fields of two tables printed side by side: five places, or
// as many as the largest count takes, and one more where a count fills its
// field, so that a blank stays before each cell.
int tableCountWidth(const VarnholtTable& left, const VarnholtTable& right)
{
    std::vector<std::int64_t> counts;
    for (const VarnholtTable* t : {&left, &right})
        if (t->counted)
            for (int row = 1; row <= 2; ++row)
                for (int column = 1; column <= 2; ++column)
                    counts.push_back(t->counts[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)]);
    return spacedCountWidth(counts, 5);
}

// One table's two cells of a row: "count (pct%) count (pct%)", each
// percentage of all N points, the counts in fields of `width`.
QString countCells(const VarnholtTable& t, int row, int N, int width)
{
    QString s;
    for (int column = 1; column <= 2; ++column) {
        double c = NotComputed, p = NotComputed;
        if (t.counted) {
            const std::int64_t k = t.counts[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
            c = static_cast<double>(k);
            p = static_cast<double>(k * 100) / N;
        }
        s += F(c, width, 0) + QStringLiteral(" (") + F(p, 5, 2)
             + (column == 1 ? QStringLiteral("%) ") : QStringLiteral("%)"));
    }
    return s;
}

// The two count rows, the column titles above them and the table's width:
// each count field that is wider than five places widens its column at
// the left, title and rule with it.
struct CountTable {
    int width = 5;

    CountTable(const VarnholtTable& left, const VarnholtTable& right) : width(tableCountWidth(left, right)) {}

    int extra() const { return width - 5; }
    int ruleLength() const { return 89 + 4 * extra(); }

    void rows(ReportText& report, const VarnholtTable& left, const VarnholtTable& right, int N) const
    {
        report.line(QStringLiteral("         Overpredicted  :") + countCells(left, 1, N, width) + QStringLiteral("    ")
                    + countCells(right, 1, N, width));
        report.line(QStringLiteral("         Underpredicted :") + countCells(left, 2, N, width) + QStringLiteral("    ")
                    + countCells(right, 2, N, width));
    }

    void header(ReportText& report) const
    {
        const QString pad(extra(), QLatin1Char(' '));
        const QString dashes(15 + extra(), QLatin1Char('-'));
        report.line(QString(25, QLatin1Char(' ')) + pad + QStringLiteral("     Below     ") + QLatin1Char(' ') + pad
                    + QStringLiteral("    Above      ") + QStringLiteral("  ") + pad + QStringLiteral("     Below     ")
                    + QLatin1Char(' ') + pad + QStringLiteral("    Above      "));
        report.line(QString(25, QLatin1Char(' ')) + dashes + QLatin1Char(' ') + dashes + QStringLiteral("  ") + dashes
                    + QLatin1Char(' ') + dashes);
    }
};

// The chi-square, Cramer's V and contingency coefficient lines of two tables.
void chiSquareLines(ReportText& report, const VarnholtTable& left, const VarnholtTable& right)
{
    const QString gap23(23, QLatin1Char(' '));
    report.line(QStringLiteral("      X² (Prob(X²=0))   :") + withP(F(left.ChiSq, 10, 5), FP(left.Prob, 7, 5))
                + QString(13, QLatin1Char(' ')) + withP(F(right.ChiSq, 10, 5), FP(right.Prob, 7, 5)));
    report.line(QStringLiteral("      Cramer's V        :") + F(left.CramerV, 10, 5) + gap23 + F(right.CramerV, 10, 5));
    report.line(QStringLiteral("      CCC               :") + F(left.CCC, 10, 5) + gap23 + F(right.CCC, 10, 5));
}

void oddsLines(ReportText& report, const VarnholtTable& left, const VarnholtTable& right)
{
    const QString gap23(23, QLatin1Char(' '));
    report.line(QStringLiteral("Odds ratio              :") + F(left.OddRatio, 10, 5) + gap23 + F(right.OddRatio, 10, 5));
    report.line(QStringLiteral("Ln(Odds ratio)          :") + F(left.LogOddRatio, 10, 5) + gap23
                + F(right.LogOddRatio, 10, 5));
    report.line(QStringLiteral("ASE(Ln(Odds ratio))     :") + F(left.ASE, 10, 5) + gap23 + F(right.ASE, 10, 5));
    report.line(QStringLiteral("Prob(H0:Odds ratio = 1) :") + F(left.ProbOdd, 10, 5) + gap23 + F(right.ProbOdd, 10, 5));
}

} // namespace

void writeBalanceSection(EvaluationContext& ctx)
{
    ReportText& report = ctx.report;
    const EvaluationData& d = ctx.data;
    const RegressionFit& res = ctx.fit;
    report.heading(QStringLiteral("BALANCE ANALYSIS (Varnholt et al., 2006)"));
    report.comment(QStringLiteral(".Balanced allocation checks if 25% of the data points were in each cell"));
    report.comment(QStringLiteral(".Current allocation checks if there is an association among the four cells"));
    if (report.comments()) {
        report.line(QStringLiteral("!! .Cramer's V evaluates the strength of the association in which 0 is weak and 1 is perfect association!!"));
        report.line(QStringLiteral("!! .Contingency coefficient C is similar to Cramer's V and also lies between 0 and 1 !!"));
        report.line(QStringLiteral("!! .Odds ratio = 1 indicates independence among the four cells!!"));
    }
    report.comment(QStringLiteral(".ASE is the asymptotic standard error"));

    // The balanced allocation: a quarter of the points expected in each cell.
    bool perpendicular = false;
    const VarnholtResult balanced = STAT_Varnholt(ctx.lib, d.N, d.X, d.Y, res.a, res.b, 0.25, perpendicular);
    const CountTable table(balanced.X, balanced.Y);
    report.line();
    report.line(QString(30 + table.extra(), QLatin1Char(' ')) + QStringLiteral("Model-Predicted Mean")
                + QString(17 + 2 * table.extra(), QLatin1Char(' ')) + QStringLiteral("Observed Mean"));
    report.rule(table.ruleLength());
    table.header(report);
    table.rows(report, balanced.X, balanced.Y, d.N);
    report.rule(table.ruleLength());
    report.line(QStringLiteral("Balanced allocation     :"));
    chiSquareLines(report, balanced.X, balanced.Y);

    // The current allocation: the same tables against their own margins.
    perpendicular = false;
    const VarnholtResult current = STAT_Varnholt(ctx.lib, d.N, d.X, d.Y, res.a, res.b, 0, perpendicular);
    report.line(QStringLiteral("Current allocation      :"));
    chiSquareLines(report, current.X, current.Y);
    report.line();
    oddsLines(report, current.X, current.Y);
    report.rule(table.ruleLength());
}

void writeOrthogonalBalanceSection(EvaluationContext& ctx)
{
    ReportText& report = ctx.report;
    const EvaluationData& d = ctx.data;
    const RegressionFit& res = ctx.fit;
    report.heading(QStringLiteral("ORTHOGONAL BALANCE (Varnholt et al., 2006)"));
    // Both lines are tested against the tables' own margins. In this split
    // the two tables of a call are the same; the first is printed.
    bool perpendicular = true;
    const VarnholtTable A = STAT_Varnholt(ctx.lib, d.N, d.X, d.Y, 0, 1, 0, perpendicular).X;
    perpendicular = true;
    const VarnholtTable B =
        STAT_Varnholt(ctx.lib, d.N, d.X, d.Y, res.a, res.b, 0, perpendicular, res.residualLine.through).X;

    const CountTable table(A, B);
    report.line(QStringLiteral("Perpendicular lines at   Y = X                            ")
                + QString(2 * table.extra(), QLatin1Char(' ')) + QStringLiteral("Y = ") + F(res.a, 10, 5)
                + QStringLiteral(" + ") + F(res.b, 10, 5) + QLatin1Char('X'));
    report.rule(table.ruleLength());
    table.header(report);
    table.rows(report, A, B, d.N);
    report.rule(table.ruleLength());
    chiSquareLines(report, A, B);
    report.line();
    oddsLines(report, A, B);
}

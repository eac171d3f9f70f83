// The deviation analysis, the residual analysis with its file and window,
// the references and the closing charts, through the run: the confidence
// box, the limits kept between runs, the marks and counts at their
// boundaries, the table's columns and row numbers, undefined diagnostics,
// the residue file, and the order and contents of the windows and charts
// the run asks for. Their numbers are checked against R on whole reports
// (test_evaluation_report.cpp, tools/oracles/report_sections_iii.R).
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <functional>

#include <gtest/gtest.h>

#include "core/evaluation/evaluation_run.hpp"
#include "core/evaluation/report_sections.hpp"
#include "core/report_text.hpp"

// Failures show texts as texts.
void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

struct Row {
    const char* x;
    const char* y;
};

DataMatrix sheet(const std::vector<Row>& rows)
{
    DataMatrix m(static_cast<int>(rows.size()) + 1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        m.setText(DataMatrix::ColX, static_cast<int>(i) + 1, QString::fromUtf8(rows[i].x));
        m.setText(DataMatrix::ColY, static_cast<int>(i) + 1, QString::fromUtf8(rows[i].y));
    }
    return m;
}

using Tick = std::function<void(EvaluationInput&)>;

EvaluationOutcome run(DataMatrix& m, const Tick& tick)
{
    QLocale::setDefault(QLocale::c());
    EvaluationInput o;
    o.gridRows = m.upperRow();
    o.now = QDateTime(QDate(2026, 1, 1), QTime(0, 0));
    o.mainCaption = QStringLiteral("KVE v. 3.1.0 - trial.KVE");
    // Columns as the list offers them at start: all but 6, 8 and 14.
    for (int c = 1; c <= 14; ++c)
        o.settings.residueColumns[static_cast<std::size_t>(c)] = c != 6 && c != 8 && c != 14;
    tick(o);
    return runEvaluation(m, o);
}

EvaluationOutcome run(const std::vector<Row>& rows, const Tick& tick)
{
    DataMatrix m = sheet(rows);
    EvaluationOutcome out = run(m, tick);
    EXPECT_TRUE(out.ran);
    return out;
}

// Whether anything but the regression's Q(Chi²) prints "n/a": the unweighted
// least-squares fit never computes Q, so on tidy data that is the only one.
bool notAvailableBeyondUnweightedQ(const QString& report)
{
    for (const QString& l : report.split(QStringLiteral("\r\n"))) {
        const QString rest = l.startsWith(QStringLiteral("Chi²  ")) ? l.section(QStringLiteral("Q(Chi²)"), 0, 0) : l;
        if (rest.contains(QStringLiteral("n/a")))
            return true;
    }
    return false;
}

// The line that starts with `label` (empty when there is none).
QString lineOf(const QString& text, const QString& label)
{
    for (const QString& l : text.split(QStringLiteral("\r\n")))
        if (l.startsWith(label))
            return l;
    return QString();
}

// The lines of the residual table: from the one after the first rule to
// the one before the second.
QStringList tableRows(const QString& text)
{
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    const qsizetype heading = lines.indexOf(QStringLiteral("Analysis of Residuals"));
    QStringList rows;
    int rules = 0;
    for (qsizetype i = heading + 2; i < lines.size() && rules < 2; ++i) {
        if (!lines[i].isEmpty() && lines[i].count(QLatin1Char('-')) == lines[i].size()) {
            ++rules;
            continue;
        }
        if (rules == 1)
            rows << lines[i];
    }
    return rows;
}

template <class T>
QList<T> requestsOf(const EvaluationOutcome& out)
{
    QList<T> found;
    for (const RunRequest& r : out.requests)
        if (const T* t = std::get_if<T>(&r))
            found << *t;
    return found;
}

// A short name for each request, in order.
QStringList requestKinds(const EvaluationOutcome& out)
{
    QStringList kinds;
    for (const RunRequest& r : out.requests) {
        if (const auto* chart = std::get_if<RunRequests::Chart>(&r))
            kinds << QStringLiteral("chart: ") + chart->plot.TitleText;
        else if (const auto* side = std::get_if<RunRequests::ShowSideWindow>(&r))
            kinds << QStringLiteral("window: ") + side->caption;
        else if (std::holds_alternative<RunRequests::ShowReport>(r))
            kinds << QStringLiteral("report");
        else if (std::holds_alternative<RunRequests::Histograms>(r))
            kinds << QStringLiteral("histograms");
        else if (const auto* editor = std::get_if<RunRequests::OpenInEditor>(&r))
            kinds << QStringLiteral("editor: ") + QFileInfo(editor->path).fileName();
        else
            kinds << QStringLiteral("other");
    }
    return kinds;
}

// Twelve points around a line, with a few that stand out: row 12 lies far
// out in X (leverage), row 5 far off the line.
const std::vector<Row> kTwelve = {{"1.0", "1.3"}, {"2.0", "1.8"}, {"3.0", "3.4"},  {"4.0", "3.7"},
                                  {"5.0", "7.9"}, {"6.0", "5.8"}, {"7.0", "7.3"},  {"8.0", "7.6"},
                                  {"9.0", "9.4"}, {"10.0", "9.7"}, {"11.0", "11.2"}, {"25.0", "23.0"}};

const Tick deviation = [](EvaluationInput& o) { o.settings.sections.deviation = true; };
const Tick residual = [](EvaluationInput& o) { o.settings.sections.residual = true; };

} // namespace

TEST(DeviationSection, ConfidenceBoxIsAPercentage)
{
    // The level the box asks for, as the intervals' label prints it, and
    // the fraction kept for later runs. Whatever is no level strictly
    // between 0 and 100 % gives 95 %; an empty box keeps the last level.
    struct Case {
        std::optional<double> box;
        double kept;
        const char* label;
        double confidence;
    };
    const Case cases[] = {
        {95.0, 0, "95", 0.95},     {99.5, 0, "99.5", 0.995}, {90.0, 0.5, "90", 0.90},
        {0.0, 0, "95", 0.95},      {100.0, 0, "95", 0.95},   {250.0, 0, "95", 0.95},
        {-5.0, 0, "95", 0.95},     {std::nullopt, 0.8, "80", 0.8}, {std::nullopt, 0, "95", 0.95},
        {std::nullopt, 1.0, "95", 0.95},
    };
    QString ci95, ci995;
    for (const Case& c : cases) {
        const EvaluationOutcome out = run(kTwelve, [&](EvaluationInput& o) {
            deviation(o);
            o.settings.deviationConfidencePercent = c.box;
            o.limits.DeviationConfidence = c.kept;
        });
        const QString label = QString::fromLatin1(c.label);
        const QString ci = lineOf(out.report, QStringLiteral("Confidence interval (") + label + QStringLiteral("%)        : "));
        EXPECT_FALSE(ci.isEmpty()) << c.label;
        EXPECT_FALSE(lineOf(out.report, QStringLiteral("Prediction interval (") + label + QStringLiteral("%)")).isEmpty());
        EXPECT_EQ(lineOf(out.report, QStringLiteral("Assuming ") + label + QStringLiteral("% of probability")),
                  QStringLiteral("Assuming ") + label + QStringLiteral("% of probability"));
        EXPECT_DOUBLE_EQ(out.limits.DeviationConfidence, c.confidence) << c.label;
        if (c.confidence == 0.95)
            ci95 = ci;
        if (c.confidence == 0.995)
            ci995 = ci;
    }
    // 99.5 % is a wider interval than 95 %, not a 50 % one.
    const auto width = [](const QString& line) {
        const QStringList v = line.mid(line.indexOf(QLatin1Char(':')) + 1).split(QStringLiteral(" to "));
        return v[1].toDouble() - v[0].toDouble();
    };
    EXPECT_GT(width(ci995), 1.5 * width(ci95));
}

TEST(DeviationSection, BlockAndIntervalWindow)
{
    const EvaluationOutcome out = run(kTwelve, deviation);
    const QString& r = out.report;
    const qsizetype at = r.indexOf(QStringLiteral("\r\n\r\nDEVIATION ANALYSIS\r\n==================\r\n"
                                                  "Regression of: Deviation = a + b×'Model-Predicted'\r\n"
                                                  "Estimate a ± SD                  : "));
    ASSERT_GE(at, 0) << r.toStdString();
    for (const char* label : {"H0: a = 0; T-value (P-value)     : ", "H0: b = 0; T-value (P-value)     : ",
                              "r²                               : ", "Mean deviation                   : ",
                              "Variance deviation               : ", "S deviation                      : ",
                              "Root of sum of deviation squared : ", "Assuming no mean bias            : ",
                              "Assuming constant mean bias      : ", "Assuming proportional bias       : "})
        EXPECT_FALSE(lineOf(r, QString::fromUtf8(label)).isEmpty()) << label;
    EXPECT_TRUE(r.contains(QStringLiteral("\r\n\r\nConfidence Interval of the Distribution of the |Deviations| "
                                          "(Freese, 1960; Reynolds, 1984)\r\n")
                           + QString(90, QLatin1Char('-')) + QStringLiteral("\r\nAssuming 95% of probability\r\n")));
    // After a blank line, the goodness-of-fit block of the deviations.
    const QString bounds = lineOf(r, QStringLiteral("Assuming proportional bias"));
    EXPECT_TRUE(r.contains(bounds + QStringLiteral("\r\n\r\nGoodness-of-Fit Analyses (Davis and Stephens, 1989)\r\n")));
    EXPECT_TRUE(r.endsWith(QStringLiteral("!! These calculations were not adjusted for Normal distribution !!")));
    EXPECT_FALSE(notAvailableBeyondUnweightedQ(r));

    // The interval table opens in its own window, before the report's.
    const QList<RunRequests::ShowSideWindow> windows = requestsOf<RunRequests::ShowSideWindow>(out);
    ASSERT_EQ(windows.size(), 1);
    EXPECT_EQ(windows[0].caption, QStringLiteral("Deviation Analyses - KVE v. 3.1.0 - trial.KVE"));
    EXPECT_TRUE(windows[0].text.startsWith(out.header + QStringLiteral("Deviation Analysis - Confidence and Prediction Interval\r\n")
                                           + QString(55, QLatin1Char('=')) + QStringLiteral("\r\n\r\n")
                                           + QString(115, QLatin1Char('-'))));
    EXPECT_TRUE(windows[0].text.contains(QStringLiteral("Number of CI intervals different from zero: ")));
    EXPECT_EQ(requestKinds(out), QStringList({QStringLiteral("window: Deviation Analyses - KVE v. 3.1.0 - trial.KVE"),
                                              QStringLiteral("report")}));
}

TEST(DeviationSection, DegenerateDeviations)
{
    struct Case {
        const char* what;
        std::vector<Row> rows;
        bool testLines;   // whether the t tests of a and b are printed
        bool window;
    };
    // Each with decimals too, whose deviations carry rounding: the same.
    const Case cases[] = {
        // Deviations exactly on a line in X: no SD, no tests.
        {"deviations on a line", {{"1", "0"}, {"2", "0"}, {"3", "0"}, {"4", "0"}}, false, true},
        {"deviations on a line, decimals", {{"0.3", "0.15"}, {"0.7", "0.35"}, {"1.1", "0.55"}, {"1.9", "0.95"}}, false,
         true},
        // A constant bias: the deviations do not vary; the intervals are
        // the mean, and its test is certain; nothing else stops.
        {"constant bias", {{"1", "0.5"}, {"2", "1.5"}, {"3", "2.5"}, {"5", "4.5"}}, false, true},
        {"constant bias, decimals", {{"1.1", "0.6"}, {"2.3", "1.8"}, {"3.7", "3.2"}, {"5.9", "5.4"}}, false, true},
        // Constant predictions: no line through them, but the deviations
        // have their mean, variance and bounds.
        {"constant predictions", {{"2", "1"}, {"2", "3"}, {"2", "2.5"}, {"2", "4"}}, false, false},
        {"constant predictions, decimals", {{"5.60", "1"}, {"5.60", "3"}, {"5.60", "2.5"}, {"5.60", "4"}}, false, false},
    };
    for (const Case& c : cases) {
        const EvaluationOutcome out = run(c.rows, deviation);
        const QString& r = out.report;
        EXPECT_TRUE(r.contains(QStringLiteral("Assuming proportional bias       : "))) << c.what;
        EXPECT_EQ(r.contains(QStringLiteral("H0: a = 0; T-value")), c.testLines) << c.what;
        EXPECT_EQ(requestsOf<RunRequests::ShowSideWindow>(out).size(), c.window ? 1 : 0) << c.what;
        for (const char* bad : {"nan", "inf"})
            EXPECT_FALSE(r.contains(QLatin1String(bad))) << c.what;
    }
    // The constant bias: mean 0.5 and variance 0, a mean that is certainly
    // not 0 (the lowest P; "n/a" would say the test cannot be made).
    for (const Case* c : {&cases[2], &cases[3]}) {
        const EvaluationOutcome bias = run(c->rows, deviation);
        EXPECT_EQ(lineOf(bias.report, QStringLiteral("Mean deviation")),
                  QStringLiteral("Mean deviation                   :    0.50000 (P = 0.00001)"))
            << c->what;
        EXPECT_EQ(lineOf(bias.report, QStringLiteral("Confidence interval")),
                  QStringLiteral("Confidence interval (95%)        :    0.50000 to    0.50000"))
            << c->what;
        EXPECT_EQ(lineOf(bias.report, QStringLiteral("Variance deviation")),
                  QStringLiteral("Variance deviation               :    0.00000"))
            << c->what;
        EXPECT_EQ(lineOf(bias.report, QStringLiteral("Shapiro-Wilk's W statistic")),
                  QStringLiteral("Shapiro-Wilk's W statistic       :        n/a (P =    n/a)"))
            << c->what;
    }
    // Constant predictions: the mean deviation -0.625 and its bounds.
    const EvaluationOutcome flat = run(cases[4].rows, deviation);
    EXPECT_EQ(lineOf(flat.report, QStringLiteral("Mean deviation")).left(45),
              QStringLiteral("Mean deviation                   :   -0.62500"));
    EXPECT_FALSE(lineOf(flat.report, QStringLiteral("Assuming no mean bias")).contains(QStringLiteral("n/a")));
    EXPECT_TRUE(lineOf(flat.report, QStringLiteral("Assuming proportional bias")).contains(QStringLiteral("n/a")));
}

TEST(DeviationSection, ConstantBiasBoundsDoNotCancelFarFromZero)
{
    // Deviations of 1e6 + a small spread: the sum of squares about the mean
    // is the spread's, which SumDev2 - n MeanDev² would lose to rounding.
    const std::vector<Row> near = {{"1.1", "0"}, {"2.3", "1"}, {"2.9", "2"}, {"4.2", "3"}, {"4.8", "4"}, {"6.4", "5"}};
    std::vector<std::string> xs;
    std::vector<Row> far;
    for (const Row& r : near)
        xs.push_back(std::to_string(std::stod(r.x) + 1e6));
    for (std::size_t i = 0; i < near.size(); ++i)
        far.push_back({xs[i].c_str(), near[i].y});
    const QString a = lineOf(run(near, deviation).report, QStringLiteral("Assuming constant mean bias"));
    const QString b = lineOf(run(far, deviation).report, QStringLiteral("Assuming constant mean bias"));
    EXPECT_FALSE(a.isEmpty());
    EXPECT_EQ(a, b);
}

TEST(ResidualSection, LimitsAreSettledOnceAndKept)
{
    // Y of kTwelve: mean 7.675, variance 33.391136... (R: mean(y), var(y)).
    const EvaluationOutcome first = run(kTwelve, residual);
    const AcceptanceLimits& l = first.limits;
    const double se = std::sqrt(33.391136363636363 / 12);
    EXPECT_DOUBLE_EQ(l.DeviationConfidence, 0.95);
    EXPECT_NEAR(l.DeviationLower, -1.6448536269514722 * se, 1e-6);   // qnorm(0.95)
    EXPECT_EQ(l.DeviationUpper, -l.DeviationLower);
    EXPECT_NEAR(l.ResidualLower, -0.7675, 1e-12);
    EXPECT_NEAR(l.ResidualUpper, 0.7675, 1e-12);
    EXPECT_EQ(l.RStdResidueLower, -2.5);
    EXPECT_EQ(l.RStdResidueUpper, 2.5);
    EXPECT_DOUBLE_EQ(l.LeverageCutoff, 4.0 / 12);
    EXPECT_DOUBLE_EQ(l.DffitsCutoff, 2 * std::sqrt(2.0 / 12));

    // A later run on other data keeps them; only the cut-offs follow N.
    const EvaluationOutcome second =
        run(std::vector<Row>{{"1", "10"}, {"2", "30"}, {"3", "20"}, {"4", "50"}}, [&](EvaluationInput& o) {
            residual(o);
            o.limits = l;
        });
    EXPECT_EQ(second.limits.DeviationLower, l.DeviationLower);
    EXPECT_EQ(second.limits.ResidualUpper, l.ResidualUpper);
    EXPECT_DOUBLE_EQ(second.limits.LeverageCutoff, 1.0);

    // Only an upper deviation limit set and no confidence: the confidence
    // is the upper tail at a lower limit of 0, one half.
    const EvaluationOutcome half = run(kTwelve, [](EvaluationInput& o) {
        residual(o);
        o.limits.DeviationUpper = 1.0;
    });
    EXPECT_DOUBLE_EQ(half.limits.DeviationConfidence, 0.5);
    EXPECT_EQ(half.limits.DeviationLower, 0.0);
    EXPECT_EQ(lineOf(half.report, QStringLiteral("Approximate (1 - Alpha), %")),
              QStringLiteral("Approximate (1 - Alpha), %                             :     50.00"));
}

TEST(ResidualSection, MarksAndCountsAtTheLimits)
{
    // Deviations X - Y of -0.5 and 0.5 lie on the limits: inside, not
    // counted. -0.75 is below: its observation lies above the upper
    // acceptance limit. 1 is above the upper one.
    const std::vector<Row> rows = {{"1.5", "2"}, {"3", "2.5"}, {"2", "2.75"}, {"5", "4"}, {"4", "4"}, {"6", "6"}};
    const EvaluationOutcome out = run(rows, [](EvaluationInput& o) {
        residual(o);
        o.limits.DeviationLower = -0.5;
        o.limits.DeviationUpper = 0.5;
        o.limits.DeviationConfidence = 0.9;
        for (int c = 1; c <= 14; ++c)
            o.settings.residueColumns[static_cast<std::size_t>(c)] = c == 3;
    });
    const QStringList rowsOut = tableRows(out.report);
    ASSERT_EQ(rowsOut.size(), 6);
    const char* expected[] = {"  1   -0.5000 ", "  2    0.5000 ", "  3   -0.7500*", "  4    1.0000*", "  5    0.0000 ",
                              "  6    0.0000 "};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(rowsOut[i], QString::fromLatin1(expected[i]));
    EXPECT_EQ(lineOf(out.report, QStringLiteral("Deviation interval [lower")),
              QStringLiteral("Deviation interval [lower - upper]                     : [-0.5000, 0.5000]"));
    EXPECT_EQ(lineOf(out.report, QStringLiteral("Number of data points above")),
              QStringLiteral("Number of data points above the upper acceptance limit :         1 (  16.66667%)"));
    EXPECT_EQ(lineOf(out.report, QStringLiteral("Number of data points below")),
              QStringLiteral("Number of data points below the lower acceptance limit :         1 (  16.66667%)"));
    EXPECT_EQ(lineOf(out.report, QStringLiteral("Percentage of data points out")),
              QStringLiteral("Percentage of data points out of the acceptance limits :  33.33333%"));
    EXPECT_EQ(lineOf(out.report, QStringLiteral("Approximate (1 - Alpha)")),
              QStringLiteral("Approximate (1 - Alpha), %                             :     90.00"));

    // All inside: both counts are blank fields, their percentages zero.
    const EvaluationOutcome inside = run(rows, [](EvaluationInput& o) {
        residual(o);
        o.limits.DeviationLower = -5;
        o.limits.DeviationUpper = 5;
    });
    EXPECT_EQ(lineOf(inside.report, QStringLiteral("Number of data points above")),
              QStringLiteral("Number of data points above the upper acceptance limit :           (   0.00000%)"));
}

TEST(ResidualSection, TypedLimitsAreTheLimitsTheRunUses)
{
    // The limits kept from earlier runs are wide (+-50); each case types
    // some boxes. A box that holds a number gives its limit to this run
    // (0: the run derives the limit as for a limit never set); an empty box
    // leaves the kept one. The interval line, the marks of the deviation,
    // residue and studentized deleted residue columns and the limits kept
    // afterwards all follow the limits in force.
    using Limits = EvaluationSettings::Limits;
    struct Case {
        const char* name;
        Limits typed;
        double deviation[2], residual[2], rstd[2];    // the limits in force
    };
    const double se = std::sqrt(33.391136363636363 / 12);             // R: sqrt(var(y) / 12)
    const double z = 1.6448536269514722;                             // qnorm(0.95)
    const std::optional<double> none;                                // an empty box
    const Case cases[] = {
        {"no box typed", {none, none, none, none, none, none}, {-50, 50}, {-50, 50}, {-50, 50}},
        {"deviation limits typed", {-0.3, 0.3, none, none, none, none}, {-0.3, 0.3}, {-50, 50}, {-50, 50}},
        {"one deviation limit typed", {none, 0.25, none, none, none, none}, {-50, 0.25}, {-50, 50}, {-50, 50}},
        {"residual limits typed", {none, none, -0.2, 0.4, none, none}, {-50, 50}, {-0.2, 0.4}, {-50, 50}},
        {"studentized limits typed", {none, none, none, none, -1, 1.5}, {-50, 50}, {-50, 50}, {-1, 1.5}},
        {"typed 0: derived", {0.0, 0.0, 0.0, 0.0, 0.0, 0.0},
         {-z * se, z * se}, {-0.7675, 0.7675}, {-2.5, 2.5}},
    };
    for (const Case& c : cases) {
        const EvaluationOutcome out = run(kTwelve, [&](EvaluationInput& o) {
            residual(o);
            o.limits.DeviationLower = o.limits.ResidualLower = o.limits.RStdResidueLower = -50;
            o.limits.DeviationUpper = o.limits.ResidualUpper = o.limits.RStdResidueUpper = 50;
            o.settings.limits = c.typed;
            for (int k = 1; k <= 14; ++k)
                o.settings.residueColumns[static_cast<std::size_t>(k)] = k == 3 || k == 5 || k == 10;
        });
        const AcceptanceLimits& l = out.limits;
        // The derived interval uses the library's normal quantile, a
        // rational approximation within about 1e-9 of qnorm.
        EXPECT_NEAR(l.DeviationLower, c.deviation[0], 1e-8) << c.name;
        EXPECT_NEAR(l.DeviationUpper, c.deviation[1], 1e-8) << c.name;
        EXPECT_NEAR(l.ResidualLower, c.residual[0], 1e-12) << c.name;
        EXPECT_NEAR(l.ResidualUpper, c.residual[1], 1e-12) << c.name;
        EXPECT_EQ(l.RStdResidueLower, c.rstd[0]) << c.name;
        EXPECT_EQ(l.RStdResidueUpper, c.rstd[1]) << c.name;
        EXPECT_EQ(lineOf(out.report, QStringLiteral("Deviation interval [lower")),
                  QStringLiteral("Deviation interval [lower - upper]                     : [")
                      + F(c.deviation[0], 10, 4).trimmed() + QStringLiteral(", ") + F(c.deviation[1], 10, 4).trimmed()
                      + QLatin1Char(']'))
            << c.name;
        // Three columns: the value of column k in characters 4 + 10 (k - 1)
        // to 4 + 10 k - 2, its mark after it.
        const QStringList rows = tableRows(out.report);
        ASSERT_EQ(rows.size(), 12) << c.name;
        const double* bounds[] = {c.deviation, c.residual, c.rstd};
        int marks = 0;
        for (const QString& row : rows) {
            for (int k = 1; k <= 3; ++k) {
                const double v = row.mid(4 + 10 * (k - 1), 9).toDouble();
                const bool out = v < bounds[k - 1][0] || v > bounds[k - 1][1];
                // Values within a rounding of a limit are not judged here.
                if (std::fabs(v - bounds[k - 1][0]) < 1e-4 || std::fabs(v - bounds[k - 1][1]) < 1e-4)
                    continue;
                EXPECT_EQ(row.at(4 + 10 * k - 1), out ? QLatin1Char('*') : QLatin1Char(' '))
                    << c.name << ": " << row.toStdString() << " column " << k;
                marks += out;
            }
        }
        if (QLatin1String(c.name) == QLatin1String("no box typed"))
            EXPECT_EQ(marks, 0);
        else
            EXPECT_GT(marks, 0) << c.name;
    }
}

TEST(ResidualSection, DiagnosticMarks)
{
    // Every column, with the report's headers and marks: row 12 has the
    // high leverage and DFFITS, row 5 the large studentized deleted residue.
    const EvaluationOutcome out = run(kTwelve, [](EvaluationInput& o) {
        residual(o);
        o.settings.residueColumns.fill(true);
    });
    const QString header = lineOf(out.report, QStringLiteral("  # "));
    EXPECT_EQ(header, QStringLiteral("  #  X values  Y values Deviation   Y Pred.   Residue   NormRes   SE Res. "
                                     "SemiStdtR   StdtRes  RStdtRes  Leverage    Cook'D    DFFITS     PRESS "));
    const QStringList rows = tableRows(out.report);
    ASSERT_EQ(rows.size(), 12);
    EXPECT_EQ(rows[0].size(), 10 * 14 + 4);
    // Column k's mark stands in character 4 + 10 k - 1 (k = 1..14).
    auto markOf = [&rows](int row, int column) { return rows[row - 1].at(4 + 10 * column - 1); };
    // R, of lm(y ~ x): rstudent [5] = 6.09 beyond 2.5; hatvalues [12] =
    // 0.771 from 4/12 on; dffits [12] = -1.50 and [5] = 2.01 beyond
    // 2 sqrt(2/12) = 0.816; cooks.distance [12] = 1.158 above qf(0.5, 2, 10)
    // = 0.743, [5] = 0.440 below it.
    EXPECT_EQ(markOf(5, 10), QLatin1Char('*'));
    EXPECT_EQ(markOf(12, 10), QLatin1Char(' '));
    EXPECT_EQ(markOf(12, 11), QLatin1Char('*'));
    EXPECT_EQ(markOf(1, 11), QLatin1Char(' '));
    EXPECT_EQ(markOf(12, 12), QLatin1Char('*'));
    EXPECT_EQ(markOf(5, 12), QLatin1Char(' '));
    EXPECT_EQ(markOf(12, 13), QLatin1Char('*'));
    EXPECT_EQ(markOf(5, 13), QLatin1Char('*'));
    EXPECT_EQ(markOf(1, 13), QLatin1Char(' '));
    // Columns without a rule are never marked.
    for (int row = 1; row <= 12; ++row)
        for (int column : {1, 2, 4, 6, 7, 8, 9, 14})
            EXPECT_EQ(markOf(row, column), QLatin1Char(' ')) << row << "," << column;
    EXPECT_EQ(lineOf(out.report, QStringLiteral("SW's W-value for normality for RStdtRes(P-value < W) : ")).size(), 78);
}

TEST(ResidualSection, NoColumnsAndRowNumberWidth)
{
    // No column: the "#" cell only, a rule of 3.
    const EvaluationOutcome none = run(kTwelve, [](EvaluationInput& o) {
        residual(o);
        o.settings.residueColumns.fill(false);
    });
    EXPECT_TRUE(none.report.contains(QStringLiteral("\r\n  # \r\n---\r\n  1 \r\n  2 \r\n")));

    // The row number takes 3 places below 1,000 rows, then N's digits; the
    // rule is one shorter than a row, as it has always been.
    struct Case {
        int n;
        const char* lastRow;
        int rule;
    };
    for (const Case& c : {Case{999, "999    0.0000 ", 13}, Case{1000, "1000    1.0000 ", 14},
                          Case{12000, "12000   12.0000 ", 15}}) {
        DataMatrix m(c.n + 1);
        for (int r = 1; r <= c.n; ++r) {
            m.setNumber(DataMatrix::ColX, r, r % 37);
            m.setNumber(DataMatrix::ColY, r, (r % 37) + (r % 5) * 0.25);
        }
        const EvaluationOutcome out = run(m, [](EvaluationInput& o) {
            residual(o);
            o.settings.comments = false;
            o.settings.residueColumns.fill(false);
            o.settings.residueColumns[1] = true;
        });
        const QStringList rows = tableRows(out.report);
        ASSERT_EQ(rows.size(), c.n);
        EXPECT_EQ(rows.last(), QLatin1String(c.lastRow));
        EXPECT_FALSE(notAvailableBeyondUnweightedQ(out.report)) << c.n;
        EXPECT_TRUE(out.report.contains(QStringLiteral("\r\n") + QString(c.rule, QLatin1Char('-')) + QStringLiteral("\r\n")));
    }
}

TEST(ResidualSection, UndefinedDiagnosticsPrintNotAvailable)
{
    // Row 4 alone in X: leverage 1. Its Cook's D, DFFITS and deleted residue
    // are undefined and print n/a; the row and the table go on.
    const EvaluationOutcome out = run(std::vector<Row>{{"1", "1"}, {"1", "2"}, {"1", "3"}, {"5", "4"}}, [](EvaluationInput& o) {
        residual(o);
        o.settings.residueColumns.fill(true);
    });
    const QStringList rows = tableRows(out.report);
    ASSERT_EQ(rows.size(), 4);
    const QString last = rows[3];
    EXPECT_EQ(last.mid(4 + 10 * 10, 10), QStringLiteral("   1.0000*"));   // leverage, at its cut-off 4/4
    EXPECT_EQ(last.mid(4 + 10 * 11, 10), QStringLiteral("      n/a "));   // Cook's D
    EXPECT_EQ(last.mid(4 + 10 * 12, 10), QStringLiteral("      n/a "));   // DFFITS
    EXPECT_EQ(last.mid(4 + 10 * 13, 10), QStringLiteral("      n/a "));   // PRESS
    EXPECT_EQ(last.left(14), QStringLiteral("  4    5.0000 "));
    EXPECT_TRUE(out.report.contains(QStringLiteral("Analysis of Deviation\r\n")));
    EXPECT_FALSE(out.report.contains(QStringLiteral("nan")));

    // Three points: a point left out leaves n - 3 = 0 degrees of freedom, so
    // RStdtRes and DFFITS do not exist in any row (R: rstudent() and
    // dffits() of lm(y ~ x) give NaN), nor the normality test of RStdtRes;
    // the studentized residues do (rstandard() = 1, -1, 1).
    const EvaluationOutcome three = run(std::vector<Row>{{"1", "1.5"}, {"2", "1.8"}, {"4", "4.4"}}, [](EvaluationInput& o) {
        residual(o);
        o.settings.residueColumns.fill(true);
    });
    const QStringList threeRows = tableRows(three.report);
    ASSERT_EQ(threeRows.size(), 3);
    const char* const stdtRes[] = {"   1.0000", "  -1.0000", "   1.0000"};
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(threeRows[r].mid(4 + 10 * 8, 9), QLatin1String(stdtRes[r])) << r;   // StdtRes
        EXPECT_EQ(threeRows[r].mid(4 + 10 * 9, 9), QStringLiteral("      n/a")) << r;  // RStdtRes
        EXPECT_EQ(threeRows[r].mid(4 + 10 * 12, 9), QStringLiteral("      n/a")) << r;  // DFFITS
    }
    EXPECT_TRUE(three.report.contains(QStringLiteral("SW's W-value for normality for RStdtRes(P-value < W) :        n/a (       n/a)")))
        << three.report.toStdString();
}

TEST(ResidualSection, SeparateWindowAndResidueRegression)
{
    const EvaluationOutcome out = run(kTwelve, [](EvaluationInput& o) {
        residual(o);
        deviation(o);
        o.settings.residueWindow = true;
        o.settings.sections.residueRegression = true;
    });
    // Nothing of the section in the report; the window holds the header and
    // the section with its regression, shown after the deviation window.
    EXPECT_FALSE(out.report.contains(QStringLiteral("Analysis of Residuals")));
    EXPECT_FALSE(out.report.contains(QStringLiteral("RESIDUE REGRESSION")));
    const QList<RunRequests::ShowSideWindow> windows = requestsOf<RunRequests::ShowSideWindow>(out);
    ASSERT_EQ(windows.size(), 2);
    EXPECT_EQ(windows[1].caption, QStringLiteral("Residue Analyses - KVE v. 3.1.0 - trial.KVE"));
    const QString& text = windows[1].text;
    EXPECT_TRUE(text.startsWith(out.header + QStringLiteral("Analysis of Residuals\r\n=====================\r\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\r\n\r\nRESIDUE REGRESSION ANALYSIS\r\n===========================\r\n"
                                             "Regression of: Residue = a + b×'Regression-Predicted'\r\n"
                                             "Estimate a ± SD : ")));
    EXPECT_FALSE(lineOf(text, QStringLiteral("H0: a = 0            T-value (P-value): ")).isEmpty());
    EXPECT_FALSE(lineOf(text, QStringLiteral("H0: b = 0            T-value (P-value): ")).isEmpty());
    EXPECT_TRUE(text.endsWith(QStringLiteral(")\r\n")));
    EXPECT_EQ(requestKinds(out).mid(0, 3),
              QStringList({QStringLiteral("window: Deviation Analyses - KVE v. 3.1.0 - trial.KVE"),
                           QStringLiteral("window: Residue Analyses - KVE v. 3.1.0 - trial.KVE"), QStringLiteral("report")}));

    // Into the report: after two line breaks, comments on.
    const EvaluationOutcome inReport = run(kTwelve, residual);
    EXPECT_TRUE(inReport.report.contains(QStringLiteral("\r\n\r\nAnalysis of Residuals\r\n=====================\r\n"
                                                        "!! .NormRes is the expected residual value under the normality assumption !!\r\n")));
    EXPECT_EQ(lineOf(inReport.report, QStringLiteral("!! .Leverage")),
              QStringLiteral("!! .Leverage is used to identify points with high leverage; if Leverage > 0.3333 !!"));
    EXPECT_EQ(lineOf(inReport.report, QStringLiteral("!! .DFFITS")),
              QStringLiteral("!! .DFFITS is used to identify the influence of the ith point on the fitted value; if |DFFITS| > 0.8165 !!"));
}

TEST(ResidualSection, ResidueRegressionNeedsFittedValuesThatSpread)
{
    // The residues are regressed on the fitted values a + b X. Where the
    // fitted line is flat (b = 0 in exact arithmetic: the X-Y covariance is
    // 0, the median line runs through two points of equal Y and, under the
    // weighted fit with equal SDs and var X > var Y, the chi-square is least
    // at slope 0) the fitted values differ by rounding alone, and the
    // regression prints n/a under every method; the weighted fit printed
    // a = 1.90775 ± 63844321.1 from its slope of 8.6E-9. The decimals near
    // 1E5 are stored a rounding apart from symmetric, which leaves the
    // least-squares line a slope of -1.2E-13. A line far from zero whose
    // fitted values spread by a few units is regressed on.
    struct Case {
        const char* what;
        std::vector<double> x, y;
        bool flat;
    };
    auto shifted = [](std::vector<double> v, double by) {
        for (double& e : v)
            e += by;
        return v;
    };
    const std::vector<double> x5{1, 2, 3, 4, 5};
    const Case cases[] = {
        {"flat", x5, {1, 2, 3, 2, 1}, true},
        {"flat, X far from zero", shifted(x5, 1e6), {1, 2, 3, 2, 1}, true},
        {"flat, decimals", {0.1, 0.2, 0.3, 0.4, 0.5}, {0.1, 0.2, 0.3, 0.2, 0.1}, true},
        {"flat, X in decimals far from zero", shifted({0.1, 0.7, 1.3, 1.9, 2.5}, 1e5),
         {1.0 / 7, 2.0 / 7, 3.0 / 7, 2.0 / 7, 1.0 / 7}, true},
        {"rising, far from zero", shifted(x5, 1e9), shifted({1.2, 1.9, 3.1, 4.2, 4.9}, 1e9), false},
    };
    for (const Case& c : cases) {
        for (RegressionMethod method : {RegressionMethod::LeastSquares, RegressionMethod::WeightedLeastSquares,
                                        RegressionMethod::LeastAbsoluteDeviation}) {
            DataMatrix m(static_cast<int>(c.x.size()) + 1);
            for (std::size_t i = 0; i < c.x.size(); ++i) {
                const int r = static_cast<int>(i) + 1;
                m.setNumber(DataMatrix::ColX, r, c.x[i]);
                m.setNumber(DataMatrix::ColY, r, c.y[i]);
                m.setNumber(DataMatrix::ColSDX, r, 0.5);
                m.setNumber(DataMatrix::ColSDY, r, 0.5);
            }
            const EvaluationOutcome out = run(m, [method](EvaluationInput& o) {
                o.settings.method = method;
                o.settings.sections.residual = true;
                o.settings.sections.residueRegression = true;
            });
            ASSERT_TRUE(out.ran) << c.what;
            const QString section = out.report.section(QStringLiteral("RESIDUE REGRESSION ANALYSIS"), 1);
            const std::string what = std::string(c.what) + ", method " + std::to_string(static_cast<int>(method));
            ASSERT_FALSE(section.isEmpty()) << what;
            if (c.flat) {
                EXPECT_EQ(lineOf(section, QStringLiteral("Estimate a")),
                          QStringLiteral("Estimate a ± SD :        n/a ±        n/a"))
                    << what;
                EXPECT_EQ(lineOf(section, QStringLiteral("Estimate b")),
                          QStringLiteral("Estimate b ± SD :        n/a ±        n/a"))
                    << what;
                EXPECT_EQ(lineOf(section, QStringLiteral("r²")), QStringLiteral("r²              :        n/a")) << what;
                EXPECT_TRUE(lineOf(section, QStringLiteral("H0: ")).isEmpty()) << what;
            } else {
                EXPECT_FALSE(lineOf(section, QStringLiteral("Estimate a")).contains(QStringLiteral("n/a"))) << what;
                EXPECT_FALSE(lineOf(section, QStringLiteral("Estimate b")).contains(QStringLiteral("n/a"))) << what;
            }
        }
    }
}

TEST(ResidualSection, ResidueFile)
{
    QTemporaryDir dir;
    const QString dataset = dir.filePath(QStringLiteral("trial.KVE"));
    for (const char* taken : {"Residue0000.TXT", "Residue0001.TXT"}) {
        QFile f(dir.filePath(QLatin1String(taken)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    const EvaluationOutcome out = run(kTwelve, [&](EvaluationInput& o) {
        residual(o);
        o.dataFileName = dataset;
        o.settings.residueToFile = true;
        o.settings.residueWindow = true;
        o.settings.sections.residueRegression = true;
        o.settings.residueColumns.fill(false);
        for (int c : {5, 8, 9, 10})
            o.settings.residueColumns[static_cast<std::size_t>(c)] = true;
    });
    const QString path = dir.path() + QStringLiteral("/Residue0002.TXT");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 6 + 12 + 3);   // six lines before the rows, two after, the last line's end
    EXPECT_EQ(lines.mid(0, 6), QStringList({QStringLiteral("Analysis of Residuals"), QString(21, QLatin1Char('=')),
                                            QStringLiteral("Data file: ") + dir.path() + QStringLiteral("/trial.KVE"),
                                            QString(),
                                            QStringLiteral("  # Y Residue  SemiStdR    StdRes   RSdtRed "),
                                            QString(43, QLatin1Char('-'))}));
    // No marks in the file, even where the report would mark.
    for (int i = 6; i < 18; ++i)
        EXPECT_FALSE(lines[i].contains(QLatin1Char('*'))) << lines[i].toStdString();
    EXPECT_EQ(lines.mid(18), QStringList({QString(), QString(43, QLatin1Char('-')), QString()}));

    // The window tells where the table went and nothing more; the editor
    // opens it after the window is shown.
    const QList<RunRequests::ShowSideWindow> windows = requestsOf<RunRequests::ShowSideWindow>(out);
    ASSERT_EQ(windows.size(), 1);
    EXPECT_TRUE(windows[0].text.endsWith(QStringLiteral(" !!\r\n\r\nResidue calculation saved in file:\r\n") + path
                                         + QStringLiteral("\r\n")));
    EXPECT_FALSE(windows[0].text.contains(QStringLiteral("RESIDUE REGRESSION")));
    EXPECT_EQ(requestKinds(out).mid(0, 3),
              QStringList({QStringLiteral("editor: Residue0002.TXT"),
                           QStringLiteral("window: Residue Analyses - KVE v. 3.1.0 - trial.KVE"), QStringLiteral("report")}));
    // The residue regression's charts still come.
    EXPECT_EQ(requestsOf<RunRequests::Chart>(out).size(), 2);
    EXPECT_TRUE(out.unsavedFiles.isEmpty());
}

TEST(ResidualSection, ResidueFileThatCannotBeWritten)
{
    QTemporaryDir dir;
    const QString dataset = dir.filePath(QStringLiteral("gone/trial.KVE"));   // a folder that does not exist
    const EvaluationOutcome out = run(kTwelve, [&](EvaluationInput& o) {
        residual(o);
        o.settings.comments = false;
        o.dataFileName = dataset;
        o.settings.residueToFile = true;
    });
    const QString line = lineOf(out.report, QStringLiteral("Residue calculation"));
    EXPECT_TRUE(line.startsWith(QStringLiteral("Residue calculation could not be saved in ") + dir.path()
                                + QStringLiteral("/gone/: No such file or directory")))
        << line.toStdString();
    EXPECT_TRUE(out.report.endsWith(QStringLiteral("=====================\r\n") + line + QStringLiteral("\r\n")));
    EXPECT_TRUE(requestsOf<RunRequests::OpenInEditor>(out).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("gone"))));
    // The run lists it for the window's box and the command line's reason.
    EXPECT_EQ(out.unsavedFiles, QStringList{QStringLiteral("the residue file (ResidueNNNN.TXT) could not be saved in ")
                                            + dir.path() + QStringLiteral("/gone/: No such file or directory")});
}

TEST(ClosingSections, ResidualPlotScale)
{
    // 10 x round(50 / range), halves to the even one; 1 when below 10 or
    // there is no range. Element 0 is no residue.
    struct Case {
        std::vector<double> r;
        int scale;
    };
    const double nan = std::nan("");
    const Case cases[] = {
        {{0, -2.0, 2.0, 0.5}, 120},          // 12.5 rounds to 12
        {{0, -1.5, 1.0, 0.0}, 200},          // range 2.5: 20
        {{0, -0.5, 0.5}, 500},               // range 1: 50
        {{0, -55.0, 46.0}, 1},               // 50 / 101 rounds to 0
        {{0, 10.0, 14.0}, 120},              // element 0 would make the range 14
        {{99, 1.0, 1.0, 1.0}, 1},            // all equal
        {{0, nan, 1.0, 3.0}, 250},           // a residue that is none is left out
        {{0, 1e-300, 2e-300}, 1},            // beyond a long integer
    };
    for (const Case& c : cases)
        EXPECT_EQ(residualPlotScale(c.r), c.scale) << c.r[1];
}

TEST(ClosingSections, ChartsInOrderWithTheirTexts)
{
    const EvaluationOutcome out = run(kTwelve, [](EvaluationInput& o) {
        residual(o);
        o.settings.sections.histograms = true;
        o.settings.sections.references = true;
        o.settings.sections.residueRegression = true;
        o.settings.plots.residual = true;
        o.settings.plots.deviation = true;
        o.settings.plots.normal = true;
    });
    EXPECT_EQ(requestKinds(out),
              QStringList({QStringLiteral("histograms"), QStringLiteral("report"),
                           QStringLiteral("chart: Studentized Residue vs Regression-Predicted"),
                           QStringLiteral("chart: Deviation vs Observed"),
                           QStringLiteral("chart: Expected Normal Residue vs Residue"),
                           QStringLiteral("chart: Residue vs Regression-Predicted"),
                           QStringLiteral("chart: Deviation vs Model-Predicted")}));
    const QList<RunRequests::Chart> charts = requestsOf<RunRequests::Chart>(out);
    struct Expected {
        const char* x;
        const char* y;
        int marker, red, green, blue;
        const char* status;
    };
    const Expected expected[] = {
        {"Regression-Predicted", "Studentized Residue (× 70)", 2, 0, 0, 0, "Residual plot..."},
        {"Observed", "Deviation", 2, 0, 0, 0, "Deviation plot..."},
        {"Residue", "Normal Residue", 2, 0, 0, 0, "Normal plot..."},
        {"Regression-Predicted", "Residue", 14, 255, 128, 64, ""},
        {"Model-Predicted", "Deviation", 14, 0, 128, 0, ""},
    };
    for (int k = 0; k < 5; ++k) {
        const XYPlot& p = charts[k].plot;
        EXPECT_EQ(p.AxisXTitle, QString::fromUtf8(expected[k].x)) << k;
        EXPECT_EQ(p.AxisYTitle, QString::fromUtf8(expected[k].y)) << k;
        EXPECT_EQ(charts[k].status, QString::fromUtf8(expected[k].status)) << k;
        EXPECT_EQ(p.Marker, (std::array<int, 8>{0, 0, 0, expected[k].marker, 0, 0, 0, 0})) << k;
        EXPECT_EQ(p.MarkerColor1[3], expected[k].red);
        EXPECT_EQ(p.MarkerColor2[3], expected[k].green);
        EXPECT_EQ(p.MarkerColor3[3], expected[k].blue);
        EXPECT_EQ(p.n, 12);
        EXPECT_EQ(p.Cols, 3);
        EXPECT_FALSE(p.SameScale);
        EXPECT_EQ(p.FootnoteTitle, QStringLiteral("n =  12"));
        EXPECT_EQ(p.PlotCaption, QStringLiteral("trial.KVE"));
        EXPECT_EQ(p.TitleFontName, QStringLiteral("Arial"));
        EXPECT_EQ(p.TitleFontSize, QStringLiteral("14"));
        EXPECT_EQ(p.AxisLabelFontSize, QStringLiteral("12"));
        ASSERT_EQ(p.PlotData.rows(), 13);
        ASSERT_EQ(p.PlotData.columns(), 4);
        EXPECT_FALSE(p.PlotData.at(0, 3).has_value());
        for (int i = 1; i <= 12; ++i) {
            EXPECT_FALSE(p.PlotData.at(i, 0).has_value());
            EXPECT_EQ(p.PlotData.at(i, 1), p.PlotData.at(i, 2));
        }
    }
    // The points: X against the deviation X - Y on the last chart; the
    // studentized deleted residues times 70 on the first (R: rstudent()
    // spans 7.089, 50 / 7.089 rounds to 7; its [5] is 6.0913220).
    EXPECT_EQ(*charts[4].plot.PlotData.at(12, 1), 25.0);
    EXPECT_NEAR(*charts[4].plot.PlotData.at(12, 3), 2.0, 1e-12);
    EXPECT_EQ(*charts[1].plot.PlotData.at(5, 2), 7.9);
    EXPECT_NEAR(*charts[0].plot.PlotData.at(5, 3), 70 * 6.0913220, 70 * 1e-7);
}

TEST(ClosingSections, ChartsFollowTheirBoxes)
{
    struct Case {
        bool residual, residueRegression, residualPlot;
        int charts;
    };
    for (const Case& c : {Case{false, false, true, 0}, Case{false, true, true, 2}, Case{true, false, true, 1},
                          Case{true, true, false, 2}}) {
        const EvaluationOutcome out = run(kTwelve, [&](EvaluationInput& o) {
            o.settings.sections.residual = c.residual;
            o.settings.sections.residueRegression = c.residueRegression;
            o.settings.plots.residual = c.residualPlot;
        });
        EXPECT_EQ(requestsOf<RunRequests::Chart>(out).size(), c.charts) << c.residual << c.residueRegression;
        // Without the residual analysis its regression has no text.
        EXPECT_EQ(out.report.contains(QStringLiteral("RESIDUE REGRESSION")), c.residual && c.residueRegression);
    }
}

TEST(ClosingSections, References)
{
    const EvaluationOutcome off = run(kTwelve, [](EvaluationInput&) {});
    EXPECT_FALSE(off.report.contains(QStringLiteral("REFERENCES")));
    const EvaluationOutcome on = run(kTwelve, [](EvaluationInput& o) { o.settings.sections.references = true; });
    const qsizetype at = on.report.indexOf(QStringLiteral("\r\n\r\nREFERENCES\r\n==========\r\n"));
    ASSERT_GE(at, 0);
    const QStringList entries = on.report.mid(at + 28).split(QStringLiteral("\r\n"));
    ASSERT_EQ(entries.size(), 30);   // 29 entries, each with its line break
    EXPECT_TRUE(entries[0].startsWith(QStringLiteral("Agresti, A. 1996.")));
    EXPECT_TRUE(entries[2].startsWith(QStringLiteral("Bland, J. M. and D. G. Altman. 1986.")));
    EXPECT_TRUE(entries[3].startsWith(QStringLiteral("Bibby, J. and H. Toutenburg. 1977.")));
    EXPECT_TRUE(entries[28].startsWith(QStringLiteral("Zacharias, S.")));
    EXPECT_TRUE(entries[29].isEmpty());
}

TEST(ResidualSection, TheMainWindowsRunHandsOverItsTextsInUtf8Alone)
{
    // The report and the side windows in UTF-8, byte for byte those of a
    // run that also hands them over as QStrings; and no QString besides.
    const Tick windows = [](EvaluationInput& o) {
        deviation(o);
        residual(o);
        o.settings.residueWindow = true;
        o.settings.sections.residueRegression = true;
    };
    const EvaluationOutcome texts = run(kTwelve, windows);
    const EvaluationOutcome utf8 = run(kTwelve, [&](EvaluationInput& o) {
        windows(o);
        o.utf8Only = true;
    });
    EXPECT_TRUE(utf8.report.isEmpty());
    const QList<RunRequests::ShowReport> reports = requestsOf<RunRequests::ShowReport>(utf8);
    ASSERT_EQ(reports.size(), 1);
    EXPECT_EQ(reports[0].utf8, texts.report.toUtf8());
    EXPECT_TRUE(reports[0].text.isEmpty());
    EXPECT_EQ(requestsOf<RunRequests::ShowReport>(texts)[0].text, texts.report);

    const QList<RunRequests::ShowSideWindow> sides = requestsOf<RunRequests::ShowSideWindow>(utf8);
    const QList<RunRequests::ShowSideWindow> sideTexts = requestsOf<RunRequests::ShowSideWindow>(texts);
    ASSERT_EQ(sides.size(), 2);
    ASSERT_EQ(sideTexts.size(), 2);
    for (qsizetype k = 0; k < sides.size(); ++k) {
        EXPECT_EQ(sides[k].caption, sideTexts[k].caption);
        EXPECT_EQ(sides[k].utf8, sideTexts[k].text.toUtf8()) << k;
        EXPECT_TRUE(sides[k].text.isEmpty()) << k;
    }
    // Characters beyond ASCII come through as characters.
    EXPECT_TRUE(texts.report.contains(QStringLiteral("Estimate a ± SD")));
}

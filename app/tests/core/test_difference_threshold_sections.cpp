// Kleijnen's and Bland and Altman's difference regressions over the
// branches of the stringent-validation verdict, offset data and the charts
// they ask for; the threshold tables at their boundaries and over the rank
// marks the sheet holds; the distances; the weighed deviance table and its
// chart. Expected numbers come from R (the call is given with each table)
// or by hand; the sample's whole report is checked against R by
// tools/oracles/report_sections_ii.R.
#include "section_run.hpp"

using namespace sectiontest;

namespace {

const QString kleijnenHeading =
    QStringLiteral("KLEIJNEN'S DIFFERENCE REGRESSION (Kleijnen, 1987; Kleijnen et al., 1996, 1998)");
const QString blandHeading = QStringLiteral("BLAND AND ALTMAN'S DIFFERENCE REGRESSION (Bland and Altman, 1986)");
const QString jointLabel = QStringLiteral("H0: ß0 = 0 & ß1 = 0, F-value (P-value) : ");

// Y observed against X = 1..8.
std::vector<Row> againstOneToEight(const std::vector<const char*>& y)
{
    static const char* const x[] = {"1", "2", "3", "4", "5", "6", "7", "8"};
    std::vector<Row> rows;
    for (std::size_t i = 0; i < y.size(); ++i)
        rows.push_back({x[i], y[i]});
    return rows;
}

Tick kleijnen(bool comments)
{
    return [comments](EvaluationSettings& s) {
        s.sections.kleijnen = true;
        s.comments = comments;
    };
}

// The Kleijnen block's lines after its joint F test.
QStringList verdictLines(const QString& text)
{
    const QStringList lines = section(text, kleijnenHeading);
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (lines[i].startsWith(jointLabel))
            return lines.mid(i + 1);
    ADD_FAILURE() << "no joint F line";
    return {};
}

const std::vector<const char*> rejected = {"1.4", "1.8", "3.6", "2.9", "6.4", "6.9", "8.2", "10.1"};

} // namespace

TEST(KleijnenSection, VerdictBranches)
{
    // The assumptions from R: t.test(y, x, paired = TRUE) for the means,
    // var.test(y, x) for the variances, cor.test(x, y) for the correlation,
    // and the joint test anova(lm(d ~ 0), lm(d ~ s)) for d = x - y,
    // s = x + y.
    const QString failToReject =
        QStringLiteral("!! Fail to reject H0 and conclude the model meets the stringent validation requirement !!");
    const QString reject =
        QStringLiteral("!! Reject H0 and conclude the model does not meet the stringent validation requirement !!");
    const QString meanFailed = QStringLiteral("!! Stringent assumption of identical mean failed !!");
    const QString varianceFailed = QStringLiteral("!! Stringent assumption of identical variance failed !!");
    const QString correlationFailed = QStringLiteral("!! Stringent assumption of positive correlation failed !!");
    struct Case {
        const char* what;
        std::vector<const char*> y;
        bool comments;
        QStringList verdict;
    };
    const Case cases[] = {
        // r = 0.404 (P 0.32), P(means) 0.81, P(variances) 0.19, P(F) 0.39:
        // a correlation that is not significant still gets the verdict.
        {"all met, weak correlation", {"3.6", "4.8", "3.1", "5.5", "3.2", "7.2", "6.0", "4.2"}, true, {failToReject}},
        {"all met, no comments", {"3.6", "4.8", "3.1", "5.5", "3.2", "7.2", "6.0", "4.2"}, false, {}},
        // P(means) 0.10, P(variances) 0.50, r 0.97, P(F) 0.024.
        {"joint test rejects", rejected, true, {reject}},
        // P(means) 8.4e-8: written without comments too.
        {"biased", {"2.1", "2.9", "4.2", "5.0", "5.8", "7.1", "8.0", "9.1"}, false, {meanFailed}},
        // Equal means, P(variances) 0.028.
        {"spread", {"-4.3", "-1.7", "0.8", "3.2", "5.9", "8.2", "10.8", "13.1"}, false, {varianceFailed}},
        // Equal means and variances, r = -0.95.
        {"negative correlation", {"8", "6", "7", "5", "4", "2", "3", "1"}, false, {correlationFailed}},
        {"negative correlation, comments", {"8", "6", "7", "5", "4", "2", "3", "1"}, true, {correlationFailed}},
        // P(means) 5.7e-4, P(variances) 0.027; the correlation (r = 0.99995)
        // holds.
        {"two failures", {"3.5", "6.0", "8.4", "11.1", "13.5", "16.0", "18.6", "21.0"}, true, {meanFailed, varianceFailed}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(verdictLines(report(againstOneToEight(c.y), kleijnen(c.comments))), c.verdict) << c.what;
}

TEST(DifferenceRegressions, BlocksAgreeWithR)
{
    // R: summary(lm(d ~ s)) and summary(lm(d ~ a)) with d = x - y,
    // s = x + y, a = s / 2; the joint F from anova(lm(d ~ 0), lm(d ~ s)).
    const QString text = report(againstOneToEight(rejected), [](EvaluationSettings& s) {
        s.sections.kleijnen = true;
        s.sections.blandAltman = true;
    });
    const QStringList expectedKleijnen = {
        kleijnenHeading,
        QString(78, QLatin1Char('=')),
        QStringLiteral("Equation: (X-Y) = ß0 + ß1×(Y+X)") + QString(24, QLatin1Char(' ')),
        "Estimate ß0 ± SD                       :    0.62209 ±    0.52455",
        "Estimate ß1 ± SD                       :   -0.13295 ±    0.04773",
        "H0: ß0 = 0, T-value (P-value)          :    1.18594 (0.28048)",
        "H0: ß1 = 0, T-value (P-value)          :   -2.78559 (0.03176)",
        "H0: ß0 = 0 & ß1 = 0, F-value (P-value) :    7.39152 (0.02406)",
        "!! Reject H0 and conclude the model does not meet the stringent validation requirement !!",
    };
    const QStringList expectedBland = {
        blandHeading,
        QString(65, QLatin1Char('=')),
        QStringLiteral("Equation: (X-Y) = ß0 + ß1×(Avg(Y and X))") + QString(24, QLatin1Char(' ')),
        "Estimate ß0 ± SD               :    0.62209 ±    0.52455",
        "Estimate ß1 ± SD               :   -0.26589 ±    0.09545",
        "H0: ß0 = 0, T-value (P-value)  :    1.18594 (0.28048)",
        "H0: ß1 = 0, T-value (P-value)  :   -2.78559 (0.03176)",
    };
    EXPECT_EQ(section(text, kleijnenHeading), expectedKleijnen);
    EXPECT_EQ(section(text, blandHeading), expectedBland);
    EXPECT_TRUE(text.endsWith(expectedBland.last() + QStringLiteral("\r\n")));
}

TEST(DifferenceRegressions, IdenticalValuesAndOffsetData)
{
    // X = Y: no differences, so no T-value lines, and the joint test has
    // neither a residual sum of squares nor a difference to test (0 / 0).
    // X = Y + 0.5: the differences lie on the line ß0 = 0.5, ß1 = 0 with no
    // scatter, so the test is certain. Decimals, whose differences carry
    // rounding, give the same.
    struct Case {
        const char* what;
        std::vector<Row> rows;
        const char* joint;
    };
    const Case cases[] = {
        {"X = Y", {{"1", "1"}, {"2", "2"}, {"4", "4"}, {"7", "7"}}, "       n/a (    n/a)"},
        {"X = Y, decimals", {{"0.1", "0.1"}, {"0.3", "0.3"}, {"0.7", "0.7"}, {"1.3", "1.3"}}, "       n/a (    n/a)"},
        {"X = Y + 0.5", {{"1.5", "1"}, {"2.5", "2"}, {"4.5", "4"}, {"7.5", "7"}}, "       n/a (0.00001)"},
        {"X = Y + 0.5, decimals", {{"0.6", "0.1"}, {"0.8", "0.3"}, {"1.2", "0.7"}, {"1.8", "1.3"}},
         "       n/a (0.00001)"},
    };
    for (const Case& c : cases) {
        const QString text = report(c.rows, [](EvaluationSettings& s) {
            s.sections.kleijnen = true;
            s.sections.blandAltman = true;
        });
        EXPECT_FALSE(text.contains(QStringLiteral("T-value"))) << c.what;
        EXPECT_EQ(lineOf(text, jointLabel), jointLabel + QLatin1String(c.joint)) << c.what;
        EXPECT_EQ(lineOf(text, QStringLiteral("Estimate ß1 ± SD    ")),
                  QStringLiteral("Estimate ß1 ± SD                       :    0.00000 ±    0.00000"))
            << c.what;
        EXPECT_FALSE(text.contains(QStringLiteral("nan")) || text.contains(QStringLiteral("inf"))) << c.what;
    }

    // A million added to every value leaves the differences, the slopes,
    // the joint test and the verdict as they were (only the intercepts
    // move with the sums).
    std::vector<std::string> shifted;
    for (const char* y : rejected)
        shifted.push_back(QString::number(std::stod(y) + 1e6, 'f', 1).toStdString());
    std::vector<Row> far;
    static const char* const xs[] = {"1000001", "1000002", "1000003", "1000004",
                                     "1000005", "1000006", "1000007", "1000008"};
    for (std::size_t i = 0; i < 8; ++i)
        far.push_back({xs[i], shifted[i].c_str()});
    const Tick both = [](EvaluationSettings& s) {
        s.sections.kleijnen = true;
        s.sections.blandAltman = true;
    };
    const QString near = report(againstOneToEight(rejected), both);
    const QString offset = report(far, both);
    const QStringList k = section(offset, kleijnenHeading), b = section(offset, blandHeading);
    const QStringList k0 = section(near, kleijnenHeading), b0 = section(near, blandHeading);
    ASSERT_EQ(k.size(), k0.size());
    for (int i : {4, 6, 7, 8})
        EXPECT_EQ(k[i], k0[i]) << i;
    EXPECT_EQ(b[4], b0[4]);
    EXPECT_EQ(b[6], b0[6]);
}

TEST(DifferenceRegressions, ChartRequestsInReportOrder)
{
    DataMatrix m = sheet(againstOneToEight(rejected));
    const EvaluationOutcome out = run(m, [](EvaluationSettings& s) {
        s.sections.kleijnen = true;
        s.sections.blandAltman = true;
        s.sections.weighedDeviance = true;
    });
    ASSERT_EQ(out.requests.size(), 4);
    ASSERT_TRUE(std::holds_alternative<RunRequests::ShowReport>(out.requests[3]));
    struct Expected {
        const char* title;
        const char* axisX;
        const char* axisY;
    };
    const Expected expected[] = {
        {"Kleijnen Analysis", "Summation", "Difference"},
        {"Bland and Altman Analysis", "Average", "Difference"},
        {"Weighed Deviance vs Model-Predicted", "Model-Predicted", "Deviation"},
    };
    const double y[] = {1.4, 1.8, 3.6, 2.9, 6.4, 6.9, 8.2, 10.1};
    // The weighed deviance of the regression's residue step:
    // (y - mean y)(x - mean x) / (mean x mean y) (x - y).
    const double mx = 4.5, my = (1.4 + 1.8 + 3.6 + 2.9 + 6.4 + 6.9 + 8.2 + 10.1) / 8;
    for (std::size_t k = 0; k < 3; ++k) {
        ASSERT_TRUE(std::holds_alternative<RunRequests::Chart>(out.requests[static_cast<qsizetype>(k)])) << k;
        const XYPlot& plot = std::get<RunRequests::Chart>(out.requests[static_cast<qsizetype>(k)]).plot;
        EXPECT_EQ(plot.TitleText, QLatin1String(expected[k].title));
        EXPECT_EQ(plot.AxisXTitle, QLatin1String(expected[k].axisX));
        EXPECT_EQ(plot.AxisYTitle, QLatin1String(expected[k].axisY));
        EXPECT_EQ(plot.FootnoteTitle, QStringLiteral("n =  8"));
        EXPECT_EQ(plot.PlotCaption, QStringLiteral("trial.KVE"));
        EXPECT_EQ(plot.n, 8);
        EXPECT_EQ(plot.Cols, 3);
        EXPECT_FALSE(plot.SameScale);
        EXPECT_EQ(plot.Marker, (std::array<int, 8>{0, 0, 0, 2, 0, 0, 0, 0}));
        EXPECT_EQ(plot.MarkerColor1, (std::array<int, 8>{}));
        EXPECT_EQ(plot.TitleFontSize, QStringLiteral("14"));
        EXPECT_EQ(plot.FootnoteFontsize, QStringLiteral("8"));
        EXPECT_EQ(plot.AxisFontSize, QStringLiteral("10"));
        EXPECT_EQ(plot.AxisLabelFontSize, QStringLiteral("12"));
        ASSERT_EQ(plot.PlotData.rows(), 9);
        ASSERT_EQ(plot.PlotData.columns(), 4);
        for (int i = 1; i <= 8; ++i) {
            const double xi = i, yi = y[i - 1];
            const double abscissa = k == 0 ? xi + yi : k == 1 ? (xi + yi) / 2 : xi;
            const double ordinate = k < 2 ? xi - yi : (yi - my) * (xi - mx) / (mx * my) * (xi - yi);
            EXPECT_DOUBLE_EQ(*plot.PlotData.at(i, 1), abscissa) << k << " " << i;
            EXPECT_DOUBLE_EQ(*plot.PlotData.at(i, 2), abscissa) << k << " " << i;
            EXPECT_NEAR(*plot.PlotData.at(i, 3), ordinate, 1e-12) << k << " " << i;
            EXPECT_FALSE(plot.PlotData.at(i, 0).has_value());
        }
        EXPECT_FALSE(plot.PlotData.at(0, 3).has_value());
    }
}

TEST(DifferenceRegressions, ChartsAtTheEndsOfTheDoubleRange)
{
    // X = Y = -1.7e308, 0 and 1.7e308, four rows each. The averages are
    // the values themselves, halved before they are added, so the Bland
    // and Altman chart draws all twelve points. The sums of the outer rows
    // lie beyond the doubles: the Kleijnen chart draws the four others, and
    // its footnote counts those.
    std::vector<Row> rows;
    for (const char* v : {"-1.7e308", "0", "1.7e308"})
        for (int k = 0; k < 4; ++k)
            rows.push_back({v, v});
    DataMatrix m = sheet(rows);
    const EvaluationOutcome out = run(m, [](EvaluationSettings& s) {
        s.sections.kleijnen = true;
        s.sections.blandAltman = true;
    });
    ASSERT_GE(out.requests.size(), 2);
    struct Expected { const char* title; int drawn; };
    const Expected expected[] = {{"Kleijnen Analysis", 4}, {"Bland and Altman Analysis", 12}};
    for (qsizetype k = 0; k < 2; ++k) {
        ASSERT_TRUE(std::holds_alternative<RunRequests::Chart>(out.requests[k])) << k;
        const XYPlot& plot = std::get<RunRequests::Chart>(out.requests[k]).plot;
        EXPECT_EQ(plot.TitleText, QLatin1String(expected[k].title));
        int drawn = 0;
        for (int i = 1; i <= 12; ++i) {
            const std::optional<double> x = plot.PlotData.at(i, 2), y = plot.PlotData.at(i, 3);
            if (x && y) {
                ++drawn;
                EXPECT_EQ(*x, k == 0 ? 0.0 : std::stod(rows[static_cast<std::size_t>(i - 1)].x)) << k << " " << i;
                EXPECT_EQ(*y, 0.0) << k << " " << i;
            }
        }
        EXPECT_EQ(drawn, expected[k].drawn) << k;
        EXPECT_EQ(plot.n, expected[k].drawn) << k;
        EXPECT_EQ(plot.FootnoteTitle, QStringLiteral("n =  %1").arg(expected[k].drawn)) << k;
    }
}

namespace {

// A sheet row for the threshold tables: X, Y, and the rank cells as the
// rank section leaves them (a number, "." for a row it did not use, or
// nothing beyond its last used row).
struct ThresholdRow {
    const char* x;
    const char* y;
    const char* rankX;
    const char* rankY;
};

DataMatrix thresholdSheet(const std::vector<ThresholdRow>& rows)
{
    DataMatrix m(static_cast<int>(rows.size()) + 1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int r = static_cast<int>(i) + 1;
        const auto put = [&](int column, const char* text) {
            if (!*text)
                return;
            if (const std::optional<double> v = parseStrictNumber(QString::fromLatin1(text)); v && column >= 5)
                m.setNumber(column, r, *v);
            else
                m.setText(column, r, QString::fromLatin1(text));
        };
        put(DataMatrix::ColX, rows[i].x);
        put(DataMatrix::ColY, rows[i].y);
        put(DataMatrix::ColRankX, rows[i].rankX);
        put(DataMatrix::ColRankY, rows[i].rankY);
    }
    return m;
}

Tick thresholds(const char* rank, const char* xy)
{
    return [=](EvaluationSettings& s) {
        s.sections.threshold = true;
        s.rankThreshold = QString::fromLatin1(rank);
        s.xyThreshold = QString::fromLatin1(xy);
    };
}

// Rows on and around the value threshold 5 and the rank threshold 4.
const std::vector<ThresholdRow> boundaryRows = {
    {"5", "5", "4", "4"},         // both on the threshold: XYT and Agree
    {"5", "7", "4", "6"},         // x on it, y above: low X, high Y
    {"7", "5", "6", "4"},         // x above, y on it: high X, low Y
    {"3", "4", "2.5", "2.5"},     // both below; equal ranks: Agree
    {"9", "1", ".", "."},         // not used by the run: values only
    {"6", "6", "5", "7"},         // both above; equal values: Agree
    {"", "6", ".", "."},          // no X: passed over in both tables
    {"4", "4", "1", "1"},         // both below, equal
    {"2", "8", "2.5", "8"},       // low X, high Y
    {"8", "2", "", ""},           // after the ranked rows: not counted
};

} // namespace

TEST(ThresholdSection, BoundariesAndRankMarks)
{
    DataMatrix m = thresholdSheet(boundaryRows);
    const QString text = run(m, thresholds("4.5", "5")).report;
    // Rank threshold 4.5 is 4 (a half goes to the even neighbour). Ranked
    // rows 1-4, 6, 8, 9; the "." rows are passed over, not ended at.
    const QStringList expected = {
        "THRESHOLD TABLE",
        "===============",
        "",
        "Rank threshold for:    4.00000",
        "                   Model-predicted     ",
        "             --------------------------",
        "Observed     Below         Above       ",
        QString(39, QLatin1Char('-')),
        "Below          2 (28.57)      1 (14.29)",
        "Above          2 (28.57)      1 (14.29)",
        QString(39, QLatin1Char('-')),
        "Identical X and Y:     3",
        "Identical X, Y and Threshold:     1",
        "",
        // Values of the rows with a rank mark: row 5 (".") counts, row 7
        // (no X) does not, row 10 (no mark) neither.
        "XY datapoints threshold for:    5.00000",
        "                   Model-predicted",
        "             --------------------------",
        "Observed     Below         Above",
        QString(39, QLatin1Char('-')),
        "Below          2 (25.00)      2 (25.00)",
        "Above          2 (25.00)      1 (12.50)",
        QString(39, QLatin1Char('-')),
        "Identical X and Y:     3",
        "Identical X, Y and Threshold:     1",
    };
    EXPECT_EQ(section(text, expected[0]), expected);
}

TEST(ThresholdSection, BoxesDecideTheTables)
{
    DataMatrix m = thresholdSheet(boundaryRows);
    struct Case {
        const char* rank;
        const char* xy;
        const char* rankLine;    // "" when there is no rank table
        const char* valueLine;   // "" when there is no value table
    };
    const Case cases[] = {
        {"", "", "", ""},
        {"", "5", "", "XY datapoints threshold for:    5.00000"},
        {"3.5", "", "Rank threshold for:    4.00000", ""},
        {"2.5", "2.5", "Rank threshold for:    2.00000", "XY datapoints threshold for:    2.00000"},
        // A value box that is no number keeps the rank threshold; one
        // beyond the whole numbers keeps the threshold it had, 0.
        {"6", "five", "Rank threshold for:    6.00000", "XY datapoints threshold for:    6.00000"},
        {"", "1e20", "", "XY datapoints threshold for:    0.00000"},
    };
    for (const Case& c : cases) {
        const QString text = run(m, thresholds(c.rank, c.xy)).report;
        EXPECT_EQ(lineOf(text, QStringLiteral("Rank threshold")), QLatin1String(c.rankLine)) << c.rank << "/" << c.xy;
        EXPECT_EQ(lineOf(text, QStringLiteral("XY datapoints")), QLatin1String(c.valueLine)) << c.rank << "/" << c.xy;
        // The heading comes with the rank table only; the value table
        // follows an empty line.
        EXPECT_EQ(text.contains(QStringLiteral("\r\n\r\nTHRESHOLD TABLE\r\n===============\r\n\r\nRank threshold")),
                  *c.rankLine != 0);
        if (*c.valueLine) {
            EXPECT_TRUE(text.contains(QStringLiteral("\r\n\r\n") + QLatin1String(c.valueLine)));
        }
    }

    // No rank marks at all (the rank section never ran): nothing counted,
    // and the percentages have no value.
    DataMatrix unranked = sheet({{"1", "2"}, {"3", "4"}, {"5", "6"}});
    const QString empty = run(unranked, thresholds("2", "4")).report;
    EXPECT_EQ(lineOf(empty, QStringLiteral("Below      ")), QStringLiteral("Below            (  n/a)        (  n/a)"));
    EXPECT_FALSE(empty.contains(QStringLiteral("Identical")));
}

TEST(ThresholdSection, CountsOfLargeSheetsPrintWhole)
{
    // Counts of six places print whole, in fields of seven so that a blank
    // stays before each; titles and rules widen with them. Ranks 1..160,000
    // against 150,000 (the row at it is X, Y and threshold at once, every
    // row has equal ranks); values against 100: X = 1..100 with Y = X - 1,
    // and with Y = X + 15 below 100 for X up to 85 (1,500 + 85 rows), above
    // it for the 15 from 86 on; X = 101 has 15 rows at Y = 100.
    DataMatrix m = wideCountSheet();
    const QString text = run(m, thresholds("150000", "100")).report;
    const QString rule(43, QLatin1Char('-'));
    const QString dashes = QString(13, QLatin1Char(' ')) + QString(30, QLatin1Char('-'));
    const QStringList expected = {
        "THRESHOLD TABLE",
        "===============",
        "",
        "Rank threshold for: " + F(150000, 10, 5),
        "                     Model-predicted     ",
        dashes,
        "Observed       Below           Above       ",
        rule,
        "Below       149999 (93.75)          ( 0.00)",
        "Above              ( 0.00)    10000 ( 6.25)",
        rule,
        "Identical X and Y: 160000",
        "Identical X, Y and Threshold:     1",
        "",
        "XY datapoints threshold for:  100.00000",
        "                     Model-predicted",
        dashes,
        "Observed       Below           Above",
        rule,
        "Below         1585 ( 0.99)       15 ( 0.01)",
        "Above           15 ( 0.01)   158385 (98.99)",
        rule,
    };
    EXPECT_EQ(section(text, expected[0]), expected);
}

TEST(DistanceSection, DistancesByHand)
{
    // x = (1, 2, 3), y = (2, 2, 5): Euclidean sqrt(5); Minkowski
    // (1 + 2^m)^(1/m); Canberra 1/3 + 2/8; Czekanowski 1 - 2 * 6 / 15;
    // Kullback-Leibler 2 ln 2 + 5 ln(5/3).
    const QString text = report({{"1", "2"}, {"2", "2"}, {"3", "5"}}, [](EvaluationSettings& s) { s.sections.distance = true; });
    QStringList expected = {"DISTANCE ANALYSIS (\?\?\?)", QString(23, QLatin1Char('=')),
                            "!! .Minkowski m = 1 is also known as Manhattan distance !!", "", "Euclidean        :    2.236"};
    for (int k = 1; k <= 7; ++k)
        expected << QStringLiteral("Minkowski, m = %1 : ").arg(k) + QString::number(std::pow(1 + std::pow(2.0, k), 1.0 / k), 'f', 3).rightJustified(8);
    expected << "Canberra         :    0.583"
             << "Czekanowski      :    0.200"
             << "Kullback-Leibler :    3.940" << QString(30, QLatin1Char('-'));
    EXPECT_EQ(section(text, expected[0]), expected);

    // A negative ratio has no logarithm: Kullback-Leibler cannot be
    // computed, the distances before it stand.
    const QString negative = report({{"1", "-2"}, {"2", "2"}, {"3", "5"}}, [](EvaluationSettings& s) {
        s.sections.distance = true;
        s.comments = false;
    });
    EXPECT_EQ(lineOf(negative, QStringLiteral("Euclidean")), QStringLiteral("Euclidean        :    3.606"));
    EXPECT_EQ(lineOf(negative, QStringLiteral("Czekanowski")), QStringLiteral("Czekanowski      :    0.455"));
    EXPECT_EQ(lineOf(negative, QStringLiteral("Kullback-Leibler")), QStringLiteral("Kullback-Leibler :      n/a"));
    EXPECT_FALSE(negative.contains(QStringLiteral("Manhattan")));

    // An observation of 0 adds 0 ln 0 = 0, the limit of y ln y as y goes
    // to 0, rather than failing on the logarithm of 0: 2 ln 2 + 5 ln(5/3)
    // as above, the first pair's 0 ln(0/1) adding nothing.
    const QString zero = report({{"1", "0"}, {"1", "2"}, {"2", "2"}, {"3", "5"}}, [](EvaluationSettings& s) {
        s.sections.distance = true;
    });
    EXPECT_EQ(lineOf(zero, QStringLiteral("Kullback-Leibler")), QStringLiteral("Kullback-Leibler :    3.940"));
}

TEST(WeighedDevianceSection, TableOfTheUsedRows)
{
    // WtDev = (y - mean y)(x - mean x) / (mean x mean y) (x - y). A column
    // whose values fill their field stands one blank further right, its
    // heading with it; the first column touches nothing.
    struct Case {
        const char* what;
        std::vector<Row> rows;
        QStringList expected;
    };
    const Case cases[] = {
        // mean x 3, mean y 3.2.
        {"tidy",
         {{"1", "1"}, {"2", "3"}, {"3", "2"}, {"4", "6"}, {"5", "4"}, {"6", "", "Y"}},
         {"   X          Y         WtDev     ", QString(36, QLatin1Char('-')), "     1.000     1.000   0.0000000000",
          "     2.000     3.000  -0.0208333333", "     3.000     2.000   0.0000000000",
          "     4.000     6.000  -0.5833333333", "     5.000     4.000   0.1666666667", QString(36, QLatin1Char('-'))}},
        // Far from zero: every X and Y fills its 10 places.
        {"far from zero",
         {{"1000001", "1000001.5"}, {"1000002", "1000001.5"}, {"1000003", "1000004.5"}},
         {"   X           Y         WtDev     ", QString(37, QLatin1Char('-')),
          "1000001.00 1000001.50   0.0000000000", "1000002.00 1000001.50   0.0000000000",
          "1000003.00 1000004.50   0.0000000000", QString(37, QLatin1Char('-'))}},
        // mean x 3, mean y 0.1: (-200.1)(-2)(201)/0.3 = 268134 and
        // (200.4)(2)(-195.5)/0.3 = -261188 fill the 15 places of WtDev.
        {"WtDev fills",
         {{"1", "-200"}, {"2", "0"}, {"3", "0"}, {"4", "0"}, {"5", "200.5"}},
         {"   X          Y          WtDev     ", QString(37, QLatin1Char('-')), "     1.000  -200.000 268134.00000000",
          "     2.000     0.000    0.6666666667", "     3.000     0.000    0.0000000000",
          "     4.000     0.000   -1.3333333333", "     5.000   200.500 -261188.0000000", QString(37, QLatin1Char('-'))}},
    };
    for (const Case& c : cases) {
        const QString text = report(c.rows, [](EvaluationSettings& s) { s.sections.weighedDeviance = true; });
        const QStringList expected = QStringList{"WEIGHED DEVIANCE ANALYSIS", QString(25, QLatin1Char('=')), ""} + c.expected;
        EXPECT_EQ(section(text, expected[0]), expected) << c.what;
    }
}

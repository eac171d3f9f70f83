// The balance, orthogonal balance, MSEP and MSEP bootstrap sections over
// their branches: the two-by-two tables on small sheets counted by hand
// (ties with the mean, points on the lines, empty cells, a zero slope),
// the MSEP decomposition, and the bootstrap's seed, its 100 % property, its
// small-sample notice and the ranges of its boxes. Expected numbers are R's
// (the call is given with each table); the sample's whole report is checked
// against R by tools/oracles/report_sections_ii.R.
#include <QRegularExpression>

#include <array>
#include <cmath>

#include "../../../numlib/tests/reference/median_line_points_cases.hpp"
#include "section_run.hpp"

using namespace sectiontest;

namespace {

const Tick balance = [](EvaluationSettings& s) { s.sections.balance = true; };
const Tick orthogonal = [](EvaluationSettings& s) { s.sections.orthogonalBalance = true; };
const Tick msep = [](EvaluationSettings& s) { s.sections.msep = true; };

QString rule89()
{
    return QString(89, QLatin1Char('-'));
}

// n points of a model that overpredicts a little, with noise from a fixed
// sequence.
DataMatrix noisyPoints(int n = 40)
{
    DataMatrix m(n + 1);
    for (int i = 1; i <= n; ++i) {
        const double x = 2 + 0.2 * i;
        m.setNumber(DataMatrix::ColX, i, x);
        m.setNumber(DataMatrix::ColY, i, 0.95 * x + 0.3 * std::sin(1.7 * i));
    }
    return m;
}

Tick bootstrap(double subsamples, double sizePercent)
{
    return [=](EvaluationSettings& s) {
        s.sections.msep = true;
        s.sections.msepBootstrap = true;
        s.bootstrapSubsamples = subsamples;
        s.bootstrapSizePercent = sizePercent;
    };
}

} // namespace

TEST(BalanceSection, TablesAndTestsOfSmallSheets)
{
    // Rows: under when Y > X (Y = X counts as over); columns: below the mean
    // (a value equal to the mean is above). The expected values from R:
    // chisq.test(as.vector(t), p = rep(0.25, 4)) (balanced), chisq.test(t,
    // correct = FALSE) (current), the odds ratio with half a point added to
    // each cell, its ASE and pnorm(log(OR) / ASE, lower.tail = FALSE).
    struct Case {
        const char* what;
        std::vector<Row> rows;
        QStringList table;   // from the count rows to the closing rule
    };
    const QStringList constantPredictions = {
        "         Overpredicted  :      ( 0.00%)     1 (33.33%)        1 (33.33%)       ( 0.00%)",
        "         Underpredicted :      ( 0.00%)     2 (66.67%)        1 (33.33%)     1 (33.33%)",
        rule89(),
        "Balanced allocation     :",
        "      X² (Prob(X²=0))   :   3.66667 (0.29978)                1.00000 (0.80125)",
        "      Cramer's V        :       n/a                          0.57735",
        "      CCC               :   0.74162                          0.50000",
        "Current allocation      :",
        "      X² (Prob(X²=0))   :   0.00000 (    n/a)                0.75000 (0.38648)",
        "      Cramer's V        :       n/a                          0.50000",
        "      CCC               :   0.00000                          0.44721",
        "",
        "Odds ratio              :   1.66667                          3.00000",
        "Ln(Odds ratio)          :   0.51083                          1.09861",
        "ASE(Ln(Odds ratio))     :   2.25093                          2.00000",
        "Prob(H0:Odds ratio = 1) :   0.41024                          0.29140",
        rule89()};
    const Case cases[] = {
        {"X = Y in row 1, X = mean X in row 3",
         {{"1", "1"}, {"2", "3"}, {"3", "2"}, {"4", "6"}, {"5", "4"}},
         {"         Overpredicted  :    1 (20.00%)     2 (40.00%)        2 (40.00%)     1 (20.00%)",
          "         Underpredicted :    1 (20.00%)     1 (20.00%)        1 (20.00%)     1 (20.00%)",
          rule89(),
          "Balanced allocation     :",
          "      X² (Prob(X²=0))   :   0.60000 (0.89643)                0.60000 (0.89643)",
          "      Cramer's V        :   0.34641                          0.34641",
          "      CCC               :   0.32733                          0.32733",
          "Current allocation      :",
          "      X² (Prob(X²=0))   :   0.13889 (0.70939)                0.13889 (0.70939)",
          "      Cramer's V        :   0.16667                          0.16667",
          "      CCC               :   0.16440                          0.16440",
          "",
          "Odds ratio              :   0.60000                          1.66667",
          "Ln(Odds ratio)          :  -0.51083                          0.51083",
          "ASE(Ln(Odds ratio))     :   1.54919                          1.54919",
          "Prob(H0:Odds ratio = 1) :   0.62920                          0.37080",
          rule89()}},
        // Every point overpredicted: the underpredicted row is empty. The
        // balanced test still has its three degrees of freedom (four cells
        // against fixed quarters: R's chisq.test with p has df = 3; one
        // degree would give pchisq(4, 1) = 0.0455); the current allocation
        // has none, so it has no probability and no Cramer's V.
        {"an empty row",
         {{"2", "1"}, {"4", "3"}, {"6", "5"}, {"8", "6.5"}},
         {"         Overpredicted  :    2 (50.00%)     2 (50.00%)        2 (50.00%)     2 (50.00%)",
          "         Underpredicted :      ( 0.00%)       ( 0.00%)          ( 0.00%)       ( 0.00%)",
          rule89(),
          "Balanced allocation     :",
          "      X² (Prob(X²=0))   :   4.00000 (0.26146)                4.00000 (0.26146)",
          "      Cramer's V        :       n/a                              n/a",
          "      CCC               :   0.70711                          0.70711",
          "Current allocation      :",
          "      X² (Prob(X²=0))   :   0.00000 (    n/a)                0.00000 (    n/a)",
          "      Cramer's V        :       n/a                              n/a",
          "      CCC               :   0.00000                          0.00000",
          "",
          "Odds ratio              :   1.00000                          1.00000",
          "Ln(Odds ratio)          :   0.00000                          0.00000",
          "ASE(Ln(Odds ratio))     :   2.19089                          2.19089",
          "Prob(H0:Odds ratio = 1) :   0.50000                          0.50000",
          rule89()}},
        // Constant predictions lie at their mean: none is below it. The mean
        // of three 0.1 rounds above 0.1, which put every point below it.
        {"constant predictions", {{"1", "1"}, {"1", "2"}, {"1", "4"}}, constantPredictions},
        {"constant predictions, decimals", {{"0.1", "0.1"}, {"0.1", "0.2"}, {"0.1", "0.4"}}, constantPredictions},
    };
    for (const Case& c : cases) {
        const QStringList lines = section(report(c.rows, balance), QStringLiteral("BALANCE ANALYSIS (Varnholt et al., 2006)"));
        const QStringList head = {
            "BALANCE ANALYSIS (Varnholt et al., 2006)",
            QString(40, QLatin1Char('=')),
            "!! .Balanced allocation checks if 25% of the data points were in each cell !!",
            "!! .Current allocation checks if there is an association among the four cells !!",
            "!! .Cramer's V evaluates the strength of the association in which 0 is weak and 1 is perfect association!!",
            "!! .Contingency coefficient C is similar to Cramer's V and also lies between 0 and 1 !!",
            "!! .Odds ratio = 1 indicates independence among the four cells!!",
            "!! .ASE is the asymptotic standard error !!",
            "",
            "                              Model-Predicted Mean                 Observed Mean",
            rule89(),
            "                              Below          Above             Below          Above      ",
            "                         --------------- ---------------  --------------- ---------------",
        };
        EXPECT_EQ(lines, head + c.table) << c.what;
    }

    // The tables do not depend on the fitted line, nor the comments on
    // anything but the box.
    DataMatrix m = sheet(cases[0].rows);
    const QString plain = run(m, balance).report;
    for (RegressionMethod method : {RegressionMethod::WeightedLeastSquares, RegressionMethod::LeastAbsoluteDeviation}) {
        const QString other = run(m, [method](EvaluationSettings& s) {
                                  s.sections.balance = true;
                                  s.method = method;
                              }).report;
        EXPECT_EQ(section(other, QStringLiteral("BALANCE ANALYSIS (Varnholt et al., 2006)")),
                  section(plain, QStringLiteral("BALANCE ANALYSIS (Varnholt et al., 2006)")));
    }
    const QString quiet = run(m, [](EvaluationSettings& s) {
                              s.sections.balance = true;
                              s.comments = false;
                          }).report;
    EXPECT_FALSE(quiet.contains(QStringLiteral("!!")));
}

TEST(OrthogonalBalanceSection, PointsOnTheLinesAndAZeroSlope)
{
    struct Case {
        const char* what;
        std::vector<Row> rows;
        QStringList lines;   // the line of the two lines and the count rows
    };
    const Case cases[] = {
        // The fit is Y = X. (0, 0) and (2, 2) lie on it: the first on the
        // left of the perpendicular through the means (1, 1), so
        // overpredicted; the second on its right, so underpredicted.
        {"points on the fitted line",
         {{"0", "0"}, {"2", "2"}, {"1", "2"}, {"1", "0"}},
         {"Perpendicular lines at   Y = X                            Y =    0.00000 +    1.00000X",
          "         Overpredicted  :    2 (50.00%)       ( 0.00%)        2 (50.00%)       ( 0.00%)",
          "         Underpredicted :      ( 0.00%)     2 (50.00%)          ( 0.00%)     2 (50.00%)"}},
        // A constant Y fits a slope of 0, which has no perpendicular: the
        // fitted line's table splits at the mean of X and by the sign of
        // Y - X. The line Y = X keeps its perpendicular split; (3, 3) lies
        // on it right of the perpendicular through (2.5, 3).
        {"a zero slope",
         {{"1", "3"}, {"2", "3"}, {"3", "3"}, {"4", "3"}},
         {"Perpendicular lines at   Y = X                            Y =    3.00000 +    0.00000X",
          "         Overpredicted  :      ( 0.00%)     1 (25.00%)          ( 0.00%)     2 (50.00%)",
          "         Underpredicted :    2 (50.00%)     1 (25.00%)        2 (50.00%)       ( 0.00%)"}},
        // The least-squares line is Y = X: the residuals +-10 at 10, 20, 30
        // and 40 cancel in sum and in moment, and (15, 15) and (35, 35) lie
        // on it, left and right of the perpendicular through the means
        // (25, 25). Written with decimals (near 1000 in doubles), rounding
        // leaves a + b x a hair off them: they still count as on the line.
        {"on the least-squares line",
         {{"10", "20"}, {"20", "10"}, {"30", "20"}, {"40", "50"}, {"15", "15"}, {"35", "35"}},
         {"Perpendicular lines at   Y = X                            Y =    0.00000 +    1.00000X",
          "         Overpredicted  :    3 (50.00%)       ( 0.00%)        3 (50.00%)       ( 0.00%)", "         Underpredicted :    1 (16.67%)     2 (33.33%)        1 (16.67%)     2 (33.33%)"}},
        {"on the least-squares line, decimals",
         {{"0.1", "0.2"}, {"0.2", "0.1"}, {"0.3", "0.2"}, {"0.4", "0.5"}, {"0.15", "0.15"}, {"0.35", "0.35"}},
         {"Perpendicular lines at   Y = X                            Y =    0.00000 +    1.00000X",
          "         Overpredicted  :    3 (50.00%)       ( 0.00%)        3 (50.00%)       ( 0.00%)", "         Underpredicted :    1 (16.67%)     2 (33.33%)        1 (16.67%)     2 (33.33%)"}},
        {"on the least-squares line, decimals near 1000",
         {{"1000.1", "1000.2"}, {"1000.2", "1000.1"}, {"1000.3", "1000.2"}, {"1000.4", "1000.5"},
          {"1000.15", "1000.15"}, {"1000.35", "1000.35"}},
         {"Perpendicular lines at   Y = X                            Y =    0.00000 +    1.00000X",
          "         Overpredicted  :    3 (50.00%)       ( 0.00%)        3 (50.00%)       ( 0.00%)",
          "         Underpredicted :    1 (16.67%)     2 (33.33%)        1 (16.67%)     2 (33.33%)"}},
        {"a zero slope, decimals",
         {{"0.1", "0.3"}, {"0.2", "0.3"}, {"0.3", "0.3"}, {"0.4", "0.3"}},
         {"Perpendicular lines at   Y = X                            Y =    0.30000 +    0.00000X",
          "         Overpredicted  :      ( 0.00%)     1 (25.00%)          ( 0.00%)     2 (50.00%)",
          "         Underpredicted :    2 (50.00%)     1 (25.00%)        2 (50.00%)       ( 0.00%)"}},
    };
    for (const Case& c : cases) {
        const QStringList lines = section(report(c.rows, orthogonal), QStringLiteral("ORTHOGONAL BALANCE (Varnholt et al., 2006)"));
        ASSERT_EQ(lines.size(), 17) << c.what;
        EXPECT_EQ(lines[1], QString(42, QLatin1Char('=')));
        EXPECT_EQ(lines[2], c.lines[0]) << c.what;
        EXPECT_EQ(lines[3], rule89());
        EXPECT_EQ(lines.mid(6, 2), c.lines.mid(1)) << c.what;
        EXPECT_EQ(lines[8], rule89());
        EXPECT_TRUE(lines[9].startsWith(QStringLiteral("      X² (Prob(X²=0))   :"))) << c.what;
        EXPECT_EQ(lines[12], QString());
        EXPECT_TRUE(lines.last().startsWith(QStringLiteral("Prob(H0:Odds ratio = 1) :"))) << c.what;
    }
}

TEST(BalanceSection, CountsOfLargeSheetsPrintWhole)
{
    // Counts of six places print whole, in fields of seven so that a blank
    // stays before each; the titles and rules widen with them. The counts
    // follow from the sheet (see wideCountSheet): 8,000 groups below the
    // means, 2,000 above, 15 points of each overpredicted and 1 under, the
    // same split by Y = X and by the fitted line with their perpendiculars.
    DataMatrix m = wideCountSheet();
    const QString text = run(m, [](EvaluationSettings& s) {
                             s.sections.balance = true;
                             s.sections.orthogonalBalance = true;
                         }).report;
    const QString rule(97, QLatin1Char('-'));
    const QStringList header = {
        "                                Below            Above               Below            Above      ",
        "                         ----------------- -----------------  ----------------- -----------------",
        "         Overpredicted  : 120000 (75.00%)   30000 (18.75%)     120000 (75.00%)   30000 (18.75%)",
        "         Underpredicted :   8000 ( 5.00%)    2000 ( 1.25%)       8000 ( 5.00%)    2000 ( 1.25%)",
        rule,
    };
    const QStringList balanced = section(text, QStringLiteral("BALANCE ANALYSIS (Varnholt et al., 2006)"));
    ASSERT_GE(balanced.size(), 16);
    EXPECT_EQ(balanced[9], QStringLiteral("                                Model-Predicted Mean                     Observed Mean"));
    EXPECT_EQ(balanced[10], rule);
    EXPECT_EQ(balanced.mid(11, 5), header);
    EXPECT_EQ(balanced.last(), rule);

    const QStringList perpendicular = section(text, QStringLiteral("ORTHOGONAL BALANCE (Varnholt et al., 2006)"));
    ASSERT_EQ(perpendicular.size(), 17);
    // The fitted line's title two places further right, over its table.
    EXPECT_EQ(perpendicular[2], QStringLiteral("Perpendicular lines at   Y = X") + QString(28 + 4, QLatin1Char(' '))
                                    + QStringLiteral("Y =    0.00000 +    1.00000X"));
    EXPECT_EQ(perpendicular[3], rule);
    EXPECT_EQ(perpendicular.mid(4, 5), header);
}

namespace {

// The counts of a row of the orthogonal balancenamespace {

// The counts of a row of the orthogonal balance: the Y = X table's two,
// then the fitted line's two ("" for a zero, which prints as blanks).
std::vector<int> countsOf(const QString& line)
{
    static const QRegularExpression cell(QStringLiteral("(\\d*) \\(\\s*[0-9.]+%\\)"));
    std::vector<int> counts;
    for (const QRegularExpressionMatch& m : cell.globalMatch(line.mid(25)))
        counts.push_back(m.captured(1).toInt());
    return counts;
}

} // namespace

TEST(OrthogonalBalanceSection, PointsOnTheMedianLineAgreeWithExactArithmetic)
{
    // Tied data whose median line runs through two or more points, against
    // exact rational arithmetic (tools/oracles/median_line_points.py). The
    // points on the line count as on it, not on the side the rounding of
    // a + b x put them ("n = 25, r < 0 #3" printed over 7 6, under 5 7 and
    // P 0.54254 where exact arithmetic gives 7 5, 5 8 and 0.32042), and
    // their residues print as 0 with the normal score they share; residues
    // equal in exact arithmetic share theirs too.
    for (const MedianLinePointsReference::Case& c : MedianLinePointsReference::cases) {
        DataMatrix m(static_cast<int>(c.x.size()) + 1);
        for (std::size_t i = 0; i < c.x.size(); ++i) {
            m.setNumber(DataMatrix::ColX, static_cast<int>(i) + 1, c.x[i]);
            m.setNumber(DataMatrix::ColY, static_cast<int>(i) + 1, c.y[i]);
        }
        const QString text = run(m, [](EvaluationSettings& s) {
                                 s.method = RegressionMethod::LeastAbsoluteDeviation;
                                 s.sections.orthogonalBalance = true;
                                 s.sections.residual = true;
                                 s.residueColumns.fill(false);
                                 s.residueColumns[5] = s.residueColumns[6] = true;   // Residue, NormRes
                             }).report;
        const QStringList balance = section(text, QStringLiteral("ORTHOGONAL BALANCE (Varnholt et al., 2006)"));
        ASSERT_EQ(balance.size(), 17) << c.name;
        const std::vector<int> over = countsOf(balance[6]), under = countsOf(balance[7]);
        ASSERT_EQ(over.size(), 4u) << c.name;
        ASSERT_EQ(under.size(), 4u) << c.name;
        EXPECT_EQ((std::array<int, 4>{over[2], over[3], under[2], under[3]}), c.table) << c.name;
        // The fitted line's chi-square and P, the last of the line.
        const QStringList chi = balance[9].split(QLatin1Char(' '), Qt::SkipEmptyParts);
        ASSERT_GE(chi.size(), 2) << c.name;
        EXPECT_NEAR(chi[chi.size() - 2].toDouble(), c.chi2, 0.6e-5) << c.name;
        EXPECT_NEAR(chi.last().chopped(1).mid(1).toDouble(), c.P, 0.6e-5) << c.name;

        // The residual table: "#", Residue with its mark, NormRes.
        const QStringList lines = text.split(QStringLiteral("\r\n"));
        const qsizetype header = lines.indexOf(QStringLiteral("  #   Residue   NormRes "));
        ASSERT_GE(header, 0) << c.name;
        for (std::size_t k = 0; k < c.x.size(); ++k) {
            QString row = lines[header + 2 + static_cast<qsizetype>(k)];
            const QStringList cells = row.remove(QLatin1Char('*')).split(QLatin1Char(' '), Qt::SkipEmptyParts);
            ASSERT_EQ(cells.size(), 3) << c.name;
            if (c.sign[k] == 0) {
                EXPECT_EQ(cells[1], QStringLiteral("0.0000")) << c.name << ", point " << k + 1;
            }
            // AS 111 and the printed 4 decimals.
            EXPECT_NEAR(cells[2].toDouble(), c.NormalResidue[k], 0.6e-4) << c.name << ", point " << k + 1;
        }
    }
}

TEST(MsepSection, DecompositionsAndAPerfectModel)
{
    // R: e <- (y - x)^2; mean(e), var(e); the components with population
    // SDs sx, sy and r = cor(x, y).
    const QStringList expected = {
        "MEAN SQUARE ERROR OF PREDICTION (Bibby and Toutenburg, 1977)",
        QString(60, QLatin1Char('=')),
        "Mean Square Error of Prediction    :     1.40000",
        "Variance of MSEP                   :     2.30000",
        "Standard deviation of MSEP         :     1.51658",
        "Coefficient of variation of MSEP   :   108.32679 %",
        "Square root of MSEP (RMSEP)        :     1.18322",
        "",
        "MSEP Decomposition I:",
        "Mean bias ==> Mean X <> Mean Y      :     0.04000 (  2.857 %)",
        "Unequal variances ==> Sx <> Sy      :     0.09379 (  6.699 %)",
        "Incomplete (co)variation ==> r <> 1 :     1.26621 ( 90.444 %)",
        "",
        "MSEP Decomposition II:",
        "Mean bias ==> Mean X <> Mean Y      :     0.04000 (  2.857 %)",
        "Systematic bias ==> b <> 1          :     0.02000 (  1.429 %)",
        "Random errors ==> r2 <> 1           :     1.34000 ( 95.714 %)",
    };
    const QString text = report({{"1", "1"}, {"2", "3"}, {"3", "2"}, {"4", "6"}, {"5", "4"}}, msep);
    EXPECT_EQ(section(text, expected[0]), expected);
    EXPECT_TRUE(text.endsWith(QStringLiteral(" %)\r\n")));

    // A negative correlation, r = -0.8: with r's sign the components add
    // up to the MSEP both ways (R as above; closed form: 2 sx sy (1 - r) =
    // 2 x 2 x 1.8 = 7.2 = MSEP, (sx - r sy)^2 = 2 x 1.8^2 = 6.48,
    // (1 - r^2) sy^2 = 0.72).
    const QString negative = report({{"1", "5"}, {"2", "3"}, {"3", "4"}, {"4", "1"}, {"5", "2"}}, msep);
    EXPECT_EQ(section(negative, expected[0]).mid(8),
              QStringList({"MSEP Decomposition I:",
                           "Mean bias ==> Mean X <> Mean Y      :     0.00000 (  0.000 %)",
                           "Unequal variances ==> Sx <> Sy      :     0.00000 (  0.000 %)",
                           "Incomplete (co)variation ==> r <> 1 :     7.20000 (100.000 %)",
                           "",
                           "MSEP Decomposition II:",
                           "Mean bias ==> Mean X <> Mean Y      :     0.00000 (  0.000 %)",
                           "Systematic bias ==> b <> 1          :     6.48000 ( 90.000 %)",
                           "Random errors ==> r2 <> 1           :     0.72000 ( 10.000 %)"}));

    // Perfect predictions: the MSEP line alone.
    const QString perfect = report({{"1", "1"}, {"2", "2"}, {"4", "4"}}, msep);
    EXPECT_EQ(section(perfect, expected[0]),
              QStringList({expected[0], expected[1], "Mean Square Error of Prediction    :     0.00000"}));
}

TEST(MsepBootstrapSection, FixedSeedReproducesTheReport)
{
    DataMatrix m = noisyPoints();
    const QString first = run(m, bootstrap(200, 20), 7).report;
    EXPECT_EQ(run(m, bootstrap(200, 20), 7).report.toStdString(), first.toStdString());
    const QString other = run(m, bootstrap(200, 20), 8).report;
    EXPECT_NE(lineOf(other, QStringLiteral("Mean MSEP")), lineOf(first, QStringLiteral("Mean MSEP")));
    for (const char* label : {"Mean MSEP", "Variance of MSEP      :", "Mean Var MSEP", "Variance of Var MSEP"}) {
        const QString line = lineOf(first, QString::fromLatin1(label));
        EXPECT_FALSE(line.contains(QStringLiteral("n/a")) || line.endsWith(QStringLiteral(" 0.00000"))) << line.toStdString();
    }
    EXPECT_EQ(lineOf(first, QStringLiteral("Sub-samples   ")), QStringLiteral("Sub-samples           :            200.00000"));
    EXPECT_EQ(lineOf(first, QStringLiteral("Size   ")), QStringLiteral("Size                  :              8.00000"));
}

TEST(MsepBootstrapSection, WholeSetSubsamplesHaveNoVariance)
{
    // At 100 % every point joins every sub-sample: each is the whole set,
    // so the means are the set's MSEP and variance of MSEP and the
    // variances across sub-samples are 0.
    DataMatrix m = noisyPoints();
    const QString text = run(m, bootstrap(50, 100)).report;
    auto value = [&text](const char* label) {
        return lineOf(text, QString::fromLatin1(label)).section(QLatin1Char(':'), 1).trimmed();
    };
    EXPECT_EQ(value("Mean MSEP"), value("Mean Square Error of Prediction"));
    EXPECT_EQ(value("Mean Var MSEP"), value("Variance of MSEP                   :"));
    EXPECT_EQ(value("Variance of MSEP      :"), QStringLiteral("0.00000"));
    EXPECT_EQ(value("Variance of Var MSEP"), QStringLiteral("0.00000"));
    EXPECT_EQ(value("Size   "), QStringLiteral("40.00000"));

    // One sub-sample: its own MSEP and variance of MSEP are the means (the
    // whole set's here); a variance over one value does not exist.
    const QString one = run(m, bootstrap(1, 100)).report;
    auto valueOfOne = [&one](const char* label) {
        return lineOf(one, QString::fromLatin1(label)).section(QLatin1Char(':'), 1).trimmed();
    };
    EXPECT_EQ(valueOfOne("Mean MSEP"), valueOfOne("Mean Square Error of Prediction"));
    EXPECT_EQ(valueOfOne("Mean Var MSEP"), valueOfOne("Variance of MSEP                   :"));
    EXPECT_EQ(valueOfOne("Variance of MSEP      :"), QStringLiteral("n/a"));
    EXPECT_EQ(valueOfOne("Variance of Var MSEP"), QStringLiteral("n/a"));
}

TEST(MsepBootstrapSection, SmallSubsamplesGetTheNotice)
{
    // 20 rows: 10 % expects 2 points, too few; 15 % expects 3.
    DataMatrix m = noisyPoints(20);
    const QString small = run(m, bootstrap(200, 10)).report;
    EXPECT_TRUE(small.endsWith(QStringLiteral("BOOTSTRAP ANALYSIS OF MSEP\r\n==========================\r\n"
                                              "Sub-sample size too small: a sub-sample needs at least 3 points, which "
                                              "takes a Size (%) of at least 15")))
        << small.right(200).toStdString();
    EXPECT_FALSE(small.contains(QStringLiteral("Mean MSEP")));
    const QString enough = run(m, bootstrap(200, 15)).report;
    EXPECT_EQ(lineOf(enough, QStringLiteral("Size   ")), QStringLiteral("Size                  :              3.00000"));

    // 200 rows at 1 %: 2 points expected; the least size that gives 3 is 2 %.
    DataMatrix big = noisyPoints(200);
    EXPECT_TRUE(run(big, bootstrap(200, 1)).report.endsWith(QStringLiteral("at least 2")));
}

TEST(MsepBootstrapSection, BoxesOutsideTheirRangeUseTheDefaults)
{
    struct Case {
        double subsamples, sizePercent;
        const char* notice;   // "" for none
        const char* subsamplesLine;
        const char* sizeLine;
    };
    const QString countNotice = QStringLiteral("Sub-samples must be from 1 to 100000, 200 used");
    const Case cases[] = {
        {1e9, 20, "count", "Sub-samples           :            200.00000", "Size                  :              8.00000"},
        {-5, 20, "count", "Sub-samples           :            200.00000", "Size                  :              8.00000"},
        {0.5, 20, "count", "Sub-samples           :            200.00000", "Size                  :              8.00000"},
        {200, 0, "size", "Sub-samples           :            200.00000", "Size                  :              8.00000"},
        {200, 100.5, "size", "Sub-samples           :            200.00000", "Size                  :              8.00000"},
        {0, 0, "both", "Sub-samples           :            200.00000", "Size                  :              8.00000"},
        {100000, 100, "", "Sub-samples           :         100000.00000", "Size                  :             40.00000"},
        {1, 50, "", "Sub-samples           :              1.00000", "Size                  :             20.00000"},
    };
    DataMatrix m = noisyPoints();
    for (const Case& c : cases) {
        const QString text = run(m, bootstrap(c.subsamples, c.sizePercent)).report;
        const QStringList lines = section(text, QStringLiteral("BOOTSTRAP ANALYSIS OF MSEP"));
        ASSERT_GE(lines.size(), 8) << c.subsamples << " " << c.sizePercent;
        const QString notice = QString::fromLatin1(c.notice);
        const QString sizeNotice = QStringLiteral("Size (%) must be above 0 and at most 100, 20 used");
        if (notice.isEmpty())
            EXPECT_TRUE(lines[2].startsWith(QStringLiteral("Sub-samples")));
        else
            EXPECT_EQ(lines[2], notice == QLatin1String("count") ? countNotice
                                : notice == QLatin1String("size") ? sizeNotice
                                                                  : countNotice + QStringLiteral("; ") + sizeNotice);
        EXPECT_EQ(lineOf(text, QStringLiteral("Sub-samples   ")), QLatin1String(c.subsamplesLine));
        EXPECT_EQ(lineOf(text, QStringLiteral("Size   ")), QLatin1String(c.sizeLine));
        EXPECT_FALSE(lineOf(text, QStringLiteral("Mean MSEP")).contains(QStringLiteral("n/a")));
    }
}

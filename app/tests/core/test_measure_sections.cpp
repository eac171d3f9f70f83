// The distribution, moment, robust, diverse-measure, index, concordance and
// rank sections over their branches: comment lines, the bias signs, swapped
// labels and zero means, degenerate data, large datasets and the ranks
// written back into the dataset. Their numbers are checked against R on two
// whole reports (test_evaluation_report.cpp, tools/oracles/report_sections_i.R).
#include <QDateTime>
#include <QLocale>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <numbers>
#include <string_view>

#include <gtest/gtest.h>

#include "core/evaluation/evaluation_run.hpp"
#include "core/evaluation/normality_test.hpp"
#include "core/sumtrix_instance.hpp"

namespace {

// A sheet of (X, Y, Exclude) rows as texts; "" leaves a cell empty.
struct Row {
    const char* x;
    const char* y;
    const char* exclude = "";
};

DataMatrix sheet(const std::vector<Row>& rows)
{
    DataMatrix m(static_cast<int>(rows.size()) + 1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int r = static_cast<int>(i) + 1;
        for (const auto& [column, text] : {std::pair{DataMatrix::ColX, rows[i].x}, std::pair{DataMatrix::ColY, rows[i].y},
                                           std::pair{DataMatrix::ColExclude, rows[i].exclude}})
            if (*text)
                m.setText(column, r, QString::fromUtf8(text));
    }
    return m;
}

using Tick = std::function<void(EvaluationSettings&)>;

EvaluationOutcome run(DataMatrix& m, const Tick& tick)
{
    QLocale::setDefault(QLocale::c());
    EvaluationInput o;
    o.gridRows = m.upperRow();
    o.now = QDateTime(QDate(2026, 1, 1), QTime(0, 0));
    tick(o.settings);
    return runEvaluation(m, o);
}

QString report(const std::vector<Row>& rows, const Tick& tick)
{
    DataMatrix m = sheet(rows);
    const EvaluationOutcome out = run(m, tick);
    EXPECT_TRUE(out.ran);
    return out.report;
}

// The line that starts with `label` (empty when there is none).
QString lineOf(const QString& text, const QString& label)
{
    for (const QString& l : text.split(QStringLiteral("\r\n")))
        if (l.startsWith(label))
            return l;
    return QString();
}

const Tick distribution = [](EvaluationSettings& s) { s.sections.distribution = true; };
const Tick diverse = [](EvaluationSettings& s) { s.sections.diverseMeasures = true; };
const Tick ratioIndex = [](EvaluationSettings& s) { s.sections.index = true; };
const Tick concordance = [](EvaluationSettings& s) { s.sections.concordance = true; };
const Tick generalized = [](EvaluationSettings& s) { s.sections.generalizedCcc = true; };
const Tick ranks = [](EvaluationSettings& s) { s.sections.rank = true; };

// Observed above predicted: mean bias 0.5.
const std::vector<Row> underpredicted = {{"1", "1.5"}, {"2", "2.1"}, {"3", "3.9"}, {"4", "4.2"}, {"5", "5.8"}};

} // namespace

TEST(MeasureSections, StatusTextsInReportOrder)
{
    DataMatrix m = sheet(underpredicted);
    QStringList shown;
    EvaluationInput o;
    o.gridRows = m.upperRow();
    o.now = QDateTime(QDate(2026, 1, 1), QTime(0, 0));
    EvaluationSettings::Sections& s = o.settings.sections;
    s.distribution = s.moments = s.robustStatistics = s.diverseMeasures = s.index = true;
    s.concordance = s.generalizedCcc = s.rank = true;
    o.status = [&shown](const QString& text) { shown << text; };
    ASSERT_TRUE(runEvaluation(m, o).ran);
    EXPECT_EQ(shown, QStringList({"Regression...", "Distribution...", "Moments...", "Robust statistics...", "Mean bias...",
                                  "Index...", "Concordance...", "Generalized CCC...", "Rank analysis...", ""}));
}

TEST(MeasureSections, CommentLinesFollowTheSwitch)
{
    struct Case {
        const char* section;
        Tick tick;
        std::vector<QString> onlyWithComments;
        std::vector<QString> always;
        std::vector<QString> onlyWithout;
    };
    const QString gofClosing = QStringLiteral("-----\r\n!! These calculations were not adjusted for Normal distribution !!");
    const QString transformation =
        QStringLiteral("\r\n!!  Inverse hyperbolic tangent transformation to improve normal approximation !!\r\n");
    const Case cases[] = {
        {"distribution", distribution,
         {"\r\n!! .SW is the Shapiro-Wilk's W-value (0 to 1) that measures normal distribution in which small values lead !!\r\n"
          "!!  to the rejection of the null hypothesis of normality !!\r\nSW's W-value for normality for X"},
         {gofClosing + "\r\n\r\nObserved values (Y):\r\n",
          "\r\n\r\nEmpiriral Distribution Function for Normality\r\n" + QString(45, '=') + "\r\nPredicted values (X):\r\n"
              "Goodness-of-Fit Analyses (Davis and Stephens, 1989)\r\n" + QString(51, '-') + "\r\n"},
         {"==\r\nSW's W-value for normality for X (P-value < W) : "}},
        {"diverse measures", diverse,
         {"\r\n!! .MEF is modeling efficiency; closer to one better it is !!\r\n"
          "!! .CD is the coefficient of model determinantion; closer to one better it is !!\r\n",
          "    0.50000 !! Model underprediction !! (Cochran and Cox, 1954)\r\n"},
         {"\r\nH0: MB = 0, T-value (paired diff.) : ", "\r\n\r\nMean Absolute Error |Y - X| (MAE)  : "},
         {"(MB)             :    0.50000 (Cochran and Cox, 1954)\r\n"}},
        {"concordance", concordance,
         {" !! Model underprediction !!\r\nBias correction (Cb) : ", transformation + "Transformed rc ± SE rc  ",
          transformation + "Transformed Gr ± SE Gr  "},
         {"\r\nLin (1998)\r\n----------\r\nScale shift (v)      : ",
          "\r\n\r\nIntraclass Correlation Coefficient (ICC)\r\n" + QString(40, '-') + "\r\nrc : ",
          "\r\n\r\nLiao (2003)\r\n-----------\r\nAr (~ Cb)              : "},
         {"]\r\nTransformed rc ± SE rc              : ", "]\r\nTransformed Gr ± SE Gr              : "}},
        {"rank", ranks,
         {"\r\n!! .Spearman's r is a nonparametric coefficient of correlation that measures the rank of the data values !!\r\n"
          "!! .D is the sum squared difference of ranks !!\r\n"
          "!! .Kendall's Tau is a nonparametric coefficient of correlation that measures the association based on !!\r\n"
          "!!  the number of concordances and discordances in paired observations !!\r\n"
          "!! .KS is the Kolmogorov-Smirnov test that measures if X and Y have the same distribution !!\r\n\r\nSpearman's r : "},
         {"\r\nMann-Whitney : "},
         {"(Agresti, 1996, 2002)\r\n" + QString(52, '=') + "\r\nSpearman's r : "}},
    };
    for (const Case& c : cases) {
        for (bool comments : {true, false}) {
            const QString text = report(underpredicted, [&](EvaluationSettings& s) {
                c.tick(s);
                s.comments = comments;
            });
            for (const QString& snippet : c.onlyWithComments)
                EXPECT_EQ(text.contains(snippet), comments) << c.section << ": " << snippet.toStdString();
            for (const QString& snippet : c.onlyWithout)
                EXPECT_EQ(text.contains(snippet), !comments) << c.section << ": " << snippet.toStdString();
            for (const QString& snippet : c.always)
                EXPECT_TRUE(text.contains(snippet)) << c.section << ": " << snippet.toStdString();
        }
    }
    // The goodness-of-fit blocks close the section without a line break:
    // with nothing after it the report ends on the closing line.
    const QString text = report(underpredicted, distribution);
    EXPECT_TRUE(text.endsWith(gofClosing)) << text.right(80).toStdString();
    EXPECT_EQ(text.count(gofClosing), 2);
}

TEST(MeasureSections, SignOfTheBias)
{
    // The mean bias Y - X and Lin's location shift share their sign; zero
    // counts as overprediction.
    struct Case {
        std::vector<Row> rows;
        const char* mb;
        const char* comment;
    };
    const Case cases[] = {
        {underpredicted, "    0.50000", " !! Model underprediction !!"},
        {{{"1.5", "1"}, {"2.1", "2"}, {"3.9", "3"}, {"4.2", "4"}, {"5.8", "5"}}, "   -0.50000", " !! Model overprediction !!"},
        {{{"1", "2"}, {"2", "1"}, {"3", "4"}, {"4", "3"}}, "    0.00000", " !! Model overprediction !!"},
    };
    for (const Case& c : cases) {
        const QString text = report(c.rows, [](EvaluationSettings& s) {
            diverse(s);
            concordance(s);
        });
        EXPECT_EQ(lineOf(text, "Mean Bias (Y - X)").toStdString(),
                  (QStringLiteral("Mean Bias (Y - X) (MB)             :") + c.mb + c.comment + " (Cochran and Cox, 1954)")
                      .toStdString());
        EXPECT_TRUE(lineOf(text, "Location shift (u)").endsWith(QLatin1String(c.comment))) << c.mb;
    }
}

TEST(MeasureSections, MannWhitneyCorrectsTowardsZeroEitherWay)
{
    // X = 4, 5, 6 against Y = 1, 2, 3 and the other way round: the same
    // z = 4 / sqrt(5.25) = 1.74574 and p, R's wilcox.test(c(4, 5, 6),
    // c(1, 2, 3), alternative = "greater", correct = TRUE,
    // exact = FALSE)$p.value = 0.0404278; D changes its sign only.
    const std::vector<Row> higherX = {{"4", "1"}, {"5", "2"}, {"6", "3"}};
    const std::vector<Row> higherY = {{"1", "4"}, {"2", "5"}, {"3", "6"}};
    EXPECT_EQ(lineOf(report(higherX, ranks), "Mann-Whitney :"),
              QStringLiteral("Mann-Whitney :   -4.00000     H0: WD = 0, Z-value (1-sided P-value) :    1.74574 (   0.04043)"));
    EXPECT_EQ(lineOf(report(higherY, ranks), "Mann-Whitney :"),
              QStringLiteral("Mann-Whitney :    4.00000     H0: WD = 0, Z-value (1-sided P-value) :    1.74574 (   0.04043)"));
}

TEST(MeasureSections, SwappedLabelsAndZeroOrNegativeMeans)
{
    // Mean bias and MAE as a percentage of each mean; a zero mean gets the
    // notice instead, a negative one its percentage. "Swap" exchanges the
    // words "Predicted" and "Observed".
    struct Case {
        std::vector<Row> rows;
        bool swapped;
        std::array<const char*, 4> lines;   // Mean Bias % of X, % of Y, MAE % of X, % of Y
    };
    const std::vector<Row> zeroX = {{"-1", "1"}, {"1", "2"}, {"2", "3"}, {"-2", "4"}};   // mb = MAE = 2.5, MeanY 2.5
    const std::vector<Row> zeroY = {{"1", "-1"}, {"2", "1"}, {"3", "2"}, {"4", "-2"}};   // mb = MAE = -2.5 / 2.5, MeanX 2.5
    const std::vector<Row> negative = {{"-1", "-2"}, {"-2", "-2"}, {"-3", "-4"}};       // mb -2/3, MAE 2/3, means -2, -8/3
    const Case cases[] = {
        {zeroX, false,
         {"Mean Bias, % of X (Predicted)      : !! Mean X is Zero !!", "Mean Bias, % of Y (Observed)       :  100.00000",
          "MAE, % of X (Predicted)            : !! Mean X is Zero !!", "MAE, % of Y (Observed)             :  100.00000"}},
        {zeroX, true,
         {"Mean Bias, % of X (Observed)       : !! Mean X is Zero !!", "Mean Bias, % of Y (Predicted)      :  100.00000",
          "MAE, % of X (Observed)             : !! Mean X is Zero !!", "MAE, % of Y (Predicted)            :  100.00000"}},
        {zeroY, false,
         {"Mean Bias, % of X (Predicted)      : -100.00000", "Mean Bias, % of Y (Observed)       : !! Mean Y is Zero !!",
          "MAE, % of X (Predicted)            :  100.00000", "MAE, % of Y (Observed)             : !! Mean Y is Zero !!"}},
        {zeroY, true,
         {"Mean Bias, % of X (Observed)       : -100.00000", "Mean Bias, % of Y (Predicted)      : !! Mean Y is Zero !!",
          "MAE, % of X (Observed)             :  100.00000", "MAE, % of Y (Predicted)            : !! Mean Y is Zero !!"}},
        {negative, false,
         {"Mean Bias, % of X (Predicted)      :   33.33333", "Mean Bias, % of Y (Observed)       :   25.00000",
          "MAE, % of X (Predicted)            :  -33.33333", "MAE, % of Y (Observed)             :  -25.00000"}},
    };
    for (const Case& c : cases) {
        const QString text = report(c.rows, [&](EvaluationSettings& s) {
            diverse(s);
            s.sheet.swapped = c.swapped;
        });
        QStringList lines = text.split(QStringLiteral("\r\n"));
        const qsizetype mb = lines.indexOf(lineOf(text, "Mean Bias (Y - X)"));
        const qsizetype mae = lines.indexOf(lineOf(text, "Mean Absolute Error"));
        ASSERT_GT(mb, 0);
        ASSERT_GT(mae, 0);
        EXPECT_EQ(lines.mid(mb + 1, 2), QStringList({c.lines[0], c.lines[1]}));
        EXPECT_EQ(lines.mid(mae + 1, 2), QStringList({c.lines[2], c.lines[3]}));
    }
    // The index section has no ratio of the means when the observed mean is 0.
    EXPECT_TRUE(report(zeroX, ratioIndex).contains(QStringLiteral("\r\nAve(X)/Ave(Y):  ")));
    const QString noRatio = report(zeroY, ratioIndex);
    EXPECT_FALSE(noRatio.contains(QStringLiteral("Ave(X)/Ave(Y)")));
    EXPECT_TRUE(noRatio.contains(QStringLiteral("==============\r\nAve(X/Y)     : ")));
}

TEST(MeasureSections, RatioIndex)
{
    struct Case {
        const char* what;
        std::vector<Row> rows;
        std::vector<QString> lines;
    };
    // Ratios 1, 2, 3: mean 2, SD 1, t = 2 sqrt 3 against 0 and sqrt 3
    // against 1 with 1 degree of freedom, whose two-sided P is
    // 1 - 2/pi atan|t|: 0.17888 and exactly 1/3.
    const double p0 = 1 - 2 / std::numbers::pi * std::atan(2 * std::sqrt(3.0));
    const Case cases[] = {
        {"three rows", {{"1", "1"}, {"4", "2"}, {"9", "3"}},
         {"Ave(X)/Ave(Y):    2.33333", "Ave(X/Y)     :    2.00000", "SD(X/Y)      :    1.00000",
          QStringLiteral("P(Ratio = 0) :    %1").arg(p0, 0, 'f', 5), "P(Ratio = 1) :    0.33333"}},
        // A row with Y = 0 stays in with ratio 0: ratios 0, 2, 4.
        {"zero observed", {{"5", "0"}, {"2", "1"}, {"8", "2"}},
         {"Ave(X/Y)     :    2.00000", "SD(X/Y)      :    2.00000"}},
        // All ratios equal: no spread; both limits are the mean, and the
        // tests are certain (a mean ratio of 2 is neither 0 nor 1). Ratios
        // of decimals (0.3 / 0.1 is 2.9999999999999996) are equal within
        // rounding and give the same; a mean ratio of 1 leaves 0 / 0.
        {"equal ratios", {{"2", "1"}, {"4", "2"}, {"6", "3"}, {"-8", "-4"}},
         {"SD(X/Y)      :    0.00000", "CI (P=0.05)  : [   2.00000,   2.00000]", "CI (P=0.10)  : [   2.00000,   2.00000]",
          "P(Ratio = 0) :    0.00000", "P(Ratio = 1) :    0.00000"}},
        {"equal ratios, decimals", {{"0.3", "0.1"}, {"0.6", "0.2"}, {"2.1", "0.7"}, {"-1.2", "-0.4"}},
         {"SD(X/Y)      :    0.00000", "CI (P=0.05)  : [   3.00000,   3.00000]", "P(Ratio = 0) :    0.00000",
          "P(Ratio = 1) :    0.00000"}},
        {"ratios of 1", {{"0.3", "0.3"}, {"0.7", "0.7"}, {"2.1", "2.1"}},
         {"SD(X/Y)      :    0.00000", "P(Ratio = 0) :    0.00000", "P(Ratio = 1) :        n/a"}},
    };
    for (const Case& c : cases) {
        const QString text = report(c.rows, ratioIndex);
        for (const QString& l : c.lines)
            EXPECT_TRUE(text.contains(QStringLiteral("\r\n") + l + QStringLiteral("\r\n"))) << c.what << ": " << l.toStdString();
    }
    // The interval's limits are not trimmed and the lower one comes first.
    const QString ci = lineOf(report(underpredicted, ratioIndex), "CI (P=0.05)");
    ASSERT_EQ(ci.size(), 16 + 10 + 1 + 10 + 1);
    EXPECT_LT(ci.mid(16, 10).toDouble(), ci.mid(27, 10).toDouble());
}

TEST(MeasureSections, DegenerateConcordancePrintsNotAvailable)
{
    // Identical X and Y: rc = Gr = 1 with no standard error. The Fisher-z
    // rows of rc and of Gr are not written by the library and print "n/a",
    // not zeros with P 0.00001; the tests of rc = 0 and Gr = 0 are certain
    // (z infinite, printed "n/a", P the lowest), not the library's z of 0
    // with P 1. Decimals, whose sums carry rounding, give the same.
    for (const std::vector<Row>& same : {std::vector<Row>{{"1", "1"}, {"2", "2"}, {"3", "3"}, {"5", "5"}},
                                         std::vector<Row>{{"0.1", "0.1"}, {"0.2", "0.2"}, {"0.3", "0.3"}, {"0.7", "0.7"}}}) {
        const QString text = report(same, [](EvaluationSettings& s) {
            concordance(s);
            generalized(s);
        });
        const QString none = QStringLiteral("       n/a");
        for (const auto& [label, rest] : std::vector<std::pair<QString, QString>>{
                 {"rc ± SE rc           : ", "   1.00000 ±    0.00000"},
                 {"Z-value (P-Value)    : ", none + " (   0.00001 )"},
                 {"Lower - Upper 95% CI : ", "[1.00000, 1.00000]"},
                 {"Transformed rc ± SE rc              : ", none + " ± " + none},
                 {"Transformed Z-value (P-Value)       : ", none + " (" + none + " )"},
                 {"Transformed Lower - Upper 95% CI    : ", "[n/a, n/a]"},
                 {"Un-transformed Lower - Upper 95% CI : ", "[n/a, n/a]"},
                 {"Gr ± SE Gr (~ rc)      : ", "   1.00000 ±    0.00000"},
                 {"Z-value (P-Value)      : ", none + " (   0.00001 )"},
                 {"Lower - Upper 95% CI   : ", "[1.00000, 1.00000]"},
                 {"Transformed Gr ± SE Gr              : ", none + " ± " + none},
             })
            EXPECT_TRUE(text.contains(QStringLiteral("\r\n") + label + rest + QStringLiteral("\r\n"))) << label.toStdString();
        EXPECT_EQ(text.count(QStringLiteral("\r\nUn-transformed Lower - Upper 95% CI : [n/a, n/a]\r\n")), 2);

        // The generalized block: its own heading form and always seven rows.
        const qsizetype at = text.indexOf(QStringLiteral("\r\n\r\nGENERALIZED CONCORDANCE CORRELATION COEFFICIENT"));
        ASSERT_GE(at, 0);
        const QStringList block = text.mid(at + 4).split(QStringLiteral("\r\n"));
        ASSERT_GE(block.size(), 13);
        EXPECT_EQ(block[1], QString(78, '='));
        EXPECT_EQ(block[2], QString());
        EXPECT_EQ(block[3].size(), 89);
        EXPECT_EQ(block[4], QString(89, '-'));
        const char* const labels[] = {"SQUARED distance", "ABSOLUTE distance", "ABSOLUTE distance to POWER 1.5",
                                      "Winsorized Squared distance", "Winsorized Absolute distance",
                                      "Winsorized Absolute distance to POWER 1.5", "Huber function"};
        // Perfect agreement: every rg is 1 with no spread and its interval is
        // [1, 1], whatever the rounding of the distances leaves (rg exactly 1,
        // whose Fisher z is infinite, or just below it).
        for (int k = 0; k < 7; ++k)
            EXPECT_EQ(block[5 + k],
                      QString::fromLatin1(labels[k]).leftJustified(43) + "   1.00000 ±    0.00000   [1.00000, 1.00000]");
        EXPECT_EQ(block[12], QString(89, '-'));
    }
}

TEST(MeasureSections, GoodnessOfFitBlock)
{
    struct Case {
        const char* what;
        std::vector<double> w;       // 1..n
        bool adjusted;
        int notComputed;             // statistic lines printing "n/a"
    };
    std::vector<double> large{0};
    for (int i = 1; i <= 5001; ++i)
        large.push_back(std::fmod(i * 0.7548776662466927, 1.0) + std::fmod(i * 0.5698402909980532, 1.0));
    const Case cases[] = {
        {"plain", {0, 2.1, 3.7, 3.9, 5.2, 4.4, 1.8}, false, 0},
        {"adjusted", {0, 2.1, 3.7, 3.9, 5.2, 4.4, 1.8}, true, 0},
        // Shapiro-Wilk's fault 2 (more than 5000 values) still gives W and P.
        {"5001 values", large, false, 0},
        // Two values: neither test can be made.
        {"two values", {0, 1, 2}, false, 6},
        // No spread: the EDF statistics and W are not computed.
        {"constant", {0, 4, 4, 4, 4}, false, 6},
        {"constant, decimals", {0, 5.6, 5.6, 5.6, 5.6, 5.6}, false, 6},
    };
    for (const Case& c : cases) {
        const QString t = NormalityTest(sumtrix(), SumtrixLib::BoundedArray<double>(0, std::vector<double>(c.w)), static_cast<std::int32_t>(c.w.size()) - 1, 2, c.adjusted);
        const QStringList lines = t.split(QStringLiteral("\r\n"));
        ASSERT_EQ(lines.size(), 10) << c.what;
        EXPECT_EQ(lines[0], QStringLiteral("Goodness-of-Fit Analyses (Davis and Stephens, 1989)"));
        EXPECT_EQ(lines[1], QString(51, '-'));
        EXPECT_EQ(lines[8], QStringLiteral("-----"));
        EXPECT_EQ(lines[9], c.adjusted ? QStringLiteral("!! These calculations were adjusted for Normal distribution !!")
                                       : QStringLiteral("!! These calculations were not adjusted for Normal distribution !!"));
        int na = 0;
        for (int i = 2; i < 8; ++i) {
            EXPECT_EQ(lines[i].indexOf(QStringLiteral(": ")), 33) << c.what << ": " << lines[i].toStdString();
            na += lines[i].contains(QStringLiteral("       n/a"));
        }
        EXPECT_EQ(na, c.notComputed) << c.what << "\n" << t.toStdString();
    }
}

TEST(MeasureSections, HundredThousandRowsGiveEveryLine)
{
    // Every line is there. Numbers too wide for ten characters with their
    // places keep the places that fit (N-value = 50000.0000, the
    // Mann-Whitney D = 89973265.5); only D of the ranks, some 1e13, does
    // not fit even without places and prints "n/a".
    QLocale::setDefault(QLocale::c());
    const int n = 100000;
    DataMatrix m(n + 1);
    for (int r = 1; r <= n; ++r) {
        const double x = std::fmod(r * 0.7548776662466927, 1.0) * 10;
        m.setNumber(DataMatrix::ColX, r, x);
        m.setNumber(DataMatrix::ColY, r, x + std::fmod(r * 0.5698402909980532, 1.0) * 4 - 1.9);
    }
    const EvaluationOutcome out = run(m, [](EvaluationSettings& s) {
        s.comments = false;
        EvaluationSettings::Sections& c = s.sections;
        c.distribution = c.moments = c.robustStatistics = c.diverseMeasures = c.index = c.concordance = c.rank = true;
    });
    ASSERT_TRUE(out.ran);
    const QStringList tooWide = {"D            :"};
    int lines = 0;
    for (const char* label :
         {"SW's W-value for normality for X", "SW's W-value for normality for Y", "Kolmogorov-Smirnov's D", "Kuiper's V",
          "Cramér-von Mises's W2", "Watson's U2", "Anderson-Darling's A2", "Shapiro-Wilk's W statistic", "X Abs Mean",
          "X Kurtosis", "X - Y Mean", "Covariance", "X Sn", "X Qn", "Mean Bias (Y - X)", "H0: VarY = VarX",
          "H0: MB = 0, T-value (same var.)", "H0: MB = 0, T-value (paired diff.)", "MA%E", "Maximum error",
          "Ave(X)/Ave(Y)", "CI (P=0.10)", "P(Ratio = 1)", "Scale shift (v)", "rc ± SE rc", "Transformed rc ± SE rc",
          "Un-transformed Lower - Upper 95% CI", "rc : ", "Gr ± SE Gr", "Spearman's r", "D            :", "Tau ",
          "KS           :", "Mann-Whitney :"}) {
        for (const QString& l : out.report.split(QStringLiteral("\r\n"))) {
            if (!l.startsWith(QString::fromUtf8(label)))
                continue;
            ++lines;
            const bool wide = tooWide.contains(QString::fromUtf8(label));
            EXPECT_EQ(l.contains(QStringLiteral("n/a")), wide) << l.toStdString();
            if (label == std::string_view("KS           :")) {
                EXPECT_TRUE(l.contains(QStringLiteral(": 50000.0000 ("))) << l.toStdString();
            }
            if (label == std::string_view("Mann-Whitney :")) {
                EXPECT_TRUE(l.startsWith(QStringLiteral("Mann-Whitney : 89973265.5 "))) << l.toStdString();
            }
        }
    }
    EXPECT_EQ(lines, 41);   // the goodness-of-fit and Un-transformed lines twice
}

TEST(MeasureSections, RanksAreWrittenBack)
{
    // Rows 1, 3 and 5 are used; row 2 is excluded and row 4 has no X, both
    // before the last used row: "."; row 6 (excluded) and row 7 come after
    // it and keep what they held. X ties in rows 1 and 5: mid-ranks.
    struct Case {
        bool invertX, invertY;
        std::array<const char*, 3> rankX, rankY;   // rows 1, 3, 5
    };
    const Case cases[] = {
        {false, false, {"1.5", "3", "1.5"}, {"2", "1", "3"}},
        {true, false, {"2.5", "1", "2.5"}, {"2", "1", "3"}},
        {false, true, {"1.5", "3", "1.5"}, {"2", "3", "1"}},
        {true, true, {"2.5", "1", "2.5"}, {"2", "3", "1"}},
    };
    for (const Case& c : cases) {
        DataMatrix m = sheet({{"2", "3"}, {"9", "9", "Y"}, {"5", "1"}, {"", "4"}, {"2", "7"}, {"1", "1", "y"}, {"", ""}});
        for (int r = 1; r <= 7; ++r)
            for (int col : {int(DataMatrix::ColRankX), int(DataMatrix::ColRankY)})
                m.setText(col, r, QStringLiteral("old"));
        const EvaluationOutcome out = run(m, [&](EvaluationSettings& s) {
            ranks(s);
            s.sheet.invertRanksX = c.invertX;
            s.sheet.invertRanksY = c.invertY;
        });
        ASSERT_TRUE(out.ran);
        const QString expected[7][2] = {{c.rankX[0], c.rankY[0]}, {".", "."}, {c.rankX[1], c.rankY[1]}, {".", "."},
                                        {c.rankX[2], c.rankY[2]}, {"old", "old"}, {"old", "old"}};
        for (int r = 1; r <= 7; ++r) {
            EXPECT_EQ(m.cell(DataMatrix::ColRankX, r).toDisplayString(), expected[r - 1][0]) << "row " << r;
            EXPECT_EQ(m.cell(DataMatrix::ColRankY, r).toDisplayString(), expected[r - 1][1]) << "row " << r;
        }
        // A rank is a number in the dataset, the mark a text.
        EXPECT_TRUE(m.cell(DataMatrix::ColRankX, 1).isNumber());
        EXPECT_TRUE(m.cell(DataMatrix::ColRankX, 2).isText());
        // The sheet is asked to show rows 1..5 again, before the report.
        const auto shown = std::find_if(out.requests.begin(), out.requests.end(), [](const RunRequest& r) {
            return std::holds_alternative<RunRequests::ShowRanks>(r);
        });
        ASSERT_NE(shown, out.requests.end());
        EXPECT_EQ(std::get<RunRequests::ShowRanks>(*shown).lastRow, 5);
        EXPECT_TRUE(std::holds_alternative<RunRequests::ShowReport>(out.requests.last()));
    }
    // Without the rank analysis nothing is written.
    DataMatrix m = sheet({{"2", "3"}, {"5", "1"}, {"2", "7"}});
    m.setText(DataMatrix::ColRankX, 1, QStringLiteral("old"));
    const EvaluationOutcome out = run(m, [](EvaluationSettings&) {});
    EXPECT_EQ(m.cell(DataMatrix::ColRankX, 1).toDisplayString(), QStringLiteral("old"));
    EXPECT_EQ(m.cell(DataMatrix::ColRankY, 2).toDisplayString(), QString());
    EXPECT_EQ(out.requests.size(), 1);
}

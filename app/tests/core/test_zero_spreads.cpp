// Degenerate data decided by their values, not by rounding. Constant
// predictions or observations, points on an exact line and a constant bias
// give, written with decimals, the report that their whole-number twins
// give (whose sums come out exact); a test whose spread is zero is decided
// by its difference alone, never "P = 1"; small but real spreads keep
// their numbers. The cases, and R's statistics of the twins and of the
// real spreads, come from tools/oracles/zero_spreads.R.
#include <QRegularExpression>

#include <cmath>
#include <string>
#include <vector>

#include "section_run.hpp"

using namespace sectiontest;

namespace {

struct DegenerateCase {
    const char* name;
    std::vector<const char*> x, y, wholeX, wholeY;
    std::vector<double> twin;   // r, sd of Y - X, paired t and P
};
struct RealSpreadCase {
    const char* name;
    std::vector<const char*> x, y;
    std::vector<double> r;   // r, t of r = 0, slope, paired t
};
#include "reference/zero_spread_cases.inc"

// X and Y from texts, with both SDs `sd` (the weighted fit reads them).
DataMatrix sheetOf(const std::vector<const char*>& x, const std::vector<const char*>& y, const char* sd)
{
    DataMatrix m(static_cast<int>(x.size()) + 1);
    for (std::size_t i = 0; i < x.size(); ++i) {
        const int r = static_cast<int>(i) + 1;
        m.setText(DataMatrix::ColX, r, QString::fromLatin1(x[i]));
        m.setText(DataMatrix::ColY, r, QString::fromLatin1(y[i]));
        m.setText(DataMatrix::ColSDX, r, QString::fromLatin1(sd));
        m.setText(DataMatrix::ColSDY, r, QString::fromLatin1(sd));
    }
    return m;
}

// Every section and residue column, but the threshold tables (their
// thresholds do not scale with the data) and the bootstrap (random
// sub-samples).
Tick everything(RegressionMethod method)
{
    return [method](EvaluationSettings& s) {
        s.method = method;
        auto& t = s.sections;
        for (bool* on : {&t.parameterTests, &t.olsSls, &t.distribution, &t.moments, &t.robustStatistics,
                         &t.diverseMeasures, &t.index, &t.concordance, &t.generalizedCcc, &t.rank, &t.balance,
                         &t.orthogonalBalance, &t.msep, &t.kleijnen, &t.blandAltman, &t.distance,
                         &t.weighedDeviance, &t.deviation, &t.residual, &t.residueRegression})
            *on = true;
        s.residueColumns.fill(true);
    };
}

// The report's lines with every number replaced by "#" and runs of blanks
// by one (numbers of other sizes take other room): which lines there are
// and what in them prints "n/a".
QStringList shapeOf(const QString& report)
{
    static const QRegularExpression number(QStringLiteral("-?\\d+(\\.\\d+)?(e[-+]?\\d+)?"));
    static const QRegularExpression sign(QStringLiteral("!! Model (under|over)prediction !!"));
    static const QRegularExpression blanks(QStringLiteral(" +"));
    QStringList lines = report.split(QStringLiteral("\r\n"));
    for (QString& l : lines)
        l = l.replace(number, QStringLiteral("#"))
                .replace(sign, QStringLiteral("!! Model ?prediction !!"))
                .replace(blanks, QStringLiteral(" "));
    return lines;
}

// The first line where two reports differ in shape, or "" when none does.
std::string firstDifference(const QString& a, const QString& b)
{
    const QStringList sa = shapeOf(a), sb = shapeOf(b);
    const QStringList la = a.split(QStringLiteral("\r\n")), lb = b.split(QStringLiteral("\r\n"));
    for (qsizetype i = 0; i < std::max(sa.size(), sb.size()); ++i)
        if (sa.value(i) != sb.value(i))
            return "line " + std::to_string(i + 1) + ":\n  " + la.value(i).toStdString() + "\n  "
                   + lb.value(i).toStdString();
    return {};
}

// The report and, after it, the text of every side window of the run (the
// deviation analysis's intervals).
QString reportOf(DataMatrix m, const Tick& tick)
{
    const EvaluationOutcome out = run(m, tick);
    QString text = out.report;
    for (const RunRequest& r : out.requests)
        if (const auto* side = std::get_if<RunRequests::ShowSideWindow>(&r))
            text += side->text;
    return text;
}

} // namespace

TEST(ZeroSpreads, DecimalsGiveTheReportOfTheirWholeNumberTwins)
{
    // Under each method, every line of the report prints "n/a" where the
    // twin's does, and numbers where it does.
    for (const DegenerateCase& c : kDegenerateCases) {
        for (RegressionMethod method : {RegressionMethod::LeastSquares, RegressionMethod::WeightedLeastSquares,
                                        RegressionMethod::LeastAbsoluteDeviation}) {
            const QString decimals = reportOf(sheetOf(c.x, c.y, "0.50"), everything(method));
            const QString whole = reportOf(sheetOf(c.wholeX, c.wholeY, "50"), everything(method));
            EXPECT_EQ(firstDifference(whole, decimals), "") << c.name << ", method " << static_cast<int>(method);
        }
        // What R says of the twin: no r for a column without spread, and
        // the paired test of a constant bias decided (P 0) or 0 / 0.
        const QString decimals = reportOf(sheetOf(c.x, c.y, "0.50"), everything(RegressionMethod::LeastSquares));
        EXPECT_EQ(lineOf(decimals, "N               :").endsWith(QStringLiteral("r                   :        n/a")),
                  std::isnan(c.twin[0]))
            << c.name;
        const QString paired = lineOf(decimals, "H0: MB = 0, T-value (paired diff.) :");
        if (std::isnan(c.twin[3]))
            EXPECT_TRUE(paired.endsWith(QStringLiteral("n/a (P =       n/a)"))) << c.name << ": " << paired.toStdString();
        else if (c.twin[3] == 0)
            EXPECT_TRUE(paired.endsWith(QStringLiteral("n/a (P =   0.00001)"))) << c.name << ": " << paired.toStdString();
        else
            EXPECT_FALSE(paired.contains(QStringLiteral("n/a"))) << c.name << ": " << paired.toStdString();
    }
}

TEST(ZeroSpreads, SmallRealSpreadsKeepTheirNumbers)
{
    // Values near 1e-13 that spread by about 1e-15, and near 1e9 by about
    // 1e-3: their statistics are R's. At 1e9 the library's sums of squares
    // about the mean carry rounding of about n u 1e9 against deviations of
    // 1e-3 (a relative 2e-6, times the condition of r), so r and the slope
    // agree with R to 1e-5 there; near 1e-13 to the printed digits.
    for (const RealSpreadCase& c : kRealSpreadCases) {
        const QString report = reportOf(sheetOf(c.x, c.y, ""), [](EvaluationSettings& s) {
            s.sections.parameterTests = true;
            s.sections.olsSls = true;
            s.sections.diverseMeasures = true;
            s.sections.concordance = true;
            s.sections.deviation = true;
            s.sections.residual = true;
            s.sections.residueRegression = true;
        });
        const bool far = std::string(c.name).find("1e9") != std::string::npos;
        const double tolerance = far ? 1e-5 : 6e-6;
        const auto value = [&](const char* label, int from) {
            return lineOf(report, QString::fromUtf8(label)).mid(from, 10).toDouble();
        };
        EXPECT_NEAR(value("N               :", 60), c.r[0], tolerance) << c.name;
        EXPECT_NEAR(value("Estimate b ± SD :", 18), c.r[2], tolerance) << c.name;
        EXPECT_NEAR(value("H0: MB = 0, T-value (paired diff.) :", 37), c.r[3], tolerance * 10) << c.name;
        EXPECT_NEAR(value("H0: r = 0", 40), c.r[1], 1e3 * tolerance) << c.name;
        for (const char* label : {"H0: a = 0            T-value", "H0: b = 0            T-value",
                                  "H0: b = 1            T-value", "OLS (Y/X)/Vertical LS", "rc ± SE rc",
                                  "SW's W-value for normality for Residue", "Mean deviation"})
            EXPECT_FALSE(lineOf(report, QString::fromUtf8(label)).isEmpty()) << c.name << ": " << label;
        for (const char* label : {"H0: r = 0", "H0: b = 1            T-value", "H0: MB = 0, T-value (paired w/cov.)",
                                  "rc ± SE rc", "SW's W-value for normality for Residue", "Mean deviation"})
            EXPECT_FALSE(lineOf(report, QString::fromUtf8(label)).contains(QStringLiteral("n/a")))
                << c.name << ": " << lineOf(report, QString::fromUtf8(label)).toStdString();
        EXPECT_FALSE(lineOf(report, "OLS (Y/X)/Vertical LS").endsWith(QStringLiteral("(    n/a)"))) << c.name;
    }
}

TEST(ZeroSpreads, CertainDifferencesAreDecided)
{
    // A test whose spread is zero: a difference that is not zero is
    // certain (the statistic prints "n/a" as an infinite t does, and P the
    // lowest: 2 pt(-|d / 0|, df) = 0 in R), one that is zero leaves 0 / 0
    // (n/a, n/a). Decimals that carry rounding decide alike.
    struct Case {
        const char* what;
        std::vector<Row> rows;
        Tick tick;
        const char* line;
    };
    const std::vector<Row> biasOne = {{"2", "1"}, {"3", "2"}, {"5", "4"}, {"8", "7"}};
    const std::vector<Row> biasTenth = {{"0.2", "0.1"}, {"0.3", "0.2"}, {"0.5", "0.4"}, {"0.8", "0.7"}};
    const std::vector<Row> same = {{"1", "1"}, {"2", "2"}, {"4", "4"}, {"7", "7"}};
    const std::vector<Row> sameDecimals = {{"0.1", "0.1"}, {"0.3", "0.3"}, {"0.7", "0.7"}, {"1.3", "1.3"}};
    const std::vector<Row> twice = {{"1", "2"}, {"2", "4"}, {"4", "8"}, {"7", "14"}};
    const std::vector<Row> twiceDecimals = {{"0.1", "0.2"}, {"0.3", "0.6"}, {"0.7", "1.4"}, {"1.1", "2.2"}};
    const std::vector<Row> flatX = {{"5.60", "1.2"}, {"5.60", "3.4"}, {"5.60", "2.2"}, {"5.60", "4.1"}};
    const std::vector<Row> bothFlat = {{"5.60", "3.30"}, {"5.60", "3.30"}, {"5.60", "3.30"}, {"5.60", "3.30"}};
    const std::vector<Row> bothSame = {{"5.60", "5.60"}, {"5.60", "5.60"}, {"5.60", "5.60"}, {"5.60", "5.60"}};
    const Tick diverse = [](EvaluationSettings& s) { s.sections.diverseMeasures = true; };
    const Tick parameters = [](EvaluationSettings& s) { s.sections.parameterTests = true; };
    const Tick ols = [](EvaluationSettings& s) { s.sections.olsSls = true; };
    const Tick kleijnen = [](EvaluationSettings& s) { s.sections.kleijnen = true; };
    const Tick deviation = [](EvaluationSettings& s) { s.sections.deviation = true; };
    const Tick index = [](EvaluationSettings& s) { s.sections.index = true; };
    const Tick concordance = [](EvaluationSettings& s) { s.sections.concordance = true; };
    const Case cases[] = {
        {"bias 1", biasOne, diverse, "H0: MB = 0, T-value (paired w/cov.):        n/a (P =   0.00001)"},
        {"bias 1", biasOne, diverse, "H0: MB = 0, T-value (paired diff.) :        n/a (P =   0.00001)"},
        {"bias 0.1", biasTenth, diverse, "H0: MB = 0, T-value (paired diff.) :        n/a (P =   0.00001)"},
        {"no bias", same, diverse, "H0: MB = 0, T-value (paired diff.) :        n/a (P =       n/a)"},
        {"no bias, decimals", sameDecimals, diverse, "H0: MB = 0, T-value (paired w/cov.):        n/a (P =       n/a)"},
        {"constant X", flatX, diverse, "H0: VarY = VarX, F-value           :        n/a (P =   0.00001)"},
        {"both constant", bothFlat, diverse, "H0: VarY = VarX, F-value           :        n/a (P =       n/a)"},
        {"both constant", bothFlat, diverse, "H0: MB = 0, T-value (same var.)    :        n/a (P =   0.00001)"},
        {"both constant, equal", bothSame, diverse, "H0: MB = 0, T-value (diff. var.)   :        n/a (P =       n/a)"},
        {"bias 1", biasOne, ols,
         "OLS (Y/X)/Vertical LS    :   -1.00000 ±    0.00000 (0.00001)        1.00000 ±    0.00000 (    n/a)"},
        {"bias 0.1", biasTenth, ols,
         "Reduced Major Axis       :   -0.10000 ±    0.00000 (0.00001)        1.00000 ±    0.00000 (    n/a)"},
        {"Y = 2 X", twice, ols,
         "OLS Bisector             :    0.00000 ±    0.00000 (    n/a)        2.00000 ±    0.00000 (0.00001)"},
        {"Y = 2 X, decimals", twiceDecimals, ols,
         "Mean OLS (Y/X and X/Y)   :    0.00000 ±    0.00000 (    n/a)        2.00000 ±    0.00000 (0.00001)"},
        {"bias 1", biasOne, parameters, "H0: a = 0 & b = 1    F-value (P-value):        n/a (0.00001) (Mayer et al., 1994)"},
        {"no bias", same, parameters, "H0: a = 0 & b = 1    F-value (P-value):        n/a (    n/a) (Mayer et al., 1994)"},
        {"bias 0.1", biasTenth, kleijnen, "H0: ß0 = 0 & ß1 = 0, F-value (P-value) :        n/a (0.00001)"},
        {"bias 0.1", biasTenth, kleijnen, "!! Stringent assumption of identical mean failed !!"},
        {"no bias, decimals", sameDecimals, kleijnen, "H0: ß0 = 0 & ß1 = 0, F-value (P-value) :        n/a (    n/a)"},
        {"bias 1", biasOne, deviation, "Mean deviation                   :    1.00000 (P = 0.00001)"},
        {"no bias", same, deviation, "Mean deviation                   :    0.00000 (P =     n/a)"},
        {"Y = 2 X, decimals", twiceDecimals, index, "P(Ratio = 0) :    0.00000"},
        {"Y = 2 X, decimals", twiceDecimals, index, "P(Ratio = 1) :    0.00000"},
        {"no bias, decimals", sameDecimals, index, "P(Ratio = 1) :        n/a"},
        {"no bias, decimals", sameDecimals, concordance, "Z-value (P-Value)    :        n/a (   0.00001 )"},
        {"no bias, decimals", sameDecimals, concordance, "Z-value (P-Value)      :        n/a (   0.00001 )"},
    };
    for (const Case& c : cases) {
        const QString text = report(c.rows, c.tick);
        EXPECT_TRUE(text.contains(QStringLiteral("\r\n") + QString::fromUtf8(c.line) + QStringLiteral("\r\n")))
            << c.what << ": " << c.line << "\n"
            << lineOf(text, QString::fromUtf8(c.line).left(20)).toStdString();
    }
}

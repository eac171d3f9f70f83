// The model comparison: its numbers against R (tools/oracles/
// model_comparison.R, which also checked the golden report at its printed
// precision), the golden report byte for byte, the reading of the model
// files with its refusals, and the cases where an index is undefined.
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
#include <vector>

#include "core/model_comparison.hpp"
#include "support/test_files.hpp"

using namespace ModelComparison;

namespace {

struct ComparisonCase {
    const char* name;
    std::vector<double> y;
    std::vector<std::vector<double>> xs;
    std::vector<double> obs;
    std::vector<std::vector<double>> models;
    std::vector<int> best;
    std::vector<std::vector<double>> pairs;
};
#include "reference/model_comparison_cases.inc"

const QString GoldenPath = QStringLiteral(KVE_SOURCE_DIR "/app/tests/core/golden/model_comparison_report.txt");
const QDateTime FixedClock(QDate(2026, 12, 10), QTime(14, 30, 0));

SumtrixLib::BoundedArray<double> column(const std::vector<double>& v)
{
    SumtrixLib::BoundedArray<double> a(0, static_cast<std::int32_t>(v.size()));
    for (std::size_t i = 0; i < v.size(); ++i)
        a(static_cast<std::int32_t>(i) + 1) = v[i];
    return a;
}

ComparisonData dataOf(const std::vector<double>& y, const std::vector<std::vector<double>>& xs)
{
    ComparisonData d;
    d.n = static_cast<int>(y.size());
    d.Y = column(y);
    for (std::size_t m = 0; m < xs.size(); ++m) {
        d.X.push_back(column(xs[m]));
        d.labels << QString::number(m + 1);
    }
    return d;
}

// The 100,000-row case, evaluated as the R script evaluates it.
ComparisonData formulaData()
{
    std::vector<double> y;
    std::vector<std::vector<double>> xs(3);
    for (int i = 1; i <= 100000; ++i) {
        const double t = i;
        const double v = 50 + 10 * std::sin(t / 7) + 0.001 * t;
        y.push_back(v);
        xs[0].push_back(v + 2 * std::cos(t / 3));
        xs[1].push_back(0.8 * v + 12 + 3 * std::sin(t / 5));
        xs[2].push_back(120 - v + std::cos(t / 11));
    }
    return dataOf(y, xs);
}

// Relative agreement, NaN matching NaN.
::testing::AssertionResult near(double actual, double expected, double relative, double absolute = 0)
{
    if (std::isnan(expected) && std::isnan(actual))
        return ::testing::AssertionSuccess();
    const double tolerance = std::max(relative * std::fabs(expected), absolute);
    if (std::fabs(actual - expected) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actual << " against R's " << expected << " (tolerance " << tolerance
                                         << ")";
}

// List items 1, 3 and 4 ticked (item 2 takes no part), named relative to
// the test folder so that the legend does not depend on the checkout.
std::vector<ModelFile> fixtureModels()
{
    return {{1, QStringLiteral("comparison_data/model_a.KVE")},
            {3, QStringLiteral("comparison_data/model_b.KVE")},
            {4, QStringLiteral("comparison_data/model_c.KVE")}};
}

// The working folder for the life of the object.
class InFolder {
public:
    explicit InFolder(const QString& folder) : m_previous(QDir::currentPath()) { QDir::setCurrent(folder); }
    ~InFolder() { QDir::setCurrent(m_previous); }
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;

private:
    QString m_previous;
};

} // namespace

TEST(ModelComparison, NumbersAgreeWithR)
{
    for (const ComparisonCase& c : kComparisonCases) {
        SCOPED_TRACE(c.name);
        // Near 1e9 a double holds about seven decimals after the point, and
        // the library's means (sum / n) differ from R's (a long-double sum
        // with a correction) by about 1e-7: the indexes built on the
        // difference of the means (CD, Cb, CCC) agree to about 1e-8.
        const double Tight = std::string(c.name) == "offset1e9" ? 1e-7 : 1e-9;
        const ComparisonData data = c.y.empty() ? formulaData() : dataOf(c.y, c.xs);
        const ComparisonResults res = computeComparison(data);
        EXPECT_TRUE(near(res.obsMean, c.obs[0], Tight));
        EXPECT_TRUE(near(res.obsSd, c.obs[1], Tight));
        EXPECT_TRUE(near(res.obsMedian, c.obs[2], Tight));
        for (std::size_t m = 0; m < c.models.size(); ++m) {
            const ModelIndexes& mi = res.models[m];
            const double got[] = {mi.mean, mi.sd, mi.median, mi.r2,  mi.MSEP, mi.MB,
                                  mi.MEF,  mi.CD, mi.Cb,     mi.CCC, mi.AIC};
            for (std::size_t k = 0; k < 11; ++k)
                EXPECT_TRUE(near(got[k], c.models[m][k], Tight, 1e-12)) << "model " << m << " index " << k;
        }
        for (int k = 0; k < BestCount; ++k)
            EXPECT_EQ(res.best[k], c.best[k]) << "best of index " << k;
        std::size_t p = 0;
        for (int i = 0; i < res.K; ++i) {
            for (int j = i + 1; j < res.K; ++j, ++p) {
                SCOPED_TRACE(testing::Message() << "pair " << i << "," << j);
                const PairStatistics& s = res.pair(i, j);
                const std::vector<double>& e = c.pairs[p];
                EXPECT_TRUE(near(s.r, e[0], Tight));
                // P of r: the incomplete beta's continued fraction stops at
                // a step below 3e-7 of itself (from 500 rows, erfc with a
                // fractional error below 1.2e-7).
                EXPECT_TRUE(near(s.pR, e[1], 1e-6, 1e-12));
                EXPECT_TRUE(near(s.Cb, e[2], Tight));
                EXPECT_TRUE(near(s.CCC, e[3], Tight));
                // P of CCC: the normal tail of the library is good to about
                // 1e-8 and exactly 0 beyond |z| = 7.
                EXPECT_TRUE(near(s.pCCC, e[4], 1e-6, 1e-7));
                EXPECT_TRUE(near(s.msepMean, e[5], Tight, 1e-12));
                // P of the t test: 1 - P(|T| <= t) by the exact series.
                EXPECT_TRUE(near(s.msepP, e[6], 1e-8, 1e-10));
                EXPECT_TRUE(near(s.devR, e[7], Tight));
                EXPECT_TRUE(near(s.devP, e[8], 1e-6, 1e-12));
                EXPECT_TRUE(near(s.DAIC, e[9], Tight, 1e-9));
                EXPECT_TRUE(near(s.pDAIC, e[10], Tight));
            }
        }
    }
    // The anti-correlated fixture model gets a negative concordance.
    const ComparisonResults fixture = computeComparison(dataOf(kComparisonCases[0].y, kComparisonCases[0].xs));
    EXPECT_LT(fixture.models[2].CCC, 0);
}

TEST(ModelComparison, GoldenReport)
{
    QLocale::setDefault(QLocale::c());
    const InFolder testFolder(QStringLiteral(KVE_SOURCE_DIR "/app/tests/core"));
    const Outcome out = runComparison(fixtureModels(), ComparisonOptions(), FixedClock);
    ASSERT_TRUE(out.report) << out.failure.text.toStdString();
    // A rewritten golden file is then checked against R with
    // tools/oracles/model_comparison.R.
    expectGolden(GoldenPath, out.report->toUtf8());
    EXPECT_EQ(reportCaption(), QStringLiteral("Results - Model Comparison"));

    // Numbers are read with "." whatever the user's locale.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const Outcome german = runComparison(fixtureModels(), ComparisonOptions(), FixedClock);
    QLocale::setDefault(QLocale::c());
    ASSERT_TRUE(german.report) << german.failure.text.toStdString();
    const auto afterHeader = [](const QString& r) { return r.mid(r.indexOf(QStringLiteral("Model Legend"))); };
    EXPECT_EQ(afterHeader(*german.report), afterHeader(*out.report));
}

TEST(ModelComparison, UnreadableOrDifferingFilesStopWithAMessage)
{
    QTemporaryDir dir;
    const QByteArray N8 = "3,1,0\r\nN=8\r\nDATA:\r\n";
    const auto model = [&](const QString& name, const QByteArray& rows, const QByteArray& head) {
        const QString path = dir.filePath(name);
        writeBytes(path, head + rows);
        return path;
    };
    const QByteArray rows = "1,,2,,,,\r\n2,,3,,,,\r\n3,,5,,,,\r\n4,,4,,,,\r\n"
                            "5,,6,,,,\r\n6,,8,,,,\r\n7,,12.5,,,,\r\n8,,9,,,,\r\n";
    const QString good = model(QStringLiteral("good.KVE"), rows, N8);
    QByteArray changed = rows;
    changed.replace("12.5", "\"12.50\"");
    const QString aborted = QStringLiteral("\n\nCalculation aborted!");

    struct Case {
        const char* what;
        QString second;
        QString text;   // the message, the file's path put in for %1
    };
    const Case cases[] = {
        {"an observed value written otherwise", model(QStringLiteral("other.KVE"), changed, N8),
         QStringLiteral("Observed values have to be identical!\n\nPlease check observed value # 7 of file '%1'")
             + aborted},
        {"another row count",
         model(QStringLiteral("short.KVE"), rows.left(rows.lastIndexOf("8,,9")), "3,1,0\r\nN=7\r\nDATA:\r\n"),
         QStringLiteral("Row counts have to be identical!\n\nThe file '%1' holds 7 rows, the file '") + good
             + QStringLiteral("' 8.") + aborted},
        {"no data part", model(QStringLiteral("nodata.KVE"), QByteArray(), "3,1,0\r\nN=8\r\n"),
         QStringLiteral("Model files have to hold data!\n\nThe file '%1' has no \"DATA:\" line.") + aborted},
        {"a missing file", dir.filePath(QStringLiteral("gone.KVE")),
         QStringLiteral("The file '%1' could not be loaded: the file does not exist.") + aborted},
        {"fewer rows than N", model(QStringLiteral("cut.KVE"), rows.left(20), N8),
         QStringLiteral("The file '%1' could not be loaded: it ends after 2 of its 8 data rows.") + aborted},
        {"a predicted value with a decimal comma",
         model(QStringLiteral("comma.KVE"), QByteArray(rows).replace("3,,5", "\"3,1\",,5"), N8),
         QStringLiteral("Predicted values have to be numbers!\n\nPlease check predicted value # 3 of file '%1'")
             + aborted},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome out = runComparison({{1, good}, {2, c.second}}, ComparisonOptions(), FixedClock);
        EXPECT_FALSE(out.report);
        EXPECT_EQ(out.failure.title, QStringLiteral("Model Comparison"));
        EXPECT_EQ(out.failure.text.toStdString(), c.text.arg(c.second).toStdString());
    }

    // An observed value missing before the last one, in every file alike.
    QByteArray gap = rows;
    gap.replace("4,,4,,,,", "4,,,,,,");
    const QString gapped = model(QStringLiteral("gap1.KVE"), gap, N8);
    const QString gapped2 = model(QStringLiteral("gap2.KVE"), gap, N8);
    const Outcome holed = runComparison({{1, gapped}, {2, gapped2}}, {}, FixedClock);
    EXPECT_EQ(holed.failure.text, QStringLiteral("Observed values have to be numbers!\n\nPlease check observed value "
                                                 "# 4 of file '%1'\n\nCalculation aborted!")
                                      .arg(gapped));

    // One file, and two files with only two observed values.
    const Outcome one = runComparison({{1, good}}, {}, FixedClock);
    EXPECT_EQ(one.failure.text, QStringLiteral("At least two files have to be selected for comparison"));
    EXPECT_TRUE(one.failure.title.isEmpty());
    const QString two = model(QStringLiteral("two.KVE"), "1,,2,,,,\r\n2,,3,,,,\r\n,,,,,,\r\n,,,,,,\r\n,,,,,,\r\n",
                              "3,1,0\r\nDATA:\r\n");
    const Outcome few = runComparison({{1, two}, {2, two}}, {}, FixedClock);
    EXPECT_TRUE(few.failure.text.startsWith(QStringLiteral("At least 3 observed values are needed")))
        << few.failure.text.toStdString();
}

TEST(ModelComparison, UndefinedIndexesPrintNotAvailableAndAreNeverBest)
{
    // Model 1 lies exactly on a line (RSS = 0), model 2 is constant,
    // model 3 repeats model 1 with an offset (the same squared-error
    // differences in every row against model 4), model 4 is ordinary. The
    // same with decimals (a tenth of each value, read as a file's decimals
    // are), whose sums carry rounding: the same indexes are undefined.
    struct Case {
        const char* what;
        double scale;
    };
    for (const Case& c : {Case{"whole numbers", 1}, Case{"decimals", 0.1}}) {
        const auto scaled = [&](std::vector<double> v) {
            for (double& e : v)
                e = std::strtod(QString::number(e * c.scale, 'f', 2).toLatin1().constData(), nullptr);
            return v;
        };
        const std::vector<double> y = scaled({1, 2, 4, 3, 6, 5});
        const std::vector<double> exact = scaled({3, 5, 9, 7, 13, 11});      // 2y + 1
        const std::vector<double> flat = scaled({4, 4, 4, 4, 4, 4});
        const std::vector<double> good = scaled({1.2, 2.1, 3.7, 3.2, 5.8, 4.9});
        const ComparisonData data = dataOf(y, {exact, flat, good, good});
        const ComparisonResults res = computeComparison(data);
        SCOPED_TRACE(c.what);

        EXPECT_TRUE(std::isnan(res.models[0].AIC));             // log of a zero RSS
        EXPECT_TRUE(std::isnan(res.models[1].AIC));             // the fit divides by zero
        EXPECT_TRUE(std::isnan(res.models[1].r2));
        EXPECT_EQ(res.models[1].sd, 0.0);
        EXPECT_TRUE(std::isfinite(res.models[1].MSEP));
        EXPECT_EQ(res.best[BestAIC], 2);
        EXPECT_EQ(res.best[BestR2], 0);                         // r2 = 1, the first of the two
        EXPECT_EQ(res.models[0].r2, 1.0);
        EXPECT_TRUE(std::isnan(res.pair(0, 2).DAIC));
        EXPECT_TRUE(std::isnan(res.pair(0, 2).pDAIC));
        EXPECT_TRUE(std::isnan(res.pair(1, 2).r));              // a constant column has no correlation
        EXPECT_TRUE(std::isnan(res.pair(1, 2).CCC));
        EXPECT_DOUBLE_EQ(res.pair(2, 3).DAIC, 0.0);             // identical models
        EXPECT_DOUBLE_EQ(res.pair(2, 3).pDAIC, 0.5);
        EXPECT_TRUE(std::isnan(res.pair(2, 3).msepP));          // zero spread of the differences, and no difference
        EXPECT_DOUBLE_EQ(res.pair(2, 3).msepMean, 0.0);
        EXPECT_EQ(res.pair(2, 3).r, 1.0);                       // a certain correlation and concordance
        EXPECT_EQ(res.pair(2, 3).pR, 0.0);
        EXPECT_EQ(res.pair(2, 3).pCCC, 0.0);

        const QString report = formatReport(data, res, ComparisonOptions(), FixedClock);
        const QStringList lines = report.split(QStringLiteral("\r\n"));
        const QString model2 = lines.filter(QRegularExpression(QStringLiteral("^  2  : "))).value(0);
        EXPECT_EQ(model2.count(QStringLiteral("n/a")), 4) << model2.toStdString();   // r2, Cb, CCC, AIC
        EXPECT_FALSE(report.contains(QStringLiteral("nan")) || report.contains(QStringLiteral("inf")));
    }

    // Three rows: no corrected criterion at all.
    const ComparisonResults three = computeComparison(dataOf({1, 2, 4}, {{1.5, 2, 3.5}, {4, 2.5, 1}}));
    EXPECT_TRUE(std::isnan(three.models[0].AIC) && std::isnan(three.models[1].AIC));
    EXPECT_EQ(three.best[BestAIC], -1);
}

TEST(ModelComparison, ConstantAndExactModelsGiveTheComparisonOfTheirWholeNumberTwins)
{
    // Twenty observations with two decimals against an ordinary model, the
    // exact line X = Y + 1.00, the constant 5.60, a second ordinary model
    // and the line X = Y + 2.00; the whole-number twin has every value
    // times 100. R (tools/oracles/zero_spreads.R): cor() of the constant
    // column is NA; the deviations of an exact line X = Y + c are one value,
    // so their correlation with anything is NA too. Each value that R or
    // exact arithmetic leaves undefined is NaN in both, and the same
    // values are defined in both.
    const std::vector<double> obs = {5.27, 4.06, 7.56, 3.51, 6.75, 5.56, 3.41, 6.55, 3.26, 6.04,
                                     3.49, 3.63, 5.97, 8.79, 3.87, 4.56, 7.39, 9.63, 7.04, 5.78};
    const std::vector<double> noise = {0.31, -0.22, 0.15, -0.41, 0.27, 0.05, -0.12, 0.33, -0.29, 0.18,
                                       -0.07, 0.22, -0.35, 0.41, -0.16, 0.09, -0.25, 0.12, 0.38, -0.19};
    const auto twins = [&](double scale) {
        const auto read = [&](const std::function<double(std::size_t)>& f) {
            std::vector<double> v;
            for (std::size_t i = 0; i < obs.size(); ++i)
                v.push_back(std::strtod(QString::number(f(i) * scale, 'f', scale == 1 ? 2 : 0).toLatin1().constData(),
                                        nullptr));
            return v;
        };
        return dataOf(read([&](std::size_t i) { return obs[i]; }),
                      {read([&](std::size_t i) { return obs[i] + noise[i]; }),
                       read([&](std::size_t i) { return obs[i] + 1; }), read([](std::size_t) { return 5.6; }),
                       read([&](std::size_t i) { return 0.9 * obs[i] + 0.8 + noise[i] / 2; }),
                       read([&](std::size_t i) { return obs[i] + 2; })});
    };
    const ComparisonResults decimals = computeComparison(twins(1));
    const ComparisonResults whole = computeComparison(twins(100));
    const auto definedAlike = [](double a, double b) { return std::isnan(a) == std::isnan(b); };
    for (std::size_t m = 0; m < decimals.models.size(); ++m)
        for (double ModelIndexes::*index : {&ModelIndexes::r2, &ModelIndexes::MEF, &ModelIndexes::CD, &ModelIndexes::Cb,
                                            &ModelIndexes::CCC, &ModelIndexes::AIC})
            EXPECT_TRUE(definedAlike(decimals.models[m].*index, whole.models[m].*index)) << "model " << m + 1;
    for (std::size_t p = 0; p < decimals.pairs.size(); ++p)
        for (double PairStatistics::*value :
             {&PairStatistics::r, &PairStatistics::pR, &PairStatistics::Cb, &PairStatistics::CCC, &PairStatistics::pCCC,
              &PairStatistics::msepP, &PairStatistics::devR, &PairStatistics::devP, &PairStatistics::DAIC})
            EXPECT_TRUE(definedAlike(decimals.pairs[p].*value, whole.pairs[p].*value)) << "pair " << p;
    EXPECT_EQ(decimals.best, whole.best);

    for (const ComparisonResults* res : {&decimals, &whole}) {
        // The exact lines have no AIC and are never best for it; the
        // constant model has no r2, Cb, CCC or AIC.
        EXPECT_TRUE(std::isnan(res->models[1].AIC) && std::isnan(res->models[4].AIC));
        EXPECT_TRUE(std::isnan(res->models[2].r2) && std::isnan(res->models[2].AIC));
        EXPECT_EQ(res->models[2].sd, 0.0);
        EXPECT_EQ(res->best[BestAIC], 3);
        EXPECT_TRUE(std::isnan(res->pair(0, 1).DAIC));
        // No correlation with the constant model, none of the exact lines'
        // deviations (one value), and a certain one between the two lines.
        EXPECT_TRUE(std::isnan(res->pair(0, 2).r) && std::isnan(res->pair(0, 2).pR));
        EXPECT_TRUE(std::isnan(res->pair(0, 1).devR) && std::isnan(res->pair(1, 3).devR));
        EXPECT_EQ(res->pair(1, 4).r, 1.0);
        EXPECT_EQ(res->pair(1, 4).pR, 0.0);
        // The two lines' squared errors differ by 1 - 4 in every row: the
        // difference is certain (P 0), not a t test of rounding.
        EXPECT_NEAR(res->pair(1, 4).msepMean, -3.0 * (res == &whole ? 1e4 : 1), 1e-9);
        EXPECT_EQ(res->pair(1, 4).msepP, 0.0);
    }
}

TEST(ModelComparison, ValuesThatFillTheirCellsKeepABlankBetweenThem)
{
    // Results set by hand: DAIC values of three decimals that fill the
    // 8-character cell (-123.578) and an MSEP of four decimals that fills
    // the 12-character one. Such a table gets cells one wider throughout,
    // so that no two values touch and the columns stay under their heads;
    // a table without one keeps its width (the golden report).
    const ComparisonData data = dataOf({1, 2, 4, 3}, {{1.5, 2, 3.5, 3}, {4, 2.5, 1, 2}, {1, 2, 3, 4}});
    ComparisonResults res = computeComparison(data);
    res.pairs[res.pairIndex(0, 1)].DAIC = -69.419;
    res.pairs[res.pairIndex(0, 2)].DAIC = -123.578;
    res.pairs[res.pairIndex(1, 2)].DAIC = 4.5;
    for (PairStatistics& p : res.pairs)
        p.pDAIC = aicProbability(p.DAIC);       // 1 / (1 + e^(DAIC/2)): 1.0000, 1.0000, 0.0953
    res.models[1].MSEP = 1234567.1234;
    const QStringList lines = formatReport(data, res, ComparisonOptions(), FixedClock).split(QStringLiteral("\r\n"));

    const qsizetype daic = lines.indexOf(QStringLiteral("Delta Akaike's Information Criterion (DAIC)"));
    ASSERT_GT(daic, 0);
    const QStringList table = lines.mid(daic);
    EXPECT_EQ(table.value(8).toStdString(), "                 1        2        3    ");
    EXPECT_EQ(table.value(10).toStdString(), " 1  DAIC   :   -----    -69.419 -123.578");
    EXPECT_EQ(table.value(11).toStdString(), "    P-value:             1.0000   1.0000");
    EXPECT_EQ(table.value(13).toStdString(), " 2  DAIC   :            -----      4.500");
    EXPECT_EQ(table.value(14).toStdString(), "    P-value:                      0.0953");

    const QString model2 = lines.filter(QRegularExpression(QStringLiteral("^  2  : "))).value(0);
    EXPECT_TRUE(model2.contains(QStringLiteral(" 1234567.1234 "))) << model2.toStdString();
    const QString head = lines.filter(QRegularExpression(QStringLiteral("^Model:"))).value(0);
    EXPECT_EQ(head.size(), 6 + 11 * 13);
    EXPECT_EQ(model2.size(), 7 + 11 * 13);
    // The other tables keep their widths.
    const QString corr = lines.filter(QRegularExpression(QStringLiteral("^ 1  r      :"))).value(0);
    EXPECT_EQ(corr.size(), 13 + 3 * 8) << corr.toStdString();
}

TEST(ModelComparison, BestModelsAndAicProbability)
{
    const auto withCD = [](std::vector<double> cds) {
        std::vector<ModelIndexes> models(cds.size());
        for (std::size_t i = 0; i < cds.size(); ++i)
            models[i].CD = cds[i];
        return bestModels(models)[BestCD];
    };
    EXPECT_EQ(withCD({-1.2, 0.9}), 1);     // 0.1 from 1 against 0.2
    EXPECT_EQ(withCD({-1.2, 1.2}), 0);     // equally far: the first stays
    EXPECT_EQ(withCD({1.0, 1.0}), 0);
    EXPECT_EQ(withCD({std::nan(""), 0.5}), 1);

    std::vector<ModelIndexes> models(2);
    models[0].MB = 0.3;
    models[1].MB = -0.2;
    models[0].AIC = models[1].AIC = 7;
    EXPECT_EQ(bestModels(models)[BestMB], 1);
    EXPECT_EQ(bestModels(models)[BestAIC], 0);

    EXPECT_DOUBLE_EQ(aicProbability(0), 0.5);
    EXPECT_DOUBLE_EQ(aicProbability(-2 * std::log(3.0)), 0.75);
    EXPECT_EQ(aicProbability(3000), 0.0);   // e^(1500) overflows: still a probability
    EXPECT_EQ(aicProbability(-3000), 1.0);
    EXPECT_TRUE(std::isnan(aicProbability(std::nan(""))));
}

TEST(ModelComparison, OptionsAndTheirFallbacks)
{
    struct Case {
        const char *digits, *stats, *prob, *corr;
        int width, s, p, c;
    };
    const Case cases[] = {
        {"12", "4", "4", "3", 12, 4, 4, 3},
        {"25", "-1", "-1", "-1", 12, 4, 3, 2},
        {"8", "2.5", "3.5", "x", 12, 2, 4, 0},
        {"20", " 6 ", "5abc", "", 20, 6, 5, 0},
        {"1e300", "1e300", "0", "0", 12, 1000000, 0, 0},
    };
    for (const Case& c : cases) {
        const ComparisonOptions o = comparisonOptions(QLatin1String(c.digits), QLatin1String(c.stats),
                                                      QLatin1String(c.prob), QLatin1String(c.corr));
        EXPECT_EQ(o.width, c.width) << c.digits;
        EXPECT_EQ(o.statistics, c.s) << c.stats;
        EXPECT_EQ(o.probability, c.p) << c.prob;
        EXPECT_EQ(o.correlations, c.c) << c.corr;
    }

    // Decimals too many for a cell are dropped to what fits, rounded, as for
    // any value too wide for its field. Mean, SD and median of 1, 2, 4, 3
    // (R: 2.5, sd = 1.2909944487, 2.5) and cor(1.5..3, 4..2) = -0.9493857663.
    const ComparisonData data = dataOf({1, 2, 4, 3}, {{1.5, 2, 3.5, 3}, {4, 2.5, 1, 2}});
    ComparisonOptions o;
    o.statistics = 1000000;
    o.correlations = 7;
    const QString report = formatReport(data, computeComparison(data), o, FixedClock);
    const QString obs = report.split(QStringLiteral("\r\n")).filter(QStringLiteral("Obs  : ")).value(0);
    EXPECT_EQ(obs, QStringLiteral("Obs  :  2.5000000000 1.2909944487 2.5000000000"));
    EXPECT_EQ(report.split(QStringLiteral("\r\n")).filter(QStringLiteral(" r      :")).value(0),
              QStringLiteral(" 1  r      :   -----   -0.94939"));
}

// The whole report of the sample dataset, byte for byte, and its variants;
// the report of a dataset with negative values and ties; and that of a
// pasture dataset whose rank columns hold ranks as the rank analysis writes
// them ("." for the excluded row), with ties in X, Y and the ranks, rows on
// both thresholds, zeros and a row without X. The golden files were checked
// once against R: tools/oracles/regression_report.R recomputes every number
// the regression and parameter-test sections print,
// tools/oracles/report_sections_i.R those of the distribution, moment, robust,
// diverse-measure, index, concordance and rank sections, and
// tools/oracles/report_sections_ii.R those of the balance, MSEP, difference
// regression, threshold, distance and weighed deviance sections. The
// bootstrap lines come from a fixed seed; their properties are tested in
// test_balance_msep_sections.cpp.
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

#include "core/dataset_file.hpp"
#include "core/evaluation/evaluation_run.hpp"
#include "core/random_source.hpp"
#include "support/test_files.hpp"
#include "support/test_env.hpp"

namespace {

const QString samplePath = QStringLiteral(KVE_SOURCE_DIR "/examples/crop_yield.KVE");
const QString goldenPath = QStringLiteral(KVE_SOURCE_DIR "/app/tests/core/golden/crop_yield_report.txt");

DatasetFile::DatasetState loadDataset(const QString& path)
{
    const DatasetFile::LoadResult loaded = DatasetFile::LoadFile(path, QStringLiteral("19"), 20);
    EXPECT_TRUE(loaded.ok()) << loaded.error.text.toStdString();
    DatasetFile::DatasetState state;
    if (loaded.ok())
        DatasetFile::applyContent(*loaded.content, state);
    return state;
}

DatasetFile::DatasetState loadSample()
{
    return loadDataset(samplePath);
}

// The run as the window starts it for a dataset: its options read as the
// window reads the controls that show them.
EvaluationInput datasetInput(const DatasetFile::DatasetState& state, const QString& path)
{
    EvaluationInput o;
    o.settings = EvaluationSettings::fromOptions(state.options);
    o.gridRows = state.matrix.upperRow();
    o.dataFileName = path;
    o.mainCaption = DatasetFile::mainCaption(path);
    o.now = QDateTime(QDate(2026, 12, 10), QTime(14, 30, 0));
    return o;
}

EvaluationInput sampleInput(const DatasetFile::DatasetState& state)
{
    return datasetInput(state, samplePath);
}

} // namespace

TEST(EvaluationReport, SampleDatasetGoldenReport)
{
    QLocale::setDefault(QLocale::c());
    struct Case {
        QString dataset, golden, caption;
        std::uint64_t seed = 0; // for a dataset that ticks the bootstrap
    };
    const Case cases[] = {
        {samplePath, goldenPath, QStringLiteral("Results - KVE v. 3.1.0 - crop_yield.KVE"), 20261210},
        {QStringLiteral(KVE_SOURCE_DIR "/app/tests/core/golden/signed_ties.KVE"),
         QStringLiteral(KVE_SOURCE_DIR "/app/tests/core/golden/signed_ties_report.txt"),
         QStringLiteral("Results - KVE v. 3.1.0 - signed_ties.KVE")},
        {QStringLiteral(KVE_SOURCE_DIR "/app/tests/core/golden/pasture_growth.KVE"),
         QStringLiteral(KVE_SOURCE_DIR "/app/tests/core/golden/pasture_growth_report.txt"),
         QStringLiteral("Results - KVE v. 3.1.0 - pasture_growth.KVE"), 20261210},
    };
    for (const Case& c : cases) {
        DatasetFile::DatasetState state = loadDataset(c.dataset);
        EvaluationInput input = datasetInput(state, c.dataset);
        SeededRandomSource random(c.seed);
        if (c.seed != 0)
            input.random = &random;
        const EvaluationOutcome out = runEvaluation(state.matrix, input);
        ASSERT_TRUE(out.ran) << c.dataset.toStdString();
        EXPECT_EQ(out.caption, c.caption);
        ASSERT_TRUE(out.MeanY.has_value());

        expectGolden(c.golden, out.report.toUtf8());
    }
}

TEST(EvaluationReport, UpdatingTheGoldenFileIsRefusedUnderCtest)
{
    QFile before(goldenPath);
    ASSERT_TRUE(before.open(QIODevice::ReadOnly));
    const QByteArray bytes = before.readAll();
    const ChildTestRun run =
        runTestUnderCtest(QStringLiteral("EvaluationReport.SampleDatasetGoldenReport"), QStringLiteral("KVE_UPDATE_GOLDEN"));
    EXPECT_NE(run.status, 0) << run.output.toStdString();
    EXPECT_TRUE(run.output.contains(QStringLiteral("KVE_UPDATE_GOLDEN is refused under ctest"))) << run.output.toStdString();
    QFile after(goldenPath);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), bytes);
}

TEST(EvaluationReport, MedianFitReachesTheLeastAbsoluteDeviationOnTiedData)
{
    // Nine X values of 2 and one of 5: the least-absolute-deviation line is
    // y = 17/3 - x/3 with sum 20 (SciPy linprog, as
    // tools/oracles/median_fit.py "ties: all x equal but one"); the
    // bisection alone stopped at a mean deviation of 2.77308.
    QLocale::setDefault(QLocale::c());
    const double xs[10] = {2, 2, 2, 2, 2, 2, 2, 2, 2, 5};
    const double ys[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 4};
    DataMatrix m(11);
    for (int r = 1; r <= 10; ++r) {
        m.setNumber(DataMatrix::ColX, r, xs[r - 1]);
        m.setNumber(DataMatrix::ColY, r, ys[r - 1]);
    }
    EvaluationInput o;
    o.settings.method = RegressionMethod::LeastAbsoluteDeviation;
    o.gridRows = m.upperRow();
    o.now = QDateTime(QDate(2026, 1, 1), QTime(0, 0));
    const EvaluationOutcome out = runEvaluation(m, o);
    ASSERT_TRUE(out.ran);
    EXPECT_TRUE(out.report.contains(QStringLiteral("\r\nEstimate a         :    5.66667\r\n"
                                                   "Estimate b         :   -0.33333\r\n"
                                                   "Absolute Deviation :    2.00000\r\n")))
        << out.report.toStdString();
}

TEST(EvaluationReport, OlsSlsRowsAreNotComputedOutsideLeastSquares)
{
    // The six lines belong to the least-squares method: under the others
    // every value of their rows is "n/a", not 0 ± 0 (1).
    QLocale::setDefault(QLocale::c());
    DatasetFile::DatasetState state = loadSample();
    const QString none = QStringLiteral("       n/a ±        n/a (    n/a)");
    for (RegressionMethod method : {RegressionMethod::LeastSquares, RegressionMethod::WeightedLeastSquares,
                                    RegressionMethod::LeastAbsoluteDeviation}) {
        EvaluationInput o = sampleInput(state);
        o.settings.method = method;
        o.settings.sections.olsSls = true;
        const EvaluationOutcome out = runEvaluation(state.matrix, o);
        ASSERT_TRUE(out.ran);
        int rows = 0;
        for (const char* label : {"OLS (Y/X)/Vertical LS", "OLS (X/Y)/Horizontal LS", "OLS Bisector",
                                  "Orthogonal/Perpendicular", "Reduced Major Axis", "Mean OLS (Y/X and X/Y)"}) {
            for (const QString& l : out.report.split(QStringLiteral("\r\n"))) {
                if (!l.startsWith(QLatin1String(label)))
                    continue;
                ++rows;
                if (method == RegressionMethod::LeastSquares)
                    EXPECT_FALSE(l.contains(QStringLiteral("n/a"))) << l.toStdString();
                else
                    EXPECT_EQ(l.mid(27), none + QStringLiteral("     ") + none) << l.toStdString();
            }
        }
        EXPECT_EQ(rows, 6);
    }
}

TEST(EvaluationReport, MethodVariants)
{
    QLocale::setDefault(QLocale::c());
    DatasetFile::DatasetState state = loadSample();

    // Least-absolute deviation: six lines, Q from the incomplete gamma, no
    // parameter t tests for a and b.
    EvaluationInput o = sampleInput(state);
    o.settings.method = RegressionMethod::LeastAbsoluteDeviation;
    EvaluationOutcome out = runEvaluation(state.matrix, o);
    ASSERT_TRUE(out.ran);
    EXPECT_TRUE(out.report.contains(QStringLiteral("Robust Regression (Median)\r\n")));
    EXPECT_TRUE(out.report.contains(QStringLiteral("\r\nAbsolute Deviation : ")));
    EXPECT_TRUE(out.report.contains(QStringLiteral("\r\nH0: r = 0 ")));
    // (The residue regression further down has tests of its own line.)
    const QString parameterTests = out.report.section(QStringLiteral("PARAMETER PROBABILITIES"), 1)
                                       .section(QStringLiteral("\r\n\r\n\r\n"), 0, 0);
    EXPECT_FALSE(parameterTests.isEmpty());
    EXPECT_FALSE(parameterTests.contains(QStringLiteral("H0: a = 0            T-value")));
    EXPECT_FALSE(parameterTests.contains(QStringLiteral("H0: b = 1            T-value")));

    // Weighted with every SD present: the errors-in-both fit.
    o = sampleInput(state);
    o.settings.method = RegressionMethod::WeightedLeastSquares;
    out = runEvaluation(state.matrix, o);
    ASSERT_TRUE(out.ran);
    // No notice: only the side windows, the report window and the closing
    // charts.
    EXPECT_EQ(std::count_if(out.requests.begin(), out.requests.end(),
                            [](const RunRequest& r) { return std::holds_alternative<RunRequests::Notice>(r); }),
              0);
    EXPECT_EQ(std::count_if(out.requests.begin(), out.requests.end(),
                            [](const RunRequest& r) { return std::holds_alternative<RunRequests::ShowReport>(r); }),
              1);
    EXPECT_TRUE(out.report.contains(QStringLiteral("Weighted Least-Squares Regression\r\n\r\n")));

    // Comments off: no explanation line anywhere but the closing lines of
    // the goodness-of-fit blocks, which are always written.
    o = sampleInput(state);
    o.settings.comments = false;
    out = runEvaluation(state.matrix, o);
    const QString gofClosing = QStringLiteral("!! These calculations were not adjusted for Normal distribution !!");
    EXPECT_EQ(out.report.count(gofClosing), 3);   // X, Y and the deviations
    for (const QString& l : out.report.split(QStringLiteral("\r\n")))
        EXPECT_TRUE(!l.contains(QStringLiteral("!!")) || l == gofClosing) << l.toStdString();
}

TEST(EvaluationReport, SwappedDataFitsTheOtherWayRound)
{
    QLocale::setDefault(QLocale::c());
    DatasetFile::DatasetState state = loadSample();
    for (int r = 1; r <= state.matrix.upperRow(); ++r) {
        std::swap(state.matrix.cell(DataMatrix::ColX, r), state.matrix.cell(DataMatrix::ColY, r));
        std::swap(state.matrix.cell(DataMatrix::ColSDX, r), state.matrix.cell(DataMatrix::ColSDY, r));
    }
    EvaluationInput o = sampleInput(state);
    o.settings.sheet.swapped = true;
    const EvaluationOutcome swapped = runEvaluation(state.matrix, o);
    DatasetFile::DatasetState plainState = loadSample();
    const EvaluationOutcome plain = runEvaluation(plainState.matrix, sampleInput(plainState));
    EXPECT_TRUE(swapped.report.contains(QStringLiteral("Swapped X <=> Y\r\n")));
    // r is symmetric; the slope is not.
    auto lineOf = [](const QString& report, const QString& label) {
        for (const QString& l : report.split(QStringLiteral("\r\n")))
            if (l.startsWith(label))
                return l;
        return QString();
    };
    EXPECT_EQ(lineOf(swapped.report, "N  ").mid(30), lineOf(plain.report, "N  ").mid(30));
    EXPECT_NE(lineOf(swapped.report, "Estimate b"), lineOf(plain.report, "Estimate b"));
    EXPECT_NE(*swapped.MeanY, *plain.MeanY);
}

TEST(EvaluationReport, BadDataNeverBreaksTheRun)
{
    QLocale::setDefault(QLocale::c());
    struct Case {
        const char* what;
        std::vector<std::array<const char*, 4>> rows;   // X, SD X, Y, SD Y
    };
    std::vector<Case> cases = {
        {"constant X", {{"2", "", "1", ""}, {"2", "", "3", ""}, {"2", "", "5", ""}, {"2", "", "4", ""}}},
        {"constant X, decimals", {{"5.60", "", "1", ""}, {"5.60", "", "3", ""}, {"5.60", "", "5", ""}, {"5.60", "", "4", ""}}},
        {"constant Y", {{"1", "", "3", ""}, {"2", "", "3", ""}, {"3", "", "3", ""}}},
        {"constant Y, decimals", {{"1", "", "0.30", ""}, {"2", "", "0.30", ""}, {"3", "", "0.30", ""}}},
        {"three points on a line", {{"1", "", "2", ""}, {"2", "", "4", ""}, {"3", "", "6", ""}}},
        {"points on a line, decimals", {{"8.56", "", "7.56", ""}, {"4.51", "", "3.51", ""}, {"6.27", "", "5.27", ""}}},
        {"all zeros", {{"0", "0", "0", "0"}, {"0", "0", "0", "0"}, {"0", "0", "0", "0"}}},
        {"huge values", {{"1e300", "", "2e300", ""}, {"-1e300", "", "1e299", ""}, {"3e300", "", "-1e300", ""}}},
        // Text in an X, Y or SD cell stops the run before it starts (see
        // the evaluation run's tests); empty and blank SDs read 0.
        {"empty and blank SD cells",
         {{"1", " ", "1", "0.5"}, {"2", "", "2.5", "  "}, {"3", "0.2", "5", ""}, {"4", "", "3.5", ""}}},
        // Weighted: a starting slope of exactly 0, and all X equal with
        // every SD present (no line to search for).
        {"weighted starting slope 0",
         {{"1", "0.5", "1", "0.5"}, {"2", "0.5", "2", "0.5"}, {"3", "0.5", "3", "0.5"}, {"4", "0.5", "2", "0.5"},
          {"5", "0.5", "1", "0.5"}}},
        {"weighted starting slope 0, far from zero",
         {{"1000001", "0.5", "1", "0.5"}, {"1000002", "0.5", "2", "0.5"}, {"1000003", "0.5", "3", "0.5"},
          {"1000004", "0.5", "2", "0.5"}, {"1000005", "0.5", "1", "0.5"}}},
        {"constant X with SDs", {{"2", "0.5", "1", "0.5"}, {"2", "0.5", "3", "0.5"}, {"2", "0.5", "2", "0.5"}}},
    };
    for (const Case& c : cases) {
        DataMatrix m(static_cast<int>(c.rows.size()) + 1);
        for (std::size_t r = 0; r < c.rows.size(); ++r)
            for (int k = 0; k < 4; ++k)
                if (*c.rows[r][static_cast<std::size_t>(k)])
                    m.setText(k + 1, static_cast<int>(r) + 1, QString::fromUtf8(c.rows[r][static_cast<std::size_t>(k)]));
        for (RegressionMethod method : {RegressionMethod::LeastSquares, RegressionMethod::WeightedLeastSquares,
                                        RegressionMethod::LeastAbsoluteDeviation}) {
            // Every section ticked: a section that cannot compute prints
            // "n/a" and the run goes on to the references.
            EvaluationInput o;
            o.settings = EvaluationSettings::fromOptions(loadSample().options);
            o.settings.method = method;
            o.settings.sections.generalizedCcc = true;
            o.settings.residueColumns.fill(true);
            o.settings.plots = {true, true, true};
            o.gridRows = m.upperRow();
            o.now = QDateTime(QDate(2026, 1, 1), QTime(0, 0));
            SeededRandomSource random(7);
            o.random = &random;
            const EvaluationOutcome out = runEvaluation(m, o);
            ASSERT_TRUE(out.ran) << c.what;
            for (const char* heading : {"PARAMETER PROBABILITIES", "DEVIATION ANALYSIS", "Analysis of Residuals",
                                        "RESIDUE REGRESSION ANALYSIS", "REFERENCES"})
                EXPECT_TRUE(out.report.contains(QLatin1String(heading))) << c.what << ": " << heading;
            EXPECT_TRUE(out.report.endsWith(QStringLiteral("Transactions of the ASAE (American Society of Agricultural "
                                                           "Engineers). 39:47-54.\r\n")))
                << c.what;
            EXPECT_EQ(std::count_if(out.requests.begin(), out.requests.end(),
                                    [](const RunRequest& r) { return std::holds_alternative<RunRequests::ShowReport>(r); }),
                      1)
                << c.what;
            // No value that is none printed as a number ("influence" is a word).
            static const QRegularExpression notANumber(QStringLiteral("(?<![A-Za-z])[-+]?(nan|inf)(?![A-Za-z])"),
                                                       QRegularExpression::CaseInsensitiveOption);
            const QRegularExpressionMatch hit = notANumber.match(out.report);
            EXPECT_FALSE(hit.hasMatch()) << c.what << ": " << hit.captured().toStdString();
        }
    }
}

TEST(EvaluationReport, FiftyThousandRows)
{
    QLocale::setDefault(QLocale::c());
    const int n = 50000;
    DataMatrix m(n + 1);
    for (int r = 1; r <= n; ++r) {
        m.setNumber(DataMatrix::ColX, r, r % 97);
        m.setNumber(DataMatrix::ColY, r, (r % 97) * 1.1 + (r % 7) * 0.1);
    }
    EvaluationInput o;
    o.settings.comments = false;
    o.settings.sections.parameterTests = true;
    o.settings.sections.olsSls = true;
    o.gridRows = n + 1;
    o.now = QDateTime(QDate(2026, 1, 1), QTime(0, 0));
    const EvaluationOutcome out = runEvaluation(m, o);
    ASSERT_TRUE(out.ran);
    EXPECT_TRUE(out.report.contains(QStringLiteral("N               :      50000")));
}

TEST(EvaluationReport, StatisticsThatOverflowPrintNotAvailable)
{
    // Values near the largest double: every sum of squares overflows. What
    // could not be computed prints "n/a", never a plain zero that reads
    // like a result.
    QLocale::setDefault(QLocale::c());
    DataMatrix m(5);
    const double rows[4][2] = {{1e308, 1.1e308}, {1.5e308, 1.4e308}, {1.2e308, 1.3e308}, {1.7e308, 1.6e308}};
    for (int r = 1; r <= 4; ++r) {
        m.setNumber(DataMatrix::ColX, r, rows[r - 1][0]);
        m.setNumber(DataMatrix::ColY, r, rows[r - 1][1]);
    }
    EvaluationInput o;
    o.settings.sections.parameterTests = true;
    o.settings.sections.olsSls = true;
    o.gridRows = m.upperRow();
    o.now = QDateTime(QDate(2026, 1, 1), QTime(0, 0));
    const EvaluationOutcome out = runEvaluation(m, o);
    ASSERT_TRUE(out.ran);
    auto lineOf = [&out](const QString& label) {
        for (const QString& l : out.report.split(QStringLiteral("\r\n")))
            if (l.startsWith(label))
                return l;
        return QString();
    };
    for (const char* label : {"Estimate a ± SD", "Estimate b ± SD", "MSE ", "r² ", "Resistant r²", "Chi² ",
                               "H0: r = 0", "OLS (Y/X)/Vertical LS", "Reduced Major Axis"}) {
        const QString line = lineOf(QString::fromUtf8(label));
        EXPECT_TRUE(line.contains(QStringLiteral("n/a"))) << line.toStdString();
        EXPECT_FALSE(line.contains(QStringLiteral(" 0.00000"))) << line.toStdString();
    }
    // The program's mean is not replaced by a value that is none.
    EXPECT_FALSE(out.MeanY.has_value() && !std::isfinite(*out.MeanY));
}

namespace {

// Compares `actual` with a golden file; with KVE_UPDATE_GOLDEN (never under
// ctest) writes it first.
void expectGolden(const QString& path, const QString& actual)
{
    const QByteArray bytes = actual.toUtf8();
    if (qEnvironmentVariableIsSet("KVE_UPDATE_GOLDEN")) {
        ASSERT_FALSE(qEnvironmentVariableIsSet("KVE_UNDER_CTEST"))
            << "KVE_UPDATE_GOLDEN is refused under ctest: run this test binary by itself to update the golden file";
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QFile golden(path);
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly)) << path.toStdString();
    EXPECT_EQ(bytes.toStdString(), golden.readAll().toStdString()) << path.toStdString();
}

// The run's requests in order, one line each: the side windows and the
// report window by caption, the charts by title and axes.
QString requestList(const EvaluationOutcome& out)
{
    QString list;
    for (const RunRequest& r : out.requests) {
        if (const auto* chart = std::get_if<RunRequests::Chart>(&r))
            list += QStringLiteral("chart: %1 | %2 | %3 | %4\r\n")
                        .arg(chart->plot.TitleText, chart->plot.AxisXTitle, chart->plot.AxisYTitle, chart->status);
        else if (const auto* side = std::get_if<RunRequests::ShowSideWindow>(&r))
            list += QStringLiteral("window: ") + side->caption + QStringLiteral("\r\n");
        else if (const auto* report = std::get_if<RunRequests::ShowReport>(&r))
            list += QStringLiteral("report: ") + report->caption + QStringLiteral("\r\n");
        else if (std::holds_alternative<RunRequests::Histograms>(r))
            list += QStringLiteral("histograms\r\n");
        else if (const auto* editor = std::get_if<RunRequests::OpenInEditor>(&r))
            list += QStringLiteral("editor: ") + editor->path + QStringLiteral("\r\n");
        else if (const auto* ranks = std::get_if<RunRequests::ShowRanks>(&r))
            list += QStringLiteral("ranks: rows 1-%1\r\n").arg(ranks->lastRow);
        else
            list += QStringLiteral("other\r\n");
    }
    return list;
}

} // namespace

TEST(EvaluationReport, SideWindowsAndRequestsGolden)
{
    // The deviation analysis's interval window and the ordered requests of
    // the sample; and the whole report of a dataset far from zero with every
    // residual column. Checked once against R with
    // tools/oracles/report_sections_iii.R.
    QLocale::setDefault(QLocale::c());
    const QString golden = QStringLiteral(KVE_SOURCE_DIR "/app/tests/core/golden/");
    struct Case {
        QString dataset, stem;
        bool report;   // the sample's report has a test of its own
    };
    const Case cases[] = {
        {samplePath, QStringLiteral("crop_yield"), false},
        {golden + QStringLiteral("offset_residuals.KVE"), QStringLiteral("offset_residuals"), true},
    };
    for (const Case& c : cases) {
        const DatasetFile::LoadResult loaded = DatasetFile::LoadFile(c.dataset, QStringLiteral("19"), 20);
        ASSERT_TRUE(loaded.ok()) << loaded.error.text.toStdString();
        DatasetFile::DatasetState state;
        DatasetFile::applyContent(*loaded.content, state);
        EvaluationInput o = sampleInput(state);
        o.dataFileName = c.dataset;
        o.mainCaption = DatasetFile::mainCaption(c.dataset);
        const EvaluationOutcome out = runEvaluation(state.matrix, o);
        ASSERT_TRUE(out.ran) << c.stem.toStdString();
        if (c.report)
            expectGolden(golden + c.stem + QStringLiteral("_report.txt"), out.report);
        QString deviationWindow;
        for (const RunRequest& r : out.requests)
            if (const auto* side = std::get_if<RunRequests::ShowSideWindow>(&r);
                side && side->caption.startsWith(QStringLiteral("Deviation Analyses - ")))
                deviationWindow = side->text;
        EXPECT_FALSE(deviationWindow.isEmpty()) << c.stem.toStdString();
        expectGolden(golden + c.stem + QStringLiteral("_deviation_window.txt"), deviationWindow);
        expectGolden(golden + c.stem + QStringLiteral("_requests.txt"), requestList(out));
    }
}

namespace {

// Two numbers written against each other: a decimal number followed by a
// sign and a digit ("-69.419-123.578"), a run of digits with two decimal
// points ("1000000.011000000.03"), a number and "n/a" against each other,
// or a number after a cell's mark ("2.3456*1000.0000"). The version in the
// report's first line ("v. 3.1.0") is no number.
QStringList gluedNumbers(const QString& text)
{
    static const QRegularExpression version(QStringLiteral("v\\. \\d+\\.\\d+\\.\\d+"));
    static const QRegularExpression glued(QStringLiteral(
        "\\d\\.\\d*[-+]\\.?\\d|\\d\\.\\d+\\.\\d|\\dn/a|n/a[-+]?\\.?\\d|\\d\\*(?:[-+]?\\.?\\d|n/a)"));
    QStringList hits;
    for (QString line : text.split(QStringLiteral("\r\n"))) {
        line.remove(version);
        if (line.contains(glued))
            hits << line;
    }
    return hits;
}

} // namespace

TEST(EvaluationReport, NoTableRunsTwoNumbersTogether)
{
    // The sample with every section ticked, shifted far from zero, where
    // values fill their fields: every line of the report and of the side
    // windows keeps the numbers of its cells apart.
    QLocale::setDefault(QLocale::c());
    for (double shift : {1e5, 1e6, -1e6}) {
        for (bool residueWindow : {false, true}) {
            DatasetFile::DatasetState state = loadSample();
            for (int r = 1; r < state.matrix.upperRow(); ++r)
                for (int column : {DataMatrix::ColX, DataMatrix::ColY})
                    if (const std::optional<double> v = state.matrix.cell(column, r).toNumber())
                        state.matrix.setNumber(column, r, *v + shift);
            EvaluationInput o = sampleInput(state);
            EvaluationSettings::Sections& s = o.settings.sections;
            for (bool* tick : {&s.parameterTests, &s.olsSls, &s.distribution, &s.moments, &s.robustStatistics,
                               &s.diverseMeasures, &s.index, &s.concordance, &s.generalizedCcc, &s.rank, &s.balance,
                               &s.orthogonalBalance, &s.msep, &s.msepBootstrap, &s.kleijnen, &s.blandAltman,
                               &s.threshold, &s.distance, &s.weighedDeviance, &s.deviation, &s.residual,
                               &s.residueRegression, &s.references})
                *tick = true;
            o.settings.residueColumns.fill(true);
            o.settings.residueWindow = residueWindow;
            o.settings.rankThreshold = QStringLiteral("12");
            o.settings.xyThreshold = QString::number(6 + shift, 'f', 0);
            SeededRandomSource random(20261210);
            o.random = &random;
            const EvaluationOutcome out = runEvaluation(state.matrix, o);
            ASSERT_TRUE(out.ran);
            QString texts = out.report;
            for (const RunRequest& r : out.requests)
                if (const auto* side = std::get_if<RunRequests::ShowSideWindow>(&r))
                    texts += QStringLiteral("\r\n") + side->text;
            EXPECT_TRUE(texts.contains(QStringLiteral("WEIGHED DEVIANCE ANALYSIS")));
            EXPECT_TRUE(texts.contains(QStringLiteral("Analysis of Residuals")));
            EXPECT_EQ(gluedNumbers(texts).join(QLatin1Char('\n')).toStdString(), "") << "shift " << shift;
        }
    }
}

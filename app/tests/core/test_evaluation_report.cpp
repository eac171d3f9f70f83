// The whole regression report of the sample dataset, byte for byte, and its
// variants. The golden file was checked once against R with
// tools/oracles/regression_report.R, which recomputes every number the
// regression and parameter-test sections print.
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLocale>

#include <gtest/gtest.h>

#include "core/dataset_file.hpp"
#include "core/evaluation_run.hpp"

namespace {

const QString samplePath = QStringLiteral(KVE_SOURCE_DIR "/examples/crop_yield.KVE");
const QString goldenPath = QStringLiteral(KVE_SOURCE_DIR "/app/tests/core/golden/crop_yield_report.txt");

DatasetFile::DatasetState loadSample()
{
    const DatasetFile::LoadResult loaded = DatasetFile::LoadFile(samplePath, QStringLiteral("19"), 20);
    EXPECT_TRUE(loaded.ok()) << loaded.error.text.toStdString();
    DatasetFile::DatasetState state;
    if (loaded.ok())
        DatasetFile::applyContent(*loaded.content, state);
    return state;
}

EvaluationOptions sampleOptions(const DatasetFile::DatasetState& state)
{
    EvaluationOptions o = evaluationOptionsFrom(state.options);
    o.gridRows = state.matrix.upperRow();
    o.dataFileName = samplePath;
    o.mainCaption = DatasetFile::mainCaption(samplePath);
    o.now = QDateTime(QDate(2026, 12, 10), QTime(14, 30, 0));
    return o;
}

} // namespace

TEST(EvaluationReport, SampleDatasetGoldenReport)
{
    QLocale::setDefault(QLocale::c());
    const DatasetFile::DatasetState state = loadSample();
    const EvaluationOutcome out = runEvaluation(state.matrix, sampleOptions(state));
    ASSERT_TRUE(out.ran);
    EXPECT_EQ(out.caption, QStringLiteral("Results - Veltrane v. 3.1.0 - crop_yield.KVE"));
    ASSERT_TRUE(out.MeanY.has_value());

    const QByteArray actual = out.report.toUtf8();
    if (qEnvironmentVariableIsSet("KVE_UPDATE_GOLDEN")) {
        QFile f(goldenPath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(actual);
    }
    QFile golden(goldenPath);
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly)) << goldenPath.toStdString();
    EXPECT_EQ(actual.toStdString(), golden.readAll().toStdString());
}

TEST(EvaluationReport, MethodVariants)
{
    QLocale::setDefault(QLocale::c());
    const DatasetFile::DatasetState state = loadSample();

    // Least-absolute deviation: six lines, Q from the incomplete gamma, no
    // parameter t tests for a and b.
    EvaluationOptions o = sampleOptions(state);
    o.method = RegressionMethod::LeastAbsoluteDeviation;
    EvaluationOutcome out = runEvaluation(state.matrix, o);
    ASSERT_TRUE(out.ran);
    EXPECT_TRUE(out.report.contains(QStringLiteral("Robust Regression (Median)\r\n")));
    EXPECT_TRUE(out.report.contains(QStringLiteral("\r\nAbsolute Deviation : ")));
    EXPECT_TRUE(out.report.contains(QStringLiteral("\r\nH0: r = 0 ")));
    EXPECT_FALSE(out.report.contains(QStringLiteral("H0: a = 0            T-value")));
    EXPECT_FALSE(out.report.contains(QStringLiteral("H0: b = 1            T-value")));

    // Weighted with every SD present: the errors-in-both fit.
    o = sampleOptions(state);
    o.method = RegressionMethod::WeightedLeastSquares;
    out = runEvaluation(state.matrix, o);
    ASSERT_TRUE(out.ran);
    EXPECT_EQ(out.requests.first().kind, RunRequest::Kind::ShowReport);
    EXPECT_TRUE(out.report.contains(QStringLiteral("Weighted Least-Squares Regression\r\n\r\n")));

    // Comments off: no explanation line anywhere.
    o = sampleOptions(state);
    o.ticked.remove(QStringLiteral("Check13"));
    out = runEvaluation(state.matrix, o);
    EXPECT_FALSE(out.report.contains(QStringLiteral("\r\n!!")));
}

TEST(EvaluationReport, SwappedDataFitsTheOtherWayRound)
{
    QLocale::setDefault(QLocale::c());
    DatasetFile::DatasetState state = loadSample();
    for (int r = 1; r <= state.matrix.upperRow(); ++r) {
        std::swap(state.matrix.cell(DataMatrix::ColX, r), state.matrix.cell(DataMatrix::ColY, r));
        std::swap(state.matrix.cell(DataMatrix::ColSDX, r), state.matrix.cell(DataMatrix::ColSDY, r));
    }
    EvaluationOptions o = sampleOptions(state);
    o.ticked << QStringLiteral("Check7");
    const EvaluationOutcome swapped = runEvaluation(state.matrix, o);
    const EvaluationOutcome plain = runEvaluation(loadSample().matrix, sampleOptions(loadSample()));
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

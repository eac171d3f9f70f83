// The sample dataset shipped in examples/: written by KVE's own writer.
// Running this test binary by itself with KVE_UPDATE_EXAMPLES=1 writes the
// file anew (ctest refuses it); every other run checks that the committed
// file is exactly what the writer gives and that it holds what the sample
// promises.
#include <gtest/gtest.h>

#include <QFile>

#include <cmath>
#include <set>

#include "core/dataset_file.hpp"
#include "support/test_env.hpp"

using namespace DatasetFile;

namespace {

const QString kExample = QStringLiteral(KVE_SOURCE_DIR "/examples/crop_yield.KVE");

struct Row { const char* x; const char* sdX; const char* y; const char* sdY; const char* exclude; };

// Synthetic winter wheat yields (t/ha): a crop model's prediction against
// the mean of four replicate plots.
const Row kRows[] = {
    {"5.62", "0.31", "5.94", "0.42", nullptr},
    {"6.20", "0.28", "6.45", "0.37", nullptr},
    {"4.85", "0.35", "4.41", "0.51", nullptr},
    {"7.40", "0.22", "7.40", "0.33", nullptr},   // observed equals predicted
    {"6.20", "0.40", "5.85", "0.46", nullptr},   // X tied with row 2
    {"8.15", "0.26", "8.62", "0.39", nullptr},
    {"3.90", "0.44", "3.52", "0.58", nullptr},
    {"5.10", "0.30", "5.85", "0.44", nullptr},   // Y tied with row 5
    {"7.05", "0.25", "6.71", "0.35", nullptr},
    {"9.20", "0.33", "8.94", "0.48", nullptr},
    {"6.75", "0.29", "7.18", "0.40", nullptr},
    {"4.30", "0.38", "4.96", "0.55", nullptr},
    {"8.60", "0.24", "8.21", "0.31", nullptr},
    {"5.95", "0.32", "6.12", "0.43", nullptr},
    {"7.80", "0.27", "2.35", "0.90", "Y"},       // hail damage: excluded
    {"6.45", "0.30", "6.88", "0.36", nullptr},
    {"3.35", "0.47", "3.18", "0.62", nullptr},
    {"7.25", "0.23", "7.66", "0.34", nullptr},
    {"5.40", "0.34", "5.03", "0.47", nullptr},
    {"8.95", "0.28", "9.31", "0.41", nullptr},
    {"4.60", "0.36", "4.41", "0.52", nullptr},   // Y tied with row 3
    {"6.90", "0.26", "6.55", "0.38", nullptr},
    {"5.25", "0.31", "5.70", "0.45", nullptr},
    {"7.65", "0.24", "7.92", "0.36", nullptr},
    {"8.30", "0.29", "8.05", "0.40", nullptr},
};
constexpr int kRowCount = int(sizeof kRows / sizeof kRows[0]);

DatasetState exampleState()
{
    DatasetState s;
    s.rowCountText = QString::number(kRowCount);
    s.matrix.resize(kRowCount + 1);
    for (int r = 1; r <= kRowCount; ++r) {
        const Row& row = kRows[r - 1];
        s.matrix.setText(DataMatrix::ColX, r, QLatin1String(row.x));
        s.matrix.setText(DataMatrix::ColSDX, r, QLatin1String(row.sdX));
        s.matrix.setText(DataMatrix::ColY, r, QLatin1String(row.y));
        s.matrix.setText(DataMatrix::ColSDY, r, QLatin1String(row.sdY));
        if (row.exclude)
            s.matrix.setText(DataMatrix::ColExclude, r, QLatin1String(row.exclude));
    }
    // Besides the sections ticked at start: the OLS and SLS coefficients,
    // the robust statistics, the index analysis and the generalized
    // concordance coefficients.
    applyOption(s.options, findOptionKey(QStringLiteral("OLS_SLS")), 1);
    applyOption(s.options, findOptionKey(QStringLiteral("ROBUST_STATISTICS")), 1);
    applyOption(s.options, findOptionKey(QStringLiteral("INDEX_ANALYSIS")), 1);
    applyOption(s.options, findOptionKey(QStringLiteral("GENERAL_CCC")), 1);
    // The balance, difference regression, threshold, distance and weighed
    // deviance sections, with a threshold for ranks and one for yields.
    for (const char* key : {"BALANCE_ANALYSIS", "ORTHOGONAL_BALANCE", "KLEIJNEN_ANALYSIS", "BLAND_ALTMAN_ANALYSIS",
                            "THRESHOLD_ANALYSIS", "DISTANCE_ANALYSIS", "WEIGHED_DEVIANCE"})
        applyOption(s.options, findOptionKey(QLatin1String(key)), 1);
    applyOption(s.options, findOptionKey(QStringLiteral("TRESHOLD_RANK")), QStringLiteral("12"));
    applyOption(s.options, findOptionKey(QStringLiteral("TRESHOLD_XY")), QStringLiteral("6"));
    s.notes = QStringLiteral(
        "Winter wheat grain yield (t/ha at 15 % moisture) at 25 site-years of a regional\n"
        "variety trial network. Synthetic example data shipped with KVE.\n"
        "\n"
        "X (Pred): yield simulated by the crop model, mean of five weather-ensemble runs;\n"
        "SD X: standard deviation across the ensemble runs.\n"
        "Y (Obs): observed yield, mean of four replicate plots;\n"
        "SD Y: standard deviation among the replicate plots.\n"
        "\n"
        "Row 15 is excluded: the trial was hit by hail two weeks before harvest.");
    return s;
}

} // namespace

TEST(ExampleDataset, CommittedFileIsWhatTheWriterGives)
{
    if (qEnvironmentVariableIntValue("KVE_UPDATE_EXAMPLES") == 1) {
        // Only on purpose, never inside a whole test run.
        ASSERT_FALSE(qEnvironmentVariableIsSet("KVE_UNDER_CTEST"))
            << "KVE_UPDATE_EXAMPLES is refused under ctest: run this test binary by itself to rewrite the example";
        ASSERT_EQ(SaveFile(kExample, exampleState()), QString());
    }
    QFile f(kExample);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().toStdString(), formatDataset(exampleState()).toStdString());
}

TEST(ExampleDataset, RewritingTheExampleIsRefusedUnderCtest)
{
    QFile before(kExample);
    ASSERT_TRUE(before.open(QIODevice::ReadOnly));
    const QByteArray bytes = before.readAll();
    const ChildTestRun run = runTestUnderCtest(QStringLiteral("ExampleDataset.CommittedFileIsWhatTheWriterGives"),
                                               QStringLiteral("KVE_UPDATE_EXAMPLES"));
    EXPECT_NE(run.status, 0) << run.output.toStdString();
    EXPECT_TRUE(run.output.contains(QStringLiteral("KVE_UPDATE_EXAMPLES is refused under ctest"))) << run.output.toStdString();
    QFile after(kExample);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), bytes);
}

TEST(ExampleDataset, HoldsWhatTheSamplePromises)
{
    const LoadResult r = LoadFile(kExample, QStringLiteral("19"), 19);
    ASSERT_TRUE(r.ok()) << r.error.text.toStdString();
    DatasetState s;
    applyContent(*r.content, s);
    ASSERT_EQ(s.matrix.upperRow(), kRowCount + 1);

    std::multiset<double> xs;
    std::multiset<double> ys;
    int excluded = 0;
    int equal = 0;
    for (int r = 1; r <= kRowCount; ++r) {
        const auto x = s.matrix.cell(DataMatrix::ColX, r).toNumber();
        const auto y = s.matrix.cell(DataMatrix::ColY, r).toNumber();
        ASSERT_TRUE(x && y) << r;
        EXPECT_TRUE(s.matrix.cell(DataMatrix::ColSDX, r).toNumber().value_or(0) > 0) << r;
        EXPECT_TRUE(s.matrix.cell(DataMatrix::ColSDY, r).toNumber().value_or(0) > 0) << r;
        xs.insert(*x);
        ys.insert(*y);
        equal += *x == *y;
        excluded += s.matrix.cell(DataMatrix::ColExclude, r).text().startsWith(QLatin1Char('Y'));
    }
    EXPECT_LT(std::set<double>(xs.begin(), xs.end()).size(), xs.size());   // ties in X
    EXPECT_LT(std::set<double>(ys.begin(), ys.end()).size(), ys.size());   // ties in Y
    EXPECT_EQ(equal, 1);
    EXPECT_EQ(excluded, 1);
    EXPECT_TRUE(s.notes.contains(QStringLiteral("Winter wheat")));
    // Saved again, the file does not change.
    EXPECT_EQ(formatDataset(s).toStdString(), formatDataset(exampleState()).toStdString());
}

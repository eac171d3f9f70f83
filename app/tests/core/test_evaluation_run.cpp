// The evaluation run: used rows, notices, the report header and frame.
#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <QTimeZone>

#include <gtest/gtest.h>

#include "core/evaluation_run.hpp"

namespace {

// Rows of (X, SD X, Y, SD Y, Exclude) as texts; "" leaves a cell empty.
DataMatrix makeMatrix(const std::vector<std::array<const char*, 5>>& rows)
{
    DataMatrix m(static_cast<int>(rows.size()) + 1);
    const int cols[] = {DataMatrix::ColX, DataMatrix::ColSDX, DataMatrix::ColY, DataMatrix::ColSDY, DataMatrix::ColExclude};
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (int c = 0; c < 5; ++c)
            if (*rows[r][static_cast<std::size_t>(c)])
                m.setText(cols[c], static_cast<int>(r) + 1, QString::fromUtf8(rows[r][static_cast<std::size_t>(c)]));
    return m;
}

EvaluationOptions defaultOptions(int gridRows)
{
    EvaluationOptions o;
    o.gridRows = gridRows;
    o.ticked = {QStringLiteral("Check13"), QStringLiteral("Check32")};
    o.mainCaption = QStringLiteral("KVE - sample.KVE");
    o.now = QDateTime(QDate(2026, 12, 10), QTime(9, 5, 7));
    return o;
}

} // namespace

TEST(EvaluationRun, UsedRowRule)
{
    struct Case { const char* mark; bool used; };
    const Case cases[] = {
        {"", true}, {"N", true}, {"1", true}, {" Y", true}, {"no", true},
        {"Y", false}, {"y", false}, {"yes", false}, {"0", false}, {"0.5", false},
    };
    for (const Case& c : cases) {
        const DataMatrix m = makeMatrix({{"1", "", "2", "", c.mark}});
        EXPECT_EQ(gatherEvaluationData(m, 2).N, c.used ? 1 : 0) << "mark '" << c.mark << "'";
    }
    // An empty X drops the row; an empty or non-numeric Y reads 0; empty SDs read 0.
    const DataMatrix m = makeMatrix({{"", "1", "2", "1", ""}, {"3", "", "", "", ""}, {"x", "0.5", "abc", "0.25", ""}});
    const EvaluationData d = gatherEvaluationData(m, 4);
    ASSERT_EQ(d.N, 2);
    EXPECT_EQ(d.X[1], 3);
    EXPECT_EQ(d.Y[1], 0);
    EXPECT_EQ(d.SDX[1], 0);
    EXPECT_EQ(d.X[2], 0);
    EXPECT_EQ(d.SDX[2], 0.5);
    EXPECT_EQ(d.SDY[2], 0.25);
    // Only the grid's rows count, not the spare row of the matrix.
    DataMatrix spare = makeMatrix({{"1", "", "1", "", ""}, {"2", "", "2", "", ""}});
    EXPECT_EQ(gatherEvaluationData(spare, 2).N, 1);
}

TEST(EvaluationRun, FewerThanThreeRowsEndSilently)
{
    const DataMatrix m = makeMatrix({{"1", "", "2", "", ""}, {"2", "", "3", "", ""}, {"3", "", "5", "", "Y"}});
    const EvaluationOutcome out = runEvaluation(m, defaultOptions(4));
    EXPECT_FALSE(out.ran);
    EXPECT_TRUE(out.requests.isEmpty());
    EXPECT_FALSE(out.MeanY.has_value());
}

TEST(EvaluationRun, ReportHeader)
{
    QLocale::setDefault(QLocale::c());
    const QDateTime now(QDate(2026, 3, 4), QTime(17, 8, 9));
    const QString untitled = buildReportHeader(QString(), now);
    const QString first = QStringLiteral("KVE v. 3.1.0") + QString(36, ' ') + "[UNTITLED]" + QString(36, ' ') + "04-Mar-2026 17:08:09";
    EXPECT_EQ(untitled, first + "\r\n" + QString(first.size(), '.') + "\r\n\r\n");

    const QString name78(78, 'n');
    EXPECT_TRUE(buildReportHeader("/d/" + name78, now).startsWith("KVE v. 3.1.0 [..." + QString(73, 'n') + "] 04-Mar-2026"));
    const QString name77(77, 'm');
    EXPECT_TRUE(buildReportHeader("/d/" + name77, now).startsWith("KVE v. 3.1.0 [" + name77 + "] 04-Mar"));
    EXPECT_TRUE(buildReportHeader("/d/ab.KVE", now).startsWith("KVE v. 3.1.0" + QString(37, ' ') + "[ab.KVE]" + QString(37, ' ') + "04-Mar"));
    EXPECT_TRUE(buildReportHeader("/d/abc.KVE", now).startsWith("KVE v. 3.1.0" + QString(36, ' ') + "[abc.KVE]" + QString(36, ' ') + "04-Mar"));
}

TEST(EvaluationRun, WeightedMethodNotices)
{
    const DataMatrix full = makeMatrix({{"1", "0.1", "1.2", "0.2", ""}, {"2", "0.1", "1.9", "0.2", ""},
                                        {"3", "0.1", "3.3", "0.2", ""}, {"4", "0.1", "3.8", "0.2", ""}});
    // Both uncertainties ignored: exactly one notice, then the regular fit.
    EvaluationOptions o = defaultOptions(5);
    o.method = RegressionMethod::WeightedLeastSquares;
    o.ticked << QStringLiteral("Check2") << QStringLiteral("Check3");
    EvaluationOutcome out = runEvaluation(full, o);
    ASSERT_TRUE(out.ran);
    ASSERT_GE(out.requests.size(), 2);
    EXPECT_EQ(out.requests[0].kind, RunRequest::Kind::Notice);
    EXPECT_EQ(out.requests[0].text, QStringLiteral("Because both uncertainties are being ignored, the Regular Least-Squares Regression will be used"));
    EXPECT_EQ(out.requests[1].kind, RunRequest::Kind::SelectMethod);
    EXPECT_EQ(out.requests[2].kind, RunRequest::Kind::ShowReport);
    EXPECT_TRUE(out.report.contains("\r\n\r\nRegular Least-Squares Regression\r\n\r\nREGRESSION ANALYSIS"));

    // A missing SD Y in the third row: the second notice, once.
    DataMatrix gap = full;
    gap.setText(DataMatrix::ColSDY, 3, QString());
    gap.setText(DataMatrix::ColSDY, 4, QString());
    o = defaultOptions(5);
    o.method = RegressionMethod::WeightedLeastSquares;
    out = runEvaluation(gap, o);
    ASSERT_TRUE(out.ran);
    EXPECT_EQ(out.requests[0].text, QStringLiteral("Because at least one SD X or SD Y is zero, the Regular Least-Squares Regression will be used"));
    EXPECT_EQ(out.requests[1].kind, RunRequest::Kind::SelectMethod);
    EXPECT_EQ(out.requests[2].kind, RunRequest::Kind::ShowReport);
    EXPECT_EQ(out.methodUsed, RegressionMethod::LeastSquares);

    // Only X ignored and every SD Y present: weighted, with its method lines.
    o = defaultOptions(5);
    o.method = RegressionMethod::WeightedLeastSquares;
    o.ticked << QStringLiteral("Check2");
    out = runEvaluation(full, o);
    EXPECT_EQ(out.requests[0].kind, RunRequest::Kind::ShowReport);
    EXPECT_TRUE(out.report.contains("\r\n\r\nWeighted Least-Squares Regression\r\nIgnored uncertainties in X\r\n\r\nREGRESSION"));
}

TEST(EvaluationRun, NoMethodSelected)
{
    const DataMatrix m = makeMatrix({{"1", "", "1.2", "", ""}, {"2", "", "1.9", "", ""}, {"3", "", "3.3", "", ""}});
    EvaluationOptions o = defaultOptions(4);
    o.method = RegressionMethod::None;
    const EvaluationOutcome out = runEvaluation(m, o);
    EXPECT_FALSE(out.ran);
    ASSERT_EQ(out.requests.size(), 1);
    EXPECT_EQ(out.requests[0].kind, RunRequest::Kind::ErrorBox);
    EXPECT_EQ(out.requests[0].text, QStringLiteral("No option for regression is selected"));
}

TEST(EvaluationRun, BatchRunTicksAutoAfterShowing)
{
    const DataMatrix m = makeMatrix({{"1", "", "1.2", "", ""}, {"2", "", "1.9", "", ""}, {"3", "", "3.3", "", ""}});
    EvaluationOptions o = defaultOptions(4);
    o.batchMode = true;
    const EvaluationOutcome out = runEvaluation(m, o);
    ASSERT_EQ(out.requests.size(), 2);
    EXPECT_EQ(out.requests[0].kind, RunRequest::Kind::ShowReport);
    EXPECT_EQ(out.requests[0].caption, QStringLiteral("Results - KVE - sample.KVE"));
    EXPECT_EQ(out.requests[1].kind, RunRequest::Kind::SetAuto);
}

TEST(EvaluationRun, CommentsAndSwapLines)
{
    const DataMatrix m = makeMatrix({{"1", "", "1.2", "", ""}, {"2", "", "1.9", "", ""}, {"3", "", "3.3", "", ""}});
    EvaluationOptions o = defaultOptions(4);
    o.ticked = {QStringLiteral("Check7")};
    const EvaluationOutcome out = runEvaluation(m, o);
    EXPECT_TRUE(out.report.contains("Regular Least-Squares Regression\r\nSwapped X <=> Y\r\n\r\n"));
    for (const QString& line : out.report.split("\r\n"))
        EXPECT_FALSE(line.startsWith("!!")) << line.toStdString();
    EXPECT_FALSE(out.report.contains(QLatin1Char('\n') + QStringLiteral("x")));
    // Every line ends in CR LF: no bare LF.
    EXPECT_EQ(out.report.count("\n"), out.report.count("\r\n"));
}

// The evaluation run: used rows, notices, the report header and frame.
#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "core/evaluation/evaluation_run.hpp"

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

// A run as a fresh window starts it: least squares, comments on, no
// section ticked.
EvaluationInput runInput(int gridRows)
{
    EvaluationInput in;
    in.gridRows = gridRows;
    in.mainCaption = QStringLiteral("KVE - sample.KVE");
    in.now = QDateTime(QDate(2026, 12, 10), QTime(9, 5, 7));
    return in;
}

template <class Kind>
bool is(const RunRequest& request)
{
    return std::holds_alternative<Kind>(request);
}

// A run either goes on, or is refused with `refusal` before anything is
// computed: no request, no report, no mean and the kept limit `limit`
// (set to -7 before the run) untouched.
void expectRefusedOrRun(const EvaluationOutcome& out, const char* refusal, double limit, const char* name)
{
    EXPECT_EQ(out.refusal, QString::fromUtf8(refusal)) << name;
    EXPECT_EQ(out.ran, !*refusal) << name;
    if (*refusal) {
        EXPECT_TRUE(out.requests.isEmpty()) << name;
        EXPECT_TRUE(out.report.isEmpty()) << name;
        EXPECT_FALSE(out.MeanY.has_value()) << name;
        EXPECT_EQ(limit, -7) << name;
    }
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
    // An empty X drops the row whatever its other cells; SDs that are empty
    // or blank read 0.
    const DataMatrix m = makeMatrix({{"", "1", "abc", "1", ""}, {"3", "", "4", "  ", ""}, {"5", "0.5", "6", "0.25", ""}});
    QString unreadable;
    const EvaluationData d = gatherEvaluationData(m, 4, false, &unreadable);
    EXPECT_EQ(unreadable, QString());
    ASSERT_EQ(d.N, 2);
    EXPECT_EQ(d.X[1], 3);
    EXPECT_EQ(d.Y[1], 4);
    EXPECT_EQ(d.SDX[1], 0);
    EXPECT_EQ(d.SDY[1], 0);
    EXPECT_EQ(d.X[2], 5);
    EXPECT_EQ(d.SDX[2], 0.5);
    EXPECT_EQ(d.SDY[2], 0.25);
    // Only the grid's rows count, not the spare row of the matrix.
    DataMatrix spare = makeMatrix({{"1", "", "1", "", ""}, {"2", "", "2", "", ""}});
    EXPECT_EQ(gatherEvaluationData(spare, 2).N, 1);
}

TEST(EvaluationRun, FewerThanThreeRowsEndSilentlyButSayWhy)
{
    // No box and no window; the reason is there for a command line that
    // asked for a report.
    struct Case {
        std::vector<std::array<const char*, 5>> rows;
        const char* refusal;
    };
    const Case cases[] = {
        {{}, "nothing to evaluate: the dataset holds no data rows"},
        {{{"", "1", "2", "", ""}, {"", "", "3", "", ""}}, "nothing to evaluate: the dataset holds no data rows"},
        {{{"1", "", "2", "", "Y"}, {"2", "", "3", "", "0"}, {"3", "", "5", "", "yes"}},
         "nothing to evaluate: every data row is excluded"},
        {{{"1", "", "2", "", ""}, {"2", "", "3", "", ""}, {"3", "", "5", "", "Y"}},
         "nothing to evaluate: only 2 data rows are used; the evaluation needs at least 3"},
        {{{"1", "", "2", "", ""}, {"2", "", "3", "", "Y"}},
         "nothing to evaluate: only 1 data row is used; the evaluation needs at least 3"},
    };
    for (const Case& c : cases) {
        DataMatrix m = c.rows.empty() ? DataMatrix(20) : makeMatrix(c.rows);
        const EvaluationOutcome out = runEvaluation(m, runInput(m.upperRow()));
        EXPECT_FALSE(out.ran);
        EXPECT_TRUE(out.requests.isEmpty());
        EXPECT_FALSE(out.MeanY.has_value());
        EXPECT_EQ(out.refusal, QLatin1String(c.refusal));
    }
}

TEST(EvaluationRun, AUsedCellThatIsNoNumberStopsTheRunBeforeAnythingIsComputed)
{
    // Four rows of (X, Y) that are numbers; each case puts its cells into
    // them. The first used row whose X or Y is not a number, or whose SD
    // holds a text that is not one, names itself, X before Y before the
    // SDs, with the sheet's column names; an empty SD is no fault, and rows
    // the run does not use may hold anything.
    struct Cell {
        int row;
        int column;
        const char* text;
    };
    struct Case {
        const char* name;
        std::vector<Cell> cells;
        const char* refusal;              // "": the run goes ahead
        bool swapped = false;
        int gridRows = 5;
    };
    const int X = DataMatrix::ColX, Y = DataMatrix::ColY, SDX = DataMatrix::ColSDX, SDY = DataMatrix::ColSDY,
              Ex = DataMatrix::ColExclude;
    const Case cases[] = {
        {"empty Y", {{3, Y, ""}}, "Row 3: Y (Obs) is empty."},
        {"blank Y", {{2, Y, "   "}}, "Row 2: Y (Obs) is empty."},
        {"text X", {{3, X, "abc"}}, "Row 3: X (Pred) is not a number: abc"},
        {"decimal comma", {{1, X, "6,9"}}, "Row 1: X (Pred) is not a number: 6,9"},
        {"blank X", {{4, X, " "}}, "Row 4: X (Pred) is empty."},
        {"X before Y of one row", {{2, Y, ""}, {2, X, "n/a"}}, "Row 2: X (Pred) is not a number: n/a"},
        {"the first row only", {{4, Y, "x"}, {2, Y, ""}}, "Row 2: Y (Obs) is empty."},
        {"swapped names", {{2, Y, ""}}, "Row 2: Y (Pred) is empty.", true},
        {"before too few rows", {{2, Y, "?"}, {3, Ex, "Y"}, {4, Ex, "Y"}}, "Row 2: Y (Obs) is not a number: ?"},
        {"excluded row with junk", {{2, X, "abc"}, {2, Y, ""}, {2, Ex, "yes"}}, ""},
        {"row excluded by 0 with junk", {{3, Y, "6,9"}, {3, Ex, "0"}}, ""},
        {"row without X", {{2, X, ""}, {2, Y, "abc"}}, ""},
        {"row beyond the dataset's points", {{4, Y, "abc"}}, "", false, 4},
        {"SD X that is not a number", {{2, SDX, "abc"}}, "Row 2: SD X is not a number: abc"},
        {"SD Y with a decimal comma", {{3, SDY, "0,46"}}, "Row 3: SD Y is not a number: 0,46"},
        {"Y before the SDs", {{2, SDX, "a"}, {2, SDY, "b"}, {2, Y, "c"}}, "Row 2: Y (Obs) is not a number: c"},
        {"SD X before SD Y", {{3, SDY, "b"}, {3, SDX, "a"}}, "Row 3: SD X is not a number: a"},
        {"the first row's SD only", {{4, SDX, "a"}, {1, SDY, "b"}}, "Row 1: SD Y is not a number: b"},
        {"swapped keeps the SD names", {{2, SDY, "?"}}, "Row 2: SD Y is not a number: ?", true},
        {"empty and blank SDs", {{2, SDX, ""}, {3, SDY, "   "}}, ""},
        {"excluded row with SD junk", {{2, SDY, "abc"}, {2, Ex, "Y"}}, ""},
    };
    for (const Case& c : cases) {
        DataMatrix m = makeMatrix({{"1", "", "1.5", "", ""}, {"2", "", "1.9", "", ""}, {"3", "", "3.4", "", ""},
                                   {"4", "", "4.2", "", ""}});
        for (const Cell& cell : c.cells)
            m.setText(cell.column, cell.row, QString::fromUtf8(cell.text));
        EvaluationInput o = runInput(c.gridRows);
        o.settings.sheet.swapped = c.swapped;
        o.limits.DeviationLower = -7;
        const EvaluationOutcome out = runEvaluation(m, o);
        expectRefusedOrRun(out, c.refusal, out.limits.DeviationLower, c.name);
    }
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
    EvaluationInput o = runInput(5);
    o.settings.method = RegressionMethod::WeightedLeastSquares;
    o.settings.ignoreUncertaintyX = o.settings.ignoreUncertaintyY = true;
    DataMatrix m = full;
    EvaluationOutcome out = runEvaluation(m, o);
    ASSERT_TRUE(out.ran);
    ASSERT_EQ(out.requests.size(), 3);
    ASSERT_TRUE(is<RunRequests::Notice>(out.requests[0]));
    EXPECT_EQ(std::get<RunRequests::Notice>(out.requests[0]).text, QStringLiteral("Because both uncertainties are being ignored, the Regular Least-Squares Regression will be used"));
    ASSERT_TRUE(is<RunRequests::SelectMethod>(out.requests[1]));
    EXPECT_EQ(std::get<RunRequests::SelectMethod>(out.requests[1]).method, RegressionMethod::LeastSquares);
    EXPECT_TRUE(is<RunRequests::ShowReport>(out.requests[2]));
    EXPECT_TRUE(out.report.contains("\r\n\r\nRegular Least-Squares Regression\r\n\r\nREGRESSION ANALYSIS"));

    // An SD that is empty or 0: the second notice, once, naming the first
    // such cell (an ignored SD X is passed over); an excluded row does not
    // count.
    struct Zero {
        int row;
        int column;
        const char* text;
    };
    const struct {
        std::vector<Zero> cells;
        bool ignoreX;
        const char* where;
    } zeros[] = {
        {{{3, DataMatrix::ColSDY, ""}, {4, DataMatrix::ColSDY, ""}}, false, "Row 3: SD Y is empty"},
        {{{4, DataMatrix::ColSDY, "0"}, {3, DataMatrix::ColSDX, " "}}, false, "Row 3: SD X is empty"},
        {{{2, DataMatrix::ColSDY, "0.000"}, {2, DataMatrix::ColSDX, "0"}}, false, "Row 2: SD X is 0"},
        {{{2, DataMatrix::ColSDX, "0"}, {3, DataMatrix::ColSDY, "0.000"}}, true, "Row 3: SD Y is 0.000"},
        {{{1, DataMatrix::ColSDY, ""}, {1, DataMatrix::ColExclude, "Y"}, {4, DataMatrix::ColSDX, "0e0"}}, false,
         "Row 4: SD X is 0e0"},
    };
    for (const auto& z : zeros) {
        DataMatrix gap = full;
        for (const Zero& cell : z.cells)
            gap.setText(cell.column, cell.row, QString::fromUtf8(cell.text));
        o = runInput(5);
        o.settings.method = RegressionMethod::WeightedLeastSquares;
        o.settings.ignoreUncertaintyX = z.ignoreX;
        out = runEvaluation(gap, o);
        ASSERT_TRUE(out.ran) << z.where;
        ASSERT_EQ(out.requests.size(), 3) << z.where;
        ASSERT_TRUE(is<RunRequests::Notice>(out.requests[0])) << z.where;
        EXPECT_EQ(std::get<RunRequests::Notice>(out.requests[0]).text,
                  QStringLiteral("Because at least one SD X or SD Y is zero (") + QLatin1String(z.where)
                      + QStringLiteral("), the Regular Least-Squares Regression will be used"));
        EXPECT_TRUE(is<RunRequests::SelectMethod>(out.requests[1])) << z.where;
        EXPECT_TRUE(is<RunRequests::ShowReport>(out.requests[2])) << z.where;
        EXPECT_EQ(out.methodUsed, RegressionMethod::LeastSquares) << z.where;
    }

    // Only X ignored and every SD Y present: weighted, with its method lines.
    o = runInput(5);
    o.settings.method = RegressionMethod::WeightedLeastSquares;
    o.settings.ignoreUncertaintyX = true;
    out = runEvaluation(m, o);
    ASSERT_EQ(out.requests.size(), 1);
    EXPECT_TRUE(is<RunRequests::ShowReport>(out.requests[0]));
    EXPECT_TRUE(out.report.contains("\r\n\r\nWeighted Least-Squares Regression\r\nIgnored uncertainties in X\r\n\r\nREGRESSION"));
}

TEST(EvaluationRun, HistogramsAreAskedForJustBeforeTheReportWindow)
{
    DataMatrix m = makeMatrix({{"1", "", "1.2", "", ""}, {"2", "", "1.9", "", ""}, {"3", "", "3.3", "", ""},
                               {"4", "", "4.1", "", ""}});
    for (const bool ticked : {false, true}) {
        EvaluationInput o = runInput(5);
        o.settings.sections.rank = true;
        o.settings.sections.histograms = ticked;
        const EvaluationOutcome out = runEvaluation(m, o);
        ASSERT_TRUE(out.ran);
        const auto at = std::find_if(out.requests.begin(), out.requests.end(),
                                     [](const RunRequest& r) { return is<RunRequests::Histograms>(r); });
        EXPECT_EQ(at != out.requests.end(), ticked);
        if (ticked) {
            // After the sections' own requests (the ranks), right before the report.
            ASSERT_EQ(std::next(at) + 1, out.requests.end());
            EXPECT_TRUE(is<RunRequests::ShowReport>(*std::next(at)));
            EXPECT_TRUE(is<RunRequests::ShowRanks>(*std::prev(at)));
        }
    }
}

TEST(EvaluationRun, NoMethodSelected)
{
    DataMatrix m = makeMatrix({{"1", "", "1.2", "", ""}, {"2", "", "1.9", "", ""}, {"3", "", "3.3", "", ""}});
    EvaluationInput o = runInput(4);
    o.settings.method = RegressionMethod::None;
    const EvaluationOutcome out = runEvaluation(m, o);
    EXPECT_FALSE(out.ran);
    // The window shows the refusal in an error box, a command line as its reason.
    EXPECT_TRUE(out.requests.isEmpty());
    EXPECT_EQ(out.refusal, QStringLiteral("No option for regression is selected"));
}

TEST(EvaluationRun, ALimitThatIsNoNumberStopsTheRunThatReadsIt)
{
    // A box that holds no number refuses the run when a ticked section
    // reads it (the confidence: the deviation analysis; the limits: the
    // residual analysis), before anything is computed or kept; a run that
    // does not read it goes ahead.
    struct Case {
        const char* name;
        DatasetFile::Option option;
        const char* text;
        DatasetFile::Option section;
        const char* refusal;              // "": the run goes ahead
    };
    using DatasetFile::Option;
    const Case cases[] = {
        {"deviation limit", Option::DeviationLower, "-0,5", Option::ResidualAnalysis,
         "Deviation lower limit is not a number: -0,5"},
        {"studentized limit", Option::RStdResidueUpper, "2.5.1", Option::ResidualAnalysis,
         "RStd Res upper limit is not a number: 2.5.1"},
        {"limit not read", Option::DeviationLower, "-0,5", Option::DeviationAnalysis, ""},
        {"confidence", Option::DeviationConfidence, "95 %", Option::DeviationAnalysis,
         "Deviation CI % Prob is not a number: 95 %"},
        {"confidence not read", Option::DeviationConfidence, "95 %", Option::ResidualAnalysis, ""},
    };
    for (const Case& c : cases) {
        DataMatrix m = makeMatrix({{"1", "", "1.2", "", ""}, {"2", "", "1.9", "", ""}, {"3", "", "3.3", "", ""},
                                   {"4", "", "4.4", "", ""}});
        DatasetFile::DatasetOptions options = DatasetFile::defaultOptions();
        DatasetFile::applyOption(options, c.option, QString::fromUtf8(c.text));
        DatasetFile::applyOption(options, c.section, 1);
        EvaluationInput o = runInput(5);
        o.settings = EvaluationSettings::fromOptions(options);
        o.limits.ResidualLower = -7;
        const EvaluationOutcome out = runEvaluation(m, o);
        expectRefusedOrRun(out, c.refusal, out.limits.ResidualLower, c.name);
    }
}

TEST(EvaluationRun, BatchRunTicksAutoAfterShowing)
{
    DataMatrix m = makeMatrix({{"1", "", "1.2", "", ""}, {"2", "", "1.9", "", ""}, {"3", "", "3.3", "", ""}});
    EvaluationInput o = runInput(4);
    for (bool batch : {false, true}) {
        o.batchMode = batch;
        const EvaluationOutcome out = runEvaluation(m, o);
        ASSERT_EQ(out.requests.size(), 1);
        ASSERT_TRUE(is<RunRequests::ShowReport>(out.requests[0]));
        const auto& show = std::get<RunRequests::ShowReport>(out.requests[0]);
        EXPECT_EQ(show.caption, QStringLiteral("Results - KVE - sample.KVE"));
        EXPECT_EQ(show.text, out.report);
        EXPECT_EQ(show.autoActions, batch);
    }
}

TEST(EvaluationRun, CommentsAndSwapLines)
{
    DataMatrix m = makeMatrix({{"1", "", "1.2", "", ""}, {"2", "", "1.9", "", ""}, {"3", "", "3.3", "", ""}});
    EvaluationInput o = runInput(4);
    o.settings.comments = false;
    o.settings.sheet.swapped = true;
    const EvaluationOutcome out = runEvaluation(m, o);
    EXPECT_TRUE(out.report.contains("Regular Least-Squares Regression\r\nSwapped X <=> Y\r\n\r\n"));
    for (const QString& line : out.report.split("\r\n"))
        EXPECT_FALSE(line.startsWith("!!")) << line.toStdString();
    EXPECT_FALSE(out.report.contains(QLatin1Char('\n') + QStringLiteral("x")));
    // Every line ends in CR LF: no bare LF.
    EXPECT_EQ(out.report.count("\n"), out.report.count("\r\n"));
}

TEST(EvaluationRun, SettingsComeFromTheDatasetOptions)
{
    using DatasetFile::Option;
    const DatasetFile::DatasetOptions defaults = DatasetFile::defaultOptions();
    const EvaluationSettings start = EvaluationSettings::fromOptions(defaults);
    EXPECT_EQ(start.method, RegressionMethod::LeastSquares);
    EXPECT_TRUE(start.comments);
    EXPECT_EQ(start.bootstrapSubsamples, 200);
    EXPECT_EQ(start.bootstrapSizePercent, 20);
    EXPECT_EQ(start.deviationConfidencePercent, std::optional<double>(95));
    EXPECT_TRUE(start.rankThreshold.isEmpty());
    EXPECT_TRUE(start.residueWindow);
    for (int column = 1; column <= 14; ++column)
        EXPECT_EQ(start.residueColumns[static_cast<std::size_t>(column)], column != 6 && column != 8 && column != 14)
            << column;

    // Each check box switches its own field and no other; a grey box
    // (state 2) does not count as ticked.
    using Sections = EvaluationSettings::Sections;
    struct Switch {
        Option option;
        bool Sections::*field;
    };
    const Switch switches[] = {
        {Option::ParameterTests, &Sections::parameterTests}, {Option::OlsSls, &Sections::olsSls},
        {Option::DistributionAnalysis, &Sections::distribution}, {Option::MomentStatistics, &Sections::moments},
        {Option::RobustStatistics, &Sections::robustStatistics}, {Option::DiverseMeasures, &Sections::diverseMeasures},
        {Option::IndexAnalysis, &Sections::index}, {Option::ConcordanceTests, &Sections::concordance},
        {Option::GeneralizedCcc, &Sections::generalizedCcc}, {Option::RankAnalysis, &Sections::rank},
        {Option::BalanceAnalysis, &Sections::balance}, {Option::OrthogonalBalance, &Sections::orthogonalBalance},
        {Option::MsepAnalysis, &Sections::msep}, {Option::MsepBootstrap, &Sections::msepBootstrap},
        {Option::KleijnenAnalysis, &Sections::kleijnen}, {Option::BlandAltman, &Sections::blandAltman},
        {Option::ThresholdTable, &Sections::threshold}, {Option::DistanceAnalysis, &Sections::distance},
        {Option::WeighedDeviance, &Sections::weighedDeviance}, {Option::DeviationAnalysis, &Sections::deviation},
        {Option::ResidualAnalysis, &Sections::residual}, {Option::ResidueRegression, &Sections::residueRegression},
        {Option::HistogramPlots, &Sections::histograms}, {Option::ShowReferences, &Sections::references},
    };
    DatasetFile::DatasetOptions none = defaults;
    for (const Switch& sw : switches)
        none[static_cast<std::size_t>(DatasetFile::indexOf(sw.option))] = 0;
    for (const Switch& sw : switches) {
        for (int state : {1, 2}) {
            DatasetFile::DatasetOptions o = none;
            o[static_cast<std::size_t>(DatasetFile::indexOf(sw.option))] = state;
            const Sections on = EvaluationSettings::fromOptions(o).sections;
            for (const Switch& other : switches)
                EXPECT_EQ(on.*other.field, state == 1 && other.field == sw.field)
                    << DatasetFile::optionKey(sw.option).key << " state " << state << " -> "
                    << DatasetFile::optionKey(other.option).key;
        }
    }

    // The method buttons, none of them chosen, the boxes as typed, the sheet.
    struct Method {
        Option chosen;
        RegressionMethod method;
    };
    for (const Method& m : {Method{Option::WeightedLeastSquares, RegressionMethod::WeightedLeastSquares},
                            Method{Option::RobustRegression, RegressionMethod::LeastAbsoluteDeviation}}) {
        DatasetFile::DatasetOptions o = defaults;
        DatasetFile::applyOption(o, m.chosen, true);
        EXPECT_EQ(EvaluationSettings::fromOptions(o).method, m.method);
    }
    DatasetFile::DatasetOptions o = defaults;
    DatasetFile::applyOption(o, Option::LeastSquares, false);
    DatasetFile::applyOption(o, Option::IgnoreUncertaintyY, 1);
    DatasetFile::applyOption(o, Option::AddComments, 0);
    DatasetFile::applyOption(o, Option::BootstrapSubsamples, QStringLiteral(" 150 samples"));
    DatasetFile::applyOption(o, Option::BootstrapSize, QStringLiteral("many"));
    DatasetFile::applyOption(o, Option::RankThreshold, QStringLiteral("7"));
    DatasetFile::applyOption(o, Option::DeviationConfidence, QString());
    DatasetFile::applyOption(o, DatasetFile::residueOption(6), true);
    const EvaluationSettings s = EvaluationSettings::fromOptions(o, SheetSwitches{true, false, true});
    EXPECT_EQ(s.method, RegressionMethod::None);
    EXPECT_FALSE(s.ignoreUncertaintyX);
    EXPECT_TRUE(s.ignoreUncertaintyY);
    EXPECT_FALSE(s.comments);
    EXPECT_EQ(s.bootstrapSubsamples, 150);
    EXPECT_EQ(s.bootstrapSizePercent, 0);
    EXPECT_EQ(s.rankThreshold, QStringLiteral("7"));
    EXPECT_FALSE(s.deviationConfidencePercent.has_value());
    EXPECT_TRUE(s.residueColumns[6]);
    EXPECT_TRUE(s.sheet.swapped);
    EXPECT_FALSE(s.sheet.invertRanksX);
    EXPECT_TRUE(s.sheet.invertRanksY);

    // The limit and confidence boxes are read whole by the strict number
    // rule: empty (or blanks) gives no value, so the kept limit stays; a
    // number is taken; anything else gives no value and the words that
    // name the first such box, never the number it begins with.
    EXPECT_FALSE(start.limits.deviationLower.has_value());
    EXPECT_FALSE(start.limits.rstdResidueUpper.has_value());
    EXPECT_TRUE(start.unreadableLimit.isEmpty());
    EXPECT_TRUE(start.unreadableConfidence.isEmpty());
    struct Box {
        Option option;
        const char* text;
        std::optional<double> EvaluationSettings::Limits::*field;   // nullptr: the confidence
        std::optional<double> value;
        const char* unreadable;
    };
    using L = EvaluationSettings::Limits;
    const Box boxes[] = {
        {Option::DeviationLower, "-0.3", &L::deviationLower, -0.3, ""},
        {Option::DeviationUpper, " 0.3000 ", &L::deviationUpper, 0.3, ""},
        {Option::ResidualLower, "-2.5e-1", &L::residualLower, -0.25, ""},
        {Option::RStdResidueUpper, "3", &L::rstdResidueUpper, 3.0, ""},
        {Option::DeviationUpper, "0", &L::deviationUpper, 0.0, ""},
        {Option::RStdResidueLower, "", &L::rstdResidueLower, std::nullopt, ""},
        {Option::RStdResidueLower, "   ", &L::rstdResidueLower, std::nullopt, ""},
        {Option::DeviationLower, "-0,5", &L::deviationLower, std::nullopt, "Deviation lower limit is not a number: -0,5"},
        {Option::DeviationUpper, "1,5", &L::deviationUpper, std::nullopt, "Deviation upper limit is not a number: 1,5"},
        {Option::ResidualLower, "-2.5e-1 units", &L::residualLower, std::nullopt,
         "Residual lower limit is not a number: -2.5e-1 units"},
        {Option::ResidualUpper, "abc", &L::residualUpper, std::nullopt, "Residual upper limit is not a number: abc"},
        {Option::RStdResidueLower, "-inf", &L::rstdResidueLower, std::nullopt, "RStd Res lower limit is not a number: -inf"},
        {Option::RStdResidueUpper, "1e999", &L::rstdResidueUpper, std::nullopt,
         "RStd Res upper limit is not a number: 1e999"},
        {Option::DeviationConfidence, "97.5", nullptr, 97.5, ""},
        {Option::DeviationConfidence, "97,5", nullptr, std::nullopt, "Deviation CI % Prob is not a number: 97,5"},
    };
    for (const Box& b : boxes) {
        DatasetFile::DatasetOptions typed = defaults;
        DatasetFile::applyOption(typed, b.option, QString::fromUtf8(b.text));
        const EvaluationSettings read = EvaluationSettings::fromOptions(typed);
        const bool confidence = b.field == nullptr;
        EXPECT_EQ(confidence ? read.deviationConfidencePercent : read.limits.*b.field, b.value) << b.text;
        EXPECT_EQ(confidence ? read.unreadableConfidence : read.unreadableLimit, QString::fromUtf8(b.unreadable))
            << b.text;
    }
    // Of several, the first in the panel's order is named.
    DatasetFile::DatasetOptions two = defaults;
    DatasetFile::applyOption(two, Option::RStdResidueUpper, QStringLiteral("x"));
    DatasetFile::applyOption(two, Option::ResidualUpper, QStringLiteral("y"));
    EXPECT_EQ(EvaluationSettings::fromOptions(two).unreadableLimit, QStringLiteral("Residual upper limit is not a number: y"));
}

TEST(EvaluationRun, SectionsRunInReportOrderWhenTicked)
{
    // The status line names each ticked section as it starts and is hidden
    // at the end; the report holds the ticked sections in order.
    DataMatrix m = makeMatrix({{"1", "", "1.2", "", ""}, {"2", "", "1.9", "", ""}, {"3", "", "3.3", "", ""},
                               {"4", "", "4.1", "", ""}});
    struct Case {
        bool parameterTests, olsSls;
        QStringList status;
        QStringList headings;
    };
    const QString regression = QStringLiteral("REGRESSION ANALYSIS");
    const QString parameters = QStringLiteral("PARAMETER PROBABILITIES");
    const QString olsSls = QStringLiteral("ORDINARY (OLS)");
    const Case cases[] = {
        {false, false, {"Regression...", ""}, {regression}},
        {true, false, {"Regression...", "Parameters...", ""}, {regression, parameters}},
        {false, true, {"Regression...", "OLS and SLS...", ""}, {regression, olsSls}},
        {true, true, {"Regression...", "Parameters...", "OLS and SLS...", ""}, {regression, parameters, olsSls}},
    };
    for (const Case& c : cases) {
        EvaluationInput o = runInput(5);
        o.settings.sections.parameterTests = c.parameterTests;
        o.settings.sections.olsSls = c.olsSls;
        QStringList shown;
        o.status = [&shown](const QString& text) { shown << text; };
        const EvaluationOutcome out = runEvaluation(m, o);
        EXPECT_EQ(shown, c.status);
        qsizetype at = 0;
        for (const QString& h : {regression, parameters, olsSls}) {
            const qsizetype found = out.report.indexOf(h);
            EXPECT_EQ(found >= 0, c.headings.contains(h)) << h.toStdString();
            if (found >= 0) {
                EXPECT_GT(found, at) << h.toStdString();
                at = found;
            }
        }
    }
}

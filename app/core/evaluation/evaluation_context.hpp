#pragma once
// What the sections of one evaluation run share, by owner: the used rows
// and the settings; the fit of the regression step, computed once before
// the sections and only read by them; the means and variances they share,
// which the moments section alone replaces; the diagnostics of every row,
// computed when first read; the library object, the random source, the
// dataset for values written back, the acceptance limits kept between
// runs, the report being written and the requests for the window.
// Anything else a section computes stays in the section.

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <initializer_list>
#include <limits>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "SumtrixLib/BoundedArray.hpp"
#include "SumtrixLib/Rounding.hpp"
#include "SumtrixLib/Runtime.hpp"
#include "core/data_matrix.hpp"
#include "core/evaluation/evaluation_settings.hpp"
#include "core/evaluation/run_requests.hpp"
#include "core/program_state.hpp"
#include "core/report_text.hpp"

namespace SumtrixLib {
class Sumtrix;
}
class RandomSource;

// The evaluation's arrays are the library's, indexed 0..N (element 0 is
// 0): sections hand them to library calls as they are. Code that only
// reads their values takes a view of them (a std::vector of the same
// indexes converts to one too).
using ArrayView = std::span<const double>;
inline ArrayView view(const SumtrixLib::BoundedArray<double>& a)
{
    return a.data();
}

// The used rows.
struct EvaluationData {
    int N = 0;
    SumtrixLib::BoundedArray<double> X, SDX, Y, SDY;   // 0..N
    std::vector<int> sheetRow;          // the sheet row each used row came from
};

// A value that could not be computed (its step failed or never wrote it):
// the report prints it as "n/a".
inline constexpr double NotComputed = std::numeric_limits<double>::quiet_NaN();

// The line and the means the regression step computed its residues of, and
// whether it could (the residues and MSE were computed): the diagnostics of
// every row are those of this line. The median line passes through used
// rows that its fit names (`through`, 1..N ascending): their residues are
// 0, as in exact arithmetic, and every section that splits or ranks the
// rows by their side of the line sees them on it.
struct ResidualLine {
    double a = 0, b = 0, VarX = 0, MeanX = 0, MeanY = 0;
    bool stands = false;
    std::vector<std::int32_t> through;
};

// The spreads of the used rows that are zero within rounding
// (SumtrixLib/Rounding.hpp), decided once from the data: constant data and
// data on an exact line give the same report whatever their decimals. A
// section that needs to know whether a spread is zero reads these, never
// its own sums, whose rounding would make them small numbers instead of 0.
struct ZeroSpreads {
    bool X = false, Y = false;                  // the column is one value
    SumtrixLib::RoundingInterval differences;   // X - Y: one value when not empty
    SumtrixLib::LineWithinRounding line;        // the points on a line of Y on X
    // X - Y is one value: a constant bias (or none).
    bool constantBias() const { return !differences.empty(); }
    // Every X - Y is zero: no bias at all.
    bool noBias() const { return differences.holds(0.0); }
    // The points lie on a line of Y on X that is not flat: |r| = 1.
    bool perfectCorrelation() const { return line.exact && !X && !Y; }
};
ZeroSpreads zeroSpreads(const EvaluationData& data);

// What the regression step computes once for all sections, which only read
// it. A value stays NotComputed when the step that sets it fails, and so are
// values that the chosen method does not compute at all (siga, sigb and Q of
// the least-absolute-deviation line, abdev of the others, the six lines
// outside least squares).
struct RegressionFit {
    double a = 0, b = 0, siga = 0, sigb = 0, chi2 = 0, Q = 0, abdev = 0;
    std::array<double, 7> intercept{}, slope{}, sigintercept{}, sigslope{};   // 1..6
    double MSE = 0;
    double ResistantR2 = 0, AdjResistantR2 = 0;
    double r2 = 0, mb = 0, MAE = 0, pMAE = 0, MSEP = 0, VarMSEP = 0, MEF = 0, MxE = 0, CD = 0;
    std::array<double, 6> MSEPComp{};                                          // 1..5
    double r = 0, t = 0, ProbT = 0, Adjr2 = 0;                                 // Pearson's r and its test
    ResidualLine residualLine;
    ZeroSpreads spreads;
};

// The means and variances that the sections share: the regression step's,
// until the moments section puts its own of X and Y in their place.
struct SharedMoments {
    double MeanX = 0, MeanY = 0, VarX = 0, VarY = 0, MeanXY = 0, VarXY = 0, CoVarXY = 0;
};

// The regression step (regression_sections.cpp): fits the line by `method`
// and computes the values every section reads.
struct RegressionStep {
    RegressionFit fit;
    SharedMoments moments;
};
RegressionStep computeRegression(SumtrixLib::Sumtrix& lib, const EvaluationData& data, RegressionMethod method);

// The diagnostics of every used row (STAT_Residue), the library's arrays
// 0..N (element 0 is 0).
struct ResidualRows {
    SumtrixLib::BoundedArray<double> Deviation, Pred, Residue, SEr, StdtRes, RStdtRes, h, Cook, DFFITS,
        NormalResidue, PRESS, SemiStdtRes, WtDev;
};

class EvaluationContext {
public:
    EvaluationContext(const EvaluationSettings& settings, const EvaluationData& data, RegressionMethod method,
                      SumtrixLib::Sumtrix& lib, RandomSource& random, DataMatrix& matrix, AcceptanceLimits& limits,
                      const RegressionStep& regression)
        : settings(settings), data(data), method(method), lib(lib), random(random), matrix(matrix), limits(limits),
          fit(regression.fit), m_moments(regression.moments)
    {
    }

    const EvaluationSettings& settings;
    const EvaluationData& data;
    const RegressionMethod method;      // the fit in use, after the notices
    SumtrixLib::Sumtrix& lib;
    RandomSource& random;
    // The dataset: sections that write values back into the sheet (ranks)
    // change it here and ask the window to show the cells again.
    DataMatrix& matrix;
    AcceptanceLimits& limits;           // program-wide, kept between runs
    const RegressionFit fit;
    int gridRows = 0;                   // the sheet's row count, header row included
    QString mainCaption;                // the main window's caption
    QString dataFileName;
    bool batchMode = false;             // a command-line run: nobody waits at the screen
    QString reportHeader;               // the report's opening block; side windows start with it too
    ReportText report;
    QList<RunRequest> requests;         // for the window, in the order it is to carry them out
    // The files the run was to write besides the report and could not:
    // one line each, naming the file and the reason.
    QStringList unsavedFiles;
    // Shows the name of a step under way on the status line; may be empty.
    std::function<void(const QString&)> status;

    const SharedMoments& moments() const { return m_moments; }
    // The moments section's means and variances of X and Y in place of the
    // regression step's; one that could not be computed (NotComputed)
    // leaves the one before.
    void replaceMoments(double MeanX, double VarX, double MeanY, double VarY);

    // The diagnostics of every used row, computed when a section first reads
    // them: a run whose sections read none of them does not hold them. All
    // NotComputed when the regression step's residues did not stand.
    const ResidualRows& rows() const;

    void request(RunRequest r) { requests.append(std::move(r)); }
    void showStatus(const QString& text) const
    {
        if (status)
            status(text);
    }
    // The caption of a window of the run: "Results - ", "Deviation Analyses - "
    // ... followed by the main window's caption.
    QString windowCaption(const QString& prefix) const { return prefix + mainCaption; }

private:
    SharedMoments m_moments;
    mutable std::optional<ResidualRows> m_residualRows;
};

// Runs one step of the run: a failing library call or arithmetic error ends
// the step, and the run goes on with what the step had written by then.
// Running out of memory is no failed step; it ends the run.
template <class Step>
bool step(Step&& s)
{
    return SumtrixLib::ignoreErrors(std::forward<Step>(s));
}

// Runs one library call whose results are `outputs`. They start as
// NotComputed. When the call fails, or a sum inside it went beyond the
// double range (the library passes over such a statement and goes on with
// what the sum held before), none of them is a result: all are
// NotComputed and print "n/a". Outputs the call leaves unwritten stay
// NotComputed too. Returns whether the results stand. An output the
// library adds onto (CoVarXY, sigintercept) must start at 0: leave it out
// of `outputs`, set it to 0 and mark it when the call does not stand.
bool libraryStep(const std::vector<double*>& outputs, const std::function<void()>& call);

// Whether every value was computed. A step whose inputs were not is not
// run: its results stay NotComputed rather than being made from nothing.
bool allComputed(std::initializer_list<double> values);

// The value `compute` returns; NotComputed when it fails or overflows.
double computed(const std::function<double()>& compute);

// num / den; NotComputed when den is 0 or either is not computed.
double ratio(double num, double den);
// The two-sided P value of a t statistic with df degrees of freedom,
// 1 - STAT_PROBST(t, df, two tails); NotComputed when t is not computed or
// the probability cannot be formed.
double twoSidedP(SumtrixLib::Sumtrix& lib, double t, double df);

// A test statistic and its P value.
struct TestResult {
    double statistic = NotComputed, P = NotComputed;
};
// The test of a spread that is zero within rounding, which the data decide
// (SumtrixLib::testWithoutSpread): a difference that is not zero within
// rounding is certain, with an infinite statistic (printed "n/a") and P 0
// (printed as the lowest P), as a perfect correlation's t is; one that is
// zero leaves 0 / 0, and both print "n/a".
TestResult decidedTest(double difference, bool differenceIsZero);
// The two-sided t test of difference / se with df degrees of freedom; a
// standard error of 0 (one whose spread is zero within rounding) leaves the
// test to decidedTest.
TestResult tTest(SumtrixLib::Sumtrix& lib, double difference, double se, double df, bool differenceIsZero);


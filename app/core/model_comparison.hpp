#pragma once
// The model comparison behind the comparison window's "Calculate": reads the
// ticked dataset files (one model each, all against the same observations),
// computes the model adequacy table and the pairwise analyses, and writes
// the report. No widgets: the window gathers its list and options, calls
// runComparison() and shows the report or the message it returns.
//
// The steps are public on their own: the group R run reads the model files
// with readModelFiles(), and the tests check the numbers apart from the text.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

#include "SumtrixLib/BoundedArray.hpp"

namespace ModelComparison {

// A ticked item of the window's list: its 1-based position and its text.
struct ModelFile {
    int listPosition = 0;
    QString path;
};

// A refusal to compare: a message box's title (empty: the program's) and text.
struct Failure {
    QString title;
    QString text;
};

// ---- reading the model files ----------------------------------------------

// The ticked files as read: every file holds the same N rows and the same
// observed column, compared as the files write it ("12.5" and "12.50"
// differ). Texts of rows 1..N sit at indexes 0..N-1; a missing cell is "".
struct ModelFiles {
    int rows = 0;                        // N, the same in every file
    QStringList labels;                  // per model: its list position as text
    QStringList paths;
    QString legend;                      // "\r\n  2 = /path" per model
    QStringList observed;
    std::vector<QStringList> predicted;  // per model
};

struct ReadResult {
    std::optional<ModelFiles> files;
    Failure failure;
};

// Each file is parsed whole by the dataset reader. A file that cannot be
// read, lacks its data part, holds another N than the first, or differs in
// an observed value refuses the comparison with a message naming the file
// (and the row).
ReadResult readModelFiles(const std::vector<ModelFile>& models);

// ---- the numbers ------------------------------------------------------------

// The used rows 1..n as numbers (element 0 unused): n is the last row with
// an observed value; every row up to it needs a number in every column.
struct ComparisonData {
    int n = 0;
    QStringList labels;
    QString legend;
    SumtrixLib::BoundedArray<double> Y;
    std::vector<SumtrixLib::BoundedArray<double>> X;
};

struct DataResult {
    std::optional<ComparisonData> data;
    Failure failure;
};
DataResult comparisonData(const ModelFiles& files);

// One row of the model adequacy table. An index that is undefined for the
// model (a zero spread, an exact or failing line fit, too few rows) is NaN:
// it prints "n/a" and never counts as best.
struct ModelIndexes {
    double mean = 0, sd = 0, median = 0;
    double r2 = 0, MSEP = 0, MB = 0, MEF = 0, CD = 0, Cb = 0, CCC = 0, AIC = 0;
};

// The eight indexes that have a best model, in the order of the "Best" row.
enum BestIndex { BestR2, BestMSEP, BestMB, BestMEF, BestCD, BestCb, BestCCC, BestAIC, BestCount };

// One pair of models i < j (row model i, column model j); NaN where the
// statistic is undefined.
struct PairStatistics {
    double r = 0, pR = 0, Cb = 0, CCC = 0, pCCC = 0;   // the two prediction columns
    double msepMean = 0, msepP = 0;                      // squared errors of i minus those of j
    double devR = 0, devP = 0;                           // the two models' deviations
    double DAIC = 0, pDAIC = 0;                          // AIC(j) - AIC(i)
};

struct ComparisonResults {
    int K = 0;
    double obsMean = 0, obsSd = 0, obsMedian = 0;
    std::vector<ModelIndexes> models;
    std::array<int, BestCount> best{};                   // model index, -1 when none is defined
    std::vector<PairStatistics> pairs;                   // row-major over i < j
    const PairStatistics& pair(int i, int j) const { return pairs[pairIndex(i, j)]; }
    std::size_t pairIndex(int i, int j) const
    {
        return static_cast<std::size_t>(i * K - i * (i + 1) / 2 + (j - i - 1));
    }
};

ComparisonResults computeComparison(const ComparisonData& data);

// The best model per index (-1 where no model has a value): the largest
// r2, MEF, Cb and CCC, the smallest MSEP, |MB| and AIC, and CD closest to
// 1 in absolute value. Only a strictly better value replaces the best, so
// among equal values the first model stays best.
std::array<int, BestCount> bestModels(const std::vector<ModelIndexes>& models);

// The probability that the row model is the likelier one, given
// DAIC = AIC(column) - AIC(row): 1 / (1 + e^(DAIC/2)), finite for every DAIC.
double aicProbability(double DAIC);

// Lin's concordance of two columns from their summary statistics (the
// library's STAT_CCC): the accuracy Cb, the coefficient and the two-sided
// P-value of its normal test; NaN where a column has no spread or the
// coefficient has no standard error. varXY is passed on unread.
struct Concordance {
    double Cb = 0, CCC = 0, pCCC = 0;
};
Concordance concordance(int n, double r, double meanX, double meanY, double varX, double varY,
                        double varXY);

// ---- the report -------------------------------------------------------------

// The options page: the adequacy table's column width and the decimals of
// statistics, probabilities and correlations.
struct ComparisonOptions {
    int width = 12;
    int statistics = 4;
    int probability = 4;
    int correlations = 3;
};
// From the four boxes' texts: the leading number, halves rounded to even;
// a width below 12 or above 20 becomes 12, negative decimals 4, 3 and 2.
ComparisonOptions comparisonOptions(const QString& digits, const QString& statistics,
                                    const QString& probability, const QString& correlations);

QString formatReport(const ComparisonData& data, const ComparisonResults& results,
                     const ComparisonOptions& options, const QDateTime& now);

// The caption of the report window.
QString reportCaption();

struct Outcome {
    std::optional<QString> report;
    Failure failure;
};
// The whole run on the ticked files: fewer than two, a refusal of the
// reading, or the report.
Outcome runComparison(const std::vector<ModelFile>& ticked, const ComparisonOptions& options,
                      const QDateTime& now);

} // namespace ModelComparison

#include "core/model_comparison.hpp"

#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <thread>

#include "SumtrixLib/Rounding.hpp"
#include "core/data_sheet.hpp"
#include "core/dataset_file.hpp"
#include "core/kve_code.hpp"
#include "core/report_text.hpp"
#include "core/sumtrix_instance.hpp"

namespace ModelComparison {

using SumtrixLib::BoundedArray;

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
const QString Abort = QStringLiteral("\n\nCalculation aborted!");
const QString BoxTitle = QStringLiteral("Model Comparison");
const QString Eol = QStringLiteral("\r\n");

// Runs one step of the numerics; a run-time error of the library leaves
// the step's results as they were (NaN where nothing was computed).
template <class F>
void guarded(F&& step)
{
    try {
        step();
    } catch (const SumtrixLib::RuntimeError&) {
    }
}

QString cellText(const DataCell& cell)
{
    return cell.isMissing() ? QString() : cell.toDisplayString();
}

} // namespace

// ---------------------------------------------------------------------------
// Reading the model files

namespace {

// One model file as read: its observed and predicted columns, or why it
// cannot take part.
struct ParsedModel {
    QString refusal;                     // the reader's message, empty when read
    bool hasData = false;
    QStringList observed;
    QStringList predicted;
};

ParsedModel parseModel(const QString& path)
{
    ParsedModel parsed;
    try {
        // A file without "N=" holds five rows, the count an empty sheet has.
        const DatasetFile::LoadResult loaded = DatasetFile::LoadFile(path, QStringLiteral("5"), 5);
        if (!loaded.ok()) {
            parsed.refusal = loaded.error.text;
            return parsed;
        }
        parsed.hasData = loaded.content->hasData;
        const auto& rows = loaded.content->rows;
        parsed.observed.reserve(qsizetype(rows.size()));
        parsed.predicted.reserve(qsizetype(rows.size()));
        for (const auto& row : rows) {
            parsed.observed.append(cellText(row[DataMatrix::ColY - 1]));
            parsed.predicted.append(cellText(row[DataMatrix::ColX - 1]));
        }
    } catch (const std::exception& e) {
        parsed.refusal = QStringLiteral("The file '%1' could not be loaded: %2")
                             .arg(path, QString::fromLocal8Bit(e.what()));
    }
    return parsed;
}

// Parses the files side by side (they are independent, and parsing is
// most of the time of a comparison of large files). Each thread holds a
// whole parsed file, about ten times its size on disk, while it works:
// a few threads for files of up to some hundred thousand rows, one for
// files near the million rows a dataset may hold.
std::vector<ParsedModel> parseModels(const std::vector<ModelFile>& models)
{
    std::vector<ParsedModel> parsed(models.size());
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t m = next++; m < models.size(); m = next++)
            parsed[m] = parseModel(models[m].path);
    };
    constexpr qint64 BytesInFlight = qint64(64) << 20;
    qint64 largest = 1;
    for (const ModelFile& model : models)
        largest = std::max(largest, QFileInfo(model.path).size());
    const std::size_t threads = std::min<std::size_t>(
        {std::size_t(std::clamp(std::thread::hardware_concurrency(), 1u, 4u)),
         std::size_t(std::max<qint64>(BytesInFlight / largest, 1)), models.size()});
    std::vector<std::thread> helpers;
    for (std::size_t t = 1; t < threads; ++t)
        helpers.emplace_back(work);
    work();
    for (std::thread& t : helpers)
        t.join();
    return parsed;
}

} // namespace

ReadResult readModelFiles(const std::vector<ModelFile>& models)
{
    ReadResult result;
    ModelFiles files;
    std::vector<ParsedModel> parsed = parseModels(models);
    // The checks in list order: the first file that fails is the one named.
    for (std::size_t m = 0; m < models.size(); ++m) {
        const QString& path = models[m].path;
        ParsedModel& model = parsed[m];
        if (!model.refusal.isEmpty()) {
            result.failure = {BoxTitle, model.refusal + Abort};
            return result;
        }
        if (!model.hasData) {
            result.failure = {BoxTitle, QStringLiteral("Model files have to hold data!\n\nThe file '%1' has "
                                                       "no \"DATA:\" line.")
                                            .arg(path)
                                            + Abort};
            return result;
        }
        const int rows = static_cast<int>(model.observed.size());
        if (m == 0) {
            files.rows = rows;
            files.observed = std::move(model.observed);
        } else if (rows != files.rows) {
            result.failure = {BoxTitle, QStringLiteral("Row counts have to be identical!\n\nThe file '%1' "
                                                       "holds %2 rows, the file '%3' %4.")
                                            .arg(path)
                                            .arg(rows)
                                            .arg(models[0].path)
                                            .arg(files.rows)
                                            + Abort};
            return result;
        } else {
            for (int i = 0; i < rows; ++i) {
                if (model.observed[i] != files.observed[i]) {
                    // The number follows a blank, as for every non-negative number.
                    result.failure = {BoxTitle, QStringLiteral("Observed values have to be identical!\n\n"
                                                               "Please check observed value # %1 of file '%2'")
                                                    .arg(i + 1)
                                                    .arg(path)
                                                    + Abort};
                    return result;
                }
            }
            model.observed.clear();
        }
        files.predicted.push_back(std::move(model.predicted));
        const QString label = QString::number(models[m].listPosition);
        files.labels.append(label);
        files.paths.append(path);
        files.legend += Eol + KVECode::FormatFixedWidth(label, 3, 0) + QStringLiteral(" = ") + path;
    }
    result.files = std::move(files);
    return result;
}

DataResult comparisonData(const ModelFiles& files)
{
    DataResult result;
    ComparisonData data;
    // Rows after the last observed value (empty rows at the end of a
    // sheet) take no part.
    int n = static_cast<int>(files.observed.size());
    while (n > 0 && files.observed[n - 1].isEmpty())
        --n;
    if (n < 3) {
        result.failure = {BoxTitle, QStringLiteral("At least 3 observed values are needed for a comparison; "
                                                   "the file '%1' holds %2.")
                                        .arg(files.paths.value(0))
                                        .arg(n)
                                        + Abort};
        return result;
    }
    const auto convert = [&](const QStringList& texts, BoundedArray<double>& out, const QString& what,
                             const QString& path) {
        out.redim(0, n);
        for (int i = 0; i < n; ++i) {
            const std::optional<double> v = parseStrictNumber(texts[i]);
            if (!v) {
                result.failure = {BoxTitle, QStringLiteral("%1 values have to be numbers!\n\nPlease check %2 "
                                                           "value # %3 of file '%4'")
                                                .arg(what.left(1).toUpper() + what.mid(1), what)
                                                .arg(i + 1)
                                                .arg(path)
                                                + Abort};
                return false;
            }
            out(i + 1) = *v;
        }
        return true;
    };
    if (!convert(files.observed, data.Y, QStringLiteral("observed"), files.paths.value(0)))
        return result;
    data.X.resize(files.predicted.size());
    for (std::size_t m = 0; m < files.predicted.size(); ++m)
        if (!convert(files.predicted[m], data.X[m], QStringLiteral("predicted"), files.paths[qsizetype(m)]))
            return result;
    data.n = n;
    data.labels = files.labels;
    data.legend = files.legend;
    result.data = std::move(data);
    return result;
}

// ---------------------------------------------------------------------------
// The numbers

Concordance concordance(int n, double r, double meanX, double meanY, double varX, double varY,
                        double varXY)
{
    Concordance c;
    // Without spread in either column there is no scale shift and no
    // correlation: nothing to report.
    if (!(varX > 0 && varY > 0) || !std::isfinite(r)) {
        c.Cb = c.CCC = c.pCCC = NaN;
        return c;
    }
    const SumtrixLib::Sumtrix::ConcordanceCorrelation lin =
        sumtrix().STAT_CCC(n, r, meanX, meanY, varX, varY, varXY);
    c.Cb = lin.Cb;
    c.CCC = lin.rc;
    // A zero standard error (perfect agreement) decides the test: the
    // library's z of 0 would read as P = 1 for a CCC that is certainly not 0.
    c.pCCC = lin.SErc > 0 ? lin.pz : SumtrixLib::testWithoutSpread(lin.rc, lin.rc == 0).P;
    return c;
}

namespace {

double finiteOrNaN(double v)
{
    return std::isfinite(v) ? v : NaN;
}

// Mean and variance (divisor n - 1) of a(1..n).
struct MeanVar {
    double mean = NaN;
    double var = NaN;
};
MeanVar meanVar(const BoundedArray<double>& a, int n)
{
    MeanVar mv;
    double mean = NaN, var = NaN;
    guarded([&] {
        sumtrix().STAT_AveVar(a, n, mean, var);
        mv = {mean, var};
    });
    return mv;
}

// A column as values: element i of a.
auto valuesOf(const BoundedArray<double>& a)
{
    return [&a](std::int64_t i) { return a(static_cast<std::int32_t>(i)); };
}

// The rounding of the values of a column read from the files: their size.
auto sizesOf(const BoundedArray<double>& a)
{
    return [&a](std::int64_t i) { return std::fabs(a(static_cast<std::int32_t>(i))); };
}

// The rounding of the deviations Y - X of a model: that of both columns.
auto deviationTerms(const BoundedArray<double>& y, const BoundedArray<double>& x)
{
    return [&y, &x](std::int64_t i) {
        return std::fabs(y(static_cast<std::int32_t>(i))) + std::fabs(x(static_cast<std::int32_t>(i)));
    };
}

// Pearson's r of a and b with its two-sided P-value, judged on the rounding
// of the values (terms ta and tb, SumtrixLib/Rounding.hpp): NaN for a
// column without spread; |r| = 1 with P 0 (a certain correlation) for
// points on an exact line.
template <class TermsA, class TermsB>
void pearson(const BoundedArray<double>& a, const BoundedArray<double>& b, int n, TermsA ta, TermsB tb, double& r,
             double& p)
{
    double t = 0, r2 = 0, adj = 0, z = 0;
    r = NaN;
    p = NaN;
    const SumtrixLib::LineWithinRounding line = SumtrixLib::lineWithinRounding(n, valuesOf(a), valuesOf(b), ta, tb);
    if (line.vertical || !SumtrixLib::commonValue(n, valuesOf(b), tb).empty())
        return;
    if (line.exact) {
        r = std::copysign(1.0, line.slope);
        p = SumtrixLib::testWithoutSpread(r, false).P;
        return;
    }
    guarded([&] { sumtrix().Rank_Pearson(a, b, n, r, t, p, r2, adj, z); });
    if (!std::isfinite(r)) {
        r = NaN;
        p = NaN;
    }
}

ModelIndexes modelIndexes(const BoundedArray<double>& x, const BoundedArray<double>& y, int n,
                          double* obsMedian)
{
    SumtrixLib::Sumtrix& lib = sumtrix();
    ModelIndexes m;
    m.mean = m.sd = m.median = NaN;
    m.r2 = m.MSEP = m.MB = m.MEF = m.CD = m.Cb = m.CCC = m.AIC = NaN;

    double ave = 0, adev = 0, sdev = 0, var = 0, skew = 0, kurt = 0;
    guarded([&] {
        double med = NaN;
        lib.STAT_Moments(x, n, ave, med, adev, sdev, var, skew, kurt);
        m.median = med;
    });
    if (obsMedian) {
        guarded([&] {
            double med = NaN;
            lib.STAT_Moments(y, n, ave, med, adev, sdev, var, skew, kurt);
            *obsMedian = med;
        });
    }

    // Spreads that are zero within rounding are zero (SumtrixLib/
    // Rounding.hpp): a constant model, constant observations and a model on
    // an exact line get the indexes that whole numbers give them.
    const bool constantX = SumtrixLib::oneValueWithinRounding(x, n);
    const bool constantY = SumtrixLib::oneValueWithinRounding(y, n);
    const SumtrixLib::LineWithinRounding line = SumtrixLib::lineWithinRounding(x, y, n);

    double meanX = NaN, meanY = NaN, varX = NaN, varY = NaN, meanXY = NaN, varXY = NaN, coVarXY = 0;
    guarded([&] {
        std::int32_t count = n;
        lib.STAT_MeanVarCoVar(x, y, count, meanX, meanY, varX, varY, meanXY, varXY, coVarXY);
    });
    if (constantX)
        varX = 0;
    if (constantY)
        varY = 0;
    m.mean = meanX;
    m.sd = std::sqrt(varX);

    // Left NaN by the library where a step fails (r2 with a column
    // without spread, MEF and CD with a zero denominator).
    double r2 = NaN, mb = NaN, mae = 0, pmae = 0, msep = NaN, varMsep = 0, mef = NaN, mxe = 0, cd = NaN;
    BoundedArray<double> msepComp(0, 5);
    guarded([&] {
        lib.STAT_ModelMeasures(x, y, 0, meanX, meanY, r2, mb, mae, pmae, msep, varMsep, msepComp, mef, mxe, cd);
    });
    // r2 needs both columns to spread, and is 1 on an exact line. MEF
    // divides by the spread of the observations; CD is that spread over the
    // spread of the predictions about the observations' mean: 0, or 0 / 0
    // when the predictions are that same constant.
    if (constantX || constantY)
        r2 = NaN;
    else if (line.exact)
        r2 = 1;
    if (constantY) {
        mef = NaN;
        const auto deviation = [&](std::int64_t i) { return valuesOf(x)(i) - valuesOf(y)(i); };
        if (std::isfinite(cd))
            cd = SumtrixLib::commonValue(n, deviation, deviationTerms(y, x)).holds(0) ? NaN : 0.0;
    }
    m.r2 = finiteOrNaN(r2);
    m.MSEP = finiteOrNaN(msep);
    m.MB = finiteOrNaN(mb);
    m.MEF = finiteOrNaN(mef);
    m.CD = finiteOrNaN(cd);

    // The signed correlation: an anti-correlated model gets a negative CCC.
    // The means enter only through their difference, handed over as the
    // mean of the differences X - Y against 0: two means far from zero
    // (data near 1e9) would lose most of its digits.
    const double r = std::copysign(std::sqrt(m.r2), coVarXY);
    const Concordance c = concordance(n, r, meanXY, 0.0, varX, varY, varXY);
    m.Cb = finiteOrNaN(c.Cb);
    m.CCC = finiteOrNaN(c.CCC);

    // The corrected Akaike criterion of the least-squares line of y on x
    // (two parameters). The fit's chi2 is its residual sum of squares,
    // formed about the means so that data far from zero keep their digits.
    // Constant predictions have no line, and an exact line a residual sum
    // of squares of 0, whose logarithm does not exist.
    if (n >= 4 && !constantX && !line.exact) {
        guarded([&] {
            BoundedArray<double> sig;
            double a = 0, b = 0, siga = 0, sigb = 0, rss = NaN, q = 0;
            lib.Reg_FitXY(x, y, n, sig, 0, a, b, siga, sigb, rss, q);
            if (rss > 0 && std::isfinite(rss))
                m.AIC = finiteOrNaN(n * std::log(rss / n) + 4.0 + 12.0 / (n - 3));
        });
    }
    return m;
}

// The values of the eight indexes with a best model, in BestIndex order.
std::array<double, BestCount> bestValues(const ModelIndexes& m)
{
    return {m.r2, m.MSEP, m.MB, m.MEF, m.CD, m.Cb, m.CCC, m.AIC};
}

// Whether `candidate` replaces `best` for index k; undefined values never
// count and the first defined value seeds the choice.
bool better(int k, double candidate, double best, bool seeded)
{
    if (std::isnan(candidate))
        return false;
    if (!seeded)
        return true;
    switch (k) {
    case BestR2:
    case BestMEF:
    case BestCb:
    case BestCCC:
        return candidate > best;
    case BestMSEP:
    case BestAIC:
        return candidate < best;
    case BestMB:
        return std::fabs(candidate) < std::fabs(best);
    case BestCD:
        return std::fabs(std::fabs(candidate) - 1.0) < std::fabs(std::fabs(best) - 1.0);
    default:
        return false;
    }
}

} // namespace

std::array<int, BestCount> bestModels(const std::vector<ModelIndexes>& models)
{
    std::array<int, BestCount> best;
    best.fill(-1);
    for (int m = 0; m < static_cast<int>(models.size()); ++m) {
        const std::array<double, BestCount> values = bestValues(models[m]);
        for (int k = 0; k < BestCount; ++k) {
            const int b = best[k];
            if (better(k, values[k], b < 0 ? NaN : bestValues(models[b])[k], b >= 0))
                best[k] = m;
        }
    }
    return best;
}

double aicProbability(double DAIC)
{
    // e^(-DAIC/2) / (1 + e^(-DAIC/2)) written so that no overflow can make
    // it infinity over infinity.
    return std::isnan(DAIC) ? NaN : 1.0 / (1.0 + std::exp(DAIC / 2.0));
}

ComparisonResults computeComparison(const ComparisonData& data)
{
    SumtrixLib::Sumtrix& lib = sumtrix();
    const int n = data.n;
    const int K = static_cast<int>(data.X.size());
    ComparisonResults res;
    res.K = K;
    res.obsMedian = NaN;

    const MeanVar obs = meanVar(data.Y, n);
    res.obsMean = obs.mean;
    res.obsSd = SumtrixLib::oneValueWithinRounding(data.Y, n) ? 0.0 : std::sqrt(obs.var);
    for (int m = 0; m < K; ++m)
        res.models.push_back(modelIndexes(data.X[m], data.Y, n, m == 0 ? &res.obsMedian : nullptr));
    res.best = bestModels(res.models);

    // What the pairs share, computed once per model: the moments of the
    // predictions and the deviations from the observations.
    std::vector<MeanVar> moments;
    std::vector<BoundedArray<double>> deviations(static_cast<std::size_t>(K));
    std::vector<BoundedArray<double>> squared(static_cast<std::size_t>(K));
    for (int m = 0; m < K; ++m) {
        moments.push_back(meanVar(data.X[m], n));
        if (SumtrixLib::oneValueWithinRounding(data.X[m], n))
            moments.back().var = 0;
        BoundedArray<double>& e = deviations[m];
        BoundedArray<double>& e2 = squared[m];
        e.redim(0, n);
        e2.redim(0, n);
        for (int t = 1; t <= n; ++t) {
            e(t) = data.Y(t) - data.X[m](t);
            e2(t) = e(t) * e(t);
        }
    }

    res.pairs.resize(static_cast<std::size_t>(K * (K - 1) / 2));
    BoundedArray<double> d(0, n);
    for (int i = 0; i < K; ++i) {
        for (int j = i + 1; j < K; ++j) {
            PairStatistics& p = res.pairs[res.pairIndex(i, j)];

            // Correlation and concordance of the two prediction columns.
            // Model j takes the place of X, model i that of Y; their means
            // enter as the mean difference, as in modelIndexes.
            pearson(data.X[i], data.X[j], n, sizesOf(data.X[i]), sizesOf(data.X[j]), p.r, p.pR);
            double meanDifference = 0;
            for (int t = 1; t <= n; ++t)
                meanDifference += data.X[j](t) - data.X[i](t);
            meanDifference /= n;
            const Concordance c = concordance(n, p.r, meanDifference, 0.0, moments[j].var, moments[i].var, 0.0);
            p.Cb = finiteOrNaN(c.Cb);
            p.CCC = finiteOrNaN(c.CCC);
            p.pCCC = finiteOrNaN(c.pCCC);

            // Mean square error of prediction, pairwise (Wallach and
            // Goffinet, 1989): the paired t test of the squared errors. A
            // squared error e² carries the rounding of e, 2 |e| (|Y| + |X|).
            for (int t = 1; t <= n; ++t)
                d(t) = squared[i](t) - squared[j](t);
            const MeanVar md = meanVar(d, n);
            const SumtrixLib::RoundingInterval same = SumtrixLib::commonValue(n, valuesOf(d), [&](std::int64_t t) {
                const auto k = static_cast<std::int32_t>(t);
                return 2 * (std::fabs(deviations[i](k)) * deviationTerms(data.Y, data.X[i])(t)
                            + std::fabs(deviations[j](k)) * deviationTerms(data.Y, data.X[j])(t));
            });
            p.msepMean = finiteOrNaN(same.holds(0) ? 0.0 : md.mean);
            p.msepP = NaN;
            const double sd = std::sqrt(md.var);
            if (!same.empty()) {
                p.msepP = SumtrixLib::testWithoutSpread(md.mean, same.holds(0)).P;
            } else if (sd > 0 && std::isfinite(md.mean)) {
                double T = md.mean / (sd / std::sqrt(double(n)));
                guarded([&] { p.msepP = finiteOrNaN(1.0 - lib.STAT_PROBST(T, n - 1.0, {}, true)); });
            }

            // Correlation of the two models' deviations.
            pearson(deviations[i], deviations[j], n, deviationTerms(data.Y, data.X[i]),
                    deviationTerms(data.Y, data.X[j]), p.devR, p.devP);

            // Difference of the corrected Akaike criteria and the
            // probability that the row model is the likelier one.
            p.DAIC = res.models[j].AIC - res.models[i].AIC;
            p.pDAIC = aicProbability(p.DAIC);
        }
    }
    return res;
}

// ---------------------------------------------------------------------------
// The report

ComparisonOptions comparisonOptions(const QString& digits, const QString& statistics,
                                    const QString& probability, const QString& correlations)
{
    // Values beyond any sensible count are clamped before rounding; they
    // fall back or print "n/a" as any other too large a value does.
    const auto value = [](const QString& text) {
        const double v = std::clamp(DataSheet::leadingNumber(text), -1e6, 1e6);
        return static_cast<int>(DataSheet::roundHalfEven(v));
    };
    ComparisonOptions o;
    o.statistics = value(statistics);
    if (o.statistics < 0)
        o.statistics = 4;
    o.probability = value(probability);
    if (o.probability < 0)
        o.probability = 3;
    o.correlations = value(correlations);
    if (o.correlations < 0)
        o.correlations = 2;
    o.width = value(digits);
    if (o.width < 12 || o.width > 20)
        o.width = 12;
    return o;
}

namespace {

// A caption in a cell: the text field of the report tables (a label that
// reads as a number prints as one).
QString text(const QString& t, int width, std::int16_t alignment)
{
    return KVECode::FormatFixedWidth(t, width, 0, alignment);
}

// One of the four pairwise sections: its heading and explanation, then a
// triangular table with a block of rows per row model.
struct SectionRow {
    QString name;                                        // 10 characters
    bool diagonalDash;                                   // "-----" on the diagonal, else blanks
    double PairStatistics::*value;
    int decimals;
    bool probability;                                    // never printed as zero
};

void writeSection(ReportText& out, const QString& heading, const QStringList& explanation, int width,
                  const std::vector<SectionRow>& rows, const ComparisonData& data,
                  const ComparisonResults& res)
{
    const int K = res.K;
    out.underlined(heading, QLatin1Char('='));
    for (const QString& line : explanation)
        out.line(line);
    out.newLine();

    const auto valueCell = [&](int i, int j, const SectionRow& row) {
        const double v = res.pair(i, j).*row.value;
        return row.probability ? FP(v, width, row.decimals) : F(v, width, row.decimals);
    };
    QStringList cells;
    for (int i = 0; i < K - 1; ++i)
        for (const SectionRow& row : rows)
            for (int j = i + 1; j < K; ++j)
                cells << valueCell(i, j, row);
    // A value that fills its cell would touch the one before it
    // ("-69.419-123.578"): then every cell of the table is one blank wider.
    const int cellWidth = spacedWidth(width, cells);
    const QString pad(cellWidth - width, QLatin1Char(' '));

    QString first(13, QLatin1Char(' '));
    for (int j = 0; j < K; ++j)
        first += text(data.labels[j], cellWidth, SumtrixLib::AlignCentre);
    out.line(first);
    // The rule is as long as the caption line with its line break.
    const int rule = static_cast<int>(first.size()) + 2;
    out.rule(rule);

    const QString dash = text(QStringLiteral("-----"), cellWidth, SumtrixLib::AlignCentre);
    const QString blank(cellWidth, QLatin1Char(' '));
    for (int i = 0; i < K - 1; ++i) {
        if (i > 0)
            out.newLine();
        for (std::size_t k = 0; k < rows.size(); ++k) {
            QString row = k == 0 ? text(data.labels[i], 3, SumtrixLib::AlignCentre) : QStringLiteral("   ");
            row += rows[k].name + QString(i * cellWidth, QLatin1Char(' '));
            row += rows[k].diagonalDash ? dash : blank;
            for (int j = i + 1; j < K; ++j)
                row += pad + valueCell(i, j, rows[k]);
            out.line(row);
        }
    }
    out.rule(rule);
}

} // namespace

QString formatReport(const ComparisonData& data, const ComparisonResults& res, const ComparisonOptions& o,
                     const QDateTime& now)
{
    const int W = o.width;
    const int DS = o.statistics;
    const int DP = o.probability;
    const int DC = o.correlations;
    const int K = res.K;

    ReportText out;
    out.append(reportHeader(QString(37, QLatin1Char(' ')) + QStringLiteral("COMPARISON OF MODELS")
                                + QString(36, QLatin1Char(' ')),
                            now));

    out.underlined(QStringLiteral("Model Legend"), QLatin1Char('='));
    out.line(data.legend);
    out.newLine();
    out.newLine();

    out.underlined(QStringLiteral("Model Adequacy Indexes"), QLatin1Char('='));
    out.newLine();
    const QStringList obsCells = {F(res.obsMean, W, DS), F(res.obsSd, W, DS), F(res.obsMedian, W, DS)};
    std::vector<QStringList> modelCells;
    QStringList allCells = obsCells;
    for (const ModelIndexes& mi : res.models) {
        modelCells.push_back({F(mi.mean, W, DS), F(mi.sd, W, DS), F(mi.median, W, DS), F(mi.r2, W, DC),
                              F(mi.MSEP, W, DS), F(mi.MB, W, DS), F(mi.MEF, W, DC), F(mi.CD, W, DC),
                              F(mi.Cb, W, DC), F(mi.CCC, W, DC), F(mi.AIC, W, DC)});
        allCells += modelCells.back();
    }
    const int CW = spacedWidth(W, allCells);   // as in the pairwise tables
    const QString pad(CW - W, QLatin1Char(' '));
    QString captions = QStringLiteral("Model:");
    for (const char* h : {"Mean", "SD", "Median", "r2", "MSEP", "MB", "MEF", "CD", "Cb", "CCC", "AIC"})
        captions += text(QLatin1String(h), CW, SumtrixLib::AlignCentre);
    out.line(captions);
    out.rule(11 * CW + 7);

    out.line(QStringLiteral("Obs  : ") + pad + obsCells.join(pad));
    for (int m = 0; m < K; ++m)
        out.line(text(data.labels[m], 3, SumtrixLib::AlignRight) + QStringLiteral("  : ") + pad
                 + modelCells[static_cast<std::size_t>(m)].join(pad));
    out.rule(11 * CW + 7, QLatin1Char('='));
    QString best = QStringLiteral("Best :") + QString(3 * CW, QLatin1Char(' '));
    for (int k = 0; k < BestCount; ++k)
        best += text(res.best[k] < 0 ? QStringLiteral("n/a") : data.labels[res.best[k]], CW, SumtrixLib::AlignRight);
    out.line(best);
    out.rule(11 * CW + 7);
    for (const char* line :
         {".SD = Standard deviation",
          ".r2 = Coefficient of determination of a linear regression of Y on X (closer to 1 is better)",
          ".MSEP = Mean square error of prediction (smaller is better)",
          ".MB = Mean bias (closer to zero is better)",
          ".MEF = Modeling efficiency factor (closer to 1 is better)",
          ".CD = Coefficient of model determination (closer to 1 is better)",
          ".Cb = Model accuracy (closer to 1 is better)",
          ".CCC = Concordance correlation coefficient (closer to 1 is better)",
          ".AIC = Corrected Akaike's Information Criterion (smaller is better)"})
        out.line(QLatin1String(line));
    out.newLine();
    out.newLine();

    using P = PairStatistics;
    writeSection(out, QStringLiteral("Correlation Coefficient Analysis"),
                 {QStringLiteral("!! .Pearson correlation among model-predicted values"),
                  QStringLiteral("!! .Concordance correlation among model-predicted values"),
                  QStringLiteral("!! .Cb measures accuracy"),
                  QStringLiteral("!! .The P-value indicates if r and CCC are different from zero")},
                 8,
                 {{QStringLiteral(" r      : "), true, &P::r, DC, false},
                  {QStringLiteral(" P-value: "), true, &P::pR, DP, true},
                  {QStringLiteral(" Cb     : "), true, &P::Cb, DC, false},
                  {QStringLiteral(" CCC    : "), true, &P::CCC, DC, false},
                  {QStringLiteral(" P-value: "), true, &P::pCCC, DP, true}},
                 data, res);
    out.newLine();
    out.newLine();
    writeSection(out, QStringLiteral("Pairwise MSEP Analysis (Wallach and Goffinet, 1989)"),
                 {QStringLiteral("!! .A positive mean value implies the 'column' model gives a better fit than "
                                 "the 'row' model"),
                  QStringLiteral("!! .The P-value indicates if the mean value is different from zero using a "
                                 "t-test")},
                 12,
                 {{QStringLiteral(" Mean   : "), true, &P::msepMean, DS, false},
                  {QStringLiteral(" P-value: "), false, &P::msepP, DP, true}},
                 data, res);
    out.newLine();
    out.newLine();
    writeSection(out, QStringLiteral("Pairwise Deviation Correlation Analysis"),
                 {QStringLiteral("!! .The P-value indicates if the deviation correlation is different from zero")},
                 8,
                 {{QStringLiteral(" Corr   : "), true, &P::devR, DC, false},
                  {QStringLiteral(" P-value: "), false, &P::devP, DP, true}},
                 data, res);
    out.newLine();
    out.newLine();
    writeSection(out, QStringLiteral("Delta Akaike's Information Criterion (DAIC)"),
                 {QStringLiteral("!! .If the DAIC is positive, there is a P probability that model i (row) is "
                                 "correct"),
                  QStringLiteral("    and (1 - P) probability that model (i + 1) (column) is correct"),
                  QStringLiteral("!! .If the DAIC is negative, there is a P probability that model (i + 1) "
                                 "(column) is correct"),
                  QStringLiteral("    and (1 - P) probability that model i (row) is correct"),
                  QStringLiteral("!! .Correct model means more likely, higher likelihood in predicting observed "
                                 "values (linearly)")},
                 8,
                 {{QStringLiteral(" DAIC   : "), true, &P::DAIC, DC, false},
                  {QStringLiteral(" P-value: "), false, &P::pDAIC, DP, true}},
                 data, res);
    return out.text();
}

QString reportCaption()
{
    return QStringLiteral("Results - Model Comparison");
}

Outcome runComparison(const std::vector<ModelFile>& ticked, const ComparisonOptions& options,
                      const QDateTime& now)
{
    Outcome outcome;
    if (ticked.size() < 2) {
        outcome.failure = {QString(), QStringLiteral("At least two files have to be selected for comparison")};
        return outcome;
    }
    ReadResult read = readModelFiles(ticked);
    if (!read.files) {
        outcome.failure = read.failure;
        return outcome;
    }
    DataResult data = comparisonData(*read.files);
    if (!data.data) {
        outcome.failure = data.failure;
        return outcome;
    }
    outcome.report = formatReport(*data.data, computeComparison(*data.data), options, now);
    return outcome;
}

} // namespace ModelComparison

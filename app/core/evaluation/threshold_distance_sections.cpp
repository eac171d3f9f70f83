// The threshold table, the distance analysis and the weighed deviance
// sections of the report.
#include "core/evaluation/threshold_distance_sections.hpp"

#include <optional>

#include "SumtrixLib/Sumtrix.hpp"
#include "core/evaluation/report_sections.hpp"
#include "core/evaluation/run_chart.hpp"

using SumtrixLib::BoundedArray;

void ErrorAnalysis(const DataMatrix& matrix, int gridRows, std::int32_t Threshold, bool Rank, ThresholdCounts& c)
{
    const int last = std::min(gridRows - 1, matrix.upperRow());
    const int colX = Rank ? DataMatrix::ColRankX : DataMatrix::ColX;
    const int colY = Rank ? DataMatrix::ColRankY : DataMatrix::ColY;
    const double T = Threshold;
    for (int row = 1; row <= last; ++row) {
        if (matrix.isMissing(DataMatrix::ColRankX, row))
            continue;
        const std::optional<double> xv = matrix.cell(colX, row).toNumber();
        const std::optional<double> yv = matrix.cell(colY, row).toNumber();
        if (!xv || !yv)
            continue;
        const double x = *xv, y = *yv;
        if (x == T && y == T)
            ++c.XYT;
        else if (x <= T && y <= T)
            ++c.lowXlowY;
        else if (x <= T && y >= T)
            ++c.lowXhighY;
        else if (x >= T && y <= T)
            ++c.highXlowY;
        else
            ++c.highXhighY;
        if (x == y)
            ++c.Agree;
        ++c.n;
    }
}

namespace {

// The threshold box's text as a whole number (halves to the even
// neighbour). A text that is no number, or one beyond the whole numbers,
// leaves the threshold as it was.
void readThreshold(const QString& text, std::int32_t& Threshold)
{
    const std::optional<double> v = parseStrictNumber(text);
    if (v)
        step([&] { Threshold = SumtrixLib::toInt32(*v); });
}

// "count (pct)" of one cell, the count in a field of `width`; the
// percentage of the rows counted, "n/a" when none was.
QString thresholdCell(std::int32_t count, std::int32_t n, int width)
{
    const double p = n > 0 ? static_cast<double>(static_cast<std::int64_t>(count) * 100) / n : NotComputed;
    return F(count, width, 0) + QStringLiteral(" (") + F(p, 5, 2) + QLatin1Char(')');
}

void thresholdTable(ReportText& report, const QString& thresholdLine, QString predictedHeader,
                    QString observedHeader, const ThresholdCounts& c)
{
    // Counts in fields of five places, or as many as the largest takes and
    // one more where a count fills its field; a wider field widens its
    // column at the left, title and rule with it.
    const std::int64_t counts[] = {c.lowXlowY, c.highXlowY, c.lowXhighY, c.highXhighY};
    const int width = spacedCountWidth(counts, 5);
    const int extra = width - 5;
    const QString pad(extra, QLatin1Char(' '));
    predictedHeader.insert(19, pad);
    observedHeader.insert(27, pad);
    observedHeader.insert(13, pad);

    report.line(thresholdLine);
    report.line(predictedHeader);
    report.line(QString(13, QLatin1Char(' ')) + QString(26 + 2 * extra, QLatin1Char('-')));
    report.line(observedHeader);
    report.rule(39 + 2 * extra);
    report.line(QStringLiteral("Below      ") + thresholdCell(c.lowXlowY, c.n, width) + QStringLiteral("  ")
                + thresholdCell(c.highXlowY, c.n, width));
    report.line(QStringLiteral("Above      ") + thresholdCell(c.lowXhighY, c.n, width) + QStringLiteral("  ")
                + thresholdCell(c.highXhighY, c.n, width));
    report.rule(39 + 2 * extra);
    if (c.Agree > 0)
        report.line(QStringLiteral("Identical X and Y: ") + F(c.Agree, countWidth(c.Agree, 5), 0));
    if (c.XYT > 0)
        report.line(QStringLiteral("Identical X, Y and Threshold: ") + F(c.XYT, countWidth(c.XYT, 5), 0));
}

} // namespace

void writeThresholdSection(EvaluationContext& ctx)
{
    ReportText& report = ctx.report;
    const EvaluationSettings& s = ctx.settings;
    // One threshold for both tables: a value box that is no number keeps
    // the rank threshold.
    std::int32_t Threshold = 0;
    if (!s.rankThreshold.isEmpty()) {
        readThreshold(s.rankThreshold, Threshold);
        ThresholdCounts c;
        ErrorAnalysis(ctx.matrix, ctx.gridRows, Threshold, true, c);
        report.heading(QStringLiteral("THRESHOLD TABLE"));
        report.line();
        thresholdTable(report, QStringLiteral("Rank threshold for: ") + F(Threshold, 10, 5),
                       QStringLiteral("                   Model-predicted     "),
                       QStringLiteral("Observed     Below         Above       "), c);
    }
    if (!s.xyThreshold.isEmpty()) {
        readThreshold(s.xyThreshold, Threshold);
        ThresholdCounts c;
        ErrorAnalysis(ctx.matrix, ctx.gridRows, Threshold, false, c);
        report.line();
        thresholdTable(report, QStringLiteral("XY datapoints threshold for: ") + F(Threshold, 10, 5),
                       QStringLiteral("                   Model-predicted"),
                       QStringLiteral("Observed     Below         Above"), c);
    }
}

void writeDistanceSection(EvaluationContext& ctx)
{
    ReportText& report = ctx.report;
    const BoundedArray<double>& X = ctx.data.X;
    const BoundedArray<double>& Y = ctx.data.Y;
    BoundedArray<double> m(0, 7), MinkowskiD(0, 7);
    for (int k = 1; k <= 7; ++k) {
        m(k) = k;
        MinkowskiD(k) = NotComputed;
    }
    // A distance the library cannot take (the logarithm of a negative
    // ratio, a sum beyond range) ends the call; the distances it had
    // written by then stand, the others print "n/a".
    double EuclideanD = NotComputed, CanberraD = NotComputed, CzekanowskiD = NotComputed,
           KullbackLeiblerD = NotComputed;
    step([&] {
        ctx.lib.STAT_Distance(X, Y, EuclideanD, m, MinkowskiD, CanberraD, CzekanowskiD, KullbackLeiblerD);
    });

    // Escaped: question marks before a parenthesis would read as a trigraph.
    report.heading(QStringLiteral("DISTANCE ANALYSIS (\?\?\?)"));
    if (report.comments()) {
        report.comment(QStringLiteral(".Minkowski m = 1 is also known as Manhattan distance"));
        report.line();
    }
    report.line(QStringLiteral("Euclidean        : ") + F(EuclideanD, 8, 3));
    for (int k = 1; k <= MinkowskiD.ubound(); ++k)
        report.line(QStringLiteral("Minkowski, m = %1 : ").arg(k) + F(MinkowskiD(k), 8, 3));
    report.line(QStringLiteral("Canberra         : ") + F(CanberraD, 8, 3));
    report.line(QStringLiteral("Czekanowski      : ") + F(CzekanowskiD, 8, 3));
    report.line(QStringLiteral("Kullback-Leibler : ") + F(KullbackLeiblerD, 8, 3));
    report.rule(30);
}

void writeWeighedDevianceSection(EvaluationContext& ctx)
{
    ReportText& report = ctx.report;
    const EvaluationData& d = ctx.data;
    const BoundedArray<double>& WtDev = ctx.rows().WtDev;
    // X, Y and WtDev in fields of 10, 10 and 15 characters; Y and WtDev
    // one blank further right where one of their values fills its field.
    const auto spaced = [&d](const BoundedArray<double>& values, int width, int decimals) {
        for (std::size_t i = 1; i <= static_cast<std::size_t>(d.N); ++i)
            if (fillsField(values[i], width, decimals))
                return true;
        return false;
    };
    const bool spaceY = spaced(d.Y, 10, 3);
    const bool spaceWtDev = spaced(WtDev, 15, 10);
    const int rule = 36 + spaceY + spaceWtDev;
    report.heading(QStringLiteral("WEIGHED DEVIANCE ANALYSIS"));
    report.line();
    report.line(QStringLiteral("   X      ") + (spaceY ? QStringLiteral(" ") : QString()) + QStringLiteral("    Y     ")
                + (spaceWtDev ? QStringLiteral(" ") : QString()) + QStringLiteral("    WtDev     "));
    report.rule(rule);
    // A row at a time, in place: a million rows are a good part of a report.
    QByteArray& text = report.utf8();
    text.reserve(text.size() + static_cast<qsizetype>(d.N) * (rule + 1) + 1024);
    for (std::size_t i = 1; i <= static_cast<std::size_t>(d.N); ++i) {
        appendF(text, d.X[i], 10, 3);
        if (spaceY)
            text += ' ';
        appendF(text, d.Y[i], 10, 3);
        if (spaceWtDev)
            text += ' ';
        appendF(text, WtDev[i], 15, 10);
        text += "\r\n";
    }
    report.rule(rule);
    ctx.request(RunRequests::Chart{runPointsChart(view(d.X), view(WtDev), d.N, QStringLiteral("Weighed Deviance vs Model-Predicted"),
                                                  QStringLiteral("Model-Predicted"), QStringLiteral("Deviation"),
                                                  ctx.mainCaption)});
}

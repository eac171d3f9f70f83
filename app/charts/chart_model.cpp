#include "charts/chart_model.hpp"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <utility>

#include "SumtrixLib/Runtime.hpp"

namespace {

constexpr const char* Source = "Chart";

[[noreturn]] void outOfRange()
{
    SumtrixLib::raiseError(SumtrixLib::ErrSubscript, Source);
}

[[noreturn]] void invalidValue()
{
    SumtrixLib::raiseError(SumtrixLib::ErrInvalidCall, Source);
}

// Colours a new series starts with, by series number.
constexpr std::array<std::array<int, 3>, 8> Palette{{
    {0, 90, 180}, {220, 80, 0}, {0, 150, 60}, {180, 0, 120},
    {120, 120, 0}, {0, 150, 170}, {140, 70, 20}, {90, 90, 90},
}};

ChartSeries newSeries(int number)
{
    const auto& rgb = Palette[static_cast<std::size_t>((number - 1) % static_cast<int>(Palette.size()))];
    const ChartColor colour{rgb[0], rgb[1], rgb[2]};
    ChartSeries s;
    s.Pen.VtColor = colour;
    s.DataPoint.BrushFillColor = colour;
    // Bars, areas and slices are edged in black until a builder says otherwise.
    s.DataPoint.EdgePen.VtColor = ChartColor{0, 0, 0};
    s.DataPoint.Marker.Pen.VtColor = colour;
    s.DataPoint.Marker.FillColor = colour;
    return s;
}

int flagIndex(int flag)
{
    switch (flag) {
    case ChartStatLine::Minimum: return 0;
    case ChartStatLine::Maximum: return 1;
    case ChartStatLine::Mean: return 2;
    case ChartStatLine::StandardDeviation: return 3;
    case ChartStatLine::Trend: return 4;
    default: invalidValue();
    }
}

} // namespace

bool isChartTypeCode(int code)
{
    return (code >= 0 && code <= 7) || code == 14 || code == 16;
}

void ChartColor::Set(int red, int green, int blue)
{
    for (int part : {red, green, blue})
        if (part < 0 || part > 255)
            invalidValue();
    Red = red;
    Green = green;
    Blue = blue;
}

ChartFont& ChartAxis::Labels(int entry)
{
    if (entry < 1 || entry > labelCount())
        outOfRange();
    return m_labels[static_cast<std::size_t>(entry - 1)];
}

const ChartFont& ChartAxis::Labels(int entry) const
{
    return const_cast<ChartAxis*>(this)->Labels(entry);
}

int ChartStatLine::Style(int flag) const
{
    return m_styles[static_cast<std::size_t>(flagIndex(flag))];
}

void ChartStatLine::setStyle(int flag, int style)
{
    if (style < 0 || style > 8)
        invalidValue();
    m_styles[static_cast<std::size_t>(flagIndex(flag))] = style;
}

ChartModel::ChartModel()
{
    setChartData(PlotMatrix(1, 4));
}

void ChartModel::setChartTypeCode(int code)
{
    if (!isChartTypeCode(code))
        invalidValue();
    m_chartType = static_cast<ChartType>(code);
}

bool ChartModel::isThreeDimensional() const
{
    switch (m_chartType) {
    case ChartType::Bar3D:
    case ChartType::Line3D:
    case ChartType::Area3D:
    case ChartType::Step3D:
        return true;
    default:
        return false;
    }
}

void ChartModel::setRowCount(int rows)
{
    if (rows < 0)
        invalidValue();
    m_data.resize(rows, m_data.columns());
    m_row = std::clamp(m_row, 1, std::max(1, rows));
}

void ChartModel::setColumnCount(int columns)
{
    if (columns < 0)
        invalidValue();
    m_data.resize(m_data.rows(), columns);
    m_columnLabels.resize(static_cast<std::size_t>(columns));
    // Series keep their settings while their column stays.
    const std::size_t kept = m_series.size();
    m_series.resize(static_cast<std::size_t>(columns));
    for (std::size_t i = kept; i < m_series.size(); ++i)
        m_series[i] = newSeries(static_cast<int>(i) + 1);
    m_column = std::clamp(m_column, 1, std::max(1, columns));
}

void ChartModel::setChartData(const PlotMatrix& data)
{
    m_data = data;
    setColumnCount(data.columns());
    setRowCount(data.rows());
}

void ChartModel::setRow(int row)
{
    if (row < 1 || row > RowCount())
        outOfRange();
    m_row = row;
}

void ChartModel::setColumn(int column)
{
    if (column < 1 || column > ColumnCount())
        outOfRange();
    m_column = column;
}

std::optional<double> ChartModel::Data() const
{
    if (m_row > RowCount() || m_column > ColumnCount())
        outOfRange();
    return m_data.at(m_row - 1, m_column - 1);
}

void ChartModel::setData(double value)
{
    if (m_row > RowCount() || m_column > ColumnCount())
        outOfRange();
    m_data.set(m_row - 1, m_column - 1, value);
}

QString ChartModel::ColumnLabel() const
{
    return columnLabel(m_column);
}

void ChartModel::setColumnLabel(const QString& label)
{
    if (m_column > ColumnCount())
        outOfRange();
    m_columnLabels[static_cast<std::size_t>(m_column - 1)] = label;
}

QString ChartModel::columnLabel(int column) const
{
    if (column < 1 || column > ColumnCount())
        outOfRange();
    return m_columnLabels[static_cast<std::size_t>(column - 1)];
}

QString ChartModel::rowLabel(int row) const
{
    return QStringLiteral("R%1").arg(row);
}

ChartAxis& ChartModel::Axis(int axisId)
{
    if (axisId < 0 || axisId > 1)
        outOfRange();
    return m_axes[static_cast<std::size_t>(axisId)];
}

const ChartAxis& ChartModel::Axis(int axisId) const
{
    return const_cast<ChartModel*>(this)->Axis(axisId);
}

void ChartModel::checkSeries(int number) const
{
    if (number < 1 || number > ColumnCount())
        outOfRange();
}

ChartSeries& ChartModel::SeriesCollection(int number)
{
    checkSeries(number);
    return m_series[static_cast<std::size_t>(number - 1)];
}

const ChartSeries& ChartModel::SeriesCollection(int number) const
{
    checkSeries(number);
    return m_series[static_cast<std::size_t>(number - 1)];
}

std::vector<int> ChartModel::drawnSeries() const
{
    std::vector<int> out;
    for (int k = 1; k <= ColumnCount(); ++k) {
        if (m_series[static_cast<std::size_t>(k - 1)].Excluded)
            continue;
        if (isXY() && (k % 2 == 0 || k + 1 > ColumnCount()))
            continue;
        out.push_back(k);
    }
    return out;
}

bool ChartModel::drawsMarkers(int series) const
{
    const ChartSeries& s = SeriesCollection(series);
    return s.SeriesMarker.Show && s.DataPoint.Marker.Visible;
}

bool ChartModel::drawsLine(int series) const
{
    const ChartSeries& s = SeriesCollection(series);
    return s.ShowLine && s.Pen.Style != 0;
}

std::vector<ChartModel::Point> ChartModel::points(int series) const
{
    checkSeries(series);
    std::vector<Point> out;
    if (isXY()) {
        if (series + 1 > ColumnCount())
            return out;
        for (int r = 0; r < m_data.rows(); ++r) {
            const std::optional<double> x = m_data.at(r, series - 1);
            const std::optional<double> y = m_data.at(r, series);
            if (x && y)
                out.push_back({r + 1, *x, *y});
        }
    } else {
        for (int r = 0; r < m_data.rows(); ++r)
            if (const std::optional<double> y = m_data.at(r, series - 1))
                out.push_back({r + 1, static_cast<double>(r), *y});
    }
    return out;
}

namespace {

// A power of two that brings values up to `largest` in magnitude down to
// at most 1, or 1 where their sums and squares cannot overflow. Scaling by
// it is exact, so the statistics of ordinary data are unchanged.
double overflowScale(double largest)
{
    if (!(largest > 1e150) || !std::isfinite(largest))
        return 1.0;
    int exponent = 0;
    std::frexp(largest, &exponent);
    return std::ldexp(1.0, -exponent);
}

} // namespace

ChartStatValues ChartModel::statValues(int series) const
{
    const std::vector<Point> pts = points(series);
    ChartStatValues v;
    v.count = static_cast<int>(pts.size());
    if (pts.empty())
        return v;
    // Two passes about the means, so that values far from zero keep their
    // precision; values near the ends of the double range are scaled down
    // first, so that their sums and squares stay finite.
    double largestX = 0;
    v.minimum = v.maximum = pts.front().y;
    for (const Point& p : pts) {
        largestX = std::max(largestX, std::abs(p.x));
        v.minimum = std::min(v.minimum, p.y);
        v.maximum = std::max(v.maximum, p.y);
    }
    const double scaleX = overflowScale(largestX);
    const double scaleY = overflowScale(std::max(std::abs(v.minimum), std::abs(v.maximum)));
    double sx = 0, sy = 0;
    for (const Point& p : pts) {
        sx += p.x * scaleX;
        sy += p.y * scaleY;
    }
    const double n = static_cast<double>(pts.size());
    const double mx = sx / n;
    const double my = sy / n;
    double sxx = 0, syy = 0, sxy = 0;
    for (const Point& p : pts) {
        const double dx = p.x * scaleX - mx;
        const double dy = p.y * scaleY - my;
        sxx += dx * dx;
        syy += dy * dy;
        sxy += dx * dy;
    }
    v.mean = my / scaleY;
    v.standardDeviation = pts.size() > 1 ? std::sqrt(syy / (n - 1)) / scaleY : 0.0;
    if (sxx > 0) {
        v.hasTrend = true;
        const double slope = sxy / sxx;
        v.trendSlope = slope * scaleX / scaleY;
        v.trendIntercept = (my - slope * mx) / scaleY;
    }
    return v;
}

std::vector<ChartStatSegment> ChartModel::statLines(int series, double from, double to) const
{
    std::vector<ChartStatSegment> out;
    const int flags = SeriesCollection(series).StatLine.Flag;
    if (flags == 0)
        return out;
    const ChartStatValues v = statValues(series);
    if (v.count == 0)
        return out;
    const auto level = [&](int flag, double y) { out.push_back({flag, from, y, to, y}); };
    if (flags & ChartStatLine::Minimum)
        level(ChartStatLine::Minimum, v.minimum);
    if (flags & ChartStatLine::Maximum)
        level(ChartStatLine::Maximum, v.maximum);
    if (flags & ChartStatLine::Mean)
        level(ChartStatLine::Mean, v.mean);
    if (flags & ChartStatLine::StandardDeviation) {
        level(ChartStatLine::StandardDeviation, v.mean - v.standardDeviation);
        level(ChartStatLine::StandardDeviation, v.mean + v.standardDeviation);
    }
    if ((flags & ChartStatLine::Trend) && v.hasTrend)
        out.push_back({ChartStatLine::Trend, from, v.trendIntercept + v.trendSlope * from, to,
                       v.trendIntercept + v.trendSlope * to});
    return out;
}

ChartValueScale ChartModel::effectiveScale(int axisId) const
{
    const ChartAxis& axis = Axis(axisId);
    if (!axis.ValueScale.Auto)
        return axis.ValueScale;
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    for (int k : drawnSeries()) {
        if (!drawsMarkers(k) && !drawsLine(k) && isXY())
            continue;
        for (const Point& p : points(k)) {
            const double v = isXY() && axisId == 0 ? p.x : p.y;
            low = std::min(low, v);
            high = std::max(high, v);
        }
    }
    if (!isXY()) {
        if (axisId == 0) {
            // Categories: one division per row.
            ChartValueScale rows;
            rows.Minimum = 0;
            rows.Maximum = RowCount();
            rows.MajorDivision = std::max(1, RowCount());
            rows.MinorDivision = 1;
            return rows;
        }
        // Bars, areas and steps stand on zero.
        if (low <= high) {
            low = std::min(low, 0.0);
            high = std::max(high, 0.0);
        }
    }
    return automaticScale(low, high, axis.wholeNumbers);
}

void ChartModel::setAutoScale(int axisId, bool automatic)
{
    ChartAxis& axis = Axis(axisId);
    if (!automatic && axis.ValueScale.Auto) {
        axis.ValueScale = effectiveScale(axisId);
    }
    axis.ValueScale.Auto = automatic;
}

ChartValueScale automaticScale(double low, double high, bool wholeNumbers)
{
    ChartValueScale s;
    s.Auto = true;
    if (!(low <= high) || !std::isfinite(low) || !std::isfinite(high)) {
        low = 0;
        high = 1;
    }
    if (low == high) {
        // A tenth on either side; beside the largest double it stops there.
        constexpr double largest = std::numeric_limits<double>::max();
        const double pad = low == 0 ? 1.0 : std::abs(low) * 0.1;
        low = std::max(low - pad, -largest);
        high = std::min(high + pad, largest);
    }
    // A fifth of the span, without overflow near the ends of the double range.
    const double raw = std::isfinite(high - low) ? (high - low) / 5.0 : high / 5.0 - low / 5.0;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double mantissa = raw / magnitude;
    double unit = mantissa <= 1.0 ? 1.0 : mantissa <= 2.0 ? 2.0 : mantissa <= 5.0 ? 5.0 : 10.0;
    double step = unit * magnitude;
    if (wholeNumbers && step < 1) {
        unit = 1;
        step = 1;
    }
    // A little slack, so that a limit on a tick is not moved out by rounding.
    constexpr double slack = 1e-9;
    const double first = std::floor(low / step + slack);
    const double last = std::ceil(high / step - slack);
    // Near the ends of the double range a round limit may lie beyond it:
    // the axis then ends at the value itself.
    s.Minimum = std::isfinite(first * step) ? std::min(first * step, low) : low;
    s.Maximum = std::isfinite(last * step) ? std::max(last * step, high) : high;
    s.MajorDivision = std::max(1, static_cast<int>(std::lround(last - first)));
    s.MinorDivision = wholeNumbers && step == 1 ? 1 : unit == 5.0 ? 5 : 2;
    return s;
}

namespace {

// Tick i of n from `minimum` to `maximum`: the minimum plus i equal steps.
// Where i steps would overflow (near the ends of the double range) the tick
// is the mean of the ends weighted (n - i) : i, whose parts never exceed the
// ends themselves.
double tickValue(double minimum, double maximum, int i, int n)
{
    const double span = maximum - minimum;
    double value = 0, step = 0;
    if (std::isfinite(span * i)) {
        // Between finite ends: a sum that rounds beyond the largest double
        // is that double.
        constexpr double largest = std::numeric_limits<double>::max();
        value = std::clamp(minimum + i * span / n, -largest, largest);
        step = span / n;
    } else if (i == 0 || i == n) {
        return i == 0 ? minimum : maximum;
    } else {
        const double t = static_cast<double>(i) / n;
        value = minimum * (1 - t) + maximum * t;
        step = maximum / n - minimum / n;   // finite: here 0 < i < n, so n >= 2
    }
    // A tick that rounding leaves a hair's breadth from zero is zero
    // ("-5e-32" between "-1e-16" and "1e-16").
    return std::abs(value) < std::abs(step) * 1e-9 ? 0.0 : value;
}

} // namespace

QStringList tickLabels(double minimum, double maximum, int divisions, const QString& format)
{
    QStringList labels;
    const QByteArray printfFormat = format.toLatin1();
    const int n = std::max(1, divisions);
    // In scientific notation a tick of zero reads "0", not "0.0e+00".
    const bool scientific = format.endsWith(QLatin1Char('e'));
    for (int i = 0; i <= n; ++i) {
        const double tick = tickValue(minimum, maximum, i, n);
        labels << (scientific && tick == 0 ? QStringLiteral("0") : QString::asprintf(printfFormat.constData(), tick));
    }
    return labels;
}

QString tickLabelFormat(double minimum, double maximum, int divisions)
{
    const QString usual = QStringLiteral("%.6g");
    const int n = std::max(1, divisions);
    const double step = std::isfinite(maximum - minimum) ? (maximum - minimum) / n : maximum / n - minimum / n;
    if (!(step > 0) || !std::isfinite(step) || !std::isfinite(minimum))
        return usual;

    // How the labels of a format are written: all without exponent, all
    // with one and the same exponent, all with an exponent, or mixed. A
    // label of 0 goes with any of them.
    enum class Notation { Fixed, OneExponent, Scientific, Mixed };
    struct Judgement {
        qsizetype length = 0;            // the longest label; 0: the format does not do
        Notation notation = Notation::Mixed;
    };
    // A format does when its labels all differ from their neighbours and
    // lie near their ticks.
    const auto judge = [&](const QString& format) {
        Judgement j;
        const QStringList labels = tickLabels(minimum, maximum, n, format);
        bool plain = false;
        QStringList exponents;
        for (int i = 0; i <= n; ++i) {
            const double tick = tickValue(minimum, maximum, i, n);
            const double value = labels[i].toDouble();
            if ((i > 0 && labels[i] == labels[i - 1]) || !(std::abs(value - tick) <= step / 100))
                return Judgement{};
            j.length = std::max(j.length, labels[i].size());
            if (value == 0)
                continue;
            const qsizetype e = labels[i].indexOf(QLatin1Char('e'));
            if (e < 0)
                plain = true;
            else if (!exponents.contains(labels[i].mid(e)))
                exponents << labels[i].mid(e);
        }
        j.notation = exponents.isEmpty() ? Notation::Fixed
                     : plain             ? Notation::Mixed
                     : exponents.size() == 1 ? Notation::OneExponent
                                             : Notation::Scientific;
        return j;
    };

    // The formats tried: the usual one, the fewest decimals, the fewest
    // significant digits, the fewest digits in scientific notation.
    QStringList formats{usual};
    for (int decimals = 0; decimals <= 17; ++decimals)
        formats << QStringLiteral("%.%1f").arg(decimals);
    for (int digits = 7; digits <= 17; ++digits)
        formats << QStringLiteral("%.%1g").arg(digits);
    for (int digits = 0; digits <= 16; ++digits)
        formats << QStringLiteral("%.%1e").arg(digits);

    // Of the formats whose labels share one notation, the one with the
    // shortest labels (the first tried when equal). Plain numbers longer
    // than a dozen characters give way to shorter ones in scientific
    // notation, where counting digits is harder than reading an exponent.
    const auto shortest = [&](const std::function<bool(Notation)>& accepted) -> std::pair<QString, qsizetype> {
        std::pair<QString, qsizetype> best{QString(), 0};
        for (const QString& format : formats) {
            const Judgement j = judge(format);
            if (j.length > 0 && accepted(j.notation) && (best.second == 0 || j.length < best.second))
                best = {format, j.length};
        }
        return best;
    };
    constexpr qsizetype LongestPlain = 12;
    const auto one = shortest([](Notation n) { return n == Notation::Fixed || n == Notation::OneExponent; });
    if (one.second > 0 && one.second <= LongestPlain)
        return one.first;
    const auto scientific = shortest([](Notation n) { return n == Notation::OneExponent || n == Notation::Scientific; });
    if (scientific.second > 0 && (one.second == 0 || scientific.second < one.second))
        return scientific.first;
    return one.second > 0 ? one.first : usual;
}

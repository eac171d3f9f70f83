#pragma once
// ChartModel: everything a chart shows, as plain data that the chart
// builders fill and the chart view (chart_view.hpp) draws. It needs no
// display, so what a builder sets can be checked in a test without one.
//
// The members carry the names of the chart object model the builders are
// written against: Title, Footnote, Backdrop, Legend, Plot (its Backdrop,
// Wall pen, Axis(id) and SeriesCollection(number)), each series' Pen,
// SeriesMarker, LegendText, StatLine and its default data point (the point
// that stands for all points of the series).
//
// The data grid (ChartData) is a PlotMatrix. Row and Column address it from
// 1: Row r is matrix row r - 1, Column c is matrix column c - 1, and series
// number c belongs to Column c. An XY chart draws odd series k from the pair
// (Column k, Column k + 1) as (X, Y); the other chart types draw series c
// from Column c, one value per row (category).
//
// Numbers:
// - chart types: XY 16; two-dimensional bar 1, line 3, area 5, step 7,
//   pie 14; three-dimensional bar 0, line 2, area 4, step 6.
// - font style: 0 plain, 1 bold, 2 italic, 3 bold and italic.
// - pen style: 0 none, 1 solid, 2 dashed, 3 dotted, 4 dash-dot,
//   5 dash-dot-dot, 6 dense dots, 7 dash and dense dots, 8 dash and two
//   dense dots.
// - backdrop: shadow style 0 none, 1 drop shadow; frame style 0 none,
//   1 single line, 2 double line, 3 thick inner line, 4 thick line; fill
//   style 1 brush; brush style 0 none, 1 solid.
// - marker style 0 to 14: dash, plus, cross, star, circle, square, diamond,
//   up triangle, down triangle, filled circle, filled square, filled
//   diamond, filled up triangle, filled down triangle, ball. Marker size in
//   twips (1/1440 inch).
// - statistic-line flags: 1 minimum, 2 maximum, 4 mean, 8 standard
//   deviation, 16 trend, each with its own pen style.
//
// Operations that the chart object model reports as run-time errors throw
// SumtrixLib::RuntimeError (9 for a series, axis, row or column that does
// not exist, 5 for a value out of range).

#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

#include "core/plot_matrix.hpp"

enum class ChartType : int {
    Bar3D = 0,
    Bar2D = 1,
    Line3D = 2,
    Line2D = 3,
    Area3D = 4,
    Area2D = 5,
    Step3D = 6,
    Step2D = 7,
    Pie2D = 14,
    XY2D = 16,
};
// Whether `code` is one of the chart types above.
bool isChartTypeCode(int code);

struct ChartColor {
    int Red = 0;
    int Green = 0;
    int Blue = 0;
    // Each part 0..255; anything else is an error 5.
    void Set(int red, int green, int blue);
    bool operator==(const ChartColor&) const = default;
};

struct ChartFont {
    QString Name = QStringLiteral("Arial");
    double Size = 10.0;                  // points
    int Style = 0;                       // 1 bold, 2 italic, 3 both
    bool bold() const { return (Style & 1) != 0; }
    bool italic() const { return (Style & 2) != 0; }
    bool operator==(const ChartFont&) const = default;
};

struct ChartPen {
    int Style = 1;                       // 0 none .. 8
    ChartColor VtColor;
    double Width = 1.0;                  // points
    bool operator==(const ChartPen&) const = default;
};

struct ChartBackdrop {
    int ShadowStyle = 0;
    int FrameStyle = 0;
    int FillStyle = 0;
    int BrushStyle = 0;
    ChartColor BrushFillColor{255, 255, 255};
    // Whether the fill paints: fill style 1 with a solid brush.
    bool filled() const { return FillStyle == 1 && BrushStyle == 1; }
};

struct ChartText {
    QString Text;
    ChartFont VtFont;
};

struct ChartValueScale {
    bool Auto = true;
    double Minimum = 0.0;
    double Maximum = 0.0;
    int MajorDivision = 0;               // intervals between major ticks along the axis
    int MinorDivision = 0;               // intervals per major interval
    bool operator==(const ChartValueScale&) const = default;
};

struct ChartAxis {
    ChartText AxisTitle;
    ChartPen GridPen{0, {192, 192, 192}, 1.0};
    ChartValueScale ValueScale;
    // The axis counts things: its automatic scale steps by whole numbers.
    bool wholeNumbers = false;
    // The label collection, entries from 1; the axes start with one entry.
    ChartFont& Labels(int entry);
    const ChartFont& Labels(int entry) const;
    int labelCount() const { return static_cast<int>(m_labels.size()); }

private:
    std::vector<ChartFont> m_labels{ChartFont{}};
};

struct ChartMarker {
    bool Visible = true;
    int Style = 9;
    int Size = 100;
    ChartPen Pen;
    ChartColor FillColor;
};

// A data point's look; the series' default point (index -1) stands for all.
struct ChartDataPoint {
    ChartColor BrushFillColor;
    ChartPen EdgePen;
    ChartMarker Marker;
};

struct ChartStatLine {
    static constexpr int Minimum = 1, Maximum = 2, Mean = 4, StandardDeviation = 8, Trend = 16;
    int Flag = 0;                        // the lines shown, an OR of the flags above
    ChartColor VtColor;
    double Width = 1.0;
    // The pen style of one statistic (one flag); 1 (solid) until set.
    int Style(int flag) const;
    void setStyle(int flag, int style);

private:
    std::array<int, 5> m_styles{1, 1, 1, 1, 1};
};

struct ChartSeriesMarker {
    bool Auto = true;
    bool Show = true;
};

struct ChartSeries {
    int SeriesType = -1;                 // 11: XY; -1: the chart type's own
    bool ShowLine = true;
    ChartPen Pen;
    ChartSeriesMarker SeriesMarker;
    QString LegendText;
    bool Excluded = false;               // left out of the plot
    ChartStatLine StatLine;
    ChartDataPoint DataPoint;            // point index -1: all points of the series
};

struct ChartPlot {
    ChartBackdrop Backdrop;
    ChartPen WallPen{1, {0, 0, 0}, 1.0};
};

// The values the statistic lines of a series are drawn at.
struct ChartStatValues {
    int count = 0;
    double minimum = 0, maximum = 0, mean = 0, standardDeviation = 0;
    double trendIntercept = 0, trendSlope = 0;   // Y = intercept + slope * X
    bool hasTrend = false;                        // at least two distinct X
};

// One statistic line as drawn: from (x0, y0) to (x1, y1) in the values of
// the axes, in the pen of statistic `flag`.
struct ChartStatSegment {
    int flag;
    double x0, y0, x1, y1;
    bool operator==(const ChartStatSegment&) const = default;
};

class ChartModel {
public:
    // An empty two-dimensional XY chart: one row and four columns without
    // values, so that the first series exist before a builder fills it.
    ChartModel();

    ChartType chartType() const { return m_chartType; }
    void setChartType(ChartType type) { m_chartType = type; }
    // A chart type by its number; an unknown number is an error 5.
    void setChartTypeCode(int code);
    bool isXY() const { return m_chartType == ChartType::XY2D; }
    bool isThreeDimensional() const;

    ChartText Title;
    ChartText Footnote;
    bool LegendVisible = false;
    ChartBackdrop Backdrop;              // the whole chart
    ChartPlot Plot;

    // ---- data grid ------------------------------------------------------
    int RowCount() const { return m_data.rows(); }
    void setRowCount(int rows);
    int ColumnCount() const { return m_data.columns(); }
    void setColumnCount(int columns);
    // The grid takes the matrix's size and values.
    void setChartData(const PlotMatrix& data);
    const PlotMatrix& ChartData() const { return m_data; }

    // The current cell, from 1.
    int Row() const { return m_row; }
    void setRow(int row);
    int Column() const { return m_column; }
    void setColumn(int column);
    std::optional<double> Data() const;
    void setData(double value);
    // The label of the current column. The reading half is kept as one of
    // the control's properties; the program itself only sets labels.
    QString ColumnLabel() const;
    void setColumnLabel(const QString& label);
    QString columnLabel(int column) const;
    // Row labels are "R" and the row number.
    QString rowLabel(int row) const;

    // ---- plot -----------------------------------------------------------
    ChartAxis& Axis(int axisId);         // 0 X, 1 Y
    const ChartAxis& Axis(int axisId) const;
    ChartSeries& SeriesCollection(int number);   // 1..ColumnCount
    const ChartSeries& SeriesCollection(int number) const;

    // A value scale as drawn: the stored one, or the automatic one from the
    // data when Auto is on.
    ChartValueScale effectiveScale(int axisId) const;
    // Switching automatic scaling off keeps the scale the axis shows.
    void setAutoScale(int axisId, bool automatic);

    // ---- what is drawn --------------------------------------------------
    // Series whose points or line are drawn, in series order: in an XY
    // chart the odd series with their Y column present, elsewhere every
    // series; never an excluded one.
    std::vector<int> drawnSeries() const;
    bool drawsMarkers(int series) const;
    bool drawsLine(int series) const;

    struct Point {
        int row;                         // Row (from 1)
        double x;
        double y;
    };
    // The points of a series: in an XY chart the rows whose X and Y cells
    // both hold a number; elsewhere the rows with a value, x the row's
    // position (0 for Row 1).
    std::vector<Point> points(int series) const;

    // Minimum, maximum, mean, sample standard deviation and least-squares
    // trend of a series' Y values.
    ChartStatValues statValues(int series) const;
    // The statistic lines that the flags of a series ask for, across the
    // plot from x = from to x = to: the minimum, the maximum and the mean
    // as level lines, the standard deviation as two level lines at the
    // mean minus and plus it, the trend as the least-squares line. None for
    // a series without points; no trend without two distinct X.
    std::vector<ChartStatSegment> statLines(int series, double from, double to) const;

private:
    void checkSeries(int number) const;

    ChartType m_chartType = ChartType::XY2D;
    PlotMatrix m_data;
    int m_row = 1;
    int m_column = 1;
    std::vector<QString> m_columnLabels;
    std::array<ChartAxis, 2> m_axes;
    std::vector<ChartSeries> m_series;
};

// The automatic scale of values from `low` to `high`: round limits that
// enclose them, at most about five major divisions of 1, 2 or 5 times a
// power of ten, and 2 minor divisions (5 for a step of 5 times a power of
// ten). Empty data (low > high) gives 0 to 1; one value, a tenth of it on
// either side (1 about 0), which stops at the largest double. A round limit
// beyond the doubles gives way to the value itself. With `wholeNumbers` the
// step is at least 1, and a step of 1 has no minor divisions.
ChartValueScale automaticScale(double low, double high, bool wholeNumbers = false);

// The printf format of an axis's tick labels from `minimum` to `maximum` in
// `divisions` equal steps: "%.6g" as usual, else as many decimals (or
// significant digits) as the step needs, so that neighbouring labels differ
// and each lies within a hundredth of a step of its tick. The labels of one
// axis share one notation: all plain numbers, or all with one exponent
// ("1e-13", "1.5e-13"), never "-1e+07" beside "-9.9e+06"; of the formats
// that do, the one with the shortest labels ("%.6g" when equal). Plain
// labels longer than a dozen characters give way to shorter ones in
// scientific notation ("0", "2e-13", ..., "1e-12").
QString tickLabelFormat(double minimum, double maximum, int divisions);
// The labels of those ticks in a printf format, as the chart prints them.
// The ticks are computed without overflow, also between the ends of the
// double range; a tick of zero in scientific notation reads "0".
QStringList tickLabels(double minimum, double maximum, int divisions, const QString& format);

#pragma once
// ChartView: the chart control of the chart windows. It holds one ChartModel
// and draws it with Qt Charts: the XY, bar, line, area, step and pie types
// (the three-dimensional ones as their two-dimensional forms with depth
// shading, a line as a ribbon), the title, footnote and axis titles in their fonts, markers of
// styles 0 to 14, the backdrops with shadow, frame and fill, the plot wall,
// grid lines and the statistic lines of each series.
//
// Changes go through edit(), which returns the model and draws it again at
// the next turn of the event loop (Refresh() draws at once). A double click
// on an element of the chart activates it: the view emits the element's
// signal with its indices.

#include <QFont>
#include <QGraphicsView>
#include <QImage>
#include <QPicture>

#include <functional>
#include <memory>
#include <vector>

#include "charts/chart_model.hpp"

class QChart;
class QAbstractAxis;
class QAbstractSeries;
class QLineSeries;
class QScatterSeries;
class QGraphicsRectItem;
class QGraphicsSimpleTextItem;
class QGraphicsTextItem;
class QBarCategoryAxis;
class QValueAxis;

// An element of a chart, as a double click finds it.
struct ChartElement {
    enum class Kind { None, Chart, Plot, Title, Footnote, Axis, AxisTitle, AxisLabel, Series, Point };
    Kind kind = Kind::None;
    int axisId = 0;                      // Axis, AxisTitle, AxisLabel: 0 X, 1 Y
    int labelEntry = 1;                  // AxisLabel: entry of the label collection
    int series = 0;                      // Series, Point: the series number
    int dataPoint = 0;                   // Point: its Row (from 1)
    bool operator==(const ChartElement&) const = default;
};

// The picture of one marker of `style` (0..14) with its outline and fill
// colours, `pixels` wide and high.
QImage markerImage(int style, const ChartColor& outline, const ChartColor& fill, int pixels);
// A marker size of the model (twips) in pixels at 96 dots per inch.
int markerPixels(int size);

class ChartView : public QGraphicsView {
    Q_OBJECT
public:
    explicit ChartView(QWidget* parent = nullptr);
    ~ChartView() override;

    const ChartModel& model() const { return m_model; }
    // The model for changing; the chart is drawn again afterwards.
    ChartModel& edit();
    // Draws the model now.
    void Refresh();

    // The chart as a picture on the clipboard.
    void EditCopy();
    // The chart at its on-screen size, without transparency.
    QImage toImage();
    // The chart as a recorded drawing (for printing), in pixels of its
    // on-screen size.
    QPicture toPicture();

    // The element at a position of the view, and its activation.
    ChartElement elementAt(const QPoint& position);
    void activate(const ChartElement& element);

    // Where things are drawn, in view coordinates (after drawing).
    QRectF plotArea();
    QRectF titleRect();
    QRectF footnoteRect();
    QRectF axisTitleRect(int axisId);
    // Where the point (x, y) of a series lies; for a category chart x is
    // the row's position (0 for Row 1).
    QPointF positionOf(int series, double x, double y);

signals:
    void chartActivated();
    void plotActivated();
    void titleActivated();
    void footnoteActivated();
    void axisActivated(int axisId, int axisIndex);
    void axisTitleActivated(int axisId, int axisIndex);
    void axisLabelActivated(int axisId, int axisIndex, int labelSetIndex, int labelIndex);
    void seriesActivated(int series);
    void pointActivated(int series, int dataPoint);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    struct Drawn;
    void flush();
    void rebuild();
    void layoutItems();
    void buildXY();
    void buildCategories();
    void buildPies();
    void buildStatLines();
    void configureValueAxis(QValueAxis* axis, int axisId);
    // The axis's range as Qt sees it: the scale's, or its major divisions.
    void applyRange(QValueAxis* axis, int axisId);
    // A value along a value axis in the units of the Qt axis.
    double toAxisUnits(int axisId, double value) const;
    // The tick labels of a value axis as text items, shown or hidden.
    void setTickLabels(int axisId, bool shown);
    // Lays the chart out with room for the tick labels; true when the X
    // labels stand upright.
    bool layOutChart();
    void placeTickLabels(const QRectF& plot, bool upright);
    // A series on the chart, against `xAxis` and the value axis Y.
    void addToAxes(QAbstractSeries* series, QAbstractAxis* xAxis);
    void showInLegend(QAbstractSeries* series, bool shown);
    QLineSeries* addLine(const std::vector<ChartModel::Point>& points, QAbstractAxis* xAxis);
    // The markers of a model series at its points.
    QScatterSeries* addMarkers(int series, const std::vector<ChartModel::Point>& points, QAbstractAxis* xAxis);
    std::vector<QPointF> barCorners(int series, int row, double value);
    // Where a value (x, y) lies on the scene, along the axes of `series`.
    std::function<QPointF(double, double)> scenePosition(QAbstractSeries* series);

    // A value axis as drawn: its scale, its tick labels in their font, and
    // whether the Qt axis runs in major divisions rather than in values.
    struct AxisScale {
        double minimum = 0;
        double maximum = 1;
        int divisions = 1;
        bool inDivisions = false;
        QStringList labels;
        QFont font;
    };

    ChartModel m_model;
    AxisScale m_scales[2];                   // X (XY charts only), Y
    std::vector<QGraphicsSimpleTextItem*> m_tickLabels[2];
    bool m_dirty = true;
    bool m_posted = false;
    QChart* m_chart = nullptr;
    QValueAxis* m_valueX = nullptr;
    QValueAxis* m_valueY = nullptr;
    QBarCategoryAxis* m_categories = nullptr;
    QGraphicsRectItem* m_backdropShadow = nullptr;
    QGraphicsRectItem* m_backdrop = nullptr;
    QGraphicsRectItem* m_backdropInner = nullptr;
    QGraphicsRectItem* m_plotShadow = nullptr;
    QGraphicsRectItem* m_plotFrame = nullptr;
    QGraphicsRectItem* m_plotFrameInner = nullptr;
    QGraphicsTextItem* m_title = nullptr;     // centred lines: a long title wraps
    QGraphicsSimpleTextItem* m_footnote = nullptr;
    QGraphicsSimpleTextItem* m_axisTitles[2] = {nullptr, nullptr};
    std::unique_ptr<Drawn> m_drawn;
};

// The chart view offscreen: what a picture of it shows (regions and colours,
// never exact pixels), where a double click lands, and the copy.
#include <QApplication>
#include <QChart>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QValueAxis>

#include <gtest/gtest.h>

#include "charts/chart_view.hpp"
#include "charts/histogram_chart.hpp"
#include "charts/xy_chart.hpp"
#include "support/chart_pictures.hpp"
#include "support/scripted_platform_services.hpp"

namespace {

const ChartColor Red{255, 0, 0};
const ChartColor Blue{0, 0, 255};
const ChartColor Green{0, 160, 0};

// A scatter of the command's kind: points (red filled squares), the Y = X
// line (blue), and a hidden series 7 (green) whose cells hold values.
XYPlot scatter()
{
    XYPlot plot;
    const double pts[][2] = {{1, 2}, {3, 2.5}, {5, 7}, {8, 7.5}, {9, 4}};
    plot.PlotData = PlotMatrix(6, 8);
    for (int r = 1; r <= 5; ++r) {
        const double x = pts[r - 1][0];
        const double y = pts[r - 1][1];
        for (int c : {1, 2, 4, 5, 6})
            plot.PlotData.set(r, c, x);
        plot.PlotData.set(r, 3, y);
        plot.PlotData.set(r, 7, 10 - y);
    }
    plot.n = 5;
    plot.Cols = 5;
    plot.TitleText = QStringLiteral("Observed vs Model-Predicted");
    plot.FootnoteTitle = pointCountFootnote(5);
    plot.AxisXTitle = QStringLiteral("Model-Predicted (X)");
    plot.AxisYTitle = QStringLiteral("Observed (Y)");
    plot.Marker = {0, 0, 0, 10, 0, 0, 0, 10};
    plot.MarkerColor1 = {0, 0, 0, 255, 0, 0, 0, 0};
    plot.MarkerColor2 = {0, 0, 0, 0, 0, 0, 0, 160};
    plot.MarkerColor3 = {0, 0, 0, 0, 0, 255, 0, 0};
    return plot;
}

// The text of a text item of the scene, empty for other items.
QString itemText(QGraphicsItem* item)
{
    if (auto* text = dynamic_cast<QGraphicsTextItem*>(item))
        return text->toPlainText();
    if (auto* text = dynamic_cast<QGraphicsSimpleTextItem*>(item))
        return text->text();
    return QString();
}

class ChartViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        view.resize(520, 480);
        view.show();
        const XYPlot plot = scatter();
        ChartModel& chart = view.edit();
        fillXYChart(chart, plot);
        for (int s = 1; s <= 7; ++s)
            styleXYSeries(chart, plot, s, true);
        chart.Plot.WallPen.Style = 0;
        view.Refresh();
    }

    QTemporaryDir dir;
    ScriptedPlatform platform{dir.path()};
    ChartView view;
};

} // namespace

TEST_F(ChartViewTest, PictureShowsTheSeriesInTheirColours)
{
    const QImage image = view.toImage();
    ASSERT_EQ(image.size(), view.size());
    for (const ChartModel::Point& p : view.model().points(3))
        EXPECT_GT(pixelsNear(image, view.positionOf(3, p.x, p.y), 3, Qt::red), 10) << "row " << p.row;
    // The line Y = X between (1, 1) and (9, 9).
    EXPECT_GT(pixelsNear(image, view.positionOf(5, 5, 5), 2, Qt::blue), 0);
    // Series 7 is hidden: its values are never drawn.
    EXPECT_EQ(pixelsInImage(image, QColor(0, 160, 0)), 0);
    // Titles in black above and beside the plot; nothing but white far from it.
    EXPECT_GT(pixelsNear(image, view.titleRect().center(), 6, Qt::black), 5);
    EXPECT_GT(pixelsNear(image, view.axisTitleRect(1).center(), 6, Qt::black), 5);
    const QRectF plot = view.plotArea();
    EXPECT_EQ(pixelsNear(image, QPointF(plot.left() + 0.3 * plot.width(), plot.top() + 0.15 * plot.height()), 3,
                         Qt::white),
              49);
}

TEST_F(ChartViewTest, StylesShowInThePicture)
{
    ChartModel& chart = view.edit();
    chart.Plot.Backdrop.FillStyle = 1;
    chart.Plot.Backdrop.BrushStyle = 1;
    chart.Plot.Backdrop.BrushFillColor = {255, 255, 0};
    chart.Backdrop.FillStyle = 1;
    chart.Backdrop.BrushStyle = 1;
    chart.Backdrop.BrushFillColor = {0, 255, 255};
    ChartStatLine& stat = chart.SeriesCollection(3).StatLine;
    stat.Flag = ChartStatLine::Mean;
    stat.VtColor = Green;
    stat.Width = 2;
    const QImage image = view.toImage();
    const QRectF plot = view.plotArea();
    EXPECT_GT(pixelsNear(image, QPointF(plot.left() + 0.3 * plot.width(), plot.top() + 0.15 * plot.height()), 3,
                         QColor(255, 255, 0)),
              40);
    EXPECT_GT(pixelsNear(image, QPointF(3, image.height() / 2.0), 2, QColor(0, 255, 255)), 10);
    // The mean of the points' Y (4.6) as a line across the plot.
    const QPointF mean = view.positionOf(3, 6.5, 4.6);
    EXPECT_GT(pixelsNear(image, mean, 2, QColor(0, 160, 0)), 3);

    // A brush style of 0 takes the colour away, the fill style stays.
    view.edit().Plot.Backdrop.BrushStyle = 0;
    EXPECT_EQ(pixelsInImage(view.toImage(), QColor(255, 255, 0)), 0);
}

TEST_F(ChartViewTest, CategoryChartsShowEachSeries)
{
    for (int type : {1, 0, 5, 7, 14}) {
        ChartModel& chart = view.edit();
        chart.setChartTypeCode(type);
        PlotMatrix bins(4, 2);
        const double counts[4][2] = {{2, 1}, {5, 3}, {3, 6}, {1, 2}};
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 2; ++c)
                bins.set(r, c, counts[r][c]);
        chart.setChartData(bins);
        chart.SeriesCollection(1).DataPoint.BrushFillColor = {255, 128, 0};
        chart.SeriesCollection(2).DataPoint.BrushFillColor = {0, 128, 192};
        for (int s = 1; s <= 2; ++s)
            chart.SeriesCollection(s).SeriesMarker.Show = false;
        const QImage image = view.toImage();
        // Shaded for depth in the three-dimensional types: the hue counts.
        EXPECT_GT(pixelsOfHue(image, QColor(255, 128, 0)), 50) << "type " << type;
        EXPECT_GT(pixelsOfHue(image, QColor(0, 128, 192)), 50) << "type " << type;
    }
    // A line chart draws its series' pen.
    ChartModel& chart = view.edit();
    chart.setChartTypeCode(3);
    chart.SeriesCollection(1).Pen.Style = 1;
    chart.SeriesCollection(1).Pen.VtColor = Red;
    chart.SeriesCollection(1).Pen.Width = 2;
    chart.SeriesCollection(2).Excluded = true;
    const QImage line = view.toImage();
    EXPECT_GT(pixelsInImage(line, Qt::red), 30);
    EXPECT_EQ(pixelsInImage(line, QColor(0, 128, 192)), 0);
}

TEST_F(ChartViewTest, DoubleClickFindsTheElement)
{
    const QRectF plot = view.plotArea();
    const QPointF point = view.positionOf(3, 5, 7);    // row 3 of the matrix
    const QPointF onLine = view.positionOf(5, 2, 2);
    const QRectF chart(QPointF(0, 0), QSizeF(view.size()));
    struct Case { const char* name; QPointF at; ChartElement element; };
    using K = ChartElement::Kind;
    const Case cases[] = {
        {"title", view.titleRect().center(), {K::Title}},
        {"footnote", view.footnoteRect().center(), {K::Footnote}},
        {"X axis title", view.axisTitleRect(0).center(), {K::AxisTitle, 0}},
        {"Y axis title", view.axisTitleRect(1).center(), {K::AxisTitle, 1}},
        {"a point", point + QPointF(1, -1), {K::Point, 0, 1, 3, 4}},
        {"the Y = X line", onLine, {K::Series, 0, 1, 5, 0}},
        {"X axis", QPointF(plot.center().x(), plot.bottom()), {K::Axis, 0}},
        {"Y axis", QPointF(plot.left(), plot.center().y()), {K::Axis, 1}},
        {"X labels", QPointF(plot.center().x(), plot.bottom() + 12), {K::AxisLabel, 0, 1}},
        {"Y labels", QPointF(plot.left() - 12, plot.center().y()), {K::AxisLabel, 1, 1}},
        {"plot area", QPointF(plot.left() + 0.3 * plot.width(), plot.top() + 0.15 * plot.height()), {K::Plot}},
        {"chart corner", chart.topRight() + QPointF(-3, 3), {K::Chart}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(view.elementAt(c.at.toPoint()), c.element) << c.name;

    // A real double click on the point emits its activation.
    std::vector<std::pair<int, int>> activated;
    QObject::connect(&view, &ChartView::pointActivated,
                     [&activated](int series, int dataPoint) { activated.emplace_back(series, dataPoint); });
    QMouseEvent click(QEvent::MouseButtonDblClick, point, view.viewport()->mapToGlobal(point), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &click);
    EXPECT_EQ(activated, (std::vector<std::pair<int, int>>{{3, 4}}));

    // Bars are points of their series.
    view.edit().setChartTypeCode(1);
    PlotMatrix bins(3, 2);
    for (int r = 0; r < 3; ++r) {
        bins.set(r, 0, 4);
        bins.set(r, 1, 8);
    }
    view.edit().setChartData(bins);
    view.edit().LegendVisible = false;
    const QPointF bar = view.positionOf(2, 1.2, 4);     // row 2, series 2's half of the category
    EXPECT_EQ(view.elementAt(bar.toPoint()), (ChartElement{K::Point, 0, 1, 2, 2}));
}

TEST_F(ChartViewTest, AxesOfValuesFarFromZeroShowDistinctLabels)
{
    // Twenty points from 1,000,000.00 to 1,000,000.19 on a common scale:
    // the axes run from 1,000,000.00 to 1,000,000.20 in steps of 0.05.
    XYPlot plot = runPlot(20, true);
    for (int r = 1; r <= 20; ++r) {
        plot.PlotData.set(r, 1, 1000000 + (r - 1) / 100.0);
        plot.PlotData.set(r, 2, 1000000 + (r - 1) / 100.0);
        plot.PlotData.set(r, 3, 1000000 + (20 - r) / 100.0);
    }
    ChartModel& chart = view.edit();
    chart = ChartModel();
    fillXYChart(chart, plot);
    applyCommonScale(chart);
    view.Refresh();
    QStringList texts;
    for (QGraphicsItem* item : view.scene()->items())
        if (item->isVisible())
            texts << itemText(item);
    for (const char* label : {"1000000.00", "1000000.05", "1000000.10", "1000000.15", "1000000.20"})
        EXPECT_EQ(texts.count(QLatin1String(label)), 2) << label << " in " << texts.join(' ').toStdString();
    EXPECT_FALSE(texts.contains(QStringLiteral("1e+06")));
}

TEST_F(ChartViewTest, ATitleWiderThanTheChartWrapsIntoCentredLines)
{
    const QRectF chart(QPointF(0, 0), QSizeF(view.viewport()->size()));
    const QRectF one = view.titleRect();
    EXPECT_NEAR(one.center().x(), chart.center().x(), 1);
    const QRectF plotBefore = view.plotArea();

    view.edit().Title.Text = QStringLiteral("Observed yield of the second sowing against the yield the model "
                                            "predicted for it, all plots of both years, excluded rows left out");
    view.Refresh();
    const QRectF wrapped = view.titleRect();
    EXPECT_GE(wrapped.left(), chart.left());
    EXPECT_LE(wrapped.right(), chart.right());
    EXPECT_GE(wrapped.height(), 2 * one.height() - 1);
    // The plot makes room for the lines below the title.
    EXPECT_GE(view.plotArea().top(), wrapped.bottom());
    EXPECT_LT(view.plotArea().height(), plotBefore.height());
    // The title is still the title to a double click.
    EXPECT_EQ(view.elementAt(wrapped.center().toPoint()).kind, ChartElement::Kind::Title);
}

TEST_F(ChartViewTest, CopyPutsThePictureOnTheClipboard)
{
    view.EditCopy();
    EXPECT_FALSE(platform.clipboard.picture.isNull());
    EXPECT_EQ(platform.clipboard.picture.size(), view.size());
    EXPECT_EQ(platform.clipboard.writes, 1);
}

TEST(MarkerImages, FifteenRecognisableStyles)
{
    const int px = 24;
    std::vector<QImage> images;
    for (int style = 0; style < 15; ++style)
        images.push_back(markerImage(style, {0, 0, 0}, {255, 0, 0}, px));
    for (std::size_t a = 0; a < images.size(); ++a)
        for (std::size_t b = a + 1; b < images.size(); ++b)
            EXPECT_NE(images[a], images[b]) << a << " and " << b;
    // Filled styles hold their fill colour in the middle, the open ones do not.
    for (int style = 4; style < 15; ++style) {
        const QColor centre = images[static_cast<std::size_t>(style)].pixelColor(px / 2, px / 2);
        const bool filled = centre.alpha() > 200 && centre.red() > 150 && centre.green() < 120;
        EXPECT_EQ(filled, style >= 9) << "style " << style;
    }
    EXPECT_EQ(markerPixels(200), 13);
    EXPECT_EQ(markerPixels(10), 3);
}

namespace {

// The tick labels the drawn chart shows below its plot area (X) or left of
// it (Y), from left to right and from the bottom up, each with where it
// stands along its axis (the centre's X or Y).
std::vector<std::pair<double, QString>> shownTicks(ChartView& view, int axisId)
{
    const QRectF plot = view.plotArea();
    std::vector<std::pair<double, QString>> found;
    for (QGraphicsItem* item : view.scene()->items()) {
        const QString text = itemText(item);
        if (text.isEmpty() || !item->isVisible())
            continue;
        const QRectF r = item->sceneBoundingRect();
        if (axisId == 0 && r.top() >= plot.bottom() && r.center().x() >= plot.left() - 20
            && r.center().x() <= plot.right() + 20 && r.bottom() < view.axisTitleRect(0).top())
            found.emplace_back(r.center().x(), text);
        else if (axisId == 1 && r.right() <= plot.left() && r.center().y() >= plot.top() - 20
                 && r.center().y() <= plot.bottom() + 20 && r.left() > view.axisTitleRect(1).right())
            found.emplace_back(r.center().y(), text);
    }
    std::sort(found.begin(), found.end());
    if (axisId == 1)
        std::reverse(found.begin(), found.end());
    return found;
}

QStringList shownLabels(ChartView& view, int axisId)
{
    QStringList labels;
    for (const auto& [at, label] : shownTicks(view, axisId))
        labels << label;
    return labels;
}

// A chart of 20 points from (x0, y0) to (x1, y1).
XYPlot lineOfPoints(double x0, double x1, double y0, double y1)
{
    XYPlot plot = runPlot(20);
    for (int r = 1; r <= 20; ++r) {
        const double t = (r - 1) / 19.0;
        plot.PlotData.set(r, 1, x0 + t * (x1 - x0));
        plot.PlotData.set(r, 2, x0 + t * (x1 - x0));
        plot.PlotData.set(r, 3, y0 + t * (y1 - y0));
    }
    return plot;
}

} // namespace

TEST(ChartViewAxes, LabelsOfOneAxisShareOneNotationAndRoundSteps)
{
    struct Case { const char* name; std::function<void(ChartModel&)> fill; QStringList x, y; };
    const auto xy = [](const XYPlot& plot) {
        return [plot](ChartModel& chart) {
            fillXYChart(chart, plot);
            styleXYSeries(chart, plot, 3, true);
        };
    };
    // Counts of 2 in every bin, and the same as percentages (25 % each).
    const auto histogram = [](bool percentage) {
        return [percentage](ChartModel& chart) {
            HistogramPlot p;
            p.x = {0.5, 1, 1.5, 2, 2.5, 3, 3.5, 4};
            p.y = p.x;
            p.Bins = 4;
            p.ShowY = false;
            p.Percentage = percentage;
            fillHistogramChart(chart, p, *computeHistogram(p));
        };
    };
    XYPlot noPoints = runPlot(3);
    for (int r = 1; r <= 3; ++r)
        noPoints.PlotData.clear(r, 3);
    const Case cases[] = {
        {"values near 1e-13", xy(lineOfPoints(1e-13, 2.9e-13, 1e-13, 2.9e-13)),
         {"1e-13", "1.5e-13", "2e-13", "2.5e-13", "3e-13"}, {"1e-13", "1.5e-13", "2e-13", "2.5e-13", "3e-13"}},
        {"values about -1e7", xy(lineOfPoints(-1.0e7, -9.82e6, 0, 2)),
         {"-10000000", "-9950000", "-9900000", "-9850000", "-9800000"}, {"0", "0.5", "1", "1.5", "2"}},
        {"a series without points", xy(noPoints), {"0", "0.2", "0.4", "0.6", "0.8", "1"},
         {"0", "0.2", "0.4", "0.6", "0.8", "1"}},
        {"counts of 2", histogram(false), {"R1", "R2", "R3", "R4"}, {"0", "1", "2"}},
        {"25 percent each", histogram(true), {"R1", "R2", "R3", "R4"}, {"0", "5", "10", "15", "20", "25"}},
    };
    ChartView view;
    view.resize(520, 480);
    for (const Case& c : cases) {
        ChartModel& chart = view.edit();
        chart = ChartModel();
        c.fill(chart);
        view.Refresh();
        EXPECT_EQ(shownLabels(view, 0).join(' ').toStdString(), c.x.join(' ').toStdString()) << c.name;
        EXPECT_EQ(shownLabels(view, 1).join(' ').toStdString(), c.y.join(' ').toStdString()) << c.name;
    }
}

TEST(ChartViewAxes, SpanTheDataAtAnyScale)
{
    // Each chart's labels are read off the picture's scene; the points must
    // lie between the labels of the axes' ends, and each marker shows where
    // those labels put its values.
    struct Case { const char* name; double x0, x1, y0, y1; };
    const Case cases[] = {
        {"1e-13", 1e-13, 2.9e-13, 1e-13, 2.9e-13},
        {"1e-15", 1e-15, 2.9e-15, -3e-15, 5e-15},
        {"1e-300", 1e-300, 2.9e-300, 2e-300, 3e-300},
        {"1e300", -1e300, 2.9e300, 1e307, 1.7e308},
        {"mixed signs near 0", -2.2e-16, 2.2e-16, -1.1e-16, 2.2e-16},
        {"a constant column", 1e-13, 1e-13, 5, 5},
        {"near 1e6", 1e6, 1e6 + 1, 1e6, 1e6 + 1},
        {"1e6 apart by 1e-9", 1e6, 1e6 + 1e-9, 0, 1},
    };
    ChartView again;                     // every case drawn after the one before
    again.resize(520, 480);
    again.show();
    for (const Case& c : cases) {
        const XYPlot plot = lineOfPoints(c.x0, c.x1, c.y1, c.y0);
        ChartView fresh;
        fresh.resize(520, 480);
        fresh.show();
        for (ChartView* view : {&fresh, &again}) {
            ChartModel& chart = view->edit();
            chart = ChartModel();
            fillXYChart(chart, plot);
            styleXYSeries(chart, plot, 3, true);
            view->Refresh();
            const QImage image = view->toImage();
            const std::vector<std::pair<double, QString>> ticks[2] = {shownTicks(*view, 0), shownTicks(*view, 1)};
            ASSERT_GE(ticks[0].size(), 2u) << c.name;
            ASSERT_GE(ticks[1].size(), 2u) << c.name;
            // Where a value lies along an axis, from the labels of its ends.
            const auto along = [&ticks](int id, double v) {
                const double v0 = ticks[id].front().second.toDouble();
                const double v1 = ticks[id].back().second.toDouble();
                const double t = v / 2 - v0 / 2 == 0 ? 0 : (v / 2 - v0 / 2) / (v1 / 2 - v0 / 2);
                return ticks[id].front().first + t * (ticks[id].back().first - ticks[id].front().first);
            };
            for (int id = 0; id < 2; ++id) {
                const double low = ticks[id].front().second.toDouble();
                const double high = ticks[id].back().second.toDouble();
                const double tolerance = (high / 2 - low / 2) * 2 / 100 / static_cast<double>(ticks[id].size() - 1);
                EXPECT_LE(low - tolerance, id == 0 ? c.x0 : std::min(c.y0, c.y1)) << c.name << " axis " << id;
                EXPECT_GE(high + tolerance, id == 0 ? c.x1 : std::max(c.y0, c.y1)) << c.name << " axis " << id;
            }
            // The labels run across the plot from one end to the other.
            const QRectF area = view->plotArea();
            EXPECT_NEAR(ticks[0].front().first, area.left(), 1) << c.name;
            EXPECT_NEAR(ticks[0].back().first, area.right(), 1) << c.name;
            EXPECT_NEAR(ticks[1].front().first, area.bottom(), 1) << c.name;
            EXPECT_NEAR(ticks[1].back().first, area.top(), 1) << c.name;
            for (const ChartModel::Point& p : view->model().points(3)) {
                const QPointF at(along(0, p.x), along(1, p.y));
                EXPECT_TRUE(area.adjusted(-1, -1, 1, 1).contains(at)) << c.name << " row " << p.row;
                EXPECT_GT(pixelsNear(image, at, 2, Qt::black), 3) << c.name << " row " << p.row;
            }
        }
    }
}

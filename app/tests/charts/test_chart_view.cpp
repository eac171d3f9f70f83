// The chart view offscreen: what a picture of it shows (regions and colours,
// never exact pixels), where a double click lands, and the copy.
#include <QApplication>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "charts/chart_view.hpp"
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
        if (auto* text = dynamic_cast<QGraphicsTextItem*>(item); text && text->isVisible())
            texts << text->toPlainText();
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

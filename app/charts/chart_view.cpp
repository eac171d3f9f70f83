#include "charts/chart_view.hpp"

#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QFontMetricsF>
#include <QGraphicsItem>
#include <QGraphicsLayout>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QTextDocument>
#include <QTextOption>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPieSeries>
#include <QPieSlice>
#include <QScatterSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/platform_services.hpp"

namespace {

constexpr int Pad = 4;                   // space at the chart's edges and between its parts
constexpr int ShadowOffset = 6;          // how far a drop shadow stands out
constexpr double HitRadius = 4.0;        // how near a double click must come to a line or point
constexpr double TickRoom = 7.0;         // between a plot's edge and its tick labels, room for the ticks

QColor toQColor(const ChartColor& c)
{
    return QColor(std::clamp(c.Red, 0, 255), std::clamp(c.Green, 0, 255), std::clamp(c.Blue, 0, 255));
}

QFont toQFont(const ChartFont& f)
{
    QFont font(f.Name);
    font.setPointSizeF(f.Size > 0 ? f.Size : 1.0);
    font.setBold(f.bold());
    font.setItalic(f.italic());
    return font;
}

double pointsToPixels(double points)
{
    return points * 96.0 / 72.0;
}

QPen toQPen(int style, const ChartColor& colour, double widthPoints)
{
    if (style <= 0)
        return QPen(Qt::NoPen);
    QPen pen(toQColor(colour));
    pen.setWidthF(std::max(1.0, pointsToPixels(widthPoints)));
    switch (style) {
    case 1: pen.setStyle(Qt::SolidLine); break;
    case 2: pen.setStyle(Qt::DashLine); break;
    case 3: pen.setStyle(Qt::DotLine); break;
    case 4: pen.setStyle(Qt::DashDotLine); break;
    case 5: pen.setStyle(Qt::DashDotDotLine); break;
    case 6: pen.setDashPattern({1, 1}); break;
    case 7: pen.setDashPattern({5, 2, 1, 1, 1, 2}); break;
    default: pen.setDashPattern({5, 2, 1, 1, 1, 1, 1, 2}); break;
    }
    return pen;
}

QPen toQPen(const ChartPen& pen)
{
    return toQPen(pen.Style, pen.VtColor, pen.Width);
}

// The two rectangles of a backdrop frame: the outer line and, for the
// double and thick-inner styles, a second line inside it.
void applyFrame(QGraphicsRectItem* outer, QGraphicsRectItem* inner, const QRectF& rect, int style)
{
    const QPen thin(Qt::black, 1);
    const QPen thick(Qt::black, 3);
    outer->setRect(rect.adjusted(0.5, 0.5, -0.5, -0.5));
    outer->setPen(style == 0 ? QPen(Qt::NoPen) : style == 4 ? thick : thin);
    outer->setVisible(style != 0);
    inner->setRect(rect.adjusted(4, 4, -4, -4));
    inner->setPen(style == 3 ? thick : thin);
    inner->setVisible(style == 2 || style == 3);
}

QPainterPath regularPolygon(const QPointF& c, double r, int corners, double startDegrees)
{
    QPainterPath path;
    for (int i = 0; i < corners; ++i) {
        const double a = (startDegrees + 360.0 * i / corners) * std::numbers::pi / 180.0;
        const QPointF p(c.x() + r * std::cos(a), c.y() - r * std::sin(a));
        if (i == 0)
            path.moveTo(p);
        else
            path.lineTo(p);
    }
    path.closeSubpath();
    return path;
}

// Where `v` lies between `from` (0) and `to` (1), without the overflow of
// (v - from) / (to - from) when the values lie near the ends of the double
// range.
double fractionOf(double v, double from, double to)
{
    if (!(to > from))
        return 0.0;
    const double span = to - from;
    if (std::isfinite(span))
        return (v - from) / span;
    return (v / 2 - from / 2) / (to / 2 - from / 2);
}

} // namespace

int markerPixels(int size)
{
    return std::max(3, static_cast<int>(std::lround(size / 15.0)));
}

QImage markerImage(int style, const ChartColor& outline, const ChartColor& fill, int pixels)
{
    const int px = std::max(3, pixels);
    QImage image(px, px, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double w = std::max(1.0, px / 8.0);
    const double m = w / 2.0 + 0.5;                      // keeps the outline inside the picture
    const QRectF box(m, m, px - 2 * m, px - 2 * m);
    const QPointF c = box.center();
    const double r = box.width() / 2.0;
    QPen pen(toQColor(outline), w);
    pen.setCapStyle(Qt::FlatCap);
    p.setPen(pen);
    const QBrush solid(toQColor(fill));
    switch (style) {
    case 0:                                              // dash
        p.drawLine(QPointF(box.left(), c.y()), QPointF(box.right(), c.y()));
        break;
    case 1:                                              // plus
        p.drawLine(QPointF(box.left(), c.y()), QPointF(box.right(), c.y()));
        p.drawLine(QPointF(c.x(), box.top()), QPointF(c.x(), box.bottom()));
        break;
    case 2:                                              // cross
        p.drawLine(box.topLeft(), box.bottomRight());
        p.drawLine(box.topRight(), box.bottomLeft());
        break;
    case 3:                                              // star: plus and cross
        p.drawLine(QPointF(box.left(), c.y()), QPointF(box.right(), c.y()));
        p.drawLine(QPointF(c.x(), box.top()), QPointF(c.x(), box.bottom()));
        p.drawLine(c + QPointF(-r * 0.7, -r * 0.7), c + QPointF(r * 0.7, r * 0.7));
        p.drawLine(c + QPointF(r * 0.7, -r * 0.7), c + QPointF(-r * 0.7, r * 0.7));
        break;
    case 4:
    case 9:                                              // circle
        p.setBrush(style == 9 ? solid : QBrush(Qt::NoBrush));
        p.drawEllipse(box);
        break;
    case 5:
    case 10:                                             // square
        p.setBrush(style == 10 ? solid : QBrush(Qt::NoBrush));
        p.drawRect(box.adjusted(r * 0.1, r * 0.1, -r * 0.1, -r * 0.1));
        break;
    case 6:
    case 11:                                             // diamond
        p.setBrush(style == 11 ? solid : QBrush(Qt::NoBrush));
        p.drawPath(regularPolygon(c, r, 4, 90));
        break;
    case 7:
    case 12:                                             // triangle, point up
        p.setBrush(style == 12 ? solid : QBrush(Qt::NoBrush));
        p.drawPath(regularPolygon(c + QPointF(0, r * 0.2), r, 3, 90));
        break;
    case 8:
    case 13:                                             // triangle, point down
        p.setBrush(style == 13 ? solid : QBrush(Qt::NoBrush));
        p.drawPath(regularPolygon(c - QPointF(0, r * 0.2), r, 3, 270));
        break;
    default: {                                           // ball: a shaded sphere
        QRadialGradient shade(c - QPointF(r * 0.35, r * 0.35), r * 1.3);
        shade.setColorAt(0, Qt::white);
        shade.setColorAt(0.45, toQColor(fill));
        shade.setColorAt(1, toQColor(fill).darker(220));
        p.setPen(Qt::NoPen);
        p.setBrush(shade);
        p.drawEllipse(box);
        break;
    }
    }
    p.end();
    return image;
}

namespace {

// The markers of one series, drawn as one item: a scatter series of Qt
// Charts makes an item per point, which takes minutes for 100,000 points.
// The markers are painted once into a picture of the item's area, which
// each later paint on the screen shows again, until they move; a drawing
// that is recorded or printed gets one picture at PrintScale times that
// resolution. A million markers so paint in a fraction of a second and
// print as one image, not as an image each.
class MarkerLayer : public QGraphicsItem {
public:
    struct Look {
        int style;
        ChartColor outline;
        ChartColor fill;
        int pixels;                      // a marker's width and height on the screen
    };
    static constexpr double PrintScale = 4.0;

    MarkerLayer(const Look& look, std::vector<ChartModel::Point> points)
        : m_look(look)
        , m_points(std::move(points))
    {
    }
    QRectF boundingRect() const override { return m_bounds; }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        if (m_bounds.isEmpty() || !m_map)
            return;
        if (painter->paintEngine() && painter->paintEngine()->type() == QPaintEngine::Raster) {
            // Pixels: the picture at the device's scale, kept for the next paint.
            const QTransform t = painter->deviceTransform();
            const double scale = std::clamp(std::round(std::hypot(t.m11(), t.m12()) * 100) / 100, 1.0, 8.0);
            if (m_picture.isNull() || m_pictureScale != scale) {
                m_picture = render(scale);
                m_pictureScale = scale;
            }
            painter->drawImage(m_bounds, m_picture);
        } else {
            painter->drawImage(m_bounds, render(PrintScale));
        }
    }
    const std::vector<ChartModel::Point>& points() const { return m_points; }
    // Places the markers: `map` gives a point's position on the scene,
    // `plot` is the plot area (markers on its edge show whole).
    void place(std::function<QPointF(double, double)> map, const QRectF& plot)
    {
        prepareGeometryChange();
        const double r = m_look.pixels / 2.0 + 1;
        // On whole pixels, so that the picture is shown pixel for pixel.
        const QRectF area = plot.adjusted(-r, -r, r, r);
        m_bounds = QRectF(QPointF(std::floor(area.left()), std::floor(area.top())),
                          QPointF(std::ceil(area.right()), std::ceil(area.bottom())));
        m_map = std::move(map);
        m_picture = QImage();
        update();
    }

private:
    // The markers in a picture of the item's area, `scale` pixels to one of
    // the scene.
    QImage render(double scale) const
    {
        QImage image(QSize(static_cast<int>(std::ceil(m_bounds.width() * scale)),
                           static_cast<int>(std::ceil(m_bounds.height() * scale))),
                     QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        const int px = std::max(3, static_cast<int>(std::lround(m_look.pixels * scale)));
        const QImage marker = markerImage(m_look.style, m_look.outline, m_look.fill, px);
        const double half = px / 2.0;
        QPainter painter(&image);
        for (const ChartModel::Point& p : m_points) {
            const QPointF c = m_map(p.x, p.y);
            const double x = (c.x() - m_bounds.left()) * scale - half;
            const double y = (c.y() - m_bounds.top()) * scale - half;
            if (x > -px && y > -px && x < image.width() && y < image.height())
                painter.drawImage(QPoint(static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y))), marker);
        }
        return image;
    }

    Look m_look;
    std::vector<ChartModel::Point> m_points;
    std::function<QPointF(double, double)> m_map;
    QRectF m_bounds;
    QImage m_picture;                    // the markers on the screen
    double m_pictureScale = 0;
};

} // namespace

// What the last drawing made of the model, for finding elements again.
struct ChartView::Drawn {
    struct Entry {
        QAbstractSeries* series;
        int number;                      // the model's series number
        enum Role { Markers, Line, Bars, Area, Pie, Stat } role;
        MarkerLayer* markers = nullptr;  // Markers: the drawn markers (series is their legend entry)
    };
    std::vector<Entry> entries;
    std::vector<std::unique_ptr<MarkerLayer>> layers;
    QBarSeries* bars = nullptr;
    std::vector<int> barSeries;          // model series of each bar set, in order
    QAbstractSeries* anchor = nullptr;   // a series attached to both axes, for mapping
    QValueAxis* valueX = nullptr;
    QValueAxis* valueY = nullptr;
    QBarCategoryAxis* categories = nullptr;
};

ChartView::ChartView(QWidget* parent)
    : QGraphicsView(parent)
    , m_drawn(std::make_unique<Drawn>())
{
    setObjectName(QStringLiteral("Chart"));
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setRenderHint(QPainter::Antialiasing);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setBackgroundBrush(Qt::white);

    auto* scene = new QGraphicsScene(this);
    setScene(scene);
    m_backdropShadow = scene->addRect(QRectF(), Qt::NoPen, QColor(128, 128, 128));
    m_backdrop = scene->addRect(QRectF(), Qt::NoPen, Qt::NoBrush);
    m_backdropInner = scene->addRect(QRectF(), Qt::NoPen, Qt::NoBrush);
    m_plotShadow = scene->addRect(QRectF(), Qt::NoPen, QColor(128, 128, 128));
    m_chart = new QChart();
    m_chart->setBackgroundVisible(false);
    m_chart->setDropShadowEnabled(false);
    m_chart->setMargins(QMargins(Pad, Pad, Pad, Pad));
    m_chart->legend()->setAlignment(Qt::AlignRight);
    scene->addItem(m_chart);
    m_valueX = new QValueAxis();
    m_valueY = new QValueAxis();
    m_categories = new QBarCategoryAxis();
    for (QValueAxis* axis : {m_valueX, m_valueY}) {
        axis->setMinorGridLineVisible(false);
        // The view writes the value axes' labels itself (tickLabels).
        axis->setLabelsVisible(false);
    }
    for (QAbstractAxis* axis : std::initializer_list<QAbstractAxis*>{m_valueX, m_valueY, m_categories}) {
        axis->setLabelsColor(Qt::black);
        axis->setLinePenColor(Qt::black);
        axis->setTitleVisible(false);
    }
    m_chart->addAxis(m_valueX, Qt::AlignBottom);
    m_chart->addAxis(m_categories, Qt::AlignBottom);
    m_chart->addAxis(m_valueY, Qt::AlignLeft);
    m_plotFrame = scene->addRect(QRectF(), Qt::NoPen, Qt::NoBrush);
    m_plotFrameInner = scene->addRect(QRectF(), Qt::NoPen, Qt::NoBrush);
    m_title = new QGraphicsTextItem();
    m_title->document()->setDocumentMargin(0);
    QTextOption centred(Qt::AlignHCenter);
    centred.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_title->document()->setDefaultTextOption(centred);
    m_title->setDefaultTextColor(Qt::black);
    scene->addItem(m_title);
    m_footnote = scene->addSimpleText(QString());
    for (auto& item : m_axisTitles)
        item = scene->addSimpleText(QString());
    m_axisTitles[1]->setRotation(-90);
    m_backdropShadow->setZValue(-3);
    m_backdrop->setZValue(-2);
    m_plotShadow->setZValue(-1);
    for (QGraphicsItem* item : std::initializer_list<QGraphicsItem*>{m_backdropInner, m_plotFrame, m_plotFrameInner})
        item->setZValue(1);
}

ChartView::~ChartView() = default;

ChartModel& ChartView::edit()
{
    m_dirty = true;
    if (!m_posted) {
        m_posted = true;
        QMetaObject::invokeMethod(this, [this] { flush(); }, Qt::QueuedConnection);
    }
    return m_model;
}

void ChartView::flush()
{
    m_posted = false;
    if (m_dirty)
        Refresh();
}

void ChartView::Refresh()
{
    m_dirty = false;
    rebuild();
    layoutItems();
    viewport()->update();
}

void ChartView::resizeEvent(QResizeEvent* event)
{
    QGraphicsView::resizeEvent(event);
    if (m_dirty)
        Refresh();
    else
        layoutItems();
}

void ChartView::rebuild()
{
    // The axes stay with the chart and are only shown or hidden: a removed
    // axis leaves its labels on the scene until the event loop runs again,
    // and a picture may be taken before that.
    m_chart->removeAllSeries();
    *m_drawn = Drawn();
    m_scales[0] = m_scales[1] = AxisScale();

    // Texts in their fonts.
    const auto setText = [](QGraphicsSimpleTextItem* item, const ChartText& text) {
        item->setText(text.Text);
        item->setFont(toQFont(text.VtFont));
        item->setVisible(!text.Text.isEmpty());
    };
    m_title->setPlainText(m_model.Title.Text);
    m_title->setFont(toQFont(m_model.Title.VtFont));
    m_title->setVisible(!m_model.Title.Text.isEmpty());
    // Screen readers name the chart, and a window holding only it, by its title.
    setAccessibleName(m_model.Title.Text);
    if (window() != this)
        window()->setAccessibleName(m_model.Title.Text);
    setText(m_footnote, m_model.Footnote);
    const bool axes = m_model.chartType() != ChartType::Pie2D;
    for (int id = 0; id < 2; ++id) {
        setText(m_axisTitles[id], m_model.Axis(id).AxisTitle);
        if (!axes)
            m_axisTitles[id]->setVisible(false);
    }

    // Backdrops, wall and legend.
    const ChartBackdrop& back = m_model.Backdrop;
    m_backdrop->setBrush(back.filled() ? QBrush(toQColor(back.BrushFillColor)) : QBrush(Qt::white));
    const ChartBackdrop& plot = m_model.Plot.Backdrop;
    const bool plotShadow = plot.ShadowStyle == 1;
    m_chart->setPlotAreaBackgroundVisible(true);
    m_chart->setPlotAreaBackgroundBrush(plot.filled() ? QBrush(toQColor(plot.BrushFillColor))
                                        : plotShadow  ? QBrush(Qt::white)
                                                      : QBrush(Qt::NoBrush));
    m_chart->setPlotAreaBackgroundPen(axes ? toQPen(m_model.Plot.WallPen) : QPen(Qt::NoPen));
    m_chart->legend()->setVisible(m_model.LegendVisible);

    switch (m_model.chartType()) {
    case ChartType::XY2D:
        buildXY();
        break;
    case ChartType::Pie2D:
        buildPies();
        break;
    default:
        buildCategories();
        break;
    }
    if (axes) {
        buildStatLines();
        // Attaching a series resets its axes to what Qt makes of the
        // series' own points: the ranges go on once every series is attached.
        applyRange(m_valueY, 1);
        if (m_model.isXY())
            applyRange(m_valueX, 0);
    }
    for (int id = 0; id < 2; ++id)
        setTickLabels(id, axes && (id == 1 || m_model.isXY()));
}

void ChartView::buildXY()
{
    Drawn& d = *m_drawn;
    d.valueX = m_valueX;
    d.valueY = m_valueY;
    configureValueAxis(m_valueX, 0);
    configureValueAxis(m_valueY, 1);
    m_valueX->setVisible(true);
    m_valueY->setVisible(true);
    m_categories->setVisible(false);

    for (int k : m_model.drawnSeries()) {
        const ChartSeries& s = m_model.SeriesCollection(k);
        const std::vector<ChartModel::Point> pts = m_model.points(k);
        QAbstractSeries* named = nullptr;
        if (m_model.drawsLine(k)) {
            QLineSeries* line = addLine(pts, d.valueX);
            line->setName(s.LegendText);
            // In an XY chart the line between the points takes the points'
            // edge colour, in the series pen's style and width.
            line->setPen(toQPen(s.Pen.Style, s.DataPoint.EdgePen.VtColor, s.Pen.Width));
            d.entries.push_back({line, k, Drawn::Entry::Line});
            named = line;
        }
        if (m_model.drawsMarkers(k)) {
            QScatterSeries* scatter = addMarkers(k, pts, d.valueX);
            scatter->setName(s.LegendText);
            if (named)
                showInLegend(named, false);
            named = scatter;
        }
        if (named) {
            d.anchor = d.anchor ? d.anchor : named;
            showInLegend(named, !s.LegendText.isEmpty());
        }
    }
}

void ChartView::buildCategories()
{
    Drawn& d = *m_drawn;
    const ChartType type = m_model.chartType();
    const bool depth = m_model.isThreeDimensional();
    const int rows = m_model.RowCount();

    d.categories = m_categories;
    d.valueY = m_valueY;
    QStringList labels;
    for (int r = 1; r <= rows; ++r)
        labels << m_model.rowLabel(r);
    m_categories->clear();
    m_categories->append(labels);
    const ChartAxis& ax = m_model.Axis(0);
    m_categories->setLabelsFont(toQFont(ax.Labels(1)));
    m_categories->setGridLineVisible(ax.GridPen.Style != 0);
    m_categories->setGridLinePen(toQPen(ax.GridPen));
    configureValueAxis(m_valueY, 1);
    m_categories->setVisible(true);
    m_valueY->setVisible(true);
    m_valueX->setVisible(false);

    // `alpha` below 255 lets what lies behind show through.
    const auto fillBrush = [depth](const ChartColor& colour, bool across, int alpha = 255) {
        const auto seeThrough = [alpha](QColor c) {
            c.setAlpha(alpha);
            return c;
        };
        if (!depth)
            return QBrush(seeThrough(toQColor(colour)));
        // Depth shading: light on the near side, dark on the far one.
        QLinearGradient g(0, 0, across ? 1 : 0, across ? 0 : 1);
        g.setCoordinateMode(QGradient::ObjectMode);
        g.setColorAt(0, seeThrough(toQColor(colour).lighter(150)));
        g.setColorAt(1, seeThrough(toQColor(colour).darker(160)));
        return QBrush(g);
    };

    if (type == ChartType::Bar2D || type == ChartType::Bar3D) {
        d.bars = new QBarSeries();
        for (int k : m_model.drawnSeries()) {
            const ChartSeries& s = m_model.SeriesCollection(k);
            auto* set = new QBarSet(s.LegendText);
            for (int r = 0; r < rows; ++r)
                set->append(m_model.ChartData().at(r, k - 1).value_or(0.0));
            d.bars->append(set);
            d.barSeries.push_back(k);
        }
        addToAxes(d.bars, d.categories);
        for (std::size_t i = 0; i < d.barSeries.size(); ++i) {
            const ChartSeries& s = m_model.SeriesCollection(d.barSeries[i]);
            QBarSet* set = d.bars->barSets().at(static_cast<qsizetype>(i));
            set->setBrush(fillBrush(s.DataPoint.BrushFillColor, true));
            set->setPen(toQPen(s.DataPoint.EdgePen));
            d.entries.push_back({d.bars, d.barSeries[i], Drawn::Entry::Bars});
        }
        d.anchor = d.bars;
        return;
    }

    for (int k : m_model.drawnSeries()) {
        const ChartSeries& s = m_model.SeriesCollection(k);
        const std::vector<ChartModel::Point> pts = m_model.points(k);
        QAbstractSeries* named = nullptr;
        if (type == ChartType::Line2D || type == ChartType::Line3D) {
            const QPen pen = s.ShowLine ? toQPen(s.Pen) : QPen(Qt::NoPen);
            if (depth && pen.style() != Qt::NoPen) {
                // A ribbon: edged in the series' pen, its face in the
                // points' fill colour.
                QPen edge = pen;
                edge.setWidthF(pen.widthF() + 6);
                QLineSeries* edgeLine = addLine(pts, d.categories);
                edgeLine->setPen(edge);
                showInLegend(edgeLine, false);
                d.entries.push_back({edgeLine, k, Drawn::Entry::Line});
            }
            QLineSeries* line = addLine(pts, d.categories);
            line->setName(s.LegendText);
            if (depth && pen.style() != Qt::NoPen) {
                QPen face(toQColor(s.DataPoint.BrushFillColor));
                face.setWidthF(pen.widthF() + 2);
                line->setPen(face);
            } else {
                line->setPen(pen);
            }
            d.entries.push_back({line, k, Drawn::Entry::Line});
            named = line;
        } else {
            // Areas and steps: the values against the zero line; a step
            // keeps each row's value across the row's whole width.
            auto* area = new QAreaSeries();
            auto* upper = new QLineSeries(area);
            auto* lower = new QLineSeries(area);
            const bool step = type == ChartType::Step2D || type == ChartType::Step3D;
            for (const ChartModel::Point& p : pts) {
                if (step) {
                    upper->append(p.x - 0.5, p.y);
                    upper->append(p.x + 0.5, p.y);
                } else {
                    upper->append(p.x, p.y);
                }
            }
            if (!pts.empty()) {
                const double from = step ? pts.front().x - 0.5 : pts.front().x;
                const double to = step ? pts.back().x + 0.5 : pts.back().x;
                lower->append(from, 0);
                lower->append(to, 0);
            }
            area->setUpperSeries(upper);
            area->setLowerSeries(lower);
            area->setName(s.LegendText);
            addToAxes(area, d.categories);
            // Several areas overlap: each lets the ones behind show through.
            area->setBrush(fillBrush(s.DataPoint.BrushFillColor, false, m_model.drawnSeries().size() > 1 ? 170 : 255));
            area->setPen(toQPen(s.DataPoint.EdgePen));
            d.entries.push_back({area, k, Drawn::Entry::Area});
            named = area;
        }
        if (m_model.drawsMarkers(k) && !pts.empty())
            showInLegend(addMarkers(k, pts, d.categories), false);
        d.anchor = d.anchor ? d.anchor : named;
        showInLegend(named, !s.LegendText.isEmpty());
    }
}

void ChartView::buildPies()
{
    m_valueX->setVisible(false);
    m_valueY->setVisible(false);
    m_categories->setVisible(false);
    const std::vector<int> drawn = m_model.drawnSeries();
    const double count = static_cast<double>(drawn.size());
    int index = 0;
    for (int k : drawn) {
        const ChartSeries& s = m_model.SeriesCollection(k);
        auto* pie = new QPieSeries();
        pie->setName(s.LegendText);
        pie->setPieSize(0.9 / std::max(1.0, count));
        pie->setHorizontalPosition((index + 0.5) / std::max(1.0, count));
        for (int r = 0; r < m_model.RowCount(); ++r) {
            const double v = m_model.ChartData().at(r, k - 1).value_or(0.0);
            pie->append(m_model.rowLabel(r + 1), v > 0 ? v : 0.0);
        }
        m_chart->addSeries(pie);
        // Each slice a shade of the series' colour, towards white.
        const ChartColor& base = s.DataPoint.BrushFillColor;
        const QList<QPieSlice*> slices = pie->slices();
        for (qsizetype i = 0; i < slices.size(); ++i) {
            const double t = static_cast<double>(i % 6) / 7.0;
            const auto shade = [t](int part) { return static_cast<int>(std::lround(part + (255 - part) * t)); };
            slices[i]->setBrush(QColor(shade(base.Red), shade(base.Green), shade(base.Blue)));
            slices[i]->setPen(toQPen(s.DataPoint.EdgePen));
        }
        // One legend for the rows: the first pie's.
        if (index > 0)
            showInLegend(pie, false);
        m_drawn->entries.push_back({pie, k, Drawn::Entry::Pie});
        ++index;
    }
}

void ChartView::addToAxes(QAbstractSeries* series, QAbstractAxis* xAxis)
{
    m_chart->addSeries(series);
    series->attachAxis(xAxis);
    series->attachAxis(m_valueY);
}

void ChartView::showInLegend(QAbstractSeries* series, bool shown)
{
    for (QLegendMarker* m : m_chart->legend()->markers(series))
        m->setVisible(shown);
}

QLineSeries* ChartView::addLine(const std::vector<ChartModel::Point>& points, QAbstractAxis* xAxis)
{
    auto* line = new QLineSeries();
    QList<QPointF> inAxisUnits;
    inAxisUnits.reserve(static_cast<qsizetype>(points.size()));
    for (const ChartModel::Point& p : points)
        inAxisUnits.append(QPointF(toAxisUnits(0, p.x), toAxisUnits(1, p.y)));
    line->replace(inAxisUnits);
    addToAxes(line, xAxis);
    return line;
}

QScatterSeries* ChartView::addMarkers(int series, const std::vector<ChartModel::Point>& points, QAbstractAxis* xAxis)
{
    // The scatter series stays empty: it gives the legend entry and the
    // mapping onto the axes; the layer draws the markers.
    const ChartMarker& marker = m_model.SeriesCollection(series).DataPoint.Marker;
    auto* scatter = new QScatterSeries();
    addToAxes(scatter, xAxis);
    const int px = markerPixels(marker.Size);
    scatter->setMarkerSize(px);
    scatter->setColor(toQColor(marker.FillColor));
    scatter->setBorderColor(toQColor(marker.Pen.VtColor));
    auto layer = std::make_unique<MarkerLayer>(MarkerLayer::Look{marker.Style, marker.Pen.VtColor, marker.FillColor, px},
                                               points);
    layer->setZValue(0.5);
    scene()->addItem(layer.get());
    m_drawn->entries.push_back({scatter, series, Drawn::Entry::Markers, layer.get()});
    m_drawn->layers.push_back(std::move(layer));
    return scatter;
}

void ChartView::applyRange(QValueAxis* axis, int axisId)
{
    const AxisScale& s = m_scales[axisId];
    if (s.inDivisions)
        axis->setRange(0, s.divisions);
    else
        axis->setRange(s.minimum, s.maximum);
}

double ChartView::toAxisUnits(int axisId, double value) const
{
    const AxisScale& s = m_scales[axisId];
    return s.inDivisions ? fractionOf(value, s.minimum, s.maximum) * s.divisions : value;
}

void ChartView::configureValueAxis(QValueAxis* axis, int axisId)
{
    const ChartAxis& a = m_model.Axis(axisId);
    const ChartValueScale s = m_model.effectiveScale(axisId);
    AxisScale& scale = m_scales[axisId];
    scale.minimum = s.Minimum;
    scale.maximum = s.Maximum > s.Minimum ? s.Maximum : s.Minimum + 1;
    scale.divisions = std::clamp(s.MajorDivision, 1, 100);
    // The axes of an XY chart run in major divisions (0 at the minimum, 1
    // at the first tick, ...): Qt lays out no ticks, grid lines or labels on
    // a range narrower than 1e-12 and takes 1,000,000 to 1,000,000 + 1e-9
    // for a range that did not change. Category charts keep their values,
    // from which the bars rise.
    scale.inDivisions = m_model.isXY();
    scale.labels = tickLabels(scale.minimum, scale.maximum, scale.divisions,
                              tickLabelFormat(scale.minimum, scale.maximum, scale.divisions));
    scale.font = toQFont(a.Labels(1));
    applyRange(axis, axisId);
    axis->setTickCount(scale.divisions + 1);
    axis->setMinorTickCount(std::clamp(s.MinorDivision - 1, 0, 20));
    axis->setLabelsFont(toQFont(a.Labels(1)));
    axis->setGridLineVisible(a.GridPen.Style != 0);
    axis->setGridLinePen(toQPen(a.GridPen));
}

void ChartView::buildStatLines()
{
    Drawn& d = *m_drawn;
    QAbstractAxis* xAxis = d.valueX ? static_cast<QAbstractAxis*>(d.valueX) : d.categories;
    if (!xAxis || !d.valueY)
        return;
    double from = 0, to = 0;
    if (d.valueX) {
        from = m_scales[0].minimum;
        to = m_scales[0].maximum;
    } else {
        from = -0.5;
        to = m_model.RowCount() - 0.5;
    }
    for (int k : m_model.drawnSeries()) {
        const ChartStatLine& stat = m_model.SeriesCollection(k).StatLine;
        for (const ChartStatSegment& segment : m_model.statLines(k, from, to)) {
            QLineSeries* line = addLine({{0, segment.x0, segment.y0}, {0, segment.x1, segment.y1}}, xAxis);
            line->setPen(toQPen(stat.Style(segment.flag), stat.VtColor, stat.Width));
            showInLegend(line, false);
            d.entries.push_back({line, k, Drawn::Entry::Stat});
        }
    }
}

void ChartView::layoutItems()
{
    const QRectF all(QPointF(0, 0), QSizeF(viewport()->size()));
    scene()->setSceneRect(all);

    // The whole chart's backdrop, with its shadow standing out below right.
    const ChartBackdrop& back = m_model.Backdrop;
    const bool shadow = back.ShadowStyle == 1;
    const QRectF backRect = shadow ? all.adjusted(0, 0, -ShadowOffset, -ShadowOffset) : all;
    m_backdrop->setRect(backRect);
    m_backdropShadow->setRect(backRect.translated(ShadowOffset, ShadowOffset));
    m_backdropShadow->setVisible(shadow);
    applyFrame(m_backdrop, m_backdropInner, backRect, back.FrameStyle);
    // applyFrame hides a frameless backdrop; its fill still shows.
    m_backdrop->setVisible(true);
    if (back.FrameStyle == 0)
        m_backdrop->setPen(Qt::NoPen);

    const double inset = back.FrameStyle >= 2 ? Pad + 4 : Pad;
    // A title wider than the chart is broken into centred lines.
    m_title->setTextWidth(-1);
    if (m_title->boundingRect().width() > backRect.width() - 2 * inset)
        m_title->setTextWidth(std::max(10.0, backRect.width() - 2 * inset));
    const auto height = [](QGraphicsItem* item) {
        return item->isVisible() ? item->boundingRect().height() : 0.0;
    };
    const double titleH = height(m_title);
    const double footH = height(m_footnote);
    const double xTitleH = height(m_axisTitles[0]);
    const double yTitleW = height(m_axisTitles[1]);

    QRectF chartRect = backRect.adjusted(inset + (yTitleW > 0 ? yTitleW + Pad : 0),
                                         inset + (titleH > 0 ? titleH + Pad : 0), -inset,
                                         -(inset + (footH > 0 ? footH + Pad : 0) + xTitleH));
    if (chartRect.width() < 10 || chartRect.height() < 10)
        chartRect = QRectF(backRect.topLeft(), QSizeF(std::max(10.0, backRect.width()), std::max(10.0, backRect.height())));
    m_chart->setGeometry(chartRect);
    const bool upright = layOutChart();
    const QRectF plot = m_chart->mapRectToScene(m_chart->plotArea());
    placeTickLabels(plot, upright);
    for (const Drawn::Entry& entry : m_drawn->entries)
        if (entry.markers)
            entry.markers->place(scenePosition(entry.series), plot);

    if (m_title->isVisible())
        m_title->setPos(backRect.center().x() - m_title->boundingRect().width() / 2, backRect.top() + inset);
    if (m_footnote->isVisible())
        m_footnote->setPos(backRect.left() + inset + Pad, backRect.bottom() - inset - footH);
    if (m_axisTitles[0]->isVisible())
        m_axisTitles[0]->setPos(plot.center().x() - m_axisTitles[0]->boundingRect().width() / 2,
                                chartRect.bottom());
    if (m_axisTitles[1]->isVisible())
        // Turned a quarter to the left: its width runs upwards from pos.
        m_axisTitles[1]->setPos(chartRect.left() - yTitleW - Pad / 2.0,
                                plot.center().y() + m_axisTitles[1]->boundingRect().width() / 2);

    const ChartBackdrop& plotBack = m_model.Plot.Backdrop;
    const bool axes = m_model.chartType() != ChartType::Pie2D;
    m_plotShadow->setRect(plot.translated(ShadowOffset, ShadowOffset));
    m_plotShadow->setVisible(axes && plotBack.ShadowStyle == 1);
    applyFrame(m_plotFrame, m_plotFrameInner, plot.adjusted(-2, -2, 2, 2), axes ? plotBack.FrameStyle : 0);
}

void ChartView::setTickLabels(int axisId, bool shown)
{
    std::vector<QGraphicsSimpleTextItem*>& items = m_tickLabels[axisId];
    const QStringList& labels = m_scales[axisId].labels;
    const auto count = shown ? static_cast<std::size_t>(labels.size()) : 0;
    while (items.size() < count) {
        items.push_back(scene()->addSimpleText(QString()));
        items.back()->setBrush(Qt::black);
        items.back()->setZValue(1);
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        items[i]->setVisible(i < count);
        if (i < count) {
            items[i]->setText(labels[static_cast<qsizetype>(i)]);
            items[i]->setFont(m_scales[axisId].font);
        }
    }
}

bool ChartView::layOutChart()
{
    // The legend and the chart laid out now, so that a picture taken before
    // the event loop runs again shows them in place.
    const auto activate = [this] {
        if (QGraphicsLayout* layout = m_chart->legend()->layout())
            layout->activate();
        if (QGraphicsLayout* layout = m_chart->layout())
            layout->activate();
    };
    // Room for the tick labels: the widest Y label left of the plot, the
    // X labels below it, and half a label beyond the plot's corners, where
    // the labels of the axes' ends stand out.
    const auto shown = [this](int id) { return !m_tickLabels[id].empty() && m_tickLabels[id].front()->isVisible(); };
    const auto widest = [this](int id) {
        double w = 0;
        for (QGraphicsSimpleTextItem* item : m_tickLabels[id])
            if (item->isVisible())
                w = std::max(w, item->boundingRect().width());
        return w;
    };
    const auto lineHeight = [this](int id) { return QFontMetricsF(m_scales[id].font).height(); };
    const auto setMargins = [&](bool upright) {
        double left = Pad, top = Pad, right = Pad, bottom = Pad;
        if (shown(1)) {
            left += widest(1) + TickRoom;
            top += lineHeight(1) / 2;
            bottom += lineHeight(1) / 2;
        }
        if (shown(0)) {
            const double last = m_tickLabels[0][static_cast<std::size_t>(m_scales[0].divisions)]->boundingRect().width();
            right += upright ? lineHeight(0) / 2 : last / 2;
            bottom = std::max(bottom, Pad + TickRoom + (upright ? widest(0) : lineHeight(0)));
        }
        m_chart->setMargins(QMargins(static_cast<int>(std::ceil(left)), static_cast<int>(std::ceil(top)),
                                     static_cast<int>(std::ceil(right)), static_cast<int>(std::ceil(bottom))));
        activate();
    };
    setMargins(false);
    // X labels that do not fit side by side stand upright rather than run
    // into each other.
    if (shown(0) && widest(0) + 2 * Pad > m_chart->plotArea().width() / (m_scales[0].divisions + 1)) {
        setMargins(true);
        return true;
    }
    return false;
}

void ChartView::placeTickLabels(const QRectF& plot, bool upright)
{
    for (int id = 0; id < 2; ++id) {
        const double n = m_scales[id].divisions;
        for (std::size_t i = 0; i < m_tickLabels[id].size(); ++i) {
            QGraphicsSimpleTextItem* item = m_tickLabels[id][i];
            if (!item->isVisible())
                continue;
            const double w = item->boundingRect().width();
            const double h = item->boundingRect().height();
            const double at = static_cast<double>(i) / n;
            if (id == 1) {
                item->setRotation(0);
                item->setPos(plot.left() - TickRoom - w, plot.bottom() - at * plot.height() - h / 2);
            } else if (upright) {
                // Turned a quarter to the left: its width runs upwards from pos.
                item->setRotation(-90);
                item->setPos(plot.left() + at * plot.width() - h / 2, plot.bottom() + TickRoom + w);
            } else {
                item->setRotation(0);
                item->setPos(plot.left() + at * plot.width() - w / 2, plot.bottom() + TickRoom);
            }
        }
    }
}

std::function<QPointF(double, double)> ChartView::scenePosition(QAbstractSeries* series)
{
    if (m_valueX->isVisible()) {
        // The value axes run linearly from their minimum at the plot area's
        // bottom left to their maximum at its top right. Mapped here rather
        // than by the chart, whose own arithmetic overflows on a range of
        // 1e-310 and loses the digits of values far from zero.
        const QRectF plot = m_chart->mapRectToScene(m_chart->plotArea());
        const double x0 = m_scales[0].minimum;
        const double x1 = m_scales[0].maximum;
        const double y0 = m_scales[1].minimum;
        const double y1 = m_scales[1].maximum;
        return [=](double x, double y) {
            return QPointF(plot.left() + fractionOf(x, x0, x1) * plot.width(),
                           plot.bottom() - fractionOf(y, y0, y1) * plot.height());
        };
    }
    // Categories: row r (from 0) in the middle of its slot. Two points
    // mapped by the chart give every other.
    const double x0 = -0.5;
    const double x1 = std::max(0.5, m_model.RowCount() - 0.5);
    double y0 = m_valueY->min();
    double y1 = m_valueY->max();
    if (!(y1 > y0))
        y1 = y0 + 1;
    const QPointF a = m_chart->mapToScene(m_chart->mapToPosition(QPointF(x0, y0), series));
    const QPointF b = m_chart->mapToScene(m_chart->mapToPosition(QPointF(x1, y1), series));
    return [=](double x, double y) {
        return QPointF(a.x() + (x - x0) / (x1 - x0) * (b.x() - a.x()), a.y() + (y - y0) / (y1 - y0) * (b.y() - a.y()));
    };
}

QRectF ChartView::plotArea()
{
    flush();
    return m_chart->mapRectToScene(m_chart->plotArea());
}

QRectF ChartView::titleRect()
{
    flush();
    return m_title->isVisible() ? m_title->sceneBoundingRect() : QRectF();
}

QRectF ChartView::footnoteRect()
{
    flush();
    return m_footnote->isVisible() ? m_footnote->sceneBoundingRect() : QRectF();
}

QRectF ChartView::axisTitleRect(int axisId)
{
    flush();
    QGraphicsSimpleTextItem* item = m_axisTitles[axisId == 0 ? 0 : 1];
    return item->isVisible() ? item->sceneBoundingRect() : QRectF();
}

QPointF ChartView::positionOf(int series, double x, double y)
{
    flush();
    if (m_model.isXY())
        return scenePosition(m_drawn->anchor)(x, y);
    for (const Drawn::Entry& e : m_drawn->entries)
        if (e.number == series && e.role != Drawn::Entry::Stat && e.role != Drawn::Entry::Pie)
            return m_chart->mapToScene(m_chart->mapToPosition(QPointF(x, y), e.series));
    if (m_drawn->anchor)
        return m_chart->mapToScene(m_chart->mapToPosition(QPointF(x, y), m_drawn->anchor));
    return QPointF();
}

std::vector<QPointF> ChartView::barCorners(int series, int row, double value)
{
    // Bars of one category share 80 % of its width, in series order.
    const auto& order = m_drawn->barSeries;
    const auto it = std::find(order.begin(), order.end(), series);
    if (it == order.end())
        return {};
    const double sets = static_cast<double>(order.size());
    const double index = static_cast<double>(it - order.begin());
    const double left = row - 0.4 + 0.8 * index / sets;
    const double right = left + 0.8 / sets;
    QAbstractSeries* s = m_drawn->bars;
    return {m_chart->mapToScene(m_chart->mapToPosition(QPointF(left, 0), s)),
            m_chart->mapToScene(m_chart->mapToPosition(QPointF(right, value), s))};
}

ChartElement ChartView::elementAt(const QPoint& position)
{
    flush();
    const QPointF at = mapToScene(position);
    ChartElement e;
    if (!scene()->sceneRect().contains(at))
        return e;
    if (m_title->isVisible() && m_title->sceneBoundingRect().contains(at))
        return {ChartElement::Kind::Title};
    if (m_footnote->isVisible() && m_footnote->sceneBoundingRect().contains(at))
        return {ChartElement::Kind::Footnote};
    for (int id = 0; id < 2; ++id)
        if (m_axisTitles[id]->isVisible() && m_axisTitles[id]->sceneBoundingRect().contains(at)) {
            e.kind = ChartElement::Kind::AxisTitle;
            e.axisId = id;
            return e;
        }

    // Points: the nearest marker under the pointer.
    double best = -1;
    for (const Drawn::Entry& entry : m_drawn->entries) {
        if (entry.role != Drawn::Entry::Markers)
            continue;
        const double reach = std::max(HitRadius, markerPixels(m_model.SeriesCollection(entry.number).DataPoint.Marker.Size) / 2.0);
        const auto position = scenePosition(entry.series);
        for (const ChartModel::Point& p : entry.markers->points()) {
            const QPointF c = position(p.x, p.y);
            const double dist = std::hypot(c.x() - at.x(), c.y() - at.y());
            if (dist <= reach && (best < 0 || dist < best)) {
                best = dist;
                e = {ChartElement::Kind::Point, 0, 1, entry.number, p.row};
            }
        }
    }
    if (best >= 0)
        return e;

    // Bars and pie slices are points of their series too.
    if (m_drawn->bars) {
        for (int k : m_drawn->barSeries)
            for (const ChartModel::Point& p : m_model.points(k)) {
                const std::vector<QPointF> c = barCorners(k, p.row - 1, p.y);
                if (c.size() == 2 && QRectF(c[0], c[1]).normalized().contains(at))
                    return {ChartElement::Kind::Point, 0, 1, k, p.row};
            }
    }
    for (const Drawn::Entry& entry : m_drawn->entries) {
        if (entry.role != Drawn::Entry::Pie)
            continue;
        auto* pie = static_cast<QPieSeries*>(entry.series);
        const QRectF area = m_chart->mapRectToScene(m_chart->plotArea());
        const QPointF centre(area.left() + area.width() * pie->horizontalPosition(),
                             area.top() + area.height() * pie->verticalPosition());
        const double radius = pie->pieSize() * std::min(area.width(), area.height()) / 2.0;
        const double dx = at.x() - centre.x();
        const double dy = at.y() - centre.y();
        if (std::hypot(dx, dy) > radius || pie->sum() <= 0)
            continue;
        // Slices run clockwise from twelve o'clock.
        double angle = std::atan2(dx, -dy) * 180.0 / std::numbers::pi;
        if (angle < 0)
            angle += 360.0;
        double start = 0;
        const QList<QPieSlice*> slices = pie->slices();
        for (qsizetype i = 0; i < slices.size(); ++i) {
            const double span = 360.0 * slices[i]->value() / pie->sum();
            if (angle >= start && angle < start + span)
                return {ChartElement::Kind::Point, 0, 1, entry.number, static_cast<int>(i) + 1};
            start += span;
        }
    }

    // Lines and areas: the series.
    for (const Drawn::Entry& entry : m_drawn->entries) {
        if (entry.role == Drawn::Entry::Line) {
            const QList<QPointF> pts = static_cast<QXYSeries*>(entry.series)->points();
            for (qsizetype i = 0; i + 1 < pts.size(); ++i) {
                const QPointF a = m_chart->mapToScene(m_chart->mapToPosition(pts[i], entry.series));
                const QPointF b = m_chart->mapToScene(m_chart->mapToPosition(pts[i + 1], entry.series));
                const QPointF ab = b - a;
                const double len2 = QPointF::dotProduct(ab, ab);
                const double t = len2 > 0 ? std::clamp(QPointF::dotProduct(at - a, ab) / len2, 0.0, 1.0) : 0.0;
                const QPointF near = a + t * ab;
                if (std::hypot(near.x() - at.x(), near.y() - at.y()) <= HitRadius)
                    return {ChartElement::Kind::Series, 0, 1, entry.number, 0};
            }
        } else if (entry.role == Drawn::Entry::Area) {
            auto* area = static_cast<QAreaSeries*>(entry.series);
            QPainterPath path;
            const QList<QPointF> upper = area->upperSeries()->points();
            for (qsizetype i = 0; i < upper.size(); ++i) {
                const QPointF p = m_chart->mapToScene(m_chart->mapToPosition(upper[i], area));
                if (i == 0)
                    path.moveTo(p);
                else
                    path.lineTo(p);
            }
            const QList<QPointF> lower = area->lowerSeries()->points();
            for (qsizetype i = lower.size() - 1; i >= 0; --i)
                path.lineTo(m_chart->mapToScene(m_chart->mapToPosition(lower[i], area)));
            path.closeSubpath();
            if (path.contains(at))
                return {ChartElement::Kind::Series, 0, 1, entry.number, 0};
        }
    }

    // A legend entry names its series.
    if (m_model.LegendVisible && m_chart->legend()->sceneBoundingRect().contains(at)) {
        for (QGraphicsItem* item : scene()->items(at)) {
            if (!m_chart->legend()->isAncestorOf(item))
                continue;
            QGraphicsItem* holder = item->parentItem() ? item->parentItem() : item;
            for (QGraphicsItem* child : holder->childItems()) {
                QString text;
                if (auto* t = dynamic_cast<QGraphicsTextItem*>(child))
                    text = t->toPlainText();
                else if (auto* s = dynamic_cast<QGraphicsSimpleTextItem*>(child))
                    text = s->text();
                if (text.isEmpty())
                    continue;
                for (int k : m_model.drawnSeries())
                    if (m_model.SeriesCollection(k).LegendText == text)
                        return {ChartElement::Kind::Series, 0, 1, k, 0};
            }
        }
    }

    // The axes, their labels and the plot area.
    if (m_model.chartType() != ChartType::Pie2D) {
        const QRectF plot = m_chart->mapRectToScene(m_chart->plotArea());
        const QRectF chart = m_chart->sceneBoundingRect();
        if (at.x() >= plot.left() - HitRadius && at.x() <= plot.right() + HitRadius
            && std::abs(at.y() - plot.bottom()) <= HitRadius)
            return {ChartElement::Kind::Axis, 0};
        if (at.y() >= plot.top() - HitRadius && at.y() <= plot.bottom() + HitRadius
            && std::abs(at.x() - plot.left()) <= HitRadius)
            return {ChartElement::Kind::Axis, 1};
        if (at.x() >= plot.left() - 2 * Pad && at.x() <= plot.right() + 2 * Pad && at.y() > plot.bottom()
            && at.y() <= chart.bottom())
            return {ChartElement::Kind::AxisLabel, 0, 1};
        if (at.y() >= plot.top() - 2 * Pad && at.y() <= plot.bottom() + 2 * Pad && at.x() < plot.left()
            && at.x() >= chart.left())
            return {ChartElement::Kind::AxisLabel, 1, 1};
        if (plot.contains(at))
            return {ChartElement::Kind::Plot};
    } else if (m_chart->mapRectToScene(m_chart->plotArea()).contains(at)) {
        return {ChartElement::Kind::Plot};
    }
    return {ChartElement::Kind::Chart};
}

void ChartView::activate(const ChartElement& element)
{
    switch (element.kind) {
    case ChartElement::Kind::None: break;
    case ChartElement::Kind::Chart: emit chartActivated(); break;
    case ChartElement::Kind::Plot: emit plotActivated(); break;
    case ChartElement::Kind::Title: emit titleActivated(); break;
    case ChartElement::Kind::Footnote: emit footnoteActivated(); break;
    case ChartElement::Kind::Axis: emit axisActivated(element.axisId, 1); break;
    case ChartElement::Kind::AxisTitle: emit axisTitleActivated(element.axisId, 1); break;
    case ChartElement::Kind::AxisLabel: emit axisLabelActivated(element.axisId, 1, 1, element.labelEntry); break;
    case ChartElement::Kind::Series: emit seriesActivated(element.series); break;
    case ChartElement::Kind::Point: emit pointActivated(element.series, element.dataPoint); break;
    }
}

void ChartView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QGraphicsView::mouseDoubleClickEvent(event);
        return;
    }
    activate(elementAt(event->position().toPoint()));
    event->accept();
}

QImage ChartView::toImage()
{
    flush();
    const QSize size = viewport()->size().expandedTo(QSize(1, 1));
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    scene()->render(&painter, QRectF(QPointF(0, 0), QSizeF(size)), scene()->sceneRect());
    painter.end();
    return image;
}

QPicture ChartView::toPicture()
{
    flush();
    QPicture picture;
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QSizeF size(viewport()->size());
    scene()->render(&painter, QRectF(QPointF(0, 0), size), scene()->sceneRect());
    painter.end();
    picture.setBoundingRect(QRect(QPoint(0, 0), viewport()->size()));
    return picture;
}

void ChartView::EditCopy()
{
    Platform::clipboard().setImage(toImage());
}

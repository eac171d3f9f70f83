// "Scatter" and "Rank" on the main window: the chart windows they open from
// the sheet and the options, and the boxes that stand in for a chart.
#include "window_fixture.hpp"

#include <QCursor>
#include <QPushButton>
#include <QScrollBar>

#include <map>

#include "charts/chart_view.hpp"
#include "ui/frm_plot.hpp"

namespace {

class PlotCommands : public WindowTest {
protected:
    // Rows 1..rows: X = r, Y = 2r + 1, ranks r and rows + 1 - r.
    void fill(int rows)
    {
        for (int r = 1; r <= rows; ++r) {
            matrix().setNumber(DataMatrix::ColX, r, r);
            matrix().setNumber(DataMatrix::ColY, r, 2 * r + 1);
            matrix().setNumber(DataMatrix::ColRankX, r, r);
            matrix().setNumber(DataMatrix::ColRankY, r, rows + 1 - r);
        }
    }
    static QList<frmPlot*> plots()
    {
        QList<frmPlot*> out;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* plot = qobject_cast<frmPlot*>(w); plot && plot->isVisible())
                out << plot;
        return out;
    }
    static const ChartModel& chartOf(frmPlot* plot) { return plot->chart()->model(); }
};

// The first paint of each chart view while it lives, and whether the busy
// pointer was up at it.
class FirstPaints : public QObject {
public:
    FirstPaints() { qApp->installEventFilter(this); }
    ~FirstPaints() override { qApp->removeEventFilter(this); }
    std::map<QObject*, bool> busy;       // by the chart's viewport

    // Runs the event loop until `count` charts have been painted.
    bool waitFor(std::size_t count)
    {
        for (int turn = 0; turn < 10000 && busy.size() < count; ++turn)
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        return busy.size() >= count;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && qobject_cast<ChartView*>(watched->parent()) && !busy.count(watched)) {
            const QCursor* cursor = QApplication::overrideCursor();
            busy[watched] = cursor && cursor->shape() == Qt::WaitCursor;
        }
        return false;
    }
};

} // namespace

TEST_F(PlotCommands, ScatterAndRankOpenAWindowEach)
{
    fill(6);
    window->setWindowTitle(QStringLiteral("KVE - trial.KVE"));
    FirstPaints paints;
    window->Command11_Click();
    window->Command14_Click();
    const QList<frmPlot*> windows = plots();
    ASSERT_EQ(windows.size(), 2);
    EXPECT_TRUE(platform->messages.asked.empty());
    // The pointer stays busy until both charts have been painted.
    ASSERT_TRUE(paints.waitFor(2));
    for (const auto& [viewport, busy] : paints.busy)
        EXPECT_TRUE(busy);
    QApplication::processEvents();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    for (frmPlot* plot : windows)
        EXPECT_EQ(plot->windowTitle(), QStringLiteral("Plot - trial.KVE"));
    const auto byTitle = [&windows](const QString& title) -> frmPlot* {
        for (frmPlot* plot : windows)
            if (PlotCommands::chartOf(plot).Title.Text == title)
                return plot;
        return nullptr;
    };
    frmPlot* scatter = byTitle(QStringLiteral("Observed vs Model-Predicted"));
    frmPlot* rank = byTitle(QStringLiteral("Rank of Observed vs Rank of Model-Predicted"));
    ASSERT_NE(scatter, nullptr);
    ASSERT_NE(rank, nullptr);
    EXPECT_EQ(scatter->styleScrollBar()->value(), 1);
    EXPECT_EQ(rank->styleScrollBar()->value(), 4);
    EXPECT_EQ(chartOf(scatter).Footnote.Text, QStringLiteral("n =  6"));
    // Rank points: (rank X, rank Y); both scales common.
    EXPECT_EQ(chartOf(rank).points(3).front().y, 6.0);
    EXPECT_FALSE(chartOf(rank).Axis(0).ValueScale.Auto);
    EXPECT_EQ(chartOf(scatter).SeriesCollection(5).DataPoint.EdgePen.VtColor, (ChartColor{255, 0, 0}));
    EXPECT_EQ(chartOf(rank).SeriesCollection(5).DataPoint.EdgePen.VtColor, (ChartColor{0, 0, 255}));

    // The two windows keep their own styles.
    scatter->findChild<QPushButton*>(QStringLiteral("Check1"))->click();
    EXPECT_TRUE(chartOf(scatter).LegendVisible);
    EXPECT_FALSE(chartOf(rank).LegendVisible);
}

TEST_F(PlotCommands, OptionsOfTheMainWindow)
{
    fill(5);
    matrix().setText(DataMatrix::ColExclude, 2, QStringLiteral("yes"));
    window->check(1)->setChecked(true);                    // show excluded points apart
    window->check(46)->setChecked(false);                  // no Y = X line
    window->check(22)->setChecked(false);                  // no common scale
    programState().SwapXY = true;
    window->Command11_Click();
    ASSERT_EQ(plots().size(), 1);
    const ChartModel& chart = chartOf(plots().front());
    EXPECT_EQ(chart.Title.Text, QStringLiteral("Model-Predicted vs Observed"));
    EXPECT_EQ(chart.SeriesCollection(7).LegendText, QStringLiteral("Excluded"));
    EXPECT_EQ(chart.points(7).size(), 1u);
    EXPECT_EQ(chart.points(3).size(), 4u);
    EXPECT_TRUE(chart.points(5).empty());
    EXPECT_TRUE(chart.Axis(0).ValueScale.Auto);
    EXPECT_EQ(plots().front()->windowTitle(), QStringLiteral("Plot - Untitled"));
}

TEST_F(PlotCommands, BoxesInsteadOfAChart)
{
    struct Case {
        const char* name;
        int rows;
        bool clearRanks;
        const char* yText;               // row 2's Y as text, or keep the number
        bool rank;
        const char* text;
        const char* title;
    };
    const Case cases[] = {
        {"two rows", 2, false, nullptr, false, "Not enough data points to generate a plot", ""},
        {"no ranks yet", 5, true, nullptr, true, "Not enough rank points to generate a plot", ""},
        {"letters in a Y cell", 5, false, "n/a", false,
         "Row 2: Y (Obs) is not a number: n/a", "Plot"},
    };
    for (const Case& c : cases) {
        matrix().clear();
        fill(c.rows);
        if (c.clearRanks)
            for (int r = 1; r <= c.rows; ++r)
                matrix().setEmpty(DataMatrix::ColRankX, r);
        if (c.yText)
            matrix().setText(DataMatrix::ColY, 2, QLatin1String(c.yText));
        platform->messages.asked.clear();
        if (c.rank)
            window->Command14_Click();
        else
            window->Command11_Click();
        ASSERT_EQ(platform->messages.asked.size(), 1u) << c.name;
        EXPECT_EQ(platform->messages.asked[0].text, QLatin1String(c.text)) << c.name;
        EXPECT_EQ(platform->messages.asked[0].title, QLatin1String(c.title)) << c.name;
        EXPECT_EQ(platform->messages.asked[0].icon, MsgIcon::Critical) << c.name;
        EXPECT_TRUE(plots().isEmpty()) << c.name;
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << c.name;
    }

    // With excluded points shown apart, the letters count as 0 and the chart is drawn.
    window->check(1)->setChecked(true);
    window->CallPlot();
    ASSERT_EQ(plots().size(), 1);
    EXPECT_EQ(chartOf(plots().front()).ChartData().at(2, 3), 0.0);
}

TEST_F(PlotCommands, FiftyThousandRows)
{
    const int rows = 50000;
    matrix().resize(rows + 1);
    grid()->setRows(rows + 1);
    fill(rows);
    window->Command11_Click();
    ASSERT_EQ(plots().size(), 1);
    frmPlot* plot = plots().front();
    const ChartModel& chart = chartOf(plot);
    EXPECT_EQ(chart.Footnote.Text, QStringLiteral("n =  50000"));
    EXPECT_EQ(chart.SeriesCollection(3).DataPoint.Marker.Size, 100);
    EXPECT_EQ(chart.points(3).size(), static_cast<std::size_t>(rows));
    // The line Y = X by its two ends.
    EXPECT_EQ(chart.points(5).size(), 2u);
    const QImage picture = plot->chart()->toImage();
    EXPECT_EQ(picture.size(), plot->chart()->size());
    // About a hundred points share each pixel here: one of the last ones is found.
    const QPointF last = plot->chart()->positionOf(3, rows, 2 * rows + 1);
    const ChartElement found = plot->chart()->elementAt(last.toPoint());
    EXPECT_EQ(found.kind, ChartElement::Kind::Point);
    EXPECT_EQ(found.series, 3);
    EXPECT_GT(found.dataPoint, rows - 500);
}

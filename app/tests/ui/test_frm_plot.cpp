// The chart window offscreen with scripted dialogs, printer and clipboard:
// the XY chart builder's window, its layout, the style boxes and marker
// scroll bars, saving, copying and printing, the information button.
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QKeyEvent>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "SumtrixLib/Runtime.hpp"
#include "charts/chart_view.hpp"
#include "core/histogram.hpp"
#include "core/xy_plot.hpp"
#include "support/chart_pictures.hpp"
#include "support/printed_page.hpp"
#include "support/scripted_platform_services.hpp"
#include "support/top_level_windows.hpp"
#include "ui/frm_info.hpp"
#include "ui/frm_main.hpp"
#include "ui/frm_plot.hpp"
#include "ui/twips.hpp"

namespace {

QList<frmPlot*> plotWindows()
{
    QList<frmPlot*> out;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* plot = qobject_cast<frmPlot*>(w); plot && plot->isVisible())
            out << plot;
    return out;
}

class FrmPlotTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        deleteTopLevelWindows();
    }

    frmPlot* newPlot(const XYPlot& plot = runPlot(5))
    {
        frmPlot* window = frmMain::CreateXYPlot(plot);
        window->chart()->Refresh();
        return window;
    }
    template <class T>
    static T* child(QWidget* window, const char* name)
    {
        T* found = window->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    static void click(QWidget* window, const char* name) { child<QPushButton>(window, name)->click(); }
    const MessageRequest& lastMessage() const { return platform.messages.asked.back(); }
    // The question asked before a file that exists is replaced.
    static QString overwriteQuestion(const QString& path)
    {
        return QStringLiteral("The file '") + path + QStringLiteral("' already exists!\r\nDo you want to overwrite it?");
    }

    QTemporaryDir dir;
    ScriptedPlatform platform{dir.path()};
};

} // namespace

TEST_F(FrmPlotTest, BuilderFillsAndShowsANewWindow)
{
    frmPlot* window = newPlot(runPlot(60));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Plot - crop_yield.KVE"));
    EXPECT_EQ(window->accessibleName(), QStringLiteral("Bland and Altman Analysis"));
    const ChartModel& chart = window->chart()->model();
    EXPECT_EQ(chart.Plot.WallPen.Style, 0);
    // Series 3's marker came through the scroll bars.
    EXPECT_EQ(window->styleScrollBar()->value(), 2);
    EXPECT_EQ(window->sizeScrollBar()->value(), 150);
    EXPECT_EQ(chart.SeriesCollection(3).DataPoint.Marker.Style, 2);
    EXPECT_EQ(chart.SeriesCollection(3).DataPoint.Marker.Size, 150);
    EXPECT_TRUE(chart.Axis(0).ValueScale.Auto);

    // A style equal to the scroll bar's value changes nothing: series 3
    // keeps the marker the chart had.
    XYPlot plot = runPlot(5);
    plot.Marker[3] = 0;
    frmPlot* second = newPlot(plot);
    EXPECT_EQ(second->chart()->model().SeriesCollection(3).DataPoint.Marker.Style, ChartMarker().Style);
    EXPECT_EQ(plotWindows().size(), 2);

    // With the common scale both axes end alike.
    frmPlot* common = newPlot(runPlot(5, true));
    const ChartModel& c = common->chart()->model();
    EXPECT_FALSE(c.Axis(0).ValueScale.Auto);
    EXPECT_EQ(c.Axis(0).ValueScale, c.Axis(1).ValueScale);
    // X 1..5 (automatic 1 to 5), Y 24..40 (automatic 20 to 40).
    EXPECT_EQ(c.Axis(0).ValueScale.Minimum, 1);
    EXPECT_EQ(c.Axis(0).ValueScale.Maximum, 40);
}

TEST_F(FrmPlotTest, BuilderFailureLeavesOnlyAShownWindow)
{
    // Cols 7 on a matrix with columns 0..3: series 5 does not exist, so the
    // series styling fails.
    for (bool sameScale : {false, true}) {
        XYPlot plot = runPlot(5, sameScale);
        plot.Cols = 7;
        int number = 0;
        try {
            frmMain::CreateXYPlot(plot);
        } catch (const SumtrixLib::RuntimeError& e) {
            number = e.number();
        }
        EXPECT_EQ(number, SumtrixLib::ErrSubscript);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        // Without the common scale the window was never shown and is gone;
        // with it the window was shown before the failure and stays.
        EXPECT_EQ(plotWindows().size(), sameScale ? 1 : 0) << sameScale;
    }

    // A caller that goes on afterwards gets the description in a box.
    XYPlot plot = runPlot(5);
    plot.Cols = 7;
    EXPECT_FALSE(frmMain::drawXYPlot(plot));
    ASSERT_EQ(platform.messages.asked.size(), 1u);
    EXPECT_EQ(lastMessage().text, QStringLiteral("Subscript out of range"));
    EXPECT_EQ(lastMessage().title, QStringLiteral("Plot"));
    EXPECT_EQ(lastMessage().icon, MsgIcon::Critical);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(frmMain::drawXYPlot(runPlot(5)));
}

TEST_F(FrmPlotTest, LayoutAtTheSmallestSizeAndLarger)
{
    frmPlot* window = newPlot();
    window->resize(100, 100);
    EXPECT_EQ(window->size(), window->minimumSize());
    EXPECT_EQ(window->width(), twips(frmPlot::MinOuterWidth - frmPlot::FrameWidth));
    EXPECT_EQ(window->height(), twips(frmPlot::MinOuterHeight - frmPlot::FrameHeight));
    struct Place { const char* name; int left; int top; };
    const Place smallest[] = {
        {"Chart", 120, 120},   {"Check2", 120, 7440},  {"Check8", 2640, 7440},  {"HScroll2", 3480, 7440},
        {"Check5", 120, 7800}, {"Check1", 2640, 7800}, {"HScroll1", 3480, 7800}, {"btnInfo", 4440, 7800},
        {"Command4", 5640, 7680}, {"Command3", 6120, 7680}, {"Command5", 6600, 7680}, {"Command2", 7080, 7680},
        {"Command1", 7560, 7680},
    };
    // The style boxes are as wide as their captions in the font in use:
    // one that grew past its width as built pushes the rest of its row
    // along by as much, never into the picture buttons.
    for (const Place& p : smallest) {
        QWidget* control = child<QWidget>(window, p.name);
        if (QByteArray(p.name).startsWith("Check") || QByteArray(p.name).startsWith("HScroll")
            || QByteArray(p.name) == "btnInfo") {
            EXPECT_GE(control->x(), twips(p.left) - 1) << p.name;
            EXPECT_LT(control->geometry().right(), child<QWidget>(window, "Command4")->x()) << p.name;
        } else {
            EXPECT_NEAR(control->x(), twips(p.left), 1) << p.name;
        }
        EXPECT_NEAR(control->y(), twips(p.top), 1) << p.name;
    }
    for (const char* row : {"Check2 Check7 Check3 Check8 HScroll2", "Check5 Check6 Check4 Check1 HScroll1 btnInfo"}) {
        const QList<QByteArray> names = QByteArray(row).split(' ');
        for (qsizetype i = 1; i < names.size(); ++i)
            EXPECT_GT(child<QWidget>(window, names[i].constData())->x(),
                      child<QWidget>(window, names[i - 1].constData())->geometry().right())
                << names[i].constData();
    }
    EXPECT_NEAR(window->chart()->width(), twips(7810), 1);
    EXPECT_NEAR(window->chart()->height(), twips(7220), 1);

    // Larger: the chart grows with the window, the rows keep to the bottom
    // and the buttons to the right.
    window->resize(window->width() + 200, window->height() + 100);
    EXPECT_NEAR(window->chart()->width(), twips(7810) + 200, 1);
    EXPECT_NEAR(window->chart()->height(), twips(7220) + 100, 1);
    EXPECT_NEAR(child<QWidget>(window, "Command1")->x(), twips(7560) + 200, 1);
    EXPECT_NEAR(child<QWidget>(window, "Check5")->y(), twips(7800) + 100, 1);
    EXPECT_NEAR(child<QWidget>(window, "Check5")->x(), twips(120), 1);
}

TEST_F(FrmPlotTest, StyleBoxesAndScrollBars)
{
    frmPlot* window = newPlot();
    const ChartModel& chart = window->chart()->model();
    struct Box { const char* name; std::function<int()> value; };
    const Box boxes[] = {
        {"Check1", [&] { return chart.LegendVisible ? 1 : 0; }},
        {"Check2", [&] { return chart.Plot.Backdrop.ShadowStyle; }},
        {"Check3", [&] { return chart.Plot.WallPen.Style; }},
        {"Check4", [&] { return chart.Axis(0).GridPen.Style * 10 + chart.Axis(1).GridPen.Style; }},
        {"Check5", [&] { return chart.Backdrop.ShadowStyle; }},
    };
    const int ticked[] = {1, 1, 1, 11, 1};
    for (std::size_t i = 0; i < std::size(boxes); ++i) {
        QPushButton* box = child<QPushButton>(window, boxes[i].name);
        EXPECT_FALSE(box->isChecked()) << boxes[i].name;
        box->click();
        EXPECT_EQ(boxes[i].value(), ticked[i]) << boxes[i].name;
        box->click();
        EXPECT_EQ(boxes[i].value(), 0) << boxes[i].name;
    }

    window->styleScrollBar()->setValue(12);
    window->sizeScrollBar()->setValue(480);
    EXPECT_EQ(chart.SeriesCollection(3).DataPoint.Marker.Style, 12);
    EXPECT_EQ(chart.SeriesCollection(3).DataPoint.Marker.Size, 480);

    // A chart with fewer than three series: nothing changes, nothing is said.
    window->chart()->edit().setChartData(PlotMatrix(3, 2));
    window->styleScrollBar()->setValue(3);
    EXPECT_TRUE(platform.messages.asked.empty());
}

TEST_F(FrmPlotTest, TabReachesEveryControlInReadingOrder)
{
    frmPlot* window = newPlot();
    QApplication::setActiveWindow(window);
    const auto press = [](QWidget* target, int key) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    };
    // Once round the window from the chart: the rows below it, each left
    // to right, with the marker's size and style bars, then the picture
    // buttons.
    window->chart()->setFocus(Qt::TabFocusReason);
    QStringList chain{QStringLiteral("Chart")};
    for (int i = 0; i < 40; ++i) {
        press(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        if (QApplication::focusWidget()->objectName() == chain.front())
            break;
        chain << QApplication::focusWidget()->objectName();
    }
    const QStringList controls{QStringLiteral("Chart"), QStringLiteral("Check2"), QStringLiteral("Check7"), QStringLiteral("Check3"),
                               QStringLiteral("Check8"), QStringLiteral("HScroll2"), QStringLiteral("Check5"),
                               QStringLiteral("Check6"), QStringLiteral("Check4"), QStringLiteral("Check1"),
                               QStringLiteral("HScroll1"), QStringLiteral("Command4"), QStringLiteral("Command3"),
                               QStringLiteral("Command5"), QStringLiteral("Command2"), QStringLiteral("Command1")};
    EXPECT_EQ(chain, controls) << chain.join(QLatin1Char(' ')).toStdString();

    // The arrow keys move the bars, and the marker with them.
    const ChartModel& chart = window->chart()->model();
    window->styleScrollBar()->setFocus(Qt::TabFocusReason);
    const int style = window->styleScrollBar()->value();
    press(window->styleScrollBar(), Qt::Key_Right);
    EXPECT_EQ(chart.SeriesCollection(3).DataPoint.Marker.Style, style + 1);
    window->sizeScrollBar()->setFocus(Qt::TabFocusReason);
    const int size = window->sizeScrollBar()->value();
    press(window->sizeScrollBar(), Qt::Key_Left);
    EXPECT_EQ(chart.SeriesCollection(3).DataPoint.Marker.Size, size - 10);
}

TEST_F(FrmPlotTest, BackdropColoursThroughTheColourDialog)
{
    frmPlot* window = newPlot();
    const ChartModel& chart = window->chart()->model();
    platform.colorDialog.answers = {QColor(10, 20, 30)};
    click(window, "Check6");
    EXPECT_EQ(chart.Backdrop.FillStyle, 1);
    EXPECT_EQ(chart.Backdrop.BrushStyle, 1);
    EXPECT_EQ(chart.Backdrop.BrushFillColor, (ChartColor{10, 20, 30}));
    click(window, "Check6");                       // unticked: the colour goes, the fill style stays
    EXPECT_EQ(chart.Backdrop.BrushStyle, 0);
    EXPECT_EQ(chart.Backdrop.FillStyle, 1);

    // The dialog opens at the colour it held; cancelling changes nothing.
    click(window, "Check7");
    EXPECT_EQ(platform.colorDialog.asked.size(), 2u);
    EXPECT_EQ(platform.colorDialog.asked.back(), QColor(10, 20, 30));
    EXPECT_EQ(chart.Plot.Backdrop.BrushStyle, 0);
    EXPECT_EQ(chart.Plot.Backdrop.FillStyle, 0);
    EXPECT_TRUE(platform.messages.asked.empty());
    click(window, "Check7");
    platform.colorDialog.answers = {QColor(40, 50, 60)};
    click(window, "Check7");
    EXPECT_EQ(chart.Plot.Backdrop.BrushFillColor, (ChartColor{40, 50, 60}));

    // After a print through the printer setup the dialog reports a cancel:
    // the colour stays and the box stays ticked.
    click(window, "Check7");
    click(window, "Command2");
    ASSERT_EQ(platform.printer.jobs.size(), 1u);
    platform.colorDialog.answers.clear();
    click(window, "Check7");
    ASSERT_EQ(platform.messages.asked.size(), 1u);
    EXPECT_EQ(lastMessage().text, QStringLiteral("Cancel was selected."));
    EXPECT_EQ(lastMessage().title, QStringLiteral("Plot"));
    EXPECT_EQ(lastMessage().icon, MsgIcon::Critical);
    EXPECT_EQ(chart.Plot.Backdrop.BrushStyle, 0);
    EXPECT_TRUE(child<QPushButton>(window, "Check7")->isChecked());

    // Another window keeps its own dialog: there cancelling raises nothing
    // and the dialog opens at black.
    frmPlot* other = newPlot();
    click(other, "Check6");
    EXPECT_EQ(platform.messages.asked.size(), 1u);
    EXPECT_EQ(platform.colorDialog.asked.back(), QColor(Qt::black));
    EXPECT_EQ(other->chart()->model().Backdrop.BrushStyle, 0);
}

TEST_F(FrmPlotTest, SaveAsPicture)
{
    frmPlot* window = newPlot();
    const QSize size = window->chart()->size();
    // The name's ending says the format; without one of the formats'
    // endings the chosen filter's ending is added and its format written.
    // Each file is told by its first bytes: "BM" (bitmap), 89 "PNG",
    // FF D8 FF (JPEG).
    struct Case { const char* answer; int filter; const char* written; const char* format; const char* start; };
    const Case cases[] = {
        {"chart.bmp", 1, "chart.bmp", "bmp", "BM"},
        {"chart", 1, "chart.Bmp", "bmp", "BM"},
        {"chart", 2, "chart.Png", "png", "\x89PNG"},
        {"chart", 3, "chart.Jpg", "jpeg", "\xFF\xD8\xFF"},
        {"chart.png", 1, "chart.png", "png", "\x89PNG"},
        {"chart.jpeg", 1, "chart.jpeg", "jpeg", "\xFF\xD8\xFF"},
        {"chart.gif", 1, "chart.gif.Bmp", "bmp", "BM"},
        {"chart.v2", 2, "chart.v2.Png", "png", "\x89PNG"},
        {"chart.JPG", 2, "chart.JPG", "jpeg", "\xFF\xD8\xFF"},
    };
    for (const Case& c : cases) {
        platform.fileDialogs.answers = {dir.filePath(QLatin1String(c.answer))};
        platform.fileDialogs.filterAnswers = {c.filter};
        click(window, "Command4");
        const QString path = dir.filePath(QLatin1String(c.written));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << c.written;
        EXPECT_TRUE(file.readAll().startsWith(c.start)) << c.written;
        QImageReader reader(path);
        EXPECT_EQ(reader.format(), QByteArray(c.format)) << c.written;
        EXPECT_EQ(reader.size(), size) << c.written;
    }
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("chart.gif"))));
    EXPECT_EQ(platform.fileDialogs.asked.front().filter,
              QStringLiteral("Bitmap (*.Bmp)|*.Bmp|PNG (*.Png)|*.Png|JPEG (*.Jpg;*.Jpeg)|*.Jpg;*.Jpeg"));
    EXPECT_EQ(platform.fileDialogs.asked.front().filterIndex, 1);
    // The filter and the name chosen before are offered again; the
    // clipboard keeps the chart.
    EXPECT_EQ(platform.fileDialogs.asked.back().filterIndex, 2);
    EXPECT_EQ(platform.fileDialogs.asked.back().fileName, dir.filePath(QStringLiteral("chart.v2.Png")));
    EXPECT_EQ(platform.clipboard.picture.size(), size);
    EXPECT_TRUE(platform.messages.asked.empty());

    // Saving over a picture that exists asks first: No keeps the file as it
    // was, Yes replaces it.
    const QString kept = dir.filePath(QStringLiteral("chart.png"));
    struct Over { MsgAnswer answer; bool replaced; };
    for (const Over& o : {Over{MsgAnswer::No, false}, Over{MsgAnswer::Yes, true}}) {
        {
            QFile old(kept);
            ASSERT_TRUE(old.open(QIODevice::WriteOnly | QIODevice::Truncate));
            old.write("old picture");
        }
        platform.fileDialogs.answers = {kept};
        platform.fileDialogs.filterAnswers = {2};
        platform.messages.answers = {o.answer};
        click(window, "Command4");
        ASSERT_EQ(platform.messages.asked.size(), 1u);
        EXPECT_EQ(lastMessage().text, overwriteQuestion(kept));
        EXPECT_EQ(lastMessage().defaultAnswer, MsgAnswer::No);
        QFile now(kept);
        ASSERT_TRUE(now.open(QIODevice::ReadOnly));
        EXPECT_EQ(now.readAll().startsWith("\x89PNG"), o.replaced);
        platform.messages.asked.clear();
    }

    // Cancelling saves nothing, not even under the name chosen before.
    QFile::remove(dir.filePath(QStringLiteral("chart.JPG")));
    platform.fileDialogs.answers.clear();
    click(window, "Command4");
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("chart.JPG"))));
    EXPECT_TRUE(platform.messages.asked.empty());

    // A folder that does not exist: a box with the reason, no file.
    const QString missing = dir.filePath(QStringLiteral("no such folder/chart.bmp"));
    platform.fileDialogs.answers = {missing};
    click(window, "Command4");
    ASSERT_EQ(platform.messages.asked.size(), 1u);
    EXPECT_TRUE(lastMessage().text.startsWith(QStringLiteral("The picture could not be saved as ") + missing))
        << lastMessage().text.toStdString();
    EXPECT_EQ(lastMessage().title, QStringLiteral("Plot"));
    EXPECT_FALSE(QFile::exists(missing));
}

TEST_F(FrmPlotTest, PrintsTheChartAtItsOwnSizeAtEveryResolution)
{
    // The chart area coloured, so that its ink shows the printed chart's
    // size: the chart's pixels at 96 dots per inch, in points (one pixel to
    // the point on the page rendered at 72 dots per inch). Printed at 96 and
    // at 1200 dots per inch, with the information text and through the
    // printer setup without it.
    frmPlot* window = newPlot();
    platform.colorDialog.answers = {QColor(0, 0, 255)};
    child<QPushButton>(window, "Check6")->click();
    window->setInfoTag(QStringLiteral("Histogram Range:\r\n\r\nR1 = [0.00, 1.00]"));
    const QSizeF expected = QSizeF(window->chart()->size()) * 0.75;
    const auto blue = [](QRgb c) { return qBlue(c) > 200 && qRed(c) < 60 && qGreen(c) < 60; };
    const auto black = [](QRgb c) { return qBlue(c) < 100 && qRed(c) < 100 && qGreen(c) < 100; };
    for (int resolution : {96, 1200}) {
        platform.printer.resolution = resolution;
        for (const char* command : {"Command5", "Command2"}) {
            const qsizetype printed = platform.printer.pdfFiles.size();
            click(window, command);
            ASSERT_EQ(platform.printer.pdfFiles.size(), printed + 1) << command;
            const QImage page = renderedPage(platform.printer.pdfFiles.back());
            ASSERT_FALSE(page.isNull());
            const QRect chart = inkBounds(page, blue);
            EXPECT_NEAR(chart.width(), expected.width(), 1.5) << command << " at " << resolution;
            EXPECT_NEAR(chart.height(), expected.height(), 1.5) << command << " at " << resolution;
            // The text only with "Print", below the chart.
            const QRect below = inkBounds(page.copy(0, chart.bottom() + 1, page.width(), page.height() - chart.bottom() - 1), black);
            EXPECT_EQ(below.isEmpty(), QByteArray(command) == "Command2") << command << " at " << resolution;
            if (!below.isEmpty()) {
                EXPECT_GT(below.top(), 5) << resolution;
            }
        }
    }
}

TEST_F(FrmPlotTest, PrintedMarkersLandInPlaceAndAPrintOfManyStaysSmall)
{
    // Five crosses in black on a blue chart, printed at 1200 dots per inch
    // and rendered at 72: each where the chart on the screen shows it (a
    // pixel of the chart is three quarters of a point), nothing between
    // them.
    frmPlot* window = newPlot(runPlot(5));
    platform.colorDialog.answers = {QColor(0, 0, 255)};
    child<QPushButton>(window, "Check6")->click();
    window->chart()->Refresh();
    platform.printer.resolution = 1200;
    click(window, "Command2");
    ASSERT_EQ(platform.printer.pdfFiles.size(), 1);
    const QImage page = renderedPage(platform.printer.pdfFiles.back());
    ASSERT_FALSE(page.isNull());
    const QRect chart = inkBounds(page, [](QRgb c) { return qBlue(c) > 200 && qRed(c) < 60 && qGreen(c) < 60; });
    const double scale = chart.width() / double(window->chart()->width());
    EXPECT_NEAR(scale, 0.75, 0.01);
    const auto onPage = [&](QPointF p) { return QPointF(chart.left() + p.x() * scale, chart.top() + p.y() * scale); };
    std::vector<QPointF> drawn;
    for (const ChartModel::Point& p : window->chart()->model().points(3))
        drawn.push_back(onPage(window->chart()->positionOf(3, p.x, p.y)));
    ASSERT_EQ(drawn.size(), 5u);
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        EXPECT_GT(pixelsNear(page, drawn[i], 2, Qt::black), 3) << "point " << i + 1;
        if (i > 0) {
            EXPECT_EQ(pixelsNear(page, (drawn[i] + drawn[i - 1]) / 2, 2, Qt::black), 0) << "between " << i << " and " << i + 1;
        }
    }

    // A hundred thousand points in a cloud: a print of a few hundred
    // kilobytes (one picture of the markers, not one per marker), and the
    // cloud's ink on the page.
    XYPlot cloud = runPlot(100000);
    std::mt19937 rng(7);
    std::normal_distribution<double> noise(0.0, 1.0);
    for (int r = 1; r <= 100000; ++r) {
        const double x = noise(rng);
        cloud.PlotData.set(r, 1, x);
        cloud.PlotData.set(r, 2, x);
        cloud.PlotData.set(r, 3, x + noise(rng));
    }
    frmPlot* many = newPlot(cloud);
    click(many, "Command5");
    ASSERT_EQ(platform.printer.pdfFiles.size(), 2);
    const QString pdf = platform.printer.pdfFiles.back();
    EXPECT_LT(QFileInfo(pdf).size(), 2'000'000);
    // The titles and labels alone are a few hundred black pixels.
    EXPECT_GT(pixelsInImage(renderedPage(pdf), Qt::black), 10000);
}

TEST_F(FrmPlotTest, ClosedChartWindowsAreDeleted)
{
    // Closed by "Return", by the window manager, and a window closed before
    // it was ever painted: none stays behind with its points.
    ASSERT_TRUE(frmMain::drawXYPlot(runPlot(5)));
    ASSERT_TRUE(frmMain::drawXYPlot(runPlot(6)));
    QApplication::processEvents();
    std::vector<QPointer<frmPlot>> windows;
    for (frmPlot* window : plotWindows())
        windows.emplace_back(window);
    ASSERT_TRUE(frmMain::drawXYPlot(runPlot(7)));
    for (frmPlot* window : plotWindows())
        if (std::find(windows.begin(), windows.end(), window) == windows.end())
            windows.emplace_back(window);
    ASSERT_EQ(windows.size(), 3u);
    click(windows[0], "Command1");
    windows[1]->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    windows[2]->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (const QPointer<frmPlot>& window : windows)
        EXPECT_TRUE(window.isNull());
    // The busy pointer of the window never painted went with it.
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(FrmPlotTest, CopyAndPrint)
{
    frmPlot* window = newPlot();
    const QSize size = window->chart()->size();
    click(window, "Command3");
    EXPECT_EQ(platform.clipboard.picture.size(), size);
    ASSERT_EQ(platform.messages.asked.size(), 1u);
    EXPECT_EQ(lastMessage().text, QStringLiteral("Graph was copied into the clipboard successfully"));
    EXPECT_EQ(lastMessage().title, QStringLiteral("Plot"));
    EXPECT_EQ(lastMessage().icon, MsgIcon::Information);

    // Print with the information text: the chart, then the text below it,
    // into a PDF; the clipboard ends empty.
    window->setInfoTag(QStringLiteral("Histogram Range:\r\n\r\nR1 = [0.00, 1.00]"));
    click(window, "Command5");
    ASSERT_EQ(platform.printer.jobs.size(), 1u);
    const PrintJob& job = platform.printer.jobs.back();
    EXPECT_FALSE(job.picture.isNull());
    EXPECT_NEAR(job.pictureSize.width(), size.width() * 0.75, 0.01);
    EXPECT_EQ(job.text, window->infoTag());
    EXPECT_EQ(job.fontFamily, QStringLiteral("Courier New"));
    EXPECT_EQ(job.pointSize, 8);
    EXPECT_FALSE(job.settings.landscape);
    EXPECT_EQ(job.settings.copies, 1);
    QFile pdf(platform.printer.pdfFiles.back());
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.readAll().startsWith("%PDF"));
    EXPECT_TRUE(platform.clipboard.picture.isNull());

    // The printer setup: what the dialog chose is printed, without the text.
    platform.printer.setupAnswer.copies = 2;
    platform.printer.setupAnswer.landscape = true;
    click(window, "Command2");
    ASSERT_EQ(platform.printer.jobs.size(), 2u);
    EXPECT_EQ(platform.printer.setupTitles.back(), QStringLiteral("Printer"));
    EXPECT_EQ(platform.printer.jobs.back().settings.copies, 2);
    EXPECT_TRUE(platform.printer.jobs.back().settings.landscape);
    EXPECT_TRUE(platform.printer.jobs.back().text.isEmpty());
    // ... and the print with the text goes back to portrait and one copy.
    click(window, "Command5");
    EXPECT_EQ(platform.printer.jobs.back().settings.copies, 1);
    EXPECT_FALSE(platform.printer.jobs.back().settings.landscape);

    // Failures: a cancelled setup and a missing printer, each in a box.
    platform.printer.cancelSetup = true;
    click(window, "Command2");
    EXPECT_EQ(lastMessage().text, QStringLiteral("Cancel was selected."));
    // No printer: the box says so before the chart's picture is made (which
    // otherwise begins with its copy onto the clipboard), for the print and
    // for the print through the printer setup.
    platform.printer.cancelSetup = false;
    platform.printer.noPrinter = true;
    platform.printer.setupAnswer = PrintSettings();
    const int writes = platform.clipboard.writes;
    const int checks = platform.printer.checks;
    for (const char* command : {"Command5", "Command2"}) {
        click(window, command);
        EXPECT_EQ(lastMessage().text, QStringLiteral("No printer is installed.")) << command;
        EXPECT_EQ(lastMessage().title, QStringLiteral("Plot")) << command;
    }
    EXPECT_EQ(platform.printer.checks, checks + 2);
    EXPECT_EQ(platform.clipboard.writes, writes);
    EXPECT_EQ(platform.printer.jobs.size(), 3u);
}

TEST_F(FrmPlotTest, PrintIntoAFileThatExistsAsksFirst)
{
    // The printer setup of a scatter chart prints into a new PDF file: the
    // dialog chose it, and nothing is asked. The printer chosen stays for
    // the Print buttons of every chart window, which show no dialog.
    const QString file = dir.filePath(QStringLiteral("crop_scatter.pdf"));
    frmPlot* scatter = newPlot();
    platform.printer.setupAnswer.outputFile = file;
    click(scatter, "Command2");
    ASSERT_EQ(platform.printer.jobs.size(), 1u);
    EXPECT_TRUE(platform.messages.asked.empty());
    const auto contents = [&file] {
        QFile pdf(file);
        return pdf.open(QIODevice::ReadOnly) ? pdf.readAll() : QByteArray();
    };
    const QByteArray scatterPdf = contents();
    ASSERT_TRUE(scatterPdf.startsWith("%PDF"));

    // The histogram window's Print would replace that file: it asks first,
    // as the saves do. No keeps the file and prints nothing; Yes prints the
    // histogram into it.
    HistogramPlot histogram;
    histogram.x = {1, 2, 3};
    histogram.y = {1, 2, 3};
    histogram.Bins = 3;
    frmPlot* bars = frmMain::CreateHistogramPlot(histogram);
    bars->setInfoTag(QStringLiteral("Histogram Range:\r\n\r\nR1 = [1.00, 2.00]"));
    const int writes = platform.clipboard.writes;
    struct Case { MsgAnswer answer; std::size_t jobs; bool replaced; };
    for (const Case& c : {Case{MsgAnswer::No, 1, false}, Case{MsgAnswer::Yes, 2, true}}) {
        platform.messages.answers = {c.answer};
        click(bars, "Command5");
        ASSERT_EQ(platform.messages.asked.size(), 1u);
        EXPECT_EQ(lastMessage().text, overwriteQuestion(file));
        EXPECT_EQ(lastMessage().buttons, MsgButtons::YesNo);
        EXPECT_EQ(lastMessage().icon, MsgIcon::Question);
        EXPECT_EQ(lastMessage().defaultAnswer, MsgAnswer::No);
        EXPECT_EQ(lastMessage().title, QStringLiteral("Plot"));
        EXPECT_EQ(platform.printer.jobs.size(), c.jobs);
        EXPECT_EQ(contents() != scatterPdf, c.replaced);
        if (!c.replaced) {
            EXPECT_EQ(platform.clipboard.writes, writes);   // not even the picture was made
        }
        platform.messages.asked.clear();
    }
    EXPECT_EQ(platform.printer.jobs.back().settings.outputFile, file);
    EXPECT_EQ(platform.printer.jobs.back().text, bars->infoTag());

    // Once the file is gone, Print writes it again without a question.
    ASSERT_TRUE(QFile::remove(file));
    click(scatter, "Command5");
    EXPECT_TRUE(platform.messages.asked.empty());
    EXPECT_EQ(platform.printer.jobs.size(), 3u);
    EXPECT_TRUE(QFileInfo::exists(file));

    // The printers chosen are kept for the whole program: back to the
    // default printer for the tests that follow.
    platform.printer.setupAnswer = PrintSettings();
    click(scatter, "Command2");
    EXPECT_TRUE(platform.printer.jobs.back().settings.outputFile.isEmpty());
}

TEST_F(FrmPlotTest, InformationButton)
{
    frmPlot* window = newPlot();
    EXPECT_FALSE(window->infoButton()->isVisible());
    const auto infoWindows = [] {
        QList<frmInfo*> infos;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* info = qobject_cast<frmInfo*>(w))
                infos << info;
        return infos;
    };
    window->btnInfo_Click();                       // no text: nothing opens
    EXPECT_TRUE(infoWindows().isEmpty());

    window->setInfoTag(QStringLiteral("Histogram Range:\r\n\r\nR1 = [0.00, 1.00]"));
    window->btnInfo_Click();
    window->btnInfo_Click();                       // each click another window
    const QList<frmInfo*> infos = infoWindows();
    ASSERT_EQ(infos.size(), 2);
    EXPECT_EQ(infos[0]->text(), window->infoTag());
    EXPECT_EQ(infos[0]->windowTitle(), QStringLiteral("Results"));
    EXPECT_EQ(infos[0]->width(), twips(7150));
    EXPECT_EQ(infos[0]->height(), twips(5000));
}

TEST_F(FrmPlotTest, ColourValuesTakenApart)
{
    struct Case { qint32 colour; int red, green, blue; };
    const Case cases[] = {{0, 0, 0, 0}, {255, 255, 0, 0}, {128 + 256 * 128 + 65536 * 255, 128, 128, 255},
                          {0xFFFFFF, 255, 255, 255}, {65536 * 7 + 3, 3, 0, 7}};
    for (const Case& c : cases) {
        EXPECT_EQ(frmPlot::RedFromRGB(c.colour), c.red);
        EXPECT_EQ(frmPlot::GreenFromRGB(c.colour), c.green);
        EXPECT_EQ(frmPlot::BlueFromRGB(c.colour), c.blue);
    }
}

TEST_F(FrmPlotTest, StatsBoxDrawsTheRememberedStatistics)
{
    frmPlot* window = newPlot();
    const ChartStatLine& stat = window->chart()->model().SeriesCollection(3).StatLine;
    EXPECT_EQ(stat.VtColor, (ChartColor{128, 128, 255}));
    EXPECT_EQ(stat.Width, 2);
    click(window, "Check8");
    EXPECT_EQ(stat.Flag, 31);
    EXPECT_EQ(stat.Style(ChartStatLine::Mean), 2);
    EXPECT_EQ(stat.Style(ChartStatLine::Trend), 6);
    click(window, "Check8");
    EXPECT_EQ(stat.Flag, 0);
}

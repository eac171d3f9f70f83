#include "ui/frm_plot.hpp"

#include <QFileInfo>
#include <QIcon>
#include <QImageWriter>
#include <QPushButton>
#include <QResizeEvent>
#include <QSaveFile>
#include <QScrollBar>

#include <algorithm>
#include <exception>
#include <iterator>
#include <stdexcept>

#include "charts/chart_view.hpp"
#include "ui/caption_fit.hpp"
#include "ui/frm_info.hpp"
#include "ui/picture_button.hpp"
#include "ui/setting_scroll_bar.hpp"
#include "ui/twips.hpp"
#include "ui/wait_cursor.hpp"

namespace {

const QString PlotTitle = QStringLiteral("Plot");
const QColor BackColour(224, 224, 224);

// The printer the chart windows print on: the one last chosen in a printer
// dialog of any chart window (none chosen: the default printer).
PrintSettings& currentPrinter()
{
    static PrintSettings printer;
    return printer;
}

// A failure of a command, shown by its handler.
class PlotError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

QPushButton* makeToggle(QWidget* parent, const char* name, const QString& caption, const QString& tooltip,
                        int left, int top)
{
    auto* box = new QPushButton(caption, parent);
    box->setObjectName(QLatin1String(name));
    box->setToolTip(tooltip);
    box->setCheckable(true);
    box->setGeometry(twips(left), twips(top), twips(800), twips(300));
    return box;
}

QScrollBar* makeScrollBar(QWidget* parent, const char* name, int left, int top)
{
    // The marker's style and size are set here alone: the keyboard
    // reaches and moves the bar too.
    auto* bar = new SettingScrollBar(parent);
    bar->setObjectName(QLatin1String(name));
    bar->setGeometry(twips(left), twips(top), twips(795), twips(255));
    return bar;
}

// The picture formats a chart is saved in, in the order of the save
// dialog's filter: the ending the dialog adds, the endings that name the
// format, the format's name for the picture writer.
struct PictureFormat {
    const char* ending;
    QStringList endings;
    const char* writer;
};
const PictureFormat PictureFormats[] = {
    {"Bmp", {QStringLiteral("bmp")}, "bmp"},
    {"Png", {QStringLiteral("png")}, "png"},
    {"Jpg", {QStringLiteral("jpg"), QStringLiteral("jpeg")}, "jpeg"},
};
const QString PictureFilter
    = QStringLiteral("Bitmap (*.Bmp)|*.Bmp|PNG (*.Png)|*.Png|JPEG (*.Jpg;*.Jpeg)|*.Jpg;*.Jpeg");

// The format a file name's ending names, -1 for none.
int pictureFormatOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    for (int i = 0; i < int(std::size(PictureFormats)); ++i)
        if (PictureFormats[i].endings.contains(suffix))
            return i;
    return -1;
}

} // namespace

frmPlot::frmPlot(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmPlot"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(PlotTitle);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, BackColour);
    palette.setColor(QPalette::Button, BackColour);
    setPalette(palette);
    setAutoFillBackground(true);

    Chart = new ChartView(this);
    Chart->setGeometry(twips(120), twips(120), twips(7815), twips(7215));

    Check2 = makeToggle(this, "Check2", QStringLiteral("P. Shdw"), QStringLiteral("Add/remove plot shadow effect"), 120, 7440);
    Check7 = makeToggle(this, "Check7", QStringLiteral("P. Color"), QStringLiteral("Add/remove plot color"), 960, 7440);
    Check3 = makeToggle(this, "Check3", QStringLiteral("W. Frme"), QStringLiteral("Add/remove wall frame"), 1800, 7440);
    Check8 = makeToggle(this, "Check8", QStringLiteral("Stats"), QStringLiteral("Add/remove statistic lines"), 2640, 7440);
    HScroll2 = makeScrollBar(this, "HScroll2", 3480, 7440);
    Check5 = makeToggle(this, "Check5", QStringLiteral("A. Shdw"), QStringLiteral("Add/remove area shadow effect"), 120, 7800);
    Check6 = makeToggle(this, "Check6", QStringLiteral("A. Color"), QStringLiteral("Add/remove area color"), 960, 7800);
    Check4 = makeToggle(this, "Check4", QStringLiteral("Grid"), QStringLiteral("Add/remove X- and Y-axis gridlines"), 1800, 7800);
    Check1 = makeToggle(this, "Check1", QStringLiteral("Legend"), QStringLiteral("Add/remove legend"), 2640, 7800);
    HScroll1 = makeScrollBar(this, "HScroll1", 3480, 7800);
    btnInfo = new QPushButton(QStringLiteral("..."), this);
    btnInfo->setObjectName(QStringLiteral("btnInfo"));
    btnInfo->setGeometry(twips(4440), twips(7800), twips(800), twips(300));
    btnInfo->hide();
    const struct {
        QPushButton*& button;
        const char* name;
        const char* themePicture;
        QStyle::StandardPixmap picture;  // where the desktop's theme has no picture of its own
        const char* tooltip;
        int left;
    } pictures[] = {
        {Command4, "Command4", "document-save-as", QStyle::SP_DialogSaveButton, "Save as bitmap", 5640},
        {Command3, "Command3", "edit-copy", QStyle::SP_FileLinkIcon,
         "Copy to clipboard (use 'Paste Special' as metafile)", 6120},
        {Command5, "Command5", "document-print", QStyle::SP_ComputerIcon, "Print", 6600},
        {Command2, "Command2", "document-page-setup,document-properties", QStyle::SP_FileDialogDetailedView,
         "Printer setup", 7080},
        {Command1, "Command1", "go-previous", QStyle::SP_ArrowBack, "Return", 7560},
    };
    for (const auto& p : pictures) {
        p.button = pictureButton(this, p.name, p.themePicture, p.picture, QString(), QLatin1String(p.tooltip));
        p.button->setGeometry(twips(p.left), twips(7680), twips(400), twips(400));
    }

    HScroll1->setRange(0, 14);
    HScroll2->setRange(10, 500);
    HScroll2->setSingleStep(10);
    HScroll2->setPageStep(10);
    HScroll2->setValue(10);

    const std::pair<QPushButton*, void (frmPlot::*)()> boxes[] = {
        {Check1, &frmPlot::Check1_Click}, {Check2, &frmPlot::Check2_Click}, {Check3, &frmPlot::Check3_Click},
        {Check4, &frmPlot::Check4_Click}, {Check5, &frmPlot::Check5_Click}, {Check6, &frmPlot::Check6_Click},
        {Check7, &frmPlot::Check7_Click}, {Check8, &frmPlot::Check8_Click},
    };
    for (const auto& [box, handler] : boxes)
        connect(box, &QPushButton::toggled, this, [this, handler = handler] { (this->*handler)(); });
    const std::pair<QPushButton*, void (frmPlot::*)()> buttons[] = {
        {Command1, &frmPlot::Command1_Click}, {Command2, &frmPlot::Command2_Click},
        {Command3, &frmPlot::Command3_Click}, {Command4, &frmPlot::Command4_Click},
        {Command5, &frmPlot::Command5_Click}, {btnInfo, &frmPlot::btnInfo_Click},
    };
    for (const auto& [button, handler] : buttons)
        connect(button, &QPushButton::clicked, this, [this, handler = handler] { (this->*handler)(); });
    connect(HScroll1, &QScrollBar::valueChanged, this, [this] { HScroll1_Change(); });
    connect(HScroll2, &QScrollBar::valueChanged, this, [this] { HScroll2_Change(); });

    connect(Chart, &ChartView::chartActivated, this, &frmPlot::Chart_ChartActivated);
    connect(Chart, &ChartView::plotActivated, this, &frmPlot::Chart_PlotActivated);
    connect(Chart, &ChartView::titleActivated, this, &frmPlot::Chart_TitleActivated);
    connect(Chart, &ChartView::footnoteActivated, this, &frmPlot::Chart_FootnoteActivated);
    connect(Chart, &ChartView::axisActivated, this, &frmPlot::Chart_AxisActivated);
    connect(Chart, &ChartView::axisTitleActivated, this, &frmPlot::Chart_AxisTitleActivated);
    connect(Chart, &ChartView::axisLabelActivated, this, &frmPlot::Chart_AxisLabelActivated);
    connect(Chart, &ChartView::seriesActivated, this, &frmPlot::Chart_SeriesActivated);
    connect(Chart, &ChartView::pointActivated, this, &frmPlot::Chart_PointActivated);

    fitCaptions();
    resize(twips(8115), twips(8205));
    Form_Load();
}

void frmPlot::fitCaptions()
{
    // The style boxes and the information button as wide as their captions
    // need in the font in use; a row moves along behind a box that grew.
    for (QPushButton* box : {Check2, Check7, Check3, Check8, Check5, Check6, Check4, Check1, btnInfo})
        widenToCaption(box);
    const int gap = twips(40);
    flowRow({Check2, Check7, Check3, Check8, HScroll2}, gap);
    flowRow({Check5, Check6, Check4, Check1, HScroll1, btnInfo}, gap);
    // The picture buttons keep to the right: the window is at least as wide
    // as keeps them clear of the rows.
    const int rowsEnd = std::max(HScroll2->geometry().right(), btnInfo->geometry().right()) + gap;
    const int width = std::max(twips(MinOuterWidth - FrameWidth), rowsEnd + twips(2710 - FrameWidth));
    setMinimumSize(width, twips(MinOuterHeight - FrameHeight));
}

void frmPlot::showEvent(QShowEvent* event)
{
    // A builder may have given the information button its caption.
    fitCaptions();
    QWidget::showEvent(event);
}

void frmPlot::Form_Load()
{
    m_statChoices.fill(true);
    ChartStatLine& stat = Chart->edit().SeriesCollection(3).StatLine;
    stat.VtColor.Set(128, 128, 255);
    stat.Width = 2;
}

void frmPlot::guarded(const std::function<void()>& step)
{
    try {
        step();
    } catch (const std::exception& e) {
        Platform::message(QString::fromUtf8(e.what()), MsgButtons::Ok, MsgIcon::Critical, PlotTitle);
    }
}

// ---- layout -------------------------------------------------------------------

void frmPlot::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmPlot::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // Restored from the minimized state: lay the controls out again.
    if (event->type() == QEvent::WindowStateChange && !isMinimized())
        Form_Resize();
}

void frmPlot::Form_Resize()
{
    if (isMinimized())
        return;
    const int W = std::max(toTwips(width()) + FrameWidth, MinOuterWidth);
    const int H = std::max(toTwips(height()) + FrameHeight, MinOuterHeight);
    const std::pair<QWidget*, int> buttons[] = {
        {Command4, 2710}, {Command3, 2230}, {Command5, 1750}, {Command2, 1270}, {Command1, 790},
    };
    for (const auto& [button, fromRight] : buttons)
        button->move(twips(W - fromRight), twips(H - 1070));
    for (QWidget* control : std::initializer_list<QWidget*>{Check2, Check7, Check3, Check8, HScroll2})
        control->move(control->x(), twips(H - 1310));
    for (QWidget* control : std::initializer_list<QWidget*>{Check5, Check6, Check4, Check1, HScroll1, btnInfo})
        control->move(control->x(), twips(H - 950));
    Chart->setGeometry(twips(120), twips(120), twips(W - 540), twips(H - 1530));
}

// ---- style boxes ----------------------------------------------------------------

void frmPlot::Check1_Click()
{
    Chart->edit().LegendVisible = Check1->isChecked();
}

void frmPlot::Check2_Click()
{
    Chart->edit().Plot.Backdrop.ShadowStyle = Check2->isChecked() ? 1 : 0;
}

void frmPlot::Check3_Click()
{
    Chart->edit().Plot.WallPen.Style = Check3->isChecked() ? 1 : 0;
}

void frmPlot::Check4_Click()
{
    ChartModel& chart = Chart->edit();
    for (int id = 0; id < 2; ++id)
        chart.Axis(id).GridPen.Style = Check4->isChecked() ? 1 : 0;
}

void frmPlot::Check5_Click()
{
    Chart->edit().Backdrop.ShadowStyle = Check5->isChecked() ? 1 : 0;
}

void frmPlot::Check6_Click()
{
    chooseBackdropColor(Check6, false);
}

void frmPlot::Check7_Click()
{
    chooseBackdropColor(Check7, true);
}

std::optional<QColor> frmPlot::chooseColor()
{
    const std::optional<QColor> chosen = Platform::colorDialog().choose(m_dialog.color);
    if (chosen)
        m_dialog.color = *chosen;
    else if (m_dialog.cancelError)
        throw PlotError("Cancel was selected.");
    return chosen;
}

std::optional<ChartFont> frmPlot::chooseFont(const ChartFont& font)
{
    m_dialog.flags = 3;
    const std::optional<FontChoice> chosen =
        Platform::fontDialog().choose(FontChoice{font.Name, font.Size, font.bold(), font.italic()});
    if (!chosen) {
        if (m_dialog.cancelError)
            throw PlotError("Cancel was selected.");
        return std::nullopt;
    }
    ChartFont out;
    out.Name = chosen->name;
    out.Size = chosen->size;
    out.Style = chosen->bold && chosen->italic ? 3 : chosen->italic ? 2 : chosen->bold ? 1 : 0;
    return out;
}

void frmPlot::chooseBackdropColor(QPushButton* box, bool plotArea)
{
    guarded([&] {
        if (!box->isChecked()) {
            ChartModel& chart = Chart->edit();
            (plotArea ? chart.Plot.Backdrop : chart.Backdrop).BrushStyle = 0;
            return;
        }
        // A cancelled dialog changes nothing; the box stays ticked.
        const std::optional<QColor> colour = chooseColor();
        if (!colour)
            return;
        const qint32 rgb = colour->red() + 256 * colour->green() + 65536 * colour->blue();
        ChartModel& chart = Chart->edit();
        ChartBackdrop& backdrop = plotArea ? chart.Plot.Backdrop : chart.Backdrop;
        backdrop.FillStyle = 1;
        backdrop.BrushStyle = 1;
        backdrop.BrushFillColor.Set(RedFromRGB(rgb), GreenFromRGB(rgb), BlueFromRGB(rgb));
    });
}

// ---- marker scroll bars -----------------------------------------------------------

void frmPlot::HScroll1_Change()
{
    // On a chart without a third series nothing changes and nothing is said.
    try {
        Chart->edit().SeriesCollection(3).DataPoint.Marker.Style = HScroll1->value();
    } catch (const std::exception&) {
    }
}

void frmPlot::HScroll2_Change()
{
    try {
        Chart->edit().SeriesCollection(3).DataPoint.Marker.Size = HScroll2->value();
    } catch (const std::exception&) {
    }
}

// ---- commands -----------------------------------------------------------------------

void frmPlot::Command1_Click()
{
    close();
}

PrintJob frmPlot::chartPrintJob()
{
    PrintJob job;
    job.picture = Chart->toPicture();
    // The chart in its on-screen size, in points.
    job.pictureSize = QSizeF(Chart->width() * 72.0 / Chart->logicalDpiX(), Chart->height() * 72.0 / Chart->logicalDpiY());
    job.fontFamily = QStringLiteral("Courier New");
    job.pointSize = 8;
    return job;
}

void frmPlot::Command2_Click()
{
    guarded([&] {
        // What this sets stays on the window's dialog.
        m_dialog.cancelError = true;
        m_dialog.copies = 1;
        m_dialog.landscape = false;
        m_dialog.flags = 4;
        PrintSettings settings = currentPrinter();
        settings.copies = m_dialog.copies;
        settings.landscape = m_dialog.landscape;
        QString errorText;
        if (!Platform::printer().setup(QStringLiteral("Printer"), settings, errorText))
            throw PlotError(errorText.toStdString());
        m_dialog.copies = settings.copies;
        m_dialog.landscape = settings.landscape;
        currentPrinter() = settings;
        // Whether it can print at all, before the picture is made.
        if (!Platform::printer().canPrint(settings, errorText))
            throw PlotError(errorText.toStdString());

        WaitCursor wait;
        Chart->EditCopy();
        PrintJob job = chartPrintJob();
        job.settings = settings;
        if (!Platform::printer().print(job, errorText))
            throw PlotError(errorText.toStdString());
        Platform::clipboard().clear();
    });
}

void frmPlot::Command3_Click()
{
    guarded([&] {
        {
            WaitCursor wait;
            Chart->EditCopy();
        }
        Platform::message(QStringLiteral("Graph was copied into the clipboard successfully"), MsgButtons::Ok,
                          MsgIcon::Information, PlotTitle);
    });
}

void frmPlot::Command4_Click()
{
    guarded([&] {
        m_dialog.filter = PictureFilter;
        FileDialogRequest request;
        request.save = true;
        request.title = QStringLiteral("Save As");
        request.filter = m_dialog.filter;
        request.filterIndex = m_dialog.filterIndex;
        request.fileName = m_dialog.fileName;
        int chosen = request.filterIndex;
        QString path = Platform::fileDialogs().chooseWithFilter(request, chosen);
        if (chosen >= 1 && chosen <= int(std::size(PictureFormats)))
            m_dialog.filterIndex = chosen;
        m_dialog.defaultExt = QLatin1String(PictureFormats[m_dialog.filterIndex - 1].ending);
        // A cancelled dialog saves nothing, not even under a name chosen
        // before in this window.
        if (path.isEmpty()) {
            if (m_dialog.cancelError)
                throw PlotError("Cancel was selected.");
            return;
        }
        // The name's ending says the format; a name without one of the
        // formats' endings gets the chosen filter's.
        path = Platform::withFilterEnding(path, request.filter, m_dialog.filterIndex);
        const int format = std::max(pictureFormatOf(path), 0);
        m_dialog.fileName = path;
        // A picture saved over a file that exists replaces it only when the
        // user says so, as every other save of the program asks.
        if (QFileInfo::exists(path) && !Platform::askToOverwrite(path, PlotTitle))
            return;

        WaitCursor wait;
        Chart->EditCopy();
        const QImage picture = Chart->toImage();
        // Written beside the old file and put in its place only when
        // complete, so that a failed save leaves the previous picture.
        QSaveFile file(path);
        const QString failed = QStringLiteral("The picture could not be saved as ") + path + QStringLiteral(": ");
        if (!file.open(QIODevice::WriteOnly))
            throw PlotError((failed + file.errorString()).toStdString());
        QImageWriter writer(&file, PictureFormats[format].writer);
        if (!writer.write(picture)) {
            file.cancelWriting();
            throw PlotError((failed + writer.errorString()).toStdString());
        }
        if (!file.commit())
            throw PlotError((failed + file.errorString()).toStdString());
    });
}

void frmPlot::Command5_Click()
{
    guarded([&] {
        // Portrait and one copy, also for later prints.
        currentPrinter().landscape = false;
        currentPrinter().copies = 1;
        // Whether it can print at all, before the picture is made.
        QString errorText;
        if (!Platform::printer().canPrint(currentPrinter(), errorText))
            throw PlotError(errorText.toStdString());
        // Printing into the file chosen in an earlier printer dialog replaces
        // it, without a dialog now: only when the user says so, as a save
        // would. No prints nothing.
        const QString file = currentPrinter().outputFile;
        if (!file.isEmpty() && QFileInfo::exists(file) && !Platform::askToOverwrite(file, PlotTitle))
            return;
        WaitCursor wait;
        Chart->EditCopy();
        PrintJob job = chartPrintJob();
        job.settings = currentPrinter();
        job.text = m_infoTag;
        if (!Platform::printer().print(job, errorText))
            throw PlotError(errorText.toStdString());
        Platform::clipboard().clear();
    });
}

void frmPlot::btnInfo_Click()
{
    if (m_infoTag.isEmpty())
        return;
    auto* info = new frmInfo();
    info->setText(m_infoTag);
    info->show();
    info->setSizeTwips(7000, 5000);
}

#include "ui/frm_main.hpp"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include "core/data_sheet.hpp"
#include "core/kve_code.hpp"
#include "core/program_info.hpp"
#include "core/program_state.hpp"
#include "core/settings_store.hpp"
#include "platform/flex_grid.hpp"
#include "platform/platform_services.hpp"
#include "platform/qt_platform_services.hpp"
#include "ui/dataset_commands.hpp"
#include "ui/frm_about.hpp"
#include "ui/frm_compare.hpp"
#include "ui/frm_info.hpp"
#include "ui/frm_mapi.hpp"
#include "ui/notes_page.hpp"
#include "ui/twips.hpp"

namespace {

frmMain* g_instance = nullptr;

const char* const RowCountMessage = "At least 3 rows (points) are requiredNumber of rows have to be at least 3";
const char* const RowLimitMessage = "The dataset cannot have more than 1,000,000 rows.";

QString rowLabel(int row)
{
    return QLatin1Char(' ') + QString::number(row);
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption,
                        const QString& tooltip = QString())
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    if (!tooltip.isEmpty())
        button->setToolTip(tooltip);
    return button;
}

QGroupBox* makeFrame(QWidget* parent, const QString& caption, const QString& name = QString())
{
    auto* frame = new QGroupBox(caption, parent);
    if (!name.isEmpty())
        frame->setObjectName(name);
    return frame;
}

QRadioButton* makeOption(QWidget* parent, const QString& name, const QString& caption, bool selected)
{
    auto* option = new QRadioButton(caption, parent);
    option->setObjectName(name);
    option->setChecked(selected);
    return option;
}

} // namespace

void CellEditor::keyPressEvent(QKeyEvent* event)
{
    int code = 0;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: code = 13; break;
    case Qt::Key_Escape: code = 27; break;
    case Qt::Key_Up: code = 38; break;
    case Qt::Key_Down: code = 40; break;
    default: break;
    }
    if (code != 0 && onKeyDown && onKeyDown(code, event->modifiers()))
        return;
    QLineEdit::keyPressEvent(event);
}

MainWindowHooks& mainWindowHooks()
{
    static MainWindowHooks hooks;
    return hooks;
}

frmMain* frmMain::instance()
{
    return g_instance;
}

frmMain::frmMain(QWidget* parent)
    : QMainWindow(parent)
    , m_matrix(20)
{
    g_instance = this;
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(ProgramName());

    auto* central = new QWidget(this);
    setCentralWidget(central);
    auto* outer = new QVBoxLayout(central);

    // The tab strip: five toggle buttons, the shown page's stays pressed.
    auto* strip = new QHBoxLayout();
    const QString tabs[5] = {QStringLiteral("&Dataset"), QStringLiteral("&Options"), QStringLiteral("&Graphics"),
                             QStringLiteral("&Notes"), QStringLiteral("&R Script")};
    m_pages = new QStackedWidget(central);
    for (int i = 0; i < 5; ++i) {
        CheckButton[i] = makeButton(central, QStringLiteral("CheckButton_%1").arg(i), tabs[i]);
        CheckButton[i]->setCheckable(true);
        strip->addWidget(CheckButton[i]);
        connect(CheckButton[i], &QPushButton::clicked, this, [this, i] { CheckButton_Click(i); });
        Frame9[i] = new QFrame(m_pages);
        Frame9[i]->setObjectName(QStringLiteral("Frame9_%1").arg(i));
        m_pages->addWidget(Frame9[i]);
    }
    strip->addStretch();
    outer->addLayout(strip);
    outer->addWidget(m_pages, 1);

    buildDatasetPage(Frame9[0]);
    buildOptionsPage(Frame9[1]);
    buildGraphicsPage(Frame9[2]);
    buildNotesPage(Frame9[3]);
    buildRPage(Frame9[4]);
    addRCommands();
    new NotesPage(*this);
    DatasetCommands::install();

    // Below the pages: "Always on top", the status line, the commands.
    auto* bottom = new QHBoxLayout();
    addCheck(49, QStringLiteral("Always on top"), false);
    bottom->addWidget(check(49));
    connect(check(49), &QCheckBox::toggled, this, &frmMain::Check49_Click);
    Label16 = new QLabel(central);
    Label16->setObjectName(QStringLiteral("Label16"));
    Label16->hide();
    bottom->addWidget(Label16, 1);
    outer->addLayout(bottom);
    auto* commands = new QHBoxLayout();
    const struct { const char* name; const char* caption; const char* tooltip; void (frmMain::*handler)(); } buttons[] = {
        {"Command5", "New", "Clear current dataset", &frmMain::Command5_Click},
        {"Command1", "Save", "Save current dataset", &frmMain::Command1_Click},
        {"Command17", "As", "Save current dataset as...", &frmMain::Command17_Click},
        {"Command8", "Open", "Open a KVE file", &frmMain::Command8_Click},
        {"Command4", "View", "View a text file", &frmMain::Command4_Click},
        {"Command23", "Compare", "Comparison of models", &frmMain::Command23_Click},
        {"Command6", "Calculate", "", &frmMain::Command6_Click},
        {"Command24", "eMail", "eMail this file", &frmMain::Command24_Click},
        {"Command10", "About", "", &frmMain::Command10_Click},
        {"Command7", "Quit", "Exit KVE", &frmMain::Command7_Click},
    };
    for (const auto& b : buttons) {
        QPushButton* button = makeButton(central, QLatin1String(b.name), QLatin1String(b.caption),
                                         QLatin1String(b.tooltip));
        commands->addWidget(button);
        const auto handler = b.handler;
        connect(button, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
    }
    outer->addLayout(commands);

    TimerInfo = new QTimer(this);
    TimerInfo->setObjectName(QStringLiteral("TimerInfo"));
    TimerInfo->setInterval(500);
    connect(TimerInfo, &QTimer::timeout, this, &frmMain::TimerInfo_Timer);

    // The rules hold from the start, as the design shows them.
    Option1_Click(0);
    applyFrameRule(check(24), Frame7);
    applyFrameRule(check(5), Frame6);
    applyFrameRule(check(6), Frame5);

    // The data sheet as it opens: headers, numbered rows, the formats.
    const ProgramState& state = programState();
    m_text1[13]->setText(state.GridFormatXY);
    m_text1[12]->setText(state.GridFormatSD);
    const char* const headers[8] = {"#", "X (Pred)", "SD X", "Y (Obs)", "SD Y", "Rank X", "Rank Y", "Exclude"};
    for (int c = 0; c < 8; ++c)
        FG2->setTextMatrix(0, c, QLatin1String(headers[c]));
    AssignRowNumbers();
    TxtEdit->clear();
    CheckButton[0]->setChecked(true);
    m_pages->setCurrentIndex(0);
    resize(twips(9800), twips(9300));
    createStartupControls();
}

frmMain::~frmMain()
{
    if (g_instance == this)
        g_instance = nullptr;
}

QCheckBox* frmMain::check(int number) const
{
    const auto it = m_checks.find(number);
    return it == m_checks.end() ? nullptr : it->second;
}

QCheckBox* frmMain::addCheck(int number, const QString& caption, bool ticked)
{
    auto* box = new QCheckBox(caption, this);
    box->setObjectName(QStringLiteral("Check%1").arg(number));
    box->setChecked(ticked);
    m_checks[number] = box;
    return box;
}

QLineEdit* frmMain::addText1(int index, const QString& text)
{
    auto* box = new QLineEdit(text, this);
    box->setObjectName(QStringLiteral("Text1_%1").arg(index));
    m_text1[static_cast<std::size_t>(index)] = box;
    return box;
}

// ---- pages ------------------------------------------------------------------

void frmMain::buildDatasetPage(QFrame* page)
{
    auto* layout = new QHBoxLayout(page);
    FG2 = new FlexGrid(page);
    FG2->setObjectName(QStringLiteral("FG2"));
    FG2->setCols(8);
    FG2->setRows(20);
    layout->addWidget(FG2, 1);

    TxtEdit = new CellEditor(page);
    TxtEdit->setObjectName(QStringLiteral("TxtEdit"));
    TxtEdit->hide();
    TxtEdit->onKeyDown = [this](int code, Qt::KeyboardModifiers shift) { return EditKeyCode(code, shift); };

    connect(FG2, &FlexGrid::charPressed, this, &frmMain::Fg2_KeyPress);
    connect(FG2, &FlexGrid::doubleClicked, this, &frmMain::Fg2_DblClick);
    connect(FG2, &FlexGrid::gotFocus, this, &frmMain::Fg2_GotFocus);
    connect(FG2, &FlexGrid::leaveCell, this, &frmMain::Fg2_LeaveCell);
    connect(FG2, &FlexGrid::filesDropped, this, &frmMain::FG2_OLEDragDrop);
    // An open editor follows its cell when the sheet scrolls.
    const auto followCell = [this] {
        if (!TxtEdit->isHidden()) {
            const QRect cell = FG2->cellRectInParent(m_editRow, m_editCol);
            TxtEdit->setGeometry(cell.x(), cell.y(), std::max(cell.width() - 1, 8), std::max(cell.height() - 1, 8));
        }
    };
    connect(FG2->verticalScrollBar(), &QScrollBar::valueChanged, this, followCell);
    connect(FG2->horizontalScrollBar(), &QScrollBar::valueChanged, this, followCell);

    auto* side = new QVBoxLayout();
    const struct { const char* name; const char* caption; const char* tooltip; void (frmMain::*handler)(); } buttons[] = {
        {"Command2", "Copy", "Copy to clipboard", &frmMain::Command2_Click},
        {"Command3", "Paste", "Paste from clipboard", &frmMain::Command3_Click},
        {"Command11", "Scatter", "", &frmMain::Command11_Click},
        {"Command14", "Rank", "", &frmMain::Command14_Click},
        {"HistoButton", "Histo", "", &frmMain::Command15_Click},
        {"Command12", "Random", "Generate random numbers", &frmMain::Command12_Click},
    };
    for (const auto& b : buttons) {
        QPushButton* button = makeButton(page, QLatin1String(b.name), QLatin1String(b.caption),
                                         QLatin1String(b.tooltip));
        side->addWidget(button);
        const auto handler = b.handler;
        connect(button, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
    }
    QCheckBox* swap = addCheck(7, QStringLiteral("Swap"), false);
    swap->setToolTip(QStringLiteral("Swap X to Y"));
    connect(swap, &QCheckBox::toggled, this, &frmMain::Check7_Click);
    side->addWidget(swap);
    auto* invertX = new QCheckBox(QStringLiteral("Invert X ranks"), page);
    invertX->setObjectName(QStringLiteral("InvertXRanks"));
    auto* invertY = new QCheckBox(QStringLiteral("Invert Y ranks"), page);
    invertY->setObjectName(QStringLiteral("InvertYRanks"));
    side->addWidget(invertX);
    side->addWidget(invertY);

    QGroupBox* points = makeFrame(page, QStringLiteral("Dataset points"));
    auto* pointsLayout = new QGridLayout(points);
    QLineEdit* rows = addText1(0, QStringLiteral("19"));
    rows->setToolTip(QStringLiteral("Number of rows"));
    pointsLayout->addWidget(rows, 0, 0, 1, 2);
    QPushButton* apply = makeButton(points, QStringLiteral("Command9"), QStringLiteral("Apply"),
                                    QStringLiteral("Apply number of rows"));
    QPushButton* remove = makeButton(points, QStringLiteral("Command30"), QStringLiteral("Remove"),
                                     QStringLiteral("Remove invalid rows"));
    pointsLayout->addWidget(apply, 1, 0);
    pointsLayout->addWidget(remove, 1, 1);
    connect(apply, &QPushButton::clicked, this, &frmMain::Command9_Click);
    connect(remove, &QPushButton::clicked, this, &frmMain::Command30_Click);
    side->addWidget(points);
    side->addStretch();
    layout->addLayout(side);
}

void frmMain::buildOptionsPage(QFrame* page)
{
    auto* layout = new QGridLayout(page);

    QGroupBox* regression = makeFrame(page, QStringLiteral("Regression analysis..."));
    auto* regressionLayout = new QVBoxLayout(regression);
    const char* const methods[3] = {"Least-square method", "Weighted least-square method", "Least-absolute deviation"};
    for (int i = 0; i < 3; ++i) {
        Option1[i] = makeOption(regression, QStringLiteral("Option1_%1").arg(i), QLatin1String(methods[i]), i == 0);
        regressionLayout->addWidget(Option1[i]);
        connect(Option1[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                Option1_Click(i);
        });
    }
    regressionLayout->addWidget(addCheck(2, QStringLiteral("Ignore uncertainties in X"), false));
    regressionLayout->addWidget(addCheck(3, QStringLiteral("Ignore uncertainties in Y"), false));
    layout->addWidget(regression, 0, 0);

    QGroupBox* options = makeFrame(page, QStringLiteral("Options..."));
    auto* optionsLayout = new QVBoxLayout(options);
    optionsLayout->addWidget(addCheck(9, QStringLiteral("Auto increase rows"), true));
    optionsLayout->addWidget(addCheck(8, QStringLiteral("Paste single column"), true));
    optionsLayout->addWidget(addCheck(22, QStringLiteral("Same scale for X- and Y-axis"), true));
    optionsLayout->addWidget(addCheck(13, QStringLiteral("Add comments to output"), true));
    optionsLayout->addWidget(addCheck(1, QStringLiteral("Show excluded data points"), false));
    optionsLayout->addWidget(addCheck(46, QStringLiteral("Plot Y = X line"), true));
    optionsLayout->addWidget(addCheck(28, QStringLiteral("Show references"), false));
    optionsLayout->addWidget(addCheck(50, QStringLiteral("No sound"), false));
    connect(check(50), &QCheckBox::toggled, this, &frmMain::Check50_Click);
    layout->addWidget(options, 1, 0);

    QGroupBox* calculations = makeFrame(page, QStringLiteral("Calculations..."));
    auto* calculationsLayout = new QGridLayout(calculations);
    const struct { int number; const char* caption; bool ticked; } sections[] = {
        {10, "Parameter tests", true},   {20, "OLS and SLS coefficients", false},
        {29, "Distribution analysis", true}, {4, "Moment statistics", true},
        {11, "Diverse measures", true},  {34, "Index analysis", false},
        {17, "Concordance tests", true}, {30, "Generalized CCC", false},
        {12, "Rank analysis", true},     {19, "Balance analysis", false},
        {35, "Orthogonal balance", false},
        {5, "MSEP analysis", true},      {18, "Kleijnen analysis", false},
        {24, "Threshold table", false},  {27, "Distance analysis", false},
        {26, "Weighed deviance", false}, {6, "Residual analysis", false},
        {33, "Histogram plots", false},  {47, "Bland and Altman's", false},
        {48, "Deviation analysis", false}, {56, "Robust statistics", false},
    };
    int n = 0;
    for (const auto& s : sections) {
        calculationsLayout->addWidget(addCheck(s.number, QLatin1String(s.caption), s.ticked), n % 11, n / 11);
        ++n;
    }
    layout->addWidget(calculations, 0, 1, 3, 1);

    Frame6 = makeFrame(page, QStringLiteral("Bootstrap..."), QStringLiteral("Frame6"));
    auto* bootstrapLayout = new QGridLayout(Frame6);
    bootstrapLayout->addWidget(addCheck(23, QStringLiteral("Use Bootstrap for MSEP?"), false), 0, 0, 1, 2);
    bootstrapLayout->addWidget(new QLabel(QStringLiteral("Sub-samples"), Frame6), 1, 0);
    bootstrapLayout->addWidget(addText1(7, QStringLiteral("200")), 1, 1);
    bootstrapLayout->addWidget(new QLabel(QStringLiteral("Size (%)"), Frame6), 2, 0);
    bootstrapLayout->addWidget(addText1(6, QStringLiteral("20")), 2, 1);
    layout->addWidget(Frame6, 0, 2);

    Frame7 = makeFrame(page, QStringLiteral("Threshold table..."), QStringLiteral("Frame7"));
    auto* thresholdLayout = new QGridLayout(Frame7);
    thresholdLayout->addWidget(new QLabel(QStringLiteral("Rank threshold"), Frame7), 0, 0);
    thresholdLayout->addWidget(addText1(10, QString()), 0, 1);
    thresholdLayout->addWidget(new QLabel(QStringLiteral("XY threshold"), Frame7), 1, 0);
    thresholdLayout->addWidget(addText1(11, QString()), 1, 1);
    layout->addWidget(Frame7, 1, 2);

    QGroupBox* formats = makeFrame(page, QStringLiteral("Grid format..."));
    auto* formatsLayout = new QGridLayout(formats);
    formatsLayout->addWidget(new QLabel(QStringLiteral("X and Y values"), formats), 0, 0);
    formatsLayout->addWidget(addText1(13, QString()), 0, 1);
    formatsLayout->addWidget(new QLabel(QStringLiteral("SD values"), formats), 1, 0);
    formatsLayout->addWidget(addText1(12, QString()), 1, 1);
    layout->addWidget(formats, 2, 2);
    layout->addWidget(new QWidget(page), 3, 0);
    layout->setRowStretch(3, 1);

    connect(check(24), &QCheckBox::toggled, this, &frmMain::Check24_Click);
    connect(check(5), &QCheckBox::toggled, this, &frmMain::Check5_Click);
    connect(check(6), &QCheckBox::toggled, this, &frmMain::Check6_Click);
    for (int index : {12, 13})
        m_text1[static_cast<std::size_t>(index)]->installEventFilter(this);
}

void frmMain::buildGraphicsPage(QFrame* page)
{
    auto* layout = new QGridLayout(page);

    Frame5 = makeFrame(page, QStringLiteral("Residual analysis..."), QStringLiteral("Frame5"));
    auto* residualLayout = new QGridLayout(Frame5);
    List1 = new QListWidget(Frame5);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setSelectionMode(QAbstractItemView::MultiSelection);
    const struct { const char* caption; bool selected; } columns[] = {
        {"X Value", true}, {"Y Value", true}, {"Deviation", true}, {"Y Predicted", true}, {"Residue", true},
        {"Expected Normal Residue", false}, {"SE of Residue", true}, {"Semi-Studentized Residue", false},
        {"Studentized Residue", true}, {"Studentized Deleted Residue", true}, {"Leverage", true},
        {"Cook's D", true}, {"DFFITS", true}, {"Deleted Residue or PRESS", false},
    };
    for (const auto& c : columns) {
        auto* item = new QListWidgetItem(QLatin1String(c.caption), List1);
        item->setSelected(c.selected);
    }
    residualLayout->addWidget(List1, 0, 0, 6, 1);
    residualLayout->addWidget(new QLabel(QStringLiteral("Limits for"), Frame5), 0, 1);
    residualLayout->addWidget(new QLabel(QStringLiteral("Lower"), Frame5), 0, 2);
    residualLayout->addWidget(new QLabel(QStringLiteral("Upper"), Frame5), 0, 3);
    residualLayout->addWidget(new QLabel(QStringLiteral("% of Obs"), Frame5), 0, 4, 1, 2);
    const struct { const char* label; int lower; int upper; } limits[] = {
        {"Deviation", 9, 1}, {"Residual", 2, 3}, {"RStd Res", 4, 5}};
    for (int i = 0; i < 3; ++i) {
        residualLayout->addWidget(new QLabel(QLatin1String(limits[i].label), Frame5), i + 1, 1);
        residualLayout->addWidget(addText1(limits[i].lower, QString()), i + 1, 2);
        residualLayout->addWidget(addText1(limits[i].upper, QString()), i + 1, 3);
    }
    HScroll1 = new QScrollBar(Qt::Horizontal, Frame5);
    HScroll1->setObjectName(QStringLiteral("HScroll1"));
    HScroll2 = new QScrollBar(Qt::Horizontal, Frame5);
    HScroll2->setObjectName(QStringLiteral("HScroll2"));
    for (QScrollBar* bar : {HScroll1, HScroll2}) {
        bar->setRange(0, 100);
        bar->setSingleStep(1);
        bar->setPageStep(10);
        bar->setMinimumWidth(80);
    }
    Label18 = new QLabel(Frame5);
    Label18->setObjectName(QStringLiteral("Label18"));
    Label19 = new QLabel(Frame5);
    Label19->setObjectName(QStringLiteral("Label19"));
    residualLayout->addWidget(HScroll1, 1, 4);
    residualLayout->addWidget(Label18, 1, 5);
    residualLayout->addWidget(HScroll2, 2, 4);
    residualLayout->addWidget(Label19, 2, 5);
    auto* plots = new QVBoxLayout();
    plots->addWidget(addCheck(14, QStringLiteral("Residual plot"), false));
    plots->addWidget(addCheck(21, QStringLiteral("Save residues to a text file"), false));
    plots->addWidget(addCheck(25, QStringLiteral("Residue regression && plots"), false));
    plots->addWidget(addCheck(31, QStringLiteral("Deviation plot"), false));
    plots->addWidget(addCheck(32, QStringLiteral("Separate window"), true));
    plots->addWidget(addCheck(36, QStringLiteral("Normal plot"), false));
    residualLayout->addLayout(plots, 4, 1, 2, 5);
    layout->addWidget(Frame5, 0, 0, 1, 2);

    QGroupBox* histogram = makeFrame(page, QStringLiteral("Histogram..."));
    auto* histogramLayout = new QGridLayout(histogram);
    histogramLayout->addWidget(addCheck(37, QStringLiteral("Plot Y and X"), true), 0, 0);
    histogramLayout->addWidget(addCheck(42, QStringLiteral("Plot X and X difference"), false), 1, 0);
    histogramLayout->addWidget(addCheck(43, QStringLiteral("Abs(difference)"), false), 2, 0);
    auto* together = new QGroupBox(histogram);
    auto* togetherLayout = new QVBoxLayout(together);
    Option3[0] = makeOption(together, QStringLiteral("Option3_0"), QStringLiteral("Together"), true);
    Option3[1] = makeOption(together, QStringLiteral("Option3_1"), QStringLiteral("Separate"), false);
    togetherLayout->addWidget(Option3[0]);
    togetherLayout->addWidget(Option3[1]);
    histogramLayout->addWidget(together, 0, 1, 2, 1);
    histogramLayout->addWidget(addCheck(38, QStringLiteral("Accumulated"), false), 3, 0);
    histogramLayout->addWidget(addCheck(39, QStringLiteral("Percentage"), false), 4, 0);
    histogramLayout->addWidget(new QLabel(QStringLiteral("# of Bins"), histogram), 2, 1);
    histogramLayout->addWidget(addText1(14, QStringLiteral("10")), 3, 1);
    auto* graphKind = new QGroupBox(histogram);
    auto* graphKindLayout = new QGridLayout(graphKind);
    graphKindLayout->addWidget(addCheck(40, QStringLiteral("2D Graph"), true), 0, 0);
    graphKindLayout->addWidget(addCheck(41, QStringLiteral("3D Graph"), false), 0, 1);
    const char* const kinds[5] = {"Bar", "Line", "Area", "Step", "Pie"};
    for (int i = 0; i < 5; ++i) {
        Option2[i] = makeOption(graphKind, QStringLiteral("Option2_%1").arg(i), QLatin1String(kinds[i]), i == 0);
        graphKindLayout->addWidget(Option2[i], 1 + i / 3, i % 3);
    }
    histogramLayout->addWidget(graphKind, 0, 2, 4, 1);
    QPushButton* plot = makeButton(histogram, QStringLiteral("Command15"), QStringLiteral("Plot"),
                                   QStringLiteral("Plot histogram"));
    connect(plot, &QPushButton::clicked, this, &frmMain::Command15_Click);
    histogramLayout->addWidget(plot, 4, 2);
    layout->addWidget(histogram, 1, 0, 1, 2);

    layout->addWidget(new QLabel(QStringLiteral("Deviation CI % Prob"), page), 2, 0);
    layout->addWidget(addText1(8, QStringLiteral("95")), 2, 1);
    layout->setRowStretch(3, 1);

    // One of "2D Graph" and "3D Graph" at a time.
    connect(check(40), &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            check(41)->setChecked(false);
    });
    connect(check(41), &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            check(40)->setChecked(false);
    });
    connect(HScroll1, &QScrollBar::valueChanged, this, &frmMain::HScroll1_Change);
    connect(HScroll2, &QScrollBar::valueChanged, this, &frmMain::HScroll2_Change);
    for (int index : {8, 9, 1})
        connect(m_text1[static_cast<std::size_t>(index)], &QLineEdit::textChanged, this,
                [this, index] { Text1_Change(index); });
    m_text1[14]->installEventFilter(this);
}

void frmMain::buildNotesPage(QFrame* page)
{
    // The notes box and its buttons; what they do belongs to the notes.
    auto* layout = new QVBoxLayout(page);
    Notes = new QTextEdit(page);
    Notes->setObjectName(QStringLiteral("Notes"));
    Notes->setAcceptRichText(false);
    layout->addWidget(Notes, 1);
    auto* row = new QHBoxLayout();
    QCheckBox* colours = addCheck(44, QStringLiteral("Ab"), false);
    colours->setToolTip(QStringLiteral("Invert colors"));
    QCheckBox* bold = addCheck(45, QStringLiteral("B"), false);
    bold->setToolTip(QStringLiteral("Bold"));
    row->addWidget(colours);
    row->addWidget(bold);
    const struct { const char* name; const char* caption; const char* tooltip; } buttons[] = {
        {"Command18_1", "+", "Zoom in"},
        {"Command19_2", "-", "Zoom out"},
        {"Command16", "Clean", "Clean Notes"},
        {"Command21", "Save", "Save Notes as text file"},
        {"Command22", "Open", "Open text file into Notes"},
        {"Command20", "Edit", "Edit with Notepad application"},
    };
    for (const auto& b : buttons)
        row->addWidget(makeButton(page, QLatin1String(b.name), QLatin1String(b.caption), QLatin1String(b.tooltip)));
    row->addStretch();
    layout->addLayout(row);
}

void frmMain::buildRPage(QFrame* page)
{
    auto* layout = new QGridLayout(page);
    auto* label20 = new QLabel(QStringLiteral("Templates:"), page);
    label20->setObjectName(QStringLiteral("Label20"));
    layout->addWidget(label20, 0, 0);
    RFile = new QComboBox(page);
    RFile->setObjectName(QStringLiteral("RFile"));
    layout->addWidget(RFile, 0, 1);
    QPushButton* refresh = makeButton(page, QStringLiteral("Command28"), QStringLiteral("Refresh"));
    connect(refresh, &QPushButton::clicked, this, &frmMain::Command28_Click);
    layout->addWidget(refresh, 0, 2);
    ROutputList = new QListWidget(page);
    ROutputList->setObjectName(QStringLiteral("ROutputList"));
    layout->addWidget(ROutputList, 1, 0, 1, 3);
    layout->addWidget(addCheck(51, QStringLiteral("Show all R output files?"), false), 2, 0, 1, 3);
    layout->addWidget(addCheck(52, QStringLiteral("Assign template and overwrite current R file?"), true), 3, 0, 1, 3);
    layout->addWidget(addCheck(54, QStringLiteral("Open graphics"), true), 4, 0);
    layout->addWidget(addCheck(55, QStringLiteral("Open TXT files"), true), 4, 1);
    layout->addWidget(addCheck(53, QStringLiteral("Show log"), true), 4, 2);
    auto* graph = new QGroupBox(page);
    auto* graphLayout = new QHBoxLayout(graph);
    const char* const kinds[3] = {"BMP", "JPEG", "PNG"};
    for (int i = 0; i < 3; ++i) {
        RGraph[i] = makeOption(graph, QStringLiteral("RGraph_%1").arg(i), QLatin1String(kinds[i]), i == 0);
        graphLayout->addWidget(RGraph[i]);
    }
    layout->addWidget(graph, 5, 0, 1, 3);
    Label22 = new QLabel(page);
    Label22->setObjectName(QStringLiteral("Label22"));
    layout->addWidget(Label22, 6, 0, 1, 3);
    connect(check(51), &QCheckBox::toggled, this, &frmMain::Check51_Click);
}

// ---- data sheet ---------------------------------------------------------------

void frmMain::MatrixTOGrid(int r, int c)
{
    const ProgramState& state = programState();
    FG2->setTextMatrix(r, c, DataSheet::formatCell(m_matrix.cell(c, r), c, state.GridFormatXY, state.GridFormatSD));
}

void frmMain::showSheet()
{
    for (int r = 1; r < FG2->rows(); ++r)
        for (int c = 1; c < FG2->cols(); ++c)
            MatrixTOGrid(r, c);
}

void frmMain::setGridFormats(const QString& formatXY, const QString& formatSD)
{
    ProgramState& state = programState();
    state.GridFormatXY = formatXY;
    state.GridFormatSD = formatSD;
    m_text1[13]->setText(formatXY);
    m_text1[12]->setText(formatSD);
    showSheet();
}

void frmMain::AssignRowNumbers()
{
    FG2->setRowLabels(1, FG2->rows() - 1, rowLabel);
    FG2->setCurrentCell(1, 1);
}

void frmMain::Command9_Click()
{
    const double n = DataSheet::leadingNumber(m_text1[0]->text());
    if (n < 3) {
        Platform::message(QLatin1String(RowCountMessage));
        return;
    }
    if (n + 1 > DataSheet::MaxDataRows + 1.5) {
        Platform::message(QLatin1String(RowLimitMessage), MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    const int rows = static_cast<int>(DataSheet::roundHalfEven(n + 1));
    if (rows - 1 > DataSheet::MaxDataRows) {
        Platform::message(QLatin1String(RowLimitMessage), MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    const int oldRows = FG2->rows();
    FG2->setRows(rows);
    m_matrix.resize(rows);
    // Rows that leave the sheet leave the matrix too: the row that becomes
    // the spare row, and rows that come back later, start empty.
    for (int r = std::min(oldRows, rows); r <= rows; ++r)
        for (int c = 1; c < DataMatrix::Columns; ++c)
            m_matrix.setEmpty(c, r);
    AssignRowNumbers();
}

void frmMain::RemoveEmptyRows()
{
    const int firstIncomplete = DataSheet::compactRows(m_matrix, FG2->rows());
    if (firstIncomplete > 0) {
        m_text1[0]->setText(QString::number(firstIncomplete - 1));
        Command9_Click();
    }
    showSheet();
}

void frmMain::Command30_Click()
{
    RemoveEmptyRows();
}

void frmMain::Command3_Click()
{
    const QString text = Platform::clipboard().text();
    int startRow = 1;
    int startCol = 1;
    if (check(8)->isChecked()) {
        startRow = FG2->rowSel();
        startCol = FG2->colSel();
    }
    const int oldRows = FG2->rows();
    const DataSheet::PasteOutcome out = DataSheet::paste(m_matrix, oldRows, text, check(8)->isChecked(),
                                                         check(9)->isChecked(), startRow, startCol);
    if (out.ignored)
        return;
    if (out.gridRows != oldRows) {
        FG2->setRows(out.gridRows);
        FG2->setRowLabels(oldRows, out.gridRows - 1, rowLabel);
    }
    for (const auto& [r, c] : out.changed)
        MatrixTOGrid(r, c);
    if (!out.stoppedAtEnd)
        m_text1[0]->setText(rowLabel(FG2->rows() - 1));
    if (out.hitRowLimit)
        Platform::message(QLatin1String(RowLimitMessage), MsgButtons::Ok, MsgIcon::Exclamation);
}

void frmMain::Command2_Click()
{
    const QString text = DataSheet::copyText(m_matrix, FG2->rows(), FG2->cols());
    Platform::clipboard().clear();
    Platform::clipboard().setText(text);
}

void frmMain::Check7_Click()
{
    const bool swapped = check(7)->isChecked();
    programState().SwapXY = swapped;
    FG2->setTextMatrix(0, 1, swapped ? QStringLiteral("X (Obs)") : QStringLiteral("X (Pred)"));
    FG2->setTextMatrix(0, 3, swapped ? QStringLiteral("Y (Pred)") : QStringLiteral("Y (Obs)"));
    DataSheet::swapXY(m_matrix, FG2->rows());
    for (int r = 1; r < FG2->rows(); ++r)
        for (int c = 1; c <= 6; ++c)
            MatrixTOGrid(r, c);
}

void frmMain::Fg2_KeyPress(int charCode)
{
    // Copy and paste keys reach the sheet only while it has the focus.
    if (charCode == 22) {
        Command3_Click();
        return;
    }
    if (charCode == 3) {
        Command2_Click();
        return;
    }
    MSHFlexGridEdit(charCode);
}

void frmMain::Fg2_DblClick()
{
    MSHFlexGridEdit(32);
}

void frmMain::MSHFlexGridEdit(int charCode)
{
    const int r = FG2->row();
    const int c = FG2->col();
    m_editRow = r;
    m_editCol = c;
    m_editOriginal = m_matrix.cell(c, r);
    if (charCode > 32 || charCode < 0) {
        const QString typed = QString(QChar(charCode));
        TxtEdit->setText(typed);
        m_matrix.setText(c, r, typed);
    } else {
        TxtEdit->setText(m_matrix.cell(c, r).toDisplayString());
    }
    TxtEdit->setCursorPosition(static_cast<int>(TxtEdit->text().size()));
    const QRect cell = FG2->cellRectInParent(r, c);
    TxtEdit->setGeometry(cell.x(), cell.y(), std::max(cell.width() - 1, 8), std::max(cell.height() - 1, 8));
    TxtEdit->show();
    TxtEdit->raise();
    TxtEdit->setFocus();
}

bool frmMain::EditKeyCode(int keyCode, Qt::KeyboardModifiers)
{
    switch (keyCode) {
    case 13:
    case 40:
    case 38:
        FG2->setFocus();
        QCoreApplication::processEvents();
        // The grid's got-focus commit; done here too for a window that
        // does not have the focus (the commit acts once).
        Fg2_GotFocus();
        if (keyCode == 38) {
            if (FG2->row() > FG2->fixedRows())
                FG2->setRow(FG2->row() - 1);
        } else if (FG2->row() < FG2->rows() - 1) {
            FG2->setRow(FG2->row() + 1);
        }
        return true;
    case 27:
        // The cell goes back to what it held before the editor opened.
        TxtEdit->hide();
        m_matrix.cell(m_editCol, m_editRow) = m_editOriginal;
        MatrixTOGrid(m_editRow, m_editCol);
        FG2->setFocus();
        return true;
    default:
        return false;
    }
}

void frmMain::Fg2_GotFocus()
{
    if (TxtEdit->isHidden())
        return;
    const int r = FG2->row();
    const int c = FG2->col();
    m_matrix.setText(c, r, TxtEdit->text());
    MatrixTOGrid(r, c);
    TxtEdit->hide();
}

void frmMain::Fg2_LeaveCell()
{
    Fg2_GotFocus();
}

bool frmMain::FG2_OLEDragOver(const QMimeData* data) const
{
    return FlexGrid::carriesFiles(data);
}

void frmMain::FG2_OLEDragDrop(const QStringList& paths)
{
    ProgramState& state = programState();
    for (const QString& path : paths) {
        state.BatchMode = true;
        state.OpenRequestFile = path;
        Command8_Click();
        state.BatchMode = false;
    }
}

// ---- option panels ------------------------------------------------------------

int frmMain::currentPage() const
{
    return m_pages->currentIndex();
}

void frmMain::CheckButton_Click(int index)
{
    if (m_switching)
        return;
    if (!CheckButton[index]->isChecked()) {
        m_switching = true;
        CheckButton[index]->setChecked(true);
        m_switching = false;
        return;
    }
    m_switching = true;
    for (int i = 0; i < 5; ++i)
        if (i != index)
            CheckButton[i]->setChecked(false);
    m_switching = false;
    m_pages->setCurrentIndex(index);
    if (index == 0) {
        refillLimits();
    } else if (index == 4) {
        Command28_Click();
        showRFolder();
    }
}

void frmMain::refillLimits()
{
    ProgramState& state = programState();
    if (state.DeviationLower == 0)
        state.DeviationLower = -0.1 * state.MeanY;
    if (state.ResidualLower == 0)
        state.ResidualLower = -0.1 * state.MeanY;
    if (state.DeviationUpper == 0)
        state.DeviationUpper = 0.1 * state.MeanY;
    if (state.ResidualUpper == 0)
        state.ResidualUpper = 0.1 * state.MeanY;
    if (state.RStdResidueLower == 0)
        state.RStdResidueLower = -2.5;
    if (state.RStdResidueUpper == 0)
        state.RStdResidueUpper = 2.5;
    const QString four = QStringLiteral("0.0000");
    setBoxText(9, DataSheet::formatPattern(state.DeviationLower, four));
    setBoxText(1, DataSheet::formatPattern(state.DeviationUpper, four));
    setBoxText(2, DataSheet::formatPattern(state.ResidualLower, four));
    setBoxText(3, DataSheet::formatPattern(state.ResidualUpper, four));
    setBoxText(4, DataSheet::formatPattern(state.RStdResidueLower, four));
    setBoxText(5, DataSheet::formatPattern(state.RStdResidueUpper, four));
    setBoxText(8, DataSheet::formatPattern(state.DeviationConfidence * 100, QStringLiteral("##0.00")));
}

void frmMain::setBoxText(int index, const QString& text)
{
    // Setting a box to the text it holds is no change and raises nothing.
    QLineEdit* box = m_text1[static_cast<std::size_t>(index)];
    if (box->text() != text)
        box->setText(text);
}

void frmMain::Option1_Click(int index)
{
    check(2)->setEnabled(index == 1);
    check(3)->setEnabled(index == 1);
}

void frmMain::applyFrameRule(QCheckBox* box, QWidget* frame)
{
    frame->setEnabled(box->isChecked() && box->isEnabled());
}

void frmMain::Check24_Click()
{
    applyFrameRule(check(24), Frame7);
}

void frmMain::Check5_Click()
{
    applyFrameRule(check(5), Frame6);
}

void frmMain::Check6_Click()
{
    applyFrameRule(check(6), Frame5);
}

void frmMain::setStayOnTop(bool onTop)
{
    const bool wasVisible = isVisible();
    const QRect geometry = this->geometry();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (wasVisible) {
        setGeometry(geometry);
        show();
    }
}

void frmMain::Check49_Click()
{
    setStayOnTop(check(49)->isChecked());
}

void frmMain::Check50_Click()
{
    programState().NoSoundFlag = check(50)->isChecked();
}

void frmMain::Check51_Click()
{
    Command28_Click();
}

void frmMain::HScroll1_Change()
{
    ProgramState& state = programState();
    const double p = HScroll1->value() / 100.0;
    Label18->setText(DataSheet::formatPattern(p * 100, QStringLiteral("0")) + QLatin1Char('%'));
    state.DeviationLower = -p * state.MeanY;
    setBoxText(9, DataSheet::formatPattern(state.DeviationLower, QStringLiteral("0.0000")));
    state.DeviationUpper = state.MeanY * p;
    setBoxText(1, DataSheet::formatPattern(state.DeviationUpper, QStringLiteral("0.0000")));
}

void frmMain::HScroll2_Change()
{
    ProgramState& state = programState();
    const double p = HScroll2->value() / 100.0;
    Label19->setText(DataSheet::formatPattern(p * 100, QStringLiteral("0")) + QLatin1Char('%'));
    state.ResidualLower = -p * state.MeanY;
    setBoxText(2, DataSheet::formatPattern(state.ResidualLower, QStringLiteral("0.0000")));
    state.ResidualUpper = state.MeanY * p;
    setBoxText(3, DataSheet::formatPattern(state.ResidualUpper, QStringLiteral("0.0000")));
}

void frmMain::Text1_Change(int index)
{
    // A confidence percentage and explicit deviation limits exclude each
    // other. The rules run on every change, also on the changes they make
    // themselves, but never write back into the box whose change started
    // them: that box keeps what was typed or set into it.
    const bool first = m_changeOrigin < 0;
    if (first)
        m_changeOrigin = index;
    const auto clear = [this](int box) {
        if (box != m_changeOrigin)
            setBoxText(box, QStringLiteral("0"));
    };
    if (index == 8) {
        clear(9);
        clear(1);
    } else if (index == 9 || index == 1) {
        clear(8);
    }
    if (first)
        m_changeOrigin = -1;
}

void frmMain::Text1_LostFocus(int index)
{
    if (index == 12 || index == 13) {
        ProgramState& state = programState();
        state.GridFormatXY = m_text1[13]->text();
        state.GridFormatSD = m_text1[12]->text();
        showSheet();
    } else if (index == 14) {
        if (DataSheet::leadingNumber(m_text1[14]->text()) < 3)
            m_text1[14]->setText(QStringLiteral("3"));
    }
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) {
        for (int index : {12, 13, 14})
            if (watched == m_text1[static_cast<std::size_t>(index)])
                Text1_LostFocus(index);
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- status line --------------------------------------------------------------

void frmMain::showStatusInfo(const QString& text)
{
    ProgramState& state = programState();
    state.StatusStart = Platform::clock().currentTime();
    state.StatusDuration = 5;
    TimerInfo->start();
    Label16->setText(text);
    Label16->show();
}

void frmMain::TimerInfo_Timer()
{
    const ProgramState& state = programState();
    int elapsed = state.StatusStart.secsTo(Platform::clock().currentTime());
    if (elapsed < 0)
        elapsed += 24 * 60 * 60;                 // shown before midnight
    if (elapsed >= state.StatusDuration) {
        Label16->hide();
        TimerInfo->stop();
    }
}

// ---- commands and the neighbours ------------------------------------------------

void frmMain::featureMissing(const QString& what)
{
    Platform::message(what + QStringLiteral(" is not available in this version of KVE."), MsgButtons::Ok,
                      MsgIcon::Information);
}

void frmMain::Command8_Click()
{
    if (mainWindowHooks().openDataset)
        mainWindowHooks().openDataset(*this);
    else
        featureMissing(QStringLiteral("Opening a dataset file"));
}

void frmMain::Command1_Click()
{
    if (mainWindowHooks().saveDataset)
        mainWindowHooks().saveDataset(*this);
    else
        featureMissing(QStringLiteral("Saving a dataset file"));
}

void frmMain::Command17_Click()
{
    if (mainWindowHooks().saveDatasetAs)
        mainWindowHooks().saveDatasetAs(*this);
    else
        featureMissing(QStringLiteral("Saving a dataset file"));
}

void frmMain::Command5_Click()
{
    if (mainWindowHooks().newDataset)
        mainWindowHooks().newDataset(*this);
    else
        featureMissing(QStringLiteral("Starting a new dataset"));
}

void frmMain::Command4_Click()
{
    if (mainWindowHooks().viewTextFile)
        mainWindowHooks().viewTextFile(*this);
    else
        featureMissing(QStringLiteral("Viewing a text file"));
}

frmInfo* frmMain::showResults(const QString& caption, const QString& text, bool batchActions)
{
    frmInfo* window = frmInfo::showReport(caption, text);
    if (batchActions && programState().BatchMode) {
        if (auto* autoBox = window->findChild<QCheckBox*>(QStringLiteral("Auto")))
            autoBox->setChecked(true);
    }
    return window;
}

void frmMain::Command11_Click()
{
    if (DataSheet::numericPairCount(m_matrix, FG2->rows(), DataMatrix::ColX, DataMatrix::ColY) < 3) {
        Platform::message(QStringLiteral("Not enough data points to generate a plot"), MsgButtons::Ok,
                          MsgIcon::Critical);
        return;
    }
    if (mainWindowHooks().scatterPlot)
        mainWindowHooks().scatterPlot(*this);
    else
        featureMissing(QStringLiteral("The scatter plot"));
}

void frmMain::Command14_Click()
{
    if (DataSheet::numericPairCount(m_matrix, FG2->rows(), DataMatrix::ColRankX, DataMatrix::ColRankY) < 3) {
        Platform::message(QStringLiteral("Not enough rank points to generate a plot"), MsgButtons::Ok,
                          MsgIcon::Critical);
        return;
    }
    if (mainWindowHooks().rankPlot)
        mainWindowHooks().rankPlot(*this);
    else
        featureMissing(QStringLiteral("The rank plot"));
}

void frmMain::Command15_Click()
{
    if (mainWindowHooks().histogramPlot)
        mainWindowHooks().histogramPlot(*this);
    else
        featureMissing(QStringLiteral("The histogram"));
}

void frmMain::Command10_Click()
{
    if (mainWindowHooks().showAbout) {
        mainWindowHooks().showAbout(*this);
        return;
    }
    auto* about = new frmAbout(this);
    about->setAttribute(Qt::WA_DeleteOnClose);
    // Modal for a person; where nobody sees the screen it must not wait.
    if (nobodyCanSeeWindows())
        about->show();
    else
        about->exec();
}

void frmMain::Command12_Click()
{
    if (mainWindowHooks().showRandom)
        mainWindowHooks().showRandom(*this);
    else
        featureMissing(QStringLiteral("The random-data generator"));
}

void frmMain::Command23_Click()
{
    frmCompare* compare = frmCompare::instance();
    const QString& file = programState().DataFileName;
    if (!file.isEmpty())
        compare->list()->addItem(file);
    compare->show();
}

void frmMain::Command24_Click()
{
    frmMAPI* mail = frmMAPI::instance();
    const QString& file = programState().DataFileName;
    if (!file.isEmpty())
        mail->attachments()->setText(file);
    mail->show();
}

void frmMain::Command7_Click()
{
    close();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    if (mainWindowHooks().unload)
        mainWindowHooks().unload(*this);
    // Closing the main window closes every window of the program.
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window != this && window->isVisible())
            window->close();
    event->accept();
}

void frmMain::CallLoad()
{
    Command8_Click();
}

void frmMain::CallPlot()
{
    Command11_Click();
}

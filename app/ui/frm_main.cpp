// frmMain: the window's frame (the page strip, the pages, the status line,
// "Always on top", the command buttons) and the dataset options the pages
// show.
#include "ui/frm_main.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "core/kve_code.hpp"
#include "core/program_info.hpp"
#include "core/program_state.hpp"
#include "core/settings_store.hpp"
#include "platform/platform_services.hpp"
#include "ui/analysis_options_page.hpp"
#include "ui/dataset_commands.hpp"
#include "ui/graphics_options_page.hpp"
#include "ui/notes_page.hpp"
#include "ui/r_script_page.hpp"
#include "ui/twips.hpp"

namespace {

frmMain* g_instance = nullptr;

} // namespace

frmMain* frmMain::instance()
{
    return g_instance;
}

frmMain::frmMain(QWidget* parent)
    : QMainWindow(parent)
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
    for (int i = 0; i < 5; ++i) {
        CheckButton[static_cast<std::size_t>(i)] = makeButton(central, QStringLiteral("CheckButton_%1").arg(i), tabs[i]);
        CheckButton[static_cast<std::size_t>(i)]->setCheckable(true);
        strip->addWidget(CheckButton[static_cast<std::size_t>(i)]);
        connect(CheckButton[static_cast<std::size_t>(i)], &QPushButton::clicked, this, [this, i] { CheckButton_Click(i); });
    }
    strip->addStretch();
    outer->addLayout(strip);

    // The pages, in the order of the strip. Each builds its controls and
    // sets them to the defaults of the option table.
    m_pages = new QStackedWidget(central);
    m_sheet = new DataSheetPage(m_controls, m_pages);
    m_analysis = new AnalysisOptionsPage(m_controls, m_pages);
    m_graphics = new GraphicsOptionsPage(m_controls, m_pages);
    m_notes = OptionPage::notesPage(m_controls, m_pages);
    m_rScript = new RScriptPage(m_controls, m_pages);
    for (QWidget* page : {static_cast<QWidget*>(m_sheet), static_cast<QWidget*>(m_analysis),
                          static_cast<QWidget*>(m_graphics), static_cast<QWidget*>(m_notes),
                          static_cast<QWidget*>(m_rScript)})
        m_pages->addWidget(page);
    outer->addWidget(m_pages, 1);
    new NotesPage(*this);

    // Below the pages: "Always on top", the status line, the commands.
    auto* bottom = new QHBoxLayout();
    auto* onTop = new QCheckBox(QStringLiteral("Always on top"), central);
    onTop->setObjectName(checkBoxName(CheckBox::AlwaysOnTop));
    m_controls.checks[static_cast<int>(CheckBox::AlwaysOnTop)] = onTop;
    bottom->addWidget(onTop);
    connect(onTop, &QCheckBox::toggled, this, &frmMain::Check49_Click);
    Label16 = new QLabel(central);
    Label16->setObjectName(QStringLiteral("Label16"));
    Label16->hide();
    bottom->addWidget(Label16, 1);
    outer->addLayout(bottom);
    auto* commands = new QHBoxLayout();
    const struct {
        const char* name;
        const char* caption;
        const char* tooltip;
        void (frmMain::*handler)();
    } buttons[] = {
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
    addRCommands();
    connectCommands();

    TimerInfo = new QTimer(this);
    TimerInfo->setObjectName(QStringLiteral("TimerInfo"));
    TimerInfo->setInterval(500);
    connect(TimerInfo, &QTimer::timeout, this, &frmMain::TimerInfo_Timer);

    // The grid formats in force, in their boxes.
    const ProgramState& state = programState();
    text1(TextBox::GridFormatXY)->setText(state.GridFormatXY);
    text1(TextBox::GridFormatSD)->setText(state.GridFormatSD);
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

// The buttons of the pages, given their commands.
void frmMain::connectCommands()
{
    connect(m_sheet->scatterButton(), &QPushButton::clicked, this, &frmMain::Command11_Click);
    connect(m_sheet->rankButton(), &QPushButton::clicked, this, &frmMain::Command14_Click);
    connect(m_sheet->histogramButton(), &QPushButton::clicked, this, &frmMain::Command13_Click);
    connect(m_sheet->randomButton(), &QPushButton::clicked, this, &frmMain::Command12_Click);
    m_sheet->openDataset = [this] { Command8_Click(); };
    connect(m_graphics->plotButton(), &QPushButton::clicked, this, &frmMain::Command15_Click);
    connect(m_rScript->refreshButton(), &QPushButton::clicked, this, &frmMain::Command28_Click);
    connect(check(CheckBox::RShowAll), &QCheckBox::toggled, this, &frmMain::Check51_Click);
    m_analysis->onGridFormatsChanged = [this] { showSheet(); };
}

// ---- the dataset options ------------------------------------------------------

std::array<OptionPage*, 4> frmMain::optionPages() const
{
    return {m_analysis, m_graphics, m_notes, m_rScript};
}

DatasetFile::DatasetOptions frmMain::gatherOptions() const
{
    DatasetFile::DatasetOptions options = DatasetFile::defaultOptions();
    for (const OptionPage* page : optionPages())
        page->gatherOptions(options);
    // The grid formats in force (which their boxes show once they lose the
    // focus) and the notes' font size.
    const ProgramState& state = programState();
    options[static_cast<std::size_t>(DatasetFile::indexOf(DatasetFile::Option::GridFormatXY))] = state.GridFormatXY;
    options[static_cast<std::size_t>(DatasetFile::indexOf(DatasetFile::Option::GridFormatSD))] = state.GridFormatSD;
    options[static_cast<std::size_t>(DatasetFile::indexOf(DatasetFile::Option::NotesSize))] =
        NotesPage::of(*this)->fontSize();
    return options;
}

void frmMain::applyOption(DatasetFile::Option option, const DatasetFile::OptionValue& value)
{
    ProgramState& state = programState();
    switch (option) {
    case DatasetFile::Option::GridFormatXY:
        setGridFormats(std::get<QString>(value), state.GridFormatSD);
        return;
    case DatasetFile::Option::GridFormatSD:
        setGridFormats(state.GridFormatXY, std::get<QString>(value));
        return;
    case DatasetFile::Option::NotesSize:
        NotesPage::of(*this)->setFontSize(std::get<float>(value));
        return;
    default:
        break;
    }
    for (OptionPage* page : optionPages())
        if (page->applyOption(option, value))
            break;
    if (const int column = DatasetFile::residueColumnOf(option))
        state.ResidueSelection[static_cast<std::size_t>(column)] = std::get<bool>(value);
}

void frmMain::setGridFormats(const QString& formatXY, const QString& formatSD)
{
    ProgramState& state = programState();
    state.GridFormatXY = formatXY;
    state.GridFormatSD = formatSD;
    text1(TextBox::GridFormatXY)->setText(formatXY);
    text1(TextBox::GridFormatSD)->setText(formatSD);
    showSheet();
}

// ---- pages and option rules ---------------------------------------------------

void frmMain::CheckButton_Click(int index)
{
    if (m_switching)
        return;
    m_sheet->commitEdit();
    QPushButton* pressed = CheckButton[static_cast<std::size_t>(index)];
    if (!pressed->isChecked()) {
        m_switching = true;
        pressed->setChecked(true);
        m_switching = false;
        return;
    }
    m_switching = true;
    for (int i = 0; i < 5; ++i)
        if (i != index)
            CheckButton[static_cast<std::size_t>(i)]->setChecked(false);
    m_switching = false;
    m_pages->setCurrentIndex(index);
    if (index == 0) {
        m_graphics->refillLimits();
    } else if (index == 4) {
        Command28_Click();
        showRFolder();
    }
}

void frmMain::Option1_Click(int index)
{
    m_analysis->Option1_Click(index);
}

void frmMain::Text1_LostFocus(int index)
{
    const auto box = static_cast<TextBox>(index);
    m_analysis->Text1_LostFocus(box);
    m_graphics->Text1_LostFocus(box);
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
    setStayOnTop(check(CheckBox::AlwaysOnTop)->isChecked());
}

void frmMain::Check51_Click()
{
    Command28_Click();
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

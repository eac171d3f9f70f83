#include "ui/frm_compare.hpp"

#include <QApplication>
#include <QDateTime>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>

#include "core/comparison_file.hpp"
#include "core/dataset_file.hpp"
#include "core/kve_code.hpp"
#include "core/program_info.hpp"
#include "core/program_state.hpp"
#include "platform/platform_services.hpp"
#include "ui/caption_fit.hpp"
#include "ui/file_drop.hpp"
#include "ui/frm_compare_r.hpp"
#include "ui/frm_info.hpp"
#include "ui/frm_main.hpp"
#include "ui/picture_button.hpp"
#include "ui/twips.hpp"
#include "ui/wait_cursor.hpp"

namespace {

QPointer<frmCompare>& loaded()
{
    static QPointer<frmCompare> window;
    return window;
}

const QString DatasetFilter = QStringLiteral("All Files (*.*)|*.*|KVE Files") + QStringLiteral("(*.KVE)|*.KVE");
const QString ComparisonFilter = QStringLiteral("All Files (*.*)|*.*|QCX Files") + QStringLiteral("(*.QCX)|*.QCX");

void place(QWidget* w, int left, int top, int width, int height)
{
    w->setGeometry(twips(left), twips(top), twips(width), twips(height));
}

QLabel* label(QWidget* parent, const QString& text, int left, int top)
{
    auto* l = new QLabel(text, parent);
    l->move(twips(left), twips(top));
    l->adjustSize();
    return l;
}

} // namespace

frmCompare* frmCompare::instance()
{
    if (!loaded()) {
        loaded() = new frmCompare();
        loaded()->Form_Load();
    }
    return loaded();
}

bool frmCompare::isLoaded()
{
    return !loaded().isNull();
}

QString frmCompare::showFromCommandLine()
{
    const bool wasLoaded = isLoaded();
    frmCompare* window = instance();
    if (wasLoaded)
        window->Command9_Click();
    // A file handed over from a file manager: the window it opens comes in
    // front of the others, also when it was open already behind them.
    if (window->isMinimized())
        window->showNormal();
    window->show();
    window->raise();
    window->activateWindow();
    return window->m_openError;
}

frmCompare::frmCompare(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmCompare"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(ComparisonWindowCaption());
    buildPageToggles();
    buildFilePage();
    buildRPage();
    buildOptionsPage();
    buildCommandButtons();
    resize(twips(9300), twips(6300));
}

void frmCompare::buildPageToggles()
{
    const char* captions[] = {"KVE &Files", "&R Script", "&Options"};
    for (int i = 0; i < 3; ++i) {
        auto* toggle = new QPushButton(QLatin1String(captions[i]), this);
        toggle->setObjectName(QStringLiteral("Check1_%1").arg(i));
        toggle->setCheckable(true);
        place(toggle, 120 + 1320 * i, 120, 1200, 350);
        connect(toggle, &QPushButton::clicked, this, [this, i] { Check1_Click(i); });
        Check1[static_cast<std::size_t>(i)] = toggle;
    }
    Check1[0]->setChecked(true);
}

void frmCompare::buildFilePage()
{
    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Label1 = label(Frame1, QStringLiteral("File names"), 120, 360);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setMinimumWidth(twips(4000));

    List1 = new QListWidget(Frame1);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    place(List1, 120, 720, 8775, 3210);
    // Every item carries a tick box, also those that other windows append.
    connect(List1->model(), &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int first, int last) {
        for (int r = first; r <= last; ++r)
            if (QListWidgetItem* item = List1->item(r); item && !item->data(Qt::CheckStateRole).isValid())
                item->setCheckState(Qt::Unchecked);
    });
    List1->setAcceptDrops(true);
    List1->viewport()->setAcceptDrops(true);
    List1->setDragDropMode(QAbstractItemView::DropOnly);
    m_listViewport = List1->viewport();
    m_listViewport->installEventFilter(this);

    m_moveUp
        = pictureButton(Frame1, "Command3", "go-up", QStyle::SP_ArrowUp, QString(), QStringLiteral("Move up"));
    place(m_moveUp, 7920, 240, 450, 450);
    connect(m_moveUp, &QPushButton::clicked, this, &frmCompare::Command3_Click);
    m_moveDown
        = pictureButton(Frame1, "Command4", "go-down", QStyle::SP_ArrowDown, QString(), QStringLiteral("Move down"));
    place(m_moveDown, 8400, 240, 450, 450);
    connect(m_moveDown, &QPushButton::clicked, this, &frmCompare::Command4_Click);
}

void frmCompare::buildRPage()
{
    // Group R runs on the ticked models of List1.
    Frame2 = new CompareRFrame(List1, this);
}

void frmCompare::buildOptionsPage()
{
    Frame3 = new QFrame(this);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    struct Box {
        const char* caption;
        const char* text;
        int top;
    };
    const Box boxes[] = {{"Number of digits", "12", 360}, {"Statistics", "4", 1380},
                         {"Probability", "4", 1800}, {"Correlations", "3", 2220}};
    label(Frame3, QStringLiteral("Decimals for:"), 240, 960);
    for (int i = 0; i < 4; ++i) {
        label(Frame3, QLatin1String(boxes[i].caption), i == 0 ? 240 : 480, boxes[i].top + 45);
        auto* box = new QLineEdit(QLatin1String(boxes[i].text), Frame3);
        box->setObjectName(QStringLiteral("Text1_%1").arg(i));
        place(box, 2040, boxes[i].top, 735, 315);
        Text1[static_cast<std::size_t>(i)] = box;
    }
}

void frmCompare::buildCommandButtons()
{
    struct Button {
        const char* name;
        const char* caption;
        const char* tooltip;
        int left;
        void (frmCompare::*handler)();
    };
    const Button buttons[] = {
        {"Command10", "Save", "Save current dataset", 120, &frmCompare::Command10_Click},
        {"Command9", "Open", "Open a KVE file", 980, &frmCompare::Command9_Click},
        {"Command1", "Add", "Add a file", 2095, &frmCompare::Command1_Click},
        {"Command2", "Remove", "Remove a file", 2955, &frmCompare::Command2_Click},
        {"Command8", "Clear", "Remove all files", 3815, &frmCompare::Command8_Click},
        {"Command5", "Open", "Open selected file into KVE", 4930, &frmCompare::Command5_Click},
        {"Command6", "Calculate", "Submit for calculation", 5790, &frmCompare::Command6_Click},
        {"Command7", "Return", "Return", 8280, &frmCompare::Command7_Click},
    };
    for (const Button& b : buttons) {
        auto* button = new QPushButton(QLatin1String(b.caption), this);
        button->setObjectName(QLatin1String(b.name));
        button->setToolTip(QLatin1String(b.tooltip));
        place(button, b.left, 4920, 800, 800);
        widenToCaption(button);
        connect(button, &QPushButton::clicked, this, b.handler);
        m_commands.push_back(button);
    }
    // A caption wider than its button in the font in use widens it and moves
    // the buttons after it along; the window keeps "Return" clear of them.
    const int gap = twips(60);
    flowRow(std::vector<QWidget*>(m_commands.begin(), m_commands.end() - 1), gap);
    const QPushButton* last = m_commands[m_commands.size() - 2];
    setMinimumSize(std::max(twips(9300), last->x() + last->width() + gap + twips(1020)), twips(6300));
}

void frmCompare::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutControls();
}

void frmCompare::layoutControls()
{
    // At its smallest size (9300 x 6300 twips) everything is at its fixed
    // place; what a larger window gains goes to the pages and the file list.
    const int w = std::max(toTwips(width()), 9300);
    const int h = std::max(toTwips(height()), 6300);
    for (QWidget* frame : std::initializer_list<QWidget*>{Frame1, Frame2, Frame3})
        place(frame, 120, 600, w - 300, h - 2100);
    place(List1, 120, 720, w - 525, h - 3090);
    m_moveUp->move(twips(w - 1380), m_moveUp->y());
    m_moveDown->move(twips(w - 900), m_moveDown->y());
    for (QPushButton* button : m_commands)
        button->move(button == m_commands.back() ? twips(w - 1020) : button->x(), twips(h - 1380));
}

void frmCompare::Form_Load()
{
    ProgramState& state = programState();
    if (!state.CompareFileName.isEmpty() && state.BatchMode)
        Command9_Click();
    else
        state.CompareFileName.clear();
    const std::array<QWidget*, 3> frames{Frame1, Frame2, Frame3};
    for (QWidget* frame : frames)
        place(frame, 120, 600, 9000, 4200);
    showPage(0);
}

void frmCompare::showPage(int index)
{
    const std::array<QWidget*, 3> frames{Frame1, Frame2, Frame3};
    for (int i = 0; i < 3; ++i)
        frames[static_cast<std::size_t>(i)]->setVisible(i == index);
    frames[static_cast<std::size_t>(index)]->raise();
}

void frmCompare::Check1_Click(int index)
{
    if (m_switching)
        return;
    QPushButton* clicked = Check1[static_cast<std::size_t>(index)];
    // A click on the page shown already released its toggle: put it back.
    if (!clicked->isChecked()) {
        m_switching = true;
        clicked->setChecked(true);
        m_switching = false;
        return;
    }
    m_switching = true;
    for (int i = 0; i < 3; ++i)
        if (i != index)
            Check1[static_cast<std::size_t>(i)]->setChecked(false);
    m_switching = false;
    showPage(index);
    if (index == 1) {
        Command28_Click();
        Frame2->showRFolder();
    }
}

void frmCompare::Command28_Click()
{
    Frame2->Command28_Click();
}

// ---------------------------------------------------------------------------
// The file list

void frmCompare::appendFile(const QString& path, bool ticked)
{
    auto* item = new QListWidgetItem(path);
    item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    List1->addItem(item);
}

bool frmCompare::isListable(const QString& path)
{
    if (!KVECode::HoldsControlCharacter(path))
        return true;
    Platform::message(QStringLiteral("The file name '%1' holds a line break or another control character; a "
                                     "comparison file cannot keep it, so it is not listed.")
                          .arg(path),
                      MsgButtons::Ok, MsgIcon::Exclamation);
    return false;
}

bool frmCompare::contains(const QString& path) const
{
    for (int i = 0; i < List1->count(); ++i)
        if (List1->item(i)->text() == path)
            return true;
    return false;
}

std::vector<ModelComparison::ModelFile> frmCompare::tickedFiles() const
{
    std::vector<ModelComparison::ModelFile> files;
    for (int i = 0; i < List1->count(); ++i)
        if (List1->item(i)->checkState() == Qt::Checked)
            files.push_back({i + 1, List1->item(i)->text()});
    return files;
}

void frmCompare::setFileCountLabel()
{
    const int n = List1->count();
    Label1->setText(n >= 1 ? QStringLiteral("File names (%1 files)").arg(n) : QStringLiteral("File names"));
}

QString frmCompare::dialogFolder() const
{
    const ProgramState& state = programState();
    return !state.DataFolder.isEmpty() ? state.DataFolder : state.DocumentsFolder + QStringLiteral("/KVE Files");
}

QString frmCompare::proposedName() const
{
    return KVECode::GetFileName(programState().DataFileName);
}

QString frmCompare::proposedListName() const
{
    // The dataset's name with the list's own ending, so that accepting the
    // proposal never lands on the dataset itself.
    const QString name = proposedName();
    if (name.isEmpty())
        return name;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return (dot > 0 ? name.left(dot) : name) + QStringLiteral(".QCX");
}

void frmCompare::Command1_Click()
{
    FileDialogRequest request;
    request.title = QStringLiteral("Open dataset file");
    request.filter = DatasetFilter;
    request.filterIndex = 2;
    request.initialFolder = dialogFolder();
    const QStringList chosen = Platform::fileDialogs().chooseFiles(request);
    if (chosen.isEmpty())
        return;
    for (const QString& path : chosen)
        if (!contains(path) && isListable(path))
            appendFile(path, true);
    setFileCountLabel();
}

void frmCompare::Command2_Click()
{
    const int current = List1->currentRow();
    if (current >= 0)
        delete List1->takeItem(current);
    setFileCountLabel();
}

void frmCompare::Command8_Click()
{
    List1->clear();
    Label1->setText(QStringLiteral("File names"));
}

void frmCompare::Command3_Click()
{
    const int n = List1->count();
    const int current = List1->currentRow();
    if (n <= 1 || current < 0)
        return;
    // Only the texts move: ticks and the current position stay in place.
    if (current > 0) {
        const QString above = List1->item(current - 1)->text();
        List1->item(current - 1)->setText(List1->item(current)->text());
        List1->item(current)->setText(above);
    } else {
        const QString first = List1->item(0)->text();
        for (int i = 0; i < n - 1; ++i)
            List1->item(i)->setText(List1->item(i + 1)->text());
        List1->item(n - 1)->setText(first);
    }
}

void frmCompare::Command4_Click()
{
    const int n = List1->count();
    const int current = List1->currentRow();
    if (n <= 1 || current < 0)
        return;
    if (current < n - 1) {
        const QString below = List1->item(current + 1)->text();
        List1->item(current + 1)->setText(List1->item(current)->text());
        List1->item(current)->setText(below);
    } else {
        const QString last = List1->item(n - 1)->text();
        for (int i = n - 1; i > 0; --i)
            List1->item(i)->setText(List1->item(i - 1)->text());
        List1->item(0)->setText(last);
    }
}

void frmCompare::List1_OLEDragDrop(const QStringList& paths)
{
    for (const QString& path : paths)
        if (!contains(path) && isListable(path))
            appendFile(path, true);
    setFileCountLabel();
}

bool frmCompare::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_listViewport)
        return QWidget::eventFilter(watched, event);
    // A file list is taken as a copy, when the source offers copying.
    if (filterFileDrop(
            event,
            [](const QStringList& files, Qt::DropActions offered) {
                return !files.isEmpty() && (offered & Qt::CopyAction);
            },
            [this](const QStringList& files) { List1_OLEDragDrop(files); }))
        return true;
    return QWidget::eventFilter(watched, event);
}

void frmCompare::Command5_Click()
{
    QListWidgetItem* item = List1->currentItem();
    if (!item || item->text().isEmpty())
        return;
    frmMain* main = frmMain::instance();
    if (!main)
        return;
    ProgramState& state = programState();
    state.OpenRequestFile = item->text();
    state.BatchMode = true;
    main->CallLoad();
    QApplication::processEvents();
    state.OpenRequestFile.clear();
    state.BatchMode = false;
}

void frmCompare::Command7_Click()
{
    close();
}

// ---------------------------------------------------------------------------
// The comparison file

void frmCompare::Command10_Click()
{
    ProgramState& state = programState();
    if (!state.DataFileName.isEmpty())
        state.DataFolder = KVECode::GetFolderPath(state.DataFileName);
    FileDialogRequest request;
    request.save = true;
    request.title = QStringLiteral("Save as compare file");
    request.filter = ComparisonFilter;
    request.filterIndex = 2;
    request.initialFolder = dialogFolder();
    request.fileName = proposedListName();
    const QString name = Platform::chooseSaveFile(request);
    if (name.isEmpty())
        return;
    if (KVECode::FileExists(name)) {
        // A dataset is named as such: the list's lines would replace it.
        const bool dataset = DatasetFile::LoadFile(name, QStringLiteral("19"), 20).ok();
        const QString question
            = dataset ? QStringLiteral("The file '%1' is a KVE dataset. Do you want to replace the dataset by the "
                                       "list of files?")
                            .arg(name)
                      : QStringLiteral("The file '%1' already exists. Do you want to overwrite it?").arg(name);
        if (Platform::message(question, MsgButtons::YesNo, dataset ? MsgIcon::Exclamation : MsgIcon::None, QString(),
                              MsgAnswer::No)
            != MsgAnswer::Yes)
            return;
    }

    QList<ComparisonFile::Entry> entries;
    for (int i = 0; i < List1->count(); ++i)
        entries.append({List1->item(i)->checkState() == Qt::Checked, List1->item(i)->text()});
    WaitCursor wait;
    const QString error = ComparisonFile::save(name, entries);
    if (!error.isEmpty()) {
        NormalCursor normal;
        Platform::message(QStringLiteral("The comparison file '%1' could not be saved: %2").arg(name, error),
                          MsgButtons::Ok, MsgIcon::Critical);
        return;
    }
    state.CompareFileName = name;
}

void frmCompare::Command9_Click()
{
    m_openError.clear();
    ProgramState& state = programState();
    if (!state.DataFileName.isEmpty())
        state.DataFolder = KVECode::GetFolderPath(state.DataFileName);
    if (!state.CompareFileName.isEmpty())
        state.DataFolder = KVECode::GetFolderPath(state.CompareFileName);

    QString name;
    if (state.BatchMode) {
        name = state.CompareFileName;
    } else {
        FileDialogRequest request;
        request.title = QStringLiteral("Open compare file");
        request.filter = ComparisonFilter;
        request.filterIndex = 2;
        request.initialFolder = dialogFolder();
        request.fileName = proposedName();
        name = Platform::fileDialogs().choose(request);
    }
    if (name.isEmpty())
        return;

    // The whole file is read before anything changes: a file that cannot
    // be read leaves the list, the caption and CompareFileName as they were.
    const ComparisonFile::ParseResult read = ComparisonFile::load(name);
    if (!read.ok()) {
        m_openError = QStringLiteral("the comparison file '%1' could not be read: %2").arg(name, read.error);
        Platform::message(QStringLiteral("The comparison file '%1' could not be read: %2").arg(name, read.error),
                          MsgButtons::Ok, MsgIcon::Critical);
        return;
    }
    state.CompareFileName = name;
    setWindowTitle(ComparisonWindowCaption(name));
    List1->clear();
    // Listed files that no longer exist are left out without a word.
    for (const ComparisonFile::Entry& entry : *read.entries)
        if (KVECode::FileExists(entry.path))
            appendFile(entry.path, entry.ticked);
    setFileCountLabel();
    Command28_Click();
}

// ---------------------------------------------------------------------------
// The comparison

ModelComparison::ComparisonOptions frmCompare::reportOptions() const
{
    return ModelComparison::comparisonOptions(Text1[0]->text(), Text1[1]->text(), Text1[2]->text(),
                                              Text1[3]->text());
}

void frmCompare::Command6_Click()
{
    const std::vector<ModelComparison::ModelFile> ticked = tickedFiles();
    if (ticked.size() < 2) {
        Platform::message(QStringLiteral("At least two files have to be selected for comparison"), MsgButtons::Ok,
                          MsgIcon::Critical);
        return;
    }
    ModelComparison::Outcome outcome;
    {
        WaitCursor wait;
        outcome = ModelComparison::runComparison(ticked, reportOptions(), QDateTime::currentDateTime());
    }
    if (!outcome.report) {
        Platform::message(outcome.failure.text, MsgButtons::Ok, MsgIcon::Critical, outcome.failure.title);
        return;
    }
    frmInfo* report = frmInfo::showReport(ModelComparison::reportCaption(), *outcome.report);
    report->setSizeTwips(14500, toTwips(report->height()));
}

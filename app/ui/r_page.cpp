#include "ui/r_page.hpp"

#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>

#include <optional>

#include "core/dataset_file.hpp"
#include "core/kve_code.hpp"
#include "core/program_info.hpp"
#include "core/program_state.hpp"
#include "platform/platform_services.hpp"
#include "platform/process_runner.hpp"
#include "platform/system_info.hpp"
#include "ui/caption_fit.hpp"
#include "ui/frm_graph.hpp"
#include "ui/frm_info.hpp"
#include "ui/picture_button.hpp"

namespace {

const QString NoRFolder = QStringLiteral("R path not defined");

QString programFolder()
{
    return QCoreApplication::applicationDirPath();
}

MsgIcon toMsgIcon(RHost::Icon icon)
{
    switch (icon) {
    case RHost::Icon::Critical: return MsgIcon::Critical;
    case RHost::Icon::Question: return MsgIcon::Question;
    case RHost::Icon::Information: return MsgIcon::Information;
    case RHost::Icon::None: break;
    }
    return MsgIcon::None;
}

// The window around a run: the platform's boxes and dialogs, the results
// and picture windows, the desktop's opener.
class WindowHost : public RHost {
public:
    WindowHost(RPage& page, QWidget* window, QComboBox* templates)
        : m_page(page), m_window(window), m_templates(templates) {}
    ~WindowHost() override { setBusy(false); }

    void message(const QString& text, Icon icon, const QString& title) override
    {
        Pointer normal(m_busy);
        Platform::message(text, MsgButtons::Ok, toMsgIcon(icon), title);
    }
    void showConsole(const QString& text, const QString& title) override
    {
        Pointer normal(m_busy);
        Platform::consoleMessage(text, MsgIcon::Information, title);
    }
    bool question(const QString& text, const QString& title, bool defaultYes) override
    {
        Pointer normal(m_busy);
        return Platform::message(text, MsgButtons::YesNo, MsgIcon::Question, title,
                                 defaultYes ? MsgAnswer::Yes : MsgAnswer::No)
               == MsgAnswer::Yes;
    }
    QString chooseFile(const QString& title, const QString& initialFolder, const QString& filter,
                       int filterIndex) override
    {
        Pointer normal(m_busy);
        FileDialogRequest request;
        request.title = title;
        request.filter = filter;
        request.filterIndex = filterIndex;
        request.initialFolder = initialFolder;
        return Platform::fileDialogs().choose(request);
    }
    ProcessResult runProgram(const QString& program, const QStringList& arguments, const QString& folder,
                             bool capture) override
    {
        return runWithCancelBox(m_window, program, arguments, folder, capture);
    }
    void showText(const QString& caption, const QString& text) override { frmInfo::showReport(caption, text); }
    bool showPicture(const QString& path, const QString& caption) override
    {
        return frmGraph::showPicture(path, caption) != nullptr;
    }
    void openDocument(const QString& path) override { Platform::openDocument(path); }
    void setBusy(bool busy) override
    {
        if (busy == m_busy)
            return;
        m_busy = busy;
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    }
    void refreshLists() override { m_page.Command28_Click(); }
    void focusTemplates() override { m_templates->setFocus(); }

private:
    // The normal pointer over a box shown while the run keeps the hourglass.
    class Pointer {
    public:
        explicit Pointer(bool busy) : m_active(busy)
        {
            if (m_active)
                QApplication::setOverrideCursor(Qt::ArrowCursor);
        }
        ~Pointer()
        {
            if (m_active)
                QApplication::restoreOverrideCursor();
        }
        Pointer(const Pointer&) = delete;
        Pointer& operator=(const Pointer&) = delete;

    private:
        bool m_active;
    };

    RPage& m_page;
    QWidget* m_window;
    QComboBox* m_templates;
    bool m_busy = false;
};

QList<QListWidgetItem*> tickedItems(QListWidget* list)
{
    QList<QListWidgetItem*> items;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->checkState() == Qt::Checked)
            items << list->item(i);
    return items;
}

} // namespace

RHost::ProcessResult runWithCancelBox(QWidget* parent, const QString& program, const QStringList& arguments,
                                      const QString& folder, bool capture)
{
    QProgressDialog box(QStringLiteral("Running R..."), QStringLiteral("Cancel"), 0, 0, parent);
    box.setObjectName(QStringLiteral("RunningR"));
    box.setWindowTitle(ProgramName());
    box.setWindowModality(Qt::ApplicationModal);
    box.setMinimumDuration(0);
    box.setAutoClose(false);
    box.setAutoReset(false);

    ProcessRequest request;
    request.program = program;
    request.arguments = arguments;
    request.folder = folder;
    request.output = capture ? ProcessRequest::Output::Capture : ProcessRequest::Output::Drop;
    // Only the user stops R: Cancel and the box's close button (both end in
    // canceled() and the box's cancel()), or Escape (which rejects the
    // box). The box shows once R runs, and a box that is not on the screen
    // for any other reason is shown again: R never ends because a box went
    // away unasked.
    bool rejected = false;
    QObject::connect(&box, &QDialog::rejected, &box, [&rejected] { rejected = true; });
    request.cancelled = [&] {
        if (box.wasCanceled() || rejected)
            return true;
        if (!box.isVisible())
            box.show();
        return false;
    };
    const ProcessOutcome run = runProcess(request);

    RHost::ProcessResult result;
    result.started = run.started;
    result.error = run.error;
    result.cancelled = run.cancelled;
    result.abandoned = run.abandoned;
    result.crashed = run.crashed;
    result.exitCode = run.exitCode;
    // A stopped run's output is of no use to anybody.
    if (!run.cancelled && !run.abandoned)
        result.output = DatasetFile::decodeText(run.output);
    return result;
}

RPage::RPage(RVariant variant, const RPageControls& controls, QObject* parent)
    : QObject(parent)
    , m_variant(variant)
    , m_controls(controls)
{
}

QString RPage::outputFolder() const
{
    return RExchange::folderOf(namedFile ? namedFile() : QString());
}

void RPage::addButtons(QWidget* parent, QBoxLayout* row)
{
    // "R Script" and "Load R" carry captions; the others are picture
    // buttons, told by their tooltips.
    const struct {
        const char* name;
        const char* caption;
        const char* tooltip;
        const char* picture;
        QStyle::StandardPixmap fallback;
        void (RPage::*handler)();
    } buttons[] = {
        {"Command25", "R Script", "Submit R script", nullptr, {}, &RPage::Command25_Click},
        {"Command26", "", "Open", "document-open", QStyle::SP_DialogOpenButton, &RPage::Command26_Click},
        {"Command27", "", "Delete", "edit-delete", QStyle::SP_TrashIcon, &RPage::Command27_Click},
        {"Command33", "", "Check/uncheck all", "edit-select-all", QStyle::SP_DialogYesButton,
         &RPage::Command33_Click},
        {"Command32", "", "Edit template", "accessories-text-editor", QStyle::SP_FileIcon, &RPage::Command32_Click},
        {"Command29", "Load R", "Run R", nullptr, {}, &RPage::Command29_Click},
        {"Command31", "", "R path", "folder-open,document-open-folder", QStyle::SP_DirOpenIcon,
         &RPage::Command31_Click},
    };
    for (const auto& b : buttons) {
        QPushButton* button = b.picture
                                  ? pictureButton(parent, b.name, b.picture, b.fallback, QString(),
                                                  QLatin1String(b.tooltip))
                                  : new QPushButton(QLatin1String(b.caption), parent);
        button->setObjectName(QLatin1String(b.name));
        button->setToolTip(QLatin1String(b.tooltip));
        shrinkToCaption(button);
        row->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this, handler = b.handler] { (this->*handler)(); });
    }
}

void RPage::Command25_Click()
{
    const ProgramState& state = programState();
    RRunRequest request;
    request.variant = m_variant;
    request.templateName = m_controls.RFile->currentText();
    request.pictureChoice = m_controls.RGraph[0]->isChecked() ? 0 : m_controls.RGraph[1]->isChecked() ? 1 : 2;
    request.overwriteScript = m_controls.Check52->isChecked();
    request.showLog = m_controls.Check53->isChecked();
    request.openGraphics = m_controls.Check54->isChecked();
    request.openText = m_controls.Check55->isChecked();
    request.namedFile = namedFile ? namedFile() : QString();
    request.documentsFolder = state.DocumentsFolder;
    request.programFolder = programFolder();
    request.programFilesFolder = state.ProgramFilesFolder;
    if (gatherData)
        gatherData(request);
    WindowHost host(*this, m_controls.window, m_controls.RFile);
    runRScript(request, host);
}

void RPage::Command28_Click()
{
    const ProgramState& state = programState();
    m_controls.ROutputList->clear();
    const QString chosen = m_controls.RFile->currentText();
    const bool wasEmpty = m_controls.RFile->count() == 0;
    m_controls.RFile->clear();
    RExchange::ListRequest request;
    request.variant = m_variant;
    request.namedFile = namedFile ? namedFile() : QString();
    request.documentsFolder = state.DocumentsFolder;
    request.programFolder = programFolder();
    request.showAll = m_controls.showAll->isChecked();
    const RExchange::Lists lists = RExchange::listFiles(request);
    m_controls.RFile->addItems(lists.templates);
    // The chosen template stays chosen only under exactly its name. A list
    // that comes up shows its first template at once, ready for a run; one
    // that was chosen and has gone leaves none chosen.
    int index = chosen.isEmpty() ? -1 : int(lists.templates.indexOf(chosen));
    if (index < 0 && wasEmpty && !lists.templates.isEmpty())
        index = 0;
    m_controls.RFile->setCurrentIndex(index);
    for (const QString& name : lists.outputs) {
        auto* item = new QListWidgetItem(name, m_controls.ROutputList);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

void RPage::Command26_Click()
{
    const QString folder = outputFolder();
    bool ticked = false;
    bool pngMessageShown = false;
    for (QListWidgetItem* item : tickedItems(m_controls.ROutputList)) {
        ticked = true;
        if (folder.isEmpty())
            continue;
        const QString path = folder + item->text();
        const QString name = KVECode::GetFileName(path);
        switch (RExchange::entryType(path)) {
        case RExchange::EntryType::Script:
            if (QFileInfo(path).isFile())
                Platform::openInEditor(path);
            break;
        case RExchange::EntryType::Text:
            if (QFileInfo(path).isFile()) {
                QString error;
                if (const std::optional<QString> text = RExchange::readTextLines(path, error))
                    frmInfo::showReport(QStringLiteral("Results - ") + name, *text);
                else
                    Platform::message(error, MsgButtons::Ok, MsgIcon::Critical);
            }
            break;
        case RExchange::EntryType::Picture:
            if (QFileInfo(path).isFile() && !frmGraph::showPicture(path, QStringLiteral("Graphs - ") + name))
                Platform::message(QStringLiteral("'%1' cannot be read as a picture.").arg(path), MsgButtons::Ok,
                                  MsgIcon::Critical);
            break;
        case RExchange::EntryType::Png:
            if (!pngMessageShown)
                Platform::message(pngViewerMessage(), MsgButtons::Ok, MsgIcon::Critical);
            pngMessageShown = true;
            Platform::openDocument(path);
            break;
        case RExchange::EntryType::Other:
            break;
        }
    }
    if (!ticked)
        Platform::message(QStringLiteral("You have to check the files you would like to view"), MsgButtons::Ok,
                          MsgIcon::Information);
}

void RPage::Command27_Click()
{
    if (m_controls.ROutputList->count() == 0)
        return;
    if (Platform::message(QStringLiteral("Do you confirm deleting ALL selected files?"), MsgButtons::YesNo,
                          MsgIcon::Question, QStringLiteral("R Output"), MsgAnswer::Yes)
        != MsgAnswer::Yes)
        return;
    const QString folder = outputFolder();
    QStringList failed;
    for (QListWidgetItem* item : tickedItems(m_controls.ROutputList)) {
        if (folder.isEmpty())
            break;
        const QString path = folder + item->text();
        const QFileInfo info(path);
        if ((info.exists() || info.isSymLink()) && !QFile::remove(path))
            failed << path;
    }
    Command28_Click();
    if (!failed.isEmpty())
        Platform::message(QStringLiteral("These files could not be deleted:\r\n") + failed.join(QStringLiteral("\r\n")),
                          MsgButtons::Ok, MsgIcon::Exclamation, QStringLiteral("R Output"));
}

void RPage::Command33_Click()
{
    QListWidget* list = m_controls.ROutputList;
    if (list->count() == 0)
        return;
    const Qt::CheckState tick = list->item(0)->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked;
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setCheckState(tick);
}

void RPage::Command32_Click()
{
    const QString name = m_controls.RFile->currentText();
    if (name.isEmpty())
        return;
    const QString work = RExchange::findTemplate({RExchange::workFolder(programState().DocumentsFolder)}, name);
    if (!work.isEmpty())
        Platform::openInEditor(work);
    const QString shipped = RExchange::findTemplate({programFolder() + QLatin1Char('/')}, name);
    if (!shipped.isEmpty())
        Platform::openInEditor(shipped);
}

void RPage::Command29_Click()
{
    WindowHost host(*this, m_controls.window, m_controls.RFile);
    const QString folder
        = RProgram::locate(m_variant, RProgram::Console, programState().ProgramFilesFolder, host);
    if (folder.isEmpty())
        return;
    m_controls.Label22->setText(folder);
    const QString failure = startConsole(folder + RProgram::Console);
    if (!failure.isEmpty())
        Platform::message(failure, MsgButtons::Ok, MsgIcon::Critical);
}

void RPage::Command31_Click()
{
    WindowHost host(*this, m_controls.window, m_controls.RFile);
    const QString folder = RProgram::choosePath(m_variant, programState().ProgramFilesFolder, host);
    m_controls.Label22->setText(folder.isEmpty() ? NoRFolder : folder);
}

void RPage::showRFolder()
{
    const QString folder = RProgram::folderInUse(m_variant);
    m_controls.Label22->setText(RProgram::isRFolder(folder) ? folder : NoRFolder);
}

QString RPage::startConsole(const QString& rProgram)
{
    DesktopServices& desktop = desktopServices();
    const QStringList terminals = terminalPrograms();
    QStringList notStarted;
    for (const QString& name : terminals) {
        const QString terminal = desktop.findExecutable(name);
        if (terminal.isEmpty())
            continue;
        if (desktop.startProgram(terminal, {QStringLiteral("-e"), rProgram}))
            return QString();
        notStarted << terminal;
    }
    if (!notStarted.isEmpty())
        return QStringLiteral("R's console could not be opened: the terminal program%1 '%2' could not be started.")
            .arg(notStarted.size() > 1 ? QStringLiteral("s") : QString(), notStarted.join(QStringLiteral("', '")));
    return QStringLiteral("R's console could not be opened: no terminal program was found (looked for %1 on "
                          "the PATH).")
        .arg(terminals.join(QStringLiteral(", ")));
}

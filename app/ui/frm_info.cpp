#include "ui/frm_info.hpp"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>

#include "core/numbered_file.hpp"
#include "core/program_state.hpp"
#include "platform/platform_services.hpp"
#include "platform/user_folders.hpp"
#include "ui/colour_scheme.hpp"
#include "ui/picture_button.hpp"
#include "ui/report_text_view.hpp"
#include "ui/twips.hpp"
#include "ui/wait_cursor.hpp"

namespace {

QCheckBox* makeCheck(QWidget* parent, const char* name, const QString& caption, int left, int top)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    box->move(twips(left), twips(top));
    box->adjustSize();
    return box;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& tooltip, const char* themeNames,
                        QStyle::StandardPixmap fallback, int left, int top)
{
    QPushButton* button = pictureButton(parent, name, themeNames, fallback, QString(), tooltip);
    button->setGeometry(twips(left), twips(top), twips(400), twips(400));
    return button;
}

} // namespace

frmInfo::frmInfo(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmInfo"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Results"));

    TxtInfo = new ReportTextView(this);
    TxtInfo->setObjectName(QStringLiteral("TxtInfo"));
    TxtInfo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    TxtInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(9);
    TxtInfo->setFont(font);
    TxtInfo->setGeometry(twips(120), twips(120), twips(6615), twips(2650));

    Check1 = makeCheck(this, "Check1", QStringLiteral("Allow editing?"), 120, 3000);
    Check2 = makeCheck(this, "Check2", QStringLiteral("Auto saving name?"), 1680, 3000);
    Check3 = makeCheck(this, "Check3", QStringLiteral("Always on top?"), 3600, 3000);
    Check4 = makeCheck(this, "Check4", QStringLiteral("Ab"), 1560, 3420);
    Check4->setToolTip(QStringLiteral("Invert colors"));
    Check5 = makeCheck(this, "Check5", QStringLiteral("B"), 1080, 3420);
    Check5->setToolTip(QStringLiteral("Bold"));
    Auto = makeCheck(this, "Auto", QString(), 720, 6480);
    Auto->resize(twips(255), twips(255));
    Auto->hide();

    Command6_1 = makeButton(this, "Command6_1", QStringLiteral("Zoom in"), "zoom-in", QStyle::SP_ArrowUp, 120, 3420);
    Command6_0 = makeButton(this, "Command6_0", QStringLiteral("Zoom out"), "zoom-out", QStyle::SP_ArrowDown, 600,
                            3420);
    Command5 = makeButton(this, "Command5", QStringLiteral("Clean"), "edit-clear", QStyle::SP_LineEditClearButton,
                          3480, 3420);
    Command4 = makeButton(this, "Command4", QStringLiteral("Copy"), "edit-copy", QStyle::SP_FileLinkIcon, 3960, 3420);
    Command3 = makeButton(this, "Command3", QStringLiteral("Save"), "document-save", QStyle::SP_DialogSaveButton,
                          4440, 3420);
    Command20 = makeButton(this, "Command20", QStringLiteral("Edit with Notepad application"), "accessories-text-editor",
                           QStyle::SP_FileIcon, 4920, 3420);
    Command2 = makeButton(this, "Command2", QStringLiteral("Print"), "document-print", QStyle::SP_ComputerIcon, 5400,
                          3420);
    Command8 = makeButton(this, "Command8", QStringLiteral("Printer setup"), "document-page-setup,document-properties",
                          QStyle::SP_FileDialogDetailedView, 5880, 3420);
    Command1 = makeButton(this, "Command1", QStringLiteral("Return"), "go-previous", QStyle::SP_ArrowBack, 6360, 3420);

    connect(Check1, &QCheckBox::toggled, this, [this] { Check1_Click(); });
    connect(Check3, &QCheckBox::toggled, this, [this] { Check3_Click(); });
    connect(Check4, &QCheckBox::toggled, this, [this] { Check4_Click(); });
    connect(Check5, &QCheckBox::toggled, this, [this] { Check5_Click(); });
    connect(Auto, &QCheckBox::toggled, this, [this] { Auto_Click(); });
    connect(Command6_1, &QPushButton::clicked, this, [this] { Command6_Click(1); });
    connect(Command6_0, &QPushButton::clicked, this, [this] { Command6_Click(0); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command8, &QPushButton::clicked, this, [this] { Command8_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command20, &QPushButton::clicked, this, [this] { Command20_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });

    // The colour box always shows the scheme a click would give.
    Check4_Click();
    setMinimumSize(twips(7150), twips(4500));
    resize(twips(12900), twips(9100));
}

void frmInfo::setText(const QString& text)
{
    TxtInfo->setText(text);
}

void frmInfo::setUtf8(const QByteArray& utf8)
{
    TxtInfo->setUtf8(utf8);
}

QString frmInfo::text() const
{
    return TxtInfo->text();
}

void frmInfo::setSizeTwips(int width, int height)
{
    resize(twips(std::max(width, 7150)), twips(std::max(height, 4500)));
}

frmInfo* frmInfo::showReport(const QString& caption, const QString& text)
{
    return showReport(caption, text.toUtf8());
}

frmInfo* frmInfo::showReport(const QString& caption, const QByteArray& utf8)
{
    auto* window = new frmInfo();
    window->setWindowTitle(caption);
    window->setUtf8(utf8);
    window->show();
    return window;
}

void frmInfo::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutControls();
}

void frmInfo::layoutControls()
{
    if (isMinimized())
        return;
    // The window's measures in twips count its frame and caption bar; the
    // client area here is smaller by about that much.
    constexpr int FrameWidth = 120;
    constexpr int FrameHeight = 570;
    const int w = std::max(toTwips(width()), 7150) + FrameWidth;
    const int h = std::max(toTwips(height()), 4500) + FrameHeight;
    TxtInfo->setGeometry(twips(120), twips(120), twips(w - 540), twips(h - 1850));
    // The three boxes keep their usual lefts unless a caption would run
    // into the next box.
    int nextFree = 0;
    for (QCheckBox* box : {Check1, Check2, Check3}) {
        const int usualLeft = box == Check1 ? 120 : box == Check2 ? 1680 : 3600;
        const int left = std::max(twips(usualLeft), nextFree);
        box->move(left, twips(h - 1500));
        nextFree = left + box->sizeHint().width() + 8;
    }
    for (QWidget* control : std::initializer_list<QWidget*>{Command6_1, Command6_0, Check4, Check5, Command5,
                                                            Command4, Command3, Command20, Command2, Command8,
                                                            Command1})
        control->move(control->x(), twips(h - 1080));
    const std::pair<QWidget*, int> anchored[] = {{Command5, 3675}, {Command4, 3190}, {Command3, 2710},
                                                 {Command20, 2230}, {Command2, 1750}, {Command8, 1270},
                                                 {Command1, 790}};
    for (const auto& [control, offset] : anchored)
        control->move(twips(w - offset), control->y());
}

void frmInfo::Check1_Click()
{
    // The first edit puts the text into an editor: a long report takes a
    // moment.
    const bool firstEdit = Check1->isChecked() && !TxtInfo->editor();
    {
        WaitCursor wait;
        TxtInfo->setReadOnly(!Check1->isChecked());
    }
    if (firstEdit)
        Check4_Click();
}

void frmInfo::Check3_Click()
{
    const bool wasVisible = isVisible();
    const QRect geometry = this->geometry();
    setWindowFlag(Qt::WindowStaysOnTopHint, Check3->isChecked());
    if (wasVisible) {
        setGeometry(geometry);
        show();
    }
}

void frmInfo::Check4_Click()
{
    showColourScheme(TxtInfo, Check4, Check4->isChecked());
    if (TxtInfo->editor())
        showColourScheme(TxtInfo->editor(), Check4, Check4->isChecked());
}

void frmInfo::Check5_Click()
{
    QFont font = TxtInfo->font();
    font.setBold(Check5->isChecked());
    TxtInfo->setFont(font);
}

void frmInfo::Command6_Click(int index)
{
    QFont font = TxtInfo->font();
    const int size = font.pointSize() + (index == 1 ? 1 : -1);
    if (size < MinPointSize || size > MaxPointSize)
        return;
    font.setPointSize(size);
    TxtInfo->setFont(font);
}

void frmInfo::Command1_Click()
{
    close();
}

bool frmInfo::printText(const QString& errorTitle, bool withSetup, QString* failure)
{
    PrintJob job;
    job.text = text();
    job.fontFamily = QStringLiteral("Courier New");
    job.pointSize = 8;
    QString errorText;
    bool ok = true;
    {
        WaitCursor wait;
        if (withSetup) {
            job.settings.copies = 1;
            job.settings.landscape = false;
            ok = Platform::printer().setup(QStringLiteral("Printer"), job.settings, errorText);
        }
        if (ok)
            ok = Platform::printer().print(job, errorText);
    }
    if (!ok) {
        Platform::message(errorText, MsgButtons::Ok, MsgIcon::Critical, errorTitle);
        if (failure)
            *failure = errorText;
    }
    return ok;
}

void frmInfo::Command2_Click()
{
    printText(QStringLiteral("Info"), false);
}

void frmInfo::Command8_Click()
{
    // The print from the setup dialog leaves the user's clipboard alone.
    printText(QStringLiteral("Plot"), true);
}

void frmInfo::Command3_Click()
{
    saveText(nullptr);
}

bool frmInfo::saveText(QString* failure)
{
    const ProgramState& state = programState();
    const bool automatic = Check2->isChecked();
    QString path;
    QString folder;
    if (automatic) {
        folder = AutoSaveFolder(state.ResultsFolder, state.DataFileName, state.DocumentsFolder);
        if (failure)
            *failure = QStringLiteral("the report could not be saved in ") + folder;
    } else {
        FileDialogRequest request;
        request.save = true;
        request.title = QStringLiteral("Save");
        request.filter = QStringLiteral("All Files (*.*)|*.*|Text Files") + QStringLiteral("(*.TXT)|*.TXT");
        request.filterIndex = 2;
        // The user's own folders: the program's folder is not writable
        // once installed.
        request.initialFolder = state.ResultsFolder.isEmpty()
                                    ? DialogStartFolder(state.DataFileName, state.DocumentsFolder)
                                    : state.ResultsFolder;
        path = Platform::chooseSaveFile(request);
        if (path.isEmpty())
            return false;
        if (QFile::exists(path) && !Platform::askToOverwrite(path))
            return false;
        if (failure)
            *failure = QStringLiteral("the report could not be saved as ") + path;
    }
    QString errorText;
    bool ok;
    {
        WaitCursor wait;
        if (automatic) {
            const NewFile written = NumberedFile::writeNext(folder, QStringLiteral("Notes"), TxtInfo->utf8());
            path = written.path;
            errorText = written.error;
            ok = written.ok();
        } else {
            ok = NumberedFile::writeText(path, TxtInfo->utf8(), errorText);
        }
    }
    if (!ok) {
        Platform::message(errorText, MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Info"));
        if (failure)
            *failure += QStringLiteral(": ") + errorText;
        return false;
    }
    setWindowTitle(NumberedFile::savedCaption(m_tag, path));
    if (Auto->isChecked() && state.BatchMode && state.ShowResultsFlag)
        Platform::openInEditor(path);
    return true;
}

void frmInfo::Command20_Click()
{
    const ProgramState& state = programState();
    const QString folder = EditorFileFolder(state.DataFileName, state.DocumentsFolder);
    const NewFile written = NumberedFile::writeNext(folder, QStringLiteral("Results"), TxtInfo->utf8());
    if (written.ok())
        Platform::openInEditor(written.path);
}

void frmInfo::Command4_Click()
{
    {
        WaitCursor wait;
        Platform::clipboard().clear();
        Platform::clipboard().setText(text());
    }
    Platform::message(QStringLiteral("Information copied in the Clipboard"), MsgButtons::Ok, MsgIcon::Information);
}

void frmInfo::Command5_Click()
{
    if (Platform::message(QStringLiteral("Do you want to erase the current notes?"), MsgButtons::YesNo,
                          MsgIcon::Question)
        == MsgAnswer::Yes)
        TxtInfo->clear();
}

void frmInfo::Auto_Click()
{
    const ProgramState& state = programState();
    if (!Auto->isChecked() || !state.BatchMode)
        return;
    // The command line learns how each step went: a report that was not
    // saved or printed makes the run fail.
    if (state.SaveResultsFlag) {
        Check2->setChecked(true);
        QString failure;
        const bool saved = saveText(&failure);
        emit batchStepDone(BatchStep::Save, saved ? QString() : failure);
    }
    if (state.PrintResultsFlag) {
        QString failure;
        const bool printed = printText(QStringLiteral("Info"), false, &failure);
        emit batchStepDone(BatchStep::Print,
                           printed ? QString() : QStringLiteral("the report could not be printed: ") + failure);
    }
    if (state.ShowResultsFlag)
        close();
}

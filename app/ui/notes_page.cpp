#include "ui/notes_page.hpp"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QTextEdit>

#include "core/dataset_file.hpp"
#include "core/kve_code.hpp"
#include "core/numbered_file.hpp"
#include "core/program_state.hpp"
#include "platform/platform_services.hpp"
#include "platform/user_folders.hpp"
#include "ui/colour_scheme.hpp"
#include "ui/file_drop.hpp"
#include "ui/frm_main.hpp"

namespace {

const QString kTextFilter = QStringLiteral("All Files (*.*)|*.*|Text Files (*.TXT)|*.TXT");
// What a cancelled file dialog reports, as an error like any other.
const QString kCancelled = QStringLiteral("Cancel was selected.");

void showError(const QString& description)
{
    Platform::message(description, MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Info"));
}

} // namespace

NotesPage::NotesPage(frmMain& window)
    : QObject(&window)
    , m_window(window)
{
    setObjectName(QStringLiteral("NotesPage"));
    m_notes = window.findChild<QTextEdit*>(QStringLiteral("Notes"));
    m_invert = window.check(44);
    m_bold = window.check(45);
    connect(m_invert, &QCheckBox::toggled, this, &NotesPage::Check44_Click);
    connect(m_bold, &QCheckBox::toggled, this, &NotesPage::Check45_Click);
    const struct { const char* name; void (NotesPage::*handler)(); } buttons[] = {
        {"Command18_1", &NotesPage::Command18_Click}, {"Command19_2", &NotesPage::Command19_Click},
        {"Command16", &NotesPage::Command16_Click},   {"Command21", &NotesPage::Command21_Click},
        {"Command22", &NotesPage::Command22_Click},   {"Command20", &NotesPage::Command20_Click},
    };
    for (const auto& b : buttons)
        if (auto* button = window.findChild<QPushButton*>(QLatin1String(b.name))) {
            const auto handler = b.handler;
            connect(button, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
        }
    m_notes->setAcceptDrops(true);
    m_notesViewport = m_notes->viewport();
    m_notesViewport->installEventFilter(this);
    resetLook();
}

NotesPage* NotesPage::of(const frmMain& window)
{
    return window.findChild<NotesPage*>(QStringLiteral("NotesPage"), Qt::FindDirectChildrenOnly);
}

float NotesPage::fontSize() const
{
    return static_cast<float>(m_notes->font().pointSizeF());
}

void NotesPage::setFontSize(double size)
{
    QFont font = m_notes->font();
    font.setPointSizeF(std::clamp(size, MinFontSize, MaxFontSize));
    m_notes->setFont(font);
}

void NotesPage::resetLook()
{
    setFontSize(10);
    m_invert->setChecked(false);
    m_bold->setChecked(false);
    Check44_Click();
    Check45_Click();
}

void NotesPage::Check44_Click()
{
    showColourScheme(m_notes, m_invert, m_invert->isChecked());
}

void NotesPage::Check45_Click()
{
    QFont font = m_notes->font();
    font.setBold(m_bold->isChecked());
    m_notes->setFont(font);
}

void NotesPage::Command18_Click()
{
    setFontSize(m_notes->font().pointSizeF() + 1);
}

void NotesPage::Command19_Click()
{
    setFontSize(m_notes->font().pointSizeF() - 1);
}

void NotesPage::Command16_Click()
{
    if (Platform::message(QStringLiteral("Do you want to erase the current notes?"), MsgButtons::YesNo,
                          MsgIcon::Question)
        == MsgAnswer::Yes)
        m_notes->clear();
}

QString NotesPage::startFolder() const
{
    const ProgramState& state = programState();
    return DialogStartFolder(state.DataFileName, state.DocumentsFolder);
}

// The text-file dialog of the notes; cancelling it says so and gives "".
QString NotesPage::chooseTextFile(bool save, const QString& title)
{
    FileDialogRequest request;
    request.save = save;
    request.title = title;
    request.filter = kTextFilter;
    request.filterIndex = 2;
    request.initialFolder = startFolder();
    const QString path = save ? Platform::chooseSaveFile(request) : Platform::fileDialogs().choose(request);
    if (path.isEmpty())
        showError(kCancelled);
    return path;
}

void NotesPage::Command21_Click()
{
    const QString path = chooseTextFile(true, QStringLiteral("Save text file"));
    if (path.isEmpty())
        return;
    if (KVECode::FileExists(path) && !Platform::askToOverwrite(path))
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QString text = m_notes->toPlainText();
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    QString errorText;
    const bool written = NumberedFile::writeText(path, text, errorText);
    QApplication::restoreOverrideCursor();
    if (!written)
        showError(errorText);
}

bool NotesPage::readLines(const QString& path, QString& buffer, QString& errorText)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        errorText = file.errorString();
        return false;
    }
    QString text = DatasetFile::decodeText(file.readAll());
    if (file.error() != QFileDevice::NoError) {
        errorText = file.errorString();
        return false;
    }
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n')))
        text.append(QLatin1Char('\n'));
    buffer = text;
    return true;
}

void NotesPage::append(const QString& text)
{
    if (!text.isEmpty())
        m_notes->setPlainText(m_notes->toPlainText() + text);
}

void NotesPage::Command22_Click()
{
    const QString path = chooseTextFile(false, QStringLiteral("Open text file"));
    if (path.isEmpty())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QString buffer;
    QString errorText;
    const bool read = readLines(path, buffer, errorText);
    QApplication::restoreOverrideCursor();
    if (!read) {
        showError(errorText);
        return;
    }
    append(buffer);
}

void NotesPage::Command20_Click()
{
    // Errors are passed over: the editor simply does not open.
    const ProgramState& state = programState();
    const QString folder = EditorFileFolder(state.DataFileName, state.DocumentsFolder);
    QString text = m_notes->toPlainText();
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    const NewFile written = NumberedFile::writeNext(folder, QStringLiteral("Notes"), text);
    if (written.ok())
        Platform::openInEditor(written.path);
}

void NotesPage::Notes_OLEDragDrop(const QStringList& files)
{
    // Each file in drop order; one that cannot be read adds nothing.
    for (const QString& path : files) {
        QString buffer;
        QString errorText;
        if (readLines(path, buffer, errorText))
            append(buffer);
    }
}

bool NotesPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_notesViewport
        && filterFileDrop(
            event, [this](const QStringList& files, Qt::DropActions) { return Notes_OLEDragOver(files); },
            [this](const QStringList& files) { Notes_OLEDragDrop(files); }))
        return true;
    return QObject::eventFilter(watched, event);
}

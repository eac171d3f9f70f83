#include "ui/dataset_commands.hpp"

#include <QApplication>
#include <QListWidget>
#include <QTextEdit>

#include "core/kve_code.hpp"
#include "core/program_state.hpp"
#include "platform/platform_services.hpp"
#include "ui/data_sheet_page.hpp"
#include "ui/flex_grid.hpp"
#include "ui/frm_main.hpp"
#include "ui/notes_page.hpp"
#include "ui/wait_cursor.hpp"

using namespace DatasetFile;

namespace DatasetCommands {

namespace {

const QString kDatasetFilter = QStringLiteral("All Files (*.*)|*.*|KVE Files (*.KVE)|*.KVE");

QString workFolder()
{
    return programState().DocumentsFolder + QStringLiteral("/KVE Files");
}

// The first folder of the dataset dialogs.
QString dialogFolder()
{
    const ProgramState& state = programState();
    return state.DataFolder.isEmpty() ? workFolder() : state.DataFolder;
}

bool askOverwrite(const QString& path)
{
    return Platform::message(QStringLiteral("The file '") + path
                                 + QStringLiteral("' already exists. Do you want to overwrite it?"),
                             MsgButtons::YesNo, MsgIcon::None)
           == MsgAnswer::Yes;
}

void confirm(frmMain& window, bool Confirm, bool ConfirmBeep, bool ConfirmInfo, const QString& message,
             const QString& status)
{
    if (Confirm)
        Platform::message(message, MsgButtons::Ok, MsgIcon::Information);
    if (ConfirmBeep && !programState().NoSoundFlag)
        beeper()();
    if (ConfirmInfo)
        window.showStatusInfo(status);
}

void reportLoadError(const LoadError& error)
{
    Platform::message(error.text, MsgButtons::Ok, MsgIcon::Critical, error.title);
}

} // namespace

std::function<void()>& beeper()
{
    static std::function<void()> beep = [] { QApplication::beep(); };
    return beep;
}

DatasetState readWindow(frmMain& window)
{
    DatasetState s;
    s.options = window.gatherOptions();
    s.rowCountText = window.text1(TextBox::RowCount)->text();
    s.matrix = window.dataMatrix();
    // Data rows are the grid's; the matrix holds one spare row beyond them.
    if (s.matrix.upperRow() != window.grid()->rows())
        s.matrix.resize(window.grid()->rows());
    s.notes = NotesPage::of(window)->notes()->toPlainText();
    return s;
}

void applyContent(frmMain& window, const DatasetContent& content)
{
    applyContent(window, DatasetContent(content));
}

void applyContent(frmMain& window, DatasetContent&& content)
{
    for (const OptionSetting& setting : content.settings) {
        if (setting.index < 0) {
            // A line without a key: the only sign of it is a beep.
            if (!programState().NoSoundFlag)
                beeper()();
            continue;
        }
        window.applyOption(optionAt(setting.index), setting.value);
    }
    if (content.rowCountText) {
        window.text1(TextBox::RowCount)->setText(*content.rowCountText);
        window.Command9_Click();
    }
    if (content.hasData) {
        const int rows = static_cast<int>(content.rows.size());
        if (rows > window.grid()->rows() - 1) {
            // Only a file without "N=" asks for more rows than the sheet has.
            window.text1(TextBox::RowCount)->setText(QString::number(rows));
            window.Command9_Click();
        }
        // The rows read become the sheet's rows 1..rows as they are, and the
        // sheet learns of them in one reset.
        window.dataMatrix().takeRows(std::move(content.rows));
        window.sheet().resetSheet();
        window.grid()->fitColumnsAfresh();
    }
    NotesPage::of(window)->notes()->setPlainText(content.notes);
}

void clearCells(frmMain& window)
{
    FlexGrid* grid = window.grid();
    DataMatrix& matrix = window.dataMatrix();
    const DataCell empty = DataCell::fromText(QString());
    for (int r = 1; r < grid->rows() && r <= matrix.upperRow(); ++r)
        for (int c = 1; c < grid->cols() && c < DataMatrix::Columns; ++c)
            matrix.cell(c, r) = empty;
    window.showSheet();
    // The columns that the cleared dataset widened fit the empty sheet again.
    grid->fitColumnsAfresh();
}

bool LoadFile(frmMain& window, const QString& Filename, bool Confirm, bool ConfirmBeep, bool ConfirmInfo)
{
    LoadResult result;
    {
        WaitCursor wait;
        result = DatasetFile::LoadFile(Filename, window.text1(TextBox::RowCount)->text(), window.grid()->rows() - 1);
        if (result.ok())
            applyContent(window, std::move(*result.content));
    }
    if (!result.ok()) {
        reportLoadError(result.error);
        return false;
    }
    confirm(window, Confirm, ConfirmBeep, ConfirmInfo, QStringLiteral("File loaded successfully"),
            QStringLiteral("File loaded ..."));
    return true;
}

bool SaveFile(frmMain& window, const QString& Filename, bool Confirm, bool ConfirmBeep, bool ConfirmInfo)
{
    if (firstIncompleteRow(window.dataMatrix()) > 0
        && Platform::message(QStringLiteral("Empty rows were found in the dataset. Do you want to remove them?"),
                             MsgButtons::YesNo, MsgIcon::Critical)
               == MsgAnswer::Yes)
        window.RemoveEmptyRows();
    QString error;
    {
        WaitCursor wait;
        error = DatasetFile::SaveFile(Filename, readWindow(window));
    }
    if (!error.isEmpty()) {
        Platform::message(QStringLiteral("The file '%1' could not be saved: %2. The previous copy of the file "
                                         "is unchanged.").arg(Filename, error),
                          MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Save"));
        return false;
    }
    confirm(window, Confirm, ConfirmBeep, ConfirmInfo, QStringLiteral("File saved successfully"),
            QStringLiteral("File saved ..."));
    return true;
}

bool Command8_Click(frmMain& window)
{
    ProgramState& state = programState();
    if (!state.DataFileName.isEmpty())
        state.DataFolder = KVECode::GetFolderPath(state.DataFileName);
    QString file;
    if (state.BatchMode) {
        file = state.OpenRequestFile;
    } else {
        FileDialogRequest request;
        request.title = QStringLiteral("Open dataset file");
        request.filter = kDatasetFilter;
        request.filterIndex = 2;
        request.initialFolder = dialogFolder();
        file = Platform::fileDialogs().choose(request);
    }
    if (file.isEmpty())
        return true;

    // The file is read whole before anything changes: a refused file never
    // becomes the current one, and the sheet it would replace stays.
    LoadResult result;
    {
        WaitCursor wait;
        result = DatasetFile::LoadFile(file, window.text1(TextBox::RowCount)->text(), window.grid()->rows() - 1);
    }
    bool loaded = false;
    if (result.ok()) {
        state.DataFileName = file;
        window.setWindowTitle(mainCaption(file));
        state.DataFolder = KVECode::GetFolderPath(file);
        clearCells(window);
        {
            WaitCursor wait;
            applyContent(window, std::move(*result.content));
        }
        confirm(window, false, true, true, QString(), QStringLiteral("File loaded ..."));
        loaded = true;
    } else {
        reportLoadError(result.error);
    }
    window.Command28_Click();
    return loaded;
}

bool Command1_Click(frmMain& window)
{
    const QString file = programState().DataFileName;
    if (file.isEmpty())
        return Command17_Click(window);
    if (KVECode::FileExists(file) && !askOverwrite(file))
        return false;
    window.setWindowTitle(mainCaption(file));
    return SaveFile(window, file, false, true, true);
}

bool Command17_Click(frmMain& window)
{
    ProgramState& state = programState();
    if (!state.DataFileName.isEmpty())
        state.DataFolder = KVECode::GetFolderPath(state.DataFileName);
    FileDialogRequest request;
    request.save = true;
    request.title = QStringLiteral("Save as dataset file");
    request.filter = kDatasetFilter;
    request.filterIndex = 2;
    request.initialFolder = dialogFolder();
    request.fileName = KVECode::GetFileName(state.DataFileName);
    const QString file = Platform::chooseSaveFile(request);
    if (file.isEmpty())
        return false;
    // The caption names the chosen file only once the dataset is in it.
    const QString previousCaption = window.windowTitle();
    const QString previousFile = state.DataFileName;
    window.setWindowTitle(mainCaption(file));
    if (KVECode::FileExists(file) && !askOverwrite(file)) {
        window.setWindowTitle(previousCaption);
        return false;
    }
    state.DataFileName = file;
    if (!SaveFile(window, file, true, false, false)) {
        state.DataFileName = previousFile;
        window.setWindowTitle(previousCaption);
        return false;
    }
    return true;
}

void Command5_Click(frmMain& window)
{
    if (Platform::message(QStringLiteral("Do you want clear the dataset?"), MsgButtons::YesNo, MsgIcon::None)
        == MsgAnswer::Yes) {
        clearCells(window);
        NotesPage* notes = NotesPage::of(window);
        notes->notes()->clear();
        // The toggles follow the plain look, so that the next save keeps it.
        notes->resetLook();
    }
    // Either answer leaves a dataset without a name, as the caption shows:
    // the report calls it untitled and Save asks for a name, so that the
    // file it came from is never replaced by one Yes. The dialogs still
    // open in its folder.
    ProgramState& state = programState();
    if (!state.DataFileName.isEmpty()) {
        state.DataFolder = KVECode::GetFolderPath(state.DataFileName);
        state.DataFileName.clear();
    }
    window.setWindowTitle(mainCaption());
    if (auto* list = window.findChild<QListWidget*>(QStringLiteral("ROutputList")))
        list->clear();
}

void Command4_Click(frmMain& window)
{
    FileDialogRequest request;
    request.title = QStringLiteral("Open Text File");
    request.filter = QStringLiteral("All Files (*.*)|*.*|KVE Files (*.KVE)|*.KVE|Text Files (*.TXT)|*.TXT");
    request.filterIndex = 2;
    request.initialFolder = workFolder();
    const QString path = Platform::fileDialogs().choose(request);
    if (KVECode::FileExists(path))
        Platform::openInEditor(path);
}

} // namespace DatasetCommands

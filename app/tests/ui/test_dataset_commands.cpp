// The dataset commands and the notes page on the main window, with scripted
// dialogs and message boxes.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <QListWidget>
#include <QRadioButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTextEdit>

#include <memory>

#include "core/dataset_file.hpp"
#include "core/program_info.hpp"
#include "core/program_state.hpp"
#include "support/scripted_platform_services.hpp"
#include "support/top_level_windows.hpp"
#include "ui/dataset_commands.hpp"
#include "ui/flex_grid.hpp"
#include "ui/frm_about.hpp"
#include "ui/frm_info.hpp"
#include "ui/frm_main.hpp"
#include "ui/notes_page.hpp"

using namespace DatasetFile;

namespace {

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The texts of the results windows that `command` opened, one after the
// other (the residual analysis has a window of its own).
QString textOfReportsOpenedBy(const std::function<void()>& command)
{
    QSet<QWidget*> before;
    for (QWidget* w : QApplication::topLevelWidgets())
        before.insert(w);
    command();
    QString report;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* info = qobject_cast<frmInfo*>(w); info && !before.contains(w))
            report += info->text();
    return report;
}

class DatasetCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetProgramState();
        programState().DocumentsFolder = m_dir.path();
        QDir(m_dir.path()).mkpath(QStringLiteral("KVE Files"));
        m_platform = std::make_unique<ScriptedPlatform>(m_dir.path());
        DatasetCommands::beeper() = [this] { ++beeps; };
        window = std::make_unique<frmMain>();
    }
    void TearDown() override
    {
        window.reset();
        m_platform.reset();
    }

    QString path(const QString& name) const { return m_dir.filePath(name); }
    ScriptedMessageService& messages() { return m_platform->messages; }
    ScriptedFileDialogService& dialogs() { return m_platform->fileDialogs; }
    QTextEdit* notes() { return window->findChild<QTextEdit*>(QStringLiteral("Notes")); }
    // The colour of most of a control's pixels as it is drawn: its
    // background, whatever way it was coloured.
    static QColor background(QWidget* widget)
    {
        const QImage image = widget->grab().toImage();
        std::map<QRgb, int> counts;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                ++counts[image.pixel(x, y) | 0xff000000u];
        const auto most = std::max_element(counts.begin(), counts.end(),
                                           [](const auto& a, const auto& b) { return a.second < b.second; });
        return most == counts.end() ? QColor() : QColor(most->first);
    }
    static QColor blue() { return QColor(0, 0, 255); }
    static QColor white() { return QColor(255, 255, 255); }
    NotesPage& page() { return *NotesPage::of(*window); }
    QString cell(int c, int r) { return window->dataMatrix().cell(c, r).text(); }
    void typeCell(int c, int r, const QString& text)
    {
        window->dataMatrix().setText(c, r, text);
        window->MatrixTOGrid(r, c);
    }
    bool asked(const QString& text) const
    {
        for (const MessageRequest& m : m_platform->messages.asked)
            if (m.text == text)
                return true;
        return false;
    }
    // Opens `file` as the Open button does, with the dialog answering it.
    bool open(const QString& file)
    {
        dialogs().answers.push_back(file);
        return DatasetCommands::Command8_Click(*window);
    }
    bool saveAs(const QString& file)
    {
        dialogs().answers.push_back(file);
        messages().answers.push_back(MsgAnswer::No);   // keep empty rows, if asked
        return DatasetCommands::Command17_Click(*window);
    }

    std::unique_ptr<frmMain> window;
    int beeps = 0;

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ScriptedPlatform> m_platform;
};

// A file with every option away from its start state, typed data and notes.
QByteArray everythingChangedFile()
{
    DatasetState s;
    for (int i = 0; i < OptionCount; ++i) {
        const OptionKey& k = optionKeys()[i];
        switch (k.form) {
        case OptionForm::CheckState: s.options[i] = std::get<int>(s.options[i]) == 1 ? 0 : 1; break;
        case OptionForm::Flag:
            if (k.group == OptionGroup::None)
                s.options[i] = !std::get<bool>(s.options[i]);
            break;
        case OptionForm::Text: s.options[i] = QStringLiteral("%1.25").arg(i); break;
        case OptionForm::Format: s.options[i] = QStringLiteral("0.0#%1").arg(i); break;
        case OptionForm::Size: s.options[i] = 12.5f; break;
        }
    }
    for (const char* key : {"ROBUSTR", "HIST_PLOT_SEPARATE", "HIST_STEP", "R_GraphPNG"})
        applyOption(s.options, findOptionKey(QLatin1String(key)), true);
    s.options[findOptionKey(QStringLiteral("ADD_COMMENT"))] = 2;   // a grey box
    // The confidence box and the deviation limits exclude each other.
    s.options[findOptionKey(QStringLiteral("DEVIATION_LOWER"))] = QStringLiteral("0");
    s.options[findOptionKey(QStringLiteral("DEVIATION_UPPER"))] = QStringLiteral("0");
    s.rowCountText = QStringLiteral("25");
    s.matrix.resize(26);
    for (int r = 1; r <= 25; ++r) {
        s.matrix.setText(1, r, QString::number(r * 0.75));
        s.matrix.setText(3, r, QString::number(r * 0.5 + 1));
        s.matrix.setText(2, r, QStringLiteral("0.2"));
    }
    s.matrix.setText(7, 7, QStringLiteral("Y"));
    s.notes = QStringLiteral("Field trial, \"plot B\".\n\nSecond paragraph.");
    return formatDataset(s);
}

} // namespace

TEST_F(DatasetCommandsTest, FreshWindowSavesTheDefaultsFile)
{
    ASSERT_TRUE(saveAs(path(QStringLiteral("Defaults.KVE"))));
    QFile fixture(QStringLiteral(KVE_SOURCE_DIR "/app/tests/core/dataset_file_data/defaults.KVE"));
    ASSERT_TRUE(fixture.open(QIODevice::ReadOnly));
    EXPECT_EQ(readBytes(path(QStringLiteral("Defaults.KVE"))).toStdString(), fixture.readAll().toStdString());
    EXPECT_TRUE(asked(QStringLiteral("Empty rows were found in the dataset. Do you want to remove them?")));
    EXPECT_TRUE(asked(QStringLiteral("File saved successfully")));
    EXPECT_EQ(programState().DataFileName, path(QStringLiteral("Defaults.KVE")));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("KVE v. 3.1.0 - Defaults.KVE"));
    ASSERT_EQ(dialogs().asked.size(), 1u);
    const FileDialogRequest& d = dialogs().asked[0];
    EXPECT_TRUE(d.save);
    EXPECT_EQ(d.title, QStringLiteral("Save as dataset file"));
    EXPECT_EQ(d.filter, QStringLiteral("All Files (*.*)|*.*|KVE Files (*.KVE)|*.KVE"));
    EXPECT_EQ(d.filterIndex, 2);
    EXPECT_EQ(d.initialFolder, path(QStringLiteral("KVE Files")));
    EXPECT_EQ(d.fileName, QString());
}

TEST_F(DatasetCommandsTest, EverythingComesBackAndSavesByteIdentical)
{
    const QByteArray original = everythingChangedFile();
    writeBytes(path(QStringLiteral("Trial.KVE")), original);
    ASSERT_TRUE(open(path(QStringLiteral("Trial.KVE"))));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("KVE v. 3.1.0 - Trial.KVE"));
    EXPECT_EQ(window->grid()->rows(), 26);
    EXPECT_EQ(cell(1, 25), QStringLiteral("18.75"));
    EXPECT_TRUE(window->findChild<QRadioButton*>(QStringLiteral("Option1_2"))->isChecked());
    EXPECT_EQ(window->check(13)->checkState(), Qt::PartiallyChecked);
    EXPECT_TRUE(window->check(44)->isChecked());
    EXPECT_EQ(background(notes()->viewport()), blue());
    EXPECT_TRUE(notes()->font().bold());
    EXPECT_EQ(notes()->font().pointSizeF(), 12.5);
    EXPECT_EQ(notes()->toPlainText(), QStringLiteral("Field trial, \"plot B\".\n\nSecond paragraph."));
    EXPECT_TRUE(programState().NoSoundFlag);
    EXPECT_FALSE(programState().ResidueSelection[1]);
    EXPECT_TRUE(programState().ResidueSelection[6]);
    EXPECT_EQ(beeps, 0);                                   // "No sound" came with the file

    // Saved again (Save asks before overwriting the named file): the same bytes.
    messages().answers = {MsgAnswer::Yes};
    ASSERT_TRUE(DatasetCommands::Command1_Click(*window));
    EXPECT_EQ(readBytes(path(QStringLiteral("Trial.KVE"))).toStdString(), original.toStdString());
    EXPECT_EQ(messages().asked.front().text, QStringLiteral("The file '") + path(QStringLiteral("Trial.KVE"))
                                                 + QStringLiteral("' already exists. Do you want to overwrite it?"));

    // And in a window started afresh, as after quitting the program.
    window = std::make_unique<frmMain>();
    resetProgramState();
    programState().DocumentsFolder = path(QString());
    ASSERT_TRUE(open(path(QStringLiteral("Trial.KVE"))));
    ASSERT_TRUE(saveAs(path(QStringLiteral("Again.KVE"))));
    EXPECT_EQ(readBytes(path(QStringLiteral("Again.KVE"))).toStdString(), original.toStdString());
}

TEST_F(DatasetCommandsTest, RefusedFileLeavesTheCurrentDatasetAlone)
{
    writeBytes(path(QStringLiteral("Good.KVE")), everythingChangedFile());
    ASSERT_TRUE(open(path(QStringLiteral("Good.KVE"))));
    const QString caption = window->windowTitle();
    const QByteArray goodBytes = readBytes(path(QStringLiteral("Good.KVE")));

    struct Case { const char* name; QByteArray bytes; const char* says; };
    const Case cases[] = {
        {"Old.KVE", "1,5,0\r\nN=3\r\nDATA:\r\n", "The version of this file is not compatible"},
        {"Cut.KVE", "3,1,0\r\nN=5\r\nDATA:\r\n1,,2,,,,\r\n", "ends after 1 of its 5 data rows"},
        {"Binary.KVE", QByteArray("\x89PNG\r\n\x1a\n\0\0\0", 12), "not a text file"},
        {"Huge.KVE", "3,1,0\r\nN=50000000\r\nDATA:\r\n", "is not valid"},
        {"Missing.KVE", QByteArray(), "could not be loaded"},
    };
    for (const Case& c : cases) {
        const QString file = path(QLatin1String(c.name));
        if (!c.bytes.isEmpty())
            writeBytes(file, c.bytes);
        messages().asked.clear();
        EXPECT_FALSE(open(file)) << c.name;
        ASSERT_EQ(messages().asked.size(), 1u) << c.name;
        EXPECT_EQ(messages().asked[0].title, QStringLiteral("Load")) << c.name;
        EXPECT_EQ(messages().asked[0].icon, MsgIcon::Critical) << c.name;
        EXPECT_TRUE(messages().asked[0].text.contains(QLatin1String(c.says)))
            << c.name << ": " << messages().asked[0].text.toStdString();
        EXPECT_EQ(programState().DataFileName, path(QStringLiteral("Good.KVE"))) << c.name;
        EXPECT_EQ(window->windowTitle(), caption) << c.name;
        EXPECT_EQ(cell(1, 25), QStringLiteral("18.75")) << c.name;
        EXPECT_EQ(window->grid()->rows(), 26) << c.name;
    }
    // A later Save still writes the good file with the good dataset.
    messages().answers = {MsgAnswer::Yes};
    ASSERT_TRUE(DatasetCommands::Command1_Click(*window));
    EXPECT_EQ(readBytes(path(QStringLiteral("Good.KVE"))), goodBytes);
}

TEST_F(DatasetCommandsTest, BatchRoadsOpenWithoutDialogOrBox)
{
    DatasetState a;
    a.matrix.setText(1, 1, QStringLiteral("first"));
    DatasetState b;
    b.matrix.setText(1, 1, QStringLiteral("second"));
    ASSERT_EQ(SaveFile(path(QStringLiteral("A.KVE")), a), QString());
    ASSERT_EQ(SaveFile(path(QStringLiteral("B.KVE")), b), QString());

    // Two files dropped on the sheet: both load in turn, the second stays.
    window->FG2_OLEDragDrop({path(QStringLiteral("A.KVE")), path(QStringLiteral("B.KVE"))});
    EXPECT_EQ(cell(1, 1), QStringLiteral("second"));
    EXPECT_EQ(programState().DataFileName, path(QStringLiteral("B.KVE")));
    EXPECT_FALSE(programState().BatchMode);
    EXPECT_TRUE(dialogs().asked.empty());
    EXPECT_TRUE(messages().asked.empty());
    EXPECT_EQ(beeps, 2);
    auto* status = window->findChild<QLabel*>(QStringLiteral("Label16"));
    EXPECT_FALSE(status->isHidden());
    EXPECT_EQ(status->text(), QStringLiteral("File loaded ..."));

    // The comparison window's road.
    programState().BatchMode = true;
    programState().OpenRequestFile = path(QStringLiteral("A.KVE"));
    window->CallLoad();
    programState().BatchMode = false;
    EXPECT_EQ(cell(1, 1), QStringLiteral("first"));

    // The window's LoadFile with every confirmation; it names no file.
    beeps = 0;
    ASSERT_TRUE(DatasetCommands::LoadFile(*window, path(QStringLiteral("B.KVE")), true, true, false));
    EXPECT_EQ(cell(1, 1), QStringLiteral("second"));
    ASSERT_EQ(messages().asked.size(), 1u);
    EXPECT_EQ(messages().asked[0].text, QStringLiteral("File loaded successfully"));
    EXPECT_EQ(messages().asked[0].icon, MsgIcon::Information);
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(programState().DataFileName, path(QStringLiteral("A.KVE")));

    // A cancelled dialog changes nothing.
    dialogs().answers.clear();
    EXPECT_TRUE(DatasetCommands::Command8_Click(*window));
    EXPECT_EQ(programState().DataFileName, path(QStringLiteral("A.KVE")));
    EXPECT_EQ(cell(1, 1), QStringLiteral("second"));
    EXPECT_EQ(dialogs().asked.back().title, QStringLiteral("Open dataset file"));
    EXPECT_EQ(dialogs().asked.back().filterIndex, 2);
    EXPECT_EQ(dialogs().asked.back().initialFolder, path(QString()) + QLatin1Char('/'));
}

TEST_F(DatasetCommandsTest, OptionLinesWithoutKeyBeepUnlessSilenced)
{
    struct Case { QByteArray options; int beeps; };
    const Case cases[] = {
        {"LSM=True\r\n\r\n=5\r\n", 3},           // two lines without key and the closing beep
        {"NoSound= 1\r\n\r\n=5\r\n", 0},         // silenced by an earlier line
        {"\r\nNoSound= 1\r\n", 1},               // the blank line came first
    };
    for (const Case& c : cases) {
        window->check(50)->setChecked(false);
        beeps = 0;
        writeBytes(path(QStringLiteral("Beep.KVE")), "3,1,0\r\n" + c.options + "N=3\r\nDATA:\r\n,,,,,,\r\n,,,,,,\r\n,,,,,,\r\n");
        ASSERT_TRUE(open(path(QStringLiteral("Beep.KVE"))));
        EXPECT_EQ(beeps, c.beeps) << c.options.toStdString();
    }
}

TEST_F(DatasetCommandsTest, SaveQuestionsAndFailures)
{
    // No file named: Save is Save As; the caption names the file.
    typeCell(1, 1, QStringLiteral("1"));
    typeCell(3, 1, QStringLiteral("2"));
    dialogs().answers.push_back(path(QStringLiteral("S.KVE")));
    messages().answers = {MsgAnswer::No};
    ASSERT_TRUE(DatasetCommands::Command1_Click(*window));
    EXPECT_EQ(dialogs().asked.back().title, QStringLiteral("Save as dataset file"));
    const QByteArray saved = readBytes(path(QStringLiteral("S.KVE")));

    // Overwrite refused: the file stays as it was.
    typeCell(1, 1, QStringLiteral("changed"));
    messages().answers = {MsgAnswer::No};
    EXPECT_FALSE(DatasetCommands::Command1_Click(*window));
    EXPECT_EQ(readBytes(path(QStringLiteral("S.KVE"))), saved);

    // Save As onto another existing file, answered No: nothing is renamed.
    writeBytes(path(QStringLiteral("Other.KVE")), "keep");
    dialogs().answers.push_back(path(QStringLiteral("Other.KVE")));
    messages().answers = {MsgAnswer::No};
    EXPECT_FALSE(DatasetCommands::Command17_Click(*window));
    EXPECT_EQ(readBytes(path(QStringLiteral("Other.KVE"))), QByteArray("keep"));
    EXPECT_EQ(programState().DataFileName, path(QStringLiteral("S.KVE")));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("KVE v. 3.1.0 - S.KVE"));
    EXPECT_EQ(dialogs().asked.back().fileName, QStringLiteral("S.KVE"));

    // A save that cannot be written is reported; the current file stays named.
    messages().asked.clear();
    dialogs().answers.push_back(path(QStringLiteral("no/such/folder/X.KVE")));
    messages().answers = {MsgAnswer::No};
    EXPECT_FALSE(DatasetCommands::Command17_Click(*window));
    EXPECT_EQ(programState().DataFileName, path(QStringLiteral("S.KVE")));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("KVE v. 3.1.0 - S.KVE"));
    ASSERT_FALSE(messages().asked.empty());
    EXPECT_EQ(messages().asked.back().title, QStringLiteral("Save"));
    EXPECT_TRUE(messages().asked.back().text.contains(QStringLiteral("could not be saved")));
    EXPECT_FALSE(asked(QStringLiteral("File saved successfully")));
}

TEST_F(DatasetCommandsTest, EmptyRowsQuestionComesOnceAndYesRemovesThem)
{
    window->text1(0)->setText(QStringLiteral("5"));
    window->Command9_Click();
    const char* xs[] = {"1", "", "3", "4", "5"};
    for (int r = 1; r <= 5; ++r) {
        typeCell(1, r, QLatin1String(xs[r - 1]));
        typeCell(3, r, r == 4 ? QString() : QStringLiteral("9"));
    }
    dialogs().answers.push_back(path(QStringLiteral("E.KVE")));
    messages().answers = {MsgAnswer::Yes};
    ASSERT_TRUE(DatasetCommands::Command17_Click(*window));
    int questions = 0;
    for (const MessageRequest& m : messages().asked)
        questions += m.text.startsWith(QStringLiteral("Empty rows were found"));
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(window->grid()->rows(), 4);                 // rows 1, 3 and 5 remain
    const LoadResult r = LoadFile(path(QStringLiteral("E.KVE")), QStringLiteral("19"), 19);
    ASSERT_TRUE(r.ok());
    ASSERT_EQ(r.content->rows.size(), 3u);
    EXPECT_EQ(r.content->rows[1][0].text(), QStringLiteral("3"));
}

TEST_F(DatasetCommandsTest, NewClearsOnYesAndAlwaysDropsTheFileName)
{
    writeBytes(path(QStringLiteral("N.KVE")), everythingChangedFile());
    ASSERT_TRUE(open(path(QStringLiteral("N.KVE"))));
    auto* outputs = window->findChild<QListWidget*>(QStringLiteral("ROutputList"));

    outputs->addItem(QStringLiteral("x_text1.TXT"));
    messages().answers = {MsgAnswer::No};
    DatasetCommands::Command5_Click(*window);
    EXPECT_EQ(messages().asked.back().text, QStringLiteral("Do you want clear the dataset?"));
    EXPECT_EQ(cell(1, 25), QStringLiteral("18.75"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("KVE v. 3.1.0"));
    EXPECT_EQ(outputs->count(), 0);

    messages().answers = {MsgAnswer::Yes};
    DatasetCommands::Command5_Click(*window);
    EXPECT_TRUE(cell(1, 25).isEmpty());
    EXPECT_TRUE(window->grid()->textMatrix(25, 1).isEmpty());
    EXPECT_EQ(window->grid()->rows(), 26);                // the row count stays
    EXPECT_TRUE(notes()->toPlainText().isEmpty());
    EXPECT_EQ(notes()->font().pointSizeF(), 10.0);
    EXPECT_FALSE(notes()->font().bold());
    EXPECT_FALSE(window->check(44)->isChecked());
    EXPECT_EQ(background(notes()->viewport()), white());
    EXPECT_EQ(background(window->check(44)), blue());
    EXPECT_TRUE(window->findChild<QRadioButton*>(QStringLiteral("Option1_2"))->isChecked());   // options stay
    EXPECT_TRUE(programState().DataFileName.isEmpty());
}

TEST_F(DatasetCommandsTest, AfterNewTheDatasetHasNoName)
{
    // A dataset opened, then New with either answer: the report calls the
    // dataset untitled, and Save asks for a name in the dataset's folder
    // as Save As does, never offering to replace the file it came from.
    DatasetState s;
    s.rowCountText = QStringLiteral("3");
    s.matrix.resize(4);
    for (int r = 1; r <= 3; ++r) {
        s.matrix.setText(1, r, QString::number(r));
        s.matrix.setText(3, r, QString::number(r * 1.5));
    }
    const QByteArray original = formatDataset(s);
    QDir(path(QString())).mkpath(QStringLiteral("trials"));
    const QString file = path(QStringLiteral("trials/crop_yield.KVE"));
    for (MsgAnswer answer : {MsgAnswer::No, MsgAnswer::Yes}) {
        writeBytes(file, original);
        ASSERT_TRUE(open(file));
        messages().answers = {answer};
        DatasetCommands::Command5_Click(*window);
        for (int r = 1; r <= 3; ++r) {
            typeCell(1, r, QString::number(r + 10));
            typeCell(3, r, QString::number(r * 2 + 10));
        }
        const QString report = textOfReportsOpenedBy([this] { window->Command6_Click(); });
        const QString header = report.section(QStringLiteral("\r\n"), 0, 0);
        EXPECT_TRUE(header.contains(QStringLiteral("[UNTITLED]"))) << header.toStdString();
        EXPECT_FALSE(report.contains(QStringLiteral("crop_yield"))) << header.toStdString();

        messages().asked.clear();
        const std::size_t dialogsBefore = dialogs().asked.size();
        dialogs().answers.push_back(path(QStringLiteral("trials/new trial.KVE")));
        ASSERT_TRUE(DatasetCommands::Command1_Click(*window));
        ASSERT_EQ(dialogs().asked.size(), dialogsBefore + 1);
        EXPECT_EQ(dialogs().asked.back().title, QStringLiteral("Save as dataset file"));
        EXPECT_EQ(dialogs().asked.back().fileName, QString());
        EXPECT_EQ(dialogs().asked.back().initialFolder, path(QStringLiteral("trials/")));
        EXPECT_FALSE(asked(QStringLiteral("The file '") + file + QStringLiteral("' already exists. Do you want to overwrite it?")));
        EXPECT_EQ(readBytes(file), original);
        EXPECT_EQ(programState().DataFileName, path(QStringLiteral("trials/new trial.KVE")));
        EXPECT_EQ(window->windowTitle(), QStringLiteral("KVE v. 3.1.0 - new trial.KVE"));
    }
    window.reset();
    deleteTopLevelWindows();
}

TEST_F(DatasetCommandsTest, ViewOpensOnlyExistingFiles)
{
    writeBytes(path(QStringLiteral("a.TXT")), "text");
    auto& launcher = *static_cast<ScriptedLauncherService*>(&Platform::launcher());
    for (const QString& answer : {path(QStringLiteral("a.TXT")), path(QStringLiteral("gone.TXT")), QString()}) {
        dialogs().answers.push_back(answer);
        DatasetCommands::Command4_Click(*window);
    }
    EXPECT_EQ(launcher.opened, QStringList{path(QStringLiteral("a.TXT"))});
    const FileDialogRequest& d = dialogs().asked.front();
    EXPECT_EQ(d.title, QStringLiteral("Open Text File"));
    EXPECT_EQ(d.filter, QStringLiteral("All Files (*.*)|*.*|KVE Files (*.KVE)|*.KVE|Text Files (*.TXT)|*.TXT"));
    EXPECT_EQ(d.filterIndex, 2);
    EXPECT_EQ(d.initialFolder, path(QStringLiteral("KVE Files")));
}

TEST_F(DatasetCommandsTest, NotesLookButtons)
{
    // As drawn: the box white on blue while ticked, the toggle in the
    // other scheme, its own background painted (white text on the style's
    // grey could not be read).
    QCheckBox* invert = window->check(44);
    window->show();
    EXPECT_EQ(background(invert), blue());
    EXPECT_EQ(background(notes()->viewport()), white());
    notes()->setPlainText(QStringLiteral("text"));
    invert->setChecked(true);
    EXPECT_EQ(background(notes()->viewport()), blue());
    EXPECT_EQ(background(invert), white());
    invert->setChecked(false);
    EXPECT_EQ(background(notes()->viewport()), white());
    EXPECT_EQ(background(invert), blue());

    window->check(45)->setChecked(true);
    EXPECT_TRUE(notes()->font().bold());
    page().Command18_Click();
    EXPECT_EQ(notes()->font().pointSizeF(), 11.0);
    for (int i = 0; i < 100; ++i)
        page().Command19_Click();
    EXPECT_EQ(notes()->font().pointSizeF(), NotesPage::MinFontSize);
    for (int i = 0; i < 100; ++i)
        page().Command18_Click();
    EXPECT_EQ(notes()->font().pointSizeF(), NotesPage::MaxFontSize);
    EXPECT_TRUE(notes()->font().bold());

    notes()->setPlainText(QStringLiteral("keep"));
    messages().answers = {MsgAnswer::No};
    page().Command16_Click();
    EXPECT_EQ(notes()->toPlainText(), QStringLiteral("keep"));
    EXPECT_EQ(messages().asked.back().text, QStringLiteral("Do you want to erase the current notes?"));
    messages().answers = {MsgAnswer::Yes};
    page().Command16_Click();
    EXPECT_TRUE(notes()->toPlainText().isEmpty());
}

TEST_F(DatasetCommandsTest, NotesFiles)
{
    notes()->setPlainText(QStringLiteral("one\ntwo"));

    // Save: the text and one line end, CR LF; an existing file is asked about.
    dialogs().answers.push_back(path(QStringLiteral("n.TXT")));
    page().Command21_Click();
    EXPECT_EQ(readBytes(path(QStringLiteral("n.TXT"))), QByteArray("one\r\ntwo\r\n"));
    EXPECT_EQ(dialogs().asked.back().title, QStringLiteral("Save text file"));
    // Without a dataset file the dialogs start in the work folder (the
    // program's own folder is not writable once installed).
    EXPECT_EQ(dialogs().asked.back().initialFolder, path(QStringLiteral("KVE Files")));
    notes()->setPlainText(QStringLiteral("other"));
    dialogs().answers.push_back(path(QStringLiteral("n.TXT")));
    messages().answers = {MsgAnswer::No};
    page().Command21_Click();
    EXPECT_EQ(readBytes(path(QStringLiteral("n.TXT"))), QByteArray("one\r\ntwo\r\n"));
    EXPECT_EQ(messages().asked.back().defaultAnswer, MsgAnswer::No);
    // A cancelled dialog is reported like an error.
    page().Command21_Click();
    EXPECT_EQ(messages().asked.back().text, QStringLiteral("Cancel was selected."));
    EXPECT_EQ(messages().asked.back().title, QStringLiteral("Info"));

    // Append: an empty file adds nothing, two lines add two lines.
    writeBytes(path(QStringLiteral("empty.TXT")), QByteArray());
    writeBytes(path(QStringLiteral("two.TXT")), "a\r\nb");
    dialogs().answers = {path(QStringLiteral("empty.TXT")), path(QStringLiteral("two.TXT"))};
    page().Command22_Click();
    EXPECT_EQ(notes()->toPlainText(), QStringLiteral("other"));
    page().Command22_Click();
    EXPECT_EQ(notes()->toPlainText(), QStringLiteral("othera\nb\n"));
    messages().asked.clear();
    dialogs().answers = {path(QStringLiteral("missing.TXT"))};
    page().Command22_Click();
    ASSERT_EQ(messages().asked.size(), 1u);
    EXPECT_EQ(messages().asked[0].title, QStringLiteral("Info"));

    // Dropped files append in drop order; one that cannot be read adds nothing.
    notes()->clear();
    page().Notes_OLEDragDrop({path(QStringLiteral("two.TXT")), path(QStringLiteral("missing.TXT")),
                              path(QStringLiteral("n.TXT"))});
    EXPECT_EQ(notes()->toPlainText(), QStringLiteral("a\nb\none\ntwo\n"));

    // With a dataset file, in its folder.
    programState().DataFileName = path(QStringLiteral("trials/T.KVE"));
    page().Command22_Click();
    EXPECT_EQ(dialogs().asked.back().initialFolder, path(QStringLiteral("trials/")));

    // Edit: the first free numbered file in the work folder.
    writeBytes(path(QStringLiteral("KVE Files/Notes0000.TXT")), "x");
    writeBytes(path(QStringLiteral("KVE Files/Notes0001.TXT")), "x");
    page().Command20_Click();
    auto& launcher = *static_cast<ScriptedLauncherService*>(&Platform::launcher());
    ASSERT_EQ(launcher.opened.size(), 1);
    EXPECT_EQ(launcher.opened[0], path(QStringLiteral("KVE Files/Notes0002.TXT")));
    EXPECT_EQ(readBytes(launcher.opened[0]), QByteArray("a\r\nb\r\none\r\ntwo\r\n\r\n"));
}

TEST_F(DatasetCommandsTest, AFileNoProgramCouldOpenIsNamedInABox)
{
    // Every button that hands a file to the editor or to the desktop's
    // opener: when that program cannot be started or ends with a failure,
    // a box names the file, so that the user can open it another way.
    writeBytes(path(QStringLiteral("a.TXT")), "text");
    auto& launcher = *static_cast<ScriptedLauncherService*>(&Platform::launcher());
    launcher.failure = QStringLiteral("no program to open files of its type was found.");
    frmAbout about;
    auto* results = new frmInfo();
    results->setText(QStringLiteral("report"));
    const struct {
        const char* button;
        std::function<void()> press;
        QString file;
    } cases[] = {
        {"Web", [&] { about.findChild<QPushButton*>(QStringLiteral("Command2"))->click(); }, ManualPath()},
        {"Help", [&] { about.findChild<QPushButton*>(QStringLiteral("Command3"))->click(); }, ManualPath()},
        {"E", [&] { results->findChild<QPushButton*>(QStringLiteral("Command20"))->click(); },
         path(QStringLiteral("KVE Files/Results0000.TXT"))},
        {"Edit", [&] { window->findChild<QPushButton*>(QStringLiteral("Command20"))->click(); },
         path(QStringLiteral("KVE Files/Notes0000.TXT"))},
        {"View",
         [&] {
             dialogs().answers.push_back(path(QStringLiteral("a.TXT")));
             DatasetCommands::Command4_Click(*window);
         },
         path(QStringLiteral("a.TXT"))},
    };
    for (const auto& c : cases) {
        messages().asked.clear();
        c.press();
        QStringList handed = launcher.opened + launcher.documents;
        EXPECT_EQ(handed.count(c.file), 1) << c.button;
        ASSERT_EQ(messages().asked.size(), 1u) << c.button;
        EXPECT_EQ(messages().asked[0].text, QStringLiteral("The file '") + c.file
                                                + QStringLiteral("' could not be opened: no program to open files "
                                                                 "of its type was found."))
            << c.button;
        EXPECT_EQ(messages().asked[0].icon, MsgIcon::Exclamation) << c.button;
        launcher.opened.clear();
        launcher.documents.clear();
    }
    delete results;
}

TEST_F(DatasetCommandsTest, SampleDatasetOpensAndSavesUnchanged)
{
    const QString sample = QStringLiteral(KVE_SOURCE_DIR "/examples/crop_yield.KVE");
    ASSERT_TRUE(open(sample));
    EXPECT_EQ(window->grid()->rows(), 26);
    EXPECT_EQ(window->grid()->textMatrix(15, 7), QStringLiteral("Y"));
    EXPECT_EQ(window->grid()->textMatrix(4, 1), QStringLiteral("7.4000"));   // shown as "##.#000"
    EXPECT_TRUE(window->check(20)->isChecked());
    EXPECT_TRUE(notes()->toPlainText().startsWith(QStringLiteral("Winter wheat")));
    ASSERT_TRUE(saveAs(path(QStringLiteral("Copy.KVE"))));
    EXPECT_EQ(readBytes(path(QStringLiteral("Copy.KVE"))), readBytes(sample));
}

TEST_F(DatasetCommandsTest, LimitsTypedOrLoadedOutlastEveryPageSwitch)
{
    // Every page button pressed in turn, "Dataset" among them: the limit
    // boxes keep what the dataset stores or the user typed; Calculate uses
    // it and Save As writes it.
    const auto switchEveryPage = [this] {
        for (int i : {1, 2, 3, 4, 0, 2, 0})
            window->findChild<QPushButton*>(QStringLiteral("CheckButton_%1").arg(i))->click();
    };
    // What a Calculate writes.
    const auto calculate = [this] { return textOfReportsOpenedBy([this] { window->Command6_Click(); }); };
    // The six limit boxes and the confidence box, one text.
    const auto limitBoxes = [this] {
        QStringList texts;
        for (int i : {9, 1, 2, 3, 4, 5, 8})
            texts << window->text1(i)->text();
        return texts.join(QLatin1Char('|')).toStdString();
    };
    const QString interval = QStringLiteral("\r\nDeviation interval [lower - upper]                     : [%1]\r\n");

    // Six rows, the residual analysis ticked, limits of its own and the
    // confidence box as a fresh window has it.
    DatasetState s;
    applyOption(s.options, Option::ResidualAnalysis, 1);
    const std::pair<Option, const char*> stored[] = {
        {Option::DeviationLower, "-1.5"},  {Option::DeviationUpper, "2.5"},  {Option::ResidualLower, "-0.75"},
        {Option::ResidualUpper, "0.75"},   {Option::RStdResidueLower, "-3"}, {Option::RStdResidueUpper, "3"},
    };
    for (const auto& [option, text] : stored)
        applyOption(s.options, option, QLatin1String(text));
    s.rowCountText = QStringLiteral("6");
    s.matrix.resize(7);
    const char* const ys[] = {"1.4", "1.8", "3.6", "3.9", "5.5", "5.8"};
    for (int r = 1; r <= 6; ++r) {
        s.matrix.setText(1, r, QString::number(r));
        s.matrix.setText(3, r, QLatin1String(ys[r - 1]));
    }
    const QByteArray original = formatDataset(s);
    writeBytes(path(QStringLiteral("Limits.KVE")), original);

    ASSERT_TRUE(open(path(QStringLiteral("Limits.KVE"))));
    const std::string loaded = "-1.5|2.5|-0.75|0.75|-3|3|95";
    switchEveryPage();
    EXPECT_EQ(limitBoxes(), loaded);
    ASSERT_TRUE(saveAs(path(QStringLiteral("Switched.KVE"))));
    EXPECT_EQ(readBytes(path(QStringLiteral("Switched.KVE"))).toStdString(), original.toStdString());
    EXPECT_TRUE(calculate().contains(interval.arg(QStringLiteral("-1.5000, 2.5000"))));
    switchEveryPage();
    EXPECT_EQ(limitBoxes(), loaded);
    // The run wrote the ranks into the sheet; the options are as loaded.
    ASSERT_TRUE(saveAs(path(QStringLiteral("Calculated.KVE"))));
    const auto options = [](const QByteArray& file) { return file.left(file.indexOf("\r\nN=")).toStdString(); };
    EXPECT_EQ(options(readBytes(path(QStringLiteral("Calculated.KVE")))), options(original));

    // Typed: the deviation limits (which clear the confidence box) and
    // one studentized limit; the other boxes hold nothing and show the
    // shared limits once "Dataset" is pressed.
    window = std::make_unique<frmMain>();
    resetProgramState();
    programState().DocumentsFolder = path(QString());
    s.options = defaultOptions();
    applyOption(s.options, Option::ResidualAnalysis, 1);
    writeBytes(path(QStringLiteral("Plain.KVE")), formatDataset(s));
    ASSERT_TRUE(open(path(QStringLiteral("Plain.KVE"))));
    window->text1(9)->setText(QStringLiteral("-0.5"));
    window->text1(1)->setText(QStringLiteral("0.7"));
    window->text1(4)->setText(QStringLiteral("-1.5"));
    switchEveryPage();
    const std::string typed = "-0.5|0.7|0.0000|0.0000|-1.5|2.5000|0";
    EXPECT_EQ(limitBoxes(), typed);
    EXPECT_TRUE(calculate().contains(interval.arg(QStringLiteral("-0.5000, 0.7000"))));
    switchEveryPage();
    EXPECT_EQ(limitBoxes(), typed);
    ASSERT_TRUE(saveAs(path(QStringLiteral("Typed.KVE"))));
    const LoadResult saved = LoadFile(path(QStringLiteral("Typed.KVE")), QStringLiteral("19"), 19);
    ASSERT_TRUE(saved.ok());
    QStringList written;
    for (Option option : {Option::DeviationLower, Option::DeviationUpper, Option::ResidualLower, Option::ResidualUpper,
                          Option::RStdResidueLower, Option::RStdResidueUpper, Option::DeviationConfidence})
        for (const OptionSetting& setting : saved.content->settings)
            if (setting.index == indexOf(option))
                written << std::get<QString>(setting.value);
    EXPECT_EQ(written.join(QLatin1Char('|')).toStdString(), typed);
    window.reset();
    deleteTopLevelWindows();
}

TEST_F(DatasetCommandsTest, FilesDroppedOnTheNotesBoxAreAppended)
{
    writeBytes(path(QStringLiteral("d.TXT")), "dropped\r\n");
    notes()->setPlainText(QStringLiteral("x\n"));
    QWidget* target = notes()->viewport();
    const QPoint at(5, 5);

    QMimeData words;
    words.setText(QStringLiteral("plain words"));
    QDragEnterEvent wordsEnter(at, Qt::CopyAction, &words, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &wordsEnter);
    EXPECT_FALSE(wordsEnter.isAccepted());
    QDropEvent wordsDrop(at, Qt::CopyAction, &words, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &wordsDrop);
    EXPECT_EQ(notes()->toPlainText(), QStringLiteral("x\n"));

    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(path(QStringLiteral("d.TXT")))});
    QDragEnterEvent enter(at, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::CopyAction);
    QDropEvent drop(at, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    EXPECT_EQ(notes()->toPlainText(), QStringLiteral("x\ndropped\n"));
}

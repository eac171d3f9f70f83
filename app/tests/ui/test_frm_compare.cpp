// The comparison window: its file list (add, drop, remove, moves), the
// comparison file it saves and opens, its pages, "Calculate" and the
// command line's /C, with scripted dialogs and boxes.
#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

#include "core/settings_store.hpp"
#include "support/test_files.hpp"
#include "ui/frm_compare.hpp"
#include "ui/frm_compare_r.hpp"
#include "ui/frm_info.hpp"
#include "ui/frm_main.hpp"
#include "ui/twips.hpp"
#include "window_fixture.hpp"

namespace {

const QString DataDir = QStringLiteral(KVE_SOURCE_DIR "/app/tests/core/comparison_data/");

class CompareWindowTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        compare = frmCompare::instance();
        compare->show();
    }

    QListWidget* list() const { return compare->list(); }
    QStringList texts() const
    {
        QStringList out;
        for (int i = 0; i < list()->count(); ++i)
            out << list()->item(i)->text();
        return out;
    }
    QList<bool> ticks() const
    {
        QList<bool> out;
        for (int i = 0; i < list()->count(); ++i)
            out << (list()->item(i)->checkState() == Qt::Checked);
        return out;
    }
    QString label() const { return compare->fileCountLabel()->text(); }
    QString path(const QString& name) const { return dir.filePath(name); }
    QString touch(const QString& name) const
    {
        writeBytes(path(name), "3,1,0\r\n");
        return path(name);
    }
    QList<frmInfo*> reports() const
    {
        QList<frmInfo*> found;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* info = qobject_cast<frmInfo*>(w))
                found.append(info);
        return found;
    }

    frmCompare* compare = nullptr;
};

} // namespace

TEST_F(CompareWindowTest, AddRemoveClearAndMoves)
{
    EXPECT_EQ(compare->windowTitle(), QStringLiteral("KVE"));
    EXPECT_EQ(label(), QStringLiteral("File names"));

    platform->fileDialogs.fileLists.push_back({"/d/A.KVE", "/d/B.KVE", "/d/A.KVE", "/d/a.KVE"});
    compare->Command1_Click();
    ASSERT_EQ(platform->fileDialogs.asked.size(), 1u);
    const FileDialogRequest& asked = platform->fileDialogs.asked[0];
    EXPECT_EQ(asked.title, QStringLiteral("Open dataset file"));
    EXPECT_EQ(asked.filter, QStringLiteral("All Files (*.*)|*.*|KVE Files(*.KVE)|*.KVE"));
    EXPECT_EQ(asked.filterIndex, 2);
    EXPECT_EQ(asked.initialFolder, programState().DocumentsFolder + QStringLiteral("/KVE Files"));
    // The same text once; another letter case is another file.
    EXPECT_EQ(texts(), (QStringList{"/d/A.KVE", "/d/B.KVE", "/d/a.KVE"}));
    EXPECT_EQ(ticks(), (QList<bool>{true, true, true}));
    EXPECT_EQ(label(), QStringLiteral("File names (3 files)"));
    compare->Command1_Click();                       // cancelled: nothing changes
    EXPECT_EQ(list()->count(), 3);

    // Moves exchange texts only: the ticks and the current position stay.
    list()->item(1)->setCheckState(Qt::Unchecked);
    list()->setCurrentRow(0);
    compare->Command3_Click();                       // the first moves up: a rotation
    EXPECT_EQ(texts(), (QStringList{"/d/B.KVE", "/d/a.KVE", "/d/A.KVE"}));
    EXPECT_EQ(ticks(), (QList<bool>{true, false, true}));
    EXPECT_EQ(list()->currentRow(), 0);
    list()->setCurrentRow(2);
    compare->Command4_Click();                       // the last moves down: a rotation
    EXPECT_EQ(texts(), (QStringList{"/d/A.KVE", "/d/B.KVE", "/d/a.KVE"}));
    compare->Command3_Click();
    EXPECT_EQ(texts(), (QStringList{"/d/A.KVE", "/d/a.KVE", "/d/B.KVE"}));
    list()->setCurrentRow(0);
    compare->Command4_Click();
    EXPECT_EQ(texts(), (QStringList{"/d/a.KVE", "/d/A.KVE", "/d/B.KVE"}));
    EXPECT_EQ(ticks(), (QList<bool>{true, false, true}));
    EXPECT_EQ(label(), QStringLiteral("File names (3 files)"));

    compare->Command2_Click();
    EXPECT_EQ(texts(), (QStringList{"/d/A.KVE", "/d/B.KVE"}));
    EXPECT_EQ(label(), QStringLiteral("File names (2 files)"));
    list()->setCurrentRow(-1);
    compare->Command2_Click();                       // no current item
    compare->Command3_Click();
    EXPECT_EQ(texts(), (QStringList{"/d/A.KVE", "/d/B.KVE"}));
    compare->Command8_Click();
    EXPECT_EQ(list()->count(), 0);
    EXPECT_EQ(label(), QStringLiteral("File names"));
}

TEST_F(CompareWindowTest, DroppedFilesAreAddedTicked)
{
    compare->appendFile(QStringLiteral("/d/A.KVE"), false);
    QWidget* target = list()->viewport();
    const QPoint at(5, 5);

    QMimeData words;
    words.setText(QStringLiteral("/d/B.KVE"));
    QDragEnterEvent wordsEnter(at, Qt::CopyAction, &words, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &wordsEnter);
    EXPECT_FALSE(wordsEnter.isAccepted());
    QDropEvent wordsDrop(at, Qt::CopyAction, &words, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &wordsDrop);
    EXPECT_EQ(texts(), QStringList{"/d/A.KVE"});

    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QStringLiteral("/d/C.KVE")), QUrl::fromLocalFile(QStringLiteral("/d/A.KVE")),
                   QUrl::fromLocalFile(QStringLiteral("/d/notes.txt"))});
    // A source that only moves its files is refused; copying is taken.
    QDragEnterEvent moveOnly(at, Qt::MoveAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &moveOnly);
    EXPECT_FALSE(moveOnly.isAccepted());
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::CopyAction);
    QDragMoveEvent over(at, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &over);
    EXPECT_TRUE(over.isAccepted());

    QDropEvent drop(at, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    EXPECT_TRUE(drop.isAccepted());
    // No test of extension or existence; a listed text is not added again.
    EXPECT_EQ(texts(), (QStringList{"/d/A.KVE", "/d/C.KVE", "/d/notes.txt"}));
    EXPECT_EQ(ticks(), (QList<bool>{false, true, true}));
    EXPECT_EQ(label(), QStringLiteral("File names (3 files)"));
}

TEST_F(CompareWindowTest, NamesWithALineBreakAreNeverListed)
{
    // Added through the dialog, dropped, or handed over by the main window:
    // each such name is refused with a box naming it; the others are listed.
    const QString broken = QStringLiteral("/d/two\nlines.KVE");
    platform->fileDialogs.fileLists.push_back({"/d/A.KVE", broken});
    compare->Command1_Click();
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QStringLiteral("/d/tab\there.KVE")), QUrl::fromLocalFile(QStringLiteral("/d/B.KVE"))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list()->viewport(), &enter);
    QDragMoveEvent over(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list()->viewport(), &over);
    QDropEvent drop(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list()->viewport(), &drop);
    programState().DataFileName = QStringLiteral("/d/cr\rname.KVE");
    window->Command23_Click();
    programState().DataFileName.clear();

    EXPECT_EQ(texts(), (QStringList{"/d/A.KVE", "/d/B.KVE"}));
    ASSERT_EQ(platform->messages.asked.size(), 3u);
    const QString names[] = {broken, QStringLiteral("/d/tab\there.KVE"), QStringLiteral("/d/cr\rname.KVE")};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(platform->messages.asked[i].text,
                  QStringLiteral("The file name '%1' holds a line break or another control character; a comparison "
                                 "file cannot keep it, so it is not listed.")
                      .arg(names[i]));
}

TEST_F(CompareWindowTest, SaveAndOpenTheComparisonFile)
{
    const QString a = touch(QStringLiteral("A.KVE"));
    const QString b = touch(QStringLiteral("B.KVE"));
    compare->appendFile(a, true);
    compare->appendFile(b, false);
    ProgramState& state = programState();
    state.DataFileName = dir.filePath(QStringLiteral("sub/Trial.KVE"));

    const QString qcx = path(QStringLiteral("models.QCX"));
    platform->fileDialogs.answers.push_back(qcx);
    compare->Command10_Click();
    const FileDialogRequest& saveAsked = platform->fileDialogs.asked.back();
    EXPECT_TRUE(saveAsked.save);
    EXPECT_EQ(saveAsked.title, QStringLiteral("Save as compare file"));
    EXPECT_EQ(saveAsked.filter, QStringLiteral("All Files (*.*)|*.*|QCX Files(*.QCX)|*.QCX"));
    EXPECT_EQ(saveAsked.fileName, QStringLiteral("Trial.QCX"));   // the dataset's name, as a list
    EXPECT_EQ(saveAsked.initialFolder, dir.filePath(QStringLiteral("sub/")));
    EXPECT_EQ(readBytes(qcx), ("#TRUE#,\"" + a + "\"\r\n#FALSE#,\"" + b + "\"\r\n").toUtf8());
    EXPECT_EQ(state.CompareFileName, qcx);
    EXPECT_EQ(compare->windowTitle(), QStringLiteral("KVE"));     // saving leaves the caption

    // Over an existing file, answered No: nothing written or changed.
    const QString other = path(QStringLiteral("other.QCX"));
    writeBytes(other, "kept");
    compare->appendFile(QStringLiteral("/d/new.KVE"), true);
    platform->fileDialogs.answers.push_back(other);
    platform->messages.answers.push_back(MsgAnswer::No);
    compare->Command10_Click();
    ASSERT_EQ(platform->messages.asked.size(), 1u);
    EXPECT_EQ(platform->messages.asked[0].text,
              QStringLiteral("The file '%1' already exists. Do you want to overwrite it?").arg(other));
    EXPECT_EQ(platform->messages.asked[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(platform->messages.asked[0].defaultAnswer, MsgAnswer::No);
    EXPECT_EQ(readBytes(other), QByteArray("kept"));
    EXPECT_EQ(state.CompareFileName, qcx);

    // Over a dataset, named with "All Files" chosen: the question says so,
    // and Enter (No) keeps it.
    const QString dataset = path(QStringLiteral("m2_poor.KVE"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(KVE_SOURCE_DIR "/examples/crop_yield.KVE"), dataset));
    const QByteArray datasetBytes = readBytes(dataset);
    platform->fileDialogs.answers.push_back(dataset);
    platform->fileDialogs.filterAnswers.push_back(1);
    compare->Command10_Click();
    ASSERT_EQ(platform->messages.asked.size(), 2u);
    EXPECT_EQ(platform->messages.asked[1].text, QStringLiteral("The file '%1' is a KVE dataset. Do you want to "
                                                               "replace the dataset by the list of files?")
                                                    .arg(dataset));
    EXPECT_EQ(platform->messages.asked[1].defaultAnswer, MsgAnswer::No);
    EXPECT_EQ(readBytes(dataset), datasetBytes);
    EXPECT_EQ(state.CompareFileName, qcx);
    platform->messages.asked.erase(platform->messages.asked.begin() + 1);

    // A save that fails says so and names no file.
    platform->fileDialogs.answers.push_back(path(QStringLiteral("no/such/folder/x.QCX")));
    compare->Command10_Click();
    ASSERT_EQ(platform->messages.asked.size(), 2u);
    EXPECT_TRUE(platform->messages.asked[1].text.startsWith(QStringLiteral("The comparison file '")));
    EXPECT_EQ(platform->messages.asked[1].icon, MsgIcon::Critical);
    EXPECT_EQ(state.CompareFileName, qcx);

    // Read back after the second dataset was deleted: it is left out. The
    // R page then lists the outputs named after the file.
    QFile::remove(b);
    touch(QStringLiteral("models_GC1_text1.TXT"));
    platform->fileDialogs.answers.push_back(qcx);
    compare->Command9_Click();
    const FileDialogRequest& openAsked = platform->fileDialogs.asked.back();
    EXPECT_FALSE(openAsked.save);
    EXPECT_EQ(openAsked.title, QStringLiteral("Open compare file"));
    EXPECT_EQ(openAsked.initialFolder, dir.path() + QLatin1Char('/'));   // the comparison file's folder
    EXPECT_EQ(texts(), QStringList{a});
    EXPECT_EQ(ticks(), QList<bool>{true});
    EXPECT_EQ(label(), QStringLiteral("File names (1 files)"));
    EXPECT_EQ(compare->windowTitle(), QStringLiteral("KVE v. 3.1.0 - models.QCX"));
    auto* outputs = compare->findChild<QListWidget*>(QStringLiteral("ROutputList"));
    ASSERT_EQ(outputs->count(), 1);
    EXPECT_EQ(outputs->item(0)->text(), QStringLiteral("models_GC1_text1.TXT"));

    // A damaged file is read whole first: the list and the caption stay.
    const QString damaged = path(QStringLiteral("damaged.QCX"));
    writeBytes(damaged, "#TRUE#,\"" + b.toUtf8() + "\"\r\nrubbish\r\n");
    platform->fileDialogs.answers.push_back(damaged);
    compare->Command9_Click();
    EXPECT_TRUE(platform->messages.asked.back().text.contains(QStringLiteral("line 2 is not a list entry")));
    EXPECT_EQ(texts(), QStringList{a});
    EXPECT_EQ(compare->windowTitle(), QStringLiteral("KVE v. 3.1.0 - models.QCX"));
    EXPECT_EQ(state.CompareFileName, qcx);
}

TEST_F(CompareWindowTest, PagesAndTheRFolder)
{
    auto* files = compare->findChild<QPushButton*>(QStringLiteral("Check1_0"));
    auto* r = compare->findChild<QPushButton*>(QStringLiteral("Check1_1"));
    auto* options = compare->findChild<QPushButton*>(QStringLiteral("Check1_2"));
    ASSERT_TRUE(files && r && options);
    EXPECT_TRUE(files->isChecked());
    EXPECT_TRUE(compare->list()->isVisible());

    files->click();                                  // already down: stays down
    EXPECT_TRUE(files->isChecked());
    EXPECT_TRUE(compare->list()->isVisible());

    // The R page refreshes its template list and shows the stored R folder
    // when it is switched to.
    auto* templates = compare->findChild<QComboBox*>(QStringLiteral("RFile"));
    auto* outputs = compare->findChild<QListWidget*>(QStringLiteral("ROutputList"));
    ASSERT_TRUE(templates && outputs);
    programState().CompareFileName = path(QStringLiteral("models.QCX"));
    touch(QStringLiteral("models_GC1_text1.TXT"));
    EXPECT_EQ(templates->count(), 0);
    SettingsStore::DeleteSetting(QStringLiteral("RDirQCX"));
    SettingsStore::DeleteSetting(QStringLiteral("RDir"));
    r->click();
    EXPECT_TRUE(r->isChecked());
    EXPECT_FALSE(files->isChecked());
    EXPECT_TRUE(compare->rFrame()->isVisible());
    EXPECT_FALSE(compare->list()->isVisible());
    EXPECT_EQ(templates->findText(QStringLiteral("GroupCode1.R")), 0);
    ASSERT_EQ(outputs->count(), 1);
    EXPECT_EQ(outputs->item(0)->text(), QStringLiteral("models_GC1_text1.TXT"));
    // Nothing stored: the folder of the Rscript on the PATH.
    EXPECT_EQ(compare->findChild<QLabel*>(QStringLiteral("Label22"))->text(),
              QFileInfo(QStandardPaths::findExecutable(QStringLiteral("Rscript"))).absolutePath() + QLatin1Char('/'));
    const QString rFolder = dir.path() + QLatin1Char('/');
    for (const char* program : {"Rscript", "R"}) {
        writeBytes(rFolder + QLatin1String(program), "");
        QFile::setPermissions(rFolder + QLatin1String(program), QFile::ReadOwner | QFile::ExeOwner);
    }
    SettingsStore::SaveSetting(QStringLiteral("RDirQCX"), rFolder);
    options->click();
    r->click();
    EXPECT_EQ(compare->findChild<QLabel*>(QStringLiteral("Label22"))->text(), rFolder);
    SettingsStore::DeleteSetting(QStringLiteral("RDirQCX"));

    options->click();
    EXPECT_TRUE(compare->text1(0)->isVisible());
    EXPECT_EQ(compare->text1(0)->text(), QStringLiteral("12"));
    EXPECT_EQ(compare->text1(3)->text(), QStringLiteral("3"));
}

TEST_F(CompareWindowTest, TheROutputListShowsSeveralRowsAndGrowsWithTheWindow)
{
    // Fifteen outputs of a group run: at the window's own size the list
    // shows at least four of them; a window 200 pixels higher and wider
    // gives the list that much more, and the page and the file list too,
    // while the commands keep to the bottom and "Return" to the right.
    programState().CompareFileName = path(QStringLiteral("models.QCX"));
    for (int i = 1; i <= 15; ++i)
        touch(QStringLiteral("models_GC1_text%1.TXT").arg(i));
    compare->findChild<QPushButton*>(QStringLiteral("Check1_1"))->click();
    QApplication::processEvents();
    auto* outputs = compare->findChild<QListWidget*>(QStringLiteral("ROutputList"));
    ASSERT_EQ(outputs->count(), 15);
    EXPECT_EQ(compare->size(), QSize(twips(9300), twips(6300)));
    const int row = outputs->visualItemRect(outputs->item(0)).height();
    ASSERT_GT(row, 0);
    EXPECT_GE(outputs->viewport()->height(), 4 * row);
    // Every control of the page lies inside it, none on another.
    const QRect page = compare->rFrame()->rect();
    for (QWidget* w : compare->rFrame()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w->isVisible()) {
            EXPECT_TRUE(page.contains(w->geometry())) << w->objectName().toStdString();
        }
    }

    const int height = outputs->height();
    auto* calculate = compare->findChild<QPushButton*>(QStringLiteral("Command6"));
    auto* returnButton = compare->findChild<QPushButton*>(QStringLiteral("Command7"));
    const QPoint calculateAt = calculate->pos();
    const QPoint returnAt = returnButton->pos();
    compare->resize(compare->width() + 200, compare->height() + 200);
    QApplication::processEvents();
    EXPECT_EQ(outputs->height(), height + 200);
    EXPECT_EQ(compare->rFrame()->width(), twips(9000) + 200);
    EXPECT_EQ(compare->list()->size(), QSize(twips(8775) + 200, twips(3210) + 200));
    EXPECT_EQ(calculate->pos(), calculateAt + QPoint(0, 200));
    EXPECT_EQ(returnButton->pos(), returnAt + QPoint(200, 200));
}

TEST_F(CompareWindowTest, CalculateShowsTheReportOrSaysWhyNot)
{
    const qsizetype before = reports().size();
    compare->appendFile(DataDir + QStringLiteral("model_a.KVE"), true);
    compare->appendFile(DataDir + QStringLiteral("model_b.KVE"), false);
    compare->Command6_Click();
    ASSERT_EQ(platform->messages.asked.size(), 1u);
    EXPECT_EQ(platform->messages.asked[0].text,
              QStringLiteral("At least two files have to be selected for comparison"));
    EXPECT_EQ(platform->messages.asked[0].icon, MsgIcon::Critical);
    EXPECT_TRUE(platform->messages.asked[0].title.isEmpty());

    compare->appendFile(DataDir + QStringLiteral("model_c.KVE"), true);
    compare->text1(3)->setText(QStringLiteral("2"));
    compare->Command6_Click();
    ASSERT_EQ(reports().size(), before + 1);
    frmInfo* report = reports().last();
    EXPECT_EQ(report->windowTitle(), QStringLiteral("Results - Model Comparison"));
    EXPECT_TRUE(report->isVisible());
    EXPECT_EQ(report->width(), twips(14500));
    const QString text = report->text();
    EXPECT_TRUE(text.contains(QStringLiteral("  1 = ") + DataDir + QStringLiteral("model_a.KVE")));
    EXPECT_TRUE(text.contains(QStringLiteral("  3 = ") + DataDir + QStringLiteral("model_c.KVE")));
    EXPECT_TRUE(text.contains(QStringLiteral("Delta Akaike's Information Criterion (DAIC)")));
    // Correlations with the two decimals asked for.
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("\r\n 1  r      :  -----  +-?0\\.\\d\\d\r\n"))))
        << text.toStdString();

    // A model whose observations differ: the box names row and file.
    const QString odd = path(QStringLiteral("odd.KVE"));
    QByteArray bytes = readBytes(DataDir + QStringLiteral("model_c.KVE"));
    bytes.replace("\"20.3\"", "\"20.30\"");
    writeBytes(odd, bytes);
    compare->appendFile(odd, true);
    compare->Command6_Click();
    ASSERT_EQ(platform->messages.asked.size(), 2u);
    EXPECT_EQ(platform->messages.asked[1].title, QStringLiteral("Model Comparison"));
    EXPECT_TRUE(platform->messages.asked[1].text.contains(QStringLiteral("observed value # 4 of file '") + odd))
        << platform->messages.asked[1].text.toStdString();
    EXPECT_EQ(reports().size(), before + 1);
}

TEST_F(CompareWindowTest, OpenTheCurrentItemInTheMainWindow)
{
    // The item is opened as a command line opens a file: without a dialog.
    const QString model = DataDir + QStringLiteral("model_c.KVE");
    compare->appendFile(model, true);
    compare->Command5_Click();                       // no current item
    EXPECT_TRUE(programState().DataFileName.isEmpty());
    list()->setCurrentRow(0);
    compare->Command5_Click();
    EXPECT_EQ(programState().DataFileName, model);
    EXPECT_TRUE(window->windowTitle().endsWith(QStringLiteral("model_c.KVE")));
    EXPECT_TRUE(platform->fileDialogs.asked.empty());
    EXPECT_TRUE(platform->messages.asked.empty());
    EXPECT_TRUE(programState().OpenRequestFile.isEmpty());
    EXPECT_FALSE(programState().BatchMode);
    EXPECT_TRUE(compare->isVisible());
}

TEST_F(CompareWindowTest, TheWindowReadsItsFileOnlyInABatch)
{
    const QString a = touch(QStringLiteral("A.KVE"));
    const QString qcx = path(QStringLiteral("models.QCX"));
    writeBytes(qcx, "#FALSE#,\"" + a.toUtf8() + "\"\r\n");
    delete compare;

    ProgramState& state = programState();
    state.CompareFileName = qcx;
    window->Command23_Click();                       // outside a batch: the name is emptied
    EXPECT_TRUE(state.CompareFileName.isEmpty());
    EXPECT_EQ(frmCompare::instance()->list()->count(), 0);
    delete frmCompare::instance();

    state.CompareFileName = qcx;
    state.BatchMode = true;
    EXPECT_EQ(frmCompare::instance()->list()->count(), 1);
    EXPECT_EQ(frmCompare::instance()->list()->item(0)->checkState(), Qt::Unchecked);
    state.BatchMode = false;
    // Items the main window appends carry a tick box too, unticked.
    programState().DataFileName = QStringLiteral("/d/Trial.KVE");
    window->Command23_Click();
    EXPECT_EQ(frmCompare::instance()->list()->item(1)->checkState(), Qt::Unchecked);
}

TEST_F(CompareWindowTest, CommandLineOpensTheLoadedWindow)
{
    const QString a = touch(QStringLiteral("A.KVE"));
    const QString qcx = path(QStringLiteral("models.QCX"));
    const QString gone = path(QStringLiteral("gone.KVE"));
    writeBytes(qcx, "#TRUE#,\"" + a.toUtf8() + "\"\r\n#TRUE#,\"" + gone.toUtf8() + "\"\r\n");
    const auto run = [this](const QString& line) {
        window->prevInstanceButton()->setText(line);
        window->PrevInstanceKVE_Click();
        return window->lastBatchOutcome();
    };
    delete compare;

    const frmMain::BatchOutcome& first = run(QStringLiteral("/C") + qcx);
    EXPECT_EQ(first.status, 0) << first.reason.toStdString();
    ASSERT_TRUE(frmCompare::isLoaded());
    frmCompare* loaded = frmCompare::instance();
    EXPECT_TRUE(loaded->isVisible());
    EXPECT_EQ(loaded->list()->count(), 1);
    EXPECT_EQ(loaded->windowTitle(), QStringLiteral("KVE v. 3.1.0 - models.QCX"));
    EXPECT_FALSE(programState().BatchMode);

    // With the window open already, another /C reads its file into it.
    const QString second = path(QStringLiteral("second.QCX"));
    writeBytes(second, "#FALSE#,\"" + a.toUtf8() + "\"\r\n#FALSE#,\"" + a.toUtf8() + "\"\r\n");
    EXPECT_EQ(run(QStringLiteral("/C") + second).status, 0);
    EXPECT_EQ(loaded->list()->count(), 2);
    EXPECT_EQ(loaded->windowTitle(), QStringLiteral("KVE v. 3.1.0 - second.QCX"));

    // A file that cannot be read: the run fails with the reason.
    const QString damaged = path(QStringLiteral("damaged.QCX"));
    writeBytes(damaged, "not a list\r\n");
    const frmMain::BatchOutcome& bad = run(QStringLiteral("/C") + damaged);
    EXPECT_EQ(bad.status, 1);
    EXPECT_TRUE(bad.reason.startsWith(QStringLiteral("KVE: the comparison file '") + damaged))
        << bad.reason.toStdString();
    EXPECT_EQ(loaded->list()->count(), 2);
}

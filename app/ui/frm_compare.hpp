#pragma once
// frmCompare: the model-comparison window, one for the whole program. Its
// file list List1 holds full paths of dataset files (one model each); a
// ticked item takes part in the comparison. The list is kept in comparison
// files (*.QCX). Three pages: the files, the R page (group R runs on
// the ticked models) and the report options.

#include <QWidget>

#include <array>
#include <vector>

#include "core/model_comparison.hpp"

class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class CompareRFrame;

class frmCompare : public QWidget {
    Q_OBJECT
public:
    // The program's one comparison window, loaded on first use.
    static frmCompare* instance();
    static bool isLoaded();
    // The command line's comparison file (CompareFileName, in a batch):
    // loads the window, whose load reads the file, or reads it into the
    // window already open; then shows the window. Returns why the file
    // could not be read, empty when it was.
    static QString showFromCommandLine();

    QListWidget* list() const { return List1; }
    // The R page.
    CompareRFrame* rFrame() const { return Frame2; }
    QLabel* fileCountLabel() const { return Label1; }
    QLineEdit* text1(int index) const { return Text1[static_cast<std::size_t>(index)]; }

    // Appends a path with its tick.
    void appendFile(const QString& path, bool ticked);
    // False, after a box naming it, for a file name that holds a line break
    // or another control character: no comparison file could keep it, so
    // it is never listed.
    static bool isListable(const QString& path);
    // The ticked items in list order, with their 1-based positions.
    std::vector<ModelComparison::ModelFile> tickedFiles() const;
    // The report options as the options page holds them.
    ModelComparison::ComparisonOptions reportOptions() const;

    // Handlers, named after their controls.
    void Check1_Click(int index);   // page toggles
    void Command1_Click();          // Add
    void Command2_Click();          // Remove
    void Command8_Click();          // Clear
    void Command3_Click();          // Move up
    void Command4_Click();          // Move down
    void Command5_Click();          // Open the current item in the main window
    void Command6_Click();          // Calculate
    void Command7_Click();          // Return
    void Command9_Click();          // Open a comparison file
    void Command10_Click();         // Save the comparison file
    void Command28_Click();         // refresh the R page's lists
    // Files dropped on the list; `paths` in the order given.
    void List1_OLEDragDrop(const QStringList& paths);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    explicit frmCompare(QWidget* parent = nullptr);
    void Form_Load();

    void buildPageToggles();
    void buildFilePage();
    void buildRPage();
    void buildOptionsPage();
    void buildCommandButtons();
    void showPage(int index);
    // The pages and the file list take the room a window larger than its
    // smallest size gains; the commands keep to the bottom.
    void layoutControls();
    // "File names (N files)", or "File names" for an empty list.
    void setFileCountLabel();
    bool contains(const QString& path) const;
    // The initial folder and proposed name of the three file dialogs.
    QString dialogFolder() const;
    QString proposedName() const;
    QString proposedListName() const;

    std::array<QPushButton*, 3> Check1{};
    std::vector<QPushButton*> m_commands;    // the command row, left to right
    QPushButton* m_moveUp = nullptr;
    QPushButton* m_moveDown = nullptr;
    QFrame* Frame1 = nullptr;
    CompareRFrame* Frame2 = nullptr;
    QFrame* Frame3 = nullptr;
    QLabel* Label1 = nullptr;
    QListWidget* List1 = nullptr;
    QObject* m_listViewport = nullptr;   // kept: compared while the list may be going
    std::array<QLineEdit*, 4> Text1{};
    bool m_switching = false;       // set while the page switch moves the toggles
    QString m_openError;            // why the last Open read no file
};

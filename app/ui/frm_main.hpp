#pragma once
// frmMain: the main window. Five option pages behind a strip of toggle
// buttons: the data sheet, the analysis options, the chart and residual
// options, the notes and the R script panel; below them "Always on top",
// the status line and the command buttons.
//
// Controls carry the names the window design gives them as Qt objectNames
// (an indexed control as name_index: Text1_8, Option1_2, Frame9_0), so
// that code elsewhere finds them with findChild.

#include <QLineEdit>
#include <QMainWindow>

#include <array>
#include <functional>
#include <map>

#include "core/data_matrix.hpp"

class FlexGrid;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QFrame;
class QLabel;
class QListWidget;
class QMimeData;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QStackedWidget;
class QTextEdit;
class QTimer;
class frmMain;
class frmInfo;
class SingleInstance;
class RPage;

// The in-cell editor TxtEdit: hands Enter, Escape, Up and Down to the main
// window before they reach the line edit.
class CellEditor : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;
    std::function<bool(int keyCode, Qt::KeyboardModifiers shift)> onKeyDown;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// Where the commands and windows that live elsewhere plug into the main
// window. Each is empty until the code that provides it sets it.
struct MainWindowHooks {
    std::function<void(frmMain&)> openDataset;      // "Open" (also drops, CallLoad, command line)
    std::function<void(frmMain&)> saveDataset;      // "Save"
    std::function<void(frmMain&)> saveDatasetAs;    // "As"
    std::function<void(frmMain&)> newDataset;       // "New"
    std::function<void(frmMain&)> viewTextFile;     // "View"
    // "Calculate": replaces the evaluation run (the report text) when set.
    std::function<QString(frmMain&)> evaluationRun;
    std::function<void(frmMain&)> scatterPlot;      // "Scatter"
    std::function<void(frmMain&)> rankPlot;         // "Rank"
    std::function<void(frmMain&)> histogramPlot;    // "Histo", "Plot histogram"
    std::function<void(frmMain&)> showAbout;        // "About"
    std::function<void(frmMain&)> showRandom;       // "Random"
    std::function<void(frmMain&)> unload;           // closing the main window
};
MainWindowHooks& mainWindowHooks();

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // The main window of the program (the last one created).
    static frmMain* instance();

    DataMatrix& dataMatrix() { return m_matrix; }
    FlexGrid* grid() const { return FG2; }
    QLineEdit* text1(int index) const { return m_text1.at(static_cast<std::size_t>(index)); }
    QCheckBox* check(int number) const;

    // ---- data sheet -------------------------------------------------------
    void MatrixTOGrid(int r, int c);
    void AssignRowNumbers();
    void RemoveEmptyRows();
    void Command9_Click();                   // apply the row count
    void Command30_Click();                  // remove invalid rows
    void Command3_Click();                   // paste
    void Command2_Click();                   // copy
    void Check7_Click();                     // swap
    void Fg2_KeyPress(int charCode);         // a character key on the sheet
    void Fg2_DblClick();
    void Fg2_GotFocus();
    void Fg2_LeaveCell();
    void MSHFlexGridEdit(int charCode);
    bool EditKeyCode(int keyCode, Qt::KeyboardModifiers shift);
    bool FG2_OLEDragOver(const QMimeData* data) const;
    void FG2_OLEDragDrop(const QStringList& paths);
    // Shows every data cell again (after a format change, a load).
    void showSheet();
    // Takes both grid formats and shows the sheet with them.
    void setGridFormats(const QString& formatXY, const QString& formatSD);

    // ---- option panels and status line ------------------------------------
    void CheckButton_Click(int index);
    int currentPage() const;
    void Option1_Click(int index);
    void Check24_Click();
    void Check5_Click();
    void Check6_Click();
    void Check49_Click();
    void Check50_Click();
    void Check51_Click();
    void HScroll1_Change();
    void HScroll2_Change();
    void Text1_Change(int index);
    void Text1_LostFocus(int index);
    // Shows the status line for 5 seconds (the timer hides it).
    void showStatusInfo(const QString& text);
    // The status line itself, for the run's step names (shown and hidden
    // by the run, without the timer).
    QLabel* statusLine() const { return Label16; }
    void TimerInfo_Timer();

    // ---- buttons and entry points of the neighbours ------------------------
    void Command8_Click();                   // Open
    void Command1_Click();                   // Save
    void Command17_Click();                  // Save As
    void Command5_Click();                   // New
    void Command4_Click();                   // View
    void Command6_Click();                   // Calculate (frm_main_evaluation.cpp)
    void Command11_Click();                  // Scatter
    void Command14_Click();                  // Rank
    void Command15_Click();                  // Histogram
    void Command10_Click();                  // About
    void Command12_Click();                  // Random
    void Command23_Click();                  // Compare
    void Command24_Click();                  // eMail
    void Command7_Click();                   // Quit
    void CallLoad();
    void CallPlot();

    // ---- R page (frm_main_r.cpp) -------------------------------------------
    void Command25_Click();                  // R Script: run the chosen template
    void Command26_Click();                  // open the ticked R outputs
    void Command27_Click();                  // delete the ticked R outputs
    void Command28_Click();                  // refresh the R lists
    void Command29_Click();                  // Load R: R's console
    void Command31_Click();                  // R path
    void Command32_Click();                  // edit the chosen template
    void Command33_Click();                  // check/uncheck all outputs
    // Label22 after the switch to the R page.
    void showRFolder();

    // ---- start-up, command line and close (frm_main_startup.cpp) ----------
    // The start-up sequence. False when this start ends at once: its
    // command line was handed to the running instance, or the user chose
    // not to open a second one; exitStatus is then the process's status.
    // `instance` may be null (no single-instance check).
    bool Form_Load(const QString& commandLine, SingleInstance* instance, int& exitStatus);
    // Stores the seven kept options in the settings store.
    void Form_Unload();
    // Carries out the command line held in the caption of PrevInstanceKVE.
    void PrevInstanceKVE_Click();
    void GetParameters(const QString& s, QStringList& Parm);
    void BringWindowToFront();
    QPushButton* prevInstanceButton() const { return PrevInstanceKVE; }
    // How the last command line went: exit status 0 or a one-line reason,
    // and whether it asked the program to end (/X).
    struct BatchOutcome {
        int status = 0;
        QString reason;
        bool quit = false;
    };
    const BatchOutcome& lastBatchOutcome() const { return m_batchOutcome; }

    // A new results window with caption and text, shown; in a command-line
    // run its Auto box is ticked so that it saves, prints or closes itself.
    frmInfo* showResults(const QString& caption, const QString& text, bool batchActions);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildDatasetPage(QFrame* page);
    void buildOptionsPage(QFrame* page);
    void buildGraphicsPage(QFrame* page);
    void buildNotesPage(QFrame* page);
    void buildRPage(QFrame* page);
    // The R page's commands (frm_main_r.cpp), once the pages are built.
    void addRCommands();
    QCheckBox* addCheck(int number, const QString& caption, bool ticked);
    QLineEdit* addText1(int index, const QString& text);
    void setBoxText(int index, const QString& text);
    void refillLimits();
    void applyFrameRule(QCheckBox* box, QWidget* frame);
    void featureMissing(const QString& what);
    void setStayOnTop(bool onTop);
    void createStartupControls();

    DataMatrix m_matrix;
    FlexGrid* FG2 = nullptr;
    CellEditor* TxtEdit = nullptr;
    DataCell m_editOriginal;                 // the cell as it was when the editor opened
    int m_editRow = 0;
    int m_editCol = 0;

    std::array<QLineEdit*, 15> m_text1{};
    std::map<int, QCheckBox*> m_checks;
    std::array<QRadioButton*, 3> Option1{};
    std::array<QRadioButton*, 5> Option2{};
    std::array<QRadioButton*, 2> Option3{};
    std::array<QRadioButton*, 3> RGraph{};
    std::array<QPushButton*, 5> CheckButton{};
    std::array<QFrame*, 5> Frame9{};
    QStackedWidget* m_pages = nullptr;
    bool m_switching = false;
    int m_changeOrigin = -1;               // the deviation box whose change runs the rules
    QGroupBox* Frame5 = nullptr;
    QGroupBox* Frame6 = nullptr;
    QGroupBox* Frame7 = nullptr;
    QListWidget* List1 = nullptr;
    QScrollBar* HScroll1 = nullptr;
    QScrollBar* HScroll2 = nullptr;
    QLabel* Label16 = nullptr;
    QLabel* Label18 = nullptr;
    QLabel* Label19 = nullptr;
    QLabel* Label22 = nullptr;
    QTimer* TimerInfo = nullptr;
    QTextEdit* Notes = nullptr;
    QComboBox* RFile = nullptr;
    QListWidget* ROutputList = nullptr;
    QPushButton* PrevInstanceKVE = nullptr;
    BatchOutcome m_batchOutcome;
    RPage* m_rPage = nullptr;
};

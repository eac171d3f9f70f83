#pragma once
// frmMain: the main window. Five pages behind a strip of toggle buttons:
// the data sheet (data_sheet_page), the analysis options and the graphics
// options (analysis_options_page, graphics_options_page), the notes and the
// R script panel; below them "Always on top", the status line and the
// command buttons.
//
// The code is split along the window's seams: frm_main.cpp builds the
// window, switches the pages and gathers and sets the dataset options;
// frm_main_commands.cpp holds the command buttons, frm_main_evaluation.cpp
// "Calculate", frm_main_startup.cpp the start-up, the command line and the
// close.
//
// Controls carry their names as Qt objectNames (an indexed
// control as name_index: Text1_8, Option1_2, Frame9_0), so that code
// elsewhere finds them with findChild.

#include <QMainWindow>

#include <array>

#include "core/data_matrix.hpp"
#include "core/dataset_options.hpp"
#include "ui/data_sheet_page.hpp"
#include "ui/main_window_controls.hpp"

class AnalysisOptionsPage;
class FlexGrid;
class GraphicsOptionsPage;
class OptionPage;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMimeData;
class QPushButton;
class QStackedWidget;
class QTimer;
class RScriptPage;
class frmMain;
class frmInfo;
class frmPlot;
struct XYPlot;
struct HistogramPlot;
class SingleInstance;
class RPage;

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // The main window of the program (the last one created).
    static frmMain* instance();

    DataMatrix& dataMatrix() { return m_sheet->matrix(); }
    FlexGrid* grid() const { return m_sheet->grid(); }
    DataSheetPage& sheet() const { return *m_sheet; }
    QLineEdit* text1(TextBox box) const { return m_controls.text(box); }
    QLineEdit* text1(int index) const { return text1(static_cast<TextBox>(index)); }
    QCheckBox* check(CheckBox box) const { return m_controls.check(box); }
    QCheckBox* check(int number) const { return check(static_cast<CheckBox>(number)); }

    // ---- the dataset options ----------------------------------------------
    // Every option as the controls show it: what Save writes and what
    // Calculate reads.
    DatasetFile::DatasetOptions gatherOptions() const;
    // Sets the control of one option as the user's change would, so that
    // its rules follow (a file's options are applied one by one, in file
    // order).
    void applyOption(DatasetFile::Option option, const DatasetFile::OptionValue& value);

    // ---- data sheet (data_sheet_page.cpp) ---------------------------------
    void MatrixTOGrid(int r, int c) { m_sheet->MatrixTOGrid(r, c); }
    void AssignRowNumbers() { m_sheet->AssignRowNumbers(); }
    void RemoveEmptyRows() { m_sheet->RemoveEmptyRows(); }
    void Command9_Click() { m_sheet->Command9_Click(); }     // apply the row count
    void Command30_Click() { m_sheet->Command30_Click(); }   // remove invalid rows
    void Command3_Click() { m_sheet->Command3_Click(); }     // paste
    void Command2_Click() { m_sheet->Command2_Click(); }     // copy
    void Check7_Click() { m_sheet->Check7_Click(); }         // swap
    void Fg2_DblClick() { m_sheet->Fg2_DblClick(); }
    bool FG2_OLEDragOver(const QMimeData* data) const { return m_sheet->FG2_OLEDragOver(data); }
    void FG2_OLEDragDrop(const QStringList& paths) { m_sheet->FG2_OLEDragDrop(paths); }
    // Shows every data cell again (after a format change, a load).
    void showSheet() { m_sheet->showSheet(); }
    // Takes both grid formats and shows the sheet with them.
    void setGridFormats(const QString& formatXY, const QString& formatSD);

    // ---- pages, option rules and status line -------------------------------
    void CheckButton_Click(int index);
    void Option1_Click(int index);
    void Text1_LostFocus(int index);
    void Check49_Click();                    // always on top
    void Check51_Click();                    // all R output files
    // Shows the status line for 5 seconds (the timer hides it).
    void showStatusInfo(const QString& text);
    // The status line itself, for the run's step names (shown and hidden
    // by the run, without the timer).
    QLabel* statusLine() const { return Label16; }
    void TimerInfo_Timer();

    // ---- buttons and entry points of the neighbours (frm_main_commands.cpp)
    void Command8_Click();                   // Open
    void Command1_Click();                   // Save
    void Command17_Click();                  // Save As
    void Command5_Click();                   // New
    void Command4_Click();                   // View
    void Command6_Click();                   // Calculate (frm_main_evaluation.cpp)
    void Command11_Click();                  // Scatter
    void Command14_Click();                  // Rank
    void Command13_Click();                  // Histo (also the run's "Histogram plots")
    void Command15_Click();                  // Plot histogram (the histogram panel)
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

    // ---- charts (frm_main_plots.cpp) ----------------------------------------
    // Creates, fills and shows a new chart window for an XY chart. A failure
    // is thrown to the caller; a window already shown stays open, any other
    // is deleted.
    static frmPlot* CreateXYPlot(const XYPlot& plot);
    // CreateXYPlot for a caller that goes on after a failure: the failure's
    // description is shown in a box titled "Plot". False after a failure.
    static bool drawXYPlot(const XYPlot& plot);
    // Creates, fills and shows a new chart window for a histogram
    // (frm_main_histogram.cpp); none when neither series is shown. A
    // failure is thrown to the caller before any window is shown.
    static frmPlot* CreateHistogramPlot(const HistogramPlot& plot);

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
    frmInfo* showResults(const QString& caption, const QByteArray& utf8, bool batchActions);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void setStayOnTop(bool onTop);
    void createStartupControls();
    void connectCommands();
    // The R page's commands (frm_main_r.cpp), once the pages are built.
    void addRCommands();
    std::array<OptionPage*, 4> optionPages() const;

    MainControls m_controls;
    DataSheetPage* m_sheet = nullptr;
    AnalysisOptionsPage* m_analysis = nullptr;
    GraphicsOptionsPage* m_graphics = nullptr;
    OptionPage* m_notes = nullptr;
    RScriptPage* m_rScript = nullptr;
    std::array<QPushButton*, 5> CheckButton{};
    QStackedWidget* m_pages = nullptr;
    bool m_switching = false;
    QLabel* Label16 = nullptr;
    QTimer* TimerInfo = nullptr;
    QPushButton* PrevInstanceKVE = nullptr;
    // The outcome of the last Calculate: why it wrote no report, if it did
    // not, and the files besides the report it could not write (read by
    // the command line).
    QString m_lastRunRefusal;
    QStringList m_lastRunUnsavedFiles;
    BatchOutcome m_batchOutcome;
    RPage* m_rPage = nullptr;
};

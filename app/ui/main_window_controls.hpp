#pragma once
// The main window's numbered controls: the check boxes Check1..Check56 and
// the text boxes Text1_0..Text1_14 by what they hold (their objectNames are
// "Check" and "Text1_" with the number), the control that shows each
// dataset option, and the registry through which the pages hand their
// controls to the window.

#include <QString>

#include <array>
#include <map>

#include "core/dataset_options.hpp"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QWidget;

// Check boxes by number.
enum class CheckBox : int {
    ShowExcluded = 1,
    IgnoreUncertaintyX = 2,
    IgnoreUncertaintyY = 3,
    MomentStatistics = 4,
    MsepAnalysis = 5,
    ResidualAnalysis = 6,
    Swap = 7,
    PasteSingleColumn = 8,
    AutoIncreaseRows = 9,
    ParameterTests = 10,
    DiverseMeasures = 11,
    RankAnalysis = 12,
    AddComments = 13,
    ResidualPlot = 14,
    ConcordanceTests = 17,
    KleijnenAnalysis = 18,
    BalanceAnalysis = 19,
    OlsSls = 20,
    SaveResidueFile = 21,
    SameScaleXY = 22,
    MsepBootstrap = 23,
    ThresholdTable = 24,
    ResidueRegression = 25,
    WeighedDeviance = 26,
    DistanceAnalysis = 27,
    ShowReferences = 28,
    DistributionAnalysis = 29,
    GeneralizedCcc = 30,
    DeviationPlot = 31,
    ResidueWindow = 32,
    HistogramPlots = 33,
    IndexAnalysis = 34,
    OrthogonalBalance = 35,
    NormalPlot = 36,
    HistogramXY = 37,
    HistogramAccumulated = 38,
    HistogramPercentage = 39,
    Histogram2D = 40,
    Histogram3D = 41,
    HistogramDifference = 42,
    HistogramAbsDifference = 43,
    NotesBlue = 44,
    NotesBold = 45,
    PlotYXLine = 46,
    BlandAltman = 47,
    DeviationAnalysis = 48,
    AlwaysOnTop = 49,
    NoSound = 50,
    RShowAll = 51,
    RAssignTemplate = 52,
    RShowLog = 53,
    ROpenGraphics = 54,
    ROpenText = 55,
    RobustStatistics = 56,
};

// Text boxes of the control array Text1 by index.
enum class TextBox : int {
    RowCount = 0,
    DeviationUpper = 1,
    ResidualLower = 2,
    ResidualUpper = 3,
    RStdResidueLower = 4,
    RStdResidueUpper = 5,
    BootstrapSize = 6,
    BootstrapSubsamples = 7,
    DeviationConfidence = 8,
    DeviationLower = 9,
    RankThreshold = 10,
    XYThreshold = 11,
    GridFormatSD = 12,
    GridFormatXY = 13,
    HistogramBins = 14,
};
inline constexpr int TextBoxCount = 15;

QString checkBoxName(CheckBox box);     // "Check24"
QString textBoxName(TextBox box);       // "Text1_8"

// The objectName of the control that shows a dataset option ("Check24",
// "Option1_0", "Text1_8"; "List1" for the residue columns, one item each;
// "Notes" for the notes' font size).
QString optionControlName(DatasetFile::Option option);

// A command button with its objectName and tooltip.
QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption,
                        const QString& tooltip = QString());

// A check box of a page and its caption, for the pages' tables of boxes.
struct CheckSpec {
    CheckBox box;
    const char* caption;
};

// The numbered controls of the main window, filled in by the pages as they
// build them.
struct MainControls {
    std::map<int, QCheckBox*> checks;
    std::array<QLineEdit*, TextBoxCount> texts{};

    QCheckBox* check(CheckBox box) const;
    QLineEdit* text(TextBox box) const { return texts[static_cast<std::size_t>(box)]; }
};

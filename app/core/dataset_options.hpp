#pragma once
// The options a dataset file keeps: one table of the 94 option lines in file
// order, their defaults and the rules between them. The file writer and
// reader, the main window (which shows each option in a control of its own)
// and the evaluation run (which reads them as EvaluationSettings) all go
// through this table.

#include <QString>

#include <array>
#include <variant>

namespace DatasetFile {

// The options, named after what they switch, in the order of the file.
enum class Option : int {
    LeastSquares,               // LSM: the regression method buttons
    WeightedLeastSquares,       // WLSM
    RobustRegression,           // ROBUSTR
    IgnoreUncertaintyX,
    IgnoreUncertaintyY,
    AutoIncreaseRows,
    PasteSingleColumn,
    SameScaleXY,
    AddComments,
    ShowExcluded,
    PlotYXLine,
    ShowReferences,
    NoSound,
    GridFormatXY,
    GridFormatSD,
    ParameterTests,
    OlsSls,
    DistributionAnalysis,
    MomentStatistics,
    DiverseMeasures,
    IndexAnalysis,
    ConcordanceTests,
    GeneralizedCcc,
    RankAnalysis,
    BalanceAnalysis,
    OrthogonalBalance,
    MsepAnalysis,
    KleijnenAnalysis,
    ThresholdTable,
    DistanceAnalysis,
    WeighedDeviance,
    ResidualAnalysis,
    HistogramPlots,
    BlandAltman,
    DeviationAnalysis,
    RobustStatistics,
    RankThreshold,
    XYThreshold,
    MsepBootstrap,
    BootstrapSubsamples,
    BootstrapSize,
    ResidueColumn1,             // RESIDUE_1 .. RESIDUE_14: the residual table's columns
    ResidueColumn14 = ResidueColumn1 + 13,
    DeviationLower,
    DeviationUpper,
    ResidualLower,
    ResidualUpper,
    RStdResidueLower,
    RStdResidueUpper,
    DeviationConfidence,
    ResidueRegression,
    SaveResidueFile,
    ResidueWindow,
    ResidualPlot,
    DeviationPlot,
    NormalPlot,
    HistogramXY,
    HistogramTogether,
    HistogramSeparate,
    HistogramDifference,
    HistogramAbsDifference,
    HistogramAccumulated,
    HistogramPercentage,
    HistogramBins,
    Histogram2D,
    Histogram3D,
    HistogramBar,
    HistogramLine,
    HistogramArea,
    HistogramStep,
    HistogramPie,
    RShowAll,
    RAssignTemplate,
    ROpenGraphics,
    ROpenText,
    RShowLog,
    RGraphBmp,
    RGraphJpeg,
    RGraphPng,
    NotesBold,
    NotesBlue,
    NotesSize,
};

inline constexpr int OptionCount = 94;
static_assert(static_cast<int>(Option::NotesSize) + 1 == OptionCount);

constexpr int indexOf(Option option)
{
    return static_cast<int>(option);
}
constexpr Option optionAt(int index)
{
    return static_cast<Option>(index);
}
// The residue option of residual-table column 1..14, and back (0 for the others).
constexpr Option residueOption(int column)
{
    return static_cast<Option>(indexOf(Option::ResidueColumn1) + column - 1);
}
constexpr int residueColumnOf(Option option)
{
    const int c = indexOf(option) - indexOf(Option::ResidueColumn1) + 1;
    return c >= 1 && c <= 14 ? c : 0;
}

enum class OptionForm {
    CheckState, // check box state, written " 0" / " 1" / " 2"
    Flag,       // option button or list item selection, written "True" / "False"
    Text,       // text box text, unchanged
    Format,     // grid number format, unchanged
    Size,       // notes font size, written " 10"
};

// Option buttons of one group exclude each other.
enum class OptionGroup { None, RegressionMethod, HistogramLayout, HistogramStyle, RGraphFormat };

struct OptionKey {
    Option option;
    const char* key;     // as written in the file
    OptionForm form;
    OptionGroup group;   // the group of an option button
};

const std::array<OptionKey, OptionCount>& optionKeys();
inline const OptionKey& optionKey(Option option)
{
    return optionKeys()[static_cast<std::size_t>(indexOf(option))];
}
// Index of the entry whose key equals `key` in any case; -1 when none does.
int findOptionKey(const QString& key);

// One option value: a check state, a flag, a text or format, a font size.
using OptionValue = std::variant<int, bool, QString, float>;
using DatasetOptions = std::array<OptionValue, OptionCount>;

// The options as a new dataset has them, and as the main window starts.
DatasetOptions defaultOptions();

// Sets an option the way the user's change of its control would as far as
// the values go: choosing an option button clears the others of its group;
// ticking "2D Graph" clears "3D Graph" and ticking "3D Graph" clears
// "2D Graph" and moves a chosen "Pie" to "Bar".
void applyOption(DatasetOptions& options, int index, const OptionValue& value);
inline void applyOption(DatasetOptions& options, Option option, const OptionValue& value)
{
    applyOption(options, indexOf(option), value);
}

// Typed reads of one option.
inline int checkStateOf(const DatasetOptions& options, Option option)
{
    return std::get<int>(options[static_cast<std::size_t>(indexOf(option))]);
}
// A check box counts as ticked at state 1 only; a grey box (2) is not.
inline bool isTicked(const DatasetOptions& options, Option option)
{
    return checkStateOf(options, option) == 1;
}
inline bool isChosen(const DatasetOptions& options, Option option)
{
    return std::get<bool>(options[static_cast<std::size_t>(indexOf(option))]);
}
inline const QString& textOf(const DatasetOptions& options, Option option)
{
    return std::get<QString>(options[static_cast<std::size_t>(indexOf(option))]);
}

} // namespace DatasetFile

#include "core/dataset_options.hpp"

namespace DatasetFile {

namespace {

using F = OptionForm;
using G = OptionGroup;
using O = Option;

// The option lines in file order. Keys are written exactly so: upper case
// except "NoSound", "HIST_Pie" and the "R_" keys, and "TRESHOLD" with one H,
// as files of every earlier version spell them.
constexpr std::array<OptionKey, OptionCount> kOptionKeys = {{
    {O::LeastSquares, "LSM", F::Flag, G::RegressionMethod},
    {O::WeightedLeastSquares, "WLSM", F::Flag, G::RegressionMethod},
    {O::RobustRegression, "ROBUSTR", F::Flag, G::RegressionMethod},
    {O::IgnoreUncertaintyX, "UNCERTAINTY_X", F::CheckState, G::None},
    {O::IgnoreUncertaintyY, "UNCERTAINTY_Y", F::CheckState, G::None},
    {O::AutoIncreaseRows, "AUTO_ROW", F::CheckState, G::None},
    {O::PasteSingleColumn, "SINGLE_COLUMN", F::CheckState, G::None},
    {O::SameScaleXY, "SAME_SCALE_XY", F::CheckState, G::None},
    {O::AddComments, "ADD_COMMENT", F::CheckState, G::None},
    {O::ShowExcluded, "SHOW_EXCLUDED", F::CheckState, G::None},
    {O::PlotYXLine, "PLOT_YX", F::CheckState, G::None},
    {O::ShowReferences, "SHOW_LITERATURE", F::CheckState, G::None},
    {O::NoSound, "NoSound", F::CheckState, G::None},
    {O::GridFormatXY, "GRID_FORMAT_XY", F::Format, G::None},
    {O::GridFormatSD, "GRID_FORMAT_SD", F::Format, G::None},
    {O::ParameterTests, "PARAMETER_TEST", F::CheckState, G::None},
    {O::OlsSls, "OLS_SLS", F::CheckState, G::None},
    {O::DistributionAnalysis, "DISTRIBUTION_ANALYSIS", F::CheckState, G::None},
    {O::MomentStatistics, "MOMENT_STATISTIC", F::CheckState, G::None},
    {O::DiverseMeasures, "DIVERSE_MEASURES", F::CheckState, G::None},
    {O::IndexAnalysis, "INDEX_ANALYSIS", F::CheckState, G::None},
    {O::ConcordanceTests, "CONCORDANCE_TEST", F::CheckState, G::None},
    {O::GeneralizedCcc, "GENERAL_CCC", F::CheckState, G::None},
    {O::RankAnalysis, "RANK_ANALYSIS", F::CheckState, G::None},
    {O::BalanceAnalysis, "BALANCE_ANALYSIS", F::CheckState, G::None},
    {O::OrthogonalBalance, "ORTHOGONAL_BALANCE", F::CheckState, G::None},
    {O::MsepAnalysis, "MSEP_ANALYSIS", F::CheckState, G::None},
    {O::KleijnenAnalysis, "KLEIJNEN_ANALYSIS", F::CheckState, G::None},
    {O::ThresholdTable, "THRESHOLD_ANALYSIS", F::CheckState, G::None},
    {O::DistanceAnalysis, "DISTANCE_ANALYSIS", F::CheckState, G::None},
    {O::WeighedDeviance, "WEIGHED_DEVIANCE", F::CheckState, G::None},
    {O::ResidualAnalysis, "RESIDUAL_ANALYSIS", F::CheckState, G::None},
    {O::HistogramPlots, "HISTOGRAM_PLOT", F::CheckState, G::None},
    {O::BlandAltman, "BLAND_ALTMAN_ANALYSIS", F::CheckState, G::None},
    {O::DeviationAnalysis, "DEVIATION_ANALYSIS", F::CheckState, G::None},
    {O::RobustStatistics, "ROBUST_STATISTICS", F::CheckState, G::None},
    {O::RankThreshold, "TRESHOLD_RANK", F::Text, G::None},
    {O::XYThreshold, "TRESHOLD_XY", F::Text, G::None},
    {O::MsepBootstrap, "MSPE_BOOTSTRAP", F::CheckState, G::None},
    {O::BootstrapSubsamples, "MSPE_BOOTSTRAP_SUBSAMPLE", F::Text, G::None},
    {O::BootstrapSize, "MSPE_BOOTSTRAP_SIZE", F::Text, G::None},
    {residueOption(1), "RESIDUE_1", F::Flag, G::None},
    {residueOption(2), "RESIDUE_2", F::Flag, G::None},
    {residueOption(3), "RESIDUE_3", F::Flag, G::None},
    {residueOption(4), "RESIDUE_4", F::Flag, G::None},
    {residueOption(5), "RESIDUE_5", F::Flag, G::None},
    {residueOption(6), "RESIDUE_6", F::Flag, G::None},
    {residueOption(7), "RESIDUE_7", F::Flag, G::None},
    {residueOption(8), "RESIDUE_8", F::Flag, G::None},
    {residueOption(9), "RESIDUE_9", F::Flag, G::None},
    {residueOption(10), "RESIDUE_10", F::Flag, G::None},
    {residueOption(11), "RESIDUE_11", F::Flag, G::None},
    {residueOption(12), "RESIDUE_12", F::Flag, G::None},
    {residueOption(13), "RESIDUE_13", F::Flag, G::None},
    {residueOption(14), "RESIDUE_14", F::Flag, G::None},
    {O::DeviationLower, "DEVIATION_LOWER", F::Text, G::None},
    {O::DeviationUpper, "DEVIATION_UPPER", F::Text, G::None},
    {O::ResidualLower, "RESIDUAL_LOWER", F::Text, G::None},
    {O::ResidualUpper, "RESIDUAL_UPPER", F::Text, G::None},
    {O::RStdResidueLower, "RSTD_RESIDUE_LOWER", F::Text, G::None},
    {O::RStdResidueUpper, "RSTD_RESIDUE_UPPER", F::Text, G::None},
    {O::DeviationConfidence, "DEVIATION_CI_PROB", F::Text, G::None},
    {O::ResidueRegression, "RESIDUAL_REGRESSION_PLOT", F::CheckState, G::None},
    {O::SaveResidueFile, "SAVE_RESIDUE_TEXT", F::CheckState, G::None},
    {O::ResidueWindow, "RESIDUE_WINDOW", F::CheckState, G::None},
    {O::ResidualPlot, "SHOW_RESIDUAL_PLOT", F::CheckState, G::None},
    {O::DeviationPlot, "SHOW_DEVIATION_PLOT", F::CheckState, G::None},
    {O::NormalPlot, "SHOW_NORMAL_PLOT", F::CheckState, G::None},
    {O::HistogramXY, "HIST_PLOT_XY", F::CheckState, G::None},
    {O::HistogramTogether, "HIST_PLOT_TOGETHER", F::Flag, G::HistogramLayout},
    {O::HistogramSeparate, "HIST_PLOT_SEPARATE", F::Flag, G::HistogramLayout},
    {O::HistogramDifference, "HIST_PLOT_DIFFERENCE", F::CheckState, G::None},
    {O::HistogramAbsDifference, "HIST_PLOT_ABSDIFF", F::CheckState, G::None},
    {O::HistogramAccumulated, "HIST_ACCUMULATED", F::CheckState, G::None},
    {O::HistogramPercentage, "HIST_PERCENTAGE", F::CheckState, G::None},
    {O::HistogramBins, "HIST_BINS", F::Text, G::None},
    {O::Histogram2D, "HIST_2D", F::CheckState, G::None},
    {O::Histogram3D, "HIST_3D", F::CheckState, G::None},
    {O::HistogramBar, "HIST_BAR", F::Flag, G::HistogramStyle},
    {O::HistogramLine, "HIST_LINE", F::Flag, G::HistogramStyle},
    {O::HistogramArea, "HIST_AREA", F::Flag, G::HistogramStyle},
    {O::HistogramStep, "HIST_STEP", F::Flag, G::HistogramStyle},
    {O::HistogramPie, "HIST_Pie", F::Flag, G::HistogramStyle},
    {O::RShowAll, "R_ShowAll", F::CheckState, G::None},
    {O::RAssignTemplate, "R_AssignTemplate", F::CheckState, G::None},
    {O::ROpenGraphics, "R_OpenGraphics", F::CheckState, G::None},
    {O::ROpenText, "R_OpenTXT", F::CheckState, G::None},
    {O::RShowLog, "R_ShowLog", F::CheckState, G::None},
    {O::RGraphBmp, "R_GraphBMP", F::Flag, G::RGraphFormat},
    {O::RGraphJpeg, "R_GraphJPEG", F::Flag, G::RGraphFormat},
    {O::RGraphPng, "R_GraphPNG", F::Flag, G::RGraphFormat},
    {O::NotesBold, "NOTES_BOLD", F::CheckState, G::None},
    {O::NotesBlue, "NOTES_BLUE", F::CheckState, G::None},
    {O::NotesSize, "NOTES_SIZE", F::Size, G::None},
}};

// Every entry stands at the index of the option it names.
constexpr bool tableInOptionOrder()
{
    for (int i = 0; i < OptionCount; ++i)
        if (indexOf(kOptionKeys[static_cast<std::size_t>(i)].option) != i)
            return false;
    return true;
}
static_assert(tableInOptionOrder(), "the option table must follow the order of Option");

bool isOptionButton(const OptionKey& k)
{
    return k.group != G::None;
}

} // namespace

const std::array<OptionKey, OptionCount>& optionKeys()
{
    return kOptionKeys;
}

int findOptionKey(const QString& key)
{
    const QString upper = key.toUpper();
    for (int i = 0; i < OptionCount; ++i)
        if (QString::fromLatin1(kOptionKeys[static_cast<std::size_t>(i)].key).toUpper() == upper)
            return i;
    return -1;
}

DatasetOptions defaultOptions()
{
    DatasetOptions o;
    for (int i = 0; i < OptionCount; ++i) {
        OptionValue& v = o[static_cast<std::size_t>(i)];
        switch (kOptionKeys[static_cast<std::size_t>(i)].form) {
        case F::CheckState: v = 0; break;
        case F::Flag: v = false; break;
        case F::Text:
        case F::Format: v = QString(); break;
        case F::Size: v = 10.0f; break;
        }
    }
    auto set = [&o](Option option, const OptionValue& v) { o[static_cast<std::size_t>(indexOf(option))] = v; };
    set(O::LeastSquares, true);
    for (Option ticked : {O::AutoIncreaseRows, O::PasteSingleColumn, O::SameScaleXY, O::AddComments, O::PlotYXLine,
                          O::ParameterTests, O::DistributionAnalysis, O::MomentStatistics, O::DiverseMeasures,
                          O::ConcordanceTests, O::RankAnalysis, O::MsepAnalysis, O::ResidueWindow, O::HistogramXY,
                          O::Histogram2D, O::RAssignTemplate, O::ROpenGraphics, O::ROpenText, O::RShowLog})
        set(ticked, 1);
    set(O::GridFormatXY, QStringLiteral("##.#000"));
    set(O::GridFormatSD, QStringLiteral("#.#0000"));
    set(O::BootstrapSubsamples, QStringLiteral("200"));
    set(O::BootstrapSize, QStringLiteral("20"));
    set(O::DeviationConfidence, QStringLiteral("95"));
    set(O::HistogramBins, QStringLiteral("10"));
    set(O::HistogramTogether, true);
    set(O::HistogramBar, true);
    set(O::RGraphBmp, true);
    // Every residue column but "Expected Normal Residue" (6), "Semi-Studentized
    // Residue" (8) and "Deleted Residue or PRESS" (14).
    for (int column = 1; column <= 14; ++column)
        set(residueOption(column), column != 6 && column != 8 && column != 14);
    return o;
}

void applyOption(DatasetOptions& options, int index, const OptionValue& value)
{
    const OptionKey& k = kOptionKeys.at(static_cast<std::size_t>(index));
    options[static_cast<std::size_t>(index)] = value;
    if (isOptionButton(k) && std::get<bool>(value)) {
        for (int i = 0; i < OptionCount; ++i)
            if (i != index && kOptionKeys[static_cast<std::size_t>(i)].group == k.group)
                options[static_cast<std::size_t>(i)] = false;
    }
    if (k.option == O::Histogram2D && std::get<int>(value) == 1) {
        options[static_cast<std::size_t>(indexOf(O::Histogram3D))] = 0;
    } else if (k.option == O::Histogram3D && std::get<int>(value) == 1) {
        options[static_cast<std::size_t>(indexOf(O::Histogram2D))] = 0;
        if (isChosen(options, O::HistogramPie))
            applyOption(options, O::HistogramBar, true);
    }
}

} // namespace DatasetFile

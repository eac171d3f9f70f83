#pragma once
// What the evaluation run reads of the user's choices: one named field per
// option, built in one place (EvaluationSettings::fromOptions) from the
// dataset options and the three switches of the data sheet. The main
// window gathers its controls into DatasetOptions for Save and Calculate
// alike; the run never sees a control.

#include <QString>

#include <array>
#include <optional>

#include "core/dataset_options.hpp"

enum class RegressionMethod { None = -1, LeastSquares = 0, WeightedLeastSquares = 1, LeastAbsoluteDeviation = 2 };

// The switches of the data sheet that the run reads; they are not kept in
// the dataset file.
struct SheetSwitches {
    bool swapped = false;        // "Swap": X and Y exchanged on the sheet
    bool invertRanksX = false;   // "Invert X ranks"
    bool invertRanksY = false;   // "Invert Y ranks"
};

struct EvaluationSettings {
    // The regression: the chosen method button (None when none is chosen)
    // and the two uncertainty boxes.
    RegressionMethod method = RegressionMethod::LeastSquares;
    bool ignoreUncertaintyX = false;
    bool ignoreUncertaintyY = false;

    bool comments = true;        // "Add comments to output"
    SheetSwitches sheet;

    // The sections' check boxes; a section runs when its box is ticked
    // (state 1: a grey box does not count).
    struct Sections {
        bool parameterTests = false;
        bool olsSls = false;
        bool distribution = false;
        bool moments = false;
        bool robustStatistics = false;
        bool diverseMeasures = false;
        bool index = false;
        bool concordance = false;
        bool generalizedCcc = false;
        bool rank = false;
        bool balance = false;
        bool orthogonalBalance = false;
        bool msep = false;
        bool msepBootstrap = false;
        bool kleijnen = false;
        bool blandAltman = false;
        bool threshold = false;
        bool distance = false;
        bool weighedDeviance = false;
        bool deviation = false;
        bool residual = false;
        bool residueRegression = false;
        bool histograms = false;
        bool references = false;
    } sections;

    // "Bootstrap...": the number of sub-samples and their expected size in
    // percent of the rows, each the number its box begins with (0 when
    // the box does not begin with one).
    double bootstrapSubsamples = 0;
    double bootstrapSizePercent = 0;
    // "Threshold table...": the boxes as typed; an empty box leaves its
    // table out.
    QString rankThreshold;
    QString xyThreshold;
    // "Deviation CI % Prob": the number its box holds, read whole; nothing
    // when the box is empty or holds no number.
    std::optional<double> deviationConfidencePercent;

    // The limits on the residual panel, each the number its box holds,
    // read whole (0: the run derives the limit); nothing when the box is
    // empty, which leaves the limit that earlier runs or the percent bands
    // set, or when it holds no number.
    struct Limits {
        std::optional<double> deviationLower, deviationUpper;
        std::optional<double> residualLower, residualUpper;
        std::optional<double> rstdResidueLower, rstdResidueUpper;
    } limits;
    // A box of these that holds something other than a number, as the
    // words that refuse a run reading it ("Deviation lower limit is not a
    // number: -0,5"): the first such limit in the panel's order, and the
    // confidence box. Empty when the boxes hold numbers or nothing.
    QString unreadableLimit;
    QString unreadableConfidence;
    // Why a run cannot go on: the first box that a ticked section reads
    // (the confidence for the deviation analysis, the limits for the
    // residual analysis) and that holds no number; empty when none.
    QString unreadableInput() const;

    // The residual table: which columns (1..14; element 0 unused) and where
    // it goes.
    std::array<bool, 15> residueColumns{};
    bool residueToFile = false;      // "Save residues to a text file"
    bool residueWindow = false;      // "Separate window"

    // The charts after the report.
    struct Plots {
        bool residual = false;       // "Residual plot"
        bool deviation = false;      // "Deviation plot"
        bool normal = false;         // "Normal plot"
    } plots;

    static EvaluationSettings fromOptions(const DatasetFile::DatasetOptions& options,
                                          const SheetSwitches& sheet = {});
};

#pragma once
// Program-wide state of the main program: the batch state that a command
// line, a dropped file or the comparison window sets around a load, the
// user's folders, the current dataset file and the limits that the option
// panels and the evaluation run share. Not persisted.

#include <QString>
#include <QTime>

#include <array>
#include <cstdint>

// The acceptance limits of deviations and residues and the confidence of
// the deviation interval: set on the residual panel or derived by a run,
// and kept from run to run. The two cut-offs of the residual table are set
// by every run with a residual analysis.
struct AcceptanceLimits {
    double DeviationLower = 0.0;
    double DeviationUpper = 0.0;
    double ResidualLower = 0.0;
    double ResidualUpper = 0.0;
    double RStdResidueLower = 0.0;
    double RStdResidueUpper = 0.0;
    double DeviationConfidence = 0.0;
    double LeverageCutoff = 0.0;
    double DffitsCutoff = 0.0;
};

// The acceptance limits are part of it, under their own names
// (DeviationLower, ...), and go to and from each run as one record.
struct ProgramState : AcceptanceLimits {
    // Batch state
    bool BatchMode = false;
    QString OpenRequestFile;
    bool PrintResultsFlag = false;
    bool SaveResultsFlag = false;
    bool ShowResultsFlag = false;
    QString ResultsFolder;
    QString CompareFileName;

    // Folders and the current dataset
    QString DocumentsFolder;
    QString ProgramFilesFolder;
    QString DataFileName;
    QString DataFolder;
    QString DisclaimerText;
    // The entries picked in the contacts window, joined by "; ": emptied when
    // that window opens, set by its "Return", read by the mail window.
    QString SelectedAddresses;

    bool NoSoundFlag = false;
    // Which columns the residual table shows: entries 1..14 (0 unused).
    std::array<bool, 15> ResidueSelection{};

    // Shared with the evaluation run: the mean of the observed values (for
    // the percentage bands); the limits are the AcceptanceLimits above.
    double MeanY = 0.0;

    // The data sheet's display formats and the Swap box.
    QString GridFormatXY = QStringLiteral("##.#000");
    QString GridFormatSD = QStringLiteral("#.#0000");
    bool SwapXY = false;

    // When the status line was last shown and for how many seconds.
    QTime StatusStart;
    std::int32_t StatusDuration = 0;

    const AcceptanceLimits& acceptanceLimits() const { return *this; }
    void setAcceptanceLimits(const AcceptanceLimits& limits) { static_cast<AcceptanceLimits&>(*this) = limits; }
};

// The one instance, living for the whole program.
ProgramState& programState();
// Puts every value back to its value at start (for tests).
void resetProgramState();

// The fixed no-warranty notice shown by the splash screen and the About box.
QString defaultDisclaimerText();

#pragma once
// The regression step of the evaluation run and its three sections: the
// fit by the chosen method, the values every later section reads, the
// regression section, the parameter tests and the OLS/SLS lines.

#include <array>
#include <vector>

#include "core/evaluation_run.hpp"

class ReportText;

// What the regression step computes once for all later sections. Every
// value is 0 until its library call sets it; per-row arrays hold 0..N.
struct RunResults {
    double a = 0, b = 0, siga = 0, sigb = 0, chi2 = 0, Q = 0, abdev = 0;
    std::array<double, 7> intercept{}, slope{}, sigintercept{}, sigslope{};   // 1..6
    double MeanX = 0, MeanY = 0, VarX = 0, VarY = 0, MeanXY = 0, VarXY = 0, CoVarXY = 0;
    double MSE = 0;
    std::vector<double> Deviation, Pred, Residue, SEr, StdtRes, RStdtRes, h, Cook, DFFITS,
        NormalResidue, PRESS, SemiStdtRes, WtDev;
    double ResistantR2 = 0, AdjResistantR2 = 0;
    double r2 = 0, mb = 0, MAE = 0, pMAE = 0, MSEP = 0, VarMSEP = 0, MEF = 0, MxE = 0, CD = 0;
    std::array<double, 6> MSEPComp{};                                          // 0..5, 1..5 used
    double r = 0, t = 0, ProbT = 0, Adjr2 = 0, z = 0;
};

// Fits the line and computes the common values; a step that fails is
// skipped and leaves its values as they stood.
void computeRegression(const EvaluationData& data, RegressionMethod method, RunResults& results);

void writeRegressionSection(ReportText& report, const EvaluationData& data, RegressionMethod method,
                            const RunResults& results);
void writeParameterTestsSection(ReportText& report, const EvaluationData& data, const RunResults& results);
void writeOlsSlsSection(ReportText& report, const EvaluationData& data, const RunResults& results);

#pragma once
// The difference regressions of the run: Kleijnen's regression of X - Y on
// X + Y with its joint test and the stringent validation verdict, and Bland
// and Altman's regression of X - Y on the average of X and Y. Each appends
// its block to a report text and returns the chart of the differences.

#include <cstdint>

#include "core/evaluation/evaluation_context.hpp"
#include "core/report_text.hpp"
#include "core/xy_plot.hpp"

// The fitted line of the differences, intercept a (ß0) and slope b (ß1)
// with their standard deviations, chi-square and goodness-of-fit.
struct DifferenceFit {
    double a = NotComputed, b = NotComputed, sa = NotComputed, sb = NotComputed, chi2 = NotComputed,
           q = NotComputed;
};

// Points X(i), Y(i), i = 1..n; SigX is handed to the unweighted
// fit, which does not use it. r and corrprobt are Pearson's correlation of
// X and Y and the probability of its t test. The verdict's closing line is
// an explanation (written with T's comments); the lines of a failed
// assumption are always written.
XYPlot Kleijnen_Analysis(SumtrixLib::Sumtrix& lib, const SumtrixLib::BoundedArray<double>& X,
                         const SumtrixLib::BoundedArray<double>& Y, std::int32_t n,
                         const SumtrixLib::BoundedArray<double>& SigX, DifferenceFit& fit, double r, double corrprobt,
                         ReportText& T, const QString& mainCaption);

XYPlot Bland_Altman_Analysis(SumtrixLib::Sumtrix& lib, const SumtrixLib::BoundedArray<double>& X,
                             const SumtrixLib::BoundedArray<double>& Y, std::int32_t n,
                             const SumtrixLib::BoundedArray<double>& SigX, DifferenceFit& fit, ReportText& T,
                             const QString& mainCaption);

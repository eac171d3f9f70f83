#pragma once
// The XY charts that sections of the run ask the window to draw while the
// report is being written: one series of points, ordinate against
// abscissa, in the chart builder's shape (the abscissa in columns 1 and 2,
// the ordinate in column 3 of rows 1..n), Arial titles, "n = " and the
// count of points drawn as footnote.

#include <QString>

#include "core/evaluation/evaluation_context.hpp"
#include "core/xy_plot.hpp"

// `ordinate`(i) against `abscissa`(i) for i = 1..n (element 0 unused). A
// value that is no number, or not finite, leaves its point out of the chart
// and out of the count of points that the footnote and `n` give.
XYPlot runPointsChart(ArrayView abscissa, ArrayView ordinate, int n,
                      const QString& title, const QString& axisXTitle, const QString& axisYTitle,
                      const QString& mainCaption);

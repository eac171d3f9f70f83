#pragma once
// The histogram builder's work on the chart itself, apart from the window:
// title and footnote with their fonts, the chart type, the bins as the data
// grid, the two series with their legend texts and colours, the axes.
// frmMain::CreateHistogramPlot calls it between the window's own steps.

#include "charts/chart_model.hpp"
#include "core/histogram.hpp"

void fillHistogramChart(ChartModel& chart, const HistogramPlot& plot, const HistogramBins& bins);

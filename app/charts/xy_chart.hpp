#pragma once
// The XY chart builder's work on the chart itself, apart from the window:
// titles, footnote, data and series roles; the common scale of both axes;
// the markers and colours of a series. frmMain::CreateXYPlot calls these in
// its order of steps, between the window's own.

#include "charts/chart_model.hpp"
#include "core/xy_plot.hpp"

// Title and footnote with their fonts, the data grid, the roles of series 1
// (hidden), 3 (the points, "Obs"), 5 (the line "Y=X") and 7 (hidden, or the
// excluded points "Excluded" when Cols is 7), the axis titles and label
// fonts, and automatic scales.
void fillXYChart(ChartModel& chart, const XYPlot& plot);

// One scale for both axes, from their two automatic scales: the lower
// minimum, the higher maximum, the larger major and the smaller minor
// division count. Automatic scaling ends on both axes.
void applyCommonScale(ChartModel& chart);

// Markers not automatic and the series' colour (parts `series` of
// MarkerColor1..3) on the point fill, the marker fill, the marker outline
// and the point edge. With `withMarker` also the marker style (entry
// `series` of Marker) and the size for plot.n points.
void styleXYSeries(ChartModel& chart, const XYPlot& plot, int series, bool withMarker);

// Marker styles the chart draws.
constexpr int MarkerStyleCount = 15;

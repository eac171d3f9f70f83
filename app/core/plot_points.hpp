#pragma once
// The points of the "Scatter" and "Rank" commands: which rows of the dataset
// are used, how excluded rows are shown, and the chart description handed to
// the XY chart builder. Scatter plots Y (Obs) on X (Pred), rank plots the
// rank of Y on the rank of X.

#include <QString>

#include "core/data_matrix.hpp"
#include "core/xy_plot.hpp"

enum class PlotCommand { Scatter, Rank };

// The main window's states that the commands read.
struct PlotCommandOptions {
    int gridRows = 0;                    // the sheet's row count, header row included
    bool showExcluded = false;           // Check1 "Show excluded data points"
    bool plotYEqualsX = true;            // Check46 "Plot Y = X line"
    bool sameScale = true;               // Check22 "Same scale for X- and Y-axis" (scatter only)
    bool swapXY = false;                 // the Swap box has exchanged X and Y (scatter only)
    QString mainCaption;                 // the main window's caption
};

struct PlotPoints {
    enum class Status {
        Ok,                              // plot holds the chart to draw
        TooFewRows,                      // fewer than 3 used rows: message, no chart
        NotNumeric,                      // a used row's X or Y is not a number: message, no chart
    };
    Status status = Status::Ok;
    QString message;                     // for TooFewRows and NotNumeric
    QString messageTitle;                // empty: the program's title
    XYPlot plot;
};

// Rows 1, 2, ... up to gridRows - 1 before the first row whose X cell is
// empty (for the rank command also whose rank-X cell is empty).
int plotRowCount(const DataMatrix& matrix, int gridRows, PlotCommand command);

// Whether a row's exclusion mark begins with "Y" or "y" (a mark beginning
// with "0" does not exclude a row from these charts).
bool isPlotExcluded(const DataCell& mark);

PlotPoints buildPlotPoints(const DataMatrix& matrix, PlotCommand command, const PlotCommandOptions& options);

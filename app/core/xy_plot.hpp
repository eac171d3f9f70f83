#pragma once
// XYPlot: everything the XY chart builder (frmMain::CreateXYPlot) draws from,
// in the order of its parameters. Every scatter-type chart of the program is
// described this way: the scatter and rank commands, and the evaluation
// run's residual, deviation, normal, Bland-Altman and Kleijnen charts.
//
// The points matrix is read in pairs of columns, X first: chart series k
// (k = 1, 3, 5, 7) takes its points from (column k - 1, column k). Series 1
// is a hidden placeholder, series 3 the plotted points ("Obs"), series 5 the
// line Y = X ("Y=X") and series 7 the points shown apart ("Excluded").
// Row 0 and column 0 carry no data. An empty cell is a missing point.

#include <QString>

#include <array>

#include "core/plot_matrix.hpp"

struct XYPlot {
    PlotMatrix PlotData;
    int n = 0;                           // points shown: the marker size follows it
    int Cols = 3;                        // highest series number in use: 3, 5 or 7
    bool SameScale = false;              // one common scale for both axes
    QString TitleText;
    QString TitleFontName = QStringLiteral("Arial");
    QString TitleFontSize = QStringLiteral("14");
    QString FootnoteTitle;
    QString FootnoteFontName = QStringLiteral("Arial");
    QString FootnoteFontsize = QStringLiteral("8");
    QString AxisXTitle;
    QString AxisYTitle;
    QString AxisFontName = QStringLiteral("Arial");
    QString AxisFontSize = QStringLiteral("10");
    QString AxisLabelFontName = QStringLiteral("Arial");
    QString AxisLabelFontSize = QStringLiteral("12");
    // Per series number (entry 0 unused): marker style and the red, green
    // and blue parts of the colour. Unset entries are 0 (black).
    std::array<int, 8> Marker{};
    std::array<int, 8> MarkerColor1{};
    std::array<int, 8> MarkerColor2{};
    std::array<int, 8> MarkerColor3{};
    QString PlotCaption;                 // the window's caption after "Plot - "
};

// A number as the plain number-to-text conversion writes it: a blank in the
// place of the sign of a number that is not negative, "." as the decimal
// point, no grouping, the shortest form that reads back ("4", "2.5").
QString plainNumberText(double value);

// The footnote of the XY charts: "n = " and the count written with a blank
// in the place of its sign ("n =  25").
QString pointCountFootnote(int n);

// The chart window's caption text from the main window's caption: what
// follows the first "-" and the one character after it, when that "-"
// stands after the caption's first character; "Untitled" otherwise.
QString plotCaptionFrom(const QString& mainCaption);

// Marker size of the XY charts for n points: 200 below 50, 150 below 100,
// 100 from 100 on.
int markerSizeForPoints(int n);

// A font size given as text ("14") as a number. Throws a run-time error
// (13, type mismatch) for a text that is not a number.
double fontSizeFromText(const QString& text);

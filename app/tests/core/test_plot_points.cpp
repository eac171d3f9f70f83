// The points of the "Scatter" and "Rank" commands: used rows, exclusion
// marks, the Y = X line, the excluded points apart, and what the two
// commands hand to the XY chart builder.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/plot_points.hpp"

namespace {

// A small dataset: X, Y, rank X, rank Y and the exclusion mark per row.
struct Row {
    const char* x;
    const char* y;
    const char* mark;
};

DataMatrix dataset(const std::vector<Row>& rows)
{
    DataMatrix m(static_cast<int>(rows.size()) + 2);
    int r = 1;
    for (const Row& row : rows) {
        if (row.x)
            m.setText(DataMatrix::ColX, r, QLatin1String(row.x));
        if (row.y)
            m.setText(DataMatrix::ColY, r, QLatin1String(row.y));
        m.setNumber(DataMatrix::ColRankX, r, r);
        m.setNumber(DataMatrix::ColRankY, r, 10 * r);
        if (row.mark)
            m.setText(DataMatrix::ColExclude, r, QLatin1String(row.mark));
        ++r;
    }
    return m;
}

using Cells = std::vector<std::optional<double>>;   // columns 0..7 of one matrix row
constexpr std::nullopt_t E = std::nullopt;

Cells rowOf(const PlotMatrix& m, int row)
{
    Cells cells;
    for (int c = 0; c < m.columns(); ++c)
        cells.push_back(m.at(row, c));
    return cells;
}

} // namespace

TEST(PlotPoints, MatrixOfTheScatterCommand)
{
    // Marks: none, "yes" (excluded), "0" and "No" (both plotted here).
    const std::vector<Row> rows = {{"1", "2", nullptr}, {"3", "4", "yes"}, {"5", "6", "0"}, {"7", "8", "No"}};
    struct Case {
        const char* name;
        bool showExcluded;
        bool yEqualsX;
        int n;
        int cols;
        std::vector<Cells> matrix;       // rows 1..4
    };
    const Case cases[] = {
        // The line Y = X by its ends: in the rows of the smallest and the largest X.
        {"excluded left out", false, true, 3, 5,
         {{E, 1, 1, 2, 1, 1, E, E}, {E, E, E, E, E, E, E, E}, {E, 5, 5, 6, E, E, E, E}, {E, 7, 7, 8, 7, 7, E, E}}},
        {"excluded shown apart", true, true, 4, 7,
         {{E, 1, 1, 2, 1, 1, 1, E}, {E, 3, 3, E, E, E, 3, 4}, {E, 5, 5, 6, E, E, 5, E}, {E, 7, 7, 8, 7, 7, 7, E}}},
        {"no Y = X line", false, false, 3, 5,
         {{E, 1, 1, 2, E, E, E, E}, {E, E, E, E, E, E, E, E}, {E, 5, 5, 6, E, E, E, E}, {E, 7, 7, 8, E, E, E, E}}},
    };
    for (const Case& c : cases) {
        PlotCommandOptions options;
        options.gridRows = 7;
        options.showExcluded = c.showExcluded;
        options.plotYEqualsX = c.yEqualsX;
        const PlotPoints p = buildPlotPoints(dataset(rows), PlotCommand::Scatter, options);
        ASSERT_EQ(p.status, PlotPoints::Status::Ok) << c.name;
        EXPECT_EQ(p.plot.n, c.n) << c.name;
        EXPECT_EQ(p.plot.Cols, c.cols) << c.name;
        ASSERT_EQ(p.plot.PlotData.rows(), 5) << c.name;
        ASSERT_EQ(p.plot.PlotData.columns(), 8) << c.name;
        EXPECT_EQ(rowOf(p.plot.PlotData, 0), Cells(8, E)) << c.name;
        for (int r = 1; r <= 4; ++r)
            EXPECT_EQ(rowOf(p.plot.PlotData, r), c.matrix[static_cast<std::size_t>(r - 1)]) << c.name << " row " << r;
        EXPECT_EQ(p.plot.FootnoteTitle, QStringLiteral("n =  %1").arg(c.n)) << c.name;
    }
}

TEST(PlotPoints, UsedRowsEndAtTheFirstEmptyCell)
{
    struct Case {
        const char* name;
        std::vector<Row> rows;
        PlotCommand command;
        bool clearRankX3;                // rank X of row 3 empty
        PlotPoints::Status status;
        int usedRows;
        const char* message;
    };
    const Case cases[] = {
        {"empty X in row 4, rows after it filled", {{"1", "1", nullptr}, {"2", "2", nullptr}, {"3", "3", nullptr},
                                                    {"", "4", nullptr}, {"5", "5", nullptr}},
         PlotCommand::Scatter, false, PlotPoints::Status::Ok, 3, nullptr},
        {"two rows", {{"1", "1", nullptr}, {"2", "2", nullptr}}, PlotCommand::Scatter, false,
         PlotPoints::Status::TooFewRows, 2, "Not enough data points to generate a plot"},
        {"empty dataset", {}, PlotCommand::Scatter, false, PlotPoints::Status::TooFewRows, 0,
         "Not enough data points to generate a plot"},
        {"rank X empty in row 3", {{"1", "1", nullptr}, {"2", "2", nullptr}, {"3", "3", nullptr}, {"4", "4", nullptr}},
         PlotCommand::Rank, true, PlotPoints::Status::TooFewRows, 2, "Not enough rank points to generate a plot"},
    };
    for (const Case& c : cases) {
        DataMatrix m = dataset(c.rows);
        m.resize(8);
        if (c.clearRankX3)
            m.setEmpty(DataMatrix::ColRankX, 3);
        EXPECT_EQ(plotRowCount(m, 9, c.command), c.usedRows) << c.name;
        PlotCommandOptions options;
        options.gridRows = 9;
        const PlotPoints p = buildPlotPoints(m, c.command, options);
        EXPECT_EQ(p.status, c.status) << c.name;
        if (c.message) {
            EXPECT_EQ(p.message, QLatin1String(c.message)) << c.name;
            EXPECT_TRUE(p.messageTitle.isEmpty()) << c.name;   // the program's title
        } else {
            EXPECT_EQ(p.plot.PlotData.rows(), c.usedRows + 1) << c.name;
        }
    }
}

TEST(PlotPoints, RankPlotBeforeAnyRankAnalysisHasNoPoints)
{
    DataMatrix m(10);
    for (int r = 1; r <= 8; ++r) {
        m.setNumber(DataMatrix::ColX, r, r);
        m.setNumber(DataMatrix::ColY, r, r);
    }
    PlotCommandOptions options;
    options.gridRows = 9;
    const PlotPoints p = buildPlotPoints(m, PlotCommand::Rank, options);
    EXPECT_EQ(p.status, PlotPoints::Status::TooFewRows);
    EXPECT_EQ(p.message, QStringLiteral("Not enough rank points to generate a plot"));
}

TEST(PlotPoints, CellsThatAreNotNumbers)
{
    // Row 2's Y is empty, row 3's X holds letters.
    const std::vector<Row> rows = {{"1", "2", nullptr}, {"3", nullptr, nullptr}, {"abc", "6", nullptr}};
    PlotCommandOptions options;
    options.gridRows = 5;

    // Shown apart: such a cell is plotted as 0.
    options.showExcluded = true;
    const PlotPoints shown = buildPlotPoints(dataset(rows), PlotCommand::Scatter, options);
    ASSERT_EQ(shown.status, PlotPoints::Status::Ok);
    EXPECT_EQ(shown.plot.PlotData.at(2, 3), 0.0);
    EXPECT_EQ(shown.plot.PlotData.at(3, 2), 0.0);
    EXPECT_EQ(shown.plot.PlotData.at(3, 3), 6.0);

    // Otherwise a box titled "Plot" names the first such row; no chart.
    options.showExcluded = false;
    const PlotPoints refused = buildPlotPoints(dataset(rows), PlotCommand::Scatter, options);
    EXPECT_EQ(refused.status, PlotPoints::Status::NotNumeric);
    EXPECT_EQ(refused.messageTitle, QStringLiteral("Plot"));
    EXPECT_EQ(refused.message, QStringLiteral("Row 2: Y (Obs) is empty."));

    // An excluded row is never read.
    DataMatrix m = dataset(rows);
    m.setText(DataMatrix::ColExclude, 2, QStringLiteral("Y"));
    m.setText(DataMatrix::ColExclude, 3, QStringLiteral("y"));
    m.resize(8);
    m.setNumber(DataMatrix::ColX, 4, 9);
    m.setNumber(DataMatrix::ColY, 4, 9);
    EXPECT_EQ(buildPlotPoints(m, PlotCommand::Scatter, options).status, PlotPoints::Status::Ok);
}

TEST(PlotPoints, ThreeRowsTwoExcluded)
{
    const std::vector<Row> rows = {{"1", "2", "Y"}, {"3", "4", nullptr}, {"5", "6", "y"}};
    PlotCommandOptions options;
    options.gridRows = 5;
    const PlotPoints hidden = buildPlotPoints(dataset(rows), PlotCommand::Scatter, options);
    ASSERT_EQ(hidden.status, PlotPoints::Status::Ok);
    EXPECT_EQ(hidden.plot.n, 1);
    EXPECT_EQ(hidden.plot.Cols, 5);
    EXPECT_EQ(hidden.plot.FootnoteTitle, QStringLiteral("n =  1"));
    EXPECT_EQ(markerSizeForPoints(hidden.plot.n), 200);

    options.showExcluded = true;
    for (PlotCommand command : {PlotCommand::Scatter, PlotCommand::Rank}) {
        const PlotPoints shown = buildPlotPoints(dataset(rows), command, options);
        ASSERT_EQ(shown.status, PlotPoints::Status::Ok);
        EXPECT_EQ(shown.plot.n, 3);
        EXPECT_EQ(shown.plot.Cols, 7);
        EXPECT_EQ(shown.plot.FootnoteTitle, QStringLiteral("n =  3"));
        int apart = 0;
        for (int r = 1; r <= 3; ++r)
            apart += shown.plot.PlotData.at(r, 7).has_value() ? 1 : 0;
        EXPECT_EQ(apart, 2);
    }
}

TEST(PlotPoints, WhatEachCommandHandsToTheBuilder)
{
    const std::vector<Row> rows = {{"1", "2", nullptr}, {"3", "4", nullptr}, {"5", "6", nullptr}};
    struct Case {
        PlotCommand command;
        bool swap;
        bool sameScaleBox;
        const char* title;
        const char* xTitle;
        const char* yTitle;
        int pointStyle;
        std::array<int, 3> lineColour;
        std::array<int, 3> excludedColour;
        bool sameScale;
        double firstX;                   // column 2 of row 1: X, or rank X
    };
    const Case cases[] = {
        {PlotCommand::Scatter, false, true, "Observed vs Model-Predicted", "Model-Predicted (X)", "Observed (Y)", 1,
         {255, 0, 0}, {0, 0, 0}, true, 1},
        {PlotCommand::Scatter, true, false, "Model-Predicted vs Observed", "Observed (X)", "Model-Predicted (Y)", 1,
         {255, 0, 0}, {0, 0, 0}, false, 1},
        {PlotCommand::Rank, true, false, "Rank of Observed vs Rank of Model-Predicted", "Rank of X", "Rank of Y", 4,
         {0, 0, 255}, {255, 0, 0}, true, 1},
    };
    for (const Case& c : cases) {
        PlotCommandOptions options;
        options.gridRows = 5;
        options.swapXY = c.swap;
        options.sameScale = c.sameScaleBox;
        options.mainCaption = QStringLiteral("KVE - trial-2.KVE");
        const PlotPoints p = buildPlotPoints(dataset(rows), c.command, options);
        ASSERT_EQ(p.status, PlotPoints::Status::Ok);
        const XYPlot& plot = p.plot;
        EXPECT_EQ(plot.TitleText, QLatin1String(c.title));
        EXPECT_EQ(plot.AxisXTitle, QLatin1String(c.xTitle));
        EXPECT_EQ(plot.AxisYTitle, QLatin1String(c.yTitle));
        EXPECT_EQ(plot.SameScale, c.sameScale) << c.title;
        EXPECT_EQ(plot.Marker, (std::array<int, 8>{0, 0, 0, c.pointStyle, 0, 0, 0, 12})) << c.title;
        EXPECT_EQ((std::array<int, 3>{plot.MarkerColor1[5], plot.MarkerColor2[5], plot.MarkerColor3[5]}), c.lineColour);
        EXPECT_EQ((std::array<int, 3>{plot.MarkerColor1[7], plot.MarkerColor2[7], plot.MarkerColor3[7]}),
                  c.excludedColour);
        for (int s : {1, 2, 3, 4, 6})
            EXPECT_EQ(plot.MarkerColor1[s] + plot.MarkerColor2[s] + plot.MarkerColor3[s], 0) << c.title << " " << s;
        EXPECT_EQ(plot.PlotData.at(1, 2), c.firstX);
        EXPECT_EQ(plot.PlotData.at(1, 3), c.command == PlotCommand::Rank ? 10.0 : 2.0);
        EXPECT_EQ(plot.PlotCaption, QStringLiteral("trial-2.KVE"));
        EXPECT_EQ(plot.TitleFontName, QStringLiteral("Arial"));
        EXPECT_EQ(plot.TitleFontSize, QStringLiteral("14"));
        EXPECT_EQ(plot.FootnoteFontsize, QStringLiteral("8"));
        EXPECT_EQ(plot.AxisFontSize, QStringLiteral("10"));
        EXPECT_EQ(plot.AxisLabelFontSize, QStringLiteral("12"));
    }
}

TEST(PlotPoints, CaptionFootnoteAndMarkerSize)
{
    struct Caption { const char* main; const char* plot; };
    const Caption captions[] = {
        {"KVE - crop_yield.KVE", "crop_yield.KVE"},
        {"KVE - my-data.KVE", "my-data.KVE"},         // the first "-" counts
        {"KVE", "Untitled"},                          // no dataset file open
        {"-x", "Untitled"},                           // "-" as the first character
        {"", "Untitled"},
    };
    for (const Caption& c : captions)
        EXPECT_EQ(plotCaptionFrom(QLatin1String(c.main)), QLatin1String(c.plot)) << c.main;

    EXPECT_EQ(pointCountFootnote(25), QStringLiteral("n =  25"));
    EXPECT_EQ(pointCountFootnote(0), QStringLiteral("n =  0"));
    EXPECT_EQ(pointCountFootnote(100000), QStringLiteral("n =  100000"));

    struct Size { int n; int size; };
    const Size sizes[] = {{1, 200}, {49, 200}, {50, 150}, {99, 150}, {100, 100}, {50000, 100}};
    for (const Size& s : sizes)
        EXPECT_EQ(markerSizeForPoints(s.n), s.size) << s.n;
}

TEST(PlotPoints, ExclusionMarks)
{
    struct Mark { DataCell cell; bool excluded; };
    const Mark marks[] = {
        {DataCell::fromText(QStringLiteral("Y")), true},   {DataCell::fromText(QStringLiteral("y")), true},
        {DataCell::fromText(QStringLiteral("Yes")), true}, {DataCell::fromText(QStringLiteral("yes")), true},
        {DataCell::fromText(QStringLiteral("0")), false},  {DataCell::fromText(QStringLiteral("No")), false},
        {DataCell::fromText(QStringLiteral(" Y")), false}, {DataCell::fromNumber(0), false},
        {DataCell::fromText(QString()), false},            {DataCell(), false},
    };
    for (const Mark& m : marks)
        EXPECT_EQ(isPlotExcluded(m.cell), m.excluded) << m.cell.toDisplayString().toStdString();
}

TEST(PlotPoints, TheYEqualsXLineHasItsTwoEndsWhateverTheNumberOfPoints)
{
    // X in no order, the smallest and the largest inside, ties at both ends:
    // the line's cells are filled in the first row of each end only.
    struct Case { const char* name; std::vector<const char*> xs; int lowRow, highRow; double low, high; };
    const Case cases[] = {
        {"five rows", {"4", "-2.5", "9", "0", "9"}, 2, 3, -2.5, 9},
        {"constant X", {"3", "3", "3"}, 1, 1, 3, 3},
        {"near zero", {"2e-13", "1e-13", "2.9e-13", "1.5e-13"}, 2, 3, 1e-13, 2.9e-13},
    };
    for (const Case& c : cases) {
        std::vector<Row> rows;
        for (const char* x : c.xs)
            rows.push_back({x, "1", nullptr});
        PlotCommandOptions options;
        options.gridRows = static_cast<int>(rows.size()) + 1;
        const PlotMatrix m = buildPlotPoints(dataset(rows), PlotCommand::Scatter, options).plot.PlotData;
        for (int r = 1; r < m.rows(); ++r) {
            const std::optional<double> expected = r == c.lowRow ? c.low : r == c.highRow ? std::optional(c.high) : E;
            EXPECT_EQ(m.at(r, 4), expected) << c.name << " row " << r;
            EXPECT_EQ(m.at(r, 5), expected) << c.name << " row " << r;
        }
    }

    // A hundred thousand rows: two cells of the line, whatever the number.
    std::vector<std::string> texts;
    for (int i = 0; i < 100000; ++i)
        texts.push_back(std::to_string((i * 7919) % 100003));
    std::vector<Row> rows;
    for (const std::string& t : texts)
        rows.push_back({t.c_str(), "1", nullptr});
    PlotCommandOptions options;
    options.gridRows = static_cast<int>(rows.size()) + 1;
    const PlotMatrix m = buildPlotPoints(dataset(rows), PlotCommand::Scatter, options).plot.PlotData;
    int cells = 0;
    for (int r = 1; r < m.rows(); ++r)
        cells += m.at(r, 4).has_value() ? 1 : 0;
    EXPECT_EQ(cells, 2);
}

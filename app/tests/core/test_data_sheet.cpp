// The data sheet's work on DataMatrix: cell display, the row-count number,
// paste, copy, swap and the removal of incomplete rows.
#include <gtest/gtest.h>

#include <QRandomGenerator>

#include "core/data_sheet.hpp"

namespace {

const QString XY = DataSheet::DefaultFormatXY;
const QString SD = DataSheet::DefaultFormatSD;

// A matrix as the sheet holds it at start: 19 data rows, rows 0..20.
struct Sheet {
    DataMatrix matrix{20};
    int gridRows = 20;
};

} // namespace

TEST(DataSheetFormat, CellsShowUnderTheirColumnsFormat)
{
    struct Case { DataCell cell; int column; const char* shown; };
    const Case cases[] = {
        {DataCell::fromNumber(0.25), 1, ".2500"},        // integer part never forced: "##.#000"
        {DataCell::fromNumber(1.5), 3, "1.5000"},
        {DataCell::fromNumber(-1.5), 1, "-1.5000"},
        {DataCell::fromNumber(123.456789), 1, "123.4568"},
        {DataCell::fromNumber(1.5), 2, "1.50000"},      // "#.#0000": five decimals
        {DataCell::fromNumber(0.25), 4, ".25000"},
        {DataCell::fromNumber(0), 5, ""},               // zero under "####" shows nothing
        {DataCell::fromNumber(3), 6, "3"},
        {DataCell::fromNumber(2.5), 5, "3"},            // ranks shown whole, halves away from zero
        {DataCell::fromText(QStringLiteral("12.5")), 1, "12.5000"},   // typed numbers format as numbers
        {DataCell::fromText(QStringLiteral("abc")), 1, "abc"},        // other text unchanged
        {DataCell::fromText(QStringLiteral("Y")), 7, "Y"},
        {DataCell::fromText(QString()), 1, ""},
        {DataCell(), 3, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DataSheet::formatCell(c.cell, c.column, XY, SD), QLatin1String(c.shown))
            << "column " << c.column << " cell " << c.cell.toDisplayString().toStdString();
}

TEST(DataSheetFormat, LeadingNumberOfABoxAndHalfEvenRounding)
{
    struct Case { const char* text; double value; };
    const Case cases[] = {
        {"19", 19}, {" 31", 31}, {"3.5", 3.5}, {"4.5 rows", 4.5}, {"-2", -2}, {"1e3", 1000},
        {"2e", 2}, {"", 0}, {"abc", 0}, {".", 0}, {"12abc", 12}, {"inf", 0}, {"0x10", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DataSheet::leadingNumber(QLatin1String(c.text)), c.value) << c.text;

    EXPECT_EQ(DataSheet::roundHalfEven(4.5), 4);
    EXPECT_EQ(DataSheet::roundHalfEven(5.5), 6);
    EXPECT_EQ(DataSheet::roundHalfEven(2.5), 2);
    EXPECT_EQ(DataSheet::roundHalfEven(3.4), 3);
}

TEST(DataSheetPaste, TableOfTexts)
{
    struct Case {
        const char* name;
        QString text;
        bool single;
        int startRow, startCol;
        std::vector<std::tuple<int, int, double>> numbers;   // (row, column, value) stored
    };
    const Case cases[] = {
        {"two columns", QStringLiteral("1\t2\r\n3\t4\r\n"), false, 1, 1, {{1, 1, 1}, {1, 2, 2}, {2, 1, 3}, {2, 2, 4}}},
        {"single column", QStringLiteral("1\t2\r\n3\t4\r\n"), true, 1, 1, {{1, 1, 1}, {2, 1, 2}, {3, 1, 3}, {4, 1, 4}}},
        {"single column from a start cell", QStringLiteral("1\t2\r\n3\t4\r\n"), true, 5, 3,
         {{5, 3, 1}, {6, 3, 2}, {7, 3, 3}, {8, 3, 4}}},
        {"word skipped, position advances", QStringLiteral("word,5\n"), false, 1, 1, {{1, 2, 5}}},
        {"semicolons and blanks", QStringLiteral(" 1.5 ; -2\n"), false, 1, 1, {{1, 1, 1.5}, {1, 2, -2}}},
        {"decimal comma splits the number", QStringLiteral("1,5\n"), false, 1, 1, {{1, 1, 1}, {1, 2, 5}}},
        {"a line past column 7 wraps", QStringLiteral("1,2,3,4,5,6,7,8\n"), false, 1, 1,
         {{1, 1, 1}, {1, 2, 2}, {1, 3, 3}, {1, 4, 4}, {1, 5, 5}, {1, 6, 6}, {1, 7, 7}, {2, 1, 8}}},
        {"no separator after the last value", QStringLiteral("5"), false, 1, 1, {}},
        {"only finite decimals", QStringLiteral("inf\tnan\t0x10\t1e2\n"), false, 1, 1, {{1, 4, 100}}},
        {"empty clipboard", QString(), false, 1, 1, {}},
    };
    for (const Case& c : cases) {
        Sheet sheet;
        sheet.matrix.setText(1, 1, QStringLiteral("old"));
        const DataMatrix before = sheet.matrix;
        const DataSheet::PasteOutcome out =
            DataSheet::paste(sheet.matrix, sheet.gridRows, c.text, c.single, true, c.startRow, c.startCol);
        EXPECT_FALSE(out.ignored) << c.name;
        EXPECT_EQ(out.gridRows, 20) << c.name;
        ASSERT_EQ(out.changed.size(), c.numbers.size()) << c.name;
        DataMatrix expected = before;
        for (const auto& [row, column, value] : c.numbers)
            expected.setNumber(column, row, value);
        EXPECT_TRUE(sheet.matrix == expected) << c.name;
    }
}

TEST(DataSheetPaste, StartColumnFiveOrBeyondDoesNothing)
{
    Sheet sheet;
    const DataSheet::PasteOutcome out = DataSheet::paste(sheet.matrix, 20, QStringLiteral("1\n2\n"), true, true, 1, 5);
    EXPECT_TRUE(out.ignored);
    EXPECT_TRUE(out.changed.empty());
}

TEST(DataSheetPaste, RunningPastTheLastRow)
{
    QString thirty;
    for (int i = 1; i <= 30; ++i)
        thirty += QString::number(i) + QStringLiteral("\r\n");

    // Auto increase: rows 1..30 filled, and the line break after the last
    // value adds row 31 empty.
    {
        Sheet sheet;
        const auto out = DataSheet::paste(sheet.matrix, sheet.gridRows, thirty, false, true, 1, 1);
        EXPECT_FALSE(out.stoppedAtEnd);
        EXPECT_EQ(out.gridRows, 32);
        EXPECT_EQ(sheet.matrix.upperRow(), 32);     // the spare row beyond row 31
        EXPECT_EQ(sheet.matrix.cell(1, 30).number(), 30);
        EXPECT_TRUE(sheet.matrix.isMissing(1, 31));
    }
    // Without it the paste stops after row 19.
    {
        Sheet sheet;
        const auto out = DataSheet::paste(sheet.matrix, sheet.gridRows, thirty, false, false, 1, 1);
        EXPECT_TRUE(out.stoppedAtEnd);
        EXPECT_EQ(out.gridRows, 20);
        EXPECT_EQ(sheet.matrix.upperRow(), 20);
        EXPECT_EQ(sheet.matrix.cell(1, 19).number(), 19);
        EXPECT_TRUE(sheet.matrix.isMissing(1, 20));
    }
    // Exactly filling the last row with a closing line break adds one row.
    {
        Sheet sheet;
        QString nineteen;
        for (int i = 1; i <= 19; ++i)
            nineteen += QString::number(i) + QLatin1Char('\n');
        const auto out = DataSheet::paste(sheet.matrix, sheet.gridRows, nineteen, true, true, 1, 1);
        EXPECT_EQ(out.gridRows, 21);
        EXPECT_TRUE(sheet.matrix.isMissing(1, 20));
    }
}

TEST(DataSheetPaste, GrowthStopsAtTheRowLimit)
{
    Sheet sheet;
    QString text;
    for (int i = 1; i <= 40; ++i)
        text += QString::number(i) + QLatin1Char('\n');
    const auto out = DataSheet::paste(sheet.matrix, sheet.gridRows, text, true, true, 1, 1, 25);
    EXPECT_TRUE(out.hitRowLimit);
    EXPECT_EQ(out.gridRows, 26);
    EXPECT_EQ(sheet.matrix.upperRow(), 26);
    EXPECT_EQ(sheet.matrix.cell(1, 25).number(), 25);
    EXPECT_EQ(out.changed.size(), 25u);
}

TEST(DataSheetCopy, ExactText)
{
    DataMatrix matrix(3);
    matrix.setNumber(1, 1, -1.5);
    matrix.setNumber(3, 1, 2);
    matrix.setText(4, 1, QStringLiteral("0.25"));       // typed
    matrix.setText(7, 1, QStringLiteral("Y"));
    matrix.setNumber(1, 2, 1e-7);
    matrix.setText(2, 2, QStringLiteral("n.d."));       // a typed word goes on as it stands
    const QString expected = QStringLiteral("-1.5,  0,  2,  0.25,  0,  0, Y\r\n")
                             + QStringLiteral(" 1e-07, n.d.,  0,  0,  0,  0, \r\n");
    EXPECT_EQ(DataSheet::copyText(matrix, 3, 8), expected);
}

TEST(DataSheetSwap, ExchangesThePairsAndTwiceRestores)
{
    DataMatrix matrix(4);
    for (int row = 1; row <= 3; ++row)
        for (int column = 1; column <= 7; ++column)
            matrix.setNumber(column, row, row * 10 + column);
    const DataMatrix before = matrix;
    DataSheet::swapXY(matrix, 4);
    for (int row = 1; row <= 3; ++row) {
        EXPECT_EQ(matrix.cell(1, row).number(), row * 10 + 3);
        EXPECT_EQ(matrix.cell(3, row).number(), row * 10 + 1);
        EXPECT_EQ(matrix.cell(2, row).number(), row * 10 + 4);
        EXPECT_EQ(matrix.cell(5, row).number(), row * 10 + 6);
        EXPECT_EQ(matrix.cell(7, row).number(), row * 10 + 7);
    }
    DataSheet::swapXY(matrix, 4);
    EXPECT_TRUE(matrix == before);
}

namespace {

// The removal as the row-by-row walk defines it, step by step: at a complete
// row after a gap, move it and every row below up to the gap start.
int walkCompact(DataMatrix& m, int gridRows)
{
    const int last = m.upperRow() - 1;
    bool gapOpen = false;
    int gapStart = 0;
    int row = 1;
    while (row <= last) {
        const bool incomplete = DataSheet::isIncompleteRow(m, row);
        if (incomplete && !gapOpen) {
            gapOpen = true;
            gapStart = row;
        } else if (!incomplete && gapOpen) {
            const int shift = row - gapStart;
            for (int r = row; r <= m.upperRow(); ++r)
                for (int c = 1; c < 8; ++c) {
                    m.cell(c, r - shift) = m.cell(c, r);
                    m.setText(c, r, QString());
                }
            gapOpen = false;
            row = gapStart + 1;
            continue;
        }
        ++row;
    }
    for (int r = 1; r < gridRows; ++r)
        if (DataSheet::isIncompleteRow(m, r))
            return r;
    return 0;
}

} // namespace

TEST(DataSheetRemoveRows, CompleteRowsMoveUpInOrder)
{
    DataMatrix matrix(20);
    // complete, missing X, missing X, complete, complete, rest empty
    const double rows[5][2] = {{1, 10}, {0, 20}, {0, 30}, {4, 40}, {5, 50}};
    for (int r = 0; r < 5; ++r) {
        if (rows[r][0] != 0)
            matrix.setNumber(1, r + 1, rows[r][0]);
        else
            matrix.setText(1, r + 1, QString());
        matrix.setNumber(3, r + 1, rows[r][1]);
    }
    EXPECT_EQ(DataSheet::compactRows(matrix, 20), 4);
    EXPECT_EQ(matrix.cell(1, 1).number(), 1);
    EXPECT_EQ(matrix.cell(1, 2).number(), 4);
    EXPECT_EQ(matrix.cell(1, 3).number(), 5);
    EXPECT_EQ(matrix.cell(3, 3).number(), 50);
    EXPECT_TRUE(matrix.isMissing(3, 4));
}

TEST(DataSheetRemoveRows, OnePassAgreesWithTheRowByRowWalk)
{
    QRandomGenerator random(20261210);
    for (int trial = 0; trial < 300; ++trial) {
        const int gridRows = 4 + static_cast<int>(random.bounded(30));
        DataMatrix matrix(gridRows);
        for (int r = 1; r <= gridRows; ++r)
            for (int c = 1; c < 8; ++c) {
                switch (random.bounded(4)) {
                case 0: break;                                  // never set
                case 1: matrix.setText(c, r, QString()); break; // the empty text
                default: matrix.setNumber(c, r, r * 10 + c); break;
                }
            }
        DataMatrix walked = matrix;
        const int expectedFirst = walkCompact(walked, gridRows);
        EXPECT_EQ(DataSheet::compactRows(matrix, gridRows), expectedFirst) << "trial " << trial;
        EXPECT_TRUE(matrix == walked) << "trial " << trial;
    }
}

TEST(DataSheetRows, ExclusionMarks)
{
    // "Y", "yes", "0" and "05" leave the row out; an empty mark, "1", "N"
    // and "no" keep it, as does a mark that only holds a "y" later on.
    const struct {
        const char* mark;
        bool excluded;
    } cases[] = {{"", false}, {"Y", true}, {"yes", true}, {"0", true}, {"05", true},
                 {"1", false}, {"N", false}, {"no", false}, {"nay", false}};
    DataMatrix matrix(2);
    for (const auto& c : cases) {
        matrix.setText(DataMatrix::ColExclude, 1, QLatin1String(c.mark));
        EXPECT_EQ(DataSheet::isExcludedRow(matrix, 1), c.excluded) << c.mark;
    }
    matrix.setNumber(DataMatrix::ColExclude, 1, 0);      // a number 0 is a "0" mark
    EXPECT_TRUE(DataSheet::isExcludedRow(matrix, 1));
}

TEST(DataSheetRemoveRows, LargeAlternatingSheetKeepsEveryCompleteRow)
{
    // Every other row incomplete: the row-by-row walk would move the whole
    // tail 50,000 times.
    const int dataRows = 100000;
    DataMatrix matrix(dataRows + 1);
    for (int r = 1; r <= dataRows; ++r) {
        matrix.setNumber(1, r, r);
        if (r % 2 == 1)
            matrix.setNumber(3, r, -r);
    }
    EXPECT_EQ(DataSheet::compactRows(matrix, dataRows + 1), dataRows / 2 + 1);
    for (int r = 1; r <= dataRows / 2; ++r)
        ASSERT_EQ(matrix.cell(3, r).number(), -(2 * r - 1)) << r;
}

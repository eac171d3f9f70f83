#pragma once
// The threshold table's counting over the data sheet.

#include <cstdint>

#include "core/data_matrix.hpp"

// Rows by side of the threshold T: x and y on or below T are "low", above
// it "high". A row with x = y = T counts in XYT instead of a quadrant; Agree
// counts the rows with x = y besides; n every row counted.
struct ThresholdCounts {
    std::int32_t lowXlowY = 0, lowXhighY = 0, highXlowY = 0, highXhighY = 0, Agree = 0, n = 0, XYT = 0;
};

// Counts the sheet's rows 1..gridRows - 1 whose "Rank X" cell holds
// something: their "Rank X" and "Rank Y" cells with Rank, else their
// "X (Pred)" and "Y (Obs)" cells. A row whose two cells are not both
// numbers (the "." of a row the ranking did not use, an empty X) is passed
// over. The counters are added onto.
void ErrorAnalysis(const DataMatrix& matrix, int gridRows, std::int32_t Threshold, bool Rank, ThresholdCounts& c);

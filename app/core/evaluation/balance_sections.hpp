#pragma once
// The balance analysis of the run (Varnholt et al., 2006): the used points
// sorted into two-by-two tables of over- and underprediction against a
// split of the points, each table tested for an even spread (chi-square,
// Cramer's V, the contingency coefficient, the odds ratio).

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "core/evaluation/evaluation_context.hpp"

// Counts by row 1 "Overpredicted", 2 "Underpredicted" and column 1
// "Below", 2 "Above"; index 0 is unused.
using TwoWayFreq = std::array<std::array<std::int32_t, 3>, 3>;

// One table and its statistics. A statistic that could not be formed is
// NotComputed; `counted` is false when the split itself could not be made
// (a mean or the reference line not computed), and the counts mean nothing.
struct VarnholtTable {
    TwoWayFreq counts{};
    bool counted = false;
    double ChiSq = NotComputed, Prob = NotComputed, CramerV = NotComputed, CCC = NotComputed;
    double OddRatio = NotComputed, LogOddRatio = NotComputed, ASE = NotComputed, OddZ = NotComputed,
           ProbOdd = NotComputed;
};

struct VarnholtResult {
    VarnholtTable X, Y;
};

// The two tables of the n points X(i), Y(i) (1..n, element 0 unused). Rows: underpredicted when Y > X.
// - Perpendicular false: columns by X against its mean (X table) and by Y
//   against its mean (Y table).
// - Perpendicular true: the line a + b x and the line perpendicular to it
//   through the point of means split the plane; the same cell is counted
//   in both tables. A slope of 0 has no perpendicular: Perpendicular is set
//   to false and the mean split is used.
// Prop > 0: every cell expects Prop times the points (a test of fixed
// proportions over the four cells, three degrees of freedom); Prop = 0: the
// expected counts come from the table's margins (a test of independence).
// `onLine` names the points (1..n, ascending) that lie on the line a + b x
// as the fit that made it knows them: they are on it, not on the side
// that the rounding of a + b x would put them.
VarnholtResult STAT_Varnholt(SumtrixLib::Sumtrix& lib, std::int32_t n, const SumtrixLib::BoundedArray<double>& X,
                             const SumtrixLib::BoundedArray<double>& Y, double a, double b, double Prop,
                             bool& Perpendicular, std::span<const std::int32_t> onLine = {});

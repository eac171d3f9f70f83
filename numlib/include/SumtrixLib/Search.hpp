#pragma once
// One-dimensional searches on any function of one variable, after mnbrak,
// brent and zbrent of Numerical Recipes with their constants (golden ratio
// 1.618034, step limit 100, 1E-20; 0.381966, 1E-10; 6E-8, 100 iterations).
// The line fit with errors in both coordinates runs them on its chi-square
// (Sumtrix::Search_mnbrak, Search_brent, Root_zbrent); other fits run them
// on functions of their own.

#include <functional>

namespace SumtrixLib {

using ScalarFunction = std::function<double(double)>;

// Brackets a minimum of f: from the starting points ax and bx, moves
// downhill in growing steps until fb is below both fa and fc, so that a
// minimum lies between ax and cx. Equal starting points are moved apart
// first (bx = ax + 0.1 max(1, |ax|)). A function that never rises, or one
// flat enough that the steps stop growing, ends in an overflow error
// (error 6) rather than a hang.
void bracketMinimum(const ScalarFunction& f, double& ax, double& bx, double& cx, double& fa, double& fb,
                    double& fc);

// Brent's minimiser of f within the bracket ax, bx, cx (bx between the
// others, f(bx) below both): writes the abscissa to xmin and returns the
// minimum, to the fractional precision tol. After 100 iterations the best
// point so far is taken and a message says so.
double brentMinimum(const ScalarFunction& f, double ax, double bx, double cx, double tol, double& xmin);

// Brent's root finder for f between x1 and x2, to the precision tol. When
// f has the same sign at both ends, a message says so and the bracket is
// widened by bracketMinimum first. After 100 iterations the last point is
// taken and a message says so.
double brentRoot(const ScalarFunction& f, double x1, double x2, double tol);

} // namespace SumtrixLib

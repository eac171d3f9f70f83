#pragma once
// The random-data generator's arithmetic: reads and checks the generator's
// inputs, draws a dataset of n pairs (X predicted, Y observed) with chosen
// means, variances and correlation by one of three methods, and builds the
// new DataMatrix from it. No widgets: the window reads its boxes into a
// RandomDataInput, shows the message of a failed check and places the
// matrix.

#include <QString>

#include <functional>
#include <optional>
#include <vector>

#include "core/data_matrix.hpp"

class CopulaGenerator;
class RandomSource;

// The methods, numbered as the window's option buttons.
enum class RandomMethod { FrankCopula = 0, ClaytonCopula = 1, Varnholt = 2 };

// The boxes of the window as typed.
struct RandomDataInput {
    QString meanY;
    QString varianceY;
    QString meanX;
    QString varianceX;
    QString correlation;
    QString count;
    RandomMethod method = RandomMethod::Varnholt;
};

// Checked inputs.
struct RandomDataSettings {
    double meanY = 0.0;
    double varianceY = 0.0;
    double meanX = 0.0;
    double varianceX = 0.0;
    double r = 0.0;          // in [0, 1); a requested 1 becomes 0.999
    int n = 0;               // 3 .. MaxRandomPoints
    RandomMethod method = RandomMethod::Varnholt;
};

// The largest dataset the generator makes.
inline constexpr int MaxRandomPoints = 1000000;

// Either settings, or the message of the first failing check (shown with
// the error icon). Checks in this order: every box a number (an empty box
// counts as 0); n, the count rounded half to even, at least 3 and at most
// MaxRandomPoints; r between 0 and 1; both variances above 0; both
// variances normal doubles (at least 2.2250738585072014e-308).
struct RandomDataCheck {
    std::optional<RandomDataSettings> settings;
    QString message;
};
RandomDataCheck checkRandomDataInput(const RandomDataInput& input);

// The straight-line model ("Varnholt"): Y = b1 X + b0 + E with X normal
// (meanX, varX) and E normal (0, MSE), where for n points
//   SSx = n varX, SSy = n varY, b1 = sqrt(r^2 SSy / SSx), b0 = meanY - meanX b1,
//   SSE = (1 - r^2) SSy, MSE = SSE / (n - 2).
// b1 and MSE are computed so that they overflow only when they themselves
// exceed the double range.
struct StraightLineModel {
    double SSx = 0.0;
    double SSy = 0.0;
    double b1 = 0.0;
    double b0 = 0.0;
    double SSE = 0.0;
    double MSE = 0.0;
};
StraightLineModel straightLineModel(const RandomDataSettings& settings);

// The standard normal quantile used for every normal deviate.
using NormalQuantile = std::function<double(double)>;
// The library's STAT_InvNorm, its fault indicator set to 0 before each call
// and not read afterwards.
double libraryNormalQuantile(double p);

struct RandomDataset {
    std::vector<double> X;
    std::vector<double> Y;
};

// Draws U1(i), then U2(i), for i = 0..n-1 from the source, then:
//   Varnholt: X = sqrt(varX) z(U1) + meanX, E = sqrt(MSE) z(U2), Y = b1 X + b0 + E
//             (computed as meanY + b1 sqrt(varX) z(U1) + E);
//   copulas:  V from CopulaGenerator (Frank Kind 1, Clayton Kind 2) linking
//             U1 and U2 so that X and Y have the Pearson correlation r,
//             X = sqrt(varX) z(U1) + meanX, Y = sqrt(varY) z(V) + meanY.
// Every method gives X and Y the Pearson correlation r, the straight-line
// model r / sqrt(r^2 + (1 - r^2) n/(n - 2)), a little less through the
// n/(n - 2) of its residual variance.
RandomDataset generateRandomData(const RandomDataSettings& settings, RandomSource& source,
                                 const NormalQuantile& z, CopulaGenerator& copula);

// A dataset with a value beyond the double range is refused with this
// message rather than filling the sheet with infinities; empty when every
// value is finite. (Every mean and variance that passes the checks gives
// finite values: a standard deviation is below 1.4e154.)
QString checkGeneratedValues(const RandomDataset& data);

// The new DataMatrix: rows 0..n+1, all cells empty except, for row i + 1,
// X(i) and Y(i) as numbers in columns 1 and 3 and the empty text in the
// rank columns 5 and 6.
DataMatrix randomDataMatrix(const RandomDataset& data);

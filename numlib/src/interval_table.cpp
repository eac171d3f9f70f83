// The interval table: confidence intervals of a fitted straight line and
// prediction intervals of new observations at every observed x, with the
// number of intervals that exclude zero, the residual sum of squares and
// both intervals at the mean of x, as report text.
#include <cmath>
#include <cstdint>
#include <string>

#include "SumtrixLib/Format.hpp"
#include "SumtrixLib/Sumtrix.hpp"
#include "data_checks.hpp"
#include "interval_table.hpp"

namespace SumtrixLib {

namespace {

constexpr const char* LineBreak = "\r\n";

const char* const HeaderLines[3] = {
    "                                                    Confidence Interval               Prediction Interval         ",
    "                                             --------------------------------  ------------------------------------",
    "    X          Y       Predicted  Residue    s(Yh)  Lower CI  Upper CI  P(CI)  s(Yh New)  Lower PI  Upper PI  P(PI)",
};

// A limit exactly 0 counts as excluding zero: only a strictly negative
// lower and a strictly positive upper limit straddle it.
bool straddlesZero(double lower, double upper)
{
    return lower < 0.0 && upper > 0.0;
}

} // namespace

IntervalFit fitIntervals(Sumtrix& s, double a, double b, std::int32_t n, const BoundedArray<double>& x,
                         const BoundedArray<double>& y, double& Prob)
{
    requireCount(n);
    IntervalFit fit;
    fit.a = a;
    fit.b = b;
    fit.n = n;
    double Var = 0.0;
    s.STAT_AveVar(x, n, fit.MeanX, Var);
    for (std::int32_t i = 1; i <= n; ++i) {
        const double res = checkedSub(y(i), checkedAdd(checkedMul(x(i), b), a));
        fit.SSE = checkedAdd(fit.SSE, checkedMul(res, res));
        const double dx = checkedSub(x(i), fit.MeanX);
        fit.Sxx = checkedAdd(fit.Sxx, checkedMul(dx, dx));
    }
    // n - 2 degrees of freedom: two points or fewer leave none.
    if (n <= 2)
        raiseError(ErrDivisionByZero);
    fit.MSE = fit.SSE / (n - 2);
    if (Prob > 1.0)
        Prob = Prob / 100.0;
    double p = 1.0 - (1.0 - Prob) / 2.0;
    fit.tq = s.STAT_TINV(p, n - 2);
    return fit;
}

IntervalRow intervalsAt(const IntervalFit& fit, double xi)
{
    IntervalRow row;
    row.pred = xi * fit.b + fit.a;
    const double dx = xi - fit.MeanX;
    const double leverage = checkedDiv(dx * dx, fit.Sxx);
    row.sc = checkedSqrt((leverage + 1.0 / fit.n) * fit.MSE);
    row.sp = checkedSqrt((leverage + (1.0 / fit.n + 1.0)) * fit.MSE);
    row.lowerCI = row.pred - fit.tq * row.sc;
    row.upperCI = row.pred + fit.tq * row.sc;
    row.lowerPI = row.pred - fit.tq * row.sp;
    row.upperPI = row.pred + fit.tq * row.sp;
    return row;
}

void Sumtrix::STAT_CPI(double a, double b, std::int32_t n, const BoundedArray<double>& x,
                       const BoundedArray<double>& y, double& Prob, std::string& t)
{
    const IntervalFit fit = fitIntervals(*this, a, b, n, x, y, Prob);
    // Every number goes through the library's own fixed-width formatter,
    // right-aligned.
    const auto cell = [this](double value, std::int32_t width, std::int32_t dec) {
        return this->FormatOutput(value, width, dec, std::int16_t{0}, false);
    };
    const std::string rule(115, '-');

    t = rule + LineBreak;
    for (const char* line : HeaderLines)
        t += std::string(line) + LineBreak;
    t += rule + LineBreak;

    // The rows are most of the text: each is written in place, its fields
    // by the formatter's own writer (the same text as FormatOutput).
    constexpr std::size_t RowLength = 117;
    t.reserve(t.size() + static_cast<std::size_t>(n) * RowLength + 1024);
    const auto put = [&t](double value, std::int32_t width, std::int32_t dec) {
        char field[16];
        t.append(field, FormatFixedWidthTo(field, value, width, dec));
        t += ' ';
    };
    std::int32_t ciCount = 0;
    std::int32_t piCount = 0;
    for (std::int32_t i = 1; i <= n; ++i) {
        const IntervalRow row = intervalsAt(fit, x(i));
        const bool ciExcludesZero = !straddlesZero(row.lowerCI, row.upperCI);
        const bool piExcludesZero = !straddlesZero(row.lowerPI, row.upperPI);
        ciCount += ciExcludesZero ? 1 : 0;
        piCount += piExcludesZero ? 1 : 0;
        put(x(i), 10, 4);
        put(y(i), 10, 4);
        put(row.pred, 10, 4);
        put(y(i) - row.pred, 8, 4);
        put(row.sc, 8, 4);
        put(row.lowerCI, 9, 4);
        put(row.upperCI, 9, 4);
        t += ciExcludesZero ? "   *     " : "         ";
        put(row.sp, 8, 4);
        put(row.lowerPI, 9, 4);
        put(row.upperPI, 9, 4);
        t += piExcludesZero ? "   *" : "    ";
        t += LineBreak;
    }

    t += rule + LineBreak;
    t += LineBreak;
    t += "Number of CI intervals different from zero: " + cell(ciCount, 5, 0) + " ("
         + cell(100.0 * ciCount / n, 6, 2) + "%)" + LineBreak;
    t += "Number of PI intervals different from zero: " + cell(piCount, 5, 0) + " ("
         + cell(100.0 * piCount / n, 6, 2) + "%)" + LineBreak + LineBreak;
    t += "Sum of squared residuals: " + cell(fit.SSE, 10, 5) + LineBreak;

    const double ym = fit.MeanX * b + a;
    const double hc = fit.tq * std::sqrt(fit.MSE / n);
    const double hp = fit.tq * std::sqrt((1.0 / n + 1.0) * fit.MSE);
    t += "Confidence Interval of the X mean: " + cell(ym - hc, 10, 5) + " to " + cell(ym + hc, 10, 5) + LineBreak;
    t += "Prediction Interval of the X mean: " + cell(ym - hp, 10, 5) + " to " + cell(ym + hp, 10, 5) + LineBreak;
}

} // namespace SumtrixLib

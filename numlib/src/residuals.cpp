// Point-by-point diagnostics of a fitted straight line, and the estimate
// with its confidence and prediction limits at one point of a multiple
// regression.
//
// The diagnostics are the usual ones of a least-squares line with p = 2
// parameters (see e.g. Montgomery, Peck and Vining, Introduction to Linear
// Regression Analysis, ch. 4 and 6): leverage h = 1/n + (x - mean)^2/Sxx,
// standardized residual e/sqrt(MSE (1 - h)), R-student
// e sqrt((n - p - 1)/((1 - h) SSE - e^2)), Cook's distance
// e^2/(p MSE) h/(1 - h)^2, DFFITS sqrt(h/(1 - h)) R-student, the PRESS
// residual e/(1 - h) and the expected normal score of each residual by
// Blom's plotting position (r - 3/8)/(n + 1/4) on the mid-rank r.
//
// A point with leverage 1 (all other points at one x) has no PRESS
// residual, Cook's distance or DFFITS, and a zero mean leaves the weighted
// deviation undefined: those entries are NaN (printed "n/a") and every
// other entry is computed.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>
#include <span>
#include <vector>

#include "SumtrixLib/Rounding.hpp"
#include "SumtrixLib/Sumtrix.hpp"
#include "fault_watch.hpp"
#include "step_paths.hpp"

namespace SumtrixLib {

namespace {
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr int LineParameters = 2;

// An array of STAT_Residue as its statements address it, element i at (i):
// the caller's bounds-checked array, or a plain pointer to element 1 of an
// array known to hold every element the statements touch.
struct Checked {
    BoundedArray<double>* a;
    double& operator()(std::int32_t i) const { return (*a)(i); }
};
struct CheckedInput {
    const BoundedArray<double>* a;
    const double& operator()(std::int32_t i) const { return (*a)(i); }
};
struct Plain {
    double* p;
    double& operator()(std::int32_t i) const { return p[i - 1]; }
};
struct PlainInput {
    const double* p;
    const double& operator()(std::int32_t i) const { return p[i - 1]; }
};

// A per-point output nobody reads: each element is written and read back
// within one statement, so one slot serves every point.
struct Discard {
    double* slot;
    double& operator()(std::int32_t) const { return *slot; }
};

// The sums the later statements use.
struct FitSums {
    double Sxx, SSE;
};

// The points a line passes through as its fit knows them, ascending in
// 1..n (any order and repeats are accepted); an index outside 1..n fails.
std::vector<std::int32_t> pointsOnLine(std::span<const std::int32_t> onLine, std::int32_t n)
{
    std::vector<std::int32_t> points(onLine.begin(), onLine.end());
    std::sort(points.begin(), points.end());
    points.erase(std::unique(points.begin(), points.end()), points.end());
    if (!points.empty() && (points.front() < 1 || points.back() > n))
        raiseError(ErrSubscript);
    return points;
}

// The first statements: the fitted values, the residues and MSE. A point
// on the line (onLine, ascending) is fitted by its own y with a residue of
// exactly 0, as in exact arithmetic. A zero Sxx or n, an element that is
// not there or a failing checked operation stops them where they stand.
template <class In, class Dev, class Out>
FitSums residueFit(double b0, double b1, In x, In y, double VarX, double MeanX, std::int32_t n, double& MSE,
                  Dev Deviation, Out Pred, Out Residue, std::span<const std::int32_t> onLine = {})
{
    const double N = static_cast<double>(n);
    // Elements of (X'X)^-1 for the design (1, x); a zero Sxx or n fails
    // the call.
    const double Sxx = checkedMul(N - 1.0, VarX);
    checkedAdd(checkedDiv(1.0, N), checkedDiv(checkedMul(MeanX, MeanX), Sxx));

    double SSE = 0.0;
    std::size_t next = 0;   // the next point on the line
    for (std::int32_t i = 1; i <= n; ++i) {
        Deviation(i) = checkedSub(x(i), y(i));
        if (next < onLine.size() && onLine[next] == i) {
            ++next;
            Pred(i) = y(i);
            Residue(i) = 0.0;
            continue;
        }
        Pred(i) = checkedAdd(checkedMul(x(i), b1), b0);
        Residue(i) = checkedSub(y(i), Pred(i));
        SSE = checkedAdd(SSE, checkedMul(Residue(i), Residue(i)));
    }
    MSE = checkedDiv(SSE, N - 2.0);
    return {Sxx, SSE};
}

// Everything but the normal scores, in the order of the published
// statements: an element that is not there, or a failing checked
// operation, stops them where it stands.
template <class In, class Out>
void residueStatements(double b0, double b1, In x, In y, double VarX, double MeanX, double MeanY, std::int32_t n,
                       double& MSE, Out Deviation, Out Pred, Out Residue, Out SEr, Out StdtRes,
                       Out RStdtRes, Out h, Out Cook, Out DFFITS, Out PRESS, Out SemiStdtRes, Out WtDev,
                       std::span<const std::int32_t> onLine)
{
    const double p = LineParameters;
    const double N = static_cast<double>(n);
    const auto [Sxx, SSE] = residueFit(b0, b1, x, y, VarX, MeanX, n, MSE, Deviation, Pred, Residue, onLine);

    const double meanProduct = MeanX * MeanY;
    for (std::int32_t i = 1; i <= n; ++i) {
        const double e = Residue(i);
        const double xi = x(i);
        // h = (c11 x + c01) x + (c01 x + c0), in the form that does not
        // cancel terms of size MeanX^2/Sxx. A leverage that exceeds 1 only
        // by rounding is 1.
        double hi = 1.0 / N + (xi - MeanX) * (xi - MeanX) / Sxx;
        if (hi > 1.0 && zeroWithinRounding(hi - 1.0, 1.0))
            hi = 1.0;
        h(i) = hi;
        const double omh = 1.0 - hi;
        if (p * MSE > 0.0)
            Cook(i) = omh == 0.0 ? NaN : e * e / (p * MSE) * hi / (omh * omh);
        else
            Cook(i) = 0.0;
        if (MSE > 0.0)
            SemiStdtRes(i) = e / std::sqrt(MSE);
        // A leverage that rounds above 1 leaves the error undefined too.
        SEr(i) = omh * MSE >= 0.0 ? std::sqrt(omh * MSE) : NaN;
        StdtRes(i) = SEr(i) > 0.0 ? e / SEr(i) : 0.0;
        const double q = omh * SSE - e * e;
        RStdtRes(i) = q > 0.0 ? e * std::sqrt((N - p - 1.0) / q) : 0.0;
        DFFITS(i) = (omh == 0.0 || hi / omh < 0.0) ? NaN : std::sqrt(hi / omh) * RStdtRes(i);
        PRESS(i) = omh == 0.0 ? NaN : e / omh;
        WtDev(i) = meanProduct == 0.0 ? NaN : (y(i) - MeanY) * (xi - MeanX) / meanProduct * (xi - y(i));
    }
}

// Blom's plotting position (r - 3/8)/(n + 1/4) of the mid-rank r, as a
// normal quantile in residual units.
double normalScore(Sumtrix& lib, double rank, std::int32_t n, double rootMSE)
{
    return rootMSE * lib.STAT_InvNorm((rank - 0.375) / (static_cast<double>(n) + 0.25));
}

// The normal scores from a sort of the point numbers by residue: the
// mid-rank of every residue, and so its score, is that of any sort of the
// residues, ties included. Residues that follow each other within `tie`
// are tied (0: equal residues alone).
void normalScoresBySortedPoints(Sumtrix& lib, std::int32_t n, const double* residue, double* scores, double MSE,
                                double tie)
{
    std::vector<std::int32_t> point(static_cast<std::size_t>(n));
    std::iota(point.begin(), point.end(), 0);
    std::sort(point.begin(), point.end(), [residue](std::int32_t l, std::int32_t r) { return residue[l] < residue[r]; });
    const double rootMSE = std::sqrt(MSE);
    // Sorted positions j..jt-1 (from 0) hold tied residues.
    std::size_t j = 0;
    while (j < point.size()) {
        std::size_t jt = j + 1;
        while (jt < point.size() && residue[point[jt]] - residue[point[jt - 1]] <= tie)
            ++jt;
        const double rank = jt - j == 1 ? static_cast<double>(j + 1)
                                        : 0.5 * (static_cast<double>(j + 1) + static_cast<double>(jt + 1) - 1.0);
        const double score = normalScore(lib, rank, n, rootMSE);
        for (std::size_t k = j; k < jt; ++k)
            scores[point[k]] = score;
        j = jt;
    }
}

} // namespace

namespace {

// STAT_Residue of a line through the points onLine (checked, ascending),
// residues within `tie` of each other tied in the normal scores.
void residueDiagnostics(Sumtrix& lib, std::span<const std::int32_t> onLine, double tie, double b0, double b1,
                        const BoundedArray<double>& x, const BoundedArray<double>& y, double VarX, double MeanX,
                        double MeanY, std::int32_t n, double& MSE, BoundedArray<double>& Deviation,
                        BoundedArray<double>& Pred, BoundedArray<double>& Residue, BoundedArray<double>& SEr,
                        BoundedArray<double>& StdtRes, BoundedArray<double>& RStdtRes, BoundedArray<double>& h,
                        BoundedArray<double>& Cook, BoundedArray<double>& DFFITS, BoundedArray<double>& NormalResidue,
                        BoundedArray<double>& PRESS, BoundedArray<double>& SemiStdtRes, BoundedArray<double>& WtDev)
{
    // Arrays that hold every element the statements touch are addressed
    // plainly; the normal scores are written last, so their array may not
    // be the residues' own.
    BoundedArray<double>* const outputs[] = {&Deviation, &Pred,   &Residue,       &SEr,   &StdtRes,
                                             &RStdtRes,  &h,      &Cook,          &DFFITS, &NormalResidue,
                                             &PRESS,     &SemiStdtRes, &WtDev};
    bool plain = n >= 3 && covers(x, 1, n) && covers(y, 1, n) && &NormalResidue != &Residue;
    for (const BoundedArray<double>* out : outputs)
        plain = plain && covers(*out, 1, n);
    if (!plain) {
        residueBoundsChecked(lib, b0, b1, x, y, VarX, MeanX, MeanY, n, MSE, Deviation, Pred, Residue, SEr,
                             StdtRes, RStdtRes, h, Cook, DFFITS, NormalResidue, PRESS, SemiStdtRes, WtDev, onLine,
                             tie);
        return;
    }
    const auto at = [](BoundedArray<double>& a) { return Plain{&a(1)}; };
    residueStatements(b0, b1, PlainInput{&x(1)}, PlainInput{&y(1)}, VarX, MeanX, MeanY, n, MSE, at(Deviation),
                      at(Pred), at(Residue), at(SEr), at(StdtRes), at(RStdtRes), at(h), at(Cook), at(DFFITS),
                      at(PRESS), at(SemiStdtRes), at(WtDev), onLine);
    normalScoresBySortedPoints(lib, n, &Residue(1), &NormalResidue(1), MSE, tie);
}

} // namespace

Variant Sumtrix::STAT_Residue(double b0, double b1, const BoundedArray<double>& x, const BoundedArray<double>& y,
                              double VarX, double MeanX, double MeanY, std::int32_t n, double& MSE,
                              BoundedArray<double>& Deviation, BoundedArray<double>& Pred,
                              BoundedArray<double>& Residue, BoundedArray<double>& SEr,
                              BoundedArray<double>& StdtRes, BoundedArray<double>& RStdtRes, BoundedArray<double>& h,
                              BoundedArray<double>& Cook, BoundedArray<double>& DFFITS,
                              BoundedArray<double>& NormalResidue, BoundedArray<double>& PRESS,
                              BoundedArray<double>& SemiStdtRes, BoundedArray<double>& WtDev)
{
    residueDiagnostics(*this, {}, 0.0, b0, b1, x, y, VarX, MeanX, MeanY, n, MSE, Deviation, Pred, Residue, SEr,
                       StdtRes, RStdtRes, h, Cook, DFFITS, NormalResidue, PRESS, SemiStdtRes, WtDev);
    return {};
}

void residueThroughPoints(Sumtrix& lib, std::span<const std::int32_t> onLine, double b0, double b1,
                          const BoundedArray<double>& x, const BoundedArray<double>& y, double VarX, double MeanX,
                          double MeanY, std::int32_t n, double& MSE, BoundedArray<double>& Deviation,
                          BoundedArray<double>& Pred, BoundedArray<double>& Residue, BoundedArray<double>& SEr,
                          BoundedArray<double>& StdtRes, BoundedArray<double>& RStdtRes, BoundedArray<double>& h,
                          BoundedArray<double>& Cook, BoundedArray<double>& DFFITS,
                          BoundedArray<double>& NormalResidue, BoundedArray<double>& PRESS,
                          BoundedArray<double>& SemiStdtRes, BoundedArray<double>& WtDev)
{
    const std::vector<std::int32_t> points = pointsOnLine(onLine, n);
    // The line's slope comes from two data points and its intercept from
    // a third: residues that are equal in exact arithmetic differ by the
    // rounding of the largest terms, |y| + |b1 x| and |b0|, and are tied.
    double largest = 0.0;
    for (std::int32_t i = 1; i <= n; ++i)
        largest = std::max(largest, std::fabs(y(i)) + std::fabs(b1 * x(i)));
    const double tie = roundingOf(largest + std::fabs(b0));
    residueDiagnostics(lib, points, tie, b0, b1, x, y, VarX, MeanX, MeanY, n, MSE, Deviation, Pred, Residue, SEr,
                       StdtRes, RStdtRes, h, Cook, DFFITS, NormalResidue, PRESS, SemiStdtRes, WtDev);
}

void residueFit(double b0, double b1, const BoundedArray<double>& x, const BoundedArray<double>& y, double VarX,
                double MeanX, std::int32_t n, double& MSE, BoundedArray<double>& Pred,
                BoundedArray<double>& Residue, std::span<const std::int32_t> onLine)
{
    const std::vector<std::int32_t> points = pointsOnLine(onLine, n);
    double deviation = 0.0;
    if (n >= 1 && covers(x, 1, n) && covers(y, 1, n) && covers(Pred, 1, n) && covers(Residue, 1, n)) {
        residueFit(b0, b1, PlainInput{&x(1)}, PlainInput{&y(1)}, VarX, MeanX, n, MSE, Discard{&deviation},
                   Plain{&Pred(1)}, Plain{&Residue(1)}, points);
        return;
    }
    residueFit(b0, b1, CheckedInput{&x}, CheckedInput{&y}, VarX, MeanX, n, MSE, Discard{&deviation},
               Checked{&Pred}, Checked{&Residue}, points);
}

void residueBoundsChecked(Sumtrix& lib, double b0, double b1, const BoundedArray<double>& x,
                          const BoundedArray<double>& y, double VarX, double MeanX, double MeanY, std::int32_t n,
                          double& MSE, BoundedArray<double>& Deviation, BoundedArray<double>& Pred,
                          BoundedArray<double>& Residue, BoundedArray<double>& SEr, BoundedArray<double>& StdtRes,
                          BoundedArray<double>& RStdtRes, BoundedArray<double>& h, BoundedArray<double>& Cook,
                          BoundedArray<double>& DFFITS, BoundedArray<double>& NormalResidue,
                          BoundedArray<double>& PRESS, BoundedArray<double>& SemiStdtRes, BoundedArray<double>& WtDev,
                          std::span<const std::int32_t> onLine, double tie)
{
    residueStatements(b0, b1, CheckedInput{&x}, CheckedInput{&y}, VarX, MeanX, MeanY, n, MSE, Checked{&Deviation}, Checked{&Pred}, Checked{&Residue}, Checked{&SEr}, Checked{&StdtRes},
                      Checked{&RStdtRes}, Checked{&h}, Checked{&Cook}, Checked{&DFFITS}, Checked{&PRESS},
                      Checked{&SemiStdtRes}, Checked{&WtDev}, onLine);

    // Normal scores: sort the residuals carrying the point numbers, replace
    // them by their mid-ranks, and give each point the normal quantile of
    // Blom's plotting position in residual units.
    BoundedArray<double> sorted(0, n), point(0, n);
    for (std::int32_t i = 1; i <= n; ++i) {
        sorted(i) = Residue(i);
        point(i) = static_cast<double>(i);
    }
    lib.Sort_Sort2(n, sorted, point);
    // Residues within `tie` of the one before are tied with it.
    double previous = n >= 1 ? sorted(1) : 0.0;
    for (std::int32_t i = 2; i <= n; ++i) {
        const double residue = sorted(i);
        if (residue - previous <= tie)
            sorted(i) = sorted(i - 1);
        previous = residue;
    }
    double ties = 0.0;
    lib.Rank_CRank(n, sorted, ties);
    const double rootMSE = std::sqrt(MSE);
    for (std::int32_t i = 1; i <= n; ++i) {
        const std::int32_t k = static_cast<std::int32_t>(point(i));
        NormalResidue(k) = normalScore(lib, sorted(i), n, rootMSE);
    }
}

Variant Sumtrix::STAT_MReg_Statistics(const Matrix& Xh, const Matrix& b, const Matrix& VarCovb, double MSE, double n,
                                      double& Estimate, double& Variance, double& sd, double& Alpha, double& LowCI,
                                      double& HighCI, double& LowPI, double& HighPI)
{
    // Every step runs on its own: a step that fails assigns nothing and the
    // next one goes on with the values as they stand.
    Matrix XhT, estimate, left, variance;
    guardStep(XhT, [&] { return this->Matrix_TransposeMatrix(Xh); });
    guardStep(estimate, [&] { return this->Matrix_MultiplyMatrix(XhT, b); });
    guardStep(Estimate, [&] { return estimate.Element(1, 1); });
    guardStep(left, [&] { return this->Matrix_MultiplyMatrix(XhT, VarCovb); });
    guardStep(variance, [&] { return this->Matrix_MultiplyMatrix(left, Xh); });
    guardStep(Variance, [&] { return variance.Element(1, 1); });
    guardStep(sd, [&] { return checkedSqrt(Variance); });
    double df = 0.0;
    guardStep(df, [&] { return n - static_cast<double>(Xh.r); });
    // The two-sided critical value; the caller's Alpha is handed on and
    // comes back as that routine leaves it.
    double t = 0.0;
    guardStep(t, [&] { return this->STAT_TINV(Alpha, df, true, true); });
    guardStep(LowCI, [&] { return checkedSub(Estimate, checkedMul(t, sd)); });
    guardStep(HighCI, [&] { return checkedAdd(Estimate, checkedMul(t, sd)); });
    guardStep(LowPI, [&] { return checkedSub(Estimate, checkedMul(t, checkedSqrt(checkedAdd(Variance, MSE)))); });
    guardStep(HighPI, [&] { return checkedAdd(Estimate, checkedMul(t, checkedSqrt(checkedAdd(Variance, MSE)))); });
    return {};
}

} // namespace SumtrixLib

// The least-absolute-deviation line, after the median fit of Numerical
// Recipes (medfit/rofunc/select): start from the least-squares line,
// bracket the slope at which the slope function changes sign by steps of
// 1.6 times the previous one, and bisect to one hundredth of the
// least-squares standard error of the slope. For a trial slope the
// intercept is the median of y - b x, found by partitioning selection.
// The search runs on the data shifted by their means (see Reg_MedFit).
//
// The bisection stops near the least-absolute-deviation line but not on
// it, and on tied data (where the slope function's dead band and the
// median's ties give it wrong signs) it can stop far from it. A descent
// from vertex to vertex of the problem then finishes the fit exactly; see
// finishAtTheMinimum.
//
// The work arrays take the size of the data, so any number of points can
// be fitted.
#include <algorithm>
#include <cmath>
#include <vector>

#include "SumtrixLib/Rounding.hpp"
#include "SumtrixLib/Sumtrix.hpp"

namespace SumtrixLib {

namespace {

// The sum of absolute deviations is convex and piecewise linear in (a, b);
// its minimum is taken at a line through two points of different x (a
// vertex). The descent (after Wesolowsky 1981):
// - the best line through a point p is found exactly: its residuals are
//   (y_i - y_p) - b (x_i - x_p), so the sum is sum |x_i - x_p| |s_i - b|
//   with s_i the slope from p to point i, least at a weighted median of
//   the s_i (O(n log n) by sorting);
// - at such a line, the directions in which the sum can fall are the
//   rotations about the points on the line (the edges of the vertex, also
//   when ties put more than two points on it), whose slopes are exact
//   one-sided derivatives; when one of them is negative the best line
//   through that point is strictly better, and the descent moves there;
//   when none is, the line is the minimum.
// Each move lowers the sum, so no vertex is visited twice.
class LadDescent {
public:
    // x and y are the data less their means mx and my: each value as read
    // carries the rounding of its size before the shift, |x + mx| at most
    // |x| + |mx|, which is what decides whether a point lies on a line.
    LadDescent(const BoundedArray<double>& x, const BoundedArray<double>& y, std::int32_t n, double mx, double my)
        : m_x(x), m_y(y), m_n(n), m_offsetX(std::fabs(mx)), m_offsetY(std::fabs(my))
    {
        for (std::int32_t i = 1; i <= n; ++i)
            m_spreadX += std::fabs(x(i));
    }

    // The slope of the least-absolute-deviation line, starting from the
    // point whose residual from the line of slope b0 is a median one.
    double slope(double b0)
    {
        std::int32_t p = medianPoint(b0);
        Line line = bestThrough(p);
        // Every move lowers the sum; the bound only guards against rounding.
        for (std::int32_t step = 0; step < m_n + 100; ++step) {
            p = improvingPivot(line);
            if (p == 0)
                break;
            const Line next = bestThrough(p);
            if (!(next.sum < line.sum))
                break;
            line = next;
        }
        return line.b;
    }

private:
    struct Line {
        std::int32_t p;   // a point on the line
        double b;         // its slope
        double sum;       // sum of absolute deviations
    };
    struct Slope {
        double s, w;
    };

    double residual(const Line& l, std::int32_t i) const
    {
        return (m_y(i) - m_y(l.p)) - l.b * (m_x(i) - m_x(l.p));
    }

    std::int32_t medianPoint(double b) const
    {
        std::vector<std::pair<double, std::int32_t>> r(static_cast<std::size_t>(m_n));
        for (std::int32_t i = 1; i <= m_n; ++i)
            r[static_cast<std::size_t>(i - 1)] = {m_y(i) - b * m_x(i), i};
        const auto mid = r.begin() + (m_n - 1) / 2;
        std::nth_element(r.begin(), mid, r.end());
        return mid->second;
    }

    // The best line through point p (some other point has a different x:
    // the least-squares start has failed otherwise).
    Line bestThrough(std::int32_t p)
    {
        m_slopes.clear();
        double total = 0.0;
        for (std::int32_t i = 1; i <= m_n; ++i) {
            const double dx = m_x(i) - m_x(p);
            if (dx == 0.0)
                continue;
            const double w = std::fabs(dx);
            m_slopes.push_back({checkedDiv(m_y(i) - m_y(p), dx), w});
            total += w;
        }
        std::sort(m_slopes.begin(), m_slopes.end(), [](const Slope& l, const Slope& r) { return l.s < r.s; });
        double cumulative = 0.0;
        double b = m_slopes.back().s;
        for (const Slope& sl : m_slopes) {
            cumulative += sl.w;
            if (2.0 * cumulative >= total) {
                b = sl.s;
                break;
            }
        }
        Line l{p, b, 0.0};
        for (std::int32_t i = 1; i <= m_n; ++i)
            l.sum = checkedAdd(l.sum, std::fabs(residual(l, i)));
        return l;
    }

    // A point about which a rotation of the line lowers the sum (the one of
    // the steepest descent), or 0 when there is none.
    std::int32_t improvingPivot(const Line& l)
    {
        // Points on the line (their residuals zero within the rounding of
        // the two points' values as read) bend the sum; the others
        // contribute their side's sign.
        std::vector<std::pair<double, std::int32_t>> on;
        double A = 0.0, B = 0.0;
        const double yp = std::fabs(m_y(l.p)) + m_offsetY, xp = std::fabs(m_x(l.p)) + m_offsetX;
        for (std::int32_t i = 1; i <= m_n; ++i) {
            const double dy = m_y(i) - m_y(l.p), dx = m_x(i) - m_x(l.p);
            const double r = dy - l.b * dx;
            const double terms = std::fabs(m_y(i)) + m_offsetY + yp + std::fabs(l.b) * (std::fabs(m_x(i)) + m_offsetX + xp);
            if (zeroWithinRounding(r, terms)) {
                on.push_back({m_x(i), i});
            } else {
                const double sg = r > 0.0 ? 1.0 : -1.0;
                A += sg * m_x(i);
                B += sg;
            }
        }
        std::sort(on.begin(), on.end());
        // The rotation about x = t changes the line by (-t, 1) per unit of
        // slope: the sum changes at the rate -A + B t + sum |x_z - t| one
        // way and A - B t + sum |x_z - t| the other (z on the line).
        double total = 0.0;
        for (const auto& z : on)
            total += z.first;
        const double tolerance = 1e-12 * m_spreadX;
        double below = 0.0;
        double worst = -tolerance;
        std::int32_t pivot = 0;
        const std::size_t k = on.size();
        for (std::size_t j = 0; j < k; ++j) {
            const double t = on[j].first;
            const double bend = (t * static_cast<double>(j) - below)
                                + ((total - below - t) - t * static_cast<double>(k - j - 1));
            below += t;
            for (double rate : {-A + B * t + bend, A - B * t + bend}) {
                if (rate < worst) {
                    worst = rate;
                    pivot = on[j].second;
                }
            }
        }
        return pivot;
    }

    const BoundedArray<double>& m_x;
    const BoundedArray<double>& m_y;
    std::int32_t m_n;
    double m_offsetX, m_offsetY;
    double m_spreadX = 0.0;
    std::vector<Slope> m_slopes;
};

// The points on the line yt = aa + bb xt (the data less their means mx and
// my): those whose residual is zero within rounding
// (SumtrixLib/Rounding.hpp). The values as read carry the rounding of
// their size before the shift (at most |yt| + |my|, |xt| + |mx|). The slope
// comes from two points and the intercept from a third, so a residual
// carries the rounding of its own point's terms and of the largest terms
// of any point. A line between points (the median of an even number of
// them taken between two values) passes through none.
std::vector<std::int32_t> pointsOnTheLine(const BoundedArray<double>& xt, const BoundedArray<double>& yt, std::int32_t n,
                                          double aa, double bb, double mx, double my)
{
    const auto size = [&](std::int32_t i) {
        return std::fabs(yt(i)) + std::fabs(my) + std::fabs(bb) * (std::fabs(xt(i)) + std::fabs(mx));
    };
    double largest = 0.0;
    for (std::int32_t i = 1; i <= n; ++i)
        largest = std::max(largest, size(i));
    std::vector<std::int32_t> on;
    for (std::int32_t i = 1; i <= n; ++i) {
        const double r = yt(i) - (xt(i) * bb + aa);
        if (zeroWithinRounding(r, size(i) + std::fabs(aa) + largest))
            on.push_back(i);
    }
    return on;
}

// Reg_MedFit, with the points on the line when `onLine` is given.
void fitMedianLine(Sumtrix& lib, const BoundedArray<double>& x, const BoundedArray<double>& y, std::int32_t ndata,
                   double& a, double& b, double& abdev, double& chisq, std::vector<std::int32_t>* onLine)
{
    const std::int32_t n = ndata > 0 ? ndata : 0;
    // The points are all read: a count beyond the arrays fails before the
    // work arrays are dimensioned for it.
    x.requireRange(1, n);
    y.requireRange(1, n);

    const double N = static_cast<double>(ndata);

    // The fit runs on the data shifted by their means, so that the
    // least-squares start, the slope function's sums of x and its dead band
    // (relative to y) keep their digits on data far from zero. Shifting both
    // coordinates leaves the slope and the residuals as they are and moves
    // the intercept by my - b mx. Each mean is corrected by the mean of the
    // deviations from it, so that equal values deviate by exactly 0.
    double mx = 0.0, my = 0.0;
    for (std::int32_t j = 1; j <= ndata; ++j) {
        mx = checkedAdd(mx, x(j));
        my = checkedAdd(my, y(j));
    }
    mx = checkedDiv(mx, N);
    my = checkedDiv(my, N);
    double ex = 0.0, ey = 0.0;
    for (std::int32_t j = 1; j <= ndata; ++j) {
        ex += x(j) - mx;
        ey += y(j) - my;
    }
    mx += ex / N;
    my += ey / N;
    auto originalIntercept = [&](double centredIntercept, double slope) {
        return checkedAdd(checkedSub(my, checkedMul(slope, mx)), centredIntercept);
    };

    BoundedArray<double> xt(0, n), yt(0, n), arr(0, n);
    double sx = 0.0, sy = 0.0, sxy = 0.0, sxx = 0.0;
    for (std::int32_t j = 1; j <= ndata; ++j) {
        xt(j) = checkedSub(x(j), mx);
        yt(j) = checkedSub(y(j), my);
        sx = checkedAdd(sx, xt(j));
        sy = checkedAdd(sy, yt(j));
        sxy = checkedAdd(sxy, checkedMul(xt(j), yt(j)));
        sxx = checkedAdd(sxx, checkedMul(xt(j), xt(j)));
    }
    // The least-squares line and the standard error of its slope.
    const double del = checkedSub(checkedMul(N, sxx), checkedMul(sx, sx));
    double aa = checkedDiv(checkedSub(checkedMul(sy, sxx), checkedMul(sxy, sx)), del);
    double bb = checkedDiv(checkedSub(checkedMul(N, sxy), checkedMul(sx, sy)), del);
    chisq = 0.0;
    for (std::int32_t j = 1; j <= ndata; ++j) {
        const double r = yt(j) - (bb * xt(j) + aa);
        chisq = checkedAdd(chisq, r * r);
    }
    double sigb = checkedSqrt(checkedDiv(chisq, del));

    double abdevt = 0.0;
    double b1 = bb;
    double f1 = lib.STAT_rofunc(b1, xt, yt, arr, aa, abdevt, ndata);
    if (sigb > 0.0) {
        double b2 = checkedAdd(bb, lib.Sign(3.0 * sigb, f1));
        double f2 = lib.STAT_rofunc(b2, xt, yt, arr, aa, abdevt, ndata);
        // Bracket the sign change, widening by the golden-ish factor 1.6.
        while (b2 != b1 && f1 * f2 > 0.0) {
            bb = checkedAdd(b2, checkedMul(1.6, checkedSub(b2, b1)));
            b1 = b2;
            f1 = f2;
            b2 = bb;
            f2 = lib.STAT_rofunc(b2, xt, yt, arr, aa, abdevt, ndata);
        }
        // Bisect to one hundredth of the standard error.
        sigb = 0.01 * sigb;
        while (std::fabs(b2 - b1) > sigb) {
            bb = b1 + (b2 - b1) / 2.0;
            if (bb == b1 || bb == b2)
                break;
            const double f = lib.STAT_rofunc(bb, xt, yt, arr, aa, abdevt, ndata);
            if (f * f1 >= 0.0) {
                f1 = f;
                b1 = bb;
            } else {
                b2 = bb;
            }
        }
    }
    // From there to the minimum exactly; the intercept is the median of
    // y - b x there, as for every slope.
    bb = LadDescent(xt, yt, ndata, mx, my).slope(bb);
    lib.STAT_rofunc(bb, xt, yt, arr, aa, abdevt, ndata);
    if (onLine)
        *onLine = pointsOnTheLine(xt, yt, ndata, aa, bb, mx, my);
    a = originalIntercept(aa, bb);
    b = bb;
    abdev = checkedDiv(abdevt, N);
    chisq = 0.0;
    for (std::int32_t j = 1; j <= ndata; ++j) {
        const double r = yt(j) - (bb * xt(j) + aa);
        chisq = checkedAdd(chisq, r * r);
    }
}

} // namespace

void Sumtrix::Reg_MedFit(const BoundedArray<double>& x, const BoundedArray<double>& y, std::int32_t ndata, double& a,
                         double& b, double& abdev, double& chisq)
{
    fitMedianLine(*this, x, y, ndata, a, b, abdev, chisq, nullptr);
}

void medianFitThroughPoints(Sumtrix& lib, const BoundedArray<double>& x, const BoundedArray<double>& y,
                            std::int32_t ndata, double& a, double& b, double& abdev, double& chisq,
                            std::vector<std::int32_t>& onLine)
{
    std::vector<std::int32_t> points;
    fitMedianLine(lib, x, y, ndata, a, b, abdev, chisq, &points);
    onLine = std::move(points);
}

double Sumtrix::STAT_rofunc(double b, const BoundedArray<double>& xt, const BoundedArray<double>& yt,
                            BoundedArray<double>& arr, double& aa, double& abdevt, std::int32_t ndatat)
{
    if (ndatat < 1)
        return 0.0;
    for (std::int32_t j = 1; j <= ndatat; ++j)
        arr(j) = checkedSub(yt(j), checkedMul(xt(j), b));
    // The intercept is the median of y - b x.
    if (ndatat % 2 == 0) {
        const std::int32_t k = ndatat / 2;
        const double lower = this->Sort_selectf(k, ndatat, arr);
        const double upper = this->Sort_selectf(k + 1, ndatat, arr);
        aa = (lower + upper) / 2.0;
    } else {
        aa = this->Sort_selectf(ndatat / 2 + 1, ndatat, arr);   // (ndatat + 1) / 2 for odd ndatat
    }
    // The slope function: the sum of x over the points above the line minus
    // the sum over those below, ignoring points within a relative 1E-7 of it.
    abdevt = 0.0;
    double sum = 0.0;
    for (std::int32_t j = 1; j <= ndatat; ++j) {
        double d = yt(j) - checkedAdd(checkedMul(xt(j), b), aa);
        abdevt = checkedAdd(abdevt, std::fabs(d));
        if (yt(j) != 0.0)
            d = d / std::fabs(yt(j));
        if (std::fabs(d) > 1E-7)
            sum = checkedAdd(sum, checkedMul(this->Sign(1.0, d), xt(j)));
    }
    return sum;
}

double Sumtrix::Sort_selectf(std::int32_t k, std::int32_t n, BoundedArray<double>& arr)
{
    if (k < 1 || k > n)
        raiseError(ErrSubscript);
    std::int32_t l = 1;
    std::int32_t ir = n;
    for (;;) {
        if (ir <= l + 1) {
            if (ir == l + 1 && arr(ir) < arr(l))
                std::swap(arr(l), arr(ir));
            return arr(k);
        }
        // The middle index rounds half to even.
        const std::int32_t mid = toInt32((static_cast<double>(l) + static_cast<double>(ir)) / 2.0);
        std::swap(arr(mid), arr(l + 1));
        // Median of three: arr(l) <= arr(l + 1) <= arr(ir), which also
        // gives the partitioning scans their sentinels.
        if (arr(l) > arr(ir))
            std::swap(arr(l), arr(ir));
        if (arr(l + 1) > arr(ir))
            std::swap(arr(l + 1), arr(ir));
        if (arr(l) > arr(l + 1))
            std::swap(arr(l), arr(l + 1));
        std::int32_t i = l + 1;
        std::int32_t j = ir;
        const double pivot = arr(l + 1);
        for (;;) {
            do
                ++i;
            while (arr(i) < pivot);
            do
                --j;
            while (arr(j) > pivot);
            if (j < i)
                break;
            std::swap(arr(i), arr(j));
        }
        arr(l + 1) = arr(j);
        arr(j) = pivot;
        if (j < k) {
            l = i;
        } else {
            ir = j - 1;
            if (j == k)
                l = i;
        }
    }
}

} // namespace SumtrixLib

// Concordance coefficients: Lin's concordance correlation coefficient with
// Nickerson's variant and Liao's improved coefficient (STAT_CCC), and the
// generalized concordance correlation coefficients of King and Chinchilli
// for seven distance functions (STAT_GCCC2, STAT_GCCC).
//
// All three run step by step and never fail their caller once their work
// storage exists. The arithmetic is IEEE double; an operation faults when
// it makes a NaN (an invalid operation, or one on a NaN) or an infinity
// from finite operands (overflow, division by zero). A step whose fault
// lies in an inner operation or in a called function (square root,
// logarithm, exponential, normal and t quantiles, matrix records) stores
// nothing, so its output keeps what it held: the caller's value for an
// output, 0 (or the previous variant's value) for a working value. A fault
// in a step's last operation stores the IEEE result first: an n of 2 gives
// var_rc = inf, Den = 0 gives rg = inf or NaN.
#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <vector>

#include "SumtrixLib/Sumtrix.hpp"
#include "concordance_kernels.hpp"

namespace SumtrixLib {

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// ---- IEEE arithmetic with faults ----------------------------------------------

double faultCheck(double result, double a, double b)
{
    if (std::isnan(result) || (std::isinf(result) && std::isfinite(a) && std::isfinite(b)))
        raiseError(ErrOverflow);
    return result;
}

double add(double a, double b) { return faultCheck(a + b, a, b); }
double sub(double a, double b) { return faultCheck(a - b, a, b); }
double mul(double a, double b) { return faultCheck(a * b, a, b); }
double div(double a, double b) { return faultCheck(a / b, a, b); }
double power(double a, int k) { return faultCheck(std::pow(a, k), a, a); }

// The last operation of a step: the IEEE result is stored, then a fault
// ends the step.
void storeAdd(double& target, double a, double b) { faultCheck(target = a + b, a, b); }
void storeSub(double& target, double a, double b) { faultCheck(target = a - b, a, b); }
void storeMul(double& target, double a, double b) { faultCheck(target = a * b, a, b); }
void storeDiv(double& target, double a, double b) { faultCheck(target = a / b, a, b); }

// tanh w as (e^(2w) - 1)/(e^(2w) + 1), the exponential taken twice.
void storeTanh(double& target, double w)
{
    const double e1 = checkedExp(mul(2.0, w));
    const double e2 = checkedExp(mul(2.0, w));
    storeDiv(target, sub(e1, 1.0), add(e2, 1.0));
}

// ---- generalized concordance: the work of one call -----------------------------

// Where a variant's eight results go: element k of the caller's arrays, or
// the caller's scalars. An element the array lacks fails its step.
struct ArraySlot {
    BoundedArray<double>& a;
    std::int32_t k;
    double get() const { return a(k); }
    void set(double v) const { a(k) = v; }
};
struct ScalarSlot {
    double& v;
    double get() const { return v; }
    void set(double value) const { v = value; }
};
template <class Slot>
struct VariantResults {
    Slot rg, se_rg, z, se_z, z_lcl, z_ucl, lcl, ucl;
};

class GcccWork {
public:
    // The work arrays, bounds 0..n, zero-filled. Fails the call with error 9
    // before anything is allocated when n < 0 or when x or y lacks one of
    // the elements 1..n, and with error 7 when memory runs out.
    GcccWork(Sumtrix& lib, std::int32_t n, const BoundedArray<double>& x, const BoundedArray<double>& y)
        : m_lib(lib), m_n(n)
    {
        if (n < 0)
            raiseError(ErrSubscript);
        x.requireRange(1, n);
        y.requireRange(1, n);
        try {
            const auto size = static_cast<std::size_t>(n) + 1;
            m_x = readData(x, size);
            m_y = readData(y, size);
            m_sortX.redim(0, n);
            m_sortY.redim(0, n);
            m_winX.redim(0, n);
            m_winY.redim(0, n);
            m_centredWX.redim(0, n);
            m_centredWY.redim(0, n);
            m_clipD.assign(size, 0.0);
            m_clipS.assign(size, 0.0);
            m_HD.assign(size, 0.0);
            m_HT.assign(size, 0.0);
            m_HX.assign(size, 0.0);
            m_K.KD.assign(size, 0.0);
            m_K.KT.assign(size, 0.0);
            m_K.KX.assign(size, 0.0);
            m_K.KXt.assign(size, 0.0);
            m_centre = detail::gcccCentre(m_x.data(), m_y.data(), n);
        } catch (const std::bad_alloc&) {
            raiseError(7, LibrarySource, "Out of memory");
        }
    }

    void prepare();
    void kernelPass(int variant, double P);
    // The cross sums that the kernel passes take, and their threads (0: one
    // per core).
    void setPath(detail::GcccPath path, unsigned threads)
    {
        m_path = path;
        m_threads = threads;
    }
    template <class Slot>
    void estimate(const VariantResults<Slot>& out);

private:
    // a(1..size-1) at 1..size-1; element 0 is not read.
    static std::vector<double> readData(const BoundedArray<double>& a, std::size_t size)
    {
        std::vector<double> v(size, 0.0);
        for (std::size_t i = 1; i < size; ++i)
            v[i] = a(static_cast<std::int32_t>(i));
        return v;
    }
    void clip();

    Sumtrix& m_lib;
    std::int32_t m_n;
    std::vector<double> m_x, m_y;      // x(1..n), y(1..n)
    detail::GcccCentre m_centre;       // the median c of all 2n values, x - c and y - c (empty unless all finite)
    BoundedArray<double> m_sortX, m_sortY, m_winX, m_winY;  // WinX and WinY hold ClipX and ClipY from variant 4 on
    BoundedArray<double> m_centredWX, m_centredWY;          // WinX - c and WinY - c
    std::vector<double> m_clipD, m_clipS, m_HD, m_HT, m_HX;
    detail::GcccKernels m_K;
    detail::GcccPath m_path = detail::GcccPath::Fast;
    unsigned m_threads = 0;

    // Working values: one set for the call, shared by the variants in order.
    double m_LowX = 0.0, m_HighX = 0.0, m_LowY = 0.0, m_HighY = 0.0;
    double m_MeanWX = 0.0, m_MeanWY = 0.0, m_VarWX = 0.0, m_VarWY = 0.0, m_CovWXY = 0.0;
    double m_Delta = 0.0;
    double m_DeltaShift = 0.0;  // Delta - |2c| for data on one side of zero
    detail::GcccTerms m_terms;
    double m_A = 0.0, m_B = 0.0, m_C = 0.0;
    double m_Num = 0.0, m_Den = 0.0, m_VarRg = 0.0;
    double m_TCrit = 0.0;
};

// The bound Delta of variants 4 to 7: the larger of mean + 1.5 SD of the
// sums x + y and of the differences x - y, from the data winsorised at the
// 5 % and 95 % order statistics. The moments are those of the winsorised
// data less the common median c (when the data are finite), so that Delta
// is formed as 2c + (its part from the centred sums): for data far from zero
// the variants 4 to 7 need Delta - 2c to the data's own precision. (The
// winsorised data lie between their 5 % and 95 % points, so they keep their
// digits less the median, whatever the values beyond.)
void GcccWork::prepare()
{
    const std::int32_t n = m_n;
    for (std::int32_t i = 1; i <= n; ++i) {
        m_sortX(i) = m_x[static_cast<std::size_t>(i)];
        m_sortY(i) = m_y[static_cast<std::size_t>(i)];
    }
    ignoreErrors([&] { m_lib.Sort_Sort1(n, m_sortX); });
    ignoreErrors([&] { m_lib.Sort_Sort1(n, m_sortY); });

    // Ranks 0.95 n and 0.05 n rounded half to even, the lower one at least 1.
    std::int32_t upper = 0, lower = 0;
    guardStep(upper, [&] { return toInt32(0.95 * n); });
    guardStep(lower, [&] { return toInt32(0.05 * n); });
    if (lower < 1)
        lower = 1;
    guardStep(m_HighX, [&] { return m_sortX(upper); });
    guardStep(m_LowX, [&] { return m_sortX(lower); });
    guardStep(m_HighY, [&] { return m_sortY(upper); });
    guardStep(m_LowY, [&] { return m_sortY(lower); });

    for (std::int32_t i = 1; i <= n; ++i) {
        const double xi = m_x[static_cast<std::size_t>(i)];
        const double yi = m_y[static_cast<std::size_t>(i)];
        m_winX(i) = xi <= m_LowX ? m_LowX : (xi > m_HighX ? m_HighX : xi);
        m_winY(i) = yi <= m_LowY ? m_LowY : (yi > m_HighY ? m_HighY : yi);
    }

    const double c = m_centre.c;
    for (std::int32_t i = 1; i <= n; ++i) {
        m_centredWX(i) = m_winX(i) - c;
        m_centredWY(i) = m_winY(i) - c;
    }
    double meanDiff = 0.0, varDiff = 0.0;
    m_CovWXY = 0.0;
    std::int32_t count = n;
    ignoreErrors([&] {
        m_lib.STAT_MeanVarCoVar(m_centredWX, m_centredWY, count, m_MeanWX, m_MeanWY, m_VarWX, m_VarWY, meanDiff,
                                varDiff, m_CovWXY);
    });

    // Each bound with the means of the centred data; the sums' bound is
    // 2c + bySum.
    double bySum = NaN, sumBound = NaN;
    guardStep(m_Delta, [&] {
        const double sdSum = checkedSqrt(add(add(m_VarWX, m_VarWY), mul(2.0, m_CovWXY)));
        bySum = add(add(m_MeanWX, m_MeanWY), mul(1.5, sdSum));
        const double sdDiff = checkedSqrt(sub(add(m_VarWX, m_VarWY), mul(2.0, m_CovWXY)));
        const double byDiff = add(sub(m_MeanWX, m_MeanWY), mul(1.5, sdDiff));
        sumBound = add(2.0 * c, bySum);
        return m_lib.Max(sumBound, byDiff);
    });
    // Delta - |2c| for data on one side of zero: from the sums' bound,
    // bySum (above zero) or 4c + bySum (below); otherwise Delta - |2c|.
    if (m_Delta == sumBound)
        m_DeltaShift = m_centre.side < 0 ? 4.0 * c + bySum : bySum;
    else
        m_DeltaShift = m_Delta - std::fabs(2.0 * c);
}

// The clipping pass of variants 4 to 6, from the raw data: differences and
// sums beyond Delta become Delta; an observation whose doubled x or y lies
// beyond Delta gets Delta/2 for both.
void GcccWork::clip()
{
    const double delta = m_Delta;
    for (std::int32_t i = 1; i <= m_n; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const double xi = m_x[k], yi = m_y[k];
        if (const double d = xi - yi; std::isfinite(d))
            m_clipD[k] = d;
        if (const double s = xi + yi; std::isfinite(s))
            m_clipS[k] = s;
        if (std::fabs(m_clipD[k]) > delta)
            m_clipD[k] = delta;
        if (std::fabs(m_clipS[k]) > delta)
            m_clipS[k] = delta;
        const double x2 = 2.0 * xi, y2 = 2.0 * yi;
        if (std::isfinite(x2) && std::isfinite(y2)) {
            const bool limited = std::fabs(x2) > delta || std::fabs(y2) > delta;
            m_winX(i) = limited ? delta / 2.0 : xi;
            m_winY(i) = limited ? delta / 2.0 : yi;
        }
    }
}

// The kernel terms grow with the data's distance from zero while rg rests
// on their differences. The squared distance gives the same coefficient for
// x - c and y - c whatever c: it runs on data centred at the median of all
// 2n values (when they are all finite). The other distances are not
// location-invariant; for data on one side of zero their pass takes the
// centred data and expands the terms of the sums about 2c instead (see
// GcccPassData), which leaves every result as it is in exact arithmetic.
void GcccWork::kernelPass(int variant, double P)
{
    detail::GcccPassData d;
    d.kind = detail::gcccKind(variant, P);
    d.n = m_n;
    d.P = P;
    d.Delta = m_Delta;
    d.x = m_x.data();
    d.y = m_y.data();
    if (variant >= 4 && variant <= 6) {
        clip();
        d.clipD = m_clipD.data();
        d.clipS = m_clipS.data();
        d.clipX = m_winX.data().data();
        d.clipY = m_winY.data().data();
    }
    const bool centred = !m_centre.xc.empty();
    if (centred && d.kind == detail::GcccKind::Square && variant <= 3) {
        d.x = m_centre.xc.data();
        d.y = m_centre.yc.data();
    } else if (centred && m_centre.side != 0) {
        d.side = m_centre.side;
        d.xc = m_centre.xc.data();
        d.yc = m_centre.yc.data();
        d.twoCentre = std::fabs(2.0 * m_centre.c);
        d.DeltaShift = m_DeltaShift;
    }
    ignoreErrors([&] { detail::gcccKernelPass(d, m_terms, m_K, m_path, m_threads); });
}

// Steps 2 to 12 of the template: kernel means, rg, the delta-method
// variance, Fisher's z and the limits. rg, z, se_z and the z-scale limits
// are read back from where they were written.
template <class Slot>
void GcccWork::estimate(const VariantResults<Slot>& out)
{
    const std::int32_t n = m_n;
    const double dn = n;
    const double n1 = static_cast<double>(static_cast<std::int64_t>(n) - 1);
    const double n2 = static_cast<double>(static_cast<std::int64_t>(n) - 2);
    const double pairs = static_cast<double>(static_cast<std::int64_t>(n) * (static_cast<std::int64_t>(n) - 1));

    // The cross kernel g(x_i - y_j) - g(x_i + y_j) is not symmetric in i and
    // j: its projection on observation i averages the row and the column,
    // (KX(i) + KXt(i)) / (2 (n - 1)).
    double totD = 0.0, totT = 0.0, totX = 0.0;
    for (std::int32_t i = 1; i <= n; ++i) {
        const auto k = static_cast<std::size_t>(i);
        totD += m_K.KD[k];
        totT += m_K.KT[k];
        totX += m_K.KX[k];
        m_HD[k] = m_K.KD[k] / n1;
        m_HT[k] = m_K.KT[k] / n1;
        m_HX[k] = (m_K.KX[k] + m_K.KXt[k]) / (2.0 * n1);
    }
    m_A = totD / pairs;
    m_B = totT / pairs;
    m_C = totX / pairs;
    m_Num = n1 * (m_C - m_A);
    m_Den = dn * m_B + m_A + n1 * m_C;
    ignoreErrors([&] { out.rg.set(m_Num / m_Den); });

    // The delta method for rg = Num/Den: Var rg = Var(Num - rg Den) / Den^2,
    // with the variance over the projections, 4/n^2 sum over i of
    // ((n - 1)(dC_i - dA_i) - rg (n dB_i + dA_i + (n - 1) dC_i))^2, where
    // dA_i = HD(i) - A and so on. This equals (VarDen/Den^2 + VarNum/Num^2 -
    // 2 CovNumDen/(Num Den)) rg^2 over the variances and covariances of A, B
    // and C, but has a value at Num = 0 (rg = 0, as for a constant column or
    // Delta < 0), and does not cancel when rg is near 1.
    ignoreErrors([&] {
        const double rg = out.rg.get();
        double sum = 0.0;
        for (std::int32_t i = 1; i <= n; ++i) {
            const auto k = static_cast<std::size_t>(i);
            const double dA = m_HD[k] - m_A, dB = m_HT[k] - m_B, dC = m_HX[k] - m_C;
            const double linear = n1 * (dC - dA) - rg * (dn * dB + dA + n1 * dC);
            sum += linear * linear;
        }
        m_VarRg = sum * 4.0 / std::pow(dn, 2) / std::pow(m_Den, 2);
    });
    ignoreErrors([&] { out.se_rg.set(checkedSqrt(m_VarRg)); });

    // Below 1 degree of freedom there is no t quantile: the limits are NaN
    // rather than of zero width.
    m_TCrit = NaN;
    if (n2 >= 1.0) {
        guardStep(m_TCrit, [&] {
            double p = 0.975;
            return m_lib.STAT_TINV(p, n2, false, false);
        });
    }

    ignoreErrors([&] {
        const double rg = out.rg.get();
        out.z.set(checkedLog(div(1.0 + rg, 1.0 - rg)) / 2.0);
    });
    ignoreErrors([&] {
        const double root = checkedSqrt(m_VarRg);
        out.se_z.set(root / (1.0 - std::pow(out.rg.get(), 2)));
    });
    ignoreErrors([&] { out.z_lcl.set(out.z.get() - m_TCrit * out.se_z.get()); });
    ignoreErrors([&] { out.z_ucl.set(m_TCrit * out.se_z.get() + out.z.get()); });
    const auto backTransformed = [](double w) {
        const double e1 = checkedExp(2.0 * w);
        const double e2 = checkedExp(2.0 * w);
        return (e1 - 1.0) / (e2 + 1.0);
    };
    ignoreErrors([&] { out.lcl.set(backTransformed(out.z_lcl.get())); });
    ignoreErrors([&] { out.ucl.set(backTransformed(out.z_ucl.get())); });
}

template <class Slot>
VariantResults<Slot> resultsOf(Slot rg, Slot se_rg, Slot z, Slot se_z, Slot z_lcl, Slot z_ucl, Slot lcl, Slot ucl)
{
    return VariantResults<Slot>{rg, se_rg, z, se_z, z_lcl, z_ucl, lcl, ucl};
}

} // namespace

// ---- Lin, Nickerson and Liao ---------------------------------------------------

void Sumtrix::STAT_CCC(std::int32_t n, double r, double MeanX, double MeanY, double VarX, double VarY, double& Cb,
                       double& u, double& V, double& rc, double& SErc, double& z, double& pz, double& zll95,
                       double& zul95, double& trc, double& SEtrc, double& ztrc, double& pztrc, double& ztrcll95_1,
                       double& ztrcul95_1, double& ztrcll95_2, double& ztrcul95_2, double VarXY,
                       double& rc_Nickerson, double& Ar, double& Gr, double& SEGr, double& Grz, double& pGrz,
                       double& Grzll95, double& Grzul95, double& tGr, double& SEtGr, double& tGrz, double& ptGrz,
                       double& ztGrll95_1, double& ztGrll95_2, double& ztGrul95_1, double& ztGrul95_2)
{
    const auto step = [](auto&& body) { ignoreErrors(body); };
    // 2 (1 - Phi(|statistic|)), the two-sided P value of a normal statistic.
    const auto twoSided = [this](double& target, double statistic) {
        const double phi = this->STAT_NormProb1(std::fabs(statistic), false);
        storeMul(target, 2.0, sub(1.0, phi));
    };
    const double dn = n;

    double Sxy = 0.0, z975 = 0.0, sY = 0.0, sX = 0.0, var_rc = 0.0, q = 0.0;
    Matrix d, S;
    // The test and the limits on Fisher's z scale: t / se with its P value,
    // and t -+ z975 se with their back-transforms.
    const auto zScale = [&](const double& t, const double& se, double& statistic, double& p, double& lower,
                            double& lowerBack, double& upper, double& upperBack) {
        step([&] { storeDiv(statistic, t, se); });
        step([&] { twoSided(p, statistic); });
        step([&] {
            storeSub(lower, t, mul(z975, se));
            storeTanh(lowerBack, lower);
        });
        step([&] {
            storeAdd(upper, t, mul(z975, se));
            storeTanh(upperBack, upper);
        });
    };

    step([&] { storeMul(Sxy, r, checkedSqrt(mul(VarX, VarY))); });
    step([&] { z975 = -this->STAT_InvNorm(0.05 / 2.0, 0.0); });
    step([&] {
        sY = checkedSqrt(VarY);
        sX = checkedSqrt(VarX);
    });
    step([&] { storeDiv(V, sY, sX); });
    step([&] { storeDiv(u, sub(MeanY, MeanX), checkedSqrt(mul(sY, sX))); });
    step([&] { storeDiv(Cb, 2.0, add(power(u, 2), add(V, div(1.0, V)))); });
    step([&] { storeDiv(rc, mul(2.0, Sxy), add(power(sub(MeanY, MeanX), 2), add(VarX, VarY))); });

    // Lin's variance of rc; n - 2 is an integer.
    step([&] {
        const double r2 = power(r, 2);
        const double t1 = div(mul(mul(sub(1.0, r2), power(rc, 2)), sub(1.0, power(rc, 2))), r2);
        const double t2 = div(mul(mul(mul(2.0, power(rc, 3)), sub(1.0, rc)), power(u, 2)), r);
        const double t3 = div(mul(power(rc, 4), power(u, 4)), mul(2.0, r2));
        const std::int64_t nm2 = static_cast<std::int64_t>(n) - 2;
        if (nm2 < std::numeric_limits<std::int32_t>::min())
            raiseError(ErrOverflow);
        storeDiv(var_rc, sub(add(t1, t2), t3), static_cast<double>(nm2));
    });
    step([&] { SErc = checkedSqrt(var_rc); });
    step([&] {
        if (SErc > 0.0)
            storeDiv(z, rc, SErc);
        else
            z = 0.0;
    });
    step([&] { twoSided(pz, z); });
    step([&] {
        storeSub(zll95, rc, mul(z975, SErc));
        storeAdd(zul95, rc, mul(z975, SErc));
    });

    // Fisher's z of rc; skipped for rc >= 1 (a NaN goes on).
    if (!(rc >= 1.0)) {
        step([&] { storeMul(trc, 0.5, checkedLog(div(add(1.0, rc), sub(1.0, rc)))); });
        step([&] { SEtrc = checkedSqrt(div(var_rc, power(sub(1.0, power(rc, 2)), 2))); });
        zScale(trc, SEtrc, ztrc, pztrc, ztrcll95_1, ztrcll95_2, ztrcul95_1, ztrcul95_2);
    }

    step([&] {
        const double denominator = sub(add(power(sub(MeanY, MeanX), 2), add(VarX, VarY)), div(VarXY, dn));
        storeDiv(rc_Nickerson, mul(2.0, Sxy), denominator);
    });
    step([&] {
        const double sumSquares = add(power(sX, 2), power(sY, 2));
        const double numerator = sub(mul(mul(4.0, sY), sX), mul(sumSquares, r));
        const double denominator = add(power(sub(MeanY, MeanX), 2), mul(sub(2.0, r), sumSquares));
        storeDiv(Ar, numerator, denominator);
    });

    // Delta method for Gr over (VarY, VarX, Sxy, MeanX - MeanY): d' S d / n
    // with S the asymptotic covariance matrix of the four.
    step([&] {
        d = this->Matrix_CreateMatrix(4, 1, BoundedArray<Variant>(0, -1));
        S = this->Matrix_CreateMatrix(4, 4, BoundedArray<Variant>(0, -1));
    });
    step([&] {
        const double sX2 = power(sX, 2), sY2 = power(sY, 2);
        auto& e = S.Element;
        storeMul(e(1, 1), 2.0, power(sY, 4));
        storeMul(e(1, 2), mul(mul(2.0, power(r, 2)), sX2), sY2);
        storeMul(e(1, 3), mul(mul(2.0, r), sX), power(sY, 3));
        e(1, 4) = 0.0;
        e(2, 1) = e(1, 2);
        storeMul(e(2, 2), 2.0, power(sX, 4));
        storeMul(e(2, 3), mul(mul(2.0, r), power(sX, 3)), sY);
        e(2, 4) = 0.0;
        e(3, 1) = e(1, 3);
        e(3, 2) = e(2, 3);
        storeMul(e(3, 3), mul(add(power(r, 2), 1.0), sX2), sY2);
        e(3, 4) = 0.0;
        e(4, 1) = 0.0;
        e(4, 2) = 0.0;
        e(4, 3) = 0.0;
        storeSub(e(4, 4), add(sX2, sY2), mul(mul(mul(2.0, r), sX), sY));
    });
    step([&] { storeMul(Gr, Ar, r); });
    // The gradient of Gr = N / M, with a = VarY, b = VarX, c = Sxy,
    // e = MeanX - MeanY: N = 4c - c^2 (1/a + 1/b), M = e^2 + 2(a + b) -
    // c (a + b)/sqrt(ab), and dGr = (dN - Gr dM) / M.
    step([&] {
        const double a = VarY, b = VarX, c = Sxy, e = sub(MeanX, MeanY);
        const double root = checkedSqrt(mul(a, b));
        const double sum = add(a, b);
        const double M = sub(add(power(e, 2), mul(2.0, sum)), div(mul(c, sum), root));
        const double c2 = power(c, 2);
        const double halfRatio = div(c, mul(2.0, root));
        const double dN[4] = {div(c2, power(a, 2)), div(c2, power(b, 2)),
                              sub(4.0, mul(mul(2.0, c), add(div(1.0, a), div(1.0, b)))), 0.0};
        const double dM[4] = {sub(2.0, mul(halfRatio, sub(1.0, div(b, a)))),
                              sub(2.0, mul(halfRatio, sub(1.0, div(a, b)))), -div(sum, root), mul(2.0, e)};
        for (std::int16_t k = 0; k < 4; ++k)
            storeDiv(d.Element(k + 1, 1), sub(dN[k], mul(Gr, dM[k])), M);
    });
    step([&] {
        const Matrix dT = this->Matrix_TransposeMatrix(d);
        const Matrix left = this->Matrix_MultiplyMatrix(dT, S);
        q = this->Matrix_MultiplyMatrix(left, d).Element(1, 1);
        SEGr = checkedSqrt(div(q, dn));
    });
    step([&] { storeDiv(Grz, Gr, SEGr); });
    step([&] { twoSided(pGrz, Grz); });
    step([&] {
        storeSub(Grzll95, Gr, mul(z975, SEGr));
        storeAdd(Grzul95, Gr, mul(z975, SEGr));
    });
    step([&] { storeMul(tGr, 0.5, checkedLog(div(add(1.0, Gr), sub(1.0, Gr)))); });
    step([&] { storeDiv(SEtGr, SEGr, sub(1.0, power(Gr, 2))); });
    zScale(tGr, SEtGr, tGrz, ptGrz, ztGrll95_1, ztGrll95_2, ztGrul95_1, ztGrul95_2);
}

Sumtrix::ConcordanceCorrelation Sumtrix::STAT_CCC(std::int32_t n, double r, double MeanX, double MeanY,
                                                  double VarX, double VarY, double VarXY)
{
    ConcordanceCorrelation c;
    STAT_CCC(n, r, MeanX, MeanY, VarX, VarY, c.Cb, c.u, c.V, c.rc, c.SErc, c.z, c.pz, c.zll95, c.zul95, c.trc,
             c.SEtrc, c.ztrc, c.pztrc, c.ztrcll95_1, c.ztrcul95_1, c.ztrcll95_2, c.ztrcul95_2, VarXY,
             c.rc_Nickerson, c.Ar, c.Gr, c.SEGr, c.Grz, c.pGrz, c.Grzll95, c.Grzul95, c.tGr, c.SEtGr, c.tGrz,
             c.ptGrz, c.ztGrll95_1, c.ztGrll95_2, c.ztGrul95_1, c.ztGrul95_2);
    return c;
}

// ---- King and Chinchilli --------------------------------------------------------

namespace {

void gccc2(GcccWork& work, BoundedArray<double>& rg, BoundedArray<double>& se_rg, BoundedArray<double>& z,
           BoundedArray<double>& se_z, BoundedArray<double>& z_lcl, BoundedArray<double>& z_ucl,
           BoundedArray<double>& lcl, BoundedArray<double>& ucl, double P)
{
    work.prepare();
    for (std::int32_t k = 1; k <= 7; ++k) {
        // variant 5 is the absolute distance to the power 1.0
        work.kernelPass(k, k == 5 ? 1.0 : P);
        work.estimate(resultsOf(ArraySlot{rg, k}, ArraySlot{se_rg, k}, ArraySlot{z, k}, ArraySlot{se_z, k},
                                ArraySlot{z_lcl, k}, ArraySlot{z_ucl, k}, ArraySlot{lcl, k}, ArraySlot{ucl, k}));
    }
}

// The eight result arrays of one call, elements 1..7, NaN until written.
struct Gccc2Arrays {
    BoundedArray<double> a[8];
    Gccc2Arrays()
    {
        for (BoundedArray<double>& v : a) {
            v.redim(0, 7);
            std::fill(v.data().begin(), v.data().end(), NaN);
        }
    }
    std::array<Sumtrix::GeneralizedConcordance, 7> results() const
    {
        std::array<Sumtrix::GeneralizedConcordance, 7> out;
        for (std::int32_t k = 1; k <= 7; ++k) {
            Sumtrix::GeneralizedConcordance& g = out[static_cast<std::size_t>(k - 1)];
            g.rg = a[0](k);
            g.se_rg = a[1](k);
            g.z = a[2](k);
            g.se_z = a[3](k);
            g.z_lcl = a[4](k);
            g.z_ucl = a[5](k);
            g.lcl = a[6](k);
            g.ucl = a[7](k);
        }
        return out;
    }
};

} // namespace

void Sumtrix::STAT_GCCC2(std::int32_t n, const BoundedArray<double>& x, const BoundedArray<double>& y,
                         BoundedArray<double>& rg, BoundedArray<double>& se_rg, BoundedArray<double>& z,
                         BoundedArray<double>& se_z, BoundedArray<double>& z_lcl, BoundedArray<double>& z_ucl,
                         BoundedArray<double>& lcl, BoundedArray<double>& ucl, double P)
{
    GcccWork work(*this, n, x, y);
    gccc2(work, rg, se_rg, z, se_z, z_lcl, z_ucl, lcl, ucl, P);
}

std::array<Sumtrix::GeneralizedConcordance, 7> Sumtrix::STAT_GCCC2(std::int32_t n, const BoundedArray<double>& x,
                                                                   const BoundedArray<double>& y, double P)
{
    Gccc2Arrays o;
    STAT_GCCC2(n, x, y, o.a[0], o.a[1], o.a[2], o.a[3], o.a[4], o.a[5], o.a[6], o.a[7], P);
    return o.results();
}

std::array<Sumtrix::GeneralizedConcordance, 7> detail::gccc2WithPath(Sumtrix& lib, std::int32_t n,
                                                                     const BoundedArray<double>& x,
                                                                     const BoundedArray<double>& y, double P,
                                                                     GcccPath path, unsigned threads)
{
    GcccWork work(lib, n, x, y);
    work.setPath(path, threads);
    Gccc2Arrays o;
    gccc2(work, o.a[0], o.a[1], o.a[2], o.a[3], o.a[4], o.a[5], o.a[6], o.a[7], P);
    return o.results();
}

void Sumtrix::STAT_GCCC(std::int32_t n, const BoundedArray<double>& x, const BoundedArray<double>& y, double& rg,
                        double& se_rg, double& z, double& se_z, double& z_lcl, double& z_ucl, double& lcl,
                        double& ucl, std::int32_t code, double P)
{
    GcccWork work(*this, n, x, y);
    int variant = 0;
    switch (code) {
    case 1:
    case 2:
    case 3:
    case 4:
        variant = code;
        break;
    case 5:
        variant = 6;
        break;
    case 6:
        variant = 7;
        break;
    default:
        return;
    }
    if (variant >= 4)
        work.prepare();
    work.kernelPass(variant, P);
    work.estimate(resultsOf(ScalarSlot{rg}, ScalarSlot{se_rg}, ScalarSlot{z}, ScalarSlot{se_z}, ScalarSlot{z_lcl},
                            ScalarSlot{z_ucl}, ScalarSlot{lcl}, ScalarSlot{ucl}));
}

Sumtrix::GeneralizedConcordance Sumtrix::STAT_GCCC(std::int32_t n, const BoundedArray<double>& x,
                                                   const BoundedArray<double>& y, std::int32_t code, double P)
{
    GeneralizedConcordance g;
    STAT_GCCC(n, x, y, g.rg, g.se_rg, g.z, g.se_z, g.z_lcl, g.z_ucl, g.lcl, g.ucl, code, P);
    return g;
}

} // namespace SumtrixLib

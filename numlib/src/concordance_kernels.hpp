#pragma once
// The kernel sums of the generalized concordance coefficients (King and
// Chinchilli): for every observation i the sums over the other observations
// j of the paired-difference kernel (KD), the doubled-value kernel (KT) and
// the cross kernel g(x_i - y_j) - g(x_i + y_j) (KX), plus the column sums of
// the cross kernel (KXt) that its symmetrised projection needs.
//
// Internal to the library; the tests compare the fast sums with the literal
// double loop through this interface.
#include <array>
#include <cstdint>
#include <vector>

#include "SumtrixLib/Sumtrix.hpp"

namespace SumtrixLib::detail {

// The distance function of one kernel pass. The seven variants map onto
// these; an exponent of 1 or 2 turns a power distance into the absolute or
// squared one (same values, faster sums).
enum class GcccKind {
    Square,        // u^2
    Absolute,      // |u|
    Power,         // |u|^P
    ClipSquare,    // u^2, arguments limited at Delta
    ClipAbsolute,  // |u|, arguments limited at Delta
    ClipPower,     // |u|^P, arguments limited at Delta
    Huber,         // u^2/2 up to |u| = Delta, Delta |u| - Delta^2/2 beyond
};

// The kind of variant 1..7 for the exponent P (variant 5 uses exponent 1).
GcccKind gcccKind(int variant, double P);

// The twelve distance terms of the template, in their order of evaluation.
// A term whose evaluation fails keeps its previous value, so they carry
// over from pair to pair and from one variant to the next.
struct GcccTerms {
    // 0.5 g(x_j - y_j), 0.5 g(x_j + y_j), 0.25 g(2 x_j), 0.25 g(2 y_j)
    double pairD = 0.0, pairS = 0.0, pairX = 0.0, pairY = 0.0;
    // g(x_i - y_j), g(x_i + y_j)
    double crossD = 0.0, crossS = 0.0;
    // g(x_i - y_i), g(x_i + y_i), g(2 x_i), g(2 y_i), then the first two
    // again for the removal of j = i from KX
    double ownD = 0.0, ownS = 0.0, ownX = 0.0, ownY = 0.0, ownD2 = 0.0, ownS2 = 0.0;
};

// One kernel pass. Arrays are indexed 1..n (element 0 unused). The clipped
// arrays (ClipD, ClipS, ClipX, ClipY) are read by the clipped kinds only;
// the cross terms always take x and y.
//
// Data far from zero: when every x and y lies on one side of zero (`side`
// +1 or -1), the pass may be given the data less a common centre c (xc, yc)
// with twoCentre = |2c| and DeltaShift = Delta - |2c| formed from centred
// quantities. The arguments x_i + y_j, x_i + y_i, 2 x_i, 2 y_i are then
// |2c| + v in magnitude with v = side (xc_i + yc_j) and so on, and each of
// their terms is taken less an affine function of v, the same for all of
// them: constant and linear parts cancel from C - A and from
// n B + A + (n - 1) C, so rg, its standard error and the limits are those of
// the raw data in exact arithmetic, while the terms keep the size of the
// data's spread instead of that of g(2c). The differences x_i - y_j are
// xc_i - yc_j. A few values far from the others then take no part in the
// fast sums: every pair that has one of them is summed term by term. With
// more of them, and with side 0, the pass works on x and y as given (and
// the clipped arrays), which a centred pass therefore gets too.
struct GcccPassData {
    GcccKind kind = GcccKind::Square;
    std::int32_t n = 0;
    const double* x = nullptr;
    const double* y = nullptr;
    const double* clipD = nullptr;
    const double* clipS = nullptr;
    const double* clipX = nullptr;
    const double* clipY = nullptr;
    double P = 1.0;
    double Delta = 0.0;
    int side = 0;
    const double* xc = nullptr;
    const double* yc = nullptr;
    double twoCentre = 0.0;
    double DeltaShift = 0.0;
};

// The centre of a pass: the median of all 2n values (a data value), with
// `side` +1 or -1 when every value is finite, within 1e100 and on that side
// of zero (0 otherwise), and the centred copies (indexed 1..n); c = 0 and no
// copies unless every value is finite. The median rather than the mean: a
// far value moves the mean away from the others, whose digits x - c then
// loses.
struct GcccCentre {
    double c = 0.0;
    int side = 0;
    std::vector<double> xc, yc;
};
GcccCentre gcccCentre(const double* x, const double* y, std::int32_t n);

// KD, KT, KX, KXt with elements 0..n (element 0 unused).
struct GcccKernels {
    std::vector<double> KD, KT, KX, KXt;
};

enum class GcccPath {
    Fast,      // sums over sorted data and the tree sums of the powers; literal where they do not apply
    AllPairs,  // the same, but the powers' cross sums over all pairs (vectorised rows): for comparisons
    Literal,   // the double loop over i and j, term by term
};

// Runs step 1 of the template: fills `out` and leaves in `terms` the values
// the literal loop leaves. `threads` = 0 uses one thread per core; the
// results do not depend on it.
void gcccKernelPass(const GcccPassData& data, GcccTerms& terms, GcccKernels& out,
                    GcccPath path = GcccPath::Fast, unsigned threads = 0);

// STAT_GCCC2's results with the cross sums of `path` and `threads` (STAT_GCCC2
// itself takes GcccPath::Fast on every core): for the tests and benchmarks
// that compare the paths. Defined in concordance.cpp.
std::array<Sumtrix::GeneralizedConcordance, 7> gccc2WithPath(Sumtrix& lib, std::int32_t n,
                                                             const BoundedArray<double>& x,
                                                             const BoundedArray<double>& y, double P,
                                                             GcccPath path, unsigned threads = 0);

} // namespace SumtrixLib::detail

#!/usr/bin/python3
"""Reference values for the generalized concordance coefficients of King and
Chinchilli, seven distance functions, by brute force over ordered pairs.

For a distance g the three U-statistics over the ordered pairs i != j are
  A = mean of [g(x_i - y_i) - g(x_i + y_i) + g(x_j - y_j) - g(x_j + y_j)] / 2
  B = mean of [g(2 x_i) + g(2 y_i) + g(2 x_j) + g(2 y_j)] / 4
  C = mean of  g(x_i - y_j) - g(x_i + y_j)
and rg = (n - 1)(C - A) / (n B + A + (n - 1) C). Its standard error is the
delta method over the Hoeffding projections h(i) = mean over j != i of the
kernel, the cross kernel symmetrised, (k(i, j) + k(j, i)) / 2:
  influence(i) = dNum(i) / Den - Num dDen(i) / Den^2,
  Num = (n - 1)(C - A), Den = n B + A + (n - 1) C, dA(i) = h_A(i) - A, ...
  Var rg = 4 / n^2 sum influence(i)^2.
z = atanh rg, se_z = se_rg / (1 - rg^2); limits z -+ t se_z and their tanh,
with t the four-term expansion of the t quantile at 0.975 and n - 2 degrees
of freedom (Abramowitz and Stegun 26.7.5), the library's t quantile.

Variants: 1 u^2, 2 |u|, 3 |u|^P on the raw data; 4 u^2, 5 |u|, 6 |u|^P with
every argument limited at Delta (the doubled values 2 x_i, 2 y_i jointly:
both become Delta when either exceeds it); 7 the Huber function u^2 / 2 up
to |u| = Delta and Delta |u| - Delta^2 / 2 beyond. Delta is the larger of
mean + 1.5 SD of x + y and of x - y over the data winsorised at the order
statistics round(0.05 n) (at least 1) and round(0.95 n), rounded half to
even; variances with divisor n - 1, the covariance with divisor n.

Sets up to n = 1000 are computed in 50-digit decimal arithmetic, so data far
from zero (1e6, 1e9) get exact references; one set of 2000 pairs in numpy
double precision. Writes numlib/tests/reference/concordance_gccc_cases.inc.
Run from the repository root: /usr/bin/python3 tools/oracles/concordance_gccc.py
"""
import math
import sys
from decimal import Decimal, getcontext

import numpy as np
from scipy.stats import norm

getcontext().prec = 50
D = Decimal
NAN = float("nan")


def t_expansion(df):
    x = float(norm.ppf(0.975))
    xx = x * x
    g1 = (xx + 1) * x / 4
    g2 = ((5 * xx + 16) * xx + 3) * x / 96
    g3 = (((3 * xx + 19) * xx + 17) * xx - 15) * x / 384
    g4 = ((((79 * xx + 776) * xx + 1482) * xx - 1920) * xx - 945) * x / 92160
    return x + g1 / df + g2 / df ** 2 + g3 / df ** 3 + g4 / df ** 4


def delta_bound(x, y):
    """Delta from the winsorised data, exactly."""
    n = len(x)
    sx, sy = sorted(x), sorted(y)
    upper = round(0.95 * n)
    lower = max(1, round(0.05 * n))
    lo_x, hi_x = sx[lower - 1], sx[upper - 1]
    lo_y, hi_y = sy[lower - 1], sy[upper - 1]
    wx = [D(lo_x) if v <= lo_x else D(hi_x) if v > hi_x else D(v) for v in x]
    wy = [D(lo_y) if v <= lo_y else D(hi_y) if v > hi_y else D(v) for v in y]
    mx = sum(wx) / n
    my = sum(wy) / n
    vx = sum((v - mx) ** 2 for v in wx) / (n - 1)
    vy = sum((v - my) ** 2 for v in wy) / (n - 1)
    cxy = sum((a - mx) * (b - my) for a, b in zip(wx, wy)) / n
    by_sum = mx + my + D("1.5") * (vx + vy + 2 * cxy).sqrt()
    by_diff = mx - my + D("1.5") * (vx + vy - 2 * cxy).sqrt()
    return max(by_sum, by_diff)


def power(u, P):
    a = abs(u)
    if P == D("1.5"):
        return a * a.sqrt()
    if P == D("0.5"):
        return a.sqrt()
    if P == D("2.5"):
        return a * a * a.sqrt()
    if a == 0:
        return D(0)
    return a ** P


def distance(variant, P, delta):
    """g, the limit applied to its arguments, and the doubled-value rule."""
    if variant in (1, 4):
        g = lambda u: u * u
    elif variant in (2, 5):
        g = lambda u: abs(u)
    elif variant in (3, 6):
        g = lambda u: power(u, P)
    else:
        g = lambda u: u * u / 2 if abs(u) <= delta else delta * abs(u) - delta * delta / 2
    clipped = variant in (4, 5, 6)
    lim = (lambda u: delta if abs(u) > delta else u) if clipped else (lambda u: u)
    return g, lim, clipped


def exact(x, y, P):
    n = len(x)
    X = [D(v) for v in x]
    Y = [D(v) for v in y]
    P = D(P)
    delta = delta_bound(x, y)
    t = D(t_expansion(n - 2))
    out = []
    for variant in range(1, 8):
        g, lim, clipped = distance(variant, P, delta)
        gd = [g(lim(a - b)) - g(lim(a + b)) for a, b in zip(X, Y)]
        gt = []
        for a, b in zip(X, Y):
            ta, tb = 2 * a, 2 * b
            if clipped and (abs(ta) > delta or abs(tb) > delta):
                ta = tb = delta
            gt.append(g(ta) + g(tb))
        cross = [[g(lim(a - b)) - g(lim(a + b)) for b in Y] for a in X]
        pairs = n * (n - 1)
        hA = [sum((gd[i] + gd[j]) / 2 for j in range(n) if j != i) / (n - 1) for i in range(n)]
        hB = [sum((gt[i] + gt[j]) / 4 for j in range(n) if j != i) / (n - 1) for i in range(n)]
        hC = [sum((cross[i][j] + cross[j][i]) / 2 for j in range(n) if j != i) / (n - 1) for i in range(n)]
        A = sum(hA) / n
        B = sum(hB) / n
        C = sum(sum(cross[i][j] for j in range(n) if j != i) for i in range(n)) / pairs
        results(out, n, A, B, C, hA, hB, hC, t)
    return out


def results(out, n, A, B, C, hA, hB, hC, t):
    num = (n - 1) * (C - A)
    den = n * B + A + (n - 1) * C
    rg = num / den
    var = 0
    for a, b, c in zip(hA, hB, hC):
        dnum = (n - 1) * ((c - C) - (a - A))
        dden = n * (b - B) + (a - A) + (n - 1) * (c - C)
        infl = dnum / den - num * dden / (den * den)
        var += infl * infl
    var = 4 * var / (n * n)
    se = var.sqrt()
    se_z = se / (1 - rg * rg)
    if abs(rg) >= 1:
        # no Fisher z: z and the limits have no value
        out.append([rg, se, NAN, se_z, NAN, NAN, NAN, NAN])
        return
    z = ((1 + rg) / (1 - rg)).ln() / 2
    zl = z - t * se_z
    zu = t * se_z + z
    out.append([rg, se, z, se_z, zl, zu, tanh(zl), tanh(zu)])


def tanh(w):
    e = (2 * w).exp()
    return (e - 1) / (e + 1)


def double_precision(x, y, P):
    """The same in numpy double precision, for a larger set near zero."""
    n = len(x)
    X = np.asarray(x)
    Y = np.asarray(y)
    delta = float(delta_bound(x, y))
    t = t_expansion(n - 2)
    out = []
    for variant in range(1, 8):
        if variant in (1, 4):
            g = lambda u: u * u
        elif variant in (2, 5):
            g = np.abs
        elif variant in (3, 6):
            g = lambda u: np.abs(u) ** P
        else:
            g = lambda u: np.where(np.abs(u) <= delta, u * u / 2, delta * np.abs(u) - delta * delta / 2)
        clipped = variant in (4, 5, 6)
        lim = (lambda u: np.where(np.abs(u) > delta, delta, u)) if clipped else (lambda u: u)
        gd = g(lim(X - Y)) - g(lim(X + Y))
        tx, ty = 2 * X, 2 * Y
        if clipped:
            over = (np.abs(tx) > delta) | (np.abs(ty) > delta)
            tx = np.where(over, delta, tx)
            ty = np.where(over, delta, ty)
        gt = g(tx) + g(ty)
        K = g(lim(X[:, None] - Y[None, :])) - g(lim(X[:, None] + Y[None, :]))
        np.fill_diagonal(K, 0.0)
        hA = ((n - 2) * gd + gd.sum()) / (2 * (n - 1))
        hB = ((n - 2) * gt + gt.sum()) / (4 * (n - 1))
        hC = (K.sum(axis=1) + K.sum(axis=0)) / (2 * (n - 1))
        A, B, C = hA.mean(), hB.mean(), K.sum() / (n * (n - 1))
        num = (n - 1) * (C - A)
        den = n * B + A + (n - 1) * C
        rg = num / den
        infl = (n - 1) * ((hC - C) - (hA - A)) / den - num * (n * (hB - B) + (hA - A) + (n - 1) * (hC - C)) / den ** 2
        se = math.sqrt(4 * float(np.sum(infl * infl)) / n ** 2)
        z = math.atanh(rg)
        se_z = se / (1 - rg * rg)
        zl, zu = z - t * se_z, t * se_z + z
        out.append([rg, se, z, se_z, zl, zu, math.tanh(zl), math.tanh(zu)])
    return out


def num(v):
    v = float(v)
    if math.isnan(v):
        return "std::numeric_limits<double>::quiet_NaN()"
    return repr(v)


def vec(v):
    return "{" + ", ".join(num(a) for a in v) + "}"


def main():
    rng = np.random.default_rng(20260119)
    sets = []

    def add(name, x, y, P=1.5, precise=True):
        sets.append((name, [float(a) for a in x], [float(b) for b in y], P, precise))

    # the coefficient of the squared distance is Lin's, with divisor n
    add("five pairs", [1, 2, 3, 4, 5], [1.1, 2.3, 2.9, 4.2, 5.5])
    add("four pairs", [10, 12, 15, 11], [11, 13, 14, 12])
    add("n 3", [1.5, 2.0, 4.5], [1.0, 2.5, 4.0])
    x = np.round(rng.normal(0, 2, 40), 3)
    add("around 0", x, np.round(0.8 * x + rng.normal(0.3, 1, 40), 3))
    x = np.round(rng.normal(20, 2, 60), 2)
    add("around 20", x, np.round(0.9 * x + rng.normal(2.5, 1.2, 60), 2))
    x = rng.integers(1, 7, 50).astype(float)
    add("ties", x, np.clip(x + rng.integers(-1, 2, 50), 1, 6))
    x = np.round(rng.normal(5, 1, 30), 2)
    add("negative", x, np.round(10 - x + rng.normal(0, 0.5, 30), 2))
    # heavy tails, so that winsorising moves values: ranks (1, 28) at n = 29,
    # (2, 28) at 30, (4, 66) at 70, (5, 95) at 100
    for n in (29, 30, 70, 100):
        x = np.round(3 + rng.standard_t(2, n), 3)
        add(f"heavy tails n {n}", x, np.round(x + rng.standard_t(3, n), 3))
    x = np.round(1e6 + rng.normal(0, 10, 40), 2)
    add("around 1e6", x, np.round(x + rng.normal(1, 3, 40), 2))
    x = np.round(1e9 + rng.normal(0, 3, 30), 1)
    add("around 1e9", x, np.round(x + rng.normal(0.5, 1, 30), 1))
    x = np.round(rng.normal(0, 1, 25), 3)
    y = np.round(x + rng.normal(0, 0.4, 25), 3)
    add("P 2.5", x, y, 2.5)
    add("P 0.5", x, y, 0.5)
    add("P 2", x, y, 2.0)
    add("P 1", x, y, 1.0)
    # both terms of Delta negative: every argument is limited
    add("Delta below 0", [-10, -11, -12, -10.5, -11.5], [-1, -2, -3, -1.5, -2.5])
    x = np.round(rng.normal(8, 3, 200), 2)
    add("n 200", x, np.round(0.7 * x + rng.normal(3, 2, 200), 2))
    x = np.round(rng.normal(0, 2, 2000), 2)
    add("n 2000", x, np.round(0.9 * x + rng.normal(0.2, 1, 2000), 2), precise=False)
    # Far from zero, a few units apart (a generator of their own, so that the
    # sets above keep their data). The library takes the terms of the sums
    # less an affine function of their distance from twice the mean; these
    # sets check that for every variant, on both sides of zero, for the
    # exponents with rows of their own (1.5, 0.5) and the general one (2.5),
    # and with the mean of the sums beyond Delta (two outliers pull the mean
    # above the winsorised bound). The test holds them, like every set, to
    # 1e-12 of the larger of the value and 1 (Gccc2.MatchesBruteForce): the
    # terms are then of the size of the spread, and the worst seen is 1.5e-13
    # (variant 1 at rg = 0.9986, z-scale limits amplifying by 1/(1 - rg^2)).
    far = np.random.default_rng(20261210)
    x = np.round(1e6 + far.normal(0, 3, 30), 2)
    add("1e6 +- 3", x, np.round(x + far.normal(0.5, 1.5, 30), 2))
    x = np.round(-1e9 + far.normal(0, 3, 25), 1)
    add("-1e9 +- 3", x, np.round(x + far.normal(-0.5, 1, 25), 1))
    x = np.round(1e9 + far.normal(0, 2, 24), 1)
    y = np.round(x + far.normal(0.3, 1, 24), 1)
    add("1e9 P 0.5", x, y, 0.5)
    add("1e9 P 2.5", x, y, 2.5)
    x = np.round(1e9 + far.normal(0, 2, 30), 1)
    y = np.round(x + far.normal(0.2, 1, 30), 1)
    x[:2] += 400
    y[:2] += 420
    add("1e9 mean beyond Delta", x, y)
    # Values to six decimals, so that nearly every value is distinct and the
    # library's tree sums of variants 3 and 6 take their expansions for the
    # far pairs: heavy tails above zero (the sums expanded about twice the
    # mean), and both signs at P = 2.5 (the sums as they stand).
    tree = np.random.default_rng(20261211)
    x = np.round(50 + 4 * tree.standard_t(3, 300), 6)
    add("six decimals heavy tails", x, np.round(0.9 * x + 5 + tree.standard_t(3, 300), 6))
    x = np.round(tree.normal(0, 3, 300), 6)
    add("six decimals both signs P 2.5", x, np.round(0.8 * x + tree.normal(0.5, 1.5, 300), 6), 2.5)

    # One value far from data on one side of zero (like a typing slip among
    # values around 20), up to 1e15, on either side, for n up to 1000 and the
    # exponents with rows of their own (0.5, 1.5, 2.5) and general ones (0.7,
    # 3); the library's expanded terms must not carry the far value's
    # distance into the others' digits. Also a far value on the other side
    # of zero (the data then straddle it), two far values (x of one
    # observation, y of another), data far from zero with a value farther
    # still, and 40 observations far in x and y (more than the library sets
    # apart; they lie within Delta of each other).
    odd = np.random.default_rng(20261212)

    def bulk(n, sign=1.0, centre=20.0):
        x = np.round(centre + 3 * odd.normal(size=n), 2)
        y = np.round(0.9 * x + 0.1 * centre + 2 + 1.5 * odd.normal(size=n), 1)
        return sign * x, sign * y

    x, y = bulk(20)
    x[7] = 1e12
    add("far 1e12 n 20", x, y)
    x, y = bulk(64)
    x[20] = 1e6
    add("far 1e6 n 64 P 0.5", x, y, 0.5)
    x, y = bulk(65)
    x[30] = 1e9
    add("far 1e9 n 65 P 2.5", x, y, 2.5)
    x, y = bulk(200)
    x[50] = 1e12
    add("far 1e12 n 200 P 2.5", x, y, 2.5)
    x, y = bulk(300)
    y[100] = 1e15
    add("far y 1e15 n 300", x, y)
    x, y = bulk(65, -1)
    x[10] = -1e12
    add("far -1e12 n 65", x, y)
    x, y = bulk(300, -1)
    x[0] = -1e15
    add("far -1e15 n 300 P 0.7", x, y, 0.7)
    x, y = bulk(1000)
    x[500] = 1e15
    add("far 1e15 n 1000 P 0.5", x, y, 0.5)
    x, y = bulk(1000, -1)
    y[999] = -1e10
    add("far -1e10 n 1000 P 3", x, y, 3.0)
    x, y = bulk(300)
    x[5] = -1e12
    add("far -1e12 among positive n 300", x, y)
    x, y = bulk(300)
    x[10] = 1e12
    y[200] = 4e11
    add("two far values n 300", x, y)
    x, y = bulk(65, 1, 1e6)
    x[3] = 1e12
    add("1e6 +- 3 far 1e12 n 65", x, y)
    x, y = bulk(1000)
    for k in range(40):
        x[25 * k + 3] = 1e12 + 10 * k
        y[25 * k + 3] = 1e12 + 10 * k + 3 * (k % 5)
    add("40 far observations n 1000", x, y)

    path = sys.argv[1] if len(sys.argv) > 1 else "numlib/tests/reference"
    with open(f"{path}/concordance_gccc_cases.inc", "w") as f:
        f.write("// Generated by tools/oracles/concordance_gccc.py (numpy %s). Do not edit:\n" % np.__version__)
        f.write("// run the script again instead.\n")
        f.write("struct GcccCase {\n    const char* name;\n    std::vector<double> x, y;\n    double P;\n")
        f.write("    // variant k at k - 1: rg, se_rg, z, se_z, z_lcl, z_ucl, lcl, ucl\n")
        f.write("    std::vector<std::vector<double>> expected;\n};\n")
        f.write("const GcccCase kGcccCases[] = {\n")
        for name, x, y, P, precise in sets:
            rows = exact(x, y, P) if precise else double_precision(x, y, P)
            f.write('    {"%s", %s, %s, %s, {%s}},\n' % (name, vec(x), vec(y), num(P), ", ".join(vec(r) for r in rows)))
        f.write("};\n")


main()

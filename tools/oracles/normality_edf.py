#!/usr/bin/python3
"""Reference values for the EDF goodness-of-fit statistics.

Kolmogorov D from scipy.stats.kstest, Kuiper V = D+ + D- from its two
one-sided forms, Cramer-von Mises W2 from scipy.stats.cramervonmises,
Watson U2 by hand as W2 - n (mean(z) - 1/2)^2, Anderson-Darling A2 from
statsmodels' anderson_statistic (fully specified and normal cases) and
scipy.stats.anderson (exponential case), for

  test 1: values that are already probabilities (uniform on (0, 1)),
  test 2: normal with mean and standard deviation (n - 1) estimated,
          D also from statsmodels' lilliefors,
  test 3: exponential with the mean estimated.

The modified statistics (Stephens 1974; D'Agostino and Stephens 1986,
tables 4.2, 4.7 and 4.14) and, for tests 2 and 3, the significance levels
from Stephens' exponential-quadratic approximations are written out here
from the published forms.

Generated data repeat numlib/tests/weyl_data.hpp.
Writes numlib/tests/reference/normality_edf_cases.inc.
Run from the repository root: /usr/bin/python3 tools/oracles/normality_edf.py
"""
import math
import sys

import numpy as np
import scipy
from scipy import stats
import statsmodels
from statsmodels.stats.diagnostic import anderson_statistic, lilliefors

ALPHA = (0.7548776662466927, 0.5698402909980532, 0.6180339887498949)


def weyl_smooth(n, offset, scale, first=1):
    return [offset + scale * ((math.fmod(ALPHA[0] * i, 1.0) + math.fmod(ALPHA[1] * i, 1.0))
                              + math.fmod(ALPHA[2] * i, 1.0)) for i in range(first, first + n)]


def weyl_ties(n, levels, first=1):
    return [math.floor(levels * math.fmod(ALPHA[0] * i, 1.0)) for i in range(first, first + n)]


def plain(x, cdf):
    """D, V, W2, U2, A2 of the sample x against the distribution function cdf."""
    x = np.sort(np.asarray(x, dtype=float))
    n = len(x)
    z = cdf(x)
    D = stats.kstest(x, cdf).statistic
    Dp = stats.kstest(x, cdf, alternative="greater").statistic
    Dm = stats.kstest(x, cdf, alternative="less").statistic
    W2 = stats.cramervonmises(x, cdf).statistic
    U2 = W2 - n * (np.mean(z) - 0.5) ** 2
    return D, Dp + Dm, W2, U2


# Stephens' significance tables: cut points and rows of exp(c1 + t (c2 + t c3)),
# 1 - p in the first two rows.
TABLES = {
    ("normal", "W2"): ((0.0275, 0.051, 0.092), ((-13.953, 775.5, -12542.61), (-5.903, 179.546, -1515.29),
                                                 (0.886, -31.62, 10.897), (1.111, -34.242, 12.832))),
    ("normal", "U2"): ((0.0262, 0.048, 0.094), ((-13.642, 766.31, -12432.74), (-6.3328, 214.57, -2022.28),
                                                 (0.851, -32.006, -3.45), (1.325, -38.918, 16.45))),
    ("normal", "A2"): ((0.2, 0.34, 0.6), ((-13.436, 101.14, -223.73), (-8.318, 42.796, -59.938),
                                           (0.9177, -4.279, -1.38), (1.2937, -5.709, 0.0186))),
    ("expon", "W2"): ((0.035, 0.074, 0.16), ((-11.334, 459.098, -5652.1), (-5.779, 132.89, -866.58),
                                              (0.586, -17.87, 7.417), (0.447, -16.592, 4.849))),
    ("expon", "U2"): ((0.029, 0.062, 0.12), ((-11.703, 542.5, -7574.59), (-6.3288, 178.1, -1399.49),
                                              (0.8071, -25.166, 8.44), (0.7663, -24.359, 4.539))),
    ("expon", "A2"): ((0.26, 0.51, 0.95), ((-12.2204, 67.459, -110.3), (-6.1327, 20.218, -18.663),
                                            (0.9209, -3.353, 0.3), (0.731, -3.009, 0.15))),
}


def significance(family, stat, t):
    cut, rows = TABLES[(family, stat)]
    j = 3 - sum(1 for c in cut if t < c)
    c1, c2, c3 = rows[j]
    if j == 3 and c3 > 0:
        t = min(t, -c2 / (2 * c3))  # the last row beyond its vertex: its smallest value
    p = math.exp(c1 + t * (c2 + t * c3))
    return 1 - p if j <= 1 else p


def test1(x):
    n = len(x)
    D, V, W2, U2 = plain(x, stats.uniform.cdf)
    A2 = anderson_statistic(np.asarray(x), dist=stats.uniform, fit=False)
    rn = math.sqrt(n)
    mod = (D * (rn + 0.12 + 0.11 / rn), V * (rn + 0.155 + 0.24 / rn),
           (W2 - 0.4 / n + 0.6 / n ** 2) * (1 + 1 / n), (U2 - 0.1 / n + 0.1 / n ** 2) * (1 + 0.8 / n), A2)
    return [D, V, W2, U2, A2] + list(mod) + [math.nan] * 3


def test2(x):
    # The statistics of test 2 do not depend on where the data lie: they are
    # computed on the data less their mean rounded to a whole number. The
    # subtraction is exact for the values far from zero, so numpy's mean of
    # them (a few units in the last place off at 1e9) never enters.
    x = np.asarray(x, dtype=float)
    x = x - float(round(np.mean(x)))
    n = len(x)
    mean, sd = np.mean(x), np.std(x, ddof=1)
    D, V, W2, U2 = plain(x, lambda v: stats.norm.cdf(v, mean, sd))
    if n >= 4:  # lilliefors needs four values
        D2 = lilliefors(x, dist="norm", pvalmethod="table")[0]
        assert abs(D - D2) <= 1e-14, (D, D2)
    A2 = anderson_statistic(x, dist="norm", fit=True)
    rn = math.sqrt(n)
    mod = (D * (rn - 0.01 + 0.85 / rn), V * (rn + 0.05 + 0.82 / rn), W2 * (1 + 0.5 / n), U2 * (1 + 0.5 / n),
           A2 * (1 + 0.75 / n + 2.25 / n ** 2))
    p = [significance("normal", s, t) for s, t in zip(("W2", "U2", "A2"), mod[2:])]
    return [D, V, W2, U2, A2] + list(mod) + p


def test3(x):
    x = np.asarray(x, dtype=float)
    n = len(x)
    mean = np.mean(x)
    D, V, W2, U2 = plain(x, lambda v: stats.expon.cdf(v, 0, mean))
    A2 = stats.anderson(x, dist="expon").statistic
    rn = math.sqrt(n)
    mod = ((D - 0.2 / n) * (rn + 0.26 + 0.5 / rn), (V - 0.2 / n) * (rn + 0.24 + 0.35 / rn), W2 * (1 + 0.16 / n),
           U2 * (1 + 0.16 / n), A2 * (1 + 0.6 / n))
    p = [significance("expon", s, t) for s, t in zip(("W2", "U2", "A2"), mod[2:])]
    return [D, V, W2, U2, A2] + list(mod) + p


def num(v):
    v = float(v)
    if math.isnan(v):
        return "std::numeric_limits<double>::quiet_NaN()"
    return repr(v)


def vec(v):
    return "{" + ", ".join(num(t) for t in v) + "}"


rng = np.random.default_rng(20261216)
embedded = [
    (1, "probabilities n 2", [0.3, 0.8]),
    (1, "probabilities n 5", list(np.round(rng.uniform(size=5), 4))),
    (1, "probabilities ties 50", list(np.clip(np.round(rng.uniform(size=50), 2), 0.01, 0.99))),
    (1, "normal probabilities 1000", list(stats.norm.cdf(rng.normal(size=1000)))),
    (2, "normal n 3", [4.0, 5.5, 9.25]),
    (2, "normal 40 ties", list(np.round(rng.normal(20, 3, size=40)))),
    (2, "normal offset 1e9", list(1e9 + np.round(rng.normal(size=30), 2))),
    (2, "exponential 500", list(np.round(rng.exponential(size=500), 4))),
    (3, "exponential n 3", [0.5, 1.7, 4.2]),
    (3, "exponential n 10", list(np.round(rng.exponential(2, size=10), 3))),
    (3, "exponential ties 80", list(np.round(rng.exponential(5, size=80)) + 1)),
    (3, "exponential offset 1e6", list(1e6 + np.round(rng.exponential(size=40), 3))),
]
generated = [
    (2, "smooth 1,000", False, 1000, 0.0, 1.0),
    (2, "smooth 100,000 at 1e6", False, 100000, 1e6, 10.0),
    (2, "ties 100,000", True, 100000, 0.0, 30.0),
    (3, "smooth 100,000", False, 100000, 0.0, 1.0),
    (3, "ties 100,000 plus 1", True, 100000, 1.0, 30.0),
]
TESTS = {1: test1, 2: test2, 3: test3}


def generate(ties, n, offset, scale):
    return [offset + v for v in weyl_ties(n, scale)] if ties else weyl_smooth(n, offset, scale)


with open(sys.argv[1] if len(sys.argv) > 1 else "numlib/tests/reference/normality_edf_cases.inc", "w") as out:
    out.write("// Generated by tools/oracles/normality_edf.py (SciPy %s, statsmodels %s).\n"
              % (scipy.__version__, statsmodels.__version__))
    out.write("// Do not edit: run the script again instead.\n")
    out.write("// Each case: the plain statistics D, V, W2, U2, A2, the modified ones in the\n"
              "// same order, and the significance levels of the modified W2, U2, A2 (NaN for\n"
              "// test 1, which has none).\n")
    out.write("struct EdfCase {\n    int test;\n    const char* name;\n    std::vector<double> x;\n"
              "    double plain[5], modified[5], p[3];\n};\n")
    out.write("const EdfCase kEdfCases[] = {\n")
    for test, name, x in embedded:
        r = TESTS[test](x)
        out.write('    {%d, "%s", %s, {%s}, {%s}, {%s}},\n'
                  % (test, name, vec(x), ", ".join(map(num, r[:5])), ", ".join(map(num, r[5:10])),
                     ", ".join(map(num, r[10:]))))
    out.write("};\n")
    out.write("// The generated data of weyl_data.hpp: offset + weylTies(n, scale) with ties,\n"
              "// else weylSmooth(n, offset, scale).\n")
    out.write("struct EdfGeneratedCase {\n    int test;\n    const char* name;\n    bool ties;\n    int n;\n"
              "    double offset, scale;\n    double plain[5], modified[5], p[3];\n};\n")
    out.write("const EdfGeneratedCase kEdfGenerated[] = {\n")
    for test, name, ties, n, offset, scale in generated:
        r = TESTS[test](generate(ties, n, offset, scale))
        out.write('    {%d, "%s", %s, %d, %s, %s, {%s}, {%s}, {%s}},\n'
                  % (test, name, "true" if ties else "false", n, num(offset), num(scale),
                     ", ".join(map(num, r[:5])), ", ".join(map(num, r[5:10])), ", ".join(map(num, r[10:]))))
    out.write("};\n")

#!/usr/bin/python3
"""Reference values for the points on the median (least-absolute-deviation)
line, in exact rational arithmetic (Python fractions) on the data as typed.

Each data set is tied and has a unique least-absolute-deviation line. The
line is found by enumerating the lines through every two points of
different x, summing |y - a - b x| exactly and keeping the least; a data
set is used only when a single line reaches that least sum (the sum is
convex and piecewise linear with its corners on such lines, so the
optimum is then that line alone, and its intercept is the median of
y - b x for any number of points). Then, exactly:
- the residuals y - a - b x, their signs and the points with residual 0;
- the normal scores of the residuals: the mid-rank r of each residual among
  all of them, Blom's position (r - 3/8)/(n + 1/4) and the normal quantile
  of it (statistics.NormalDist, Wichura's AS 241) times Sqr(SSE/(n - 2));
- the orthogonal balance table of the fitted line: with the means of X and
  Y, XP = MeanX - b (y - MeanY) (the perpendicular through the means at
  the point's height) and YF = a + b x, the first of XP >= x and YF >= y
  (row 1, column 1), XP >= x and YF <= y (2, 1), XP <= x and YF <= y
  (2, 2), XP <= x and YF >= y (1, 2) counts the point; Pearson's chi-square
  of the table against its margins (1 degree of freedom) and its upper
  tail erfc(Sqr(chi2/2)).
The data sets come from seeded generators of tied data (decimals with
r < 0, small integers, integers near +-1E6, integers with one point at
their means); a set is kept where plain floating point goes wrong on it:
a point of the line comes out off it, the table differs from the exact
one, or the point at the means comes out on the wrong side of the
perpendicular.
Writes numlib/tests/reference/median_line_points_cases.hpp; the data are
written as typed, so that the C++ compiler reads them as the program's
parser reads a sheet.
Run from the repository root: /usr/bin/python3 tools/oracles/median_line_points.py
"""
import math
import random
import statistics
from fractions import Fraction as Q


def lad(x, y):
    """The lines through two points with the least sum of absolute
    residuals. The sums are screened in floating point first (their
    rounding is far below 1E-9 here); the lines within 1E-9 of the least
    are summed exactly."""
    n = len(x)
    xf, yf = [float(v) for v in x], [float(v) for v in y]
    screened = []
    for i in range(n):
        for j in range(i + 1, n):
            if x[i] == x[j]:
                continue
            b = (yf[j] - yf[i]) / (xf[j] - xf[i])
            a = yf[i] - b * xf[i]
            screened.append((sum(abs(yf[k] - a - b * xf[k]) for k in range(n)), i, j))
    least = min(s for s, _, _ in screened)
    best, lines = None, set()
    for s, i, j in screened:
        if s > least + 1e-9 * (1 + least):
            continue
        b = (y[j] - y[i]) / (x[j] - x[i])
        a = y[i] - b * x[i]
        s = sum(abs(y[k] - a - b * x[k]) for k in range(n))
        if best is None or s < best:
            best, lines = s, {(a, b)}
        elif s == best:
            lines.add((a, b))
    return lines


def mid_ranks(v):
    order = sorted(range(len(v)), key=lambda k: v[k])
    ranks = [None] * len(v)
    j = 0
    while j < len(order):
        t = j + 1
        while t < len(order) and v[order[t]] == v[order[j]]:
            t += 1
        for k in range(j, t):
            ranks[order[k]] = Q(j + 1 + t, 2)   # the mean of positions j+1..t
        j = t
    return ranks


def cell(c, XP, x, YF, y):
    """Counts the point in the first cell whose test holds."""
    if XP >= x and YF >= y:
        c[0][0] += 1
    elif XP >= x and YF <= y:
        c[1][0] += 1
    elif XP <= x and YF <= y:
        c[1][1] += 1
    else:
        c[0][1] += 1


def orthogonal_table(x, y, a, b):
    n = len(x)
    mx, my = sum(x) / n, sum(y) / n
    c = [[0, 0], [0, 0]]
    for xi, yi in zip(x, y):
        cell(c, mx - b * (yi - my), xi, a + b * xi, yi)
    rows = [sum(r) for r in c]
    cols = [c[0][k] + c[1][k] for k in range(2)]
    if min(rows) == 0 or min(cols) == 0:
        return c, None, None
    chi2 = sum(Q((c[r][k] * n - rows[r] * cols[k]) ** 2, n * rows[r] * cols[k]) for r in range(2) for k in range(2))
    return c, chi2, math.erfc(math.sqrt(float(chi2) / 2))


def case(name, xs, ys):
    x, y = [Q(v) for v in xs], [Q(v) for v in ys]
    lines = lad(x, y)
    if len(lines) != 1:
        return None
    (a, b), = lines
    n = len(x)
    r = [y[k] - a - b * x[k] for k in range(n)]
    sse = sum(e * e for e in r)
    root = math.sqrt(float(sse / (n - 2)))
    scores = [root * statistics.NormalDist().inv_cdf(float((rk - Q(3, 8)) / (n + Q(1, 4)))) for rk in mid_ranks(r)]
    table, chi2, p = orthogonal_table(x, y, a, b)
    if chi2 is None or b == 0:
        return None
    sign = [(e > 0) - (e < 0) for e in r]
    return {"name": name, "x": xs, "y": ys, "a": float(a), "b": float(b), "slope": b, "sign": sign, "scores": scores,
            "table": table, "chi2": float(chi2), "p": p}


def decimals(values, places):
    return ["%.*f" % (places, v) for v in values]


rng = random.Random(20240607)
cases = []


def floating_table(xs, ys, a, b):
    """The orthogonal balance table as plain floating point counts it."""
    x, y = [float(v) for v in xs], [float(v) for v in ys]
    n = len(x)
    mx, my = sum(x) / n, sum(y) / n
    slope_p = -1 / b
    intercept_p = my - mx * slope_p
    c = [[0, 0], [0, 0]]
    for xi, yi in zip(x, y):
        cell(c, (yi - intercept_p) / slope_p, xi, a + b * xi, yi)
    return c


def off_the_line_in_floating_point(c):
    """Plain floating point puts a point of the line off it (y - (a + b x)
    is not 0 in doubles): where the report went wrong."""
    return any(s == 0 and float(y) - (float(x) * c["b"] + c["a"]) != 0
               for s, x, y in zip(c["sign"], c["x"], c["y"]))


def table_differs(c):
    return off_the_line_in_floating_point(c) and floating_table(c["x"], c["y"], c["a"], c["b"]) != c["table"]


def off_the_perpendicular_in_floating_point(c):
    """A point at the means, which lies on the perpendicular through them,
    that plain floating point puts on its other side: (y - InterceptP) /
    SlopeP comes out below x, and the point falls in column 2 instead of
    column 1."""
    x, y = [float(v) for v in c["x"]], [float(v) for v in c["y"]]
    mx, my = sum(x) / len(x), sum(y) / len(y)
    slope_p = -1 / c["b"]
    intercept_p = my - mx * slope_p
    return any(xi == mx and yi == my and (yi - intercept_p) / slope_p < xi for xi, yi in zip(x, y))


def add(name, make, want, keep):
    """Keeps `want` data sets of `make` that `keep` accepts."""
    while len([c for c in cases if c["name"].startswith(name)]) < want:
        xs, ys = make()
        c = case(name, xs, ys)
        if not c or not keep(c):
            continue
        c["name"] = "%s #%d" % (name, len([k for k in cases if k["name"].startswith(name)]) + 1)
        cases.append(c)


def falling(n, places):
    def make():
        xs = [rng.choice(range(30, 90)) / 10 for _ in range(n)]
        ys = [round(12 - x + rng.choice([-0.6, -0.3, 0, 0, 0.3, 0.6]) + rng.choice([0, 0, 0.1, 0.2]), places)
              for x in xs]
        return decimals(xs, 1), decimals(ys, places)
    return make


def rising_integers(n):
    def make():
        xs = [rng.randint(1, 9) for _ in range(n)]
        ys = [x // 2 + rng.randint(0, 3) for x in xs]
        return [str(v) for v in xs], [str(v) for v in ys]
    return make


def rising_far(n, offset):
    def make():
        xs = [rng.randint(1, 9) for _ in range(n)]
        ys = [x // 3 + rng.randint(0, 2) for x in xs]
        return [str(offset + v) for v in xs], [str(offset + v) for v in ys]
    return make


def with_a_point_at_the_means(n):
    def make():
        while True:
            xs = [rng.randint(1, 9) for _ in range(n - 1)]
            ys = [7 - x // 2 + rng.randint(0, 3) for x in xs]
            mx, my = Q(sum(xs), n - 1), Q(sum(ys), n - 1)
            if mx.denominator in (1, 2) and my.denominator in (1, 2):
                return [str(v) for v in xs] + [str(float(mx))], [str(v) for v in ys] + [str(float(my))]
    return make


add("n = 25, r < 0", falling(25, 2), 3, table_differs)
add("n = 12, r < 0", falling(12, 1), 2, off_the_line_in_floating_point)
add("n = 30, integers", rising_integers(30), 2, table_differs)
add("n = 21, integers near 1e6", rising_far(21, 1000000), 1, off_the_line_in_floating_point)
add("n = 20, integers near -1e6", rising_far(20, -1000000), 1, off_the_line_in_floating_point)
add("n = 21, a point at the means", with_a_point_at_the_means(21), 1, off_the_perpendicular_in_floating_point)


def falling_far(n, offset):
    def make():
        xs, ys = falling(n, 1)()
        return decimals([offset + float(v) for v in xs], 1), decimals([offset + float(v) for v in ys], 1)
    return make


add("n = 25, decimals near 1e6", falling_far(25, 1000000), 2, table_differs)


def close_far(n, offset):
    """A close model, many of whose points lie on its line Y = X + 0.06, at
    an offset whose doubles put those points on either side of it."""
    def make():
        xs = [offset + rng.randint(100, 900) / 100 for _ in range(n)]
        ys = [x + 0.06 + rng.choice([0, 0, 0, -0.31, -0.12, 0.17, 0.44]) for x in xs]
        return decimals(xs, 2), decimals(ys, 2)
    return make


add("n = 40, a close model near 1e6", close_far(40, 1000000), 1, table_differs)
add("n = 40, a close model near 1e9", close_far(40, 1000000000), 1, table_differs)

out = ["// Generated by tools/oracles/median_line_points.py (exact rational arithmetic); do not edit.",
       "#pragma once",
       "#include <array>",
       "#include <vector>",
       "",
       "namespace MedianLinePointsReference {",
       "",
       "struct Case {",
       "    const char* name;",
       "    std::vector<double> x, y;",
       "    double a, b;",
       "    std::vector<int> sign;               // of the residuals",
       "    std::vector<double> NormalResidue;",
       "    std::array<int, 4> table;            // over below, over above, under below, under above",
       "    double chi2, P;",
       "};",
       "",
       "inline const std::vector<Case> cases = {"]
for c in cases:
    t = c["table"]
    out.append('    {"%s", {%s}, {%s}, %r, %r, {%s}, {%s}, {%d, %d, %d, %d}, %r, %r},' % (
        c["name"], ", ".join(c["x"]), ", ".join(c["y"]), c["a"], c["b"],
        ", ".join(str(s) for s in c["sign"]),
        ", ".join(repr(s) for s in c["scores"]), t[0][0], t[0][1], t[1][0], t[1][1], c["chi2"], c["p"]))
out += ["};", "", "} // namespace MedianLinePointsReference"]
with open("numlib/tests/reference/median_line_points_cases.hpp", "w") as f:
    f.write("\n".join(out) + "\n")

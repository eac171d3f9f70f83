"""The Python counterpart of the user's path for the side-by-side timing:
reads a dataset file, keeps the rows an evaluation uses (X not empty,
exclusion mark not beginning with "Y", "y" or "0"), computes the figures of
the regression, parameter-test and OLS/SLS sections and writes them to a
text file.

    /usr/bin/python3 bench/user_path.py FILE.KVE OUTPUT.TXT
"""
import csv
import io
import sys

import numpy as np
from scipy import stats


def main(path, output):
    with open(path, encoding="utf-8", newline="") as f:
        text = f.read()
    head, _, data = text.partition("DATA:\r\n")
    rows = next(int(float(l[2:])) for l in head.splitlines() if l.startswith("N="))
    x, y = [], []
    for i, rec in enumerate(csv.reader(io.StringIO(data))):
        if i >= rows:
            break
        if not rec or rec[0] == "" or (len(rec) > 6 and rec[6][:1] in ("Y", "y", "0")):
            continue
        x.append(float(rec[0]))
        y.append(float(rec[2]))
    x, y = np.array(x), np.array(y)
    n = len(x)
    df = n - 2
    tp = lambda t: 2 * stats.t.sf(abs(t), df)

    fit = stats.linregress(x, y)
    a, b, siga, sigb = fit.intercept, fit.slope, fit.intercept_stderr, fit.stderr
    res = y - (a + b * x)
    sse = float(res @ res)
    mse = sse / df
    rr2 = 1 - (np.median(np.abs(res)) / np.median(np.abs(y - y.mean()))) ** 2
    q = a * a * n + 2 * n * x.mean() * a * (b - 1) + float(x @ x) * (b - 1) ** 2
    fm = q / (2 * mse)

    mx, my = x.mean(), y.mean()
    dx, dy = x - mx, y - my
    Sxx, Syy, Sxy = dx @ dx, dy @ dy, dx @ dy
    b1, b2, sgn = Sxy / Sxx, Syy / Sxy, np.sign(Sxy)
    b3 = (b1 * b2 - 1 + np.sqrt((1 + b1**2) * (1 + b2**2))) / (b1 + b2)
    dd = b2 - 1 / b1
    b4 = 0.5 * (dd + sgn * np.sqrt(4 + dd**2))
    b5, b6 = sgn * np.sqrt(b1 * b2), 0.5 * (b1 + b2)
    slope = np.array([b1, b2, b3, b4, b5, b6])
    icpt = my - mx * slope
    gam1 = b3 / ((b1 + b2) * np.sqrt((1 + b1**2) * (1 + b2**2)))
    gam2 = b4 / np.sqrt(4 * b1**2 + (b1 * b2 - 1) ** 2)
    r1, r2 = dy - b1 * dx, dy - b2 * dx
    v1, v2 = np.sum((dx * r1) ** 2) / Sxx**2, np.sum((dy * r2) ** 2) / Sxy**2
    cov = np.sum(dx * dy * r1 * r2) / (b1 * Sxx**2)
    p1, p2 = 1 + b1**2, 1 + b2**2
    vb = np.array([v1, v2, gam1**2 * (p2**2 * v1 + 2 * p1 * p2 * cov + p1**2 * v2),
                   gam2**2 * (v1 / b1**2 + 2 * cov + b1**2 * v2), 0.25 * (b2 * v1 / b1 + 2 * cov + b1 * v2 / b2),
                   0.25 * (v1 + 2 * cov + v2)])
    t1, t2 = r1 * dx / Sxx, r2 * dy / Sxy
    va = np.array([np.sum((r1 * (1 - n * mx * dx / Sxx)) ** 2), np.sum((r2 * (1 - n * mx * dy / Sxy)) ** 2),
                   np.sum(((p1 * t2 + p2 * t1) * gam1 * mx * n - dy + b3 * dx) ** 2),
                   np.sum((sgn * (b1**2 * t2 + t1) * gam2 * mx * n / abs(b1) - dy + b4 * dx) ** 2),
                   np.sum((0.5 * (t1 * np.sqrt(b2 / b1) + t2 * np.sqrt(b1 / b2)) * n * mx - dy + b5 * dx) ** 2),
                   np.sum((0.5 * (t1 + t2) * n * mx - dy + b6 * dx) ** 2)])
    sa, sb = np.sqrt(va) / n, np.sqrt(vb)

    out = [f"a {a:.5f} +- {siga:.5f}", f"b {b:.5f} +- {sigb:.5f}",
           f"MSE {mse:.5f} N {n} r {fit.rvalue:.5f} resistant r2 {rr2:.5f}",
           f"a = 0: P {tp(a / siga):.5f}  b = 1: P {tp((b - 1) / sigb):.5f}",
           f"F {fm:.5f} P {stats.f.sf(fm, 2, df):.5f}"]
    for j in range(6):
        out.append(f"line {j + 1}: a {icpt[j]:.5f} +- {sa[j]:.5f} ({tp(icpt[j] / sa[j]):.5f}) "
                   f"b {slope[j]:.5f} +- {sb[j]:.5f} ({tp((slope[j] - 1) / sb[j]):.5f})")
    with open(output, "w") as f:
        f.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])

#!/usr/bin/env python3
"""Writes the dataset files of the user's-path benchmark.

    python3 bench/make_datasets.py OUT_DIR [ROWS ...]

For every row count (default 1000 100000 1000000) it writes OUT_DIR/user_path_<rows>.KVE:
the option lines of examples/crop_yield.KVE (least squares, parameter tests,
OLS and SLS), "N=<rows>", and rows the way a saved KVE dataset holds them:
X, SD X, Y and SD Y as quoted texts with a few decimals, the rank columns
never set, and one row in a hundred excluded with the mark "Y". The data are
seeded, so every run of the script writes the same files.
"""
import os
import random
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SAMPLE = os.path.join(ROOT, "examples", "crop_yield.KVE")


def option_lines():
    lines = []
    with open(SAMPLE, "rb") as f:
        for raw in f.read().split(b"\r\n"):
            if raw.startswith(b"N="):
                break
            lines.append(raw)
    return lines


def write_dataset(path, rows):
    rng = random.Random(20260101 + rows)
    out = option_lines()
    out.append(b"N=%d" % rows)
    out.append(b"DATA:")
    for _ in range(rows):
        x = rng.uniform(2.0, 10.0)
        y = 0.2 + 0.97 * x + rng.gauss(0.0, 0.4)
        sdx = rng.uniform(0.2, 0.6)
        sdy = rng.uniform(0.2, 0.6)
        mark = b'"Y"' if rng.random() < 0.01 else b""
        out.append(b'"%.4f","%.3f","%.4f","%.3f",,,%s' % (x, sdx, y, sdy, mark))
    out.append(b"")
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(b"\r\n".join(out))
    os.replace(tmp, path)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    out_dir = sys.argv[1]
    sizes = [int(a) for a in sys.argv[2:]] or [1000, 100000, 1000000]
    os.makedirs(out_dir, exist_ok=True)
    for rows in sizes:
        path = os.path.join(out_dir, "user_path_%d.KVE" % rows)
        if not os.path.exists(path):
            write_dataset(path, rows)
        print(path)


if __name__ == "__main__":
    main()

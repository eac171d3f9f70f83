"""The chart windows of 1,000 to 1,000,000 points (build-release/bench/bench_charts)
beside R's plot() of the same points: from the command to the chart's
first paint for "Scatter", "Rank" and a residual plot, a resize of the
window, the print into a PDF file and its size; R drawing the points into
a PNG file and into a PDF file (bench/charts_plot.R). The median of the
rounds; KVE's figures come from the benchmark's own repetitions.

    make bench
    /usr/bin/python3 bench/charts_side_by_side.py [--rows 1000,100000,1000000] [--rounds 3]

The charts paint on the X server of DISPLAY when it is set (Xvfb for one),
else offscreen; the benchmark keeps its own HOME and runtime folder.
"""
import argparse
import json
import os
import statistics
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def kve_figures(bench, rows):
    """Seconds (and counters) of the chart benchmarks, by name."""
    sizes = "|".join(str(r) for r in rows)
    pattern = (f"BM_OpenChart/kind:[012]/rows:({sizes})/|BM_Resize/({sizes})/|BM_PrintToPdf/({sizes})/")
    out = subprocess.run([bench, f"--benchmark_filter={pattern}", "--benchmark_format=json"],
                         check=True, capture_output=True, text=True).stdout
    figures = {}
    for b in json.loads(out)["benchmarks"]:
        name = b["name"].split("/iterations")[0]
        figures[name] = b
    return figures


def r_figures(points, rounds):
    png, pdf, size = [], [], 0
    with tempfile.TemporaryDirectory(prefix="kve-charts-r-") as out:
        for _ in range(rounds):
            line = subprocess.run(["Rscript", os.path.join(ROOT, "bench", "charts_plot.R"), points,
                                   os.path.join(out, "plot.png"), os.path.join(out, "plot.pdf")],
                                  check=True, capture_output=True, text=True).stdout.split()
            png.append(float(line[1]))
            pdf.append(float(line[3]))
            size = int(line[4])
    return statistics.median(png), statistics.median(pdf), size


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(ROOT, "build-release"))
    parser.add_argument("--rows", default="1000,100000,1000000")
    parser.add_argument("--rounds", type=int, default=3)
    args = parser.parse_args()
    rows = [int(r) for r in args.rows.split(",")]
    bench = os.path.join(args.build, "bench", "bench_charts")
    kve = kve_figures(bench, rows)
    with tempfile.TemporaryDirectory(prefix="kve-charts-points-") as data:
        subprocess.run([bench, "--write-points", data] + [str(r) for r in rows], check=True,
                       stdout=subprocess.DEVNULL)
        r = {n: r_figures(os.path.join(data, f"points_{n}.csv"), args.rounds) for n in rows}

    def seconds(name):
        return kve[name]["real_time"] / 1000.0 if name in kve else float("nan")

    print(f"{'points':>9} {'Scatter s':>9} {'Rank s':>7} {'resid. s':>8} {'resize s':>8} {'print s':>7}"
          f" {'PDF MB':>7} {'R PNG s':>8} {'R PDF s':>8} {'R PDF MB':>8} {'R PNG/Scatter':>13}")
    for n in rows:
        scatter = seconds(f"BM_OpenChart/kind:0/rows:{n}")
        printed = f"BM_PrintToPdf/{n}"
        pdf_mb = kve[printed]["PDF MB"] if printed in kve else float("nan")
        png, pdf, size = r[n]
        print(f"{n:>9,} {scatter:>9.3f} {seconds(f'BM_OpenChart/kind:1/rows:{n}'):>7.3f}"
              f" {seconds(f'BM_OpenChart/kind:2/rows:{n}'):>8.3f} {seconds(f'BM_Resize/{n}'):>8.3f}"
              f" {seconds(printed):>7.3f} {pdf_mb:>7.2f} {png:>8.3f} {pdf:>8.3f} {size / 1e6:>8.2f}"
              f" {png / scatter:>13.2f}")


if __name__ == "__main__":
    sys.exit(main())

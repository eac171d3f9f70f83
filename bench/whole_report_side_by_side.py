"""The whole report at 100,000 and 1,000,000 rows, section by section: the
unattended run `KVE /F<file> [/R] /S /L<dir> /X` of the regression report
alone (least squares, parameter tests, OLS and SLS), of each section alone on
top of it, and of every section but the generalized concordance with /R;
beside it the lean C++ program (the regression report) and R doing the same
statistics on the same rows (bench/whole_report_side_by_side.R).

    make bench
    /usr/bin/python3 bench/whole_report_side_by_side.py [--rounds 3] [--rows 100000,1000000] [--no-r]

Printed: for each line the median wall time and CPU time (user + system)
of the rounds and the largest peak resident memory at each size, and the
ratio of the largest size's wall time to the smallest's beside the ratio
n log n would give; the regression report against the lean program; at the
largest size each section's own part (its wall time less the regression
report's) beside R's time for the same statistics; the results window with
a report of 2,000,000 lines (bench_results_window: with DISPLAY set on that
display, else offscreen). The wall time of a busy machine varies; the CPU
time varies less.

KVE runs with its own HOME and runtime folder, never the user's. The dataset
files are the ones bench_user_path writes (--write-datasets) with the
sections' boxes ticked; --data keeps them in a folder for later runs.
"""
import argparse
import math
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# The report's sections as the issue of the timing lists them: the name
# printed, the dataset file's key that ticks it (None: the /R switch), and
# the section of the R script (None: R draws no charts).
SECTIONS = [
    ("distribution analyses", "DISTRIBUTION_ANALYSIS", "distribution"),
    ("moment analyses", "MOMENT_STATISTIC", "moments"),
    ("robust statistics", "ROBUST_STATISTICS", "robust"),
    ("diverse measures", "DIVERSE_MEASURES", "diverse"),
    ("index analysis", "INDEX_ANALYSIS", "index"),
    ("concordance", "CONCORDANCE_TEST", "concordance"),
    ("rank analysis", "RANK_ANALYSIS", "rank"),
    ("balance analysis", "BALANCE_ANALYSIS", "balance"),
    ("orthogonal balance", "ORTHOGONAL_BALANCE", "orthogonal_balance"),
    ("MSEP analysis", "MSEP_ANALYSIS", "msep"),
    ("MSEP bootstrap", "MSPE_BOOTSTRAP", "msep_bootstrap"),
    ("Kleijnen", "KLEIJNEN_ANALYSIS", "kleijnen"),
    ("Bland and Altman", "BLAND_ALTMAN_ANALYSIS", "bland_altman"),
    ("threshold", "THRESHOLD_ANALYSIS", "threshold"),
    ("distance", "DISTANCE_ANALYSIS", "distance"),
    ("weighed deviance", "WEIGHED_DEVIANCE", "weighed_deviance"),
    ("deviation analysis", "DEVIATION_ANALYSIS", "deviation"),
    ("residual analysis (/R)", None, "residual"),
    ("residue-regression plots", "RESIDUAL_REGRESSION_PLOT", None),
]
EVERYTHING = "every section but the GCCC, /R"


def kve_run(kve, path, residual):
    """Wall s, CPU s and peak MiB of one unattended run of KVE."""
    with tempfile.TemporaryDirectory(prefix="kve-whole-") as home:
        runtime = os.path.join(home, "runtime")
        logs = os.path.join(home, "log")
        os.mkdir(runtime, 0o700)
        os.mkdir(logs)
        env = {"PATH": "/usr/bin:/bin", "HOME": home, "XDG_RUNTIME_DIR": runtime, "TZ": "UTC",
               "XDG_CONFIG_HOME": os.path.join(home, ".config"), "XDG_DATA_HOME": os.path.join(home, ".local/share"),
               "XDG_CACHE_HOME": os.path.join(home, ".cache")}
        argv = [kve, "/F" + path] + (["/R"] if residual else []) + ["/S", "/L" + logs, "/X"]
        start = time.perf_counter()
        proc = subprocess.Popen(argv, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        _, status, usage = os.wait4(proc.pid, 0)
        wall = time.perf_counter() - start
        err = proc.stderr.read().decode(errors="replace")
        proc.stderr.close()
        if os.waitstatus_to_exitcode(status) != 0 or not os.listdir(logs):
            sys.exit(f"KVE failed on {path}: {err}")
        return wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024.0


def timed(argv):
    """Wall s, CPU s and peak MiB of a program that must succeed."""
    start = time.perf_counter()
    proc = subprocess.Popen(argv, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(proc.pid, 0)
    wall = time.perf_counter() - start
    err = proc.stderr.read().decode(errors="replace")
    proc.stderr.close()
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"{argv[0]} failed: {err}")
    return wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024.0


def variant(base, keys, path):
    """The dataset file `base` with the boxes of `keys` ticked, written to `path` once."""
    if os.path.exists(path):
        return path
    with open(base, "rb") as f:
        data = f.read()
    head, sep, rows = data.partition(b"\r\nN=")
    for key in keys:
        off = b"\r\n" + key.encode() + b"= 0\r\n"
        if off not in head:
            sys.exit(f"{base} has no line {key}= 0")
        head = head.replace(off, b"\r\n" + key.encode() + b"= 1\r\n")
    with open(path + ".part", "wb") as f:
        f.write(head + sep + rows)
    os.replace(path + ".part", path)
    return path


def r_sections(script, path, timeout):
    """R's milliseconds per section name, or the reason it was left out."""
    env = dict(os.environ, TZ="UTC")
    proc = subprocess.run(["Rscript", script, path, "all"], env=env, capture_output=True, timeout=timeout)
    if proc.returncode != 0:
        sys.exit(f"Rscript failed: {proc.stderr.decode(errors='replace')[-400:]}")
    out = {}
    for line in proc.stdout.decode().splitlines():
        m = re.match(r"section=(\S+) (elapsed_ms=([\d.]+)|left_out=(.*?))( note=(.*))?$", line)
        if m:
            out[m.group(1)] = (float(m.group(3)) / 1000.0 if m.group(3) else None, m.group(4) or m.group(6))
    return out


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(ROOT, "build-release"),
                        help="the build whose KVE is timed (default: build-release)")
    parser.add_argument("--tools", default=None,
                        help="the build holding bench_user_path and lean_user_path (default: --build)")
    parser.add_argument("--data", default=None, help="folder of the dataset files (kept; default: a temporary one)")
    parser.add_argument("--rows", default="100000,1000000")
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--only", default=None, help="comma-separated line names to run (default: all)")
    parser.add_argument("--no-r", action="store_true", help="leave R out")
    args = parser.parse_args()
    tools = args.tools or args.build
    kve = os.path.join(args.build, "app", "KVE")
    lean = os.path.join(tools, "bench", "lean_user_path")
    writer = os.path.join(tools, "bench", "bench_user_path")
    for program in (kve, lean, writer):
        if not os.access(program, os.X_OK):
            sys.exit(f"{program} is missing: run `make bench` first")
    data = args.data or tempfile.mkdtemp(prefix="kve-whole-data-")
    os.makedirs(data, exist_ok=True)
    sizes = [int(r) for r in args.rows.split(",")]
    subprocess.run([writer, "--write-datasets", data] + [str(r) for r in sizes], check=True, stdout=subprocess.DEVNULL,
                   env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
    lines = [("regression report", [], False, "regression")]
    lines += [(name, [key] if key else [], key is None, rname) for name, key, rname in SECTIONS]
    lines.append((EVERYTHING, [key for _, key, _ in SECTIONS if key], True, "all"))
    if args.only:
        keep = set(args.only.split(","))
        lines = [line for line in lines if line[0] in keep or line[0] == "regression report"]

    # name -> size -> (wall, cpu, peak)
    kve_figures = {}
    lean_figures = {}
    r_figures = {}
    for rows in sizes:
        base = os.path.join(data, f"user_path_{rows}.KVE")
        for name, keys, residual, _ in lines:
            suffix = "_".join(k.lower() for k in keys) if keys else "regression"
            if len(keys) > 3:
                suffix = "everything"
            path = variant(base, keys, os.path.join(data, f"whole_{suffix}_{rows}.KVE"))
            runs = [kve_run(kve, path, residual) for _ in range(args.rounds)]
            kve_figures.setdefault(name, {})[rows] = (statistics.median(r[0] for r in runs),
                                                      statistics.median(r[1] for r in runs),
                                                      max(r[2] for r in runs))
            w, c, p = kve_figures[name][rows]
            print(f"  {name} at {rows:,} rows: {w:.3f} s wall, {c:.3f} s CPU, {p:.0f} MiB", file=sys.stderr)
        out = os.path.join(data, "lean_figures.txt")
        runs = [timed([lean, base, out]) for _ in range(args.rounds)]
        lean_figures[rows] = (statistics.median(r[0] for r in runs), statistics.median(r[1] for r in runs),
                              max(r[2] for r in runs))
    lo, hi = sizes[0], sizes[-1]
    if not args.no_r:
        print(f"  R at {hi:,} rows ...", file=sys.stderr)
        r_figures = r_sections(os.path.join(ROOT, "bench", "whole_report_side_by_side.R"),
                               os.path.join(data, f"user_path_{hi}.KVE"), timeout=len(SECTIONS) * 700)
    window = results_window(os.path.join(tools, "bench", "bench_results_window"))

    nlogn = (hi * math.log(hi)) / (lo * math.log(lo)) if hi != lo else 1.0
    regression = kve_figures.get("regression report", {})
    print()
    print(f"KVE unattended (/F /S /L /X), median of {args.rounds} rounds; MiB = largest peak resident memory")
    head = f"{'what is ticked':<33}"
    for rows in sizes:
        head += f" {f'wall {rows:,}':>15} {'CPU':>7} {'MiB':>6}"
    head += f" {'wall ratio':>11}"
    print(head)
    print(f"{'':<33}" + "".join(f" {'s':>15} {'s':>7} {'':>6}" for _ in sizes)
          + (f" {f'(n log n: {nlogn:.1f})':>11}" if hi != lo else ""))
    for name, _, _, _ in lines:
        figs = kve_figures[name]
        row = f"{name:<33}"
        for rows in sizes:
            w, c, p = figs[rows]
            row += f" {w:>15.3f} {c:>7.3f} {p:>6.0f}"
        if hi != lo:
            row += f" {figs[hi][0] / figs[lo][0]:>11.1f}"
        print(row)
    row = f"{'lean C++ (regression report)':<33}"
    for rows in sizes:
        w, c, p = lean_figures[rows]
        row += f" {w:>15.3f} {c:>7.3f} {p:>6.0f}"
    print(row)
    print()
    for rows in sizes:
        w = regression[rows][0]
        print(f"regression report / lean program at {rows:,} rows: {w / lean_figures[rows][0]:.2f} (wall), "
              f"{regression[rows][1] / lean_figures[rows][1]:.2f} (CPU)")

    print()
    print(f"At {hi:,} rows, each section's own part (its wall time less the regression report's) beside R's time")
    print(f"for the same statistics; the regression report and the whole report are whole runs, R's whole report")
    print(f"the sum of its sections:")
    print(f"{'section':<33} {'KVE s':>9} {'R s':>10} {'R/KVE':>8}")
    for name, _, _, rname in lines:
        kve_s = kve_figures[name][hi][0]
        own = kve_s if name in ("regression report", EVERYTHING) else kve_s - regression[hi][0]
        row = f"{name:<33} {own:>9.3f}"
        if not r_figures:
            print(row)
            continue
        if rname == "all":
            r_s = sum(v[0] for k, v in r_figures.items() if v[0] is not None)
            row += f" {r_s:>10.3f} {r_s / kve_s:>8.2f}"
        elif rname in r_figures and r_figures[rname][0] is not None:
            r_s = r_figures[rname][0]
            row += f" {r_s:>10.3f} " + (f"{r_s / own:>8.2f}" if own > 0.05 else f"{'(KVE ~0)':>8}")
        elif rname in r_figures:
            row += f" {'left out':>10}"
        else:
            row += f" {'no R':>10}"
        print(row)
    if r_figures:
        for rname, (seconds, note) in r_figures.items():
            if note:
                print(f"  R {rname}: {note}")

    if window:
        print()
        print("The results window with a report of 2,000,000 lines (bench_results_window, median of its runs):")
        for label, key in (("first page painted", "BM_OpenFirstPage"), ("a page down, painted", "BM_PageDown"),
                           ("to the last line, painted", "BM_JumpToEnd"), ("saved (Auto)", "BM_Save")):
            if key in window:
                print(f"  {label:<28} {window[key]:>9.1f} ms")


def results_window(program):
    """Milliseconds of the results-window benchmarks by name; empty when it is missing."""
    if not os.access(program, os.X_OK):
        print(f"  {program} is missing: no results-window figures", file=sys.stderr)
        return {}
    env = dict(os.environ)
    if not env.get("DISPLAY"):
        env["QT_QPA_PLATFORM"] = "offscreen"
    with tempfile.TemporaryDirectory(prefix="kve-window-") as home:
        env.update({"HOME": home, "XDG_CONFIG_HOME": os.path.join(home, ".config")})
        proc = subprocess.run([program, "--benchmark_format=json", "--benchmark_repetitions=3",
                               "--benchmark_report_aggregates_only=true"], env=env, capture_output=True)
    if proc.returncode != 0:
        print(f"  bench_results_window failed: {proc.stderr.decode(errors='replace')[-300:]}", file=sys.stderr)
        return {}
    import json
    out = {}
    for b in json.loads(proc.stdout.decode())["benchmarks"]:
        if b.get("aggregate_name") == "median":
            out[b["run_name"].split("/")[0]] = b["real_time"]
    return out


if __name__ == "__main__":
    main()

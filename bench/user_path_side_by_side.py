"""The whole unattended run `KVE /F<file> /S /L<dir> /X` beside the R and
Python scripts and the lean C++ program doing the same work on the same
files (bench/user_path.R, bench/user_path.py, bench/lean_user_path.cpp), in
interleaved rounds; prints the median times, KVE's peak memory and the
ratios. KVE runs with its own HOME and runtime folder.

    make bench
    /usr/bin/python3 bench/user_path_side_by_side.py [--rounds 3] [--rows 1000,100000,1000000]

The dataset files are the ones bench_user_path writes (--write-datasets).
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def run(argv, env=None):
    """Wall time in seconds and peak resident memory in MiB of one run."""
    start = time.perf_counter()
    proc = subprocess.Popen(argv, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(proc.pid, 0)
    elapsed = time.perf_counter() - start
    err = proc.stderr.read().decode(errors="replace")
    proc.stderr.close()
    proc.returncode = os.waitstatus_to_exitcode(status)
    if proc.returncode != 0:
        sys.exit(f"{argv[0]} failed ({proc.returncode}): {err}")
    return elapsed, usage.ru_maxrss / 1024.0


def kve_run(kve, path):
    with tempfile.TemporaryDirectory(prefix="kve-side-") as home:
        runtime = os.path.join(home, "runtime")
        logs = os.path.join(home, "log")
        os.mkdir(runtime, 0o700)
        os.mkdir(logs)
        env = {"PATH": "/usr/bin:/bin", "HOME": home, "XDG_RUNTIME_DIR": runtime,
               "XDG_CONFIG_HOME": os.path.join(home, ".config"), "XDG_DATA_HOME": os.path.join(home, ".local/share"),
               "XDG_CACHE_HOME": os.path.join(home, ".cache")}
        result = run([kve, "/F" + path, "/S", "/L" + logs, "/X"], env)
        if not os.listdir(logs):
            sys.exit("KVE wrote no report")
        return result


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(ROOT, "build-release"))
    parser.add_argument("--data", default=None, help="folder of the dataset files (kept; default: a temporary one)")
    parser.add_argument("--rows", default="1000,100000,1000000")
    parser.add_argument("--rounds", type=int, default=3)
    args = parser.parse_args()
    kve = os.path.join(args.build, "app", "KVE")
    lean = os.path.join(args.build, "bench", "lean_user_path")
    writer = os.path.join(args.build, "bench", "bench_user_path")
    data = args.data or tempfile.mkdtemp(prefix="kve-side-data-")
    subprocess.run([writer, "--write-datasets", data], check=True, stdout=subprocess.DEVNULL,
                   env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
    out = os.path.join(data, "figures.txt")

    print(f"{'rows':>9} {'KVE s':>8} {'R s':>8} {'Python s':>9} {'lean s':>8} {'KVE MiB':>8}"
          f" {'R/KVE':>7} {'Py/KVE':>7} {'KVE/lean':>9}")
    for rows in (int(r) for r in args.rows.split(",")):
        path = os.path.join(data, f"user_path_{rows}.KVE")
        t = {"kve": [], "r": [], "py": [], "lean": []}
        peak = []
        for _ in range(args.rounds):
            seconds, mib = kve_run(kve, path)
            t["kve"].append(seconds)
            peak.append(mib)
            t["r"].append(run(["Rscript", os.path.join(ROOT, "bench", "user_path.R"), path, out])[0])
            t["py"].append(run(["/usr/bin/python3", os.path.join(ROOT, "bench", "user_path.py"), path, out])[0])
            t["lean"].append(run([lean, path, out])[0])
        m = {k: statistics.median(v) for k, v in t.items()}
        print(f"{rows:>9,} {m['kve']:>8.3f} {m['r']:>8.3f} {m['py']:>9.3f} {m['lean']:>8.3f} {max(peak):>8.0f}"
              f" {m['r'] / m['kve']:>7.2f} {m['py'] / m['kve']:>7.2f} {m['kve'] / m['lean']:>9.2f}")


if __name__ == "__main__":
    main()

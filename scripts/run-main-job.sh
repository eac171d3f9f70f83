#!/usr/bin/env bash
# The main job of `make run`: KVE evaluates the bundled sample dataset
# unattended through its own command line, saves the report into a fresh
# folder, and this script prints where the report went and the report.
# KVE runs with a runtime folder of its own, so that it never hands its
# job to a KVE the user has open, nor takes one over.
set -euo pipefail
BUILD_DIR="${1:-build-release}"
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
KVE="$BUILD_DIR/app/KVE"
SAMPLE="$ROOT/examples/crop_yield.KVE"
OUT_DIR="$ROOT/$BUILD_DIR/reports"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  export QT_QPA_PLATFORM=offscreen
fi
mkdir -p "$OUT_DIR"
RUNTIME_DIR="$(mktemp -d "${TMPDIR:-/tmp}/kve-run-XXXXXX")"
trap 'rm -rf "$RUNTIME_DIR"' EXIT
before="$(ls "$OUT_DIR")"
XDG_RUNTIME_DIR="$RUNTIME_DIR" "$KVE" "/F$SAMPLE" /R /S "/L$OUT_DIR" /X
report=""
for f in "$OUT_DIR"/Notes*.TXT; do
  case "$before" in *"$(basename "$f")"*) ;; *) report="$f" ;; esac
done
if [ -z "$report" ]; then
  echo "KVE wrote no report into $OUT_DIR" >&2
  exit 1
fi
echo "Report of $SAMPLE saved to $report"
echo
cat "$report"

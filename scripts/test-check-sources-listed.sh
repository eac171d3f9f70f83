#!/usr/bin/env bash
# Test of scripts/check-sources-listed.sh: the source tree passes; a copy
# with a test, a library source or an R template that no CMakeLists.txt
# names fails and names the file.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
failures=0
cases=0

expect() {   # expect STATUS TEXT-IN-OUTPUT DESCRIPTION TREE
  local status="$1" text="$2" what="$3" tree="$4"
  local out rc
  out="$(bash "$ROOT/scripts/check-sources-listed.sh" "$tree" 2>&1)"
  rc=$?
  cases=$((cases + 1))
  if [ "$rc" -ne "$status" ] || ! grep -qF -- "$text" <<<"$out"; then
    echo "FAILED: $what: exit $rc (expected $status), output:"
    echo "$out"
    failures=$((failures + 1))
  else
    echo "ok: $what"
  fi
}

with_file() {  # with_file PATH: a copy of the tree with an extra, unlisted file
  local tree="$WORK/tree$cases"
  mkdir -p "$tree/tools"
  cp "$ROOT/CMakeLists.txt" "$tree/"
  cp -r "$ROOT/numlib" "$ROOT/app" "$ROOT/bench" "$tree/"
  cp -r "$ROOT/tools/fuzz" "$tree/tools/"
  mkdir -p "$(dirname "$tree/$1")"
  touch "$tree/$1"
  echo "$tree"
}

expect 0 "every source file is named" "the source tree names every file" "$ROOT"
expect 1 "app/tests/core/test_forgotten.cpp: not named" "a test nobody lists" \
  "$(with_file app/tests/core/test_forgotten.cpp)"
expect 1 "numlib/src/forgotten.cpp: not named" "a library source nobody lists" \
  "$(with_file numlib/src/forgotten.cpp)"
expect 1 "app/r_templates/SingleCode2.R: not named" "a template nobody lists" \
  "$(with_file app/r_templates/SingleCode2.R)"

echo "$((cases - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]

#!/usr/bin/env bash
# Test of scripts/check-sources-listed.sh: the source tree passes; a copy
# with a test, a library source or an R template that no CMakeLists.txt
# names fails and names the file.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
source "$ROOT/scripts/expect-helper.sh"
check() { bash "$ROOT/scripts/check-sources-listed.sh" "$1"; }  # check TREE

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

expect 0 "every source file is named" "the source tree names every file" check "$ROOT"
expect 1 "app/tests/core/test_forgotten.cpp: not named" "a test nobody lists" \
  check "$(with_file app/tests/core/test_forgotten.cpp)"
expect 1 "numlib/src/forgotten.cpp: not named" "a library source nobody lists" \
  check "$(with_file numlib/src/forgotten.cpp)"
expect 1 "app/r_templates/SingleCode2.R: not named" "a template nobody lists" \
  check "$(with_file app/r_templates/SingleCode2.R)"

summary

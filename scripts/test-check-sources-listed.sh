#!/usr/bin/env bash
# Test of scripts/check-sources-listed.sh against a configured build: the
# source tree passes; a copy with a test, a library source or an R template
# that the build leaves out fails and names the file.
#
# Usage: test-check-sources-listed.sh BUILD_DIR
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD_DIR="${1:?usage: test-check-sources-listed.sh BUILD_DIR}"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
source "$ROOT/scripts/expect-helper.sh"
check() { bash "$ROOT/scripts/check-sources-listed.sh" "$1" "$BUILD_DIR"; }  # check TREE

with_file() {  # with_file PATH: a copy of the tree with an extra, unlisted file
  local tree="$WORK/tree$cases"
  mkdir -p "$tree"
  cp -r "$ROOT/numlib" "$ROOT/app" "$ROOT/bench" "$tree/"
  mkdir -p "$(dirname "$tree/$1")"
  touch "$tree/$1"
  echo "$tree"
}

expect 0 "the build builds every source file" "the build builds every source file of the tree" check "$ROOT"
expect 1 "app/tests/core/test_forgotten.cpp: not built" "a test nobody lists" \
  check "$(with_file app/tests/core/test_forgotten.cpp)"
expect 1 "numlib/src/forgotten.cpp: not built" "a library source nobody lists" \
  check "$(with_file numlib/src/forgotten.cpp)"
expect 1 "app/r_templates/SingleCode2.R: not built" "a template nobody lists" \
  check "$(with_file app/r_templates/SingleCode2.R)"

summary

#!/usr/bin/env bash
# Test of scripts/check-sources-listed.sh against a configured build: the
# source tree passes; a small tree of files the build builds passes, and
# fails with a test, a library source or an R template added that the
# build leaves out, which is named.
#
# Usage: test-check-sources-listed.sh BUILD_DIR
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD_DIR="${1:?usage: test-check-sources-listed.sh BUILD_DIR}"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
source "$ROOT/scripts/expect-helper.sh"
check() { bash "$ROOT/scripts/check-sources-listed.sh" "$1" "$BUILD_DIR"; }  # check TREE

# The fixture: a few of the files the build builds, under their own names.
for f in numlib/src/sorting.cpp numlib/tests/test_sorting.cpp app/main.cpp \
         app/tests/core/test_contacts.cpp app/r_templates/SingleCode1.R; do
  mkdir -p "$(dirname "$WORK/clean/$f")"
  touch "$WORK/clean/$f"
done

with_file() {  # with_file PATH: a copy of the fixture with an extra, unlisted file
  local tree="$WORK/tree$cases"
  cp -r "$WORK/clean" "$tree"
  mkdir -p "$(dirname "$tree/$1")"
  touch "$tree/$1"
  echo "$tree"
}

expect 0 "the build builds every source file" "the build builds every source file of the tree" check "$ROOT"
expect 0 "the build builds every source file" "a tree of built files" check "$WORK/clean"
expect 1 "app/tests/core/test_forgotten.cpp: not built" "a test nobody lists" \
  check "$(with_file app/tests/core/test_forgotten.cpp)"
expect 1 "numlib/src/forgotten.cpp: not built" "a library source nobody lists" \
  check "$(with_file numlib/src/forgotten.cpp)"
expect 1 "app/r_templates/SingleCode2.R: not built" "a template nobody lists" \
  check "$(with_file app/r_templates/SingleCode2.R)"

summary

#!/usr/bin/env bash
# Test of scripts/check-deps.sh against a configured build: the real list
# passes; a copy of the list without a package the build uses, and a
# declared test need whose package is not listed, fail and name it. A
# library linked by name is found where the compiler finds it.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD_DIR="${1:?usage: test-check-deps.sh BUILD_DIR}"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
cases=0
failures=0

expect() {   # expect STATUS NAME-IN-OUTPUT DESCRIPTION -- check-deps arguments
  local status="$1" name="$2" what="$3"
  shift 4
  local out rc
  cases=$((cases + 1))
  out="$(bash "$ROOT/scripts/check-deps.sh" "$@" 2>&1)"
  rc=$?
  if [ "$rc" -ne "$status" ] || ! grep -qF -- "$name" <<<"$out"; then
    echo "FAILED: $what: exit $rc (expected $status), output:"
    echo "$out"
    failures=$((failures + 1))
  else
    echo "ok: $what"
  fi
}
without() {  # without PACKAGE: a copy of the install script without it
  local copy="$WORK/install-deps-without-$1.sh"
  sed -E "s/(^|[[:space:]])$1([[:space:]]|\$)/\\1\\2/" "$ROOT/scripts/install-deps.sh" > "$copy"
  if bash "$copy" --list | grep -qx -- "$1"; then
    echo "FAILED: could not drop $1 from the list"
    failures=$((failures + 1))
  fi
  echo "$copy"
}

expect 0 "cover" "the committed list covers the build" -- "$BUILD_DIR"
expect 1 "libqt6opengl6-dev" "a dropped package configuration is named" -- \
  "$BUILD_DIR" "$(without libqt6opengl6-dev)"
expect 1 "libgmock-dev" "a dropped linked library is named" -- \
  "$BUILD_DIR" "$(without libgmock-dev)"

printf 'command cmake\n' > "$WORK/needs-cmake"
expect 1 "package cmake" "a declared command whose package is dropped is named" -- \
  "$BUILD_DIR" "$(without cmake)" "$WORK/needs-cmake"
printf 'command kve-no-such-program\n' > "$WORK/needs-missing-command"
expect 1 "kve-no-such-program" "a declared command that is missing is named" -- \
  "$BUILD_DIR" "$ROOT/scripts/install-deps.sh" "$WORK/needs-missing-command"
printf '# a comment\n\npython kve_no_such_module\n' > "$WORK/needs-missing-module"
expect 1 "kve_no_such_module" "a declared Python module that is missing is named" -- \
  "$BUILD_DIR" "$ROOT/scripts/install-deps.sh" "$WORK/needs-missing-module"

# A build that links gmock by name (-lgmock), as a library given by its
# name without a path in target_link_libraries would be.
mkdir -p "$WORK/build/app/CMakeFiles/kve.dir"
grep -E '^CMAKE_CXX_COMPILER:' "$BUILD_DIR/CMakeCache.txt" > "$WORK/build/CMakeCache.txt"
echo "/usr/bin/c++ -O2 main.cpp.o -o kve -lgmock" > "$WORK/build/app/CMakeFiles/kve.dir/link.txt"
: > "$WORK/no-needs"
expect 1 "libgmock-dev" "a library linked by name whose package is dropped is named" -- \
  "$WORK/build" "$(without libgmock-dev)" "$WORK/no-needs"

echo "$((cases - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]

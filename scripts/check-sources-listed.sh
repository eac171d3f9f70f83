#!/usr/bin/env bash
# Checks that the build builds every source file of the tree: the
# CMakeLists.txt files list their sources, tests and benchmarks one by one,
# so a file added without its line would silently never be compiled or
# run. A C++ file counts as built when the configured build compiles it
# (compile_commands.json names it), an R template when the build placed a
# copy beside the program. Each file left out is named; the check then
# fails.
#
# Usage: check-sources-listed.sh SOURCE_ROOT BUILD_DIR
#   SOURCE_ROOT  the tree to check (the build's own, or a copy of it)
#   BUILD_DIR    a configured build of the project
set -uo pipefail

ROOT="$(cd "${1:?usage: check-sources-listed.sh SOURCE_ROOT BUILD_DIR}" && pwd)"
BUILD="$(cd "${2:?usage: check-sources-listed.sh SOURCE_ROOT BUILD_DIR}" && pwd)"
COMMANDS="$BUILD/compile_commands.json"
[ -f "$COMMANDS" ] || { echo "check-sources-listed: $COMMANDS is missing: configure the build first" >&2; exit 2; }
BUILT_FROM="$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$BUILD/CMakeCache.txt")"

# The compiled files, relative to the tree the build was configured from.
compiled="$(grep -o '"file": *"[^"]*"' "$COMMANDS" | sed -E 's/^"file": *"(.*)"$/\1/' \
            | sed "s#^$BUILT_FROM/##" | sort -u)"

missing=0
while IFS= read -r file; do
  [ -n "$file" ] || continue
  relative="${file#"$ROOT"/}"
  case "$relative" in
    app/r_templates/*) [ -f "$BUILD/app/$(basename "$file")" ] && continue ;;
    *) grep -qxF -- "$relative" <<<"$compiled" && continue ;;
  esac
  echo "$relative: not built (name it in its CMakeLists.txt)"
  missing=$((missing + 1))
done < <({ find "$ROOT/numlib/src" "$ROOT/numlib/tests" "$ROOT/app" "$ROOT/bench" -type f -name '*.cpp'
           find "$ROOT/app/r_templates" -type f; } 2>/dev/null | sort)

if [ "$missing" -gt 0 ]; then
  echo "check-sources-listed: $missing file(s) the build leaves out"
  exit 1
fi
echo "check-sources-listed: the build builds every source file"

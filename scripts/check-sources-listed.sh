#!/usr/bin/env bash
# Checks that every source file of the tree (C++ sources, resource files,
# the R templates shipped beside the program) is named in the build: the
# CMakeLists.txt files list their sources, tests, benchmarks and templates
# one by one, so a file added without its line would silently never be
# built or run. Each file missing from the lists is named; the check then
# fails.
#
# A file counts as listed when its name, or its name without the ending
# (test and benchmark lists name their stems), appears as a word in a
# CMakeLists.txt of its own folder or of a folder above it.
#
# Usage: check-sources-listed.sh SOURCE_ROOT
set -uo pipefail

ROOT="$(cd "${1:?usage: check-sources-listed.sh SOURCE_ROOT}" && pwd)"
missing=0

while IFS= read -r file; do
  name="$(basename "$file")"
  stem="${name%.*}"
  dir="$(dirname "$file")"
  found=""
  while :; do
    if [ -f "$dir/CMakeLists.txt" ] && grep -qE "(^|[^A-Za-z0-9_.])($name|$stem)([^A-Za-z0-9_.]|\$)" "$dir/CMakeLists.txt"; then
      found=yes
      break
    fi
    [ "$dir" = "$ROOT" ] && break
    dir="$(dirname "$dir")"
  done
  if [ -z "$found" ]; then
    echo "${file#"$ROOT"/}: not named in any CMakeLists.txt"
    missing=$((missing + 1))
  fi
done < <({ find "$ROOT/numlib/src" "$ROOT/numlib/tests" "$ROOT/app" "$ROOT/bench" "$ROOT/tools/fuzz" \
                -type f \( -name '*.cpp' -o -name '*.qrc' \); find "$ROOT/app/r_templates" -type f; } 2>/dev/null | sort)

if [ "$missing" -gt 0 ]; then
  echo "check-sources-listed: $missing file(s) the build does not name"
  exit 1
fi
echo "check-sources-listed: every source file is named in the build"

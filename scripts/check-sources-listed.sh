#!/usr/bin/env bash
# Checks that the build builds every source file of the tree: the
# CMakeLists.txt files list their sources, tests and benchmarks one by one,
# so a file added without its line would silently never be compiled or
# run. A C++ file counts as built when the configured build compiles it
# (compile_commands.json names it), an R template when the build placed a
# copy beside the program. Each file left out is named; the check then
# fails.
#
# One awk program reads the build's records and the lists of files; no
# process is started per file.
#
# Usage: check-sources-listed.sh SOURCE_ROOT BUILD_DIR
#   SOURCE_ROOT  the tree to check (the build's own, or a copy of it)
#   BUILD_DIR    a configured build of the project
set -uo pipefail

ROOT="$(cd "${1:?usage: check-sources-listed.sh SOURCE_ROOT BUILD_DIR}" && pwd)" || exit 2
BUILD="$(cd "${2:?usage: check-sources-listed.sh SOURCE_ROOT BUILD_DIR}" && pwd)" || exit 2
COMMANDS="$BUILD/compile_commands.json"
[ -f "$COMMANDS" ] || { echo "check-sources-listed: $COMMANDS is missing: configure the build first" >&2; exit 2; }
[ -f "$BUILD/CMakeCache.txt" ] || { echo "check-sources-listed: $BUILD/CMakeCache.txt is missing: configure the build first" >&2; exit 2; }

listing() {  # what awk reads: "@SECTION" lines, each followed by its paths
  echo "@placed"    # the files beside the program, by name
  [ ! -d "$BUILD/app" ] || find "$BUILD/app" -maxdepth 1 -type f -printf '%f\n'
  echo "@sources"
  { find "$ROOT/numlib/src" "$ROOT/numlib/tests" "$ROOT/app" "$ROOT/bench" -type f -name '*.cpp'
    find "$ROOT/app/r_templates" -type f; } 2>/dev/null | sort
}

listing | awk -v root="$ROOT" -v cache="$BUILD/CMakeCache.txt" -v commands="$COMMANDS" '
BEGIN {
  # The tree the build was configured from; the compiled files are taken
  # relative to it.
  while ((getline text < cache) > 0)
    if (index(text, "CMAKE_HOME_DIRECTORY:INTERNAL=") == 1) builtFrom = substr(text, 31)
  close(cache)
  while ((getline text < commands) > 0) {
    while (match(text, /"file": *"[^"]*"/)) {
      file = substr(text, RSTART, RLENGTH)
      text = substr(text, RSTART + RLENGTH)
      sub(/^"file": *"/, "", file)
      file = substr(file, 1, length(file) - 1)
      if (builtFrom != "" && index(file, builtFrom "/") == 1) file = substr(file, length(builtFrom) + 2)
      compiled[file] = 1
    }
  }
  close(commands)
  missing = 0
}

/^@/ { section = substr($0, 2); next }
section == "placed" { placed[$0] = 1; next }
section == "sources" {
  relative = substr($0, length(root) + 2)
  if (relative ~ /^app\/r_templates\//) {
    name = $0
    sub(/.*\//, "", name)
    if (name in placed) next
  } else if (relative in compiled) next
  print relative ": not built (name it in its CMakeLists.txt)"
  missing++
}

END {
  if (missing > 0) {
    print "check-sources-listed: " missing " file(s) the build leaves out"
    exit 1
  }
  print "check-sources-listed: the build builds every source file"
}'

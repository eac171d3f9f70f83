#!/usr/bin/env bash
# Checks that the dependency arrows point one way, by the #include lines of
# the sources:
#   numlib/src, numlib/include  the C++ standard library and numlib's own
#                               headers only
#   app/core                    no Qt header outside QtCore (no widget, Gui
#                               or Charts header) and none of app/platform,
#                               app/charts or app/ui
#   app/platform                none of app/charts or app/ui
#   app/charts                  none of app/ui
# Every include that breaks a rule is named with its file and line; the
# check then fails.
#
# One awk program reads every source file; the shell only lists the files
# (the sources, numlib's files and the Qt headers), so the cost does not
# grow with a process per file or per line.
#
# Usage: check-layers.sh SOURCE_ROOT QTCORE_INCLUDE_DIR
set -uo pipefail

ROOT="${1:?usage: check-layers.sh SOURCE_ROOT QTCORE_INCLUDE_DIR}"
QTCORE="${2:?usage: check-layers.sh SOURCE_ROOT QTCORE_INCLUDE_DIR}"
[ -d "$ROOT" ] || { echo "check-layers: $ROOT is no folder" >&2; exit 2; }
[ -f "$QTCORE/QString" ] || { echo "check-layers: $QTCORE holds no QtCore headers" >&2; exit 2; }
# Absolute, so that the quoted includes of numlib resolve against one form of
# the root.
ROOT="$(cd "$ROOT" && pwd)"

listing() {  # what awk reads: "@SECTION" lines, each followed by its paths
  local qtOther=() d
  for d in QtWidgets QtGui QtCharts QtPrintSupport QtNetwork; do
    [ -d "$QTCORE/../$d" ] && qtOther+=("$QTCORE/../$d")
  done
  echo "@qtcore"
  find "$QTCORE" -maxdepth 1 ! -type d -printf '%f\n'
  echo "@qtother"
  [ ${#qtOther[@]} -eq 0 ] || find "${qtOther[@]}" -maxdepth 1 ! -type d -printf '%f\n'
  echo "@numlib"
  [ ! -d "$ROOT/numlib" ] || find "$ROOT/numlib" -type f
  echo "@check"
  local dirs=()
  for d in numlib/src numlib/include app/core app/platform app/charts; do
    [ -d "$ROOT/$d" ] && dirs+=("$ROOT/$d")
  done
  [ ${#dirs[@]} -eq 0 ] \
    || find "${dirs[@]}" -type f \( -name '*.cpp' -o -name '*.hpp' -o -name '*.h' \) | sort
}

listing | awk -v root="$ROOT" '
BEGIN {
  # The headers of the C++ standard library (C++20) and its C headers.
  n = split("algorithm any array atomic barrier bit bitset charconv chrono codecvt compare complex" \
    " concepts condition_variable coroutine deque exception execution filesystem format forward_list" \
    " fstream functional future initializer_list iomanip ios iosfwd iostream istream iterator latch" \
    " limits list locale map memory memory_resource mutex new numbers numeric optional ostream queue" \
    " random ranges ratio regex scoped_allocator semaphore set shared_mutex source_location span" \
    " sstream stack stdexcept stop_token streambuf string string_view syncstream system_error thread" \
    " tuple type_traits typeindex typeinfo unordered_map unordered_set utility valarray variant vector" \
    " version cassert cctype cerrno cfenv cfloat cinttypes climits clocale cmath csetjmp csignal" \
    " cstdarg cstddef cstdint cstdio cstdlib cstring ctime cuchar cwchar cwctype", names, " ")
  for (i = 1; i <= n; i++) standard[names[i]] = 1
  numlibRoot = root "/numlib/"
  violations = 0
}

# A path with "." and ".." resolved by its text.
function normalized(path,    parts, n, i, out, depth, result) {
  n = split(path, parts, "/")
  depth = 0
  for (i = 1; i <= n; i++) {
    if (parts[i] == "" || parts[i] == ".") continue
    if (parts[i] == "..") { if (depth > 0) depth--; continue }
    out[++depth] = parts[i]
  }
  result = ""
  for (i = 1; i <= depth; i++) result = result "/" out[i]
  return result == "" ? "/" : result
}

function violation(file, line, header, why) {
  print file ":" line ": " header ": " why
  violations++
}

# Whether an angle-bracket header may be used where only QtCore is allowed:
# not one of Qt, or one of QtCore.
function qtCoreOnlyAllows(name) {
  if (name ~ /^QtCore\//) return 1
  if (name ~ /^Qt[^\/]*\//) return 0
  if (name !~ /^Q/) return 1
  if (name in qtcore) return 1
  return !(name in qtother)
}

# Whether a quoted include of a numlib file names a file of numlib itself,
# found beside the file or in numlib/include or numlib/src.
function numlibOwn(file, name,    dir, bases, i) {
  dir = file
  sub(/\/[^\/]*$/, "", dir)
  bases[1] = dir; bases[2] = root "/numlib/include"; bases[3] = root "/numlib/src"
  for (i = 1; i <= 3; i++)
    if (normalized(bases[i] "/" name) in numlibFile) return 1
  return 0
}

function checkInclude(file, layer, line, header,    name, angle) {
  name = substr(header, 2, length(header) - 2)
  angle = substr(header, 1, 1) == "<"
  if (layer == "numlib") {
    if (angle) {
      if (!(name in standard)) violation(file, line, header, "numlib uses the standard library only")
    } else if (!numlibOwn(file, name)) {
      violation(file, line, header, "numlib includes only its own headers")
    }
    return
  }
  if (angle) {
    if (layer == "core" && !qtCoreOnlyAllows(name))
      violation(file, line, header, "app/core uses QtCore only")
    return
  }
  if (layer == "core" && name ~ /^platform\//)
    violation(file, line, header, "app/core never includes app/platform")
  if ((layer == "core" || layer == "platform") && name ~ /^charts\//)
    violation(file, line, header, "app/" layer " never includes app/charts")
  if (name ~ /^ui\//)
    violation(file, line, header, "app/" layer " never includes app/ui")
}

function checkFile(file,    relative, layer, text, line, rest) {
  relative = substr(file, length(root) + 2)
  if (relative ~ /^numlib\//) layer = "numlib"
  else { layer = relative; sub(/^app\//, "", layer); sub(/\/.*/, "", layer) }
  line = 0
  while ((getline text < file) > 0) {
    line++
    if (text !~ /^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]/) continue
    rest = text
    sub(/^[[:space:]]*#[[:space:]]*include[[:space:]]*/, "", rest)
    if (match(rest, /^[<"][^>"]*[>"]/)) checkInclude(file, layer, line, substr(rest, 1, RLENGTH))
  }
  close(file)
}

/^@/ { section = substr($0, 2); next }
section == "qtcore" { qtcore[$0] = 1; next }
section == "qtother" { qtother[$0] = 1; next }
section == "numlib" { numlibFile[normalized($0)] = 1; next }
section == "check" { checkFile($0) }

END {
  if (violations > 0) {
    print "check-layers: " violations " include(s) against the layers"
    exit 1
  }
  print "check-layers: the layers hold"
}'

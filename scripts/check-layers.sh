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
# Usage: check-layers.sh SOURCE_ROOT QTCORE_INCLUDE_DIR
set -uo pipefail

ROOT="${1:?usage: check-layers.sh SOURCE_ROOT QTCORE_INCLUDE_DIR}"
QTCORE="${2:?usage: check-layers.sh SOURCE_ROOT QTCORE_INCLUDE_DIR}"
[ -f "$QTCORE/QString" ] || { echo "check-layers: $QTCORE holds no QtCore headers" >&2; exit 2; }

# The headers of the C++ standard library (C++20) and its C headers.
STANDARD=" algorithm any array atomic barrier bit bitset charconv chrono codecvt compare complex concepts
 condition_variable coroutine deque exception execution filesystem format forward_list fstream functional
 future initializer_list iomanip ios iosfwd iostream istream iterator latch limits list locale map memory
 memory_resource mutex new numbers numeric optional ostream queue random ranges ratio regex scoped_allocator
 semaphore set shared_mutex source_location span sstream stack stdexcept stop_token streambuf string
 string_view syncstream system_error thread tuple type_traits typeindex typeinfo unordered_map
 unordered_set utility valarray variant vector version cassert cctype cerrno cfenv cfloat cinttypes climits
 clocale cmath csetjmp csignal cstdarg cstddef cstdint cstdio cstdlib cstring ctime cuchar cwchar cwctype "
STANDARD=" $(tr '\n' ' ' <<<"$STANDARD") "

violations=0
violation() {   # violation FILE LINE TEXT WHY
  echo "$1:$2: $3: $4"
  violations=$((violations + 1))
}

# Prints "LINE<TAB>HEADER" for every #include of the file, HEADER with its
# <> or "" kept.
includes() {
  grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]' "$1" \
    | sed -E 's/^([0-9]+):[[:space:]]*#[[:space:]]*include[[:space:]]*([<"][^>"]*[>"]).*/\1\t\2/'
}

sources() {     # sources DIR...: the C++ files below the folders that exist
  local dirs=()
  for d in "$@"; do [ -d "$d" ] && dirs+=("$d"); done
  [ ${#dirs[@]} -gt 0 ] && find "${dirs[@]}" -type f \( -name '*.cpp' -o -name '*.hpp' -o -name '*.h' \) | sort
}

# numlib: the standard library and its own headers.
while IFS= read -r file; do
  [ -n "$file" ] || continue
  while IFS=$'\t' read -r line header; do
    name="${header:1:${#header}-2}"
    if [ "${header:0:1}" = "<" ]; then
      [[ "$STANDARD" == *" $name "* ]] || violation "$file" "$line" "$header" "numlib uses the standard library only"
    else
      found=""
      for base in "$(dirname "$file")" "$ROOT/numlib/include" "$ROOT/numlib/src"; do
        if [ -f "$base/$name" ]; then
          case "$(realpath "$base/$name")" in
            "$(realpath "$ROOT/numlib")"/*) found=yes ;;
          esac
        fi
      done
      [ -n "$found" ] || violation "$file" "$line" "$header" "numlib includes only its own headers"
    fi
  done < <(includes "$file")
done < <(sources "$ROOT/numlib/src" "$ROOT/numlib/include")

# Whether an angle-bracket header is one of Qt's, and then whether it is
# QtCore's.
qt_module_ok() {  # qt_module_ok NAME -> 0 when not Qt or QtCore
  local name="$1"
  case "$name" in
    QtCore/*) return 0 ;;
    Qt*/*) return 1 ;;
    Q*) [ -f "$QTCORE/$name" ] && return 0
        # A Qt header of another module (QWidget, QColor, QChart, ...).
        [ -f "$QTCORE/../QtWidgets/$name" ] || [ -f "$QTCORE/../QtGui/$name" ] \
          || [ -f "$QTCORE/../QtCharts/$name" ] || [ -f "$QTCORE/../QtPrintSupport/$name" ] \
          || [ -f "$QTCORE/../QtNetwork/$name" ] && return 1
        return 0 ;;
  esac
  return 0
}

# The app's layers: the folders a layer may not include from.
check_app_layer() {  # check_app_layer LAYER QT_CORE_ONLY FORBIDDEN...
  local layer="$1" coreOnly="$2"
  shift 2
  while IFS= read -r file; do
    [ -n "$file" ] || continue
    while IFS=$'\t' read -r line header; do
      name="${header:1:${#header}-2}"
      if [ "${header:0:1}" = "<" ]; then
        if [ "$coreOnly" = yes ] && ! qt_module_ok "$name"; then
          violation "$file" "$line" "$header" "app/$layer uses QtCore only"
        fi
      else
        for forbidden in "$@"; do
          case "$name" in
            "$forbidden"/*) violation "$file" "$line" "$header" "app/$layer never includes app/$forbidden" ;;
          esac
        done
      fi
    done < <(includes "$file")
  done < <(sources "$ROOT/app/$layer")
}
check_app_layer core yes platform charts ui
check_app_layer platform no charts ui
check_app_layer charts no ui

if [ "$violations" -gt 0 ]; then
  echo "check-layers: $violations include(s) against the layers"
  exit 1
fi
echo "check-layers: the layers hold"

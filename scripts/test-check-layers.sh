#!/usr/bin/env bash
# Test of the layers (scripts/check-layers.sh): the source tree passes; a
# copy of it with one include against the layers fails and names it, for
# each rule.
#
# Usage: test-check-layers.sh QTCORE_INCLUDE_DIR
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
QTCORE="${1:?usage: test-check-layers.sh QTCORE_INCLUDE_DIR}"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
source "$ROOT/scripts/expect-helper.sh"
check() { bash "$ROOT/scripts/check-layers.sh" "$1" "$QTCORE"; }  # check TREE

# A copy of the sources with LINE added at the top of FILE (relative to the
# root).
with_include() {  # with_include FILE LINE
  local tree="$WORK/tree$cases"
  rm -rf "$tree"
  mkdir -p "$tree"
  cp -r "$ROOT/numlib" "$ROOT/app" "$tree/"
  rm -rf "$tree/numlib/tests" "$tree/app/tests"
  sed -i "1i $2" "$tree/$1"
  echo "$tree"
}

expect 0 "the layers hold" "the source tree keeps its layers" check "$ROOT"
expect 1 "numlib/src/sorting.cpp:1: <QString>" "numlib with a Qt header" \
  check "$(with_include numlib/src/sorting.cpp '#include <QString>')"
expect 1 "numlib/include/SumtrixLib/Sumtrix.hpp:1: <curl/curl.h>" "numlib with another library's header" \
  check "$(with_include numlib/include/SumtrixLib/Sumtrix.hpp '#include <curl/curl.h>')"
expect 1 "numlib/src/beta.cpp:1: \"core/kve_code.hpp\"" "numlib with a header of the program" \
  check "$(with_include numlib/src/beta.cpp '#include "core/kve_code.hpp"')"
expect 1 "app/core/kve_code.cpp:1: <QWidget>" "the core with a widget header" \
  check "$(with_include app/core/kve_code.cpp '#include <QWidget>')"
expect 1 "app/core/histogram.hpp:1: <QtGui/QColor>" "the core with a Gui header" \
  check "$(with_include app/core/histogram.hpp '#include <QtGui/QColor>')"
expect 1 "app/core/r_runner.cpp:1: \"platform/process_runner.hpp\"" "the core with a platform header" \
  check "$(with_include app/core/r_runner.cpp '#include "platform/process_runner.hpp"')"
expect 1 "app/platform/process_runner.cpp:1: \"ui/frm_main.hpp\"" "the platform with a window header" \
  check "$(with_include app/platform/process_runner.cpp '#include "ui/frm_main.hpp"')"
expect 1 "app/charts/chart_view.cpp:1: \"ui/frm_plot.hpp\"" "the charts with a window header" \
  check "$(with_include app/charts/chart_view.cpp '#include "ui/frm_plot.hpp"')"

summary

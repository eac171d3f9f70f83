#!/usr/bin/env bash
# Test of the layers (scripts/check-layers.sh): the source tree passes; a
# small tree with every kind of include the layers allow passes, and fails
# with one include against the layers added, named with its file and line,
# for each rule.
#
# Usage: test-check-layers.sh QTCORE_INCLUDE_DIR
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
QTCORE="${1:?usage: test-check-layers.sh QTCORE_INCLUDE_DIR}"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
source "$ROOT/scripts/expect-helper.sh"
check() { bash "$ROOT/scripts/check-layers.sh" "$1" "$QTCORE"; }  # check TREE

# The fixture: a few files per layer, each with includes its layer allows.
fixture() {  # fixture TREE
  local tree="$1"
  mkdir -p "$tree/numlib/include/SumtrixLib" "$tree/numlib/src" "$tree/app/core" \
           "$tree/app/platform" "$tree/app/charts" "$tree/app/ui"
  printf '#pragma once\n#include <vector>\n#include "Runtime.hpp"\n' \
    > "$tree/numlib/include/SumtrixLib/Sumtrix.hpp"
  printf '#pragma once\n#include <stdexcept>\n' > "$tree/numlib/include/SumtrixLib/Runtime.hpp"
  printf '#pragma once\n#include <cmath>\n' > "$tree/numlib/src/beta_detail.hpp"
  printf '#include "SumtrixLib/Sumtrix.hpp"\n#include <algorithm>\n' > "$tree/numlib/src/sorting.cpp"
  printf '  #  include "beta_detail.hpp"\n#include "../include/SumtrixLib/Runtime.hpp"\n' \
    > "$tree/numlib/src/beta.cpp"
  printf '#pragma once\n#include <QString>\n#include <QtCore/QFile>\n' > "$tree/app/core/kve_code.hpp"
  printf '#include "core/kve_code.hpp"\n#include "SumtrixLib/Sumtrix.hpp"\n#include <vector>\n' \
    > "$tree/app/core/kve_code.cpp"
  printf '#include <QSaveFile>\n' > "$tree/app/core/histogram.hpp"
  printf '#include "core/kve_code.hpp"\n' > "$tree/app/core/r_runner.cpp"
  printf '#include "core/kve_code.hpp"\n#include <QWidget>\n#include <QtGui/QColor>\n' \
    > "$tree/app/platform/process_runner.cpp"
  printf '#include "platform/process_runner.hpp"\n#include <QChart>\n' > "$tree/app/charts/chart_view.cpp"
  printf '#include "charts/chart_view.hpp"\n#include "ui/frm_plot.hpp"\n' > "$tree/app/ui/frm_main.cpp"
}
fixture "$WORK/clean"

# A copy of the fixture with LINE added after the first line of FILE.
with_include() {  # with_include FILE LINE
  local tree="$WORK/tree$cases"
  cp -r "$WORK/clean" "$tree"
  sed -i "1a $2" "$tree/$1"
  echo "$tree"
}

expect 0 "the layers hold" "the source tree keeps its layers" check "$ROOT"
expect 0 "the layers hold" "every include the layers allow" check "$WORK/clean"
expect 1 "numlib/src/sorting.cpp:2: <QString>" "numlib with a Qt header" \
  check "$(with_include numlib/src/sorting.cpp '#include <QString>')"
expect 1 "numlib/include/SumtrixLib/Sumtrix.hpp:2: <curl/curl.h>" "numlib with another library's header" \
  check "$(with_include numlib/include/SumtrixLib/Sumtrix.hpp '#include <curl/curl.h>')"
expect 1 "numlib/src/beta.cpp:2: \"core/kve_code.hpp\"" "numlib with a header of the program" \
  check "$(with_include numlib/src/beta.cpp '#include "core/kve_code.hpp"')"
expect 1 "numlib/src/beta.cpp:2: \"../../app/core/kve_code.hpp\"" "numlib with a path out of numlib" \
  check "$(with_include numlib/src/beta.cpp '#include "../../app/core/kve_code.hpp"')"
expect 1 "app/core/kve_code.cpp:2: <QWidget>" "the core with a widget header" \
  check "$(with_include app/core/kve_code.cpp '#include <QWidget>')"
expect 1 "app/core/histogram.hpp:2: <QtGui/QColor>" "the core with a Gui header" \
  check "$(with_include app/core/histogram.hpp '#include <QtGui/QColor>')"
expect 1 "app/core/r_runner.cpp:2: \"platform/process_runner.hpp\"" "the core with a platform header" \
  check "$(with_include app/core/r_runner.cpp '#include "platform/process_runner.hpp"')"
expect 1 "app/platform/process_runner.cpp:2: \"ui/frm_main.hpp\"" "the platform with a window header" \
  check "$(with_include app/platform/process_runner.cpp '#include "ui/frm_main.hpp"')"
expect 1 "app/charts/chart_view.cpp:2: \"ui/frm_plot.hpp\"" "the charts with a window header" \
  check "$(with_include app/charts/chart_view.cpp '#include "ui/frm_plot.hpp"')"

summary

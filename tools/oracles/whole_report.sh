#!/bin/bash
# Checks a whole golden report against R, section by section: the
# regression and parameter tests, the distribution to rank sections, the
# balance to weighed deviance sections, and the deviation and residual
# analyses with the deviation analysis's interval window.
#
#   tools/oracles/whole_report.sh examples/crop_yield.KVE \
#       app/tests/core/golden/crop_yield_report.txt \
#       app/tests/core/golden/crop_yield_deviation_window.txt
#
# What no script recomputes: the header, the headings, rules and comment
# lines and the references (fixed texts, held by the golden file itself);
# the four bootstrap results (random draws: their properties are tested in
# the unit tests, the golden file fixes the seed); the sub-sample count and
# size of the bootstrap (copied from the options).
set -u
dataset=$1 report=$2 window=${3:-}
here=$(dirname "$0")
status=0
for script in regression_report report_sections_i report_sections_ii; do
  echo "== $script"
  Rscript "$here/$script.R" "$dataset" "$report" 2>/dev/null | tail -n 20
  [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
done
echo "== report_sections_iii"
Rscript "$here/report_sections_iii.R" "$dataset" "$report" $window 2>/dev/null | tail -n 20
[ "${PIPESTATUS[0]}" -eq 0 ] || status=1
exit $status

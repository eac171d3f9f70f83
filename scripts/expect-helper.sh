# Sourced by the tests of the checks in scripts/: runs a check and counts
# the cases and the failures.
cases=0
failures=0

# expect STATUS TEXT DESCRIPTION COMMAND...: the command must exit with
# STATUS and print TEXT (standard output or error).
expect() {
  local status="$1" text="$2" what="$3"
  shift 3
  local out rc
  out="$("$@" 2>&1)"
  rc=$?
  cases=$((cases + 1))
  if [ "$rc" -ne "$status" ] || ! grep -qF -- "$text" <<<"$out"; then
    echo "FAILED: $what: exit $rc (expected $status), output:"
    echo "$out"
    failures=$((failures + 1))
  else
    echo "ok: $what"
  fi
}

# The summary line; the exit status of the test.
summary() {
  echo "$((cases - failures)) passed, $failures failed"
  [ "$failures" -eq 0 ]
}

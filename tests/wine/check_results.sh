# shellcheck shell=bash
# PASS/FAIL lines and the time bound of a Wine test runner; sourced, not run.
# The runner reads $passes and $failures at its end and calls stop_watchdog.

passes=0
failures=0
watchdog_pid=""

pass() {
  echo "PASS: $*"
  passes=$((passes + 1))
}
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
# check NAME COMMAND...: PASS when the command succeeds.
check() {
  local name=$1
  shift
  if "$@"; then pass "$name"; else fail "$name"; fi
}
# expect_equal NAME EXPECTED ACTUAL
expect_equal() {
  if [ "$2" = "$3" ]; then
    pass "$1"
  else
    fail "$1: expected [$2], got [$3]"
  fi
}

# start_watchdog SECONDS: after that long the runner gets TERM (its trap ends
# it as a failure), so a hang anywhere cannot stall the job.
start_watchdog() {
  local limit=$1
  (
    for _ in $(seq "$limit"); do sleep 1; done
    echo "FAIL: the run did not finish within $limit s" >&2
    kill -TERM $$ 2>/dev/null
  ) &
  watchdog_pid=$!
}
# shellcheck disable=SC2317  # also called from EXIT traps
stop_watchdog() {
  if [ -n "$watchdog_pid" ]; then
    kill "$watchdog_pid" 2>/dev/null
    wait "$watchdog_pid" 2>/dev/null
    watchdog_pid=""
  fi
}

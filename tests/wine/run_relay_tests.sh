#!/bin/bash
# Tests the remote-desktop token relay end to end under Wine: lumoMonitor.exe
# (64-bit build: Wine here runs no 32-bit code), told by QUILL_VIRTUAL_CHANNEL
# that it runs in a remote session whose channel is a loopback connection,
# asks the Linux quill-relay-client on every 3-second tick whether the
# client's token is attached; the client answers from a virtual token that
# the test unplugs and plugs through its control socket. The monitor has no
# token of its own. Its diagnostic log (QUILL_MONITOR_LOG) says what it saw
# and whether it tried to lock (LockWorkStation fails under Wine with 120).
# First the relay's own Wine check (monitor/relay/win32/run_wine_check.sh)
# runs every request through Winsock, when the native build folder can be
# told from the programs' paths.
#
#   run_relay_tests.sh QUILL_VTOKEN QUILL_RELAY_CLIENT WIN64_BUILD
#
# WIN64_BUILD holds monitor/win32/lumoMonitor.exe,
# monitor/wine_tests/monitor_driver.exe and monitor/relay/relay_wine_check.exe.
# One PASS or FAIL line per check; exit status 0 only when every check
# passed (1 otherwise, 2 for a bad command line). The whole run is bounded;
# the processes, the Wine prefix and the X display are removed at the end.
set -u

usage() {
  echo "usage: $0 QUILL_VTOKEN QUILL_RELAY_CLIENT WIN64_BUILD" >&2
  exit 2
}

[ $# -eq 3 ] || usage
vtoken=$(readlink -f "$1")
relay_client=$(readlink -f "$2")
win64_build=$(readlink -f "$3")
repo=$(cd "$(dirname "$0")/../.." && pwd)
monitor_exe="$win64_build/monitor/win32/lumoMonitor.exe"
driver_exe="$win64_build/monitor/wine_tests/monitor_driver.exe"
wine_check_exe="$win64_build/monitor/relay/relay_wine_check.exe"
for program in "$vtoken" "$relay_client"; do
  [ -x "$program" ] || {
    echo "not an executable: $program" >&2
    exit 2
  }
done
for file in "$monitor_exe" "$driver_exe"; do
  [ -f "$file" ] || {
    echo "missing: $file" >&2
    exit 2
  }
done
for tool in Xvfb wine wineserver; do
  command -v "$tool" >/dev/null || {
    echo "missing: $tool" >&2
    exit 2
  }
done

readonly suite_limit=170 # seconds for the whole run
readonly tick=3          # the monitor's check timer, in seconds
readonly present_line="remote check: session=yes find=0"
readonly lock_line="remote lock failed: error=120"

work=$(mktemp -d)
shots="$work/shots" # monitor_session.sh wants one; this runner takes none
server_started=0
# shellcheck source=SCRIPTDIR/session_common.sh
. "$(dirname "$0")/session_common.sh"
# shellcheck source=SCRIPTDIR/monitor_session.sh
. "$(dirname "$0")/monitor_session.sh"
# shellcheck source=SCRIPTDIR/relay_session.sh
. "$(dirname "$0")/relay_session.sh"
# shellcheck source=SCRIPTDIR/check_results.sh
. "$(dirname "$0")/check_results.sh"
# shellcheck disable=SC2317  # called by the EXIT trap
cleanup() {
  stop_watchdog
  stop_relay_client
  stop_desktop_session
  stop_vtoken
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
start_watchdog "$suite_limit"

# No line of the log matches the pattern.
# shellcheck disable=SC2317  # called through check
no_log_matching() { ! has_log_matching "$1"; }
# The monitor's window still exists (it did not end or crash).
# shellcheck disable=SC2317  # called through check
monitor_alive() { drv wait "$main_class" "$main_caption" 1000 any >/dev/null; }

# ---------------------------------------------------------------- the relay's own check

native_build=$(dirname "$(dirname "$vtoken")")
if [ -f "$wine_check_exe" ] && [ "$native_build/monitor/relay/quill-relay-client" -ef "$relay_client" ]; then
  echo "== the relay's Windows build, request by request (run_wine_check.sh)"
  # Its prefix is its own: it runs before this runner's session starts.
  wine_check_out=$(timeout 90 bash "$repo/monitor/relay/win32/run_wine_check.sh" \
    "$native_build" "$win64_build" 2>&1)
  wine_check_status=$?
  grep -E '^(PASS|FAIL): ' <<<"$wine_check_out" | sed -E 's/^(PASS|FAIL): /\1: [relay_wine_check] /'
  passes=$((passes + $(grep -c '^PASS: ' <<<"$wine_check_out")))
  failures=$((failures + $(grep -c '^FAIL: ' <<<"$wine_check_out")))
  if [ "$wine_check_status" -eq 0 ] && [ "$(grep -c '^failures=0$' <<<"$wine_check_out")" -eq 2 ]; then
    pass "run_wine_check.sh ran both modes to their end"
  else
    fail "run_wine_check.sh ran both modes to their end: exit $wine_check_status"
    printf '%s\n' "$wine_check_out" >&2
  fi
else
  echo "SKIP: run_wine_check.sh (relay_wine_check.exe missing, or the programs are not in one native build folder)"
fi

# ---------------------------------------------------------------- session

start_desktop_session || exit 1
mkdir -p "$work/monitor" "$shots"
cp "$monitor_exe" "$work/monitor/"
monitor_win=$(winpath "$work/monitor/lumoMonitor.exe")

echo "== the client machine: a virtual token and quill-relay-client"
start_vtoken --token hid:A --control 0 >/dev/null
control_port=$(awk '$1 == "control" { split($2, a, ":"); print a[2] }' "$work/vtoken.ready")
client_tokens=$QUILL_VIRTUAL_TOKENS
# The token is on the client only: the monitor sees none of its own.
unset QUILL_VIRTUAL_TOKENS
if ! start_relay_client client "$client_tokens"; then
  fail "quill-relay-client listens"
  exit 1
fi
relay_port=${relay_endpoint##*:}
echo "  client at $relay_endpoint, token at $client_tokens"

# ---------------------------------------------------------------- token present

echo "== remote session, token attached on the client"
QUILL_VIRTUAL_CHANNEL=$relay_endpoint start_monitor relay >/dev/null
check "the monitor's window appears" monitor_alive
check "the monitor has no token of its own (log)" wait_log "start tray=no refresh=1" 10
check "loopback channel chosen (log)" wait_log "remote channel: loopback port $relay_port" 10
if wait_log_count "$present_line" 3 $((4 * tick + 4)); then
  pass "three ticks confirm the token (find=0)"
else
  fail "three ticks confirm the token: $(log_count "$present_line") seen"
fi
check "no lock attempt while the token is attached" no_log_matching '^remote lock'
check "the client answered FIND with OK" grep -qx 'request FIND -> OK' "$relay_output"
expect_connections=$(grep -c '^request FIND' "$relay_output")
check "one FIND per tick reached the client (>= 3)" test "$expect_connections" -ge 3

# ---------------------------------------------------------------- unplugged

echo "== token unplugged on the client"
reply=$(vtoken_control unplug 0)
if [ "$reply" = "ok unplugged" ]; then pass "token unplugged ($reply)"; else fail "token unplugged: [$reply]"; fi
if took=$(wait_log_after "$lock_line" 0 $((tick + 2))); then
  if [ "$took" -le $((tick * 10 + 10)) ]; then
    pass "lock attempted within one tick of the unplug ($((took / 10)).$((took % 10)) s)"
  else
    fail "lock attempted within one tick of the unplug: took $((took / 10)).$((took % 10)) s"
  fi
else
  fail "lock attempted after the unplug: none within $((tick + 2)) s"
  log_lines | sed 's/^/    /' >&2
fi
check "the failed FIND is logged (status not OK, find=6)" \
  has_log "remote check: session=yes find=6"
check "the client answered FIND with ERROR" grep -qx 'request FIND -> ERROR' "$relay_output"
check "the monitor survives the failed lock" monitor_alive

# ---------------------------------------------------------------- plugged again

echo "== token plugged in again"
reply=$(vtoken_control plug 0)
if [ "$reply" = "ok plugged $client_tokens" ]; then
  pass "token plugged again at its port ($reply)"
else
  fail "token plugged again at its port: [$reply]"
fi
present_before=$(log_count "$present_line")
if wait_log_after "$present_line" "$present_before" $((tick + 3)) >/dev/null; then
  locks_before=$(log_count "$lock_line")
  present_before=$(log_count "$present_line")
  if wait_log_after "$present_line" $((present_before + 1)) $((2 * tick + 3)) >/dev/null; then
    pass "two more ticks confirm the token again"
  else
    fail "two more ticks confirm the token again"
  fi
  expect_locks=$(log_count "$lock_line")
  check "no lock attempt once the token is back" test "$expect_locks" -eq "$locks_before"
else
  fail "a tick confirms the token after plugging it in"
fi

# ---------------------------------------------------------------- client killed

check "one channel held across every tick so far (the client saw no hang-up)" \
  test "$(grep -c '^connection closed' "$relay_output")" -eq 0

echo "== the client ends (killed)"
locks_before=$(log_count "$lock_line")
kill -KILL "$relay_client_pid" 2>/dev/null
stop_relay_client
if took=$(wait_log_after "$lock_line" "$locks_before" $((tick + 2))); then
  pass "lock attempted after the client ended ($((took / 10)).$((took % 10)) s)"
else
  fail "lock attempted after the client ended: none within $((tick + 2)) s"
fi
check "the broken channel is logged (no reply, find=3)" has_log "remote check: session=yes find=3"
# Nothing listens now: Probe cannot open a channel, which is a remote session
# without a client end, and nothing more is checked or locked.
checks_before=$(log_lines | grep -c '^remote check')
locks_before=$(log_count "$lock_line")
sleep $((2 * tick + 1))
check "no client end: no further checks" test "$(log_lines | grep -c '^remote check')" -eq "$checks_before"
check "no client end: no further lock attempts" test "$(log_count "$lock_line")" -eq "$locks_before"
check "the monitor still runs" monitor_alive
drv command "$main_class" "$main_caption" 2 >/dev/null
expect_equal "the monitor ends normally (Esc: 2)" 2 "$(wait_exit 10)"
end_monitor

# ---------------------------------------------------------------- console session

echo "== console session (no QUILL_VIRTUAL_CHANNEL), a client listening anyway"
if start_relay_client console-client "$client_tokens"; then
  start_monitor console >/dev/null
  check "the monitor starts without a token of its own (log)" wait_log "start tray=no refresh=1" 10
  sleep $((2 * tick + 1))
  check "two ticks later: no remote lines at all" no_log_matching '^remote'
  check "nothing reached the client" test -z "$(relay_requests)"
  end_monitor
  stop_relay_client
else
  fail "quill-relay-client listens (console session)"
fi

stop_watchdog
echo "relay tests: $passes passed, $failures failed"
[ "$failures" -eq 0 ] || exit 1
echo "relay-tests-done"
exit 0

#!/bin/bash
# Runs the cross-built wine_uid_check program under Wine against virtual
# tokens served by the Linux quill-vtoken program: one HID token of model A
# and one storage-face token of model B, each with a known UID. With
# --port-check, also runs wine_port_check (the Windows ports against Wine's
# own API, no token needed) in the same Wine session.
#
#   run_wine_check.sh [--port-check WINE_PORT_CHECK_EXE] QUILL_VTOKEN \
#                     WINE_UID_CHECK_EXE [WINE_UID_CHECK_EXE...]
#
# Passes (exit 0) when every program exits 0 and prints its closing line.
# Works in a temporary Wine prefix that it deletes afterwards.
set -u

usage() {
  echo "usage: $0 [--port-check WINE_PORT_CHECK_EXE] QUILL_VTOKEN WINE_UID_CHECK_EXE..." >&2
  exit 2
}

port_check=""
if [ "${1:-}" = "--port-check" ]; then
  [ $# -ge 2 ] || usage
  port_check=$(readlink -f "$2")
  shift 2
  if [ ! -f "$port_check" ]; then
    echo "no such program: $port_check" >&2
    exit 2
  fi
fi
[ $# -ge 2 ] || usage
vtoken=$(readlink -f "$1")
shift
if [ ! -x "$vtoken" ]; then
  echo "not an executable: $vtoken" >&2
  exit 2
fi
programs=()
for program in "$@"; do
  if [ ! -f "$program" ]; then
    echo "no such program: $program" >&2
    exit 2
  fi
  programs+=("$(readlink -f "$program")")
done

readonly uid_a=00112233445566778899aabbccddeeff0123456789abcdeffedcba9876543210
readonly uid_b=b0b1b2b3b4b5b6b7b8b9babbbcbdbebfc0c1c2c3c4c5c6c7c8c9cacbcccdcecf
readonly sentinel=wine-check-done
readonly check_timeout=120


work=$(mktemp -d)
server_started=0
# shellcheck source=SCRIPTDIR/session_common.sh
. "$(dirname "$0")/session_common.sh"
# shellcheck disable=SC2317  # called by the EXIT trap
cleanup() {
  stop_vtoken
  stop_wineserver
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

export WINEPREFIX="$work/pfx" WINEARCH=win64 WINEDEBUG=-all,err+module
export WINEDLLOVERRIDES="mscoree,mshtml="

echo "== starting virtual tokens"
start_vtoken --token hid:A --uid "$uid_a" --token cdrom:B --uid "$uid_b"

echo "== preparing the Wine prefix"
# The first Wine process starts services that inherit its standard streams.
server_started=1
wine wineboot -i </dev/null >/dev/null 2>&1
wineserver -w  # else every later process waits on the services starting
wineserver -p </dev/null >/dev/null 2>&1  # one server for all runs
# The first process of the new server starts the services again, and they
# keep its standard streams: start them with none.
wine cmd /c exit </dev/null >/dev/null 2>&1

failures=0
# Runs one program under Wine; it passes with exit status 0 and its closing
# line (a program that crashed or was cut short may still exit 0).
run_check() {
  local program=$1 closing=$2
  shift 2
  echo "== $(basename "$program") $*"
  timeout "$check_timeout" wine "$program" "$@" </dev/null >"$work/check.out" 2>"$work/check.err"
  local status=$?
  tr -d '\r' <"$work/check.out"
  if [ "$status" -ne 0 ] || ! tr -d '\r' <"$work/check.out" | grep -qx "$closing"; then
    echo "FAIL: $(basename "$program") exited with $status" >&2
    cat "$work/check.err" >&2
    failures=$((failures + 1))
  fi
}

if [ -n "$port_check" ]; then
  run_check "$port_check" wine-port-check-done
fi
expected_a="A:$(uid_text "$uid_a")"
expected_b="B:$(uid_text "$uid_b")"
for program in "${programs[@]}"; do
  run_check "$program" "$sentinel" "$expected_a" "$expected_b"
done

if [ "$failures" -ne 0 ]; then
  echo "wine check: $failures failed"
  exit 1
fi
echo "wine check: passed"
exit 0

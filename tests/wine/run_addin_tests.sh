#!/bin/bash
# Tests the Windows remote-desktop client add-in for the token relay
# (quill-relay-addin.dll, 64-bit build: Wine here runs no 32-bit code) under
# Wine: addin_driver.exe plays the client's side of the channel entry points
# against the DLL, first with no token on the machine, then (given the Linux
# quill-vtoken program) with a virtual token attached; then the registration
# scripts and .reg files are checked against Wine's registry.
#
#   run_addin_tests.sh WIN64_BUILD [QUILL_VTOKEN]
#
# WIN64_BUILD holds monitor/relay/addin/quill-relay-addin.dll and
# addin_driver.exe. Without QUILL_VTOKEN the run with a token is skipped.
# One PASS or FAIL line per check; exit status 0 only when every check
# passed (1 otherwise, 2 for a bad command line). The Wine prefix and the
# token are removed at the end.
set -u

usage() {
  echo "usage: $0 WIN64_BUILD [QUILL_VTOKEN]" >&2
  exit 2
}

[ $# -eq 1 ] || [ $# -eq 2 ] || usage
build=$(readlink -f "$1")
vtoken=""
if [ $# -eq 2 ]; then
  vtoken=$(readlink -f "$2")
  [ -x "$vtoken" ] || {
    echo "not an executable: $2" >&2
    exit 2
  }
fi
repo=$(cd "$(dirname "$0")/../.." && pwd)
addin_dir="$build/monitor/relay/addin"
dll="$addin_dir/quill-relay-addin.dll"
driver="$addin_dir/addin_driver.exe"
scripts="$repo/monitor/relay/addin/win32"
for file in "$dll" "$driver"; do
  [ -f "$file" ] || {
    echo "missing: $file" >&2
    exit 2
  }
done
for tool in wine wineserver; do
  command -v "$tool" >/dev/null || {
    echo "missing: $tool" >&2
    exit 2
  }
done

readonly addin_key='HKCU\Software\Microsoft\Terminal Server Client\Default\AddIns\QuillRelay'
readonly run_timeout=120

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

# shellcheck source=SCRIPTDIR/check_results.sh
. "$(dirname "$0")/check_results.sh"

export WINEPREFIX="$work/pfx" WINEARCH=win64 WINEDEBUG=-all,err+module
export WINEDLLOVERRIDES="mscoree,mshtml="
unset QUILL_VIRTUAL_TOKENS

echo "== preparing the Wine prefix"
server_started=1
wine wineboot -i </dev/null >/dev/null 2>&1
wineserver -w
wineserver -p </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1

# The DLL and the scripts as they are installed: side by side.
install="$work/install"
mkdir -p "$install"
cp "$dll" "$driver" "$scripts"/*.cmd "$scripts"/*.reg "$install/"

# run_driver MODE: the driver's own PASS/FAIL lines, then one line for its run.
run_driver() {
  local mode=$1
  echo "== addin_driver.exe ($mode)"
  (cd "$install" && timeout "$run_timeout" wine addin_driver.exe quill-relay-addin.dll "$mode" \
    </dev/null >"$work/driver.out" 2>"$work/driver.err")
  local status=$?
  tr -d '\r' <"$work/driver.out" | sed "s/^\(PASS\|FAIL\): /\1: [$mode] /"
  local lines
  lines=$(tr -d '\r' <"$work/driver.out")
  passes=$((passes + $(grep -c '^PASS: ' <<<"$lines")))
  failures=$((failures + $(grep -c '^FAIL: ' <<<"$lines")))
  if [ "$status" -eq 0 ] && grep -qx 'failures=0' <<<"$lines"; then
    pass "the driver ran to its end ($mode)"
  else
    fail "the driver ran to its end ($mode): exit $status"
    cat "$work/driver.err" >&2
  fi
}

run_driver no-token

if [ -n "$vtoken" ]; then
  echo "== with a virtual token attached"
  start_vtoken --token hid:A
  run_driver token
  stop_vtoken
  unset QUILL_VIRTUAL_TOKENS
else
  echo "SKIP: the run with a token attached (no QUILL_VTOKEN given)"
fi

# registered_name: the Name value under the add-in key, or nothing.
registered_name() {
  wine reg query "$addin_key" /v Name </dev/null 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *Name *REG_SZ *//p'
}

echo "== registration"
expected=$(cd "$install" && wine cmd /c echo %CD%\\quill-relay-addin.dll </dev/null 2>/dev/null |
  tr -d '\r')
out=$(cd "$install" && wine cmd /c register-addin.cmd </dev/null 2>&1 | tr -d '\r')
status=$?
name=$(registered_name)
if [ "$status" -eq 0 ] && [ "$name" = "$expected" ]; then
  pass "register-addin.cmd names the DLL beside it ($name)"
else
  fail "register-addin.cmd names the DLL beside it: got '$name', expected '$expected' ($out)"
fi
out=$(cd "$install" && wine cmd /c register-addin.cmd missing.dll </dev/null 2>&1)
status=$?
if [ "$status" -eq 2 ] && [ "$(registered_name)" = "$expected" ]; then
  pass "register-addin.cmd refuses a DLL that is not there"
else
  fail "register-addin.cmd refuses a DLL that is not there: exit $status"
fi
(cd "$install" && wine cmd /c unregister-addin.cmd </dev/null >/dev/null 2>&1)
status=$?
if [ "$status" -eq 0 ] && [ -z "$(registered_name)" ]; then
  pass "unregister-addin.cmd removes the key"
else
  fail "unregister-addin.cmd removes the key: exit $status"
fi
out=$(cd "$install" && wine cmd /c unregister-addin.cmd </dev/null 2>&1 | tr -d '\r')
if [ "$out" = "not registered" ]; then
  pass "unregister-addin.cmd with nothing registered"
else
  fail "unregister-addin.cmd with nothing registered: '$out'"
fi

(cd "$install" && wine regedit /s quill-relay-addin.reg </dev/null >/dev/null 2>&1)
name=$(registered_name)
if [ "$name" = 'C:\Program Files\Quill\quill-relay-addin.dll' ]; then
  pass "quill-relay-addin.reg registers the add-in"
else
  fail "quill-relay-addin.reg registers the add-in: got '$name'"
fi
(cd "$install" && wine regedit /s quill-relay-addin-remove.reg </dev/null >/dev/null 2>&1)
if [ -z "$(registered_name)" ]; then
  pass "quill-relay-addin-remove.reg removes it"
else
  fail "quill-relay-addin-remove.reg removes it"
fi

echo "add-in tests: $passes passed, $failures failed"
[ "$failures" -eq 0 ]

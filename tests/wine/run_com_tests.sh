#!/bin/bash
# Tests the QuillActiveX COM server (64-bit) under Wine against one virtual
# token of the first family served by the Linux quill-vtoken program:
#   1. regsvr32 of the module (copied to a folder whose name holds a space
#      and an apostrophe) and every key and value it must write;
#   2. JScript pages through cscript (tests/wine/com/*.js);
#   3. com_client_check.exe: names and DISPIDs, the type library, a second
#      apartment through the module's proxy/stub, the hosting interfaces,
#      aggregation and unloading;
#   4. regsvr32 /u and what it must remove and keep;
#   5. regsvr32 /i:user /n (DllInstall "user") into HKCU\Software\Classes,
#      and its uninstall.
#
#   run_com_tests.sh QUILL_VTOKEN COM_BUILD_DIR
#
# COM_BUILD_DIR holds lumoActiveX.x64.ocx and com_client_check.exe (the
# control/com folder of a 64-bit mingw build). Passes (exit 0) when every
# check passes. Works in a temporary Wine prefix that it deletes afterwards;
# starts its own Xvfb when DISPLAY is not set.
set -u

usage() {
  echo "usage: $0 QUILL_VTOKEN COM_BUILD_DIR" >&2
  exit 2
}

[ $# -eq 2 ] || usage
vtoken=$(readlink -f "$1")
build=$(readlink -f "$2")
module_file="$build/lumoActiveX.x64.ocx"
client="$build/com_client_check.exe"
scripts=$(dirname "$(readlink -f "$0")")/com
for file in "$module_file" "$client"; do
  if [ ! -f "$file" ]; then
    echo "missing: $file" >&2
    exit 2
  fi
done
if [ ! -x "$vtoken" ]; then
  echo "not an executable: $vtoken" >&2
  exit 2
fi

readonly uid=00112233445566778899aabbccddeeff0123456789abcdeffedcba9876543210
# shellcheck source=SCRIPTDIR/control_identity.sh
. "$(dirname "$0")/control_identity.sh"
readonly run_timeout=120

work=$(mktemp -d)
server_started=0
# shellcheck source=SCRIPTDIR/session_common.sh
. "$(dirname "$0")/session_common.sh"
# shellcheck disable=SC2317  # called by the EXIT trap
cleanup() {
  stop_vtoken
  stop_wineserver
  stop_xvfb
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

echo "== starting the virtual token"
start_vtoken --token hid:A --uid "$uid"
expected_uid=$(uid_text "$uid")

if [ -z "${DISPLAY:-}" ]; then
  start_xvfb || exit 1
fi

prepare_wine_prefix

# The module in a folder whose name needs the registrar to quote nothing.
folder_unix="$WINEPREFIX/drive_c/Quill's Files"
mkdir -p "$folder_unix"
cp "$module_file" "$folder_unix/"
module="C:\\Quill's Files\\lumoActiveX.x64.ocx"

expect_value() {
  local actual
  actual=$(reg_value "$1" "$2")
  [ "$actual" = "$3" ] || fail "$1 [${2:-default}] is '$actual', expected '$3'"
}

expect_key() {
  wine_run reg query "$1" >/dev/null 2>&1 || fail "missing key $1"
}

expect_no_key() {
  if wine_run reg query "$1" >/dev/null 2>&1; then fail "key left behind: $1"; fi
}

# Every key and value of registration, under classes root $1.
check_registered() {
  local root=$1
  local class="$root\\CLSID\\$clsid"
  expect_value "$root\\AppID\\$appid" "" "QuillActiveX"
  expect_value "$root\\AppID\\QuillActiveX.DLL" AppID "$appid"
  expect_value "$root\\$progid.1" "" "QuillActiveXCtrl Class"
  expect_value "$root\\$progid.1\\CLSID" "" "$clsid"
  expect_value "$root\\$progid" "" "QuillActiveXCtrl Class"
  expect_value "$root\\$progid\\CLSID" "" "$clsid"
  expect_value "$root\\$progid\\CurVer" "" "$progid.1"
  expect_value "$class" "" "QuillActiveXCtrl Class"
  expect_value "$class" AppID "$appid"
  expect_value "$class\\ProgID" "" "$progid.1"
  expect_value "$class\\VersionIndependentProgID" "" "$progid"
  expect_key "$class\\Programmable"
  expect_value "$class\\InprocServer32" "" "$module"
  expect_value "$class\\InprocServer32" ThreadingModel Apartment
  expect_key "$class\\Control"
  expect_value "$class\\ToolboxBitmap32" "" "$module, 102"
  expect_value "$class\\MiscStatus" "" 0
  expect_value "$class\\MiscStatus\\1" "" 132497
  expect_value "$class\\TypeLib" "" "$libid"
  expect_value "$class\\Version" "" 1.0
  expect_key "$class\\Implemented Categories\\$scripting"
  expect_key "$class\\Implemented Categories\\$initializing"
  expect_value "$root\\Component Categories\\$scripting" 409 \
    "Controls that are safely scriptable"
  expect_value "$root\\Component Categories\\$initializing" 409 \
    "Controls safely initializable from persistent data"
  expect_value "$root\\TypeLib\\$libid\\1.0" "" "QuillActiveX 1.0 Type Library"
  expect_value "$root\\TypeLib\\$libid\\1.0\\409\\win64" "" "$module"
  expect_value "$root\\Interface\\$iid\\ProxyStubClsid32" "" "$iid"
  expect_value "$root\\CLSID\\$iid\\InprocServer32" "" "$module"
}

# What unregistration removes, and the parents it keeps.
check_unregistered() {
  local root=$1
  expect_no_key "$root\\AppID\\$appid"
  expect_no_key "$root\\AppID\\QuillActiveX.DLL"
  expect_no_key "$root\\$progid.1"
  expect_no_key "$root\\$progid"
  expect_no_key "$root\\CLSID\\$clsid"
  expect_no_key "$root\\TypeLib\\$libid"
  expect_no_key "$root\\Interface\\$iid"
  expect_no_key "$root\\CLSID\\$iid"
}

# Runs a script or program that prints closing line $1 last and exits 0.
run_checked() {
  local closing=$1
  shift
  wine_run "$@" >"$work/run.out" 2>"$work/run.err"
  local status=$?
  tr -d '\r' <"$work/run.out"
  if [ "$status" -ne 0 ] || ! tr -d '\r' <"$work/run.out" | grep -qx "$closing"; then
    fail "$* (exit $status)"
    cat "$work/run.err" >&2
  fi
}

echo "== regsvr32"
wine_run regsvr32 /s "$module" >/dev/null 2>&1 || fail "regsvr32 exited with $?"
check_registered HKCR

echo "== JScript pages"
# cscript reads an absolute Unix path as a switch: the pages go by name.
cp "$scripts"/*.js "$work/"
cd "$work" || exit 1
for page in conversation two_instances; do
  echo "-- $page.js"
  run_checked "com-${page//_/-}-done" cscript //nologo "$page.js" "$expected_uid"
done

echo "== com_client_check"
run_checked com-client-check-done "$client" "$expected_uid"

echo "== regsvr32 /u"
wine_run regsvr32 /s /u "$module" >/dev/null 2>&1 || fail "regsvr32 /u exited with $?"
check_unregistered HKCR
expect_key 'HKCR\AppID'
expect_key 'HKCR\CLSID'
expect_key "HKCR\\Component Categories\\$scripting"  # category definitions stay

echo "== regsvr32 /i:user /n"
wine_run regsvr32 /s /i:user /n "$module" >/dev/null 2>&1 ||
  fail "regsvr32 /i:user exited with $?"
check_registered 'HKCU\Software\Classes'
expect_no_key "HKLM\\Software\\Classes\\CLSID\\$clsid"
expect_no_key "HKLM\\Software\\Classes\\TypeLib\\$libid"
wine_run regsvr32 /s /u /i:user /n "$module" >/dev/null 2>&1 ||
  fail "regsvr32 /u /i:user exited with $?"
check_unregistered 'HKCU\Software\Classes'

if [ "$failures" -ne 0 ]; then
  echo "COM tests: $failures failed"
  exit 1
fi
echo "COM tests: passed"
exit 0

#!/bin/bash
# Tests Quill.msi: builds a test package (64-bit monitor, since Wine here
# runs no 32-bit code) and one of a lower version from finished builds,
# signed with a throw-away certificate made in the scratch folder, then:
#   1. the tables read back (msi_tables_check.sh), both packages;
#   2. osslsigncode verify of the package and of every .exe, .dll and .ocx
#      in it, with the test certificate (and an unsigned file refused);
#   3. under Wine, in a prefix of its own: a per-user install without the
#      AutoStart feature -> the keys under the user's classes, no machine
#      keys, no Run value; its uninstall;
#   4. a per-machine install -> every file in place, the control's keys in
#      both views, the browsers' host keys and manifests, the Run value; one
#      call through the installed control from JScript against a virtual
#      token; lumoMonitor.exe starting from its installed place; uninstall
#      -> files and keys gone;
#   5. the lower version installed, then this one: one product left.
#
#   run_msi_tests.sh QUILL_VTOKEN WIN32_BUILD WIN64_BUILD BROWSER_BUILD
#
# WIN32_BUILD / WIN64_BUILD: the Windows builds (targets quill_activex,
# lumo_monitor, plugreg in both; quill-host in the 64-bit one). BROWSER_BUILD:
# the browser folder of a native build (lumoPlugin.xpi, lumoPlugin.crx,
# extension-ids.json). Exit status 0 when every check passes. Starts its
# own Xvfb when DISPLAY is not set.
# shellcheck disable=SC2317  # the checks' functions are called through check
set -u

usage() {
  echo "usage: $0 QUILL_VTOKEN WIN32_BUILD WIN64_BUILD BROWSER_BUILD" >&2
  exit 2
}
[ $# -eq 4 ] || usage
vtoken=$(readlink -f "$1")
win32_build=$(readlink -f "$2")
win64_build=$(readlink -f "$3")
browser_build=$(readlink -f "$4")
here=$(dirname "$(readlink -f "$0")")
repo=$(dirname "$(dirname "$here")")
[ -x "$vtoken" ] || {
  echo "not an executable: $1" >&2
  exit 2
}

readonly version=3.2.0.1024
readonly old_version=3.1.0.1000
readonly uid=00112233445566778899aabbccddeeff0123456789abcdeffedcba9876543210
# shellcheck source=SCRIPTDIR/control_identity.sh
. "$here/control_identity.sh"
readonly host_name=com.quill.host
readonly run_key='Software\Microsoft\Windows\CurrentVersion\Run'
readonly run_timeout=120

work=$(mktemp -d)
monitor_pid=""
server_started=0
# shellcheck source=SCRIPTDIR/session_common.sh
. "$here/session_common.sh"
# shellcheck source=SCRIPTDIR/../../installer/signing.sh
. "$repo/installer/signing.sh"
# shellcheck disable=SC2317  # called by the EXIT trap
cleanup() {
  [ -n "$monitor_pid" ] && kill "$monitor_pid" 2>/dev/null
  stop_vtoken
  stop_wineserver
  stop_xvfb
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# shellcheck source=SCRIPTDIR/check_results.sh
. "$here/check_results.sh"

# ------------------------------------------------------------ the packages

echo "== building the test packages"
make_test_certificate "$work/cert" || {
  echo "FAIL: no test certificate" >&2
  exit 1
}
bash "$repo/installer/make-msi.sh" --test-build "$win32_build" "$win64_build" "$browser_build" \
  "$work/new/Quill.msi" || exit 1
bash "$repo/installer/make-msi.sh" --test-build --version "$old_version" "$win32_build" \
  "$win64_build" "$browser_build" "$work/old/Quill.msi" >/dev/null || exit 1

echo "== tables"
bash "$here/msi_tables_check.sh" "$work/new/Quill.msi" "$version" --test-build ||
  fail "tables of the $version package"
bash "$here/msi_tables_check.sh" "$work/old/Quill.msi" "$old_version" --test-build >/dev/null ||
  fail "tables of the $old_version package"

echo "== signatures"
verify() { osslsigncode verify -CAfile "$QUILL_SIGN_CERT" -in "$1" >"$work/verify.out" 2>&1; }
check "the package is signed" verify "$work/new/Quill.msi"
mkdir -p "$work/extracted"
(cd "$work/extracted" && msiextract ../new/Quill.msi >/dev/null) || fail "msiextract"
signed=0
while IFS= read -r -d '' binary; do
  signed=$((signed + 1))
  verify "$binary" || fail "not signed: ${binary#"$work/extracted/"}"
done < <(find "$work/extracted" -type f \( -iname '*.exe' -o -iname '*.dll' -o -iname '*.ocx' \) -print0)
check "every executable in the package is signed ($signed)" test "$signed" -ge 6
check "an unsigned file is refused" bash -c '! "$@" >/dev/null 2>&1' _ osslsigncode verify \
  -CAfile "$QUILL_SIGN_CERT" -in "$win64_build/control/com/lumoActiveX.x64.ocx"

# ------------------------------------------------------------------- Wine

echo "== starting the virtual token"
start_vtoken --token hid:A --uid "$uid" >/dev/null
expected_uid=$(uid_text "$uid")
if [ -z "${DISPLAY:-}" ]; then
  start_xvfb || exit 1
fi

prepare_wine_prefix

# msiexec with the package given by a relative path (an absolute Unix path
# would be read as a switch).
msiexec_in() {
  local folder=$1
  shift
  (cd "$folder" && wine_run msiexec "$@" >/dev/null 2>&1)
}

# One line per wrong value, under the check that groups them; false then.
expect_value() {
  local actual
  actual=$(reg_value "$1" "$2")
  [ "$actual" = "$3" ] || {
    echo "    $1 [${2:-default}] is '$actual', expected '$3'"
    return 1
  }
}
expect_key() { wine_run reg query "$1" >/dev/null 2>&1 || {
  echo "    missing key $1"
  return 1
}; }
expect_no_key() { ! wine_run reg query "$1" >/dev/null 2>&1 || {
  echo "    key left behind: $1"
  return 1
}; }

folder_unix="$WINEPREFIX/drive_c/Program Files/Quill"
folder='C:\Program Files\Quill'
ocx64="$folder\\IE\\lumoActiveX.x64.ocx"
ocx32="$folder\\IE\\lumoActiveX.win32.ocx"

# The class keys of one file in one view ($1: classes root, $2: "" or
# "Wow6432Node\", $3: the file).
class_keys_registered() {
  local root=$1 view=$2 module=$3 ok=0
  local class="$root\\${view}CLSID\\$clsid"
  expect_value "$class" "" "QuillActiveXCtrl Class" || ok=1
  expect_value "$class" AppID "$appid" || ok=1
  expect_value "$class\\ProgID" "" "$progid.1" || ok=1
  expect_value "$class\\VersionIndependentProgID" "" "$progid" || ok=1
  expect_key "$class\\Programmable" || ok=1
  expect_value "$class\\InprocServer32" "" "$module" || ok=1
  expect_value "$class\\InprocServer32" ThreadingModel Apartment || ok=1
  expect_key "$class\\Control" || ok=1
  expect_value "$class\\ToolboxBitmap32" "" "$module, 102" || ok=1
  expect_value "$class\\MiscStatus" "" 0 || ok=1
  expect_value "$class\\MiscStatus\\1" "" 132497 || ok=1
  expect_value "$class\\TypeLib" "" "$libid" || ok=1
  expect_value "$class\\Version" "" 1.0 || ok=1
  expect_key "$class\\Implemented Categories\\$scripting" || ok=1
  expect_key "$class\\Implemented Categories\\$initializing" || ok=1
  expect_value "$root\\${view}Interface\\$iid\\ProxyStubClsid32" "" "$iid" || ok=1
  expect_value "$root\\${view}CLSID\\$iid\\InProcServer32" "" "$module" || ok=1
  return "$ok"
}
shared_keys_registered() {
  local root=$1 ok=0
  expect_value "$root\\AppID\\$appid" "" "QuillActiveX" || ok=1
  expect_value "$root\\AppID\\QuillActiveX.DLL" AppID "$appid" || ok=1
  expect_value "$root\\$progid.1\\CLSID" "" "$clsid" || ok=1
  expect_value "$root\\$progid\\CLSID" "" "$clsid" || ok=1
  expect_value "$root\\$progid\\CurVer" "" "$progid.1" || ok=1
  expect_value "$root\\Component Categories\\$scripting" 409 \
    "Controls that are safely scriptable" || ok=1
  expect_value "$root\\TypeLib\\$libid\\1.0" "" "QuillActiveX 1.0 Type Library" || ok=1
  expect_value "$root\\TypeLib\\$libid\\1.0\\409\\win64" "" "$ocx64" || ok=1
  expect_value "$root\\TypeLib\\$libid\\1.0\\409\\win32" "" "$ocx32" || ok=1
  return "$ok"
}
host_keys_registered() {
  local root=$1 ok=0
  expect_value "$root\\Software\\Google\\Chrome\\NativeMessagingHosts\\$host_name" "" \
    "$folder\\$host_name.chromium.json" || ok=1
  expect_value "$root\\Software\\Microsoft\\Edge\\NativeMessagingHosts\\$host_name" "" \
    "$folder\\$host_name.chromium.json" || ok=1
  expect_value "$root\\Software\\Mozilla\\NativeMessagingHosts\\$host_name" "" \
    "$folder\\$host_name.firefox.json" || ok=1
  return "$ok"
}
# Every key the package writes is gone from classes root $1 and root $2.
all_keys_gone() {
  local classes=$1 root=$2 ok=0 key
  for key in "CLSID\\$clsid" "Wow6432Node\\CLSID\\$clsid" "CLSID\\$iid" "Wow6432Node\\CLSID\\$iid" \
    "Interface\\$iid" "Wow6432Node\\Interface\\$iid" "TypeLib\\$libid" "AppID\\$appid" \
    "AppID\\QuillActiveX.DLL" "$progid" "$progid.1"; do
    expect_no_key "$classes\\$key" || ok=1
  done
  for key in 'Software\Google\Chrome' 'Software\Microsoft\Edge' 'Software\Mozilla'; do
    expect_no_key "$root\\$key\\NativeMessagingHosts\\$host_name" || ok=1
  done
  [ "$(reg_value "$root\\$run_key" lumoMonitor)" = "<missing>" ] || {
    echo "    Run value left behind under $root"
    ok=1
  }
  # The parents stay, and so do the shared category definitions.
  [ "$root" = HKLM ] && { expect_key "$classes\\CLSID" || ok=1; }
  expect_value "$classes\\Component Categories\\$initializing" 409 \
    "Controls safely initializable from persistent data" || ok=1
  return "$ok"
}

# Every staged file installed, byte for byte.
files_in_place() {
  local ok=0 file
  while IFS= read -r -d '' file; do
    local relative=${file#"$work/new/stage/"}
    cmp -s "$file" "$folder_unix/$relative" || {
      echo "    not installed (or different): $relative"
      ok=1
    }
  done < <(find "$work/new/stage" -type f -print0)
  return "$ok"
}

manifest_names_ids() {
  local chrome firefox ok=0
  chrome=$(tr -d '\n' <"$browser_build/extension-ids.json" | sed -n 's/.*"chrome"[^"]*"\([^"]*\)".*/\1/p')
  firefox=$(tr -d '\n' <"$browser_build/extension-ids.json" | sed -n 's/.*"firefox"[^"]*"\([^"]*\)".*/\1/p')
  grep -q "\"chrome-extension://$chrome/\"" "$folder_unix/$host_name.chromium.json" || ok=1
  grep -q "\"$firefox\"" "$folder_unix/$host_name.firefox.json" || ok=1
  grep -q '"path": "quill-host.exe"' "$folder_unix/$host_name.chromium.json" || ok=1
  grep -q '"path": "quill-host.exe"' "$folder_unix/$host_name.firefox.json" || ok=1
  [ -f "$folder_unix/quill-host.exe" ] || ok=1
  [ "$ok" = 0 ] || echo "    manifests: $(cat "$folder_unix/$host_name".*.json 2>&1)"
  return "$ok"
}

cp "$here/msi_control_call.js" "$work/"
control_call() {
  (cd "$work" && wine_run cscript //nologo msi_control_call.js "$expected_uid") >"$work/call.out" 2>&1
  local status=$?
  tr -d '\r' <"$work/call.out" | grep '^FAIL' | sed 's/^/    /'
  [ "$status" -eq 0 ] && tr -d '\r' <"$work/call.out" | grep -qx msi-control-call-done
}

monitor_starts() {
  local log="$work/monitor.log"
  : >"$log"
  QUILL_MONITOR_LOG=$(winepath -w "$log" 2>/dev/null) \
    wine "$folder\\lumoMonitor.exe" </dev/null >/dev/null 2>&1 &
  monitor_pid=$!
  local started=1
  for _ in $(seq 200); do
    grep -q ' start tray=' "$log" 2>/dev/null && {
      started=0
      break
    }
    kill -0 "$monitor_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$monitor_pid" 2>/dev/null || started=1
  kill "$monitor_pid" 2>/dev/null
  wait "$monitor_pid" 2>/dev/null
  monitor_pid=""
  [ "$started" = 0 ] || echo "    monitor log: $(cat "$log")"
  return "$started"
}

# The product codes of both packages.
product_code() {
  msiinfo export "$1" Property | tr -d '\r' | awk -F'\t' '$1 == "ProductCode" { print $2 }'
}
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
installed() { wine_run reg query "$uninstall_key\\$1" >/dev/null 2>&1; }
not_installed() { ! installed "$1"; }

echo "== per-user install (without AutoStart)"
# Wine takes the context from ALLUSERS alone (MSIINSTALLPERUSER is not
# read), also at uninstall; a bare ALLUSERS= would swallow the next word.
# Wine's classes root does not include the user's classes, so the per-user
# control cannot be created there: its keys are checked, not called.
per_user='ALLUSERS=""'
check "msiexec /i ALLUSERS=\"\" ADDLOCAL=Quill succeeds" msiexec_in "$work/new" /i Quill.msi \
  /qn "$per_user" ADDLOCAL=Quill
check "64-bit control under the user's classes" class_keys_registered \
  'HKCU\Software\Classes' "" "$ocx64"
check "32-bit control under the user's classes, 32-bit view" class_keys_registered \
  'HKCU\Software\Classes' "Wow6432Node\\" "$ocx32"
check "shared keys under the user's classes" shared_keys_registered 'HKCU\Software\Classes'
check "browser host keys for the user" host_keys_registered HKCU
check "nothing in the machine's classes" expect_no_key "HKLM\\Software\\Classes\\CLSID\\$clsid"
check "no Run value without the AutoStart feature" test \
  "$(reg_value "HKCU\\$run_key" lumoMonitor)" = "<missing>"
check "per-user uninstall succeeds" msiexec_in "$work/new" /x Quill.msi /qn "$per_user"
check "per-user keys gone" all_keys_gone 'HKCU\Software\Classes' HKCU
check "no file left after the per-user uninstall" test ! -e "$folder_unix"

echo "== per-machine install"
check "msiexec /i /qn succeeds" msiexec_in "$work/new" /i Quill.msi /qn
check "every file in place" files_in_place
check "64-bit control in the 64-bit view" class_keys_registered 'HKLM\Software\Classes' "" "$ocx64"
check "32-bit control in the 32-bit view" class_keys_registered 'HKLM\Software\Classes' \
  "Wow6432Node\\" "$ocx32"
check "ProgIDs, AppID, categories, type library" shared_keys_registered 'HKLM\Software\Classes'
check "browser host keys for Chrome, Edge and Firefox" host_keys_registered HKLM
check "host manifests name the packaged ids and quill-host.exe beside them" manifest_names_ids
check "Run value for all users, quoted" test "$(reg_value "HKLM\\$run_key" lumoMonitor)" = \
  "\"$folder\\lumoMonitor.exe\""
check "one call through the installed control from JScript" control_call
check "lumoMonitor.exe starts from its installed place" monitor_starts
check "the product is registered" installed "$(product_code "$work/new/Quill.msi")"

echo "== uninstall"
check "msiexec /x /qn succeeds" msiexec_in "$work/new" /x Quill.msi /qn
check "no file and no folder left" test ! -e "$folder_unix"
check "every key gone, parents and category definitions kept" all_keys_gone 'HKLM\Software\Classes' HKLM
check "the product is gone" not_installed "$(product_code "$work/new/Quill.msi")"

echo "== major upgrade"
old_code=$(product_code "$work/old/Quill.msi")
new_code=$(product_code "$work/new/Quill.msi")
check "the two versions have two product codes" test "$old_code" != "$new_code"
check "$old_version installs" msiexec_in "$work/old" /i Quill.msi /qn
check "$old_version is registered" installed "$old_code"
check "$version installs over it" msiexec_in "$work/new" /i Quill.msi /qn
only_new_installed() { not_installed "$old_code" && installed "$new_code"; }
check "one product left: $version" only_new_installed
check "files of $version in place after the upgrade" files_in_place
check "the control keys survive the upgrade" class_keys_registered 'HKLM\Software\Classes' "" "$ocx64"
refuses_downgrade() { ! msiexec_in "$work/old" /i Quill.msi /qn; }
check "$old_version refuses to install over $version" refuses_downgrade
check "still one product after the refused downgrade: $version" only_new_installed
uninstall_leaves_no_file() { msiexec_in "$work/new" /x Quill.msi /qn && [ ! -e "$folder_unix" ]; }
check "uninstall after the upgrade leaves no file" uninstall_leaves_no_file
check "no key left after the upgrade's uninstall" all_keys_gone 'HKLM\Software\Classes' HKLM

if [ "$failures" -ne 0 ]; then
  echo "MSI tests: $failures failed"
  exit 1
fi
echo "MSI tests: passed"
exit 0

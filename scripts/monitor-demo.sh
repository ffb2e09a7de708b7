#!/usr/bin/env bash
# lumoMonitor on a virtual token, under Wine on a virtual X display: the token
# is plugged in with a logon URL, the monitor opens it (in a recorder standing
# in for the browser), shows its pages, and asks whether to lock when the
# token is pulled out. Screenshots of each step go to build/monitor-demo/.
#
#   bash scripts/monitor-demo.sh
#
# Works on a fresh Debian 12 machine as root: installs the packages, builds
# the virtual token and the quill tool (native) and the monitor with its test
# helpers (64-bit Windows), then runs everything in a temporary Wine prefix
# that it removes at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)

bash scripts/install-deps.sh
echo "Building the virtual token and the quill tool (native)..."
cmake --preset linux-debug >/dev/null
cmake --build --preset linux-debug -j2 --target quill-vtoken quill >/dev/null
echo "Building the monitor and its helpers (64-bit Windows)..."
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j2 --target lumo_monitor quill_vpresence monitor_driver recorder \
  >/dev/null

# shellcheck disable=SC2034  # read by start_vtoken
vtoken=$repo/build/linux-debug/vtoken/quill-vtoken
quill_tool=$repo/build/linux-debug/tools/quill/quill
win64=$repo/build/win64
driver_exe=$win64/monitor/wine_tests/monitor_driver.exe
vpresence_exe=$win64/monitor/virtual_presence/quill-vpresence.exe
recorder_exe=$win64/monitor/wine_tests/recorder.exe
shots=$repo/build/monitor-demo
mkdir -p "$shots"
readonly url_template='https://logon.example/quill?id={ID}'

set +e # the steps below report their own outcome
work=$(mktemp -d)
server_started=0
# shellcheck source=SCRIPTDIR/../tests/wine/session_common.sh
. tests/wine/session_common.sh
# shellcheck source=SCRIPTDIR/../tests/wine/monitor_session.sh
. tests/wine/monitor_session.sh
fail() { echo "warning: $*"; }
# shellcheck disable=SC2317  # called by the EXIT trap
cleanup() {
  stop_desktop_session
  stop_vtoken
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

step() { printf '\n== %s\n' "$*"; }

step "Starting Wine on a virtual X display (about half a minute)"
start_desktop_session || exit 1
mkdir -p "$work/monitor" "$work/browsers"
cp "$win64/monitor/win32/lumoMonitor.exe" "$work/monitor/"
cp "$recorder_exe" "$work/browsers/browser.exe"
monitor_win=$(winpath "$work/monitor/lumoMonitor.exe")
export QUILL_RECORDER_LOG
QUILL_RECORDER_LOG=$(winpath "$work/recorder.log")
: >"$work/recorder.log"

step "A virtual token (HID, model A) with the logon URL $url_template"
start_vtoken --token hid:A --control 0
control_port=$(awk '$1 == "control" { split($2, a, ":"); print a[2] }' "$work/vtoken.ready")
"$quill_tool" keyinfo set --url "$url_template" --name "Demo key" --description "Quill demo" \
  --model-bytes 0000000000000000 --login --password 12345678 2>/dev/null | sed 's/^/  /'

step "The browser: HKCR\\HTTP\\shell\\open\\command names a recorder (32-bit view)"
browser_win=$(winpath "$work/browsers/browser.exe")
timeout 30 wine reg add 'HKCR\HTTP\shell\open\command' /ve /d "\"$browser_win\" \"%1\"" /f /reg:32 \
  </dev/null >/dev/null 2>&1
echo "  \"$browser_win\" \"%1\""

step "The bridge: quill-vpresence turns plugging and unplugging into device notifications"
start_vpresence && echo "  $(head -n1 "$work/vpresence.out" | tr -d '\r')"

step "Starting lumoMonitor with the token plugged in"
start_monitor demo >/dev/null
wait_log "start tray=yes refresh=0" 15 >/dev/null
if wait_recorded browser 1 10; then
  echo "  the logon URL opened in the browser, whose command line was:"
  echo "    $(recorded browser | head -n1)"
else
  echo "  the browser was not started"
fi
drv wait "$main_class" "$main_caption" 5000 hidden >/dev/null && echo "  the main window hid itself"
shot demo-tray

step "The main window (tray icon double-clicked): Basic and Advanced pages"
if open_main; then
  drv rows "$main_class" "$main_caption" | awk -F'\t' '{ printf "  %-28s %s\n", $2, $3 }'
  shot demo-basic
  drv tab "$main_class" "$main_caption" 1 >/dev/null && shot demo-advanced
  drv tab "$main_class" "$main_caption" 0 >/dev/null
  drv syscommand "$main_class" "$main_caption" close >/dev/null
fi

step "Pulling the token out (virtual token control: unplug 0)"
echo "  $(vtoken_control unplug 0)"
if drv wait '#32770' Information 10000 shown; then
  echo "  the monitor asks: $(drv text '#32770' Information static)"
  shot demo-lock-question
  drv click '#32770' Information 1012 >/dev/null
  echo "  answered OK"
  if drv wait '#32770' '' 5000 shown; then
    echo "  Wine cannot lock the workstation: \"$(box_text '')\""
    shot demo-lock-error
    drv command '#32770' '' 1 >/dev/null
  fi
else
  echo "  no lock question appeared"
fi

step "Plugging it back in (virtual token control: plug 0)"
echo "  $(vtoken_control plug 0)"
wait_log "arrival wait: token found" 15 >/dev/null && echo "  the monitor saw it arrive"
sleep 1
echo "  quill-vpresence said:"
tr -d '\r' <"$work/vpresence.out" | sed 's/^/    /'

step "Ending the monitor (Esc in its window)"
end_monitor

step "The monitor's diagnostic log"
sed 's/^/  /' "$log"

step "Screenshots in $shots"
printf "  %s\n" "$shots"/demo-*.png

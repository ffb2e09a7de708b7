#!/usr/bin/env bash
# The remote-desktop token relay, under Wine on a virtual X display:
# lumoMonitor believes it runs in a remote session (QUILL_VIRTUAL_CHANNEL
# names a loopback channel), and quill-relay-client plays the client machine,
# holding a virtual token. On every 3-second tick the monitor asks the client
# whether the token is attached; when the token is pulled out on the client,
# the monitor tries to lock the session on the next tick (under Wine the lock
# call fails with 120). The monitor's diagnostic log, the client's output and
# screenshots (the log open in Notepad beside the monitor) go to
# build/relay-screenshots/.
#
#   bash scripts/relay-demo.sh
#
# Works on a fresh Debian 12 machine as root: installs the packages, builds
# the virtual token and quill-relay-client (native) and the monitor with its
# window driver (64-bit Windows), then runs everything in a temporary Wine
# prefix that it removes at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)

bash scripts/install-deps.sh
echo "Building the virtual token and quill-relay-client (native)..."
cmake --preset linux-debug >/dev/null
cmake --build --preset linux-debug -j2 --target quill-vtoken quill-relay-client >/dev/null
echo "Building the monitor and its window driver (64-bit Windows)..."
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j2 --target lumo_monitor monitor_driver >/dev/null

# shellcheck disable=SC2034  # read by start_vtoken
vtoken=$repo/build/linux-debug/vtoken/quill-vtoken
# shellcheck disable=SC2034  # read by start_relay_client
relay_client=$repo/build/linux-debug/monitor/relay/quill-relay-client
win64=$repo/build/win64
driver_exe=$win64/monitor/wine_tests/monitor_driver.exe
shots=$repo/build/relay-screenshots
mkdir -p "$shots"
rm -f "$shots"/relay-*.png "$shots"/monitor.log "$shots"/client.txt

set +e # the steps below report their own outcome
work=$(mktemp -d)
server_started=0
# shellcheck source=SCRIPTDIR/../tests/wine/session_common.sh
. tests/wine/session_common.sh
# shellcheck source=SCRIPTDIR/../tests/wine/monitor_session.sh
. tests/wine/monitor_session.sh
# shellcheck source=SCRIPTDIR/../tests/wine/relay_session.sh
. tests/wine/relay_session.sh
fail() { echo "warning: $*"; }
notepad_pid=""
# shellcheck disable=SC2317  # called by the EXIT trap and close_notepad
close_notepad() {
  if [ -n "$notepad_pid" ]; then
    kill "$notepad_pid" 2>/dev/null
    wait "$notepad_pid" 2>/dev/null
    notepad_pid=""
  fi
}
# shellcheck disable=SC2317  # called by the EXIT trap
cleanup() {
  close_notepad
  stop_relay_client
  stop_desktop_session
  stop_vtoken
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

step() { printf '\n== %s\n' "$*"; }

# Prints the monitor's log lines and the client's lines not printed yet.
printed_log=0
printed_client=0
print_new_lines() {
  local lines count
  lines=$(log_lines)
  count=$(grep -c . <<<"$lines")
  if [ "$count" -gt "$printed_log" ]; then
    tail -n +$((printed_log + 1)) <<<"$lines" | sed 's/^/  monitor: /'
    printed_log=$count
  fi
  count=$(grep -c . "$relay_output" 2>/dev/null)
  if [ "${count:-0}" -gt "$printed_client" ]; then
    tail -n +$((printed_client + 1)) "$relay_output" | sed 's/^/  client:  /'
    printed_client=$count
  fi
}
# follow SECONDS [LINE]: prints new lines as they come, for SECONDS or until
# the log holds LINE.
follow() {
  local end=$((SECONDS + $1))
  while [ "$SECONDS" -lt "$end" ]; do
    print_new_lines
    if [ -n "${2:-}" ] && has_log "$2"; then
      print_new_lines
      return 0
    fi
    sleep 0.2
  done
  print_new_lines
  [ -z "${2:-}" ]
}
# screenshot NAME: the log so far open in Notepad beside the monitor, then
# the whole virtual desktop.
screenshot() {
  close_notepad
  log_lines >"$work/$1.txt"
  wine notepad.exe "$(winpath "$work/$1.txt")" </dev/null >/dev/null 2>&1 &
  notepad_pid=$!
  drv wait Notepad '*' 10000 shown >/dev/null || echo "  (Notepad did not appear)"
  shot "$1"
}

step "Starting Wine on a virtual X display (about half a minute)"
start_desktop_session || exit 1
mkdir -p "$work/monitor"
cp "$win64/monitor/win32/lumoMonitor.exe" "$work/monitor/"
monitor_win=$(winpath "$work/monitor/lumoMonitor.exe")

# Notepad, which shows the log in the screenshots, in a strip left of the
# monitor's centred window.
for setting in iWindowPosX:0 iWindowPosY:0 iWindowPosDX:296 iWindowPosDY:760; do
  timeout 30 wine reg add 'HKCU\Software\Microsoft\Notepad' /v "${setting%%:*}" /t REG_DWORD \
    /d "${setting##*:}" /f </dev/null >/dev/null 2>&1
done

step "The client machine: a virtual token (HID, model A) and quill-relay-client"
start_vtoken --token hid:A --control 0
control_port=$(awk '$1 == "control" { split($2, a, ":"); print a[2] }' "$work/vtoken.ready")
client_tokens=$(awk '$1 == "token" { print $5 }' "$work/vtoken.ready" | paste -sd, -)
# The token is plugged into the client: the server sees none of its own.
unset QUILL_VIRTUAL_TOKENS
start_relay_client client "$client_tokens" || exit 1
echo "  quill-relay-client answers from the token at $client_tokens"
echo "  and listens at $relay_endpoint: the stand-in for the channel \"_QLCHN\""

step "lumoMonitor in a \"remote session\": QUILL_VIRTUAL_CHANNEL=$relay_endpoint"
QUILL_VIRTUAL_CHANNEL=$relay_endpoint start_monitor relay >/dev/null
follow 10 "remote check: session=yes find=0"
echo "  (one tick every 3 seconds; each asks the client FIND)"
follow 7
if open_main; then
  echo "  the main window, shown as the tray icon's double-click would"
fi
screenshot relay-token-attached

step "Pulling the token out on the client (virtual token control: unplug 0)"
echo "  $(vtoken_control unplug 0)"
if follow 6 "remote lock failed: error=120"; then
  echo "  the monitor tried to lock the session on the next tick (Wine cannot lock: error 120)"
else
  echo "  no lock attempt was logged within one tick: see the log below"
fi
screenshot relay-lock-attempt

step "Plugging it back in (virtual token control: plug 0)"
close_notepad
echo "  $(vtoken_control plug 0)"
follow 7

step "Ending the monitor (Esc in its window) and the client"
end_monitor
stop_relay_client
print_new_lines
cp "$log" "$shots/monitor.log"
cp "$relay_output" "$shots/client.txt"

step "Where everything is"
echo "  the monitor's diagnostic log:   $shots/monitor.log"
echo "  quill-relay-client's output:    $shots/client.txt"
echo "  screenshots (log in Notepad beside the monitor):"
printf "    %s\n" "$shots"/relay-*.png
echo "  the Wine prefix, the virtual token and the X display are removed now"

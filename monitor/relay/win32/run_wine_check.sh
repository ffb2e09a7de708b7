#!/usr/bin/env bash
# Runs the relay's Windows build under Wine: a console session (the platform
# channel, nothing opened), then every request over the loopback channel to
# the native quill-relay-client, which answers from a virtual token.
#
#   bash monitor/relay/win32/run_wine_check.sh NATIVE_BUILD WINDOWS_BUILD
#
# NATIVE_BUILD holds vtoken/quill-vtoken and monitor/relay/quill-relay-client;
# WINDOWS_BUILD holds monitor/relay/relay_wine_check.exe. Prints PASS/FAIL
# lines; exit status 1 when anything fails.
set -uo pipefail

native="$(cd "${1:?native build folder}" && pwd)"
windows="$(cd "${2:?Windows build folder}" && pwd)"
vtoken="$native/vtoken/quill-vtoken"
client="$native/monitor/relay/quill-relay-client"
check="$windows/monitor/relay/relay_wine_check.exe"
for program in "$vtoken" "$client" "$check"; do
  [ -x "$program" ] || [ -f "$program" ] || { echo "FAIL: $program is missing"; exit 1; }
done

work=$(mktemp -d)
client_pid=""
server_started=0
# shellcheck source=SCRIPTDIR/../../../tests/wine/session_common.sh
. "$(dirname "$0")/../../../tests/wine/session_common.sh"
cleanup() {
  [ -n "$client_pid" ] && kill "$client_pid" 2>/dev/null
  stop_vtoken
  stop_wineserver
  rm -rf "$work"
}
trap cleanup EXIT

start_vtoken --token hid:A
uid=$(uid_text "$(awk 'BEGIN { for (k = 0; k < 32; ++k) printf "%02x", (k * 7 + 1) % 256 }')")

"$client" --port 0 >"$work/client.out" 2>"$work/client.err" &
client_pid=$!
for _ in $(seq 50); do
  grep -q '^listening ' "$work/client.out" 2>/dev/null && break
  sleep 0.1
done
endpoint=$(awk '/^listening / { print $2; exit }' "$work/client.out")
[ -n "$endpoint" ] || { echo "FAIL: quill-relay-client did not listen"; cat "$work/client.err"; exit 1; }

export WINEPREFIX="$work/pfx" WINEARCH=win64 WINEDEBUG=-all,err+module WINEDLLOVERRIDES="mscoree,mshtml="
wine wineboot -i </dev/null >/dev/null 2>&1
wineserver -w
wineserver -p
server_started=1

status=0
env -u QUILL_VIRTUAL_CHANNEL wine "$check" console </dev/null 2>/dev/null | tr -d '\r' || status=1
QUILL_VIRTUAL_CHANNEL="$endpoint" wine "$check" loopback "$uid" </dev/null 2>/dev/null | tr -d '\r' || status=1
echo "quill-relay-client said:"
sed 's/^/  /' "$work/client.out"
exit "$status"

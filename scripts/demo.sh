#!/usr/bin/env bash
# The native-messaging host on a virtual token: start a token, then hold a
# script's conversation with it through quill-host (framed JSON on the host's
# standard input and output, as a browser extension holds it), printing each
# request and reply, and stop.
set -euo pipefail
cd "$(dirname "$0")/.."

# shellcheck source=SCRIPTDIR/lib/cmake_build.sh
. scripts/lib/cmake_build.sh
bash scripts/install-deps.sh --native >/dev/null
echo "Building (release)..."
configure_build build/linux-release
build_targets build/linux-release quill-host quill-host-client quill-vtoken

host=build/linux-release/control/host/quill-host
client=build/linux-release/control/host/client/quill-host-client
vtoken=build/linux-release/vtoken/quill-vtoken
# shellcheck source=SCRIPTDIR/lib/virtual_token.sh
. scripts/lib/virtual_token.sh
make_scratch_folder

echo
echo "== Start a virtual token (a HID token of model A, password 12345678)"
start_vtoken --token hid:A --password 12345678

echo
echo "== Talk to the token through quill-host"
echo "(\"->\" is a request as the extension sends it, \"<-\" the host's reply)"
# The client reads one request per line and prints "-> request" and
# "<- reply"; it runs beside this script, fed through a pipe, so that a reply
# can shape a later request.
mkfifo "$work/requests" "$work/replies"
exec 3<>"$work/requests" 4<>"$work/replies"
"$client" "$host" "$work/requests" >"$work/replies" 2>&1 3>&- 4<&- &
client_pid=$!
ask() {  # sends one request and prints it and its reply; the reply stays in $reply
  local request_line
  printf '%s\n' "$1" >&3
  IFS= read -r -t 30 request_line <&4
  IFS= read -r -t 30 reply <&4
  printf '\n%s\n%s\n' "$request_line" "$reply"
}
result_text() { sed -n 's/.*"result":"\([^"]*\)".*/\1/p' <<<"$reply"; }

echo
echo "-- Is a token there, and which one?"
ask '{"id":1,"call":"QuillCheckExist"}'
ask '{"id":2,"call":"QuillGetUID"}'

echo
echo "-- A wrong password, and the reason the token gave (522: wrong password)"
ask '{"id":3,"call":"QuillOpen","args":["wrong-password"]}'
ask '{"id":4,"call":"QuillGetLastError"}'

echo
echo "-- The right password"
ask '{"id":5,"call":"QuillOpen","args":["12345678"]}'

echo
echo "-- The token's keyed SHA-1 of a challenge, and the name in its key information (empty on a new token)"
ask '{"id":6,"call":"QuillSHA1WithSeed","args":["challenge-0042"]}'
ask '{"id":7,"get":"Name"}'

echo
echo "-- Write to the user storage and read it back"
ask '{"id":8,"call":"QuillWriteUserStorage","args":["Hello from the host demo"]}'
ask '{"id":9,"call":"QuillReadUserStorage","args":[24]}'

echo
echo "-- Encrypt a text inside the token and decrypt it again"
ask '{"id":10,"call":"QuillDataEncrypt","args":["a secret note"]}'
cipher=$(result_text)
ask "{\"id\":11,\"call\":\"QuillDataDecrypt\",\"args\":[\"$cipher\"]}"

echo
echo "-- A request the host cannot run gets an error reply, and the host goes on"
ask '{"id":12,"call":"QuillNoSuchMember"}'
ask '{"id":13,"call":"QuillClose"}'

exec 3>&-
wait "$client_pid" || { echo "quill-host-client failed"; exit 1; }

echo
echo "== Stop the virtual token"
stop_vtoken
echo "Host demo finished."

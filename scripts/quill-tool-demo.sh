#!/usr/bin/env bash
# A tour of the middleware on a virtual token: start one, list it, show it,
# log in with a wrong and then the right password, write and read back
# storage, encrypt and decrypt a text, and stop.
set -euo pipefail
cd "$(dirname "$0")/.."

# shellcheck source=SCRIPTDIR/lib/cmake_build.sh
. scripts/lib/cmake_build.sh
bash scripts/install-deps.sh --native >/dev/null
echo "Building (release)..."
configure_build build/linux-release
build_targets build/linux-release quill quill-vtoken

quill=build/linux-release/tools/quill/quill
vtoken=build/linux-release/vtoken/quill-vtoken
# shellcheck source=SCRIPTDIR/lib/virtual_token.sh
. scripts/lib/virtual_token.sh
make_scratch_folder

show() {  # prints a command, then runs it
  printf '\n$ %s\n' "$*"
  "$@"
}

echo
echo "== Start a virtual token (a HID token of model A, password 12345678)"
start_vtoken --token hid:A --password 12345678

echo
echo "== List it and show its information"
show "$quill" list
show "$quill" info

echo
echo "== Log in with a wrong password, then the right one"
printf '\n$ echo wrong-password | quill login\n'
echo wrong-password | "$quill" login || echo "(exit status $?: the token refused it)"
printf '\n$ echo 12345678 | quill login\n'
echo 12345678 | "$quill" login

echo
echo "== Write to the user storage and read it back"
show "$quill" storage write --area user --offset 0 --text "Hello from the demo"
show "$quill" storage read --area user --offset 0 --length 19 --hex
printf '\n$ quill storage read --area user --offset 0 --length 19 --out read.bin && cat read.bin\n'
"$quill" storage read --area user --offset 0 --length 19 --out "$work/read.bin"
cat "$work/read.bin"
echo

echo
echo "== Encrypt a text inside the token and decrypt it again"
printf '\n$ quill encrypt --text "a secret note"\n'
cipher=$("$quill" encrypt --text "a secret note")
echo "$cipher"
printf '\n$ quill decrypt --hex %s --out plain.txt\n' "$cipher"
"$quill" decrypt --hex "$cipher" --out "$work/plain.txt"
cat "$work/plain.txt"
echo

echo
echo "== Stop the virtual token"
stop_vtoken
echo "Demo finished."

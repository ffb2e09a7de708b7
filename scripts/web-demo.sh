#!/usr/bin/env bash
# The token from a web page: a sample page (browser/demo/) served on
# 127.0.0.1 talks to a virtual token through quill.js, the browser extension
# and quill-host in headless Chromium. The page's origin is pre-allowed by a
# machine policy file (QUILL_POLICY_FILE) in the demo's work folder, so no
# consent prompt appears. Prints what the page shows and saves a screenshot to
# build/web-demo/.
set -euo pipefail
cd "$(dirname "$0")/.."

echo "Installing what the demo needs (Debian packages)..."
bash scripts/install-deps.sh >/dev/null
build=${QUILL_WEB_DEMO_BUILD:-build/linux-debug}
echo "Building quill-host, quill-vtoken and the extension in $build..."
if [ "$build" = build/linux-debug ]; then
  cmake --preset linux-debug >/dev/null
else
  cmake -S . -B "$build" >/dev/null
fi
cmake --build "$build" -j2 --target quill-host quill-vtoken quill_extension >/dev/null

vtoken=$build/vtoken/quill-vtoken
work=$(mktemp -d)
# shellcheck source=SCRIPTDIR/lib/virtual_token.sh
. scripts/lib/virtual_token.sh
cleanup() {
  stop_vtoken
  rm -rf "$work"
}
trap cleanup EXIT

echo
echo "== Start a virtual token (a HID token of model A, password 12345678)"
start_vtoken --token hid:A --password 12345678

echo
echo "== Open the demo page in headless Chromium with the extension"
mkdir -p build/web-demo
if ! node browser/demo/run-demo.mjs "$build" "$work" build/web-demo/web-demo.png; then
  echo "FAIL: the demo page did not get the expected answers" >&2
  exit 1
fi

echo
echo "== Stop the virtual token"
stop_vtoken
echo "Web demo finished."

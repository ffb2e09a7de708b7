#!/usr/bin/env bash
# The token from a web page: a sample page (browser/demo/) served on
# 127.0.0.1 talks to a virtual token through quill.js, the browser extension
# and quill-host in headless Chromium. The page's origin is pre-allowed by a
# machine policy file (QUILL_POLICY_FILE) in the demo's work folder, so no
# consent prompt appears. Prints what the page shows and saves a screenshot to
# build/web-demo/.
set -euo pipefail
cd "$(dirname "$0")/.."

# shellcheck source=SCRIPTDIR/lib/cmake_build.sh
. scripts/lib/cmake_build.sh
echo "Installing what the demo needs (Debian packages)..."
bash scripts/install-deps.sh >/dev/null
build=${QUILL_WEB_DEMO_BUILD:-build/linux-debug}
echo "Building quill-host, quill-vtoken and the extension in $build..."
configure_build "$build"
build_targets "$build" quill-host quill-vtoken quill_extension

vtoken=$build/vtoken/quill-vtoken
# shellcheck source=SCRIPTDIR/lib/virtual_token.sh
. scripts/lib/virtual_token.sh
make_scratch_folder

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

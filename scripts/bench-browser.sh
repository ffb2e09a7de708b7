#!/usr/bin/env bash
# The browser's cost per member call: QuillGetUID against a virtual token from
# a page (quill.js, the extension, quill-host) in headless Chromium and Firefox
# ESR, beside the same request written straight to quill-host; prints the
# medians of 100 calls and the difference against the goal (<= 2 ms on top).
#   bench-browser.sh [BUILD_DIR]     default build/linux-release
# QUILL_BENCH_FIREFOX=0 leaves Firefox out.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/linux-release}
if [ "$build" = build/linux-release ]; then
  bash scripts/install-deps.sh >/dev/null
  cmake --preset linux-release >/dev/null
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

start_vtoken --token hid:A >/dev/null
node bench/browser/member_call_bench.mjs "$build" 100

#!/usr/bin/env bash
# The browser's cost per member call: QuillGetUID against a virtual token from
# a page (quill.js, the extension, quill-host) in headless Chromium and Firefox
# ESR, beside the same request written straight to quill-host; prints the
# medians of 100 calls and the difference against the goal (<= 2 ms on top).
#   bench-browser.sh [BUILD_DIR]     default build/linux-release
# QUILL_BENCH_FIREFOX=0 leaves Firefox out.
set -euo pipefail
cd "$(dirname "$0")/.."

# shellcheck source=SCRIPTDIR/lib/cmake_build.sh
. scripts/lib/cmake_build.sh
build=${1:-build/linux-release}
if [ "$build" = build/linux-release ]; then
  bash scripts/install-deps.sh >/dev/null
  configure_build "$build"
fi
build_targets "$build" quill-host quill-vtoken quill_extension

vtoken=$build/vtoken/quill-vtoken
# shellcheck source=SCRIPTDIR/lib/virtual_token.sh
. scripts/lib/virtual_token.sh
make_scratch_folder

start_vtoken --token hid:A >/dev/null
node bench/browser/member_call_bench.mjs "$build" 100

#!/usr/bin/env bash
# Runs the browser tests (ctest label `browser`) of a configured build folder:
# headless Chromium and Firefox ESR with the extension, a local page and
# virtual tokens. Builds what they need first.
#   run-browser-tests.sh BUILD_DIR
set -euo pipefail
if [ $# -ne 1 ]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
build=$1
cd "$(dirname "$0")/.."

cmake --build "$build" -j2 --target quill-host quill-vtoken quill_extension
if ! ctest --test-dir "$build" -N -L browser | grep -q 'Total Tests: [1-9]'; then
  echo "FAIL: $build has no browser tests (node, chromium or firefox-esr missing at configure?)" >&2
  exit 1
fi
ctest --test-dir "$build" -L browser --output-on-failure
echo "Screenshots: $build/browser-screenshots/"

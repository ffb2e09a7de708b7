#!/usr/bin/env bash
# Builds the native tests with AddressSanitizer and UndefinedBehaviorSanitizer
# (no recovery: the first finding ends the test) in build/linux-asan and runs
# them all.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS
cmake --preset linux-asan >/dev/null
cmake --build --preset linux-asan -j2
echo "built under the sanitizers in $((SECONDS - started)) s"
tested=$SECONDS
# The extension's Node tests and the real-browser tests add nothing under
# the sanitizers; they run in the native suite.
ctest --preset linux-asan -j2 -LE 'browser|extension'
echo "tested under the sanitizers in $((SECONDS - tested)) s"

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
ctest --preset linux-asan -j2
echo "tested under the sanitizers in $((SECONDS - tested)) s"

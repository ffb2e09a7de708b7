#!/usr/bin/env bash
# Builds everything and runs every test: the native build with its unit and
# loopback tests, both Windows cross builds, and the Windows check under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

step() { printf '\n== %s\n' "$*"; }
started=$SECONDS

step "Installing packages"
bash scripts/install-deps.sh

step "Native build (tests and benchmarks)"
cmake --preset linux-debug >/dev/null
cmake --build --preset linux-debug -j2

step "Native tests"
ctest --preset linux-debug -j2

step "Windows 64-bit build"
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j2

step "Windows 32-bit build"
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j2

step "Windows check under Wine (64-bit)"
win64=build/win64/tokenlib/ports/win32
bash tests/wine/run_wine_check.sh --port-check "$win64/wine_port_check.exe" \
  build/linux-debug/vtoken/quill-vtoken "$win64/wine_uid_check.exe"

step "All tests passed in $((SECONDS - started)) s"

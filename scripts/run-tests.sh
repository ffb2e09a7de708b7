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

vtoken=build/linux-debug/vtoken/quill-vtoken

step "Windows token library under Wine (64-bit)"
ports=build/win64/tokenlib/ports/win32
bash tests/wine/run_wine_check.sh --port-check "$ports/wine_port_check.exe" \
  "$vtoken" "$ports/wine_uid_check.exe"

step "COM server under Wine: registration, scripting, client checks"
bash tests/wine/run_com_tests.sh "$vtoken" build/win64/control/com

step "Login dialog under Wine and Xvfb (English and Chinese)"
bash tests/wine/run_dialog_tests.sh "$vtoken" build/win64/control/com/dialog/dialog_driver.exe

step "All tests passed in $((SECONDS - started)) s"

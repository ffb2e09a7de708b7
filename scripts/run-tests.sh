#!/usr/bin/env bash
# Builds everything and runs every test: the native build with its unit and
# loopback tests (the browser extension's tests and the tests in real
# headless Chromium and Firefox among them), the sanitizer runs and the fuzz
# targets, both Windows cross builds, the Windows programs under Wine (token
# library, COM server, login dialog, the tray monitor, the remote-desktop relay
# and its add-in, the host's registry policy), and the installer.
set -euo pipefail
cd "$(dirname "$0")/.."

step() { printf '\n== %s\n' "$*"; }
started=$SECONDS

step "Installing packages"
bash scripts/install-deps.sh

step "Native build (tests and benchmarks)"
cmake --preset linux-debug >/dev/null
cmake --build --preset linux-debug -j2

step "Native tests (with the extension's tests and the real-browser tests)"
ctest --preset linux-debug -j2

step "Thread-safety test under ThreadSanitizer"
bash scripts/run-tsan-tests.sh

step "Native tests under AddressSanitizer and UndefinedBehaviorSanitizer"
bash scripts/run-asan-tests.sh

step "Fuzz targets (bounded runs)"
bash scripts/run-fuzz-ci.sh

step "Windows 64-bit build"
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j2

# 32-bit code cannot run on these machines: the 32-bit build makes the
# shipped programs only (the test programs run in their 64-bit builds).
step "Windows 32-bit build (the shipped programs)"
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j2 --target lumo_monitor plugreg quill_activex quill-host \
  quill_relay_addin quill_vpresence

vtoken=build/linux-debug/vtoken/quill-vtoken

step "Windows token library under Wine (64-bit)"
ports=build/win64/tokenlib/ports/win32
bash tests/wine/run_wine_check.sh --port-check "$ports/wine_port_check.exe" \
  "$vtoken" "$ports/wine_uid_check.exe"

step "COM server under Wine: registration, scripting, client checks"
bash tests/wine/run_com_tests.sh "$vtoken" build/win64/control/com

step "Login dialog under Wine and Xvfb (English and Chinese)"
bash tests/wine/run_dialog_tests.sh "$vtoken" build/win64/control/com/dialog/dialog_driver.exe

step "Tray monitor under Wine and Xvfb: ports, shell, the program against virtual tokens"
bash tests/wine/run_monitor_tests.sh "$vtoken" build/linux-debug/tools/quill/quill build/win32 build/win64

step "Remote-desktop relay under Wine: lumoMonitor and quill-relay-client"
bash tests/wine/run_relay_tests.sh "$vtoken" build/linux-debug/monitor/relay/quill-relay-client build/win64

step "Remote-desktop client add-in under Wine"
bash tests/wine/run_addin_tests.sh build/win64 "$vtoken"

step "The host's registry policy under Wine"
bash control/host/tests/wine/run_policy_test.sh build/win64/control/host/quill-host.exe

step "Installer: Quill.msi built, signed, its tables read back"
bash scripts/build-msi.sh --browser build/linux-debug/browser

step "Installer under Wine: install, script, upgrade, uninstall"
bash tests/wine/run_msi_tests.sh "$vtoken" build/win32 build/win64 build/linux-debug/browser

step "All tests passed in $((SECONDS - started)) s"

#!/bin/bash
# Builds the Windows installer build/msi/Quill.msi from a checkout: the
# browser extension packages (native build), both Windows builds, the
# shipping folder, the package, signatures; then reads its tables back.
#
#   scripts/build-msi.sh [--test-build] [--browser BROWSER_BUILD] [--out FILE]
#
# --browser  take the extension packages and ids from this folder (the
#            browser folder of a native build) instead of building them in
#            ${QUILL_NATIVE_BUILD:-build/linux-debug} (target quill_extension)
# --test-build  carry the 64-bit monitor (for the Wine tests only)
# --out      the package (default build/msi/Quill.msi); the staged tree, the
#            generated Quill.wxs and, without a certificate, the throw-away
#            test certificate go beside it
# Signing: QUILL_SIGN_CERT + QUILL_SIGN_KEY (PEM), or QUILL_SIGN_PFX, with
# QUILL_SIGN_PASSWORD when the key needs one; without them a throw-away
# self-signed certificate is made (good for tests, not for shipping).
# Configures the presets win32, win64 (and the native one) when their build
# folders are not configured yet, and builds only the targets it needs.
set -eu

cd "$(dirname "$(readlink -f "$0")")/.."

usage() {
  echo "usage: $0 [--test-build] [--browser BROWSER_BUILD] [--out FILE]" >&2
  exit 2
}

browser=""
out=build/msi/Quill.msi
make_options=()
while [ $# -gt 0 ]; do
  case "$1" in
    --test-build) make_options+=(--test-build) ;;
    --browser)
      [ $# -ge 2 ] || usage
      browser=$2
      shift
      ;;
    --out)
      [ $# -ge 2 ] || usage
      out=$2
      shift
      ;;
    *) usage ;;
  esac
  shift
done

for tool in cmake wixl msibuild msiinfo osslsigncode openssl; do
  command -v "$tool" >/dev/null || {
    echo "missing tool: $tool (scripts/install-deps.sh installs it)" >&2
    exit 1
  }
done

# A build folder configured from its preset once.
configure() {
  local preset=$1 folder=$2
  [ -f "$folder/CMakeCache.txt" ] || cmake --preset "$preset" >/dev/null
}

if [ -z "$browser" ]; then
  native=${QUILL_NATIVE_BUILD:-build/linux-debug}
  echo "== browser extension packages ($native)"
  if [ -f "$native/CMakeCache.txt" ]; then
    cmake "$native" >/dev/null
  else
    cmake --preset linux-debug -B "$native" >/dev/null
  fi
  cmake --build "$native" -j2 --target quill_extension
  browser="$native/browser"
fi

echo "== Windows builds"
configure win64 build/win64
cmake --build build/win64 -j2 --target quill_activex lumo_monitor plugreg quill-host
if cmake --build build/win64 --target help | grep -xF '... quill' >/dev/null; then
  cmake --build build/win64 -j2 --target quill
fi
configure win32 build/win32
cmake --build build/win32 -j2 --target quill_activex lumo_monitor plugreg

echo "== package"
bash installer/make-msi.sh "${make_options[@]}" build/win32 build/win64 "$browser" "$out"
test_build=()
[ "${#make_options[@]}" -gt 0 ] && test_build=(--test-build)
bash tests/wine/msi_tables_check.sh "$out" "$(msiinfo export "$out" Property |
  awk -F'\t' '$1 == "ProductVersion" { print $2 }' | tr -d '\r')" "${test_build[@]}" >/dev/null || {
  echo "the package's tables do not read back as expected:" >&2
  bash tests/wine/msi_tables_check.sh "$out" 3.2.0.1024 "${test_build[@]}" | grep -v '^PASS' >&2
  exit 1
}
echo "Quill.msi: $out"

#!/bin/bash
# Makes Quill.msi from finished builds (builds nothing itself).
#
#   make-msi.sh [--test-build] [--version A.B.C.D] [--unsigned]
#               WIN32_BUILD WIN64_BUILD BROWSER_BUILD OUT_MSI
#
# WIN32_BUILD, WIN64_BUILD: the two Windows builds (controls, monitor,
# helpers; quill-host.exe from the 64-bit one, and quill.exe when that build
# has one). BROWSER_BUILD: the browser folder of a native build, holding
# lumoPlugin.xpi, lumoPlugin.crx and extension-ids.json.
# --test-build carries the 64-bit monitor (Wine here runs no 32-bit code);
# never ship such a package. --version defaults to 3.2.0.1024.
# Every .exe, .dll and .ocx is signed before it goes in, and the package
# after; the certificate comes from QUILL_SIGN_CERT/QUILL_SIGN_KEY or
# QUILL_SIGN_PFX (see signing.sh), else a throw-away one is made beside
# OUT_MSI (test-signing.crt). --unsigned skips signing.
# The staged tree and the generated .wxs stay beside OUT_MSI (stage/,
# Quill.wxs). Exit status 1 on any failure, 2 for a bad command line.
set -u

here=$(dirname "$(readlink -f "$0")")
repo=$(dirname "$here")
# shellcheck source=SCRIPTDIR/signing.sh
. "$here/signing.sh"

usage() {
  echo "usage: $0 [--test-build] [--version A.B.C.D] [--unsigned] WIN32_BUILD WIN64_BUILD BROWSER_BUILD OUT_MSI" >&2
  exit 2
}

version=3.2.0.1024
test_build=0
sign=1
while [ $# -gt 0 ]; do
  case "$1" in
    --test-build) test_build=1 ;;
    --unsigned) sign=0 ;;
    --version)
      [ $# -ge 2 ] || usage
      version=$2
      shift
      ;;
    --*) usage ;;
    *) break ;;
  esac
  shift
done
[ $# -eq 4 ] || usage
win32=$(readlink -f "$1")
win64=$(readlink -f "$2")
browser=$(readlink -f "$3")
case "$4" in
  *.msi) ;;
  *) usage ;;
esac
mkdir -p "$(dirname "$4")" || exit 1
out=$(readlink -f "$4")
out_dir=$(dirname "$out")
stage="$out_dir/stage"
wxs="$out_dir/$(basename "$out" .msi).wxs"

fail() {
  echo "make-msi: $*" >&2
  exit 1
}

# The ids the host manifests allow, from the browser build.
ids_file="$browser/extension-ids.json"
[ -f "$ids_file" ] || fail "missing: $ids_file"
json_string() {
  tr -d '\n' <"$ids_file" | sed -n "s/.*\"$1\"[[:space:]]*:[[:space:]]*\"\\([^\"\\\\]*\\)\".*/\\1/p"
}
chrome_id=$(json_string chrome)
firefox_id=$(json_string firefox)
[[ "$chrome_id" =~ ^[a-p]{32}$ ]] || fail "no Chrome extension id (32 letters a-p) in $ids_file"
[[ "$firefox_id" =~ ^[A-Za-z0-9._@{}-]+$ ]] || fail "no Firefox add-on id in $ids_file"

# The install tree: the shipping folder, the host and its manifests, the tool.
# Only an earlier stage (or nothing) is replaced.
if [ -e "$stage" ] && [ -n "$(ls -A "$stage" 2>/dev/null)" ] && [ ! -f "$stage/lumoMonitor.exe" ]; then
  fail "not replaced: $stage is not empty and holds no lumoMonitor.exe"
fi
rm -rf "$stage"
shipping_options=(--browser "$browser")
[ "$test_build" = 1 ] && shipping_options=(--test-build "${shipping_options[@]}")
bash "$repo/scripts/make-shipping.sh" "${shipping_options[@]}" "$win32" "$win64" "$stage" >/dev/null ||
  fail "the shipping folder could not be laid out"
host="$win64/control/host/quill-host.exe"
[ -f "$host" ] || fail "missing: $host"
cp "$host" "$stage/" || exit 1
if [ -f "$win64/tools/quill/quill.exe" ]; then
  cp "$win64/tools/quill/quill.exe" "$stage/" || exit 1
fi

# The manifests sit beside quill-host.exe and name it relative to themselves.
write_manifest() {
  local file=$1 key=$2 value=$3
  printf '{\n  "name": "com.quill.host",\n  "description": "Quill token control",\n  "path": "quill-host.exe",\n  "type": "stdio",\n  "%s": [\n    "%s"\n  ]\n}\n' \
    "$key" "$value" >"$file"
}
write_manifest "$stage/com.quill.host.chromium.json" allowed_origins "chrome-extension://$chrome_id/"
write_manifest "$stage/com.quill.host.firefox.json" allowed_extensions "$firefox_id"

if [ "$sign" = 1 ]; then
  signing_configured || make_test_certificate "$out_dir" || fail "no test certificate could be made"
  while IFS= read -r -d '' binary; do
    sign_file "$binary" || exit 1
  done < <(find "$stage" -type f \( -iname '*.exe' -o -iname '*.dll' -o -iname '*.ocx' \) -print0)
fi

bash "$here/generate-wxs.sh" "$stage" "$version" "$wxs" || fail "the WiX source could not be written"
rm -f "$out"
(cd "$stage" && wixl -a x64 -o "$out" "$wxs") 2>"$out_dir/wixl.log" || {
  cat "$out_dir/wixl.log" >&2
  fail "wixl failed"
}
# What wixl does not write: HKMU is root 4 in its tables (the installer's
# value is -1); the main feature cannot be left out (16); the safety
# category definitions are permanent (64-bit + registry key path + 16).
for query in \
  "UPDATE \`Registry\` SET \`Root\` = -1 WHERE \`Root\` = 4" \
  "UPDATE \`Feature\` SET \`Attributes\` = 16 WHERE \`Feature\` = 'Quill'" \
  "UPDATE \`Component\` SET \`Attributes\` = 276 WHERE \`Component\` = 'SafetyCategories'"; do
  msibuild "$out" -q "$query" || fail "the package's tables could not be completed"
done
if [ "$sign" = 1 ]; then
  sign_file "$out" || exit 1
fi
echo "package: $out ($version$([ "$test_build" = 1 ] && echo ', test build'))"

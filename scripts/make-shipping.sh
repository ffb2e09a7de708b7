#!/bin/bash
# Lays out lumoMonitor's shipping folder from the two Windows builds.
#
#   make-shipping.sh [--test-build] [--browser BROWSER_BUILD] WIN32_BUILD WIN64_BUILD OUT
#
# OUT receives exactly:
#   lumoMonitor.exe                the 32-bit program (--test-build: the 64-bit
#                                  one, since Wine here runs no 32-bit code)
#   IE/plugreg32.exe               32-bit registration helper
#   IE/plugreg64.exe               64-bit registration helper
#   IE/lumoActiveX.win32.ocx       32-bit control
#   IE/lumoActiveX.x64.ocx         64-bit control
#   Mozilla/lumoPlugin.xpi         the Firefox extension  } with --browser only:
#   Chrome/lumoPlugin.crx          the Chrome extension   } BROWSER_BUILD is the
#                                  browser folder of a native build (B/browser)
# Without --browser the extension folders are left out, never filled with
# stand-ins. An earlier shipping folder at OUT is replaced; any other folder
# that is not empty is left alone (exit status 1). Exit status 1 also when a
# file is missing, 2 for a bad command line.
set -u

usage() {
  echo "usage: $0 [--test-build] [--browser BROWSER_BUILD] WIN32_BUILD WIN64_BUILD OUT" >&2
  exit 2
}

test_build=0
browser=""
while [ $# -gt 0 ]; do
  case "$1" in
    --test-build) test_build=1 ;;
    --browser)
      if [ $# -lt 2 ] || [ -z "$2" ]; then usage; fi
      browser=$2
      shift
      ;;
    --*) usage ;;
    *) break ;;
  esac
  shift
done
[ $# -eq 3 ] || usage
win32=$1
win64=$2
out=$3

monitor_build=$win32
[ "$test_build" = 1 ] && monitor_build=$win64

# destination (below OUT) and source
files=(
  "lumoMonitor.exe|$monitor_build/monitor/win32/lumoMonitor.exe"
  "IE/plugreg32.exe|$win32/monitor/plugreg/plugreg32.exe"
  "IE/plugreg64.exe|$win64/monitor/plugreg/plugreg64.exe"
  "IE/lumoActiveX.win32.ocx|$win32/control/com/lumoActiveX.win32.ocx"
  "IE/lumoActiveX.x64.ocx|$win64/control/com/lumoActiveX.x64.ocx"
)
if [ -n "$browser" ]; then
  files+=(
    "Mozilla/lumoPlugin.xpi|$browser/lumoPlugin.xpi"
    "Chrome/lumoPlugin.crx|$browser/lumoPlugin.crx"
  )
fi

missing=0
for entry in "${files[@]}"; do
  source=${entry#*|}
  if [ ! -f "$source" ]; then
    echo "missing: $source" >&2
    missing=1
  fi
done
[ "$missing" = 0 ] || exit 1

case "$out" in
  "" | "/") usage ;;
esac
# Only an earlier shipping folder (or nothing) is replaced.
if [ -e "$out" ] && [ -n "$(ls -A "$out" 2>/dev/null)" ] && [ ! -f "$out/lumoMonitor.exe" ]; then
  echo "not replaced: $out is not empty and holds no lumoMonitor.exe" >&2
  exit 1
fi
rm -rf "$out" && mkdir -p "$out" || exit 1
for entry in "${files[@]}"; do
  target="$out/${entry%%|*}"
  mkdir -p "$(dirname "$target")" && cp "${entry#*|}" "$target" || exit 1
done

if [ "$test_build" = 1 ]; then
  echo "shipping folder (test build, 64-bit monitor): $out"
else
  echo "shipping folder: $out"
fi
if [ -z "$browser" ]; then
  echo "Mozilla/lumoPlugin.xpi and Chrome/lumoPlugin.crx are not built yet: those folders are left out"
fi

#!/bin/bash
# Runs the cross-built dialog_driver under Wine on a virtual X display: the
# real login dialog in English and in Simplified Chinese, against a fresh
# virtual token of the Linux quill-vtoken program for each language, then
# once more per language with no token at all. Saves what the dialog looked
# like after a wrong password as PNG files.
#
#   run_dialog_tests.sh QUILL_VTOKEN DIALOG_DRIVER_EXE [SCREENSHOT_DIR]
#
# SCREENSHOT_DIR defaults to build/wine-screenshots in the repository:
# login-en.png and login-zh.png (after one wrong password), login-nokey-en.png
# and login-nokey-zh.png (no token). PNG needs imagemagick's convert;
# without it the BMP files are kept instead.
#
# Passes (exit 0) when every run exits 0 and prints its closing line. Works
# in a temporary Wine prefix and X display that it removes afterwards.
set -u

usage() {
  echo "usage: $0 QUILL_VTOKEN DIALOG_DRIVER_EXE [SCREENSHOT_DIR]" >&2
  exit 2
}

if [ $# -lt 2 ] || [ $# -gt 3 ]; then usage; fi
vtoken=$(readlink -f "$1")
driver=$(readlink -f "$2")
repo=$(cd "$(dirname "$0")/../.." && pwd)
shots=${3:-$repo/build/wine-screenshots}
if [ ! -x "$vtoken" ]; then
  echo "not an executable: $1" >&2
  exit 2
fi
if [ ! -f "$driver" ]; then
  echo "no such program: $2" >&2
  exit 2
fi
for tool in Xvfb wine wineserver; do
  command -v "$tool" >/dev/null || {
    echo "missing: $tool" >&2
    exit 2
  }
done
mkdir -p "$shots" || exit 2
shots=$(cd "$shots" && pwd)

readonly sentinel=dialog-driver-done
readonly run_timeout=180

work=$(mktemp -d)
keepalive_pid=""
server_started=0
# shellcheck source=SCRIPTDIR/session_common.sh
. "$(dirname "$0")/session_common.sh"
# shellcheck disable=SC2317  # called by the EXIT trap
cleanup() {
  stop_vtoken
  stop_wineserver
  if [ -n "$keepalive_pid" ]; then
    kill "$keepalive_pid" 2>/dev/null
    wait "$keepalive_pid" 2>/dev/null
  fi
  stop_xvfb
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

start_xvfb || exit 1
echo "DISPLAY=$DISPLAY"
if [ ! -f /usr/share/wine/fonts/tahoma.ttf ]; then
  echo "note: fonts-wine is not installed: the screenshots show substitute fonts"
fi
if ! fc-list :lang=zh file 2>/dev/null | grep -qi "wqy-microhei"; then
  echo "note: fonts-wqy-microhei is not installed: the Chinese screenshots show" \
    "boxes in place of the characters; the checks do not depend on it"
fi

echo "== preparing the Wine prefix"
wine_prefix_env
unset QUILL_VIRTUAL_TOKENS
server_started=1
# The first Wine process starts services that inherit its standard streams.
wine wineboot -i </dev/null >/dev/null 2>&1
wineserver -w # else every later process waits on the services starting
add_wine_desktop
# Wine's own TrueType fonts (package fonts-wine: Tahoma for "MS Shell Dlg",
# Marlett for the caption buttons) where this Wine build looks for them,
# else the screenshots show substitutes.
if [ -d /usr/share/wine/fonts ]; then
  ln -sf /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null
fi
wineserver -p </dev/null >/dev/null 2>&1 # one server for all runs
wine cmd /c exit </dev/null >/dev/null 2>&1
# Chinese text in the dialog's font (Tahoma) and in its caption (Tahoma
# Bold): link both faces to a Chinese font of the system (package
# fonts-wqy-microhei) when there is one.
if fc-list :lang=zh file 2>/dev/null | grep -qi "wqy-microhei"; then
  for face in Tahoma "Tahoma Bold"; do
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v "$face" /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f \
      </dev/null >/dev/null 2>&1
  done
fi
wine "$driver" --keepalive </dev/null >/dev/null 2>&1 &
keepalive_pid=$!

failures=0
runs=0
# Runs the driver with the given arguments; it passes with exit status 0 and
# its closing line (a run cut short may still exit 0).
run_driver() {
  echo "== dialog_driver $*"
  runs=$((runs + 1))
  timeout "$run_timeout" wine "$driver" "$@" </dev/null >"$work/run.out" 2>"$work/run.err"
  local status=$?
  tr -d '\r' <"$work/run.out"
  if [ "$status" -ne 0 ] || ! tr -d '\r' <"$work/run.out" | grep -qx "$sentinel"; then
    echo "FAIL: dialog_driver $* exited with $status" >&2
    cat "$work/run.err" >&2
    failures=$((failures + 1))
  fi
}

# Converts the driver's BMP into SCREENSHOT_DIR/NAME.png (or keeps the BMP).
keep_screenshot() {
  local bmp=$1 name=$2
  if [ ! -s "$bmp" ]; then
    echo "FAIL: no screenshot $name" >&2
    failures=$((failures + 1))
    return
  fi
  if command -v convert >/dev/null && convert "$bmp" "$shots/$name.png"; then
    echo "screenshot: $shots/$name.png"
  else
    cp "$bmp" "$shots/$name.bmp" && echo "screenshot: $shots/$name.bmp"
  fi
}

for language in en zh; do
  start_vtoken --token hid:A
  bmp="$work/login-$language.bmp"
  run_driver --lang "$language" --screenshot "$(winepath -w "$bmp" 2>/dev/null)"
  keep_screenshot "$bmp" "login-$language"
  stop_vtoken
done
unset QUILL_VIRTUAL_TOKENS
for language in en zh; do
  bmp="$work/login-nokey-$language.bmp"
  run_driver --lang "$language" --no-token --screenshot "$(winepath -w "$bmp" 2>/dev/null)"
  keep_screenshot "$bmp" "login-nokey-$language"
done

echo "dialog tests: $((runs - failures)) passed, $failures failed"
if [ "$failures" -ne 0 ]; then
  exit 1
fi
echo "dialog-tests-done"
exit 0

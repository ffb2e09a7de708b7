#!/bin/bash
# The registry policy source of quill-host.exe under Wine: the lists under
# HKLM and HKCU SOFTWARE\Policies\Quill\Host, merged; forbidden wins; a value
# that is not REG_SZ or not a pattern refuses every origin.
#   bash control/host/tests/wine/run_policy_test.sh build/h-win64/control/host/quill-host.exe
set -euo pipefail
host=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
export WINEPREFIX=$work/pfx WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine wineboot -i </dev/null >/dev/null 2>&1
wineserver -w
wineserver -p
key='SOFTWARE\Policies\Quill\Host'
reg() { wine reg "$@" </dev/null >/dev/null 2>&1; }
check() {  # expected query answer, expected call outcome, what
  if python3 "$here/policy_conversation.py" "$1" "$2" wine "$host" >"$work/out" 2>/dev/null; then
    echo "ok: $3 ($(grep ^query= "$work/out"))"
  else
    echo "FAILED: $3"; cat "$work/out"; failed=1
  fi
}
failed=0
check ask result "no policy keys"
reg add "HKLM\\$key\\AllowedOrigins" /v 1 /t REG_SZ /d 'https://*.other.example' /f
reg add "HKCU\\$key\\AllowedOrigins" /v 7 /t REG_SZ /d 'https://a.example' /f
check allow result "allowed in HKCU, another pattern in HKLM"
reg add "HKLM\\$key\\ForbiddenOrigins" /v 1 /t REG_SZ /d '*' /f
check forbid origin-forbidden "forbidden by * in HKLM wins over allowed in HKCU"
reg delete "HKLM\\$key\\ForbiddenOrigins" /f
reg add "HKCU\\$key\\ForbiddenOrigins" /v x /t REG_DWORD /d 1 /f
check policy-unreadable policy-unreadable "a value that is not REG_SZ"
reg delete "HKCU\\$key\\ForbiddenOrigins" /f
reg add "HKLM\\$key\\AllowedOrigins" /v 2 /t REG_SZ /d 'https://a.example:443' /f
check policy-unreadable policy-unreadable "a malformed pattern"
exit $failed

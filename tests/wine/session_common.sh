# shellcheck shell=bash
# Pieces shared by the Wine test runners; sourced, not run. The runner sets
# $vtoken (the quill-vtoken program) and $work (its scratch folder) first.
# shellcheck disable=SC2154  # vtoken and work come from the runner

# shellcheck source=SCRIPTDIR/../../scripts/lib/virtual_token.sh
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/virtual_token.sh"

# The UID text of a 32-byte UID: MD5 of the bytes, lowercase hexadecimal.
uid_text() {
  local escaped
  escaped=$(printf '%s' "$1" | sed 's/../\\x&/g')
  printf '%b' "$escaped" | md5sum | cut -c1-32
}

# Ends the prefix's wineserver (which also writes its registry to disk).
# shellcheck disable=SC2317  # called from EXIT traps
stop_wineserver() {
  if [ "${server_started:-0}" = 1 ]; then
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
  fi
}

# Starts one X display for the whole run (before the first Wine process) and
# exports DISPLAY; sets $xvfb_pid for the caller's clean-up. False, after
# the server's own words, when it does not come up within 10 s.
start_xvfb() {
  echo "== starting the X display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" \
    </dev/null >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -s "$work/display" ]; then
    echo "FAIL: Xvfb did not start" >&2
    cat "$work/xvfb.log" >&2
    return 1
  fi
  DISPLAY=":$(head -n1 "$work/display")"
  export DISPLAY
}

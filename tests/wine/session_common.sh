# shellcheck shell=bash
# Pieces shared by the Wine test runners; sourced, not run. The runner sets
# $vtoken (the quill-vtoken program) and $work (its scratch folder) first, and
# $run_timeout (seconds) when it calls wine_run.
# shellcheck disable=SC2154  # vtoken, work and run_timeout come from the runner

# shellcheck source=SCRIPTDIR/../../scripts/lib/virtual_token.sh
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/virtual_token.sh"

xvfb_pid=""

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

# Ends the X display of start_xvfb, when there is one.
# shellcheck disable=SC2317  # called from EXIT traps
stop_xvfb() {
  if [ -n "${xvfb_pid:-}" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=""
  fi
}

# The environment of a fresh 64-bit prefix in the scratch folder: only Wine's
# module errors, and no Mono or Gecko to install.
wine_prefix_env() {
  export WINEPREFIX="$work/pfx" WINEARCH=win64 WINEDEBUG=-all,err+module
  export WINEDLLOVERRIDES="mscoree,mshtml="
}

# Wine's own desktop window, so that no window manager is waited for. The
# registry file may only be changed while no wineserver runs.
add_wine_desktop() {
  cat >>"$WINEPREFIX/user.reg" <<'REG'

[Software\\Wine\\Explorer]
"Desktop"="Default"

[Software\\Wine\\Explorer\\Desktops]
"Default"="1024x768"
REG
}

# A fresh prefix (wine_prefix_env) with Wine's own desktop and one wineserver
# for the whole run (stop_wineserver ends it); a crashing program ends at once
# instead of waiting in the debugger.
prepare_wine_prefix() {
  echo "== preparing the Wine prefix"
  wine_prefix_env
  server_started=1
  # The first Wine process starts services that inherit its standard streams.
  wine wineboot -i </dev/null >/dev/null 2>&1
  wineserver -w # else every later process waits on the services starting
  add_wine_desktop
  wineserver -p </dev/null >/dev/null 2>&1 # one server for all runs
  wine cmd /c exit </dev/null >/dev/null 2>&1
  wine reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f \
    </dev/null >/dev/null 2>&1
}

# wine_run PROGRAM [ARGUMENT]...: under Wine, with no standard input, bounded
# by $run_timeout seconds.
wine_run() {
  timeout "$run_timeout" wine "$@" </dev/null
}

# reg_value KEY NAME: the data of value NAME of KEY ("" for the default value),
# or "<missing>" when the key or the value is not there.
reg_value() {
  local output
  if [ -z "$2" ]; then
    output=$(wine_run reg query "$1" /ve 2>/dev/null) || { echo "<missing>"; return; }
  else
    output=$(wine_run reg query "$1" /v "$2" 2>/dev/null) || { echo "<missing>"; return; }
  fi
  printf '%s\n' "$output" | tr -d '\r' | sed -n 's/^    .*    REG_[A-Z_]*    //p' | head -n1
}

# shellcheck shell=bash
# The Wine session and the helpers shared by the monitor's Wine tests and its
# demo; sourced, not run, after session_common.sh. The script sets first:
#   work          its scratch folder
#   driver_exe    monitor_driver.exe      vpresence_exe  quill-vpresence.exe
#   monitor_win   the monitor's Windows path (for start_monitor)
#   shots         the screenshot folder (for shot)
# and defines fail (called when a screenshot cannot be taken).
# shellcheck disable=SC2154  # the variables above come from the script

readonly main_class='#32770'
readonly main_caption=lumoMonitor

keepalive_pid=""
vpresence_pid=""
monitor_pid=""

# The Windows form of a Unix path (Wine maps / to Z:).
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# Starts an X display, a fresh 64-bit Wine prefix with Wine's own desktop (so
# that windows of different processes see each other and hiding a window
# waits for no window manager), Wine's fonts with a Chinese font linked in,
# and a program that keeps the desktop up. False when the display fails.
start_desktop_session() {
  start_xvfb || return 1

  echo "== preparing the Wine prefix"
  wine_prefix_env
  unset QUILL_VIRTUAL_TOKENS QUILL_MONITOR_LOG
  # shellcheck disable=SC2034  # read by stop_wineserver
  server_started=1
  timeout 120 wine wineboot -i </dev/null >/dev/null 2>&1
  timeout 60 wineserver -w
  add_wine_desktop
  if [ -d /usr/share/wine/fonts ]; then
    ln -sf /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null
  fi
  wineserver -p </dev/null >/dev/null 2>&1
  timeout 60 wine cmd /c exit </dev/null >/dev/null 2>&1
  if fc-list :lang=zh file 2>/dev/null | grep -qi "wqy-microhei"; then
    for face in Tahoma "Tahoma Bold"; do
      timeout 30 wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
        /v "$face" /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f \
        </dev/null >/dev/null 2>&1
    done
  else
    echo "note: fonts-wqy-microhei is not installed: Chinese screenshots show boxes"
  fi
  wine "$driver_exe" keepalive </dev/null >/dev/null 2>&1 &
  keepalive_pid=$!
}

# Ends what start_desktop_session started (not the wineserver: stop_wineserver).
# shellcheck disable=SC2317  # called from EXIT traps
stop_desktop_session() {
  stop_vpresence
  if [ -n "$monitor_pid" ]; then
    kill "$monitor_pid" 2>/dev/null
    wait "$monitor_pid" 2>/dev/null
    monitor_pid=""
  fi
  stop_wineserver
  if [ -n "$keepalive_pid" ]; then
    kill "$keepalive_pid" 2>/dev/null
    wait "$keepalive_pid" 2>/dev/null
    keepalive_pid=""
  fi
  stop_xvfb
}

# The driver, with its output freed of carriage returns; its exit status.
drv() {
  timeout 30 wine "$driver_exe" "$@" </dev/null 2>>"$work/driver.err" | tr -d '\r'
  return "${PIPESTATUS[0]}"
}

# A message box or dialog: class #32770 with this caption; its text.
box_text() { drv text '#32770' "$1" 0xFFFF; }

shot() {
  sleep 0.6
  if import -window root "$shots/$1.png" 2>/dev/null; then
    echo "screenshot: $shots/$1.png"
  else
    fail "screenshot $1"
  fi
}

# ---------------------------------------------------------------- recorder

# Recorded lines of the stand-in NAME.exe: "COMMAND LINE" each.
recorded() {
  awk -F'\t' -v n="\\\\$1.exe" 'index(tolower($1), tolower(n)) == length($1) - length(n) + 1 \
    { print $2 }' "$work/recorder.log" 2>/dev/null | tr -d '\r'
}
# wait_recorded NAME COUNT SECONDS: until NAME.exe has recorded COUNT lines.
wait_recorded() {
  for _ in $(seq $(($3 * 10))); do
    [ "$(recorded "$1" | wc -l)" -ge "$2" ] && return 0
    sleep 0.1
  done
  return 1
}
# A command line without its program part.
arguments_of() {
  sed -E 's/^("[^"]*"|[^ ]*) ?//' <<<"$1"
}

# ---------------------------------------------------------------- the monitor

monitor_lang=en
log=""
exitfile=""
# Wine takes its interface language from the Unix locale, and glibc falls
# back to C when zh_CN.UTF-8 is not installed. Where it is not, it is compiled
# once into the scratch folder (the system's locales are left alone); the
# LOCPATH=... assignment to use with LC_ALL=zh_CN.UTF-8 is printed (nothing
# when the system has the locale). False when it cannot be had.
chinese_locale_env() {
  if locale -a 2>/dev/null | grep -qix 'zh_CN\.utf-\?8'; then return 0; fi
  if [ ! -f "$work/locale/zh_CN.UTF-8/LC_CTYPE" ]; then
    # localedef may warn (exit 1) and still write the locale.
    mkdir -p "$work/locale"
    timeout 120 localedef -i zh_CN -f UTF-8 "$work/locale/zh_CN.UTF-8" >/dev/null 2>&1
    [ -f "$work/locale/zh_CN.UTF-8/LC_CTYPE" ] || return 1
  fi
  echo "LOCPATH=$work/locale"
}
# start_monitor NAME [ARGUMENT]...: a fresh log, the monitor started through
# the driver (which records its whole exit code), its window waited for.
start_monitor() {
  local name=$1
  shift
  log="$work/$name.log"
  exitfile="$work/$name.exit"
  rm -f "$log" "$exitfile"
  local locale=(LC_ALL=C.UTF-8)
  if [ "$monitor_lang" = zh ]; then
    locale=(LC_ALL=zh_CN.UTF-8)
    local locpath
    locpath=$(chinese_locale_env) || echo "note: no zh_CN.UTF-8 locale: Wine falls back to English" >&2
    [ -n "$locpath" ] && locale+=("$locpath")
  fi
  env "${locale[@]}" QUILL_MONITOR_LOG="$(winpath "$log")" \
    wine "$driver_exe" run "$(winpath "$exitfile")" "$monitor_win" "$@" \
    </dev/null >"$work/$name.run" 2>&1 &
  monitor_pid=$!
  drv wait "$main_class" "$main_caption" 20000 any
}
# wait_exit SECONDS: the monitor's exit code, or nothing when it still runs.
wait_exit() {
  for _ in $(seq $(($1 * 10))); do
    if [ -s "$exitfile" ]; then
      wait "$monitor_pid" 2>/dev/null
      monitor_pid=""
      tr -d '\r\n' <"$exitfile"
      return 0
    fi
    sleep 0.1
  done
  return 1
}
# Ends the monitor (Esc in its window, else by force) so the next can start.
end_monitor() {
  [ -n "$monitor_pid" ] || return 0
  drv command "$main_class" "$main_caption" 2 >/dev/null
  if ! wait_exit 10 >/dev/null; then
    timeout 20 wine taskkill /f /im lumoMonitor.exe </dev/null >/dev/null 2>&1
    kill "$monitor_pid" 2>/dev/null
    wait "$monitor_pid" 2>/dev/null
    monitor_pid=""
  fi
  drv wait "$main_class" "$main_caption" 10000 gone
}
# The log's lines without their time stamps.
log_lines() {
  sed -E 's/^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9:.]+ //' "$log" 2>/dev/null | tr -d '\r'
}
# wait_log LINE SECONDS: until the log holds exactly this line.
wait_log() {
  for _ in $(seq $((${2:-10} * 10))); do
    log_lines | grep -qFx -- "$1" && return 0
    sleep 0.1
  done
  echo "  (log so far:)" >&2
  log_lines | sed 's/^/    /' >&2
  return 1
}
has_log() { log_lines | grep -qFx -- "$1"; }
log_count() { log_lines | grep -cFx -- "$1"; }
# wait_log_count LINE COUNT SECONDS: until the line is there COUNT times.
wait_log_count() {
  for _ in $(seq $(($3 * 10))); do
    [ "$(log_count "$1")" -ge "$2" ] && return 0
    sleep 0.1
  done
  return 1
}
has_log_matching() { log_lines | grep -qE -- "$1"; }
# wait_log_matching REGEX SECONDS: until a line of the log matches.
wait_log_matching() {
  for _ in $(seq $((${2:-10} * 10))); do
    has_log_matching "$1" && return 0
    sleep 0.1
  done
  return 1
}

# Shows the main window by a tray double-click, once the start-up has hidden
# it (else the hide timer would hide it again). It comes back minimised, as it
# was hidden; restore_main then restores it as the taskbar button would.
show_main() {
  drv wait "$main_class" "$main_caption" 5000 hidden >/dev/null
  drv tray "$main_class" "$main_caption" lbuttondblclk &&
    drv wait "$main_class" "$main_caption" 5000 shown
}
main_state() { drv state "$main_class" "$main_caption"; }
restore_main() {
  drv syscommand "$main_class" "$main_caption" restore >/dev/null || return 1
  for _ in $(seq 30); do
    [ "$(main_state)" = "visible=1 iconic=0" ] && return 0
    sleep 0.1
  done
  return 1
}
# The main window shown and restored, ready to be looked at.
open_main() { show_main && restore_main; }
# One command on the virtual token's control socket ($control_port); its reply.
vtoken_control() {
  local reply
  exec 4<>"/dev/tcp/127.0.0.1/$control_port" || return 1
  echo "$*" >&4
  read -r -t 10 reply <&4
  exec 4<&-
  echo "$reply"
}
# quill-vpresence in the background, watching QUILL_VIRTUAL_TOKENS.
start_vpresence() {
  wine "$vpresence_exe" --interval 300 </dev/null >"$work/vpresence.out" 2>&1 &
  vpresence_pid=$!
  for _ in $(seq 100); do
    grep -q '^watching' "$work/vpresence.out" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}
stop_vpresence() {
  if [ -n "$vpresence_pid" ]; then
    kill "$vpresence_pid" 2>/dev/null
    wait "$vpresence_pid" 2>/dev/null
    vpresence_pid=""
  fi
}

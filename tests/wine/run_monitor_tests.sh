#!/bin/bash
# Tests lumoMonitor (its 64-bit build: Wine here runs no 32-bit code) under
# Wine, on a virtual X display with Wine's own desktop, against a virtual
# token of the Linux quill-vtoken program. The monitor runs from a test copy
# of the shipping folder (scripts/make-shipping.sh --test-build) in which
# recorder.exe stands in for the browsers and the registration helpers;
# quill-vpresence.exe turns plugging and unplugging the virtual token into
# the monitor's device notifications; monitor_driver.exe plays the user. The
# monitor's diagnostic log (QUILL_MONITOR_LOG) says what it decided. First,
# in the same session, monitor_port_checks.exe (the Windows ports against
# Wine's system) and monitor_shell_checks.exe (the program's message
# translations and resources) run, each one check.
#
#   run_monitor_tests.sh QUILL_VTOKEN QUILL_TOOL WIN32_BUILD WIN64_BUILD [SCREENSHOT_DIR]
#
# WIN64_BUILD holds monitor/win32/lumoMonitor.exe, monitor/win32/monitor_shell_checks.exe,
# monitor/ports/win32/monitor_port_checks.exe, monitor/plugreg/plugreg64.exe,
# monitor/virtual_presence/quill-vpresence.exe, monitor/wine_tests/*.exe|dll and
# control/com/lumoActiveX.x64.ocx; WIN32_BUILD the 32-bit files of the
# shipping folder. SCREENSHOT_DIR defaults to build/monitor-screenshots: one
# picture of every window and page in English and Chinese (the names are in
# expected_shots below; the Chinese locale is compiled into the scratch
# folder when the system has none).
#
# One PASS or FAIL line per check; exit status 0 only when every check
# passed (1 otherwise, 2 for a bad command line). Every wait is bounded; the
# Wine prefix, the X display and the token are removed at the end.
set -u

usage() {
  echo "usage: $0 QUILL_VTOKEN QUILL_TOOL WIN32_BUILD WIN64_BUILD [SCREENSHOT_DIR]" >&2
  exit 2
}

[ $# -eq 4 ] || [ $# -eq 5 ] || usage
vtoken=$(readlink -f "$1")
quill_tool=$(readlink -f "$2")
win32_build=$(readlink -f "$3")
win64_build=$(readlink -f "$4")
repo=$(cd "$(dirname "$0")/../.." && pwd)
shots=${5:-$repo/build/monitor-screenshots}
driver_exe="$win64_build/monitor/wine_tests/monitor_driver.exe"
recorder_exe="$win64_build/monitor/wine_tests/recorder.exe"
vpresence_exe="$win64_build/monitor/virtual_presence/quill-vpresence.exe"
test_dlls="$win64_build/monitor/wine_tests"
port_checks_exe="$win64_build/monitor/ports/win32/monitor_port_checks.exe"
shell_checks_exe="$win64_build/monitor/win32/monitor_shell_checks.exe"
for program in "$vtoken" "$quill_tool"; do
  [ -x "$program" ] || {
    echo "not an executable: $program" >&2
    exit 2
  }
done
for file in "$driver_exe" "$recorder_exe" "$vpresence_exe" "$test_dlls/failing_control.dll" \
  "$test_dlls/plain_library.dll" "$port_checks_exe" "$shell_checks_exe"; do
  [ -f "$file" ] || {
    echo "missing: $file" >&2
    exit 2
  }
done
for tool in Xvfb wine wineserver import localedef; do
  command -v "$tool" >/dev/null || {
    echo "missing: $tool" >&2
    exit 2
  }
done
mkdir -p "$shots" || exit 2
shots=$(cd "$shots" && pwd)
# The desktop with only the tray icon, and the page with one tab, hold no
# text that changes with the language: English only.
expected_shots=(tray-en main-one-tab-en)
for lang in en zh; do
  for name in main-basic main-advanced repair-question save-message tray-menu \
    exit-question about change-password information lock-error; do
    expected_shots+=("$name-$lang")
  done
done
# A picture left from an earlier run must not stand in for a missing one.
for name in "${expected_shots[@]}"; do rm -f "$shots/$name.png"; done

readonly clsid='{6AAEEBD3-838D-4A35-9571-26EFC79882ED}'
readonly settings_key="HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats\\$clsid\\monitor"
readonly run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
readonly uid=00112233445566778899aabbccddeeff0123456789abcdeffedcba9876543210
readonly password=12345678
readonly url_template='http://logon.test/start?id={ID}&x=1'
# Seconds for the whole suite (it took about 160 on two cores already busy
# with builds): a hang anywhere ends it as a failure, a slow machine does not.
readonly suite_limit=900

work=$(mktemp -d)
server_started=0
# shellcheck source=SCRIPTDIR/session_common.sh
. "$(dirname "$0")/session_common.sh"
# shellcheck source=SCRIPTDIR/monitor_session.sh
. "$(dirname "$0")/monitor_session.sh"
# shellcheck source=SCRIPTDIR/check_results.sh
. "$(dirname "$0")/check_results.sh"
# shellcheck disable=SC2317  # called by the EXIT trap
cleanup() {
  stop_watchdog
  stop_desktop_session
  stop_vtoken
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
start_watchdog "$suite_limit"

# ---------------------------------------------------------------- session

start_desktop_session || exit 1

# ---------------------------------------------------------------- check programs

# run_check_program EXE SENTINEL: one check, passed with exit 0 and the
# program's closing line; its failures are shown otherwise.
run_check_program() {
  local name
  name=$(basename "$1")
  timeout 180 wine "$1" </dev/null >"$work/$name.out" 2>&1
  local status=$?
  if [ "$status" -eq 0 ] && tr -d '\r' <"$work/$name.out" | grep -qx "$2"; then
    pass "$name: every check passed"
  else
    fail "$name exited with $status"
    tr -d '\r' <"$work/$name.out" | grep -v '^ok' | sed 's/^/    /'
  fi
}
echo "== Windows ports and the program's shell"
run_check_program "$port_checks_exe" port-checks-done
run_check_program "$shell_checks_exe" shell-checks-done

# ---------------------------------------------------------------- helpers

# reg.exe through the registry view of a 32-bit program, as the monitor reads it.
reg32() {
  timeout 30 wine reg "$@" /reg:32 </dev/null 2>/dev/null | tr -d '\r'
  return "${PIPESTATUS[0]}"
}
# The data of one value as reg query prints it (empty when missing).
reg32_value() {
  local key=$1 name=$2
  if [ -z "$name" ]; then
    reg32 query "$key" /ve | awk -F'    ' '/^    / { print $4; exit }'
  else
    reg32 query "$key" /v "$name" | awk -F'    ' -v n="$name" '$2 == n { print $4; exit }'
  fi
}
# shellcheck disable=SC2317  # called through check
reg32_key_exists() { reg32 query "$1" >/dev/null; }

# The test copy of the shipping folder.
ship="$work/ship"
bash "$repo/scripts/make-shipping.sh" --test-build "$win32_build" "$win64_build" "$ship" || {
  echo "FAIL: the test shipping folder could not be laid out" >&2
  exit 1
}
monitor_win=$(winpath "$ship/lumoMonitor.exe")
# The real helper and control, kept before the recorders take their places.
mkdir -p "$work/plugreg"
cp "$ship/IE/plugreg64.exe" "$ship/IE/lumoActiveX.x64.ocx" "$test_dlls/failing_control.dll" \
  "$test_dlls/plain_library.dll" "$work/plugreg/"
cp "$recorder_exe" "$ship/IE/plugreg32.exe"
cp "$recorder_exe" "$ship/IE/plugreg64.exe"
# Dummy extension packages: in this test copy only, never in a shipping folder.
mkdir -p "$ship/Mozilla" "$ship/Chrome"
echo "test package" >"$ship/Mozilla/lumoPlugin.xpi"
echo "test package" >"$ship/Chrome/lumoPlugin.crx"
mkdir -p "$work/browsers"
for name in browser firefox chrome; do cp "$recorder_exe" "$work/browsers/$name.exe"; done
export QUILL_RECORDER_LOG
QUILL_RECORDER_LOG=$(winpath "$work/recorder.log")
: >"$work/recorder.log"

# ---------------------------------------------------------------- the token

echo "== starting the virtual token"
start_vtoken --token hid:A --uid "$uid" --control 0
control_port=$(awk '$1 == "control" { split($2, a, ":"); print a[2] }' "$work/vtoken.ready")
token_port=${QUILL_VIRTUAL_TOKENS##*:}
token_path="\\\\?\\USB#VID_04B4&PID_B328#QVT$token_port#{a5dcbf10-6530-11d2-901f-00c04fb951ed}"
uid_hex=$(uid_text "$uid")
expected_url=${url_template//\{ID\}/$uid_hex}
if ! "$quill_tool" keyinfo set --url "$url_template" --name "Test key" \
  --description "Quill tests" --other "virtual" --model-bytes 0000000000000000 \
  --login --password "$password" >"$work/keyinfo.out" 2>&1; then
  cat "$work/keyinfo.out" >&2
  echo "FAIL: the token's key information could not be written" >&2
  exit 1
fi

echo "== registry of the test machine"
browser_win=$(winpath "$work/browsers/browser.exe")
reg32 add 'HKCR\HTTP\shell\open\command' /ve /d "\"$browser_win\" -osint -url \"%1\"" /f \
  >/dev/null
check "HTTP open command lands in the 32-bit view (Wow6432Node)" \
  test "$(timeout 30 wine reg query 'HKLM\Software\Wow6432Node\Classes\HTTP\shell\open\command' \
    /ve </dev/null 2>/dev/null | tr -d '\r' | awk -F'    ' '/^    / { print $4; exit }')" \
  = "\"$browser_win\" -osint -url \"%1\""
# answer_box CAPTION NAME TEXT PICTURE ANSWER: the dialog or message box with
# this caption, shown within 5 s, has TEXT (the check NAME; without a TEXT it
# passes by being shown), is photographed as PICTURE (unless empty) and is
# answered with the command ANSWER; false when it does not appear.
answer_box() {
  local caption=$1 name=$2 text=$3 picture=$4 answer=$5
  if ! drv wait '#32770' "$caption" 5000 shown; then
    fail "$name: no window \"$caption\""
    return 1
  fi
  if [ -n "$text" ]; then
    expect_equal "$name" "$text" "$(box_text "$caption")"
  else
    pass "$name"
  fi
  [ -n "$picture" ] && shot "$picture"
  drv command '#32770' "$caption" "$answer"
  drv wait '#32770' "$caption" 5000 gone >/dev/null
}
# A Windows machine always has the user's Run key; a fresh Wine prefix may not.
reg32 add "$run_key" /f >/dev/null

# ---------------------------------------------------------------- start-up

echo "== start with a token: logon URL, hidden window, tray, second instance"
start_monitor start
check "start-up step logged with the token (tray=yes refresh=0)" \
  wait_log "start tray=yes refresh=0" 15
expected_command="\"$browser_win\" \"$expected_url\""
check "logon URL opened (log)" wait_log "url opened: $expected_command" 10
if wait_recorded browser 1 10; then
  expect_equal "browser started with the expanded logon URL" "$expected_command" \
    "$(recorded browser | head -n1)"
else
  fail "browser started with the expanded logon URL: nothing recorded"
fi
check "main window hides after start" drv wait "$main_class" "$main_caption" 5000 hidden
# Shown minimised at start, then hidden: it stays minimised while hidden.
expect_equal "hidden window is still minimised" "visible=0 iconic=1" "$(main_state)"
# Hidden below the shell's Progman window where there is one (not under Wine).
if drv wait Progman '*' 0 any >/dev/null; then
  check "hidden window is parented to Progman" drv parented "$main_class" "$main_caption"
else
  check "hidden window stays top-level without Progman" \
    bash -c "! timeout 30 wine '$driver_exe' parented '$main_class' '$main_caption' </dev/null >/dev/null 2>&1"
fi
# Wine's desktop shows its tray bar only while some program has a tray icon.
check "tray icon shown (the desktop's tray bar appears)" drv wait Shell_TrayWnd '*' 5000 shown
started=$SECONDS
second_status=0
timeout 30 wine "$ship/lumoMonitor.exe" </dev/null >/dev/null 2>&1 || second_status=$?
expect_equal "second instance ends with 0" 0 "$second_status"
check "second instance ends at once (< 8 s)" test $((SECONDS - started)) -lt 8
check "first instance still runs" drv wait "$main_class" "$main_caption" 1000 any

echo "== device notifications as the system sends them"
# The token's interface in lower case, another device, and the token's
# removal while the token still answers.
lower_token_path='\\?\usb#vid_04b4&pid_b328#0001#{a5dcbf10-6530-11d2-901f-00c04fb951ed}'
drv devicechange "$main_class" "$main_caption" arrival "$lower_token_path"
check "token arrival matches in lower case" wait_log "arrival path=$lower_token_path match=yes" 10
check "token arrival: the token is found" wait_log "arrival wait: token found" 10
check "token arrival opens the logon URL again" wait_recorded browser 2 10
other_path='\\?\USB#VID_04B4&PID_0001#7#{a5dcbf10-6530-11d2-901f-00c04fb951ed}'
drv devicechange "$main_class" "$main_caption" arrival "$other_path"
check "another device's arrival does not match" wait_log "arrival path=$other_path match=no" 10
drv devicechange "$main_class" "$main_caption" removal "$lower_token_path"
check "removal while the token answers is no loss" wait_log "removal refresh=0 gone=no" 10
check "no lock question when nothing was lost" bash -c "! grep -q 'lock asked' '$log'"

echo "== Show Main Window"
drv command "$main_class" "$main_caption" 32781
if drv wait "$main_class" "$main_caption" 5000 shown >/dev/null; then
  expect_equal "Show Main Window shows the window, still minimised" "visible=1 iconic=1" \
    "$(main_state)"
else
  fail "Show Main Window shows the window"
fi
drv syscommand "$main_class" "$main_caption" close
check "the close button hides the window again" drv wait "$main_class" "$main_caption" 5000 hidden

echo "== tray menu and exit flow"
# The tray icon's right click opens the menu; its "Exit" arrives as a
# command. The menu is closed (Esc) and the command posted as it would be.
exit_by_tray_menu() {
  drv tray "$main_class" "$main_caption" rbuttondown
  if drv wait '#32768' '*' 5000 shown; then
    drv key '#32768' '*' 0x1B >/dev/null
    drv wait '#32768' '*' 3000 hidden >/dev/null
  else
    echo "note: no tray menu window seen"
  fi
  drv command "$main_class" "$main_caption" 32786
}
exit_by_tray_menu
if drv wait '#32770' Information 5000 shown; then
  drv command '#32770' Information 2
  check "Cancel keeps the monitor running" wait_log "exit asked: cancel" 5
  check "monitor still runs after Cancel" drv wait "$main_class" "$main_caption" 1000 any
else
  fail "exit question shown"
fi
exit_by_tray_menu
if drv wait '#32770' Information 5000 shown; then
  drv command '#32770' Information 1
  expect_equal "OK ends the monitor with 32786" 32786 "$(wait_exit 10)"
  check "exit logged" has_log "exit result=32786"
else
  fail "exit question shown again"
  end_monitor
fi
end_monitor

echo "== monitorhide and Esc"
opened=$(recorded browser | wc -l)
start_monitor hide monitorhide
check "monitorhide: no tray icon (tray=no)" wait_log "start tray=no refresh=0" 15
check "monitorhide: logon URL still opened" wait_recorded browser $((opened + 1)) 10
check "monitorhide: window hides" drv wait "$main_class" "$main_caption" 5000 hidden
sleep 1
check "monitorhide: the desktop's tray bar stays hidden" bash -c "! timeout 30 wine '$driver_exe' \
  visible Shell_TrayWnd '*' </dev/null >/dev/null 2>&1"
if show_main; then
  pass "tray double-click shows the main window"
  # Hidden from its minimised state, it comes back minimised (SW_SHOW).
  expect_equal "shown window keeps its minimised state" "visible=1 iconic=1" "$(main_state)"
  check "the window restores from its minimised state" restore_main
  drv command "$main_class" "$main_caption" 2
  expect_equal "Esc in the shown window ends with 2" 2 "$(wait_exit 10)"
  check "Esc logged as exit result=2" has_log "exit result=2"
else
  fail "tray double-click shows the main window"
fi
end_monitor

# ---------------------------------------------------------------- pages

# rows_of: the Basic page's rows "ROW<TAB>NAME<TAB>STATE".
rows_of() { drv rows "$main_class" "$main_caption"; }
# advanced_page_shown: the Advanced page's Save button is visible (within 3 s).
# shellcheck disable=SC2317  # called through check
advanced_page_shown() {
  for _ in $(seq 30); do
    grep -q 'visible=1' <<<"$(drv button "$main_class" "$main_caption" 1006)" && return 0
    sleep 0.1
  done
  return 1
}

for lang in en zh; do
  echo "== pages and dialogs ($lang)"
  monitor_lang=$lang
  if [ "$lang" = en ]; then
    info_caption=Information safety_caption=Information quit_text="Do you want to quit?"
    repair_text="The lumoActiveX plugin will be installed, are you sure?"
    removed_text="The auto start is removed."
  else
    info_caption="系统提示" safety_caption="安全提示" quit_text="是否确定退出本程序"
    repair_text="安装lumoActiveX安全控件，是否确定安装 ?" removed_text="开机自动运行已取消"
  fi
  start_monitor "pages-$lang"
  wait_log "start tray=yes refresh=0" 15 >/dev/null
  drv wait "$main_class" "$main_caption" 5000 hidden >/dev/null
  [ "$lang" = en ] && shot tray-en
  if open_main; then
    rows=$(rows_of)
    if [ "$lang" = en ]; then
      expect_equal "Basic page: connection row" "USB Key Connection" \
        "$(awk -F'\t' '$1 == 5 { print $2 }' <<<"$rows")"
      expect_equal "Basic page: logon URL row" "$url_template" \
        "$(awk -F'\t' '$1 == 7 { print $3 }' <<<"$rows")"
      expect_equal "Basic page: key name row" "Test key" \
        "$(awk -F'\t' '$1 == 6 { print $3 }' <<<"$rows")"
    else
      expect_equal "Basic page (zh): connection row" "USB KEY 连接" \
        "$(awk -F'\t' '$1 == 5 { print $2 }' <<<"$rows")"
    fi
    shot "main-basic-$lang"
    expect_equal "two tabs ($lang)" 2 "$(drv tabcount "$main_class" "$main_caption")"
    if drv tab "$main_class" "$main_caption" 1; then
      check "Advanced page shown on tab 1 ($lang)" advanced_page_shown
      shot "main-advanced-$lang"
      # The repair's confirmation (Cancel: nothing is started).
      drv command "$main_class" "$main_caption" 1002
      answer_box "$safety_caption" "repair confirmation text ($lang)" "$repair_text" \
        "repair-question-$lang" 2
      # Save with the box as shown (unchecked): the auto start is removed.
      drv click "$main_class" "$main_caption" 1006
      answer_box "$info_caption" "Save message ($lang)" "$removed_text" "save-message-$lang" 1
      drv tab "$main_class" "$main_caption" 0 >/dev/null
    else
      fail "Advanced tab selected ($lang)"
    fi
  else
    fail "main window shown ($lang)"
  fi
  # The tray menu and the exit question (answered Cancel).
  drv syscommand "$main_class" "$main_caption" close
  drv wait "$main_class" "$main_caption" 5000 hidden >/dev/null
  drv tray "$main_class" "$main_caption" rbuttondown
  if drv wait '#32768' '*' 5000 shown; then
    shot "tray-menu-$lang"
    drv key '#32768' '*' 0x1B >/dev/null
    drv wait '#32768' '*' 3000 hidden >/dev/null
  else
    echo "note: no tray menu window seen ($lang)"
  fi
  drv command "$main_class" "$main_caption" 32786
  answer_box "$info_caption" "exit question text ($lang)" "$quit_text" "exit-question-$lang" 2
  # About (tray command) and Change Password (tray command).
  about_caption=About
  [ "$lang" = zh ] && about_caption="关于 lumoMonitor"
  drv command "$main_class" "$main_caption" 32780
  answer_box "$about_caption" "About box ($lang)" "" "about-$lang" 1
  password_caption="Change Password"
  [ "$lang" = zh ] && password_caption="修改密码"
  drv command "$main_class" "$main_caption" 32794
  if drv wait '#32770' "$password_caption" 5000 shown; then
    pass "Change Password dialog ($lang)"
    shot "change-password-$lang"
    drv syscommand '#32770' "$password_caption" close
    drv wait '#32770' "$password_caption" 5000 gone >/dev/null
  else
    fail "Change Password dialog ($lang)"
  fi
  end_monitor
done
monitor_lang=en

# ---------------------------------------------------------------- removal and lock

# unplug_and_ask: unplug the token (quill-vpresence passes the removal on)
# and wait for the Information dialog. CAPTION is the dialog's caption.
unplug_and_ask() {
  vtoken_control unplug 0 >/dev/null
  drv wait '#32770' "$1" 10000 shown
}
replug() {
  local seen
  seen=$(log_count "arrival wait: token found")
  vtoken_control plug 0 >/dev/null
  check "plugging in again reaches the monitor as an arrival ($lang)" \
    wait_log_count "arrival wait: token found" $((seen + 1)) 15
  has_log "arrival path=$token_path match=yes" || fail "arrival logged with the token's path"
}

for lang in en zh; do
  echo "== removal of the login token ($lang)"
  monitor_lang=$lang
  info_caption=Information
  [ "$lang" = zh ] && info_caption="系统提示"
  start_monitor "removal-$lang"
  wait_log "start tray=yes refresh=0" 15 >/dev/null
  check "quill-vpresence watches the token ($lang)" start_vpresence
  # Cancel locks nothing.
  if unplug_and_ask "$info_caption"; then
    check "removal notification reached the monitor ($lang)" \
      wait_log "removal path=$token_path match=yes" 5
    check "lock asked ($lang)" has_log_matching '^lock asked: provider=[03]$'
    if [ "$lang" = en ]; then
      expect_equal "Information dialog text" \
        "The Dongle has been removed, whether to lock screen ?" \
        "$(drv text '#32770' "$info_caption" static)"
      expect_equal "Information dialog buttons" "OK/CANCLE" \
        "$(drv text '#32770' "$info_caption" 1012)/$(drv text '#32770' "$info_caption" 1013)"
    else
      expect_equal "Information dialog text (zh)" "锁已经移除，是否锁屏？" \
        "$(drv text '#32770' "$info_caption" static)"
      expect_equal "Information dialog buttons (zh)" "确定/取消" \
        "$(drv text '#32770' "$info_caption" 1012)/$(drv text '#32770' "$info_caption" 1013)"
    fi
    shot "information-$lang"
    drv click '#32770' "$info_caption" 1013
    check "Cancel answered, nothing locked ($lang)" wait_log "lock answered: cancel" 5
    check "Cancel: no lock attempt ($lang)" bash -c "! grep -qE 'lock (done|failed)' '$log'"
  else
    fail "Information dialog after unplugging ($lang)"
  fi
  replug
  # The close button locks nothing.
  if unplug_and_ask "$info_caption"; then
    drv syscommand '#32770' "$info_caption" close
    check "close button answered, nothing locked ($lang)" wait_log "lock answered: closed" 5
    check "close button: no lock attempt ($lang)" bash -c "! grep -qE 'lock (done|failed)' '$log'"
  else
    fail "Information dialog after the second unplug ($lang)"
  fi
  replug
  # OK locks; Wine cannot, so the error box appears.
  if unplug_and_ask "$info_caption"; then
    drv click '#32770' "$info_caption" 1012
    check "OK answered ($lang)" wait_log "lock answered: ok" 5
    check "lock failed under Wine with error 120 ($lang)" wait_log "lock failed: error=120" 5
    if drv wait '#32770' '' 5000 shown; then
      expect_equal "\"Lock workstation error\" shown ($lang)" "Lock workstation error" "$(box_text '')"
      shot "lock-error-$lang"
      drv command '#32770' '' 1
    else
      fail "\"Lock workstation error\" shown ($lang)"
    fi
  else
    fail "Information dialog after the third unplug ($lang)"
  fi
  stop_vpresence
  vtoken_control plug 0 >/dev/null
  end_monitor
done
monitor_lang=en

# ---------------------------------------------------------------- settings

echo "== auto start (Advanced page, Save)"
monitor_path=$(winpath "$ship/lumoMonitor.exe")
run_value() { drv regvalue HKCU 'Software\Microsoft\Windows\CurrentVersion\Run' lumoMonitor; }
start_monitor autostart
wait_log "start tray=yes refresh=0" 15 >/dev/null
# shellcheck disable=SC2317  # called through check
advanced_by_mouse() {
  # The second tab's label, clicked as the mouse does (client pixels of the
  # tab control, id 1000): the control itself selects and notifies.
  drv mouseclick "$main_class" "$main_caption" 1000 90 10 >/dev/null && advanced_page_shown
}
if open_main && { check "a mouse click on the second tab shows the Advanced page" advanced_by_mouse ||
  drv tab "$main_class" "$main_caption" 1; }; then
  drv check "$main_class" "$main_caption" 1007 1
  drv click "$main_class" "$main_caption" 1006
  answer_box Information "Save with the box checked says Done" "Done" "" 1
  # REG_SZ (1), the full path without a terminating zero.
  expect_equal "Run value holds the full path (REG_SZ, no terminator)" \
    "type=1 size=$((2 * ${#monitor_path}))|data=$monitor_path" "$(run_value | paste -sd'|')"
  drv check "$main_class" "$main_caption" 1007 0
  drv click "$main_class" "$main_caption" 1006
  answer_box Information "Save unchecked says the auto start is removed" \
    "The auto start is removed." "" 1
  expect_equal "Run value kept, without data" "type=1 size=0|data=" "$(run_value | paste -sd'|')"
else
  fail "Advanced page reached for Save"
fi
end_monitor

echo "== AdvancedPage = 1 leaves one tab"
reg32 add "$settings_key" /v AdvancedPage /t REG_DWORD /d 1 /f >/dev/null
start_monitor one-tab
wait_log "start tray=yes refresh=0" 15 >/dev/null
if open_main; then
  expect_equal "one tab with AdvancedPage=1" 1 "$(drv tabcount "$main_class" "$main_caption")"
  shot main-one-tab-en
  drv tab "$main_class" "$main_caption" 1 >/dev/null
  check "no Advanced page window" test "$(drv button "$main_class" "$main_caption" 1006; echo $?)" = 3
else
  fail "main window shown with AdvancedPage=1"
fi
end_monitor
reg32 delete "$settings_key" /v AdvancedPage /f >/dev/null

# ---------------------------------------------------------------- plug-ins

echo "== repairs and browser plug-ins"
firefox_win=$(winpath "$work/browsers/firefox.exe")
chrome_win=$(winpath "$work/browsers/chrome.exe")
reg32 add 'HKCU\Software\Classes\FirefoxHTML\shell\open\command' /ve \
  /d "\"$firefox_win\" -osint -url \"%1\"" /f >/dev/null
reg32 add 'HKCU\Software\Google\Update' /f >/dev/null
reg32 add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Google Chrome' \
  /v DisplayIcon /d "$chrome_win,0" /f >/dev/null
reg32 delete 'HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings\Zones\3' /v 2500 /f \
  >/dev/null
reg32 delete 'HKCU\Software\Microsoft\Internet Explorer\Main' /v NoProtectedModeBanner /f >/dev/null
start_monitor plugins
wait_log "start tray=yes refresh=0" 15 >/dev/null
if open_main && drv tab "$main_class" "$main_caption" 1; then
  # Cancelling the confirmation starts nothing.
  drv command "$main_class" "$main_caption" 1002
  if drv wait '#32770' Information 5000 shown; then
    drv command '#32770' Information 2
    drv wait '#32770' Information 5000 gone >/dev/null
    sleep 1
    expect_equal "cancelled repair starts no helper" 0 "$(recorded plugreg32 | wc -l)"
  else
    fail "repair confirmation (32-bit)"
  fi
  for bits in 32 64; do
    id=1002 ocx=lumoActiveX.win32.ocx
    [ "$bits" = 64 ] && id=1003 ocx=lumoActiveX.x64.ocx
    drv command "$main_class" "$main_caption" "$id"
    if drv wait '#32770' Information 5000 shown; then
      drv command '#32770' Information 1
      if wait_recorded "plugreg$bits" 1 10; then
        expect_equal "plugreg$bits.exe started with \"$ocx\" bare" "$ocx" \
          "$(arguments_of "$(recorded "plugreg$bits" | tail -n1)")"
      else
        fail "plugreg$bits.exe started"
      fi
    else
      fail "repair confirmation ($bits-bit)"
    fi
  done
  sleep 1
  check "IE: control allowed on all sites" reg32_key_exists \
    "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats\\$clsid\\iexplore\\AllowedDomains\\*"
  expect_equal "IE: Internet zone protected mode off (2500 = 3)" 0x3 \
    "$(reg32_value 'HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings\Zones\3' 2500)"
  expect_equal "IE: protected mode banner hidden" 0x1 \
    "$(reg32_value 'HKCU\Software\Microsoft\Internet Explorer\Main' NoProtectedModeBanner)"

  firefox_button=$(drv button "$main_class" "$main_caption" 1004)
  check "Firefox button enabled" grep -q 'enabled=1' <<<"$firefox_button"
  drv click "$main_class" "$main_caption" 1004
  if wait_recorded firefox 1 10; then
    expect_equal "Firefox started with the quoted package" \
      "\"$(winpath "$ship/Mozilla/lumoPlugin.xpi")\"" "$(arguments_of "$(recorded firefox | tail -n1)")"
  else
    fail "Firefox started"
  fi
  chrome_button=$(drv button "$main_class" "$main_caption" 1005)
  check "Chrome button enabled" grep -q 'enabled=1' <<<"$chrome_button"
  drv click "$main_class" "$main_caption" 1005
  if wait_recorded chrome 1 10; then
    expect_equal "Chrome started with the quoted switch and package" \
      "\"-enable-easy-off-store-extension-install\" \"$(winpath "$ship/Chrome/lumoPlugin.crx")\"" \
      "$(arguments_of "$(recorded chrome | tail -n1)")"
  else
    fail "Chrome started"
  fi
else
  fail "Advanced page reached for the plug-ins"
fi
end_monitor

# ---------------------------------------------------------------- system names

echo "== GetOsName under several Windows versions"
# The edition name for what the system reports: "MAJOR MINOR PLATFORM PRODUCT
# ARCHITECTURE SERVERR2" (monitor_driver osversion).
edition_name() {
  local major minor platform product arch r2
  read -r major minor platform product arch r2 <<<"$1"
  case "$major.$minor" in
    4.0)
      if [ "$platform" = 2 ]; then
        echo "Microsoft Windows NT 4.0"
      elif [ "$platform" = 1 ]; then echo "Microsoft Windows 95"; fi
      ;;
    4.10) echo "Microsoft Windows 98" ;;
    4.90) echo "Microsoft Windows Me" ;;
    5.0) echo "Microsoft Windows 2000" ;;
    5.1) echo "Microsoft Windows XP" ;;
    5.2)
      if [ "$product" = 1 ] && [ "$arch" = 9 ]; then
        echo "Microsoft Windows XP Professional x64 Edition"
      elif [ "$r2" = 0 ]; then
        echo "Microsoft Windows Server 2003"
      else echo "Microsoft Windows Server 2003 R2"; fi
      ;;
    6.0) if [ "$product" = 1 ]; then echo "Microsoft Windows Vista"; else echo "Microsoft Windows Server 2008"; fi ;;
    6.1) if [ "$product" = 1 ]; then echo "Microsoft Windows 7"; else echo "Microsoft Windows Server 2008 R2"; fi ;;
    6.2) [ "$product" = 1 ] && echo "Microsoft Windows 8" ;;
    *) if [ "$major" -lt 4 ] || [ "$major" -gt 6 ]; then echo "未知操作系统"; fi ;;
  esac
}
# Wine's names for Windows versions. A program without a compatibility
# manifest is told 6.2 on win81 and win10, as on Windows; win31 reports 3.10.
for version in win7 win8 win10 win2008r2 win2008 vista win2003 winxp64 win2k nt40 win98 win31; do
  if ! timeout 30 wine reg add 'HKCU\Software\Wine' /v Version /d "$version" /f </dev/null \
    >/dev/null 2>&1; then
    fail "Windows version $version set"
    continue
  fi
  reported=$(drv osversion)
  expected=$(edition_name "$reported")
  start_monitor "os-$version" >/dev/null
  if open_main; then
    row0=$(rows_of | awk -F'\t' '$1 == 0 { print $3 }')
    expect_equal "GetOsName as $version ($reported)" "$expected  x86 (32bit)" "$row0"
  else
    fail "GetOsName as $version: main window not shown"
  fi
  end_monitor
done
timeout 30 wine reg delete 'HKCU\Software\Wine' /v Version /f </dev/null >/dev/null 2>&1

# ---------------------------------------------------------------- no token

echo "== start without a token"
vtoken_control unplug 0 >/dev/null
before=$(recorded browser | wc -l)
start_monitor no-token
check "without a token: start logged with the token not found" \
  wait_log_matching '^start tray=no refresh=-?[1-9][0-9]*$' 15
check "without a token: the window hides" drv wait "$main_class" "$main_caption" 5000 hidden
sleep 1
check "without a token: no tray icon (no tray bar)" bash -c "! timeout 30 wine '$driver_exe' \
  visible Shell_TrayWnd '*' </dev/null >/dev/null 2>&1"
expect_equal "without a token: no logon URL opened" "$before" "$(recorded browser | wc -l)"
end_monitor
vtoken_control plug 0 >/dev/null

# ---------------------------------------------------------------- plugreg

echo "== plugreg64.exe"
plugreg_run() {
  timeout 60 wine "$work/plugreg/plugreg64.exe" "$@" </dev/null >"$work/plugreg.out" 2>&1
}
plugreg_run /s lumoActiveX.x64.ocx
expect_equal "plugreg64 registers lumoActiveX.x64.ocx (exit 0)" 0 $?
expect_equal "control's class registered with its file" \
  "$(winpath "$work/plugreg/lumoActiveX.x64.ocx")" \
  "$(timeout 30 wine reg query "HKCR\\CLSID\\$clsid\\InprocServer32" /ve </dev/null 2>/dev/null |
    tr -d '\r' | awk -F'    ' '/^    / { print $4; exit }')"
plugreg_run /s missing.ocx
expect_equal "plugreg64: missing file gives 3" 3 $?
check "plugreg64: missing file is named" grep -q 'missing.ocx: file not found' "$work/plugreg.out"
plugreg_run /s '..\lumoActiveX.x64.ocx'
expect_equal "plugreg64: a path gives 2" 2 $?
plugreg_run /s 'C:lumoActiveX.x64.ocx'
expect_equal "plugreg64: a drive gives 2" 2 $?
plugreg_run /s
expect_equal "plugreg64: no file name gives 1" 1 $?
echo "not a library" >"$work/plugreg/broken.ocx"
plugreg_run /s broken.ocx
expect_equal "plugreg64: unloadable file gives 4" 4 $?
plugreg_run /s plain_library.dll
expect_equal "plugreg64: no entry point gives 5" 5 $?
plugreg_run /s failing_control.dll
expect_equal "plugreg64: failed registration gives 6" 6 $?
check "plugreg64: the HRESULT is shown in hex" grep -q '0x80004005' "$work/plugreg.out"

# ---------------------------------------------------------------- screenshots

missing_shots=()
for name in "${expected_shots[@]}"; do
  [ -s "$shots/$name.png" ] || missing_shots+=("$name")
done
expect_equal "a screenshot of every window and page in both languages" "" "${missing_shots[*]}"

stop_watchdog
echo "monitor tests: $passes passed, $failures failed (screenshots in $shots)"
if [ "$failures" -ne 0 ]; then
  exit 1
fi
echo "monitor-tests-done"
exit 0

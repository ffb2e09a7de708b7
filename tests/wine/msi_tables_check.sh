#!/bin/bash
# Reads Quill.msi's tables back with msiinfo and checks them: product,
# version and upgrade code, the major upgrade, the files and their
# components (64-bit or 32-bit), the features, and every registry row: the
# control's rows against its registrar scripts (control/com/scripts) plus
# the type library, proxy/stub and safety-category rows its registration
# code writes, once per view (the category definitions permanent, as the
# control's unregistration leaves them); the browsers' host keys; the Run
# value.
#
#   msi_tables_check.sh MSI VERSION [--test-build]
#
# --test-build: the package carries the 64-bit monitor. One PASS/FAIL line
# per check; exit status 0 when all pass.
set -u

if [ $# -lt 2 ] || [ $# -gt 3 ]; then
  echo "usage: $0 MSI VERSION [--test-build]" >&2
  exit 2
fi
msi=$1
version=$2
test_build=0
[ "${3:-}" = --test-build ] && test_build=1
here=$(dirname "$(readlink -f "$0")")
scripts="$here/../../control/com/scripts"

readonly upgrade_code='{52B6BFB5-5C34-4F42-8F46-475F73C1A765}'
# shellcheck source=SCRIPTDIR/control_identity.sh
. "$here/control_identity.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() {
  local what=$1
  shift
  if "$@" >"$work/check.out" 2>&1; then
    echo "PASS: $what"
  else
    echo "FAIL: $what"
    sed 's/^/    /' "$work/check.out"
    failures=$((failures + 1))
  fi
}

# A table's rows (the three header lines dropped), columns joined by "|".
table() {
  msiinfo export "$msi" "$1" | tr -d '\r' | tail -n +4 | tr '\t' '|'
}
same_lines() {
  diff <(sort "$1") <(sort "$2")
}

[ -f "$msi" ] || {
  echo "missing: $msi" >&2
  exit 2
}

property() { table Property | awk -F'|' -v p="$1" '$1 == p { print $2 }'; }
check "product version $version" test "$(property ProductVersion)" = "$version"
check "upgrade code $upgrade_code" test "$(property UpgradeCode)" = "$upgrade_code"
check "per machine by default (ALLUSERS=2)" test "$(property ALLUSERS)" = 2
check "an x64 package" sh -c "msiinfo suminfo '$msi' | grep -qx 'Template: x64;1033'"

# Major upgrade: lower versions found and removed, a newer one refused.
upgrade_rows() {
  table Upgrade | awk -F'|' '{ print $1 "|" $2 "|" $3 "|" $5 "|" $7 }'
}
cat >"$work/upgrade.expected" <<EOT
$upgrade_code||$version|1|WIX_UPGRADE_DETECTED
$upgrade_code|$version||2|WIX_DOWNGRADE_DETECTED
EOT
check "upgrade rows: lower versions replaced, newer detected" \
  same_lines "$work/upgrade.expected" <(upgrade_rows)
check "RemoveExistingProducts is scheduled" \
  sh -c "msiinfo export '$msi' InstallExecuteSequence | grep -q '^RemoveExistingProducts'"

# Files: name, directory, and whether the component is 64-bit.
files() {
  table Component | awk -F'|' '{ bits[$1] = (int($4 / 256) % 2) ? 64 : 32; dir[$1] = $3 }
    END { while ((getline line < "'"$work/file.rows"'") > 0) {
      split(line, f, "|"); print dir[f[2]] "|" f[3] "|" bits[f[2]] } }'
}
table File >"$work/file.rows"
monitor_bits=32
[ "$test_build" = 1 ] && monitor_bits=64
cat >"$work/files.expected" <<EOT
INSTALLDIR|lumoMonitor.exe|$monitor_bits
INSTALLDIR|quill-host.exe|64
INSTALLDIR|com.quill.host.chromium.json|64
INSTALLDIR|com.quill.host.firefox.json|64
IEFolder|plugreg32.exe|32
IEFolder|plugreg64.exe|64
IEFolder|lumoActiveX.win32.ocx|32
IEFolder|lumoActiveX.x64.ocx|64
Dir_Mozilla|lumoPlugin.xpi|64
Dir_Chrome|lumoPlugin.crx|64
EOT
files | grep -v '|quill.exe|' >"$work/files.actual"
check "files, folders and component bitness" same_lines "$work/files.expected" "$work/files.actual"
check "folders below Program Files (64-bit)\\Quill" sh -c \
  "msiinfo export '$msi' Directory | tr -d '\r' | grep -qx \"INSTALLDIR	ProgramFiles64Folder	Quill\""

# Features: everything in Quill (which cannot be left out), the Run value
# alone in AutoStart.
check "features Quill (required) and AutoStart" same_lines \
  <(printf 'Quill|16\nAutoStart|0\n') <(table Feature | awk -F'|' '{ print $1 "|" $8 }')
table Component | awk -F'|' '{ print ($1 == "MonitorRunValue" ? "AutoStart" : "Quill") "|" $1 }' \
  >"$work/features.expected"
check "every component in Quill but the Run value, which is in AutoStart" same_lines \
  "$work/features.expected" <(table FeatureComponents | awk -F'|' '{ print $1 "|" $2 }')

# Registry rows as KEY|NAME|VALUE|COMPONENT, and their roots.
table Registry >"$work/registry.rows"
# shellcheck disable=SC2016  # an awk program
check "every registry row under HKMU (root -1)" \
  awk -F'|' '$2 != "-1" { print "root " $2 ": " $3; bad = 1 } END { exit bad }' "$work/registry.rows"
rows_of() {
  awk -F'|' -v c="$1" '$6 == c { print $3 "|" $4 "|" $5 }' "$work/registry.rows"
}

# What registration writes for one file in one view ($1: "" or
# "Wow6432Node\"; $2: the file's id): the scripts' class key plus the code's
# rows. The scripts' ProgID and AppID rows are shared by both views.
script_rows() {
  awk -v module="[#$1]" -v appid="$appid" -v olemisc=132497 -f "$here/msi_rgs_rows.awk" \
    "$scripts/QuillActiveX.rgs" "$scripts/QuillActiveXCtrl.rgs"
}
class_rows() {
  local view=$1 file=$2 base="Software\\Classes\\"
  script_rows "$file" | grep -F "${base}CLSID\\" |
    VIEW=$view awk '{ print substr($0, 1, 17) ENVIRON["VIEW"] substr($0, 18) }'
  cat <<EOT
${base}${view}CLSID\\$clsid\\Implemented Categories\\$scripting|*|
${base}${view}CLSID\\$clsid\\Implemented Categories\\$initializing|*|
${base}${view}CLSID\\$iid||PSFactoryBuffer
${base}${view}CLSID\\$iid\\InProcServer32||[#$file]
${base}${view}CLSID\\$iid\\InProcServer32|ThreadingModel|Both
${base}${view}Interface\\$iid||IQuillActiveXCtrl
${base}${view}Interface\\$iid\\ProxyStubClsid||{00020424-0000-0000-C000-000000000046}
${base}${view}Interface\\$iid\\ProxyStubClsid32||$iid
${base}${view}Interface\\$iid\\TypeLib||$libid
${base}${view}Interface\\$iid\\TypeLib|Version|1.0
EOT
}
shared_rows() {
  local base="Software\\Classes\\"
  script_rows ControlX64 | grep -vF "${base}CLSID\\"
  cat <<EOT
${base}TypeLib\\$libid\\1.0||QuillActiveX 1.0 Type Library
${base}TypeLib\\$libid\\1.0\\FLAGS||0
${base}TypeLib\\$libid\\1.0\\HELPDIR||[IEFolder]
${base}TypeLib\\$libid\\1.0\\409\\win64||[#ControlX64]
${base}TypeLib\\$libid\\1.0\\409\\win32||[#ControlWin32]
EOT
}
check "the registrar scripts give the control's class rows" \
  test "$(script_rows ControlX64 | grep -c 'CLSID')" -ge 10
check "64-bit control: its class and interface rows in the 64-bit view" \
  same_lines <(class_rows "" ControlX64) <(rows_of ControlClasses64)
check "32-bit control: its class and interface rows in the 32-bit view" \
  same_lines <(class_rows "Wow6432Node\\" ControlWin32) <(rows_of ControlClasses32)
check "shared rows: ProgIDs, AppID, type library of both files" \
  same_lines <(shared_rows) <(rows_of ControlShared)
cat >"$work/categories.expected" <<EOT
Software\Classes\Component Categories\\$scripting|409|Controls that are safely scriptable
Software\Classes\Component Categories\\$initializing|409|Controls safely initializable from persistent data
EOT
category_component_attributes=$(table Component | awk -F'|' '$1 == "SafetyCategories" { print $4 }')
check "safety category definitions" same_lines "$work/categories.expected" <(rows_of SafetyCategories)
check "their component is permanent (64-bit, registry key path, permanent: 276)" \
  test "$category_component_attributes" = 276
cat >"$work/hosts.expected" <<'EOT'
Software\Google\Chrome\NativeMessagingHosts\com.quill.host||[#ChromiumManifest]
Software\Microsoft\Edge\NativeMessagingHosts\com.quill.host||[#ChromiumManifest]
Software\Mozilla\NativeMessagingHosts\com.quill.host||[#FirefoxManifest]
EOT
check "browser host keys for Chrome, Edge and Firefox" \
  same_lines "$work/hosts.expected" <(rows_of BrowserHostKeys)
check "Run value lumoMonitor naming the installed monitor" same_lines \
  <(echo 'Software\Microsoft\Windows\CurrentVersion\Run|lumoMonitor|"[#LumoMonitorExe]"') \
  <(rows_of MonitorRunValue)
check "no registry row outside these components" test "$(wc -l <"$work/registry.rows")" -eq \
  "$(awk -F'|' '$6 ~ /^(ControlShared|ControlClasses64|ControlClasses32|SafetyCategories|BrowserHostKeys|MonitorRunValue)$/' \
    "$work/registry.rows" | wc -l)"

if [ "$failures" -ne 0 ]; then
  echo "MSI tables: $failures failed"
  exit 1
fi
echo "MSI tables: passed"

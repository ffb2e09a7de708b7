#!/bin/bash
# Writes Quill.wxs from the template Quill.wxs.in and a staged install tree.
#
#   generate-wxs.sh STAGE VERSION OUT_WXS
#
# STAGE is the folder laid out as it is to be installed (below INSTALLDIR):
# one component per file, one directory per folder. These files must be
# there, since the registry rows name them: lumoMonitor.exe,
# IE/lumoActiveX.x64.ocx, IE/lumoActiveX.win32.ocx, quill-host.exe,
# com.quill.host.chromium.json, com.quill.host.firefox.json.
# VERSION is a.b.c.d; the product code is derived from it, so one version
# always builds with one product code. Exit status 1 when a file is missing
# or VERSION is malformed, 2 for a bad command line. File sources are
# relative to STAGE: run wixl in STAGE.
set -u

[ $# -eq 3 ] || {
  echo "usage: $0 STAGE VERSION OUT_WXS" >&2
  exit 2
}
stage=${1%/}
version=$2
out=$3
template="$(dirname "$(readlink -f "$0")")/Quill.wxs.in"

if ! [[ "$version" =~ ^[0-9]{1,3}\.[0-9]{1,3}\.[0-9]{1,5}(\.[0-9]{1,5})?$ ]]; then
  echo "malformed version: $version" >&2
  exit 1
fi
for required in lumoMonitor.exe IE/lumoActiveX.x64.ocx IE/lumoActiveX.win32.ocx quill-host.exe \
  com.quill.host.chromium.json com.quill.host.firefox.json; do
  if [ ! -f "$stage/$required" ]; then
    echo "missing: $stage/$required" >&2
    exit 1
  fi
done

# Files and folders the template's rows refer to keep fixed ids.
file_id() {
  case "$1" in
    lumoMonitor.exe) echo LumoMonitorExe ;;
    IE/lumoActiveX.x64.ocx) echo ControlX64 ;;
    IE/lumoActiveX.win32.ocx) echo ControlWin32 ;;
    quill-host.exe) echo QuillHostExe ;;
    com.quill.host.chromium.json) echo ChromiumManifest ;;
    com.quill.host.firefox.json) echo FirefoxManifest ;;
    *) echo "File_$(printf '%s' "$1" | tr -c 'A-Za-z0-9' '_')" ;;
  esac
}
dir_id() {
  case "$1" in
    IE) echo IEFolder ;;
    *) echo "Dir_$(printf '%s' "$1" | tr -c 'A-Za-z0-9' '_')" ;;
  esac
}

# "no" for a 32-bit Windows executable (PE machine 0x14c), else "yes".
win64_flag() {
  local offset machine
  offset=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
  if [ -n "$offset" ]; then
    machine=$(od -An -tx2 -j$((offset + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')
    [ "$machine" = 014c ] && {
      echo no
      return
    }
  fi
  echo yes
}

xml_escape() {
  local text=${1//&/&amp;}
  text=${text//</&lt;}
  text=${text//>/&gt;}
  printf '%s' "${text//\"/&quot;}"
}

tree=$(mktemp)
refs=$(mktemp)
classes=$(mktemp)
trap 'rm -f "$tree" "$refs" "$classes"' EXIT

# One folder of the stage: its files, then its subfolders, indented by $2.
emit_folder() {
  local relative=$1 indent=$2 path entry name id
  path="$stage${relative:+/$relative}"
  while IFS= read -r -d '' entry; do
    name=${entry##*/}
    local item="${relative:+$relative/}$name"
    id=$(file_id "$item")
    {
      printf '%s<Component Id="C_%s" Guid="*" Win64="%s">\n' "$indent" "$id" "$(win64_flag "$entry")"
      printf '%s  <File Id="%s" Name="%s" Source="%s" KeyPath="yes"/>\n' "$indent" "$id" \
        "$(xml_escape "$name")" "$(xml_escape "$item")"
      printf '%s</Component>\n' "$indent"
    } >>"$tree"
    printf '      <ComponentRef Id="C_%s"/>\n' "$id" >>"$refs"
  done < <(find "$path" -mindepth 1 -maxdepth 1 -type f -print0 | sort -z)
  while IFS= read -r -d '' entry; do
    name=${entry##*/}
    local sub="${relative:+$relative/}$name"
    printf '%s<Directory Id="%s" Name="%s">\n' "$indent" "$(dir_id "$sub")" "$(xml_escape "$name")" >>"$tree"
    emit_folder "$sub" "$indent  "
    printf '%s</Directory>\n' "$indent" >>"$tree"
  done < <(find "$path" -mindepth 1 -maxdepth 1 -type d -print0 | sort -z)
}
emit_folder "" "          "

# One registry row below HKMU: KEY NAME VALUE [KEYPATH]. NAME "" is the
# default value, "*" a key made without values.
row() {
  local name="" keypath=""
  [ -n "$2" ] && name=" Name=\"$(xml_escape "$2")\""
  [ -n "${4:-}" ] && keypath=' KeyPath="yes"'
  printf '            <RegistryValue Root="HKMU" Key="%s"%s Type="string" Value="%s"%s/>\n' \
    "$(xml_escape "$1")" "$name" "$(xml_escape "$3")" "$keypath"
}

# The control's class and interface keys, once per view: component, GUID,
# key prefix below Software\Classes, file id.
emit_classes() {
  local component=$1 guid=$2 view=$3 file=$4
  local base="Software\\Classes\\${view}"
  local class="${base}CLSID\\{6AAEEBD3-838D-4A35-9571-26EFC79882ED}"
  local proxy="${base}CLSID\\{DDA8066D-C8BA-440A-AD34-E32537CF1C86}"
  local interface="${base}Interface\\{DDA8066D-C8BA-440A-AD34-E32537CF1C86}"
  {
    printf '          <Component Id="%s" Guid="%s" Win64="yes">\n' "$component" "$guid"
    row "$class" "" "QuillActiveXCtrl Class" keypath
    row "$class" AppID "{4FCC3BC8-CA4E-4998-8736-B05CDC905D33}"
    row "$class\\ProgID" "" "QuillActiveX.QuillActiveXCtrl.1"
    row "$class\\VersionIndependentProgID" "" "QuillActiveX.QuillActiveXCtrl"
    row "$class\\Programmable" "*" ""
    row "$class\\InprocServer32" "" "[#$file]"
    row "$class\\InprocServer32" ThreadingModel Apartment
    row "$class\\Control" "*" ""
    row "$class\\ToolboxBitmap32" "" "[#$file], 102"
    row "$class\\MiscStatus" "" 0
    row "$class\\MiscStatus\\1" "" 132497
    row "$class\\TypeLib" "" "{09F46403-908C-485B-AF92-BB2823513925}"
    row "$class\\Version" "" 1.0
    row "$class\\Implemented Categories\\{7DD95801-9882-11CF-9FA9-00AA006C42C4}" "*" ""
    row "$class\\Implemented Categories\\{7DD95802-9882-11CF-9FA9-00AA006C42C4}" "*" ""
    row "$proxy" "" PSFactoryBuffer
    row "$proxy\\InProcServer32" "" "[#$file]"
    row "$proxy\\InProcServer32" ThreadingModel Both
    row "$interface" "" IQuillActiveXCtrl
    row "$interface\\ProxyStubClsid" "" "{00020424-0000-0000-C000-000000000046}"
    row "$interface\\ProxyStubClsid32" "" "{DDA8066D-C8BA-440A-AD34-E32537CF1C86}"
    row "$interface\\TypeLib" "" "{09F46403-908C-485B-AF92-BB2823513925}"
    row "$interface\\TypeLib" Version 1.0
    printf '          </Component>\n'
  } >>"$classes"
}
emit_classes ControlClasses64 6BC240D0-ECAF-4F71-BE69-A8A8ED01A728 "" ControlX64
emit_classes ControlClasses32 C45763DD-893B-4C0A-9C2A-CB114C569EF5 "Wow6432Node\\" ControlWin32

# The product code: a name-based GUID of the product and its version.
digest=$(printf 'Quill product %s' "$version" | md5sum | cut -c1-32 | tr a-f A-F)
product_code="${digest:0:8}-${digest:8:4}-3${digest:13:3}-8${digest:17:3}-${digest:20:12}"

awk -v tree="$tree" -v refs="$refs" -v classes="$classes" \
  -v version="$version" -v code="$product_code" '
  function slurp(file,   line, text) {
    text = ""
    while ((getline line < file) > 0) text = text line "\n"
    close(file)
    return substr(text, 1, length(text) - 1)
  }
  /^@FILE_TREE@$/ { print slurp(tree); next }
  /^@FILE_COMPONENT_REFS@$/ { print slurp(refs); next }
  /^@CONTROL_CLASSES@$/ { print slurp(classes); next }
  { gsub(/@VERSION@/, version); gsub(/@PRODUCT_CODE@/, code); print }
' "$template" >"$out" || exit 1

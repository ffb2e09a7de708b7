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

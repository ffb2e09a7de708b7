# shellcheck shell=bash
# Starting and stopping the virtual token program from a script; sourced, not
# run. The script sets $vtoken (the quill-vtoken program) and $work (a scratch
# folder: its own, or one of make_scratch_folder) first.
# shellcheck disable=SC2154  # vtoken and work come from the script

vtoken_pid=""

# Starts virtual tokens with the given options (e.g. --token hid:A) and
# exports QUILL_VIRTUAL_TOKENS; ends the script when they do not come up.
start_vtoken() {
  local ready="$work/vtoken.ready"
  rm -f "$ready"
  "$vtoken" "$@" --ready-file "$ready" >"$work/vtoken.out" 2>"$work/vtoken.err" &
  vtoken_pid=$!
  for _ in $(seq 100); do
    grep -qx ready "$ready" 2>/dev/null && break
    kill -0 "$vtoken_pid" 2>/dev/null || break
    sleep 0.1
  done
  if ! grep -qx ready "$ready" 2>/dev/null; then
    echo "FAIL: quill-vtoken did not become ready" >&2
    cat "$work/vtoken.err" >&2
    exit 1
  fi
  cat "$ready"
  QUILL_VIRTUAL_TOKENS=$(awk '$1 == "token" { print $5 }' "$ready" | paste -sd, -)
  export QUILL_VIRTUAL_TOKENS
  echo "QUILL_VIRTUAL_TOKENS=$QUILL_VIRTUAL_TOKENS"
}

# shellcheck disable=SC2317  # also called from EXIT traps
stop_vtoken() {
  if [ -n "$vtoken_pid" ]; then
    kill "$vtoken_pid" 2>/dev/null || true
    wait "$vtoken_pid" 2>/dev/null || true
    vtoken_pid=""
  fi
}

# For a script whose only clean-up is the token: makes its scratch folder
# $work and sets an EXIT trap that stops the token and removes the folder.
make_scratch_folder() {
  work=$(mktemp -d)
  trap 'stop_vtoken; rm -rf "$work"' EXIT
}

# shellcheck shell=bash
# The client end of the remote-desktop relay for the Wine runs: the Linux
# quill-relay-client, answering from the virtual tokens it is given, stands in
# for the remote-desktop client machine. Sourced, not run, after
# monitor_session.sh. The script sets $relay_client (the program) and $work.
# shellcheck disable=SC2154  # relay_client and work come from the script

relay_client_pid=""
relay_endpoint=""
relay_output=""

# start_relay_client NAME TOKENS: quill-relay-client on a free loopback port,
# with QUILL_VIRTUAL_TOKENS=TOKENS (empty: no token on the client); sets
# $relay_endpoint (127.0.0.1:PORT) and $relay_output. False when it does not
# listen within 5 s.
start_relay_client() {
  relay_output="$work/$1.client"
  relay_endpoint=""
  QUILL_VIRTUAL_TOKENS=$2 "$relay_client" --port 0 >"$relay_output" 2>"$relay_output.err" &
  relay_client_pid=$!
  for _ in $(seq 50); do
    relay_endpoint=$(awk '/^listening / { print $2; exit }' "$relay_output" 2>/dev/null)
    [ -n "$relay_endpoint" ] && return 0
    kill -0 "$relay_client_pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "quill-relay-client did not listen:" >&2
  cat "$relay_output.err" >&2
  return 1
}

# shellcheck disable=SC2317  # also called from EXIT traps
stop_relay_client() {
  if [ -n "$relay_client_pid" ]; then
    kill "$relay_client_pid" 2>/dev/null
    wait "$relay_client_pid" 2>/dev/null
    relay_client_pid=""
  fi
}

# The client's request lines so far ("request FIND -> OK").
relay_requests() { grep '^request ' "$relay_output" 2>/dev/null; }

# The wall clock in tenths of a second, for "within one tick" measurements.
tenths() { date +%s%1N; }

# wait_log_after LINE COUNT SECONDS: until the monitor's log holds LINE more
# than COUNT times, by the wall clock; prints the tenths of a second it took.
wait_log_after() {
  local started deadline now
  started=$(tenths)
  deadline=$((started + $3 * 10))
  while :; do
    now=$(tenths)
    if [ "$(log_count "$1")" -gt "$2" ]; then
      echo $((now - started))
      return 0
    fi
    [ "$now" -ge "$deadline" ] && return 1
    sleep 0.1
  done
}

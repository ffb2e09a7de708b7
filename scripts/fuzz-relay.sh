#!/usr/bin/env bash
# Builds the token relay's libFuzzer target with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs it for a bounded time.
#
#   bash scripts/fuzz-relay.sh [SECONDS]     (default 60)
#
# The committed seeds in fuzz/corpus/relay_codec are read, never written:
# new inputs go to build/fuzz-relay/relay_codec-corpus. A crash leaves its input in
# build/fuzz-relay/ and the script fails; add such an input to the seeds and a
# regression test beside the codec's tests.
set -euo pipefail

seconds="${1:-60}"
case "$seconds" in
  '' | *[!0-9]*) echo "fuzz-relay.sh: SECONDS must be a whole number" >&2; exit 2 ;;
esac

root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/build/fuzz-relay"
mkdir -p "$out/relay_codec-corpus"

if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz-relay.sh: clang++ is missing (apt-get install -y clang)" >&2
  exit 1
fi

clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$root/monitor" -I"$root/monitor/relay" -I"$root/monitor/relay/client" -I"$root/tokenlib" \
  "$root/fuzz/relay_codec_fuzz.cpp" \
  "$root/monitor/relay/relay_codec.cpp" \
  "$root/monitor/relay/remote_relay.cpp" \
  "$root/monitor/relay/client/relay_client.cpp" \
  "$root/tokenlib/base64.cpp" \
  -o "$out/relay_codec_fuzz"

cd "$out"
./relay_codec_fuzz -max_total_time="$seconds" -max_len=4096 -timeout=10 \
  -artifact_prefix="$out/" "$out/relay_codec-corpus" "$root/fuzz/corpus/relay_codec"

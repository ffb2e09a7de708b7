#!/usr/bin/env bash
# Builds the libFuzzer targets in fuzz/ with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) into build/fuzz and runs each for a while.
#
#   bash scripts/fuzz.sh [SECONDS]   each target SECONDS long (default 300);
#                                    new inputs are kept in build/fuzz/corpus/
#   bash scripts/fuzz.sh --ci        each target 20 s from the committed seeds
#                                    alone (a fresh working corpus)
#
# The seeds in fuzz/corpus/<target>/ are read, never written. A finding
# leaves its input in build/fuzz/artifacts/ and makes the script fail; turn it
# into a regression test beside the code, and add the input to the seeds.
# Prints the runs of every target (libFuzzer's final stat line).
set -euo pipefail
cd "$(dirname "$0")/.."

ci=0
seconds=300
case "${1:-}" in
  --ci) ci=1; seconds=20 ;;
  '') ;;
  *[!0-9]* | 0)
    echo "usage: fuzz.sh [SECONDS | --ci]" >&2
    exit 2
    ;;
  *) seconds=$1 ;;
esac

if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz.sh: clang++ is missing (apt-get install -y clang libclang-rt-14-dev)" >&2
  exit 1
fi

root=$PWD
out=$root/build/fuzz
started=$SECONDS
CC=clang CXX=clang++ cmake -S . -B "$out" -DQUILL_BUILD_FUZZ=ON -DQUILL_BUILD_TESTS=OFF \
  -DQUILL_BUILD_BENCH=OFF >/dev/null
cmake --build "$out" --target fuzz_targets -j2 >/dev/null
echo "built the fuzz targets in $((SECONDS - started)) s"

if [ "$ci" = 1 ]; then
  work=$(mktemp -d "${TMPDIR:-/tmp}/quill-fuzz.XXXXXX")
  trap 'rm -rf "$work"' EXIT
else
  work=$out/corpus
fi
mkdir -p "$out/artifacts" "$out/logs"

failed=()
summary=()
while read -r target; do
  [ -n "$target" ] || continue
  name=${target%_fuzz}
  mkdir -p "$work/$name"
  seeds=()
  [ -d "fuzz/corpus/$name" ] && seeds=("$root/fuzz/corpus/$name")
  log=$out/logs/$name.log
  status=0
  # The working corpus comes first: libFuzzer writes new inputs there.
  (cd "$out" && ASAN_OPTIONS=detect_leaks=1 "$out/bin/$target" -max_total_time="$seconds" \
    -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$out/artifacts/$name-" \
    "$work/$name" "${seeds[@]}") >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  line=$(grep -E '^Done [0-9]+ runs' "$log" | tail -1 || true)
  if [ "$status" -ne 0 ]; then
    failed+=("$name")
    summary+=("$(printf '%-16s FINDING (exit %s), see %s' "$name" "$status" "$log")")
    grep -E 'ERROR: |runtime error|SUMMARY|Test unit written' "$log" | head -5 >&2 || true
  else
    summary+=("$(printf '%-16s %10s runs  %s' "$name" "${runs:-?}" "${line:-}")")
  fi
  echo "${summary[-1]}"
done <"$out/fuzz_targets.txt"

echo
echo "== fuzz summary ($seconds s per target, $((SECONDS - started)) s in all)"
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz.sh: findings in: ${failed[*]} (inputs in build/fuzz/artifacts/)" >&2
  exit 1
fi

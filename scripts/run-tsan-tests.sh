#!/usr/bin/env bash
# Builds the thread-safety test with ThreadSanitizer (preset linux-tsan, that
# one target only) and runs it: several threads calling the control's members
# and the library against an in-process virtual token. Any data race reported
# by ThreadSanitizer, or any failed check, fails the run.
#   bash scripts/run-tsan-tests.sh [ROUNDS]   (default 3 rounds of the whole test)
set -euo pipefail
cd "$(dirname "$0")/.."

rounds=${1:-3}
cmake --preset linux-tsan >/dev/null
cmake --build --preset linux-tsan -j2

# halt_on_error: the first report ends the run with exitcode 66.
export TSAN_OPTIONS="halt_on_error=1 exitcode=66 second_deadlock_stack=1 ${TSAN_OPTIONS:-}"
test=build/linux-tsan/tests/thread_safety_test
for ((round = 1; round <= rounds; round++)); do
  printf '== thread-safety test under ThreadSanitizer, round %d of %d\n' "$round" "$rounds"
  "$test" --gtest_brief=1
done
echo "thread-safety test: no data race, every check held ($rounds rounds)"

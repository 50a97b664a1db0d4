#!/usr/bin/env bash
# Runs every libFuzzer target for a bounded time on its seed corpus (a copy, so the repo's
# corpus stays as committed). Usage: run-fuzzers.sh [seconds per target]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-15}
status=0
for fuzzer in build/fuzz/bin/fuzz_*; do
  name=$(basename "$fuzzer")
  corpus=tests/fuzz/corpus/${name#fuzz_}
  work=$(mktemp -d)
  [ -d "$corpus" ] && cp -r "$corpus"/. "$work"/
  if "$fuzzer" -max_total_time="$seconds" -print_final_stats=1 "$work" >"$work.log" 2>&1; then
    ok=1
  else
    ok=0
  fi
  # libFuzzer's final statistics: how many inputs the run tried.
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work.log")
  if [ "$ok" = 1 ] && [ "${runs:-0}" -gt 0 ]; then
    echo "fuzz: $name ran ${seconds}s, ${runs} inputs, without a finding"
  else
    echo "fuzz: $name FAILED after ${runs:-0} inputs"; tail -40 "$work.log"; status=1
  fi
  rm -rf "$work" "$work.log"
done
exit $status

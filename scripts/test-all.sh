#!/usr/bin/env bash
# Installs what is missing, then builds and tests everything:
#   native  - the headless platform (this host)
#   asan    - the same with AddressSanitizer and UndefinedBehaviorSanitizer
#   tsan    - the thread stress test under ThreadSanitizer
#   win64   - Windows 64-bit (mingw-w64), tests under Wine
#   win32   - Windows 32-bit (mingw-w64), tests under Wine
#   picture - the demo's windows drawn natively and under Wine, compared pixel for pixel
#   fuzz    - the libFuzzer targets, each run for a bounded time
#   format  - every tracked C++ file formatted as .clang-format says
# Ends with one line of counts per leg (tests run, passed, failed, skipped, with the skip
# reasons grouped) and the totals. Exits non-zero when any build or test fails, or when a leg
# runs fewer tests than its floor in tests/floors.txt.
set -uo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh || exit 1

jobs=$(nproc)
status=0
summary=()  # one line of counts per leg
totals=(0 0 0 0)  # run passed failed skipped, over every leg

started=$SECONDS
elapsed() { printf '%3d min' $(((SECONDS - started) / 60)); }

# A leg's counts into the summary and the totals; a failed test, a failed step or fewer tests
# than the leg's floor fails the command.
count() {  # leg run passed failed skipped [ok]
  local floor
  floor=$(awk -v leg="$1" '$1 == leg { print $2 }' tests/floors.txt)
  summary+=("$(elapsed)  $1: $2 run, $3 passed, $4 failed, $5 skipped (floor ${floor:-?})")
  totals=($((totals[0] + $2)) $((totals[1] + $3)) $((totals[2] + $4)) $((totals[3] + $5)))
  if [ "$4" != 0 ] || [ "${6:-0}" != 0 ] || [ -z "$floor" ] || [ "$2" -lt "$floor" ]; then status=1; fi
}

build() {
  cmake --preset "$1" >/dev/null && cmake --build --preset "$1" -j"$jobs"
}

# One CTest leg, counted test by test from GoogleTest's reports (scripts/leg-report.py).
test_leg() {  # preset
  local reports=build/$1/test-reports
  rm -rf "$reports" && mkdir -p "$reports"
  ctest --preset "$1" -j"$jobs" --timeout 1500 --output-junit "$PWD/$reports/ctest.xml"
  python3 scripts/leg-report.py "$1" "build/$1" | tee "$reports/summary.txt"
  local ok=$?
  local run passed failed skipped
  read -r run passed failed skipped <"$reports/counts" 2>/dev/null || { run=0 passed=0 failed=1 skipped=0; }
  count "$1" "$run" "$passed" "$failed" "$skipped" "$ok"
  summary+=("$(sed -n 's/^ *\([0-9]* skipped: \)/               \1/p' "$reports/summary.txt")")
}

for preset in native asan tsan win64 win32; do
  if build "$preset"; then
    test_leg "$preset"
  else
    count "$preset" 0 0 1 0 1
  fi
done

# The picture test: the demo's two windows drawn natively and under Wine, compared pixel for
# pixel, two comparisons per Windows build.
if [ -x build/native/bin/veneer-demo ] && [ -x build/win64/bin/veneer-demo.exe ] && [ -x build/win32/bin/veneer-demo.exe ]; then
  bash scripts/compare-demo.sh | tee build/pictures.log
  same=$(grep -c '^compare-demo: native against .* the same' build/pictures.log)
  count picture 4 "$same" $((4 - same)) 0
else
  count picture 4 0 4 0
fi

# Each fuzz target is one test; each run prints how many inputs it tried.
if build fuzz; then
  bash scripts/run-fuzzers.sh "${VENEER_FUZZ_SECONDS:-15}" | tee build/fuzz.log
  count fuzz "$(grep -c '^fuzz: ' build/fuzz.log)" "$(grep -c '^fuzz: .* without a finding' build/fuzz.log)" \
    "$(grep -c '^fuzz: .* FAILED' build/fuzz.log)" 0
else
  count fuzz 0 0 1 0 1
fi

bash scripts/check-format.sh
fmt=$?
count format 1 $((fmt == 0)) $((fmt != 0)) 0

echo
printf '%s\n' "${summary[@]}" | grep -v '^$'
echo "tests: ${totals[1]} passed, ${totals[2]} failed, ${totals[3]} skipped"
exit $status
